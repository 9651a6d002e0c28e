#pragma once

#include "TProtocolStage.h"

#include <QByteArray>
#include <QJsonObject>
#include <QVector>

// A stress protocol: a named, typed, ordered list of timed stages. Copies are
// deep (the stages are held by value).
class TProtocol
{
public:
    enum Type { Treadmill = 0, Ergometer = 1, Ecg = 2, TiltTest = 3, Pharmacologic = 4 };

    QByteArray name() const { return m_name; }
    void setName(const QByteArray& name) { m_name = name; }
    int type() const { return m_type; }
    void setType(int type) { m_type = type; }

    int stageCount() const { return m_stages.size(); }
    // The caller keeps the index in range.
    TProtocolStage& stage(int index) { return m_stages[index]; }
    const TProtocolStage& stage(int index) const { return m_stages[index]; }

    // Opens a slot at the index (clamped to 0 ... stageCount). The slot still
    // holds a copy of the stage that was there; at the end it is a new stage.
    TProtocolStage& insertStage(int index);
    void appendStage(int phase, double duration, double speed, double incline);
    // An index outside the stages is ignored.
    void removeStage(int index);

    int countStagesInPhase(int phase) const;
    // Seconds; 0.0 for an index outside the stages.
    double stageStartTime(int index) const;
    double stageEndTime(int index) const;
    double totalDuration() const;
    // The stage running at the time; a boundary belongs to the later stage.
    // -1 before 0, past the end, or without stages.
    int stageAt(double seconds) const;

    void copy(const TProtocol& other) { *this = other; }
    void assign(const TProtocol& other) { *this = other; }

    bool operator==(const TProtocol& other) const;
    bool operator!=(const TProtocol& other) const { return !(*this == other); }

    static QJsonObject toJson(const TProtocol& protocol);
    static TProtocol fromJson(const QJsonObject& object);

    static QString typeWord(int type);
    static QString phaseWord(int phase);

private:
    QByteArray m_name;
    int m_type = Treadmill;
    QVector<TProtocolStage> m_stages;
};
