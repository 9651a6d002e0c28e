#include "TBeatMatcher.h"
#include "TWaveAnnotations.h"
#include "TWfdbAnnotations.h"
#include "TWfdbRecord.h"
#include "TestFiles.h"

#include <QtTest>

namespace {

// 16-bit little-endian annotation word: 6-bit code, 10-bit value.
QByteArray word(int code, int value)
{
    const int w = code << 10 | (value & 0x3ff);
    return QByteArray(1, char(w & 0xff)) + QByteArray(1, char(w >> 8));
}

QString mitdb()
{
    const QString dir = qEnvironmentVariable("VELMORA_SHARED_DIR") + "/data/mitdb";
    return QFileInfo::exists(dir + "/101.hea") ? dir : QString();
}

} // namespace

class TestWfdb : public QObject
{
    Q_OBJECT

private slots:
    void readsFormat212();
    void readsFormat16();
    void refusesWhatItCannotRead_data();
    void refusesWhatItCannotRead();
    void decodesAnnotations();
    void groupsWaveAnnotations();
    void matching_data();
    void matching();
    void readsMitBihRecord();
};

void TestWfdb::readsFormat212()
{
    // Two signals, three frames: (100, -1), (2047, -2048), (0, 1).
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("r.hea"), "r 2 360 3\nr.dat 212 200 11 1024 0 0 0 MLII\nr.dat 212 100(10)/mV 11 0 0 0 0 V1\n"));
    QByteArray data;
    auto pair = [&](int a, int b) {
        a &= 0xfff;
        b &= 0xfff;
        data.append(char(a & 0xff));
        data.append(char((a >> 8) | ((b >> 8) << 4)));
        data.append(char(b & 0xff));
    };
    pair(100, -1);
    pair(2047, -2048);
    pair(0, 1);
    QVERIFY(writeFile(dir.filePath("r.dat"), data));
    TWfdbRecord record;
    QString error;
    QVERIFY2(record.read(dir.filePath("r"), &error), qPrintable(error));
    QCOMPARE(record.signalCount(), 2);
    QCOMPARE(record.samplingRate(), 360.0);
    QCOMPARE(record.sampleCount(), qint64(3));
    QCOMPARE(record.adc(0, 0), 100);
    QCOMPARE(record.adc(1, 0), -1);
    QCOMPARE(record.adc(0, 1), 2047);
    QCOMPARE(record.adc(1, 1), -2048);
    QCOMPARE(record.adc(1, 2), 1);
    QCOMPARE(record.signal(0).description, QString("MLII"));
    QCOMPARE(record.millivolts(0, 0), (100 - 1024) / 200.0); // baseline is the ADC zero
    QCOMPARE(record.millivolts(1, 2), (1 - 10) / 100.0);     // explicit baseline
}

void TestWfdb::readsFormat16()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("s.hea"), "s 1 500\ns.dat 16 1000 16 0 0 0 0 I\n"));
    QByteArray data;
    for (qint16 v : {qint16(-30000), qint16(12), qint16(32767)}) {
        data.append(char(v & 0xff));
        data.append(char((quint16(v) >> 8) & 0xff));
    }
    QVERIFY(writeFile(dir.filePath("s.dat"), data));
    TWfdbRecord record;
    QString error;
    QVERIFY2(record.read(dir.filePath("s"), &error), qPrintable(error));
    QCOMPARE(record.sampleCount(), qint64(3)); // from the file when the header has none
    QCOMPARE(record.adc(0, 0), -30000);
    QCOMPARE(record.adc(0, 2), 32767);
    QCOMPARE(record.millivolts(0, 1), 0.012);
}

void TestWfdb::refusesWhatItCannotRead_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::newRow("no header") << QByteArray();
    QTest::newRow("format 80") << QByteArray("r 1 250\nr.dat 80 200 8 0 0 0 0 I\n");
    QTest::newRow("missing signal line") << QByteArray("r 2 250\nr.dat 16 200 16 0 0 0 0 I\n");
    QTest::newRow("bad signal count") << QByteArray("r x 250\n");
    QTest::newRow("two files") << QByteArray("r 2 250\nr.dat 16\nq.dat 16\n");
}

