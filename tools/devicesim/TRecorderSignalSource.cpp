#include "TRecorderSignalSource.h"

#include "TEcgSynthesizer.h"
#include "TException.h"

#include <QFile>

namespace {
constexpr int ChunkFrames = 512;
constexpr int Leads = 14;
} // namespace

void TSampledSignalSource::frame(qint64 index, int frameRate, qint16* leads)
{
    if (frameRate <= SamplingRate) {
        sample(index, leads);
        return;
    }
    // Position of the frame in samples, between sample k and k + 1.
    const qint64 scaled = index * SamplingRate;
    const qint64 k = scaled / frameRate;
    const qint64 remainder = scaled % frameRate;
    sample(k, leads);
    if (remainder == 0)
        return;
    qint16 next[Leads];
    sample(k + 1, next);
    for (int lead = 0; lead < Leads; ++lead)
        leads[lead] = qint16(leads[lead] + (qint64(next[lead]) - leads[lead]) * remainder / frameRate);
}

struct TRecordingSignalSource::File
{
    QFile file;
};

TRecordingSignalSource::TRecordingSignalSource(const QString& path, double gainMv)
    : m_file(std::make_unique<File>()), m_gain(gainMv)
{
    m_file->file.setFileName(path);
    if (!m_file->file.open(QIODevice::ReadOnly))
        throw TException("Cannot open file");
    m_frames = m_file->file.size() / (Leads * 2);
}

TRecordingSignalSource::~TRecordingSignalSource() = default;

void TRecordingSignalSource::sample(qint64 k, qint16* leads)
{
    if (m_frames <= 0) {
        std::fill(leads, leads + Leads, qint16(0));
        return;
    }
    const qint64 frame = k % m_frames;
    if (m_chunkStart < 0 || frame < m_chunkStart || frame >= m_chunkStart + qint64(m_chunk.size() / Leads)) {
        m_chunkStart = frame;
        const qint64 n = qMin<qint64>(ChunkFrames, m_frames - frame);
        m_chunk.assign(size_t(n) * Leads, 0);
        m_file->file.seek(frame * Leads * 2);
        // The demo format is little-endian, as the machines this runs on.
        const qint64 got = m_file->file.read(reinterpret_cast<char*>(m_chunk.data()), n * Leads * 2);
        if (got < n * Leads * 2)
            std::fill(m_chunk.begin() + qMax<qint64>(0, got / 2), m_chunk.end(), qint16(0));
    }
    const qint16* p = m_chunk.data() + size_t(frame - m_chunkStart) * Leads;
    std::copy(p, p + Leads, leads);
}

TSynthSignalSource::TSynthSignalSource(double heartRate, quint64 seed, double gainMv)
{
    TSynthParams params;
    params.seed = seed;
    params.samplingRate = SamplingRate;
    params.durationSeconds = 60.0;
    params.heartRateStart = params.heartRateEnd = heartRate;
    params.gainMv = gainMv;
    params.loop = true;
    m_synth = std::make_unique<TEcgSynthesizer>(params);
}

TSynthSignalSource::~TSynthSignalSource() = default;

double TSynthSignalSource::gainMv() const
{
    return m_synth->params().gainMv;
}

void TSynthSignalSource::sample(qint64 k, qint16* leads)
{
    if (m_chunkStart < 0 || k < m_chunkStart || k >= m_chunkStart + ChunkFrames) {
        m_chunkStart = k;
        m_chunk.resize(size_t(ChunkFrames) * Leads);
        m_synth->render(k, ChunkFrames, m_chunk.data());
    }
    const qint16* p = m_chunk.data() + size_t(k - m_chunkStart) * Leads;
    std::copy(p, p + Leads, leads);
}
