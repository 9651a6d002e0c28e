#pragma once

#include <QString>
#include <QThread>
#include <QVector>
#include <atomic>
#include <condition_variable>
#include <mutex>

class TAcqDevice;

// The driver's worker: drains the device's byte queue in blocks of whole frames
// (more than 0.1 s, at most 5 s of signal) and hands each block to the GUI thread.
// A device whose reader failed is restarted silently; a short read ends the worker
// with an error notice.
//
// Blocks are handed over without waiting. After a pacemaker or error notice the
// worker waits until the GUI thread has handled it (noticeHandled), so every
// listener has heard of it before the worker goes on; an interruption request ends
// that wait, so the GUI thread can always stop the worker, even from inside a
// notice.
class TQtAcqDriverThread : public QThread
{
    Q_OBJECT

public:
    TQtAcqDriverThread(TAcqDevice* device, std::atomic<unsigned char>* zeroFlags, int zeroFlagCount,
                       QObject* parent = nullptr);

    void requestReset() { m_resetRequest.store(true); }
    bool isResetRequested() const { return m_resetRequest.load(); }
    QString errorText() const;
    int lastPacemakerOffset() const { return m_lastPacemakerOffset.load(); }
    // Blocks emitted so far. The driver reads it (acquire) for each block it is
    // handed: that orders the worker's filling of the block before the GUI thread's
    // reading of it in a way thread checkers can see (the framework's event queue
    // locks inside code they do not instrument).
    quint64 blocksHandedOver() const { return m_blocksHandedOver.load(std::memory_order_acquire); }
    // Called on the GUI thread once a pacemaker or error notice has been handled.
    void noticeHandled();

signals:
    void data(QVector<char> dataBlock);
    void pacemaker(int sampleOffset);
    void error();

protected:
    void run() override;

private:
    void work();
    void setErrorText(const QString& text);
    void emitPacemakerAndWait(int offset);
    void emitErrorAndWait();
    void waitForNotice(quint64 ticket);

    TAcqDevice* m_device;
    std::atomic<unsigned char>* m_zeroFlags;
    int m_zeroFlagCount;
    mutable std::mutex m_errorMutex;
    QString m_errorText;
    std::atomic<int> m_lastPacemakerOffset{0};
    std::atomic<bool> m_resetRequest{false};
    std::atomic<quint64> m_blocksHandedOver{0};
    std::mutex m_noticeMutex;
    std::condition_variable m_noticeCondition;
    quint64 m_noticesPosted = 0;  // worker only
    quint64 m_noticesHandled = 0; // under m_noticeMutex
};
