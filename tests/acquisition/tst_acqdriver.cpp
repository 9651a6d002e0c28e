#include "TAcqDriverListener.h"
#include "TException.h"
#include "TQtAcqDriver.h"
#include "TQtAcqDriverThread.h"
#include "TQueuedAcqDevice.h"
#include "TRingSignalBuffer.h"

#include <QtTest>
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace {

// A device without a reader thread: the test puts bytes into its queue and
// scripts its failures. Called by the worker thread and the test thread alike.
class ScriptedDevice : public TQueuedAcqDevice
{
public:
    enum class ReadFault { None, Short, QtException, OtherException };

    explicit ScriptedDevice(int channels) : m_channels(channels) {}

    void start() override
    {
        ++starts;
        if (failedStartsLeft > 0) {
            --failedStartsLeft;
            ok = false;
        } else {
            ok = true;
        }
    }
    bool isOk() override { return ok; }
    void stop() override { ++stops; }
    void reset() override { ++resets; }
    int read(char* buffer, int count) override
    {
        switch (readFault.load()) {
        case ReadFault::Short:
            return qMax(0, TQueuedAcqDevice::read(buffer, count) - 1);
        case ReadFault::QtException:
            throw TException("port vanished");
        case ReadFault::OtherException:
            throw std::runtime_error("not a framework exception");
        case ReadFault::None:
            break;
        }
        return TQueuedAcqDevice::read(buffer, count);
    }
    int nextPacemakerPulse() override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_pulses.empty())
            return 0;
        const int p = m_pulses.front();
        m_pulses.pop_front();
        return p;
    }
    bool isChannelSaturated(int channel) override { return channel == 3; }
    bool isElectrodeOff(const char* electrode) override { return QByteArray(electrode) == "LA"; }
    const char* errorString() override { return "Device read error"; }
    double batteryLevel() override { return 3.7; }
    int channelCount() override { return m_channels; }
    const char* channelName(int) override { return "I"; }
    int samplingRate() override { return 500; }
    int sampleSize() override { return 2; }
    int resolution() override { return 16; }
    double gainMin() override { return -300; }
    double gainMax() override { return 300; }

    void addPulses(std::initializer_list<int> pulses)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pulses.insert(m_pulses.end(), pulses);
    }
    // frames frames whose channel c holds (first + f) * 16 + c.
    void push(int frames, int first = 0)
    {
        std::vector<qint16> data(size_t(frames * m_channels));
        for (int f = 0; f < frames; ++f)
            for (int c = 0; c < m_channels; ++c)
                data[size_t(f * m_channels + c)] = qint16((first + f) * 16 + c);
        m_queue.append(reinterpret_cast<const char*>(data.data()), int(data.size() * 2));
    }

    std::atomic<int> starts{0}, stops{0}, resets{0}, failedStartsLeft{0};
    std::atomic<bool> ok{true};
    std::atomic<ReadFault> readFault{ReadFault::None};

private:
    int m_channels;
    std::mutex m_mutex;
    std::deque<int> m_pulses;
};

struct Event
{
    char kind; // 'd' data, 'p' pacemaker, 'e' error
    int listener;
    int value; // buffer length, pulse offset
    QByteArray text;
};

class Listener : public TAcqDriverListener
{
public:
    Listener(int id, std::vector<Event>* log) : m_id(id), m_log(log) {}
    void onData(TAcqDriver* driver) override
    {
        m_log->push_back({'d', m_id, driver->buffer()->length(), {}});
        if (onDataHook)
            onDataHook(driver);
    }
    void onPacemaker(TAcqDriver* driver, int offset) override
    {
        m_log->push_back({'p', m_id, offset, {}});
        if (onPacemakerHook)
            onPacemakerHook(driver);
    }
    void onError(TAcqDriver*, const char* message) override { m_log->push_back({'e', m_id, 0, message}); }
    std::function<void(TAcqDriver*)> onDataHook;
    std::function<void(TAcqDriver*)> onPacemakerHook;

private:
    int m_id;
    std::vector<Event>* m_log;
};

int countOf(const std::vector<Event>& log, char kind, int listener = 1)
{
    int n = 0;
    for (const Event& e : log)
        n += e.kind == kind && e.listener == listener;
    return n;
}

// Everything one test needs: a device, the buffer shaped after it, the driver.
struct Rig
{
    explicit Rig(int channels = 7)
        : device(channels), buffer(4096, 40960, channels, 500), driver(&device, &buffer), first(1, &log)
    {
        buffer.setGain(device.gainMin(), device.gainMax());
        driver.addListener(&first);
    }
    ScriptedDevice device;
    TIntSignalBuffer buffer;
    TQtAcqDriver driver;
    std::vector<Event> log;
    Listener first;
};

} // namespace

