// Whole recordings through real devices: the demo replay, the ECG recorder on a
// pseudo-terminal, and the treadmill and ergometer simulators, in real time.

#include "RecorderTestRig.h"

#include "TDemoAcqDevice.h"
#include "TErgometerSimulator.h"
#include "TKipnetTreadmill.h"
#include "TLocalStudyStore.h"
#include "TOlmoErgometer.h"
#include "TRecorderProtocol.h"
#include "TRecorderSignalSource.h"
#include "TRecorderSimulator.h"
#include "TSerialAcqDevice.h"
#include "TTreadmillSimulator.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>

using namespace RecorderTest;

namespace {

// Copies every sample the driver delivers from the moment it is armed, to be
// compared with what the study recorded. Registered after the engine.
class DeliveredSamples : public TAcqDriverListener
{
public:
    void arm(const TSignalBuffer& raw)
    {
        m_next = raw.length();
        m_armed = true;
    }
    void onData(TAcqDriver* driver) override
    {
        const TSignalBuffer* raw = driver->buffer();
        if (!m_armed)
            return;
        if (channels.empty())
            channels.resize(size_t(raw->channelCount()));
        for (; m_next < raw->length(); ++m_next)
            for (int c = 0; c < raw->channelCount(); ++c)
                channels[size_t(c)].push_back(qint16(raw->sample(c, m_next)));
    }
    void onPacemaker(TAcqDriver*, int) override {}
    void onError(TAcqDriver*, const char* message) override { errors.append(QString::fromLocal8Bit(message)); }

    std::vector<std::vector<qint16>> channels;
    QStringList errors;

private:
    int m_next = 0;
    bool m_armed = false;
};

// Index of the first sample that differs between the recording and what was
// delivered, or -1 when they are the same.
int firstDifference(const TSignalBuffer& recording, const DeliveredSamples& delivered)
{
    if (delivered.channels.empty() || int(delivered.channels[0].size()) != recording.length())
        return 0;
    for (int c = 0; c < recording.channelCount(); ++c)
        for (int i = 0; i < recording.length(); ++i)
            if (recording.sample(c, i) != delivered.channels[size_t(c)][size_t(i)])
                return i;
    return -1;
}

// The V1 code of the recorder simulator's frames: a count over every frame it
// makes, across plugging in and out.
std::atomic<int> simulatorFrames{0};

void countingSource(qint64, int, qint16* leads)
{
    for (int lead = 0; lead < 14; ++lead)
        leads[lead] = qint16(40 * lead - 200);
    leads[TLeadTable::V1] = qint16(simulatorFrames.fetch_add(1) & 0x3FFF);
}

} // namespace

class TestRecordingEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // The demo replay through a treadmill protocol of short stages: automatic
    // advance, next stage, recovery and stop, in real time, into a study of the
    // store; closed and opened again, the study holds what was recorded.
    void demoStressTest()
    {
        QTemporaryDir dir;
        TLocalStudyStore store(dir.path());
        TDemoAcqDevice device;
        TQuickPatient patient;
        patient.lastName = QStringLiteral("Perez");
        patient.firstName = QStringLiteral("Rex");
        TStudyRecord newStudy = TStudyRecord::newStudy(TStudyRecord::StressTest, patient, QStringLiteral("Test"));
        newStudy.acquisition = TAcquisitionFields::fromDevice(device);
        TStudy* study = store.saveNewStudy(newStudy);
        QVERIFY(study);
        const int id = study->id();
        DeliveredSamples delivered;
        TProtocol executedCopy;
        TStudyResults resultsCopy;
        {
            const TProtocol protocol = protocolOf(TProtocol::Treadmill, {{TProtocolStage::Rest, 5, 0, 0},
                                                                         {TProtocolStage::Exercise, 6, 2.7, 10},
                                                                         {TProtocolStage::Exercise, 60, 4.0, 12},
                                                                         {TProtocolStage::Recovery, 60, 1.5, 0},
                                                                         {TProtocolStage::Recovery, 60, 1.0, 0}});
            FakeEquipment equipment;
            TStudyRecorder recorder(&device, study, &protocol, &equipment);
            LogListener listener(QStringLiteral("w"), nullptr);
            recorder.addListener(&listener);
            recorder.driver()->addListener(&delivered);
            recorder.startAcquisition();
            QTest::qWait(2500);
            recorder.start(QStringLiteral("20261207210000"));
            delivered.arm(*recorder.rawSignal());
            QTRY_VERIFY_WITH_TIMEOUT(recorder.stageIndex() == 2, 15000); // two automatic advances
            QTest::qWait(6000);
            recorder.nextStage(); // to the first recovery stage
            QCOMPARE(recorder.stageIndex(), 3);
            QTest::qWait(5500);
            recorder.recovery(); // restarts it
            QCOMPARE(recorder.stageIndex(), 3);
            QTest::qWait(2000);
            recorder.stop();
            recorder.stopAcquisition();

            TSignalBuffer* recording = study->recording();
            QVERIFY(recording->length() > 20 * 500);
            QCOMPARE(firstDifference(*recording, delivered), -1);
            QCOMPARE(recorder.recordingTime(), recording->length() / 500.0);

            const TProtocol* executed = study->protocol();
            QVERIFY(executed);
            QVector<int> phases;
            for (int i = 0; i < executed->stageCount(); ++i)
                phases.append(executed->stage(i).phase());
            // Rest, two exercise stages, the recovery stage twice; the last 2 s fold.
            QCOMPARE(phases, (QVector<int>{0, 1, 1, 2}));
            // Ended at the first block at or after 5 s.
            QVERIFY(executed->stage(0).duration() >= 5.0 && executed->stage(0).duration() < 5.5);
            QVERIFY(std::fabs(executed->totalDuration() - recording->length() / 500.0) < 3.0);
            QCOMPARE(equipment.calls.first(), QStringLiteral("start"));
            QCOMPARE(equipment.calls.last(), QStringLiteral("stop"));
            QVERIFY(equipment.calls.contains(QStringLiteral("speed=4")));

            // Beats: every one stored, in order, inside the recording.
            const TBeatStore& beats = *study->beats();
            QVERIFY(beats.count() > 15);
            for (int i = 0; i < beats.count(); ++i) {
                QVERIFY(beats.beat(i).time() >= 0.0 && beats.beat(i).time() < recorder.recordingTime());
                if (i > 0)
                    QVERIFY(beats.beat(i).time() > beats.beat(i - 1).time());
            }
            const TStudyResults& results = study->results();
            QVERIFY(results.trend(QStringLiteral("BPMTrend"))->size() > 10);
            QVERIFY(recorder.heartRate() > 30 && recorder.heartRate() < 250);
            QCOMPARE(results.valueArray(QStringLiteral("BPMPerStage"))->size(), 4);
            QVERIFY(*results.value(QStringLiteral("maxBPM")) > 30);
            QVERIFY(recorder.averager()->hasReference());
            QVERIFY(listener.messages.isEmpty());
            QVERIFY(delivered.errors.isEmpty());
            executedCopy = *executed;
            resultsCopy = results;
            store.updateStudy(study->record());
        }
        store.closeStudy(id);
        QVERIFY(!store.isStudyOpen(id));

        const TStudy* reopened = store.openStudy(id);
        QVERIFY(reopened);
        QVERIFY(reopened->recordingAvailable() && reopened->beatsAvailable());
        QCOMPARE(firstDifference(*reopened->recording(), delivered), -1);
        // The executed protocol as its record form keeps it (durations in whole seconds).
        QVERIFY(reopened->protocol());
        QVERIFY(*reopened->protocol() == TProtocol::fromJson(TProtocol::toJson(executedCopy)));
        QVERIFY(reopened->results() == resultsCopy);
        QCOMPARE(reopened->record().acquisition, newStudy.acquisition);
        // Every beat given a class was stored; the METS trend has a point for each.
        const TTrend* mets = reopened->results().trend(QStringLiteral("METSTrend"));
        std::vector<double> classified;
        for (int i = 0; i < reopened->beats()->count(); ++i) {
            if (reopened->beats()->beat(i).label() >= 0)
                classified.push_back(reopened->beats()->beat(i).time());
        }
        QVERIFY(classified.size() > 15);
        QCOMPARE(classified.size(), mets->times().size());
        for (size_t i = 0; i < classified.size(); ++i)
            QVERIFY(std::fabs(classified[i] - mets->times()[i]) < 1e-9);
    }

    // The recorder on a pseudo-terminal is unplugged for a while: the recording
    // resumes with the link, keeps what came before and duplicates nothing.
    void serialRecorderUnplugged()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath("recorder");
        TRecorderSimulator simulator(TRecorderSimulator::Protocol::Default,
                                     std::make_unique<TFunctionSignalSource>(450.0, countingSource), link);
        QVERIFY(simulator.start());
        TSerialAcqDevice device(link, TRecorderProtocol::DefaultBaudRate, TLeadTable::AllLeadsMask);
        TLocalStudyStore store(dir.filePath("studies"));
        TStudyRecord newStudy = TStudyRecord::newStudy(TStudyRecord::Ecg, TQuickPatient());
        newStudy.acquisition = TAcquisitionFields::fromDevice(device);
        TStudy* study = store.saveNewStudy(newStudy);
        QVERIFY(study);
        auto recorder = std::make_unique<TStudyRecorder>(&device, study, nullptr, nullptr);
        LogListener listener(QStringLiteral("w"), nullptr);
        recorder->addListener(&listener);
        DeliveredSamples delivered;
        recorder->driver()->addListener(&delivered);
        recorder->startAcquisition();
        QTRY_VERIFY_WITH_TIMEOUT(recorder->rawSignal()->length() > 500, 5000);
        recorder->start(QStringLiteral("20261207210000"));
        delivered.arm(*recorder->rawSignal());
        QTest::qWait(2000);
        QVERIFY(study->recording()->length() > 500);

        simulator.unplugFor(3000);
        QTRY_VERIFY_WITH_TIMEOUT(!simulator.isPluggedIn(), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(simulator.isPluggedIn(), 6000);
        const int back = study->recording()->length();
        QTRY_VERIFY_WITH_TIMEOUT(study->recording()->length() > back + 1000, 8000);
        recorder->stop();
        recorder->stopAcquisition();

        const TSignalBuffer& recording = *study->recording();
        // What came before the unplugging is kept as it was delivered.
        QCOMPARE(firstDifference(recording, delivered), -1);
        // The frame count only goes forward: no frame twice, and the gap of the
        // unplugged seconds is the only one of any size.
        int gaps = 0;
        for (int i = 1; i < recording.length(); ++i) {
            const int step = (recording.sample(TLeadTable::V1, i) - recording.sample(TLeadTable::V1, i - 1)) & 0x3FFF;
            QVERIFY2(step != 0, qPrintable(QString("sample %1 repeats the one before").arg(i)));
            if (step != 1)
                ++gaps;
        }
        QVERIFY2(gaps <= 2, qPrintable(QString::number(gaps)));
        QVERIFY(listener.messages.isEmpty());

        // Closed and opened again, the study holds the same recording.
        recorder.reset();
        const int id = study->id();
        store.closeStudy(id);
        const TStudy* reopened = store.openStudy(id);
        QVERIFY(reopened);
        QCOMPARE(firstDifference(*reopened->recording(), delivered), -1);
    }

    // The treadmill receives every new stage's load; later it falls silent and
    // the test goes on.
    void treadmillFollowsStages()
    {
        QTemporaryDir dir;
        TTreadmillSimulator treadmill(dir.filePath("treadmill"));
        QVERIFY(treadmill.start());
        TKipnetTreadmill controller(treadmill.portPath(), dir.filePath("kipnet.log"));
        const TProtocol protocol = protocolOf(TProtocol::Treadmill, {{1, 6, 2.7, 10}, {1, 6, 4.0, 12}, {1, 60, 5.5, 14}});
        Rig rig(&protocol, &controller);
        rig.recorder->start(QStringLiteral("20261207210000"));
        QVERIFY(rig.feedSeconds(6.5));
        QTRY_VERIFY_WITH_TIMEOUT(treadmill.speedKmh() == 4.0 && treadmill.inclinePercent() == 12.0, 5000);
        QVERIFY(treadmill.isRunning());
        treadmill.setSilentFrames(-1);
        QVERIFY(rig.feedSeconds(6.0));
        QCOMPARE(rig.recorder->stageIndex(), 2);
        // Its worker gives up on the silent treadmill; the recording goes on.
        QTRY_VERIFY_WITH_TIMEOUT(!controller.isWorkerRunning(), 20000);
        QVERIFY(rig.feedSeconds(2.0));
        rig.recorder->stop();
        QCOMPARE(rig.study->recording()->length(), int(14.5 * 500));
        // The last 2.5 s fold into the second stage.
        QCOMPARE(rig.study->protocol()->stageCount(), 2);
        QCOMPARE(rig.study->protocol()->stage(1).duration(), 8.5);
    }

    void ergometerFollowsStages()
    {
        QTemporaryDir dir;
        TErgometerSimulator ergometer(dir.filePath("ergometer"));
        QVERIFY(ergometer.start());
        TOlmoErgometer controller(ergometer.portPath());
        const TProtocol protocol = protocolOf(TProtocol::Ergometer, {{1, 6, 50, 0}, {1, 6, 80, 0}});
        Rig rig(&protocol, &controller);
        rig.recorder->start(QStringLiteral("20261207210000"));
        QVERIFY(rig.feedSeconds(6.5));
        QCOMPARE(rig.recorder->stageIndex(), 1);
        // The ergometer starts after its 7 s of initialisation.
        QTRY_COMPARE_WITH_TIMEOUT(ergometer.workload(), 80, 15000);
        rig.recorder->stop();
    }
};

QTEST_GUILESS_MAIN(TestRecordingEndToEnd)
#include "tst_recordingendtoend.moc"
