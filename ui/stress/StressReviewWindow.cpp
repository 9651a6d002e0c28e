#include "StressReviewWindow.h"
#include "ui_StressReviewWindow.h"

#include "AveragerBeatSource.h"
#include "ColorSchemes.h"
#include "DisplayMenu.h"
#include "EchoDialog.h"
#include "EventListEditor.h"
#include "PlotAxis.h"
#include "PredefinedConclusionPanel.h"
#include "ReportDialog.h"
#include "StudyDialog.h"
#include "TBeatAverager.h"
#include "TBeatStore.h"
#include "TPagedFilterChain.h"
#include "TProtocol.h"
#include "TQrsDetector.h"
#include "TSignalBuffer.h"
#include "TSignalChannel.h"
#include "TStageEditor.h"
#include "TStageTable.h"
#include "TTreadmillIndices.h"
#include "TStressMonitorTexts.h"
#include "EdfExportPrompt.h"
#include "TStudy.h"
#include "TStudyStore.h"
#include "TTrend.h"

#include <QDir>
#include <QEvent>
#include <QDateTime>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>

namespace {

const QString Group = QStringLiteral("ReviewWindow");
const char* const SchemeKey = "ReviewWindow/DisplayColorScheme";
const char* const HexaxialKey = "ReviewWindow/HexaxialOrder";
const char* const AverageKey = "ReviewWindow/ShowAverageBeat";
const char* const StLeadKey = "ReviewWindow/STLeadName";
const char* const GraphicsKey = "ReviewWindow/ShowGraphics";

// The rest stage's reference beat is the average of its last seconds.
constexpr double ReferenceSeconds = 20.0;
// The inset's current average: the beats of the stretch shown, up to this long.
constexpr double ShownAverageSeconds = 10.0;
const QColor StageHighlight(0, 0, 0, 20);
// The rate shown at a time: that of a beat at most this far from it.
constexpr double NearRateSeconds = 5.0;

// How each trend graphic starts out and grows with its data.
struct GraphicStyle
{
    const char* title;
    const char* format;
    QColor color;
    PlotAxis::Range usual;
    double step;
    double margin;
    double floor;
};

const GraphicStyle Styles[StressReviewWindow::GraphicCount] = {
    {QT_TRANSLATE_NOOP("StressReviewWindow", "HR"), "%.0f", QColor(192, 57, 43), {50.0, 200.0}, 10.0, 5.0, 0.0},
    {QT_TRANSLATE_NOOP("StressReviewWindow", "BP"), "%.0f", QColor(41, 98, 255), {0.0, 200.0}, 20.0, 5.0, 0.0},
    {QT_TRANSLATE_NOOP("StressReviewWindow", "DP"), "%.0f", QColor(142, 68, 173), {0.0, 20000.0}, 2000.0, 500.0, 0.0},
    {QT_TRANSLATE_NOOP("StressReviewWindow", "METS"), "%.1f", QColor(39, 174, 96), {0.0, 10.0}, 1.0, 0.5, 0.0},
    {"ST", "%+.1f", QColor(0, 0, 0), {-2.0, 2.0}, 1.0, 0.2, -1e9},
};
// A tilt test's heart rate and pressure start from these ranges.
constexpr PlotAxis::Range TiltHeartRate{50.0, 150.0};
constexpr PlotAxis::Range TiltPressure{0.0, 200.0};

QString clockText(double seconds, const char* format)
{
    const int whole = seconds > 0.0 ? int(seconds) : 0;
    return QString::asprintf(format, whole / 60, whole % 60);
}

} // namespace

