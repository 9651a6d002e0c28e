#include "StressMonitorWindow.h"
#include "ui_StressMonitorWindow.h"

#include "AveragerBeatSource.h"
#include "BPDialog.h"
#include "ClippingHighlightProvider.h"
#include "ESCPPrinter.h"
#include "ElectrodeStatusFollower.h"
#include "ElectrodeStatusWidget.h"
#include "EngineStMarks.h"
#include "MonitorPanels.h"
#include "OverlayLabel.h"
#include "QSignalMonitorDisplay.h"
#include "TAcqDevice.h"
#include "TECGStripReport.h"
#include "THeartRateScale.h"
#include "TProtocol.h"
#include "TQtAcqDriver.h"
#include "TReportOptions.h"
#include "TSettingsKeys.h"
#include "TSignalBuffer.h"
#include "TSignalChannel.h"
#include "TStageEvent.h"
#include "TStageTable.h"
#include "TStressMonitorTexts.h"
#include "TStripPrintJob.h"
#include "TStudy.h"
#include "TStudyRecorder.h"
#include "TStudyStore.h"
#include "TTimeText.h"
#include "WaitCursor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QEventLoop>
#include <QHeaderView>
#include <QLabel>
#include <QSettings>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>

namespace {

const char* const SettingsGroup = "MonitorWindow";
const char* const LowBatteryKey = "Config/LowBatteryLevel";
const char* const AcqModeKey = "Config/AcqMode";
const QString BannerStyle =
    QStringLiteral("background: #b03a2e; color: white; font-weight: bold; font-size: 16px; padding: 6px 12px");
constexpr double HeartRateWindowSeconds = 120.0;
constexpr int EventEntryMs = 10000;

QString textOf(const std::exception& e)
{
    return QString::fromLocal8Bit(e.what());
}

} // namespace

