#include "TSingleInstance.h"

TSingleInstance::TSingleInstance(const QString& key) : m_key(key), m_memory(key)
{
}

TSingleInstance::~TSingleInstance()
{
    if (m_held)
        m_memory.detach();
}

void TSingleInstance::releaseAbandoned()
{
    // Attaching and detaching again removes a System V segment whose last user
    // has gone (the kernel detached the dead process); a segment that a live
    // process holds keeps that process attached and survives.
    QSharedMemory probe(m_key);
    if (probe.attach())
        probe.detach();
}

bool TSingleInstance::acquire()
{
    if (m_held)
        return true;
    if (m_memory.create(SegmentSize, QSharedMemory::ReadWrite)) {
        m_held = true;
        return true;
    }
    // A system that offers no shared memory must not keep the program from
    // recording: only a segment that exists refuses the start.
    if (m_memory.error() != QSharedMemory::AlreadyExists)
        return true;
    releaseAbandoned();
    m_held = m_memory.create(SegmentSize, QSharedMemory::ReadWrite);
    return m_held;
}
