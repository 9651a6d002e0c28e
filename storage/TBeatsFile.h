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
//
// Record, little-endian:
//   0, 8          window start, window length (double)
//   16 .. 40      per-beat values 0..3 (double; -1.0 when absent)
//   48            label (int32), then 4 zero bytes
//   56 + 80 k     lead block of channel k:
//     0           lead value 0 (int32, truncated toward zero), 4 zero bytes
//     8 .. 40     lead values 1..5 (double; 0.0 when absent)
//     48, 50, 52  lead values 7, 6, 8 (int16, truncated), 2 zero bytes
//     56, 64, 72  lead values 9..11 (double; 0.0 when absent)
class TBeatsFile
{
public:
    static const QByteArray Magic;  // "CXBEATS1"
    static const QString Extension; // "cxbeats"
    static constexpr int HeaderSize = 256;
    static constexpr int BeatPartSize = 56;
    static constexpr int LeadBlockSize = 80;
    static constexpr int MaxChannels = 16;

    static int recordSize(int channelCount) { return BeatPartSize + LeadBlockSize * channelCount; }
    // "folder/baseFilename.cxbeats"
    static QString path(const QString& folder, const QString& baseFilename);

    // One record of recordSize(channelCount) bytes (channelCount 1..16), exactly
    // as the file holds it. Leads from channelCount on are not stored.
    static QByteArray encode(const TBeat& beat, int channelCount);
    // The beat of one record of recordSize(channelCount) bytes, numbered number,
    // belonging to buffer. See the .cpp for how presence flags come back.
    static TBeat decode(const char* record, int channelCount, int number, const TSignalBuffer* buffer);
    // The beat time (per-beat value 0) of a record, as decode gives it.
    static double beatTime(const char* record);

    // Creates (truncates) the file with its header area and no records. Throws
    // TException "Cannot create beats file" (also for a channel count outside
    // 1..16) / "Write error".
    static void create(const QString& path, int channelCount);
    // The file as a beat store (read-write, appends at the end; read-only when
    // the file may not be written) whose records have the channel count of
    // samples, or null when the file is missing, shorter than the header area,
    // its magic is wrong, or samples is null. Never throws.
    static std::unique_ptr<TFileBeatStore> open(const QString& path, const TSignalBuffer* samples);
};
