#pragma once

#include <QPointer>

class ElectrodeStatusWidget;
class QWidget;
class TAcqDriver;

// Keeps an electrode status panel over a window's ECG area in step with the
// acquisition driver: the window calls update() on every data notification
// while recording. The panel appears the first time an electrode is off,
// follows the nine electrodes while it is shown, and hides while all are in
// contact; once the user has closed it, it stays closed.
class ElectrodeStatusFollower
{
public:
    // The panel is made a child of ecgArea, which owns it.
    explicit ElectrodeStatusFollower(QWidget* ecgArea);

    void update(TAcqDriver* driver);

    // Null until an electrode was first reported off.
    ElectrodeStatusWidget* panel() const { return m_panel; }

    // The nine electrodes, in the order they are asked.
    static const char* const Electrodes[9];

private:
    void placePanel();

    QWidget* m_ecgArea;
    QPointer<ElectrodeStatusWidget> m_panel;
};
