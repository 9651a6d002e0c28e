#include "MonitorPanels.h"

#include "ColorSchemes.h"
#include "DisplayMenu.h"
#include "DisplaySettings.h"
#include "QSignalMonitorDisplay.h"
#include "TSignalBuffer.h"

#include <QCoreApplication>
#include <QMenu>
#include <QSettings>

MonitorPanels::MonitorPanels(QSignalMonitorDisplay* upper, QSignalMonitorDisplay* lower, QWidget* window)
    : m_upper(upper), m_lower(lower), m_window(window)
{
}

void MonitorPanels::setChannels(int channels)
{
    m_channels = channels;
    for (int lead = 0; lead < DisplaySettings::MaxLeads; ++lead) {
        const bool upper = lead < 6 || (channels == 7 && lead == 6);
        const bool lower = lead >= 6 && lead < 12 && channels > 7;
        m_upper->setLeadVisible(lead, upper);
        m_lower->setLeadVisible(lead, lower);
    }
    m_lower->setVisible(channels > 7);
}

void MonitorPanels::setSignal(TSignalBuffer* signal, bool autoBaseline)
{
    for (QSignalMonitorDisplay* panel : {m_upper, m_lower}) {
        panel->setSignal(signal);
        panel->setAutoBaseline(autoBaseline);
    }
}

void MonitorPanels::setSpeed(double mmPerSecond)
{
    m_upper->setSpeed(mmPerSecond);
    m_lower->setSpeed(mmPerSecond);
}

void MonitorPanels::setAmplitude(double mmPerMillivolt)
{
    m_upper->setAmplitude(mmPerMillivolt);
    m_lower->setAmplitude(mmPerMillivolt);
}

void MonitorPanels::setColorScheme(const QString& name)
{
    m_colorScheme = name;
    ColorSchemes::apply(name, *m_upper);
    ColorSchemes::apply(name, *m_lower);
}

void MonitorPanels::setHexaxial(bool on)
{
    m_hexaxial = on;
    if (m_channels >= 6)
        m_upper->setHexaxialOrder(on);
}

void MonitorPanels::refresh()
{
    m_upper->refresh();
    if (m_lower->isVisible())
        m_lower->refresh();
}

void MonitorPanels::showMenu(QSignalMonitorDisplay* panel, const QPoint& pos)
{
    const TSignalBuffer* signal = panel->signal();
    if (!signal)
        return;
    QSignalMonitorDisplay* other = panel == m_upper ? m_lower : m_upper;
    const auto tr = [](const char* text) { return QCoreApplication::translate("MonitorPanels", text); };
    bool reopen = true;
    while (reopen) {
        // Showing or hiding a lead leaves the menu open for the next one.
        reopen = false;
        QMenu menu(m_window);
        menu.setObjectName(QStringLiteral("displayMenu"));
        DisplayMenu::addLeads(menu, *signal, panel->settings(), [panel, &reopen](int lead, bool on) {
            panel->setLeadVisible(lead, on);
            panel->refresh();
            reopen = true;
        });
        menu.addSeparator();
        if (signal->channelCount() > 7)
            DisplayMenu::addToggle(menu, tr("Double panel"), other->isVisible(),
                                   [other](bool on) { other->setVisible(on); });
        if (signal->channelCount() >= 6)
            DisplayMenu::addToggle(menu, tr("Hexaxial order"), m_hexaxial, [this](bool on) {
                setHexaxial(on);
                m_upper->refresh();
            });
        DisplayMenu::addToggle(menu, tr("Average beat"), panel->showAverageBeat(), [panel](bool on) {
            panel->setShowAverageBeat(on);
            panel->refresh();
        });
        DisplayMenu::addColorSchemes(menu, m_colorScheme, [this](const QString& name) { setColorScheme(name); });
        menu.exec(panel->mapToGlobal(pos));
    }
}

void MonitorPanels::readSettings(const QString& group)
{
    const QSettings settings;
    setColorScheme(settings.value(group + QStringLiteral("/DisplayColorScheme"), QString()).toString());
    setHexaxial(settings.value(group + QStringLiteral("/HexaxialOrder"), false).toBool());
    const bool average = settings.value(group + QStringLiteral("/ShowAverageBeat"), true).toBool();
    m_upper->setShowAverageBeat(average);
    m_lower->setShowAverageBeat(average);
}

void MonitorPanels::writeSettings(const QString& group) const
{
    QSettings settings;
    settings.setValue(group + QStringLiteral("/DisplayColorScheme"), m_colorScheme);
    settings.setValue(group + QStringLiteral("/HexaxialOrder"), m_hexaxial);
    settings.setValue(group + QStringLiteral("/ShowAverageBeat"), m_upper->showAverageBeat());
}
