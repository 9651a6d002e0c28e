#include "TFileBeatStore.h"

#include "TBeatsFile.h"
#include "TException.h"

#include <QCoreApplication>
#include <QSaveFile>

#include <algorithm>
#include <climits>

namespace {

// Records read at once: whole screens of beats, for a display walking along
// the recording, in one read.
constexpr int BlockRecords = 64;
// Bytes read at once while collecting the beat times at opening.
constexpr qint64 TimeChunkBytes = 1 << 20;

} // namespace

TFileBeatStore::TFileBeatStore(int channelCount, const TSignalBuffer* buffer)
    : m_channelCount(channelCount), m_recordSize(TBeatsFile::recordSize(channelCount)), m_buffer(buffer)
{
}

std::unique_ptr<TFileBeatStore> TFileBeatStore::open(const QString& path, int channelCount,
                                                     const TSignalBuffer* buffer)
{
    if (channelCount < 1 || channelCount > TBeatsFile::MaxChannels)
        return nullptr;
    std::unique_ptr<TFileBeatStore> store(new TFileBeatStore(channelCount, buffer));
    QFile& file = store->m_file;
    file.setFileName(path);
    // Unbuffered: every record reaches the operating system as it is written.
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)
        && !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return nullptr;
    const qint64 size = file.size();
    if (size < TBeatsFile::HeaderSize)
        return nullptr;
    // Records past what an int counts cannot be addressed; they stay in the file.
    const qint64 records = std::min<qint64>((size - TBeatsFile::HeaderSize) / store->m_recordSize, INT_MAX - 1);
    store->loadTimes(records);
    return store;
}

void TFileBeatStore::loadTimes(qint64 records)
{
    m_times.reserve(size_t(records));
    const qint64 perChunk = std::max<qint64>(1, TimeChunkBytes / m_recordSize);
    QByteArray chunk;
    for (qint64 first = 0; first < records; first += perChunk) {
        const qint64 n = std::min(perChunk, records - first);
        chunk.resize(int(n * m_recordSize));
        if (!m_file.seek(offsetOf(int(first))))
            return;
        const qint64 got = m_file.read(chunk.data(), chunk.size());
        // A file cut short meanwhile: only what could be read counts.
        const qint64 whole = std::max<qint64>(0, got) / m_recordSize;
        for (qint64 i = 0; i < whole; ++i)
            m_times.push_back(TBeatsFile::beatTime(chunk.constData() + i * m_recordSize));
        if (whole < n)
            return;
    }
}

qint64 TFileBeatStore::offsetOf(int index) const
{
    return TBeatsFile::HeaderSize + qint64(index) * m_recordSize;
}

const char* TFileBeatStore::record(int index) const
{
    if (index < m_blockFirst || index >= m_blockFirst + m_blockRecords) {
        m_blockFirst = -1;
        m_blockRecords = 0;
        const int first = index - index % BlockRecords;
        const int n = std::min(BlockRecords, count() - first);
        m_block.resize(n * m_recordSize);
        if (!m_file.seek(offsetOf(first)))
            return nullptr;
        const qint64 got = m_file.read(m_block.data(), m_block.size());
        m_blockFirst = first;
        m_blockRecords = int(std::max<qint64>(0, got) / m_recordSize);
        if (index >= m_blockFirst + m_blockRecords)
            return nullptr;
    }
    return m_block.constData() + qint64(index - m_blockFirst) * m_recordSize;
}

TBeat TFileBeatStore::beat(int index) const
{
    if (index < 0 || index >= count())
        return TBeat();
    const char* r = record(index);
    return r ? TBeatsFile::decode(r, m_channelCount, index, m_buffer) : TBeat(index, m_buffer);
}

double TFileBeatStore::timeOf(int index) const
{
    return index >= 0 && index < count() ? m_times[size_t(index)] : 0.0;
}

void TFileBeatStore::append(const TBeat& beat)
{
    const int index = count();
    if (!m_file.isWritable() || index >= INT_MAX - 1)
        throw TException(QCoreApplication::translate("TFileBeatStore", "Write error"));
    const QByteArray bytes = TBeatsFile::encode(beat, m_channelCount);
    // Always right after the whole records: this also overwrites a partial
    // record that a crash or an earlier failed write left behind.
    if (!m_file.seek(offsetOf(index)))
        throw TException(QCoreApplication::translate("TFileBeatStore", "Write error"));
    m_file.unsetError();
    // The block of records read before holds only records below index, so it
    // stays valid.
    if (m_file.write(bytes) != qint64(bytes.size()) || !m_file.flush())
        throw TException(QCoreApplication::translate("TFileBeatStore", "Write error"));
    m_times.push_back(TBeatsFile::beatTime(bytes.constData()));
}

bool TFileBeatStore::reopen()
{
    m_blockFirst = -1;
    m_blockRecords = 0;
    m_file.close();
    return m_file.open(QIODevice::ReadWrite | QIODevice::Unbuffered);
}

void TFileBeatStore::replaceFirst(int count, const std::vector<TBeat>& beats)
{
    const int held = this->count();
    const int replaced = std::clamp(count, 0, held);
    if (beats.empty() && replaced == 0)
        return;
    if (!m_file.isWritable() || qint64(held - replaced) + qint64(beats.size()) >= INT_MAX - 1)
        throw TException(QCoreApplication::translate("TFileBeatStore", "Write error"));
    // Unbuffered, so that every short write is seen here: the commit does not
    // tell a file cut short by a full disk.
    QSaveFile out(m_file.fileName());
    // The header area as it is (what follows the magic belongs to the file).
    QByteArray chunk(TBeatsFile::HeaderSize, '\0');
    if (!m_file.seek(0) || m_file.read(chunk.data(), chunk.size()) != chunk.size()
        || !out.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || out.write(chunk) != chunk.size())
        throw TException(QCoreApplication::translate("TFileBeatStore", "Write error"));
    std::vector<double> times;
    times.reserve(beats.size() + m_times.size());
    for (const TBeat& beat : beats) {
        const QByteArray bytes = TBeatsFile::encode(beat, m_channelCount);
        if (out.write(bytes) != bytes.size())
            throw TException(QCoreApplication::translate("TFileBeatStore", "Write error"));
        times.push_back(TBeatsFile::beatTime(bytes.constData()));
    }
    // The records kept, a block at a time (a trailing partial record is none).
    const int perChunk = std::max(1, int(TimeChunkBytes / m_recordSize));
    for (int first = replaced; first < held; first += perChunk) {
        const int n = std::min(perChunk, held - first);
        chunk.resize(n * m_recordSize);
        if (!m_file.seek(offsetOf(first)) || m_file.read(chunk.data(), chunk.size()) != chunk.size()
            || out.write(chunk) != chunk.size())
            throw TException(QCoreApplication::translate("TFileBeatStore", "Write error"));
    }
    if (out.error() != QFileDevice::NoError)
        throw TException(QCoreApplication::translate("TFileBeatStore", "Write error"));
    // The file is closed while it is replaced (a file held open cannot be
    // replaced everywhere), then opened again, whichever file it then is.
    m_file.close();
    const bool committed = out.commit();
    if (!reopen())
        m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    if (!committed)
        throw TException(QCoreApplication::translate("TFileBeatStore", "Write error"));
    times.insert(times.end(), m_times.begin() + replaced, m_times.end());
    m_times.swap(times);
}
