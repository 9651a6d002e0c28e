#include "TCliRecorder.h"

#include "TAcqDevice.h"
#include "TException.h"
#include "TProtocol.h"
#include "TRecorderListener.h"
#include "TRestingMeasurement.h"
#include "TSignalBuffer.h"
#include "TSignalWatch.h"
#include "TStudy.h"
#include "TStudyRecorder.h"
#include "TStudyStore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace {

class UntilRecorded : public TRecorderListener
{
public:
    UntilRecorded(QEventLoop& loop, double seconds) : m_loop(loop), m_seconds(seconds) {}

    void update(TStudyRecorder* recorder) override
    {
        if (recorder->isRecording() && recorder->recordingTime() >= m_seconds)
            m_loop.quit();
    }
    void beat(TStudyRecorder*, const TBeat&, const TBeatRecord*, int) override {}
    void started(TStudyRecorder*) override {}
    void stageChanged(TStudyRecorder*) override {}
    void stopped(TStudyRecorder*) override {}
    void message(TStudyRecorder*, const QString& text) override { lastMessage = text; }

    QString lastMessage;

private:
    QEventLoop& m_loop;
    double m_seconds;
};

} // namespace

TCliRecorder::Result TCliRecorder::record(TStudyStore& store, TAcqDevice& device, const TStudyRecord& source,
                                          double seconds, const TProtocol* protocol, TExerciseEquipment* equipment)
{
    if (protocol && !(seconds > 0.0))
        seconds = protocol->totalDuration();
    TStudyRecord record = source;
    record.acquisition = TAcquisitionFields::fromDevice(device);
    TStudy* study = store.saveNewStudy(record);
    Result result;
    result.id = study->id();
    {
        TStudyRecorder recorder(&device, study, protocol, equipment);
        QEventLoop loop;
        UntilRecorded listener(loop, seconds);
        recorder.addListener(&listener);

        QElapsedTimer clock;
        clock.start();
        TSignalWatch watch(clock.elapsed());
        QTimer watchdog;
        watchdog.setInterval(250);
        QObject::connect(&watchdog, &QTimer::timeout, [&]() {
            watch.observe(recorder.rawSignal()->length(), clock.elapsed());
            if (watch.silentMs(clock.elapsed()) >= qint64(SilenceLimitSeconds * 1000)) {
                result.warning = QCoreApplication::translate("TCliRecorder", "No signal from the ECG recorder for %1 s")
                                     .arg(SilenceLimitSeconds);
                loop.quit();
            }
        });
        watchdog.start();

        recorder.startAcquisition();
        recorder.start(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")));
        store.updateStudy(study->record());
        loop.exec();
        watchdog.stop();
        if (protocol) {
            recorder.stop();
            recorder.stopAcquisition();
        } else {
            TRestingMeasurement::endRecording(recorder, *study);
        }
        result.seconds = recorder.recordingTime();
        if (result.warning.isEmpty())
            result.warning = listener.lastMessage;
    }
    device.stop();
    if (result.seconds <= 0.0) {
        store.closeStudy(result.id);
        store.deleteStudy(result.id);
        throw TException(result.warning.isEmpty() ? QCoreApplication::translate("TCliRecorder", "Nothing was recorded")
                                                  : result.warning);
    }
    store.updateStudy(study->record());
    store.closeStudy(result.id);
    return result;
}
