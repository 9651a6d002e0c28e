#pragma once

#include <QPoint>
#include <QString>
#include <QVector>
#include <vector>

class AverageBeatSource;
class DisplaySettings;
class MonitorMarkProvider;
class QPainter;
struct SignalGeometry;

// The average-beat inset at the left of every lead row: the reference beat under
// the current average beat, a dotted line while no average exists yet, and
// optionally the ST measurement points with the ST level.
class AverageBeatInset
{
public:
    // Draws the inset of every visible row (leads in row order). marks may be null.
    void paint(QPainter& painter, const SignalGeometry& geometry, const QVector<int>& leads,
               const DisplaySettings& settings, const AverageBeatSource& source, MonitorMarkProvider* marks);

    // The ST label of a level in millivolts: tenths of a millivolt (millimetres at
    // standard gain) with their sign, empty under 0.1 mV either way.
    static QString stLabel(double levelMv);
    // Column of sample index of an m-sample beat drawn into width columns from x0.
    static int sampleX(int index, int m, int width, int x0);
    // The narrowest inset that has room for the ST marks and label.
    static constexpr int MinimumMarkWidth = 41;

private:
    // Draws the beat as samples offset .. offset + size - 1 of m across width columns.
    void drawBeat(QPainter& painter, const std::vector<double>& beat, int offset, int m, int x0, int width,
                  int baselineY, double scale);

    QVector<QPoint> m_points;
};
