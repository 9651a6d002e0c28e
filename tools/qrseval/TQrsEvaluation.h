#pragma once

#include "TBeatMatcher.h"
#include "TRecordPlayback.h"

#include <QString>
#include <QVector>
#include <QtGlobal>

class TSignalDisturbance;

// Runs an annotated WFDB record through the live analysis path, as a recording
// from the demo device would go through it, and scores the detected beats
// against the reference beat annotations.
class TQrsEvaluation
{
public:
    struct Result
    {
        QString name;
        TBeatMatch match;
        QVector<qint64> detected;  // beat positions in samples of the record
        // Per detected beat (in the order reported): seconds of signal the
        // detector had been given beyond the beat's time when it reported it.
        QVector<double> reportDelays;
        QVector<qint64> reference; // the annotated beats that count
        double seconds = 0.0;      // signal length
    };

    static constexpr int DeviceRate = TRecordPlayback::DeviceRate;
    static constexpr double DeviceRangeMv = TRecordPlayback::DeviceRangeMv;
    static constexpr double MatchWindowSeconds = 0.15;

    // recordPath without extension; false with a message on failure. A
    // disturbance, when given, is applied to the record's signal first.
    bool evaluate(const QString& recordPath, Result* result, QString* error,
                  const TSignalDisturbance* disturbance = nullptr) const;

    // Beats inside ventricular flutter or fibrillation episodes are not scored
    // (neither reference nor detections), as the standard evaluation does:
    // flutter waves are not beats.
    static void excludeEpisodes(QVector<qint64>* beats, const QVector<QPair<qint64, qint64>>& episodes);
};
