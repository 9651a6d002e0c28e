// sim-ergometer: a simulated OLMO bicycle ergometer on a pseudo-terminal.

#include "TErgometerSimulator.h"
#include "TSimulatorConsole.h"
#include "TSimulatorProgram.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

const char* const help = R"(Usage: sim-ergometer [options]

A simulated OLMO bicycle ergometer on a pseudo-terminal (9600 baud). It prints
the path of its port; point the program's ergometer port
(Config/ErgometerPort, with Config/ErgometerEquipment "olmo") at it. It prints
every command it receives (letters, and decimal lines ending in a line feed),
answers with reply lines and shows the workload it holds.

Options:
  --link PATH       the stable port path, a symbolic link to the current
                    pseudo-terminal (default /tmp/velmora-ergometer)
  --no-link         no link: the port is the pseudo-terminal itself
  --silent          answer nothing
  --long-replies    reply lines longer than 10 characters
  -h, --help        this text

Commands (on standard input, one per line):
  silent on|off     stop or resume answering
  long on|off       long or normal reply lines
  unplug SECONDS    close the port, plug in again after that long (0: until 'plug')
  plug              plug in again
  quit              end the simulator
)";

bool apply(TErgometerSimulator& ergometer, const QString& line)
{
    const QStringList w = line.simplified().split(' ', Qt::SkipEmptyParts);
    const bool on = w.value(1) == "on";
    const bool onOff = on || w.value(1) == "off";
    if (w.value(0) == "silent" && onOff)
        ergometer.setSilent(on);
    else if (w.value(0) == "long" && onOff)
        ergometer.setLongReplies(on);
    else
        return false; // "unknown command: LINE"
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TSimulatorProgram program(QStringLiteral("sim-ergometer"), QStringLiteral("/tmp/velmora-ergometer"),
                              QString::fromUtf8(help));
    bool silent = false;
    bool longReplies = false;
    const int exitCode =
        program.parseArguments(app.arguments().mid(1), [&](const QStringList& args, int* i, QString*) {
            if (args[*i] == "--silent")
                silent = true;
            else if (args[*i] == "--long-replies")
                longReplies = true;
            else
                return TSimulatorProgram::Option::Unknown;
            return TSimulatorProgram::Option::Taken;
        });
    if (exitCode >= 0)
        return exitCode;

    TErgometerSimulator ergometer(program.link());
    ergometer.setSilent(silent);
    ergometer.setLongReplies(longReplies);
    program.setCommands([&](const QString& line, QString*) { return apply(ergometer, line); });
    int printed = 0;
    program.setEachTurn([&] {
        const QVector<TErgometerSimulator::Command> commands = ergometer.commands();
        for (; printed < commands.size(); ++printed)
            TSimulatorConsole::print(QStringLiteral("%1 ms  %2  (workload %3 W)")
                                         .arg(commands[printed].atMs, 8)
                                         .arg(QString::fromLatin1(commands[printed].text), -6)
                                         .arg(ergometer.workload()));
    });
    return program.run(ergometer);
}
