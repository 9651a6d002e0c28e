#pragma once

#include <QPoint>
#include <QString>

class QPainter;

// The caliper of the browse display: a time and amplitude measurement between two
// samples of one lead, in the trace or in the average beat of the inset. While the
// user drags it shows a triangle with the time and the amplitude written out;
// otherwise a short vertical line marks the sample under the mouse.
struct BrowseCaliper
{
    bool shown = false;
    bool inInset = false;
    bool dragging = false;
    int lead = 0;
    int start = 0; // sample indices: into the signal, or into the average beat
    int end = 0;

    // "120 ms": the time between samples deltaSamples apart at rate.
    static QString timeText(int deltaSamples, double rate);
    // "1.0 mv (10 mm)": an amplitude of deltaUnits signal units, with the
    // millimetres it spans on paper at standard gain (10 mm/mV), whatever the
    // display's gain, since clinicians read ST deviation in those millimetres.
    static QString amplitudeText(double deltaUnits, double millivoltsPerUnit);

    // Draws the caliper between its two points (already in pixels), with the texts
    // when dragging.
    void paint(QPainter& painter, const QPoint& startPoint, const QPoint& endPoint, const QString& time,
               const QString& amplitude) const;
};
