#include "QZipFileCreator.h"
#include "QZipFileExtractor.h"
#include "StorageTestFiles.h"

#include <minizip/unzip.h>

#include <QBuffer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A three-entry archive for the damage tests.
QByteArray sampleArchive(const QString& folder)
{
    const QString path = folder + "/sample.zip";
    {
        QZipFileCreator creator(path);
        creator.setComment("CXZIP1");
        creator.addData("cxstudy", patternBytes(5000, 0));
        creator.addData("cxecg", patternBytes(70000, 3));
        creator.addData("info", "{\"baseFilename\":\"a\"}");
        creator.close();
    }
    return readFile(path);
}

// Reads every entry of an archive; any failure must come as a TException.
// Returns the entries that read without error.
QMap<QString, QByteArray> readAll(const QString& path)
{
    QMap<QString, QByteArray> entries;
    QZipFileExtractor extractor(path);
    for (const QString& name : {QStringLiteral("cxstudy"), QStringLiteral("cxecg"), QStringLiteral("info")}) {
        try {
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            if (extractor.extract(name, &buffer))
                entries.insert(name, buffer.data());
        } catch (const TException&) {
        }
    }
    return entries;
}

} // namespace

class TestZip : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void entryFieldsAreZeroedAndInOrder();
    void sourceThatCannotBeOpenedGivesAnEmptyEntry();
    void missingEntryIsNotFound();
    void damagedArchives_data();
    void damagedArchives();
    void corruptEntry_data();
    void corruptEntry();
    void flippedBytesNeverPassSilently();
    void entriesThatLeaveTheFolderAreRefused_data();
    void entriesThatLeaveTheFolderAreRefused();
    void unreachableArchiveIsReported();
};

void TestZip::roundTrip_data()
{
    QTest::addColumn<QList<QByteArray>>("contents");
    QTest::newRow("one small") << QList<QByteArray>{"hello"};
    QTest::newRow("empty entry among others") << QList<QByteArray>{"abc", QByteArray(), patternBytes(1000, 0)};
    QTest::newRow("multi-megabyte") << QList<QByteArray>{patternBytes(3 * 1024 * 1024 + 17, 5), patternBytes(100000, 1)};
    QTest::newRow("exactly one chunk") << QList<QByteArray>{patternBytes(32768, 2), patternBytes(32769, 4)};
}

void TestZip::roundTrip()
{
    QFETCH(QList<QByteArray>, contents);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString archive = dir.filePath("a.cxz");
    {
        QZipFileCreator creator(archive);
        creator.setComment(QString::fromUtf8("CXZIP1 \xc3\xa9"));
        for (int i = 0; i < contents.size(); ++i) {
            const QString source = dir.filePath(QString("src%1").arg(i));
            QVERIFY(writeFile(source, contents[i]));
            creator.addFile(QString("file%1").arg(i), source);
        }
        creator.addData("info", "{}");
        creator.close();
    }
    QZipFileExtractor extractor(archive);
    QCOMPARE(extractor.comment(), QString::fromUtf8("CXZIP1 \xc3\xa9"));
    QCOMPARE(extractor.entryCount(), qint64(contents.size() + 1));
    for (int i = 0; i < contents.size(); ++i) {
        const QString target = dir.filePath(QString("out%1").arg(i));
        QVERIFY(extractor.extract(QString("file%1").arg(i), target));
        QCOMPARE(readFile(target), contents[i]);
    }
    QBuffer info;
    QVERIFY(extractor.extract("info", &info));
    QCOMPARE(info.data(), QByteArray("{}"));
}

