#include "TestWait.h"
#include "TKipnetFrame.h"
#include "TKipnetTreadmill.h"
#include "TKipnetTreadmillThread.h"
#include "TSerialPort.h"
#include "TTreadmillSimulator.h"

#include <QtTest>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>

namespace {

QByteArrayList frameTexts(const TTreadmillSimulator& treadmill)
{
    QByteArrayList texts;
    for (const auto& f : treadmill.frames())
        texts.append(f.bytes);
    return texts;
}

QStringList logLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

// A treadmill simulator and a controller talking to it, logging into a
// temporary folder.
struct Rig
{
    Rig()
    {
        started = treadmill.start();
        logPath = dir.filePath("cardivex-kipnet.log");
    }
    void connect() { controller = std::make_unique<TKipnetTreadmill>(treadmill.portPath(), logPath); }
    bool waitForFrames(int count, int timeoutMs = 3000)
    {
        return waitFor([&] { return treadmill.frames().size() >= count; }, timeoutMs);
    }
    QTemporaryDir dir;
    TTreadmillSimulator treadmill;
    bool started = false;
    QString logPath;
    std::unique_ptr<TKipnetTreadmill> controller;
};

} // namespace

class TestKipnet : public QObject
{
    Q_OBJECT

private slots:
    void frames_data();
    void frames();
    void checksumDropsTheHundreds();
    void firstSpeedAboveZeroStartsTheBelt();
    void capsAndNames();
    void requestsCollapseAndTakeTurns();
    void stopAskedJustBeforeTheEndIsStillSent();
    void logFileRecordsEachSession();
    void treadmillAnsweringTheSecondAttempt();
    void silentTreadmillEndsTheWorker();
    void portFailuresEndTheWorker_data();
    void portFailuresEndTheWorker();
};

void TestKipnet::frames_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("GO") << TKipnetFrame::go() << QByteArray(";2GO00:");
    QTest::newRow("ST") << TKipnetFrame::stop() << QByteArray(";2ST17:");
    QTest::newRow("V 5.0 km/h") << TKipnetFrame::speed(5.0) << QByteArray(";2V005077:");
    QTest::newRow("V 0 km/h") << TKipnetFrame::speed(0.0) << QByteArray(";2V000072:");
    QTest::newRow("E 2.5 %") << TKipnetFrame::incline(2.5) << QByteArray(";2E002562:");
    QTest::newRow("E 0 %") << TKipnetFrame::incline(0.0) << QByteArray(";2E000055:");
    QTest::newRow("N 100 W") << TKipnetFrame::workload(100.0) << QByteArray(";2N010065:");
    QTest::newRow("V truncated: 5.99 km/h") << TKipnetFrame::speed(5.99) << QByteArray(";2V005986:");
    QTest::newRow("V 45 km/h capped at 40.0") << TKipnetFrame::speed(45.0) << QByteArray(";2V040076:");
    QTest::newRow("V infinite capped") << TKipnetFrame::speed(std::numeric_limits<double>::infinity())
                                       << QByteArray(";2V040076:");
    QTest::newRow("E 25 % capped at 20.0") << TKipnetFrame::incline(25.0) << QByteArray(";2E020057:");
    QTest::newRow("N 900 W capped at 800") << TKipnetFrame::workload(900.0) << QByteArray(";2N080072:");
    QTest::newRow("negative gives 0000") << TKipnetFrame::speed(-3.0) << QByteArray(";2V000072:");
    QTest::newRow("not a number gives 0000") << TKipnetFrame::incline(std::nan("")) << QByteArray(";2E000055:");
    QTest::newRow("other address") << TKipnetFrame::go('3') << QByteArray(";3GO01:");
}

void TestKipnet::frames()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(frame, expected);
}

void TestKipnet::checksumDropsTheHundreds()
{
    QCOMPARE(TKipnetFrame::checksum("zzz"), QByteArray("10")); // 366 % 256 = 110
    QCOMPARE(TKipnetFrame::checksum(""), QByteArray("00"));
    QCOMPARE(TKipnetFrame::checksum(QByteArray(1, char(0xFF))), QByteArray("55"));
}

