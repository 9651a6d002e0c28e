#include "TBloodPressureEntry.h"

namespace TBloodPressureEntry {

int value(const QString& text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok && v > 0 ? v : 0;
}

bool acceptable(int systolic, int diastolic)
{
    return systolic >= 1 && diastolic >= 1 && systolic > diastolic;
}

bool systolicComplete(int systolic)
{
    return systolic >= CompleteSystolic;
}

} // namespace TBloodPressureEntry
