#include "TSimulatorProgram.h"

#include "TSimulatedDevice.h"
#include "TSimulatorConsole.h"

#include <cstdio>

TSimulatorProgram::TSimulatorProgram(const QString& name, const QString& defaultLink, const QString& help)
    : m_name(name), m_link(defaultLink), m_help(help)
{
}

int TSimulatorProgram::parseArguments(const QStringList& args, const OptionHandler& handler)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString a = args[i];
        if (a == "-h" || a == "--help") {
            std::fputs(m_help.toLocal8Bit().constData(), stdout);
            return 0;
        }
        if (a == "--no-link") {
            m_link.clear();
            continue;
        }
        if (a == "--link" && i + 1 < args.size()) {
            m_link = args[++i];
            continue;
        }
        QString error;
        switch (handler ? handler(args, &i, &error) : Option::Unknown) {
        case Option::Taken:
            break;
        case Option::Failed:
            return fail(error);
        case Option::Unknown:
            return fail(QStringLiteral("unknown option or missing value: %1 (see --help)").arg(a));
        }
    }
    return -1;
}

int TSimulatorProgram::fail(const QString& message) const
{
    TSimulatorConsole::printError(m_name + QStringLiteral(": ") + message);
    return 2;
}

void TSimulatorProgram::setCommands(const CommandHandler& handler, bool handlesPlugging)
{
    m_commands = handler;
    m_commandsHandlePlugging = handlesPlugging;
}

QString TSimulatorProgram::portText(const QString& slave) const
{
    return m_link.isEmpty() ? slave : QStringLiteral("%1 (-> %2)").arg(m_link, slave);
}

bool TSimulatorProgram::applyPlugCommand(TSimulatedDevice& device, const QString& line) const
{
    const QStringList w = line.simplified().split(' ', Qt::SkipEmptyParts);
    bool ok = false;
    const double seconds = w.value(1).toDouble(&ok);
    if (w.value(0) == "unplug" && ok && seconds > 0)
        device.unplugFor(int(qMin(seconds, 86400.0) * 1000));
    else if (w.value(0) == "unplug" && ok && seconds == 0)
        device.unplug();
    else if (w.value(0) == "plug")
        device.plugIn();
    else
        return false;
    return true;
}

int TSimulatorProgram::run(TSimulatedDevice& device)
{
    TSimulatorConsole console;
    QString error;
    if (!device.start(&error))
        return fail(error);
    if (!m_banner.isEmpty())
        TSimulatorConsole::print(m_banner);
    QString slave = device.slavePath();
    TSimulatorConsole::print(QStringLiteral("port ") + portText(slave));
    while (!console.quitRequested()) {
        QString line;
        if (console.readLine(&line, 50) && !line.isEmpty()) {
            if (line == "quit")
                break;
            QString commandError = QStringLiteral("unknown command: %1").arg(line);
            const bool done = (!m_commandsHandlePlugging && applyPlugCommand(device, line)) ||
                              (m_commands && m_commands(line, &commandError));
            if (!done)
                TSimulatorConsole::printError(m_name + QStringLiteral(": ") + commandError);
        }
        if (m_eachTurn)
            m_eachTurn();
        if (m_reportPlugging) {
            const QString now = device.isPluggedIn() ? device.slavePath() : QString();
            if (now != slave) {
                TSimulatorConsole::print(now.isEmpty() ? QStringLiteral("unplugged")
                                                       : QStringLiteral("plugged in: port ") + portText(now));
                slave = now;
            }
        }
    }
    if (m_eachTurn)
        m_eachTurn(); // what came since the last turn, before "quit"
    device.stop();
    return 0;
}
