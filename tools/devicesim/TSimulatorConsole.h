#pragma once

#include <QString>

// The console side of the simulator programs: commands typed on standard input,
// one per line, and the end on Ctrl-C, SIGTERM or "quit".
class TSimulatorConsole
{
public:
    TSimulatorConsole();

    // Waits up to timeoutMs for a line on standard input; true with a line.
    bool readLine(QString* line, int timeoutMs);
    bool quitRequested() const;
    void requestQuit();

    // Prints a line on standard output at once (the output may be a pipe).
    static void print(const QString& line);
    static void printError(const QString& line);

private:
    QByteArray m_buffer;
    bool m_inputOpen = true;
};
