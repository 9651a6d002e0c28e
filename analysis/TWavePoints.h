#pragma once

// Wave points of one beat as sample indices of the beat they were measured on;
// -1 means not found.
struct TWavePoints
{
    int pOnset = -1;
    int pPeak = -1;
    int pEnd = -1;
    int qrsOnset = -1;
    int qrsEnd = -1;
    int tOnset = -1;
    int tPeak = -1;
    int tEnd = -1;
    // The other reading of a T wave in two phases (one way, then the other),
    // when the beat leaves it open which phase is the wave: the peak and end
    // it then has. The leads decide between the two (see TMeasurementRecord).
    int tPeakOther = -1;
    int tEndOther = -1;

    bool hasQrs() const { return qrsOnset >= 0 && qrsEnd >= 0; }
};
