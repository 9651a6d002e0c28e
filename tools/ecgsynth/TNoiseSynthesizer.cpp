#include "TNoiseSynthesizer.h"

#include "TCounterRandom.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;
// Kernel table points per grid step.
constexpr int TableSteps = 64;

// Stream numbers of the components, mixed into the key of a channel.
enum Stream : quint64
{
    MotionBand = 1,
    MotionBurst,
    MotionTransients,
    MuscleBand,
    MuscleTension,
    WanderDrift,
    BreathingDepth,
    BreathingPace,
    BreathingPhase
};

// Electrode motion: the share of the transients in the power, how deep the
// bursts are (standard deviation of the log of the envelope), and the
// transients: one in a slot with this probability, swings of this frequency
// range and this many cycles per standard deviation of their Gaussian window.
constexpr double TransientShare = 0.6;
constexpr double BurstDepth = 0.55;
constexpr double SlotSeconds = 0.4;
constexpr double TransientProbability = 0.5;
constexpr double LowestSwingHz = 1.5;
constexpr double HighestSwingHz = 12.0;
constexpr double FewestCycles = 0.45;
constexpr double MostCycles = 0.85;
constexpr double WindowReach = 5.0; // standard deviations
// Muscle tension: depth of its drift.
constexpr double TensionDepth = 0.3;
// Baseline wander: depth of the breathing's swing changes, how far its phase
// wanders (radians), and the breathing's share of the power.
constexpr double BreathingDepthSpread = 0.25;
constexpr double BreathingPhaseWander = 1.5;
constexpr double BreathingShare = 0.5;

// Every draw is a function of its key and index alone.
using TCounterRandom::mix;

// Uniform in (0, 1): draw number `draw` (0..15) at `index` of the stream `key`.
double uniformAt(quint64 key, qint64 index, int draw)
{
    return TCounterRandom::unit(mix(key ^ mix(quint64(index) * 16u + quint64(draw))));
}

// Standard normal from the draws `draw` and `draw` + 1.
double gaussianAt(quint64 key, qint64 index, int draw)
{
    const double u1 = uniformAt(key, index, draw);
    const double u2 = uniformAt(key, index, draw + 1);
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * Pi * u2);
}

quint64 streamKey(quint64 seed, int channel, Stream stream)
{
    return mix(mix(seed) ^ (quint64(quint32(channel)) << 8) ^ quint64(stream));
}

// Ideal band-pass impulse response: 2 f sinc(2 f x) of the top edge minus that
// of the bottom.
double bandPass(double low, double high, double x)
{
    auto lowPass = [x](double f) {
        if (f <= 0.0)
            return 0.0;
        const double a = 2.0 * Pi * f * x;
        return std::abs(a) < 1e-12 ? 2.0 * f : 2.0 * f * std::sin(a) / a;
    };
    return lowPass(high) - lowPass(low);
}

} // namespace

TNoiseSynthesizer::KernelProcess::KernelProcess(double low, double high, double halfWidth, double step)
    : m_step(step), m_halfWidth(halfWidth), m_resolution(step / TableSteps)
{
    const int points = int(std::ceil(2.0 * halfWidth / m_resolution)) + 1;
    m_table.assign(size_t(points) + 1, 0.0); // a zero beyond the end for the interpolation
    double energy = 0.0;
    for (int m = 0; m < points; ++m) {
        const double x = -halfWidth + m * m_resolution;
        const double u = std::min(1.0, std::abs(x) / halfWidth);
        const double window = 0.5 * (1.0 + std::cos(Pi * u));
        m_table[size_t(m)] = window * bandPass(low, high, x);
        energy += m_table[size_t(m)] * m_table[size_t(m)] * m_resolution;
    }
    // Unit variance: the weights are one per step, so the kernel's energy must
    // be one step.
    const double scale = energy > 0.0 ? std::sqrt(step / energy) : 0.0;
    for (double& v : m_table)
        v *= scale;
}

