#include "TAcquisitionTest.h"

#include "TAcqDevice.h"
#include "TDeviceSignalBuffer.h"
#include "TQtAcqDriver.h"
#include "TSerialAcqDevice.h"
#include "TSettingsKeys.h"

#include <QCoreApplication>

TAcquisitionTest::TAcquisitionTest(const TDeviceSettings& settings)
    : m_settings(settings), m_device(TDeviceFactory::create(settings))
{
    // A recorder port that does not open would only be retried in silence
    // behind a blank display: say so now, before anything runs.
    if (auto* serial = dynamic_cast<TSerialAcqDevice*>(m_device.get()))
        serial->checkPort();
    m_buffer = TDeviceSignalBuffer::create(m_device.get(), PageSize, RingSamples);
    m_driver = std::make_unique<TQtAcqDriver>(m_device.get(), m_buffer.get());
}

TAcquisitionTest::~TAcquisitionTest()
{
    end();
}

void TAcquisitionTest::addListener(TAcqDriverListener* listener)
{
    if (m_driver)
        m_driver->addListener(listener);
}

void TAcquisitionTest::start(qint64 nowMs)
{
    if (!m_driver)
        return;
    m_watch.restart(nowMs);
    m_driver->start();
}

void TAcquisitionTest::end()
{
    if (m_driver)
        m_driver->stop();
    m_driver.reset();
    // The worker stops the device as it ends, except after a failed read.
    if (m_device)
        m_device->stop();
    m_device.reset();
    m_buffer.reset();
}

QString TAcquisitionTest::modeText() const
{
    if (m_settings.mode == QLatin1String(TSettingsKeys::AcqModeDemo))
        return QCoreApplication::translate("TAcquisitionTest", "Replay ECG file (demo)");
    QString text = m_settings.mode == QLatin1String(TSettingsKeys::AcqModeBluetooth)
                       ? QCoreApplication::translate("TAcquisitionTest", "Cardivex ECG device (Bluetooth)")
                       : QCoreApplication::translate("TAcquisitionTest", "Cardivex ECG device (USB)");
    if (auto* serial = dynamic_cast<TSerialAcqDevice*>(m_device.get()))
        text += QCoreApplication::translate("TAcquisitionTest", " on %1").arg(serial->portName());
    if (m_settings.hrProtocol)
        text += QCoreApplication::translate("TAcquisitionTest", ", HR protocol");
    return text;
}

QString TAcquisitionTest::deviceText() const
{
    if (!m_device)
        return QString();
    return QCoreApplication::translate("TAcquisitionTest", "%1: %2 leads, %3 samples/s, +/-%4 mV")
        .arg(modeText())
        .arg(m_device->channelCount())
        .arg(m_device->samplingRate())
        .arg(m_device->gainMax(), 0, 'f', 0);
}

QString TAcquisitionTest::statusText(qint64 nowMs)
{
    if (!m_buffer || !m_device)
        return QString();
    m_watch.observe(m_buffer->length(), nowMs);
    QString text;
    if (m_watch.isSilent(nowMs)) {
        const QString duration = TSignalWatch::durationText(m_watch.silentMs(nowMs));
        text = m_watch.hasEverReceived()
                   ? QCoreApplication::translate("TAcquisitionTest", "No signal: last sample %1 ago").arg(duration)
                   : QCoreApplication::translate("TAcquisitionTest", "No signal yet (waiting %1)").arg(duration);
    } else if (!m_watch.hasEverReceived()) {
        text = QCoreApplication::translate("TAcquisitionTest", "Waiting for the signal...");
    } else {
        text = QCoreApplication::translate("TAcquisitionTest", "Receiving: %1 s of signal")
                   .arg(m_buffer->durationSeconds(), 0, 'f', 0);
    }
    if (dynamic_cast<TSerialAcqDevice*>(m_device.get()) && m_device->batteryLevel() > 0.0)
        text += QCoreApplication::translate("TAcquisitionTest", "   Battery: %1 V")
                    .arg(m_device->batteryLevel(), 0, 'f', 2);
    return text;
}
