#include "TestWait.h"
#include "TAcqDriverListener.h"
#include "THRSerialAcqDevice.h"
#include "TLeadTable.h"
#include "TQtAcqDriver.h"
#include "TRecorderFrameEncoder.h"
#include "TRecorderPortFinder.h"
#include "TRecorderPortProbe.h"
#include "TRecorderPortSearch.h"
#include "TRecorderSignalSource.h"
#include "TRecorderSimulator.h"
#include "TRecorderStreamDecoder.h"
#include "TRingSignalBuffer.h"
#include "TSerialAcqDevice.h"
#include "TSerialReaderThread.h"

#include <QtTest>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

using Protocol = TRecorderSimulator::Protocol;
Q_DECLARE_METATYPE(Protocol)

namespace {

// The recorder's measured leads as a function of the frame: V1 counts the
// frames, the limb leads move, the rest stand still.
void countingLeads(qint64 index, int, qint16* leads)
{
    for (int lead = 0; lead < 14; ++lead)
        leads[lead] = qint16(50 * lead - 300);
    leads[TLeadTable::I] = qint16(1000 + index % 50);
    leads[TLeadTable::II] = qint16(3000 - index % 70);
    leads[TLeadTable::III] = qint16(leads[TLeadTable::II] - leads[TLeadTable::I]);
    leads[TLeadTable::V1] = qint16(index & 0x7FFF);
}

std::unique_ptr<TRecorderSimulator> startRecorder(Protocol protocol)
{
    const double gain = protocol == Protocol::HR ? 300.0 : 450.0;
    auto recorder = std::make_unique<TRecorderSimulator>(
        protocol, std::make_unique<TFunctionSignalSource>(gain, countingLeads));
    if (!recorder->start())
        return nullptr;
    return recorder;
}

std::unique_ptr<TSerialAcqDevice> makeDevice(Protocol protocol, const QString& port, int mask = -1)
{
    if (protocol == Protocol::HR)
        return std::make_unique<THRSerialAcqDevice>(port, TRecorderProtocol::HRBaudRate);
    return std::make_unique<TSerialAcqDevice>(port, TRecorderProtocol::DefaultBaudRate, mask);
}

// Delivered frames of the device's channel count, taken from its queue until
// `frames` came or the time is up.
std::vector<std::vector<qint16>> collect(TAcqDevice& device, int frames, int timeoutMs = 10000)
{
    const int channels = device.channelCount();
    std::vector<std::vector<qint16>> out;
    std::vector<char> bytes(static_cast<size_t>(channels) * 2);
    QElapsedTimer timer;
    timer.start();
    while (int(out.size()) < frames && timer.elapsed() < timeoutMs) {
        if (device.bytesAvailable() < channels * 2) {
            QThread::msleep(5);
            continue;
        }
        device.read(bytes.data(), int(bytes.size()));
        std::vector<qint16> frame(static_cast<size_t>(channels));
        std::memcpy(frame.data(), bytes.data(), bytes.size());
        out.push_back(frame);
    }
    return out;
}

QByteArray commandBytes(const QVector<TRecorderSimulator::Command>& commands)
{
    QByteArray bytes;
    for (const auto& c : commands)
        bytes.append(char(c.byte));
    return bytes;
}

// A default recorder and a device reading all its leads, with the first frames
// through.
struct Streaming
{
    bool start(int mask = -1)
    {
        recorder = startRecorder(Protocol::Default);
        if (!recorder)
            return false;
        device = makeDevice(Protocol::Default, recorder->portPath(), mask);
        device->start();
        return collect(*device, 20).size() == 20;
    }
    std::unique_ptr<TRecorderSimulator> recorder;
    std::unique_ptr<TSerialAcqDevice> device;
};

class BlockCounter : public TAcqDriverListener
{
public:
    void onData(TAcqDriver*) override { ++blocks; }
    void onPacemaker(TAcqDriver*, int) override {}
    void onError(TAcqDriver*, const char*) override { ++errors; }
    int blocks = 0;
    int errors = 0;
};

} // namespace

