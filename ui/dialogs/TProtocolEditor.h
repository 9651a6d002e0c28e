#pragma once

#include "TProtocol.h"

#include <QByteArrayList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// The rules of the protocol editor, on a working copy of a protocol: the stage
// table's columns and texts, adding and removing stages, what a typed cell
// changes, and when the protocol may be stored. Loads are limited to what the
// treadmill and ergometer controllers can send: a value they would cut or
// drop is refused here, where the clinician sees it, and the stage keeps its
// previous value.
class TProtocolEditor
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
        Blank
    };

    // What the machines accept (the Kipnet caps: 40.0 km/h, 20.0 %, 800 W;
    // neither controller sends a negative value).
    static const double MaxSpeedKmh;
    static const double MaxInclinePercent;
    static const double MaxWorkloadWatts;
    // No machine takes a dose; a bolus count or rate in the thousands is a typo.
    static constexpr double MaxDose = 1000.0;
    // One second to an hour per stage: a longer stage is a typo of minutes.
    static constexpr int MinDurationSeconds = 1;
    static constexpr int MaxDurationSeconds = 3600;

    // workloadUnit: "watts" or "kgm/min".
    TProtocolEditor(const TProtocol& protocol, const QString& workloadUnit);

    const TProtocol& protocol() const { return m_protocol; }
    QString workloadUnit() const { return m_workloadUnit; }

    // The protocol types of the type combo's items "Treadmill", "Ergometer",
    // "Pharmacologic"; -1 / no index for any other.
    static int typeOfIndex(int comboIndex);
    static int indexOfType(int protocolType);
    // The type changes only while there are no stages; false when refused.
    bool setType(int protocolType);
    bool typeChangeable() const { return m_protocol.stageCount() == 0; }

    QVector<Column> columns() const;
    QStringList headers() const;
    // Neither the stage name nor the blank last column is typed into.
    bool isEditable(int column) const;
    QStringList row(int stage) const;

    // "Rest %1", "Exercise %1", "Recovery %1": the number among its phase's stages.
    static QString stageName(const TProtocol& protocol, int stage);
    // "%02d:%02d" of the whole minutes and seconds.
    static QString durationText(double seconds);

    // A new exercise stage of 60 s at the end, given the phase. Returns its row.
    int appendStage(int phase);
    // At the row (0 when negative): a copy of the stage there, given the phase.
    // Returns the new stage's row.
    int insertStage(int row, int phase);
    // False for a row outside the stages.
    bool removeStage(int row);

    // Applies the text typed into a cell. Returns the refusal shown to the user
    // when the text does not give a value the stage may take (the stage keeps
    // its value); empty when the stage took it.
    QString apply(int stage, int column, const QString& text);

    // Duration typed as "m:ss" or as whole minutes; none for a text that gives
    // 0:00 (seconds above 59 included) or nothing readable.
    static std::optional<qint64> durationSeconds(const QString& text);
    // A decimal number (point or comma), optionally followed by the unit word;
    // none for anything else ("1e3", "inf", "5 mph").
    static std::optional<double> number(const QString& text, const QString& unit = QString());

    // One rest stage, one or more exercise stages, one or more recovery stages.
    static bool stageOrderValid(const TProtocol& protocol);
    // The built-in tilt test has this name: a stored protocol of that name
    // could never be chosen. Compared trimmed and without regard to case, so
    // that the launcher's list holds no look-alike of the built-in entry.
    static bool isReservedName(const QString& name);
    // Why the protocol may not be stored under the name yet; empty when it may.
    QString problem(const QString& name) const;
    bool isValid(const QString& name) const { return problem(name).isEmpty(); }

    // Storing under newName would replace another protocol of the table: a
    // protocol opened as originalName keeps its own entry.
    static bool replacesAnother(const QString& originalName, const QString& newName, const QByteArrayList& names);

private:
    QString loadProblem(int stage) const;

    TProtocol m_protocol;
    QString m_workloadUnit;
};
