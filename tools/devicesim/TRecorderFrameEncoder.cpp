#include "TRecorderFrameEncoder.h"

namespace TRecorderFrameEncoder {

namespace {

enum Lead { I = 0, II = 1, III = 2, V1 = 6, V2, V3, V4, V5, V6, CM5, CR5 };

void put(QByteArray& frame, int offset, qint16 value)
{
    frame[offset] = char(quint16(value) >> 8);
    frame[offset + 1] = char(quint16(value) & 0xFF);
}

} // namespace

std::array<quint8, 4> statusBytes(const Electrodes& off)
{
    std::array<quint8, 4> s{};
    // LA, LL, RA, V1, V2, V3, V4, V5, V6
    if (off[0]) s[0] |= 0x20;
    if (off[1]) s[0] |= 0x40;
    if (off[2]) s[1] |= 0x20;
    if (off[3]) s[2] |= 0x10;
    if (off[4]) s[2] |= 0x20;
    if (off[5]) s[2] |= 0x40;
    if (off[6]) s[2] |= 0x80;
    if (off[7]) s[0] |= 0x10;
    if (off[8]) s[3] |= 0x10;
    return s;
}

QByteArray defaultFrame(const qint16* leads, const Electrodes& off, quint8 battery)
{
    QByteArray f(40, '\0');
    const std::array<quint8, 4> s = statusBytes(off);
    f[0] = 0x01;
    f[1] = char(0xC0);
    f[2] = char(s[0]);
    f[3] = char(s[1]);
    put(f, 4, leads[V5]);
    put(f, 6, leads[I]);
    put(f, 8, leads[II]);
    put(f, 10, leads[III]);
    f[12] = 0x02;
    f[13] = char(0xC0);
    f[14] = char(s[2]);
    put(f, 16, leads[V1]);
    put(f, 18, leads[V2]);
    put(f, 20, leads[V3]);
    put(f, 22, leads[V4]);
    f[24] = 0x03;
    f[25] = char(0xC0);
    f[26] = char(s[3]);
    put(f, 28, leads[V6]);
    put(f, 30, leads[CM5]);
    put(f, 32, leads[CR5]);
    f[36] = char(battery);
    return f;
}

QByteArray hrFrame(const qint16* leads, const Electrodes& off, quint8 battery)
{
    QByteArray f(34, '\0');
    const std::array<quint8, 4> s = statusBytes(off);
    f[0] = char(0xC0);
    f[1] = char(s[0]);
    f[2] = char(s[1]);
    put(f, 3, leads[V5]);
    put(f, 5, leads[I]);
    put(f, 7, leads[II]);
    put(f, 9, leads[III]);
    f[11] = char(0xC0);
    f[12] = char(s[2]);
    put(f, 14, leads[V1]);
    put(f, 16, leads[V2]);
    put(f, 18, leads[V3]);
    put(f, 20, leads[V4]);
    f[22] = char(0xC0);
    f[23] = char(s[3]);
    put(f, 25, leads[V6]);
    put(f, 27, leads[CM5]);
    put(f, 29, leads[CR5]);
    f[33] = char(battery);
    return f;
}

} // namespace TRecorderFrameEncoder