StressReviewWindow::StressReviewWindow(TStudy* study, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::StressReviewWindow>()), m_study(study)
{
    ui->setupUi(this);
    // The table of ten columns and the graphics beside the recording.
    ui->splitter->setStretchFactor(0, 5);
    ui->splitter->setStretchFactor(1, 4);
    ui->splitter->setSizes({780, 620});
    const TStudyRecord& record = study->record();
    updateTitle();

    m_chain = std::make_unique<TPagedFilterChain>(study->recording());
    m_chain->setNotchType("50hz");
    m_chain->setLowpassType("40hz");
    m_predefined = std::make_unique<PredefinedConclusionPanel>(ui->listPredefinedText, ui->btnPredefinedUp,
                                                               ui->btnPredefinedDown, ui->chkPredefinedAlphaSort,
                                                               ui->textConclusion);
    readSettings();
    ui->ecgDisplay1->setBeatList(study->beats());
    applyFilters();
    rebuildReferenceBeat();
    setupGraphics();
    fillTable();
    drawGraphics();

    m_events = new EventListEditor(ui->treeEvents, &m_study->record().events, this);
    m_events->setPositionSource([this]() { return ui->ecgDisplay1->startTime(); });
    m_events->setRecordingLength(study->recording()->durationSeconds());
    connect(m_events, &EventListEditor::eventsChanged, this, [this]() { m_modified = true; });
    ui->btnRemoveEvent->setEnabled(false);

    ui->textConclusion->setPlainText(record.property(QStringLiteral("conclusion")));
    connect(ui->textConclusion, &QPlainTextEdit::textChanged, this, &StressReviewWindow::onConclusionChanged);
    connect(ui->ecgDisplay1, &QSignalBrowseDisplay::startTimeChanged, this,
            &StressReviewWindow::onStartTimeChanged);
    onStartTimeChanged();
    // The stretch the inset averages is as long as the display shows.
    ui->ecgDisplay1->installEventFilter(this);

    // The report goes through the process's study store.
    ui->btnReport->setEnabled(TStudyStore::instance() != nullptr);
    ui->tabs->setCurrentIndex(0);
    m_modified = false;
}

StressReviewWindow::~StressReviewWindow()
{
    writeSettings();
    // The displays read the chain and the averager until they go.
    ui->ecgDisplay1->setAverageBeatSource(nullptr);
    ui->ecgDisplay1->setSignal(nullptr);
    m_chain.reset();
}

// ---------------------------------------------------------------------------
// The study

bool StressReviewWindow::isTiltTest() const
{
    return protocolType() == TProtocol::TiltTest
           || m_study->property(QStringLiteral("studyType")) == QLatin1String("Tilt test");
}

int StressReviewWindow::protocolType() const
{
    const TProtocol* protocol = m_study->protocol();
    return protocol ? protocol->type() : TProtocol::Treadmill;
}

QStringList StressReviewWindow::leadNames() const
{
    QStringList names;
    const TSignalBuffer* recording = m_study->recording();
    for (int c = 0; recording && c < recording->channelCount(); ++c)
        names << QString::fromLatin1(recording->channel(c)->name());
    return names;
}

QString StressReviewWindow::workloadUnit() const
{
    return TStageTable::workloadUnitFromSettings();
}

double StressReviewWindow::patientWeight() const
{
    bool ok = false;
    const double weight = m_study->property(QStringLiteral("patient/weight")).trimmed().toDouble(&ok);
    return ok && std::isfinite(weight) && weight > 0.0 ? weight : 0.0;
}

QString StressReviewWindow::phaseName(int protocolType, int phase)
{
    return TStageTable::phaseName(protocolType, phase);
}

QString StressReviewWindow::stLeadName() const
{
    return leadNames().value(m_stLead);
}

QPlotGraphic* StressReviewWindow::graphic(Graphic which) const
{
    switch (which) {
    case HeartRateGraphic: return ui->graphicHR;
    case PressureGraphic: return ui->graphicBP;
    case DoubleProductGraphic: return ui->graphicDP;
    case MetsGraphic: return ui->graphicMETS;
    case StGraphic: return ui->graphicST;
    case GraphicCount: break;
    }
    return nullptr;
}