void TestKipnet::firstSpeedAboveZeroStartsTheBelt()
{
    Rig rig;
    QVERIFY(rig.started);
    rig.connect();
    TKipnetTreadmill& t = *rig.controller;
    QVERIFY(t.isOk());
    // A stage of 0 km/h and 0 %: V and E for 0, but no GO.
    QVERIFY(t.setValue("speed", 0.0));
    QVERIFY(t.setValue("incline", 0.0));
    QVERIFY(t.apply());
    QVERIFY(rig.waitForFrames(2));
    QThread::msleep(300);
    QCOMPARE(frameTexts(rig.treadmill), (QByteArrayList{";2V000072:", ";2E000055:"}));
    // The first speed above 0: GO first, once.
    t.setValue("speed", 5.0);
    t.setValue("incline", 2.5);
    t.apply();
    QVERIFY(rig.waitForFrames(5));
    t.setValue("speed", 0.0);
    t.apply();
    QVERIFY(rig.waitForFrames(7));
    t.setValue("speed", 6.0);
    t.apply();
    QVERIFY(rig.waitForFrames(9));
    QThread::msleep(300);
    QCOMPARE(frameTexts(rig.treadmill),
             (QByteArrayList{";2V000072:", ";2E000055:", ";2GO00:", ";2V005077:", ";2E002562:", ";2V000072:",
                             ";2E002562:", ";2V006078:", ";2E002562:"}));
    QVERIFY(t.worker()->goSent());
    QVERIFY(rig.treadmill.isRunning());
    QCOMPARE(rig.treadmill.speedKmh(), 6.0);
}

void TestKipnet::capsAndNames()
{
    Rig rig;
    QVERIFY(rig.started);
    rig.connect();
    TKipnetTreadmill& t = *rig.controller;
    QVERIFY(t.setValue("SPEED", 45.0));
    QVERIFY(t.setValue("Incline", 25.0));
    QVERIFY(t.setValue("workLoad", 900.0));
    QVERIFY(t.setValue("pace", 3.0)); // not a treadmill value: ignored
    t.apply();
    QVERIFY(rig.waitForFrames(4));
    QThread::msleep(300);
    QCOMPARE(frameTexts(rig.treadmill), (QByteArrayList{";2GO00:", ";2V040076:", ";2E020057:", ";2N080072:"}));
}

void TestKipnet::requestsCollapseAndTakeTurns()
{
    Rig rig;
    QVERIFY(rig.started);
    rig.connect();
    TKipnetTreadmill& t = *rig.controller;
    t.setValue("speed", 3.0);
    t.apply();
    QVERIFY(rig.waitForFrames(2)); // GO, V
    // Several updates between two cycles give one, with the last values.
    for (int k = 1; k <= 5; ++k) {
        t.setValue("speed", 3.0 + k);
        t.apply();
    }
    QVERIFY(rig.waitForFrames(3));
    QThread::msleep(500);
    QByteArrayList texts = frameTexts(rig.treadmill);
    QVERIFY2(texts.size() <= 4, qPrintable(texts.join(' ')));
    QCOMPARE(texts.last(), TKipnetFrame::speed(8.0));

    // Start, stop and update asked together: one per cycle, start (which sends
    // nothing) before stop before update.
    const int before = rig.treadmill.frames().size();
    t.setValue("speed", 2.0);
    t.apply();
    t.stop();
    t.start();
    QVERIFY(rig.waitForFrames(before + 2));
    QThread::msleep(300);
    const auto frames = rig.treadmill.frames();
    QCOMPARE(frames.size(), before + 2);
    QCOMPARE(frames[before].bytes, QByteArray(";2ST17:"));
    QCOMPARE(frames[before + 1].bytes, TKipnetFrame::speed(2.0));
    QVERIFY(frames[before + 1].atMs - frames[before].atMs >= 150); // a cycle (200 ms) apart
}

void TestKipnet::stopAskedJustBeforeTheEndIsStillSent()
{
    // The test ends and the window closes at once: the belt must still stop.
    Rig rig;
    QVERIFY(rig.started);
    rig.connect();
    rig.controller->setValue("speed", 4.0);
    rig.controller->apply();
    QVERIFY(rig.waitForFrames(2));
    rig.controller->stop();
    rig.controller.reset();
    QVERIFY(rig.waitForFrames(3));
    QCOMPARE(rig.treadmill.frames().last().bytes, QByteArray(";2ST17:"));
    QVERIFY(!rig.treadmill.isRunning());
}

