#include "TRecorderPortSearch.h"

#include <QRunnable>
#include <QSerialPortInfo>
#include <QThreadPool>

namespace {

// Publishes a task's fields from the thread that made it to the pool thread
// that runs it.
std::mutex& handOver()
{
    static std::mutex mutex;
    return mutex;
}

QString deepCopy(const QString& text)
{
    return QString(text.constData(), text.size());
}

} // namespace

class TRecorderPortSearch::ProbeTask : public QRunnable
{
public:
    ProbeTask(Results* results, int index, const QString& port, int replyTimeoutMs)
        : m_results(results), m_index(index), m_port(deepCopy(port)), m_replyTimeoutMs(replyTimeoutMs)
    {
        // Owned by the search, which deletes it once it has answered.
        setAutoDelete(false);
    }

    void run() override
    {
        Results* results;
        int index;
        QString port;
        int timeout;
        {
            std::lock_guard<std::mutex> lock(handOver());
            results = m_results;
            index = m_index;
            port = deepCopy(m_port);
            timeout = m_replyTimeoutMs;
        }
        bool found = false;
        try { // nothing may escape a pool task
            found = TRecorderPortProbe::probe(port, timeout);
        } catch (...) {
            found = false;
        }
        // Told under the lock: once the search sees the last answer it may go.
        std::lock_guard<std::mutex> lock(results->mutex);
        results->found[size_t(index)] = found;
        ++results->finished;
        results->changed.notify_all();
    }

private:
    Results* m_results;
    int m_index;
    QString m_port;
    int m_replyTimeoutMs;
};

TRecorderPortSearch::TRecorderPortSearch(const QStringList& candidates, int replyTimeoutMs)
    : m_candidates(candidates), m_replyTimeoutMs(replyTimeoutMs)
{
    m_results.found.assign(size_t(candidates.size()), false);
}

TRecorderPortSearch::~TRecorderPortSearch()
{
    waitForProbes();
}

QStringList TRecorderPortSearch::candidatePorts()
{
    QStringList ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.append(info.systemLocation());
    return ports;
}

void TRecorderPortSearch::start()
{
    if (m_started)
        return;
    m_started = true;
    for (int k = 0; k < m_candidates.size(); ++k)
        m_tasks.push_back(std::make_unique<ProbeTask>(&m_results, k, m_candidates[k], m_replyTimeoutMs));
    {
        std::lock_guard<std::mutex> lock(handOver());
    }
    for (const auto& task : m_tasks)
        QThreadPool::globalInstance()->start(task.get());
}

bool TRecorderPortSearch::isFinished() const
{
    if (!m_started)
        return false;
    std::lock_guard<std::mutex> lock(m_results.mutex);
    return m_results.finished == int(m_tasks.size());
}

void TRecorderPortSearch::waitForProbes()
{
    std::unique_lock<std::mutex> lock(m_results.mutex);
    m_results.changed.wait(lock, [this] { return m_results.finished == int(m_tasks.size()); });
}

QStringList TRecorderPortSearch::portsFound()
{
    start();
    waitForProbes();
    QStringList found;
    std::lock_guard<std::mutex> lock(m_results.mutex);
    for (int k = 0; k < m_candidates.size(); ++k)
        if (m_results.found[size_t(k)])
            found.append(m_candidates[k]);
    return found;
}

QStringList TRecorderPortSearch::search(const QStringList& candidates, int replyTimeoutMs)
{
    TRecorderPortSearch search(candidates, replyTimeoutMs);
    return search.portsFound();
}
