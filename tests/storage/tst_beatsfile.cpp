#include "StorageTestFiles.h"
#include "TBeat.h"
#include "TBeatsFile.h"
#include "TException.h"
#include "TFileBeatStore.h"
#include "TRingSignalBuffer.h"

#include <QtEndian>
#include <QtTest>
#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace {

// A buffer that gives the beats their channel count.
std::unique_ptr<TSignalBuffer> buffer(int channels)
{
    return std::make_unique<TRingSignalBuffer<qint16>>(4096, 4096, channels, 500);
}

// Distinct values in every field. Times are exact in binary, so they compare
// exactly; the lead RR is whole seconds and the flags whole numbers, so that
// everything reads back unchanged.
TBeat fullBeat(const TSignalBuffer* buffer, int seed)
{
    TBeat b(0, buffer);
    b.setWindowStart(seed + 0.125);
    b.setWindowLength(0.75);
    b.setValue(TBeat::Time, seed + 0.5);
    b.setValue(TBeat::RR, 0.8125);
    b.setValue(TBeat::MeanRR, 0.84375);
    b.setValue(TBeat::Extra, 0.0625);
    b.setLabel(seed - 7);
    for (int k = 0; k < b.leadCount(); ++k) {
        b.setLeadValue(k, TBeat::LeadRR, 1.0 + k);
        for (int i = TBeat::POnset; i <= TBeat::WaveTime5; ++i)
            b.setLeadValue(k, i, seed + 0.25 + 0.0078125 * i + 0.0009765625 * k);
        b.setLeadValue(k, TBeat::DetectionFlag, 1.0);
        b.setLeadValue(k, TBeat::Flag7, 2.0 + k);
        b.setLeadValue(k, TBeat::Flag8, -3.0 - k);
        for (int i = TBeat::Interval9; i <= TBeat::Interval11; ++i)
            b.setLeadValue(k, i, 0.015625 * i + k);
    }
    return b;
}

// The first field in which two beats differ, or an empty text.
QString difference(const TBeat& a, const TBeat& b)
{
    auto same = [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); };
    if (a.number() != b.number())
        return QString("number %1 / %2").arg(a.number()).arg(b.number());
    if (a.buffer() != b.buffer())
        return "buffer";
    for (int i = 0; i < 2; ++i)
        if (!same(a.timeValue(i), b.timeValue(i)))
            return QString("time value %1").arg(i);
    for (int i = 0; i < TBeat::BeatValueCount; ++i)
        if (a.hasValue(i) != b.hasValue(i) || !same(a.value(i), b.value(i)))
            return QString("beat value %1: %2 %3 / %4 %5")
                .arg(i).arg(a.hasValue(i)).arg(a.value(i)).arg(b.hasValue(i)).arg(b.value(i));
    for (int k = 0; k < TBeat::MaxLeads; ++k)
        for (int i = 0; i < TBeat::LeadValueCount; ++i)
            if (a.hasLeadValue(k, i) != b.hasLeadValue(k, i) || !same(a.leadValue(k, i), b.leadValue(k, i)))
                return QString("lead %1 value %2: %3 %4 / %5 %6")
                    .arg(k).arg(i).arg(a.hasLeadValue(k, i)).arg(a.leadValue(k, i))
                    .arg(b.hasLeadValue(k, i)).arg(b.leadValue(k, i));
    if (a.label() != b.label())
        return "label";
    if (a.beatClass() != b.beatClass())
        return "class";
    return QString();
}

