#pragma once

#include <QString>
#include <QtGlobal>

// Tells whether samples still arrive: a device that cannot be opened, a
// recorder switched off or a Bluetooth link that dropped all deliver nothing,
// and the monitor window must say so, with how long since the last sample.
// Times are monotonic milliseconds handed in by the caller.
class TSignalWatch
{
public:
    // Blocks come every 0.1 s or so; a second without one is a lost signal.
    static constexpr qint64 SilenceMs = 1000;

    // nowMs: when watching began (the device was started).
    explicit TSignalWatch(qint64 nowMs = 0);

    void restart(qint64 nowMs);
    // The signal's length in samples at nowMs; a longer one than before means
    // samples arrived.
    void observe(qint64 samples, qint64 nowMs);

    bool isSilent(qint64 nowMs) const;
    bool hasEverReceived() const { return m_received; }
    // Milliseconds since the last sample (or since watching began, when none came).
    qint64 silentMs(qint64 nowMs) const;
    // What the window shows while the signal is lost; empty while it flows.
    QString text(qint64 nowMs) const;

    // "5 s", "1 min 05 s", "1 h 02 min".
    static QString durationText(qint64 ms);

private:
    qint64 m_lastMs;
    qint64 m_samples = 0;
    bool m_received = false;
};
