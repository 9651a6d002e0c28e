// The plain classes behind the launcher and the ECG windows, and the
// single-instance rule and the command-line companion as processes.

#include "TAfterRecording.h"
#include "TAppIdentity.h"
#include "TCommandLine.h"
#include "TLocalStudyStore.h"
#include "TPredefinedConclusions.h"
#include "TPrinterSimulator.h"
#include "TQuickForm.h"
#include "TQuickPatient.h"
#include "TRecentStudies.h"
#include "TRestingMeasurement.h"
#include "TSignalWatch.h"
#include "TSingleInstance.h"
#include "TStudy.h"
#include "TTimeText.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <csignal>

namespace {
const char* const HoldOption = "--hold-instance";
}

class TestAppShell : public QObject
{
    Q_OBJECT

private slots:
    void quickFormRules_data();
    void quickFormRules();
    void recentList();
    void recentRows();
    void afterRecording_data();
    void afterRecording();
    void timeTexts();
    void liveHeartRate_data();
    void liveHeartRate();
    void signalWatch();
    void predefinedConclusions();
    void measurementRoundTrip();
    void commandLine_data();
    void commandLine();
    void singleInstanceSurvivesKilledHolder();
    void cliRecordListExportImport();
    void cliShowsAStressTest();
    void cliRecordsByProtocol_data();
    void cliRecordsByProtocol();
    void cliFailures_data();
    void cliFailures();
    void killedRecordingKeepsSamples();

private:
    QString cli() const { return QCoreApplication::applicationDirPath() + QStringLiteral("/velmora-cli"); }
    QProcessEnvironment privateEnvironment(const QTemporaryDir& folder) const;
};

void TestAppShell::quickFormRules_data()
{
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("age");
    QTest::addColumn<bool>("male");
    QTest::addColumn<bool>("female");
    QTest::addColumn<bool>("stress");
    QTest::addColumn<bool>("ecg");
    QTest::newRow("complete") << "Rex" << "Fido" << "7" << true << false << true << true;
    QTest::newRow("age 1") << "Rex" << "Fido" << "1" << true << false << false << true;
    QTest::newRow("age 2 female") << "Rex" << "Fido" << "2" << false << true << true << true;
    QTest::newRow("age text") << "Rex" << "Fido" << "seven" << true << false << false << true;
    QTest::newRow("no sex") << "Rex" << "Fido" << "7" << false << false << false << true;
    QTest::newRow("blank first") << "Rex" << "  " << "7" << true << false << false << false;
    QTest::newRow("blank last") << " " << "Fido" << "7" << true << false << false << false;
}

void TestAppShell::quickFormRules()
{
    QFETCH(QString, last);
    QFETCH(QString, first);
    QFETCH(QString, age);
    QFETCH(bool, male);
    QFETCH(bool, female);
    QFETCH(bool, stress);
    QFETCH(bool, ecg);
    QCOMPARE(TQuickForm::stressStartAllowed(last, first, age, male, female), stress);
    QCOMPARE(TQuickForm::ecgStartAllowed(last, first), ecg);
}

void TestAppShell::recentList()
{
    QStringList list;
    for (int id = 1; id <= 11; ++id)
        list = TRecentStudies::added(list, TRecentStudies::entry(id, QStringLiteral("20261208100000"),
                                                                 QStringLiteral("L%1").arg(id), QStringLiteral("F")));
    // The eleventh pushes the oldest out.
    QCOMPARE(list.size(), TRecentStudies::MaxEntries);
    QVERIFY(list.first().startsWith(QStringLiteral("11||")));
    QVERIFY(list.last().startsWith(QStringLiteral("2||")));
    list = TRecentStudies::added(list, TRecentStudies::entry(5, QStringLiteral("20261208100000"), QStringLiteral("X"),
                                                             QStringLiteral("Y")));
    const QStringList removed = TRecentStudies::removed(list, 5);
    QCOMPARE(removed.size(), list.size() - 2);
    for (const QString& entry : removed)
        QVERIFY(!entry.startsWith(QStringLiteral("5||")));
    // A renamed study keeps its place; the others stay as they were.
    const QStringList renamed = TRecentStudies::updated(list, 7, QStringLiteral("20261208110000"),
                                                        QStringLiteral("New"), QStringLiteral("Name"));
    QCOMPARE(renamed.size(), list.size());
    for (int i = 0; i < list.size(); ++i) {
        if (list[i].startsWith(QStringLiteral("7||")))
            QCOMPARE(renamed[i], QStringLiteral("7||20261208110000||New||Name"));
        else
            QCOMPARE(renamed[i], list[i]);
    }
    QCOMPARE(TRecentStudies::updated(list, 99, QString(), QString(), QString()), list);
}

