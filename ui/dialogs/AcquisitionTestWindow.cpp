#include "AcquisitionTestWindow.h"
#include "ui_AcquisitionTestWindow.h"

#include "ElectrodeStatusFollower.h"
#include "ElectrodeStatusWidget.h"
#include "TAcquisitionTest.h"
#include "TQtAcqDriver.h"
#include "WarningQueue.h"

#include <QCloseEvent>
#include <QDialog>
#include <QTimer>

AcquisitionTestWindow* AcquisitionTestWindow::open(const TDeviceSettings& settings, QWidget* dialog)
{
    // Throws before any window exists.
    auto test = std::make_unique<TAcquisitionTest>(settings);
    auto* window = new AcquisitionTestWindow(std::move(test), dialog);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

AcquisitionTestWindow::AcquisitionTestWindow(std::unique_ptr<TAcquisitionTest> test, QWidget* dialog)
    : QWidget(dialog, Qt::Window), ui(std::make_unique<Ui::AcquisitionTestWindow>()), m_test(std::move(test))
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    // A window of the dialog: the modal dialog leaves it usable, and its
    // deletion takes the window (and the acquisition) along.
    setWindowModality(Qt::NonModal);
    if (auto* owner = qobject_cast<QDialog*>(dialog))
        connect(owner, &QDialog::finished, this, &QWidget::close);

    m_warnings = new WarningQueue(this);
    m_electrodes = std::make_unique<ElectrodeStatusFollower>(ui->frameEcg);

    ui->lblDevice->setText(m_test->deviceText());
    ui->ecgDisplay->setSignal(m_test->buffer());
    ui->ecgDisplay->setAutoBaseline(true);

    m_statusTimer = new QTimer(this);
    m_statusTimer->setInterval(1000);
    connect(m_statusTimer, &QTimer::timeout, this, &AcquisitionTestWindow::onStatusTimer);

    m_clock.start();
    m_test->addListener(this);
    m_test->start(m_clock.elapsed());
    m_statusTimer->start();
    onStatusTimer();
    // Not on a scale button, which would look chosen.
    ui->btnClose->setFocus();
}

AcquisitionTestWindow::~AcquisitionTestWindow()
{
    endAcquisition();
}

void AcquisitionTestWindow::endAcquisition()
{
    if (!m_test)
        return;
    m_statusTimer->stop();
    ui->ecgDisplay->setSignal(nullptr);
    m_test->end();
    m_test.reset();
}

void AcquisitionTestWindow::closeEvent(QCloseEvent* event)
{
    // Before close() returns: the next study must find the port free.
    endAcquisition();
    event->accept();
}

void AcquisitionTestWindow::onData(TAcqDriver* driver)
{
    ui->ecgDisplay->refresh();
    m_electrodes->update(driver);
}

void AcquisitionTestWindow::onError(TAcqDriver*, const char* message)
{
    m_warnings->warn(QString::fromLocal8Bit(message));
}

void AcquisitionTestWindow::onStatusTimer()
{
    if (m_test)
        ui->lblStatus->setText(m_test->statusText(m_clock.elapsed()));
}

void AcquisitionTestWindow::on_btnSpeed12_clicked()
{
    ui->ecgDisplay->setSpeed(12.5);
}

void AcquisitionTestWindow::on_btnSpeed25_clicked()
{
    ui->ecgDisplay->setSpeed(25.0);
}

void AcquisitionTestWindow::on_btnSpeed50_clicked()
{
    ui->ecgDisplay->setSpeed(50.0);
}

void AcquisitionTestWindow::on_btnAmp5_clicked()
{
    ui->ecgDisplay->setAmplitude(5.0);
}

void AcquisitionTestWindow::on_btnAmp10_clicked()
{
    ui->ecgDisplay->setAmplitude(10.0);
}

void AcquisitionTestWindow::on_btnAmp20_clicked()
{
    ui->ecgDisplay->setAmplitude(20.0);
}

void AcquisitionTestWindow::on_btnClose_clicked()
{
    close();
}
