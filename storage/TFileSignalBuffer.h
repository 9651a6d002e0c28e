#pragma once

#include "TSignalBuffer.h"

#include <QFile>
#include <QString>

#include <memory>
#include <vector>

// TSignalBuffer variant over a study's sample file: 16-bit codes stored as
// interleaved little-endian frames after a fixed-size header area. Appends go
// straight to the file (no buffering inside the process, so a killed process
// keeps every frame it appended); reads go through pages of 4096 frames, so the
// recording is never held whole in memory.
//
// The length is the number of whole frames in the file when it was opened plus
// what was appended since; a trailing partial frame (left by a crash) is not a
// frame and is overwritten by the next append.
class TFileSignalBuffer : public TSignalBuffer
{
public:
    static constexpr int FilePageSize = 4096;

    // The file opened read-write (read-only when it may not be written, so that a
    // recording on read-only media can still be reviewed; appends then fail with
    // "Write error"), or null when it cannot be opened or the shape is unusable.
    static std::unique_ptr<TFileSignalBuffer> open(const QString& path, int channelCount, int samplingRate,
                                                   int headerSize);

    ~TFileSignalBuffer() override;

    TSampleType sampleType() const override { return TSampleType::Int16; }
    QString path() const { return m_file.fileName(); }
    bool isWritable() const { return m_file.isWritable(); }
    int headerSize() const { return m_headerSize; }

    int sample(int channel, int index) const override;
    void samples(int channel, int start, int count, double* out) const override;
    void* loadPage(int channel, int page) override;
    void freePage(void* page) override;

    // Each writes whole frames at the end of the file, then advances the length
    // and tells the listeners. A failed write throws TException "Write error";
    // the length then counts the whole frames that did reach the file.
    void append(const void* data, int bytes) override;
    void appendChannels(const qint16* const* channels, int count) override;
    void appendDoubles(const double* const* channels, int count) override;

private:
    TFileSignalBuffer(int channelCount, int samplingRate, int headerSize);

    // One page of frames, all channels interleaved, as read from the file.
    struct Block
    {
        int page = -1;
        int frames = 0; // frames of the page that were in the file when read
        quint64 lastUse = 0;
        std::vector<qint16> values;
    };

    int frameBytes() const { return 2 * channelCount(); }
    // The frames of one page, read again when the buffer has grown into it since.
    const Block* block(int page) const;
    // Writes frames (native byte order) at the end of the file; returns the
    // whole frames written and whether all were.
    bool writeFrames(const qint16* frames, int count, int* written);
    void appendWritten(bool complete, int written);
    // Interleaves one array per channel into frames and writes them.
    template <typename T, typename Convert>
    void appendInterleaved(const T* const* channels, int count, Convert toCode);

    mutable QFile m_file;
    int m_headerSize;
    mutable std::vector<Block> m_blocks;
    mutable quint64 m_useCounter = 0;
    std::vector<qint16> m_frameBuffer;
};