void TNoiseSynthesizer::KernelProcess::add(quint64 key, const double* times, int count, double gain,
                                           double* out) const
{
    if (count <= 0)
        return;
    const qint64 firstWeight = qint64(std::ceil((times[0] - m_halfWidth) / m_step));
    const qint64 lastWeight = qint64(std::floor((times[count - 1] + m_halfWidth) / m_step));
    std::vector<double> weights(size_t(std::max<qint64>(0, lastWeight - firstWeight + 1)));
    for (size_t j = 0; j < weights.size(); ++j)
        weights[j] = gaussianAt(key, firstWeight + qint64(j), 0);
    // The grid step is a whole number of table steps, so every kernel value a
    // sample needs lies at the same fraction between two table points: the
    // sums over the lower and the upper points are interpolated once.
    const qint64 stride = qint64(std::llround(m_step / m_resolution));
    const double last = double(m_table.size() - 2);
    for (int i = 0; i < count; ++i) {
        const double t = times[i];
        const qint64 from = std::max(firstWeight, qint64(std::ceil((t - m_halfWidth) / m_step)));
        const qint64 to = std::min(lastWeight, qint64(std::floor((t + m_halfWidth) / m_step)));
        const double position = std::clamp((t - double(from) * m_step + m_halfWidth) / m_resolution, 0.0, last);
        const qint64 top = qint64(position);
        const double f = position - double(top);
        double lower = 0.0, upper = 0.0;
        for (qint64 j = from, m = top; j <= to && m >= 0; ++j, m -= stride) {
            const double w = weights[size_t(j - firstWeight)];
            lower += w * m_table[size_t(m)];
            upper += w * m_table[size_t(m) + 1];
        }
        out[i] += gain * ((1.0 - f) * lower + f * upper);
    }
}

TNoiseSynthesizer::TNoiseSynthesizer(Kind kind, double rmsMv, quint64 seed)
    : m_kind(kind), m_rmsMv(rmsMv), m_seed(seed),
      m_breathingHz(0.2 + 0.15 * uniformAt(mix(seed) ^ BreathingPhase, -1, 0)),
      m_motionBand(0.7, 14.0, 1.25, 1.0 / 48.0), m_burst(0.0, 0.1, 15.0, 2.0),
      m_muscleBand(20.0, 150.0, 0.1, 1.0 / 400.0), m_tension(0.0, 0.5, 6.0, 0.5), m_drift(0.0, 0.3, 8.0, 1.0),
      m_breathingDepth(0.0, 0.05, 40.0, 5.0), m_breathingPace(0.0, 0.03, 40.0, 5.0)
{
}

bool TNoiseSynthesizer::kindFromName(const QString& name, Kind* kind)
{
    for (Kind k : {Kind::ElectrodeMotion, Kind::Muscle, Kind::BaselineWander, Kind::Mixture}) {
        if (name == TNoiseSynthesizer::name(k)) {
            *kind = k;
            return true;
        }
    }
    return false;
}

QString TNoiseSynthesizer::name(Kind kind)
{
    switch (kind) {
    case Kind::ElectrodeMotion:
        return QStringLiteral("em");
    case Kind::Muscle:
        return QStringLiteral("ma");
    case Kind::BaselineWander:
        return QStringLiteral("bw");
    case Kind::Mixture:
        return QStringLiteral("mix");
    }
    return QString();
}