void TestWfdb::refusesWhatItCannotRead()
{
    QFETCH(QByteArray, header);
    QTemporaryDir dir;
    if (!header.isEmpty())
        QVERIFY(writeFile(dir.filePath("r.hea"), header));
    QVERIFY(writeFile(dir.filePath("r.dat"), QByteArray(12, 0)));
    TWfdbRecord record;
    QString error;
    QVERIFY(!record.read(dir.filePath("r"), &error));
    QVERIFY(!error.isEmpty());
}

void TestWfdb::decodesAnnotations()
{
    QTemporaryDir dir;
    QByteArray a;
    a += word(28, 5);           // rhythm at 5 (not a beat)
    a += word(63, 3) + QByteArray("(N\0\0", 4); // its aux text, 3 bytes padded to 4
    a += word(1, 100);          // normal beat at 105
    a += word(61, 2);           // subtype for the next
    a += word(5, 300);          // PVC at 405, subtype 2
    a += word(59, 0);           // skip 70000 samples, high word first
    a += word(0, 1) + word(0x1111 >> 10, 0x1111 & 0x3ff);
    a += word(14, 0);           // noise at 405 + 70000
    a += word(62, 1);           // channel 1 from here
    a += word(12, 20);          // paced beat
    a += word(0, 0);            // end
    a += word(1, 1);            // never read
    QVERIFY(writeFile(dir.filePath("r.atr"), a));
    TWfdbAnnotations annotations;
    QString error;
    QVERIFY(annotations.read(dir.filePath("r.atr"), &error));
    const auto& list = annotations.annotations();
    QCOMPARE(list.size(), 5);
    QCOMPARE(list[0].code, 28);
    QCOMPARE(list[1].sample, qint64(105));
    QCOMPARE(list[2].sample, qint64(405));
    QCOMPARE(list[2].subtype, 2);
    QCOMPARE(list[1].subtype, 0);
    QCOMPARE(list[3].sample, qint64(405 + 65536 + 0x1111));
    QCOMPARE(list[4].channel, 1);
    QCOMPARE(annotations.beatSamples(), (QVector<qint64>{105, 405, 405 + 65536 + 0x1111 + 20}));
    QVERIFY(!TWfdbAnnotations::isBeat(37)); // non-conducted P wave
    QVERIFY(TWfdbAnnotations::isBeat(13));
}

