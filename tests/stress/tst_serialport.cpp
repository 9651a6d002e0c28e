#include "TPseudoTerminal.h"
#include "TSerialBaudRate.h"
#include "TSerialPort.h"

#include <QtTest>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

Q_DECLARE_METATYPE(TSerialPort::Error)

namespace {

TSerialSetup setup(int baud = 9600, int readTimeoutMs = 300, int writeTimeoutMs = 300)
{
    TSerialSetup s;
    s.baudRate = baud;
    s.readTimeoutMs = readTimeoutMs;
    s.writeTimeoutMs = writeTimeoutMs;
    return s;
}

// A pseudo-terminal and the port opened on its program end.
struct Line
{
    explicit Line(const TSerialSetup& s = setup())
    {
        opened = device.open() && port.open(device.slavePath(), s) == TSerialPort::Error::None;
    }
    TPseudoTerminal device;
    TSerialPort port;
    bool opened = false;
};

// What the device end received within timeoutMs.
QByteArray drain(TPseudoTerminal& device, int wanted, int timeoutMs = 1000)
{
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    char buffer[256];
    while (got.size() < wanted && timer.elapsed() < timeoutMs) {
        const int n = device.read(buffer, sizeof buffer, 20);
        if (n > 0)
            got.append(buffer, n);
    }
    return got;
}

// A thread that is always joined, also when a check returns early.
class Helper
{
public:
    template <typename F>
    explicit Helper(F f) : m_thread(std::move(f))
    {
    }
    ~Helper() { join(); }
    void join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::thread m_thread;
};

} // namespace

class TestSerialPort : public QObject
{
    Q_OBJECT

private slots:
    void portNames_data();
    void portNames();
    void openFailures_data();
    void openFailures();
    void secondOpenIsRefusedUntilClosed();
    void baudRates_data();
    void baudRates();
    void lineIsRaw();
    void readWaitsForAllOrTheTimeout();
    void readSomeReturnsWhatIsThere();
    void hangUpEndsReadsAtOnce();
    void purgeDropsUnreadInput();
    void closedPortRefusesEverything();
};

void TestSerialPort::portNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("bare name") << "ttyUSB0" << "/dev/ttyUSB0";
    QTest::newRow("Bluetooth") << "rfcomm0" << "/dev/rfcomm0";
    QTest::newRow("long name is not cut") << "ttyCardivexECG12" << "/dev/ttyCardivexECG12";
    QTest::newRow("absolute path") << "/dev/pts/3" << "/dev/pts/3";
    QTest::newRow("relative path") << "links/recorder" << "links/recorder";
}

void TestSerialPort::portNames()
{
    QFETCH(QString, name);
    QFETCH(QString, path);
    QCOMPARE(TSerialPort::devicePath(name), path);
}

void TestSerialPort::openFailures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<TSerialPort::Error>("error");
    QTest::newRow("no such device") << "/nonexistent/ttyUSB9" << TSerialPort::Error::NotFound;
    QTest::newRow("no such name under /dev") << "ttyVelmoraMissing" << TSerialPort::Error::NotFound;
    QTest::newRow("empty name") << "" << TSerialPort::Error::NotFound;
    QTest::newRow("not a terminal") << "/dev/null" << TSerialPort::Error::InvalidPort;
    QTest::newRow("a directory") << "/tmp" << TSerialPort::Error::InvalidPort;
    QTest::newRow("a regular file") << "FILE" << TSerialPort::Error::InvalidPort;
}

