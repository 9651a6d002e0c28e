#pragma once

#include <QSharedMemory>
#include <QString>

// One running program per user session: a named shared-memory segment of 256
// bytes, held until the process ends. On Linux such a segment outlives a
// process that was killed, so a segment that no live process is attached to is
// released before the new one is created; two live instances are still refused.
class TSingleInstance
{
public:
    static constexpr int SegmentSize = 256;

    explicit TSingleInstance(const QString& key);
    ~TSingleInstance();

    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // False when another live process holds the segment; true when this
    // process now holds it (or the system offers no shared memory at all).
    bool acquire();
    bool isHeld() const { return m_held; }

private:
    void releaseAbandoned();

    QString m_key;
    QSharedMemory m_memory;
    bool m_held = false;
};
