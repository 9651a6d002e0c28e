#pragma once

#include <array>
#include <vector>

class TBeat;
class TSignalBuffer;

// Moves the detector's per-lead wave times of a beat onto the nearby turning
// points of the full-rate signal, smoothed first so that noise does not make
// turning points of its own.
class TWavePointRefiner
{
public:
    static constexpr int TapCount = 32;
    // Samples searched on each side of a wave time.
    static constexpr int SearchRadius = 6;

    // The symmetric low-pass kernel.
    static const std::array<double, TapCount>& taps();

    // Smooths x with the kernel, the output shifted back by 15 samples so that it
    // lines up with x; values beyond either end count as the end value.
    static std::vector<double> smooth(const std::vector<double>& x);

    // Refines every lead's present wave times 1 to 5 of beat on raw (the full-rate
    // signal the beat was found in; times are seconds, common to both).
    static void refine(TBeat& beat, const TSignalBuffer& raw);

    // Index of the first turning point of y within centre +- SearchRadius that has
    // a neighbour on each side: a local maximum, or with extremum also a local
    // minimum; -1 when there is none.
    static int turningPoint(const std::vector<double>& y, int centre, bool extremum);
};
