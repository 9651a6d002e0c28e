#include "TEcgSynthesizer.h"

#include <QtTest>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

enum { I, II, III, aVR, aVL, aVF, V1, V2, V3, V4, V5, V6, CM5, CR5 };

std::vector<qint16> renderAll(const TEcgSynthesizer& s)
{
    std::vector<qint16> codes(size_t(s.frameCount()) * 14);
    s.render(0, int(s.frameCount()), codes.data());
    return codes;
}

// Largest violation, in codes, of Einthoven's and Goldberger's relations.
int worstLimbLeadError(const qint16* frames, qint64 count)
{
    int worst = 0;
    for (qint64 f = 0; f < count; ++f) {
        const qint16* x = frames + f * 14;
        const double i = x[I], ii = x[II], iii = x[III];
        const double errors[] = {iii - (ii - i), x[aVR] + (i + ii) / 2.0, x[aVL] - (i - iii) / 2.0,
                                 x[aVF] - (ii + iii) / 2.0};
        for (double e : errors)
            worst = std::max(worst, int(std::ceil(std::abs(e) - 1e-9)));
    }
    return worst;
}

int frameAt(double seconds, int rate)
{
    return int(std::lround(seconds * rate));
}

// A steady rate without noise: between the waves the signal is exactly zero.
TSynthParams cleanRhythm(double bpm, double seconds)
{
    TSynthParams p;
    p.durationSeconds = seconds;
    p.heartRateStart = p.heartRateEnd = bpm;
    p.muscleNoiseUv = p.baselineWanderMv = p.mainsUv = 0;
    return p;
}

// Where the first non-zero code lies in frames [from, to), in words; empty
// where every lead is silent.
QString firstSound(const std::vector<qint16>& codes, int from, int to, int rate)
{
    for (int f = from; f < to; ++f)
        for (int l = 0; l < 14; ++l)
            if (codes[size_t(f) * 14 + size_t(l)] != 0)
                return QString("lead %1 at %2 s").arg(l).arg(double(f) / rate);
    return QString();
}

} // namespace

class TestEcgSynth : public QObject
{
    Q_OBJECT

private slots:
    void limbLeadsObeyEinthoven_data();
    void limbLeadsObeyEinthoven();
    void demoRecordingIsUsable();
    void groundTruthMatchesTheSamples_data();
    void groundTruthMatchesTheSamples();
    void stDeviationMatchesTruth();
    void heartRateFollowsTheRamp();
    void prematureBeatsAreEarlyWithCompensatoryPause();
    void chestLeadsProgressFromV1ToV6();
    void piecesJoinExactly();
    void seedDecidesTheNoise();
    void electrodeOffZeroesItsLeads();
    void writesRecordingAndTruthFiles();
    void rhythmStaysPhysiological_data();
    void rhythmStaysPhysiological();
    void sinusArrhythmiaSwingsTheRR_data();
    void sinusArrhythmiaSwingsTheRR();
    void sinusPausesAreSilent_data();
    void sinusPausesAreSilent();
    void pauseLengthsComeFromTheSeed();
    void blockedPWavesStandAlone_data();
    void blockedPWavesStandAlone();
    void stressNoiseRidesOnTheElectrodes();
    void atrialFibrillationHasNoPWaves_data();
    void atrialFibrillationHasNoPWaves();
};

void TestEcgSynth::limbLeadsObeyEinthoven_data()
{
    QTest::addColumn<double>("heartRate");
    QTest::addColumn<int>("pvcEvery");
    QTest::addColumn<double>("st");
    QTest::addColumn<double>("muscle");
    QTest::newRow("resting") << 100.0 << 0 << 0.0 << 6.0;
    QTest::newRow("fast with ectopy and ST depression") << 210.0 << 4 << -0.2 << 20.0;
    QTest::newRow("slow and noisy") << 60.0 << 0 << 0.1 << 60.0;
}

void TestEcgSynth::limbLeadsObeyEinthoven()
{
    QFETCH(double, heartRate);
    QFETCH(int, pvcEvery);
    QFETCH(double, st);
    QFETCH(double, muscle);
    TSynthParams p;
    p.durationSeconds = 20;
    p.heartRateStart = p.heartRateEnd = heartRate;
    p.pvcEvery = pvcEvery;
    p.stDeviationMv = st;
    p.muscleNoiseUv = muscle;
    p.baselineWanderMv = 0.3;
    const TEcgSynthesizer s(p);
    const std::vector<qint16> codes = renderAll(s);
    QCOMPARE(worstLimbLeadError(codes.data(), s.frameCount()) <= 1, true);
    // Not a trivial signal: lead II reaches well over 1 mV.
    const qint16 peak = *std::max_element(codes.begin(), codes.end());
    QVERIFY(peak * s.codeStepMv() > 1.0);
}

