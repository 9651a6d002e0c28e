#include "StorageTestFiles.h"
#include "TRecordFile.h"

#include <QtTest>
#include "TStudyResults.h"
#include "TTrend.h"
#include "TValueArray.h"

#include <cmath>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <zlib.h>

namespace {

TStudyRecord sampleRecord()
{
    TStudyRecord r = TStudyRecord::newStudy(TStudyRecord::StressTest,
                                            {"Muñoz", "Rex", "6", "", "M", "H123", ""}, "Bruce",
                                            QDateTime(QDate(2026, 3, 12), QTime(9, 45, 1)));
    r.id = 77;
    r.setProperty("baseFilename", TStudyRecord::makeBaseFilename(r));
    r.setProperty("conclusion", "Sin alteraciones — normal");
    r.events.append({"Stage 2", 180.0, 0.0, true});
    r.riskFactors.append({"Obesidad", true, "leve"});
    for (int i = 0; i < 50; ++i)
        r.results.trend("BPMTrend")->append(i * 0.75, 80.0 + i);
    TProtocol p;
    p.setName("Bruce");
    p.appendStage(TProtocolStage::Exercise, 180.0, 2.7, 10.0);
    r.protocol = p;
    return r;
}

// Inflates a zlib stream with zlib itself, independent of the framework.
QByteArray inflateAll(const QByteArray& stream, uLong expectedSize)
{
    QByteArray out(int(expectedSize), '\0');
    uLongf size = expectedSize;
    const int rc = ::uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                                reinterpret_cast<const Bytef*>(stream.constData()), uLong(stream.size()));
    if (rc != Z_OK)
        return QByteArray("inflate failed");
    out.resize(int(size));
    return out;
}

QByteArray compactJson(const char* json)
{
    return QJsonDocument::fromJson(json).toJson(QJsonDocument::Compact);
}

} // namespace

class TestRecordFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void byteLayout();
    void roundTrip();
    void notAStudy_data();
    void notAStudy();
    void version1LoadsAndSavesAsVersion2();
    void statedLengthIsOnlyAHint();
    void pathForm();
    void cannotCreate();
    void writeErrorKeepsOldFile();
    void resultsText_data();
    void resultsText();

