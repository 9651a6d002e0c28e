#include "TestWait.h"
#include "TKipnetTreadmill.h"
#include "TLeadTable.h"
#include "TOlmoErgometer.h"
#include "TSerialAcqDevice.h"
#include "TSerialPort.h"

#include <QImage>
#include <QRandomGenerator>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

QString program(const QString& name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

// A simulator program started as a person would, with its port behind a link
// in a temporary folder (none: the arguments say where).
class Simulator
{
public:
    Simulator(const QString& name, const QStringList& arguments, const QString& link,
              const QString& workingDirectory = QString())
    {
        m_process.setProgram(program(name));
        m_process.setArguments(link.isEmpty() ? arguments : QStringList{"--link", link} + arguments);
        m_process.setWorkingDirectory(workingDirectory);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
    }
    ~Simulator()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.write("quit\n");
            if (!m_process.waitForFinished(3000)) {
                m_process.kill();
                m_process.waitForFinished(3000);
            }
        }
    }
    // Waits until the output holds text; all output so far.
    bool waitForOutput(const QString& text, int timeoutMs = 5000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!m_output.contains(text)) {
            if (timer.elapsed() > timeoutMs || m_process.state() == QProcess::NotRunning)
                return m_output.contains(text);
            m_process.waitForReadyRead(50);
            m_output += QString::fromLocal8Bit(m_process.readAllStandardOutput());
        }
        return true;
    }
    // Takes what the program printed within ms.
    void pump(int ms)
    {
        m_process.waitForReadyRead(ms);
        m_output += QString::fromLocal8Bit(m_process.readAllStandardOutput());
    }
    void command(const QByteArray& line)
    {
        m_process.write(line + "\n");
        m_process.waitForBytesWritten(1000);
    }
    QString output() const { return m_output; }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
    QString m_output;
};

} // namespace

class TestSimulatorPrograms : public QObject
{
    Q_OBJECT

private slots:
    void helpAndBadOptions_data();
    void helpAndBadOptions();
    void recorderProgram();
    void treadmillProgram();
    void ergometerProgram();
    void printerProgram_data();
    void printerProgram();
};

void TestSimulatorPrograms::helpAndBadOptions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("badOptions");
    const QStringList unknown{"--no-such-option"};
    QTest::newRow("sim-recorder") << "sim-recorder" << unknown;
    QTest::newRow("sim-treadmill") << "sim-treadmill" << unknown;
    QTest::newRow("sim-ergometer") << "sim-ergometer" << unknown;
    QTest::newRow("sim-printer") << "sim-printer" << unknown;
    QTest::newRow("sim-printer, negative pace") << "sim-printer" << QStringList{"--dots-per-second", "-1"};
    QTest::newRow("sim-printer, --out without a folder") << "sim-printer" << QStringList{"--out"};
    QTest::newRow("sim-printer, stall after no band") << "sim-printer" << QStringList{"--stall-after-bands", "0"};
}

void TestSimulatorPrograms::helpAndBadOptions()
{
    QFETCH(QString, name);
    QFETCH(QStringList, badOptions);
    QProcess process;
    process.start(program(name), {"--help"});
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 0);
    const QString help = QString::fromLocal8Bit(process.readAllStandardOutput());
    QVERIFY(help.contains("Usage: " + name));
    QVERIFY(help.contains("--link"));
    QVERIFY(help.contains("unplug"));
    process.start(program(name), badOptions);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(QString::fromLocal8Bit(process.readAllStandardError()).startsWith(name + ": "));
}

void TestSimulatorPrograms::recorderProgram()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("recorder");
    Simulator sim("sim-recorder", {"--synth", "--battery", "180"}, link);
    QVERIFY2(sim.waitForOutput("port " + link), qPrintable(sim.output()));
    TSerialAcqDevice device(link, 230400, TLeadTable::DefaultChannelMask);
    device.start();
    QVERIFY(waitFor([&] { return device.bytesAvailable() >= 500 * 14; }, 5000));
    QVERIFY(sim.waitForOutput("host: 0x09"));
    QVERIFY(qAbs(device.batteryLevel() - 180 * 0.013) < 1e-9);
    // Half a second of a synthesized ECG: the leads move and stay in range.
    std::vector<qint16> codes(500 * 7);
    QCOMPARE(device.read(reinterpret_cast<char*>(codes.data()), int(codes.size() * 2)), int(codes.size() * 2));
    const auto [low, high] = std::minmax_element(codes.begin(), codes.end());
    QVERIFY(*high - *low > 100);

    sim.command("off LA");
    QVERIFY(waitFor([&] { return device.isElectrodeOff("LA"); }, 3000));
    sim.command("unplug 1");
    QVERIFY(sim.waitForOutput("unplugged"));
    QVERIFY(waitFor([&] { return !device.isOk(); }, 3000));
    QVERIFY(sim.waitForOutput("plugged in: port " + link, 5000));
    device.stop();
    device.queue().clear();
    device.start(); // as the acquisition worker does
    QVERIFY(waitFor([&] { return device.bytesAvailable() >= 100 * 14; }, 5000));
    QVERIFY(device.isOk());
    device.stop();
    QVERIFY(sim.waitForOutput("host: 0x02"));
    sim.command("quit");
    QVERIFY(sim.process().waitForFinished(3000));
    QCOMPARE(sim.process().exitCode(), 0);
    QVERIFY(!QFileInfo::exists(link)); // the link goes with the simulator
}