void TestEcgSynth::demoRecordingIsUsable()
{
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath("ecg500.dat");
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), "the build makes bin/ecg500.dat");
    QCOMPARE(file.size() % 28, qint64(0));
    const qint64 frames = file.size() / 28;
    QVERIFY(frames >= 120 * 500);
    const QByteArray bytes = file.readAll();
    std::vector<qint16> codes(size_t(frames) * 14);
    for (size_t i = 0; i < codes.size(); ++i)
        codes[i] = qFromLittleEndian<qint16>(bytes.constData() + 2 * i);
    QVERIFY(worstLimbLeadError(codes.data(), frames) <= 1);

    // The loop seam is a step like any other: no larger than what 99.9 % of the
    // steps between neighbouring frames reach.
    for (int lead = 0; lead < 14; ++lead) {
        std::vector<int> steps;
        for (qint64 f = 1; f < frames; ++f)
            steps.push_back(std::abs(codes[size_t(f * 14 + lead)] - codes[size_t((f - 1) * 14 + lead)]));
        std::nth_element(steps.begin(), steps.begin() + long(steps.size() * 999 / 1000), steps.end());
        const int typical = steps[steps.size() * 999 / 1000];
        const int seam = std::abs(codes[size_t(lead)] - codes[size_t((frames - 1) * 14 + lead)]);
        QVERIFY2(seam <= typical, qPrintable(QString("lead %1: seam %2, steps %3").arg(lead).arg(seam).arg(typical)));
    }
}

void TestEcgSynth::groundTruthMatchesTheSamples_data()
{
    QTest::addColumn<double>("heartRate");
    QTest::addColumn<int>("pvcEvery");
    QTest::newRow("60 bpm") << 60.0 << 0;
    QTest::newRow("100 bpm with ectopy") << 100.0 << 5;
    QTest::newRow("200 bpm") << 200.0 << 0;
}

void TestEcgSynth::groundTruthMatchesTheSamples()
{
    // Without noise the waves have finite support: the signal is exactly zero
    // outside the truth's wave boundaries and not zero just inside them.
    QFETCH(double, heartRate);
    QFETCH(int, pvcEvery);
    TSynthParams p = cleanRhythm(heartRate, 30);
    p.pvcEvery = pvcEvery;
    const TEcgSynthesizer s(p);
    const int rate = p.samplingRate;
    const std::vector<qint16> codes = renderAll(s);
    auto allZero = [&](int frame) { return firstSound(codes, frame, frame + 1, rate).isEmpty(); };
    auto energy = [&](int from, int to) {
        double sum = 0;
        for (int f = from; f < to; ++f)
            sum += std::abs(double(codes[size_t(f) * 14 + II])) + std::abs(double(codes[size_t(f) * 14 + V4]));
        return sum;
    };
    const auto& beats = s.beats();
    QVERIFY(beats.size() > 20);
    int ventricular = 0;
    for (int k = 1; k + 1 < beats.size(); ++k) {
        const TSynthBeat& b = beats[k];
        const TSynthBeat& previous = beats[k - 1];
        ventricular += b.ventricular;
        QVERIFY(b.qrsOnset < b.rTime && b.rTime < b.qrsEnd && b.qrsEnd < b.tEnd);
        const double start = b.ventricular ? b.qrsOnset : b.pOnset;
        QVERIFY(b.ventricular == (b.pOnset < 0));
        // Electrical silence between the previous T end and this beat's first wave.
        if (previous.tEnd + 0.004 < start) {
            QVERIFY(allZero(frameAt(previous.tEnd + 0.002, rate)));
            QVERIFY(allZero(frameAt(start - 0.002, rate)));
        }
        if (!b.ventricular) {
            QVERIFY(allZero(frameAt(b.qrsOnset - 0.002, rate))); // PR segment
            QVERIFY(energy(frameAt(b.pOnset + 0.004, rate), frameAt(b.pOnset + 0.030, rate)) > 0);
        }
        QVERIFY(energy(frameAt(b.qrsOnset + 0.004, rate), frameAt(b.qrsOnset + 0.012, rate)) > 0);
        QVERIFY(energy(frameAt(b.qrsEnd - 0.010, rate), frameAt(b.qrsEnd - 0.002, rate)) > 0);
        QVERIFY(energy(frameAt(b.tEnd - 0.010, rate), frameAt(b.tEnd - 0.002, rate)) > 0);
        // R: the largest deflection of the QRS in lead II.
        const int r = frameAt(b.rTime, rate);
        int peak = frameAt(b.qrsOnset, rate);
        for (int f = peak; f <= frameAt(b.qrsEnd, rate); ++f)
            if (std::abs(codes[size_t(f) * 14 + II]) > std::abs(codes[size_t(peak) * 14 + II]))
                peak = f;
        QVERIFY2(std::abs(peak - r) <= 2, qPrintable(QString("beat %1: R at %2, peak at %3").arg(k).arg(r).arg(peak)));
    }
    QCOMPARE(ventricular > 0, pvcEvery > 0);
}

