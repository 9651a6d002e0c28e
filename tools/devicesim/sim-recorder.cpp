// sim-recorder: a simulated ECG recorder on a pseudo-terminal.

#include "TException.h"
#include "TRecorderSignalSource.h"
#include "TRecorderSimulator.h"
#include "TSimulatorConsole.h"
#include "TSimulatorProgram.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>

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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TSimulatorProgram program(QStringLiteral("sim-recorder"), QStringLiteral("/tmp/velmora-recorder"),
                              QString::fromLatin1(help).arg(TRecorderSimulator::commandHelp()));
    bool hr = false;
    bool synth = false;
    bool quiet = false;
    QString file;
    QByteArray reply = "ECG-SIM";
    double heartRate = 80.0;
    quint64 seed = 1;
    QStringList startCommands;
    QList<TimedCommand> timed;
    const QStringList commandOptions = {"off", "on", "saturate", "unsaturate", "battery",
                                        "offset", "garbage", "silence", "fast"};
    using Option = TSimulatorProgram::Option;
    const int exitCode = program.parseArguments(
        app.arguments().mid(1), [&](const QStringList& args, int* i, QString* error) {
            const QString a = args[*i];
            auto failed = [error](const QString& text) {
                *error = text;
                return Option::Failed;
            };
            if (a == "--hr") {
                hr = true;
                return Option::Taken;
            } else if (a == "--synth") {
                synth = true;
                return Option::Taken;
            } else if (a == "--quiet") {
                quiet = true;
                return Option::Taken;
            } else if (!a.startsWith("--") || *i + 1 >= args.size()) {
                return Option::Unknown;
            }
            const QString v = args[++*i];
            if (a == "--file") {
                file = v;
            } else if (a == "--reply") {
                reply = v.toLatin1().left(7);
            } else if (a == "--heart-rate") {
                bool ok = false;
                heartRate = v.toDouble(&ok);
                if (!ok || heartRate < 20 || heartRate > 400)
                    return failed(QStringLiteral("--heart-rate takes 20..400"));
            } else if (a == "--seed") {
                seed = v.toULongLong();
            } else if (a == "--at") {
                const int colon = v.indexOf(':');
                bool ok = false;
                const double seconds = v.left(colon).toDouble(&ok);
                if (colon < 0 || !ok || seconds < 0)
                    return failed(QStringLiteral("--at takes SECONDS:COMMAND"));
                timed.append({qint64(seconds * 1000), v.mid(colon + 1)});
            } else if (commandOptions.contains(a.mid(2))) {
                startCommands.append(a.mid(2) + ' ' + v);
            } else {
                return failed(QStringLiteral("unknown option: %1 (see --help)").arg(a));
            }
            return Option::Taken;
        });
    if (exitCode >= 0)
        return exitCode;
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
        return program.fail(QStringLiteral("%1: %2").arg(file, e.message()));
    }

    TRecorderSimulator recorder(protocol, std::move(source), program.link());
    recorder.setIdentifyReply(reply);
    for (const QString& command : startCommands) {
        QString error;
        if (!recorder.applyCommand(command, &error))
            return program.fail(error);
    }
    program.setBanner(QStringLiteral("sim-recorder: %1 protocol, %2").arg(hr ? "HR" : "default", sourceText));
    // Its script language has unplug and plug of its own (for --at as well).
    program.setCommands([&](const QString& line, QString* error) { return recorder.applyCommand(line, error); },
                        true);
    program.setReportPlugging(true);
    int printed = 0;
    int nextTimed = 0;
    program.setEachTurn([&] {
        QString error;
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
    });
    return program.run(recorder);
}
