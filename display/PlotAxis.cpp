#include "PlotAxis.h"

#include <algorithm>
#include <cmath>

namespace PlotAxis {

double timeTickStep(double span, double pixels, double minPixels)
{
    if (!(span > 0.0) || !(pixels > 0.0) || !(minPixels > 0.0) || !std::isfinite(span))
        return 0.0;
    const double raw = minPixels * span / pixels;
    if (raw < 1.0)
        return tickStep(span, pixels, minPixels);
    static const double steps[] = {1, 2, 5, 10, 15, 20, 30, 60, 120, 300, 600, 900, 1200, 1800, 3600};
    for (const double step : steps) {
        if (step >= raw)
            return step;
    }
    return 3600.0 * tickStep(span / 3600.0, pixels, minPixels);
}

Range covering(const std::vector<double>& times, const std::vector<double>& values, double from, double to,
               Range usual, double step, double margin, double floor)
{
    Range range = usual;
    if (!(step > 0.0))
        return range;
    const size_t n = std::min(times.size(), values.size());
    for (size_t i = 0; i < n; ++i) {
        const double v = values[i];
        if (times[i] < from || times[i] > to || !std::isfinite(v))
            continue;
        if (v + margin > range.high)
            range.high = std::ceil((v + margin) / step) * step;
        if (v - margin < range.low)
            range.low = std::max(floor, std::floor((v - margin) / step) * step);
    }
    return range;
}

double tickStep(double span, double pixels, double minPixels)
{
    if (!(span > 0.0) || !(pixels > 0.0) || !(minPixels > 0.0) || !std::isfinite(span))
        return 0.0;
    const double raw = minPixels * span / pixels;
    const double exponent = std::floor(std::log10(raw));
    const double power = std::pow(10.0, exponent);
    const double m = raw / power;
    const double rounded = m <= 2.0 ? 2.0 : m <= 5.0 ? 5.0 : 10.0;
    return rounded * power;
}

QVector<double> ticks(double min, double max, double step)
{
    QVector<double> result;
    if (!(step > 0.0) || !(max >= min) || !std::isfinite(min) || !std::isfinite(max))
        return result;
    // Multiples by index, so that no error accumulates; a tiny tolerance keeps the
    // range ends themselves.
    const double tolerance = step * 1e-9;
    const double first = std::ceil((min - tolerance) / step);
    const double last = std::floor((max + tolerance) / step);
    if (last - first > 10000.0)
        return result;
    for (double k = first; k <= last; k += 1.0) {
        const double v = k * step;
        result.append(std::abs(v) < tolerance ? 0.0 : v);
    }
    return result;
}

} // namespace PlotAxis

PlotLabelFormat::PlotLabelFormat(const QString& format)
{
    if (format == QLatin1String("mm:ss")) {
        m_format = format;
        m_minutesSeconds = true;
    } else if (isAcceptable(format)) {
        m_format = format;
    } else {
        m_format = QStringLiteral("%g");
    }
    m_printf = m_format.toLatin1();
}

bool PlotLabelFormat::isAcceptable(const QString& format)
{
    const QByteArray f = format.toLatin1();
    if (QString::fromLatin1(f) != format)
        return false;
    int conversions = 0;
    for (int i = 0; i < f.size(); ++i) {
        if (f[i] != '%')
            continue;
        ++i;
        if (i < f.size() && f[i] == '%')
            continue;
        while (i < f.size() && QByteArray("-+ #0").contains(f[i]))
            ++i;
        int digits = 0;
        while (i < f.size() && f[i] >= '0' && f[i] <= '9' && digits < 2) {
            ++i;
            ++digits;
        }
        if (i < f.size() && f[i] == '.') {
            ++i;
            digits = 0;
            while (i < f.size() && f[i] >= '0' && f[i] <= '9' && digits < 2) {
                ++i;
                ++digits;
            }
        }
        if (i >= f.size() || !QByteArray("fFeEgG").contains(f[i]))
            return false;
        ++conversions;
    }
    return conversions == 1;
}

QString PlotLabelFormat::text(double value) const
{
    if (m_minutesSeconds) {
        const long long total = std::llround(std::abs(value));
        return QString::asprintf("%s%02lld:%02lld", value < 0.0 && total > 0 ? "-" : "", total / 60, total % 60);
    }
    return QString::asprintf(m_printf.constData(), value);
}
