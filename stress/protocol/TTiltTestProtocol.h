#pragma once

#include "TProtocol.h"

#include <QString>

// The built-in tilt-test protocol the launcher offers beside the stored ones:
// named "Tilt test", 600 s basal (rest phase) then 12 stages of 180 s tilted
// (recovery phase), 2760 s in all. A stored protocol of that name is never
// used: the name means this one.
namespace TTiltTestProtocol {

extern const char* const Name; // "Tilt test"

TProtocol build();
bool isNamed(const QString& protocolName);

} // namespace TTiltTestProtocol
