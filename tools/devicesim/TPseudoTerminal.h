#pragma once

#include <QString>

// The device end of a pseudo-terminal pair, standing in for a serial device:
// the program opens the other end (the slave, /dev/pts/N) as its serial port.
// The pair keeps its own descriptor of the slave end, set raw, so that bytes
// pass unchanged and nothing is lost while the program has the port closed.
//
// With a link path, a symbolic link there points at the current slave end; a
// person configures the link as the port, and it survives unplugging.
//
// Used by one thread at a time.
class TPseudoTerminal
{
public:
    explicit TPseudoTerminal(const QString& linkPath = QString());
    ~TPseudoTerminal();
    TPseudoTerminal(const TPseudoTerminal&) = delete;
    TPseudoTerminal& operator=(const TPseudoTerminal&) = delete;

    // Opens a new pair and points the link at it.
    bool open(QString* error = nullptr);
    // Closes both ends and removes the link: to the program the device is gone.
    void close();
    bool isOpen() const { return m_master >= 0; }

    QString slavePath() const { return m_slavePath; }
    QString linkPath() const { return m_linkPath; }
    // What the program should open: the link when there is one.
    QString portPath() const { return m_linkPath.isEmpty() ? m_slavePath : m_linkPath; }

    // Up to count bytes the program wrote; 0 when none came within timeoutMs,
    // -1 on failure.
    int read(char* buffer, int count, int timeoutMs);
    // What the terminal takes of count bytes without waiting (0 when full),
    // -1 on failure.
    int writeSome(const char* data, int count);
    // Waits until the terminal takes more bytes; false on time-out or failure.
    bool waitWritable(int timeoutMs);
    // Waits up to timeoutMs until, as asked, the program wrote something
    // (readable) or the terminal takes more bytes (writable).
    struct Ready
    {
        bool readable = false;
        bool writable = false;
    };
    Ready wait(bool forWriting, bool forReading, int timeoutMs);

private:
    bool pointLink(QString* error);

    QString m_linkPath;
    QString m_slavePath;
    int m_master = -1;
    int m_slave = -1;
};
