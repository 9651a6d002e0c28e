#include "TSignalWatch.h"

#include <QCoreApplication>

TSignalWatch::TSignalWatch(qint64 nowMs) : m_lastMs(nowMs)
{
}

void TSignalWatch::restart(qint64 nowMs)
{
    m_lastMs = nowMs;
    m_samples = 0;
    m_received = false;
}

void TSignalWatch::observe(qint64 samples, qint64 nowMs)
{
    if (samples > m_samples) {
        m_samples = samples;
        m_lastMs = nowMs;
        m_received = true;
    }
}

bool TSignalWatch::isSilent(qint64 nowMs) const
{
    return silentMs(nowMs) >= SilenceMs;
}

qint64 TSignalWatch::silentMs(qint64 nowMs) const
{
    return qMax<qint64>(0, nowMs - m_lastMs);
}

QString TSignalWatch::text(qint64 nowMs) const
{
    if (!isSilent(nowMs))
        return QString();
    const QString duration = durationText(silentMs(nowMs));
    if (!m_received)
        return QCoreApplication::translate("TSignalWatch", "No signal from the ECG recorder (waiting %1)\n"
                                                           "Check that it is switched on and connected")
            .arg(duration);
    return QCoreApplication::translate("TSignalWatch", "No signal: last sample %1 ago\n"
                                                       "Recording resumes by itself when the signal returns")
        .arg(duration);
}

QString TSignalWatch::durationText(qint64 ms)
{
    const qint64 seconds = qMax<qint64>(0, ms) / 1000;
    if (seconds < 60)
        return QCoreApplication::translate("TSignalWatch", "%1 s").arg(seconds);
    if (seconds < 3600)
        return QCoreApplication::translate("TSignalWatch", "%1 min %2 s")
            .arg(seconds / 60)
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QCoreApplication::translate("TSignalWatch", "%1 h %2 min")
        .arg(seconds / 3600)
        .arg((seconds % 3600) / 60, 2, 10, QLatin1Char('0'));
}
