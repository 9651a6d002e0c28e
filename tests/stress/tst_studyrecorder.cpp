#include "RecorderTestRig.h"

#include "TAnalysisPath.h"
#include "TBeatAverager.h"
#include "TQrsDetector.h"
#include "TStreamingFilterChain.h"

#include <QtTest>
#include <cmath>

using namespace RecorderTest;

namespace {

// A beat as the detector would give it, at t seconds of the live signal.
TBeat beatAt(double t, double meanRR, int beatClass = 1)
{
    TBeat b(1, nullptr);
    b.setWindowStart(t - 0.2);
    b.setWindowLength(0.6);
    b.setValue(TBeat::Time, t);
    b.setValue(TBeat::RR, meanRR > 0 ? meanRR : 0.6);
    b.setValue(TBeat::MeanRR, meanRR);
    b.setLeadValue(0, TBeat::POnset, t - 0.15);
    b.setLeadValue(0, TBeat::QrsOnset, t - 0.04);
    b.setLeadValue(0, TBeat::Fiducial, t);
    b.setBeatClass(beatClass);
    return b;
}

void storeBeat(TStudyRecorder& r, const TBeat& b)
{
    TBeatRecord records[TSignalBuffer::MaxChannels];
    r.storeBeat(b, records, r.rawSignal()->channelCount());
}

const TValueArray& array(Rig& rig, const char* name)
{
    return *rig.study->results().valueArray(QLatin1String(name));
}

// Values as text, "10 10.2 20": compared and shown at once.
template <typename Values>
QString text(const Values& values)
{
    QStringList s;
    for (double v : values)
        s.append(QString::number(v));
    return s.join(QLatin1Char(' '));
}

// The stage durations of the executed protocol.
QString executed(Rig& rig)
{
    std::vector<double> d;
    if (const TProtocol* p = rig.study->protocol())
        for (int i = 0; i < p->stageCount(); ++i)
            d.push_back(p->stage(i).duration());
    return text(d);
}

// Treadmill stages written as "r60 e10 c60": rest, exercise or recovery, and seconds.
TProtocol stagesOf(const QString& stages)
{
    TProtocol p = exercise({});
    for (const QString& s : stages.split(QLatin1Char(' ')))
        p.appendStage(QStringLiteral("rec").indexOf(s[0]), s.mid(1).toDouble(), 3.0, 5.0);
    return p;
}

} // namespace

class TestStudyRecorder : public QObject
{
    Q_OBJECT

private slots:
    void automaticAdvance_data()
    {
        QTest::addColumn<int>("block");
        QTest::addColumn<int>("blocks");
        QTest::addColumn<QString>("changeTimes");
        QTest::addColumn<QString>("executedStages");
        // Stages of 10 s; stageStart is whole seconds, so a stage that began at
        // 10.2 s ends at 20 s of recording time.
        QTest::newRow("0.5 s blocks") << 250 << 80 << "10 20" << "10 10 20";
        QTest::newRow("0.3 s blocks") << 150 << 134 << "10.2 20.1" << "10.2 10.1 20.2";
        QTest::newRow("0.666 s blocks") << 333 << 60 << "10.656 20.646" << "10.656 10.646 19.96";
    }
    void automaticAdvance()
    {
        QFETCH(int, block);
        QFETCH(int, blocks);
        QFETCH(QString, changeTimes);
        QFETCH(QString, executedStages);
        const TProtocol p = exercise({10, 10, 10});
        Rig rig(&p);
        rig.recorder->start(QStringLiteral("20261207120000"));
        for (int i = 0; i < blocks; ++i)
            QVERIFY(rig.feed(block));
        // The last stage runs on however long it lasts.
        QCOMPARE(rig.recorder->stageIndex(), 2);
        QCOMPARE(rig.recorder->stageStart(), 20);
        QCOMPARE(text(rig.listener.stageTimes), changeTimes);
        rig.recorder->stop();
        QCOMPARE(executed(rig), executedStages);
        QCOMPARE(rig.study->protocol()->name(), QByteArray("Test"));
        QCOMPARE(array(rig, "BPMPerStage").size(), 3);
    }

