#include "TEcgSynthesizer.h"
#include "TWaveEvaluation.h"
#include "TWavePicture.h"

#include <QtTest>
#include <climits>
#include <cmath>

namespace {

// 16-bit little-endian annotation word: 6-bit code, 10-bit value.
QByteArray word(int code, int value)
{
    const int w = code << 10 | (value & 0x3ff);
    return QByteArray(1, char(w & 0xff)) + QByteArray(1, char(w >> 8));
}

// Writes a synthesized recording as a two-lead WFDB record (format 16) with
// the names given, and delineation marks of every beat from the synthesizer's
// truth in FOLDER/NAME.<each of annotationFiles>: "q1c", as the QT database
// keeps them for both leads, or a file per lead, as LUDB keeps them.
void writeRecord(const QString& folder, const QString& name, const TEcgSynthesizer& synth,
                 const QStringList& descriptions, const QVector<int>& leads,
                 const QStringList& annotationFiles = {"q1c"})
{
    const int rate = synth.params().samplingRate;
    const qint64 frames = synth.frameCount();
    std::vector<qint16> all(size_t(frames) * TEcgSynthesizer::LeadCount);
    synth.render(0, int(frames), all.data());
    QByteArray data;
    for (qint64 f = 0; f < frames; ++f)
        for (int lead : leads) {
            const qint16 v = all[size_t(f) * TEcgSynthesizer::LeadCount + size_t(lead)];
            data += char(v & 0xff);
            data += char((v >> 8) & 0xff);
        }
    QFile dat(folder + "/" + name + ".dat");
    QVERIFY(dat.open(QIODevice::WriteOnly));
    dat.write(data);
    QString header = QString("%1 %2 %3 %4\n").arg(name).arg(leads.size()).arg(rate).arg(frames);
    for (const QString& d : descriptions)
        header += QString("%1.dat 16 %2 16 0 0 0 0 %3\n").arg(name).arg(1.0 / synth.codeStepMv()).arg(d);
    QFile hea(folder + "/" + name + ".hea");
    QVERIFY(hea.open(QIODevice::WriteOnly));
    hea.write(header.toLatin1());

    QByteArray a;
    qint64 at = 0;
    auto mark = [&](int code, double seconds) {
        const qint64 sample = std::llround(seconds * rate);
        QVERIFY(sample - at >= 0 && sample - at < 1024); // no mark further apart than a word holds
        a += word(code, int(sample - at));
        at = sample;
    };
    const int on = 39, off = 40, p = 24, t = 27, n = 1;
    for (const TSynthBeat& b : synth.beats()) {
        if (b.pOnset < 0.5 || b.tEnd > synth.params().durationSeconds - 0.5)
            continue;
        mark(on, b.pOnset), mark(p, b.pOnset + 0.03);
        mark(on, b.qrsOnset), mark(n, b.rTime), mark(off, b.qrsEnd);
        mark(on, b.qrsEnd + 0.06), mark(t, b.tEnd - 0.07), mark(off, b.tEnd);
    }
    a += word(0, 0);
    for (const QString& suffix : annotationFiles) {
        QFile ann(folder + "/" + name + "." + suffix);
        QVERIFY(ann.open(QIODevice::WriteOnly));
        ann.write(a);
    }
}

} // namespace

class TestWaveEvaluation : public QObject
{
    Q_OBJECT

private slots:
    void choosesTheMeasurementLead_data();
    void choosesTheMeasurementLead();
    void measuresTwoLeadRecords_data();
    void measuresTwoLeadRecords();
    void referenceOfTheAnnotatedBeats_data();
    void referenceOfTheAnnotatedBeats();
    void qtcOfSelectedBeats_data();
    void qtcOfSelectedBeats();
    void otherLeadsBeats_data();
    void otherLeadsBeats();
    void otherLeadsOfARecord_data();
    void otherLeadsOfARecord();
    void picturesShowTheWorstStretch();
};

void TestWaveEvaluation::choosesTheMeasurementLead_data()
{
    QTest::addColumn<QStringList>("descriptions");
    QTest::addColumn<QString>("lead");
    QTest::addColumn<int>("channel");
    const QStringList twelve = {"i", "ii", "iii", "avr", "avl", "avf", "v1", "v2", "v3", "v4", "v5", "v6"};
    QTest::newRow("12 leads, default") << twelve << QString() << 1;
    QTest::newRow("12 leads, V5") << twelve << QString("V5") << 10;
    QTest::newRow("12 leads, a lead not recorded") << twelve << QString("CM5") << -1;
    QTest::newRow("modified lead II second") << QStringList{"V5", "MLII"} << QString() << 1;
    QTest::newRow("modified lead II asked for as II") << QStringList{"V1", "ML II"} << QString("II") << 1;
    QTest::newRow("lead II before a modified one") << QStringList{"MLII", "II"} << QString() << 1;
    QTest::newRow("no lead II: the first") << QStringList{"V1", "V5"} << QString() << 0;
    QTest::newRow("no channel") << QStringList{} << QString() << -1;
}