int StressReviewWindow::stageHolding(double seconds) const
{
    const TProtocol* protocol = m_study->protocol();
    if (!protocol || protocol->stageCount() == 0)
        return -1;
    const int k = protocol->stageAt(seconds);
    if (k >= 0)
        return k;
    return seconds >= protocol->totalDuration() ? protocol->stageCount() : 0;
}

// ---------------------------------------------------------------------------
// Signal, filters and beats

bool StressReviewWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Once the display has taken its new size, which sets how long the
    // stretch is whose beats the inset averages.
    if (watched == ui->ecgDisplay1 && event->type() == QEvent::Resize && ui->ecgDisplay1->showAverageBeat())
        QMetaObject::invokeMethod(
            this,
            [this]() {
                averageShownBeats();
                ui->ecgDisplay1->refresh();
            },
            Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}

void StressReviewWindow::applyFilters()
{
    try {
        m_chain->rebuild(ui->btnFilterNotch->isChecked(), ui->btnFilterLowpass->isChecked(),
                         ui->btnFilterBaseline->isChecked());
    } catch (const std::exception& e) {
        QMessageBox::warning(this, tr("Warning"), QString::fromLocal8Bit(e.what()));
    }
    ui->ecgDisplay1->setSignal(m_chain->output());
}

void StressReviewWindow::rebuildReferenceBeat()
{
    // The beats are averaged as the recorder averaged them while recording:
    // unfiltered, whatever filters the strip is shown through. Through them a
    // caliper in the inset would read the QRS a sixth smaller (the 40 Hz
    // low-pass) and an ST depression shallower (the input high-pass); averaging
    // itself removes wander and noise.
    ui->ecgDisplay1->setAverageBeatSource(nullptr);
    m_averager = std::make_unique<TBeatAverager>(m_study->recording(), ReferenceSeconds);
    const TProtocol* protocol = m_study->protocol();
    const TBeatStore* beats = m_study->beats();
    if (protocol && protocol->stageCount() > 0 && beats) {
        const double end = protocol->stageEndTime(0);
        const double start = std::max(0.0, end - ReferenceSeconds);
        for (int i = beats->next(start - 1e-9); i >= 0 && i < beats->count(); ++i) {
            const TBeat beat = beats->beat(i);
            if (beat.time() >= end)
                break;
            // The beats the detector took as regular (the stored label carries
            // the class).
            if (beat.label() == TQrsDetector::Normal)
                m_averager->addBeat(beat);
        }
        if (m_averager->beatCount() > 0)
            m_averager->takeReference();
    }
    m_averageSource = std::make_unique<AveragerBeatSource>(m_averager.get());
    averageShownBeats();
    ui->ecgDisplay1->setAverageBeatSource(m_averageSource.get());
}

void StressReviewWindow::averageShownBeats()
{
    if (!m_averager)
        return;
    m_averager->reset();
    const TBeatStore* beats = m_study->beats();
    if (!beats)
        return;
    const double start = ui->ecgDisplay1->startTime();
    const double end = start + std::min(ShownAverageSeconds, std::max(1.0, ui->ecgDisplay1->windowSeconds()));
    for (int i = beats->next(start - 1e-9); i >= 0 && i < beats->count(); ++i) {
        const TBeat beat = beats->beat(i);
        if (beat.time() >= end)
            break;
        if (beat.label() >= 0)
            m_averager->addBeat(beat);
    }
}

void StressReviewWindow::on_btnFilterNotch_clicked()
{
    applyFilters();
}

void StressReviewWindow::on_btnFilterLowpass_clicked()
{
    applyFilters();
}

void StressReviewWindow::on_btnFilterBaseline_clicked()
{
    applyFilters();
}

void StressReviewWindow::on_btnSpeed12_clicked()
{
    ui->ecgDisplay1->setSpeed(12.5);
}

void StressReviewWindow::on_btnSpeed25_clicked()
{
    ui->ecgDisplay1->setSpeed(25.0);
}