void TestKipnet::logFileRecordsEachSession()
{
    Rig rig;
    QVERIFY(rig.started);
    for (int session = 0; session < 2; ++session) {
        rig.connect();
        rig.controller->setValue("speed", 1.5);
        rig.controller->apply();
        QVERIFY(rig.waitForFrames(2 * (session + 1))); // a new controller starts the belt again
        rig.controller.reset();
    }
    const QString port = rig.treadmill.portPath();
    QCOMPARE(logLines(rig.logPath), (QStringList{"Thread start, device port = " + port, ">> ;2GO00:",
                                                 ">> ;2V001578:", "Thread stop", "--------------------",
                                                 "Thread start, device port = " + port, ">> ;2GO00:",
                                                 ">> ;2V001578:",
                                                 "Thread stop", "--------------------"}));
}

void TestKipnet::treadmillAnsweringTheSecondAttempt()
{
    Rig rig;
    QVERIFY(rig.started);
    rig.treadmill.setSilentFrames(1);
    rig.connect();
    rig.controller->setValue("speed", 2.0);
    rig.controller->apply();
    QVERIFY(rig.waitForFrames(3, 8000));
    const auto frames = rig.treadmill.frames();
    QCOMPARE(frameTexts(rig.treadmill), (QByteArrayList{";2GO00:", ";2GO00:", ";2V002074:"}));
    QVERIFY(!frames[0].answered);
    // The read time-out of 3 s, then 500 ms before the next attempt.
    const qint64 gap = frames[1].atMs - frames[0].atMs;
    QVERIFY2(gap >= 3400 && gap < 4500, qPrintable(QString::number(gap)));
    QVERIFY(rig.controller->isWorkerRunning());
    // Logged once: the frame, not each attempt.
    QCOMPARE(logLines(rig.logPath).count(">> ;2GO00:"), 1);
}

void TestKipnet::silentTreadmillEndsTheWorker()
{
    Rig rig;
    QVERIFY(rig.started);
    rig.treadmill.setSilentFrames(-1);
    rig.connect();
    rig.controller->setValue("speed", 5.0);
    rig.controller->apply();
    QVERIFY(rig.controller->isOk());
    QVERIFY(waitFor([&] { return !rig.controller->isWorkerRunning(); }, 15000));
    // The controller now says it cannot be used: the engine tells the operator.
    QVERIFY(!rig.controller->isOk());
    const auto frames = rig.treadmill.frames();
    QCOMPARE(frameTexts(rig.treadmill), (QByteArrayList{";2GO00:", ";2GO00:", ";2GO00:"}));
    for (int k = 1; k < 3; ++k) {
        const qint64 gap = frames[k].atMs - frames[k - 1].atMs;
        QVERIFY2(gap >= 3400 && gap < 4500, qPrintable(QString::number(gap)));
    }
    const QStringList lines = logLines(rig.logPath);
    QCOMPARE(lines.mid(1), (QStringList{">> ;2GO00:", "Kipnet device did not respond (command GO)", "Thread stop",
                                        "--------------------"}));
    // The controller still takes requests; nothing is sent any more.
    QVERIFY(rig.controller->apply());
    QVERIFY(rig.controller->stop());
    QThread::msleep(400);
    QCOMPARE(rig.treadmill.frames().size(), 3);
}

void TestKipnet::portFailuresEndTheWorker_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("message");
    QTest::newRow("no such port") << "/nonexistent/ttyS9" << "Port not found";
    QTest::newRow("not a serial port") << "/dev/null" << "Invalid port";
    QTest::newRow("port in use") << "BUSY" << "Port already in use";
}

void TestKipnet::portFailuresEndTheWorker()
{
    QFETCH(QString, port);
    QFETCH(QString, message);
    Rig rig;
    QVERIFY(rig.started);
    TSerialPort holder;
    if (port == "BUSY") {
        port = rig.treadmill.portPath();
        QCOMPARE(holder.open(port, TSerialSetup()), TSerialPort::Error::None);
    }
    TKipnetTreadmill treadmill(port, rig.logPath);
    QVERIFY(waitFor([&] { return !treadmill.isWorkerRunning(); }, 3000));
    QVERIFY(!treadmill.isOk());
    QCOMPARE(logLines(rig.logPath), (QStringList{"Thread start, device port = " + port, message, "Thread stop",
                                                 "--------------------"}));
    QVERIFY(treadmill.apply()); // requests are still taken
}

QTEST_GUILESS_MAIN(TestKipnet)
#include "tst_kipnet.moc"
