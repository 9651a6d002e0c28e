#pragma once

#include <QElapsedTimer>
#include <QThread>
#include <functional>

// Waits up to timeoutMs for a condition set by another thread or process,
// polling every 5 ms. False when it did not come true in time.
inline bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QThread::msleep(5);
    }
    return true;
}
