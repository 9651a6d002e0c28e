// sim-printer: a simulated portable thermal ECG strip printer on a pseudo-terminal.

#include "TPrinterSimulator.h"
#include "TSimulatorConsole.h"
#include "TSimulatorProgram.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

namespace {

const char* const help = R"(Usage: sim-printer [options]

A simulated portable thermal ECG strip printer (560 dots across, 8 dots to the
millimetre) on a pseudo-terminal. It prints the path of its port; point the
report dialog's strip printer port (ReportDialog/PrinterName) at it. It takes
ESC/POS-style raster jobs: ESC @ (1B 40) starts a job, GS v 0 raster bands
(1D 76 30 m xL xH yL yH, then the rows) bring its dots, ESC d n (1B 64 n)
feeds the paper and ends it. Each job is written as a 1-bit PNG, job-1.png,
job-2.png, ... (black where a dot printed), with a line such as
  job 1: 560 x 2500 dots (70.0 x 312.5 mm), 25 bands, 6.3 s -> ./job-1.png
Bytes it does not understand, and jobs cut short, are reported and skipped.
It reads the bands no faster than its head prints, so the host's writes wait
as they do on the real printer.

Options:
  --link PATH               the stable port path, a symbolic link to the current
                            pseudo-terminal (default /tmp/velmora-printer)
  --no-link                 no link: the port is the pseudo-terminal itself
  --out DIR                 where the jobs go (default: the current folder;
                            created when missing)
  --dots-per-second N       dot rows printed per second (default 400, 50 mm/s;
                            0: as fast as they come)
  --stall-after-bands N     run out of paper after N bands: stop reading
                            until 'resume'
  --drop-after-bands N      drop the link after N bands (out of Bluetooth
                            range) and come back after --drop-for
  --drop-for SECONDS        how long a drop lasts (default 2)
  -h, --help                this text

Commands (on standard input, one per line):
  stall                     paper out: stop reading
  resume                    paper back in: read again
  drop                      drop the link now, back after --drop-for
  unplug SECONDS            close the port, plug in again after that long (0: until 'plug')
  plug                      plug in again
  quit                      end the simulator
)";

using Option = TSimulatorProgram::Option;

// The count after option *i; false when there is none.
bool countValue(const QStringList& args, int* i, int* value)
{
    if (*i + 1 >= args.size())
        return false;
    bool ok = false;
    *value = args[++*i].toInt(&ok);
    return ok && *value >= 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TSimulatorProgram program(QStringLiteral("sim-printer"), QStringLiteral("/tmp/velmora-printer"),
                              QString::fromUtf8(help));
    QString out = QDir::currentPath();
    int dotsPerSecond = TPrinterSimulator::DefaultDotsPerSecond;
    int stallAfter = 0;
    int dropAfter = 0;
    double dropSeconds = TPrinterSimulator::DefaultReconnectMs / 1000.0;
    const int exitCode = program.parseArguments(
        app.arguments().mid(1), [&](const QStringList& args, int* i, QString* error) {
            const QString a = args[*i];
            auto failed = [&](const char* text) {
                *error = QString::fromLatin1(text);
                return Option::Failed;
            };
            if (a == "--out" && *i + 1 < args.size()) {
                out = args[++*i];
            } else if (a == "--dots-per-second") {
                if (!countValue(args, i, &dotsPerSecond))
                    return failed("--dots-per-second takes a count (0: unlimited)");
            } else if (a == "--stall-after-bands") {
                if (!countValue(args, i, &stallAfter) || stallAfter == 0)
                    return failed("--stall-after-bands takes a count of at least 1");
            } else if (a == "--drop-after-bands") {
                if (!countValue(args, i, &dropAfter) || dropAfter == 0)
                    return failed("--drop-after-bands takes a count of at least 1");
            } else if (a == "--drop-for" && *i + 1 < args.size()) {
                bool ok = false;
                dropSeconds = args[++*i].toDouble(&ok);
                if (!ok || !(dropSeconds > 0 && dropSeconds <= 86400))
                    return failed("--drop-for takes seconds above 0");
            } else {
                return Option::Unknown;
            }
            return Option::Taken;
        });
    if (exitCode >= 0)
        return exitCode;
    out = QDir(out).absolutePath();
    if (!QDir().mkpath(out))
        return program.fail(QStringLiteral("cannot make the output folder %1").arg(out));

    TPrinterSimulator printer(out, program.link());
    printer.setDotsPerSecond(dotsPerSecond);
    printer.stallAfterBands(stallAfter);
    printer.dropAfterBands(dropAfter);
    printer.setReconnectDelayMs(int(dropSeconds * 1000));
    program.setBanner(QStringLiteral("sim-printer: %1, jobs into %2")
                          .arg(dotsPerSecond > 0 ? QStringLiteral("%1 dot rows per second (%2 mm/s)")
                                                       .arg(dotsPerSecond)
                                                       .arg(double(dotsPerSecond) / TPrinterSimulator::DotsPerMm)
                                                 : QStringLiteral("no pace"),
                               out));
    program.setCommands([&](const QString& line, QString*) {
        if (line == "stall")
            printer.stall();
        else if (line == "resume")
            printer.resume();
        else if (line == "drop")
            printer.drop();
        else
            return false; // "unknown command: LINE"
        return true;
    });
    program.setReportPlugging(true);
    int printed = 0;
    program.setEachTurn([&] {
        for (const QString& line : printer.report(printed)) {
            TSimulatorConsole::print(line);
            ++printed;
        }
    });
    return program.run(printer);
}
