// velmora's command line: --version and --help answered without a display,
// Qt's own options passed on, anything else refused with exit code 2; and
// velmora-cli --version.

#include "TAppIdentity.h"
#include "TProgramOptions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

class TestProgramOptions : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void versionIsTheProjects();
    void programAnswersWithoutDisplay_data();
    void programAnswersWithoutDisplay();

private:
    QTemporaryDir m_home;
};

void TestProgramOptions::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("error");
    QTest::newRow("nothing") << QStringList{} << int(TProgramOptions::Run) << "";
    QTest::newRow("version") << QStringList{"--version"} << int(TProgramOptions::Version) << "";
    QTest::newRow("help") << QStringList{"--help"} << int(TProgramOptions::Help) << "";
    QTest::newRow("short help") << QStringList{"-h"} << int(TProgramOptions::Help) << "";
    QTest::newRow("help wins over a wrong option") << QStringList{"--bogus", "--help"} << int(TProgramOptions::Help)
                                                   << "";
    QTest::newRow("Qt's platform") << QStringList{"-platform", "offscreen"} << int(TProgramOptions::Run) << "";
    QTest::newRow("Qt's option with two dashes") << QStringList{"--platform", "xcb"} << int(TProgramOptions::Run)
                                                 << "";
    QTest::newRow("Qt's style with =") << QStringList{"-style=Fusion", "-reverse"} << int(TProgramOptions::Run) << "";
    QTest::newRow("session restart") << QStringList{"-session", "10d3a4b"} << int(TProgramOptions::Run) << "";
    QTest::newRow("version with Qt's option") << QStringList{"-platform", "offscreen", "--version"}
                                              << int(TProgramOptions::Version) << "";
    QTest::newRow("Qt's option without its value") << QStringList{"-platform"} << int(TProgramOptions::Error)
                                                   << "-platform needs a value";
    QTest::newRow("Qt's flag takes no value") << QStringList{"-reverse=1"} << int(TProgramOptions::Error)
                                              << "Unknown option -reverse=1";
    QTest::newRow("unknown option") << QStringList{"--fullscreen"} << int(TProgramOptions::Error)
                                    << "Unknown option --fullscreen";
    QTest::newRow("unknown option after version") << QStringList{"--version", "-x"} << int(TProgramOptions::Error)
                                                  << "Unknown option -x";
    QTest::newRow("a file") << QStringList{"study.cxz"} << int(TProgramOptions::Error)
                            << "Unexpected argument study.cxz";
    QTest::newRow("the first fault is named") << QStringList{"-q", "x"} << int(TProgramOptions::Error)
                                              << "Unknown option -q";
    QTest::newRow("a lone dash") << QStringList{"-"} << int(TProgramOptions::Error) << "Unexpected argument -";
}

void TestProgramOptions::parse()
{
    QFETCH(QStringList, arguments);
    const TProgramOptions options = TProgramOptions::parse(arguments);
    QTEST(int(options.action), "action");
    QTEST(options.error, "error");
}

void TestProgramOptions::versionIsTheProjects()
{
    QCOMPARE(TProgramOptions::versionText(), QStringLiteral("Velmora %1\n").arg(VELMORA_EXPECTED_VERSION));
    QCOMPARE(QString::fromLatin1(TAppIdentity::ApplicationVersion), QStringLiteral(VELMORA_EXPECTED_VERSION));
}

// The program, its arguments, the exit code, what stdout starts with, what
// stderr holds.
void TestProgramOptions::programAnswersWithoutDisplay_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    const QString version = QStringLiteral(VELMORA_EXPECTED_VERSION);
    QTest::newRow("velmora --version") << "velmora" << QStringList{"--version"} << 0
                                       << QStringLiteral("Velmora %1\n").arg(version) << "";
    QTest::newRow("velmora --help") << "velmora" << QStringList{"--help"} << 0
                                    << "Usage: velmora [--version | --help]\n" << "";
    QTest::newRow("velmora --bogus") << "velmora" << QStringList{"--bogus"} << 2 << ""
                                     << "velmora: Unknown option --bogus\nTry 'velmora --help'.\n";
    QTest::newRow("velmora-cli --version") << "velmora-cli" << QStringList{"--version"} << 0
                                           << QStringLiteral("velmora-cli (Velmora) %1\n").arg(version) << "";
    QTest::newRow("velmora-cli --help") << "velmora-cli" << QStringList{"--help"} << 0
                                        << "Usage: velmora-cli [--data DIR] COMMAND [OPTIONS]\n" << "";
}

void TestProgramOptions::programAnswersWithoutDisplay()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(program);
    if (!QFileInfo(path).isExecutable())
        QSKIP("the program is not built beside the test");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // No display of any kind: the answer must come before Qt looks for one.
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath("config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath("data"));
    process.setProcessEnvironment(environment);
    process.start(path, arguments);
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QTEST(process.exitCode(), "code");
    QFETCH(QString, out);
    const QString stdOut = QString::fromLocal8Bit(process.readAllStandardOutput());
    if (out.isEmpty())
        QVERIFY2(stdOut.isEmpty(), qPrintable(stdOut));
    else
        QVERIFY2(stdOut.startsWith(out), qPrintable(stdOut));
    QTEST(QString::fromLocal8Bit(process.readAllStandardError()), "err");
    // Nothing of the user's was touched: no settings, no study folder.
    QVERIFY(!QFileInfo::exists(m_home.filePath("data/CardivexVetStress")));
    QVERIFY(!QFileInfo::exists(m_home.filePath("config/Cardivex")));
}

QTEST_GUILESS_MAIN(TestProgramOptions)
#include "tst_programoptions.moc"
