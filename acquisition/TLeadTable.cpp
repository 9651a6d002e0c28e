#include "TLeadTable.h"

namespace TLeadTable {

namespace {
const char* const names[DemoLeadCount] = {"I",  "II", "III", "aVR", "aVL", "aVF", "V1",  "V2",
                                          "V3", "V4", "V5",  "V6",  "CM5", "CR5", "XX1", "XX2"};
}

const char* leadName(int index)
{
    return index >= 0 && index < DemoLeadCount ? names[index] : "";
}

int leadIndex(const QByteArray& name)
{
    for (int i = 0; i < DemoLeadCount; ++i)
        if (name == names[i])
            return i;
    return -1;
}

QList<int> selectedLeads(int mask, int leadCount)
{
    QList<int> leads;
    const quint32 bits = quint32(mask);
    for (int i = 0; i < leadCount && i < 32; ++i)
        if (bits & (1u << i))
            leads.append(i);
    return leads;
}

} // namespace TLeadTable