void TestSimulatorPrograms::treadmillProgram()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("treadmill");
    Simulator sim("sim-treadmill", {}, link);
    QVERIFY2(sim.waitForOutput("port " + link), qPrintable(sim.output()));
    TKipnetTreadmill treadmill(link, dir.filePath("kipnet.log"));
    treadmill.setValue("speed", 5.0);
    treadmill.setValue("incline", 2.5);
    treadmill.apply();
    QVERIFY2(sim.waitForOutput("incline 2.5 %"), qPrintable(sim.output()));
    QVERIFY(sim.output().contains(";2GO00:"));
    QVERIFY(sim.output().contains(";2V005077:  speed 5.0 km/h"));
    QVERIFY(!sim.output().contains("bad checksum"));
}

void TestSimulatorPrograms::ergometerProgram()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("ergometer");
    Simulator sim("sim-ergometer", {}, link);
    QVERIFY2(sim.waitForOutput("port " + link), qPrintable(sim.output()));
    {
        TOlmoErgometer ergometer(link);
        QVERIFY2(sim.waitForOutput(" r "), qPrintable(sim.output()));
    }
    // Closed during its start-up wait: it leaves the ergometer reset.
    QVERIFY2(waitFor([&] {
                 sim.pump(50);
                 return sim.output().count(" r ") == 2;
             }, 3000),
             qPrintable(sim.output()));
}

void TestSimulatorPrograms::printerProgram_data()
{
    QTest::addColumn<bool>("link");
    QTest::addColumn<QString>("out"); // under the temporary folder; empty: none given
    QTest::newRow("behind a link, into a new folder") << true << "out/new";
    QTest::newRow("no link, into the current folder") << false << "";
}

void TestSimulatorPrograms::printerProgram()
{
    QFETCH(bool, link);
    QFETCH(QString, out);
    QTemporaryDir dir;
    const QString linkPath = link ? dir.filePath("printer") : QString();
    QStringList arguments{"--dots-per-second", "0", "--drop-for", "0.3"};
    if (!link)
        arguments.prepend("--no-link");
    if (!out.isEmpty())
        arguments += {"--out", dir.filePath(out)};
    const QString folder = out.isEmpty() ? dir.path() : dir.filePath(out);
    Simulator sim("sim-printer", arguments, linkPath, dir.path());
    // "port PATH" or "port LINK (-> PATH)", PATH the pseudo-terminal.
    const QRegularExpression portLine("^port (\\S+)( \\(-> /dev/pts/\\d+\\))?\n", QRegularExpression::MultilineOption);
    QVERIFY2(waitFor([&] {
                 sim.pump(20);
                 return portLine.match(sim.output()).hasMatch();
             }, 5000),
             qPrintable(sim.output()));
    const QRegularExpressionMatch port = portLine.match(sim.output());
    QCOMPARE(port.captured(1).startsWith("/dev/pts/"), !link);
    QCOMPARE(port.captured(2).isEmpty(), !link);
    if (link)
        QCOMPARE(port.captured(1), linkPath);

    // Out of paper and back, out of range and back.
    sim.command("stall");
    QVERIFY2(sim.waitForOutput("paper out: reading stopped after 0 bands"), qPrintable(sim.output()));
    sim.command("resume");
    QVERIFY2(sim.waitForOutput("paper back in: reading again"), qPrintable(sim.output()));
    sim.command("drop");
    QVERIFY2(sim.waitForOutput("unplugged"), qPrintable(sim.output()));
    QVERIFY2(sim.waitForOutput("plugged in: port "), qPrintable(sim.output()));
    sim.pump(50);
    const QString portPath = link ? linkPath
                                  : QRegularExpression("plugged in: port (\\S+)").match(sim.output()).captured(1);

    // 16 x 24 random dots in three bands, after two bytes it cannot read.
    QImage sent(16, 24, QImage::Format_Mono);
    sent.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    QByteArray bytes("AB\x1B\x40");
    for (int y = 0; y < sent.height(); ++y) {
        if (y % 8 == 0)
            bytes.append(QByteArray("\x1D\x76\x30\x00\x02\x00\x08\x00", 8));
        for (int x = 0; x < 2; ++x)
            bytes.append(char(sent.scanLine(y)[x] = uchar(QRandomGenerator::global()->generate())));
    }
    bytes.append("\x1B\x64\x05");
    TSerialPort host;
    QVERIFY(host.open(portPath, TSerialSetup()) == TSerialPort::Error::None);
    QCOMPARE(host.write(bytes), bytes.size());

    const QString png = QDir(folder).filePath("job-1.png");
    QVERIFY2(sim.waitForOutput("job 1: "), qPrintable(sim.output()));
    QVERIFY2(sim.waitForOutput(png), qPrintable(sim.output()));
    QVERIFY(sim.output().contains("skipped 2 bytes not understood: 41 42\n"));
    const QRegularExpression line("^job 1: 16 x 24 dots \\(2.0 x 3.0 mm\\), 3 bands, \\d+\\.\\d s -> " +
                                      QRegularExpression::escape(png) + "$",
                                  QRegularExpression::MultilineOption);
    QVERIFY2(line.match(sim.output()).hasMatch(), qPrintable(sim.output()));
    const QImage printed(png, "PNG");
    QCOMPARE(printed.size(), sent.size());
    for (int y = 0; y < sent.height(); ++y)
        for (int x = 0; x < sent.width(); ++x)
            QCOMPARE(qGray(printed.pixel(x, y)) < 128, qGray(sent.pixel(x, y)) < 128);

    host.close();
    sim.command("quit");
    QVERIFY(sim.process().waitForFinished(3000));
    QCOMPARE(sim.process().exitCode(), 0);
    if (link)
        QVERIFY(!QFileInfo::exists(linkPath));
}

QTEST_GUILESS_MAIN(TestSimulatorPrograms)
#include "tst_simulatorprograms.moc"