double doubleAt(const QByteArray& bytes, int offset)
{
    const quint64 bits = qFromLittleEndian<quint64>(bytes.constData() + offset);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

qint32 int32At(const QByteArray& bytes, int offset)
{
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

qint16 int16At(const QByteArray& bytes, int offset)
{
    return qFromLittleEndian<qint16>(bytes.constData() + offset);
}

bool zeroAt(const QByteArray& bytes, int offset, int count)
{
    return bytes.mid(offset, count) == QByteArray(count, '\0');
}

QString appendError(TBeatStore& store, const TBeat& beat)
{
    return exceptionText([&] { store.append(beat); });
}

// A new beats file holding fullBeat first..first+count-1, closed again.
void writeBeats(const QString& path, const TSignalBuffer* samples, int first, int count)
{
    TBeatsFile::create(path, samples->channelCount());
    std::unique_ptr<TFileBeatStore> store = TBeatsFile::open(path, samples);
    for (int i = first; i < first + count; ++i)
        store->append(fullBeat(samples, i));
}

// The first of count beats in the store that is not fullBeat of its number,
// described, or an empty text. Read backwards on request, which crosses the
// blocks of records the other way.
QString firstWrongBeat(const TBeatStore& store, const TSignalBuffer* samples, int count, bool backwards = false)
{
    for (int n = 0; n < count; ++n) {
        const int i = backwards ? count - 1 - n : n;
        TBeat expected = fullBeat(samples, i);
        expected.setNumber(i);
        const QString d = difference(store.beat(i), expected);
        if (!d.isEmpty())
            return QString("beat %1: %2").arg(i).arg(d);
    }
    return QString();
}

enum class Search
{
    Nearest,
    Next,
    Previous,
    BeatAt
};

} // namespace

Q_DECLARE_METATYPE(Search)

class TestBeatsFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void recordLayout_data();
    void recordLayout();
    void absentValuesLayout();
    void roundTrip_data();
    void roundTrip();
    void valuesThatReadBackAbsent_data();
    void valuesThatReadBackAbsent();
    void extremeValuesSaturate_data();
    void extremeValuesSaturate();
    void createWritesHeaderArea();
    void createRefuses_data();
    void createRefuses();
    void notABeatsFile_data();
    void notABeatsFile();
    void appendedBeatsReadBack();
    void partialRecordIgnoredThenOverwritten();
    void writeErrorKeepsRecordsAligned();
    void readOnlyFileGivesReadOnlyStore();
    void firstBeatsReplaced();
    void failedReplacementLeavesFileAsItWas();
    void searches_data();
    void searches();

private:
    QString file(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestBeatsFile::recordLayout_data()
{
    QTest::addColumn<int>("channels");
    QTest::newRow("1 lead") << 1;
    QTest::newRow("7 leads") << 7;
    QTest::newRow("16 leads") << 16;
}

void TestBeatsFile::recordLayout()
{
    QFETCH(int, channels);
    // The beat carries 16 leads; only the file's channels are stored.
    TBeat beat = fullBeat(nullptr, 40);
    for (int k = 0; k < TBeat::MaxLeads; ++k) {
        beat.setLeadValue(k, TBeat::LeadRR, k % 2 ? -2.75 - k : 2.75 + k); // truncated toward zero
        beat.setLeadValue(k, TBeat::Flag7, 5.9);
        beat.setLeadValue(k, TBeat::Flag8, -4.9);
    }
    beat.setLabel(-123456);
    const QByteArray r = TBeatsFile::encode(beat, channels);
    QCOMPARE(r.size(), 56 + 80 * channels);
    QCOMPARE(TBeatsFile::recordSize(channels), 56 + 80 * channels);

    QCOMPARE(doubleAt(r, 0), 40.125);
    QCOMPARE(doubleAt(r, 8), 0.75);
    QCOMPARE(doubleAt(r, 16), 40.5);
    QCOMPARE(doubleAt(r, 24), 0.8125);
    QCOMPARE(doubleAt(r, 32), 0.84375);
    QCOMPARE(doubleAt(r, 40), 0.0625);
    QCOMPARE(int32At(r, 48), -123456);
    QVERIFY(zeroAt(r, 52, 4));
    for (int k = 0; k < channels; ++k) {
        const int at = 56 + 80 * k;
        QCOMPARE(int32At(r, at), qint32(k % 2 ? -2 - k : 2 + k));
        QVERIFY(zeroAt(r, at + 4, 4));
        for (int i = 1; i <= 5; ++i)
            QCOMPARE(doubleAt(r, at + 8 * i), 40.25 + 0.0078125 * i + 0.0009765625 * k);
        QCOMPARE(int16At(r, at + 48), qint16(5));  // value 7
        QCOMPARE(int16At(r, at + 50), qint16(1));  // value 6, the detection flag
        QCOMPARE(int16At(r, at + 52), qint16(-4)); // value 8
        QVERIFY(zeroAt(r, at + 54, 2));
        for (int i = 9; i <= 11; ++i)
            QCOMPARE(doubleAt(r, at + 56 + 8 * (i - 9)), 0.015625 * i + k);
    }
}

void TestBeatsFile::absentValuesLayout()
{
    // A new beat: per-beat values hold -1.0, lead value 0 holds -1, every other
    // lead field is zero.
    TBeat beat(3);
    beat.setLeadValue(1, TBeat::POnset, 2.5);
    beat.clearLeadValue(1, TBeat::POnset);
    const QByteArray r = TBeatsFile::encode(beat, 2);
    QCOMPARE(r.size(), 216);
    QCOMPARE(doubleAt(r, 0), 0.0);
    QCOMPARE(doubleAt(r, 8), 0.0);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(doubleAt(r, 16 + 8 * i), -1.0);
    QCOMPARE(int32At(r, 48), 0);
    for (int k = 0; k < 2; ++k) {
        QCOMPARE(int32At(r, 56 + 80 * k), -1);
        QVERIFY(zeroAt(r, 56 + 80 * k + 4, 76));
    }
    QVERIFY(TBeatsFile::encode(beat, 0).isEmpty());
    QVERIFY(TBeatsFile::encode(beat, 17).isEmpty());
}

void TestBeatsFile::roundTrip_data()
{
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("kind");
    QTest::newRow("new beat, 1 lead") << 1 << 0;
    QTest::newRow("new beat, 16 leads") << 16 << 0;
    QTest::newRow("every value, 3 leads") << 3 << 1;
    QTest::newRow("every value, 16 leads") << 16 << 1;
    QTest::newRow("some values, 7 leads") << 7 << 2;
}

void TestBeatsFile::roundTrip()
{
    QFETCH(int, channels);
    QFETCH(int, kind);
    const std::unique_ptr<TSignalBuffer> samples = buffer(channels);
    TBeat beat(0, samples.get());
    if (kind == 1)
        beat = fullBeat(samples.get(), 12);
    if (kind == 2) {
        // A beat as the detector gives it early on: mean RR known as 0.0, one
        // lead without a P wave, another that did not detect the beat.
        beat = fullBeat(samples.get(), 5);
        beat.setValue(TBeat::MeanRR, 0.0);
        beat.clearValue(TBeat::Extra);
        beat.clearLeadValue(2, TBeat::POnset);
        beat.clearLeadValue(4, TBeat::DetectionFlag);
        beat.clearLeadValue(4, TBeat::Fiducial);
        beat.clearLeadValue(6, TBeat::LeadRR);
        beat.clearLeadValue(6, TBeat::Interval10);
    }
    beat.setBeatClass(1);
    beat.setNumber(41);
    const QByteArray r = TBeatsFile::encode(beat, channels);
    const TBeat back = TBeatsFile::decode(r.constData(), channels, 41, samples.get());
    QCOMPARE(difference(back, beat), QString());
}

void TestBeatsFile::valuesThatReadBackAbsent_data()
{
    // Values the file cannot tell from absent ones; lead 1 of a 2-lead file.
    QTest::addColumn<bool>("perBeat");
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("present");
    QTest::addColumn<double>("readBack");
    QTest::newRow("beat value -1.0") << true << int(TBeat::Extra) << -1.0 << false << -1.0;
    QTest::newRow("beat value 0.0") << true << int(TBeat::MeanRR) << 0.0 << true << 0.0;
    QTest::newRow("beat value -0.5") << true << int(TBeat::RR) << -0.5 << true << -0.5;
    QTest::newRow("lead RR under a second") << false << int(TBeat::LeadRR) << 0.8 << false << -1.0;
    QTest::newRow("lead RR 2.6 s") << false << int(TBeat::LeadRR) << 2.6 << true << 2.0;
    QTest::newRow("lead RR negative") << false << int(TBeat::LeadRR) << -3.0 << false << -1.0;
    QTest::newRow("lead time 0.0") << false << int(TBeat::QrsOnset) << 0.0 << false << -1.0;
    QTest::newRow("lead time negative") << false << int(TBeat::POnset) << -0.125 << true << -0.125;
    QTest::newRow("detection flag 0") << false << int(TBeat::DetectionFlag) << 0.0 << false << -1.0;
    QTest::newRow("flag 0.5") << false << int(TBeat::Flag7) << 0.5 << false << -1.0;
    QTest::newRow("flag -1.5") << false << int(TBeat::Flag8) << -1.5 << true << -1.0;
    QTest::newRow("interval 0.0") << false << int(TBeat::Interval11) << 0.0 << false << -1.0;
    QTest::newRow("interval 0.04") << false << int(TBeat::Interval9) << 0.04 << true << 0.04;
}

void TestBeatsFile::valuesThatReadBackAbsent()
{
    QFETCH(bool, perBeat);
    QFETCH(int, index);
    QFETCH(double, value);
    QFETCH(bool, present);
    QFETCH(double, readBack);
    const std::unique_ptr<TSignalBuffer> samples = buffer(2);
    TBeat beat(0, samples.get());
    perBeat ? beat.setValue(index, value) : beat.setLeadValue(1, index, value);
    const TBeat back = TBeatsFile::decode(TBeatsFile::encode(beat, 2).constData(), 2, 0, samples.get());
    QCOMPARE(perBeat ? back.hasValue(index) : back.hasLeadValue(1, index), present);
    QCOMPARE(perBeat ? back.value(index) : back.leadValue(1, index), readBack);
    // Nothing else changed.
    const auto clear = [&](TBeat& b) { perBeat ? b.clearValue(index) : b.clearLeadValue(1, index); };
    TBeat rest = back;
    clear(beat);
    clear(rest);
    QCOMPARE(difference(rest, beat), QString());
}

void TestBeatsFile::extremeValuesSaturate_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<qint32>("int32");
    QTest::addColumn<qint16>("int16");
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 0 << qint16(0);
    QTest::newRow("+inf") << inf << std::numeric_limits<qint32>::max() << qint16(32767);
    QTest::newRow("-inf") << -inf << std::numeric_limits<qint32>::min() << qint16(-32768);
    QTest::newRow("1e300") << 1e300 << std::numeric_limits<qint32>::max() << qint16(32767);
    QTest::newRow("-1e300") << -1e300 << std::numeric_limits<qint32>::min() << qint16(-32768);
    QTest::newRow("2^31") << 2147483648.0 << std::numeric_limits<qint32>::max() << qint16(32767);
    QTest::newRow("-2^31 - 1") << -2147483649.0 << std::numeric_limits<qint32>::min() << qint16(-32768);
    QTest::newRow("2^31 - 1.5") << 2147483646.5 << 2147483646 << qint16(32767);
    QTest::newRow("32768") << 32768.0 << 32768 << qint16(32767);
    QTest::newRow("-32768.9") << -32768.9 << -32768 << qint16(-32768);
    QTest::newRow("32766.99") << 32766.99 << 32766 << qint16(32766);
    QTest::newRow("denormal") << 4.9e-324 << 0 << qint16(0);
}

void TestBeatsFile::extremeValuesSaturate()
{
    QFETCH(double, value);
    QFETCH(qint32, int32);
    QFETCH(qint16, int16);
    TBeat beat;
    beat.setWindowStart(value);
    for (int i = 0; i < TBeat::BeatValueCount; ++i)
        beat.setValue(i, value);
    for (int k = 0; k < 2; ++k)
        for (int i = 0; i < TBeat::LeadValueCount; ++i)
            beat.setLeadValue(k, i, value);
    const QByteArray r = TBeatsFile::encode(beat, 2);
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int k = 0; k < 2; ++k) {
        const int at = 56 + 80 * k;
        QCOMPARE(int32At(r, at), int32);
        QCOMPARE(int16At(r, at + 48), int16);
        QCOMPARE(int16At(r, at + 50), int16);
        QCOMPARE(int16At(r, at + 52), int16);
        // Doubles are kept bit for bit.
        for (int offset : {at + 8, at + 40, at + 56, at + 72})
            QCOMPARE(qFromLittleEndian<quint64>(r.constData() + offset), bits);
    }
    QCOMPARE(qFromLittleEndian<quint64>(r.constData() + 16), bits);
    const TBeat back = TBeatsFile::decode(r.constData(), 2, 0, nullptr);
    QVERIFY(back.time() == value || (std::isnan(back.time()) && std::isnan(value)));
    QVERIFY(back.windowStart() == value || (std::isnan(back.windowStart()) && std::isnan(value)));
    QCOMPARE(back.hasLeadValue(0, TBeat::LeadRR), int32 > 0);
    QCOMPARE(back.hasLeadValue(1, TBeat::Flag8), int16 != 0);
}