    // Next stage (n), recovery (r) and stop (s) between seconds of signal. A
    // stage left within 5 s of its start folds into the one before; leaving
    // the first stage by next stage takes the reference beat.
    void stageControls_data()
    {
        QTest::addColumn<QString>("stages");
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("stageIndex");
        QTest::addColumn<int>("stageStart");
        QTest::addColumn<QString>("executedStages");
        QTest::addColumn<bool>("reference");
        const QString exercise4 = "e60 e60 e60 e60", withRecovery = "r60 e60 e60 c60 c60";
        QTest::newRow("next 3 s after start records a stage") << exercise4 << "3 n" << 1 << 3 << "3" << true;
        QTest::newRow("next 3 s after a change folds") << exercise4 << "12 n 3 n" << 2 << 15 << "15" << true;
        QTest::newRow("next 6 s after a change records") << exercise4 << "12 n 6 n" << 2 << 18 << "12 6" << true;
        QTest::newRow("next on the last stage nothing") << exercise4 << "10 n 10 n 10 n 10 n" << 3 << 30 << "10 10 10"
                                                        << true;
        QTest::newRow("recovery from the first stage") << withRecovery << "10 r" << 3 << 10 << "10" << false;
        QTest::newRow("recovery from exercise") << withRecovery << "10 n 10 r" << 3 << 20 << "10 10" << true;
        QTest::newRow("recovery on a recovery stage restarts it") << withRecovery << "10 n 10 r 10 r" << 3 << 30
                                                                  << "10 10 10" << true;
        QTest::newRow("recovery on the last stage nothing") << withRecovery << "10 n 10 r 10 n 10 r" << 4 << 30
                                                            << "10 10 10" << true;
        QTest::newRow("recovery without a recovery stage nothing") << "e60 e60 e60" << "10 r" << 0 << 0 << "" << false;
        QTest::newRow("stop 3 s into the last stage folds") << "e10 e60" << "13 s" << 1 << 10 << "13" << true;
        QTest::newRow("stop 8 s into the last stage records") << "e10 e60" << "18 s" << 1 << 10 << "10 8" << true;
    }
    void stageControls()
    {
        QFETCH(QString, stages);
        QFETCH(QString, script);
        QFETCH(int, stageIndex);
        QFETCH(int, stageStart);
        QFETCH(QString, executedStages);
        QFETCH(bool, reference);
        const TProtocol p = stagesOf(stages);
        Rig rig(&p);
        rig.recorder->start(QStringLiteral("20261207120000"));
        for (const QString& step : script.split(QLatin1Char(' '))) {
            if (step == QLatin1String("n"))
                rig.recorder->nextStage();
            else if (step == QLatin1String("r"))
                rig.recorder->recovery();
            else if (step == QLatin1String("s"))
                rig.recorder->stop();
            else
                QVERIFY(rig.feedSeconds(step.toDouble()));
        }
        QCOMPARE(rig.recorder->stageIndex(), stageIndex);
        QCOMPARE(rig.recorder->stageStart(), stageStart);
        QCOMPARE(executed(rig), executedStages);
        QCOMPARE(rig.recorder->averager()->hasReference(), reference);
        QCOMPARE(rig.recorder->currentPhase(), p.stage(stageIndex).phase());
        QCOMPARE(rig.listener.stageTimes.empty(), stageIndex == 0);
        const int executedCount = executedStages.isEmpty() ? 0 : executedStages.count(QLatin1Char(' ')) + 1;
        QCOMPARE(array(rig, "BPMPerStage").size(), executedCount);
        QCOMPARE(array(rig, "METSPerStage").size(), executedCount);
        if (script.endsWith(QLatin1Char('s'))) {
            // Nothing more is recorded after stop.
            QVERIFY(!rig.recorder->isRecording());
            const int length = rig.study->recording()->length();
            QVERIFY(rig.feedSeconds(1));
            QCOMPARE(rig.study->recording()->length(), length);
        }
    }