private:
    QString file(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestRecordFile::byteLayout()
{
    const TStudyRecord r = sampleRecord();
    const QString path = file("layout.cxstudy");
    TRecordFile::write(r, path);
    const QByteArray bytes = readFile(path);
    QCOMPARE(bytes.left(8), QByteArray("CXSTUDY2"));
    const QByteArray json = QJsonDocument(TStudyRecord::toJson(r)).toJson(QJsonDocument::Compact);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + 8;
    const uLong length = (uLong(p[0]) << 24) | (uLong(p[1]) << 16) | (uLong(p[2]) << 8) | uLong(p[3]);
    QCOMPARE(length, uLong(json.size()));
    // A zlib header (deflate, 32K window) follows the length.
    QCOMPARE(int(p[4]) & 0x0f, 8);
    QCOMPARE(((int(p[4]) << 8) | int(p[5])) % 31, 0);
    const QByteArray plain = inflateAll(bytes.mid(12), length);
    // The document of the record (its members in any order).
    QCOMPARE(QJsonDocument::fromJson(plain).object(), TStudyRecord::toJson(r));
    // UTF-8, compact.
    QVERIFY(plain.contains("Mu\xc3\xb1oz"));
    QVERIFY(!plain.contains('\n'));
    QVERIFY(!plain.contains(": "));
}

void TestRecordFile::roundTrip()
{
    const TStudyRecord r = sampleRecord();
    const QString path = file("round.cxstudy");
    TRecordFile::write(r, path);
    const std::optional<TStudyRecord> back = TRecordFile::read(path);
    QVERIFY(back);
    QVERIFY(*back == r);
    // Saving over an existing file replaces it.
    TStudyRecord changed = *back;
    changed.setProperty("status", "report");
    TRecordFile::write(changed, path);
    QCOMPARE(TRecordFile::read(path)->property("status"), QString("report"));
    QCOMPARE(QDir(m_dir.path()).entryList({"round*"}, QDir::Files), QStringList{"round.cxstudy"});
}

void TestRecordFile::notAStudy_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray study = compactJson(R"({"study":{"id":5},"patient":{}})");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("seven bytes") << QByteArray("CXSTUDY");
    QTest::newRow("magic v2 only") << QByteArray("CXSTUDY2");
    QTest::newRow("magic v1 only") << QByteArray("CXSTUDY1");
    QTest::newRow("other version") << QByteArray("CXSTUDY3") + study;
    QTest::newRow("lower case magic") << QByteArray("cxstudy1") + study;
    QTest::newRow("plain JSON, no magic") << study;
    QTest::newRow("v1, not JSON") << QByteArray("CXSTUDY1") + "study";
    QTest::newRow("v1, array") << QByteArray("CXSTUDY1") + "[1,2]";
    QTest::newRow("v1, no study object") << QByteArray("CXSTUDY1") + R"({"patient":{"lastName":"x"}})";
    QTest::newRow("v1, study not an object") << QByteArray("CXSTUDY1") + R"({"study":"x"})";
    QTest::newRow("v1, trailing garbage") << QByteArray("CXSTUDY1") + study + "}";
    QTest::newRow("v1 magic, compressed body") << QByteArray("CXSTUDY1") + qCompress(study);
    QTest::newRow("v2, plain body") << QByteArray("CXSTUDY2") + study;
    QTest::newRow("v2, three bytes") << QByteArray("CXSTUDY2") + QByteArray("\0\0\1", 3);
    QTest::newRow("v2, length only") << QByteArray("CXSTUDY2") + QByteArray("\0\0\0\x10", 4);
    QTest::newRow("v2, truncated stream") << QByteArray("CXSTUDY2") + qCompress(study).chopped(3);
    QByteArray flipped = qCompress(study);
    flipped[flipped.size() / 2] = char(flipped[flipped.size() / 2] ^ 0x55);
    QTest::newRow("v2, damaged stream") << QByteArray("CXSTUDY2") + flipped;
    QTest::newRow("v2, compressed array") << QByteArray("CXSTUDY2") + qCompress("[]");
    QTest::newRow("v2, compressed empty") << QByteArray("CXSTUDY2") + qCompress(QByteArray());
    QTest::newRow("v2, no study object") << QByteArray("CXSTUDY2") + qCompress(R"({"patient":{}})");
}

void TestRecordFile::notAStudy()
{
    QFETCH(QByteArray, bytes);
    const QString path = file("bad.cxstudy");
    QVERIFY(writeFile(path, bytes));
    QVERIFY(!TRecordFile::readObject(path));
    QVERIFY(!TRecordFile::read(path));
    QVERIFY(!TRecordFile::parse(bytes));
}

void TestRecordFile::version1LoadsAndSavesAsVersion2()
{
    const TStudyRecord r = sampleRecord();
    const QString path = file("old.cxstudy");
    QVERIFY(writeFile(path, "CXSTUDY1" + QJsonDocument(TStudyRecord::toJson(r)).toJson()));
    const std::optional<TStudyRecord> loaded = TRecordFile::read(path);
    QVERIFY(loaded);
    QVERIFY(*loaded == r);
    TRecordFile::write(*loaded, path);
    QCOMPARE(readFile(path).left(8), QByteArray("CXSTUDY2"));
    QVERIFY(*TRecordFile::read(path) == r);
    // A file without a study stays missing when asked.
    QVERIFY(!TRecordFile::read(file("missing.cxstudy")));
}

void TestRecordFile::statedLengthIsOnlyAHint()
{
    // Other writers of the format may state a wrong length; the framework's own
    // reader accepts that too.
    const QByteArray json = compactJson(R"({"study":{"id":9}})");
    for (quint32 stated : {0u, 1u, 0xffffffffu}) {
        QByteArray body = qCompress(json);
        body[0] = char(stated >> 24);
        body[1] = char(stated >> 16);
        body[2] = char(stated >> 8);
        body[3] = char(stated);
        const std::optional<TStudyRecord> r = TRecordFile::parse("CXSTUDY2" + body);
        QVERIFY(r);
        QCOMPARE(r->id, 9);
    }
}

