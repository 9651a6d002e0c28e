#include "TNoiseStress.h"

#include "TWfdbAnnotations.h"
#include "TWfdbRecord.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int NormalBeat = 1; // annotation code N
// The noise is rendered in blocks of this many samples, two at a time.
constexpr qint64 CacheBlock = 4096;

} // namespace

TNoiseStress::TNoiseStress(TNoiseSynthesizer::Kind kind, double samplingRate, qint64 sampleCount, quint64 seed)
    : m_noise(kind, 1.0, seed), m_rate(samplingRate), m_sampleCount(std::max<qint64>(0, sampleCount))
{
}

bool TNoiseStress::noiseOn(double seconds)
{
    return seconds >= CleanSeconds && std::fmod(seconds - CleanSeconds, 2.0 * StretchSeconds) < StretchSeconds;
}

QVector<double> TNoiseStress::qrsAmplitudes(const std::function<double(qint64)>& sample, qint64 sampleCount,
                                            const QVector<qint64>& beats, double samplingRate)
{
    const qint64 reach = qint64(std::llround(QrsReachSeconds * samplingRate));
    QVector<double> out;
    out.reserve(beats.size());
    for (qint64 beat : beats) {
        const qint64 from = std::max<qint64>(0, beat - reach);
        const qint64 to = std::min(sampleCount - 1, beat + reach);
        if (from > to)
            continue;
        double low = sample(from), high = low;
        for (qint64 i = from + 1; i <= to; ++i) {
            const double v = sample(i);
            low = std::min(low, v);
            high = std::max(high, v);
        }
        out.append(high - low);
    }
    return out;
}

double TNoiseStress::qrsSignalPower(QVector<double> peakToPeak)
{
    if (peakToPeak.isEmpty())
        return 0.0;
    std::sort(peakToPeak.begin(), peakToPeak.end());
    const int trimmed = int(TrimmedShare * peakToPeak.size());
    double sum = 0.0;
    int n = 0;
    for (int i = trimmed; i < peakToPeak.size() - trimmed; ++i) {
        sum += peakToPeak[i] * peakToPeak[i];
        ++n;
    }
    return n > 0 ? sum / n / 8.0 : 0.0;
}

bool TNoiseStress::calibrate(const TWfdbRecord& record, const TWfdbAnnotations& annotations, QString* error)
{
    QVector<qint64> normal;
    for (const TWfdbAnnotation& a : annotations.annotations())
        if (a.code == NormalBeat)
            normal.append(a.sample);
    // Records of paced or bundle-branch-block beats have few normal ones: their
    // own beats then stand for the QRS.
    if (normal.size() < FewestNormalBeats)
        normal = annotations.beatSamples();
    if (normal.isEmpty()) {
        if (error)
            *error = QStringLiteral("%1: no annotated beat to measure the signal on").arg(record.name());
        return false;
    }
    for (int c = 0; c < record.signalCount(); ++c) {
        const auto sample = [&record, c](qint64 i) { return record.millivolts(c, i); };
        setSignalPower(c, qrsSignalPower(qrsAmplitudes(sample, record.sampleCount(), normal, record.samplingRate())));
    }
    return true;
}

TNoiseStress::Channel& TNoiseStress::channel(int index)
{
    if (index >= int(m_channels.size()))
        m_channels.resize(size_t(index) + 1);
    return m_channels[size_t(index)];
}