void TestEcgSynth::stDeviationMatchesTruth()
{
    TSynthParams p = cleanRhythm(100, 10);
    p.stDeviationMv = -0.2;
    const TEcgSynthesizer s(p);
    const auto truth = s.stDeviationMv();
    QVERIFY(std::abs(truth[V5] + 0.2) < 1e-9);
    QVERIFY(std::abs(truth[V4]) > 0.1); // neighbouring leads carry it too
    QVERIFY(std::abs(truth[III] - (truth[II] - truth[I])) < 1e-9);
    const std::vector<qint16> codes = renderAll(s);
    for (const TSynthBeat& b : s.beats()) {
        if (b.tEnd > 9.9)
            break;
        const int j = frameAt(b.qrsEnd + 0.010, p.samplingRate);
        for (int l = 0; l < 14; ++l) {
            const double mv = codes[size_t(j) * 14 + size_t(l)] * s.codeStepMv();
            QVERIFY2(std::abs(mv - truth[size_t(l)]) <= s.codeStepMv(),
                     qPrintable(QString("lead %1: %2 mV, truth %3").arg(l).arg(mv).arg(truth[size_t(l)])));
        }
    }
}

void TestEcgSynth::heartRateFollowsTheRamp()
{
    TSynthParams p;
    p.durationSeconds = 120;
    p.heartRateStart = 80;
    p.heartRateEnd = 200;
    p.sinusArrhythmia = 0.0;
    const TEcgSynthesizer s(p);
    const auto& beats = s.beats();
    for (int k = 1; k < beats.size(); ++k) {
        const double rr = beats[k].rTime - beats[k - 1].rTime;
        const double t = beats[k - 1].qrsOnset;
        const double expected = 60.0 / (80.0 + 120.0 * std::min(1.0, t / 120.0));
        QVERIFY(std::abs(rr - expected) < 1e-6);
    }
    QVERIFY(60.0 / (beats.last().rTime - beats[beats.size() - 2].rTime) > 195);
}

void TestEcgSynth::prematureBeatsAreEarlyWithCompensatoryPause()
{
    TSynthParams p;
    p.durationSeconds = 60;
    p.heartRateStart = p.heartRateEnd = 120;
    p.sinusArrhythmia = 0.0;
    p.pvcEvery = 4;
    const TEcgSynthesizer s(p);
    const auto& beats = s.beats();
    int found = 0;
    for (int k = 1; k + 1 < beats.size(); ++k) {
        if (!beats[k].ventricular)
            continue;
        ++found;
        QVERIFY(!beats[k - 1].ventricular && !beats[k + 1].ventricular);
        const double before = beats[k].qrsOnset - beats[k - 1].qrsOnset;
        const double around = beats[k + 1].qrsOnset - beats[k - 1].qrsOnset;
        QVERIFY(std::abs(before - 0.62 * 0.5) < 1e-6);
        QVERIFY(std::abs(around - 2 * 0.5) < 1e-6);
        QVERIFY(beats[k].qrsEnd - beats[k].qrsOnset > 0.1); // wide
    }
    QVERIFY(found >= 25);
}

