// sim-ergometer: a simulated OLMO bicycle ergometer on a pseudo-terminal.

#include "TErgometerSimulator.h"
#include "TSimulatorConsole.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

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

int fail(const QString& message)
{
    TSimulatorConsole::printError(QStringLiteral("sim-ergometer: ") + message);
    return 2;
}

bool apply(TErgometerSimulator& ergometer, const QString& line, QString* error)
{
    const QStringList w = line.simplified().split(' ', Qt::SkipEmptyParts);
    bool ok = false;
    const double n = w.value(1).toDouble(&ok);
    const bool on = w.value(1) == "on";
    const bool onOff = on || w.value(1) == "off";
    if (w.value(0) == "silent" && onOff)
        ergometer.setSilent(on);
    else if (w.value(0) == "long" && onOff)
        ergometer.setLongReplies(on);
    else if (w.value(0) == "unplug" && ok && n > 0)
        ergometer.unplugFor(int(n * 1000));
    else if (w.value(0) == "unplug" && ok && n == 0)
        ergometer.unplug();
    else if (w.value(0) == "plug")
        ergometer.plugIn();
    else {
        *error = QStringLiteral("unknown command: %1").arg(line);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QString link = QStringLiteral("/tmp/velmora-ergometer");
    bool silent = false;
    bool longReplies = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString a = args[i];
        if (a == "-h" || a == "--help") {
            std::printf("%s", help);
            return 0;
        } else if (a == "--no-link") {
            link.clear();
        } else if (a == "--silent") {
            silent = true;
        } else if (a == "--long-replies") {
            longReplies = true;
        } else if (a == "--link" && i + 1 < args.size()) {
            link = args[++i];
        } else {
            return fail(QStringLiteral("unknown option or missing value: %1 (see --help)").arg(a));
        }
    }

    TSimulatorConsole console;
    TErgometerSimulator ergometer(link);
    ergometer.setSilent(silent);
    ergometer.setLongReplies(longReplies);
    QString error;
    if (!ergometer.start(&error))
        return fail(error);
    TSimulatorConsole::print(link.isEmpty() ? QStringLiteral("port %1").arg(ergometer.slavePath())
                                            : QStringLiteral("port %1 (-> %2)").arg(link, ergometer.slavePath()));
    int printed = 0;
    while (!console.quitRequested()) {
        QString line;
        if (console.readLine(&line, 50) && !line.isEmpty()) {
            if (line == "quit")
                break;
            if (!apply(ergometer, line, &error))
                TSimulatorConsole::printError(QStringLiteral("sim-ergometer: ") + error);
        }
        const QVector<TErgometerSimulator::Command> commands = ergometer.commands();
        for (; printed < commands.size(); ++printed)
            TSimulatorConsole::print(QStringLiteral("%1 ms  %2  (workload %3 W)")
                                         .arg(commands[printed].atMs, 8)
                                         .arg(QString::fromLatin1(commands[printed].text), -6)
                                         .arg(ergometer.workload()));
    }
    ergometer.stop();
    return 0;
}