void TestAppShell::recentRows()
{
    const QStringList list = {QStringLiteral("12||20261208101500||Rex||Fido"), QStringLiteral("broken||entry"),
                              QStringLiteral("13||20261208101600||||"), QStringLiteral("a||b||c||d||e"),
                              QStringLiteral("14||x||A||B"), QStringLiteral("15||20261208101700||C||D"),
                              QStringLiteral("16||20261208101800||E||F"), QStringLiteral("17||20261208101900||G||H")};
    const QVector<TRecentStudies::Row> rows = TRecentStudies::rows(list);
    QCOMPARE(rows.size(), TRecentStudies::ShownEntries);
    QCOMPARE(rows[0].id, 12);
    QCOMPARE(rows[0].patient, QStringLiteral("Rex, Fido"));
    QCOMPARE(rows[0].dateTime, QDateTime(QDate(2026, 12, 8), QTime(10, 15)));
    QCOMPARE(rows[1].id, 13);
    QCOMPARE(rows[1].patient, QStringLiteral(", "));
    QCOMPARE(rows[2].id, 14);
    QVERIFY(!rows[2].dateTime.isValid());
    QCOMPARE(rows[4].id, 16);
}

void TestAppShell::afterRecording_data()
{
    QTest::addColumn<bool>("autoExport");
    QTest::addColumn<QString>("ecgFolder");
    QTest::addColumn<QString>("stressFolder");
    QTest::addColumn<bool>("ecgExports");
    QTest::addColumn<bool>("stressExports");
    QTest::newRow("off") << false << "/e" << "/s" << false << false;
    QTest::newRow("on") << true << "/e" << "/s" << true << true;
    QTest::newRow("on, no ECG folder") << true << "" << "/s" << false << true;
}

