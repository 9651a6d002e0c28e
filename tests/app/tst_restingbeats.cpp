// A resting ECG is measured on every beat of its recording, from its first
// second to its last: a synthesized ten seconds recorded from the first sample
// on, through the engine and through the monitor window's Start and Stop, into
// the study's beat list and its measurement.

#include "AppTestEnvironment.h"
#include "RecorderTestRig.h"

#include "EcgMonitorWindow.h"
#include "TAcquisitionFields.h"
#include "TBeatAverager.h"
#include "TEcgSynthesizer.h"
#include "TLocalStudyStore.h"
#include "TRestingMeasurement.h"
#include "TStudy.h"
#include "TStudyRecorder.h"
#include "TTimeText.h"

#include <QPushButton>
#include <cmath>

using namespace RecorderTest;

namespace {

constexpr double Seconds = 10.0;
constexpr double FirstR = 0.4;

// Ten seconds at 100/min whose first R lies at 0.4 s.
struct Resting
{
    Resting()
    {
        TSynthParams params;
        params.seed = 7;
        params.durationSeconds = 30.0;
        params.heartRateStart = params.heartRateEnd = 100.0;
        synth = std::make_unique<TEcgSynthesizer>(params);
        cut = qint64(std::lround((synth->beats().at(3).rTime - FirstR) * 500));
        for (const TSynthBeat& b : synth->beats()) {
            const double t = b.rTime - cut / 500.0;
            if (t >= 0.0 && t < Seconds)
                rTimes.push_back(t);
        }
    }
    std::vector<qint16> frames(qint64 first, int count) const
    {
        std::vector<qint16> out(size_t(count) * TEcgSynthesizer::LeadCount);
        synth->render(cut + first, count, out.data());
        return out;
    }
    std::unique_ptr<TEcgSynthesizer> synth;
    qint64 cut = 0;
    std::vector<double> rTimes;
};

// Pushes the ten seconds through the device in blocks of 0.5 s, each taken by
// the engine before the next.
bool play(ScriptedDevice& device, const std::function<int()>& delivered, const Resting& ecg)
{
    for (qint64 f = 0; f < qint64(Seconds * 500); f += 250) {
        const int target = delivered() + 250;
        device.push(ecg.frames(f, 250));
        if (!waitProcessingEvents([&] { return delivered() >= target; }, 20000))
            return false;
    }
    return true;
}

// The complexes whole in the recording that the beat list lacks or holds more
// than once, and the beats of it that are none of them.
QString beatListFaults(const TBeatStore& beats, const std::vector<double>& rTimes)
{
    QStringList faults;
    for (double t : rTimes) {
        int found = 0;
        for (int i = 0; i < beats.count(); ++i)
            found += std::abs(beats.beat(i).time() - t) <= 0.04;
        if (found != 1 && t >= 0.12 && t <= Seconds - 0.12)
            faults.append(QStringLiteral("%1 times at %2 s").arg(found).arg(t, 0, 'f', 3));
    }
    for (int i = 0; i < beats.count(); ++i) {
        const double t = beats.beat(i).time();
        if (i > 0 && t <= beats.beat(i - 1).time())
            faults.append(QStringLiteral("out of order at %1 s").arg(t, 0, 'f', 3));
        bool known = false;
        for (double r : rTimes)
            known = known || std::abs(r - t) <= 0.04;
        if (!known)
            faults.append(QStringLiteral("invented at %1 s").arg(t, 0, 'f', 3));
    }
    // A beat without the mean interval cannot be told regular: review and
    // reports would leave it out of the average.
    for (int i = 0; i < beats.count(); ++i)
        if (!(beats.beat(i).value(TBeat::MeanRR) > 0.0))
            faults.append(QStringLiteral("no mean RR at %1 s").arg(beats.beat(i).time(), 0, 'f', 3));
    return faults.join(QStringLiteral("; "));
}

} // namespace

class TestRestingBeats : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void engineStoresAndAveragesEveryBeat();
    void rateGoesWhenBeatsStop();
    void monitorStopStoresEveryBeat();
    void beatListThatRefusesStillMeasures();

