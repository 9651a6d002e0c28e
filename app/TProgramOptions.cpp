#include "TProgramOptions.h"

#include "TAppIdentity.h"

namespace {

// Options of Qt's application objects that take a value (the next argument, or
// "=value"), and those that stand alone.
const char* const QtValueOptions[] = {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                                      "qwindowtitle", "qwindowicon", "geometry", "title", "icon", "display",
                                      "name", "style", "stylesheet", "session", "qmljsdebugger"};
const char* const QtFlagOptions[] = {"reverse", "nograb", "dograb", "sync", "widgetcount", "testability"};

// The option's name without its one or two leading dashes and any "=value".
QString optionName(const QString& arg, bool* hasValue)
{
    QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
    const int equals = name.indexOf(QLatin1Char('='));
    *hasValue = equals >= 0;
    return equals >= 0 ? name.left(equals) : name;
}

template <size_t N>
bool isOneOf(const QString& name, const char* const (&names)[N])
{
    for (const char* candidate : names) {
        if (name == QLatin1String(candidate))
            return true;
    }
    return false;
}

} // namespace

TProgramOptions TProgramOptions::parse(const QStringList& arguments)
{
    TProgramOptions options;
    auto fail = [&options](const QString& text) {
        if (options.action != Error) {
            options.action = Error;
            options.error = text;
        }
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            // Asked for help, the user gets it, whatever else the line says.
            options.action = Help;
            options.error.clear();
            return options;
        }
        if (arg == QLatin1String("--version")) {
            if (options.action != Error)
                options.action = Version;
            continue;
        }
        if (!arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-") || arg == QLatin1String("--")) {
            fail(QStringLiteral("Unexpected argument %1").arg(arg));
            continue;
        }
        bool hasValue = false;
        const QString name = optionName(arg, &hasValue);
        if (isOneOf(name, QtValueOptions)) {
            if (!hasValue && ++i >= arguments.size())
                fail(QStringLiteral("%1 needs a value").arg(arg));
        } else if (!isOneOf(name, QtFlagOptions) || hasValue) {
            fail(QStringLiteral("Unknown option %1").arg(arg));
        }
    }
    return options;
}

QString TProgramOptions::versionText()
{
    return QStringLiteral("%1 %2\n").arg(QString::fromLatin1(TAppIdentity::ApplicationName),
                                          QString::fromLatin1(TAppIdentity::ApplicationVersion));
}

QString TProgramOptions::usage()
{
    return QStringLiteral(
        "Usage: velmora [--version | --help]\n"
        "\n"
        "Velmora records, reviews and reports resting ECGs and stress tests of animals.\n"
        "It starts with the launcher window and takes no options of its own; Qt's display\n"
        "options (-platform NAME, -style NAME, -reverse ...) are passed on to Qt.\n"
        "\n"
        "  --version   prints the program's name and version\n"
        "  -h, --help  this text\n"
        "\n"
        "Settings: $XDG_CONFIG_HOME/Cardivex/Velmora.conf (~/.config/Cardivex/Velmora.conf).\n"
        "Studies:  $XDG_DATA_HOME/CardivexVetStress (~/.local/share/CardivexVetStress).\n"
        "velmora-cli works on the same studies from a shell (velmora-cli --help).\n"
        "\n"
        "Exit codes: 0 ended normally (or another Velmora is already running),\n"
        "2 the command line is wrong.\n");
}