void TestBeatsFile::createWritesHeaderArea()
{
    const QString path = file("header.cxbeats");
    QVERIFY(writeFile(path, QByteArray(5000, 'x')));
    TBeatsFile::create(path, 7);
    const QByteArray bytes = readFile(path);
    QCOMPARE(bytes.size(), 256);
    QCOMPARE(bytes.left(8), QByteArray("CXBEATS1"));
    QVERIFY(zeroAt(bytes, 8, 248));
    QCOMPARE(TBeatsFile::path("/data", "rex_20260312"), QString("/data/rex_20260312.cxbeats"));

    const std::unique_ptr<TSignalBuffer> samples = buffer(7);
    std::unique_ptr<TFileBeatStore> store = TBeatsFile::open(path, samples.get());
    QVERIFY(store);
    QCOMPARE(store->count(), 0);
    QCOMPARE(store->channelCount(), 7);
    QVERIFY(store->isWritable());
    QCOMPARE(store->first(), -1);
    QCOMPARE(store->nearest(1.0), -1);
    QCOMPARE(store->beat(0).number(), 0);
    QVERIFY(!store->beat(0).hasValue(TBeat::Time));
}

void TestBeatsFile::createRefuses_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("channels");
    QTest::newRow("no channels") << "none.cxbeats" << 0;
    QTest::newRow("negative") << "negative.cxbeats" << -1;
    QTest::newRow("17 channels") << "many.cxbeats" << 17;
    QTest::newRow("missing folder") << "missing/folder.cxbeats" << 7;
}

