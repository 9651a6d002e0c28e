#include "TRecorderFrame.h"

#include "TLeadTable.h"

#include <algorithm>

namespace {

qint16 bigEndian(const quint8* p)
{
    return qint16(quint16((quint16(p[0]) << 8) | p[1]));
}

qint16 limited(int value)
{
    return qint16(std::clamp(value, -32768, 32767));
}

// Byte offsets of the transmitted leads and of the status and battery bytes.
struct Layout
{
    int statusA, statusB, statusC, statusD;
    int v5, i, ii, iii;
    int v1, v2, v3, v4;
    int v6, cm5, cr5;
    int battery;
};

// Three packets, each led by its number (1, 2, 3) and 0xC0.
constexpr Layout defaultLayout = {2, 3, 14, 26, 4, 6, 8, 10, 16, 18, 20, 22, 28, 30, 32, 36};
// The same packets without numbers, each led by 0xC0, then the battery byte.
constexpr Layout hrLayout = {1, 2, 12, 23, 3, 5, 7, 9, 14, 16, 18, 20, 25, 27, 29, 33};

} // namespace

TRecorderFrame TRecorderFrame::decode(TRecorderProtocol::Format format, const quint8* bytes)
{
    const Layout& at = format == TRecorderProtocol::Format::HR ? hrLayout : defaultLayout;
    TRecorderFrame frame;
    frame.status = {bytes[at.statusA], bytes[at.statusB], bytes[at.statusC], bytes[at.statusD]};
    frame.battery = bytes[at.battery];
    using namespace TLeadTable;
    frame.leads[I] = bigEndian(bytes + at.i);
    frame.leads[II] = bigEndian(bytes + at.ii);
    frame.leads[III] = bigEndian(bytes + at.iii);
    frame.leads[V1] = bigEndian(bytes + at.v1);
    frame.leads[V2] = bigEndian(bytes + at.v2);
    frame.leads[V3] = bigEndian(bytes + at.v3);
    frame.leads[V4] = bigEndian(bytes + at.v4);
    frame.leads[V5] = bigEndian(bytes + at.v5);
    frame.leads[V6] = bigEndian(bytes + at.v6);
    frame.leads[CM5] = bigEndian(bytes + at.cm5);
    frame.leads[CR5] = bigEndian(bytes + at.cr5);
    frame.deriveAugmentedLeads();
    return frame;
}

void TRecorderFrame::deriveAugmentedLeads()
{
    using namespace TLeadTable;
    const int i = leads[I];
    const int ii = leads[II];
    const int iii = leads[III];
    // C++ integer division truncates toward zero, as the recorder's formulas ask.
    leads[aVR] = limited(-(i + ii) / 2);
    leads[aVL] = limited((i - iii) / 2);
    leads[aVF] = limited((ii + iii) / 2);
}