void TestZip::entryFieldsAreZeroedAndInOrder()
{
    QTemporaryDir dir;
    const QByteArray bytes = sampleArchive(dir.path());
    const QString path = dir.filePath("sample.zip");
    unzFile unzip = unzOpen64(path.toUtf8().constData());
    QVERIFY(unzip);
    QStringList names;
    char name[256];
    for (int result = unzGoToFirstFile(unzip); result == UNZ_OK; result = unzGoToNextFile(unzip)) {
        unz_file_info64 info;
        QCOMPARE(unzGetCurrentFileInfo64(unzip, &info, name, sizeof name, nullptr, 0, nullptr, 0), UNZ_OK);
        names << QString::fromUtf8(name);
        QCOMPARE(info.compression_method, uLong(Z_DEFLATED));
        QCOMPARE(info.dosDate, uLong(0));
        // Bit 0 is the text hint the deflate stream sets by itself.
        QCOMPARE(info.internal_fa & ~uLong(1), uLong(0));
        QCOMPARE(info.external_fa, uLong(0));
        QCOMPARE(info.size_file_extra, uLong(0));
        QCOMPARE(info.size_file_comment, uLong(0));
        QVERIFY(info.compressed_size < info.uncompressed_size + 64);
    }
    char comment[64] = {};
    QCOMPARE(unzGetGlobalComment(unzip, comment, sizeof comment), 6);
    QCOMPARE(QByteArray(comment), QByteArray("CXZIP1"));
    unzClose(unzip);
    QCOMPARE(names, (QStringList{"cxstudy", "cxecg", "info"}));
    // Local headers: extra field length (offset 28) zero in each.
    int localHeaders = 0;
    for (int at = bytes.indexOf("PK\x03\x04"); at >= 0; at = bytes.indexOf("PK\x03\x04", at + 4)) {
        if (at + 30 > bytes.size())
            break;
        const uchar* h = reinterpret_cast<const uchar*>(bytes.constData() + at);
        if (h[26] + h[27] * 256 != 7 && h[26] + h[27] * 256 != 5 && h[26] + h[27] * 256 != 4)
            continue; // a chance match inside compressed data
        ++localHeaders;
        QCOMPARE(h[28] + h[29] * 256, 0);
        QCOMPARE(h[10] + h[11] * 256 + h[12] + h[13] * 256, 0); // time and date
    }
    QCOMPARE(localHeaders, 3);
}

void TestZip::sourceThatCannotBeOpenedGivesAnEmptyEntry()
{
    QTemporaryDir dir;
    const QString archive = dir.filePath("a.zip");
    {
        QZipFileCreator creator(archive);
        creator.addFile("absent", dir.filePath("no-such-file"));
        creator.close();
    }
    QZipFileExtractor extractor(archive);
    QBuffer buffer;
    QVERIFY(extractor.extract("absent", &buffer));
    QVERIFY(buffer.data().isEmpty());
    QCOMPARE(extractor.comment(), QString());
}

void TestZip::missingEntryIsNotFound()
{
    QTemporaryDir dir;
    sampleArchive(dir.path());
    QZipFileExtractor extractor(dir.filePath("sample.zip"));
    const QString target = dir.filePath("target");
    QVERIFY(!extractor.extract("cxbeats", target));
    QVERIFY(!QFile::exists(target));
    QVERIFY(!extractor.extract("CXSTUDY", target)); // names match case-sensitively
    QCOMPARE(extractor.entryNames(), (QStringList{"cxstudy", "cxecg", "info"}));
}

void TestZip::damagedArchives_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QTemporaryDir dir;
    const QByteArray good = sampleArchive(dir.path());
    QTest::newRow("empty file") << QByteArray() << "Cannot open zip archive";
    QTest::newRow("not a zip") << QByteArray("CXSTUDY2 and some text") << "Cannot open zip archive";
    QTest::newRow("cut before the end record") << good.left(good.size() - 30) << "Cannot open zip archive";
    QTest::newRow("first half only") << good.left(good.size() / 2) << "Cannot open zip archive";
    QByteArray shortComment = good;
    shortComment.chop(3); // the end record promises 6 comment bytes
    QTest::newRow("comment cut") << shortComment << "Cannot read comment in zip archive";
}

void TestZip::damagedArchives()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath("bad.zip");
    QVERIFY(writeFile(path, bytes));
    const QString text = exceptionText([&] {
        QZipFileExtractor extractor(path);
        QBuffer buffer;
        extractor.extract("cxecg", &buffer);
    });
    if (message == "Cannot read comment in zip archive")
        QVERIFY2(text == message || text == "Cannot open zip archive", qPrintable(text));
    else
        QCOMPARE(text, message);
}

void TestZip::corruptEntry_data()
{
    QTest::addColumn<bool>("truncated");
    QTest::newRow("damaged CRC") << false;
    // A larger uncompressed size than the stream holds: the stream ends first.
    QTest::newRow("stream shorter than stated") << true;
}

