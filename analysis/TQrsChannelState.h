#pragma once

#include <vector>

// What the QRS search of one channel keeps between processing steps.
struct TQrsChannelState
{
    TQrsChannelState(int samplingRate, int sourceResolution)
        : rate(samplingRate > 0 ? samplingRate : 1), inverseRate(1.0 / rate), resolution(sourceResolution),
          marks(size_t(10 * rate), 0)
    {
    }

    int rate;
    double inverseRate;
    int resolution;

    // Search parameters, seconds unless noted.
    double lineSpread = 0.025;     // a maxima line may move this much from scale to scale
    double isolation = 0.15;       // a maximum with no opposite-sign partner this close is isolated
    double refractory = 0.2;       // a second complex this soon needs most of the last one's amplitude
    double partnerWindow = 0.06;   // a competing partner this close to the pair is weighed against it
    double mergeWindow = 0.04;     // same-sign maxima this close are one maximum
    double partnerRatio = 0.75;    // how much larger a competing partner must be to win (as 1 / ratio)

    // Maxima marks of the last 10 s: +1 / -1 by the sign of the scale-2^1 value.
    std::vector<int> marks;
    int scanPosition = 0;
    int lastR = 0;
    bool hasLastR = false;
    double meanRR = 0.0;

    // The three search flags.
    bool searchedBack = false; // a search back was made for the interval ending at searchBackEnd
    bool learned = false;      // the channel has amplitude references from accepted complexes
    bool scanMoved = false;    // the scan was moved forward over a gap
    int searchBackEnd = -1;

    int& markAt(int index) { return marks[size_t(index % int(marks.size()))]; }
};