void TestAppShell::afterRecording()
{
    QTemporaryDir folder;
    QSettings settings(folder.filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
    QFETCH(bool, autoExport);
    QFETCH(QString, ecgFolder);
    QFETCH(QString, stressFolder);
    settings.setValue(QStringLiteral("Config/AutoExportStudies"), autoExport);
    settings.setValue(QStringLiteral("Config/ExportEcgStudyFolder"), ecgFolder);
    settings.setValue(QStringLiteral("Config/ExportStressStudyFolder"), stressFolder);
    const TAfterRecording ecg = TAfterRecording::choose(settings, true);
    const TAfterRecording stress = TAfterRecording::choose(settings, false);
    QTEST(ecg.exportStudy, "ecgExports");
    QTEST(stress.exportStudy, "stressExports");
    QCOMPARE(ecg.folder, ecgFolder);
    QCOMPARE(stress.folder, stressFolder);
}

void TestAppShell::timeTexts()
{
    QCOMPARE(TTimeText::elapsed(5.0), QStringLiteral(" 0:05"));
    QCOMPARE(TTimeText::elapsed(12 * 60 + 3.9), QStringLiteral("12:03"));
    QCOMPARE(TTimeText::elapsed(75.4), QStringLiteral(" 1:15"));
    QCOMPARE(TTimeText::startTime(75.4), QStringLiteral("01:15.4"));
    QCOMPARE(TTimeText::eventTime(75.4), QStringLiteral("01:15"));
    QCOMPARE(TTimeText::heartRate(0.5), QStringLiteral("120"));
    QCOMPARE(TTimeText::heartRate(0.0), QString());
    QCOMPARE(TTimeText::heartRate(120.0), QString());
}

void TestAppShell::liveHeartRate_data()
{
    QTest::addColumn<double>("meanRR");
    QTest::addColumn<double>("lastRR");
    QTest::addColumn<double>("since");
    QTest::addColumn<QString>("text");
    QTest::newRow("beats coming") << 0.5 << 0.5 << 0.4 << "120";
    QTest::newRow("3 s without a beat at 120") << 0.5 << 0.5 << 3.0 << "120";
    QTest::newRow("just past 3 s") << 0.5 << 0.5 << 3.05 << "---";
    QTest::newRow("a horse at 30: twice its RR") << 2.0 << 2.0 << 3.9 << "30";
    QTest::newRow("a horse's beat overdue") << 2.0 << 2.0 << 4.1 << "---";
    QTest::newRow("first beat, no RR yet") << 0.0 << 0.0 << 0.2 << "---";
    QTest::newRow("no beat yet") << 0.0 << 0.0 << -1.0 << "---";
    QTest::newRow("a rate but never a beat") << 0.5 << 0.5 << -1.0 << "---";
}

void TestAppShell::liveHeartRate()
{
    QFETCH(double, meanRR);
    QFETCH(double, lastRR);
    QFETCH(double, since);
    QTEST(TTimeText::liveHeartRate(meanRR, lastRR, since), "text");
}

void TestAppShell::signalWatch()
{
    TSignalWatch watch(1000);
    QVERIFY(!watch.isSilent(1999));
    QVERIFY(watch.isSilent(2000));
    QVERIFY(watch.text(2500).contains(QStringLiteral("No signal from the ECG recorder")));
    watch.observe(50, 2600);
    QVERIFY(watch.text(2700).isEmpty());
    watch.observe(50, 3700); // nothing new
    QVERIFY(watch.isSilent(3700));
    QVERIFY(watch.text(5700).contains(QStringLiteral("last sample 3 s ago")));
    watch.observe(100, 5800);
    QVERIFY(!watch.isSilent(5800));
    QCOMPARE(TSignalWatch::durationText(65000), QStringLiteral("1 min 05 s"));
    QCOMPARE(TSignalWatch::durationText(3 * 3600000 + 120000), QStringLiteral("3 h 02 min"));
}

void TestAppShell::predefinedConclusions()
{
    TPredefinedConclusions list({QStringLiteral("b"), QStringLiteral("C"), QStringLiteral("a")});
    QCOMPARE(list.moveUp(2), 1);
    QCOMPARE(list.sentences(), (QStringList{"b", "a", "C"}));
    QCOMPARE(list.moveDown(2), 2); // the last stays
    QCOMPARE(list.moveUp(0), 0);
    list.setAlphabetical(true);
    QCOMPARE(list.sentences(), (QStringList{"a", "b", "C"}));
    // Sorted, Up and Down do nothing.
    QCOMPARE(list.moveUp(1), 1);
    QCOMPARE(list.moveDown(0), 0);
    QCOMPARE(list.sentences(), (QStringList{"a", "b", "C"}));
    QCOMPARE(list.add(QStringLiteral("Bb")), 2);
    QCOMPARE(list.replace(0, QStringLiteral("z")), 3);
    list.remove(3);
    QCOMPARE(list.sentences(), (QStringList{"b", "Bb", "C"}));
    list.remove(7); // out of range: nothing
    QCOMPARE(list.sentences().size(), 3);
}

void TestAppShell::measurementRoundTrip()
{
    TMeasurementRecord record;
    record.setValue(QStringLiteral("measurementChannel"), 1);
    record.setValue(QStringLiteral("POnset"), -0.12);
    record.setValue(QStringLiteral("QRSOnset"), -0.03);
    record.setValue(QStringLiteral("QRSOffset"), 0.03);
    record.setValue(QStringLiteral("TOffset"), 0.2);
    record.setValue(QStringLiteral("avgRRInterval"), 0.64);
    TStudyResults results;
    TRestingMeasurement::store(record, results);
    QCOMPARE(*results.value(QStringLiteral("QRSAxis")), TMeasurementRecord::NoAxis);
    const TMeasurementRecord loaded = TRestingMeasurement::load(results);
    QVERIFY(TRestingMeasurement::isComplete(loaded));
    QCOMPARE(loaded.value(QStringLiteral("TOffset")), 0.2);
    QCOMPARE(loaded.qtcMs().value_or(0), 287);
    record.setValue(QStringLiteral("POnset"), 0.0); // atrial fibrillation: no P wave
    QVERIFY(TRestingMeasurement::isComplete(record));
    QCOMPARE(record.qtMs().value_or(0), 230);
    record.setValue(QStringLiteral("QRSOffset"), 0.0);
    QVERIFY(!TRestingMeasurement::isComplete(record));

    // Amplitudes between the boundaries: a triangle QRS of 100 codes and a T
    // wave of 30 codes above the level at the QRS onset.
    std::vector<double> beat(400, 0.0);
    for (int i = 0; i < 20; ++i)
        beat[size_t(140 + i)] = 100.0 - 10.0 * std::abs(i - 10);
    for (int i = 0; i < 60; ++i)
        beat[size_t(200 + i)] = 30.0 * std::sin(3.14159265 * i / 60.0);
    TMeasurementRecord waves;
    waves.setValue(QStringLiteral("QRSOnset"), -0.02);
    waves.setValue(QStringLiteral("QRSOffset"), 0.02);
    waves.setValue(QStringLiteral("TOffset"), 0.22);
    TRestingMeasurement::measureAmplitudes(waves, beat, 500, 150, 0.01);
    QCOMPARE(waves.value(QStringLiteral("QRSAmp")), 1.0);
    QVERIFY(qAbs(waves.value(QStringLiteral("TAmp")) - 0.3) < 0.01);
    QCOMPARE(waves.value(QStringLiteral("PAmp")), 0.0);
}

void TestAppShell::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("error");
    QTest::newRow("help") << QStringList{"list", "--help"} << int(TCommandLine::Help) << "";
    QTest::newRow("list") << QStringList{"--data", "/d", "list"} << int(TCommandLine::List) << "";
    QTest::newRow("record") << QStringList{"record", "--demo", "--seconds", "12.5", "--last", "Rex", "--first", "Fido"}
                            << int(TCommandLine::Record) << "";
    QTest::newRow("record with species") << QStringList{"record", "--demo", "--seconds", "12.5", "--last", "Rex",
                                                        "--first", "Fido", "--species", "Perro"}
                                         << int(TCommandLine::Record) << "";
    QTest::newRow("blank species") << QStringList{"record", "--seconds", "8", "--last", "a", "--first", "b", "--species", " "}
                                   << int(TCommandLine::Record) << "--species takes a species name";
    QTest::newRow("species without name") << QStringList{"record", "--seconds", "8", "--last", "a", "--first", "b", "--species"}
                                          << int(TCommandLine::Record) << "--species needs a value";
    QTest::newRow("record without names") << QStringList{"record", "--seconds", "5"} << int(TCommandLine::Record)
                                          << "record needs --last NAME and --first NAME";
    QTest::newRow("bad seconds") << QStringList{"record", "--seconds", "-1", "--last", "a", "--first", "b"}
                                 << int(TCommandLine::Record)
                                 << "--seconds takes a number of seconds above 0 and at most 3600";
    QTest::newRow("export") << QStringList{"export", "--id", "42", "--to", "/x"} << int(TCommandLine::Export) << "";
    QTest::newRow("export bad id") << QStringList{"export", "--id", "x", "--to", "/x"} << int(TCommandLine::Export)
                                   << "--id takes a study id (a positive whole number)";
    QTest::newRow("import") << QStringList{"import", "a.cxz"} << int(TCommandLine::Import) << "";
    QTest::newRow("import nothing") << QStringList{"import"} << int(TCommandLine::Import)
                                    << "import needs the archive file";
    QTest::newRow("report") << QStringList{"report", "--id", "42", "--out", "r.pdf"} << int(TCommandLine::Report) << "";
    QTest::newRow("report without file") << QStringList{"report", "--id", "42"} << int(TCommandLine::Report)
                                         << "report needs --out FILE.pdf";
    QTest::newRow("report without id") << QStringList{"report", "--out", "r.pdf"} << int(TCommandLine::Report)
                                       << "report needs --id N";
    QTest::newRow("strip") << QStringList{"strip", "--id", "42", "--port", "/tmp/p", "--start", "3.5"}
                           << int(TCommandLine::Strip) << "";
    QTest::newRow("strip at a negative time") << QStringList{"strip", "--id", "4", "--port", "p", "--start", "-2"}
                                              << int(TCommandLine::Strip) << "--start takes a time in seconds, 0 or more";
    QTest::newRow("show") << QStringList{"show", "--json", "--id", "42"} << int(TCommandLine::Show) << "";
    QTest::newRow("show without id") << QStringList{"show"} << int(TCommandLine::Show) << "show needs --id N";
    QTest::newRow("no command") << QStringList{} << int(TCommandLine::None) << "No command given";
    QTest::newRow("unknown") << QStringList{"erase"} << int(TCommandLine::None) << "Unknown command erase";
    QTest::newRow("option without value") << QStringList{"list", "--data"} << int(TCommandLine::List)
                                          << "--data needs a value";
}

