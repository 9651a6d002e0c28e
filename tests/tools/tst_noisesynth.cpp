#include "TNoiseSynthesizer.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <vector>

using Kind = TNoiseSynthesizer::Kind;
Q_DECLARE_METATYPE(TNoiseSynthesizer::Kind)

namespace {

constexpr double Pi = 3.14159265358979323846;

std::vector<double> render(const TNoiseSynthesizer& noise, int channel, double seconds, double rate,
                           qint64 first = 0)
{
    std::vector<double> x(size_t(std::llround(seconds * rate)));
    noise.render(channel, first, int(x.size()), rate, x.data());
    return x;
}

double meanSquare(const std::vector<double>& x)
{
    double sum = 0.0;
    for (double v : x)
        sum += v * v;
    return sum / double(x.size());
}

// Power spectrum summed over segments of a signal: each segment with its mean
// removed, Hann-windowed and transformed by a plain DFT. Bin k is k * rate /
// segment Hz.
class Spectrum
{
public:
    explicit Spectrum(int segment) : m_segment(segment), m_power(size_t(segment / 2 + 1), 0.0)
    {
        for (int n = 0; n < segment; ++n) {
            m_cos.push_back(std::cos(2.0 * Pi * n / segment));
            m_sin.push_back(std::sin(2.0 * Pi * n / segment));
        }
    }

    void add(const std::vector<double>& x)
    {
        std::vector<double> s(static_cast<size_t>(m_segment));
        for (size_t start = 0; start + size_t(m_segment) <= x.size(); start += size_t(m_segment)) {
            double mean = 0.0;
            for (int n = 0; n < m_segment; ++n)
                mean += x[start + size_t(n)] / m_segment;
            for (int n = 0; n < m_segment; ++n)
                s[size_t(n)] = (x[start + size_t(n)] - mean) * 0.5 * (1.0 - m_cos[size_t(n)]);
            for (int k = 0; k <= m_segment / 2; ++k) {
                double re = 0.0, im = 0.0;
                for (int n = 0; n < m_segment; ++n) {
                    const size_t phase = size_t((qint64(k) * n) % m_segment);
                    re += s[size_t(n)] * m_cos[phase];
                    im -= s[size_t(n)] * m_sin[phase];
                }
                m_power[size_t(k)] += re * re + im * im;
            }
        }
    }

    // Share of the power in [low, high) Hz.
    double share(double rate, double low, double high) const
    {
        double in = 0.0, all = 0.0;
        for (size_t k = 0; k < m_power.size(); ++k) {
            const double f = double(k) * rate / m_segment;
            all += m_power[k];
            if (f >= low && f < high)
                in += m_power[k];
        }
        return all > 0.0 ? in / all : 0.0;
    }

private:
    int m_segment;
    std::vector<double> m_cos, m_sin, m_power;
};

double correlation(const std::vector<double>& a, const std::vector<double>& b)
{
    double ab = 0.0, aa = 0.0, bb = 0.0;
    for (size_t i = 0; i < a.size(); ++i) {
        ab += a[i] * b[i];
        aa += a[i] * a[i];
        bb += b[i] * b[i];
    }
    return ab / std::sqrt(aa * bb);
}

} // namespace

class TestNoiseSynth : public QObject
{
    Q_OBJECT

private slots:
    void rmsAsAsked_data();
    void rmsAsAsked();
    void spectrumInItsBand_data();
    void spectrumInItsBand();
    void stretchesJoinExactly_data();
    void stretchesJoinExactly();
    void seedAndChannelDecide_data();
    void seedAndChannelDecide();
    void electrodeMotionComesInBursts();
    void kindsByName();
};

void TestNoiseSynth::rmsAsAsked_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<double>("rms");
    QTest::addColumn<double>("tolerance"); // relative, for 40 minutes of noise
    // (twelve seeds stayed within half of it)
    QTest::newRow("em 0.5 mV") << Kind::ElectrodeMotion << 0.5 << 0.12;
    QTest::newRow("ma 0.02 mV") << Kind::Muscle << 0.02 << 0.03;
    QTest::newRow("bw 0.3 mV") << Kind::BaselineWander << 0.3 << 0.06;
    QTest::newRow("mix 1 mV") << Kind::Mixture << 1.0 << 0.06;
}

