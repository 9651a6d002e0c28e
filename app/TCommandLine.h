#pragma once

#include <QString>
#include <QStringList>

// The command line of velmora-cli: one command with its options, or the reason
// it cannot be run.
struct TCommandLine
{
    enum Command { None, Help, Version, List, Record, Export, Import, Report, Strip, Show };

    Command command = None;
    QString dataFolder; // empty: the application's data folder
    bool demo = false;
    double seconds = 0.0;
    QString protocol; // record: a stress or tilt test by this protocol
    QString lastName;
    QString firstName;
    QString species; // record: the animal's species, as the study data dialog takes it
    int id = 0;
    QString folder;
    QString archive;
    QString output; // the PDF of report
    QString port;   // the strip printer's serial port
    double start = -1.0; // the strip's start time; negative: not given
    bool json = false;   // show as JSON
    bool edf = false;    // export: an EDF+ file instead of the study archive
    QString error; // set when the line cannot be run

    // arguments without the program name.
    static TCommandLine parse(const QStringList& arguments);
    static QString usage();
};
