// velmora-cli report for a stress and a tilt test recorded by velmora-cli from
// the demo recording: the PDF is the report the dialog makes (portrait, the
// stage table, the trends, the ST lead the stage table chooses), every page
// with its footer, and the study itself untouched.

#include "ReportTestSupport.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TestCliReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!ReportTest::havePoppler())
            QSKIP("poppler-utils (pdfinfo, pdftotext, pdftoppm) are not installed");
        if (!QFileInfo::exists(cli()))
            QSKIP("velmora-cli is not beside the tests");
    }

    void reportOfEachStudyType_data()
    {
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("stress test") << "Example" << 2
                                     << QStringList{"Stress test", "Example", "Speed / Incline", "Rest 1", "ST [V5]",
                                                    "Trends", "BP mmHg"};
        QTest::newRow("tilt test") << "Tilt test" << 1
                                   << QStringList{"Tilt test", "Basal 1", "Elapsed in phase", "HR bpm, BP mmHg"};
    }

    void reportOfEachStudyType()
    {
        QFETCH(QString, protocol);
        QTemporaryDir folder;
        const QString data = folder.filePath(QStringLiteral("studies"));
        QProcess p;
        p.setProcessEnvironment(environment(folder));
        p.setWorkingDirectory(QCoreApplication::applicationDirPath());
        p.start(cli(), {"--data", data, "record", "--protocol", protocol, "--demo", "--seconds", "4", "--last",
                        "Toby", "--first", "Max"});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        const int id = p.readAllStandardOutput().trimmed().toInt();
        QVERIFY(id > 0);

        const QString pdf = folder.filePath(QStringLiteral("report.pdf"));
        p.start(cli(), {"--data", data, "report", "--id", QString::number(id), "--out", pdf});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        const QString info = ReportTest::poppler(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+595 x 842 pts \\(A4\\)"))),
                 qPrintable(info));
        QFETCH(int, pages);
        QVERIFY(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))));
        const QString text =
            ReportTest::poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(text.contains(QStringLiteral("Toby, Max")));
        QFETCH(QStringList, texts);
        for (const QString& t : texts)
            QVERIFY2(text.contains(t), qPrintable(t + QStringLiteral("\n") + text));
        for (int page = 1; page <= pages; ++page)
            QVERIFY(text.contains(QStringLiteral("Page %1 of %2").arg(page).arg(pages)));
        // The study stays as it was: the file is all the command makes.
        QVERIFY(!QDir(data + QStringLiteral("/reports")).exists());
    }

private:
    static QString cli() { return QCoreApplication::applicationDirPath() + QStringLiteral("/velmora-cli"); }

    static QProcessEnvironment environment(const QTemporaryDir& folder)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), folder.filePath(QStringLiteral("data")));
        const QString runtime = folder.filePath(QStringLiteral("runtime"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        return env;
    }
};

QTEST_MAIN(TestCliReport)
#include "tst_clireport.moc"