void StressReviewWindow::on_btnSpeed50_clicked()
{
    ui->ecgDisplay1->setSpeed(50.0);
}

void StressReviewWindow::on_btnAmp5_clicked()
{
    ui->ecgDisplay1->setAmplitude(5.0);
}

void StressReviewWindow::on_btnAmp10_clicked()
{
    ui->ecgDisplay1->setAmplitude(10.0);
}

void StressReviewWindow::on_btnAmp20_clicked()
{
    ui->ecgDisplay1->setAmplitude(20.0);
}

void StressReviewWindow::onStartTimeChanged()
{
    const double t = ui->ecgDisplay1->startTime();
    ui->lblTotalElapsedTime->setText(clockText(t, "%2d:%2.2d") + QLatin1Char(' ') + tr("total"));
    const TProtocol* protocol = m_study->protocol();
    const int k = stageHolding(t);
    if (protocol && k >= 0 && k < protocol->stageCount()) {
        ui->lblStageTime->setText(clockText(t - protocol->stageStartTime(k), "/ %2d:%2.2d"));
        ui->lblStage->setText(TStressMonitorTexts::stageLabel(
            QString::fromUtf8(protocol->name()), TStageTable::stageName(*protocol, protocolType(), k),
            TStressMonitorTexts::loadText(*protocol, k, workloadUnit())));
    } else {
        ui->lblStageTime->setText(QStringLiteral("---"));
        ui->lblStage->setText(QStringLiteral("---"));
    }

    // The heart rate the HR graphic shows at that time, while beats were
    // detected there.
    QString rate;
    if (const TTrend* trend = m_study->results().trend(QStringLiteral("BPMTrend")); trend && !trend->isEmpty()) {
        const auto near = std::lower_bound(trend->times().begin(), trend->times().end(), t - NearRateSeconds);
        if (near != trend->times().end() && *near <= t + NearRateSeconds) {
            const double bpm = trend->valueAt(t);
            if (std::isfinite(bpm) && bpm > 0.0 && bpm < 1000.0)
                rate = QString::number(int(bpm));
        }
    }
    const int zoneMax = m_study->property(QStringLiteral("patient/trainingZoneMax")).toInt();
    const int zoneSubMax = m_study->property(QStringLiteral("patient/trainingZoneSubMax")).toInt();
    ui->lblHR->setText(rate.isEmpty() ? QStringLiteral("---") : rate);
    ui->lblHRInfo->setText(rate.isEmpty() ? TStressMonitorTexts::noHeartRateInfo(zoneMax, zoneSubMax)
                                          : TStressMonitorTexts::heartRateInfo(rate.toInt(), zoneMax, zoneSubMax));
    if (ui->ecgDisplay1->showAverageBeat()) {
        averageShownBeats();
        ui->ecgDisplay1->refresh();
    }
}

// ---------------------------------------------------------------------------
// Stages

void StressReviewWindow::showTime(double seconds)
{
    // The display tells of the user's scrolling only.
    ui->ecgDisplay1->setStartTime(seconds);
    onStartTimeChanged();
}

void StressReviewWindow::on_btnPrevStage_clicked()
{
    const TProtocol* protocol = m_study->protocol();
    const int k = stageHolding(ui->ecgDisplay1->startTime());
    if (protocol && k > 0)
        showTime(protocol->stageStartTime(k - 1));
}

void StressReviewWindow::on_btnNextStage_clicked()
{
    const TProtocol* protocol = m_study->protocol();
    const int k = stageHolding(ui->ecgDisplay1->startTime());
    if (protocol && k >= 0 && k + 1 < protocol->stageCount())
        showTime(protocol->stageStartTime(k + 1));
}

int StressReviewWindow::currentStage() const
{
    const QTreeWidgetItem* item = ui->treeProtocol->currentItem();
    return item ? item->data(0, Qt::UserRole).toInt() : -1;
}

