#include "StorageTestFiles.h"
#include "TFileSignalBuffer.h"
#include "TSampleFile.h"
#include "TSignalBufferListener.h"

#include <QtTest>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <vector>

namespace {

TAcquisitionFields sevenLeads()
{
    TAcquisitionFields f;
    f.channelCount = 7;
    f.samplingRate = 500;
    f.resolution = 16;
    f.gainMax = 300.0;
    f.channelNames = "I,II,III,aVR,aVL,aVF,V5";
    return f;
}

TAcquisitionFields leads(int channels)
{
    TAcquisitionFields f = sevenLeads();
    f.channelCount = channels;
    QStringList names;
    for (int i = 0; i < channels; ++i)
        names << QString("L%1").arg(i);
    f.channelNames = names.join(',');
    return f;
}

// A new sample file of the given shape holding frames 0..count-1, open.
std::unique_ptr<TFileSignalBuffer> recording(const QString& path, const TAcquisitionFields& fields, int count)
{
    TSampleFile::create(path, fields);
    std::unique_ptr<TFileSignalBuffer> buffer = TSampleFile::open(path);
    appendFrames(*buffer, 0, count);
    return buffer;
}

enum class AppendPath
{
    Frames,
    Channels,
    Doubles
};

void appendBy(TSignalBuffer& buffer, AppendPath path, int first, int count)
{
    const int n = buffer.channelCount();
    if (path == AppendPath::Frames) {
        appendFrames(buffer, first, count);
        return;
    }
    std::vector<std::vector<qint16>> codes(static_cast<size_t>(n), std::vector<qint16>(static_cast<size_t>(count)));
    std::vector<std::vector<double>> doubles(static_cast<size_t>(n), std::vector<double>(static_cast<size_t>(count)));
    std::vector<const qint16*> codePointers;
    std::vector<const double*> doublePointers;
    for (int c = 0; c < n; ++c) {
        for (int i = 0; i < count; ++i) {
            codes[size_t(c)][size_t(i)] = valueOf(c, first + i);
            // Truncated toward zero on the way in.
            const double v = valueOf(c, first + i);
            doubles[size_t(c)][size_t(i)] = v + (v >= 0 ? 0.75 : -0.75);
        }
        codePointers.push_back(codes[size_t(c)].data());
        doublePointers.push_back(doubles[size_t(c)].data());
    }
    if (path == AppendPath::Channels)
        buffer.appendChannels(codePointers.data(), count);
    else
        buffer.appendDoubles(doublePointers.data(), count);
}

struct CountingListener : TSignalBufferListener
{
    void signalAppended() override { ++calls; }
    int calls = 0;
};

QJsonObject headerJson(const QByteArray& area)
{
    QByteArray text = area.mid(6);
    text.truncate(text.indexOf('\0'));
    return QJsonDocument::fromJson(text).object();
}

} // namespace

Q_DECLARE_METATYPE(AppendPath)

class TestSampleFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void headerBytes();
    void newFileRoundTrip();
    void hugePatientKeepsHeaderReadable();
    void unreadableHeader_data();
    void unreadableHeader();
    void headerFillingTheAreaStaysReadable();
    void partialFrameIgnoredThenOverwritten();
    void appendedBlocksReadBack_data();
    void appendedBlocksReadBack();
    void outOfRangeReadsZero();
    void partialPageShowsNewFrames();
    void wholeRecordingThroughEvictingCache();
    void writeErrorCountsWholeFrames();
    void rewrittenHeaderKeepsFrames();

