#include "TQuickForm.h"

namespace TQuickForm {

bool stressStartAllowed(const QString& lastName, const QString& firstName, const QString& age, bool male,
                        bool female)
{
    // Non-numeric text reads as 0 and keeps the start disabled.
    return ecgStartAllowed(lastName, firstName) && age.trimmed().toInt() > 1 && (male || female);
}

bool ecgStartAllowed(const QString& lastName, const QString& firstName)
{
    return !lastName.trimmed().isEmpty() && !firstName.trimmed().isEmpty();
}

QString sex(bool male, bool female)
{
    if (male)
        return QStringLiteral("M");
    return female ? QStringLiteral("F") : QString();
}

} // namespace TQuickForm
