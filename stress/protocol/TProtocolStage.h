#pragma once

#include <QMap>
#include <QString>

// One stage of a stress protocol: its phase, its length and the load applied
// in it. Values are kept in their base units ("km/h", "%", "watts", none);
// the unit argument converts on the way in and out.
class TProtocolStage
{
public:
    enum Phase { Rest = 0, Exercise = 1, Recovery = 2 };

    int phase() const { return m_phase; }
    void setPhase(int phase) { m_phase = phase; }

    // Seconds.
    double duration() const { return m_duration; }
    void setDuration(double seconds) { m_duration = seconds; }

    // 0.0 for a value the stage does not hold. An empty unit is the base unit.
    double value(const QString& name, const QString& unit = QString()) const;
    void setValue(const QString& name, double value, const QString& unit = QString());
    bool hasValue(const QString& name) const { return m_values.contains(name); }

    bool operator==(const TProtocolStage& other) const;
    bool operator!=(const TProtocolStage& other) const { return !(*this == other); }

private:
    int m_phase = Exercise;
    double m_duration = 60.0;
    QMap<QString, double> m_values;
};
