#pragma once

// What the strip printer tests share: a printer pace without pauses, for a
// simulated printer that keeps up by itself.

#include "ESCPPrinter.h"

namespace StripTest {

inline ESCPPrinter::Pace quickPace(int stallTimeoutMs = 2000)
{
    ESCPPrinter::Pace pace;
    pace.bandPauseMs = 0;
    pace.finishPauseMs = 0;
    pace.stallTimeoutMs = stallTimeoutMs;
    return pace;
}

} // namespace StripTest
