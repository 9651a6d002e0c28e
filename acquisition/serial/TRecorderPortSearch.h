#pragma once

#include "TRecorderPortProbe.h"

#include <QFuture>
#include <QList>
#include <QStringList>

// Looks for recorders on several serial ports at once: one probe task per
// candidate on the framework's thread pool. The caller polls isFinished() (or
// waits) and then takes the ports that answered.
class TRecorderPortSearch
{
public:
    explicit TRecorderPortSearch(const QStringList& candidates = candidatePorts(),
                                 int replyTimeoutMs = TRecorderPortProbe::DefaultReplyTimeoutMs);
    // Waits for the probes still running: they hold the ports open.
    ~TRecorderPortSearch();
    TRecorderPortSearch(const TRecorderPortSearch&) = delete;
    TRecorderPortSearch& operator=(const TRecorderPortSearch&) = delete;

    // Every serial port the system reports.
    static QStringList candidatePorts();

    void start();
    bool isStarted() const { return !m_probes.isEmpty() || m_candidates.isEmpty(); }
    bool isFinished() const;
    // The ports that answered, in candidate order; waits for the probes first.
    QStringList portsFound();

    // Starts a search and waits for its result.
    static QStringList search(const QStringList& candidates = candidatePorts(),
                              int replyTimeoutMs = TRecorderPortProbe::DefaultReplyTimeoutMs);

private:
    QStringList m_candidates;
    int m_replyTimeoutMs;
    QList<QFuture<bool>> m_probes;
};