void TestBeatsFile::createRefuses()
{
    QFETCH(QString, path);
    QFETCH(int, channels);
    QCOMPARE(exceptionText([&] { TBeatsFile::create(file(path), channels); }), QString("Cannot create beats file"));
    QVERIFY(!QFile::exists(file(path)));
}

void TestBeatsFile::notABeatsFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("channels");
    QTest::newRow("empty file") << QByteArray() << 7;
    QTest::newRow("magic only") << QByteArray("CXBEATS1") << 7;
    QTest::newRow("255 bytes") << QByteArray("CXBEATS1") + QByteArray(247, '\0') << 7;
    QTest::newRow("other magic") << QByteArray("CXBEATS2") + QByteArray(248 + 616, '\0') << 7;
    QTest::newRow("sample file") << QByteArray("CXECG1{}") + QByteArray(4088, '\0') << 7;
    QTest::newRow("no samples") << QByteArray("CXBEATS1") + QByteArray(248, '\0') << 0;
}

void TestBeatsFile::notABeatsFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, channels);
    const QString path = file("unreadable.cxbeats");
    QVERIFY(writeFile(path, bytes));
    const std::unique_ptr<TSignalBuffer> samples = channels > 0 ? buffer(channels) : nullptr;
    QVERIFY(!TBeatsFile::open(path, samples.get()));
    QVERIFY(!TBeatsFile::open(file("missing.cxbeats"), buffer(7).get()));
    // The file is left as it was.
    QCOMPARE(readFile(path), bytes);
}

