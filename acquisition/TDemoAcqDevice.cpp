#include "TDemoAcqDevice.h"

#include "TDemoReaderThread.h"
#include "TLeadTable.h"
#include "TResourceFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

TDemoAcqDevice::TDemoAcqDevice(const QString& fileName, int fileChannels, int samplingRate, int sampleSize,
                               int resolution, double gain, qint64 dataOffset, int channelMask)
    : m_samplingRate(samplingRate), m_sampleSize(sampleSize), m_resolution(resolution), m_gain(gain)
{
    for (int lead : TLeadTable::selectedLeads(channelMask, qMin(fileChannels, int(TLeadTable::DemoLeadCount))))
        m_channelNames.append(QByteArray(TLeadTable::leadName(lead)));
    m_reader = std::make_unique<TDemoReaderThread>(&m_queue, resolveFileName(fileName), dataOffset, fileChannels,
                                                   channelMask, samplingRate, sampleSize);
}

TDemoAcqDevice::~TDemoAcqDevice()
{
    stop();
}

QString TDemoAcqDevice::resolveFileName(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (info.isAbsolute() || info.exists() || !QCoreApplication::instance())
        return fileName;
    const QString found = TResourceFolders::ofProgram().dataFile(fileName);
    return found.isEmpty() ? fileName : found;
}

void TDemoAcqDevice::start()
{
    if (!m_reader->isRunning())
        m_reader->start(QThread::TimeCriticalPriority);
}

void TDemoAcqDevice::stop()
{
    m_reader->requestInterruption();
    m_reader->wait();
}

const char* TDemoAcqDevice::channelName(int channel)
{
    return channel >= 0 && channel < m_channelNames.size() ? m_channelNames[channel].constData() : "";
}
