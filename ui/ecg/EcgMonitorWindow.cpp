#include "EcgMonitorWindow.h"
#include "ui_EcgMonitorWindow.h"

#include "AveragerBeatSource.h"
#include "ClippingHighlightProvider.h"
#include "ColorSchemes.h"
#include "ElectrodeStatusFollower.h"
#include "ElectrodeStatusWidget.h"
#include "EngineStMarks.h"
#include "MonitorPanels.h"
#include "OverlayLabel.h"
#include "QSignalBrowseDisplay.h"
#include "QSignalMonitorDisplay.h"
#include "TException.h"
#include "TPagedFilterChain.h"
#include "TQtAcqDriver.h"
#include "TRestingMeasurement.h"
#include "TSettingsKeys.h"
#include "TSignalBuffer.h"
#include "TSignalChannel.h"
#include "TStudy.h"
#include "TStudyRecorder.h"
#include "TStudyStore.h"
#include "TTimeText.h"
#include "WarningQueue.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QLabel>
#include <QSettings>
#include <QTimer>

namespace {

const char* const SettingsGroup = "EcgMonitorWindow";
const char* const LowBatteryKey = "Config/LowBatteryLevel";
const char* const AcqModeKey = "Config/AcqMode";

} // namespace

EcgMonitorWindow::EcgMonitorWindow(TAcqDevice* device, TStudy* study, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::EcgMonitorWindow>()), m_study(study)
{
    ui->setupUi(this);
    m_warnings = new WarningQueue(this);

    m_recorder = std::make_unique<TStudyRecorder>(device, study, nullptr, nullptr);
    m_recorder->addListener(this);
    m_channels = m_recorder->rawSignal()->channelCount();
    m_clock.start();
    m_watch.restart(m_clock.elapsed());
    m_recorder->startAcquisition();

    m_panels = std::make_unique<MonitorPanels>(ui->ecgDisplay1, ui->ecgDisplay2, this);
    m_panels->setChannels(m_channels);
    m_highlight = std::make_unique<ClippingHighlightProvider>(m_recorder->rawSignal());
    ui->ecgDisplay1->setHighlightProvider(m_highlight.get());
    ui->ecgDisplay2->setHighlightProvider(m_highlight.get());

    ui->btnFilterNotch->setChecked(true);
    ui->btnFilterLowpass->setChecked(true);
    ui->btnFilterBaseline->setChecked(true);
    applyFilters();

    const TStudyRecord& record = study->record();
    ui->lblPatientName->setText(QStringLiteral("%1, %2").arg(record.patientProperty(QStringLiteral("lastName")),
                                                              record.patientProperty(QStringLiteral("firstName"))));

    m_lowBattery = OverlayLabel::icon(ui->frameEcg, QStringLiteral(":/res/low-battery.png"));
    m_connecting = OverlayLabel::icon(ui->frameEcg, QStringLiteral(":/res/connecting.png"));
    m_inoperative = OverlayLabel::notice(ui->frameEcg, tr("Inoperative ECG"), QStringLiteral("lblInoperative"));
    m_inoperative->setAlignment(Qt::AlignCenter);
    m_inoperative->resize(160, 30);
    m_inoperative->hide();
    m_noSignal = new QLabel(ui->frameEcg);
    m_noSignal->setObjectName(QStringLiteral("lblNoSignal"));
    m_noSignal->setAlignment(Qt::AlignCenter);
    m_noSignal->setWordWrap(true);
    m_noSignal->hide();
    if (QSettings().value(QLatin1String(AcqModeKey), QString()).toString() == QLatin1String("demo")) {
        m_simulated = OverlayLabel::notice(ui->frameEcg, tr("Simulated ECG"), QStringLiteral("lblSimulated"));
        m_simulated->adjustSize();
        m_simulated->show();
    }
    m_electrodes = std::make_unique<ElectrodeStatusFollower>(ui->frameEcg);

    ui->btnStart->setEnabled(true);
    ui->btnStop->setEnabled(false);
    ui->btnRepeat->setEnabled(false);
    ui->btnSave->setEnabled(false);
    ui->btnStart->setFocus();

    m_statusTimer = new QTimer(this);
    m_statusTimer->setInterval(1000);
    connect(m_statusTimer, &QTimer::timeout, this, &EcgMonitorWindow::onStatusTimer);
    m_statusTimer->start();
    // The lost signal is told within two seconds: checked four times a second
    // against a silence of one.
    m_watchTimer = new QTimer(this);
    m_watchTimer->setInterval(250);
    connect(m_watchTimer, &QTimer::timeout, this, &EcgMonitorWindow::onSignalWatchTimer);
    m_watchTimer->start();

    readSettings();
    placeOverlays();
}

