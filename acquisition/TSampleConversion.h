#pragma once

#include <QtGlobal>
#include <cmath>

// A double turned into a 16-bit code by truncation toward zero. Values beyond the
// 16-bit range saturate (a plain conversion would be undefined there); NaN gives 0.
inline qint16 saturatingCode(double value)
{
    if (!(value == value))
        return 0;
    if (value >= 32767.0)
        return 32767;
    if (value <= -32768.0)
        return -32768;
    return qint16(std::trunc(value));
}
