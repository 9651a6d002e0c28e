#pragma once

#include "TFirDesignTarget.h"

#include <vector>

// The sixteen coefficient tables of the ECG filters: for each its length, shape,
// the response it must have, and where the design search starts.
class TFirDesignCatalogue
{
public:
    static std::vector<TFirDesignTarget> targets();
};