void TestEcgSynth::chestLeadsProgressFromV1ToV6()
{
    const TEcgSynthesizer s(cleanRhythm(100, 3));
    const std::vector<qint16> codes = renderAll(s);
    const TSynthBeat& b = s.beats()[1];
    auto extreme = [&](int lead, bool positive) {
        int best = 0;
        for (int f = frameAt(b.qrsOnset, 500); f <= frameAt(b.qrsEnd, 500); ++f) {
            const int v = codes[size_t(f) * 14 + size_t(lead)];
            best = positive ? std::max(best, v) : std::min(best, v);
        }
        return best;
    };
    // R grows from V1 to V4, S shrinks from V2 to V6; V1 is rS, V6 qR.
    QVERIFY(extreme(V1, true) < extreme(V2, true));
    QVERIFY(extreme(V2, true) < extreme(V4, true));
    QVERIFY(-extreme(V2, false) > -extreme(V6, false));
    QVERIFY(-extreme(V1, false) > extreme(V1, true));
    QVERIFY(extreme(V6, true) > -extreme(V6, false));
    QVERIFY(extreme(aVR, false) < -extreme(aVR, true)); // aVR mostly negative
}

void TestEcgSynth::piecesJoinExactly()
{
    TSynthParams p;
    p.durationSeconds = 8;
    p.loop = true;
    const TEcgSynthesizer s(p);
    std::vector<qint16> whole(4000 * 14), pieces(4000 * 14);
    s.render(0, 4000, whole.data());
    for (int start = 0; start < 4000; start += 333)
        s.render(start, qMin(333, 4000 - start), pieces.data() + start * 14);
    QVERIFY(whole == pieces);
    // A looping recording repeats itself after its length.
    std::vector<qint16> nextLap(1000 * 14);
    s.render(4000 + 100, 1000, nextLap.data());
    QVERIFY(std::equal(nextLap.begin(), nextLap.end(), whole.begin() + 100 * 14));
}

void TestEcgSynth::seedDecidesTheNoise()
{
    TSynthParams p;
    p.durationSeconds = 2;
    const std::vector<qint16> a = renderAll(TEcgSynthesizer(p));
    const std::vector<qint16> b = renderAll(TEcgSynthesizer(p));
    p.seed = 2;
    const std::vector<qint16> c = renderAll(TEcgSynthesizer(p));
    QVERIFY(a == b);
    QVERIFY(a != c);
}

void TestEcgSynth::electrodeOffZeroesItsLeads()
{
    TSynthParams p;
    p.durationSeconds = 2;
    p.electrodesOff = QStringList{"LA", "V3"};
    const TEcgSynthesizer s(p);
    const std::vector<qint16> codes = renderAll(s);
    std::vector<int> peak(14, 0);
    for (qint64 f = 0; f < s.frameCount(); ++f)
        for (int l = 0; l < 14; ++l)
            peak[size_t(l)] = std::max(peak[size_t(l)], std::abs(int(codes[size_t(f * 14 + l)])));
    for (int l = 0; l < 14; ++l) {
        const bool zeroed = l == I || l == III || l == aVR || l == aVL || l == V3;
        QCOMPARE(peak[size_t(l)] == 0, zeroed);
    }
}

void TestEcgSynth::writesRecordingAndTruthFiles()
{
    QTemporaryDir dir;
    TSynthParams p = cleanRhythm(100, 30);
    p.stDeviationMv = 0.1;
    p.avBlockEvery = 5;
    p.pauseEvery = 11;
    p.pauseSeconds = 2.5;
    const TEcgSynthesizer s(p);
    QString error;
    QVERIFY(s.writeRecording(dir.filePath("r.dat"), &error));
    QVERIFY(s.writeTruth(dir.filePath("r.txt"), &error));
    QCOMPARE(QFileInfo(dir.filePath("r.dat")).size(), qint64(15000 * 28));
    QFile truth(dir.filePath("r.txt"));
    QVERIFY(truth.open(QIODevice::ReadOnly | QIODevice::Text));
    int beatLines = 0;
    bool sawSt = false;
    QVector<TSynthBlockedP> blocked;
    QVector<TSynthPause> pauses;
    while (!truth.atEnd()) {
        const QStringList fields = QString::fromUtf8(truth.readLine()).simplified().split(' ');
        if (fields[0] == "beat") {
            QCOMPARE(fields.size(), 7); // what the readers of beat lines expect
            const TSynthBeat& b = s.beats()[beatLines++];
            QVERIFY(std::abs(fields[1].toDouble() - b.rTime) < 1e-4);
            QVERIFY(std::abs(fields[5].toDouble() - b.tEnd) < 1e-4);
        } else if (fields[0] == "st_mv") {
            QCOMPARE(fields.size(), 15);
            QVERIFY(std::abs(fields[11].toDouble() - 0.1) < 1e-4);
            sawSt = true;
        } else if (fields[0] == "blocked_p") {
            QCOMPARE(fields.size(), 3);
            blocked.append({fields[1].toDouble(), fields[2].toDouble()});
        } else if (fields[0] == "pause") {
            QCOMPARE(fields.size(), 3);
            pauses.append({fields[1].toDouble(), fields[2].toDouble()});
        }
    }
    QCOMPARE(beatLines, s.beats().size());
    QVERIFY(sawSt);
    QCOMPARE(blocked.size(), s.blockedPWaves().size());
    QCOMPARE(pauses.size(), s.pauses().size());
    QVERIFY(!blocked.isEmpty() && !pauses.isEmpty());
    for (int i = 0; i < blocked.size(); ++i)
        QVERIFY(std::abs(blocked[i].onset - s.blockedPWaves()[i].onset) < 1e-4 &&
                std::abs(blocked[i].end - s.blockedPWaves()[i].end) < 1e-4);
    for (int i = 0; i < pauses.size(); ++i)
        QVERIFY(std::abs(pauses[i].from - s.pauses()[i].from) < 1e-4 &&
                std::abs(pauses[i].to - s.pauses()[i].to) < 1e-4);
    QVERIFY(!s.writeRecording("/nonexistent/dir/r.dat", &error));
    QVERIFY(error.contains("Cannot create"));
}

