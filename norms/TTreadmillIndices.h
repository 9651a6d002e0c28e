#pragma once

#include <QString>
#include <QVector>

#include <optional>

class TProtocol;
class TStudyResults;

// The fitness indices of a treadmill test, as equine and canine sports
// medicine reads it: the speeds at which the heart rate reaches 150 and 200
// per minute (V150, V200), from the per-stage heart rates and speeds, and the
// heart rate one and five minutes after the last exercise stage with its fall
// from the end of exercise (heart rate recovery).
class TTreadmillIndices
{
public:
    // One exercise stage: speed in km/h, its heart rate per minute.
    struct StagePoint
    {
        double speed = 0.0;
        double heartRate = 0.0;
    };

    // Heart rates averaged around each recovery time, in seconds either side:
    // single beats vary too much to be read alone.
    static constexpr double RecoveryWindowSeconds = 5.0;

    std::optional<double> v150; // km/h
    std::optional<double> v200; // km/h
    std::optional<double> endHeartRate; // at the end of the last exercise stage
    std::optional<double> recovery1HeartRate;
    std::optional<double> recovery5HeartRate;
    // endHeartRate less the recovery heart rate.
    std::optional<double> recovery1Drop() const;
    std::optional<double> recovery5Drop() const;

    // "7.5 km/h"; "--" for none.
    static QString speedText(const std::optional<double>& kmh);
    // "195/min (-15)": the heart rate and its fall from the end of exercise; "--" for none.
    QString recovery1Text() const;
    QString recovery5Text() const;
    // "V150 7.5 km/h, V200 --; recovery HR at 1 min 195/min (-15), at 5 min --".
    QString summary() const;

    // The speed at which the heart rate reaches target: the line fitted by
    // least squares to heart rate over speed through the stages that bracket
    // it (the last stage below target and the first at or above it), solved
    // for target. None when no stage reached it, when the first exercise stage
    // already did (nothing brackets it from below), or when the heart rate did
    // not rise with speed there.
    static std::optional<double> speedAt(const QVector<StagePoint>& stages, double target);

    // The exercise stages of an executed test with a speed and a heart rate.
    static QVector<StagePoint> exerciseStages(const TProtocol& executed, const TStudyResults& results);
    // The indices of a treadmill test (protocol type 0); all absent for any other.
    static TTreadmillIndices of(const TProtocol& executed, const TStudyResults& results);
    // Mean heart rate of the trend within the window around time; none when no
    // beat lies there or the recording ended before it.
    static std::optional<double> heartRateAround(const TStudyResults& results, double time);
};