private:
    QString file(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestSampleFile::headerBytes()
{
    const QString path = file("header.cxecg");
    const QJsonObject study{{"id", 12}, {"studyType", "stress"}};
    const QJsonObject patient{{"lastName", "Muñoz"}, {"firstName", "Rex"}};
    TSampleFile::create(path, sevenLeads(), study, patient);
    const QByteArray bytes = readFile(path);
    QCOMPARE(bytes.size(), 4096);
    QCOMPARE(bytes.left(6), QByteArray("CXECG1"));
    QCOMPARE(bytes, TSampleFile::headerArea(sevenLeads(), study, patient));

    const int end = bytes.indexOf('\0');
    QVERIFY(end > 6);
    const QByteArray json = bytes.mid(6, end - 6);
    QVERIFY(!json.contains('\n'));
    QVERIFY(json.contains("Mu\xc3\xb1oz"));
    QCOMPARE(bytes.mid(end), QByteArray(4096 - end, '\0'));

    const QJsonObject root = QJsonDocument::fromJson(json).object();
    QCOMPARE(root.value("study").toObject(), study);
    QCOMPARE(root.value("patient").toObject(), patient);
    const QJsonObject ecg = root.value("ecg").toObject();
    QCOMPARE(ecg.value("sampleFormat").toString(), QString("short"));
    QCOMPARE(ecg.value("samplingRate").toInt(), 500);
    QCOMPARE(ecg.value("resolution").toInt(), 16);
    QCOMPARE(ecg.value("gainMin").toDouble(), -300.0);
    QCOMPARE(ecg.value("gainMax").toDouble(), 300.0);
    QCOMPARE(ecg.value("channels").toArray(),
             QJsonArray::fromStringList({"I", "II", "III", "aVR", "aVL", "aVF", "V5"}));
    QCOMPARE(TSampleFile::path("/data", "rex_20260312"), QString("/data/rex_20260312.cxecg"));
}

void TestSampleFile::newFileRoundTrip()
{
    const QString path = file("round.cxecg");
    TSampleFile::create(path, sevenLeads());
    const std::optional<TAcquisitionFields> back = TSampleFile::readHeader(path);
    QVERIFY(back);
    QVERIFY(*back == sevenLeads());

    std::unique_ptr<TFileSignalBuffer> buffer = TSampleFile::open(path);
    QVERIFY(buffer);
    QCOMPARE(buffer->channelCount(), 7);
    QCOMPARE(buffer->samplingRate(), 500);
    QCOMPARE(buffer->resolution(), 16);
    QCOMPARE(buffer->gainMin(), -300.0);
    QCOMPARE(buffer->gainMax(), 300.0);
    QCOMPARE(buffer->pageSize(), 4096);
    QCOMPARE(buffer->channel(3)->name(), QByteArray("aVR"));
    QCOMPARE(buffer->channelByName("V5"), buffer->channel(6));
    QVERIFY(buffer->isWritable());
    // A new file holds no frames yet.
    QCOMPARE(buffer->length(), 0);
    QCOMPARE(buffer->pageCount(), 0);
    QCOMPARE(buffer->sample(0, 0), 0);
    QVERIFY(!buffer->getPage(0, 0));
    buffer->releaseUnusedPages(true);
    QCOMPARE(buffer->pageCount(), 0);
}

void TestSampleFile::hugePatientKeepsHeaderReadable()
{
    // Copies of the study and patient that cannot fit lose their largest members
    // first; the acquisition fields are always whole.
    const QString huge(6000, QChar(0x00f1)); // two UTF-8 bytes each
    const QJsonObject patient{{"lastName", huge}, {"firstName", "Rex"}, {"notes", QString(3000, 'x')}};
    const QJsonObject study{{"id", 7}, {"comments", QString(2500, 'c')}, {"studyType", "stress"}};
    const QByteArray area = TSampleFile::headerArea(sevenLeads(), study, patient);
    QCOMPARE(area.size(), 4096);
    QVERIFY(area.endsWith('\0'));
    const QJsonObject root = headerJson(area);
    QVERIFY(!root.isEmpty());
    QCOMPARE(root.value("patient").toObject(), QJsonObject({{"firstName", "Rex"}}));
    // Once the two largest are gone the rest fits.
    QCOMPARE(root.value("study").toObject(), study);
    const std::optional<TAcquisitionFields> fields = TSampleFile::parseHeader(area);
    QVERIFY(fields);
    QVERIFY(*fields == sevenLeads());

    // Many small members: dropped one by one until the rest fits.
    QJsonObject many;
    for (int i = 0; i < 400; ++i)
        many.insert(QString("key%1").arg(i, 3, 10, QChar('0')), QString("value %1").arg(i));
    const QByteArray crowded = TSampleFile::headerArea(leads(16), many, many);
    QVERIFY(TSampleFile::parseHeader(crowded));
    const QJsonObject kept = headerJson(crowded);
    QVERIFY(kept.value("study").toObject().size() + kept.value("patient").toObject().size() > 100);
    QVERIFY(QJsonDocument(kept).toJson(QJsonDocument::Compact).size() > 3900);

    // Created and opened as a recording.
    const QString path = file("huge.cxecg");
    TSampleFile::create(path, sevenLeads(), study, patient);
    QVERIFY(TSampleFile::open(path));
}

void TestSampleFile::unreadableHeader_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray magic("CXECG1");
    auto header = [&magic](const QByteArray& ecg) {
        QByteArray a = magic + "{\"study\":{},\"patient\":{},\"ecg\":" + ecg + "}";
        return a + QByteArray(4096 - a.size(), '\0');
    };
    // A well-formed header with the given members changed; an empty value leaves one out.
    auto ecg = [&](const QMap<QByteArray, QByteArray>& changed) {
        const QMap<QByteArray, QByteArray> good{{"sampleFormat", "\"short\""}, {"gainMin", "-300"},
                                                {"gainMax", "300"}, {"channels", "[\"I\",\"II\"]"},
                                                {"samplingRate", "500"}, {"resolution", "16"}};
        QByteArrayList members;
        for (auto it = good.begin(); it != good.end(); ++it) {
            const QByteArray value = changed.value(it.key(), it.value());
            if (!value.isEmpty())
                members << "\"" + it.key() + "\":" + value;
        }
        return header("{" + members.join(',') + "}");
    };
    QVERIFY(TSampleFile::parseHeader(ecg({})));

    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("6-byte file") << magic;
    QTest::newRow("wrong magic") << "CXECG2" + ecg({}).mid(6);
    QTest::newRow("garbage JSON") << header("{\"samplingRate\":500,");
    QTest::newRow("not an object") << magic + "[1,2,3]" + QByteArray(4000, '\0');
    QTest::newRow("empty object") << magic + "{}" + QByteArray(4000, '\0');
    QTest::newRow("no ecg") << magic + "{\"study\":{}}" + QByteArray(4000, '\0');
    QTest::newRow("empty ecg") << header("{}");
    QTest::newRow("ecg not an object") << header("\"short\"");
    QTest::newRow("resolution 0") << ecg({{"resolution", "0"}});
    QTest::newRow("resolution missing") << ecg({{"resolution", ""}});
    QTest::newRow("resolution huge") << ecg({{"resolution", "1e12"}});
    QTest::newRow("sampling rate 0") << ecg({{"samplingRate", "0"}});
    QTest::newRow("sampling rate missing") << ecg({{"samplingRate", ""}});
    QTest::newRow("sampling rate negative") << ecg({{"samplingRate", "-500"}});
    QTest::newRow("sampling rate fractional") << ecg({{"samplingRate", "499.5"}});
    QTest::newRow("sampling rate as text") << ecg({{"samplingRate", "\"500\""}});
    QTest::newRow("sampling rate absurd") << ecg({{"samplingRate", "1000000000"}});
    QTest::newRow("empty channels") << ecg({{"channels", "[]"}});
    QTest::newRow("channel name not text") << ecg({{"channels", "[1,2]"}});
    QByteArrayList seventeen;
    for (int i = 0; i < 17; ++i)
        seventeen << "\"C" + QByteArray::number(i) + "\"";
    QTest::newRow("17 channels") << ecg({{"channels", "[" + seventeen.join(',') + "]"}});
    QTest::newRow("empty sample format") << ecg({{"sampleFormat", "\"\""}});
    QTest::newRow("other sample format") << ecg({{"sampleFormat", "\"double\""}});
    QTest::newRow("empty gain range") << ecg({{"gainMin", "300"}, {"gainMax", "300"}});
    QTest::newRow("gain missing") << ecg({{"gainMin", ""}, {"gainMax", ""}});
    QTest::newRow("gain overflows") << ecg({{"gainMin", "-1e308"}, {"gainMax", "1e308"}});
}