void TestEcgSynth::rhythmStaysPhysiological_data()
{
    QTest::addColumn<double>("bpm");
    QTest::addColumn<double>("rsa");
    QTest::addColumn<int>("blockEvery");
    QTest::addColumn<bool>("wenckebach");
    for (double bpm : {50.0, 100.0, 150.0, 200.0, 250.0, 300.0}) {
        QTest::addRow("%.0f/min, RSA 40 %%", bpm) << bpm << 0.4 << 0 << false;
        QTest::addRow("%.0f/min, Mobitz I 4:3, RSA 20 %%", bpm) << bpm << 0.2 << 4 << true;
        QTest::addRow("%.0f/min, Mobitz II 3:2", bpm) << bpm << 0.06 << 3 << false;
    }
}

void TestEcgSynth::rhythmStaysPhysiological()
{
    // Neither a T wave nor a P wave, conducted or blocked, reaches a QRS, and
    // no RR is shorter than the QT.
    QFETCH(double, bpm);
    QFETCH(double, rsa);
    QFETCH(int, blockEvery);
    QFETCH(bool, wenckebach);
    TSynthParams p = cleanRhythm(bpm, 60);
    p.sinusArrhythmia = rsa;
    p.avBlockEvery = blockEvery;
    p.wenckebach = wenckebach;
    const TEcgSynthesizer s(p);
    const auto& beats = s.beats();
    QVERIFY(beats.size() >= 30);
    QCOMPARE(s.blockedPWaves().isEmpty(), blockEvery == 0);
    for (int k = 1; k < beats.size(); ++k) {
        const TSynthBeat& before = beats[k - 1];
        const TSynthBeat& b = beats[k];
        QVERIFY2(before.tEnd < b.qrsOnset, qPrintable(QString("T into the QRS at %1 s").arg(b.qrsOnset)));
        QVERIFY2(b.pOnset > before.qrsEnd, qPrintable(QString("P into the QRS at %1 s").arg(b.pOnset)));
        QVERIFY(b.pOnset < b.qrsOnset);
    }
    for (const TSynthBlockedP& blocked : s.blockedPWaves())
        for (const TSynthBeat& b : beats)
            QVERIFY2(blocked.end <= b.qrsOnset || blocked.onset >= b.qrsEnd,
                     qPrintable(QString("blocked P at %1 s on a QRS").arg(blocked.onset)));
}

void TestEcgSynth::sinusArrhythmiaSwingsTheRR_data()
{
    QTest::addColumn<double>("bpm");
    QTest::addColumn<double>("breathingHz");
    QTest::newRow("60/min, 12 breaths") << 60.0 << 0.2;
    QTest::newRow("100/min, 15 breaths") << 100.0 << 0.25;
    QTest::newRow("150/min, 24 breaths") << 150.0 << 0.4;
}

