#pragma once

#include <QPoint>
#include <QString>

class QSignalMonitorDisplay;
class QWidget;
class TSignalBuffer;

// The two live panels of a monitor window, limb leads above and chest leads
// below, and what the operator sets on them: speed, amplitude, colour scheme,
// hexaxial order, average beat, shown leads (the display menu). The settings
// live under the window's group ("<group>/DisplayColorScheme",
// "<group>/HexaxialOrder", "<group>/ShowAverageBeat").
class MonitorPanels
{
public:
    MonitorPanels(QSignalMonitorDisplay* upper, QSignalMonitorDisplay* lower, QWidget* window);

    // Leads 0-5 above and 6-11 below; with seven leads or fewer one panel
    // shows them all (the seventh with the limb leads).
    void setChannels(int channels);
    // Both panels show the signal; autoBaseline while the baseline filter is off.
    void setSignal(TSignalBuffer* signal, bool autoBaseline);
    void setSpeed(double mmPerSecond);
    void setAmplitude(double mmPerMillivolt);
    void setColorScheme(const QString& name);
    QString colorScheme() const { return m_colorScheme; }
    void setHexaxial(bool on);
    bool hexaxial() const { return m_hexaxial; }
    void refresh();
    // The display menu of one panel at pos, built anew each time.
    void showMenu(QSignalMonitorDisplay* panel, const QPoint& pos);

    void readSettings(const QString& group);
    void writeSettings(const QString& group) const;

private:
    QSignalMonitorDisplay* m_upper;
    QSignalMonitorDisplay* m_lower;
    QWidget* m_window;
    int m_channels = 0;
    QString m_colorScheme;
    bool m_hexaxial = false;
};
