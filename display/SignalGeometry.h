#pragma once

// Where things go on millimetre paper. Everything derives from the canvas size in
// pixels and its physical width in millimetres as the paint device reports it; the
// horizontal resolution serves both axes, so one millimetre is square and one
// millivolt spans as many millimetres as the amplitude says.
struct SignalGeometry
{
    int width = 0;
    int height = 0;
    double widthMM = 0.0;
    double pixelsPerCm = 0.0;
    double pixelsPerMm = 0.0;
    double screenSeconds = 0.0;
    // Vertical pixels per unit of the signal.
    double pixelsPerUnit = 0.0;
    int rows = 0;
    double rowHeight = 0.0;
    // Length of the average beat shown in the inset; 0 without an inset.
    double beatSeconds = 0.0;
    int insetX0 = 0;
    int insetWidth = 0;
    int traceX0 = 0;
    int traceWidth = 0;
    // Seconds of signal across the trace area (one sweep page).
    double pageSeconds = 0.0;

    // speed in mm/s, amplitude in mm/mV, millivoltsPerUnit of the signal, beatSeconds
    // of the inset (0 for none), rows the number of visible leads.
    static SignalGeometry compute(int width, int height, double widthMM, double speed, double amplitude,
                                  double millivoltsPerUnit, double beatSeconds, int rows);

    bool hasInset() const { return insetWidth > 0; }
    // The trace area can show signal.
    bool canDrawTrace() const { return widthMM > 0.0 && traceWidth >= 1 && pageSeconds > 0.0; }
    double rowTop(int row) const { return rowHeight * row; }
    double baseline(int row) const { return rowHeight * (row + 0.5); }
    // Horizontal pixels per second across the trace area.
    double tracePixelsPerSecond() const { return pageSeconds > 0.0 ? traceWidth / pageSeconds : 0.0; }
    // Horizontal pixels per second across the inset.
    double insetPixelsPerSecond() const { return beatSeconds > 0.0 ? insetWidth / beatSeconds : 0.0; }
    // Row under a vertical position, clamped to the rows; -1 without rows.
    int rowAt(double y) const;
};

// Sample index of a time: the rounding every conversion from seconds uses.
int sampleIndexOf(double rate, double seconds);