void TestSampleFile::unreadableHeader()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!TSampleFile::parseHeader(bytes));
    const QString path = file("unreadable.cxecg");
    QVERIFY(writeFile(path, bytes));
    QVERIFY(!TSampleFile::readHeader(path));
    QVERIFY(!TSampleFile::open(path));
    QVERIFY(!TSampleFile::open(file("missing.cxecg")));
}

void TestSampleFile::headerFillingTheAreaStaysReadable()
{
    // JSON text (here padded with spaces) up to the last byte of the area, with no
    // zero byte: the frames after it are not taken for header text.
    QByteArray area = TSampleFile::headerArea(sevenLeads(), {}, {});
    const int end = area.indexOf('\0');
    area.replace(end, 4096 - end, QByteArray(4096 - end, ' '));
    QVERIFY(!area.contains('\0'));
    const std::vector<qint16> block = frames(7, 0, 3);
    const QByteArray bytes = area + QByteArray(reinterpret_cast<const char*>(block.data()), 42);
    QVERIFY(TSampleFile::parseHeader(bytes));
    const QString path = file("filled.cxecg");
    QVERIFY(writeFile(path, bytes));
    std::unique_ptr<TFileSignalBuffer> buffer = TSampleFile::open(path);
    QVERIFY(buffer);
    QCOMPARE(buffer->length(), 3);
    QCOMPARE(buffer->sample(0, 0), int(valueOf(0, 0)));
}

