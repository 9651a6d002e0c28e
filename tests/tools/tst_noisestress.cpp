#include "TNoiseStress.h"
#include "TWfdbAnnotations.h"
#include "TWfdbRecord.h"

#include <QtTest>

#include <cmath>
#include <vector>

using Kind = TNoiseSynthesizer::Kind;
Q_DECLARE_METATYPE(TNoiseSynthesizer::Kind)

namespace {

QString mitdb()
{
    const QString dir = qEnvironmentVariable("VELMORA_SHARED_DIR") + "/data/mitdb";
    return QFile::exists(dir + "/118.hea") ? dir : QString();
}

// What the noise stress adds to a silent channel, asked for as the evaluation
// asks: overlapping stretches (the samples a block of 51 frames at 500 per
// second needs from a 360-per-second record).
std::vector<double> added(const TNoiseStress& stress, int channel, qint64 count)
{
    std::vector<double> out(size_t(count), 0.0);
    std::vector<double> stretch;
    const double ratio = 360.0 / 500.0;
    for (qint64 start = 0;; start += 51) {
        const qint64 first = qint64(start * ratio);
        if (first >= count)
            break;
        const qint64 last = std::min(qint64((start + 50) * ratio) + 1, count - 1);
        stretch.assign(size_t(last - first + 1), 0.0);
        stress.apply(channel, first, int(stretch.size()), stretch.data());
        for (qint64 i = first; i <= last; ++i)
            out[size_t(i)] = stretch[size_t(i - first)];
    }
    return out;
}

} // namespace

class TestNoiseStress : public QObject
{
    Q_OBJECT

private slots:
    void schedule_data();
    void schedule();
    void noiseOnlyWhereScheduled();
    void scalingGivesTheAskedSnr_data();
    void scalingGivesTheAskedSnr();
    void signalPowerFromTheQrsComplexes();
    void calibratesOnRecords();
    void scoringStartsAfterTheCleanMinutes_data();
    void scoringStartsAfterTheCleanMinutes();
};

void TestNoiseStress::schedule_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<bool>("on");
    QTest::newRow("start") << 0.0 << false;
    QTest::newRow("end of the clean minutes") << 299.99 << false;
    QTest::newRow("5:00") << 300.0 << true;
    QTest::newRow("6:59") << 419.99 << true;
    QTest::newRow("7:00") << 420.0 << false;
    QTest::newRow("8:59") << 539.99 << false;
    QTest::newRow("9:00") << 540.0 << true;
    QTest::newRow("27:00") << 1620.0 << false;
    QTest::newRow("29:00") << 1740.0 << true;
    QTest::newRow("30:05, the end of a MIT-BIH record") << 1805.5 << true;
}

void TestNoiseStress::schedule()
{
    QFETCH(double, seconds);
    QFETCH(bool, on);
    QCOMPARE(TNoiseStress::noiseOn(seconds), on);
}

void TestNoiseStress::noiseOnlyWhereScheduled()
{
    // Every sample of a noisy stretch carries noise, no sample of a clean one.
    const double rate = 360.0;
    const qint64 count = qint64(16 * 60 * rate);
    TNoiseStress stress(Kind::Mixture, rate, count, 4);
    stress.setSignalPower(0, 0.5);
    stress.setSnr(6);
    const std::vector<double> noise = added(stress, 0, count);
    qint64 wrong = 0, noisy = 0;
    for (qint64 i = 0; i < count; ++i) {
        const bool on = TNoiseStress::noiseOn(double(i) / rate);
        noisy += on;
        wrong += on != (noise[size_t(i)] != 0.0);
    }
    QCOMPARE(wrong, qint64(0));
    QCOMPARE(noisy, qint64(3 * 120 * rate)); // 5:00-7:00, 9:00-11:00, 13:00-15:00
    // A channel without a signal power gets nothing.
    const std::vector<double> other = added(stress, 1, count);
    QVERIFY(std::all_of(other.begin(), other.end(), [](double v) { return v == 0.0; }));
}