StressMonitorWindow::StressMonitorWindow(TAcqDevice* device, TStudy* study, const TProtocol* protocol,
                                         TExerciseEquipment* equipment, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::StressMonitorWindow>()), m_device(device), m_study(study),
      m_protocol(protocol)
{
    ui->setupUi(this);
    ui->btnBP->setDefaultAction(ui->actionBP);
    // The ECG takes most of the width; the table and trend the rest.
    ui->splitter->setStretchFactor(0, 3);
    ui->splitter->setStretchFactor(1, 1);
    ui->splitter->setSizes({900, 540});
    ui->splitter->setChildrenCollapsible(false);
    m_protocolType = protocol ? protocol->type() : TProtocol::Ecg;
    m_workloadUnit = TStageTable::workloadUnitFromSettings();

    m_recorder = std::make_unique<TStudyRecorder>(device, study, protocol, equipment);
    m_recorder->addListener(this);
    const TSignalBuffer* raw = m_recorder->rawSignal();
    m_channels = raw->channelCount();
    for (int c = 0; c < m_channels; ++c)
        m_leadNames << QString::fromUtf8(raw->channel(c)->name());
    m_heartRateTrend.setTrend(study->results().trend(QStringLiteral("BPMTrend")));
    m_clock.start();
    m_watch.restart(m_clock.elapsed());
    m_recorder->startAcquisition();

    m_panels = std::make_unique<MonitorPanels>(ui->ecgDisplay1, ui->ecgDisplay2, this);
    m_panels->setChannels(m_channels);
    m_highlight = std::make_unique<ClippingHighlightProvider>(m_recorder->rawSignal());
    ui->ecgDisplay1->setHighlightProvider(m_highlight.get());
    ui->ecgDisplay2->setHighlightProvider(m_highlight.get());
    m_averageSource = std::make_unique<AveragerBeatSource>(m_recorder->averager());
    m_marks = std::make_unique<EngineStMarks>(m_recorder.get());
    for (QSignalMonitorDisplay* panel : {ui->ecgDisplay1, ui->ecgDisplay2}) {
        panel->setAverageBeatSource(m_averageSource.get());
        panel->setMarkProvider(m_marks.get());
    }

    ui->btnFilterNotch->setChecked(true);
    ui->btnFilterLowpass->setChecked(true);
    ui->btnFilterBaseline->setChecked(true);
    applyFilters();

    ui->graphicHR->setSource(&m_heartRateTrend);
    ui->graphicHR->setXFormat(QStringLiteral("mm:ss"));
    ui->graphicHR->setYFormat(QStringLiteral("%.0f"));
    ui->graphicHR->setColor(QColor(192, 57, 43));
    ui->graphicHR->setXRange(0.0, HeartRateWindowSeconds);
    ui->graphicHR->setYRange(THeartRateScale::Low, THeartRateScale::High);

    ui->btnStop->setEnabled(false);
    ui->btnNext->setEnabled(false);
    ui->btnRecovery->setEnabled(false);
    ui->actionSaveEvent->setEnabled(false);
    ui->btnStudyEvent->setEnabled(false);
    ui->btnStart->setFocus();

    const TStudyRecord& record = study->record();
    ui->lblPatientName->setText(QStringLiteral("<b>%1</b>").arg(
        QStringLiteral("%1, %2")
            .arg(record.patientProperty(QStringLiteral("lastName")),
                 record.patientProperty(QStringLiteral("firstName")))
            .toHtmlEscaped()));

    m_printIcon = OverlayLabel::icon(ui->frameEcg, QStringLiteral(":/res/Print-50.png"));
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
    m_banner = new QLabel(ui->frameEcg);
    m_banner->setObjectName(QStringLiteral("lblBanner"));
    m_banner->setStyleSheet(BannerStyle);
    m_banner->setAlignment(Qt::AlignCenter);
    m_banner->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_banner->hide();
    if (QSettings().value(QLatin1String(AcqModeKey), QString()).toString() == QLatin1String("demo")) {
        m_simulated = OverlayLabel::notice(ui->frameEcg, tr("Simulated ECG"), QStringLiteral("lblSimulated"));
        m_simulated->adjustSize();
        m_simulated->show();
    }
    m_electrodes = std::make_unique<ElectrodeStatusFollower>(ui->frameEcg);

    m_eventTimer = new QTimer(this);
    m_eventTimer->setSingleShot(true);
    m_eventTimer->setInterval(EventEntryMs);
    connect(m_eventTimer, &QTimer::timeout, this, &StressMonitorWindow::onEventTimer);
    resetEventEntry();

    m_statusTimer = new QTimer(this);
    m_statusTimer->setInterval(1000);
    connect(m_statusTimer, &QTimer::timeout, this, &StressMonitorWindow::onStatusTimer);
    m_statusTimer->start();
    // A lost signal is told within two seconds: checked four times a second
    // against a silence of one.
    m_watchTimer = new QTimer(this);
    m_watchTimer->setInterval(250);
    connect(m_watchTimer, &QTimer::timeout, this, &StressMonitorWindow::onSignalWatchTimer);
    m_watchTimer->start();

    readSettings();
    refreshStageLabel();
    refreshTimeLabels();
    refreshTable();
    placeOverlays();
}

StressMonitorWindow::~StressMonitorWindow()
{
    finishRecording();
    endStripPrint(PrintWaitOnCloseMs);
    writeSettings();
}

// ---------------------------------------------------------------------------
// Panels

void StressMonitorWindow::applyFilters()
{
    if (!m_recorder)
        return;
    const bool baseline = ui->btnFilterBaseline->isChecked();
    try {
        m_panels->setSignal(
            m_recorder->setFilters(ui->btnFilterNotch->isChecked(), ui->btnFilterLowpass->isChecked(), baseline),
            !baseline);
    } catch (const std::exception& e) {
        showBanner(textOf(e));
    }
}

void StressMonitorWindow::on_btnSpeed12_clicked()
{
    m_panels->setSpeed(12.5);
}

void StressMonitorWindow::on_btnSpeed25_clicked()
{
    m_panels->setSpeed(25.0);
}

void StressMonitorWindow::on_btnSpeed50_clicked()
{
    m_panels->setSpeed(50.0);
}

void StressMonitorWindow::on_btnAmp5_clicked()
{
    m_panels->setAmplitude(5.0);
}