void TestWaveEvaluation::choosesTheMeasurementLead()
{
    QFETCH(QStringList, descriptions);
    QFETCH(QString, lead);
    QFETCH(int, channel);
    QCOMPARE(TWaveEvaluation::leadChannel(descriptions, lead), channel);
}

void TestWaveEvaluation::measuresTwoLeadRecords_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<double>("bpm");
    QTest::newRow("250 per second, 70/min") << 250 << 70.0;
    QTest::newRow("360 per second, 120/min") << 360 << 120.0;
}

void TestWaveEvaluation::measuresTwoLeadRecords()
{
    // A two-lead Holter-like record, 25 s: measured at 10 and 20 s, each over
    // the 20 s before, in the modified lead II, and within the tolerances of
    // the reference the delineation marks give.
    QFETCH(int, rate);
    QFETCH(double, bpm);
    TSynthParams params;
    params.seed = 11;
    params.samplingRate = rate;
    params.durationSeconds = 25.0;
    params.heartRateStart = params.heartRateEnd = bpm;
    const TEcgSynthesizer synth(params);
    QTemporaryDir dir;
    writeRecord(dir.path(), "sel1", synth, {"V5", "MLII"}, {10, 1});

    TWaveEvaluation::Result result;
    QString error;
    QVERIFY2(TWaveEvaluation().evaluate(dir.filePath("sel1"), QString(), "q1c", &result, &error), qPrintable(error));
    QCOMPARE(result.lead, QString("MLII"));
    QVERIFY(result.annotated);
    QCOMPARE(result.stretches.size(), 2);
    QCOMPARE(result.stretches[0].to, 10.0);
    QCOMPARE(result.stretches[1].from, 0.0);
    QCOMPARE(result.stretches[1].to, 20.0);
    for (const TWaveEvaluation::Stretch& s : result.stretches) {
        const QString line = TWaveEvaluation::line(result.lead, s);
        QVERIFY2(line.startsWith(QString("%1 MLII ").arg(s.to, 0, 'f', 3)), qPrintable(line));
        QCOMPARE(line.split(' ').size(), 7);
        // A name with blanks stays one field.
        QCOMPARE(TWaveEvaluation::line(QStringLiteral("record 33,  signal 0"), s).split(' ').value(1),
                 QStringLiteral("record_33,_signal_0"));
        struct Interval
        {
            const char* name;
            std::optional<int> measured;
            std::optional<double> reference;
            double tolerance;
        };
        const Interval intervals[] = {{"PR", s.measured.pr, s.reference.pr, 12.1},
                                      {"QRS", s.measured.qrs, s.reference.qrs, 13.3},
                                      {"QT", s.measured.qt, s.reference.qt, 31.3}};
        for (const Interval& i : intervals) {
            QVERIFY2(i.measured && i.reference, qPrintable(QString("%1 missing: %2").arg(i.name, line)));
            QVERIFY2(std::abs(*i.measured - *i.reference) <= i.tolerance,
                     qPrintable(QString("%1 %2 ms against %3: %4").arg(i.name).arg(*i.measured).arg(*i.reference).arg(line)));
        }
        // The marks give no P end: no P duration to compare, but the tool measures one.
        QVERIFY(!s.reference.p);
        QVERIFY(s.measured.p);
    }
}