void StressReviewWindow::fillTable()
{
    const QSignalBlocker blocker(ui->treeProtocol);
    const TProtocol* protocol = m_study->protocol();
    const TProtocol none;
    const TStageTable table(protocol ? *protocol : none, protocolType(), m_study->results(), leadNames(),
                            workloadUnit(), m_stLead);
    ui->treeProtocol->setHeaderLabels(table.headers());
    // Rows are rewritten in place: the table may be filled from its own
    // itemChanged, while the edited item is still in use.
    while (ui->treeProtocol->topLevelItemCount() > table.rowCount())
        delete ui->treeProtocol->takeTopLevelItem(ui->treeProtocol->topLevelItemCount() - 1);
    for (int k = 0; k < table.rowCount(); ++k) {
        QTreeWidgetItem* item = ui->treeProtocol->topLevelItem(k);
        if (!item) {
            item = new QTreeWidgetItem(ui->treeProtocol);
            item->setData(0, Qt::UserRole, k);
            item->setFlags(item->flags() | Qt::ItemIsEditable);
        }
        const QStringList cells = table.row(k);
        for (int c = 0; c < cells.size(); ++c) {
            item->setText(c, cells[c]);
            item->setTextAlignment(c, c == 0 ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                             : int(Qt::AlignRight | Qt::AlignVCenter));
        }
    }
    for (int c = 0; c < ui->treeProtocol->columnCount(); ++c)
        ui->treeProtocol->resizeColumnToContents(c);
    // A treadmill test's fitness indices follow the per-stage heart rates.
    const bool treadmill = protocol && protocol->type() == 0;
    ui->lblFitness->setVisible(treadmill);
    ui->lblFitness->setText(treadmill ? TTreadmillIndices::of(*protocol, m_study->results()).summary() : QString());
}

void StressReviewWindow::on_treeProtocol_itemDoubleClicked(QTreeWidgetItem* item, int column)
{
    const QVector<TStageEditor::Column> columns = TStageEditor::columns(protocolType());
    if (item && column >= 0 && column < columns.size() && TStageEditor::isEditable(columns[column]))
        ui->treeProtocol->editItem(item, column);
}

void StressReviewWindow::on_treeProtocol_itemChanged(QTreeWidgetItem* item, int column)
{
    TProtocol* protocol = m_study->protocol();
    const QVector<TStageEditor::Column> columns = TStageEditor::columns(protocolType());
    if (!item || !protocol || column < 0 || column >= columns.size())
        return;
    TStageEditor editor(*protocol, m_study->results(), protocolType(), patientWeight(), workloadUnit(), m_stLead);
    if (editor.apply(item->data(0, Qt::UserRole).toInt(), columns[column], item->text(column))) {
        m_modified = true;
        drawGraphics();
        onStartTimeChanged();
    }
    // The cell shows the stored value, or what it showed before a text that
    // did not read.
    fillTable();
}

void StressReviewWindow::on_treeProtocol_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem*)
{
    const TProtocol* protocol = m_study->protocol();
    const int k = current ? current->data(0, Qt::UserRole).toInt() : -1;
    if (!protocol || k < 0 || k >= protocol->stageCount())
        return;
    highlightStage(k);
    showTime(protocol->stageStartTime(k));
}

// ---------------------------------------------------------------------------
// Trend graphics