void TestAppShell::commandLine()
{
    QFETCH(QStringList, arguments);
    const TCommandLine line = TCommandLine::parse(arguments);
    QTEST(int(line.command), "command");
    QTEST(line.error, "error");
    if (line.command == TCommandLine::Report && line.error.isEmpty()) {
        QCOMPARE(line.id, 42);
        QCOMPARE(line.output, QStringLiteral("r.pdf"));
    }
    if (line.command == TCommandLine::Show && line.error.isEmpty()) {
        QCOMPARE(line.id, 42);
        QVERIFY(line.json);
    }
    if (line.command == TCommandLine::Strip && line.error.isEmpty()) {
        QCOMPARE(line.port, QStringLiteral("/tmp/p"));
        QCOMPARE(line.start, 3.5);
    }
    if (line.command == TCommandLine::Record && line.error.isEmpty()) {
        QVERIFY(line.demo);
        QCOMPARE(line.seconds, 12.5);
        QCOMPARE(line.lastName, QStringLiteral("Rex"));
        QCOMPARE(line.species, QString(arguments.contains("--species") ? "Perro" : ""));
    }
}

void TestAppShell::singleInstanceSurvivesKilledHolder()
{
    const QString key = QStringLiteral("Velmora test %1").arg(QCoreApplication::applicationPid());
    QProcess holder;
    holder.start(QCoreApplication::applicationFilePath(), {QLatin1String(HoldOption), key});
    QVERIFY(holder.waitForReadyRead(10000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("held"));
    {
        // A live holder refuses.
        TSingleInstance second(key);
        QVERIFY(!second.acquire());
    }
    ::kill(pid_t(holder.processId()), SIGKILL);
    QVERIFY(holder.waitForFinished(10000));
    // The segment the dead process left does not block a start; a second live
    // one is refused again.
    TSingleInstance third(key);
    QVERIFY(third.acquire());
    TSingleInstance fourth(key);
    QVERIFY(!fourth.acquire());
}

QProcessEnvironment TestAppShell::privateEnvironment(const QTemporaryDir& folder) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), folder.filePath(QStringLiteral("data")));
    // A GUI application (the report command) asks for it.
    const QString runtime = folder.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    return env;
}

