// libFuzzer target: Kipnet value frames from any double (not-a-number,
// infinities, huge and tiny values): always 10 bytes, four digits within the
// cap, a checksum that matches.

#include "TKipnetFrame.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < sizeof(double) + 1)
        return 0;
    double value = 0;
    std::memcpy(&value, data + 1, sizeof value);
    QByteArray frame;
    int cap = 0;
    switch (data[0] % 3) {
    case 0: frame = TKipnetFrame::speed(value); cap = TKipnetFrame::MaxSpeedTenths; break;
    case 1: frame = TKipnetFrame::incline(value); cap = TKipnetFrame::MaxInclineTenths; break;
    default: frame = TKipnetFrame::workload(value); cap = TKipnetFrame::MaxWorkloadWatts; break;
    }
    if (frame.size() != 10 || frame[0] != ';' || frame[9] != ':')
        std::abort();
    bool ok = false;
    const int digits = frame.mid(3, 4).toInt(&ok);
    if (!ok || digits < 0 || digits > cap)
        std::abort();
    if (TKipnetFrame::checksum(frame.mid(1, 6)) != frame.mid(7, 2))
        std::abort();
    return 0;
}