void StressReviewWindow::setupGraphics()
{
    const TStudyResults& results = m_study->results();
    m_sources[HeartRateGraphic].setTrend(results.trend(QStringLiteral("BPMTrend")));
    m_sources[PressureGraphic].setTrend(results.trend(QStringLiteral("sysBPTrend")));
    m_diastolicSource.setTrend(results.trend(QStringLiteral("diaBPTrend")));
    m_sources[DoubleProductGraphic].setTrend(results.trend(QStringLiteral("DPTrend")));
    m_sources[MetsGraphic].setTrend(results.trend(QStringLiteral("METSTrend")));
    // Millivolts shown as millimetres at 10 mm/mV, as the table shows them.
    m_sources[StGraphic] = TTrendPlotSource(results.trend(TStudyResults::stLevelTrendName(m_stLead)), 10.0);

    const bool tilt = isTiltTest();
    QPlotGraphic* lowest = nullptr;
    for (int g = 0; g < GraphicCount; ++g) {
        QPlotGraphic* plot = graphic(Graphic(g));
        const GraphicStyle& style = Styles[g];
        plot->setSource(&m_sources[size_t(g)]);
        plot->setTitle(tr(style.title));
        plot->setXFormat(QStringLiteral("mm:ss"));
        plot->setYFormat(QString::fromLatin1(style.format));
        plot->setColor(style.color);
        const bool shown = !tilt || g == HeartRateGraphic || g == PressureGraphic;
        plot->setVisible(shown);
        if (shown)
            lowest = plot;
    }
    ui->graphicBP->setSecondSource(&m_diastolicSource, QColor(0, 150, 199));
    ui->graphicMETS->setPlotType(QPlotGraphic::Steps);
    ui->graphicST->setTitle(tr("ST [%1]").arg(stLeadName()));
    for (int g = 0; g < GraphicCount; ++g)
        graphic(Graphic(g))->setShowXAxis(graphic(Graphic(g)) == lowest);
}

void StressReviewWindow::drawGraphics()
{
    const TProtocol* protocol = m_study->protocol();
    const double duration = std::max({1.0, m_study->recording() ? m_study->recording()->durationSeconds() : 0.0,
                                      protocol ? protocol->totalDuration() : 0.0});
    const bool tilt = isTiltTest();
    for (int g = 0; g < GraphicCount; ++g) {
        QPlotGraphic* plot = graphic(Graphic(g));
        const GraphicStyle& style = Styles[g];
        PlotAxis::Range usual = style.usual;
        if (tilt && g == HeartRateGraphic)
            usual = TiltHeartRate;
        if (tilt && g == PressureGraphic)
            usual = TiltPressure;
        PlotAxis::Range range = usual;
        for (const TTrendPlotSource* source : {&m_sources[size_t(g)], g == PressureGraphic ? &m_diastolicSource
                                                                                           : nullptr}) {
            if (!source || !source->trend())
                continue;
            std::vector<double> values(source->trend()->values());
            for (double& v : values)
                v *= source->scale();
            const PlotAxis::Range grown =
                PlotAxis::covering(source->trend()->times(), values, 0.0, duration, usual, style.step, style.margin,
                                   style.floor);
            range.low = std::min(range.low, grown.low);
            range.high = std::max(range.high, grown.high);
        }
        plot->setXRange(0.0, duration);
        plot->setYRange(range.low, range.high);
        plot->refresh();
    }
}

void StressReviewWindow::highlightStage(int stage)
{
    const TProtocol* protocol = m_study->protocol();
    if (!protocol || stage < 0 || stage >= protocol->stageCount())
        return;
    for (int g = 0; g < GraphicCount; ++g)
        graphic(Graphic(g))->setHighlight(0, protocol->stageStartTime(stage), protocol->stageEndTime(stage),
                                          StageHighlight);
}

void StressReviewWindow::on_graphicST_customContextMenuRequested(const QPoint& pos)
{
    QMenu menu(this);
    const QStringList names = leadNames();
    for (int lead = 0; lead < names.size(); ++lead) {
        QAction* action = menu.addAction(names[lead]);
        action->setCheckable(true);
        action->setChecked(lead == m_stLead);
        connect(action, &QAction::triggered, this, [this, lead]() { setStLead(lead); });
    }
    menu.exec(ui->graphicST->mapToGlobal(pos));
}