class TestSerialDevice : public QObject
{
    Q_OBJECT

private slots:
    void answersLikeADevice();
    void commandSequence_data();
    void commandSequence();
    void keepAliveIsTwoStartBytes5msApart_data();
    void keepAliveIsTwoStartBytes5msApart();
    void deliversTheRecorderLeads_data();
    void deliversTheRecorderLeads();
    void statusFollowsTheRecorder();
    void vanishedPortFailsTheReader();
    void driverRestartsTheReaderWhenThePortReturns();
    void tenSecondsOfSilenceIsAReadError();
    void secondDeviceOnTheSamePortFails();
    void usbSearch_data();
    void usbSearch();
    void probeAndSearch();
};

void TestSerialDevice::answersLikeADevice()
{
    TSerialAcqDevice device("/dev/pts/none", 230400, TLeadTable::DefaultChannelMask);
    QCOMPARE(device.channelCount(), 7);
    const char* names[] = {"I", "II", "III", "aVR", "aVL", "aVF", "V5"};
    for (int k = 0; k < 7; ++k)
        QCOMPARE(QByteArray(device.channelName(k)), QByteArray(names[k]));
    QCOMPARE(QByteArray(device.channelName(7)), QByteArray());
    QCOMPARE(device.samplingRate(), 500);
    QCOMPARE(device.sampleSize(), 2);
    QCOMPARE(device.resolution(), 16);
    QCOMPARE(device.gainMax(), 450.0);
    device.setGain(600.0);
    QCOMPARE(device.gainMin(), -600.0);
    QCOMPARE(device.gainMax(), 600.0);
    device.setGain(0.0); // not a range: ignored
    QCOMPARE(device.gainMax(), 600.0);
    QVERIFY(device.isOk());
    QCOMPARE(QByteArray(device.errorString()), QByteArray());
    QVERIFY(!device.isElectrodeOff("LA"));
    QVERIFY(!device.isElectrodeOff("nonsense"));
    QVERIFY(!device.isChannelSaturated(99));
    QCOMPARE(device.reader()->keepAliveFrames(), 30000);

    THRSerialAcqDevice hr("/dev/pts/none", 570000);
    QCOMPARE(hr.channelCount(), 14);
    QCOMPARE(QByteArray(hr.channelName(13)), QByteArray("CR5"));
    QCOMPARE(hr.gainMax(), 300.0);
    QCOMPARE(hr.reader()->keepAliveFrames(), 60000);
    QCOMPARE(hr.reader()->baudRate(), 570000);
}

void TestSerialDevice::commandSequence_data()
{
    QTest::addColumn<Protocol>("protocol");
    QTest::newRow("default") << Protocol::Default;
    QTest::newRow("HR") << Protocol::HR;
}

void TestSerialDevice::commandSequence()
{
    QFETCH(Protocol, protocol);
    auto recorder = startRecorder(protocol);
    QVERIFY(recorder);
    auto device = makeDevice(protocol, recorder->portPath());
    device->start();
    QVERIFY(collect(*device, 50).size() == 50);
    device->stop();
    QVERIFY(device->isOk());
    QVERIFY(waitFor([&] { return commandBytes(recorder->commands()).endsWith("\x02\x02"); }, 2000));
    const QVector<TRecorderSimulator::Command> commands = recorder->commands();
    QCOMPARE(commandBytes(commands), QByteArray("\x01\x01\x09\x02\x02"));
    // 100 ms apart, as the simulator saw them (it may wake a little late).
    const qint64 resetGap = commands[1].atMs - commands[0].atMs;
    const qint64 stopGap = commands[4].atMs - commands[3].atMs;
    QVERIFY2(resetGap >= 80 && resetGap < 500, qPrintable(QString::number(resetGap)));
    QVERIFY2(stopGap >= 80 && stopGap < 500, qPrintable(QString::number(stopGap)));
    QVERIFY(!recorder->isStreaming());

    // Started again, the reader opens the port and resets the recorder again.
    device->start();
    QVERIFY(collect(*device, 20).size() == 20);
    device->stop();
    QVERIFY(waitFor([&] { return commandBytes(recorder->commands()).size() >= 10; }, 3000));
    QThread::msleep(50);
    QCOMPARE(commandBytes(recorder->commands()), QByteArray("\x01\x01\x09\x02\x02\x01\x01\x09\x02\x02"));
}