void TestNoiseSynth::rmsAsAsked()
{
    QFETCH(Kind, kind);
    QFETCH(double, rms);
    QFETCH(double, tolerance);
    const TNoiseSynthesizer noise(kind, rms, 7);
    // Eight channels of five minutes at the MIT-BIH rate.
    double sum = 0.0;
    for (int channel = 0; channel < 8; ++channel)
        sum += meanSquare(render(noise, channel, 300.0, 360.0));
    const double measured = std::sqrt(sum / 8);
    QVERIFY2(std::abs(measured / rms - 1.0) <= tolerance, qPrintable(QString::number(measured)));
}

void TestNoiseSynth::spectrumInItsBand_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<double>("rate");
    QTest::addColumn<int>("segment");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<double>("share");
    // Each rendered fast enough for its band and in segments long enough to
    // resolve its edges.
    QTest::newRow("em in 0.5..15 Hz") << Kind::ElectrodeMotion << 64.0 << 1024 << 0.5 << 15.0 << 0.97;
    QTest::newRow("em largely in 5..15 Hz") << Kind::ElectrodeMotion << 64.0 << 1024 << 5.0 << 15.0 << 0.4;
    QTest::newRow("ma in 20..150 Hz") << Kind::Muscle << 500.0 << 500 << 20.0 << 150.0 << 0.97;
    QTest::newRow("bw below 0.5 Hz") << Kind::BaselineWander << 4.0 << 1024 << 0.0 << 0.5 << 0.99;
}

void TestNoiseSynth::spectrumInItsBand()
{
    QFETCH(Kind, kind);
    QFETCH(double, rate);
    QFETCH(int, segment);
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(double, share);
    const TNoiseSynthesizer noise(kind, 1.0, 3);
    Spectrum spectrum(segment);
    for (int channel = 0; channel < 4; ++channel)
        spectrum.add(render(noise, channel, 16.0 * segment / rate, rate));
    const double measured = spectrum.share(rate, low, high);
    QVERIFY2(measured >= share, qPrintable(QString::number(measured)));
}

void TestNoiseSynth::stretchesJoinExactly_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<qint64>("first");
    QTest::newRow("em") << Kind::ElectrodeMotion << qint64(0);
    QTest::newRow("ma, after five hours") << Kind::Muscle << qint64(5 * 3600 * 360);
    QTest::newRow("bw") << Kind::BaselineWander << qint64(123);
    QTest::newRow("mix") << Kind::Mixture << qint64(650000 - 20 * 360);
}

void TestNoiseSynth::stretchesJoinExactly()
{
    // Any stretch gives the samples of the whole: the evaluation asks for
    // overlapping stretches of a few dozen samples.
    QFETCH(Kind, kind);
    QFETCH(qint64, first);
    const TNoiseSynthesizer noise(kind, 1.0, 11);
    const double rate = 360.0;
    const std::vector<double> whole = render(noise, 1, 20.0, rate, first);
    std::vector<double> pieces(whole.size());
    const int sizes[] = {1, 37, 500, 7, 1234, 51};
    size_t done = 0;
    for (int k = 0; done < whole.size(); ++k) {
        const int n = int(std::min<size_t>(size_t(sizes[k % 6]), whole.size() - done));
        noise.render(1, first + qint64(done), n, rate, pieces.data() + done);
        done += size_t(n);
    }
    QVERIFY(whole == pieces);
    // An overlapping stretch repeats the samples it shares.
    std::vector<double> overlap(1000);
    noise.render(1, first + 2000, 1000, rate, overlap.data());
    QVERIFY(std::equal(overlap.begin(), overlap.end(), whole.begin() + 2000));
}

