#pragma once

#include <QString>
#include <QVector>

#include <optional>
#include <utility>

class TProtocol;
class TStudyResults;
class TTrend;

// The corrections a clinician makes to the per-stage table of a recorded stress
// test, applied to the study's executed protocol and results: a stage's load
// (its METS following), METS, heart rate, blood pressure (the double product
// following), ST level and slope; the maxima and the trend points of the
// pressures and double products follow every edit. A text that does not read
// as a value of its column, or lies outside the column's range, changes nothing.
class TStageEditor
{
public:
    enum class Column
    {
        Stage,
        Duration,
        Speed,
        Incline,
        Workload,
        Dose,
        Mets,
        HeartRate,
        BloodPressure,
        DoubleProduct,
        StLevel,
        StSlope
    };

    // The table's columns in order for a protocol type (treadmill: speed and
    // incline; ergometer: workload; pharmacologic: dose; others: no load).
    static QVector<Column> columns(int protocolType);
    // Stage, duration and the double product are derived: read-only.
    static bool isEditable(Column column);

    // Plausible values (a horse's treadmill runs up to 60 km/h; a cat's heart
    // 300 per minute and more).
    static constexpr double MaxSpeedKmh = 80.0;
    static constexpr double MinInclinePercent = -25.0;
    static constexpr double MaxInclinePercent = 45.0;
    static constexpr double MaxWorkload = 5000.0; // watts or kgm/min
    static constexpr double MaxDose = 1e6;
    static constexpr double MaxMets = 60.0;
    static constexpr int MaxHeartRate = 400;
    static constexpr int MinSystolic = 30;
    static constexpr int MaxSystolic = 350;
    static constexpr int MinDiastolic = 10;
    static constexpr int MaxDiastolic = 250;
    static constexpr double MaxStMm = 50.0;
    // A stage's pressure trend point lies at most this far before its end.
    static constexpr double TrendPointSeconds = 20.0;

    // A number as typed into a cell, optionally followed by the column's unit
    // ("4.5", "4.5 km/h"; a decimal comma is taken too); none for anything else.
    static std::optional<double> number(const QString& text, const QString& unit = QString());
    // "systolic/diastolic", the whole text, systolic above diastolic, both in
    // range; none for anything else.
    static std::optional<std::pair<int, int>> bloodPressure(const QString& text);

    // None of the arguments is owned. weightKg: the patient's weight (0 when
    // not known); workloadUnit: "watts" or "kgm/min"; stLead: the channel of
    // the ST columns.
    TStageEditor(TProtocol& executed, TStudyResults& results, int protocolType, double weightKg,
                 const QString& workloadUnit, int stLead);

    // Applies the text typed into a stage's cell; false when nothing changed.
    bool apply(int stage, Column column, const QString& text);

    // The stage's point of a trend at time t (the end of the stage): the last
    // point at or before t, when it lies less than TrendPointSeconds before it,
    // takes the value; otherwise a point (t, value) is inserted in time order.
    static void setStagePoint(TTrend& trend, double t, double value);

private:
    bool setLoad(int stage, const char* property, double value, const QString& unit);
    void setPerStage(const QString& name, int stage, double value);
    double perStage(const QString& name, int stage) const;
    void updateDoubleProduct(int stage);
    void followPressures(int stage);

    TProtocol& m_executed;
    TStudyResults& m_results;
    int m_protocolType;
    double m_weightKg;
    QString m_workloadUnit;
    int m_stLead;
};