void TestSerialDevice::keepAliveIsTwoStartBytes5msApart_data()
{
    // The minute's worth of frames per protocol is asserted in answersLikeADevice;
    // HR counts recorder frames, not the averaged pairs it delivers.
    QTest::addColumn<Protocol>("protocol");
    QTest::newRow("default") << Protocol::Default;
    QTest::newRow("HR") << Protocol::HR;
}

void TestSerialDevice::keepAliveIsTwoStartBytes5msApart()
{
    // At the real rate, where the simulator reads each byte as it comes, with
    // a keep-alive every 250 frames instead of every minute.
    QFETCH(Protocol, protocol);
    auto recorder = startRecorder(protocol);
    QVERIFY(recorder);
    auto device = makeDevice(protocol, recorder->portPath());
    device->reader()->setKeepAliveFrames(250);
    device->start();
    QVERIFY(waitFor([&] { return commandBytes(recorder->commands()).count('\x09') >= 5; }, 5000));
    device->stop();
    QVERIFY(device->isOk());
    const QVector<TRecorderSimulator::Command> commands = recorder->commands();
    QVERIFY(commandBytes(commands).startsWith("\x01\x01\x09\x09\x09\x09\x09"));
    // Read as they come, less the simulator's wake-up time, which a loaded
    // machine may stretch for one pair: bytes sent back to back would show no
    // gap in any pair.
    qint64 widestGapUs = 0;
    for (int pair : {3, 5}) {
        const qint64 gapUs = commands[pair + 1].atUs - commands[pair].atUs;
        QVERIFY2(gapUs < 100000, qPrintable(QString::number(gapUs)));
        widestGapUs = std::max(widestGapUs, gapUs);
        // Counted by the simulator when sent: those still on their way to the
        // reader come on top, so the first interval is at least 250 and the
        // second 250 give or take that delay.
        const qint64 frames = commands[pair].framesSent - (pair == 3 ? 0 : commands[3].framesSent);
        QVERIFY2(frames >= (pair == 3 ? 250 : 200) && frames < 400, qPrintable(QString::number(frames)));
    }
    QVERIFY2(widestGapUs >= 2500, qPrintable(QString::number(widestGapUs)));
}

void TestSerialDevice::deliversTheRecorderLeads_data()
{
    // The decoder's arithmetic and lead selection have tests of their own: here
    // the device must deliver what the decoder makes of the recorder's frames.
    QTest::addColumn<Protocol>("protocol");
    QTest::addColumn<int>("mask");
    QTest::newRow("default, launcher mask") << Protocol::Default << TLeadTable::DefaultChannelMask;
    QTest::newRow("HR, always all leads") << Protocol::HR << TLeadTable::DefaultChannelMask;
}

void TestSerialDevice::deliversTheRecorderLeads()
{
    QFETCH(Protocol, protocol);
    QFETCH(int, mask);
    auto recorder = startRecorder(protocol);
    QVERIFY(recorder);
    auto device = makeDevice(protocol, recorder->portPath(), mask);
    device->start();
    const auto frames = collect(*device, 300);
    device->stop();
    QCOMPARE(int(frames.size()), 300);
    const bool hr = protocol == Protocol::HR;
    QCOMPARE(device->channelCount(), TLeadTable::selectedLeads(hr ? -1 : mask).size());
    QByteArray stream;
    for (int f = 0; f < (hr ? 600 : 300); ++f) {
        qint16 leads[14];
        countingLeads(f, 0, leads);
        stream += hr ? TRecorderFrameEncoder::hrFrame(leads, {}, 200) : TRecorderFrameEncoder::defaultFrame(leads, {}, 200);
    }
    TRecorderStreamDecoder decoder(hr ? TRecorderProtocol::Format::HR : TRecorderProtocol::Format::Default, mask, nullptr);
    std::vector<char> expected;
    QCOMPARE(decoder.decode(stream.constData(), stream.size(), expected), hr ? 600 : 300);
    const size_t frameBytes = size_t(device->channelCount()) * 2;
    for (size_t f = 0; f < 300; ++f)
        if (std::memcmp(frames[f].data(), expected.data() + f * frameBytes, frameBytes) != 0)
            QFAIL(qPrintable(QString("frame %1 differs").arg(f)));
}

