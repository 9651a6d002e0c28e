// The program's files are found beside the program (the build tree) and in
// <prefix>/share/velmora (installed), the translations also in Qt's folder.

#include "TResourceFolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write("x");
}

} // namespace

class TestResourceFolders : public QObject
{
    Q_OBJECT

private slots:
    void findsFile_data();
    void findsFile();
    void foldersAreCleanAndInOrder();
    void folderIsNoFile();
    void runningProgramFindsItsDemoRecording();
};

// Whether a translation is asked for, the files present (relative to a
// prefix; Qt's translations in <prefix>/qt), the name asked for, the file found
// (relative to the prefix, empty: none).
void TestResourceFolders::findsFile_data()
{
    QTest::addColumn<bool>("translation");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("found");
    QTest::newRow("data: build tree") << false << QStringList {"bin/ecg500.dat"} << "ecg500.dat"
                                      << "bin/ecg500.dat";
    QTest::newRow("data: installed") << false << QStringList {"share/velmora/ecg500.dat"} << "ecg500.dat"
                                     << "share/velmora/ecg500.dat";
    QTest::newRow("data: beside the program first")
        << false << QStringList {"bin/ecg500.dat", "share/velmora/ecg500.dat"} << "ecg500.dat"
        << "bin/ecg500.dat";
    QTest::newRow("data: nowhere") << false << QStringList {"share/other/ecg500.dat", "ecg500.dat"} << "ecg500.dat"
                                   << "";
    QTest::newRow("data: empty name") << false << QStringList {"bin/ecg500.dat"} << ""
                                      << "";
    QTest::newRow("translation: build tree")
        << true << QStringList {"bin/CardivexStressECG_es.qm"} << "CardivexStressECG_es"
        << "bin/CardivexStressECG_es.qm";
    QTest::newRow("translation: installed translations")
        << true << QStringList {"share/velmora/translations/report_es.qm"} << "report_es"
        << "share/velmora/translations/report_es.qm";
    QTest::newRow("translation: installed data folder")
        << true << QStringList {"share/velmora/report_es.qm"} << "report_es"
        << "share/velmora/report_es.qm";
    QTest::newRow("translation: beside the program before installed")
        << true << QStringList {"bin/report_es.qm", "share/velmora/translations/report_es.qm"} << "report_es"
        << "bin/report_es.qm";
    QTest::newRow("translation: Qt's from Qt's folder") << true << QStringList {"qt/qt_es.qm"} << "qt_es"
                                                        << "qt/qt_es.qm";
    QTest::newRow("translation: Qt's beside the program first")
        << true << QStringList {"qt/qt_es.qm", "bin/qt_es.qm"} << "qt_es"
        << "bin/qt_es.qm";
    QTest::newRow("translation: another language is not this one")
        << true << QStringList {"bin/report_de.qm"} << "report_es"
        << "";
    QTest::newRow("translation: without the extension it is no translation")
        << true << QStringList {"bin/report_es"} << "report_es"
        << "";
}

void TestResourceFolders::findsFile()
{
    QFETCH(bool, translation);
    QFETCH(QStringList, present);
    QFETCH(QString, name);
    QFETCH(QString, found);
    QTemporaryDir prefix;
    for (const QString& file : present)
        touch(prefix.filePath(file));
    QDir().mkpath(prefix.filePath("bin"));
    const TResourceFolders folders(prefix.filePath("bin"), prefix.filePath("qt"));
    QCOMPARE(translation ? folders.translationFile(name) : folders.dataFile(name),
        found.isEmpty() ? QString() : prefix.filePath(found));
}

void TestResourceFolders::foldersAreCleanAndInOrder()
{
    const TResourceFolders folders(QStringLiteral("/opt/vet/bin/"), QStringLiteral("/usr/share/qt5/translations"));
    QCOMPARE(folders.dataFolders(), (QStringList {"/opt/vet/bin", "/opt/vet/share/velmora"}));
    QCOMPARE(folders.translationFolders(),
        (QStringList {"/opt/vet/bin", "/opt/vet/share/velmora/translations", "/opt/vet/share/velmora",
            "/usr/share/qt5/translations"}));
    // Without Qt's folder (or with Qt's the program's own) no folder is searched
    // twice.
    QCOMPARE(TResourceFolders("/usr/bin", QString()).translationFolders(),
        (QStringList {"/usr/bin", "/usr/share/velmora/translations", "/usr/share/velmora"}));
    QCOMPARE(TResourceFolders("/usr/bin", "/usr/bin").translationFolders().count("/usr/bin"), 1);
}

void TestResourceFolders::folderIsNoFile()
{
    QTemporaryDir prefix;
    QDir().mkpath(prefix.filePath("bin/ecg500.dat"));
    touch(prefix.filePath("share/velmora/ecg500.dat"));
    QCOMPARE(TResourceFolders(prefix.filePath("bin"), QString()).dataFile("ecg500.dat"),
        prefix.filePath("share/velmora/ecg500.dat"));
}

void TestResourceFolders::runningProgramFindsItsDemoRecording()
{
    const TResourceFolders folders = TResourceFolders::ofProgram();
    QCOMPARE(folders.dataFolders().first(), QDir::cleanPath(QCoreApplication::applicationDirPath()));
    if (!QFileInfo::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/ecg500.dat")))
        QSKIP("the demo recording is not built beside the test");
    QCOMPARE(folders.dataFile("ecg500.dat"), QCoreApplication::applicationDirPath() + QStringLiteral("/ecg500.dat"));
}

QTEST_GUILESS_MAIN(TestResourceFolders)
#include "tst_resourcefolders.moc"
