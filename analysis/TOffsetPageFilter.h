#pragma once

#include "TPageFilter.h"

#include <vector>

class TSignalBuffer;

// Removes each channel's offset and slow drift over the whole recording: the
// straight line through the mean of its first 3 s and the mean of its last 3 s,
// as the signal stood when the filter was made. The first stage of every paged
// chain, so that the later stages start from a signal around zero.
class TOffsetPageFilter : public TPageFilter
{
public:
    // y = a * i^2 + b * i + c for sample index i.
    struct Fit
    {
        double a = 0.0;
        double b = 0.0;
        double c = 0.0;
        double at(double i) const { return (a * i + b) * i + c; }
    };

    // Fits every channel of source as it stands now.
    explicit TOffsetPageFilter(const TSignalBuffer& source);
    TOffsetPageFilter(std::vector<Fit> fits, int fitLength);

    void filterPage(const TPageWindow& window, qint16* output) const override;

    const Fit& fit(int channel) const;
    int fitLength() const { return m_fitLength; }

    // The quadratic through three points; with two points at the same place, the
    // line through the outer two (or the level of the first).
    static Fit throughPoints(double x1, double y1, double x2, double y2, double x3, double y3);

private:
    static Fit fitChannel(const TSignalBuffer& source, int channel);

    std::vector<Fit> m_fits;
    int m_fitLength = 0;
};
