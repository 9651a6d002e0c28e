#include "TestWait.h"
#include "TKipnetTreadmill.h"
#include "TLeadTable.h"
#include "TOlmoErgometer.h"
#include "TSerialAcqDevice.h"

#include <QtTest>
#include <functional>
#include <memory>

namespace {

QString program(const QString& name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

// A simulator program started as a person would, with its port behind a link
// in a temporary folder.
class Simulator
{
public:
    Simulator(const QString& name, const QStringList& arguments, const QString& link)
    {
        m_process.setProgram(program(name));
        m_process.setArguments(QStringList{"--link", link} + arguments);
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
};

void TestSimulatorPrograms::helpAndBadOptions_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("sim-recorder") << "sim-recorder";
    QTest::newRow("sim-treadmill") << "sim-treadmill";
    QTest::newRow("sim-ergometer") << "sim-ergometer";
}

void TestSimulatorPrograms::helpAndBadOptions()
{
    QFETCH(QString, name);
    QProcess process;
    process.start(program(name), {"--help"});
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 0);
    const QString help = QString::fromLocal8Bit(process.readAllStandardOutput());
    QVERIFY(help.contains("Usage: " + name));
    QVERIFY(help.contains("--link"));
    QVERIFY(help.contains("unplug"));
    process.start(program(name), {"--no-such-option"});
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 2);
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

QTEST_GUILESS_MAIN(TestSimulatorPrograms)
#include "tst_simulatorprograms.moc"