void TestBeatsFile::appendedBeatsReadBack()
{
    // More beats than one block of records, read while appending, after
    // reopening, forwards and backwards.
    const QString path = file("many.cxbeats");
    TBeatsFile::create(path, 3);
    const std::unique_ptr<TSignalBuffer> samples = buffer(3);
    const int n = 300;
    {
        std::unique_ptr<TFileBeatStore> store = TBeatsFile::open(path, samples.get());
        for (int i = 0; i < n; ++i) {
            store->append(fullBeat(samples.get(), i));
            QCOMPARE(store->count(), i + 1);
            // The newest beat reads back at once, also when it lands in the
            // block read for the one before.
            if (i > 0)
                QCOMPARE(store->beat(i - 1).time(), i - 0.5);
            QCOMPARE(store->beat(i).time(), i + 0.5);
        }
        QCOMPARE(store->last(), n - 1);
    }
    QCOMPARE(QFileInfo(path).size(), 256 + qint64(n) * 296);
    std::unique_ptr<TFileBeatStore> store = TBeatsFile::open(path, samples.get());
    QCOMPARE(store->count(), n);
    QCOMPARE(firstWrongBeat(*store, samples.get(), n, true), QString());
    QCOMPARE(store->beat(n).number(), 0);
    QVERIFY(!store->beat(n).hasValue(TBeat::Time));
    QVERIFY(!store->beat(-1).hasValue(TBeat::Time));
    QCOMPARE(store->beat(7).buffer(), samples.get());
}