void TestNoiseSynth::seedAndChannelDecide_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<double>("rate");
    QTest::addColumn<double>("seedLimit");    // of the correlation with another seed's
    QTest::addColumn<double>("channelLimit"); // with another channel's
    QTest::newRow("em") << Kind::ElectrodeMotion << 100.0 << 0.05 << 0.05;
    QTest::newRow("ma") << Kind::Muscle << 360.0 << 0.05 << 0.05;
    // Ten minutes of wander hold few independent swings; the breathing moves
    // every electrode at one pace, each with a phase of its own.
    QTest::newRow("bw") << Kind::BaselineWander << 10.0 << 0.25 << 0.6;
}

void TestNoiseSynth::seedAndChannelDecide()
{
    QFETCH(Kind, kind);
    QFETCH(double, rate);
    QFETCH(double, seedLimit);
    QFETCH(double, channelLimit);
    const double seconds = 600.0;
    const std::vector<double> a = render(TNoiseSynthesizer(kind, 1.0, 5), 0, seconds, rate);
    QVERIFY(a == render(TNoiseSynthesizer(kind, 1.0, 5), 0, seconds, rate));
    const double otherSeed = correlation(a, render(TNoiseSynthesizer(kind, 1.0, 6), 0, seconds, rate));
    const double otherChannel = correlation(a, render(TNoiseSynthesizer(kind, 1.0, 5), 1, seconds, rate));
    QVERIFY2(std::abs(otherSeed) < seedLimit, qPrintable(QString::number(otherSeed)));
    QVERIFY2(std::abs(otherChannel) < channelLimit, qPrintable(QString::number(otherChannel)));
}

void TestNoiseSynth::electrodeMotionComesInBursts()
{
    // Heavy tails (large transients) and a strength that comes and goes: the
    // RMS of 10-second windows spreads far more than muscle noise's.
    auto spread = [](Kind kind, double* kurtosis) {
        const std::vector<double> x = render(TNoiseSynthesizer(kind, 1.0, 9), 0, 1200.0, 100.0);
        std::vector<double> windows;
        double m2 = 0.0, m4 = 0.0;
        for (size_t start = 0; start < x.size(); start += 1000) {
            double sum = 0.0;
            for (size_t i = start; i < start + 1000; ++i) {
                sum += x[i] * x[i];
                m2 += x[i] * x[i];
                m4 += x[i] * x[i] * x[i] * x[i];
            }
            windows.push_back(std::sqrt(sum / 1000));
        }
        m2 /= double(x.size());
        m4 /= double(x.size());
        *kurtosis = m4 / (m2 * m2);
        std::sort(windows.begin(), windows.end());
        return windows[windows.size() * 9 / 10] / windows[windows.size() / 10];
    };
    double motionKurtosis = 0.0, muscleKurtosis = 0.0;
    const double motion = spread(Kind::ElectrodeMotion, &motionKurtosis);
    const double muscle = spread(Kind::Muscle, &muscleKurtosis);
    QVERIFY2(motion > 2.0 && motion > 1.8 * muscle, qPrintable(QString("%1 against %2").arg(motion).arg(muscle)));
    QVERIFY2(motionKurtosis > 8.0 && motionKurtosis > 2.0 * muscleKurtosis,
             qPrintable(QString("%1 against %2").arg(motionKurtosis).arg(muscleKurtosis)));
}

void TestNoiseSynth::kindsByName()
{
    for (Kind k : {Kind::ElectrodeMotion, Kind::Muscle, Kind::BaselineWander, Kind::Mixture}) {
        Kind back = Kind::Mixture;
        QVERIFY(TNoiseSynthesizer::kindFromName(TNoiseSynthesizer::name(k), &back));
        QCOMPARE(back, k);
    }
    Kind unchanged = Kind::Muscle;
    QVERIFY(!TNoiseSynthesizer::kindFromName("EM", &unchanged));
    QVERIFY(!TNoiseSynthesizer::kindFromName("", &unchanged));
    QCOMPARE(unchanged, Kind::Muscle);
}

QTEST_GUILESS_MAIN(TestNoiseSynth)
#include "tst_noisesynth.moc"
