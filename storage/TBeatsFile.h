#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class TBeat;
class TFileBeatStore;
class TSignalBuffer;

// The beats file of a study: a 256-byte header area ("CXBEATS1", then zero
// bytes), then one fixed-size record per beat in detection order, of
// 56 + 80 x channel count bytes (the channel count of the study's sample file).
class TBeatsFile
{
public:
    static const QByteArray Magic;  // "CXBEATS1"
    static const QString Extension; // "cxbeats"
    static constexpr int HeaderSize = 256;
    static constexpr int BeatPartSize = 56;
    static constexpr int LeadBlockSize = 80;

    static int recordSize(int channelCount) { return BeatPartSize + LeadBlockSize * channelCount; }
    // "folder/baseFilename.cxbeats"
    static QString path(const QString& folder, const QString& baseFilename);

    // One record, little-endian, exactly as the file holds it.
    static QByteArray encode(const TBeat& beat, int channelCount);
    // The beat of one record of recordSize(channelCount) bytes; its buffer is set to buffer.
    static TBeat decode(const char* record, int channelCount, const TSignalBuffer* buffer);

    // Creates (truncates) the file with its header area and no records. Throws
    // TException "Cannot create beats file" / "Write error".
    static void create(const QString& path, int channelCount);
    // The file as a beat store (read-write, appends at the end) whose records
    // have the channel count of samples, or null when the file is missing or
    // its magic is wrong. Never throws.
    static std::unique_ptr<TFileBeatStore> open(const QString& path, const TSignalBuffer* samples);
};