void TestBeatsFile::partialRecordIgnoredThenOverwritten()
{
    const QString path = file("partial.cxbeats");
    const std::unique_ptr<TSignalBuffer> samples = buffer(2);
    writeBeats(path, samples.get(), 0, 5);
    // A crash in the middle of a record.
    QVERIFY(writeFile(path, QByteArray(100, '\x7f'), true));
    QCOMPARE(QFileInfo(path).size(), 256 + 5 * 216 + 100);
    {
        std::unique_ptr<TFileBeatStore> store = TBeatsFile::open(path, samples.get());
        QCOMPARE(store->count(), 5);
        QCOMPARE(store->beat(4).time(), 4.5);
        QCOMPARE(store->next(4.5), -1);
        store->append(fullBeat(samples.get(), 5));
        store->append(fullBeat(samples.get(), 6));
        QCOMPARE(store->count(), 7);
        QCOMPARE(store->beat(5).time(), 5.5);
    }
    QCOMPARE(QFileInfo(path).size(), 256 + 7 * 216);
    std::unique_ptr<TFileBeatStore> store = TBeatsFile::open(path, samples.get());
    QCOMPARE(store->count(), 7);
    QCOMPARE(firstWrongBeat(*store, samples.get(), 7), QString());
}

void TestBeatsFile::writeErrorKeepsRecordsAligned()
{
    const QString path = file("full.cxbeats");
    const std::unique_ptr<TSignalBuffer> samples = buffer(7);
    writeBeats(path, samples.get(), 0, 1);
    std::unique_ptr<TFileBeatStore> store = TBeatsFile::open(path, samples.get());

    // The disk "fills up" 100 bytes into the second record (616 bytes).
    QString first, second;
    {
        const TFileSizeLimit limit(256 + 616 + 100);
        QVERIFY(limit.isSet());
        first = appendError(*store, fullBeat(samples.get(), 1));
        second = appendError(*store, fullBeat(samples.get(), 1));
    }

    QCOMPARE(first, QString("Write error"));
    QCOMPARE(second, QString("Write error"));
    QCOMPARE(store->count(), 1);
    QCOMPARE(store->nearest(100.0), 0);

    // With room again, the record lands right after the whole ones.
    store->append(fullBeat(samples.get(), 1));
    store->append(fullBeat(samples.get(), 2));
    QCOMPARE(store->count(), 3);
    QCOMPARE(QFileInfo(path).size(), 256 + 3 * 616);
    store = TBeatsFile::open(path, samples.get());
    QCOMPARE(store->count(), 3);
    QCOMPARE(firstWrongBeat(*store, samples.get(), 3), QString());
}