private:
    std::unique_ptr<TLocalStudyStore> m_store;
};

void TestRestingBeats::initTestCase()
{
    m_store = std::make_unique<TLocalStudyStore>(AppTest::dataFolder());
}

void TestRestingBeats::engineStoresAndAveragesEveryBeat()
{
    const Resting ecg;
    // The list's faults cover its first beat: no complex comes before FirstR.
    QVERIFY(std::abs(ecg.rTimes.front() - FirstR) < 0.002);
    Rig rig(nullptr, nullptr, nullptr, nullptr, allLeads());
    rig.recorder->start(QStringLiteral("20261208120000"));
    QVERIFY(play(rig.device, [&] { return rig.delivered(); }, ecg));
    TRestingMeasurement::endRecording(*rig.recorder, *rig.study);

    const TBeatStore& beats = *rig.study->beats();
    QCOMPARE(beatListFaults(beats, ecg.rTimes), QString());
    for (int i = 0; i < beats.count(); ++i)
        QCOMPARE(beats.beat(i).buffer(), static_cast<const TSignalBuffer*>(rig.study->recording()));

    // Every beat is a regular one of the average, and the measurement is taken.
    const TMeasurementRecord stored = TRestingMeasurement::load(rig.study->results());
    QVERIFY(stored.value(QStringLiteral("measurementChannel")) >= 0.0);
    QVERIFY(std::abs(stored.value(QStringLiteral("avgRRInterval")) - 0.6) < 0.05);
    QVERIFY(stored.value(QStringLiteral("QRSOnset")) != 0.0);
    int averaged = 0;
    const int count = beats.count();
    TRestingMeasurement::measureRecording(*rig.study, &averaged);
    QCOMPARE(averaged, count);
    // Measured again, nothing is added and the same is measured.
    QCOMPARE(rig.study->beats()->count(), count);
    const TMeasurementRecord again = TRestingMeasurement::load(rig.study->results());
    for (const QString& key : TRestingMeasurement::keys())
        QCOMPARE(again.value(key), stored.value(key));
}

// While beats come the monitor shows their rate; once they stop (a flat line,
// as with the electrodes off) it shows no rate after 3 s, not the last one.
void TestRestingBeats::rateGoesWhenBeatsStop()
{
    const Resting ecg;
    Rig rig(nullptr, nullptr, nullptr, nullptr, allLeads());
    auto shown = [&] {
        return TTimeText::liveHeartRate(rig.recorder->lastBeatMeanRR(), rig.recorder->lastBeatRR(),
                                        rig.recorder->secondsSinceLastBeat());
    };
    QCOMPARE(shown(), QStringLiteral("---"));
    QVERIFY(play(rig.device, [&] { return rig.delivered(); }, ecg));
    QVERIFY2(rig.recorder->secondsSinceLastBeat() >= 0.0 && rig.recorder->secondsSinceLastBeat() < 1.0,
             qPrintable(QString::number(rig.recorder->secondsSinceLastBeat())));
    QVERIFY(std::abs(rig.recorder->lastBeatRR() - 0.6) < 0.05);
    QCOMPARE(shown(), TTimeText::heartRate(rig.recorder->lastBeatMeanRR()));
    QVERIFY(shown() != QLatin1String("---"));
    // The step to the flat line still gives a beat or two; 8 s of it is ample.
    for (int block = 0; block < 16; ++block) {
        const int target = rig.delivered() + 250;
        rig.device.push(std::vector<qint16>(size_t(250) * rig.device.channelCount(), qint16(0)));
        QVERIFY(waitProcessingEvents([&] { return rig.delivered() >= target; }, 20000));
    }
    QVERIFY2(rig.recorder->secondsSinceLastBeat() > TTimeText::StaleRateSeconds,
             qPrintable(QString::number(rig.recorder->secondsSinceLastBeat())));
    QCOMPARE(shown(), QStringLiteral("---"));
}