void TestNoiseStress::scalingGivesTheAskedSnr_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<double>("snr");
    QTest::newRow("em 24 dB") << Kind::ElectrodeMotion << 24.0;
    QTest::newRow("em -6 dB") << Kind::ElectrodeMotion << -6.0;
    QTest::newRow("ma 12 dB") << Kind::Muscle << 12.0;
    QTest::newRow("bw 0 dB") << Kind::BaselineWander << 0.0;
    QTest::newRow("mix 6 dB") << Kind::Mixture << 6.0;
}

void TestNoiseStress::scalingGivesTheAskedSnr()
{
    // The noise measured back on the noisy stretches, its mean removed, has
    // S / 10^(SNR / 10) of power, in each channel with its own S.
    QFETCH(Kind, kind);
    QFETCH(double, snr);
    const double rate = 360.0;
    const qint64 count = qint64(12 * 60 * rate);
    const double signal[] = {0.5, 0.02};
    TNoiseStress stress(kind, rate, count, 9);
    stress.setSignalPower(0, signal[0]);
    stress.setSignalPower(1, signal[1]);
    stress.setSnr(snr);
    for (int channel = 0; channel < 2; ++channel) {
        const std::vector<double> noise = added(stress, channel, count);
        double sum = 0.0, squares = 0.0;
        qint64 n = 0;
        for (qint64 i = 0; i < count; ++i) {
            if (!TNoiseStress::noiseOn(double(i) / rate))
                continue;
            sum += noise[size_t(i)];
            squares += noise[size_t(i)] * noise[size_t(i)];
            ++n;
        }
        const double power = squares / double(n) - (sum / double(n)) * (sum / double(n));
        const double measured = 10.0 * std::log10(signal[channel] / power);
        QVERIFY2(std::abs(measured - snr) < 0.01, qPrintable(QString("channel %1: %2 dB").arg(channel).arg(measured)));
    }
}

void TestNoiseStress::signalPowerFromTheQrsComplexes()
{
    // Complexes of 1 mV peak to peak, one in twenty 10 mV (artifacts) and one in
    // twenty 0.01 mV (missed by the lead): the trimmed mean leaves both out.
    const double rate = 360.0;
    QVector<qint64> beats;
    QVector<double> heights;
    for (int k = 0; k < 200; ++k) {
        beats.append(qint64(rate) * (k + 1));
        heights.append(k % 20 == 3 ? 10.0 : k % 20 == 11 ? 0.01 : 1.0);
    }
    // Each complex a biphasic spike at its beat, and a T wave of 3 mV 0.2 s
    // after it, beyond the reach of the QRS window.
    const auto sample = [&](qint64 i) {
        const qint64 k = (i + qint64(rate) / 2) / qint64(rate) - 1; // the nearest beat
        if (k < 0 || k >= beats.size())
            return 0.0;
        const qint64 d = i - beats[int(k)];
        if (d == -5)
            return 0.7 * heights[int(k)];
        if (d == 8)
            return -0.3 * heights[int(k)];
        if (d > 60 && d < 90)
            return 3.0;
        return 0.0;
    };
    const QVector<double> amplitudes = TNoiseStress::qrsAmplitudes(sample, 202 * qint64(rate), beats, rate);
    QCOMPARE(amplitudes.size(), beats.size());
    for (int k = 0; k < beats.size(); ++k)
        QVERIFY(std::abs(amplitudes[k] - heights[k]) < 1e-12);
    QVERIFY(std::abs(TNoiseStress::qrsSignalPower(amplitudes) - 1.0 / 8.0) < 1e-12);
    // Without trimming the artifacts would dominate.
    QVERIFY(std::abs(TNoiseStress::qrsSignalPower({1.0, 3.0}) - 10.0 / 16.0) < 1e-12);
    QCOMPARE(TNoiseStress::qrsSignalPower({}), 0.0);
    // A beat at the very start or end of the record is measured on what there is.
    QCOMPARE(TNoiseStress::qrsAmplitudes(sample, 202 * qint64(rate), {0, 202 * qint64(rate) - 1}, rate).size(), 2);
}

