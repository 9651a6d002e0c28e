#include "TCommandLine.h"

#include <QCoreApplication>
#include <cmath>

namespace {

// Longest recording the companion takes in one go: an hour.
constexpr double MaxSeconds = 3600.0;

} // namespace

QString TCommandLine::usage()
{
    return QCoreApplication::translate(
        "TCommandLine",
        "Usage: velmora-cli [--data DIR] COMMAND [OPTIONS]\n"
        "\n"
        "Works on the studies of the Velmora study folder (by default the application's\n"
        "data folder; --data DIR names another).\n"
        "\n"
        "Commands:\n"
        "  list                                  one line per study: id, date, type, patient\n"
        "  record [--demo] --seconds N --last NAME --first NAME [--species NAME]\n"
        "                                        records a resting ECG of N seconds without a\n"
        "                                        window, from the demo recording (--demo) or the\n"
        "                                        configured device; prints the new study's id.\n"
        "                                        --species names the animal's species (\"Perro\",\n"
        "                                        \"cat\", \"equino\" ...): its values are read against\n"
        "                                        that species' reference ranges\n"
        "  record --protocol NAME [--seconds N] [--demo] --last NAME --first NAME\n"
        "         [--species NAME]\n"
        "                                        records a stress test by the stored protocol NAME\n"
        "                                        (\"Tilt test\": the built-in tilt test), its stages\n"
        "                                        advancing by their durations, with the configured\n"
        "                                        treadmill or ergometer; the whole protocol unless\n"
        "                                        --seconds says less; prints the new study's id\n"
        "  export --id N --to FOLDER             writes the study's archive (.cxz) into FOLDER\n"
        "  export --edf --id N --to FILE.edf     writes the study's recording as an EDF+ file:\n"
        "                                        the leads in microvolts, the events and stage\n"
        "                                        changes as annotations; the patient's names only\n"
        "                                        when Config/EdfAnonymous is off\n"
        "  import FILE.cxz                       adds the archived study; prints its id\n"
        "  report --id N --out FILE.pdf          writes the study's report as the report dialog\n"
        "                                        makes it with its stored settings\n"
        "  strip --id N --port PORT [--start SECONDS]\n"
        "                                        prints the resting ECG's strip on the portable\n"
        "                                        printer at PORT (rfcomm0, a device path) with the\n"
        "                                        report dialog's stored speed, amplitude, filters\n"
        "                                        and rhythm lead, from SECONDS (default 0)\n"
        "  show --id N [--json]                  the study's patient, protocol, per-stage table\n"
        "                                        and maxima (tab-separated text, or JSON); of a\n"
        "                                        resting ECG each measured value with its unit, the\n"
        "                                        species' range and a flag (low, high, normal); of\n"
        "                                        a treadmill test V150, V200 and the recovery\n"
        "  --help                                this text\n"
        "  --version                             the program's name and version\n"
        "\n"
        "Exit codes: 0 done, 1 the operation failed, 2 the command line is wrong.\n");
}