void TestSampleFile::partialFrameIgnoredThenOverwritten()
{
    const QString path = file("partial.cxecg");
    recording(path, leads(3), 10);
    // A crash in the middle of a frame.
    QVERIFY(writeFile(path, QByteArray("\x11\x22\x33\x44\x55", 5), true));
    QCOMPARE(QFileInfo(path).size(), 4096 + 10 * 6 + 5);
    {
        std::unique_ptr<TFileSignalBuffer> buffer = TSampleFile::open(path);
        QCOMPARE(buffer->length(), 10);
        QCOMPARE(buffer->sample(2, 9), int(valueOf(2, 9)));
        QCOMPARE(buffer->sample(0, 10), 0);
        appendFrames(*buffer, 10, 4);
        QCOMPARE(buffer->length(), 14);
        QCOMPARE(buffer->sample(0, 10), int(valueOf(0, 10)));
    }
    QCOMPARE(QFileInfo(path).size(), 4096 + 14 * 6);
    std::unique_ptr<TFileSignalBuffer> buffer = TSampleFile::open(path);
    QCOMPARE(buffer->length(), 14);
    QCOMPARE(firstWrongFrame(*buffer, 14), QString());
}

void TestSampleFile::appendedBlocksReadBack_data()
{
    QTest::addColumn<AppendPath>("path");
    QTest::newRow("frames") << AppendPath::Frames;
    QTest::newRow("channels") << AppendPath::Channels;
    QTest::newRow("doubles") << AppendPath::Doubles;
}

void TestSampleFile::appendedBlocksReadBack()
{
    QFETCH(AppendPath, path);
    const QString name = file(QString("blocks%1.cxecg").arg(int(path)));
    TSampleFile::create(name, sevenLeads());
    const int blocks = 250; // 12 750 frames: three whole pages and a partial one
    {
        std::unique_ptr<TFileSignalBuffer> buffer = TSampleFile::open(name);
        CountingListener listener;
        buffer->addListener(&listener);
        for (int b = 0; b < blocks; ++b) {
            appendBy(*buffer, path, b * 51, 51);
            QCOMPARE(buffer->length(), (b + 1) * 51);
        }
        QCOMPARE(listener.calls, blocks);
        QCOMPARE(buffer->pageCount(), 3);
        // Written frames read back at once, before any reopening.
        QCOMPARE(buffer->sample(6, blocks * 51 - 1), int(valueOf(6, blocks * 51 - 1)));
    }
    const int length = blocks * 51;
    QCOMPARE(QFileInfo(name).size(), 4096 + qint64(length) * 14);

    std::unique_ptr<TFileSignalBuffer> buffer = TSampleFile::open(name);
    QCOMPARE(buffer->length(), length);
    std::vector<double> range(static_cast<size_t>(length));
    for (int c = 0; c < 7; ++c) {
        buffer->samples(c, 0, length, range.data());
        for (int i = 0; i < length; ++i) {
            if (buffer->sample(c, i) != valueOf(c, i) || range[size_t(i)] != double(valueOf(c, i)))
                QFAIL(qPrintable(QString("channel %1 index %2").arg(c).arg(i)));
        }
    }
    // Whole pages, then the partial last one once it is made addressable.
    QVERIFY(!buffer->getPage(0, 3));
    buffer->releaseUnusedPages(true);
    QCOMPARE(buffer->pageCount(), 4);
    for (int page = 0; page < 4; ++page) {
        for (int c = 0; c < 7; ++c) {
            const qint16* values = buffer->getInt16Page(c, page);
            QVERIFY(values);
            for (int i = 0; i < 4096; ++i) {
                const int index = page * 4096 + i;
                const qint16 expected = index < length ? valueOf(c, index) : qint16(0);
                if (values[i] != expected)
                    QFAIL(qPrintable(QString("page %1 channel %2 value %3").arg(page).arg(c).arg(i)));
            }
            buffer->releasePage(c, page);
        }
    }
    QVERIFY(!buffer->getPage(7, 0));
    QVERIFY(!buffer->getPage(0, 4));
}