void TNoiseSynthesizer::render(int channel, qint64 first, int count, double rate, double* out) const
{
    if (count <= 0)
        return;
    std::vector<double> times(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        times[size_t(i)] = double(first + i) / rate;
    std::fill(out, out + count, 0.0);
    const quint64 key = streamKey(m_seed, channel, Stream(0));
    switch (m_kind) {
    case Kind::ElectrodeMotion:
        addElectrodeMotion(key, times.data(), count, m_rmsMv, out);
        break;
    case Kind::Muscle:
        addMuscle(key, times.data(), count, m_rmsMv, out);
        break;
    case Kind::BaselineWander:
        addBaselineWander(key, times.data(), count, m_rmsMv, out);
        break;
    case Kind::Mixture: {
        const double third = m_rmsMv / std::sqrt(3.0);
        addElectrodeMotion(key, times.data(), count, third, out);
        addMuscle(key, times.data(), count, third, out);
        addBaselineWander(key, times.data(), count, third, out);
        break;
    }
    }
}

void TNoiseSynthesizer::addElectrodeMotion(quint64 key, const double* times, int count, double gain,
                                           double* out) const
{
    // Band noise and transients, both under one burst envelope exp(d u - d^2)
    // (u a slow unit Gaussian), whose mean square is one.
    std::vector<double> inner(size_t(count), 0.0);
    m_motionBand.add(key ^ MotionBand, times, count, std::sqrt(1.0 - TransientShare), inner.data());

    // Transients: at most one per slot, each a Gaussian-windowed swing of unit
    // energy with a heavy-tailed amplitude (mean square e^0.5). Their power is
    // the rate times the mean square amplitude (Campbell's theorem).
    struct Transient
    {
        double time, amplitude, width, frequency, phase;
    };
    const double widest = MostCycles / LowestSwingHz;
    const double reach = WindowReach * widest;
    const qint64 firstSlot = qint64(std::floor((times[0] - reach) / SlotSeconds));
    const qint64 lastSlot = qint64(std::floor((times[count - 1] + reach) / SlotSeconds));
    const quint64 transientKey = key ^ MotionTransients;
    const double power = TransientProbability / SlotSeconds * std::exp(0.5);
    const double norm = std::sqrt(TransientShare / power);
    std::vector<Transient> transients;
    for (qint64 slot = firstSlot; slot <= lastSlot; ++slot) {
        if (uniformAt(transientKey, slot, 0) >= TransientProbability)
            continue;
        Transient t;
        t.time = (double(slot) + uniformAt(transientKey, slot, 1)) * SlotSeconds;
        t.frequency = LowestSwingHz * std::pow(HighestSwingHz / LowestSwingHz, uniformAt(transientKey, slot, 2));
        t.width = (FewestCycles + (MostCycles - FewestCycles) * uniformAt(transientKey, slot, 3)) / t.frequency;
        t.phase = 2.0 * Pi * uniformAt(transientKey, slot, 4);
        t.amplitude = norm * gaussianAt(transientKey, slot, 5) * std::exp(0.5 * gaussianAt(transientKey, slot, 7)) /
                      std::sqrt(t.width * std::sqrt(Pi) / 2.0);
        transients.push_back(t);
    }
    // Transients come in the order of their times; a sample looks at those
    // within the widest reach only.
    size_t nearest = 0;
    for (int i = 0; i < count; ++i) {
        while (nearest < transients.size() && transients[nearest].time < times[i] - reach)
            ++nearest;
        double sum = 0.0;
        for (size_t k = nearest; k < transients.size() && transients[k].time <= times[i] + reach; ++k) {
            const Transient& t = transients[k];
            const double x = times[i] - t.time;
            if (std::abs(x) > WindowReach * t.width)
                continue;
            sum += t.amplitude * std::exp(-x * x / (2.0 * t.width * t.width)) *
                   std::cos(2.0 * Pi * t.frequency * x + t.phase);
        }
        inner[size_t(i)] += sum;
    }

    std::vector<double> burst(size_t(count), 0.0);
    m_burst.add(key ^ MotionBurst, times, count, 1.0, burst.data());
    for (int i = 0; i < count; ++i)
        out[i] += gain * std::exp(BurstDepth * burst[size_t(i)] - BurstDepth * BurstDepth) * inner[size_t(i)];
}

void TNoiseSynthesizer::addMuscle(quint64 key, const double* times, int count, double gain, double* out) const
{
    std::vector<double> band(size_t(count), 0.0);
    std::vector<double> tension(size_t(count), 0.0);
    m_muscleBand.add(key ^ MuscleBand, times, count, 1.0, band.data());
    m_tension.add(key ^ MuscleTension, times, count, 1.0, tension.data());
    for (int i = 0; i < count; ++i)
        out[i] += gain * std::exp(TensionDepth * tension[size_t(i)] - TensionDepth * TensionDepth) * band[size_t(i)];
}

void TNoiseSynthesizer::addBaselineWander(quint64 key, const double* times, int count, double gain,
                                          double* out) const
{
    // Breathing: sqrt(2) sin(...) has unit mean square, and so has the depth
    // exp(d u - d^2). The breathing pace is the seed's, the same in every
    // channel; each channel sees it with a phase of its own.
    std::vector<double> depth(size_t(count), 0.0);
    std::vector<double> pace(size_t(count), 0.0);
    m_breathingDepth.add(key ^ BreathingDepth, times, count, 1.0, depth.data());
    m_breathingPace.add(mix(m_seed) ^ BreathingPace, times, count, BreathingPhaseWander, pace.data());
    const double phase = 2.0 * Pi * uniformAt(key ^ BreathingPhase, 0, 0);
    const double breathing = gain * std::sqrt(2.0 * BreathingShare);
    for (int i = 0; i < count; ++i) {
        const double d = std::exp(BreathingDepthSpread * depth[size_t(i)] - BreathingDepthSpread * BreathingDepthSpread);
        out[i] += breathing * d * std::sin(2.0 * Pi * m_breathingHz * times[i] + phase + pace[size_t(i)]);
    }
    m_drift.add(key ^ WanderDrift, times, count, gain * std::sqrt(1.0 - BreathingShare), out);
}