void TestEcgSynth::sinusArrhythmiaSwingsTheRR()
{
    // RR swings by 40 % to either side of the rate's RR with each breath.
    QFETCH(double, bpm);
    QFETCH(double, breathingHz);
    TSynthParams p = cleanRhythm(bpm, 60);
    p.sinusArrhythmia = 0.4;
    p.respirationHz = breathingHz;
    const TEcgSynthesizer s(p);
    const auto& beats = s.beats();
    const double rr = 60.0 / bpm;
    double shortest = 1e9, longest = 0.0;
    for (int k = 1; k < beats.size(); ++k) {
        const double interval = beats[k].rTime - beats[k - 1].rTime;
        shortest = std::min(shortest, interval / rr);
        longest = std::max(longest, interval / rr);
    }
    // The breathing is sampled at the beats: the extremes fall within a beat's
    // step of the sine's.
    QVERIFY2(std::abs(longest - 1.4) < 0.03, qPrintable(QString::number(longest)));
    QVERIFY2(std::abs(shortest - 0.6) < 0.03, qPrintable(QString::number(shortest)));
    // Breath by breath: as many swings as breaths.
    int swings = 0;
    for (int k = 2; k < beats.size(); ++k) {
        const double a = beats[k - 1].rTime - beats[k - 2].rTime;
        const double b = beats[k].rTime - beats[k - 1].rTime;
        swings += a < rr && b >= rr;
    }
    QVERIFY2(std::abs(swings - 60 * breathingHz) <= 1, qPrintable(QString::number(swings)));
}

void TestEcgSynth::sinusPausesAreSilent_data()
{
    QTest::addColumn<double>("pause");
    QTest::addColumn<double>("bpm");
    QTest::newRow("2 s at 100/min") << 2.0 << 100.0;
    QTest::newRow("3 s at 70/min") << 3.0 << 70.0;
    QTest::newRow("4 s at 160/min") << 4.0 << 160.0;
}

void TestEcgSynth::sinusPausesAreSilent()
{
    // Between the T wave before a pause and the P wave after it there is
    // nothing: no QRS, no P.
    QFETCH(double, pause);
    QFETCH(double, bpm);
    TSynthParams p = cleanRhythm(bpm, 40);
    p.sinusArrhythmia = 0.2;
    p.pauseEvery = 12;
    p.pauseSeconds = pause;
    const TEcgSynthesizer s(p);
    const std::vector<qint16> codes = renderAll(s);
    const auto& beats = s.beats();
    QVERIFY(s.pauses().size() >= 2);
    int previousIndex = -1;
    for (const TSynthPause& gap : s.pauses()) {
        QVERIFY(std::abs(gap.to - gap.from - pause) < 1e-9);
        int before = 0;
        while (beats[before].rTime < gap.from)
            ++before;
        QCOMPARE(beats[before].rTime, gap.from);
        QCOMPARE(beats[before + 1].rTime, gap.to);
        // Every 12th beat: the pauses are 12 beats apart.
        if (previousIndex >= 0)
            QCOMPARE(before - previousIndex, 12);
        previousIndex = before;
        const QString sound = firstSound(codes, frameAt(beats[before].tEnd, p.samplingRate) + 1,
                                         frameAt(beats[before + 1].pOnset, p.samplingRate), p.samplingRate);
        QVERIFY2(sound.isEmpty(), qPrintable(sound));
    }
    // Outside the pauses the rhythm goes on: no other interval exceeds 1.4 RR.
    for (int k = 1; k < beats.size(); ++k) {
        const double rr = beats[k].rTime - beats[k - 1].rTime;
        bool isPause = false;
        for (const TSynthPause& gap : s.pauses())
            isPause = isPause || gap.to == beats[k].rTime;
        QCOMPARE(rr > 1.5 * 60.0 / bpm, isPause);
    }
}

void TestEcgSynth::pauseLengthsComeFromTheSeed()
{
    TSynthParams p = cleanRhythm(120, 120);
    p.pauseEvery = 8;
    p.pauseSeconds = 2.0;
    p.pauseSecondsMax = 4.0;
    auto lengths = [](const TSynthParams& params) {
        QVector<double> out;
        const TEcgSynthesizer s(params);
        for (const TSynthPause& gap : s.pauses())
            out.append(gap.to - gap.from);
        return out;
    };
    const QVector<double> a = lengths(p);
    QVERIFY(a.size() > 10);
    QCOMPARE(lengths(p), a);
    const auto [low, high] = std::minmax_element(a.begin(), a.end());
    QVERIFY(*low >= 2.0 && *high <= 4.0);
    QVERIFY(*high - *low > 1.0); // drawn, not fixed
    p.seed = 2;
    QVERIFY(lengths(p) != a);
}

void TestEcgSynth::blockedPWavesStandAlone_data()
{
    QTest::addColumn<int>("every");
    QTest::addColumn<bool>("wenckebach");
    QTest::newRow("Mobitz II 3:2") << 3 << false;
    QTest::newRow("Mobitz II 4:3") << 4 << false;
    QTest::newRow("Mobitz I 4:3") << 4 << true;
    QTest::newRow("Mobitz I 5:4") << 5 << true;
}

