#include "TFirDesignCatalogue.h"

namespace {

TWindowedSincParams shape(TFirShape s, int rate, int taps, double cutoffHz, double beta, double centreHz = 0.0,
                          double gain = 1.0)
{
    TWindowedSincParams p;
    p.shape = s;
    p.samplingRate = rate;
    p.taps = taps;
    p.cutoffHz = cutoffHz;
    p.beta = beta;
    p.centreHz = centreHz;
    p.gain = gain;
    return p;
}

// The narrow notch at 250 per second: stated as 0.43 at +-2 Hz and within 0.3 %
// of 1 beyond +-5 Hz.
TFirDesignTarget narrowNotch(const char* name, const char* stated, double centre, const char* sameAs = nullptr)
{
    TFirDesignTarget s;
    s.name = name;
    s.stated = stated;
    s.start = shape(TFirShape::Bandstop, 250, 109, 2.0, 7.0, centre);
    s.points = {{centre - 2.0, 0.43, 1.0}, {centre + 2.0, 0.43, 1.0}};
    // 0.3 % cannot be had together with 0.43 at 109 taps: the weight settles
    // between the two (about 0.426 and 0.4 %).
    s.bands = {{0.0, centre - 5.0, 1.0, 0.003, 200.0}, {centre + 5.0, 125.0, 1.0, 0.003, 200.0}};
    s.sameDesignAs = sameAs;
    return s;
}

// The notches at 500 and 1000 per second: a given depth at +-2 Hz and a given
// overshoot at +-5 Hz.
TFirDesignTarget overshootNotch(const char* name, const char* stated, int rate, int taps, double centre, double at2,
                              double at5, const char* sameAs = nullptr)
{
    TFirDesignTarget s;
    s.name = name;
    s.stated = stated;
    s.start = shape(TFirShape::Bandstop, rate, taps, 2.0, 2.0, centre);
    s.points = {{centre - 2.0, at2, 1.0},
                {centre + 2.0, at2, 1.0},
                {centre - 5.0, at5, 1.0},
                {centre + 5.0, at5, 1.0}};
    s.bands = {{0.0, centre - 5.0, 1.0, at5 - 1.0, 1.0}, {centre + 5.0, rate / 2.0, 1.0, at5 - 1.0, 1.0}};
    s.sameDesignAs = sameAs;
    return s;
}

} // namespace

