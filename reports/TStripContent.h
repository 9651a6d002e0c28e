#pragma once

#include "TRingSignalBuffer.h"

#include <QString>
#include <QVector>

#include <memory>
#include <optional>

// Everything a strip shows, copied out of the study on the GUI thread so that
// the strip can be drawn and sent on another: the texts and the filtered
// stretch of the recording it draws. Shares nothing with the study.
struct TStripContent
{
    QString name;       // "last, first"
    QString age;
    QString date;       // "dd/MM/yyyy"
    bool measured = false; // the study's average beat was measured: a value missing is "--"
    std::optional<int> prMs;
    std::optional<int> qrsMs;
    std::optional<int> qtMs;
    std::optional<int> qtcMs;
    QString qtcFormula; // the formula's name, written beside the QTc
    std::optional<int> rrMs;
    std::optional<int> heartRate;
    QString conclusion;
    QString footer;     // "25 mm/sec - 10 mm/mV - Filters: ..."

    double speed = 25.0;     // mm/s
    double amplitude = 10.0; // mm/mV
    // The filtered recording from just before the strip's start time to where the
    // strip ends; null when the recording has too few leads for traces.
    std::unique_ptr<TRingSignalBuffer<double>> signal;
    double startSeconds = 0.0; // the strip's start within signal
    bool centreTraces = false; // the baseline was not filtered out
    int rhythmLead = -1;       // channel of signal
};
