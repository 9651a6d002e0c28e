#include "TSerialAcqDevice.h"

#include "THRSerialReaderThread.h"
#include "TLeadTable.h"
#include "TSerialReaderThread.h"
#include "TRecorderPortFinder.h"
#include "TRecorderPortMessages.h"
#include "TException.h"
#include "TSerialPort.h"

TSerialAcqDevice::TSerialAcqDevice(const QString& portName, int baudRate, int channelMask)
    : TSerialAcqDevice(TRecorderProtocol::Format::Default, portName, baudRate, channelMask)
{
}

TSerialAcqDevice::TSerialAcqDevice(int channelMask)
    : TSerialAcqDevice(TRecorderProtocol::Format::Default, TRecorderPortFinder::findUsbPort(),
                       TRecorderProtocol::DefaultBaudRate, channelMask)
{
}

TSerialAcqDevice::TSerialAcqDevice(TRecorderProtocol::Format format, const QString& portName, int baudRate,
                                   int channelMask)
    : m_gain(format == TRecorderProtocol::Format::HR ? TRecorderProtocol::HRGainMv
                                                     : TRecorderProtocol::DefaultGainMv)
{
    if (format == TRecorderProtocol::Format::HR) {
        channelMask = TLeadTable::AllLeadsMask;
        m_reader = std::make_unique<THRSerialReaderThread>(&m_queue, portName, baudRate);
    } else {
        m_reader = std::make_unique<TSerialReaderThread>(&m_queue, portName, baudRate, channelMask);
    }
    for (int lead : TLeadTable::selectedLeads(channelMask))
        m_channelNames.append(QByteArray(TLeadTable::leadName(lead)));
}

TSerialAcqDevice::~TSerialAcqDevice()
{
    stop();
}

void TSerialAcqDevice::setGain(double gainMv)
{
    if (gainMv > 0)
        m_gain = gainMv;
}

void TSerialAcqDevice::start()
{
    if (m_reader->isRunning())
        return;
    m_reader->clearFailure();
    m_reader->start(QThread::TimeCriticalPriority);
}

void TSerialAcqDevice::stop()
{
    m_reader->requestInterruption();
    m_reader->wait();
}

bool TSerialAcqDevice::isOk()
{
    return !m_reader->hasFailed();
}

bool TSerialAcqDevice::isChannelSaturated(int lead)
{
    return m_reader->status().isSaturated(lead);
}

bool TSerialAcqDevice::isElectrodeOff(const char* electrode)
{
    return m_reader->status().isElectrodeOff(electrode);
}

const char* TSerialAcqDevice::errorString()
{
    return m_reader->errorText();
}

double TSerialAcqDevice::batteryLevel()
{
    return m_reader->status().batteryVolts();
}

const char* TSerialAcqDevice::channelName(int channel)
{
    return channel >= 0 && channel < m_channelNames.size() ? m_channelNames[channel].constData() : "";
}

QString TSerialAcqDevice::portName() const
{
    return m_reader->portName();
}

void TSerialAcqDevice::checkPort() const
{
    TSerialPort port;
    const TSerialPort::Error opened =
        port.open(m_reader->portName(), TSerialReaderThread::portSetup(m_reader->baudRate()));
    if (opened != TSerialPort::Error::None)
        throw TException(TRecorderPortMessages::text(opened));
}
