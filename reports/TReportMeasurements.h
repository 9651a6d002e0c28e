#pragma once

#include "TMeasurementRecord.h"
#include "TQtcFormula.h"

#include <QString>

#include <optional>

class TStudyResults;

// The beat measurement a study stores, as a report prints it: intervals in whole
// milliseconds, the QRS axis in whole degrees and the wave amplitudes in
// millivolts. A value whose wave points were not found (a time of 0) is no value
// at all: it prints blank, never as a negative or made-up number.
class TReportMeasurements
{
public:
    explicit TReportMeasurements(const TStudyResults& results);

    const TMeasurementRecord& record() const { return m_record; }

    // The measured lead's channel, when the study holds a measurement.
    std::optional<int> lead() const;
    std::optional<int> rrMs() const { return positive(m_record.rrMs()); }
    // trunc(60 / mean RR).
    std::optional<int> heartRate() const;
    std::optional<int> prMs() const { return positive(m_record.prMs()); }
    std::optional<int> qrsMs() const { return positive(m_record.qrsMs()); }
    std::optional<int> qtMs() const { return positive(m_record.qtMs()); }
    std::optional<int> qtcMs() const { return qtMs() ? positive(m_record.qtcMs()) : std::nullopt; }
    // P off - P on, T off - T on, T off - T peak.
    std::optional<int> pMs() const { return span("POnset", "POffset"); }
    std::optional<int> tMs() const { return span("TOnset", "TOffset"); }
    std::optional<int> tPeakToEndMs() const { return span("TPeak", "TOffset"); }
    std::optional<int> qrsAxis() const;
    std::optional<double> pAmplitude() const;
    std::optional<double> qrsAmplitude() const;
    std::optional<double> tAmplitude() const;
    // The R wave's height above the QRS onset level, in millivolts.
    std::optional<double> rAmplitude() const;
    // QTc by the formula, from the QT as shown.
    std::optional<int> qtcMs(const TQtcFormula& formula) const;

    // A whole number; for none "" or, in a measured study (measured), "--": a
    // value the analysis withheld or could not find, which the clinician may
    // still place by hand.
    static QString text(const std::optional<int>& value, bool measured = false);
    // Millivolts with two decimals; none as text gives it.
    static QString millivolts(const std::optional<double>& value, bool measured = false);
    static QString missing(bool measured) { return measured ? QStringLiteral("--") : QString(); }

private:
    // Wave points moved out of order give no interval rather than a negative one.
    static std::optional<int> positive(const std::optional<int>& ms) { return ms && *ms > 0 ? ms : std::nullopt; }
    double at(const char* key) const { return m_record.value(QLatin1String(key)); }
    bool found(const char* key) const { return at(key) != 0.0; }
    // Whole milliseconds from one wave point to a later one, both found.
    std::optional<int> span(const char* from, const char* to) const;
    std::optional<double> amplitude(const char* key, bool wavesFound) const;

    TMeasurementRecord m_record;
};
