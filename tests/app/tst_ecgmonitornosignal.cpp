// The monitor window when the signal is lost: a recorder that never answers or
// falls silent is told within two seconds, with the time since the last
// sample, and the recording goes on by itself when the samples return.

#include "AppTestEnvironment.h"
#include "RecorderTestRig.h"

#include "EcgMonitorWindow.h"
#include "TAcquisitionFields.h"
#include "TLocalStudyStore.h"
#include "TSerialAcqDevice.h"
#include "TStudy.h"
#include "TStudyRecorder.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>

using namespace RecorderTest;

class TestEcgMonitorNoSignal : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void silentRecorderIsToldAndRecordingResumes();
    void portThatDoesNotExist();

private:
    TStudy* newStudy(TAcqDevice& device, const QString& name);
    std::unique_ptr<TLocalStudyStore> m_store;
};

void TestEcgMonitorNoSignal::initTestCase()
{
    m_store = std::make_unique<TLocalStudyStore>(AppTest::dataFolder());
}

TStudy* TestEcgMonitorNoSignal::newStudy(TAcqDevice& device, const QString& name)
{
    TQuickPatient patient;
    patient.lastName = name;
    patient.firstName = QStringLiteral("Test");
    TStudyRecord record = TStudyRecord::newStudy(TStudyRecord::Ecg, patient);
    record.acquisition = TAcquisitionFields::fromDevice(device);
    return m_store->saveNewStudy(record);
}

void TestEcgMonitorNoSignal::silentRecorderIsToldAndRecordingResumes()
{
    ScriptedDevice device;
    TStudy* study = newStudy(device, QStringLiteral("Silent"));
    {
        EcgMonitorWindow window(&device, study);
        window.show();
        const int channels = device.channelCount();
        auto feed = [&](double seconds) {
            // Blocks of 0.1 s as a recorder delivers them, in real time.
            for (int block = 0; block < int(seconds * 10); ++block) {
                device.push(std::vector<qint16>(size_t(50 * channels), qint16(block % 7)));
                QTest::qWait(100);
            }
        };
        feed(1.0);
        QVERIFY(window.noSignalText().isEmpty());
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btnStart")), Qt::LeftButton);
        feed(1.0);
        const qint64 before = window.recorder()->recordedSamples();
        QVERIFY(before > 0);

        // The recorder falls silent: told within two seconds, with its time.
        QElapsedTimer silent;
        silent.start();
        QTRY_VERIFY_WITH_TIMEOUT(!window.noSignalText().isEmpty(), 2000);
        QVERIFY(silent.elapsed() <= 2000);
        QVERIFY2(window.noSignalText().contains(QStringLiteral("last sample")), qPrintable(window.noSignalText()));
        QTest::qWait(1300);
        QVERIFY2(window.noSignalText().contains(QStringLiteral("2 s")), qPrintable(window.noSignalText()));
        auto* notice = window.findChild<QLabel*>(QStringLiteral("lblNoSignal"));
        QVERIFY(notice && notice->isVisible());
        QCOMPARE(window.state(), EcgMonitorWindow::Recording);

        // The samples return: the notice goes and the recording grows again.
        feed(1.0);
        QTRY_VERIFY(window.noSignalText().isEmpty());
        QTRY_VERIFY(!notice->isVisible());
        QVERIFY(window.recorder()->recordedSamples() >= before + 400);
        window.close();
    }
    m_store->updateStudy(study->record());
    m_store->closeStudy(study->id());
}

void TestEcgMonitorNoSignal::portThatDoesNotExist()
{
    // A Bluetooth recorder bound to a port this machine does not have.
    TSerialAcqDevice device(QStringLiteral("/dev/ttyVelmoraAbsent0"), 230400, 1087);
    TStudy* study = newStudy(device, QStringLiteral("Absent"));
    {
        EcgMonitorWindow window(&device, study);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(!window.noSignalText().isEmpty(), 2000);
        QVERIFY2(window.noSignalText().contains(QStringLiteral("No signal from the ECG recorder")),
                 qPrintable(window.noSignalText()));
        window.close();
    }
    device.stop();
    // Closing frees the study: its id is taken first.
    const int id = study->id();
    m_store->closeStudy(id);
    m_store->deleteStudy(id);
}

VELMORA_APP_TEST_MAIN(TestEcgMonitorNoSignal)
#include "tst_ecgmonitornosignal.moc"
