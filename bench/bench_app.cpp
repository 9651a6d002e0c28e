// The application as a clinician meets it, timed:
//
//   bench_app startup [--folder DIR]   process start to a usable launcher over an
//                                      index of 10 000 studies (made in DIR, by
//                                      default ./bench-app-studies, on first use),
//                                      three fresh processes; and resident memory
//   bench_app review [MINUTES]         a 12-lead study of MINUTES (10) opened in the
//                                      review window to its first paint, three times
//   bench_app stress-review [MINUTES]  the same for a stress test of MINUTES (60),
//                                      its per-beat trends and per-stage values
//   bench_app monitor [SECONDS]        the monitor window recording the demo signal
//                                      for SECONDS (1800): CPU share of one core and
//                                      resident memory growth
//   bench_app stress [MINUTES]         a stress test of MINUTES (60) in the stress
//                                      monitor window, the demo signal and the
//                                      treadmill simulator: CPU share, resident memory
//                                      growth, the longest stall of the event loop
//                                      and the delay from each stage change to the
//                                      treadmill's command
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "BenchMemory.h"

#include "EcgMonitorWindow.h"
#include "EcgReviewWindow.h"
#include "MainWindow.h"
#include "StressMonitorWindow.h"
#include "StressReviewWindow.h"
#include "TEquipmentFactory.h"
#include "TExerciseEquipment.h"
#include "TRecorderListener.h"
#include "TTreadmillSimulator.h"
#include "BPDialog.h"
#include "TAppIdentity.h"
#include "TDemoAcqDevice.h"
#include "TEcgSynthesizer.h"
#include "TLeadTable.h"
#include "TLocalStudyStore.h"
#include "TSignalBuffer.h"
#include "TStudy.h"
#include "TStudyRecorder.h"
#include "TStudyResults.h"
#include "TTrend.h"
#include "TValueArray.h"

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QElapsedTimer>
#include <QPainter>
#include <QProcess>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int IndexSize = 10000;

// Milliseconds since this process started, from its start time in /proc.
double sinceProcessStartMs()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1.0;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble(); // field 22 of the whole line
    const double up = uptime.readAll().split(' ').value(0).toDouble();
    return (up - startTicks / double(sysconf(_SC_CLK_TCK))) * 1000.0;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void fillIndex(const QString& folder)
{
    TLocalStudyStore store(folder);
    const int have = store.listStudies().size();
    if (have >= IndexSize)
        return;
    std::printf("making %d studies in %s ...\n", IndexSize - have, qPrintable(folder));
    std::fflush(stdout);
    for (int i = have; i < IndexSize; ++i) {
        TQuickPatient patient;
        patient.lastName = QStringLiteral("Patient%1").arg(i);
        patient.firstName = QStringLiteral("Bench");
        TStudyRecord record = TStudyRecord::newStudy(
            TStudyRecord::Ecg, patient, QString(),
            QDateTime(QDate(2026, 1, 1), QTime(8, 0)).addSecs(qint64(i) * 600));
        record.acquisition.channelCount = 7;
        record.acquisition.samplingRate = 500;
        record.acquisition.resolution = 16;
        record.acquisition.gainMax = 300.0;
        record.acquisition.channelNames = QStringLiteral("I,II,III,aVR,aVL,aVF,V5");
        TStudy* study = store.saveNewStudy(record);
        store.closeStudy(study->id());
    }
}

int startupChild(const QString& folder, int argc, char** argv)
{
    QApplication app(argc, argv);
    TAppIdentity::apply();
    app.setStyleSheet(TAppIdentity::styleSheet());
    MainWindow launcher(folder);
    launcher.show();
    // Usable: the deferred start has created the store and enabled the window.
    QElapsedTimer guard;
    guard.start();
    while (!(launcher.store() && launcher.isEnabled()) && guard.elapsed() < 60000)
        app.processEvents(QEventLoop::WaitForMoreEvents, 5);
    const double ms = sinceProcessStartMs();
    std::printf("%.0f %.1f %d\n", ms, BenchMemory::residentMegabytes(),
                launcher.store() ? launcher.store()->listStudies().size() : -1);
    return 0;
}

