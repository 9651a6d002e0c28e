#include "TAcqDriverListener.h"
#include "TDemoAcqDevice.h"
#include "TDemoReaderThread.h"
#include "TException.h"
#include "TQtAcqDriver.h"
#include "TRingSignalBuffer.h"

#include <QtTest>
#include <vector>

namespace {

// A recording of `frames` 14-lead frames where lead c of frame f holds
// f * 16 + c, plus `extraBytes` of a partial frame.
QString writeRecording(const QTemporaryDir& dir, int frames, int extraBytes = 0)
{
    const QString path = dir.filePath("recording.dat");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    std::vector<qint16> data(size_t(frames) * 14);
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < 14; ++c)
            data[size_t(f) * 14 + size_t(c)] = qint16(f * 16 + c);
    file.write(reinterpret_cast<const char*>(data.data()), qint64(data.size() * 2));
    file.write(QByteArray(extraBytes, char(0x7f)));
    return path;
}

// Drains the device's queue until `frames` frames came or the time is up.
std::vector<qint16> collect(TDemoAcqDevice& device, int frames, int timeoutMs = 20000)
{
    const int frameBytes = device.channelCount() * 2;
    std::vector<qint16> values;
    QElapsedTimer timer;
    timer.start();
    std::vector<char> chunk(65536);
    while (int(values.size()) < frames * device.channelCount() && timer.elapsed() < timeoutMs) {
        const int available = device.bytesAvailable() / frameBytes * frameBytes;
        if (available == 0) {
            QThread::msleep(5);
            continue;
        }
        const int n = device.read(chunk.data(), qMin(available, int(chunk.size()) / frameBytes * frameBytes));
        const qint16* v = reinterpret_cast<const qint16*>(chunk.data());
        values.insert(values.end(), v, v + n / 2);
    }
    return values;
}

class CountingListener : public TAcqDriverListener
{
public:
    void onData(TAcqDriver*) override { ++blocks; }
    void onPacemaker(TAcqDriver*, int) override {}
    void onError(TAcqDriver*, const char*) override { ++errors; }
    int blocks = 0, errors = 0;
};

} // namespace

class TestDemoDevice : public QObject
{
    Q_OBJECT

private slots:
    void answersLikeADevice();
    void loopsWithoutLosingOrRepeatingAFrame_data();
    void loopsWithoutLosingOrRepeatingAFrame();
    void fileWithoutAWholeFrameDeliversNothing();
    void missingFileFails();
    void findsRecordingInWorkingDirectoryThenBesideProgram();
    void replaysAtNominalPace();
    void feedsTheDriver();
};

void TestDemoDevice::answersLikeADevice()
{
    QTemporaryDir dir;
    TDemoAcqDevice device(writeRecording(dir, 100));
    QCOMPARE(device.channelCount(), 7);
    const char* names[] = {"I", "II", "III", "aVR", "aVL", "aVF", "V5"};
    for (int k = 0; k < 7; ++k)
        QCOMPARE(QByteArray(device.channelName(k)), QByteArray(names[k]));
    QCOMPARE(QByteArray(device.channelName(7)), QByteArray());
    QCOMPARE(device.samplingRate(), 500);
    QCOMPARE(device.sampleSize(), 2);
    QCOMPARE(device.resolution(), 16);
    QCOMPARE(device.gainMin(), -300.0);
    QCOMPARE(device.gainMax(), 300.0);
    QVERIFY(device.isOk());
    QCOMPARE(QByteArray(device.errorString()), QByteArray());
    QCOMPARE(device.batteryLevel(), 0.0);
    QVERIFY(!device.isChannelSaturated(0));
    // A replay has no electrodes to lose.
    for (const char* electrode : {"LA", "LL", "RA", "V1", "V2", "V3", "V4", "V5", "V6"})
        QVERIFY(!device.isElectrodeOff(electrode));
    QCOMPARE(device.nextPacemakerPulse(), 0);

    TDemoAcqDevice all(writeRecording(dir, 100), 14, 500, 2, 16, 300.0, 0, -1);
    QCOMPARE(all.channelCount(), 14);
    QCOMPARE(QByteArray(all.channelName(13)), QByteArray("CR5"));
}

void TestDemoDevice::loopsWithoutLosingOrRepeatingAFrame_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("extraBytes");
    QTest::addColumn<int>("mask");
    QTest::addColumn<QList<int>>("leads"); // file leads in channel order
    const QList<int> all = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    QTest::newRow("whole frames") << 300 << 0 << -1 << all;
    QTest::newRow("partial trailing frame") << 300 << 13 << -1 << all;
    QTest::newRow("one byte short of another frame") << 257 << 27 << -1 << all;
    QTest::newRow("launcher mask: limb leads and V5") << 50 << 0 << 1087 << QList<int>{0, 1, 2, 3, 4, 5, 10};
}

