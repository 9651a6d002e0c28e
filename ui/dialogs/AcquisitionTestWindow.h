#pragma once

#include "TAcqDriverListener.h"

#include <QElapsedTimer>
#include <QWidget>
#include <memory>

class ElectrodeStatusFollower;
class QTimer;
class TAcquisitionTest;
class WarningQueue;
struct TDeviceSettings;

namespace Ui {
class AcquisitionTestWindow;
}

// The live signal of the acquisition device the configuration dialog is set
// up for, so that the user can try the settings before keeping them. It is a
// window of the dialog, so the modal dialog does not block it, and it goes
// with the dialog. Closing it stops the acquisition and frees the device.
class AcquisitionTestWindow : public QWidget, private TAcqDriverListener
{
    Q_OBJECT

public:
    // Builds the device exactly as a recording does, starts acquiring and
    // shows the window, which deletes itself on close. Throws TException with
    // the device's text when the device cannot be created; nothing is open then.
    static AcquisitionTestWindow* open(const TDeviceSettings& settings, QWidget* dialog);
    ~AcquisitionTestWindow() override;

    // Null once the window has closed.
    TAcquisitionTest* acquisition() const { return m_test.get(); }

private slots:
    void on_btnSpeed12_clicked();
    void on_btnSpeed25_clicked();
    void on_btnSpeed50_clicked();
    void on_btnAmp5_clicked();
    void on_btnAmp10_clicked();
    void on_btnAmp20_clicked();
    void on_btnClose_clicked();

    void onStatusTimer();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    AcquisitionTestWindow(std::unique_ptr<TAcquisitionTest> test, QWidget* dialog);

    // TAcqDriverListener
    void onData(TAcqDriver* driver) override;
    void onPacemaker(TAcqDriver*, int) override {}
    void onError(TAcqDriver* driver, const char* message) override;

    // Display first (it reads the buffer), then driver, device and buffer.
    void endAcquisition();

    std::unique_ptr<Ui::AcquisitionTestWindow> ui;
    std::unique_ptr<TAcquisitionTest> m_test;
    std::unique_ptr<ElectrodeStatusFollower> m_electrodes;
    WarningQueue* m_warnings = nullptr;
    QTimer* m_statusTimer = nullptr;
    QElapsedTimer m_clock;
};
