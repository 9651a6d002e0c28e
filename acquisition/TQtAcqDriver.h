#pragma once

#include "TAcqDriver.h"

#include <QMetaObject>
#include <QVector>

class TQtAcqDriverThread;

// Driver whose worker thread posts blocks to the GUI thread, where they are
// appended to the buffer before the listeners are told.
class TQtAcqDriver : public TAcqDriver
{
    Q_OBJECT

public:
    TQtAcqDriver(TAcqDevice* device, TSignalBuffer* buffer, QObject* parent = nullptr);
    ~TQtAcqDriver() override;

    void start() override;
    // Ends the worker and waits for it; no listener is called after stop returns.
    void stop() override;
    void requestReset() override;
    bool isChannelSaturated(int channel) override;
    bool isElectrodeOff(const char* electrode) override;
    double batteryLevel() override;

    bool isRunning() const { return m_running; }
    TQtAcqDriverThread* worker() const { return m_worker; }

public slots:
    void dataCallback(QVector<char> dataBlock);
    void pacemakerCallback(int sampleOffset);
    void errorCallback();

private:
    TQtAcqDriverThread* m_worker;
    bool m_running = false;
    QMetaObject::Connection m_dataConnection;
    QMetaObject::Connection m_pacemakerConnection;
    QMetaObject::Connection m_errorConnection;
};
