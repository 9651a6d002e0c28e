#include "TCheckedWriteDevice.h"

TCheckedWriteDevice::TCheckedWriteDevice(QIODevice* target) : m_target(target)
{
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 TCheckedWriteDevice::writeData(const char* data, qint64 length)
{
    if (m_failed || !m_target)
        return -1;
    if (m_target->write(data, length) != length) {
        m_failed = true;
        return -1;
    }
    return length;
}