void TestRecordFile::pathForm()
{
    QCOMPARE(TRecordFile::path("/data/root", "H1-Rex-20260312094501"),
             QString("/data/root/H1-Rex-20260312094501.cxstudy"));
    QCOMPARE(TRecordFile::path("/r", "%1%2"), QString("/r/%1%2.cxstudy"));
}

void TestRecordFile::cannotCreate()
{
    QCOMPARE(exceptionText([&] { TRecordFile::write(sampleRecord(), file("no/such/folder/x.cxstudy")); }),
             QString("Cannot create study file"));
    // A folder in the file's place.
    QVERIFY(QDir(m_dir.path()).mkpath("folder.cxstudy"));
    QVERIFY_EXCEPTION_THROWN(TRecordFile::write(sampleRecord(), file("folder.cxstudy")), TException);
}

void TestRecordFile::writeErrorKeepsOldFile()
{
    const QString path = file("keep.cxstudy");
    TStudyRecord old = sampleRecord();
    TRecordFile::write(old, path);
    const QByteArray before = readFile(path);

    // A record whose file exceeds the process's file size limit.
    TStudyRecord big = sampleRecord();
    quint32 x = 12345;
    for (int i = 0; i < 20000; ++i) {
        x = x * 1664525u + 1013904223u;
        big.results.trend("DPTrend")->append(i, double(x) / 7.0);
    }
    QVERIFY(TRecordFile::encode(TStudyRecord::toJson(big)).size() > 64 * 1024);

    QString message;
    {
        const TFileSizeLimit limit(16 * 1024);
        QVERIFY(limit.isSet());
        message = exceptionText([&] { TRecordFile::write(big, path); });
    }
    QCOMPARE(message, QString("Write error"));
    QCOMPARE(readFile(path), before);
    QVERIFY(*TRecordFile::read(path) == old);
    QCOMPARE(QDir(m_dir.path()).entryList({"keep*"}, QDir::Files | QDir::Hidden), QStringList{"keep.cxstudy"});
}

QTEST_APPLESS_MAIN(TestRecordFile)
void TestRecordFile::resultsText_data()
{
    QTest::addColumn<QByteArray>("json"); // results as another version of the program wrote them
    QTest::newRow("standard set") << QByteArray("{}");
    QTest::newRow("values") << QByteArray(R"({"maxBPM":{"type":"value","value":212},"PAmp":{"type":"value","value":-0.125}})");
    QTest::newRow("arrays") << QByteArray(R"({"BPMPerStage":{"type":"valueArray","values":[90,120.5,1e-7,123456789012]}})");
    QTest::newRow("trend") << QByteArray(R"({"BPMTrend":{"type":"trend","timestamps":[0.004,1.5,3600.25],"values":[79.79,80,-3]}})");
    QTest::newRow("unknown names kept") << QByteArray(R"({"Odd "name"\
é":{"type":"value","value":1},"Other":{"type":"trend","timestamps":[1],"values":[2]}})");
}

void TestRecordFile::resultsText()
{
    QFETCH(QByteArray, json);
    TStudyResults results = TStudyResults::fromJson(QJsonDocument::fromJson(json).object());
    // Numbers JSON cannot hold are written as 0, as the document form writes them.
    results.valueArray(QStringLiteral("DPPerStage"))->setValue(2, std::nan(""));
    results.trend(QStringLiteral("DPTrend"))->append(1.0, 1e300 * 1e300);
    const QByteArray text = TStudyResults::toJsonText(results);
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString() + ": " + text.left(200)));
    QCOMPARE(doc.object(), TStudyResults::toJson(results));

    // Through the file: the record reads back as it was written.
    TStudyRecord r = sampleRecord();
    r.results = results;
    const std::optional<TStudyRecord> back = TRecordFile::parse(TRecordFile::encode(r));
    QVERIFY(back);
    QCOMPARE(TStudyRecord::toJson(*back), TStudyRecord::toJson(r));
}

#include "tst_recordfile.moc"
