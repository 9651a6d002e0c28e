#include "TQtAcqDriverThread.h"

#include "TAcqDevice.h"

#include <QException>
#include <algorithm>
#include <cstring>
#include <vector>

TQtAcqDriverThread::TQtAcqDriverThread(TAcqDevice* device, std::atomic<unsigned char>* zeroFlags,
                                       int zeroFlagCount, QObject* parent)
    : QThread(parent), m_device(device), m_zeroFlags(zeroFlags), m_zeroFlagCount(zeroFlagCount)
{
}

QString TQtAcqDriverThread::errorText() const
{
    std::lock_guard<std::mutex> lock(m_errorMutex);
    return m_errorText;
}

void TQtAcqDriverThread::setErrorText(const QString& text)
{
    std::lock_guard<std::mutex> lock(m_errorMutex);
    m_errorText = text;
}

void TQtAcqDriverThread::noticeHandled()
{
    {
        std::lock_guard<std::mutex> lock(m_noticeMutex);
        ++m_noticesHandled;
    }
    m_noticeCondition.notify_all();
}

void TQtAcqDriverThread::waitForNotice(quint64 ticket)
{
    std::unique_lock<std::mutex> lock(m_noticeMutex);
    while (m_noticesHandled < ticket && !isInterruptionRequested())
        m_noticeCondition.wait_for(lock, std::chrono::milliseconds(10));
}

void TQtAcqDriverThread::emitPacemakerAndWait(int offset)
{
    const quint64 ticket = ++m_noticesPosted;
    emit pacemaker(offset);
    waitForNotice(ticket);
}

void TQtAcqDriverThread::emitErrorAndWait()
{
    const quint64 ticket = ++m_noticesPosted;
    emit error();
    waitForNotice(ticket);
}

void TQtAcqDriverThread::run()
{
    // Nothing may escape the thread: failures become the error notice.
    try {
        work();
    } catch (const QException& e) {
        setErrorText(QStringLiteral("Error: ") + QString::fromUtf8(e.what()));
        emitErrorAndWait();
    } catch (...) {
        setErrorText(QStringLiteral("Unspecified application error"));
        emitErrorAndWait();
    }
}

void TQtAcqDriverThread::work()
{
    {
        // A notice of an earlier run that nobody received must not hold up this one.
        std::lock_guard<std::mutex> lock(m_noticeMutex);
        m_noticesHandled = m_noticesPosted;
    }
    const int sampleSize = m_device->sampleSize();
    const int channels = m_device->channelCount();
    const int frameBytes = sampleSize * channels;
    const int rate = m_device->samplingRate();
    const int minFrames = rate / 10;
    const int maxFrames = 5 * rate;
    if (frameBytes <= 0 || maxFrames <= 0) {
        setErrorText(QStringLiteral("Unspecified application error"));
        emitErrorAndWait();
        return;
    }
    std::vector<char> scratch(size_t(maxFrames) * size_t(frameBytes));
    const int zeroedChannels = std::min(channels, m_zeroFlagCount);
    m_resetRequest.store(false);
    m_device->start();

    bool readFailed = false;
    while (!isInterruptionRequested()) {
        if (!m_device->isOk()) {
            m_device->stop();
            m_device->start();
        }
        const int frames = m_device->bytesAvailable() / frameBytes;
        if (frames <= minFrames) {
            msleep(10);
            continue;
        }
        const int n = std::min(frames, maxFrames);
        const int bytes = n * frameBytes;
        std::memset(scratch.data(), 0, size_t(bytes));
        const int got = m_device->read(scratch.data(), bytes);
        if (got < bytes) {
            readFailed = true;
            break;
        }
        for (int c = 0; c < zeroedChannels; ++c) {
            if (m_zeroFlags[c].load(std::memory_order_relaxed) == 0)
                continue;
            char* p = scratch.data() + size_t(c) * size_t(sampleSize);
            for (int f = 0; f < n; ++f, p += frameBytes)
                std::memset(p, 0, size_t(sampleSize));
        }
        if (m_resetRequest.exchange(false))
            m_device->reset();
        for (;;) {
            const int offset = m_device->nextPacemakerPulse();
            m_lastPacemakerOffset.store(offset);
            if (offset == 0)
                break;
            emitPacemakerAndWait(offset);
        }
        QVector<char> block(bytes);
        std::memcpy(block.data(), scratch.data(), size_t(bytes));
        m_blocksHandedOver.fetch_add(1, std::memory_order_release);
        emit data(block);
    }

    if (m_device->isOk() && !readFailed) {
        m_device->stop();
        return;
    }
    setErrorText(QString::fromLocal8Bit(m_device->errorString()));
    emitErrorAndWait();
    m_device->stop();
}