void TestEcgSynth::blockedPWavesStandAlone()
{
    // A blocked P wave shows in lead II and nothing follows it until the next P
    // wave, which comes on the sinus schedule.
    QFETCH(int, every);
    QFETCH(bool, wenckebach);
    const double bpm = 110.0;
    TSynthParams p = cleanRhythm(bpm, 30);
    p.sinusArrhythmia = 0.0;
    p.avBlockEvery = every;
    p.wenckebach = wenckebach;
    const TEcgSynthesizer s(p);
    const std::vector<qint16> codes = renderAll(s);
    const auto& beats = s.beats();
    const auto& blocked = s.blockedPWaves();
    const int rate = p.samplingRate;
    const double pp = 60.0 / bpm;
    // One P wave in every `every` is blocked.
    const int pWaves = beats.size() + blocked.size();
    QVERIFY(std::abs(blocked.size() - pWaves / every) <= 1);
    for (const TSynthBlockedP& b : blocked) {
        int next = 0;
        while (next < beats.size() && beats[next].pOnset < b.onset)
            ++next;
        if (next == 0 || next == beats.size())
            continue;
        const TSynthBeat& before = beats[next - 1];
        const TSynthBeat& after = beats[next];
        // The P waves keep the sinus rate across the block.
        QVERIFY(std::abs(b.onset - before.pOnset - pp) < 1e-9);
        QVERIFY(std::abs(after.pOnset - b.onset - pp) < 1e-9);
        // The P wave itself: 0.2 mV or so in lead II.
        int peak = 0;
        for (int f = frameAt(b.onset, rate); f < frameAt(b.end, rate); ++f)
            peak = std::max(peak, int(codes[size_t(f) * 14 + II]));
        QVERIFY2(peak * s.codeStepMv() > 0.15, qPrintable(QString::number(peak * s.codeStepMv())));
        // Then silence until the next P wave, in every lead.
        const QString sound = firstSound(codes, frameAt(b.end, rate) + 1, frameAt(after.pOnset, rate), rate);
        QVERIFY2(sound.isEmpty(), qPrintable(sound + " after the blocked P"));
        const double rr = after.rTime - before.rTime;
        if (wenckebach) {
            // PR grows through the cycle; the RR around the block is less than two
            // sinus intervals, the first after it longer than the last before it.
            QVERIFY(before.qrsOnset - before.pOnset > beats[next - 2].qrsOnset - beats[next - 2].pOnset);
            QVERIFY(before.qrsOnset - before.pOnset - 0.1 > 0.05);
            QVERIFY(rr < 2 * pp - 0.05);
        } else {
            QVERIFY(std::abs(rr - 2 * pp) < 1e-9);
            QVERIFY(std::abs((after.qrsOnset - after.pOnset) - (before.qrsOnset - before.pOnset)) < 1e-9);
        }
    }
}

void TestEcgSynth::stressNoiseRidesOnTheElectrodes()
{
    // The added noise has the asked RMS on the limb leads, keeps Einthoven's
    // relations and joins exactly from piece to piece. (The noise itself, of
    // every kind, is the noise synthesizer's test's.)
    TSynthParams p = cleanRhythm(90, 120);
    const TEcgSynthesizer clean(p);
    p.stressNoise = "ma";
    p.stressNoiseUv = 400.0;
    const TEcgSynthesizer noisy(p);
    const int frames = int(noisy.frameCount());
    std::vector<double> a(size_t(frames) * 14), b(size_t(frames) * 14);
    clean.renderMillivolts(0, frames, a.data());
    noisy.renderMillivolts(0, frames, b.data());
    for (int lead : {I, II, III}) {
        double sum = 0.0;
        for (int f = 0; f < frames; ++f) {
            const double n = b[size_t(f) * 14 + size_t(lead)] - a[size_t(f) * 14 + size_t(lead)];
            sum += n * n;
        }
        const double rmsUv = 1000.0 * std::sqrt(sum / frames);
        QVERIFY2(std::abs(rmsUv / 400.0 - 1.0) < 0.06, qPrintable(QString("lead %1: %2 uV").arg(lead).arg(rmsUv)));
    }
    std::vector<qint16> codes(size_t(frames) * 14), pieces(size_t(frames) * 14);
    for (size_t i = 0; i < codes.size(); ++i)
        codes[i] = qint16(std::lround(b[i] / noisy.codeStepMv()));
    QVERIFY(worstLimbLeadError(codes.data(), noisy.frameCount()) <= 1);
    for (int start = 0; start < frames; start += 777)
        noisy.render(start, std::min(777, frames - start), pieces.data() + size_t(start) * 14);
    QVERIFY(pieces == codes);
}

