#include "DisplaySettings.h"

#include "DisplayColorRole.h"
#include "TLeadTable.h"
#include "TSignalBuffer.h"

#include <cmath>

DisplaySettings::DisplaySettings(const QMap<int, QColor>& defaultColors) : m_colors(defaultColors)
{
    m_leadVisible.fill(true);
    m_leadInverted.fill(false);
    for (int i = 0; i < MaxLeads; ++i)
        m_rowLead[size_t(i)] = i;
}

bool DisplaySettings::setSpeed(double mmPerSecond)
{
    if (!(std::isfinite(mmPerSecond) && mmPerSecond > 0.0) || mmPerSecond == m_speed)
        return false;
    m_speed = mmPerSecond;
    return true;
}

bool DisplaySettings::setAmplitude(double mmPerMillivolt)
{
    if (!(std::isfinite(mmPerMillivolt) && mmPerMillivolt > 0.0) || mmPerMillivolt == m_amplitude)
        return false;
    m_amplitude = mmPerMillivolt;
    return true;
}

bool DisplaySettings::leadVisible(int lead) const
{
    return validLead(lead) && m_leadVisible[size_t(lead)];
}

bool DisplaySettings::setLeadVisible(int lead, bool visible)
{
    if (!validLead(lead) || m_leadVisible[size_t(lead)] == visible)
        return false;
    m_leadVisible[size_t(lead)] = visible;
    return true;
}

bool DisplaySettings::leadInverted(int lead) const
{
    return validLead(lead) && m_leadInverted[size_t(lead)];
}

bool DisplaySettings::setLeadInverted(int lead, bool inverted)
{
    if (!validLead(lead) || m_leadInverted[size_t(lead)] == inverted)
        return false;
    m_leadInverted[size_t(lead)] = inverted;
    return true;
}

int DisplaySettings::rowLead(int row) const
{
    return validLead(row) ? m_rowLead[size_t(row)] : -1;
}

bool DisplaySettings::setLeadOrder(int row, int lead)
{
    if (!validLead(row) || !validLead(lead) || m_rowLead[size_t(row)] == lead)
        return false;
    m_rowLead[size_t(row)] = lead;
    return true;
}

bool DisplaySettings::setHexaxialOrder(bool on)
{
    using namespace TLeadTable;
    static const int hexaxial[6] = {aVL, I, aVR, II, aVF, III};
    bool changed = false;
    for (int row = 0; row < 6; ++row)
        changed |= setLeadOrder(row, on ? hexaxial[row] : row);
    changed |= setLeadInverted(aVR, on);
    return changed;
}

bool DisplaySettings::setColor(int role, const QColor& color)
{
    QColor c = color;
    if (role == DisplayColorRole::Highlight)
        c.setAlpha(128);
    const bool paper = role == DisplayColorRole::Background || role == DisplayColorRole::Grid;
    const bool changed = !m_colors.contains(role) || m_colors.value(role) != c;
    m_colors.insert(role, c);
    return paper && changed;
}

QVector<int> DisplaySettings::visibleLeads(int channelCount) const
{
    QVector<int> leads;
    for (int row = 0; row < MaxLeads; ++row) {
        const int lead = m_rowLead[size_t(row)];
        if (lead < channelCount && m_leadVisible[size_t(lead)])
            leads.append(lead);
    }
    return leads;
}

QString DisplaySettings::leadLabel(const TSignalBuffer& store, int lead) const
{
    const TSignalChannel* channel = store.channel(lead);
    QString name = channel ? QString::fromLatin1(channel->name()) : QString();
    if (name.isEmpty())
        name = QString::fromLatin1(TLeadTable::leadName(lead));
    return leadInverted(lead) ? QLatin1Char('-') + name : name;
}
