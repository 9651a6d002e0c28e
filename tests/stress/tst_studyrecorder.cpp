#include "RecorderTestRig.h"

#include "TAnalysisPath.h"
#include "TBeatAverager.h"
#include "TQrsDetector.h"
#include "TStreamingFilterChain.h"

#include <QtTest>
#include <cmath>

using namespace RecorderTest;

namespace {

struct Stage
{
    int phase;
    double duration;
    double speed;   // or the workload of an ergometer stage
    double incline;
};

TProtocol protocolOf(int type, std::initializer_list<Stage> stages)
{
    TProtocol p;
    p.setName("Test");
    p.setType(type);
    for (const Stage& s : stages) {
        if (type == TProtocol::Ergometer) {
            TProtocolStage& st = p.insertStage(p.stageCount());
            st = TProtocolStage();
            st.setPhase(s.phase);
            st.setDuration(s.duration);
            st.setValue(QStringLiteral("workload"), s.speed);
        } else {
            p.appendStage(s.phase, s.duration, s.speed, s.incline);
        }
    }
    return p;
}

TProtocol exercise(std::initializer_list<double> durations)
{
    TProtocol p;
    p.setName("Test");
    p.setType(TProtocol::Treadmill);
    for (double d : durations)
        p.appendStage(TProtocolStage::Exercise, d, 3.0, 5.0);
    return p;
}

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

QVector<double> durations(const TProtocol* p)
{
    QVector<double> d;
    if (p)
        for (int i = 0; i < p->stageCount(); ++i)
            d.append(p->stage(i).duration());
    return d;
}

bool near(const QVector<double>& a, const QVector<double>& b, double tolerance = 1e-9)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i)
        if (std::fabs(a[i] - b[i]) > tolerance)
            return false;
    return true;
}