void TNoiseStress::setSignalPower(int index, double power)
{
    Channel& c = channel(index);
    c.signalPower = power;
    // N over the stretches where the noise is on, rendered in blocks.
    double sum = 0.0, squares = 0.0;
    qint64 n = 0;
    std::vector<double> block(static_cast<size_t>(CacheBlock));
    for (qint64 first = 0; first < m_sampleCount; first += CacheBlock) {
        const int count = int(std::min(CacheBlock, m_sampleCount - first));
        bool any = false;
        for (int i = 0; i < count && !any; ++i)
            any = noiseOn(double(first + i) / m_rate);
        if (!any)
            continue;
        m_noise.render(index, first, count, m_rate, block.data());
        for (int i = 0; i < count; ++i) {
            if (!noiseOn(double(first + i) / m_rate))
                continue;
            sum += block[size_t(i)];
            squares += block[size_t(i)] * block[size_t(i)];
            ++n;
        }
    }
    c.noisePower = n > 0 ? std::max(0.0, squares / double(n) - (sum / double(n)) * (sum / double(n))) : 0.0;
    updateScale(c);
}

void TNoiseStress::setSnr(double db)
{
    m_snr = db;
    for (Channel& c : m_channels)
        updateScale(c);
}

void TNoiseStress::updateScale(Channel& c) const
{
    c.scale = c.noisePower > 0.0 ? std::sqrt(c.signalPower / (c.noisePower * std::pow(10.0, m_snr / 10.0))) : 0.0;
}

double TNoiseStress::signalPower(int channel) const
{
    return channel >= 0 && channel < channelCount() ? m_channels[size_t(channel)].signalPower : 0.0;
}

double TNoiseStress::noisePower(int channel) const
{
    return channel >= 0 && channel < channelCount() ? m_channels[size_t(channel)].noisePower : 0.0;
}

double TNoiseStress::noiseScale(int channel) const
{
    return channel >= 0 && channel < channelCount() ? m_channels[size_t(channel)].scale : 0.0;
}

void TNoiseStress::apply(int index, qint64 first, int count, double* mv) const
{
    if (index < 0 || index >= channelCount() || count <= 0)
        return;
    const Channel& c = m_channels[size_t(index)];
    if (c.scale == 0.0)
        return;
    bool any = false;
    for (int i = 0; i < count && !any; ++i)
        any = noiseOn(double(first + i) / m_rate);
    if (!any)
        return;

    const double* noise = nullptr;
    std::vector<double> direct;
    const qint64 block = first >= 0 ? first / CacheBlock * CacheBlock : first;
    if (first >= 0 && first + count <= block + 2 * CacheBlock) {
        if (c.cacheStart != block) {
            c.cache.resize(size_t(2 * CacheBlock));
            // Half of the two blocks is usually the one already rendered.
            if (c.cacheStart == block - CacheBlock) {
                std::copy(c.cache.begin() + CacheBlock, c.cache.end(), c.cache.begin());
                m_noise.render(index, block + CacheBlock, int(CacheBlock), m_rate, c.cache.data() + CacheBlock);
            } else {
                m_noise.render(index, block, int(2 * CacheBlock), m_rate, c.cache.data());
            }
            c.cacheStart = block;
        }
        noise = c.cache.data() + (first - block);
    } else {
        direct.resize(size_t(count));
        m_noise.render(index, first, count, m_rate, direct.data());
        noise = direct.data();
    }
    for (int i = 0; i < count; ++i)
        if (noiseOn(double(first + i) / m_rate))
            mv[i] += c.scale * noise[i];
}

TBeatMatch TNoiseStress::scoreFrom(const QVector<qint64>& reference, const QVector<qint64>& detected, qint64 window,
                                   qint64 from)
{
    QVector<qint64> references;
    for (qint64 r : reference)
        if (r >= from)
            references.append(r);
    QVector<qint64> detections;
    for (qint64 d : detected) {
        if (d >= from) {
            detections.append(d);
        } else if (d >= from - window) {
            // Just before the start: it counts when its nearest reference beat does.
            const auto after = std::lower_bound(reference.begin(), reference.end(), d);
            const bool closerAfter = after != reference.end() &&
                                     (after == reference.begin() || *after - d <= d - *(after - 1));
            if (closerAfter && *after >= from)
                detections.append(d);
        }
    }
    return TBeatMatcher::match(references, detections, window);
}