void TestNoiseStress::calibratesOnRecords()
{
    const QString dir = mitdb();
    if (dir.isEmpty())
        QSKIP("no MIT-BIH recordings in ../shared/data/mitdb");
    // 118: normal beats; 107: paced beats only, which then stand for the QRS.
    for (const char* name : {"118", "107"}) {
        TWfdbRecord record;
        TWfdbAnnotations annotations;
        QString error;
        QVERIFY2(record.read(dir + "/" + name, &error) && annotations.read(dir + "/" + name + ".atr", &error),
                 qPrintable(error));
        TNoiseStress stress(Kind::ElectrodeMotion, record.samplingRate(), record.sampleCount());
        QVERIFY2(stress.calibrate(record, annotations, &error), qPrintable(error));
        QCOMPARE(stress.channelCount(), 2);
        for (int c = 0; c < 2; ++c) {
            // Complexes of a few tenths of a millivolt to a few millivolts.
            const double peakToPeak = std::sqrt(8.0 * stress.signalPower(c));
            QVERIFY2(peakToPeak > 0.2 && peakToPeak < 6.0, qPrintable(QString("%1/%2: %3 mV").arg(name).arg(c).arg(peakToPeak)));
            QVERIFY(stress.noisePower(c) > 0.0);
        }
        // The first five minutes pass untouched.
        stress.setSnr(-6);
        std::vector<double> start(size_t(record.samplingRate() * 10), 1.0);
        stress.apply(0, qint64(record.samplingRate() * 289), int(start.size()), start.data());
        QVERIFY(std::all_of(start.begin(), start.end(), [](double v) { return v == 1.0; }));
    }
    TWfdbAnnotations none;
    TWfdbRecord record;
    TNoiseStress stress(Kind::ElectrodeMotion, 360.0, 1000);
    QString error;
    QVERIFY(!stress.calibrate(record, none, &error));
    QVERIFY(error.contains("no annotated beat"));
}

void TestNoiseStress::scoringStartsAfterTheCleanMinutes_data()
{
    // From sample 1000 on, with a window of 50.
    QTest::addColumn<QVector<qint64>>("reference");
    QTest::addColumn<QVector<qint64>>("detected");
    QTest::addColumn<int>("tp");
    QTest::addColumn<int>("fn");
    QTest::addColumn<int>("fp");
    QTest::newRow("before is not scored") << QVector<qint64>{500, 800, 1200} << QVector<qint64>{300, 1190} << 1 << 0 << 0;
    QTest::newRow("a miss before is not scored") << QVector<qint64>{900, 1200} << QVector<qint64>{1210} << 1 << 0 << 0;
    QTest::newRow("an early detection of a later beat") << QVector<qint64>{1020} << QVector<qint64>{990} << 1 << 0 << 0;
    QTest::newRow("a late detection of an earlier beat") << QVector<qint64>{985, 1500} << QVector<qint64>{995, 1500} << 1 << 0 << 0;
    QTest::newRow("misses and extras after") << QVector<qint64>{1100, 1400} << QVector<qint64>{1100, 1250} << 1 << 1 << 1;
}

void TestNoiseStress::scoringStartsAfterTheCleanMinutes()
{
    QFETCH(QVector<qint64>, reference);
    QFETCH(QVector<qint64>, detected);
    QFETCH(int, tp);
    QFETCH(int, fn);
    QFETCH(int, fp);
    const TBeatMatch m = TNoiseStress::scoreFrom(reference, detected, 50, 1000);
    QCOMPARE(m.truePositives, tp);
    QCOMPARE(m.falseNegatives, fn);
    QCOMPARE(m.falsePositives, fp);
}

QTEST_GUILESS_MAIN(TestNoiseStress)
#include "tst_noisestress.moc"