void TestWaveEvaluation::referenceOfTheAnnotatedBeats_data()
{
    // Beats at 500 per second, one a second (peak at 1 s, 2 s, ...), QRS 40 ms
    // before the peak; PR 160 ms, QT 400 ms. qrsWidths in ms, 0: no QRS end
    // marked; withP: which beats have a P wave marked.
    QTest::addColumn<QVector<int>>("qrsWidths");
    QTest::addColumn<QVector<bool>>("withP");
    QTest::addColumn<double>("to");
    QTest::addColumn<double>("qrs");
    QTest::addColumn<double>("qrsScatter"); // -1: none
    QTest::addColumn<int>("prBeats");
    QTest::addColumn<QVector<double>>("averaged"); // times of the averaged beats; empty: every beat counts
    QTest::newRow("alternating widths") << QVector<int>{80, 100, 80, 100} << QVector<bool>(4, true) << 10.0 << 90.0
                                        << std::sqrt(400.0 / 3.0) << 4 << QVector<double>{};
    QTest::newRow("two beats: a mean, no scatter") << QVector<int>{80, 100} << QVector<bool>(2, true) << 10.0 << 90.0
                                                    << -1.0 << 2 << QVector<double>{};
    QTest::newRow("beats after the stretch left out")
        << QVector<int>{80, 80, 80, 200} << QVector<bool>(4, true) << 4.0 << 80.0 << 0.0 << 3 << QVector<double>{};
    QTest::newRow("a beat without its QRS end, one without P")
        << QVector<int>{80, 0, 100, 90} << QVector<bool>{true, false, true, true} << 10.0 << 90.0 << 10.0 << 3 << QVector<double>{};
    // Beats at 1, 2, 3 and 4 s; the second and the fourth (a premature beat of
    // another shape, say) were not averaged: only the first and third count.
    QTest::newRow("only the averaged beats")
        << QVector<int>{80, 140, 100, 160} << QVector<bool>{true, true, true, false} << 10.0 << 90.0 << -1.0 << 2
        << QVector<double>{1.05, 2.9};
}

void TestWaveEvaluation::referenceOfTheAnnotatedBeats()
{
    QFETCH(QVector<int>, qrsWidths);
    QFETCH(QVector<bool>, withP);
    QFETCH(double, to);
    QFETCH(double, qrs);
    QFETCH(double, qrsScatter);
    QFETCH(int, prBeats);
    QFETCH(QVector<double>, averaged);
    const double rate = 500.0;
    QVector<TAnnotatedBeat> beats;
    for (int i = 0; i < qrsWidths.size(); ++i) {
        TAnnotatedBeat b;
        b.qrs.peak = (i + 1) * 500;
        b.qrs.onset = b.qrs.peak - 20;
        if (qrsWidths[i] > 0)
            b.qrs.end = b.qrs.onset + qrsWidths[i] / 2;
        if (withP[i])
            b.p = {b.qrs.onset - 80, b.qrs.onset - 60, b.qrs.onset - 30};
        b.t = {b.qrs.onset + 100, b.qrs.onset + 150, b.qrs.onset + 200};
        beats.append(b);
    }
    const std::vector<double> times(averaged.begin(), averaged.end());
    const TWaveEvaluation::Reference r =
        TWaveEvaluation::reference(beats, rate, 0.5, to, averaged.isEmpty() ? nullptr : &times);
    QVERIFY(r.qrs);
    QCOMPARE(*r.qrs, qrs);
    QCOMPARE(r.qrsScatter.has_value(), qrsScatter >= 0.0);
    if (qrsScatter >= 0.0)
        QVERIFY2(std::abs(*r.qrsScatter - qrsScatter) < 1e-9, qPrintable(QString::number(*r.qrsScatter)));
    QCOMPARE(*r.pr, 160.0);
    QCOMPARE(*r.qt, 400.0);
    // Every PR is 160 ms: no scatter, where there are beats enough to tell.
    QCOMPARE(r.prScatter.has_value(), prBeats >= 3);
    if (r.prScatter)
        QCOMPARE(*r.prScatter + 1.0, 1.0);
}