int startup(const QString& folder, const QString& self)
{
    {
        QCoreApplication app(*new int(0), nullptr);
        fillIndex(folder);
    }
    std::printf("start-up with an index of %d studies (%s):\n", IndexSize, qPrintable(folder));
    for (int run = 0; run < 3; ++run) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(self, {QStringLiteral("startup-child"), folder});
        child.waitForFinished(120000);
        const QList<QByteArray> f = child.readAllStandardOutput().trimmed().split(' ');
        std::printf("  run %d: launcher usable %s ms after process start, resident %s MB, %s studies listed\n",
                    run + 1, f.value(0).constData(), f.value(1).constData(), f.value(2).constData());
    }
    return 0;
}

// A stress test of minutes for the review: a treadmill protocol of 3-minute
// stages, a pressure per stage, and the per-beat trends the recorder keeps
// (heart rate, METS, ST level and slope of every lead).
void addStressResults(TStudy& study, double minutes, const QVector<TSynthBeat>& beats, int leads)
{
    TProtocol protocol;
    protocol.setName("Bench");
    protocol.setType(TProtocol::Treadmill);
    const int stages = std::max(3, int(minutes / 3.0));
    for (int k = 0; k < stages; ++k) {
        const int phase = k == 0 ? TProtocolStage::Rest : k == stages - 1 ? TProtocolStage::Recovery
                                                                            : TProtocolStage::Exercise;
        protocol.appendStage(phase, minutes * 60.0 / stages, phase == TProtocolStage::Exercise ? 2.0 + k * 0.3 : 1.0,
                             phase == TProtocolStage::Exercise ? 2.0 * k : 0.0);
    }
    study.setProtocol(protocol);
    TStudyResults& results = study.results();
    for (int k = 0; k < stages; ++k) {
        const double end = protocol.stageEndTime(k);
        results.valueArray(QStringLiteral("BPMPerStage"))->setValue(k, 100 + k);
        results.valueArray(QStringLiteral("sysBPPerStage"))->setValue(k, 130 + k);
        results.valueArray(QStringLiteral("diaBPPerStage"))->setValue(k, 80);
        results.valueArray(QStringLiteral("DPPerStage"))->setValue(k, (100 + k) * (130 + k));
        results.valueArray(QStringLiteral("METSPerStage"))->setValue(k, 1.0 + k * 0.5);
        results.trend(QStringLiteral("sysBPTrend"))->append(end - 15.0, 130 + k);
        results.trend(QStringLiteral("diaBPTrend"))->append(end - 15.0, 80);
        results.trend(QStringLiteral("DPTrend"))->append(end - 15.0, (100 + k) * (130 + k));
    }
    for (const TSynthBeat& b : beats) {
        results.trend(QStringLiteral("BPMTrend"))->append(b.rTime, 100.0);
        results.trend(QStringLiteral("METSTrend"))->append(b.rTime, 1.0 + protocol.stageAt(b.rTime) * 0.5);
        for (int l = 0; l < leads; ++l) {
            results.trend(TStudyResults::stLevelTrendName(l))->append(b.rTime, -0.01 * l);
            results.trend(TStudyResults::stSlopeTrendName(l))->append(b.rTime, 0.1);
        }
    }
    results.updateMaxima();
}

