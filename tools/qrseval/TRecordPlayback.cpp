#include "TRecordPlayback.h"

#include "TRingSignalBuffer.h"
#include "TSampleConversion.h"
#include "TSignalDisturbance.h"
#include "TWfdbRecord.h"

#include <algorithm>
#include <cmath>
#include <vector>

qint64 TRecordPlayback::frameCount(const TWfdbRecord& record)
{
    if (record.sampleCount() < 1 || record.samplingRate() <= 0.0)
        return 0;
    const double ratio = record.samplingRate() / DeviceRate;
    return qint64(std::floor((record.sampleCount() - 1) / ratio)) + 1;
}

void TRecordPlayback::play(const TWfdbRecord& record, TIntSignalBuffer& raw, const TSignalDisturbance* disturbance,
                           const std::function<void()>& afterBlock)
{
    const int channels = std::min(record.signalCount(), raw.channelCount());
    const double codesPerMv = 65536.0 / DeviceRangeMv;
    const double ratio = record.samplingRate() / DeviceRate;
    const qint64 frames = frameCount(record);
    // The record's samples a block needs, disturbed first when asked.
    std::vector<std::vector<qint16>> block(static_cast<size_t>(channels), std::vector<qint16>(BlockFrames));
    std::vector<const qint16*> columns(static_cast<size_t>(channels));
    std::vector<double> source;
    for (qint64 start = 0; start < frames; start += BlockFrames) {
        const int n = int(std::min<qint64>(BlockFrames, frames - start));
        const qint64 first = qint64(start * ratio);
        const qint64 last = std::min(qint64((start + n - 1) * ratio) + 1, record.sampleCount() - 1);
        source.resize(size_t(last - first + 1));
        for (int c = 0; c < channels; ++c) {
            for (qint64 i = first; i <= last; ++i)
                source[size_t(i - first)] = record.millivolts(c, i);
            if (disturbance)
                disturbance->apply(c, first, int(source.size()), source.data());
            for (int j = 0; j < n; ++j) {
                const double position = (start + j) * ratio;
                const qint64 i = qint64(position);
                const double f = position - double(i);
                const qint64 next = std::min(i + 1, record.sampleCount() - 1);
                const double mv = (1.0 - f) * source[size_t(i - first)] + f * source[size_t(next - first)];
                block[size_t(c)][size_t(j)] = saturatingCode(mv * codesPerMv);
            }
            columns[size_t(c)] = block[size_t(c)].data();
        }
        raw.appendChannels(columns.data(), n);
        if (afterBlock)
            afterBlock();
    }
}