void TestAppShell::cliRecordListExportImport()
{
    QTemporaryDir folder;
    const QString data = folder.filePath(QStringLiteral("studies"));
    QProcess p;
    p.setProcessEnvironment(privateEnvironment(folder));
    auto succeeds = [&](const QStringList& arguments) {
        p.start(cli(), arguments);
        return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    };
    QVERIFY(succeeds({"--data", data, "record", "--demo", "--seconds", "3", "--last", "Rex", "--first", "Fido"}));
    const int id = p.readAllStandardOutput().trimmed().toInt();
    QVERIFY(id > 0);

    QVERIFY(succeeds({"--data", data, "list"}));
    const QString listed = QString::fromLocal8Bit(p.readAllStandardOutput());
    QVERIFY2(listed.startsWith(QStringLiteral("%1\t").arg(id)), qPrintable(listed));
    QVERIFY(listed.contains(QStringLiteral("\tECG\tRex, Fido")));

    // The report as the dialog makes it, into a file of our choosing.
    const QString pdf = folder.filePath(QStringLiteral("report.pdf"));
    QVERIFY(succeeds({"--data", data, "report", "--id", QString::number(id), "--out", pdf}));
    QFile report(pdf);
    QVERIFY(report.open(QIODevice::ReadOnly));
    QVERIFY(report.read(5) == "%PDF-");
    if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(30000));
        const QString page = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(page.contains(QStringLiteral("Rex, Fido")) && page.contains(QStringLiteral("Page 1 of 1")),
                 qPrintable(page));
    }
    // The study stays as it was: the file is all the command makes.
    QVERIFY(!QDir(data + QStringLiteral("/reports")).exists());

    // The strip on the portable printer, which keeps up without pauses here.
    {
        QDir().mkpath(folder.filePath(QStringLiteral("config/Cardivex")));
        QFile config(folder.filePath(QStringLiteral("config/Cardivex/Velmora.conf")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("[Config]\nStripPrinterBandPause=0\n\n[ReportDialog]\nSpeed=50\nEcgGraphicRhythmLead=aVF\n");
    }
    TPrinterSimulator printer;
    printer.setDotsPerSecond(0);
    QVERIFY(printer.start());
    QVERIFY(succeeds({"--data", data, "strip", "--id", QString::number(id), "--port", printer.portPath(), "--start",
                      "1"}));
    QVERIFY(QString::fromLocal8Bit(p.readAllStandardError()).contains(QStringLiteral("Printing... 100%")));
    QTRY_COMPARE_WITH_TIMEOUT(printer.jobCount(), 1, 5000);
    QCOMPARE(printer.jobs().value(0).bands, 25);
    QVERIFY(!QDir(data + QStringLiteral("/reports")).exists());
    // A printer that stops taking the strip: the command says so and fails.
    printer.stall();
    p.start(cli(), {"--data", data, "strip", "--id", QString::number(id), "--port", printer.portPath()});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 1);
    QVERIFY(QString::fromLocal8Bit(p.readAllStandardError()).contains(QStringLiteral("The printer stopped responding")));
    printer.resume();

    const QString exports = folder.filePath(QStringLiteral("exports"));
    QDir().mkpath(exports);
    QVERIFY(succeeds({"--data", data, "export", "--id", QString::number(id), "--to", exports}));
    const QStringList archives = QDir(exports).entryList({"*.cxz"});
    QCOMPARE(archives.size(), 1);

    const QString other = folder.filePath(QStringLiteral("other"));
    QVERIFY(succeeds({"--data", other, "import", QDir(exports).filePath(archives[0])}));
    const int imported = p.readAllStandardOutput().trimmed().toInt();
    QVERIFY(imported > 0);

    TLocalStudyStore store(other);
    TStudy* study = store.openStudy(imported);
    QVERIFY(study);
    QVERIFY(study->recording()->durationSeconds() >= 2.9);
    QCOMPARE(study->recording()->channelCount(), 7);
    store.closeStudy(imported);
}

