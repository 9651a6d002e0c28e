#pragma once

#include "TStreamFilter.h"

#include <vector>

// Lowers the rate by an integer step: each output is the mean of step
// consecutive source samples, truncated toward zero. Feeds the analysis signal at
// 250 per second.
class TAverageDecimator : public TStreamFilter
{
public:
    // A step below 1 counts as 1.
    explicit TAverageDecimator(int step, TStreamOutput output = {});

    void process() override;

protected:
    int stepFor(int sourceRate) const override;

private:
    int m_requestedStep;
    std::vector<double> m_inputs;
    std::vector<std::vector<double>> m_outputs;
};
