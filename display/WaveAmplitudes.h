#pragma once

#include <array>
#include <vector>

// The amplitudes of the P wave, the QRS complex and the T wave of one beat,
// between its wave boundaries: P against the level at its onset, QRS peak to
// peak, T against the isoelectric level at the QRS onset. The beat display
// writes them beside the beat and the windows store them with the measurement.
struct WaveAmplitudes
{
    // The boundaries in the order of the beat display's cursors.
    enum Point { POn = 0, POff, PPeak, QrsOn, QrsOff, TOn, TOff, TPeak, PointCount };

    struct Wave
    {
        bool found = false;
        double millivolts = 0.0;
        int peak = 0;       // sample index of the peak
        double value = 0.0; // the beat's value there
    };

    Wave p;
    Wave qrs;
    Wave t;

    // index: sample index of every boundary in the beat; enabled: which are set.
    static WaveAmplitudes measure(const std::vector<double>& beat, double millivoltsPerUnit,
                                  const std::array<int, PointCount>& index,
                                  const std::array<bool, PointCount>& enabled);
};
