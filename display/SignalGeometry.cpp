#include "SignalGeometry.h"

#include <algorithm>
#include <cmath>

SignalGeometry SignalGeometry::compute(int width, int height, double widthMM, double speed, double amplitude,
                                       double millivoltsPerUnit, double beatSeconds, int rows)
{
    SignalGeometry g;
    g.width = std::max(0, width);
    g.height = std::max(0, height);
    g.rows = std::max(0, rows);
    g.rowHeight = g.rows > 0 ? double(g.height) / g.rows : 0.0;
    if (!(widthMM > 0.0) || !(speed > 0.0))
        return g;
    g.widthMM = widthMM;
    g.pixelsPerCm = g.width / (widthMM / 10.0);
    g.pixelsPerMm = g.pixelsPerCm / 10.0;
    g.screenSeconds = widthMM / speed;
    g.pixelsPerUnit = millivoltsPerUnit * g.pixelsPerCm * amplitude / 10.0;
    g.beatSeconds = beatSeconds > 0.0 ? beatSeconds : 0.0;
    g.insetX0 = int(std::trunc(g.pixelsPerCm * 0.25));
    g.insetWidth = int(std::trunc(g.width * g.beatSeconds / g.screenSeconds));
    g.traceX0 = g.insetWidth != 0 ? g.insetWidth + int(std::trunc(g.pixelsPerCm / 2.0)) : 0;
    g.traceWidth = g.width - g.traceX0;
    g.pageSeconds = g.screenSeconds;
    if (g.beatSeconds > 0.0)
        g.pageSeconds -= g.beatSeconds + 5.0 / speed;
    return g;
}

int SignalGeometry::rowAt(double y) const
{
    if (rows <= 0 || rowHeight <= 0.0)
        return -1;
    return std::clamp(int(std::floor(y / rowHeight)), 0, rows - 1);
}

int sampleIndexOf(double rate, double seconds)
{
    return int(std::floor(rate * seconds + 0.5));
}