    void phases()
    {
        const TProtocol p = protocolOf(TProtocol::Treadmill, {{1, 10, 3, 0}, {1, 10, 4, 0}, {2, 10, 2, 0}, {2, 60, 1, 0}});
        Rig rig(&p);
        rig.recorder->start(QStringLiteral("20261207120000"));
        QCOMPARE(rig.recorder->stageInPhase(), 1);
        QVector<QVector<int>> seen; // stage, phase, stage in phase, phase start
        for (int i = 0; i < 3; ++i) {
            QVERIFY(rig.feedSeconds(10));
            TStudyRecorder& r = *rig.recorder;
            seen.append({r.stageIndex(), r.currentPhase(), r.stageInPhase(), r.phaseStart()});
        }
        // The second exercise stage is the second of its phase.
        const QVector<QVector<int>> expected{{1, 1, 2, 0}, {2, 2, 1, 20}, {3, 2, 2, 20}};
        QCOMPARE(seen, expected);
    }

    void bloodPressure()
    {
        const TProtocol p = exercise({20, 20, 60});
        Rig rig(&p);
        rig.recorder->start(QStringLiteral("20261207120000"));
        QVERIFY(rig.feedSeconds(5));
        storeBeat(*rig.recorder, beatAt(4.0, 0.5)); // 120/min
        rig.recorder->addBP(150.7, 90.2, 4.5);
        QCOMPARE(rig.recorder->pendingSBP(), 150);
        QCOMPARE(rig.recorder->pendingDBP(), 90);
        TStudyResults& results = rig.study->results();
        QCOMPARE(results.trend(QStringLiteral("sysBPTrend"))->size(), 1);
        QCOMPARE(results.trend(QStringLiteral("DPTrend"))->value(0), 150.0 * 120.0);
        QVERIFY(rig.feedSeconds(36)); // stages 0 and 1 end
        QCOMPARE(rig.recorder->stageIndex(), 2);
        QCOMPARE(array(rig, "sysBPPerStage").values(), (std::vector<double>{150, 0}));
        QCOMPARE(array(rig, "diaBPPerStage").values(), (std::vector<double>{90, 0}));
        QCOMPARE(array(rig, "DPPerStage").values(), (std::vector<double>{18000, 0}));
        QCOMPARE(array(rig, "BPMPerStage").values(), (std::vector<double>{120, 120}));
        QCOMPARE(rig.recorder->pendingSBP(), 0);
        // Entered late for the finished second stage: its values are corrected.
        rig.recorder->addBP(160, 95, 25.0);
        QCOMPARE(array(rig, "sysBPPerStage").values(), (std::vector<double>{150, 160}));
        QCOMPARE(array(rig, "diaBPPerStage").values(), (std::vector<double>{90, 95}));
        QCOMPARE(array(rig, "DPPerStage").values(), (std::vector<double>{18000, 19200}));
        QCOMPARE(rig.recorder->pendingSBP(), 0);
        rig.recorder->stop();
        rig.recorder->addBP(170, 99, 45.0);
        QCOMPARE(results.trend(QStringLiteral("sysBPTrend"))->size(), 2);
    }

