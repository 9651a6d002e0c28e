#pragma once

#include <QObject>

class QSocketNotifier;

// Ends the event loop when the process is asked to terminate (SIGTERM, SIGINT:
// a system shutdown, a service manager, Ctrl+C in a terminal), so that the
// windows close and the studies are stored as on a normal exit. The signal
// handler only writes to a pipe; the event loop does the rest.
class TQuitOnSignal : public QObject
{
    Q_OBJECT

public:
    explicit TQuitOnSignal(QObject* parent = nullptr);
    ~TQuitOnSignal() override;

private:
    static void handle(int signal);
    void onSignal();

    QSocketNotifier* m_notifier = nullptr;
};
