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
    using namespace TLeadTable;
    // Each limb electrode takes part in two of I, II, III and in both of aVR, aVL.
    if (off[LA])
        leads[I] = leads[III] = leads[aVR] = leads[aVL] = 0;
    if (off[LL])
        leads[II] = leads[III] = leads[aVR] = leads[aVL] = 0;
    if (off[RA])
        leads[I] = leads[II] = leads[aVR] = leads[aVL] = 0;
    const Lead chest[] = {TLeadTable::V1, TLeadTable::V2, TLeadTable::V3,
                          TLeadTable::V4, TLeadTable::V5, TLeadTable::V6};
    for (int k = 0; k < 6; ++k)
        if (off[V1 + k])
            leads[chest[k]] = 0;
}

} // namespace TElectrodes
