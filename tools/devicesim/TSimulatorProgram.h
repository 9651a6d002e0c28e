#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class TSimulatedDevice;

// What every simulator program does around its device: the options all of them
// have (--link PATH, --no-link, -h/--help), the line that names the port, and
// the loop that takes commands from standard input until "quit", Ctrl-C or
// SIGTERM, with "unplug SECONDS" and "plug" unless the program has its own.
class TSimulatorProgram
{
public:
    enum class Option { Taken, Unknown, Failed };
    // Takes the option at args[*i], moving *i past its values; Failed with
    // *error set when its value is wrong.
    using OptionHandler = std::function<Option(const QStringList& args, int* i, QString* error)>;
    // Carries out one command line; false with *error set when it is none.
    using CommandHandler = std::function<bool(const QString& line, QString* error)>;

    // name: the program ("sim-treadmill"), the prefix of its error lines.
    TSimulatorProgram(const QString& name, const QString& defaultLink, const QString& help);

    // The program's options go to handler. -1: go on; else the exit code (0
    // after --help, 2 after a wrong option).
    int parseArguments(const QStringList& args, const OptionHandler& handler);
    // Empty with --no-link.
    QString link() const { return m_link; }

    // "NAME: message" on standard error; returns 2, the exit code of a wrong
    // command line or a device that did not start.
    int fail(const QString& message) const;

    // The program's commands; with handlesPlugging, "unplug" and "plug" too.
    void setCommands(const CommandHandler& handler, bool handlesPlugging = false);
    // Printed once the device runs, before the port line.
    void setBanner(const QString& line) { m_banner = line; }
    // Prints "unplugged" and "plugged in: port ..." as the device goes and comes.
    void setReportPlugging(bool report) { m_reportPlugging = report; }
    // Called at every turn of the loop (at least every 50 ms) and once at the
    // end: prints what the device has done since.
    void setEachTurn(const std::function<void()>& turn) { m_eachTurn = turn; }

    // Starts the device, prints its port, takes commands until the end and
    // stops the device; the exit code.
    int run(TSimulatedDevice& device);

private:
    bool applyPlugCommand(TSimulatedDevice& device, const QString& line) const;
    QString portText(const QString& slave) const;

    QString m_name;
    QString m_link;
    QString m_help;
    QString m_banner;
    CommandHandler m_commands;
    bool m_commandsHandlePlugging = false;
    bool m_reportPlugging = false;
    std::function<void()> m_eachTurn;
};