void TestBeatsFile::firstBeatsReplaced()
{
    // The beats of a recording's first seconds, found after it, take the place
    // of those stored live then: more than a block of records on each side of
    // the cut, a crash's partial record behind.
    const QString path = file("replace.cxbeats");
    TBeatsFile::create(path, 3);
    const std::unique_ptr<TSignalBuffer> samples = buffer(3);
    const int early = 90;    // found after the recording
    const int replaced = 70; // stored live, replaced
    const int kept = 80;     // stored live, kept
    {
        std::unique_ptr<TFileBeatStore> store = TBeatsFile::open(path, samples.get());
        for (int i = 0; i < replaced; ++i) {
            TBeat unsettled = fullBeat(samples.get(), 2 * i);
            unsettled.setLabel(999);
            store->append(unsettled);
        }
        for (int i = early; i < early + kept; ++i)
            store->append(fullBeat(samples.get(), i));
    }
    QVERIFY(writeFile(path, QByteArray(50, '\x7f'), true));
    std::unique_ptr<TFileBeatStore> store = TBeatsFile::open(path, samples.get());
    QCOMPARE(store->count(), replaced + kept);
    // A block of records read before must not be served after.
    QCOMPARE(store->beat(3).label(), 999);
    std::vector<TBeat> beats;
    for (int i = 0; i < early; ++i)
        beats.push_back(fullBeat(samples.get(), i));
    store->replaceFirst(replaced, beats);
    const int n = early + kept;
    QCOMPARE(store->count(), n);
    QVERIFY(store->isWritable());
    QCOMPARE(firstWrongBeat(*store, samples.get(), n), QString());
    QCOMPARE(store->nearest(early - 0.6), early - 1);
    QCOMPARE(store->next(0.0), 0);
    // Nothing to replace changes nothing; the store goes on appending.
    store->replaceFirst(0, {});
    store->append(fullBeat(samples.get(), n));
    QCOMPARE(QFileInfo(path).size(), 256 + qint64(n + 1) * 296);
    store = TBeatsFile::open(path, samples.get());
    QCOMPARE(store->count(), n + 1);
    QCOMPARE(firstWrongBeat(*store, samples.get(), n + 1), QString());

    // The same on a beat list in memory; beyond the count replaces them all.
    TMemoryBeatStore memory;
    memory.append(fullBeat(samples.get(), 9));
    memory.replaceFirst(5, {fullBeat(samples.get(), 0), fullBeat(samples.get(), 1)});
    QCOMPARE(memory.count(), 2);
    QCOMPARE(memory.beat(1).time(), 1.5);
}

void TestBeatsFile::failedReplacementLeavesFileAsItWas()
{
    const QString path = file("prependfull.cxbeats");
    const std::unique_ptr<TSignalBuffer> samples = buffer(7);
    writeBeats(path, samples.get(), 2, 3);
    std::unique_ptr<TFileBeatStore> store = TBeatsFile::open(path, samples.get());
    const QByteArray before = readFile(path);

    // The disk "fills up" while the new file is written.
    QString error;
    {
        const TFileSizeLimit limit(256 + 3 * 616 + 100);
        QVERIFY(limit.isSet());
        error = exceptionText([&] { store->replaceFirst(1, {fullBeat(samples.get(), 0), fullBeat(samples.get(), 1)}); });
    }
    QCOMPARE(error, QString("Write error"));
    QCOMPARE(store->count(), 3);
    QCOMPARE(store->beat(0).time(), 2.5);
    QCOMPARE(readFile(path), before);
    // Nothing is left beside it, and the store still works.
    QCOMPARE(QDir(QFileInfo(path).path()).entryList({"prependfull*"}, QDir::Files), QStringList{"prependfull.cxbeats"});
    store->replaceFirst(0, {fullBeat(samples.get(), 0), fullBeat(samples.get(), 1)});
    store->append(fullBeat(samples.get(), 5));
    store = TBeatsFile::open(path, samples.get());
    QCOMPARE(store->count(), 6);
    QCOMPARE(firstWrongBeat(*store, samples.get(), 6), QString());
}