void TestWaveEvaluation::qtcOfSelectedBeats_data()
{
    // Annotated complexes at these seconds, every QT 400 ms; detected: the
    // beats found (empty: not given).
    QTest::addColumn<QVector<double>>("annotated");
    QTest::addColumn<QVector<double>>("detected");
    QTest::addColumn<double>("qtc"); // -1: none
    const QVector<double> everySecond{1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("every beat annotated") << QVector<double>{1, 2, 3, 4} << everySecond << 400.0;
    QTest::newRow("without the detected beats every interval counts")
        << QVector<double>{1, 3, 5, 6} << QVector<double>{} << 400.0 / std::sqrt(2.0);
    QTest::newRow("beats found between two annotated ones break the interval")
        << QVector<double>{1, 3, 5, 6} << everySecond << 400.0;
    QTest::newRow("no two annotated beats follow each other")
        << QVector<double>{1, 3, 5, 7} << everySecond << -1.0;
    QTest::newRow("a beat found within the match is the annotated one")
        << QVector<double>{1, 2, 3} << QVector<double>{1.1, 1.95, 3.05} << 400.0;
}

void TestWaveEvaluation::qtcOfSelectedBeats()
{
    QFETCH(QVector<double>, annotated);
    QFETCH(QVector<double>, detected);
    QFETCH(double, qtc);
    const double rate = 250.0;
    QVector<TAnnotatedBeat> beats;
    for (double t : annotated) {
        TAnnotatedBeat b;
        b.qrs.peak = qint64(std::lround(t * rate));
        b.qrs.onset = b.qrs.peak - 10;
        b.qrs.end = b.qrs.peak + 10;
        b.t = {b.qrs.onset + 50, b.qrs.onset + 75, b.qrs.onset + 100};
        beats.append(b);
    }
    const std::vector<double> times(detected.begin(), detected.end());
    const TWaveEvaluation::Reference r =
        TWaveEvaluation::reference(beats, rate, 0.0, 10.0, nullptr, detected.isEmpty() ? nullptr : &times);
    QCOMPARE(r.qtc.has_value(), qtc >= 0.0);
    if (qtc >= 0.0)
        QVERIFY2(std::abs(*r.qtc - qtc) < 1e-9, qPrintable(QString::number(*r.qtc)));
}

void TestWaveEvaluation::otherLeadsBeats_data()
{
    // One beat of the measurement lead, R at sample 1000; each other lead marks
    // it with its R peakShifts[i] samples off and every onset and end
    // offsets[i] samples off the own lead's (INT_MIN: that lead has no such marks).
    QTest::addColumn<QVector<int>>("peakShifts");
    QTest::addColumn<QVector<int>>("offsets");
    QTest::addColumn<int>("expected"); // the median offset; INT_MIN: none
    QTest::newRow("median of three") << QVector<int>{0, 3, -2} << QVector<int>{-4, 10, 2} << 2;
    QTest::newRow("lower median of four") << QVector<int>{0, 0, 0, 0} << QVector<int>{8, -6, 0, 4} << 0;
    QTest::newRow("two leads are too few") << QVector<int>{0, 0} << QVector<int>{2, 4} << INT_MIN;
    QTest::newRow("a beat beyond the match is another beat")
        << QVector<int>{0, 1, 51} << QVector<int>{2, 4, 6} << INT_MIN;
    QTest::newRow("a lead without the marks")
        << QVector<int>{0, 0, 0, 0} << QVector<int>{INT_MIN, 6, -2, 12} << 6;
}

void TestWaveEvaluation::otherLeadsBeats()
{
    QFETCH(QVector<int>, peakShifts);
    QFETCH(QVector<int>, offsets);
    QFETCH(int, expected);
    auto beatAt = [](qint64 peak, int offset) {
        auto at = [offset](qint64 sample) { return offset == INT_MIN ? qint64(-1) : sample + offset; };
        TAnnotatedBeat b;
        b.p = {at(820), 850, at(880)};
        b.qrs = {at(980), peak, at(1040)};
        b.t = {at(1150), 1250, at(1300)};
        return b;
    };
    const QVector<TAnnotatedBeat> own = {beatAt(1000, 0)};
    QVector<QVector<TAnnotatedBeat>> others;
    // Each lead also has a beat a second later, which must not be taken for this one.
    for (int i = 0; i < peakShifts.size(); ++i)
        others.append({beatAt(1000 + peakShifts[i], offsets[i]), beatAt(1500, 0)});
    const QVector<TAnnotatedBeat> beats = TWaveEvaluation::otherLeadsBeats(own, others, 50);
    QCOMPARE(beats.size(), 1);
    const TAnnotatedBeat& b = beats[0];
    QCOMPARE(b.qrs.peak, qint64(1000));
    const TAnnotatedBeat want = beatAt(1000, expected);
    QCOMPARE(b.p.onset, want.p.onset);
    QCOMPARE(b.p.end, want.p.end);
    QCOMPARE(b.qrs.onset, want.qrs.onset);
    QCOMPARE(b.qrs.end, want.qrs.end);
    QCOMPARE(b.t.end, want.t.end);
}

void TestWaveEvaluation::otherLeadsOfARecord_data()
{
    QTest::addColumn<bool>("oneUnreadable");
    QTest::newRow("every lead annotated") << false;
    QTest::newRow("one lead's file unreadable") << true;
}

void TestWaveEvaluation::otherLeadsOfARecord()
{
    // A four-lead record with a LUDB-like annotation file per lead, all alike:
    // the other leads' reference is the lead's own, unless too few leads are read.
    QFETCH(bool, oneUnreadable);
    TSynthParams params;
    params.seed = 5;
    params.samplingRate = 500;
    params.durationSeconds = 10.0;
    const TEcgSynthesizer synth(params);
    QTemporaryDir dir;
    writeRecord(dir.path(), "7", synth, {"i", "ii", "iii", "v5"}, {0, 1, 2, 10}, {"i", "ii", "v5"});
    if (oneUnreadable)
        QVERIFY(QDir(dir.path()).mkdir("7.iii")); // exists, but cannot be read as a file
    else
        QVERIFY(QFile::copy(dir.filePath("7.ii"), dir.filePath("7.iii")));

    TWaveEvaluation::Result result;
    QString error;
    QVERIFY2(TWaveEvaluation().evaluate(dir.filePath("7"), QString(), QString(), &result, &error), qPrintable(error));
    QCOMPARE(result.lead, QString("II"));
    QCOMPARE(result.otherLeads, oneUnreadable ? 2 : 3);
    QCOMPARE(result.stretches.size(), 1);
    const TWaveEvaluation::Stretch& s = result.stretches[0];
    QVERIFY(s.reference.qrs && s.reference.qt);
    QCOMPARE(s.otherLeads.beats, oneUnreadable ? 0 : s.reference.beats);
    if (!oneUnreadable) {
        QCOMPARE(*s.otherLeads.qrs, *s.reference.qrs);
        QCOMPARE(*s.otherLeads.qt, *s.reference.qt);
        QCOMPARE(*s.otherLeads.pr, *s.reference.pr);
    } else {
        QVERIFY(!s.otherLeads.qrs);
    }
}

void TestWaveEvaluation::picturesShowTheWorstStretch()
{
    // Three stretches, the second without kept averages: the picture is of the
    // one whose error is largest in tolerances (a QRS 30 ms off outweighs a QT
    // 35 ms off), and shows its trace and its measured and annotated points.
    TWaveEvaluation::Result result;
    result.name = QStringLiteral("rec");
    TWaveEvaluation::Averages a;
    a.rate = 250;
    a.rIndex = 75;
    a.channel = 0;
    a.names = QStringList{QStringLiteral("II"), QStringLiteral("V5")};
    std::vector<double> beat(250, 0.0);
    for (int i = 70; i < 80; ++i)
        beat[size_t(i)] = 100.0 * (5 - std::abs(i - 75));
    a.leads = {beat, beat};
    a.measured.setValue(QStringLiteral("QRSOnset"), -0.04);
    a.measured.setValue(QStringLiteral("QRSOffset"), 0.04);
    a.qrsOnset = -0.05;
    a.qrsEnd = 0.03;
    for (int k = 0; k < 3; ++k) {
        TWaveEvaluation::Stretch s;
        s.from = 10.0 * k;
        s.to = s.from + 10.0;
        s.reference.beats = 8;
        s.reference.qrs = 80.0;
        s.reference.qt = 400.0;
        s.measured.qrs = k == 2 ? 110 : 80;
        s.measured.qt = k == 0 ? 435 : 400;
        if (k != 1)
            s.averages = a;
        result.stretches.append(s);
    }
    QCOMPARE(TWavePicture::worstStretch(result), 2);
    result.stretches[2].averages = TWaveEvaluation::Averages();
    QCOMPARE(TWavePicture::worstStretch(result), 0);
    QCOMPARE(TWavePicture::worstStretch(TWaveEvaluation::Result()), -1);

    const QImage image = TWavePicture::draw(result, result.stretches[0]);
    QVERIFY(image.width() > 500 && image.height() > 400);
    // The trace's peak is dark at the fiducial point; the QRS onset's line has its colour.
    int dark = 0, red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            dark += c.lightness() < 60;
            red += c.red() > 150 && c.green() < 60 && c.blue() < 60;
        }
    QVERIFY(dark > 200);
    QVERIFY(red > 200);

    // The same as numbers: the points in ms from R ("-" where none), then a row
    // per sample with every lead in mV.
    result.stretches[0].averages.mvPerCode = 0.01;
    const QStringList lines = TWavePicture::table(result, result.stretches[0]).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3 + 1 + 250);
    QVERIFY2(lines[1].contains("QRSOnset -40 QRSOffset 40 TOffset -"), qPrintable(lines[1]));
    QVERIFY2(lines[2].contains("QRSOnset -50 QRSOffset 30 TOffset -"), qPrintable(lines[2]));
    QCOMPARE(lines[3], QStringLiteral("ms,II,V5"));
    QCOMPARE(lines[4], QStringLiteral("-300,0.0000,0.0000"));
    QCOMPARE(lines[4 + 75], QStringLiteral("0,5.0000,5.0000"));
    QCOMPARE(lines[4 + 76], QStringLiteral("4,4.0000,4.0000"));
    QVERIFY(TWavePicture::table(result, TWaveEvaluation::Stretch()).isEmpty());
}

QTEST_MAIN(TestWaveEvaluation)
#include "tst_waveevaluation.moc"
