#pragma once

#include "TArtifactInjection.h"
#include "TBeatMatcher.h"

#include <QVector>
#include <QtGlobal>

// Scores beat detection on a record with injected disturbances: sensitivity
// and positive predictivity outside the disturbed stretches, the time to the
// first correct beat after each disturbance, and the beats invented while every
// lead was disturbed.
class TArtifactScore
{
public:
    // The disturbed stretches are widened by this much either side when the
    // beats outside them are scored.
    static constexpr double Margin = 0.5;
    static constexpr double NoBeatSeconds = 2.0;

    struct Recovery
    {
        TArtifactInjection::Kind kind = TArtifactInjection::Burst;
        bool allChannels = false;
        double duration = 0.0;
        double seconds = -1.0; // from the end to the first correct beat; -1: none before the next event
        int invented = 0;      // detections inside it matching no beat, when it disturbed every lead
        bool noBeat = false;   // no annotated beat within NoBeatSeconds after it: no recovery measured
    };

    struct Result
    {
        TBeatMatch outside;
        QVector<Recovery> recoveries;
        int invented = 0; // detections inside all-lead disturbances that match no beat
    };

    // Beat positions in samples of the record (sorted), its rate and the
    // events injected into it; window: the matching window in samples.
    static Result score(const QVector<qint64>& reference, const QVector<qint64>& detected, double rate,
                        const TArtifactInjection& injection, qint64 window);
};
