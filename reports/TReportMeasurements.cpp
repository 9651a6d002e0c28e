#include "TReportMeasurements.h"

#include "TStudyResults.h"

#include <cmath>

namespace {

const char* const Keys[] = {
    "measurementChannel", "POnset",  "PPeak", "POffset", "QRSOnset", "QRSOffset", "TOnset", "TPeak", "TOffset",
    "avgRRInterval",      "QRSAxis", "PAmp",  "QRSAmp",  "TAmp", "RAmp"};

} // namespace

TReportMeasurements::TReportMeasurements(const TStudyResults& results)
{
    for (const char* key : Keys) {
        const double* v = results.value(QLatin1String(key));
        const double value = v && std::isfinite(*v) ? *v : 0.0;
        m_record.setValue(QLatin1String(key), value);
    }
    if (!results.value(QStringLiteral("measurementChannel")))
        m_record.setValue(QStringLiteral("measurementChannel"), -1.0);
    if (!results.value(QStringLiteral("QRSAxis")))
        m_record.setValue(QStringLiteral("QRSAxis"), TMeasurementRecord::NoAxis);
}

std::optional<int> TReportMeasurements::lead() const
{
    const double channel = at("measurementChannel");
    // The channel alone, with every wave point still 0, is the initial value of a
    // study that was never measured.
    if (channel < 0.0 || channel != std::floor(channel) || channel >= 64.0 ||
        !(found("QRSOnset") || found("QRSOffset") || found("POnset") || found("TOffset")))
        return std::nullopt;
    return int(channel);
}

std::optional<int> TReportMeasurements::heartRate() const
{
    const double rr = at("avgRRInterval");
    if (!(rr > 0.0) || !std::isfinite(rr))
        return std::nullopt;
    return positive(int(std::trunc(60.0 / rr + 1e-9)));
}

std::optional<int> TReportMeasurements::span(const char* from, const char* to) const
{
    if (!found(from) || !found(to))
        return std::nullopt;
    const double seconds = at(to) - at(from);
    if (!(seconds > 0.0))
        return std::nullopt;
    // The guard keeps 0.08 s from coming out as 79 ms.
    return int(std::trunc(seconds * 1000.0 + 1e-9));
}

std::optional<int> TReportMeasurements::qrsAxis() const
{
    const double axis = at("QRSAxis");
    if (!std::isfinite(axis) || axis == TMeasurementRecord::NoAxis || axis < -180.0 || axis > 180.0 ||
        !found("QRSOnset") || !found("QRSOffset"))
        return std::nullopt;
    return int(std::lround(axis));
}

std::optional<double> TReportMeasurements::amplitude(const char* key, bool wavesFound) const
{
    const double mv = at(key);
    if (!wavesFound || mv == 0.0 || !std::isfinite(mv))
        return std::nullopt;
    return mv;
}

std::optional<double> TReportMeasurements::pAmplitude() const
{
    return amplitude("PAmp", found("POnset"));
}

std::optional<double> TReportMeasurements::qrsAmplitude() const
{
    return amplitude("QRSAmp", found("QRSOnset") && found("QRSOffset"));
}

std::optional<double> TReportMeasurements::rAmplitude() const
{
    return amplitude("RAmp", found("QRSOnset") && found("QRSOffset"));
}

std::optional<int> TReportMeasurements::qtcMs(const TQtcFormula& formula) const
{
    const std::optional<int> qt = qtMs();
    if (!qt)
        return std::nullopt;
    const double rr = at("avgRRInterval");
    return positive(formula.correct(*qt, rr));
}

std::optional<double> TReportMeasurements::tAmplitude() const
{
    return amplitude("TAmp", found("TOffset"));
}

QString TReportMeasurements::text(const std::optional<int>& value, bool measured)
{
    return value ? QString::number(*value) : missing(measured);
}

QString TReportMeasurements::millivolts(const std::optional<double>& value, bool measured)
{
    return value ? QString::asprintf("%.2f", *value) : missing(measured);
}
