#include "TOlmoErgometer.h"

#include "TOlmoErgometerThread.h"

#include <algorithm>
#include <cmath>
#include <limits>

TOlmoErgometer::TOlmoErgometer(const QString& portName)
    : m_worker(std::make_unique<TOlmoErgometerThread>(portName))
{
    m_worker->start();
}

TOlmoErgometer::~TOlmoErgometer()
{
    m_worker->requestInterruption();
    m_worker->wait();
}

bool TOlmoErgometer::isOk()
{
    return m_worker->isAnswering();
}

bool TOlmoErgometer::start()
{
    m_worker->requestStart();
    return true;
}

bool TOlmoErgometer::stop()
{
    m_worker->requestStop();
    return true;
}

bool TOlmoErgometer::apply()
{
    m_worker->requestUpdate();
    return true;
}

bool TOlmoErgometer::setValue(const QString&, double value)
{
    if (std::isnan(value))
        return true;
    // Limited first: converting a double beyond the int range is undefined.
    constexpr double limit = double(std::numeric_limits<int>::max());
    m_worker->setTargetWorkload(int(std::trunc(std::clamp(value, -limit, limit))));
    return true;
}
