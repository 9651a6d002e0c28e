#include "TFileSignalBuffer.h"

#include "TException.h"
#include "TSampleConversion.h"

#include <QCoreApplication>
#include <QtEndian>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// Pages of frames kept for sample() and samples(); loadPage shares them, so the
// channels of one page cost one read, also where a filter reads a few pages of
// one channel, and the pages either side of them, before the next channel.
constexpr int CachedBlocks = 16;

void toFileOrder(qint16* values, size_t count)
{
#if Q_BYTE_ORDER == Q_BIG_ENDIAN
    for (size_t i = 0; i < count; ++i)
        values[i] = qbswap(values[i]);
#else
    Q_UNUSED(values);
    Q_UNUSED(count);
#endif
}

} // namespace

TFileSignalBuffer::TFileSignalBuffer(int channelCount, int samplingRate, int headerSize)
    : TSignalBuffer(FilePageSize, channelCount, samplingRate, 16), m_headerSize(headerSize), m_blocks(CachedBlocks)
{
}

TFileSignalBuffer::~TFileSignalBuffer()
{
    freeAllPages();
}

std::unique_ptr<TFileSignalBuffer> TFileSignalBuffer::open(const QString& path, int channelCount, int samplingRate,
                                                           int headerSize)
{
    if (channelCount <= 0 || channelCount > MaxChannels || samplingRate <= 0 || headerSize < 0)
        return nullptr;
    std::unique_ptr<TFileSignalBuffer> buffer(new TFileSignalBuffer(channelCount, samplingRate, headerSize));
    QFile& file = buffer->m_file;
    file.setFileName(path);
    // Unbuffered: every write reaches the operating system at once.
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)
        && !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return nullptr;
    const qint64 frames = std::max<qint64>(0, file.size() - headerSize) / buffer->frameBytes();
    // Frames past what an int counts cannot be addressed; they stay in the file.
    buffer->advanceLength(int(std::min<qint64>(frames, INT_MAX / 2)));
    return buffer;
}

const TFileSignalBuffer::Block* TFileSignalBuffer::block(int page) const
{
    const qint64 start = qint64(page) * pageSize();
    if (page < 0 || start >= length())
        return nullptr;
    const int available = int(std::min<qint64>(pageSize(), length() - start));
    Block* victim = nullptr;
    for (Block& b : m_blocks) {
        if (b.page != page)
            continue;
        if (b.frames == available) {
            b.lastUse = ++m_useCounter;
            return &b;
        }
        victim = &b; // read while the page was shorter: read it again in place
    }
    if (!victim)
        victim = &*std::min_element(m_blocks.begin(), m_blocks.end(),
                                    [](const Block& a, const Block& b) { return a.lastUse < b.lastUse; });
    const int channels = channelCount();
    victim->values.assign(size_t(pageSize()) * size_t(channels), 0);
    qint64 got = 0;
    if (m_file.seek(m_headerSize + start * frameBytes())) {
        got = m_file.read(reinterpret_cast<char*>(victim->values.data()), qint64(available) * frameBytes());
        got = std::max<qint64>(0, got);
    }
    // A file cut short by someone else reads as zeros past its end.
    const size_t readValues = size_t(got / 2);
    std::fill(victim->values.begin() + long(readValues), victim->values.end(), qint16(0));
    toFileOrder(victim->values.data(), readValues);
    victim->page = page;
    victim->frames = available;
    victim->lastUse = ++m_useCounter;
    return victim;
}

int TFileSignalBuffer::sample(int channel, int index) const
{
    if (channel < 0 || channel >= channelCount() || index < 0 || index >= length())
        return 0;
    const Block* b = block(index / pageSize());
    return b ? int(b->values[size_t(index % pageSize()) * size_t(channelCount()) + size_t(channel)]) : 0;
}

