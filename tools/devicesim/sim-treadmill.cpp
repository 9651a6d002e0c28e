// sim-treadmill: a simulated Kip Machines treadmill (Kipnet) on a pseudo-terminal.

#include "TSimulatorConsole.h"
#include "TSimulatorProgram.h"
#include "TTreadmillSimulator.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

const char* const help = R"(Usage: sim-treadmill [options]

A simulated Kip Machines treadmill speaking Kipnet on a pseudo-terminal. It
prints the path of its port; point the program's treadmill port
(Config/TreadmillPort, with Config/TreadmillEquipment "kipmachines") at it.
It prints every frame it receives and answers each with a reply of the
frame's length, unless told to stay silent.

Options:
  --link PATH         the stable port path, a symbolic link to the current
                      pseudo-terminal (default /tmp/velmora-treadmill)
  --no-link           no link: the port is the pseudo-terminal itself
  --silent            answer no frame
  --silent-frames N   leave the first N frames unanswered
  -h, --help          this text

Commands (on standard input, one per line):
  silent N            leave the next N frames unanswered
  silent all          answer nothing
  silent off          answer every frame
  unplug SECONDS      close the port, plug in again after that long (0: until 'plug')
  plug                plug in again
  quit                end the simulator
)";

bool apply(TTreadmillSimulator& treadmill, const QString& line)
{
    const QStringList w = line.simplified().split(' ', Qt::SkipEmptyParts);
    bool ok = false;
    const double n = w.value(1).toDouble(&ok);
    if (w.value(0) == "silent" && w.value(1) == "all")
        treadmill.setSilentFrames(-1);
    else if (w.value(0) == "silent" && w.value(1) == "off")
        treadmill.setSilentFrames(0);
    else if (w.value(0) == "silent" && ok && n >= 0)
        treadmill.setSilentFrames(int(n));
    else
        return false; // "unknown command: LINE"
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TSimulatorProgram program(QStringLiteral("sim-treadmill"), QStringLiteral("/tmp/velmora-treadmill"),
                              QString::fromUtf8(help));
    int silentFrames = 0;
    const int exitCode = program.parseArguments(
        app.arguments().mid(1), [&](const QStringList& args, int* i, QString* error) {
            const QString a = args[*i];
            if (a == "--silent") {
                silentFrames = -1;
            } else if (a == "--silent-frames" && *i + 1 < args.size()) {
                bool ok = false;
                silentFrames = args[++*i].toInt(&ok);
                if (!ok || silentFrames < 0) {
                    *error = QStringLiteral("--silent-frames takes a count");
                    return TSimulatorProgram::Option::Failed;
                }
            } else {
                return TSimulatorProgram::Option::Unknown;
            }
            return TSimulatorProgram::Option::Taken;
        });
    if (exitCode >= 0)
        return exitCode;

    TTreadmillSimulator treadmill(program.link());
    treadmill.setSilentFrames(silentFrames);
    program.setCommands([&](const QString& line, QString*) { return apply(treadmill, line); });
    int printed = 0;
    program.setEachTurn([&] {
        const QVector<TTreadmillSimulator::Frame> frames = treadmill.frames();
        for (; printed < frames.size(); ++printed) {
            const TTreadmillSimulator::Frame& f = frames[printed];
            TSimulatorConsole::print(QStringLiteral("%1 ms  %2  %3%4")
                                         .arg(f.atMs, 8)
                                         .arg(QString::fromLatin1(f.bytes), -10)
                                         .arg(TTreadmillSimulator::describe(f.bytes))
                                         .arg(f.answered ? QString() : QStringLiteral("  (no reply)")));
        }
    });
    return program.run(treadmill);
}