EcgMonitorWindow::~EcgMonitorWindow()
{
    finishRecording();
    writeSettings();
    if (m_browse)
        m_browse->setSignal(nullptr);
}

QString EcgMonitorWindow::colorScheme() const
{
    return m_panels->colorScheme();
}

int EcgMonitorWindow::leadCount() const
{
    return m_channels;
}

// ---------------------------------------------------------------------------
// Panels

void EcgMonitorWindow::applyFilters()
{
    const bool notch = ui->btnFilterNotch->isChecked();
    const bool lowpass = ui->btnFilterLowpass->isChecked();
    const bool baseline = ui->btnFilterBaseline->isChecked();
    try {
        if (m_recorder) {
            m_panels->setSignal(m_recorder->setFilters(notch, lowpass, baseline), !baseline);
        } else if (m_chain && m_browse) {
            m_chain->rebuild(notch, lowpass, baseline);
            m_browse->setSignal(m_chain->output());
        }
    } catch (const std::exception& e) {
        m_warnings->warn(QString::fromLocal8Bit(e.what()));
    }
}

void EcgMonitorWindow::applySpeed(double mmPerSecond)
{
    if (m_browse) {
        m_browse->setSpeed(mmPerSecond);
        return;
    }
    m_panels->setSpeed(mmPerSecond);
}

void EcgMonitorWindow::applyAmplitude(double mmPerMillivolt)
{
    if (m_browse) {
        m_browse->setAmplitude(mmPerMillivolt);
        return;
    }
    m_panels->setAmplitude(mmPerMillivolt);
}

void EcgMonitorWindow::applyColorScheme(const QString& name)
{
    m_panels->setColorScheme(name);
    if (m_browse)
        ColorSchemes::apply(name, *m_browse);
}

double EcgMonitorWindow::checkedSpeed() const
{
    if (ui->btnSpeed12->isChecked())
        return 12.5;
    return ui->btnSpeed50->isChecked() ? 50.0 : 25.0;
}

double EcgMonitorWindow::checkedAmplitude() const
{
    if (ui->btnAmp5->isChecked())
        return 5.0;
    return ui->btnAmp20->isChecked() ? 20.0 : 10.0;
}

void EcgMonitorWindow::on_btnSpeed12_clicked()
{
    applySpeed(12.5);
}

void EcgMonitorWindow::on_btnSpeed25_clicked()
{
    applySpeed(25.0);
}

void EcgMonitorWindow::on_btnSpeed50_clicked()
{
    applySpeed(50.0);
}

void EcgMonitorWindow::on_btnAmp5_clicked()
{
    applyAmplitude(5.0);
}

void EcgMonitorWindow::on_btnAmp10_clicked()
{
    applyAmplitude(10.0);
}

void EcgMonitorWindow::on_btnAmp20_clicked()
{
    applyAmplitude(20.0);
}

void EcgMonitorWindow::on_btnFilterNotch_clicked()
{
    applyFilters();
}

void EcgMonitorWindow::on_btnFilterLowpass_clicked()
{
    applyFilters();
}

void EcgMonitorWindow::on_btnFilterBaseline_clicked()
{
    applyFilters();
}

// ---------------------------------------------------------------------------
// Recording

