#pragma once

#include "TWavePoints.h"

#include <QMap>
#include <QString>
#include <optional>

class TBeatAverager;

// The named wave measurements of an average beat: wave times in seconds
// relative to its fiducial point (negative before R; 0.0 means not found), the
// mean RR, the QRS axis and the wave amplitudes; and the intervals derived from
// them, in whole milliseconds.
class TMeasurementRecord
{
public:
    static constexpr double NoAxis = -999.0;

    double value(const QString& key) const { return m_values.value(key, 0.0); }
    void setValue(const QString& key, double value) { m_values.insert(key, value); }
    bool contains(const QString& key) const { return m_values.contains(key); }
    const QMap<QString, double>& values() const { return m_values; }

    // QRS and QT exist when QRS onset and end (and T end) were found, whatever the
    // P wave: atrial fibrillation and paced beats have them too; PR needs the P
    // onset besides.
    std::optional<int> prMs() const;
    std::optional<int> qrsMs() const;
    // P wave duration, when its onset and end were found.
    std::optional<int> pMs() const;
    std::optional<int> qtMs() const;
    // Bazett: QT / sqrt(RR), when the QT exists and the mean RR is known.
    std::optional<int> qtcMs() const;
    std::optional<int> rrMs() const;

    // Fills the wave times from points measured on a beat with R at rIndex.
    void setWavePoints(const TWavePoints& points, int rIndex, int rate);

    // Measures the averager's average beat of channel (the reference channel when
    // -1): wave points (each wave no shorter than in the median lead, see
    // TLeadSpread), mean RR and, from the channels named "I" and "III", the QRS
    // axis.
    static TMeasurementRecord measure(TBeatAverager& averager, int channel = -1);

    // Frontal QRS axis in degrees from the net QRS deflections of leads I and III
    // between QRS onset and end (sample indices of the beats).
    static double qrsAxis(const double* leadI, const double* leadIII, int length, int qrsOnset, int qrsEnd);

private:
    bool qrsKnown() const;

    QMap<QString, double> m_values;
};
