#include "TEcgSynthesizer.h"

#include <QFile>
#include <QTextStream>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <random>

namespace {

constexpr double Pi = 3.14159265358979323846;
// QRS onset of the first sinus beat, and the duration of a sinus QRS.
constexpr double FirstOnset = 0.3;
constexpr double SinusQrs = 0.050;
using Vec3 = std::array<double, 3>;

// Electrodes: the limb electrodes, the six chest electrodes and the manubrium
// electrode of CM5. Axes: x to the animal's left, y caudal (toward the feet),
// z ventral (toward the sternum).
enum Electrode { RA, LA, LL, EV1, EV2, EV3, EV4, EV5, EV6, M, ElectrodeCount };

// Lead vectors of the electrodes. The limb electrodes sit on an equilateral
// triangle centred on the heart, so their mean (Wilson's central terminal) is
// zero and lead I lies along x, II at 60 degrees, III at 120 degrees.
Vec3 chestVector(double transverseDegrees, double gain)
{
    const double a = transverseDegrees * Pi / 180.0;
    return {gain * std::cos(a), gain * 0.2, gain * std::sin(a)};
}

const std::array<Vec3, ElectrodeCount>& electrodeVectors()
{
    static const std::array<Vec3, ElectrodeCount> v = {
        Vec3{-0.5, -0.288675134594813, 0.0},
        Vec3{0.5, -0.288675134594813, 0.0},
        Vec3{0.0, 0.577350269189626, 0.0},
        chestVector(115, 1.0),
        chestVector(95, 1.3),
        chestVector(75, 1.3),
        chestVector(55, 1.2),
        chestVector(30, 1.0),
        chestVector(5, 0.9),
        Vec3{0.0, -0.7, 0.3}};
    return v;
}

double dot(const Vec3& a, const Vec3& b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// The 14 leads from the electrode potentials, in lead-table order.
void leadsFromElectrodes(const double* e, double* lead)
{
    const double wct = (e[RA] + e[LA] + e[LL]) / 3.0;
    lead[0] = e[LA] - e[RA];
    lead[1] = e[LL] - e[RA];
    lead[2] = e[LL] - e[LA];
    lead[3] = e[RA] - (e[LA] + e[LL]) / 2.0;
    lead[4] = e[LA] - (e[RA] + e[LL]) / 2.0;
    lead[5] = e[LL] - (e[RA] + e[LA]) / 2.0;
    for (int i = 0; i < 6; ++i)
        lead[6 + i] = e[EV1 + i] - wct;
    lead[12] = e[EV5] - e[M];
    lead[13] = e[EV5] - e[RA];
}

// Uniform doubles in [0, 1) from the standard 64-bit Mersenne Twister, whose output
// sequence is the same on every platform (unlike the library's distributions).
class Random
{
public:
    explicit Random(quint64 seed) : m_engine(seed) {}
    double uniform() { return double(m_engine() >> 11) * (1.0 / 9007199254740992.0); }
    double uniform(double low, double high) { return low + (high - low) * uniform(); }

private:
    std::mt19937_64 m_engine;
};

qint16 toCode(double mv, double step)
{
    const double c = std::round(mv / step);
    if (!(c == c))
        return 0;
    return qint16(std::clamp(c, -32768.0, 32767.0));
}

} // namespace

TEcgSynthesizer::TEcgSynthesizer(const TSynthParams& params) : m_params(params)
{
    m_params.samplingRate = std::max(1, m_params.samplingRate);
    m_params.durationSeconds = std::max(0.0, m_params.durationSeconds);
    m_codeStep = 2.0 * m_params.gainMv / 65536.0;
    m_frameCount = qint64(std::llround(m_params.durationSeconds * m_params.samplingRate));

    // Leads that depend on an electrode without contact are delivered as 0.
    for (const QString& e : m_params.electrodesOff) {
        const QString name = e.trimmed().toUpper();
        auto zero = [&](std::initializer_list<int> leads) {
            for (int l : leads)
                m_leadZeroed[size_t(l)] = true;
        };
        if (name == QLatin1String("LA"))
            zero({0, 2, 3, 4});
        else if (name == QLatin1String("LL"))
            zero({1, 2, 3, 4});
        else if (name == QLatin1String("RA"))
            zero({0, 1, 3, 4});
        else if (name.size() == 2 && name[0] == QLatin1Char('V') && name[1] >= QLatin1Char('1') &&
                 name[1] <= QLatin1Char('6'))
            zero({5 + (name[1].unicode() - '0')});
    }

    scheduleBeats();
    buildNoise();
    TNoiseSynthesizer::Kind kind;
    if (m_params.stressNoiseUv > 0.0 && TNoiseSynthesizer::kindFromName(m_params.stressNoise, &kind)) {
        // Independent electrodes: a limb lead, the difference of two, carries
        // sqrt(2) times the electrode's RMS.
        m_stressNoise.emplace(kind, m_params.stressNoiseUv / 1000.0 / std::sqrt(2.0), m_params.seed ^ 0x2545F4914F6CDD1Dull);
    }
}

double TEcgSynthesizer::heartRateAt(double t) const
{
    const double rampEnd = m_params.rampEndSeconds < 0 ? m_params.durationSeconds : m_params.rampEndSeconds;
    const double rampStart = m_params.rampStartSeconds;
    if (t <= rampStart || rampEnd <= rampStart)
        return t <= rampStart ? m_params.heartRateStart : m_params.heartRateEnd;
    const double u = std::min(1.0, (t - rampStart) / (rampEnd - rampStart));
    return m_params.heartRateStart + u * (m_params.heartRateEnd - m_params.heartRateStart);
}

double TEcgSynthesizer::snapFrequency(double f) const
{
    // In a looping recording every periodic component completes whole cycles.
    if (!m_params.loop || m_params.durationSeconds <= 0)
        return f;
    const double cycles = std::max(1.0, std::round(f * m_params.durationSeconds));
    return cycles / m_params.durationSeconds;
}

void TEcgSynthesizer::addWave(double start, double end, double amplitude, double frontalDegrees,
                              double elevationDegrees, Shape shape)
{
    const double f = frontalDegrees * Pi / 180.0;
    const double e = elevationDegrees * Pi / 180.0;
    const Vec3 direction = {std::cos(f) * std::cos(e), std::sin(f) * std::cos(e), std::sin(e)};
    m_waves.push_back({start, end, amplitude * m_params.amplitudeScale, direction, shape, end, start});
}

double TEcgSynthesizer::prInterval(double rr) const
{
    if (m_params.prSeconds > 0.0)
        return m_params.prSeconds;
    return std::clamp(0.100 * std::pow(rr / 0.6, 0.3), 0.07, 0.13);
}

double TEcgSynthesizer::pDuration(double rr)
{
    return 0.040 * std::pow(rr / 0.6, 0.15);
}

double TEcgSynthesizer::qtInterval(double rr) const
{
    if (m_params.qtSeconds > 0.0)
        return m_params.qtSeconds;
    return std::max(0.12, 0.200 * std::sqrt(rr / 0.6));
}

double TEcgSynthesizer::shortestRR(double rr) const
{
    // The next QRS comes after this beat's T wave, and the next P after this
    // QRS, with 10 ms to spare.
    return std::max(qtInterval(rr), prInterval(rr) + SinusQrs) + 0.010;
}

void TEcgSynthesizer::addSinusBeat(double scheduled, double rr, double extraPr)
{
    // Canine sinus beat. Intervals follow the rate: PR and P shorten a little, QT
    // with the square root of RR (at 100 bpm: PR 100 ms, P 40 ms, QRS 50 ms, QT 200 ms).
    // The P wave keeps the sinus schedule; a lengthened PR delays the QRS.
    const double pr = prInterval(rr);
    const double p = scheduled - pr;
    const double q = scheduled + extraPr;
    const double qrs = SinusQrs;
    const double qt = qtInterval(rr);
    const double tDuration = 0.5 * qt;
    const int first = int(m_waves.size());
    const bool fibrillation = m_params.fibrillationMv > 0.0;

    if (!fibrillation)
        addWave(p, p + pDuration(rr), 0.22, 55, 10);                            // P
    addWave(q, q + 0.014, 0.20, 200, 30);                                       // septal q
    addWave(q + 0.008, q + 0.036, 2.00, 70, 5);                                 // R
    addWave(q + 0.030, q + qrs, 0.60, 260, -50);                                // S
    addWave(q + qt - tDuration, q + qt, 0.30, 45, 25, Shape::TWave);            // T
    if (m_params.stDeviationMv != 0.0) {
        // Injury current along lead V5: rises over the end of the QRS, flat through
        // the ST segment, fading over the T wave.
        const Vec3& v5 = electrodeVectors()[EV5];
        const double norm = dot(v5, v5);
        Wave st{q + qrs - 0.020, q + qt, m_params.stDeviationMv * m_params.amplitudeScale,
                {v5[0] / norm, v5[1] / norm, v5[2] / norm}, Shape::Plateau, q + qrs, q + qt - tDuration};
        m_waves.push_back(st);
    }
    m_rendered.push_back({fibrillation ? q : p, q + qt, first, int(m_waves.size()) - first});

    TSynthBeat b;
    b.qrsOnset = q;
    b.rTime = q + 0.022;
    b.pOnset = fibrillation ? -1.0 : p;
    b.qrsEnd = q + qrs;
    b.tEnd = q + qt;
    b.fibrillation = fibrillation;
    m_beats.append(b);
}

void TEcgSynthesizer::addBlockedP(double scheduled, double rr)
{
    // The P wave of a sinus beat, where the AV node lets nothing through.
    const double p = scheduled - prInterval(rr);
    const double end = p + pDuration(rr);
    const int first = int(m_waves.size());
    addWave(p, end, 0.22, 55, 10);
    m_rendered.push_back({p, end, first, 1});
    m_blockedP.append({p, end});
}

void TEcgSynthesizer::addVentricularBeat(double q)
{
    // Premature ventricular beat: no P, a wide QRS on another axis, discordant T.
    const int first = int(m_waves.size());
    addWave(q, q + 0.060, 1.60, -60, 20);
    addWave(q + 0.040, q + 0.110, 0.90, 130, -20);
    addWave(q + 0.130, q + 0.280, 0.55, 150, -10, Shape::TWave);
    m_rendered.push_back({q, q + 0.280, first, int(m_waves.size()) - first});

    TSynthBeat b;
    b.qrsOnset = q;
    b.rTime = q + 0.030;
    b.qrsEnd = q + 0.110;
    b.tEnd = q + 0.280;
    b.ventricular = true;
    m_beats.append(b);
}

std::vector<TEcgSynthesizer::Impulse> TEcgSynthesizer::scheduleImpulses(double respiration, double* next) const
{
    const double swing = m_params.sinusArrhythmia;
    auto nominalRR = [&](double t) { return 60.0 / std::max(10.0, heartRateAt(t)); };
    auto rrAt = [&](double t) {
        const double rr = nominalRR(t);
        return std::max(rr * (1.0 + swing * std::sin(2.0 * Pi * respiration * t)), shortestRR(rr));
    };
    // Pause lengths come from a generator of their own, so that pauses do not
    // change the noise of a seed.
    Random random(m_params.seed ^ 0xD1B54A32D192ED03ull);
    auto pauseLength = [&](double rr) {
        const double low = m_params.pauseSeconds;
        const double high = m_params.pauseSecondsMax;
        return std::max(high > low ? random.uniform(low, high) : low, shortestRR(rr));
    };
    const int blockEvery = m_params.avBlockEvery >= 2 ? m_params.avBlockEvery : 0;
    // In atrial fibrillation the AV node lets through what reaches it when it
    // can: each interval is drawn afresh, from a generator of its own.
    const bool fibrillation = m_params.fibrillationMv > 0.0;
    const double scatter = std::clamp(m_params.fibrillationScatter, 0.0, 0.9);
    Random irregular(m_params.seed ^ 0x94D049BB133111EBull);

    std::vector<Impulse> impulses;
    double q = FirstOnset;
    int cycle = 0; // P waves since the block cycle began
    bool pauseDue = false;
    while (q < m_params.durationSeconds) {
        const size_t k = impulses.size();
        // The sinus node starts afresh after a pause, and so does the AV node.
        const bool afterPause = k > 0 && impulses.back().pauseAfter;
        if (afterPause)
            cycle = 0;
        const double rr = nominalRR(q);
        Impulse impulse{q, Impulse::Conducted, 0.0, false};
        const bool premature =
            m_params.pvcEvery > 0 && k >= 1 && int(k % size_t(m_params.pvcEvery)) == m_params.pvcEvery - 1;
        if (premature && !afterPause) {
            impulse.fate = Impulse::Ventricular;
        } else if (blockEvery > 0 && cycle % blockEvery == blockEvery - 1) {
            impulse.fate = Impulse::Blocked;
        } else if (blockEvery > 0 && m_params.wenckebach) {
            // The PR grows by half as much at each beat, up to what keeps the next
            // P wave off this QRS at the shortest RR of the breathing.
            const double shortest = std::max(rr * (1.0 - swing), shortestRR(rr));
            const double growth = std::clamp(shortest - prInterval(rr) - SinusQrs - 0.010, 0.0, 0.100);
            impulse.extraPr = growth * (1.0 - std::pow(0.5, cycle % blockEvery));
        }
        ++cycle;
        if (m_params.pauseEvery > 0 && (k + 1) % size_t(m_params.pauseEvery) == 0)
            pauseDue = true;
        double following =
            q + (fibrillation ? std::max(rr * (1.0 + irregular.uniform(-scatter, scatter)), shortestRR(rr)) : rrAt(q));
        // A pause follows a conducted beat; one due at another waits for the next.
        if (pauseDue && impulse.fate == Impulse::Conducted) {
            impulse.pauseAfter = true;
            pauseDue = false;
            following = q + impulse.extraPr + pauseLength(rr);
        }
        impulses.push_back(impulse);
        q = following;
    }
    *next = q;
    return impulses;
}

void TEcgSynthesizer::scheduleBeats()
{
    const double duration = m_params.durationSeconds;
    const double respiration = snapFrequency(m_params.respirationHz);
    double next = 0.0;
    std::vector<Impulse> impulses = scheduleImpulses(respiration, &next);
    if (m_params.loop && !impulses.empty() && duration > 0) {
        // Stretch the train so that the beat after the last falls exactly one
        // duration after the first: the loop then continues the rhythm.
        const double factor = duration / (next - FirstOnset);
        for (Impulse& impulse : impulses)
            impulse.onset = FirstOnset + (impulse.onset - FirstOnset) * factor;
    }

    bool inPause = false;
    double pauseFrom = 0.0;
    for (size_t k = 0; k < impulses.size(); ++k) {
        const Impulse& impulse = impulses[k];
        const double rr = 60.0 / std::max(10.0, heartRateAt(impulse.onset));
        if (impulse.fate == Impulse::Blocked) {
            addBlockedP(impulse.onset, rr);
            continue;
        }
        if (impulse.fate == Impulse::Ventricular)
            addVentricularBeat(impulses[k - 1].onset + 0.62 * (impulse.onset - impulses[k - 1].onset));
        else
            addSinusBeat(impulse.onset, rr, impulse.extraPr);
        if (inPause)
            m_pauses.append({pauseFrom, m_beats.last().rTime});
        inPause = impulse.pauseAfter;
        pauseFrom = m_beats.last().rTime;
    }

    // A looping recording also shows the neighbouring laps' beats at its ends.
    if (m_params.loop && duration > 0) {
        const size_t n = m_rendered.size();
        for (size_t i = 0; i < n; ++i) {
            RenderedBeat before = m_rendered[i];
            RenderedBeat after = m_rendered[i];
            before.begin -= duration;
            before.end -= duration;
            after.begin += duration;
            after.end += duration;
            // Their waves are shifted copies.
            for (RenderedBeat* copy : {&before, &after}) {
                const double shift = copy == &before ? -duration : duration;
                const int first = int(m_waves.size());
                for (int w = 0; w < copy->waveCount; ++w) {
                    Wave moved = m_waves[size_t(copy->firstWave + w)];
                    moved.start += shift;
                    moved.end += shift;
                    moved.riseEnd += shift;
                    moved.fallStart += shift;
                    m_waves.push_back(moved);
                }
                copy->firstWave = first;
            }
            m_rendered.push_back(before);
            m_rendered.push_back(after);
        }
    }
    std::sort(m_rendered.begin(), m_rendered.end(),
              [](const RenderedBeat& a, const RenderedBeat& b) { return a.begin < b.begin; });
    for (const RenderedBeat& b : m_rendered)
        m_longestBeat = std::max(m_longestBeat, b.end - b.begin);
}

void TEcgSynthesizer::buildNoise()
{
    Random random(m_params.seed ^ 0x9E3779B97F4A7C15ull);
    const int muscleOscillators = 40;
    const double muscleAmplitude =
        m_params.muscleNoiseUv / 1000.0 / std::sqrt(2.0) / std::sqrt(muscleOscillators / 2.0);
    const double mainsPhase = random.uniform(0, 2 * Pi);
    const double respiration = snapFrequency(m_params.respirationHz);
    m_noise.assign(ElectrodeCount, {});
    for (int e = 0; e < ElectrodeCount; ++e) {
        std::vector<Oscillator>& list = m_noise[size_t(e)];
        for (int k = 0; k < muscleOscillators; ++k)
            list.push_back({muscleAmplitude, snapFrequency(random.uniform(20.0, 150.0)), random.uniform(0, 2 * Pi)});
        list.push_back({m_params.baselineWanderMv * random.uniform(0.4, 1.0), respiration, random.uniform(0, 2 * Pi)});
        list.push_back({m_params.baselineWanderMv * random.uniform(0.3, 0.8), snapFrequency(random.uniform(0.05, 0.12)),
                        random.uniform(0, 2 * Pi)});
        list.push_back({m_params.mainsUv / 1000.0 * random.uniform(0.0, 2.0), snapFrequency(m_params.mainsHz),
                        mainsPhase + random.uniform(-0.2, 0.2)});
    }
    if (m_params.fibrillationMv > 0.0) {
        // Fibrillation waves: on each electrode a few waves of nearby rates, whose
        // sum keeps changing its height and its rhythm. A generator of their own
        // leaves the other noise of the seed as it is.
        Random atrial(m_params.seed ^ 0xBF58476D1CE4E5B9ull);
        const int waves = 3;
        for (int e = 0; e < ElectrodeCount; ++e)
            for (int k = 0; k < waves; ++k)
                m_noise[size_t(e)].push_back({m_params.fibrillationMv / waves * atrial.uniform(0.6, 1.4),
                                              snapFrequency(atrial.uniform(4.0, 9.0)), atrial.uniform(0, 2 * Pi)});
    }
}

double TEcgSynthesizer::shapeValue(const Wave& w, double t)
{
    if (t < w.start || t >= w.end)
        return 0.0;
    switch (w.shape) {
    case Shape::RaisedCosine: {
        const double s = std::sin(Pi * (t - w.start) / (w.end - w.start));
        return s * s;
    }
    case Shape::TWave: {
        const double u = (t - w.start) / (w.end - w.start);
        const double peak = 0.6;
        const double s = u < peak ? std::sin(0.5 * Pi * u / peak) : std::cos(0.5 * Pi * (u - peak) / (1.0 - peak));
        return s * s;
    }
    case Shape::Plateau: {
        if (t < w.riseEnd) {
            const double s = std::sin(0.5 * Pi * (t - w.start) / (w.riseEnd - w.start));
            return s * s;
        }
        if (t < w.fallStart)
            return 1.0;
        const double c = std::cos(0.5 * Pi * (t - w.fallStart) / (w.end - w.fallStart));
        return c * c;
    }
    }
    return 0.0;
}

void TEcgSynthesizer::render(qint64 firstFrame, int count, qint16* out) const
{
    const int chunk = 2048;
    std::vector<double> mv(size_t(chunk) * LeadCount);
    for (int done = 0; done < count;) {
        const int n = std::min(chunk, count - done);
        renderMillivolts(firstFrame + done, n, mv.data());
        for (int i = 0; i < n * LeadCount; ++i)
            out[size_t(done) * LeadCount + size_t(i)] = toCode(mv[size_t(i)], m_codeStep);
        done += n;
    }
}

void TEcgSynthesizer::renderMillivolts(qint64 firstFrame, int count, double* out) const
{
    if (count <= 0)
        return;
    if (!m_params.loop || m_frameCount <= 0) {
        renderLap(firstFrame, count, out);
        return;
    }
    // Split at the laps of a looping recording.
    for (int done = 0; done < count;) {
        qint64 frame = (firstFrame + done) % m_frameCount;
        if (frame < 0)
            frame += m_frameCount;
        const int n = int(std::min<qint64>(count - done, m_frameCount - frame));
        renderLap(frame, n, out + size_t(done) * LeadCount);
        done += n;
    }
}

void TEcgSynthesizer::renderLap(qint64 firstFrame, int count, double* out) const
{
    const double rate = m_params.samplingRate;
    const double t0 = firstFrame / rate;
    const double t1 = (firstFrame + count) / rate;

    // Beats that overlap this stretch.
    std::vector<const RenderedBeat*> active;
    auto from = std::lower_bound(m_rendered.begin(), m_rendered.end(), t0 - m_longestBeat,
                                 [](const RenderedBeat& b, double t) { return b.begin < t; });
    for (auto it = from; it != m_rendered.end() && it->begin < t1; ++it)
        if (it->end > t0)
            active.push_back(&*it);

    // Noise oscillators advanced by rotation from their phase at the first frame.
    struct Phasor
    {
        double c, s, cr, sr, a;
    };
    std::vector<Phasor> phasors;
    std::vector<int> electrodeOf;
    for (int e = 0; e < ElectrodeCount; ++e) {
        for (const Oscillator& o : m_noise[size_t(e)]) {
            if (o.amplitude == 0.0)
                continue;
            const double w = 2.0 * Pi * o.frequency / rate;
            const double phase = std::fmod(2.0 * Pi * o.frequency * t0, 2.0 * Pi) + o.phase;
            phasors.push_back({std::cos(phase), std::sin(phase), std::cos(w), std::sin(w), o.amplitude});
            electrodeOf.push_back(e);
        }
    }

    std::vector<double> stressNoise;
    if (m_stressNoise) {
        stressNoise.resize(size_t(count) * ElectrodeCount);
        for (int e = 0; e < ElectrodeCount; ++e)
            m_stressNoise->render(e, firstFrame, count, rate, stressNoise.data() + size_t(e) * size_t(count));
    }

    const auto& vectors = electrodeVectors();
    for (int i = 0; i < count; ++i) {
        const double t = (firstFrame + i) / rate;
        Vec3 d = {0, 0, 0};
        for (const RenderedBeat* b : active) {
            if (t < b->begin || t >= b->end)
                continue;
            for (int w = 0; w < b->waveCount; ++w) {
                const Wave& wave = m_waves[size_t(b->firstWave + w)];
                const double v = shapeValue(wave, t);
                if (v == 0.0)
                    continue;
                for (int k = 0; k < 3; ++k)
                    d[size_t(k)] += wave.amplitude * v * wave.direction[size_t(k)];
            }
        }
        double electrode[ElectrodeCount];
        for (int e = 0; e < ElectrodeCount; ++e)
            electrode[e] = dot(vectors[size_t(e)], d);
        for (size_t p = 0; p < phasors.size(); ++p) {
            Phasor& ph = phasors[p];
            electrode[electrodeOf[p]] += ph.a * ph.s;
            const double c = ph.c * ph.cr - ph.s * ph.sr;
            ph.s = ph.s * ph.cr + ph.c * ph.sr;
            ph.c = c;
        }
        if (!stressNoise.empty())
            for (int e = 0; e < ElectrodeCount; ++e)
                electrode[e] += stressNoise[size_t(e) * size_t(count) + size_t(i)];
        double* lead = out + size_t(i) * LeadCount;
        leadsFromElectrodes(electrode, lead);
        for (int l = 0; l < LeadCount; ++l)
            if (m_leadZeroed[size_t(l)])
                lead[l] = 0.0;
    }
}

std::array<double, TEcgSynthesizer::LeadCount> TEcgSynthesizer::stDeviationMv() const
{
    std::array<double, LeadCount> result{};
    if (m_params.stDeviationMv == 0.0)
        return result;
    const Vec3& v5 = electrodeVectors()[EV5];
    const double norm = dot(v5, v5);
    double electrode[ElectrodeCount];
    for (int e = 0; e < ElectrodeCount; ++e)
        electrode[e] = dot(electrodeVectors()[size_t(e)], v5) / norm * m_params.stDeviationMv * m_params.amplitudeScale;
    leadsFromElectrodes(electrode, result.data());
    for (int l = 0; l < LeadCount; ++l)
        if (m_leadZeroed[size_t(l)])
            result[size_t(l)] = 0.0;
    return result;
}

bool TEcgSynthesizer::writeRecording(const QString& path, QString* error) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error)
            *error = QStringLiteral("Cannot create %1: %2").arg(path, file.errorString());
        return false;
    }
    const int chunk = 5000;
    std::vector<qint16> codes(size_t(chunk) * LeadCount);
    for (qint64 done = 0; done < m_frameCount;) {
        const int n = int(std::min<qint64>(chunk, m_frameCount - done));
        render(done, n, codes.data());
        for (int i = 0; i < n * LeadCount; ++i)
            codes[size_t(i)] = qToLittleEndian(codes[size_t(i)]);
        const qint64 bytes = qint64(n) * LeadCount * 2;
        if (file.write(reinterpret_cast<const char*>(codes.data()), bytes) != bytes) {
            if (error)
                *error = QStringLiteral("Write error on %1: %2").arg(path, file.errorString());
            return false;
        }
        done += n;
    }
    return true;
}