    void heartRate_data()
    {
        QTest::addColumn<QVector<double>>("meanRRs");
        QTest::addColumn<QVector<int>>("classes");
        QTest::addColumn<double>("heartRate");
        QTest::addColumn<int>("trendPoints");
        QTest::addColumn<int>("listenerBeats");
        QTest::newRow("first beat sets it") << QVector<double>{0.75} << QVector<int>{1} << 80.0 << 1 << 1;
        QTest::newRow("100 after 80 gives 84") << QVector<double>{0.75, 0.6} << QVector<int>{1, 1} << 84.0 << 2 << 2;
        QTest::newRow("unknown mean leaves it") << QVector<double>{0.0, 0.75, 0.0} << QVector<int>{1, 1, 1} << 80.0
                                                << 1 << 3;
        QTest::newRow("negative class only stored") << QVector<double>{0.75, 0.6} << QVector<int>{1, -1} << 80.0 << 1
                                                    << 1;
    }
    void heartRate()
    {
        QFETCH(QVector<double>, meanRRs);
        QFETCH(QVector<int>, classes);
        QFETCH(double, heartRate);
        QFETCH(int, trendPoints);
        QFETCH(int, listenerBeats);
        const TProtocol p = exercise({60});
        Rig rig(&p);
        rig.recorder->start(QStringLiteral("20261207120000"));
        QVERIFY(rig.feedSeconds(5));
        for (int i = 0; i < meanRRs.size(); ++i)
            storeBeat(*rig.recorder, beatAt(1.0 + i, meanRRs[i], classes[i]));
        QVERIFY(std::fabs(rig.recorder->heartRate() - heartRate) < 1e-9);
        QCOMPARE(rig.study->results().trend(QStringLiteral("BPMTrend"))->size(), trendPoints);
        QCOMPARE(rig.study->beats()->count(), meanRRs.size());
        QCOMPARE(int(rig.listener.beats.size()), listenerBeats);
        QCOMPARE(rig.recorder->beatsInStage(), listenerBeats);
        QCOMPARE(rig.recorder->lastBeatMeanRR(), meanRRs.last());
    }

    void beatsAndPressuresBeforeStart()
    {
        const TProtocol p = exercise({60});
        Rig rig(&p);
        QVERIFY(rig.feedSeconds(4));
        storeBeat(*rig.recorder, beatAt(2.0, 0.75)); // not recording: only shown
        QCOMPARE(rig.listener.beats.size(), size_t(1));
        rig.recorder->addBP(150, 90, 1.0); // not recording: dropped
        QCOMPARE(rig.study->results().trend(QStringLiteral("sysBPTrend"))->size(), 0);
        QCOMPARE(rig.recorder->pendingSBP(), 0);
        rig.recorder->start(QStringLiteral("20261207120000"));
        QCOMPARE(rig.recorder->startSample(), 2000);
        QVERIFY(rig.feedSeconds(4));
        storeBeat(*rig.recorder, beatAt(3.5, 0.75)); // before start: ignored
        QCOMPARE(rig.study->beats()->count(), 0);
        QCOMPARE(rig.listener.beats.size(), size_t(1));
        QCOMPARE(rig.recorder->heartRate(), 0.0);
        storeBeat(*rig.recorder, beatAt(6.0, 0.75));
        QCOMPARE(rig.study->beats()->count(), 1);
        const TBeat b = rig.study->beats()->beat(0);
        // Stored times count from the start of the recording; the window keeps its length.
        QCOMPARE(b.time(), 2.0);
        QCOMPARE(b.windowStart(), 1.8);
        QCOMPARE(b.windowLength(), 0.6);
        QVERIFY(std::fabs(b.leadValue(0, TBeat::POnset) - 1.85) <= 0.002);
        QVERIFY(std::fabs(b.leadValue(0, TBeat::Fiducial) - 2.0) <= 0.002);
        QCOMPARE(b.value(TBeat::MeanRR), 0.75);
        QCOMPARE(rig.study->results().trend(QStringLiteral("BPMTrend"))->time(0), 2.0);
        // The window is told the beat in the times of the live signal.
        QCOMPARE(rig.listener.beats.back().time(), 6.0);
        // The class survives in the label, which is what the beats file keeps.
        storeBeat(*rig.recorder, beatAt(6.5, 0.75, 2));
        QCOMPARE(rig.study->beats()->beat(0).label(), 1);
        QCOMPARE(rig.study->beats()->beat(1).label(), 2);
    }

