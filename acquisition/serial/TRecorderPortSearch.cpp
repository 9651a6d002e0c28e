#include "TRecorderPortSearch.h"

#include <QSerialPortInfo>
#include <QThreadPool>
#include <QtConcurrent>

TRecorderPortSearch::TRecorderPortSearch(const QStringList& candidates, int replyTimeoutMs)
    : m_candidates(candidates), m_replyTimeoutMs(replyTimeoutMs)
{
}

TRecorderPortSearch::~TRecorderPortSearch()
{
    for (QFuture<bool>& probe : m_probes)
        probe.waitForFinished();
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
    if (!m_probes.isEmpty())
        return;
    const int timeout = m_replyTimeoutMs;
    for (const QString& port : m_candidates)
        m_probes.append(QtConcurrent::run(QThreadPool::globalInstance(), [port, timeout]() {
            // A probe never throws, but nothing may escape a pool task.
            try {
                return TRecorderPortProbe::probe(port, timeout);
            } catch (...) {
                return false;
            }
        }));
}

bool TRecorderPortSearch::isFinished() const
{
    if (!isStarted())
        return false;
    for (const QFuture<bool>& probe : m_probes)
        if (!probe.isFinished())
            return false;
    return true;
}

QStringList TRecorderPortSearch::portsFound()
{
    start();
    QStringList found;
    for (int k = 0; k < m_probes.size(); ++k)
        if (m_probes[k].result())
            found.append(m_candidates[k]);
    return found;
}

QStringList TRecorderPortSearch::search(const QStringList& candidates, int replyTimeoutMs)
{
    TRecorderPortSearch search(candidates, replyTimeoutMs);
    search.start();
    return search.portsFound();
}
