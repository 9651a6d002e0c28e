#pragma once

// File helpers shared by the storage tests.

#include "TException.h"
#include "TFileSizeLimit.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QString>

#include <functional>

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

inline QString exceptionText(const std::function<void()>& action)
{
    try {
        action();
    } catch (const TException& e) {
        return e.message();
    }
    return QString();
}

// Every file below the folder with its content, for "nothing changed" checks.
inline QMap<QString, QByteArray> tree(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), readFile(path));
    }
    return files;
}

// Flips the stored CRC of the named entry in both its local header and its
// central directory record: the reader then finds the data wrong.
inline QByteArray damageCrc(QByteArray bytes, const QByteArray& entry)
{
    for (const QByteArray& signature : {QByteArray("PK\x03\x04"), QByteArray("PK\x01\x02")}) {
        const int nameOffset = signature == "PK\x03\x04" ? 30 : 46;
        const int crcOffset = signature == "PK\x03\x04" ? 14 : 16;
        for (int at = bytes.indexOf(signature); at >= 0; at = bytes.indexOf(signature, at + 4)) {
            const uchar* h = reinterpret_cast<const uchar*>(bytes.constData() + at);
            const int nameLength = h[nameOffset - (signature == "PK\x03\x04" ? 4 : 18)]
                + 256 * h[nameOffset - (signature == "PK\x03\x04" ? 3 : 17)];
            if (nameLength == entry.size() && bytes.mid(at + nameOffset, nameLength) == entry)
                bytes[at + crcOffset] = char(bytes[at + crcOffset] ^ 0x5a);
        }
    }
    return bytes;
}