void TestSampleFile::outOfRangeReadsZero()
{
    std::unique_ptr<TFileSignalBuffer> buffer = recording(file("range.cxecg"), leads(2), 100);
    QCOMPARE(buffer->sample(0, -1), 0);
    QCOMPARE(buffer->sample(0, 100), 0);
    QCOMPARE(buffer->sample(2, 5), 0);
    QCOMPARE(buffer->sample(-1, 5), 0);
    QCOMPARE(buffer->sample(1, 99), int(valueOf(1, 99)));
    std::vector<double> out(20, 99.0);
    buffer->samples(1, -5, 10, out.data());
    for (int i = 0; i < 5; ++i)
        QCOMPARE(out[size_t(i)], 0.0);
    for (int i = 5; i < 10; ++i)
        QCOMPARE(out[size_t(i)], double(valueOf(1, i - 5)));
    buffer->samples(0, 95, 20, out.data());
    QCOMPARE(out[4], double(valueOf(0, 99)));
    for (int i = 5; i < 20; ++i)
        QCOMPARE(out[size_t(i)], 0.0);
    buffer->samples(5, 0, 20, out.data());
    QCOMPARE(std::count(out.begin(), out.end(), 0.0), 20L);
}

void TestSampleFile::partialPageShowsNewFrames()
{
    std::unique_ptr<TFileSignalBuffer> buffer = recording(file("growing.cxecg"), leads(2), 100);
    QCOMPARE(buffer->sample(1, 99), int(valueOf(1, 99)));
    buffer->releaseUnusedPages(true);
    const qint16* first = buffer->getInt16Page(1, 0);
    QVERIFY(first);
    QCOMPARE(first[99], valueOf(1, 99));
    QCOMPARE(first[100], qint16(0));
    buffer->releasePage(1, 0);

    appendFrames(*buffer, 100, 50);
    // Served at once by sample(), and by the page once the page sweep has run.
    QCOMPARE(buffer->sample(1, 120), int(valueOf(1, 120)));
    buffer->releaseUnusedPages(true);
    const qint16* grown = buffer->getInt16Page(1, 0);
    QVERIFY(grown);
    QCOMPARE(grown[120], valueOf(1, 120));
    QCOMPARE(grown[150], qint16(0));
    buffer->releasePage(1, 0);

    // Completed: read again as a final page.
    appendFrames(*buffer, 150, 4096 - 150 + 10);
    const qint16* complete = buffer->getInt16Page(1, 0);
    QVERIFY(complete);
    QCOMPARE(complete[4095], valueOf(1, 4095));
    buffer->releasePage(1, 0);
}