void StressReviewWindow::setStLead(int lead)
{
    if (lead < 0 || lead >= leadNames().size())
        lead = 0;
    m_stLead = lead;
    m_sources[StGraphic].setTrend(m_study->results().trend(TStudyResults::stLevelTrendName(lead)));
    ui->graphicST->setSource(&m_sources[StGraphic]);
    ui->graphicST->setTitle(tr("ST [%1]").arg(stLeadName()));
    fillTable();
    drawGraphics();
}

// ---------------------------------------------------------------------------
// Display menu

void StressReviewWindow::on_ecgDisplay1_customContextMenuRequested(const QPoint& pos)
{
    QSignalBrowseDisplay* display = ui->ecgDisplay1;
    const TSignalBuffer* signal = display->signal();
    if (!signal)
        return;
    bool reopen = true;
    while (reopen) {
        reopen = false;
        QMenu menu(this);
        DisplayMenu::addLeads(menu, *signal, display->settings(), [display, &reopen](int lead, bool on) {
            display->setLeadVisible(lead, on);
            reopen = true;
        });
        menu.addSeparator();
        if (signal->channelCount() >= 6)
            DisplayMenu::addToggle(menu, tr("Hexaxial order"), m_hexaxial, [this](bool on) { applyHexaxial(on); });
        DisplayMenu::addToggle(menu, tr("Average beat"), display->showAverageBeat(), [this, display](bool on) {
            display->setShowAverageBeat(on);
            if (on)
                averageShownBeats();
            display->refresh();
        });
        DisplayMenu::addToggle(menu, tr("Show graphics"), m_showGraphics, [this](bool on) { setShowGraphics(on); });
        DisplayMenu::addColorSchemes(menu, m_colorScheme, [this](const QString& name) { applyColorScheme(name); });
        menu.exec(display->mapToGlobal(pos));
    }
}

void StressReviewWindow::applyColorScheme(const QString& name)
{
    m_colorScheme = name;
    ColorSchemes::apply(name, *ui->ecgDisplay1);
}

void StressReviewWindow::applyHexaxial(bool on)
{
    m_hexaxial = on;
    if (m_chain->output()->channelCount() >= 6)
        ui->ecgDisplay1->setHexaxialOrder(on);
}

void StressReviewWindow::setShowGraphics(bool on)
{
    m_showGraphics = on;
    ui->frameGraphics->setVisible(on);
}

// ---------------------------------------------------------------------------
// Study data and report

void StressReviewWindow::updateTitle()
{
    const TStudyRecord& record = m_study->record();
    const QDateTime date = QDateTime::fromString(record.studyDateTime(), QStringLiteral("yyyyMMddHHmmss"));
    setWindowTitle(QStringLiteral("%1, %2 - %3")
                       .arg(record.patientProperty(QStringLiteral("lastName")),
                            record.patientProperty(QStringLiteral("firstName")),
                            date.isValid() ? QLocale::system().toString(date, QLocale::ShortFormat)
                                           : record.studyDateTime()));
}

