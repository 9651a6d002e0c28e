#include "TQtAcqDriver.h"

#include "TAcqDevice.h"
#include "TAcqDriverListener.h"
#include "TQtAcqDriverThread.h"
#include "TSignalBuffer.h"

#include <exception>

namespace {

// A listener's failure must not escape into the event loop, nor keep the
// listeners after it from hearing about the block.
template <typename Call>
void callGuarded(Call call)
{
    try {
        call();
    } catch (const std::exception& e) {
        qWarning("Acquisition listener failed: %s", e.what());
    } catch (...) {
        qWarning("Acquisition listener failed");
    }
}

} // namespace

TQtAcqDriver::TQtAcqDriver(TAcqDevice* device, TSignalBuffer* buffer, QObject* parent)
    : TAcqDriver(device, buffer, parent),
      m_worker(new TQtAcqDriverThread(device, zeroFlags(), zeroFlagCount()))
{
    qRegisterMetaType<QVector<char>>("QVector<char>");
}

TQtAcqDriver::~TQtAcqDriver()
{
    stop();
    delete m_worker;
}

void TQtAcqDriver::start()
{
    if (m_worker->isRunning())
        return;
    disconnect(m_dataConnection);
    disconnect(m_pacemakerConnection);
    disconnect(m_errorConnection);
    m_dataConnection = connect(m_worker, &TQtAcqDriverThread::data, this, &TQtAcqDriver::dataCallback,
                               Qt::QueuedConnection);
    m_pacemakerConnection = connect(m_worker, &TQtAcqDriverThread::pacemaker, this,
                                    &TQtAcqDriver::pacemakerCallback, Qt::QueuedConnection);
    m_errorConnection =
        connect(m_worker, &TQtAcqDriverThread::error, this, &TQtAcqDriver::errorCallback, Qt::QueuedConnection);
    m_running = true;
    m_worker->start(QThread::TimeCriticalPriority);
}

void TQtAcqDriver::stop()
{
    disconnect(m_dataConnection);
    disconnect(m_pacemakerConnection);
    disconnect(m_errorConnection);
    m_running = false;
    // Ends the worker's wait for a notice too, so this is safe from inside a notice.
    m_worker->requestInterruption();
    m_worker->wait();
}

void TQtAcqDriver::requestReset()
{
    m_worker->requestReset();
}

bool TQtAcqDriver::isChannelSaturated(int channel)
{
    return m_device->isChannelSaturated(channel);
}

bool TQtAcqDriver::isElectrodeOff(const char* electrode)
{
    return m_device->isElectrodeOff(electrode);
}

double TQtAcqDriver::batteryLevel()
{
    return m_device->batteryLevel();
}

void TQtAcqDriver::dataCallback(QVector<char> dataBlock)
{
    m_worker->blocksHandedOver();
    if (!m_running)
        return;
    callGuarded([&] { m_buffer->append(dataBlock.constData(), dataBlock.size()); });
    const QList<TAcqDriverListener*> listeners = m_listeners;
    for (TAcqDriverListener* l : listeners)
        callGuarded([&] { l->onData(this); });
}

void TQtAcqDriver::pacemakerCallback(int sampleOffset)
{
    if (m_running) {
        const QList<TAcqDriverListener*> listeners = m_listeners;
        for (TAcqDriverListener* l : listeners)
            callGuarded([&] { l->onPacemaker(this, sampleOffset); });
    }
    m_worker->noticeHandled();
}

void TQtAcqDriver::errorCallback()
{
    if (m_running) {
        const QByteArray text = m_worker->errorText().toLocal8Bit();
        const QList<TAcqDriverListener*> listeners = m_listeners;
        for (TAcqDriverListener* l : listeners)
            callGuarded([&] { l->onError(this, text.constData()); });
    }
    m_worker->noticeHandled();
}