void EcgMonitorWindow::on_btnStart_clicked()
{
    if (!m_recorder || m_recorder->isRecording())
        return;
    m_averageSource = std::make_unique<AveragerBeatSource>(m_recorder->averager());
    m_marks = std::make_unique<EngineStMarks>(m_recorder.get());
    for (QSignalMonitorDisplay* panel : {ui->ecgDisplay1, ui->ecgDisplay2}) {
        panel->setAverageBeatSource(m_averageSource.get());
        panel->setMarkProvider(m_marks.get());
    }
    ui->btnStart->setEnabled(false);
    m_recorder->start(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")));
}

void EcgMonitorWindow::on_btnStop_clicked()
{
    if (m_state != Recording)
        return;
    finishRecording();
    ui->btnStart->setEnabled(false);
    ui->btnStop->setEnabled(false);
    ui->btnRepeat->setEnabled(true);
    ui->btnSave->setEnabled(true);
    ui->btnSave->setFocus();
    ui->ecgDisplay1->hide();
    ui->ecgDisplay2->hide();
    showRecording();
    m_state = Reviewing;
}

void EcgMonitorWindow::finishRecording()
{
    if (!m_recorder)
        return;
    m_statusTimer->stop();
    m_watchTimer->stop();
    try {
        TRestingMeasurement::endRecording(*m_recorder, *m_study);
    } catch (const std::exception& e) {
        m_warnings->warn(QString::fromLocal8Bit(e.what()));
    }
    for (QSignalMonitorDisplay* panel : {ui->ecgDisplay1, ui->ecgDisplay2}) {
        panel->setAverageBeatSource(nullptr);
        panel->setMarkProvider(nullptr);
        panel->setHighlightProvider(nullptr);
        panel->setSignal(nullptr);
    }
    m_recorder.reset();
    m_averageSource.reset();
    m_marks.reset();
    m_highlight.reset();
    for (QLabel* overlay : {m_lowBattery, m_connecting, m_inoperative, m_noSignal})
        overlay->hide();
    if (m_electrodes->panel())
        m_electrodes->panel()->hide();
}

void EcgMonitorWindow::showRecording()
{
    m_chain = std::make_unique<TPagedFilterChain>(m_study->recording());
    m_chain->setNotchType("50hz");
    m_chain->setLowpassType("40hz");
    try {
        m_chain->rebuild(ui->btnFilterNotch->isChecked(), ui->btnFilterLowpass->isChecked(),
                         ui->btnFilterBaseline->isChecked());
    } catch (const std::exception& e) {
        m_warnings->warn(QString::fromLocal8Bit(e.what()));
    }
    m_browse = new QSignalBrowseDisplay(ui->frameEcg);
    m_browse->setObjectName(QStringLiteral("browseDisplay"));
    ui->frameEcgLayout->addWidget(m_browse);
    m_browse->setSignal(m_chain->output());
    m_browse->setBeatList(m_study->beats());
    ColorSchemes::apply(m_panels->colorScheme(), *m_browse);
    m_browse->setAmplitude(checkedAmplitude());
    m_browse->setSpeed(checkedSpeed());
    m_browse->show();
}

void EcgMonitorWindow::on_btnRepeat_clicked()
{
    m_repeat = true;
    close();
}

void EcgMonitorWindow::on_btnSave_clicked()
{
    close();
}

void EcgMonitorWindow::closeEvent(QCloseEvent* event)
{
    // Whatever state the window is in, the recording so far is kept: the
    // engine ends cleanly and the launcher stores the study.
    finishRecording();
    m_state = Closed;
    emit closing(m_repeat);
    event->accept();
}

// ---------------------------------------------------------------------------
// The engine's notices

void EcgMonitorWindow::update(TStudyRecorder* recorder)
{
    m_watch.observe(recorder->rawSignal()->length(), m_clock.elapsed());
    m_panels->refresh();
}

void EcgMonitorWindow::started(TStudyRecorder*)
{
    m_state = Recording;
    ui->btnStop->setEnabled(true);
    ui->btnStop->setFocus();
    // The record on disk says a recording runs: should the program end
    // abruptly, the study is finished from its samples when it is opened.
    if (TStudyStore* store = TStudyStore::instance()) {
        try {
            store->updateStudy(m_study->record());
        } catch (const std::exception& e) {
            m_warnings->warn(QString::fromLocal8Bit(e.what()));
        }
    }
}

void EcgMonitorWindow::message(TStudyRecorder*, const QString& text)
{
    m_warnings->warn(text);
}

// ---------------------------------------------------------------------------
// Status

bool EcgMonitorWindow::noSignal() const
{
    return m_recorder && m_watch.isSilent(m_clock.elapsed());
}

QString EcgMonitorWindow::noSignalText() const
{
    return m_recorder ? m_watch.text(m_clock.elapsed()) : QString();
}

void EcgMonitorWindow::onStatusTimer()
{
    if (!m_recorder)
        return;
    // Blinking: an icon that is due flips every tick.
    m_lowBattery->setVisible(m_recorder->lowBattery() && !m_lowBattery->isVisible());
    m_connecting->setVisible(noSignal() && !m_connecting->isVisible());
    m_electrodes->update(m_recorder->driver());
    m_inoperative->setVisible(m_recorder->anyLeadOff());
    if (m_recorder->isRecording()) {
        ui->lblTotalElapsedTime->setText(TTimeText::elapsed(m_recorder->recordingTime()));
        // No beat for a while (electrode off, asystole): no rate rather than the last one.
        ui->lblHR->setText(TTimeText::liveHeartRate(m_recorder->lastBeatMeanRR(), m_recorder->lastBeatRR(),
                                                    m_recorder->secondsSinceLastBeat()));
    }
    placeOverlays();
}

void EcgMonitorWindow::onSignalWatchTimer()
{
    if (!m_recorder)
        return;
    m_watch.observe(m_recorder->rawSignal()->length(), m_clock.elapsed());
    const QString text = noSignalText();
    if (text != m_noSignal->text())
        m_noSignal->setText(text);
    if (m_noSignal->isVisible() != !text.isEmpty()) {
        m_noSignal->setVisible(!text.isEmpty());
        placeOverlays();
    }
}

void EcgMonitorWindow::placeOverlays()
{
    const QRect area = ui->frameEcg->rect();
    m_lowBattery->move(area.right() - 60, 10);
    m_connecting->move(area.center().x() - 25, area.center().y() - 25);
    m_inoperative->move(width() - 349 - ui->frameEcg->x(), 10);
    // Top right, clear of the lead labels and of the battery icon.
    if (m_simulated)
        m_simulated->move(area.right() - m_simulated->width() - 70, 10);
    const int noSignalWidth = qMin(area.width() - 40, 720);
    m_noSignal->setGeometry(area.center().x() - noSignalWidth / 2, area.center().y() + 40, noSignalWidth, 110);
    for (QLabel* overlay : {m_lowBattery, m_connecting, m_inoperative, m_noSignal})
        overlay->raise();
    if (m_simulated)
        m_simulated->raise();
}

void EcgMonitorWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeOverlays();
}

// ---------------------------------------------------------------------------
// Context menus

void EcgMonitorWindow::on_ecgDisplay1_customContextMenuRequested(const QPoint& pos)
{
    m_panels->showMenu(ui->ecgDisplay1, pos);
}

void EcgMonitorWindow::on_ecgDisplay2_customContextMenuRequested(const QPoint& pos)
{
    m_panels->showMenu(ui->ecgDisplay2, pos);
}

// ---------------------------------------------------------------------------
// Settings

void EcgMonitorWindow::readSettings()
{
    m_panels->readSettings(QLatin1String(SettingsGroup));
    TStudyRecorder::setLowBatteryThreshold(
        QSettings().value(QLatin1String(LowBatteryKey), TSettingsKeys::DefaultLowBatteryLevel).toDouble());
}

void EcgMonitorWindow::writeSettings() const
{
    m_panels->writeSettings(QLatin1String(SettingsGroup));
}