std::vector<TFirDesignTarget> TFirDesignCatalogue::targets()
{
    std::vector<TFirDesignTarget> all;

    all.push_back(narrowNotch("Notch50At250", "band-stop, zero at 50 Hz, about 0.43 at 48 and 52 Hz, within 0.3 % of 1 "
                                              "outside 45-55 Hz",
                              50.0));
    all.push_back(overshootNotch("Notch50At500", "zero at 50 Hz, 0.39 at 48/52 Hz, overshoot to 1.057 at 45/55 Hz", 500,
                                 195, 50.0, 0.39, 1.057));
    all.push_back(overshootNotch("Notch50At1000", "zero at 50 Hz, 0.53 at 48/52 Hz, 1.043 at 45/55 Hz", 1000, 391,
                                 50.0, 0.53, 1.043));
    all.push_back(narrowNotch("Notch60At250", "as the 50 Hz table, centred on 60 Hz", 60.0, "Notch50At250"));
    all.push_back(overshootNotch("Notch60At500", "as the 50 Hz table, centred on 60 Hz", 500, 195, 60.0, 0.39, 1.057,
                                 "Notch50At500"));
    all.push_back(overshootNotch("Notch60At1000", "as the 50 Hz table, centred on 60 Hz", 1000, 391, 60.0, 0.53, 1.043,
                                 "Notch50At1000"));

    {
        TFirDesignTarget s;
        s.name = "Lowpass40At500";
        s.stated = "gentle lowpass, 0.70 at 40 Hz, 0.41 at 60 Hz, 0.014 at 100 Hz";
        s.start = shape(TFirShape::Lowpass, 500, 12, 50.0, 3.0);
        s.points = {{40.0, 0.70, 1.0}, {60.0, 0.41, 1.0}, {100.0, 0.014, 1.0}};
        all.push_back(s);
    }
    {
        TFirDesignTarget s;
        s.name = "Lowpass40At1000";
        s.stated = "0.73 at 40 Hz, 0.45 at 60 Hz, 0.036 at 100 Hz";
        s.start = shape(TFirShape::Lowpass, 1000, 22, 50.0, 3.0);
        s.points = {{40.0, 0.73, 1.0}, {60.0, 0.45, 1.0}, {100.0, 0.036, 1.0}};
        all.push_back(s);
    }
    {
        TFirDesignTarget s;
        s.name = "Lowpass25At500";
        s.stated = "0.70 at 25 Hz, 0.15 at 50 Hz, below 0.03 above 60 Hz";
        s.start = shape(TFirShape::Lowpass, 500, 19, 30.0, 3.0);
        s.points = {{25.0, 0.70, 1.0}, {50.0, 0.15, 1.0}};
        s.bands = {{60.0, 250.0, 0.0, 0.03, 5.0}};
        all.push_back(s);
    }
    {
        TFirDesignTarget s;
        s.name = "Lowpass25At1000";
        s.stated = "0.72 at 25 Hz, 0.19 at 50 Hz; gain 1.01 at 0 Hz";
        s.start = shape(TFirShape::Lowpass, 1000, 34, 30.0, 3.0, 0.0, 1.01);
        s.points = {{25.0, 0.72, 1.0}, {50.0, 0.19, 1.0}};
        all.push_back(s);
    }
    {
        TFirDesignTarget s;
        s.name = "LowpassAt250";
        s.stated = "flat to 35 Hz, 0.79 at 40 Hz, 0.21 at 45 Hz, zero from 50 Hz";
        s.start = shape(TFirShape::Lowpass, 250, 62, 42.5, 5.0);
        s.points = {{40.0, 0.79, 1.0}, {45.0, 0.21, 1.0}};
        s.bands = {{0.0, 35.0, 1.0, 0.005, 5.0}, {50.0, 125.0, 0.0, 0.005, 5.0}};
        all.push_back(s);
    }
    {
        TFirDesignTarget s;
        s.name = "BaselineAt250";
        s.stated = "highpass, 0.28 at 0.5 Hz, 0.76 at 1 Hz, 1.0 from 5 Hz; not symmetric";
        s.start = shape(TFirShape::Highpass, 250, 382, 0.6, 3.0);
        s.points = {{0.5, 0.28, 1.0}, {1.0, 0.76, 1.0}};
        s.bands = {{5.0, 125.0, 1.0, 0.005, 5.0}};
        all.push_back(s);
    }
    {
        TFirDesignTarget s;
        s.name = "BaselineAt500";
        s.stated = "highpass, 0.16 at 0.5 Hz, 0.51 at 1 Hz, 1.0 from 5 Hz";
        s.start = shape(TFirShape::Highpass, 500, 501, 0.8, 3.0);
        s.points = {{0.5, 0.16, 1.0}, {1.0, 0.51, 1.0}};
        s.bands = {{5.0, 250.0, 1.0, 0.005, 5.0}};
        all.push_back(s);
    }
    {
        TFirDesignTarget s;
        s.name = "BaselineAt1000";
        s.stated = "highpass, 0.45 at 0.5 Hz, 1.07 at 1 Hz, ripple +-2 % above";
        s.start = shape(TFirShape::Highpass, 1000, 1355, 0.5, 0.5);
        s.points = {{0.5, 0.45, 1.0}, {1.0, 1.07, 1.0}};
        // The overshoot at 1 Hz needs an untapered window, whose ripple dies
        // away slowly: +-2 % is reached only from about 4 Hz.
        s.bands = {{3.0, 500.0, 1.0, 0.02, 1.0}};
        all.push_back(s);
    }
    {
        TFirDesignTarget s;
        s.name = "InputHighpassAt500";
        s.stated = "highpass, 0.45 at 0.3 Hz, 0.83 at 0.5 Hz, 1.0 from 1 Hz";
        s.start = shape(TFirShape::Highpass, 500, 1501, 0.3, 3.0);
        s.points = {{0.3, 0.45, 1.0}, {0.5, 0.83, 1.0}};
        s.bands = {{1.0, 250.0, 1.0, 0.005, 5.0}};
        all.push_back(s);
    }
    {
        TFirDesignTarget s;
        s.name = "DecimationAt1000";
        s.stated = "0.49 at 200 Hz, 0.03 at 250 Hz, flat to 125 Hz";
        s.start = shape(TFirShape::Lowpass, 1000, 29, 200.0, 5.0);
        s.points = {{200.0, 0.49, 1.0}, {250.0, 0.03, 1.0}};
        s.bands = {{0.0, 125.0, 1.0, 0.005, 5.0}};
        all.push_back(s);
    }
    return all;
}