    void maximaAtStop()
    {
        const TProtocol p = protocolOf(TProtocol::Treadmill, {{1, 10, 2.7, 10}, {1, 10, 6, 10}, {1, 60, 4.8, 0}});
        Rig rig(&p);
        rig.recorder->start(QStringLiteral("20261207120000"));
        QVERIFY(rig.feedSeconds(6));
        storeBeat(*rig.recorder, beatAt(5.0, 0.6));
        rig.recorder->addBP(140, 80, 5.0);
        QVERIFY(rig.feedSeconds(10));
        storeBeat(*rig.recorder, beatAt(15.0, 0.5));
        rig.recorder->addBP(170, 85, 15.0);
        QVERIFY(rig.feedSeconds(10));
        rig.recorder->addBP(150, 100, 25.0);
        QVERIFY(rig.feedSeconds(4));
        rig.recorder->stop();
        QCOMPARE(array(rig, "BPMPerStage").values(), (std::vector<double>{100, 104, 104}));
        QCOMPARE(array(rig, "DPPerStage").values(), (std::vector<double>{14000, 17680, 15600}));
        const std::vector<double> mets = array(rig, "METSPerStage").values();
        QCOMPARE(mets.size(), size_t(3));
        QVERIFY(std::fabs(mets[0] - 4.6) < 1e-3 && std::fabs(mets[1] - 9.2857) < 1e-3 &&
                std::fabs(mets[2] - 3.2857) < 1e-3);
        TStudyResults& results = rig.study->results();
        QCOMPARE(*results.value(QStringLiteral("maxBPM")), 104.0);
        QCOMPARE(*results.value(QStringLiteral("maxSysBP")), 170.0);
        QCOMPARE(*results.value(QStringLiteral("maxDiaBP")), 100.0);
        QCOMPARE(*results.value(QStringLiteral("maxDP")), 17680.0);
        QVERIFY(std::fabs(*results.value(QStringLiteral("maxMETS")) - 9.2857) < 1e-3);
        QVERIFY(std::fabs(*results.value(QStringLiteral("maxVO2")) - 32.5) < 1e-3);
        // METS of the running stage at every beat.
        const TTrend& metsTrend = *results.trend(QStringLiteral("METSTrend"));
        QCOMPARE(metsTrend.size(), 2);
        QVERIFY(std::fabs(metsTrend.value(1) - 9.2857) < 1e-3);
    }

    void ergometerMets_data()
    {
        QTest::addColumn<QString>("weight");
        QTest::addColumn<double>("mets");
        QTest::newRow("20 kg") << "20" << (100 * 10.8 / 20 + 7) / 3.5;
        QTest::newRow("no weight") << "" << 0.0;
    }
    void ergometerMets()
    {
        QFETCH(QString, weight);
        QFETCH(double, mets);
        const TProtocol p = protocolOf(TProtocol::Ergometer, {{1, 60, 100, 0}});
        Rig rig(&p);
        rig.study->setProperty(QStringLiteral("patient/weight"), weight);
        rig.recorder->start(QStringLiteral("20261207120000"));
        QVERIFY(rig.feedSeconds(6));
        rig.recorder->stop();
        QVERIFY(std::fabs(array(rig, "METSPerStage").value(0) - mets) < 1e-9);
        QCOMPARE(rig.study->property(QStringLiteral("recordingDateTime")), QStringLiteral("20261207120000"));
    }