int review(double minutes, bool stressTest, int argc, char** argv)
{
    QApplication app(argc, argv);
    TAppIdentity::apply();
    app.setStyleSheet(TAppIdentity::styleSheet());
    QTemporaryDir folder(QDir::currentPath() + QStringLiteral("/bench-review-XXXXXX"));
    TLocalStudyStore store(folder.path());
    TSynthParams params;
    params.seed = 3;
    params.durationSeconds = minutes * 60.0;
    params.heartRateStart = params.heartRateEnd = 100.0;
    const TEcgSynthesizer synth(params);
    const int leads = 12;
    TQuickPatient patient;
    patient.lastName = QStringLiteral("Review");
    patient.firstName = QStringLiteral("Bench");
    TStudyRecord record = TStudyRecord::newStudy(stressTest ? TStudyRecord::StressTest : TStudyRecord::Ecg, patient,
                                                 stressTest ? QStringLiteral("Bench") : QString());
    record.acquisition.channelCount = leads;
    record.acquisition.samplingRate = 500;
    record.acquisition.resolution = 16;
    record.acquisition.gainMax = 300.0;
    QStringList names;
    for (int l = 0; l < leads; ++l)
        names.append(QString::fromLatin1(TLeadTable::leadName(l)));
    record.acquisition.channelNames = names.join(QLatin1Char(','));
    TStudy* study = store.saveNewStudy(record);
    const int id = study->id();
    {
        constexpr int block = 5000;
        std::vector<qint16> frames(size_t(block) * TEcgSynthesizer::LeadCount);
        std::vector<std::vector<qint16>> columns(leads, std::vector<qint16>(block));
        std::vector<const qint16*> pointers(leads);
        for (qint64 first = 0; first < synth.frameCount(); first += block) {
            const int count = int(qMin<qint64>(block, synth.frameCount() - first));
            synth.render(first, count, frames.data());
            for (int l = 0; l < leads; ++l) {
                for (int i = 0; i < count; ++i)
                    columns[size_t(l)][size_t(i)] = frames[size_t(i) * TEcgSynthesizer::LeadCount + size_t(l)];
                pointers[size_t(l)] = columns[size_t(l)].data();
            }
            study->recording()->appendChannels(pointers.data(), count);
        }
        double previous = -1.0;
        int number = 0;
        for (const TSynthBeat& b : synth.beats()) {
            TBeat beat(number++, study->recording());
            beat.setValue(TBeat::Time, b.rTime);
            if (previous >= 0.0) {
                beat.setValue(TBeat::RR, b.rTime - previous);
                beat.setValue(TBeat::MeanRR, b.rTime - previous);
            }
            for (int l = 0; l < leads; ++l) {
                beat.setLeadValue(l, 3, b.rTime);
                beat.setLeadValue(l, 6, 1.0);
            }
            // Regular beats, as the recorder stores them.
            beat.setLabel(1);
            study->beats()->append(beat);
            previous = b.rTime;
        }
    }
    if (stressTest)
        addStressResults(*study, minutes, synth.beats(), leads);
    store.updateStudy(study->record());
    store.closeStudy(id);
    std::printf("%s review of a %.0f-minute 12-lead study (%d beats), window 1920 x 1080:\n",
                stressTest ? "stress" : "ECG", minutes, int(synth.beats().size()));
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer clock;
        clock.start();
        TStudy* opened = store.openStudy(id);
        std::unique_ptr<QWidget> window;
        if (stressTest)
            window = std::make_unique<StressReviewWindow>(opened);
        else
            window = std::make_unique<EcgReviewWindow>(opened);
        window->resize(1920, 1080);
        QImage image(window->size(), QImage::Format_ARGB32_Premultiplied);
        window->show();
        window->render(&image); // the first paint, browse display and graphics included
        const double ms = clock.nsecsElapsed() / 1e6;
        std::printf("  run %d: opened and painted in %.0f ms\n", run + 1, ms);
        window->close();
        window.reset();
        store.closeStudy(id);
    }
    return 0;
}

