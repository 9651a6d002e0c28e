#include "TKipnetTreadmill.h"

#include "TKipnetTreadmillThread.h"

#include <QDir>
#include <QStandardPaths>

QString TKipnetTreadmill::defaultLogPath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QDir().mkpath(folder);
    return QDir(folder).filePath(QLatin1String(LogFileName));
}

TKipnetTreadmill::TKipnetTreadmill(const QString& portName, const QString& logPath)
    : m_worker(std::make_unique<TKipnetTreadmillThread>(portName, logPath))
{
    m_worker->start();
}

TKipnetTreadmill::~TKipnetTreadmill()
{
    m_worker->requestInterruption();
    m_worker->wait();
}

bool TKipnetTreadmill::isOk()
{
    return !m_worker->hasFailed();
}

bool TKipnetTreadmill::start()
{
    m_worker->requestStart();
    return true;
}

bool TKipnetTreadmill::stop()
{
    m_worker->requestStop();
    return true;
}

bool TKipnetTreadmill::apply()
{
    m_worker->requestUpdate();
    return true;
}

bool TKipnetTreadmill::setValue(const QString& name, double value)
{
    if (name.compare(QLatin1String("speed"), Qt::CaseInsensitive) == 0)
        m_worker->setSpeed(value);
    else if (name.compare(QLatin1String("incline"), Qt::CaseInsensitive) == 0)
        m_worker->setIncline(value);
    else if (name.compare(QLatin1String("workload"), Qt::CaseInsensitive) == 0)
        m_worker->setWorkload(value);
    return true;
}

bool TKipnetTreadmill::isWorkerRunning() const
{
    return m_worker->isRunning();
}
