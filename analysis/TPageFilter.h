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
};
