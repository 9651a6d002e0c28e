#pragma once

#include "TBeatRecord.h"

// A beat one channel found, waiting for fusion with the other channels: its
// record and how strong the complex was in that channel.
struct TQrsCandidate
{
    TBeatRecord record;
    double amplitude = 0.0; // peak to peak of the scale-2^1 transform across the pair
    double strength = 0.0;  // largest |scale-2^3| value at the complex
    double clearance = 0.0; // its largest |scale-2^2| value over the channel's noise level
};
