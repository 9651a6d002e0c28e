#pragma once

#include "TPageWindow.h"

#include <QtGlobal>

// Computes one page of a filtered signal from the source around it. Used by
// TFilterView, which caches what it returns; a filter keeps no state between
// pages, so pages can be computed in any order.
class TPageFilter
{
public:
    virtual ~TPageFilter() = default;
    // Writes window.length codes to output.
    virtual void filterPage(const TPageWindow& window, qint16* output) const = 0;
    // How many pages of one length filterPages takes to best effect at once.
    virtual int batchSize() const { return 1; }
    // Each window's page into its output, as filterPage would write it; a
    // filter may work on several at once.
    virtual void filterPages(const TPageWindow* windows, qint16* const* outputs, int count) const
    {
        for (int i = 0; i < count; ++i)
            filterPage(windows[i], outputs[i]);
    }
};
