#pragma once

// Whole files read and written by tests (an unreadable file reads empty).

#include <QByteArray>
#include <QFile>
#include <QString>

inline bool writeFile(const QString& path, const QByteArray& bytes, bool append = false)
{
    QFile file(path);
    return file.open(append ? QIODevice::Append : QIODevice::WriteOnly | QIODevice::Truncate)
           && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