bool TEcgSynthesizer::writeTruth(const QString& path, QString* error) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        if (error)
            *error = QStringLiteral("Cannot create %1: %2").arg(path, file.errorString());
        return false;
    }
    QTextStream out(&file);
    out.setRealNumberNotation(QTextStream::FixedNotation);
    out << "# ecg-synth ground truth\n";
    out << "rate " << m_params.samplingRate << "\n";
    out << "frames " << m_frameCount << "\n";
    out.setRealNumberPrecision(4);
    out << "st_mv";
    for (double st : stDeviationMv())
        out << ' ' << st;
    out << "\n";
    out.setRealNumberPrecision(4);
    out << "# beat r_s p_onset_s qrs_onset_s qrs_end_s t_end_s type\n";
    for (const TSynthBeat& b : m_beats) {
        out << "beat " << b.rTime << ' ' << b.pOnset << ' ' << b.qrsOnset << ' ' << b.qrsEnd << ' ' << b.tEnd << ' '
            << (b.ventricular ? 'V' : b.fibrillation ? 'A' : 'N') << "\n";
    }
    if (!m_blockedP.isEmpty())
        out << "# blocked_p p_onset_s p_end_s\n";
    for (const TSynthBlockedP& p : m_blockedP)
        out << "blocked_p " << p.onset << ' ' << p.end << "\n";
    if (!m_pauses.isEmpty())
        out << "# pause r_before_s r_after_s\n";
    for (const TSynthPause& p : m_pauses)
        out << "pause " << p.from << ' ' << p.to << "\n";
    out.flush();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("Write error on %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

QString TEcgSynthesizer::helpText()
{
    return QStringLiteral(R"(Usage: ecg-synth [options] OUTPUT.dat

Writes a synthesized 14-lead ECG recording, deterministic for a given seed.

Options:
  --seed N               random seed (default 1)
  --duration S           length in seconds (default 150)
  --rate N               frames per second (default 500)
  --gain MV              full-scale range G in mV; a code is 2G/65536 mV (default 300)
  --hr BPM               constant heart rate (default 100)
  --hr-ramp A:B[:S:E]    heart rate from A to B bpm, linearly from S to E seconds
                         (default: over the whole recording)
  --rsa F                respiratory sinus arrhythmia, fraction of RR (default 0.06;
                         dogs at rest up to 0.4)
  --respiration HZ       breathing rate (default 0.25)
  --pvc-every N          every N-th beat is a premature ventricular beat
  --pause-every N        every N-th sinus beat is followed by a sinus pause
  --pause S[:S2]         R-to-R interval of a pause in seconds, or drawn between
                         S and S2 for each pause (default 3)
  --av-block N           second-degree AV block, Mobitz II: of every N P waves
                         (N >= 2) the last is not conducted, the PR stays
  --wenckebach N         the same as Mobitz I: the PR lengthens from beat to beat
                         up to the blocked P wave
  --af MV[:F]            atrial fibrillation: no P waves, fibrillation waves of
                         about MV peak per electrode at 4 to 9 per second, and
                         RR intervals scattered at random by up to F of the
                         rate's RR to either side (default 0.3)
  --st MV                ST deviation of lead V5 in mV (negative: depression)
  --muscle UV            muscle noise, RMS microvolts on a lead (default 6)
  --wander MV            baseline wander, peak mV per electrode (default 0.06)
  --mains UV             mains pickup, microvolts per electrode (default 12)
  --mains-hz HZ          mains frequency (default 50)
  --clean                no muscle noise, wander or mains
  --noise KIND:UV        noise of the noise stress test, RMS microvolts on a limb
                         lead, independent per electrode: em (electrode motion),
                         ma (muscle), bw (baseline wander) or mix (the three);
                         a looping recording repeats it with each lap
  --electrode-off NAME   electrode without contact (LA, LL, RA, V1..V6): its
                         leads are written as 0, as the recorder delivers them;
                         may be repeated
  --loop                 periodic recording: a replay that loops over the file
                         shows no jump at the seam
  --truth FILE           also write the ground truth
  --help                 this text

Recording: no header; frames of 14 signed 16-bit little-endian codes in the
order I, II, III, aVR, aVL, aVF, V1, V2, V3, V4, V5, V6, CM5, CR5; code c is
c * 2G / 65536 mV.

Ground truth (text): "rate N", "frames N", "st_mv" followed by the ST deviation
of each of the 14 leads in mV (at QRS end + 10 ms, against the PR segment),
then one line per beat:
  beat R_S P_ONSET_S QRS_ONSET_S QRS_END_S T_END_S TYPE
times in seconds from the first frame, TYPE N (sinus), A (conducted in atrial
fibrillation; P_ONSET_S is -1) or V (premature ventricular; P_ONSET_S is -1); then one line per P wave that was not
conducted and one per sinus pause:
  blocked_p P_ONSET_S P_END_S
  pause R_BEFORE_S R_AFTER_S
(the R of the last beat before the pause and of the first after it). Lines
starting with # are comments; readers skip the kinds of line they do not know.

Morphology: one cardiac dipole moves through the beat and is projected on the
electrodes RA, LA, LL (an equilateral triangle whose centre is Wilson's
terminal), V1..V6 (a transverse arc from the right sternal border to the left
flank) and the manubrium (for CM5); leads are electrode differences, so
III = II - I and the augmented leads follow Goldberger exactly before rounding.
Sinus beat, canine, at 100 bpm: P 40 ms, 0.22 mV in II (axis 55 deg); PR 100 ms;
QRS 50 ms: septal q (0.2 mV toward the right), R 2.0 mV (axis 70 deg,
slightly ventral: II about 1.9 mV, R growing from V1 to V4), S 0.6 mV toward
the right and dorsal (deep in V1-V3, small in V6); QT 200 ms; T 0.3 mV, axis
45 deg, slow rise and faster fall over the second half of the QT. Intervals
follow the rate: QT with the square root of RR, PR and P shorten slightly. Waves
have finite support, so onsets and ends are exact.
Rhythm: sinus at the set rate, RR swung by the breathing (--rsa; the mean rate
is then a little above the set one, 9 % at 0.4), but never shorter than the
rate's QT or its PR plus QRS, plus 10 ms: neither the T wave nor the next P
wave reaches a QRS. At a sinus pause the sinus node stops (no P wave) and
starts afresh. A blocked P wave keeps the sinus schedule and is followed by
nothing; the next P wave comes on schedule. In a Wenckebach cycle the PR grows
by 50, 25, 12 ms ... (100 ms at most in all, less at fast rates, so the next
P wave stays clear of the QRS) and starts again after the blocked P wave. Premature ventricular beat:
no P, QRS 110 ms on an axis of -60 deg, discordant T, coupled at 62 % of RR with
a full compensatory pause. ST deviation: an injury vector along V5 that rises
over the last 20 ms of the QRS, stays flat to the T onset and fades over the T.
Noise per electrode: 40 sinusoids between 20 and 150 Hz (muscle), respiration
and a slower drift (wander), and mains with a common phase. The noise of
--noise: electrode motion is band noise from 0.7 to 14 Hz and transients of one
or two swings between 1.5 and 12 Hz, some as steep as a QRS, in bursts that
come and go over tens of seconds; muscle noise is random from 20 to 150 Hz with
a drifting strength (write 300 frames per second or more to keep all of it);
baseline wander is a breathing swing of varying depth and pace below 0.5 Hz
and a random drift.
)");
}
