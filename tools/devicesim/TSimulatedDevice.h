#pragma once

#include "TPseudoTerminal.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <limits>
#include <mutex>
#include <thread>

// Base of the serial device simulators: a device thread that owns a
// pseudo-terminal, hands what the program writes to received() and lets the
// device send in tick(). The device can be unplugged (its end closed, so the
// program's port hangs up and the link disappears) and plugged in again on a
// new pseudo-terminal behind the same link.
//
// Subclasses call stop() in their destructor, before their own members go.
class TSimulatedDevice
{
public:
    explicit TSimulatedDevice(const QString& linkPath = QString());
    virtual ~TSimulatedDevice();
    TSimulatedDevice(const TSimulatedDevice&) = delete;
    TSimulatedDevice& operator=(const TSimulatedDevice&) = delete;

    // Opens the pseudo-terminal and starts the device thread.
    bool start(QString* error = nullptr);
    void stop();
    bool isRunning() const { return m_thread.joinable(); }

    // What the program opens as its port: the link, or the current slave end.
    QString portPath() const;
    QString slavePath() const;

    // Each waits until the device thread has done it; false after timeoutMs.
    bool unplug(int timeoutMs = 2000);
    bool plugIn(int timeoutMs = 2000);
    // Unplugs now and plugs in again after ms (returns at once).
    void unplugFor(int ms);
    bool isPluggedIn() const { return m_plugged.load(); }

    // Time since the simulator was made.
    qint64 elapsedMs() const;
    qint64 elapsedUs() const;

protected:
    // Device thread: bytes the program wrote.
    virtual void received(const char* data, int count) = 0;
    // Device thread, once per turn of its loop: sends what is due and returns
    // how long it may wait for input before the next turn, in ms.
    virtual int tick() { return 20; }
    // Device thread: the device has bytes for the port as soon as it takes
    // them; the next turn then comes once the port is writable.
    virtual bool wantsToSend() const { return false; }
    // Device thread, after each plug-in: the device starts afresh.
    virtual void pluggedIn() {}
    // Device thread, after each unplug: what was on its way is gone.
    virtual void unplugged() {}
    // Device thread, each turn: how many bytes the device takes now. Below
    // what the program writes, the rest waits in the pseudo-terminal, whose
    // writes then block as with a device that reads slowly or not at all.
    virtual int bytesWanted() const { return std::numeric_limits<int>::max(); }

    // Device thread: what the port took of count bytes without waiting
    // (0 while unplugged or full).
    int send(const char* data, int count);
    // Device thread: all count bytes, waiting up to timeoutMs for room.
    bool sendAll(const char* data, int count, int timeoutMs = 1000);

private:
    void run();
    void followPlugRequest();
    void publishPaths();
    bool waitForPlugged(bool plugged, int timeoutMs) const;

    TPseudoTerminal m_pty; // the device thread's once started
    std::thread m_thread;
    std::atomic<bool> m_quit{false};
    std::atomic<bool> m_wantPlugged{true};
    std::atomic<bool> m_plugged{false};
    std::atomic<qint64> m_replugAtMs{-1};
    mutable std::mutex m_pathMutex;
    QString m_portPath;
    QString m_slavePath;
    const std::chrono::steady_clock::time_point m_epoch;
};