class TestAcqDriver : public QObject
{
    Q_OBJECT

private slots:
    void blockNeedsMoreThanATenthOfASecond();
    void blocksAreAtMostFiveSeconds();
    void zeroFlagClearsOneChannel();
    void resetRequestReachesDevice();
    void pacemakerPulsesBeforeTheirBlock();
    void readFaultsBecomeErrorNotices_data();
    void readFaultsBecomeErrorNotices();
    void failedReaderRestartsSilently();
    void listenersInOrderAfterAppend();
    void queriesForwardToDevice();
    void stopFromInsideANotice();
    void stopWithNoticesPending();
    void restartAfterStop();
};

void TestAcqDriver::blockNeedsMoreThanATenthOfASecond()
{
    Rig rig;
    rig.device.push(50); // 700 bytes: not yet a block
    rig.driver.start();
    QTest::qWait(150);
    QCOMPARE(countOf(rig.log, 'd'), 0);
    rig.device.push(1, 50); // 714 bytes
    QTRY_COMPARE(countOf(rig.log, 'd'), 1);
    QCOMPARE(rig.buffer.length(), 51);
    QCOMPARE(rig.buffer.sample(6, 50), 50 * 16 + 6);
    rig.driver.stop();
}

void TestAcqDriver::blocksAreAtMostFiveSeconds()
{
    Rig rig;
    rig.device.push(3000);
    rig.driver.start();
    QTRY_COMPARE(countOf(rig.log, 'd'), 2);
    QCOMPARE(rig.log[0].value, 2500);
    QCOMPARE(rig.log[1].value, 3000);
    for (int i = 0; i < 3000; i += 499)
        QCOMPARE(rig.buffer.sample(2, i), int(qint16(i * 16 + 2)));
    rig.driver.stop();
    QCOMPARE(rig.device.stops.load(), 1);
}

void TestAcqDriver::zeroFlagClearsOneChannel()
{
    Rig rig;
    rig.driver.setChannelZeroed(2, true);
    QVERIFY(rig.driver.isChannelZeroed(2));
    QVERIFY(!rig.driver.isChannelZeroed(7));
    rig.device.push(60);
    rig.driver.start();
    QTRY_COMPARE(rig.buffer.length(), 60);
    for (int f = 0; f < 60; ++f) {
        QCOMPARE(rig.buffer.sample(2, f), 0);
        QCOMPARE(rig.buffer.sample(1, f), f * 16 + 1);
        QCOMPARE(rig.buffer.sample(3, f), f * 16 + 3);
    }
    rig.driver.setChannelZeroed(2, false);
    rig.device.push(60, 60);
    QTRY_COMPARE(rig.buffer.length(), 120);
    QCOMPARE(rig.buffer.sample(2, 100), 100 * 16 + 2);
    rig.driver.stop();
}

void TestAcqDriver::resetRequestReachesDevice()
{
    Rig rig;
    rig.driver.start();
    QTest::qWait(30);
    rig.driver.requestReset();
    QTest::qWait(50);
    QCOMPARE(rig.device.resets.load(), 0); // only with a block
    rig.device.push(60);
    QTRY_COMPARE(countOf(rig.log, 'd'), 1);
    QCOMPARE(rig.device.resets.load(), 1);
    QVERIFY(!rig.driver.worker()->isResetRequested());
    rig.device.push(60, 60);
    QTRY_COMPARE(countOf(rig.log, 'd'), 2);
    QCOMPARE(rig.device.resets.load(), 1);
    rig.driver.stop();
}

void TestAcqDriver::pacemakerPulsesBeforeTheirBlock()
{
    Rig rig;
    rig.device.addPulses({12, 40});
    rig.device.push(60);
    rig.driver.start();
    QTRY_COMPARE(countOf(rig.log, 'd'), 1);
    QCOMPARE(rig.log.size(), size_t(3));
    QCOMPARE(rig.log[0].kind, 'p');
    QCOMPARE(rig.log[0].value, 12);
    QCOMPARE(rig.log[1].value, 40);
    QCOMPARE(rig.log[2].kind, 'd');
    QCOMPARE(rig.driver.worker()->lastPacemakerOffset(), 0);
    rig.driver.stop();
}

void TestAcqDriver::readFaultsBecomeErrorNotices_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<int>("stops"); // a short read stops the device; after an exception the worker leaves it alone
    QTest::newRow("short read") << int(ScriptedDevice::ReadFault::Short) << QByteArray("Device read error") << 1;
    QTest::newRow("framework exception") << int(ScriptedDevice::ReadFault::QtException)
                                         << QByteArray("Error: port vanished") << 0;
    QTest::newRow("other exception") << int(ScriptedDevice::ReadFault::OtherException)
                                     << QByteArray("Unspecified application error") << 0;
}