void TestSampleFile::wholeRecordingThroughEvictingCache()
{
    // More pages than the cache may hold (its bound is the signal buffer's
    // test): every page still reads right, also once read again after eviction.
    const QString path = file("long.cxecg");
    TSampleFile::create(path, leads(1));
    std::unique_ptr<TFileSignalBuffer> buffer = TSampleFile::open(path);
    const int pages = TSignalBuffer::MaxLoadedPages + 20;
    for (int p = 0; p < pages; ++p)
        appendFrames(*buffer, p * 4096, 4096);
    buffer = TSampleFile::open(path);
    QCOMPARE(buffer->pageCount(), pages);
    for (int p = 0; p < pages; ++p) {
        const qint16* values = buffer->getInt16Page(0, p);
        QVERIFY(values);
        if (values[0] != valueOf(0, p * 4096) || values[4095] != valueOf(0, p * 4096 + 4095))
            QFAIL(qPrintable(QString("page %1").arg(p)));
        buffer->releasePage(0, p);
    }
    QVERIFY(!buffer->isPageLoaded(0, 0));
    const qint16* again = buffer->getInt16Page(0, 0);
    QVERIFY(again);
    QCOMPARE(again[4095], valueOf(0, 4095));
    buffer->releasePage(0, 0);
}

void TestSampleFile::writeErrorCountsWholeFrames()
{
    const QString path = file("full.cxecg");
    std::unique_ptr<TFileSignalBuffer> buffer = recording(path, sevenLeads(), 51);
    CountingListener listener;
    buffer->addListener(&listener);

    // The disk "fills up" 100 bytes into the next block of 51 frames (714 bytes).
    QString message, second;
    {
        const TFileSizeLimit limit(4096 + 51 * 14 + 100);
        QVERIFY(limit.isSet());
        message = exceptionText([&] { appendFrames(*buffer, 51, 51); });
        second = exceptionText([&] { appendFrames(*buffer, 51 + 7, 51); });
    }

    QCOMPARE(message, QString("Write error"));
    QCOMPARE(second, QString("Write error"));
    // 100 bytes hold 7 whole frames; the 2 bytes beyond them are not a frame.
    QCOMPARE(buffer->length(), 51 + 7);
    QCOMPARE(listener.calls, 2);
    QCOMPARE(buffer->sample(6, 57), int(valueOf(6, 57)));
    QCOMPARE(buffer->sample(0, 58), 0);

    // With room again, the next block lands right after the whole frames.
    appendFrames(*buffer, 58, 51);
    QCOMPARE(buffer->length(), 58 + 51);
    QCOMPARE(QFileInfo(path).size(), 4096 + (58 + 51) * 14);
    buffer = TSampleFile::open(path);
    QCOMPARE(buffer->length(), 58 + 51);
    QCOMPARE(firstWrongFrame(*buffer, 58 + 51), QString());
}

void TestSampleFile::rewrittenHeaderKeepsFrames()
{
    const QString path = file("rewrite.cxecg");
    TSampleFile::create(path, sevenLeads(), {{"id", 1}}, {{"lastName", "Old"}});
    {
        std::unique_ptr<TFileSignalBuffer> buffer = TSampleFile::open(path);
        appendFrames(*buffer, 0, 200);
    }
    TSampleFile::writeHeader(path, sevenLeads(), {{"id", 1}}, {{"lastName", "New"}});
    QCOMPARE(headerJson(readFile(path).left(4096)).value("patient").toObject().value("lastName").toString(),
             QString("New"));
    // Another shape would reinterpret the recorded frames: refused.
    QCOMPARE(exceptionText([&] { TSampleFile::writeHeader(path, leads(3), {}, {}); }), QString("Write error"));
    std::unique_ptr<TFileSignalBuffer> buffer = TSampleFile::open(path);
    QCOMPARE(buffer->channelCount(), 7);
    QCOMPARE(buffer->length(), 200);
    QCOMPARE(buffer->sample(5, 199), int(valueOf(5, 199)));

    // Headers that would not read back are not written.
    TAcquisitionFields none = sevenLeads();
    none.channelCount = 0;
    QCOMPARE(exceptionText([&] { TSampleFile::create(file("none.cxecg"), none); }),
             QString("Cannot create sample file"));
    QVERIFY(!QFile::exists(file("none.cxecg")));
}

QTEST_APPLESS_MAIN(TestSampleFile)
#include "tst_samplefile.moc"