void TestEcgSynth::atrialFibrillationHasNoPWaves_data()
{
    QTest::addColumn<double>("bpm");
    QTest::addColumn<double>("scatter");
    QTest::newRow("100/min, 30 %") << 100.0 << 0.3;
    QTest::newRow("200/min, 20 %") << 200.0 << 0.2;
}

void TestEcgSynth::atrialFibrillationHasNoPWaves()
{
    // No P waves; fibrillation waves between the beats, never the same twice
    // before a QRS; RR intervals scattered at random over the range asked, about
    // the rate's RR, never short enough to bring a QRS into a T wave.
    QFETCH(double, bpm);
    QFETCH(double, scatter);
    TSynthParams p = cleanRhythm(bpm, 60);
    p.fibrillationMv = 0.1;
    p.fibrillationScatter = scatter;
    const TEcgSynthesizer s(p);
    const std::vector<qint16> codes = renderAll(s);
    const int rate = p.samplingRate;
    const double step = s.codeStepMv();
    const auto& beats = s.beats();
    QVERIFY(beats.size() >= 60);
    const double rr = 60.0 / bpm;
    double sum = 0.0, squares = 0.0, shortest = 1e9, longest = 0.0;
    std::vector<double> before; // lead II over the 40 ms before each QRS, as one row
    for (int k = 1; k < beats.size(); ++k) {
        const TSynthBeat& b = beats[k];
        QVERIFY(b.fibrillation && !b.ventricular && b.pOnset < 0.0);
        QVERIFY2(beats[k - 1].tEnd < b.qrsOnset, qPrintable(QString("T into the QRS at %1 s").arg(b.qrsOnset)));
        const double ratio = (b.rTime - beats[k - 1].rTime) / rr;
        sum += ratio;
        squares += ratio * ratio;
        shortest = std::min(shortest, ratio);
        longest = std::max(longest, ratio);
        double low = 1e9, high = -1e9;
        for (int f = frameAt(b.qrsOnset - 0.040, rate); f < frameAt(b.qrsOnset, rate); ++f) {
            const double v = codes[size_t(f) * 14 + II] * step;
            low = std::min(low, v);
            high = std::max(high, v);
            before.push_back(v);
        }
        QVERIFY2(high - low < 0.4, qPrintable(QString("%1 mV before the QRS at %2 s").arg(high - low).arg(b.qrsOnset)));
    }
    const int n = beats.size() - 1;
    const double mean = sum / n;
    const double sd = std::sqrt(std::max(0.0, squares / n - mean * mean));
    // Uniform over +-scatter: SD scatter / sqrt(3).
    QVERIFY2(std::abs(mean - 1.0) < 0.05, qPrintable(QString::number(mean)));
    QVERIFY2(std::abs(sd - scatter / std::sqrt(3.0)) < 0.04, qPrintable(QString::number(sd)));
    QVERIFY2(longest <= 1.0 + scatter + 1e-9 && longest > 1.0 + 0.7 * scatter, qPrintable(QString::number(longest)));
    QVERIFY2(shortest >= 1.0 - scatter - 1e-9 && shortest < 1.0 - 0.7 * scatter, qPrintable(QString::number(shortest)));
    // Not locked to the QRS: the stretches before the beats average to much less
    // than each of them.
    const int length = int(before.size()) / n;
    double averageRange = 0.0, eachRange = 0.0;
    std::vector<double> average(size_t(length), 0.0);
    for (int k = 0; k < n; ++k) {
        const auto first = before.begin() + long(k) * length;
        eachRange += *std::max_element(first, first + length) - *std::min_element(first, first + length);
        for (int i = 0; i < length; ++i)
            average[size_t(i)] += first[i] / n;
    }
    eachRange /= n;
    QVERIFY2(eachRange > 0.02, qPrintable(QString("fibrillation waves of %1 mV before the QRS").arg(eachRange)));
    averageRange = *std::max_element(average.begin(), average.end()) - *std::min_element(average.begin(), average.end());
    QVERIFY2(averageRange < 0.4 * eachRange, qPrintable(QString("%1 against %2 mV").arg(averageRange).arg(eachRange)));
}

QTEST_GUILESS_MAIN(TestEcgSynth)
#include "tst_ecgsynth.moc"
