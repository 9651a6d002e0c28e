#pragma once

#include "TRecorderPortProbe.h"

#include <QStringList>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

// Looks for recorders on several serial ports at once: one probe task per
// candidate on the framework's thread pool. The caller polls isFinished() (or
// waits) and then takes the ports that answered.
//
// What a task needs and what it finds pass under our own mutexes, not through
// the pool's internal locking, so that the hand-over is plain to see for the
// thread checker too.
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
    bool isStarted() const { return m_started; }
    // Started, and every probe has answered.
    bool isFinished() const;
    // The ports that answered, in candidate order; starts the search when it
    // was not and waits for the probes.
    QStringList portsFound();

    // Starts a search and waits for its result.
    static QStringList search(const QStringList& candidates = candidatePorts(),
                              int replyTimeoutMs = TRecorderPortProbe::DefaultReplyTimeoutMs);

private:
    class ProbeTask;
    struct Results
    {
        mutable std::mutex mutex;
        std::condition_variable changed;
        std::vector<bool> found;
        int finished = 0;
    };

    void waitForProbes();

    QStringList m_candidates;
    int m_replyTimeoutMs;
    bool m_started = false;
    Results m_results;
    std::vector<std::unique_ptr<ProbeTask>> m_tasks;
};
