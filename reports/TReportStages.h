#pragma once

#include "TStageTable.h"

#include <QString>

class TProtocol;
class TStudyResults;

// The stage table of a stress or tilt test's report: one row per executed
// stage with its name, duration and load and the values measured in it (heart
// rate, blood pressure, double product, METS, the ST of one lead), and for a
// tilt test the time tilted. Texts as the report prints them.
class TReportStages
{
public:
    using Load = TStageTable::Load;

    // executed: the stages as run (null: no stages); stLead: the recording
    // channel whose ST the table shows; workloadUnit "watts" or "kgm/min";
    // expectedDuration: "%1 min." instead of the minutes and seconds run.
    TReportStages(const TProtocol* executed, const TStudyResults& results, int stLead, const QString& workloadUnit,
                  bool expectedDuration);

    int count() const;
    int protocolType() const { return m_type; }
    Load load() const { return TStageTable::loadOf(m_type); }

    // A cell of stage index: "name", "duration", "props", "HR", "BP", "DP",
    // "METS", "STLevel", "STSlope", "tiltElapsed"; empty for another name or an
    // index outside the stages.
    QString value(const QString& column, int index) const;
    static bool isColumn(const QString& column);

    // The title of the load column: "Speed / Incline", "Workload", "Dose" or empty.
    QString propsLabel() const;

    // The executed stage running at a time of the recording; the last one for a
    // time past them all; -1 without stages or before 0.
    int stageAt(double seconds) const;
    // "%s %d": the phase name and the stage's number within its phase ("Rest 1",
    // "Exercise 2", "Basal 1", "Control 3"); the exercise stages of a
    // pharmacologic test are "Dose %1"; a phase without a name gives the number.
    QString stageName(int index) const;

    // A stored number as a whole one, truncated: 0 for one that is not a number
    // or lies beyond a billion (a damaged study file).
    static int whole(double value);
    // "%02d:%02d" of whole seconds.
    static QString clock(double seconds);
    // "%1 min.": minutes to a tenth, no trailing zero ("3 min.", "2.5 min.").
    static QString minutes(double seconds);

private:
    double perStage(const QString& name, int index) const;

    const TProtocol* m_executed;
    const TStudyResults& m_results;
    int m_type;
    int m_stLead;
    QString m_workloadUnit;
    bool m_expected;
};
