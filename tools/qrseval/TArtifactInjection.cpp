#include "TArtifactInjection.h"

#include "TCounterRandom.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

constexpr double JumpMv = 3.0;
constexpr double MuscleRmsMv = 0.4;
// A pop starts at twice the full scale (pinned at the rail) and decays with
// this share of its duration as the time constant.
constexpr double PopTimeShare = 0.2;

// Uniform in (0, 1), a pure function of its inputs, so that any stretch of a
// record gets the same values however it is cut.
double uniform(quint64 seed, quint64 a, quint64 b)
{
    using TCounterRandom::mix;
    return TCounterRandom::unit(mix(seed ^ mix(a ^ mix(b))));
}

} // namespace

TArtifactInjection::TArtifactInjection(quint64 seed, double rate, double seconds, int channels, double railMv,
                                       double firstSeconds)
    : m_seed(seed), m_rate(rate > 0.0 ? rate : 1.0), m_channels(std::max(1, std::min(channels, 32))),
      m_rail(std::max(0.1, railMv))
{
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> gap(25.0, 45.0);
    QVector<double> lengths = durations();
    std::shuffle(lengths.begin(), lengths.end(), random);
    const quint32 all = m_channels >= 32 ? 0xFFFFFFFFu : (1u << m_channels) - 1u;
    double t = firstSeconds;
    for (int n = 0;; ++n) {
        Event e;
        e.kind = Kind(n % KindCount);
        e.start = t;
        // Every kind takes every duration in turn.
        e.end = t + lengths[(n / KindCount + 3 * (n % KindCount)) % lengths.size()];
        if (e.end + 10.0 > seconds)
            break;
        // All leads, one, or (with more than two) some of them, in turn.
        const int which = n % 3;
        std::uniform_int_distribution<int> pick(0, m_channels - 1);
        if (which == 0 || m_channels == 1) {
            e.channels = all;
        } else if (which == 1 || m_channels == 2) {
            e.channels = 1u << pick(random);
        } else {
            while (e.channels == 0 || e.channels == all)
                e.channels = quint32(random()) & all;
        }
        e.sign = (random() & 1) ? 1 : -1;
        m_events.append(e);
        t = e.end + gap(random);
    }
}

TArtifactInjection::TArtifactInjection(quint64 seed, double rate, int channels, double railMv, QVector<Event> events)
    : m_seed(seed), m_rate(rate > 0.0 ? rate : 1.0), m_channels(std::max(1, std::min(channels, 32))),
      m_rail(std::max(0.1, railMv)), m_events(std::move(events))
{
}

const QVector<double>& TArtifactInjection::durations()
{
    static const QVector<double> values = {0.2, 0.5, 1.0, 2.0, 3.0, 6.0, 10.0, 30.0};
    return values;
}

QString TArtifactInjection::kindName(Kind kind)
{
    switch (kind) {
    case Burst:
        return QStringLiteral("burst");
    case Pop:
        return QStringLiteral("pop");
    case Flat:
        return QStringLiteral("flat");
    case Jump:
        return QStringLiteral("jump");
    case Muscle:
        return QStringLiteral("muscle");
    case KindCount:
        break;
    }
    return QString();
}

bool TArtifactInjection::disturbsAll(const Event& e) const
{
    const quint32 all = m_channels >= 32 ? 0xFFFFFFFFu : (1u << m_channels) - 1u;
    return (e.channels & all) == all;
}

double TArtifactInjection::gaussian(const Event& e, int channel, qint64 index) const
{
    const quint64 key = quint64(std::llround(e.start * 1000.0));
    const double u1 = uniform(m_seed, key * 64 + quint64(channel), quint64(index) * 2);
    const double u2 = uniform(m_seed, key * 64 + quint64(channel), quint64(index) * 2 + 1);
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * M_PI * u2);
}

double TArtifactInjection::noise(const Event& e, int channel, qint64 index) const
{
    // Half the values at the rails, half large Gaussian values.
    const quint64 key = quint64(std::llround(e.start * 1000.0));
    const double u = uniform(m_seed ^ 0x5151, key * 64 + quint64(channel), quint64(index));
    if (u < 0.25)
        return m_rail;
    if (u < 0.5)
        return -m_rail;
    return std::clamp(0.5 * m_rail * gaussian(e, channel, index), -m_rail, m_rail);
}

void TArtifactInjection::apply(int channel, qint64 first, int count, double* mv) const
{
    if (channel < 0 || channel >= 32 || count <= 0)
        return;
    const double t0 = first / m_rate;
    const double t1 = (first + count) / m_rate;
    for (const Event& e : m_events) {
        if (!(e.channels & (1u << channel)) || e.end <= t0 || e.start >= t1)
            continue;
        const qint64 from = std::max(first, qint64(std::ceil(e.start * m_rate)));
        const qint64 to = std::min(first + count, qint64(std::ceil(e.end * m_rate)));
        for (qint64 i = from; i < to; ++i) {
            double& v = mv[i - first];
            const double t = i / m_rate - e.start;
            switch (e.kind) {
            case Burst:
                v = noise(e, channel, i);
                break;
            case Pop: {
                const double tau = PopTimeShare * (e.end - e.start);
                v = std::clamp(v + e.sign * 2.0 * m_rail * std::exp(-t / tau), -m_rail, m_rail);
                break;
            }
            case Flat:
                v = 0.0;
                break;
            case Jump:
                v = std::clamp(v + e.sign * JumpMv, -m_rail, m_rail);
                break;
            case Muscle:
                // White noise differenced: no baseline, most power high up.
                v = std::clamp(v + MuscleRmsMv / std::sqrt(2.0) *
                                       (gaussian(e, channel, i) - gaussian(e, channel, i - 1)),
                               -m_rail, m_rail);
                break;
            case KindCount:
                break;
            }
        }
    }
}
