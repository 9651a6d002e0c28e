#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>

// Resident memory of this process from /proc/self/status, in MB (0 when unknown).
namespace BenchMemory {

inline double statusMegabytes(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0.0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0.0;
}

inline double residentMegabytes()
{
    return statusMegabytes("VmRSS:");
}

// The most this process has been resident since it started.
inline double peakResidentMegabytes()
{
    return statusMegabytes("VmHWM:");
}

} // namespace BenchMemory
