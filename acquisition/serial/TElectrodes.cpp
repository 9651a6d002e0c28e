#include "TElectrodes.h"

#include "TLeadTable.h"

#include <cstring>

namespace TElectrodes {

namespace {
const char* const names[Count] = {"LA", "LL", "RA", "V1", "V2", "V3", "V4", "V5", "V6"};
}

const char* name(int electrode)
{
    return electrode >= 0 && electrode < Count ? names[electrode] : "";
}

int index(const char* electrodeName)
{
    if (!electrodeName)
        return -1;
    for (int i = 0; i < Count; ++i)
        if (std::strcmp(electrodeName, names[i]) == 0)
            return i;
    return -1;
}

OffFlags fromStatusBytes(quint8 a, quint8 b, quint8 c, quint8 d)
{
    OffFlags off{};
    off[LA] = a & 0x20;
    off[LL] = a >= 64; // bit 6 or bit 7
    off[RA] = b & 0x60; // bit 5 or bit 6
    off[V1] = c & 0x10;
    off[V2] = c & 0x20;
    off[V3] = c & 0x40;
    off[V4] = c & 0x80;
    off[V5] = a & 0x10;
    off[V6] = d & 0x10;
    return off;
}

void zeroDependentLeads(const OffFlags& off, qint16* leads)
{
    for (int lead = 0; lead < TLeadTable::LeadCount; ++lead)
        for (int e = 0; e < Count; ++e)
            if (off[size_t(e)] && TLeadTable::usesElectrode(lead, names[e]))
                leads[lead] = 0;
}

} // namespace TElectrodes