int monitor(double seconds, int argc, char** argv)
{
    QApplication app(argc, argv);
    TAppIdentity::apply();
    app.setStyleSheet(TAppIdentity::styleSheet());
    QTemporaryDir folder(QDir::currentPath() + QStringLiteral("/bench-monitor-XXXXXX"));
    TLocalStudyStore store(folder.path());
    TDemoAcqDevice device(QString::fromLatin1(TDemoAcqDevice::DefaultFileName));
    TQuickPatient patient;
    patient.lastName = QStringLiteral("Monitor");
    patient.firstName = QStringLiteral("Bench");
    TStudyRecord record = TStudyRecord::newStudy(TStudyRecord::Ecg, patient);
    record.acquisition = TAcquisitionFields::fromDevice(device);
    TStudy* study = store.saveNewStudy(record);
    auto* window = new EcgMonitorWindow(&device, study);
    window->resize(1920, 1080);
    window->show();
    QTimer::singleShot(1000, window, [window]() {
        window->findChild<QPushButton*>(QStringLiteral("btnStart"))->click();
    });
    // Measured from 10 s on, once the first pages are in memory.
    double cpu0 = 0.0, rss0 = 0.0;
    QElapsedTimer wall;
    QTimer::singleShot(10000, &app, [&]() {
        cpu0 = cpuSeconds();
        rss0 = BenchMemory::residentMegabytes();
        wall.start();
    });
    QTimer report;
    report.setInterval(60000);
    QObject::connect(&report, &QTimer::timeout, [&]() {
        std::printf("  %4.0f s: CPU %.1f %% of one core, resident %.1f MB\n", wall.elapsed() / 1000.0,
                    100.0 * (cpuSeconds() - cpu0) / (wall.elapsed() / 1000.0), BenchMemory::residentMegabytes());
        std::fflush(stdout);
    });
    report.start();
    QTimer::singleShot(int((seconds + 10.0) * 1000), &app, &QCoreApplication::quit);
    std::printf("monitor window recording the demo signal for %.0f s (1920 x 1080):\n", seconds);
    std::fflush(stdout);
    app.exec();
    const double cpu = cpuSeconds() - cpu0;
    const double elapsed = wall.elapsed() / 1000.0;
    const double rss1 = BenchMemory::residentMegabytes();
    const double recorded = window->recorder() ? window->recorder()->recordingTime() : 0.0;
    std::printf("CPU %.1f %% of one core over %.0f s; resident %.1f MB -> %.1f MB (growth %.1f MB); %.0f s recorded\n",
                100.0 * cpu / elapsed, elapsed, rss0, rss1, rss1 - rss0, recorded);
    delete window;
    device.stop();
    store.updateStudy(study->record());
    store.closeStudy(study->id());
    return 0;
}

} // namespace

// Notes when each stage began, on the treadmill simulator's clock.
class StageClock : public TRecorderListener
{
public:
    explicit StageClock(const TTreadmillSimulator& treadmill) : m_treadmill(treadmill) {}
    QVector<qint64> changes;

    void update(TStudyRecorder*) override {}
    void beat(TStudyRecorder*, const TBeat&, const TBeatRecord*, int) override {}
    void started(TStudyRecorder*) override {}
    void stageChanged(TStudyRecorder* recorder) override
    {
        if (recorder->isRecording())
            changes.append(m_treadmill.elapsedMs());
    }
    void stopped(TStudyRecorder*) override {}
    void message(TStudyRecorder*, const QString& text) override
    {
        std::printf("  message: %s\n", qPrintable(text));
    }

private:
    const TTreadmillSimulator& m_treadmill;
};

