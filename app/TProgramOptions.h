#pragma once

#include <QString>
#include <QStringList>

// The command line of velmora: the program takes no options of its own but
// --version and --help, which are answered before any window (or display)
// exists. Qt's own options (-platform, -style, -session ...) are left for the
// application object; anything else is a wrong command line.
struct TProgramOptions
{
    enum Action { Run, Version, Help, Error };

    Action action = Run;
    QString error; // what is wrong, when the action is Error

    // arguments without the program name.
    static TProgramOptions parse(const QStringList& arguments);
    // "Velmora <version>" and a line end.
    static QString versionText();
    static QString usage();
};