void TestDemoDevice::loopsWithoutLosingOrRepeatingAFrame()
{
    QFETCH(int, frames);
    QFETCH(int, extraBytes);
    QFETCH(int, mask);
    QFETCH(QList<int>, leads);
    QTemporaryDir dir;
    TDemoAcqDevice device(writeRecording(dir, frames, extraBytes), 14, 500, 2, 16, 300.0, 0, mask);
    QCOMPARE(device.channelCount(), leads.size());
    device.start();
    const int wanted = frames * 2 + 50; // across two seams
    const std::vector<qint16> values = collect(device, wanted);
    device.stop();
    const size_t channels = size_t(leads.size());
    QVERIFY(values.size() >= size_t(wanted) * channels);
    for (int f = 0; f < wanted; ++f)
        for (size_t k = 0; k < channels; ++k)
            if (values[size_t(f) * channels + k] != qint16((f % frames) * 16 + leads[int(k)]))
                QFAIL(qPrintable(QString("frame %1 channel %2 is %3").arg(f).arg(k).arg(values[size_t(f) * channels + k])));
}

void TestDemoDevice::fileWithoutAWholeFrameDeliversNothing()
{
    QTemporaryDir dir;
    TDemoAcqDevice device(writeRecording(dir, 0, 20));
    device.start();
    QTest::qWait(100);
    QCOMPARE(device.bytesAvailable(), 0);
    device.stop(); // and does not hang
}

void TestDemoDevice::missingFileFails()
{
    try {
        TDemoAcqDevice device(QStringLiteral("/nonexistent/ecg500.dat"));
        QFAIL("a device without its recording was built");
    } catch (const TException& e) {
        QCOMPARE(e.message(), QStringLiteral("Cannot open file"));
    }
}

void TestDemoDevice::findsRecordingInWorkingDirectoryThenBesideProgram()
{
    const QString besideProgram = QDir(QCoreApplication::applicationDirPath()).filePath("ecg500.dat");
    if (!QFileInfo::exists(besideProgram))
        QSKIP("the demo recording is not built beside the test");
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    QCOMPARE(TDemoAcqDevice::resolveFileName("ecg500.dat"), besideProgram);
    QFile local("ecg500.dat");
    QVERIFY(local.open(QIODevice::WriteOnly));
    local.close();
    QCOMPARE(TDemoAcqDevice::resolveFileName("ecg500.dat"), QStringLiteral("ecg500.dat"));
    QCOMPARE(TDemoAcqDevice::resolveFileName("/abs/x.dat"), QStringLiteral("/abs/x.dat"));
    QVERIFY(QDir::setCurrent(previous));
}

void TestDemoDevice::replaysAtNominalPace()
{
    // 10 s of replay put 5 000 frames into the queue, give or take one burst of
    // 25 ms (and what a loaded machine delays the last sleep by).
    QTemporaryDir dir;
    TDemoAcqDevice device(writeRecording(dir, 1000), 14, 500, 2, 16, 300.0, 0, -1);
    QElapsedTimer timer;
    device.start();
    timer.start();
    QTest::qWait(10000);
    const int frames = device.bytesAvailable() / 28;
    const qint64 elapsed = timer.elapsed();
    device.stop();
    const double expected = elapsed * 0.5;
    QVERIFY2(frames >= expected - 100 && frames <= expected + 30,
             qPrintable(QString("%1 frames in %2 ms").arg(frames).arg(elapsed)));
    QCOMPARE(device.reader()->bytesRead(), quint64(device.bytesAvailable()));
}

void TestDemoDevice::feedsTheDriver()
{
    QTemporaryDir dir;
    TDemoAcqDevice device(writeRecording(dir, 1000));
    TIntSignalBuffer buffer(4096, 40960, device.channelCount(), device.samplingRate());
    buffer.setResolution(device.resolution());
    buffer.setGain(device.gainMin(), device.gainMax());
    TQtAcqDriver driver(&device, &buffer);
    CountingListener listener;
    driver.addListener(&listener);
    driver.start();
    QTRY_VERIFY_WITH_TIMEOUT(buffer.length() >= 500, 5000);
    driver.stop();
    QVERIFY(listener.blocks >= 3);
    QCOMPARE(listener.errors, 0);
    // V5 is the seventh channel: file lead 10.
    for (int i = 0; i < buffer.length(); i += 97)
        QCOMPARE(buffer.sample(6, i), (i % 1000) * 16 + 10);
}

QTEST_GUILESS_MAIN(TestDemoDevice)
#include "tst_demodevice.moc"