void TestWfdb::groupsWaveAnnotations()
{
    // Delineation marks as LUDB writes them: a first QRS without its P wave, a
    // whole beat, a beat whose P has no onset and whose T has no end, a P wave
    // that no QRS follows, and a last QRS without its T.
    QTemporaryDir dir;
    QByteArray a;
    int at = 0;
    auto mark = [&](int code, int sample) {
        a += word(code, sample - at);
        at = sample;
    };
    const int on = 39, off = 40, p = 24, t = 27, n = 1;
    mark(on, 100), mark(n, 120), mark(off, 140), mark(on, 200), mark(t, 260), mark(off, 300);
    mark(on, 400), mark(p, 420), mark(off, 440), mark(on, 470), mark(n, 490), mark(off, 515);
    mark(on, 560), mark(t, 620), mark(off, 665);
    mark(p, 780), mark(off, 800), mark(on, 830), mark(n, 850), mark(off, 870), mark(on, 920), mark(t, 980);
    mark(on, 1100), mark(p, 1120), mark(off, 1140);
    mark(on, 1300), mark(p, 1320), mark(off, 1340), mark(on, 1370), mark(n, 1390), mark(off, 1410);
    a += word(0, 0);
    QVERIFY(writeFile(dir.filePath("r.ii"), a));
    TWfdbAnnotations annotations;
    QString error;
    QVERIFY2(annotations.read(dir.filePath("r.ii"), &error), qPrintable(error));
    const QVector<TAnnotatedBeat> beats = TWaveAnnotations::beats(annotations);
    QCOMPARE(beats.size(), 4);
    QCOMPARE(beats[0].p.present(), false);
    QCOMPARE(beats[0].qrs.onset, qint64(100));
    QCOMPARE(beats[0].qrs.end, qint64(140));
    QCOMPARE(beats[0].t.end, qint64(300));
    QCOMPARE(beats[1].p.onset, qint64(400));
    QCOMPARE(beats[1].p.end, qint64(440));
    QCOMPARE(beats[1].qrs.onset, qint64(470));
    QCOMPARE(beats[1].t.peak, qint64(620));
    QCOMPARE(beats[2].p.onset, qint64(-1));
    QCOMPARE(beats[2].p.end, qint64(800));
    QCOMPARE(beats[2].t.onset, qint64(920));
    QCOMPARE(beats[2].t.end, qint64(-1));
    // The P wave that no QRS followed is not the next beat's.
    QCOMPARE(beats[3].p.peak, qint64(1320));
    QCOMPARE(beats[3].qrs.end, qint64(1410));
    QCOMPARE(beats[3].t.present(), false);
}

void TestWfdb::matching_data()
{
    QTest::addColumn<QVector<qint64>>("reference");
    QTest::addColumn<QVector<qint64>>("detected");
    QTest::addColumn<int>("tp");
    QTest::addColumn<int>("fn");
    QTest::addColumn<int>("fp");
    QTest::newRow("all within the window") << QVector<qint64>{100, 500, 900} << QVector<qint64>{110, 450, 1050} << 3 << 0 << 0;
    QTest::newRow("just outside") << QVector<qint64>{100} << QVector<qint64>{251} << 0 << 1 << 1;
    QTest::newRow("one detection for two beats") << QVector<qint64>{100, 200} << QVector<qint64>{150} << 1 << 1 << 0;
    QTest::newRow("closest pair wins") << QVector<qint64>{100, 300} << QVector<qint64>{190, 290} << 2 << 0 << 0;
    QTest::newRow("double detection") << QVector<qint64>{1000} << QVector<qint64>{990, 1020} << 1 << 0 << 1;
    QTest::newRow("nothing detected") << QVector<qint64>{1, 2, 3} << QVector<qint64>{} << 0 << 3 << 0;
}

void TestWfdb::matching()
{
    QFETCH(QVector<qint64>, reference);
    QFETCH(QVector<qint64>, detected);
    QFETCH(int, tp);
    QFETCH(int, fn);
    QFETCH(int, fp);
    const TBeatMatch m = TBeatMatcher::match(reference, detected, 150);
    QCOMPARE(m.truePositives, tp);
    QCOMPARE(m.falseNegatives, fn);
    QCOMPARE(m.falsePositives, fp);
}

void TestWfdb::readsMitBihRecord()
{
    const QString dir = mitdb();
    if (dir.isEmpty())
        QSKIP("no MIT-BIH recordings in ../shared/data/mitdb");
    TWfdbRecord record;
    QString error;
    QVERIFY2(record.read(dir + "/101", &error), qPrintable(error));
    QCOMPARE(record.sampleCount(), qint64(650000));
    QCOMPARE(record.signal(0).description, QString("MLII"));
    QCOMPARE(record.adc(0, 0), record.signal(0).initialValue);
    QCOMPARE(record.adc(1, 0), record.signal(1).initialValue);
    TWfdbAnnotations annotations;
    QVERIFY(annotations.read(dir + "/101.atr", &error));
    QCOMPARE(annotations.beatSamples().size(), 1865); // the database's own beat count for 101
}

QTEST_GUILESS_MAIN(TestWfdb)
#include "tst_wfdb.moc"
