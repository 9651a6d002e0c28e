#pragma once

// The source around one page of one channel, as a page filter sees it: the page
// and its two neighbours side by side, with zeros where a neighbour is absent
// (before the signal, not yet recorded, or no longer held).
struct TPageWindow
{
    int channel = 0;
    int page = 0;
    int length = 0;       // samples per page
    int sourceLength = 0; // samples per channel in the source when the page is computed
    // values[i] for -length <= i < 2 * length; values[0] is the page's first sample.
    const double* values = nullptr;
    bool hasPrevious = false;
    bool hasCurrent = false;
    bool hasNext = false;

    int firstIndex() const { return page * length; }
};
