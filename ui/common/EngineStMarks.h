#pragma once

#include "MonitorMarkProvider.h"

class TStudyRecorder;

// The ST points the recording engine measured on each lead's average beat, as
// the marks the monitor displays draw into their average-beat inset.
class EngineStMarks : public MonitorMarkProvider
{
public:
    // Not owned; must outlive the provider.
    explicit EngineStMarks(const TStudyRecorder* recorder);

    bool measure(int lead, int& first, int& second, int& third, double& levelMv) override;

private:
    const TStudyRecorder* m_recorder;
};
