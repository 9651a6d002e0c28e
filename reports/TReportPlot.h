#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVector>

class QPainter;

// A trend plot on paper: one or more series of (time in seconds, value) against
// the time of the test, with dotted grid lines at ticks chosen by the 1-2-5 rule,
// the time written "mm:ss", a title and, for several series, a legend; lines at
// the stage boundaries. The value range follows the data (the lowest to the
// highest value, widened by 5 % of the span on each side; a flat series by 1 %
// of its value), so that no value is ever drawn outside the plot. Drawn as
// vector paths measured in millimetres of paper.
class TReportPlot
{
public:
    struct Series
    {
        QString name;
        QColor color = Qt::black;
        QVector<QPointF> points; // ascending time
        bool markers = false;    // a mark at every point: few, separate readings
    };

    void setTitle(const QString& title) { m_title = title; }
    QString title() const { return m_title; }
    // The time axis; the value range follows the data.
    void setTimeRange(double from, double to);
    void addSeries(const Series& series);
    // The least span of values the plot shows, centred on the data: a heart
    // rate that wavers between 104 and 106 is not drawn as a swing.
    void setMinimumSpan(double span) { m_minimumSpan = span; }
    // printf format of the value ticks ("%g", "%+.1f").
    void setValueFormat(const QString& format) { m_valueFormat = format; }
    void setStageBoundaries(const QVector<double>& seconds) { m_boundaries = seconds; }

    const QVector<Series>& series() const { return m_series; }
    bool hasData() const;
    double timeFrom() const { return m_timeFrom; }
    double timeTo() const { return m_timeTo; }
    // The value range the plot draws: that of the data widened, at least the
    // minimum span; 0 .. 1 without data.
    QPair<double, double> valueRange() const;
    // Where the plot area lies in a field's rect (the rest holds the title and
    // the axes' labels).
    static QRectF plotArea(const QRectF& rect, double unitsPerMm);
    // A value's y in the plot area of rect.
    double yOf(double value, const QRectF& rect, double unitsPerMm) const;

    // The time ticks of a span drawn over widthMm: the 1-2-5 rule in seconds
    // up to two minutes, in minutes beyond (1, 2, 5, 10, 20 minutes ...).
    static double timeStep(double span, double widthMm);

    void draw(QPainter& painter, const QRectF& rect, double unitsPerMm) const;

    // Space of the value labels at the left and of the time labels below, and
    // the title's band above the plot area.
    static constexpr double LeftMm = 12.0;
    static constexpr double BottomMm = 5.0;
    static constexpr double TopMm = 5.0;
    static constexpr double RightMm = 2.0;

private:
    QString m_title;
    QVector<Series> m_series;
    double m_timeFrom = 0.0;
    double m_timeTo = 1.0;
    QString m_valueFormat = QStringLiteral("%g");
    double m_minimumSpan = 0.0;
    QVector<double> m_boundaries;
};
