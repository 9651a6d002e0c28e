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
    void findsDataFile_data();
    void findsDataFile();
    void findsTranslation_data();
    void findsTranslation();
    void foldersAreCleanAndInOrder();
    void folderIsNoFile();
    void runningProgramFindsItsDemoRecording();
};

// Files present (relative to a prefix), the file asked for, the file found
// (relative to the prefix, empty: none).
void TestResourceFolders::findsDataFile_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("found");
    QTest::newRow("build tree") << QStringList{"bin/ecg500.dat"} << "ecg500.dat" << "bin/ecg500.dat";
    QTest::newRow("installed") << QStringList{"share/velmora/ecg500.dat"} << "ecg500.dat"
                               << "share/velmora/ecg500.dat";
    QTest::newRow("beside the program first")
        << QStringList{"bin/ecg500.dat", "share/velmora/ecg500.dat"} << "ecg500.dat" << "bin/ecg500.dat";
    QTest::newRow("nowhere") << QStringList{"share/other/ecg500.dat", "ecg500.dat"} << "ecg500.dat" << "";
    QTest::newRow("empty name") << QStringList{"bin/ecg500.dat"} << "" << "";
}

void TestResourceFolders::findsDataFile()
{
    QFETCH(QStringList, present);
    QFETCH(QString, name);
    QFETCH(QString, found);
    QTemporaryDir prefix;
    for (const QString& file : present)
        touch(prefix.filePath(file));
    QDir().mkpath(prefix.filePath("bin"));
    const TResourceFolders folders(prefix.filePath("bin"), QString());
    QCOMPARE(folders.dataFile(name), found.isEmpty() ? QString() : prefix.filePath(found));
}

void TestResourceFolders::findsTranslation_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QString>("baseName");
    QTest::addColumn<QString>("found");
    QTest::newRow("build tree") << QStringList{"bin/CardivexStressECG_es.qm"} << "CardivexStressECG_es"
                                << "bin/CardivexStressECG_es.qm";
    QTest::newRow("installed translations")
        << QStringList{"share/velmora/translations/report_es.qm"} << "report_es"
        << "share/velmora/translations/report_es.qm";
    QTest::newRow("installed data folder") << QStringList{"share/velmora/report_es.qm"} << "report_es"
                                           << "share/velmora/report_es.qm";
    QTest::newRow("beside the program before installed")
        << QStringList{"bin/report_es.qm", "share/velmora/translations/report_es.qm"} << "report_es"
        << "bin/report_es.qm";
    QTest::newRow("Qt's from Qt's folder") << QStringList{"qt/qt_es.qm"} << "qt_es" << "qt/qt_es.qm";
    QTest::newRow("Qt's beside the program first") << QStringList{"qt/qt_es.qm", "bin/qt_es.qm"} << "qt_es"
                                                   << "bin/qt_es.qm";
    QTest::newRow("another language is not this one") << QStringList{"bin/report_de.qm"} << "report_es" << "";
    QTest::newRow("without the extension it is no translation") << QStringList{"bin/report_es"} << "report_es"
                                                                << "";
}

void TestResourceFolders::findsTranslation()
{
    QFETCH(QStringList, present);
    QFETCH(QString, baseName);
    QFETCH(QString, found);
    QTemporaryDir prefix;
    for (const QString& file : present)
        touch(prefix.filePath(file));
    QDir().mkpath(prefix.filePath("bin"));
    const TResourceFolders folders(prefix.filePath("bin"), prefix.filePath("qt"));
    QCOMPARE(folders.translationFile(baseName), found.isEmpty() ? QString() : prefix.filePath(found));
}

void TestResourceFolders::foldersAreCleanAndInOrder()
{
    const TResourceFolders folders(QStringLiteral("/opt/vet/bin/"), QStringLiteral("/usr/share/qt5/translations"));
    QCOMPARE(folders.dataFolders(), (QStringList{"/opt/vet/bin", "/opt/vet/share/velmora"}));
    QCOMPARE(folders.translationFolders(),
             (QStringList{"/opt/vet/bin", "/opt/vet/share/velmora/translations", "/opt/vet/share/velmora",
                          "/usr/share/qt5/translations"}));
    // Without Qt's folder (or with Qt's the program's own) no folder is searched twice.
    QCOMPARE(TResourceFolders("/usr/bin", QString()).translationFolders(),
             (QStringList{"/usr/bin", "/usr/share/velmora/translations", "/usr/share/velmora"}));
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
