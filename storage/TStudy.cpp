#include "TStudy.h"

#include "TRingSignalBuffer.h"

#include <algorithm>

namespace {

// An empty recording shaped after the record, so that a review still knows the
// leads; small, since nothing is recorded into it.
std::unique_ptr<TSignalBuffer> emptyRecording(const TAcquisitionFields& a)
{
    constexpr int pageSize = 4096;
    const int channels = std::clamp(a.channelCount, 1, int(TSignalBuffer::MaxChannels));
    const int rate = a.samplingRate > 0 ? a.samplingRate : 500;
    auto buffer = std::make_unique<TIntSignalBuffer>(pageSize, pageSize, channels, rate);
    if (a.resolution > 0)
        buffer->setResolution(a.resolution);
    if (a.gainMax > 0.0)
        buffer->setGain(-a.gainMax, a.gainMax);
    const QStringList names = a.channelNames.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (int i = 0; i < std::min(channels, int(names.size())); ++i) {
        if (TSignalChannel* c = buffer->channel(i))
            c->setName(names[i].toUtf8());
    }
    return buffer;
}

} // namespace

TStudy::TStudy(TStudyRecord record, std::unique_ptr<TSignalBuffer> recording, std::unique_ptr<TBeatStore> beats)
    : m_record(std::move(record))
{
    setRecording(std::move(recording));
    setBeats(std::move(beats));
}

TStudy::~TStudy() = default;

void TStudy::setRecording(std::unique_ptr<TSignalBuffer> recording)
{
    m_recordingAvailable = recording != nullptr;
    m_recording = recording ? std::move(recording) : emptyRecording(m_record.acquisition);
}

void TStudy::setBeats(std::unique_ptr<TBeatStore> beats)
{
    m_beatsAvailable = beats != nullptr;
    if (beats)
        m_beats = std::move(beats);
    else
        m_beats = std::make_unique<TMemoryBeatStore>();
}
