#include "TQrsEvaluation.h"

#include "TAnalysisPath.h"
#include "TBeatSink.h"
#include "TQrsDetector.h"
#include "TRecordPlayback.h"
#include "TRingSignalBuffer.h"
#include "TWfdbAnnotations.h"
#include "TWfdbRecord.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int VfOnset = 32;  // '['
constexpr int VfOffset = 33; // ']'

class CollectingSink : public TBeatSink
{
public:
    explicit CollectingSink(const TSignalBuffer* input) : m_input(input) {}
    std::vector<double> times;
    std::vector<double> delays;
    void storeBeat(const TBeat& beat, const TBeatRecord*, int) override
    {
        times.push_back(beat.time());
        delays.push_back(m_input->durationSeconds() - beat.time());
    }

private:
    const TSignalBuffer* m_input;
};

} // namespace

void TQrsEvaluation::excludeEpisodes(QVector<qint64>* beats, const QVector<QPair<qint64, qint64>>& episodes)
{
    QVector<qint64> kept;
    kept.reserve(beats->size());
    for (qint64 b : *beats) {
        bool inside = false;
        for (const auto& e : episodes)
            inside = inside || (b >= e.first && b <= e.second);
        if (!inside)
            kept.append(b);
    }
    *beats = kept;
}

bool TQrsEvaluation::evaluate(const QString& recordPath, Result* result, QString* error,
                              const TSignalDisturbance* disturbance) const
{
    TWfdbRecord record;
    if (!record.read(recordPath, error))
        return false;
    TWfdbAnnotations annotations;
    if (!annotations.read(recordPath + ".atr", error))
        return false;
    if (record.signalCount() < 1 || record.samplingRate() <= 0.0) {
        *error = QStringLiteral("%1: no signal").arg(recordPath);
        return false;
    }

    const int channels = std::min(record.signalCount(), int(TSignalBuffer::MaxChannels));
    TIntSignalBuffer raw(4096, TAnalysisPath::RingSamples, channels, DeviceRate);
    raw.setGain(-DeviceRangeMv / 2.0, DeviceRangeMv / 2.0);
    TAnalysisPath path(&raw);
    CollectingSink sink(&raw);
    path.detector().setSink(&sink);

    TRecordPlayback::play(record, raw, disturbance, [&path] { path.process(true); });
    path.finish();

    Result r;
    r.name = QFileInfo(recordPath).fileName();
    r.seconds = record.sampleCount() / record.samplingRate();
    for (double t : sink.times)
        r.detected.append(qint64(std::llround(t * record.samplingRate())));
    r.reportDelays = QVector<double>(sink.delays.begin(), sink.delays.end());
    r.reference = annotations.beatSamples();

    QVector<QPair<qint64, qint64>> episodes;
    qint64 onset = -1;
    for (const TWfdbAnnotation& a : annotations.annotations()) {
        if (a.code == VfOnset && onset < 0)
            onset = a.sample;
        else if (a.code == VfOffset && onset >= 0) {
            episodes.append({onset, a.sample});
            onset = -1;
        }
    }
    if (onset >= 0)
        episodes.append({onset, record.sampleCount()});
    excludeEpisodes(&r.reference, episodes);
    excludeEpisodes(&r.detected, episodes);

    std::sort(r.detected.begin(), r.detected.end());
    r.match = TBeatMatcher::match(r.reference, r.detected,
                                  qint64(std::llround(MatchWindowSeconds * record.samplingRate())));
    *result = r;
    return true;
}
