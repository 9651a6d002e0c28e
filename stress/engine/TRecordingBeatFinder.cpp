#include "TRecordingBeatFinder.h"

#include "TAnalysisPath.h"
#include "TAverageDecimator.h"
#include "TBeatSink.h"
#include "TQrsDetector.h"
#include "TRingSignalBuffer.h"
#include "TSignalChannel.h"
#include "TWavePointRefiner.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace {

// The live raw signal's shape: pages and the ring of the engine.
constexpr int RawPageSize = 4096;
constexpr int RawRingSamples = 81920;

qint16 toCode(double value)
{
    return qint16(std::clamp(std::lround(value), -32768L, 32767L));
}

} // namespace

// Takes the detector's beats as the engine does, drops those of the lead-in
// and those cut by either end, and hands the others over in the recording's time.
class TRecordingBeatFinder::Sink : public TBeatSink
{
public:
    Sink(const TSignalBuffer& raw, const TSignalBuffer& recording, double leadIn, const BeatTaker& take)
        : m_raw(raw), m_recording(recording), m_leadIn(leadIn), m_take(take)
    {
    }

    void storeBeat(const TBeat& detected, const TBeatRecord*, int) override
    {
        TBeat beat = detected;
        TWavePointRefiner::refine(beat, m_raw);
        shiftTimes(beat, m_leadIn);
        const double t = beat.time();
        const double end = m_recording.durationSeconds();
        if (t < CompleteQrsSeconds || t > end - CompleteQrsSeconds)
            return;
        // The detector emits in time order; a beat not after the last one is
        // none of the recording's own.
        if (m_lastTime && t <= *m_lastTime)
            return;
        beat.setBuffer(&m_recording);
        // The beats file keeps a beat's label but not its class: the label
        // carries the class, as in the beats the engine stores.
        if (beat.label() == 0)
            beat.setLabel(beat.beatClass());
        if (!m_lastTime) {
            // The first beat's interval reaches into the lead-in, to a beat
            // that is not the recording's: it waits for the beat after it.
            m_first = beat;
            m_lastTime = t;
            return;
        }
        if (m_first) {
            setInterval(*m_first, t - *m_lastTime);
            m_take(*m_first);
            m_first.reset();
        }
        // After a premature first beat the detector may count the interval
        // from the beat before it, in the lead-in.
        if (beat.hasValue(TBeat::RR) && t - beat.value(TBeat::RR) < 0.0)
            setInterval(beat, t - *m_lastTime);
        m_lastTime = t;
        m_take(beat);
    }

    void finish()
    {
        if (!m_first)
            return;
        setInterval(*m_first, 0.0);
        m_take(*m_first);
        m_first.reset();
    }

private:
    // The beat's interval and that of each lead that detected it; none when rr is 0.
    static void setInterval(TBeat& beat, double rr)
    {
        for (int lead = 0; lead < beat.leadCount(); ++lead) {
            const bool detecting = beat.leadValue(lead, TBeat::DetectionFlag) == 1.0;
            if (rr > 0.0 && detecting)
                beat.setLeadValue(lead, TBeat::LeadRR, rr);
            else
                beat.clearLeadValue(lead, TBeat::LeadRR);
        }
        if (rr > 0.0)
            beat.setValue(TBeat::RR, rr);
        else
            beat.clearValue(TBeat::RR);
    }

    const TSignalBuffer& m_raw;
    const TSignalBuffer& m_recording;
    double m_leadIn;
    const BeatTaker& m_take;
    std::optional<TBeat> m_first;
    std::optional<double> m_lastTime;
};

TRecordingBeatFinder::TRecordingBeatFinder(TSignalBuffer& recording, int keptSamples) : m_recording(recording)
{
    TStreamOutput shape;
    const int page = std::max(1, recording.pageSize());
    shape.ringPages = std::max(1, (std::max(1, keptSamples) + page - 1) / page);
    m_averaging = std::make_unique<TAverageDecimator>(analysisStep(recording), shape);
    m_averaging->setSource(&m_recording, 0);
}

TRecordingBeatFinder::~TRecordingBeatFinder() = default;

int TRecordingBeatFinder::analysisStep(const TSignalBuffer& recording)
{
    return std::max(1, recording.samplingRate() / TAnalysisPath::AnalysisRate);
}

TSignalBuffer* TRecordingBeatFinder::analysisSignal() const
{
    return m_averaging->output();
}

