#include "ElectrodeStatusFollower.h"

#include "ElectrodeStatusWidget.h"
#include "TAcqDriver.h"

const char* const ElectrodeStatusFollower::Electrodes[9] = {"LL", "LA", "RA", "V1", "V2",
                                                           "V3", "V4", "V5", "V6"};

ElectrodeStatusFollower::ElectrodeStatusFollower(QWidget* ecgArea) : m_ecgArea(ecgArea) {}

void ElectrodeStatusFollower::update(TAcqDriver* driver)
{
    if (!driver)
        return;
    bool off[9];
    bool anyOff = false;
    for (int e = 0; e < 9; ++e) {
        off[e] = driver->isElectrodeOff(Electrodes[e]);
        anyOff = anyOff || off[e];
    }
    if (!anyOff) {
        if (m_panel)
            m_panel->hide();
        return;
    }
    if (!m_panel) {
        m_panel = new ElectrodeStatusWidget(m_ecgArea);
        placePanel();
    }
    if (!m_panel->isShown())
        return;
    for (int e = 0; e < 9; ++e)
        m_panel->setElectrodeStatus(QString::fromLatin1(Electrodes[e]), off[e]);
    m_panel->show();
    m_panel->raise();
}

void ElectrodeStatusFollower::placePanel()
{
    // Top right of the ECG area, clear of the lead labels on the left.
    constexpr int Margin = 10;
    if (m_ecgArea)
        m_panel->move(qMax(0, m_ecgArea->width() - m_panel->width() - Margin), Margin);
}
