// A recording whose process is killed outright: a child process records a
// synthesized ECG through the engine into a study of the store and is sent
// SIGKILL in the middle; the study then opens with every sample and beat that
// was written before.

#include "RecorderTestRig.h"

#include "TAcquisitionFields.h"
#include "TEcgSynthesizer.h"
#include "TLocalStudyStore.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <sys/types.h>

using namespace RecorderTest;

namespace {

const char* const ChildOption = "--record-until-killed";

TSynthParams synthParams()
{
    TSynthParams p;
    p.seed = 11;
    p.durationSeconds = 600.0;
    p.heartRateStart = p.heartRateEnd = 120.0;
    return p;
}

// The child: records 51-frame blocks as fast as the engine takes them and
// reports after each "<study id> <frames recorded> <beats stored>".
int recordUntilKilled(const QString& root)
{
    try {
        TLocalStudyStore store(root);
        ScriptedDevice device(allLeads());
        TQuickPatient patient;
        patient.lastName = QStringLiteral("Killed");
        TStudyRecord record = TStudyRecord::newStudy(TStudyRecord::StressTest, patient, QStringLiteral("None"));
        record.acquisition = TAcquisitionFields::fromDevice(device);
        TStudy* study = store.saveNewStudy(record);
        TStudyRecorder recorder(&device, study, nullptr, nullptr);
        recorder.startAcquisition();
        recorder.start(QStringLiteral("20261208100000"));

        const TEcgSynthesizer synth(synthParams());
        constexpr int block = 51;
        std::vector<qint16> frames(size_t(block) * TEcgSynthesizer::LeadCount);
        for (qint64 first = 0; first + block <= synth.frameCount(); first += block) {
            synth.render(first, block, frames.data());
            device.push(frames);
            while (recorder.rawSignal()->length() < first + block) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
                QThread::usleep(100);
            }
            QCoreApplication::processEvents();
            std::printf("%d %d %d\n", study->id(), study->recording()->length(), study->beats()->count());
            std::fflush(stdout);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 2; // not killed in time
}

} // namespace

class TestRecordingKilled : public QObject
{
    Q_OBJECT

private slots:
    void killedRecordingKeepsWhatWasWritten()
    {
        QTemporaryDir dir;
        QProcess child;
        child.setProgram(QCoreApplication::applicationFilePath());
        child.setArguments({ChildOption, dir.path()});
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start();
        QVERIFY(child.waitForStarted());

        // Killed once it has recorded 30 s of signal.
        int id = 0, frames = 0, beats = 0;
        QByteArray pending;
        QElapsedTimer timer;
        timer.start();
        while (frames < 30 * 500 && timer.elapsed() < 60000 && child.state() == QProcess::Running) {
            child.waitForReadyRead(100);
            pending += child.readAllStandardOutput();
            const int end = pending.lastIndexOf('\n');
            if (end < 0)
                continue;
            const QList<QByteArray> lines = pending.left(end).split('\n');
            pending = pending.mid(end + 1);
            const QList<QByteArray> last = lines.last().split(' ');
            QCOMPARE(last.size(), 3);
            id = last[0].toInt();
            frames = last[1].toInt();
            beats = last[2].toInt();
        }
        QVERIFY2(frames >= 30 * 500, "the child did not record");
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        TLocalStudyStore store(dir.path());
        TStudy* study = store.openStudy(id);
        QVERIFY(study);
        QVERIFY(study->recordingAvailable() && study->beatsAvailable());
        QCOMPARE(study->record().patientProperty(QStringLiteral("lastName")), QString("Killed"));

        // Every frame up to the last block reported, each as synthesized.
        const TSignalBuffer& recording = *study->recording();
        QVERIFY2(recording.length() >= frames, qPrintable(QString("%1 < %2").arg(recording.length()).arg(frames)));
        QCOMPARE(recording.channelCount(), TEcgSynthesizer::LeadCount);
        const TEcgSynthesizer synth(synthParams());
        std::vector<qint16> expected(size_t(recording.length()) * TEcgSynthesizer::LeadCount);
        synth.render(0, recording.length(), expected.data());
        for (int i = 0; i < recording.length(); ++i)
            for (int c = 0; c < TEcgSynthesizer::LeadCount; ++c)
                if (recording.sample(c, i) != expected[size_t(i) * TEcgSynthesizer::LeadCount + size_t(c)])
                    QFAIL(qPrintable(QString("frame %1 channel %2 differs").arg(i).arg(c)));

        // Every beat stored before, whole: each lies on a synthesized R wave.
        const TBeatStore& stored = *study->beats();
        QVERIFY(beats > 40);
        QVERIFY(stored.count() >= beats);
        for (int i = 0; i < stored.count(); ++i) {
            const double t = stored.beat(i).time();
            const bool onR = std::any_of(synth.beats().begin(), synth.beats().end(),
                                         [t](const TSynthBeat& b) { return std::fabs(b.rTime - t) < 0.06; });
            QVERIFY2(onR, qPrintable(QString("beat %1 at %2 s").arg(i).arg(t)));
            QVERIFY(t < recording.length() / 500.0);
        }

        // Recording into the reopened study goes on after the last frame.
        std::vector<qint16> more(size_t(51) * TEcgSynthesizer::LeadCount, 5);
        const int before = recording.length();
        study->recording()->append(more.data(), int(more.size() * sizeof(qint16)));
        QCOMPARE(recording.length(), before + 51);
        store.closeStudy(id);
        QCOMPARE(store.openStudy(id)->recording()->length(), before + 51);
    }
};

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], ChildOption) == 0) {
        QCoreApplication app(argc, argv);
        return recordUntilKilled(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    TestRecordingKilled test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recordingkilled.moc"
