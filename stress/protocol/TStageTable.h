#pragma once

#include <optional>

#include <QString>
#include <QStringList>
#include <QVector>

class TProtocol;
class TStudyResults;

// The per-stage table of a stress test, as the stress monitor window and
// velmora-cli show it: one row per executed stage with its name, duration,
// load, METS, heart rate, blood pressure, double product and the ST level and
// slope of the ST lead.
//
// The ST lead is found by name among the study's leads: V5 where the
// recording has it (the per-stage ST values are stored by the recording's
// channel, and V5 is channel 6 of the launcher's seven leads), otherwise the
// first of V6, V4, II, I; otherwise the first lead. The header names it.
class TStageTable
{
public:
    // The load columns by protocol type.
    enum class Load
    {
        SpeedIncline, // treadmill
        Workload,     // ergometer
        Dose,         // pharmacologic
        None          // resting ECG, tilt test
    };

    // The ST lead found by name as described above.
    static constexpr int FindStLead = -2;

    // executed: the stages as run; protocolType: the planned protocol's type;
    // leadNames: the recording's channels in order; workloadUnit "watts" or
    // "kgm/min"; stLead: the channel whose ST values the table shows (one
    // outside the leads gives the first lead), or FindStLead.
    TStageTable(const TProtocol& executed, int protocolType, const TStudyResults& results,
                const QStringList& leadNames, const QString& workloadUnit, int stLead = FindStLead);

    // One executed stage's values: load in the table's units (speed km/h,
    // incline %, workload in the workload unit, dose), ST in millimetres at
    // 10 mm/mV.
    struct Stage
    {
        QString name;
        double seconds = 0.0;
        double speed = 0.0;
        double incline = 0.0;
        double workload = 0.0;
        double dose = 0.0;
        double mets = 0.0;
        int heartRate = 0;
        int systolic = 0;
        int diastolic = 0;
        int doubleProduct = 0;
        double stLevelMm = 0.0;
        double stSlopeMmPerSecond = 0.0;
    };

    QStringList headers() const;
    int rowCount() const { return m_stages.size(); }
    const QVector<Stage>& stages() const { return m_stages; }
    // The cells of a row as the table shows them.
    QStringList row(int index) const;
    QString workloadUnit() const { return m_workloadUnit; }

    int stLead() const { return m_stLead; }
    QString stLeadName() const { return m_stLeadName; }
    Load load() const { return m_load; }

    static Load loadOf(int protocolType);
    // "Rest", "Exercise", "Recovery"; for a tilt test "Basal", "", "Control".
    static QString phaseName(int protocolType, int phase);
    // "%s %d": the phase name and the stage's number among the executed stages
    // of its phase (the number alone for a phase without a name).
    static QString stageName(const TProtocol& executed, int protocolType, int index);
    // The stage's number among the executed stages of its phase, from 1.
    static int numberInPhase(const TProtocol& executed, int index);
    // A value typed into a cell: digits with one "." or "," and a sign, the
    // unit after it allowed; none for anything else ("1e3", "inf", "nan" and
    // blanks included).
    static std::optional<double> readNumber(const QString& text, const QString& unit = QString());
    // The channel of the ST lead among leadNames (see above); -1 for no leads.
    static int findStLead(const QStringList& leadNames);
    // "watts" when "Config/ErgometerWorkloadUnits" says so, "kgm/min" otherwise.
    static QString workloadUnitFromSettings();

private:
    Stage stageOf(const TProtocol& executed, const TStudyResults& results, int index) const;

    int m_protocolType;
    Load m_load;
    QString m_workloadUnit;
    int m_stLead;
    QString m_stLeadName;
    QVector<Stage> m_stages;
};