void TFileSignalBuffer::samples(int channel, int start, int count, double* out) const
{
    if (count <= 0 || !out)
        return;
    std::fill(out, out + count, 0.0);
    if (channel < 0 || channel >= channelCount())
        return;
    const qint64 first = std::max<qint64>(start, 0);
    const qint64 end = std::min<qint64>(qint64(start) + count, length());
    const int channels = channelCount();
    for (qint64 index = first; index < end;) {
        const int page = int(index / pageSize());
        const Block* b = block(page);
        const qint64 pageStart = qint64(page) * pageSize();
        const qint64 pageEnd = std::min<qint64>(pageStart + pageSize(), end);
        if (!b)
            break;
        for (qint64 i = index; i < pageEnd; ++i)
            out[i - start] = double(b->values[size_t(i - pageStart) * size_t(channels) + size_t(channel)]);
        index = pageEnd;
    }
}

void* TFileSignalBuffer::loadPage(int channel, int page)
{
    if (channel < 0 || channel >= channelCount() || page < 0 || page >= pageCount())
        return nullptr;
    qint16* data = new qint16[size_t(pageSize())];
    std::fill(data, data + pageSize(), qint16(0));
    if (const Block* b = block(page)) {
        const int channels = channelCount();
        for (int i = 0; i < b->frames; ++i)
            data[i] = b->values[size_t(i) * size_t(channels) + size_t(channel)];
    }
    return data;
}

void TFileSignalBuffer::freePage(void* page)
{
    delete[] static_cast<qint16*>(page);
}

bool TFileSignalBuffer::writeFrames(const qint16* frames, int count, int* written)
{
    *written = 0;
    if (count <= 0)
        return true;
    const qint64 bytes = qint64(count) * frameBytes();
    const char* data = reinterpret_cast<const char*>(frames);
#if Q_BYTE_ORDER == Q_BIG_ENDIAN
    if (frames != m_frameBuffer.data())
        m_frameBuffer.assign(frames, frames + size_t(count) * size_t(channelCount()));
    toFileOrder(m_frameBuffer.data(), m_frameBuffer.size());
    data = reinterpret_cast<const char*>(m_frameBuffer.data());
#endif
    // Always at the end of the whole frames: this also overwrites a partial
    // frame that a crash or an earlier failed write left behind.
    const qint64 offset = m_headerSize + qint64(length()) * frameBytes();
    if (!m_file.isWritable() || !m_file.seek(offset))
        return false;
    m_file.unsetError();
    const qint64 result = m_file.write(data, bytes);
    *written = int(std::max<qint64>(0, result) / frameBytes());
    return result == bytes;
}

void TFileSignalBuffer::appendWritten(bool complete, int written)
{
    advanceLength(written);
    notifyListeners();
    if (!complete)
        throw TException(QCoreApplication::translate("TFileSignalBuffer", "Write error"));
}

void TFileSignalBuffer::append(const void* data, int bytes)
{
    const int frames = data && bytes > 0 ? bytes / frameBytes() : 0;
    int written = 0;
    bool complete = true;
    if (frames > 0) {
        // Copied when the caller's bytes are not aligned for 16-bit access.
        const auto* values = static_cast<const qint16*>(data);
        if (reinterpret_cast<quintptr>(data) % alignof(qint16) != 0) {
            m_frameBuffer.resize(size_t(frames) * size_t(channelCount()));
            std::memcpy(m_frameBuffer.data(), data, size_t(frames) * size_t(frameBytes()));
            values = m_frameBuffer.data();
        }
        complete = writeFrames(values, frames, &written);
    }
    appendWritten(complete, written);
}

template <typename T, typename Convert>
void TFileSignalBuffer::appendInterleaved(const T* const* channels, int count, Convert toCode)
{
    int written = 0;
    bool complete = true;
    if (channels && count > 0) {
        const int n = channelCount();
        m_frameBuffer.resize(size_t(count) * size_t(n));
        for (int c = 0; c < n; ++c)
            for (int i = 0; i < count; ++i)
                m_frameBuffer[size_t(i) * size_t(n) + size_t(c)] = toCode(channels[c][i]);
        complete = writeFrames(m_frameBuffer.data(), count, &written);
    }
    appendWritten(complete, written);
}

void TFileSignalBuffer::appendChannels(const qint16* const* channels, int count)
{
    appendInterleaved(channels, count, [](qint16 code) { return code; });
}

void TFileSignalBuffer::appendDoubles(const double* const* channels, int count)
{
    appendInterleaved(channels, count, [](double value) { return saturatingCode(value); });
}
