// The program ended during a recording, out of process: the launcher and its
// event loop in a child that records a resting ECG or a tilt test from the
// demo signal. SIGTERM ends the recording as Stop does and stores the study
// before the process exits; after SIGKILL the study keeps what was written and
// is finished from it when it is opened.

#include "TAppIdentity.h"
#include "TInterruptedRecording.h"
#include "TLocalStudyStore.h"
#include "TProtocol.h"
#include "TRecentStudies.h"
#include "TSignalBuffer.h"
#include "TStudy.h"
#include "TStudyRecorder.h"
#include "TValueArray.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

class TestRecordingSignals : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void endedDuringARecording_data();
    void endedDuringARecording();

private:
    QTemporaryDir m_folder;
};

void TestRecordingSignals::initTestCase()
{
    QVERIFY(m_folder.isValid());
    QVERIFY2(QFile::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/ecg500.dat")),
             "the demo recording is built beside the tests");
}

void TestRecordingSignals::endedDuringARecording_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("signal");
    QTest::newRow("ECG, SIGTERM") << "ecg" << SIGTERM;
    QTest::newRow("ECG, SIGKILL") << "ecg" << SIGKILL;
    QTest::newRow("tilt test, SIGTERM") << "stress" << SIGTERM;
    QTest::newRow("tilt test, SIGKILL") << "stress" << SIGKILL;
}

void TestRecordingSignals::endedDuringARecording()
{
    QFETCH(QString, kind);
    QFETCH(int, signal);
    const QString root = m_folder.filePath(kind + QString::number(signal));
    QDir().mkpath(root + QStringLiteral("/config"));
    QDir().mkpath(root + QStringLiteral("/data"));
    QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/recording-child"), {kind});
    QVERIFY(child.waitForStarted(5000));

    // Well into the recording, as the child tells it: beats with their rate
    // have been found (the detector learns the signal in its first seconds).
    const double wanted = kind == QLatin1String("ecg") ? 6.0 : 12.0;
    double told = 0.0;
    QElapsedTimer clock;
    clock.start();
    while (told < wanted && clock.elapsed() < 40000) {
        child.waitForReadyRead(1000);
        while (child.canReadLine()) {
            const QByteArray line = child.readLine().trimmed();
            QVERIFY2(!line.startsWith("no monitor"), line.constData());
            if (line.startsWith("recording "))
                told = line.mid(10).toDouble();
        }
    }
    QVERIFY2(told >= wanted, "the child records");
    ::kill(pid_t(child.processId()), signal);
    QVERIFY(child.waitForFinished(20000));
    if (signal == SIGTERM) {
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
    }

    TLocalStudyStore store(root + QStringLiteral("/data/CardivexVetStress"));
    const QVector<TStudySummary> studies = store.listStudies();
    QCOMPARE(studies.size(), 1);
    const int id = studies.at(0).id;
    TStudy* study = store.openStudy(id);
    QVERIFY(study);
    const double recorded = study->recording()->durationSeconds();
    const bool ecg = kind == QLatin1String("ecg");
    if (signal == SIGTERM) {
        // Ended as on Stop: nothing lost, everything the end adds is there.
        QVERIFY2(recorded >= told, qPrintable(QStringLiteral("%1 < %2").arg(recorded).arg(told)));
        QVERIFY(!TInterruptedRecording::isInterrupted(*study));
        if (ecg) {
            QVERIFY(*study->results().value(QStringLiteral("measurementChannel")) >= 0.0);
            QVERIFY(*study->results().value(QStringLiteral("avgRRInterval")) > 0.3);
        } else {
            QVERIFY(study->protocol());
            QCOMPARE(study->protocol()->stageCount(), 1);
            QVERIFY(*study->results().value(QStringLiteral("maxBPM")) > 30.0);
        }
        QSettings recent(root + QStringLiteral("/config/Cardivex/Velmora.conf"), QSettings::IniFormat);
        const QStringList list = recent.value(QStringLiteral("MainWindow/RecentStudyList")).toStringList();
        QVERIFY2(!list.isEmpty() && list.at(0).startsWith(QString::number(id) + QStringLiteral("||")),
                 qPrintable(list.join(QLatin1Char(';'))));
    } else {
        // What was written stays; the study is finished from it when opened.
        QVERIFY2(recorded >= told - 8.5, qPrintable(QStringLiteral("%1 of %2").arg(recorded).arg(told)));
        QVERIFY(recorded > 0.0);
        QVERIFY(TInterruptedRecording::isInterrupted(*study));
        QVERIFY(TInterruptedRecording::finish(*study));
        QVERIFY(!TInterruptedRecording::isInterrupted(*study));
        const QVector<TStudyEvent>& events = study->record().events;
        QVERIFY(!events.isEmpty());
        QCOMPARE(events.last().description, QString::fromLatin1(TInterruptedRecording::EventText));
        QVERIFY(events.last().position + events.last().duration >= recorded - 0.01);
        if (ecg) {
            QVERIFY(*study->results().value(QStringLiteral("measurementChannel")) >= 0.0);
            QVERIFY(*study->results().value(QStringLiteral("avgRRInterval")) > 0.3);
        } else {
            QVERIFY(study->protocol());
            QCOMPARE(study->protocol()->stageCount(), 1);
            QVERIFY(*study->results().value(QStringLiteral("maxBPM")) > 30.0);
        }
        // Finished once: stored, it opens as any other study.
        store.updateStudy(study->record());
    }
    store.closeStudy(id);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TAppIdentity::apply();
    TestRecordingSignals test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_recordingsignals.moc"
