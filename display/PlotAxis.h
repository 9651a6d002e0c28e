#pragma once

#include <QString>
#include <QVector>

#include <vector>

// The numeric axes of the trend plot.
namespace PlotAxis {

// The tick step for span data units over pixels: the smallest step that leaves
// minPixels between ticks, written as m x 10^e and rounded up to m = 2, 5 or 10.
// 0 when there is no usable step.
double tickStep(double span, double pixels, double minPixels);
// The same for a time axis in seconds, in the steps a clock is read by: 1, 2,
// 5, 10, 15, 20 or 30 seconds, then 1, 2, 5, 10, 15, 20 or 30 minutes, then
// whole hours by the 1-2-5 rule.
double timeTickStep(double span, double pixels, double minPixels);
// The multiples of step within [min, max].
QVector<double> ticks(double min, double max, double step);

// A value range that follows the data: [low, high] grown, in whole steps, to
// take in every finite value (with margin to spare) whose time lies within
// [from, to]. A plot starts from the usual range of its trend and never clips
// an unusual one (a cat at 240 per minute). low never goes below floor.
struct Range
{
    double low = 0.0;
    double high = 0.0;
};
Range covering(const std::vector<double>& times, const std::vector<double>& values, double from, double to,
               Range usual, double step, double margin, double floor = 0.0);

} // namespace PlotAxis

// How a plot writes the values of an axis: a printf format with exactly one
// floating-point conversion ("%g", "%+.1f"), or "mm:ss" for times in seconds
// written as minutes and seconds. A format that is neither falls back to "%g": a
// format handed to printf unchecked could read arguments that are not there.
class PlotLabelFormat
{
public:
    explicit PlotLabelFormat(const QString& format = QStringLiteral("%g"));

    QString format() const { return m_format; }
    bool isMinutesSeconds() const { return m_minutesSeconds; }
    QString text(double value) const;
    static bool isAcceptable(const QString& format);

private:
    QString m_format;
    QByteArray m_printf;
    bool m_minutesSeconds = false;
};