void StressReviewWindow::on_btnStudyData_clicked()
{
    StudyDialog dialog(m_study->record(), TStudyStore::instance(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The dialog edits the study's fields alone; events and results stay.
    m_study->record().properties = dialog.record().properties;
    m_modified = true;
    updateTitle();
    // Age, sex and weight feed the training zones and the METS of the stages.
    fillTable();
    drawGraphics();
    onStartTimeChanged();
}

void StressReviewWindow::on_btnReport_clicked()
{
    TStudyStore* store = TStudyStore::instance();
    if (!store)
        return;
    ReportDialog dialog(m_study, store, this);
    dialog.setStartTime(ui->ecgDisplay1->startTime());
    dialog.setFilters(ui->btnFilterNotch->isChecked(), ui->btnFilterLowpass->isChecked(),
                      ui->btnFilterBaseline->isChecked());
    dialog.setSpeed(ui->ecgDisplay1->speed());
    dialog.setAmplitude(ui->ecgDisplay1->amplitude());
    dialog.setHexaxialOrder(m_hexaxial);
    dialog.setStLead(stLeadName());
    dialog.exec();
}

void StressReviewWindow::on_btnExportEdf_clicked()
{
    EdfExportPrompt::run(this, *m_study);
}

bool StressReviewWindow::exportEdf(const QString& path)
{
    return EdfExportPrompt::write(this, *m_study, path);
}

void StressReviewWindow::on_btnEcho_clicked()
{
    EchoDialog dialog(m_study->record(), this);
    if (dialog.exec() == QDialog::Accepted && dialog.changed())
        m_modified = true;
}

// ---------------------------------------------------------------------------
// Events

void StressReviewWindow::on_btnAddEvent_clicked()
{
    m_events->addEvent(ui->ecgDisplay1->startTime());
}

void StressReviewWindow::on_btnRemoveEvent_clicked()
{
    m_events->removeCurrent();
    ui->btnRemoveEvent->setEnabled(m_events->currentEvent() >= 0);
}

void StressReviewWindow::on_treeEvents_itemDoubleClicked(QTreeWidgetItem* item, int column)
{
    // The print column is its check box.
    if (item && (column == EventListEditor::TimeColumn || column == EventListEditor::DescriptionColumn))
        ui->treeEvents->editItem(item, column);
}

void StressReviewWindow::on_treeEvents_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem*)
{
    ui->btnRemoveEvent->setEnabled(current != nullptr);
    if (const std::optional<double> position = m_events->currentPosition())
        showTime(*position);
}

// ---------------------------------------------------------------------------
// Conclusion

void StressReviewWindow::onConclusionChanged()
{
    m_study->setProperty(QStringLiteral("conclusion"), ui->textConclusion->toPlainText());
    m_modified = true;
}

void StressReviewWindow::on_btnPredefinedAdd_clicked()
{
    m_predefined->add();
}

void StressReviewWindow::on_btnPredefinedRemove_clicked()
{
    m_predefined->removeCurrent();
}

void StressReviewWindow::on_btnPredefinedUp_clicked()
{
    m_predefined->moveUp();
}

void StressReviewWindow::on_btnPredefinedDown_clicked()
{
    m_predefined->moveDown();
}

void StressReviewWindow::on_chkPredefinedAlphaSort_toggled(bool checked)
{
    m_predefined->setAlphabetical(checked);
}

void StressReviewWindow::on_listPredefinedText_doubleClicked(const QModelIndex& index)
{
    m_predefined->appendToConclusion(index);
}

// ---------------------------------------------------------------------------
// Settings

void StressReviewWindow::readSettings()
{
    const QSettings settings;
    m_predefined->readSettings(Group);
    applyColorScheme(settings.value(QLatin1String(SchemeKey), QString()).toString());
    applyHexaxial(settings.value(QLatin1String(HexaxialKey), false).toBool());
    ui->ecgDisplay1->setShowAverageBeat(settings.value(QLatin1String(AverageKey), false).toBool());
    // Never chosen: the lead the monitor showed (V5 where the study has it); a
    // stored lead the study lacks: the first one.
    const QStringList names = leadNames();
    m_stLead = settings.contains(QLatin1String(StLeadKey))
                   ? std::max(0, int(names.indexOf(settings.value(QLatin1String(StLeadKey)).toString())))
                   : std::max(0, TStageTable::findStLead(names));
    setShowGraphics(settings.value(QLatin1String(GraphicsKey), true).toBool());
}

void StressReviewWindow::writeSettings() const
{
    QSettings settings;
    m_predefined->writeSettings(Group);
    settings.setValue(QLatin1String(SchemeKey), m_colorScheme);
    settings.setValue(QLatin1String(HexaxialKey), m_hexaxial);
    settings.setValue(QLatin1String(AverageKey), ui->ecgDisplay1->showAverageBeat());
    settings.setValue(QLatin1String(StLeadKey), stLeadName());
    settings.setValue(QLatin1String(GraphicsKey), m_showGraphics);
}