void TestSerialPort::openFailures()
{
    QFETCH(QString, name);
    QFETCH(TSerialPort::Error, error);
    QTemporaryDir dir;
    if (name == "FILE") {
        name = dir.filePath("plain.txt");
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    TSerialPort port;
    QCOMPARE(port.open(name, setup()), error);
    QVERIFY(!port.isOpen());
}

void TestSerialPort::secondOpenIsRefusedUntilClosed()
{
    TPseudoTerminal device;
    QVERIFY(device.open());
    TSerialPort first, second;
    QCOMPARE(first.open(device.slavePath(), setup()), TSerialPort::Error::None);
    QCOMPARE(second.open(device.slavePath(), setup()), TSerialPort::Error::Busy);
    // Whoever opens it after the first has closed it gets it, and again after
    // closing it in turn.
    first.close();
    for (int k = 0; k < 2; ++k) {
        QCOMPARE(second.open(device.slavePath(), setup()), TSerialPort::Error::None);
        QCOMPARE(second.write("x", 1), 1);
        QCOMPARE(drain(device, 1), QByteArray("x"));
        second.close();
    }
}

void TestSerialPort::baudRates_data()
{
    QTest::addColumn<int>("baud");
    QTest::newRow("Kipnet 4800") << 4800;
    QTest::newRow("OLMO 9600") << 9600;
    QTest::newRow("recorder 230400") << 230400;
    QTest::newRow("HR recorder 570000, not in the table") << 570000;
}

void TestSerialPort::baudRates()
{
    QFETCH(int, baud);
    Line line(setup(baud));
    QVERIFY(line.opened);
    const int fd = ::open(QFile::encodeName(line.device.slavePath()).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    QCOMPARE(TSerialBaudRate::read(fd), baud);
    ::close(fd);
}

void TestSerialPort::lineIsRaw()
{
    // Every byte value passes both ways unchanged: no echo, no CR/LF mapping,
    // no flow-control or signal characters.
    Line line(setup(230400, 1000));
    QVERIFY(line.opened);
    QByteArray all(256, '\0');
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    QCOMPARE(line.port.write(all), 256);
    QCOMPARE(drain(line.device, 256), all);
    QVERIFY(line.device.writeSome(all.constData(), all.size()) == 256);
    QByteArray back(256, '\0');
    QCOMPARE(line.port.read(back.data(), back.size()), 256);
    QCOMPARE(back, all);
    char extra;
    QCOMPARE(line.port.readSome(&extra, 1, 50), 0); // nothing echoed
}

void TestSerialPort::readWaitsForAllOrTheTimeout()
{
    Line line(setup(9600, 400));
    QVERIFY(line.opened);
    // Arriving in pieces, all within the time-out.
    char buffer[7];
    QElapsedTimer timer;
    timer.start();
    Helper feeder([&] {
        QThread::msleep(50);
        line.device.writeSome("abc", 3);
        QThread::msleep(100);
        line.device.writeSome("defg", 4);
    });
    QCOMPARE(line.port.read(buffer, 7), 7);
    feeder.join();
    QCOMPARE(QByteArray(buffer, 7), QByteArray("abcdefg"));
    QVERIFY(timer.elapsed() < 400);

    // Too few bytes: the count that came, after the time-out.
    line.device.writeSome("xy", 2);
    timer.restart();
    QCOMPARE(line.port.read(buffer, 7), 2);
    QVERIFY2(timer.elapsed() >= 380 && timer.elapsed() < 1500, qPrintable(QString::number(timer.elapsed())));
}

void TestSerialPort::readSomeReturnsWhatIsThere()
{
    Line line(setup(9600, 5000));
    QVERIFY(line.opened);
    line.device.writeSome("hello", 5);
    char buffer[64];
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(line.port.readSome(buffer, 64, 2000), 5);
    QVERIFY(timer.elapsed() < 1000);
    timer.restart();
    QCOMPARE(line.port.readSome(buffer, 64, 100), 0);
    QVERIFY(timer.elapsed() >= 90);
}

void TestSerialPort::hangUpEndsReadsAtOnce()
{
    Line line(setup(230400, 10000));
    QVERIFY(line.opened);
    Helper unplug([&] {
        QThread::msleep(100);
        line.device.close();
    });
    char buffer[16];
    QElapsedTimer timer;
    timer.start();
    const int n = line.port.read(buffer, 16);
    unplug.join();
    QVERIFY(n < 16);
    QVERIFY(timer.elapsed() < 2000);
    QCOMPARE(line.port.readSome(buffer, 16, 1000), -1);
    QVERIFY(line.port.write("x", 1) < 1);
}

void TestSerialPort::purgeDropsUnreadInput()
{
    Line line(setup(9600, 200));
    QVERIFY(line.opened);
    line.device.writeSome("stale", 5);
    QThread::msleep(50);
    QVERIFY(line.port.purge());
    line.device.writeSome("new", 3);
    char buffer[8];
    QCOMPARE(line.port.read(buffer, 3), 3);
    QCOMPARE(QByteArray(buffer, 3), QByteArray("new"));
}

void TestSerialPort::closedPortRefusesEverything()
{
    TSerialPort port;
    char buffer[4];
    QVERIFY(!port.isOpen());
    QCOMPARE(port.read(buffer, 4), -1);
    QCOMPARE(port.readSome(buffer, 4, 10), -1);
    QCOMPARE(port.write("ab", 2), -1);
    QVERIFY(!port.purge());
    TSerialSetup bad = setup();
    bad.readTimeoutMs = -1;
    TPseudoTerminal device;
    QVERIFY(device.open());
    QCOMPARE(port.open(device.slavePath(), bad), TSerialPort::Error::SetTimeouts);
    QVERIFY(!port.isOpen());
    bad = setup();
    bad.inputBufferSize = 0;
    QCOMPARE(port.open(device.slavePath(), bad), TSerialPort::Error::BufferSizes);
}

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"
