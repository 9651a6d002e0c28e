#pragma once

#include <QColor>
#include <QMap>
#include <QString>
#include <QVector>
#include <array>

class TSignalBuffer;

// What every signal display shares: paper speed and gain, which lead each row
// shows, which leads are visible or drawn upside down, and the colour of every
// colour role. The setters report whether anything changed, so that a display
// renders again only when it must.
class DisplaySettings
{
public:
    static constexpr int MaxLeads = 16;

    explicit DisplaySettings(const QMap<int, QColor>& defaultColors);

    double speed() const { return m_speed; }
    // Paper speed in mm/s; a value that is not a positive number is ignored.
    bool setSpeed(double mmPerSecond);
    double amplitude() const { return m_amplitude; }
    // Gain in mm/mV; a value that is not a positive number is ignored.
    bool setAmplitude(double mmPerMillivolt);

    bool leadVisible(int lead) const;
    bool setLeadVisible(int lead, bool visible);
    bool leadInverted(int lead) const;
    bool setLeadInverted(int lead, bool inverted);
    int rowLead(int row) const;
    bool setLeadOrder(int row, int lead);
    // Rows 0..5 show aVL, I, -aVR, II, aVF, III (the frontal plane in angular
    // order); off restores them to I, II, III, aVR, aVL, aVF with aVR upright.
    bool setHexaxialOrder(bool on);

    QColor color(int role) const { return m_colors.value(role); }
    const QMap<int, QColor>& colors() const { return m_colors; }
    // The highlight role is always drawn half transparent, whatever the colour's
    // alpha. Returns true when the paper colours (background or grid) changed.
    bool setColor(int role, const QColor& color);

    // The lead of every visible row, top to bottom, among the leads a store of
    // channelCount channels has.
    QVector<int> visibleLeads(int channelCount) const;
    // The lead's name as the store names it, with a leading "-" when it is drawn
    // upside down.
    QString leadLabel(const TSignalBuffer& store, int lead) const;
    // +1 or -1: the sign a lead's values are drawn with.
    double leadSign(int lead) const { return leadInverted(lead) ? -1.0 : 1.0; }

private:
    static bool validLead(int lead) { return lead >= 0 && lead < MaxLeads; }

    double m_speed = 25.0;
    double m_amplitude = 10.0;
    std::array<bool, MaxLeads> m_leadVisible;
    std::array<bool, MaxLeads> m_leadInverted;
    std::array<int, MaxLeads> m_rowLead;
    QMap<int, QColor> m_colors;
};
