#pragma once

// File helpers and test patterns shared by the storage tests.

#include "TException.h"
#include "TFileSizeLimit.h"
#include "TestFiles.h"
#include "TSignalBuffer.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRandomGenerator>
#include <QString>

#include <functional>
#include <vector>

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

// Half noise, half slowly varying: compressible like a recording.
inline QByteArray patternBytes(int size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = (i / 4096) % 2 ? char(generator.bounded(256)) : char((i * 7 / 13) ^ (i >> 9));
    return bytes;
}

// A sample code that differs between channels, frames and pages, and uses the
// whole 16-bit range (negative values included).
inline qint16 valueOf(int channel, int index)
{
    return qint16(quint16(quint32(index) * 2654435761u >> 7) ^ quint16(channel * 4099));
}

// Frames first..first+count-1 of the pattern, interleaved.
inline std::vector<qint16> frames(int channels, int first, int count)
{
    std::vector<qint16> out(size_t(channels) * size_t(count));
    for (int i = 0; i < count; ++i)
        for (int c = 0; c < channels; ++c)
            out[size_t(i) * size_t(channels) + size_t(c)] = valueOf(c, first + i);
    return out;
}

inline void appendFrames(TSignalBuffer& buffer, int first, int count)
{
    const std::vector<qint16> block = frames(buffer.channelCount(), first, count);
    buffer.append(block.data(), int(block.size() * 2));
}

// The first of frames 0..count-1 that does not read back as written, or an
// empty text.
inline QString firstWrongFrame(const TSignalBuffer& buffer, int count)
{
    for (int i = 0; i < count; ++i)
        for (int c = 0; c < buffer.channelCount(); ++c)
            if (buffer.sample(c, i) != valueOf(c, i))
                return QString("channel %1 frame %2").arg(c).arg(i);
    return QString();
}