// A treadmill test of the launcher's seven leads, as velmora-cli show gives it:
// the stage table with the ST of V5 (channel 6), and the maxima.
void TestAppShell::cliShowsAStressTest()
{
    QTemporaryDir folder;
    const QString data = folder.filePath(QStringLiteral("studies"));
    int id = 0;
    {
        TLocalStudyStore store(data);
        TQuickPatient patient;
        patient.lastName = QStringLiteral("P\u00e9rez");
        patient.firstName = QStringLiteral("Rex");
        TStudyRecord record = TStudyRecord::newStudy(TStudyRecord::StressTest, patient, QStringLiteral("Bruce"));
        record.acquisition = {7, 500, 16, 32.768, QStringLiteral("short"), QStringLiteral("I,II,III,aVR,aVL,aVF,V5")};
        TProtocol executed;
        executed.setName("Bruce");
        executed.setType(TProtocol::Treadmill);
        executed.appendStage(TProtocolStage::Rest, 60.0, 0.0, 0.0);
        executed.appendStage(TProtocolStage::Exercise, 180.0, 2.7, 10.0);
        record.protocol = executed;
        TStudyResults& results = record.results;
        for (int k = 0; k < 2; ++k) {
            results.valueArray(QStringLiteral("BPMPerStage"))->setValue(k, 100 + 50 * k);
            results.valueArray(QStringLiteral("sysBPPerStage"))->setValue(k, 130 + 20 * k);
            results.valueArray(QStringLiteral("diaBPPerStage"))->setValue(k, 80);
            results.valueArray(QStringLiteral("DPPerStage"))->setValue(k, (100 + 50 * k) * (130 + 20 * k));
            results.valueArray(QStringLiteral("METSPerStage"))->setValue(k, 4.5 * k);
            for (int lead = 0; lead < 7; ++lead)
                results.valueArray(TStudyResults::stLevelPerStageName(lead))->setValue(k, lead == 6 ? -0.12 : 0.3);
        }
        *results.value(QStringLiteral("maxBPM")) = 150;
        *results.value(QStringLiteral("maxMETS")) = 4.5;
        TStudy* study = store.saveNewStudy(record);
        id = study->id();
        store.updateStudy(study->record());
        store.closeStudy(id);
    }
    QProcess p;
    p.setProcessEnvironment(privateEnvironment(folder));
    p.start(cli(), {"--data", data, "show", "--id", QString::number(id), "--json"});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    QCOMPARE(o.value("id").toInt(), id);
    QCOMPARE(o.value("patient").toObject().value("lastName").toString(), QStringLiteral("P\u00e9rez"));
    QCOMPARE(o.value("protocol").toObject().value("type").toString(), QStringLiteral("treadmill"));
    QCOMPARE(o.value("stLead").toString(), QStringLiteral("V5"));
    const QJsonArray stages = o.value("stages").toArray();
    QCOMPARE(stages.size(), 2);
    const QJsonObject exercise = stages[1].toObject();
    QCOMPARE(exercise.value("stage").toString(), QStringLiteral("Exercise 1"));
    QCOMPARE(exercise.value("seconds").toDouble(), 180.0);
    QCOMPARE(exercise.value("speed").toDouble(), 2.7);
    QCOMPARE(exercise.value("hr").toInt(), 150);
    QCOMPARE(exercise.value("systolic").toInt(), 150);
    QCOMPARE(exercise.value("dp").toInt(), 22500);
    QVERIFY(std::abs(exercise.value("stLevelMm").toDouble() + 1.2) < 1e-9); // V5, not lead 10
    QCOMPARE(o.value("maxima").toObject().value("maxBPM").toDouble(), 150.0);

    p.start(cli(), {"--data", data, "show", "--id", QString::number(id)});
    QVERIFY(p.waitForFinished(30000));
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
    QVERIFY2(lines.contains(QStringLiteral("Protocol: Bruce (treadmill)")), qPrintable(lines.join('\n')));
    QVERIFY(lines.contains(QStringLiteral("Stage\tDuration\tSpeed\tIncline\tMETS\tHR\tSBP/DBP\tDP\tST [V5]\t\u2206ST [V5]")));
    QVERIFY(lines.contains(
        QStringLiteral("Exercise 1\t03:00\t2.7 km/h\t10.0 %\t4.5\t150\t150/80\t22500\t-1.2 mm\t0.0 mm/s")));
}