void TestAcqDriver::readFaultsBecomeErrorNotices()
{
    QFETCH(int, fault);
    QFETCH(QByteArray, message);
    QFETCH(int, stops);
    Rig rig;
    Listener second(2, &rig.log);
    rig.driver.addListener(&second);
    rig.device.readFault = ScriptedDevice::ReadFault(fault);
    rig.device.push(60);
    rig.driver.start();
    QTRY_COMPARE(countOf(rig.log, 'e', 2), 1);
    QCOMPARE(countOf(rig.log, 'e', 1), 1);
    QCOMPARE(rig.log.size(), size_t(2)); // no data notice
    QCOMPARE(rig.log[0].listener, 1);
    QCOMPARE(rig.log[0].text, message);
    QCOMPARE(rig.log[1].text, message);
    QVERIFY(rig.driver.worker()->wait(2000)); // the worker has ended
    QCOMPARE(rig.device.stops.load(), stops);
    rig.driver.stop();
}

void TestAcqDriver::failedReaderRestartsSilently()
{
    Rig rig;
    rig.device.failedStartsLeft = 20;
    rig.driver.start();
    QTRY_VERIFY(rig.device.starts.load() >= 21);
    rig.device.push(60);
    QTRY_COMPARE(countOf(rig.log, 'd'), 1);
    QCOMPARE(rig.device.starts.load(), 21); // no restart once the reader is well
    QCOMPARE(rig.device.stops.load(), 20);
    QCOMPARE(countOf(rig.log, 'e'), 0);
    rig.driver.stop();
}

void TestAcqDriver::listenersInOrderAfterAppend()
{
    Rig rig;
    Listener second(2, &rig.log), third(3, &rig.log);
    rig.driver.addListener(&second);
    rig.driver.addListener(&third);
    QCOMPARE(rig.driver.listenerCount(), 3);
    rig.device.push(60);
    rig.driver.start();
    QTRY_COMPARE(rig.log.size(), size_t(3));
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(rig.log[size_t(i)].listener, i + 1);
        QCOMPARE(rig.log[size_t(i)].value, 60); // the buffer already holds the block
    }
    rig.driver.stop();
}

void TestAcqDriver::queriesForwardToDevice()
{
    Rig rig;
    QVERIFY(rig.driver.isChannelSaturated(3));
    QVERIFY(!rig.driver.isChannelSaturated(2));
    QVERIFY(rig.driver.isElectrodeOff("LA"));
    QVERIFY(!rig.driver.isElectrodeOff("RA"));
    QCOMPARE(rig.driver.batteryLevel(), 3.7);
}

void TestAcqDriver::stopFromInsideANotice()
{
    // The worker waits for its pacemaker notice to be handled; a listener that
    // stops the driver from inside it must not wait for the worker for ever.
    Rig rig;
    bool stopped = false;
    rig.first.onPacemakerHook = [&](TAcqDriver* driver) {
        driver->stop();
        stopped = true;
    };
    rig.device.addPulses({5});
    rig.device.push(60);
    rig.driver.start();
    QTRY_VERIFY(stopped);
    QVERIFY(!rig.driver.worker()->isRunning());
    QTest::qWait(50);
    QCOMPARE(countOf(rig.log, 'd'), 0); // nothing after stop
}

void TestAcqDriver::stopWithNoticesPending()
{
    Rig rig;
    for (int i = 0; i < 50; ++i) {
        rig.device.addPulses({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
        rig.device.push(60, i * 60);
    }
    rig.driver.start();
    QTest::qWait(20);
    QElapsedTimer timer;
    timer.start();
    rig.driver.stop();
    QVERIFY(timer.elapsed() < 1000);
    QVERIFY(!rig.driver.worker()->isRunning());
    const size_t seen = rig.log.size();
    QTest::qWait(50);
    QCOMPARE(rig.log.size(), seen);
}

void TestAcqDriver::restartAfterStop()
{
    Rig rig;
    rig.device.push(60);
    rig.driver.start();
    QTRY_COMPARE(rig.buffer.length(), 60);
    rig.driver.stop();
    rig.device.push(60, 60);
    rig.driver.start();
    QTRY_COMPARE(rig.buffer.length(), 120);
    QCOMPARE(rig.buffer.sample(0, 119), 119 * 16);
    rig.driver.stop();
    QCOMPARE(rig.device.starts.load(), 2);
    QCOMPARE(rig.device.stops.load(), 2);
}

QTEST_GUILESS_MAIN(TestAcqDriver)
#include "tst_acqdriver.moc"
