// sim-treadmill: a simulated Kip Machines treadmill (Kipnet) on a pseudo-terminal.

#include "TSimulatorConsole.h"
#include "TTreadmillSimulator.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

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

int fail(const QString& message)
{
    TSimulatorConsole::printError(QStringLiteral("sim-treadmill: ") + message);
    return 2;
}

bool apply(TTreadmillSimulator& treadmill, const QString& line, QString* error)
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
    else if (w.value(0) == "unplug" && ok && n > 0)
        treadmill.unplugFor(int(n * 1000));
    else if (w.value(0) == "unplug" && ok && n == 0)
        treadmill.unplug();
    else if (w.value(0) == "plug")
        treadmill.plugIn();
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
    QString link = QStringLiteral("/tmp/velmora-treadmill");
    int silentFrames = 0;
    for (int i = 0; i < args.size(); ++i) {
        const QString a = args[i];
        if (a == "-h" || a == "--help") {
            std::printf("%s", help);
            return 0;
        } else if (a == "--no-link") {
            link.clear();
        } else if (a == "--silent") {
            silentFrames = -1;
        } else if (a == "--link" && i + 1 < args.size()) {
            link = args[++i];
        } else if (a == "--silent-frames" && i + 1 < args.size()) {
            bool ok = false;
            silentFrames = args[++i].toInt(&ok);
            if (!ok || silentFrames < 0)
                return fail(QStringLiteral("--silent-frames takes a count"));
        } else {
            return fail(QStringLiteral("unknown option or missing value: %1 (see --help)").arg(a));
        }
    }

    TSimulatorConsole console;
    TTreadmillSimulator treadmill(link);
    treadmill.setSilentFrames(silentFrames);
    QString error;
    if (!treadmill.start(&error))
        return fail(error);
    TSimulatorConsole::print(link.isEmpty() ? QStringLiteral("port %1").arg(treadmill.slavePath())
                                            : QStringLiteral("port %1 (-> %2)").arg(link, treadmill.slavePath()));
    int printed = 0;
    while (!console.quitRequested()) {
        QString line;
        if (console.readLine(&line, 50) && !line.isEmpty()) {
            if (line == "quit")
                break;
            if (!apply(treadmill, line, &error))
                TSimulatorConsole::printError(QStringLiteral("sim-treadmill: ") + error);
        }
        const QVector<TTreadmillSimulator::Frame> frames = treadmill.frames();
        for (; printed < frames.size(); ++printed) {
            const TTreadmillSimulator::Frame& f = frames[printed];
            TSimulatorConsole::print(QStringLiteral("%1 ms  %2  %3%4")
                                         .arg(f.atMs, 8)
                                         .arg(QString::fromLatin1(f.bytes), -10)
                                         .arg(TTreadmillSimulator::describe(f.bytes))
                                         .arg(f.answered ? QString() : QStringLiteral("  (no reply)")));
        }
    }
    treadmill.stop();
    return 0;
}