void TestSerialDevice::statusFollowsTheRecorder()
{
    // What the status bits mean is the decoder's test; the device must report them.
    Streaming s;
    QVERIFY(s.start(TLeadTable::DefaultChannelMask));
    s.recorder->setBatteryByte(200);
    QVERIFY(waitFor([&] { return qAbs(s.device->batteryLevel() - 2.6) < 1e-9; }, 2000));
    QVERIFY(!s.device->isElectrodeOff("LA"));

    s.recorder->setElectrodeOff("LA", true);
    QVERIFY(waitFor([&] { return s.device->isElectrodeOff("LA"); }, 2000));
    s.recorder->setElectrodeOff("LA", false);
    QVERIFY(waitFor([&] { return !s.device->isElectrodeOff("LA"); }, 2000));

    s.recorder->setLeadSaturated("II", true);
    QVERIFY(waitFor([&] { return s.device->isChannelSaturated(TLeadTable::II); }, 2000));
    QVERIFY(!s.device->isChannelSaturated(TLeadTable::I));
    s.recorder->setLeadSaturated("II", false);
    QVERIFY(waitFor([&] { return !s.device->isChannelSaturated(TLeadTable::II); }, 200));
    s.device->stop();
}

void TestSerialDevice::vanishedPortFailsTheReader()
{
    Streaming s;
    QVERIFY(s.start());
    QElapsedTimer timer;
    timer.start();
    QVERIFY(s.recorder->unplug());
    QVERIFY(waitFor([&] { return !s.device->isOk(); }, 2000));
    QVERIFY(timer.elapsed() < 1000);
    QCOMPARE(QByteArray(s.device->errorString()), QByteArray("Device read error"));

    // Started again while the recorder is away: the port does not open.
    s.device->stop();
    s.device->start();
    QVERIFY(waitFor([&] { return !s.device->isOk(); }, 3000));
    QCOMPARE(QByteArray(s.device->errorString()), QByteArray("No se pudo abrir el puerto (CreateFile)"));
    s.device->stop();
}

