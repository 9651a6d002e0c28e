#include "TKipnetFrame.h"

#include <algorithm>
#include <cmath>

namespace TKipnetFrame {

QByteArray checksum(const QByteArray& body)
{
    int sum = 0;
    for (char c : body)
        sum += quint8(c);
    sum %= 256;
    // The hundreds digit is dropped.
    QByteArray digits(2, '0');
    digits[0] = char('0' + (sum / 10) % 10);
    digits[1] = char('0' + sum % 10);
    return digits;
}

QByteArray frame(const QByteArray& body)
{
    return ';' + body + checksum(body) + ':';
}

int scaled(double value, double scale, int cap)
{
    const double v = value * scale;
    if (!(v > 0)) // negative, zero or not a number
        return 0;
    if (v >= cap)
        return cap;
    return int(std::trunc(v));
}

QByteArray valueFrame(char command, int value, int cap, char address)
{
    const int v = std::clamp(value, 0, cap);
    QByteArray body;
    body.append(address);
    body.append(command);
    body.append(QByteArray::number(v).rightJustified(4, '0'));
    return frame(body);
}

QByteArray go(char address)
{
    return frame(QByteArray(1, address) + "GO");
}

QByteArray stop(char address)
{
    return frame(QByteArray(1, address) + "ST");
}

QByteArray speed(double kmh, char address)
{
    return valueFrame('V', scaled(kmh, 10.0, MaxSpeedTenths), MaxSpeedTenths, address);
}

QByteArray incline(double percent, char address)
{
    return valueFrame('E', scaled(percent, 10.0, MaxInclineTenths), MaxInclineTenths, address);
}

QByteArray workload(double watts, char address)
{
    return valueFrame('N', scaled(watts, 1.0, MaxWorkloadWatts), MaxWorkloadWatts, address);
}

} // namespace TKipnetFrame
