#pragma once

#include <QList>
#include <QObject>
#include <atomic>
#include <memory>

class TAcqDevice;
class TAcqDriverListener;
class TSignalBuffer;

// Moves the samples of a device into a signal buffer and tells its listeners.
// Owns neither the device nor the buffer nor the listeners.
class TAcqDriver : public QObject
{
    Q_OBJECT

public:
    TAcqDriver(TAcqDevice* device, TSignalBuffer* buffer, QObject* parent = nullptr);
    ~TAcqDriver() override;

    virtual void start() = 0;
    virtual void stop() = 0;
    // The worker calls the device's reset() before delivering its next block.
    virtual void requestReset() = 0;
    virtual bool isChannelSaturated(int channel) = 0;
    virtual bool isElectrodeOff(const char* electrode) = 0;
    virtual double batteryLevel() = 0;

    TAcqDevice* device() const { return m_device; }
    TSignalBuffer* buffer() const { return m_buffer; }

    // Appends a listener; there is no removal, the list lives as long as the driver.
    void addListener(TAcqDriverListener* listener);
    int listenerCount() const { return m_listeners.size(); }

    // A set flag makes the worker deliver zeros for that channel.
    void setChannelZeroed(int channel, bool zeroed);
    bool isChannelZeroed(int channel) const;
    int zeroFlagCount() const { return m_zeroFlagCount; }

protected:
    std::atomic<unsigned char>* zeroFlags() const { return m_zeroFlags.get(); }

    TAcqDevice* m_device;
    TSignalBuffer* m_buffer;
    QList<TAcqDriverListener*> m_listeners;

private:
    int m_zeroFlagCount;
    std::unique_ptr<std::atomic<unsigned char>[]> m_zeroFlags;
};