void TRecordingBeatFinder::shiftTimes(TBeat& beat, double offset)
{
    beat.setWindowStart(beat.windowStart() - offset);
    if (beat.hasValue(TBeat::Time))
        beat.setValue(TBeat::Time, beat.value(TBeat::Time) - offset);
    for (int lead = 0; lead < beat.leadCount(); ++lead)
        for (int index = TBeat::POnset; index <= TBeat::WaveTime5; ++index)
            if (beat.hasLeadValue(lead, index))
                beat.setLeadValue(lead, index, beat.leadValue(lead, index) - offset);
}

void TRecordingBeatFinder::find(const BeatTaker& take)
{
    m_averaging->setSource(&m_recording, 0);
    const int rate = m_recording.samplingRate();
    const int length = m_recording.length();
    const int channels = std::min(m_recording.channelCount(), int(TSignalBuffer::MaxChannels));
    if (rate <= 0 || length < 2 || channels < 1)
        return;

    TIntSignalBuffer raw(RawPageSize, RawRingSamples, channels, rate);
    raw.setResolution(m_recording.resolution());
    raw.setGain(m_recording.gainMin(), m_recording.gainMax());
    for (int c = 0; c < channels; ++c)
        if (const TSignalChannel* channel = m_recording.channel(c))
            raw.channel(c)->setName(channel->name());

    const int span = loopSpan();
    const int loops = span > 0 ? (int(LeadInSeconds * rate) + span - 1) / span : 0;
    const int leadIn = span * loops;
    TAnalysisPath path(&raw);
    Sink sink(raw, m_recording, double(leadIn) / rate, take);
    path.detector().setSink(&sink);

    const int block = std::max(1, int(BlockSeconds * rate));
    const size_t blockSize = static_cast<size_t>(block);
    const size_t channelCount = static_cast<size_t>(channels);
    std::vector<double> values(blockSize);
    std::vector<std::vector<qint16>> codes(channelCount, std::vector<qint16>(blockSize));
    std::vector<const qint16*> columns(channelCount);
    auto play = [&](int from, int count) {
        for (int c = 0; c < channels; ++c) {
            m_recording.samples(c, from, count, values.data());
            std::vector<qint16>& out = codes[size_t(c)];
            for (int i = 0; i < count; ++i)
                out[size_t(i)] = toCode(values[size_t(i)]);
            columns[size_t(c)] = out.data();
        }
        raw.appendChannels(columns.data(), count);
        path.process(true);
    };
    for (int loop = 0; loop < loops; ++loop)
        for (int from = 0; from < span; from += block)
            play(from, std::min(block, span - from));
    for (int from = 0; from < length; from += block) {
        play(from, std::min(block, length - from));
        m_averaging->process();
    }
    m_averaging->process();
    path.finish();
    sink.finish();
}

int TRecordingBeatFinder::loopSpan() const
{
    // The recording's start, every step-th sample of each channel, as far as
    // the search needs it.
    const int rate = m_recording.samplingRate();
    const int length = m_recording.length();
    const int step = analysisStep(m_recording);
    const int channels = std::min(m_recording.channelCount(), int(TSignalBuffer::MaxChannels));
    const int window = int(MatchSeconds * rate) / step;
    const int longest = std::min(length, int(LeadInSeconds * rate)) / step;
    const int last = std::min(longest, length / step - window);
    const int first = std::max({window, last - int(SearchSeconds * rate) / step, 1});
    if (last < first)
        return longest * step;
    std::vector<std::vector<double>> start(static_cast<size_t>(channels));
    std::vector<double> values;
    for (int c = 0; c < channels; ++c) {
        values.resize(size_t(last + window) * size_t(step));
        m_recording.samples(c, 0, int(values.size()), values.data());
        std::vector<double>& x = start[size_t(c)];
        x.resize(size_t(last + window));
        for (size_t i = 0; i < x.size(); ++i)
            x[i] = values[i * size_t(step)];
    }
    // The span after which the signal goes on most like it starts: played
    // over and over, the turn is then hardly a step, and the beats on both
    // sides of it lie about a heartbeat apart.
    int best = last;
    double bestCost = -1.0;
    for (int k = last; k >= first; --k) {
        double cost = 0.0;
        for (const std::vector<double>& x : start)
            for (int j = 0; j < window; ++j) {
                const double d = x[size_t(k + j)] - x[size_t(j)];
                cost += d * d;
            }
        if (bestCost < 0.0 || cost < bestCost) {
            bestCost = cost;
            best = k;
        }
    }
    return best * step;
}