    void equipment_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("fail");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<int>("messages");
        const QStringList treadmill{"start", "speed=0", "incline=0", "apply", "speed=2.7", "incline=10", "apply",
                                    "stop"};
        QTest::newRow("treadmill") << int(TProtocol::Treadmill) << "" << treadmill << 0;
        QTest::newRow("ergometer") << int(TProtocol::Ergometer) << ""
                                   << QStringList{"start", "workload=0", "apply", "workload=2.7", "apply", "stop"} << 0;
        QTest::newRow("ecg sends no load") << int(TProtocol::Ecg) << "" << QStringList{"start", "stop"} << 0;
        QTest::newRow("failed start") << int(TProtocol::Treadmill) << "start" << QStringList{"start"} << 1;
        // The incline is not sent after a refused speed, and nothing after that.
        QTest::newRow("failed value") << int(TProtocol::Treadmill) << "value" << QStringList{"start", "speed=0", "apply"}
                                      << 1;
        QTest::newRow("failed stop") << int(TProtocol::Treadmill) << "stop" << treadmill << 1;
    }
    void equipment()
    {
        QFETCH(int, type);
        QFETCH(QString, fail);
        QFETCH(QStringList, calls);
        QFETCH(int, messages);
        FakeEquipment equipment;
        equipment.failStart = fail == QLatin1String("start");
        equipment.failSetValue = fail == QLatin1String("value");
        equipment.failStop = fail == QLatin1String("stop");
        TProtocol p = protocolOf(type == TProtocol::Ergometer ? TProtocol::Ergometer : TProtocol::Treadmill,
                                 {{0, 6, 3, 2}, {1, 60, 0, 0}, {1, 60, 2.7, 10}});
        p.setType(type);
        Rig rig(&p, &equipment);
        rig.recorder->start(QStringLiteral("20261207120000"));
        // No load is sent at start: the first stage's load goes with the first change.
        QVERIFY(equipment.calls.size() <= 1);
        QVERIFY(rig.feedSeconds(7)); // automatic advance
        rig.recorder->nextStage();
        rig.recorder->stop();
        QCOMPARE(equipment.calls, calls);
        QCOMPARE(rig.listener.messages.size(), messages);
        for (const QString& m : rig.listener.messages)
            QCOMPARE(m, QStringLiteral("Communication with ergometer/treadmill device failed."));
        QCOMPARE(rig.recorder->equipment() == nullptr, messages > 0);
    }

    void listenersInOrder()
    {
        QStringList log;
        LogListener a(QStringLiteral("a"), &log), b(QStringLiteral("b"), &log);
        const TProtocol p = exercise({60, 60});
        Rig rig(&p);
        rig.recorder->addListener(&a);
        rig.recorder->addListener(&b);
        rig.recorder->start(QStringLiteral("20261207120000"));
        QVERIFY(rig.feed(100));
        rig.recorder->nextStage();
        storeBeat(*rig.recorder, beatAt(0.1, 0.75));
        rig.recorder->onError(rig.recorder->driver(), "Error: port vanished");
        rig.recorder->deviceFailed();
        rig.recorder->stop();
        const QStringList expected{"a:started", "b:started", "a:update", "b:update", "a:stageChanged",
                                   "b:stageChanged", "a:beat", "b:beat", "a:message", "b:message",
                                   "a:message", "b:message", "a:stageChanged", "b:stageChanged",
                                   "a:stopped", "b:stopped"};
        QCOMPARE(log, expected);
        QCOMPARE(a.messages, (QStringList{"Error: port vanished", "Communication with ECG acquiring device failed."}));
    }

    void recordedSamples_data()
    {
        QTest::addColumn<QVector<int>>("blocks");
        QTest::newRow("steady") << QVector<int>{51, 52, 51, 55, 51};
        QTest::newRow("mixed") << QVector<int>{2500, 77, 51, 1000, 2500, 333};
    }
    void recordedSamples()
    {
        QFETCH(QVector<int>, blocks);
        const TProtocol p = exercise({600});
        Rig rig(&p);
        QVERIFY(rig.feed(1000, pattern));
        rig.recorder->start(QStringLiteral("20261207120000"));
        int total = 0;
        for (int n : blocks) {
            QVERIFY(rig.feed(n, pattern));
            total += n;
        }
        TSignalBuffer* recording = rig.study->recording();
        QCOMPARE(recording->length(), total);
        QCOMPARE(rig.recorder->recordingTime(), total / 500.0);
        for (int c = 0; c < rig.channels(); ++c)
            for (int i = 0; i < total; ++i)
                if (recording->sample(c, i) != pattern(c, 1000 + i))
                    QFAIL(qPrintable(QString("channel %1 sample %2").arg(c).arg(i)));
    }

    void recordingWriteFailure()
    {
        auto failing = std::make_unique<FailingRecording>(7);
        FailingRecording* recording = failing.get();
        const TProtocol p = exercise({600});
        Rig rig(&p, nullptr, std::move(failing));
        rig.recorder->start(QStringLiteral("20261207120000"));
        QVERIFY(rig.feedSeconds(2, 250, pattern));
        recording->failing = true;
        QVERIFY(rig.feedSeconds(3, 250, pattern));
        QCOMPARE(rig.listener.messages.size(), 1);
        QVERIFY(rig.listener.messages[0].contains(QLatin1String("Write error")));
        QCOMPARE(recording->length(), 1000);
        // The recording time goes on: the protocol must not stall with the disk.
        QCOMPARE(rig.recorder->recordingTime(), 5.0);
        recording->failing = false;
        QVERIFY(rig.feedSeconds(1, 250, pattern));
        QCOMPARE(recording->length(), 3000);
        for (int c = 0; c < 7; ++c)
            for (int i = 0; i < 3000; ++i)
                if (recording->sample(c, i) != pattern(c, i))
                    QFAIL(qPrintable(QString("channel %1 sample %2").arg(c).arg(i)));
        QCOMPARE(rig.listener.messages.size(), 1);
    }

    void beatStoreFailure()
    {
        auto failing = std::make_unique<FailingBeatStore>();
        FailingBeatStore* store = failing.get();
        const TProtocol p = exercise({600});
        Rig rig(&p, nullptr, nullptr, std::move(failing));
        rig.recorder->start(QStringLiteral("20261207120000"));
        QVERIFY(rig.feedSeconds(5));
        store->failing = true;
        storeBeat(*rig.recorder, beatAt(1.0, 0.75));
        storeBeat(*rig.recorder, beatAt(2.0, 0.75));
        QCOMPARE(store->count(), 0);
        QCOMPARE(rig.listener.messages.size(), 1);
        store->failing = false;
        storeBeat(*rig.recorder, beatAt(3.0, 0.75));
        QCOMPARE(store->count(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(store->beat(i).time(), 1.0 + i);
    }

    void battery_data()
    {
        QTest::addColumn<double>("threshold");
        QTest::addColumn<double>("volts");
        QTest::addColumn<bool>("low");
        QTest::newRow("no battery reading") << 0.0 << 0.0 << false;
        QTest::newRow("2.0 V") << 0.0 << 2.0 << true;
        QTest::newRow("2.5 V") << 0.0 << 2.5 << false;
        QTest::newRow("2.5 V below 2.6") << 2.6 << 2.5 << true;
        QTest::newRow("a threshold of 0 is ignored") << -1.0 << 2.5 << false;
    }
    void battery()
    {
        QFETCH(double, threshold);
        QFETCH(double, volts);
        QFETCH(bool, low);
        Rig rig(nullptr);
        TStudyRecorder::setLowBatteryThreshold(threshold > 0.0 ? threshold : TStudyRecorder::DefaultLowBatteryThreshold);
        if (threshold < 0.0)
            TStudyRecorder::setLowBatteryThreshold(0.0);
        rig.device.battery = volts;
        QCOMPARE(rig.recorder->lowBattery(), low);
        TStudyRecorder::setLowBatteryThreshold(TStudyRecorder::DefaultLowBatteryThreshold);
    }

    void contact()
    {
        Rig rig(nullptr);
        QVERIFY(!rig.recorder->anyElectrodeOff());
        QCOMPARE(rig.device.electrodesAsked,
                 (QStringList{"LL", "LA", "RA", "V1", "V2", "V3", "V4", "V5", "V6"}));
        rig.device.offElectrodes = QStringList{"V3"};
        QVERIFY(rig.recorder->anyElectrodeOff());
        // Saturation counts for the leads the device delivers (here V5, not V1).
        QVERIFY(!rig.recorder->anyLeadOff());
        rig.device.saturatedLead = TLeadTable::V1;
        QVERIFY(!rig.recorder->anyLeadOff());
        rig.device.saturatedLead = TLeadTable::V5;
        QVERIFY(rig.recorder->anyLeadOff());
    }

    // Leads without signal by the device's account are reported to the beat
    // detector, which does not wait for them: LA off takes I, III, aVR and aVL;
    // a saturated V5 takes V5.
    void lostLeadsReachTheDetector()
    {
        Rig rig(nullptr);
        rig.device.offElectrodes = QStringList{"LA"};
        rig.device.saturatedLead = TLeadTable::V5;
        QVERIFY(rig.feed(250));
        const TQrsDetector& detector = rig.recorder->analysisPath()->detector();
        const QList<int> leads = TLeadTable::selectedLeads(TLeadTable::DefaultChannelMask);
        for (int c = 0; c < leads.size(); ++c) {
            const int lead = leads[c];
            const bool expected = lead == TLeadTable::I || lead == TLeadTable::III || lead == TLeadTable::aVR ||
                                  lead == TLeadTable::aVL || lead == TLeadTable::V5;
            QVERIFY2(detector.isChannelLost(c) == expected, TLeadTable::leadName(lead));
        }
    }

    void pacemaker()
    {
        const TProtocol p = exercise({600});
        Rig rig(&p);
        rig.device.addPulse(300);
        QVERIFY(rig.feed(1000));
        rig.recorder->start(QStringLiteral("20261207120000"));
        rig.device.addPulse(1500);
        QVERIFY(rig.feed(1000));
        QCOMPARE(rig.recorder->pacemakerPulses(), (std::vector<int>{300, 1500}));
        QCOMPARE(array(rig, "pacemakerPulses").values(), (std::vector<double>{1.0}));
    }

    void displayFilters()
    {
        Rig rig(nullptr);
        QVERIFY(rig.feed(600));
        TSignalBuffer* shown = rig.recorder->setFilters(true, true, true);
        QVERIFY(shown);
        QCOMPARE(shown, rig.recorder->displaySignal());
        QCOMPARE(shown->samplingRate(), 500);
        QCOMPARE(shown->channelCount(), 7);
        QCOMPARE(shown->channel(6)->name(), QByteArray("V5"));
        QCOMPARE(rig.recorder->displayChain()->notch(), true);
        QCOMPARE(rig.recorder->displayChain()->baseline(), true);
        for (int i = 0; i < 4; ++i)
            QVERIFY(rig.feed(2500));
        // The filters' delays hold back the latest few hundred samples.
        QVERIFY(shown->length() >= 600 + 10000 - 2000);
        auto* ring = dynamic_cast<TIntSignalBuffer*>(rig.recorder->displayChain()->source());
        QVERIFY(ring);
        QCOMPARE(ring->ringCapacity(), 20 * 4096);
    }

    void noProtocol()
    {
        Rig rig(nullptr);
        rig.recorder->start(QStringLiteral("20261207120000"));
        QVERIFY(rig.feedSeconds(7));
        rig.recorder->nextStage();
        rig.recorder->recovery();
        rig.recorder->stop();
        QVERIFY(!rig.study->protocol());
        QCOMPARE(rig.study->recording()->length(), 3500);
        QVERIFY(rig.listener.stageTimes.empty());
    }
};

QTEST_GUILESS_MAIN(TestStudyRecorder)
#include "tst_studyrecorder.moc"
