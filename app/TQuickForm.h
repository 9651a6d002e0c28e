#pragma once

#include <QString>

// The rules of the launcher's quick patient forms.
namespace TQuickForm {

// Names given, an age above 1 and a sex chosen.
bool stressStartAllowed(const QString& lastName, const QString& firstName, const QString& age, bool male,
                        bool female);
// Names given.
bool ecgStartAllowed(const QString& lastName, const QString& firstName);

// "M", "F" or empty.
QString sex(bool male, bool female);

} // namespace TQuickForm