QString text(const QVector<double>& v)
{
    QStringList s;
    for (double x : v)
        s.append(QString::number(x));
    return s.join(QLatin1Char(' '));
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
        QTest::addColumn<QVector<double>>("changeTimes");
        QTest::addColumn<QVector<double>>("executed");
        // Stages of 10 s; stageStart is whole seconds, so a stage that began at
        // 10.2 s ends at 20 s of recording time.
        QTest::newRow("0.5 s blocks") << 250 << 80 << QVector<double>{10.0, 20.0} << QVector<double>{10, 10, 20};
        QTest::newRow("0.3 s blocks") << 150 << 134 << QVector<double>{10.2, 20.1}
                                      << QVector<double>{10.2, 10.1, 20.2};
        QTest::newRow("0.666 s blocks") << 333 << 60 << QVector<double>{10.656, 20.646}
                                        << QVector<double>{10.656, 10.646, 19.96};
    }
    void automaticAdvance()
    {
        QFETCH(int, block);
        QFETCH(int, blocks);
        QFETCH(QVector<double>, changeTimes);
        QFETCH(QVector<double>, executed);
        const TProtocol p = exercise({10, 10, 10});
        Rig rig(&p);
        rig.recorder->start(QStringLiteral("20261207120000"));
        for (int i = 0; i < blocks; ++i)
            QVERIFY(rig.feed(block));
        // The last stage runs on however long it lasts.
        QCOMPARE(rig.recorder->stageIndex(), 2);
        QCOMPARE(rig.recorder->stageStart(), 20);
        const QVector<double> times(rig.listener.stageTimes.begin(), rig.listener.stageTimes.end());
        QVERIFY2(near(times, changeTimes), qPrintable(text(times)));
        rig.recorder->stop();
        QVERIFY2(near(durations(rig.study->protocol()), executed, 1e-6), qPrintable(text(durations(rig.study->protocol()))));
        QCOMPARE(rig.study->protocol()->name(), QByteArray("Test"));
        QCOMPARE(array(rig, "BPMPerStage").size(), 3);
    }

    void nextStage_data()
    {
        QTest::addColumn<QVector<double>>("steps"); // seconds fed before each next stage
        QTest::addColumn<QVector<double>>("executed");
        QTest::addColumn<int>("stageIndex");
        QTest::addColumn<int>("perStage");
        QTest::newRow("3 s after start records a stage") << QVector<double>{3} << QVector<double>{3} << 1 << 1;
        QTest::newRow("3 s after a change folds") << QVector<double>{12, 3} << QVector<double>{15} << 2 << 1;
        QTest::newRow("6 s after a change records") << QVector<double>{12, 6} << QVector<double>{12, 6} << 2 << 2;
        QTest::newRow("on the last stage nothing") << QVector<double>{10, 10, 10, 10} << QVector<double>{10, 10, 10}
                                                   << 3 << 3;
    }
    void nextStage()
    {
        QFETCH(QVector<double>, steps);
        QFETCH(QVector<double>, executed);
        QFETCH(int, stageIndex);
        QFETCH(int, perStage);
        const TProtocol p = exercise({60, 60, 60, 60});
        Rig rig(&p);
        rig.recorder->start(QStringLiteral("20261207120000"));
        for (double s : steps) {
            QVERIFY(rig.feedSeconds(s));
            rig.recorder->nextStage();
        }
        QCOMPARE(rig.recorder->stageIndex(), stageIndex);
        QVERIFY2(near(durations(rig.study->protocol()), executed), qPrintable(text(durations(rig.study->protocol()))));
        QCOMPARE(array(rig, "BPMPerStage").size(), perStage);
        QCOMPARE(array(rig, "METSPerStage").size(), perStage);
        // Leaving the first stage takes the reference beat.
        QVERIFY(rig.recorder->averager()->hasReference());
    }

    void recovery_data()
    {
        QTest::addColumn<QString>("script"); // n: next stage, r: recovery, each after 10 s
        QTest::addColumn<int>("stageIndex");
        QTest::addColumn<int>("executedStages");
        QTest::addColumn<bool>("reference");
        QTest::addColumn<int>("stageStart");
        QTest::newRow("from the first stage") << "r" << 3 << 1 << false << 10;
        QTest::newRow("from exercise") << "nr" << 3 << 2 << true << 20;
        QTest::newRow("on a recovery stage restarts it") << "nrr" << 3 << 3 << true << 30;
        QTest::newRow("on the last stage nothing") << "nrnr" << 4 << 3 << true << 30;
    }
    void recovery()
    {
        QFETCH(QString, script);
        QFETCH(int, stageIndex);
        QFETCH(int, executedStages);
        QFETCH(bool, reference);
        QFETCH(int, stageStart);
        const TProtocol p = protocolOf(TProtocol::Treadmill, {{0, 60, 0, 0}, {1, 60, 3, 5}, {1, 60, 4, 10},
                                                              {2, 60, 2, 0}, {2, 60, 1, 0}});
        Rig rig(&p);
        rig.recorder->start(QStringLiteral("20261207120000"));
        for (QChar c : script) {
            QVERIFY(rig.feedSeconds(10));
            if (c == QLatin1Char('n'))
                rig.recorder->nextStage();
            else
                rig.recorder->recovery();
        }
        QCOMPARE(rig.recorder->stageIndex(), stageIndex);
        QCOMPARE(rig.study->protocol()->stageCount(), executedStages);
        QCOMPARE(rig.recorder->stageStart(), stageStart);
        QCOMPARE(rig.recorder->averager()->hasReference(), reference);
        QCOMPARE(rig.recorder->currentPhase(), p.stage(stageIndex).phase());
    }

    void recoveryWithoutRecoveryStage()
    {
        const TProtocol p = exercise({60, 60, 60});
        Rig rig(&p);
        rig.recorder->start(QStringLiteral("20261207120000"));
        QVERIFY(rig.feedSeconds(10));
        rig.recorder->recovery();
        QCOMPARE(rig.recorder->stageIndex(), 0);
        QVERIFY(rig.listener.stageTimes.empty());
    }

    void stopFolds_data()
    {
        QTest::addColumn<double>("lastStage");
        QTest::addColumn<QVector<double>>("executed");
        QTest::newRow("3 s last stage folds") << 3.0 << QVector<double>{13};
        QTest::newRow("8 s last stage records") << 8.0 << QVector<double>{10, 8};
    }
    void stopFolds()
    {
        QFETCH(double, lastStage);
        QFETCH(QVector<double>, executed);
        const TProtocol p = exercise({10, 60});
        Rig rig(&p);
        rig.recorder->start(QStringLiteral("20261207120000"));
        QVERIFY(rig.feedSeconds(10 + lastStage));
        rig.recorder->stop();
        QVERIFY(!rig.recorder->isRecording());
        QVERIFY2(near(durations(rig.study->protocol()), executed), qPrintable(text(durations(rig.study->protocol()))));
        QCOMPARE(rig.listener.stageTimes.size(), size_t(2));
        QCOMPARE(rig.recorder->stageIndex(), 1);
        // Nothing more is recorded after stop.
        const int length = rig.study->recording()->length();
        QVERIFY(rig.feedSeconds(1));
        QCOMPARE(rig.study->recording()->length(), length);
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
        QTest::newRow("zero weight") << "0" << 0.0;
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
