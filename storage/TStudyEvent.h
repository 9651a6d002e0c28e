#pragma once

#include <QString>

// An event marked in a study: where it starts and how long it lasts, in seconds
// of recording time, and whether the report prints it.
struct TStudyEvent
{
    QString description;
    double position = 0.0;
    double duration = 0.0;
    bool print = false;

    bool operator==(const TStudyEvent& o) const
    {
        return description == o.description && position == o.position && duration == o.duration
               && print == o.print;
    }
    bool operator!=(const TStudyEvent& o) const { return !(*this == o); }
};