int stress(double minutes, int argc, char** argv)
{
    QTemporaryDir folder(QDir::currentPath() + QStringLiteral("/bench-stress-XXXXXX"));
    // Settings of its own: the equipment is the simulator's.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(folder.filePath(QStringLiteral("data"))));
    QApplication app(argc, argv);
    TAppIdentity::apply();
    app.setStyleSheet(TAppIdentity::styleSheet());
    TTreadmillSimulator treadmill;
    QString error;
    if (!treadmill.start(&error)) {
        std::fprintf(stderr, "treadmill simulator: %s\n", qPrintable(error));
        return 1;
    }
    QSettings settings;
    settings.setValue(QStringLiteral("Config/AcqMode"), QStringLiteral("demo"));
    settings.setValue(QStringLiteral("Config/TreadmillEquipment"), QStringLiteral("kipmachines"));
    settings.setValue(QStringLiteral("Config/TreadmillPort"), treadmill.portPath());
    settings.setValue(QStringLiteral("BPDialog/Print"), false);

    // Twenty stages of MINUTES / 20 each (3 min in an hour): rest, sixteen
    // exercise stages at rising speed and incline, three of recovery.
    TProtocol protocol;
    protocol.setName("Bench");
    protocol.setType(TProtocol::Treadmill);
    const double stageSeconds = minutes * 60.0 / 20.0;
    protocol.appendStage(TProtocolStage::Rest, stageSeconds, 0.0, 0.0);
    for (int k = 0; k < 16; ++k)
        protocol.appendStage(TProtocolStage::Exercise, stageSeconds, 2.0 + 0.5 * k, 1.0 * k);
    for (int k = 0; k < 3; ++k)
        protocol.appendStage(TProtocolStage::Recovery, stageSeconds, 1.5, 0.0);

    TLocalStudyStore store(folder.filePath(QStringLiteral("studies")));
    TStudyStore::setInstance(&store);
    TDemoAcqDevice device(QString::fromLatin1(TDemoAcqDevice::DefaultFileName));
    TQuickPatient patient;
    patient.lastName = QStringLiteral("Stress");
    patient.firstName = QStringLiteral("Bench");
    patient.age = QStringLiteral("6");
    patient.sex = QStringLiteral("M");
    TStudyRecord record = TStudyRecord::newStudy(TStudyRecord::StressTest, patient, QStringLiteral("Bench"));
    record.acquisition = TAcquisitionFields::fromDevice(device);
    TStudy* study = store.saveNewStudy(record);
    std::unique_ptr<TExerciseEquipment> equipment(TEquipmentFactory::create(protocol.type()));
    auto* window = new StressMonitorWindow(&device, study, &protocol, equipment.get());
    window->resize(1920, 1080);
    window->show();
    StageClock stages(treadmill);
    window->recorder()->addListener(&stages);
    QTimer::singleShot(1000, window, [window]() {
        window->findChild<QPushButton*>(QStringLiteral("btnStart"))->click();
    });
    QElapsedTimer tick;
    qint64 lastPrompt = -1;
    // The operator: each prompt answered a few seconds after it opens.
    QTimer operatorTimer;
    operatorTimer.setInterval(3000);
    int answered = 0;
    QObject::connect(&operatorTimer, &QTimer::timeout, [&]() {
        if (BPDialog* prompt = window->bloodPressurePrompt()) {
            prompt->findChild<QLineEdit*>(QStringLiteral("txtSBP"))->setText(QStringLiteral("140"));
            prompt->findChild<QLineEdit*>(QStringLiteral("txtDBP"))->setText(QStringLiteral("85"));
            prompt->accept();
            lastPrompt = tick.elapsed();
            ++answered;
        }
    });
    operatorTimer.start();

    // The event loop's stalls: a 10 ms timer that should tick on time.
    qint64 lastTick = -1, longestStall = 0;
    QTimer stallTimer;
    stallTimer.setInterval(10);
    // Stalls of 50 ms or more, with what happened just before each.
    QStringList stalls;
    QObject::connect(&stallTimer, &QTimer::timeout, [&]() {
        const qint64 now = tick.elapsed();
        if (lastTick >= 0 && now > 15000) {
            const qint64 stall = now - lastTick - 10;
            longestStall = std::max(longestStall, stall);
            if (stall >= 50) {
                const qint64 sinceStage =
                    stages.changes.isEmpty() ? -1 : treadmill.elapsedMs() - stages.changes.last();
                stalls << QStringLiteral("%1 ms at %2 s (%3 ms after a stage change, %4 ms after a prompt)")
                              .arg(stall)
                              .arg(now / 1000)
                              .arg(sinceStage)
                              .arg(lastPrompt < 0 ? -1 : now - lastPrompt);
            }
        }
        lastTick = now;
    });
    tick.start();
    stallTimer.start();

    double cpu0 = 0.0, rss0 = 0.0;
    QElapsedTimer wall;
    QTimer::singleShot(10000, &app, [&]() {
        cpu0 = cpuSeconds();
        rss0 = BenchMemory::residentMegabytes();
        wall.start();
    });
    QTimer report;
    report.setInterval(300000);
    QObject::connect(&report, &QTimer::timeout, [&]() {
        std::printf("  %4.0f s: CPU %.1f %% of one core, resident %.1f MB, longest stall %lld ms\n",
                    wall.elapsed() / 1000.0, 100.0 * (cpuSeconds() - cpu0) / (wall.elapsed() / 1000.0),
                    BenchMemory::residentMegabytes(), static_cast<long long>(longestStall));
        std::fflush(stdout);
    });
    report.start();
    const double seconds = minutes * 60.0;
    QTimer::singleShot(int((seconds + 1.5) * 1000), &app, &QCoreApplication::quit);
    std::printf("stress monitor window, demo signal, treadmill simulator, %.0f min (1920 x 1080):\n", minutes);
    std::fflush(stdout);
    app.exec();
    const double cpu = cpuSeconds() - cpu0;
    const double elapsed = wall.elapsed() / 1000.0;
    const double rss1 = BenchMemory::residentMegabytes();
    const double recorded = window->recorder() ? window->recorder()->recordingTime() : 0.0;
    // Each stage change against the first frame the treadmill got after it.
    const QVector<TTreadmillSimulator::Frame> frames = treadmill.frames();
    qint64 worstDelay = -1;
    double delaySum = 0.0;
    int measured = 0;
    for (qint64 change : stages.changes) {
        for (const TTreadmillSimulator::Frame& f : frames) {
            if (f.atMs >= change) {
                worstDelay = std::max(worstDelay, f.atMs - change);
                delaySum += double(f.atMs - change);
                ++measured;
                break;
            }
        }
    }
    std::printf("CPU %.1f %% of one core over %.0f s; resident %.1f MB -> %.1f MB (growth %.1f MB); %.0f s recorded\n",
                100.0 * cpu / elapsed, elapsed, rss0, rss1, rss1 - rss0, recorded);
    std::printf("longest event-loop stall %lld ms; %d stage changes, %d frames; stage change to treadmill command: "
                "mean %.0f ms, worst %lld ms; %d prompts answered\n",
                static_cast<long long>(longestStall), int(stages.changes.size()), int(frames.size()),
                measured ? delaySum / measured : 0.0, static_cast<long long>(worstDelay), answered);
    for (const QString& stall : stalls)
        std::printf("  stall %s\n", qPrintable(stall));
    window->close();
    delete window;
    equipment.reset();
    device.stop();
    store.updateStudy(study->record());
    store.closeStudy(study->id());
    TStudyStore::setInstance(nullptr);
    return 0;
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == QLatin1String("startup-child") && argc > 2)
        return startupChild(QString::fromLocal8Bit(argv[2]), argc, argv);
    if (mode == QLatin1String("startup")) {
        QString folder = QDir::currentPath() + QStringLiteral("/bench-app-studies");
        if (argc > 3 && qstrcmp(argv[2], "--folder") == 0)
            folder = QString::fromLocal8Bit(argv[3]);
        return startup(folder, QString::fromLocal8Bit(argv[0]));
    }
    if (mode == QLatin1String("review"))
        return review(argc > 2 ? std::atof(argv[2]) : 10.0, false, argc, argv);
    if (mode == QLatin1String("stress-review"))
        return review(argc > 2 ? std::atof(argv[2]) : 60.0, true, argc, argv);
    if (mode == QLatin1String("stress"))
        return stress(argc > 2 ? std::atof(argv[2]) : 60.0, argc, argv);
    if (mode == QLatin1String("monitor"))
        return monitor(argc > 2 ? std::atof(argv[2]) : 1800.0, argc, argv);
    std::fprintf(stderr, "usage: bench_app startup [--folder DIR] | review [MINUTES] | stress-review [MINUTES] | "
                         "monitor [SECONDS] | stress [MINUTES]\n");
    return 2;
}
