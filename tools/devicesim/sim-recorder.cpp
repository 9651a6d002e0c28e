// sim-recorder: a simulated ECG recorder on a pseudo-terminal.

#include "TException.h"
#include "TRecorderSignalSource.h"
#include "TRecorderSimulator.h"
#include "TSimulatorConsole.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cstdio>

namespace {

const char* const help = R"(Usage: sim-recorder [options]

A simulated Cardivex ECG recorder on a pseudo-terminal. It prints the path of
its port; point the program's port setting (Config/AcqBluetoothPort, with
Config/AcqMode "bluetooth-com") at it. It answers reset (0x01), start and
keep-alive (0x09), stop (0x02) and identify (0x0B, reply "ECG-SIM"), and while
started streams frames at the real rate: default protocol 40-byte frames at
500 per second (230400 baud), or with --hr HR-protocol 34-byte frames at 1000
per second (570000 baud, Config/HRProtocol true).

Options:
  --hr                  HR protocol instead of the default protocol
  --file PATH           signal from a recording in the demo format (14 leads,
                        500 per second, full-scale range 300 mV); default:
                        ecg500.dat beside the program when it exists
  --synth               signal from the ECG synthesizer instead
  --heart-rate BPM      the synthesizer's heart rate (default 80)
  --seed N              the synthesizer's seed (default 1)
  --link PATH           the stable port path: a symbolic link to the current
                        pseudo-terminal, which survives unplugging
                        (default /tmp/velmora-recorder)
  --no-link             no link: the port is the pseudo-terminal itself
  --reply TEXT          the identify reply (default ECG-SIM, at most 7 bytes)
  --at SECONDS:COMMAND  run a command that long after the start; repeatable,
                        e.g. --at 5:"off LA" --at 10:"unplug 3"
  --quiet               do not print the host's commands
  (and every command below as an option, e.g. --off LA --battery 180)
  -h, --help            this text

Commands (on standard input, one per line, or with --at):
%1  quit                 end the simulator
)";

struct TimedCommand
{
    qint64 atMs;
    QString command;
};

const char* commandName(quint8 byte)
{
    switch (byte) {
    case 0x01: return "reset";
    case 0x02: return "stop";
    case 0x09: return "start / keep-alive";
    case 0x0B: return "identify";
    default: return "unknown";
    }
}