void TestAppShell::cliRecordsByProtocol_data()
{
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<QString>("studyType");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("firstStage");
    QTest::newRow("the stored example") << "Example" << "Stress test" << "treadmill" << "Rest 1";
    QTest::newRow("the built-in tilt test") << "Tilt test" << "Tilt test" << "tiltTest" << "Basal 1";
}

// A stress test recorded without a window from the demo recording, by a
// protocol's name, then read back through show.
void TestAppShell::cliRecordsByProtocol()
{
    QFETCH(QString, protocol);
    QTemporaryDir folder;
    const QString data = folder.filePath(QStringLiteral("studies"));
    QProcess p;
    p.setProcessEnvironment(privateEnvironment(folder));
    p.setWorkingDirectory(QCoreApplication::applicationDirPath());
    p.start(cli(), {"--data", data, "record", "--protocol", protocol, "--demo", "--seconds", "4", "--last", "Toby",
                    "--first", "Max"});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    const int id = p.readAllStandardOutput().trimmed().toInt();
    QVERIFY(id > 0);
    p.start(cli(), {"--data", data, "show", "--id", QString::number(id), "--json"});
    QVERIFY(p.waitForFinished(30000));
    const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    QTEST(o.value("studyType").toString(), "studyType");
    QCOMPARE(o.value("protocol").toObject().value("name").toString(), protocol);
    QTEST(o.value("protocol").toObject().value("type").toString(), "type");
    QCOMPARE(o.value("stLead").toString(), QStringLiteral("V5"));
    const QJsonArray stages = o.value("stages").toArray();
    QCOMPARE(stages.size(), 1);
    QTEST(stages[0].toObject().value("stage").toString(), "firstStage");
    QVERIFY(std::abs(stages[0].toObject().value("seconds").toDouble() - 4.0) < 0.2);
}

