#pragma once

#include <QtGlobal>

// A counter-based random source: every draw is a pure function of its key,
// so that a recording or a disturbance renders the same however it is cut
// into stretches.
namespace TCounterRandom {

// The splitmix64 finaliser.
inline quint64 mix(quint64 x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Uniform in (0, 1) from 53 bits of a mixed key.
inline double unit(quint64 mixed)
{
    return (double(mixed >> 11) + 0.5) / 9007199254740992.0;
}

} // namespace TCounterRandom