void TestBeatsFile::readOnlyFileGivesReadOnlyStore()
{
    const QString path = file("readonly.cxbeats");
    const std::unique_ptr<TSignalBuffer> samples = buffer(2);
    writeBeats(path, samples.get(), 0, 3);
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    QVERIFY(QFile::setPermissions(m_dir.path(), QFile::permissions(m_dir.path()) | QFile::ExeOther | QFile::ExeGroup));
    // Checked in a child process, which leaves root's rights behind first.
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(10);
        std::unique_ptr<TFileBeatStore> store = TBeatsFile::open(path, samples.get());
        if (!store)
            _exit(11);
        if (store->isWritable())
            _exit(12);
        if (store->count() != 3 || store->beat(2).time() != 2.5 || store->nearest(1.4) != 1)
            _exit(13);
        if (appendError(*store, fullBeat(samples.get(), 3)) != QLatin1String("Write error"))
            _exit(14);
        if (store->count() != 3)
            _exit(15);
        _exit(0);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(QFileInfo(path).size(), 256 + 3 * 216);
}

void TestBeatsFile::searches_data()
{
    QTest::addColumn<Search>("search");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("expected");
    // Beat times 0.5, 1.5, ... 99.5 (one block and a half of records).
    QTest::newRow("nearest before the first") << Search::Nearest << -3.0 << 0;
    QTest::newRow("nearest after the last") << Search::Nearest << 250.0 << 99;
    QTest::newRow("nearest, tie goes earlier") << Search::Nearest << 70.0 << 69;
    QTest::newRow("nearest just past a tie") << Search::Nearest << 70.01 << 70;
    QTest::newRow("nearest on a beat") << Search::Nearest << 64.5 << 64;
    QTest::newRow("next from a beat") << Search::Next << 64.5 << 65;
    QTest::newRow("next before the first") << Search::Next << 0.0 << 0;
    QTest::newRow("next after the last") << Search::Next << 99.5 << -1;
    QTest::newRow("previous from a beat") << Search::Previous << 64.5 << 63;
    QTest::newRow("previous before the first") << Search::Previous << 0.5 << -1;
    QTest::newRow("previous after the last") << Search::Previous << 1000.0 << 99;
    QTest::newRow("beat within tolerance") << Search::BeatAt << 10.6 << 10;
    QTest::newRow("beat beyond tolerance") << Search::BeatAt << 10.8 << -1;
}

void TestBeatsFile::searches()
{
    QFETCH(Search, search);
    QFETCH(double, seconds);
    QFETCH(int, expected);
    const QString path = file("search.cxbeats");
    const std::unique_ptr<TSignalBuffer> samples = buffer(1);
    writeBeats(path, samples.get(), 0, 100);
    TMemoryBeatStore memory;
    for (int i = 0; i < 100; ++i)
        memory.append(fullBeat(samples.get(), i));
    std::unique_ptr<TFileBeatStore> store = TBeatsFile::open(path, samples.get());
    for (const TBeatStore* s : {static_cast<const TBeatStore*>(store.get()), static_cast<const TBeatStore*>(&memory)}) {
        int found = -2;
        switch (search) {
        case Search::Nearest: found = s->nearest(seconds); break;
        case Search::Next: found = s->next(seconds); break;
        case Search::Previous: found = s->previous(seconds); break;
        case Search::BeatAt: found = s->beatAt(seconds, 0.2); break;
        }
        QCOMPARE(found, expected);
    }
}

QTEST_APPLESS_MAIN(TestBeatsFile)
#include "tst_beatsfile.moc"
