#pragma once

// Supplies the sample intervals a display draws in the highlight colour.
class MonitorHighlightProvider
{
public:
    virtual ~MonitorHighlightProvider() = default;

    // The first interval [start, end) to highlight within [from, to) of the lead,
    // or false when there is none.
    virtual bool nextInterval(int lead, int from, int to, int& start, int& end) = 0;
};
