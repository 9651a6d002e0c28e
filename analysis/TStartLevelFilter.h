#pragma once

#include "TStreamFilter.h"

#include <vector>

// Subtracts each channel's first sample from all its samples. The streaming
// filters see zeros before the first sample; an electrode offset would come in
// as a step that rings through the long baseline filters for seconds and hides
// the first beats. Starting from zero there is no step.
class TStartLevelFilter : public TStreamFilter
{
public:
    explicit TStartLevelFilter(TStreamOutput output = {});

    void process() override;
    // The signal has ended: appends count more samples of each channel's last
    // output, so that the centred filters after this one can give the outputs
    // of the last real samples.
    void hold(int count);

protected:
    void reset() override;

private:
    std::vector<double> m_levels;
    bool m_haveLevels = false;
    std::vector<double> m_inputs;
    std::vector<std::vector<double>> m_outputs;
};
