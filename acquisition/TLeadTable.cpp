#include "TLeadTable.h"

#include <cstring>

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

bool usesElectrode(int lead, const char* electrode)
{
    if (!electrode)
        return false;
    if (std::strcmp(electrode, "LA") == 0)
        return lead == I || lead == III || lead == aVR || lead == aVL;
    if (std::strcmp(electrode, "LL") == 0)
        return lead == II || lead == III || lead == aVR || lead == aVL;
    if (std::strcmp(electrode, "RA") == 0)
        return lead == I || lead == II || lead == aVR || lead == aVL;
    if (electrode[0] == 'V' && electrode[1] >= '1' && electrode[1] <= '6' && electrode[2] == '\0')
        return lead == V1 + (electrode[1] - '1');
    return false;
}

} // namespace TLeadTable