void TestAppShell::cliFailures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("usage") << QStringList{"record"} << 2 << "record needs --seconds N";
    QTest::newRow("unknown id") << QStringList{"export", "--id", "77", "--to", "."} << 1 << "no study with id 77";
    QTest::newRow("not an archive") << QStringList{"import", "velmora-cli"} << 1 << "";
    QTest::newRow("missing archive") << QStringList{"import", "nothing.cxz"} << 1 << "nothing.cxz is not a file";
    QTest::newRow("report of no study") << QStringList{"report", "--id", "77", "--out", "r.pdf"} << 1
                                        << "no study with id 77";
    QTest::newRow("strip of no study") << QStringList{"strip", "--id", "77", "--port", "rfcomm0"} << 1
                                       << "no study with id 77";
    QTest::newRow("no such protocol") << QStringList{"record", "--demo", "--protocol", "Nope", "--last", "a", "--first",
                                                     "b"}
                                      << 1 << "no protocol named Nope (the stored ones: Example)";
    QTest::newRow("show of no study") << QStringList{"show", "--id", "77", "--json"} << 1 << "no study with id 77";
    QTest::newRow("strip without a port") << QStringList{"strip", "--id", "77"} << 2 << "strip needs --port PORT";
    // The configured device is the recorder on USB, and there is none here.
    QTest::newRow("no device") << QStringList{"record", "--seconds", "1", "--last", "a", "--first", "b"} << 1
                               << "Device not found";
}

void TestAppShell::cliFailures()
{
    QTemporaryDir folder;
    QFETCH(QStringList, arguments);
    QProcess p;
    p.setProcessEnvironment(privateEnvironment(folder));
    p.setWorkingDirectory(QCoreApplication::applicationDirPath());
    p.start(cli(), QStringList{"--data", folder.filePath(QStringLiteral("studies"))} + arguments);
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QTEST(p.exitCode(), "exitCode");
    QFETCH(QString, message);
    const QString error = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY(error.startsWith(QStringLiteral("velmora-cli: ")));
    QVERIFY2(error.contains(message), qPrintable(error));
}

void TestAppShell::killedRecordingKeepsSamples()
{
    // A recording process killed outright: the study it was recording opens
    // with what it wrote, its samples and beats.
    QTemporaryDir folder;
    const QString data = folder.filePath(QStringLiteral("studies"));
    QProcess p;
    p.setProcessEnvironment(privateEnvironment(folder));
    p.start(cli(), {"--data", data, "record", "--demo", "--seconds", "600", "--last", "Killed", "--first", "Rex"});
    QVERIFY(p.waitForStarted());
    QTest::qWait(6000);
    ::kill(pid_t(p.processId()), SIGKILL);
    QVERIFY(p.waitForFinished(10000));

    TLocalStudyStore store(data);
    const QVector<TStudySummary> studies = store.listStudies();
    QCOMPARE(studies.size(), 1);
    TStudy* study = store.openStudy(studies[0].id);
    QVERIFY(study);
    const double seconds = study->recording()->durationSeconds();
    QVERIFY2(seconds >= 3.0 && seconds <= 7.0, qPrintable(QString::number(seconds)));
    QVERIFY(study->beats()->count() >= 3);
    // Every sample reads, to the last one.
    const int last = study->recording()->length() - 1;
    for (int c = 0; c < study->recording()->channelCount(); ++c)
        (void)study->recording()->sample(c, last);
    store.closeStudy(studies[0].id);
}

int main(int argc, char** argv)
{
    // The child of the single-instance test: holds the segment until killed.
    if (argc == 3 && qstrcmp(argv[1], HoldOption) == 0) {
        QCoreApplication app(argc, argv);
        TSingleInstance instance(QString::fromLocal8Bit(argv[2]));
        if (!instance.acquire())
            return 1;
        std::printf("held\n");
        std::fflush(stdout);
        return app.exec();
    }
    QApplication app(argc, argv);
    TAppIdentity::apply();
    TestAppShell test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_appshell.moc"
