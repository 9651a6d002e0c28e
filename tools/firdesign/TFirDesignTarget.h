#pragma once

#include "TWindowedSincDesign.h"

#include <vector>

// The stated magnitude response at one frequency.
struct TResponsePoint
{
    double hz = 0.0;
    double value = 0.0;
    double weight = 1.0;
};

// A band over which the response must stay within tolerance of value ("below x"
// is value 0, tolerance x).
struct TResponseBand
{
    double fromHz = 0.0;
    double toHz = 0.0;
    double value = 0.0;
    double tolerance = 0.0;
    double weight = 1.0;
};

// What one coefficient table must do, and where its design search starts.
struct TFirDesignTarget
{
    const char* name = "";     // the table's identifier in the generated source
    const char* stated = "";   // the required response, in words
    TWindowedSincParams start; // shape, rate, length and the first guess
    std::vector<TResponsePoint> points;
    std::vector<TResponseBand> bands;
    // When set, the table reuses that table's fitted cut-off and window (only the
    // centre frequency differs) instead of a search of its own.
    const char* sameDesignAs = nullptr;
};
