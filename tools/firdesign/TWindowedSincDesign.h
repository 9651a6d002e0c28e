#pragma once

#include <vector>

// The shapes the ECG filter tables are built from. A highpass is a delayed unit
// impulse minus a lowpass, a band-stop a delayed unit impulse minus a band-pass
// (the lowpass shifted to the centre frequency).
enum class TFirShape
{
    Lowpass,
    Highpass,
    Bandstop
};

// One windowed-sinc design: sinc of the cut-off frequency under a Kaiser window.
struct TWindowedSincParams
{
    TFirShape shape = TFirShape::Lowpass;
    int samplingRate = 500;
    int taps = 1;
    // Lowpass and highpass: the cut-off of the lowpass sinc. Band-stop: half the
    // width of the stop band (the cut-off of the lowpass that is shifted).
    double cutoffHz = 1.0;
    double beta = 0.0;
    // Lowpass only: the gain at 0 Hz.
    double gain = 1.0;
    // Band-stop only: the frequency removed completely.
    double centreHz = 0.0;
};

class TWindowedSincDesign
{
public:
    static std::vector<double> coefficients(const TWindowedSincParams& params);

private:
    static std::vector<double> lowpass(const TWindowedSincParams& params);
};