void TestZip::corruptEntry()
{
    QFETCH(bool, truncated);
    QTemporaryDir dir;
    QByteArray bytes = sampleArchive(dir.path());
    if (truncated) {
        const int central = bytes.indexOf("PK\x01\x02");
        bytes[central + 24] = char(bytes[central + 24] + 1);
        bytes[22] = char(bytes[22] + 1);
    } else {
        bytes = damageCrc(bytes, "cxstudy");
    }
    const QString path = dir.filePath("corrupt.zip");
    QVERIFY(writeFile(path, bytes));
    QVERIFY(bytes != readFile(dir.filePath("sample.zip")));
    QZipFileExtractor extractor(path);
    const QString target = dir.filePath("out");
    QCOMPARE(exceptionText([&] { extractor.extract("cxstudy", target); }), QString("Corrupt file read from zip archive"));
    QVERIFY(!QFile::exists(target)); // the partial output is removed
    QVERIFY(extractor.extract("cxecg", target)); // other entries still read
    QCOMPARE(readFile(target), patternBytes(70000, 3));
}

void TestZip::flippedBytesNeverPassSilently()
{
    QTemporaryDir dir;
    const QByteArray good = sampleArchive(dir.path());
    const QMap<QString, QByteArray> expected = readAll(dir.filePath("sample.zip"));
    QCOMPARE(expected.size(), 3);
    const QString path = dir.filePath("flipped.zip");
    QRandomGenerator generator(11);
    int failures = 0;
    for (int round = 0; round < 400; ++round) {
        QByteArray bytes = good;
        const int flips = 1 + int(generator.bounded(4));
        for (int f = 0; f < flips; ++f) {
            const int at = int(generator.bounded(bytes.size()));
            bytes[at] = char(bytes[at] ^ (1 + generator.bounded(255)));
        }
        QVERIFY(writeFile(path, bytes));
        QMap<QString, QByteArray> got;
        try {
            got = readAll(path);
        } catch (const TException&) {
            ++failures;
            continue;
        }
        // Whatever reads without an error is exactly what was written.
        for (auto it = got.cbegin(); it != got.cend(); ++it) {
            if (expected.contains(it.key()))
                QCOMPARE(it.value(), expected.value(it.key()));
        }
        if (got.size() < 3)
            ++failures;
    }
    QVERIFY(failures > 100);
}

void TestZip::entriesThatLeaveTheFolderAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("safe");
    QTest::newRow("plain") << "cxecg" << true;
    QTest::newRow("sub folder") << "sub/cxecg" << true;
    QTest::newRow("dots in a name") << "a..b" << true;
    QTest::newRow("parent") << "../evil" << false;
    QTest::newRow("parent inside") << "sub/../../evil" << false;
    QTest::newRow("backslash parent") << "..\\evil" << false;
    QTest::newRow("absolute") << "/tmp/evil" << false;
    QTest::newRow("drive") << "C:evil" << false;
    QTest::newRow("empty") << "" << false;
}

void TestZip::entriesThatLeaveTheFolderAreRefused()
{
    QFETCH(QString, name);
    QFETCH(bool, safe);
    QCOMPARE(QZipFileExtractor::isSafeEntryName(name), safe);
    if (name.isEmpty() || name.startsWith('/'))
        return;
    QTemporaryDir dir;
    const QString archive = dir.filePath("crafted.zip");
    {
        QZipFileCreator creator(archive);
        creator.addData(name, "payload");
        creator.close();
    }
    QDir().mkpath(dir.filePath("target"));
    QZipFileExtractor extractor(archive);
    const QString text = exceptionText([&] { QVERIFY(extractor.extractInto(name, dir.filePath("target"))); });
    if (safe) {
        QCOMPARE(text, QString());
        QCOMPARE(readFile(dir.filePath("target/" + name)), QByteArray("payload"));
    } else {
        QCOMPARE(text, QString("Unsafe file name in zip archive"));
        QVERIFY(!QFile::exists(dir.filePath("evil")));
        QCOMPARE(QDir(dir.filePath("target")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }
}

void TestZip::unreachableArchiveIsReported()
{
    QCOMPARE(exceptionText([] { QZipFileCreator("/nonexistent-folder/a.zip"); }), QString("Cannot create zip archive"));
    QCOMPARE(exceptionText([] { QZipFileExtractor("/nonexistent-folder/a.zip"); }), QString("Cannot open zip archive"));
}

QTEST_GUILESS_MAIN(TestZip)
#include "tst_zip.moc"