int fail(const QString& message)
{
    TSimulatorConsole::printError(QStringLiteral("sim-recorder: ") + message);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    bool hr = false;
    bool synth = false;
    bool quiet = false;
    QString file;
    QString link = QStringLiteral("/tmp/velmora-recorder");
    QByteArray reply = "ECG-SIM";
    double heartRate = 80.0;
    quint64 seed = 1;
    QStringList startCommands;
    QList<TimedCommand> timed;
    const QStringList commandOptions = {"off", "on", "saturate", "unsaturate", "battery",
                                        "offset", "garbage", "silence", "fast"};

    for (int i = 0; i < args.size(); ++i) {
        const QString a = args[i];
        auto value = [&](QString* v) {
            if (i + 1 >= args.size())
                return false;
            *v = args[++i];
            return true;
        };
        QString v;
        if (a == "-h" || a == "--help") {
            std::printf("%s", qPrintable(QString::fromLatin1(help).arg(TRecorderSimulator::commandHelp())));
            return 0;
        } else if (a == "--hr") {
            hr = true;
        } else if (a == "--synth") {
            synth = true;
        } else if (a == "--quiet") {
            quiet = true;
        } else if (a == "--no-link") {
            link.clear();
        } else if (!a.startsWith("--") || !value(&v)) {
            return fail(QStringLiteral("unknown option or missing value: %1 (see --help)").arg(a));
        } else if (a == "--file") {
            file = v;
        } else if (a == "--link") {
            link = v;
        } else if (a == "--reply") {
            reply = v.toLatin1().left(7);
        } else if (a == "--heart-rate") {
            bool ok = false;
            heartRate = v.toDouble(&ok);
            if (!ok || heartRate < 20 || heartRate > 400)
                return fail(QStringLiteral("--heart-rate takes 20..400"));
        } else if (a == "--seed") {
            seed = v.toULongLong();
        } else if (a == "--at") {
            const int colon = v.indexOf(':');
            bool ok = false;
            const double seconds = v.left(colon).toDouble(&ok);
            if (colon < 0 || !ok || seconds < 0)
                return fail(QStringLiteral("--at takes SECONDS:COMMAND"));
            timed.append({qint64(seconds * 1000), v.mid(colon + 1)});
        } else if (commandOptions.contains(a.mid(2))) {
            startCommands.append(a.mid(2) + ' ' + v);
        } else {
            return fail(QStringLiteral("unknown option: %1 (see --help)").arg(a));
        }
    }
    std::sort(timed.begin(), timed.end(),
              [](const TimedCommand& x, const TimedCommand& y) { return x.atMs < y.atMs; });

    const TRecorderSimulator::Protocol protocol = hr ? TRecorderSimulator::Protocol::HR
                                                     : TRecorderSimulator::Protocol::Default;
    const double gain = hr ? 300.0 : 450.0;
    std::unique_ptr<TRecorderSignalSource> source;
    QString sourceText;
    if (file.isEmpty() && !synth) {
        const QString besideProgram = QDir(QCoreApplication::applicationDirPath()).filePath("ecg500.dat");
        if (QFileInfo::exists(besideProgram))
            file = besideProgram;
    }
    try {
        if (!file.isEmpty() && !synth) {
            source = std::make_unique<TRecordingSignalSource>(file);
            sourceText = QStringLiteral("recording %1").arg(file);
        } else {
            source = std::make_unique<TSynthSignalSource>(heartRate, seed, gain);
            sourceText = QStringLiteral("synthesizer at %1 beats per minute").arg(heartRate);
        }
    } catch (const TException& e) {
        return fail(QStringLiteral("%1: %2").arg(file, e.message()));
    }

    TSimulatorConsole console;
    TRecorderSimulator recorder(protocol, std::move(source), link);
    recorder.setIdentifyReply(reply);
    for (const QString& command : startCommands) {
        QString error;
        if (!recorder.applyCommand(command, &error))
            return fail(error);
    }
    QString error;
    if (!recorder.start(&error))
        return fail(error);
    QString slave = recorder.slavePath();
    TSimulatorConsole::print(QStringLiteral("sim-recorder: %1 protocol, %2")
                                 .arg(hr ? "HR" : "default", sourceText));
    TSimulatorConsole::print(link.isEmpty() ? QStringLiteral("port %1").arg(slave)
                                            : QStringLiteral("port %1 (-> %2)").arg(link, slave));

    int printed = 0;
    int nextTimed = 0;
    while (!console.quitRequested()) {
        QString line;
        if (console.readLine(&line, 50) && !line.isEmpty()) {
            if (line == "quit")
                break;
            if (!recorder.applyCommand(line, &error))
                TSimulatorConsole::printError(QStringLiteral("sim-recorder: ") + error);
        }
        while (nextTimed < timed.size() && recorder.elapsedMs() >= timed[nextTimed].atMs) {
            if (!recorder.applyCommand(timed[nextTimed].command, &error))
                TSimulatorConsole::printError(QStringLiteral("sim-recorder: ") + error);
            ++nextTimed;
        }
        const QVector<TRecorderSimulator::Command> commands = recorder.commands();
        for (; printed < commands.size(); ++printed)
            if (!quiet)
                TSimulatorConsole::print(QStringLiteral("%1 ms  host: 0x%2 %3")
                                             .arg(commands[printed].atMs, 8)
                                             .arg(commands[printed].byte, 2, 16, QLatin1Char('0'))
                                             .arg(commandName(commands[printed].byte)));
        const QString now = recorder.isPluggedIn() ? recorder.slavePath() : QString();
        if (now != slave) {
            TSimulatorConsole::print(now.isEmpty() ? QStringLiteral("unplugged")
                                                   : QStringLiteral("plugged in: port %1").arg(
                                                         link.isEmpty() ? now : link + " (-> " + now + ")"));
            slave = now;
        }
    }
    recorder.stop();
    return 0;
}