TCommandLine TCommandLine::parse(const QStringList& arguments)
{
    TCommandLine line;
    auto fail = [&line](const QString& text) {
        if (line.error.isEmpty())
            line.error = text;
    };
    bool haveSeconds = false;
    bool haveId = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        // An option's value: the next argument, which must exist.
        auto value = [&](QString& out) {
            if (i + 1 >= arguments.size()) {
                fail(QCoreApplication::translate("TCommandLine", "%1 needs a value").arg(arg));
                return false;
            }
            out = arguments[++i];
            return true;
        };
        QString text;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            line.command = Help;
            return line;
        } else if (arg == QLatin1String("--version")) {
            line.command = Version;
            return line;
        } else if (arg == QLatin1String("--data")) {
            value(line.dataFolder);
        } else if (arg == QLatin1String("--demo")) {
            line.demo = true;
        } else if (arg == QLatin1String("--seconds")) {
            if (value(text)) {
                bool ok = false;
                line.seconds = text.toDouble(&ok);
                if (!ok || !std::isfinite(line.seconds) || line.seconds <= 0.0 || line.seconds > MaxSeconds)
                    fail(QCoreApplication::translate("TCommandLine",
                                                     "--seconds takes a number of seconds above 0 and at most %1")
                             .arg(MaxSeconds));
                haveSeconds = true;
            }
        } else if (arg == QLatin1String("--protocol")) {
            if (value(line.protocol) && line.protocol.trimmed().isEmpty())
                fail(QCoreApplication::translate("TCommandLine", "--protocol takes a protocol name"));
        } else if (arg == QLatin1String("--last")) {
            value(line.lastName);
        } else if (arg == QLatin1String("--first")) {
            value(line.firstName);
        } else if (arg == QLatin1String("--species")) {
            if (value(line.species) && line.species.trimmed().isEmpty())
                fail(QCoreApplication::translate("TCommandLine", "--species takes a species name"));
        } else if (arg == QLatin1String("--id")) {
            if (value(text)) {
                bool ok = false;
                line.id = text.toInt(&ok);
                if (!ok || line.id <= 0)
                    fail(
                        QCoreApplication::translate("TCommandLine", "--id takes a study id (a positive whole number)"));
                haveId = true;
            }
        } else if (arg == QLatin1String("--to")) {
            value(line.folder);
        } else if (arg == QLatin1String("--out")) {
            value(line.output);
        } else if (arg == QLatin1String("--edf")) {
            line.edf = true;
        } else if (arg == QLatin1String("--json")) {
            line.json = true;
        } else if (arg == QLatin1String("--port")) {
            value(line.port);
        } else if (arg == QLatin1String("--start")) {
            if (value(text)) {
                bool ok = false;
                line.start = text.toDouble(&ok);
                if (!ok || !std::isfinite(line.start) || line.start < 0.0)
                    fail(QCoreApplication::translate("TCommandLine", "--start takes a time in seconds, 0 or more"));
            }
        } else if (arg.startsWith(QLatin1Char('-'))) {
            fail(QCoreApplication::translate("TCommandLine", "Unknown option %1").arg(arg));
        } else if (line.command == None) {
            if (arg == QLatin1String("list"))
                line.command = List;
            else if (arg == QLatin1String("record"))
                line.command = Record;
            else if (arg == QLatin1String("export"))
                line.command = Export;
            else if (arg == QLatin1String("import"))
                line.command = Import;
            else if (arg == QLatin1String("report"))
                line.command = Report;
            else if (arg == QLatin1String("strip"))
                line.command = Strip;
            else if (arg == QLatin1String("show"))
                line.command = Show;
            else
                fail(QCoreApplication::translate("TCommandLine", "Unknown command %1").arg(arg));
        } else if (line.command == Import && line.archive.isEmpty()) {
            line.archive = arg;
        } else {
            fail(QCoreApplication::translate("TCommandLine", "Unexpected argument %1").arg(arg));
        }
    }
    switch (line.command) {
    case None: fail(QCoreApplication::translate("TCommandLine", "No command given")); break;
    case Record:
        if (!haveSeconds && line.protocol.isEmpty())
            fail(QCoreApplication::translate("TCommandLine", "record needs --seconds N"));
        if (line.lastName.trimmed().isEmpty() || line.firstName.trimmed().isEmpty())
            fail(QCoreApplication::translate("TCommandLine", "record needs --last NAME and --first NAME"));
        break;
    case Export:
        if (!haveId)
            fail(QCoreApplication::translate("TCommandLine", "export needs --id N"));
        if (line.folder.isEmpty())
            fail(line.edf ? QCoreApplication::translate("TCommandLine", "export --edf needs --to FILE.edf")
                          : QCoreApplication::translate("TCommandLine", "export needs --to FOLDER"));
        break;
    case Import:
        if (line.archive.isEmpty())
            fail(QCoreApplication::translate("TCommandLine", "import needs the archive file"));
        break;
    case Report:
        if (!haveId)
            fail(QCoreApplication::translate("TCommandLine", "report needs --id N"));
        if (line.output.isEmpty())
            fail(QCoreApplication::translate("TCommandLine", "report needs --out FILE.pdf"));
        break;
    case Show:
        if (!haveId)
            fail(QCoreApplication::translate("TCommandLine", "show needs --id N"));
        break;
    case Strip:
        if (!haveId)
            fail(QCoreApplication::translate("TCommandLine", "strip needs --id N"));
        if (line.port.trimmed().isEmpty())
            fail(QCoreApplication::translate("TCommandLine", "strip needs --port PORT"));
        break;
    default:
        break;
    }
    if (line.edf && line.command != Export)
        fail(QCoreApplication::translate("TCommandLine", "--edf belongs to export"));
    return line;
}