void TestRestingBeats::monitorStopStoresEveryBeat()
{
    const Resting ecg;
    ScriptedDevice device(allLeads());
    TQuickPatient patient;
    patient.lastName = QStringLiteral("Resting");
    patient.firstName = QStringLiteral("Dog");
    TStudyRecord record = TStudyRecord::newStudy(TStudyRecord::Ecg, patient);
    record.acquisition = TAcquisitionFields::fromDevice(device);
    TStudy* study = m_store->saveNewStudy(record);
    QVERIFY(study);
    const int id = study->id();
    {
        EcgMonitorWindow window(&device, study);
        window.show();
        // Recording from the first sample on: the detector has seen nothing yet.
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btnStart")), Qt::LeftButton);
        QCOMPARE(window.state(), EcgMonitorWindow::Recording);
        QVERIFY(play(device, [&] { return window.recorder()->rawSignal()->length(); }, ecg));
        auto* stop = window.findChild<QPushButton*>(QStringLiteral("btnStop"));
        QTRY_VERIFY(stop->isEnabled());
        QTest::mouseClick(stop, Qt::LeftButton);
        QCOMPARE(window.state(), EcgMonitorWindow::Reviewing);
        QCOMPARE(beatListFaults(*study->beats(), ecg.rTimes), QString());
        window.close();
    }
    m_store->updateStudy(study->record());
    m_store->closeStudy(id);

    // The stored study holds them all, in its beats file.
    TStudy* reopened = m_store->openStudy(id);
    QVERIFY(reopened);
    QCOMPARE(beatListFaults(*reopened->beats(), ecg.rTimes), QString());
    QVERIFY(TRestingMeasurement::load(reopened->results()).value(QStringLiteral("measurementChannel")) >= 0.0);
    m_store->closeStudy(id);
    m_store->deleteStudy(id);
}

void TestRestingBeats::beatListThatRefusesStillMeasures()
{
    // A beat list that takes no earlier beats: the failure is told, the live
    // beats stay, and the measurement is taken of every beat all the same.
    const Resting ecg;
    Rig rig(nullptr, nullptr, nullptr, nullptr, allLeads());
    rig.recorder->start(QStringLiteral("20261208120000"));
    QVERIFY(play(rig.device, [&] { return rig.delivered(); }, ecg));
    const int live = rig.study->beats()->count();
    std::vector<double> liveTimes;
    rig.recorder->stop();
    rig.recorder->stopAcquisition();
    for (int i = 0; i < rig.study->beats()->count(); ++i)
        liveTimes.push_back(rig.study->beats()->beat(i).time());
    QVERIFY(live > 0);
    QString error;
    int averaged = 0;
    {
        // An in-memory study whose beat list only appends, holding the live beats.
        class AppendOnly : public TMemoryBeatStore
        {
        public:
            void replaceFirst(int count, const std::vector<TBeat>& beats) override
            {
                TBeatStore::replaceFirst(count, beats);
            }
        };
        auto beats = std::make_unique<AppendOnly>();
        for (int i = 0; i < rig.study->beats()->count(); ++i)
            beats->append(rig.study->beats()->beat(i));
        rig.study->setBeats(std::move(beats));
    }
    try {
        TRestingMeasurement::measureRecording(*rig.study, &averaged);
    } catch (const TException& e) {
        error = e.message();
    }
    QCOMPARE(error, QStringLiteral("Write error"));
    QCOMPARE(rig.study->beats()->count(), int(liveTimes.size()));
    for (int i = 0; i < rig.study->beats()->count(); ++i)
        QCOMPARE(rig.study->beats()->beat(i).time(), liveTimes[size_t(i)]);
    int whole = 0;
    for (double t : ecg.rTimes)
        whole += t >= 0.12 && t <= Seconds - 0.12;
    QVERIFY2(averaged >= whole, qPrintable(QStringLiteral("%1 of %2").arg(averaged).arg(whole)));
    QVERIFY(TRestingMeasurement::load(rig.study->results()).value(QStringLiteral("measurementChannel")) >= 0.0);
}

VELMORA_APP_TEST_MAIN(TestRestingBeats)
#include "tst_restingbeats.moc"