void TestSerialDevice::driverRestartsTheReaderWhenThePortReturns()
{
    // The recorder behind a link, as a person configures it: the link survives
    // unplugging and points at the new pseudo-terminal afterwards.
    QTemporaryDir dir;
    const QString link = dir.filePath("recorder");
    TRecorderSimulator recorder(Protocol::Default, std::make_unique<TFunctionSignalSource>(450.0, countingLeads),
                                link);
    QVERIFY(recorder.start());
    TSerialAcqDevice device(link, TRecorderProtocol::DefaultBaudRate, TLeadTable::DefaultChannelMask);
    TIntSignalBuffer buffer(4096, 40960, device.channelCount(), device.samplingRate());
    TQtAcqDriver driver(&device, &buffer);
    BlockCounter counter;
    driver.addListener(&counter);
    driver.start();
    QTRY_VERIFY_WITH_TIMEOUT(counter.blocks >= 3, 5000);

    recorder.unplugFor(1500);
    QTRY_VERIFY_WITH_TIMEOUT(!recorder.isPluggedIn(), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(recorder.isPluggedIn(), 5000);
    const int blocksBack = counter.blocks;
    const int lengthBack = buffer.length();
    QTRY_VERIFY_WITH_TIMEOUT(counter.blocks >= blocksBack + 3, 5000);
    QVERIFY(buffer.length() > lengthBack);
    driver.stop();
    QCOMPARE(counter.errors, 0);
    // It was reset and started anew on the new pseudo-terminal.
    QVERIFY(commandBytes(recorder.commands()).count('\x09') >= 2);
}

void TestSerialDevice::tenSecondsOfSilenceIsAReadError()
{
    Streaming s;
    QVERIFY(s.start());
    s.recorder->silenceFor(15000);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(waitFor([&] { return !s.device->isOk(); }, 14000));
    QVERIFY2(timer.elapsed() >= 9500, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(QByteArray(s.device->errorString()), QByteArray("Device read error"));
    s.device->stop();
}

void TestSerialDevice::secondDeviceOnTheSamePortFails()
{
    Streaming s;
    QVERIFY(s.start());
    auto second = makeDevice(Protocol::Default, s.recorder->portPath());
    second->start();
    QVERIFY(waitFor([&] { return !second->isOk(); }, 2000));
    QCOMPARE(QByteArray(second->errorString()), QByteArray("No se pudo abrir el puerto (CreateFile)"));
    second->stop();
    QVERIFY(s.device->isOk());
    QVERIFY(collect(*s.device, 10).size() == 10);
    s.device->stop();
}

void TestSerialDevice::usbSearch_data()
{
    QTest::addColumn<QStringList>("descriptions");
    QTest::addColumn<QList<int>>("ids"); // vendor, product per port; -1: none
    QTest::addColumn<int>("chosen");     // index, -1 none
    QTest::newRow("by description") << QStringList{"USB Serial", "Cardivex ECG 2"} << QList<int>{1, 2, -1, -1} << 1;
    QTest::newRow("underscores and case") << QStringList{"cardivex_ergo"} << QList<int>{-1, -1} << 0;
    QTest::newRow("description must start with it")
        << QStringList{"My Cardivex ECG"} << QList<int>{-1, -1} << -1;
    QTest::newRow("first match wins") << QStringList{"CARDIVEX ECG", "CARDIVEX ERGO"} << QList<int>{-1, -1, -1, -1} << 0;
    QTest::newRow("by USB identifiers") << QStringList{"ACM", "ACM"} << QList<int>{1240, 1, 1240, 223} << 1;
    QTest::newRow("description before identifiers")
        << QStringList{"ACM", "CARDIVEX ECG"} << QList<int>{1240, 223, -1, -1} << 1;
    QTest::newRow("nothing qualifies") << QStringList{"ACM", "FTDI"} << QList<int>{223, 1240, -1, -1} << -1;
    QTest::newRow("no ports") << QStringList{} << QList<int>{} << -1;
}

void TestSerialDevice::usbSearch()
{
    QFETCH(QStringList, descriptions);
    QFETCH(QList<int>, ids);
    QFETCH(int, chosen);
    QList<TSerialPortCandidate> ports;
    for (int k = 0; k < descriptions.size(); ++k) {
        TSerialPortCandidate port;
        port.portName = QStringLiteral("/dev/ttyACM%1").arg(k);
        port.description = descriptions[k];
        port.hasVendorId = ids[2 * k] >= 0;
        port.vendorId = quint16(qMax(0, ids[2 * k]));
        port.hasProductId = ids[2 * k + 1] >= 0;
        port.productId = quint16(qMax(0, ids[2 * k + 1]));
        ports.append(port);
    }
    QCOMPARE(TRecorderPortFinder::choose(ports), chosen < 0 ? QString() : ports[chosen].portName);
}

void TestSerialDevice::probeAndSearch()
{
    auto recorder = startRecorder(Protocol::Default);
    QVERIFY(recorder);
    auto ergo = startRecorder(Protocol::Default);
    QVERIFY(ergo);
    ergo->setIdentifyReply(" ErGo1\r\n");
    auto other = startRecorder(Protocol::Default);
    QVERIFY(other);
    other->setIdentifyReply("MODEM");
    QElapsedTimer timer;
    timer.start();
    QVERIFY(TRecorderPortProbe::probe(recorder->portPath()));
    QVERIFY(timer.elapsed() < 2000); // a short reply does not wait for the time-out
    QVERIFY(TRecorderPortProbe::probe(ergo->portPath()));
    QVERIFY(!TRecorderPortProbe::probe(other->portPath(), 500));
    QVERIFY(!TRecorderPortProbe::probe("/nonexistent/rfcomm7"));
    QVERIFY(!TRecorderPortProbe::probe("/dev/null"));
    QCOMPARE(commandBytes(recorder->commands()), QByteArray("\x0B"));

    const QStringList candidates = {"/nonexistent/rfcomm7", other->portPath(), recorder->portPath(),
                                    ergo->portPath()};
    TRecorderPortSearch search(candidates, 500);
    QVERIFY(!search.isFinished());
    search.start();
    QTRY_VERIFY_WITH_TIMEOUT(search.isFinished(), 5000);
    QCOMPARE(search.portsFound(), (QStringList{recorder->portPath(), ergo->portPath()}));
    QCOMPARE(TRecorderPortSearch::search({}), QStringList());
}

QTEST_GUILESS_MAIN(TestSerialDevice)
#include "tst_serialdevice.moc"