void StressMonitorWindow::on_btnAmp10_clicked()
{
    m_panels->setAmplitude(10.0);
}

void StressMonitorWindow::on_btnAmp20_clicked()
{
    m_panels->setAmplitude(20.0);
}

void StressMonitorWindow::on_btnFilterNotch_clicked()
{
    applyFilters();
}

void StressMonitorWindow::on_btnFilterLowpass_clicked()
{
    applyFilters();
}

void StressMonitorWindow::on_btnFilterBaseline_clicked()
{
    applyFilters();
}

// ---------------------------------------------------------------------------
// Stages

void StressMonitorWindow::on_btnStart_clicked()
{
    if (!m_recorder || m_recorder->isRecording() || m_state != Monitoring)
        return;
    ui->btnStart->setEnabled(false);
    m_recorder->start(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")));
}

void StressMonitorWindow::on_btnNext_clicked()
{
    changeStage(false);
}

void StressMonitorWindow::on_btnRecovery_clicked()
{
    changeStage(true);
}

void StressMonitorWindow::changeStage(bool toRecovery)
{
    if (!m_recorder || !m_recorder->isRecording() || m_state != Recording)
        return;
    // The pressure typed later belongs, by its time, to the stage ending now.
    openBloodPressurePrompt();
    m_printDeferred = true;
    m_bpPromptArmed = false;
    if (toRecovery)
        m_recorder->recovery();
    else
        m_recorder->nextStage();
}

void StressMonitorWindow::on_actionBP_triggered()
{
    // As Next does, without changing the stage.
    if (m_recorder && m_recorder->isRecording() && m_state == Recording)
        openBloodPressurePrompt();
}

void StressMonitorWindow::on_btnStop_clicked()
{
    if (!m_recorder || !m_recorder->isRecording() || m_state != Recording)
        return;
    m_state = Stopping;
    m_bpPromptArmed = false;
    m_printAtStageChange = true;
    // The final pressure: a prompt already open becomes the final one.
    m_inFinalPrompt = true;
    if (m_bpDialog) {
        m_bpDialog->hide();
        m_bpDialog->setWindowModality(Qt::ApplicationModal);
        m_bpDialog->show();
        m_bpDialog->raise();
        m_bpDialog->activateWindow();
    } else {
        openBloodPressurePrompt();
        if (m_bpDialog)
            m_bpDialog->setWindowModality(Qt::ApplicationModal);
    }
    waitForBloodPressurePrompt();
    m_inFinalPrompt = false;
    if (m_recorder && m_recorder->isRecording())
        m_recorder->stop();
    {
        WaitCursor wait;
        while (m_printing)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::ExcludeUserInputEvents, 50);
    }
    close();
}

void StressMonitorWindow::finishRecording()
{
    closeBloodPressurePrompt();
    if (!m_recorder)
        return;
    m_statusTimer->stop();
    m_watchTimer->stop();
    m_eventTimer->stop();
    try {
        if (m_recorder->isRecording())
            m_recorder->stop();
        m_recorder->stopAcquisition();
    } catch (const std::exception& e) {
        showBanner(textOf(e));
    }
    m_recordedSomething = m_recorder->recordedSamples() > 0;
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
}

void StressMonitorWindow::closeEvent(QCloseEvent* event)
{
    if (m_inFinalPrompt) {
        // Stop is waiting for its prompt: the prompt goes, and Stop closes the
        // window once it has ended the recording.
        m_closeRequested = true;
        closeBloodPressurePrompt();
        event->ignore();
        return;
    }
    finishRecording();
    endStripPrint(PrintWaitOnCloseMs);
    m_state = Closed;
    emit closing();
    event->accept();
}

// ---------------------------------------------------------------------------
// Blood pressure

