#include "TDemoReaderThread.h"

#include "TByteQueue.h"
#include "TException.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstring>
#include <vector>

TDemoReaderThread::TDemoReaderThread(TByteQueue* queue, const QString& path, qint64 dataOffset, int fileChannels,
                                     int channelMask, int samplingRate, int sampleSize, QObject* parent)
    : QThread(parent),
      m_queue(queue),
      m_file(path),
      m_dataOffset(dataOffset),
      m_fileChannels(fileChannels),
      m_channelMask(channelMask),
      m_samplingRate(samplingRate),
      m_sampleSize(sampleSize)
{
    if (!m_file.open(QIODevice::ReadOnly))
        throw TException(QCoreApplication::translate("TDemoReaderThread", "Cannot open file"));
}

TDemoReaderThread::~TDemoReaderThread()
{
    requestInterruption();
    wait();
    m_file.close();
}

bool TDemoReaderThread::readFrame(char* frame)
{
    const qint64 frameBytes = qint64(m_fileChannels) * m_sampleSize;
    qint64 got = m_file.read(frame, frameBytes);
    if (got == frameBytes) {
        m_bytesRead += quint64(got);
        return true;
    }
    // End of file (or a read error, treated alike): loop back to the first frame.
    m_file.seek(m_dataOffset);
    got = m_file.read(frame, frameBytes);
    if (got == frameBytes) {
        m_bytesRead += quint64(got);
        return true;
    }
    return false;
}

void TDemoReaderThread::run()
{
    const int frameBytes = m_fileChannels * m_sampleSize;
    if (frameBytes <= 0 || m_samplingRate <= 0)
        return;
    std::vector<char> fileFrame(static_cast<size_t>(frameBytes));
    std::vector<char> outputFrame(static_cast<size_t>(frameBytes));
    m_file.seek(m_dataOffset);
    m_bytesRead = 0;
    m_secondsPaced = 0.0;
    const double bytesPerSecond = double(m_samplingRate) * frameBytes;
    const quint32 mask = quint32(m_channelMask);
    QElapsedTimer clock;
    clock.start();

    while (!isInterruptionRequested()) {
        if (!readFrame(fileFrame.data())) {
            // Not even one whole frame in the file: nothing to replay.
            msleep(25);
            continue;
        }
        int outputBytes = 0;
        if (m_sampleSize == 2) {
            for (int c = 0; c < m_fileChannels && c < 32; ++c) {
                if (mask & (1u << c)) {
                    std::memcpy(outputFrame.data() + outputBytes, fileFrame.data() + c * 2, 2);
                    outputBytes += 2;
                }
            }
        }
        m_queue->append(outputFrame.data(), outputBytes);

        // After a little over 25 ms of signal, sleep until the wall clock catches up
        // with the signal time pushed. Measuring against the clock (rather than
        // adding up sleeps) keeps the nominal rate on a loaded machine, where each
        // sleep lasts longer than asked.
        const double elapsed = double(m_bytesRead.load()) / bytesPerSecond;
        if (elapsed > m_secondsPaced + 0.025) {
            const qint64 ahead = qint64(elapsed * 1000.0) - clock.elapsed();
            if (ahead > 0)
                msleep(static_cast<unsigned long>(ahead));
            m_secondsPaced = elapsed;
        }
    }
}
