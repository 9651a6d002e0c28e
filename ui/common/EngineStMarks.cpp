#include "EngineStMarks.h"

#include "TStudyRecorder.h"

EngineStMarks::EngineStMarks(const TStudyRecorder* recorder) : m_recorder(recorder)
{
}

bool EngineStMarks::measure(int lead, int& first, int& second, int& third, double& levelMv)
{
    const TStudyRecorder::StMarks marks = m_recorder->stMarks(lead);
    // A lead the engine has not measured yet has all three points at 0.
    if (marks.baseline <= 0 && marks.level <= 0 && marks.slope <= 0)
        return false;
    first = marks.baseline;
    second = marks.level;
    third = marks.slope;
    levelMv = marks.levelMv;
    return true;
}