bool StressMonitorWindow::openBloodPressurePrompt()
{
    if (m_bpDialog || !m_recorder)
        return false;
    const double time = TStressMonitorTexts::bloodPressureTime(m_recorder->recordingTime());
    auto* dialog = new BPDialog(this, TStressMonitorTexts::bloodPressurePromptText(currentStageName(),
                                                                                   currentLoadText()));
    dialog->setObjectName(QStringLiteral("bpDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint);
    connect(dialog, &QDialog::accepted, this, [this, dialog, time]() {
        bloodPressureTaken(dialog->systolic(), dialog->diastolic(), dialog->print(), time);
    });
    connect(dialog, &QDialog::rejected, this, &StressMonitorWindow::bloodPressureCancelled);
    m_bpDialog = dialog;
    dialog->show();
    return true;
}

void StressMonitorWindow::bloodPressureTaken(int systolic, int diastolic, bool print, double time)
{
    if (!m_recorder)
        return;
    m_recorder->addBP(systolic, diastolic, time);
    refreshTable();
    if (print) {
        if (m_printDeferred) {
            m_printDeferred = false;
            printStageStrip();
        }
    } else {
        m_printDeferred = false;
        m_printAtStageChange = false;
    }
}

void StressMonitorWindow::bloodPressureCancelled()
{
    // No pressure, no decision to print: a strip left waiting does not come
    // out later with another prompt.
    m_printDeferred = false;
}

void StressMonitorWindow::waitForBloodPressurePrompt()
{
    if (!m_bpDialog)
        return;
    QEventLoop loop;
    connect(m_bpDialog.data(), &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec();
}

void StressMonitorWindow::closeBloodPressurePrompt()
{
    // No prompt outlives the engine it reports to.
    delete m_bpDialog.data();
}

// ---------------------------------------------------------------------------
// Events

void StressMonitorWindow::on_actionSaveEvent_triggered()
{
    if (!m_recorder || !m_recorder->isRecording() || m_eventEntryActive)
        return;
    m_eventEntryActive = true;
    m_eventTime = std::max(0.0, m_recorder->recordingTime() - 5.0);
    ui->txtEventDescription->setPlaceholderText(tr("Describe event and press <Return>"));
    ui->txtEventDescription->setStyleSheet(QStringLiteral("background-color: lightyellow"));
    ui->txtEventDescription->setEnabled(true);
    ui->txtEventDescription->setFocus();
    m_eventTimer->start();
}

void StressMonitorWindow::on_txtEventDescription_returnPressed()
{
    if (ui->btnStudyEvent->isEnabled())
        ui->btnStudyEvent->click();
}

void StressMonitorWindow::on_txtEventDescription_textChanged(const QString& text)
{
    ui->btnStudyEvent->setEnabled(!text.isEmpty());
}

void StressMonitorWindow::on_btnStudyEvent_clicked()
{
    const QString description = ui->txtEventDescription->text().trimmed();
    if (!m_eventEntryActive || description.isEmpty()) {
        resetEventEntry();
        return;
    }
    TStudyEvent event;
    event.description = description;
    event.position = m_eventTime;
    event.duration = 7.0;
    m_study->record().events.append(event);
    resetEventEntry();
}

void StressMonitorWindow::onEventTimer()
{
    resetEventEntry();
}

void StressMonitorWindow::resetEventEntry()
{
    m_eventEntryActive = false;
    ui->txtEventDescription->clear();
    ui->txtEventDescription->setEnabled(false);
    ui->txtEventDescription->setStyleSheet(QString());
    ui->txtEventDescription->setPlaceholderText(tr("Press <Space> to mark event"));
    ui->btnStudyEvent->setEnabled(false);
    m_eventTimer->stop();
    if (ui->btnStop->isEnabled())
        ui->btnStop->setFocus();
}

// ---------------------------------------------------------------------------
// The stage strip

void StressMonitorWindow::printStageStrip()
{
    const QVector<TStudyEvent>& events = m_study->record().events;
    if (events.isEmpty() || (m_printJob && m_printJob->isRunning()))
        return;
    TReportOptions options = TReportOptions::fromSettings();
    options.notch = ui->btnFilterNotch->isChecked();
    options.lowpass = ui->btnFilterLowpass->isChecked();
    options.baseline = ui->btnFilterBaseline->isChecked();
    options.startTime = events.last().position;
    TStripContent content;
    {
        // The strip is copied here; the printing runs on the thread pool and
        // holds nothing of the study.
        WaitCursor wait;
        try {
            content = TECGStripReport::content(*m_study, options);
        } catch (const std::exception& e) {
            showBanner(textOf(e));
            return;
        }
    }
    m_printJob = std::make_unique<TStripPrintJob>(std::move(content), options.printerName);
    m_printJob->setPace(ESCPPrinter::Pace::fromSettings());
    connect(m_printJob.get(), &TStripPrintJob::finished, this, &StressMonitorWindow::stripFinished);
    m_printing = true;
    m_printJob->start();
}

void StressMonitorWindow::stripFinished()
{
    m_printing = false;
    if (m_printJob && !m_printJob->error().isEmpty() && m_printJob->error() != ESCPPrinter::cancelledText())
        showBanner(m_printJob->error());
}

void StressMonitorWindow::endStripPrint(int timeoutMs)
{
    if (!m_printJob)
        return;
    if (m_printJob->isRunning() && !m_printJob->wait(timeoutMs)) {
        m_printJob->cancel();
        m_printJob->wait(timeoutMs);
    }
    m_printing = false;
    m_printJob.reset();
}

// ---------------------------------------------------------------------------
// The engine's notices

void StressMonitorWindow::update(TStudyRecorder* recorder)
{
    m_watch.observe(recorder->rawSignal()->length(), m_clock.elapsed());
    m_panels->refresh();
    if (!recorder->isRecording() || m_state != Recording || !m_bpPromptArmed || m_bpDialog)
        return;
    const TProtocol* planned = recorder->protocol();
    const int stage = recorder->stageIndex();
    if (!planned || stage < 0 || stage >= planned->stageCount())
        return;
    if (TStressMonitorTexts::automaticPromptDue(planned->stage(stage).duration(), recorder->recordingTime(),
                                                recorder->stageStart())) {
        m_printAtStageChange = true;
        openBloodPressurePrompt();
        m_bpPromptArmed = false;
    }
}

void StressMonitorWindow::started(TStudyRecorder* recorder)
{
    m_state = Recording;
    ui->btnStop->setEnabled(true);
    ui->actionSaveEvent->setEnabled(true);
    ui->btnRecovery->setEnabled(false);
    resetEventEntry();
    refreshStageLabel();
    refreshTimeLabels();
    refreshTable();
    const TProtocol* planned = recorder->protocol();
    ui->btnNext->setEnabled(planned && planned->stageCount() > 1);
    m_bpPromptArmed = true;
    ui->btnStop->setFocus();
    storeStudy();
}

void StressMonitorWindow::stageChanged(TStudyRecorder* recorder)
{
    const TProtocol* executed = m_study->protocol();
    if (executed && executed->stageCount() > 0) {
        const TStudyEvent event = TStageEvent::forLastStage(*executed, m_protocolType);
        QVector<TStudyEvent>& events = m_study->record().events;
        // A stage too short to count was folded into the one before: that
        // stage's event moves to its new end rather than being marked twice.
        if (executed->stageCount() == m_stageEventStages && m_stageEventIndex >= 0 &&
            m_stageEventIndex < events.size()) {
            events[m_stageEventIndex] = event;
        } else {
            events.append(event);
            m_stageEventIndex = events.size() - 1;
            m_stageEventStages = executed->stageCount();
        }
    }
    storeStudy();
    refreshStageLabel();
    refreshTimeLabels();
    refreshTable();
    ui->treeProtocol->scrollToBottom();
    const TProtocol* planned = recorder->protocol();
    const int stage = recorder->stageIndex();
    const bool last = !planned || stage >= planned->stageCount() - 1;
    ui->btnNext->setEnabled(recorder->isRecording() && !last);
    ui->btnRecovery->setEnabled(recorder->isRecording() && planned && stage < planned->stageCount() &&
                                planned->stage(stage).phase() == TProtocolStage::Exercise);
    m_bpPromptArmed = true;
    if (m_printAtStageChange) {
        if (m_bpDialog)
            m_printDeferred = true;
        else
            printStageStrip();
    }
    m_printAtStageChange = false;
}

void StressMonitorWindow::storeStudy()
{
    // What is recorded so far is on disk should the program end abruptly.
    if (TStudyStore* store = TStudyStore::instance()) {
        try {
            store->updateStudy(m_study->record());
        } catch (const std::exception& e) {
            showBanner(textOf(e));
        }
    }
}

void StressMonitorWindow::message(TStudyRecorder*, const QString& text)
{
    showBanner(text);
}

void StressMonitorWindow::showBanner(const QString& text)
{
    if (text.isEmpty() || m_bannerLines.contains(text))
        return;
    m_bannerLines.append(text);
    m_banner->setText(bannerText());
    m_banner->adjustSize();
    m_banner->show();
    placeOverlays();
}

// ---------------------------------------------------------------------------
// Labels and table

QString StressMonitorWindow::currentStageName() const
{
    if (!m_recorder || !m_protocol || m_protocol->stageCount() == 0)
        return QString();
    if (!m_recorder->isRecording() && m_state == Monitoring)
        return TStressMonitorTexts::stageName(m_protocolType, m_protocol->stage(0).phase(), 1);
    return TStressMonitorTexts::stageName(m_protocolType, m_recorder->currentPhase(), m_recorder->stageInPhase());
}

QString StressMonitorWindow::currentLoadText() const
{
    if (!m_protocol)
        return QString();
    const int stage = m_recorder ? m_recorder->stageIndex() : 0;
    return TStressMonitorTexts::loadText(*m_protocol, stage, m_workloadUnit);
}

void StressMonitorWindow::refreshStageLabel()
{
    const QString name = m_protocol ? QString::fromUtf8(m_protocol->name()) : QString();
    ui->lblStageInfo->setText(TStressMonitorTexts::stageLabel(name, currentStageName(), currentLoadText()));
}

void StressMonitorWindow::refreshTimeLabels()
{
    if (!m_recorder || !m_protocol)
        return;
    const int stage = m_recorder->stageIndex();
    const double duration = stage >= 0 && stage < m_protocol->stageCount() ? m_protocol->stage(stage).duration() : 0;
    const double elapsed = m_recorder->isRecording() ? m_recorder->recordingTime() - m_recorder->stageStart() : 0.0;
    ui->lblStageElapsedTime->setText(TStressMonitorTexts::stageElapsed(elapsed));
    ui->lblStageTime->setText(TStressMonitorTexts::stageDuration(duration));
}

void StressMonitorWindow::refreshTable()
{
    const TProtocol* executed = m_study->protocol();
    const TProtocol none;
    const TStageTable table(executed ? *executed : none, m_protocolType, m_study->results(), m_leadNames,
                            m_workloadUnit);
    QTreeWidget* tree = ui->treeProtocol;
    tree->setUpdatesEnabled(false);
    tree->clear();
    tree->setHeaderLabels(table.headers());
    for (int r = 0; r < table.rowCount(); ++r) {
        auto* item = new QTreeWidgetItem(tree, table.row(r));
        for (int c = 1; c < item->columnCount(); ++c)
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int c = 0; c < tree->columnCount(); ++c)
        tree->resizeColumnToContents(c);
    tree->setUpdatesEnabled(true);
}

void StressMonitorWindow::refreshHeartRate()
{
    if (!m_recorder)
        return;
    const int zoneMax = m_study->property(QStringLiteral("patient/trainingZoneMax")).trimmed().toInt();
    const int zoneSub = m_study->property(QStringLiteral("patient/trainingZoneSubMax")).trimmed().toInt();
    // No beat for a while (electrode off, asystole): no rate rather than the last one.
    const QString rate = TTimeText::liveHeartRate(m_recorder->lastBeatMeanRR(), m_recorder->lastBeatRR(),
                                                  m_recorder->secondsSinceLastBeat());
    ui->lblHR->setText(rate);
    const int hr = rate.toInt();
    ui->lblHRInfo->setText(hr > 0 ? TStressMonitorTexts::heartRateInfo(hr, zoneMax, zoneSub)
                                  : TStressMonitorTexts::noHeartRateInfo(zoneMax, zoneSub));
}

void StressMonitorWindow::refreshHeartRatePlot()
{
    if (!m_recorder)
        return;
    const double now = m_recorder->recordingTime();
    const double from = std::max(0.0, now - HeartRateWindowSeconds);
    const double to = std::max(HeartRateWindowSeconds, now);
    const TTrend* trend = m_heartRateTrend.trend();
    const THeartRateScale::Range range =
        trend ? THeartRateScale::forRates(trend->times(), trend->values(), from, to) : THeartRateScale::Range();
    ui->graphicHR->setXRange(from, to);
    ui->graphicHR->setYRange(range.low, range.high);
    ui->graphicHR->refresh();
}

// ---------------------------------------------------------------------------
// Status

QString StressMonitorWindow::noSignalText() const
{
    return m_recorder ? m_watch.text(m_clock.elapsed()) : QString();
}

void StressMonitorWindow::onStatusTimer()
{
    if (!m_recorder)
        return;
    // An equipment controller that has given up is told even while no
    // samples come.
    m_recorder->checkEquipment();
    // Blinking: an icon that is due flips every tick.
    m_printIcon->setVisible(m_printing && !m_printIcon->isVisible());
    m_lowBattery->setVisible(m_recorder->lowBattery() && !m_lowBattery->isVisible());
    const bool connecting = !m_device->isOk() || m_watch.isSilent(m_clock.elapsed());
    m_connecting->setVisible(connecting && !m_connecting->isVisible());
    m_electrodes->update(m_recorder->driver());
    m_inoperative->setVisible(m_recorder->anyLeadOff());
    if (m_recorder->isRecording()) {
        ui->lblTotalElapsedTime->setText(tr("%1 total").arg(TTimeText::elapsed(m_recorder->recordingTime())));
        refreshTimeLabels();
        refreshHeartRate();
        refreshHeartRatePlot();
    }
    placeOverlays();
}

void StressMonitorWindow::onSignalWatchTimer()
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

void StressMonitorWindow::placeOverlays()
{
    const QRect area = ui->frameEcg->rect();
    m_printIcon->move(area.left() + 10, area.bottom() - 60);
    m_lowBattery->move(area.right() - 60, area.bottom() - 60);
    m_connecting->move(area.center().x() - 25, area.center().y() - 25);
    // Top right, where the electrode panel goes when an electrode is off.
    m_inoperative->move(area.right() - m_inoperative->width() - 10, 10);
    if (m_simulated)
        m_simulated->move(area.right() - m_simulated->width() - 180, 10);
    if (m_banner->isVisible()) {
        m_banner->setMaximumWidth(std::max(200, area.width() - 40));
        m_banner->adjustSize();
        m_banner->move(area.center().x() - m_banner->width() / 2, 48);
    }
    const int noSignalWidth = std::min(area.width() - 40, 720);
    m_noSignal->setGeometry(area.center().x() - noSignalWidth / 2, area.center().y() + 40, noSignalWidth, 110);
    for (QLabel* overlay : {m_printIcon, m_lowBattery, m_connecting, m_inoperative, m_noSignal, m_banner})
        overlay->raise();
    if (m_simulated)
        m_simulated->raise();
}

void StressMonitorWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    placeOverlays();
}

// ---------------------------------------------------------------------------
// Display menu

void StressMonitorWindow::on_ecgDisplay1_customContextMenuRequested(const QPoint& pos)
{
    m_panels->showMenu(ui->ecgDisplay1, pos);
}

void StressMonitorWindow::on_ecgDisplay2_customContextMenuRequested(const QPoint& pos)
{
    m_panels->showMenu(ui->ecgDisplay2, pos);
}

// ---------------------------------------------------------------------------
// Settings

void StressMonitorWindow::readSettings()
{
    m_panels->readSettings(QLatin1String(SettingsGroup));
    TStudyRecorder::setLowBatteryThreshold(
        QSettings().value(QLatin1String(LowBatteryKey), TSettingsKeys::DefaultLowBatteryLevel).toDouble());
}

void StressMonitorWindow::writeSettings() const
{
    m_panels->writeSettings(QLatin1String(SettingsGroup));
}
