#pragma once

class QPainter;
class QPoint;

// The ring of ten slices a display shows while its signal has no samples yet; one
// slice is darker and steps round to show that the program is alive.
class WaitingRing
{
public:
    static constexpr int Slices = 10;
    static constexpr int OuterDiameter = 60;
    static constexpr int InnerDiameter = 30;

    // Paints the ring centred at centre with the dark slice at step (0..9).
    static void paint(QPainter& painter, const QPoint& centre, int step);
    // The step after step: the dark slice moves back by one, 0 wraps to 9.
    static int nextStep(int step) { return (step + Slices - 1) % Slices; }
};
