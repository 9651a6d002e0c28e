#include "EcgReviewWindow.h"
#include "ui_EcgReviewWindow.h"

#include "AveragerBeatSource.h"
#include "ColorSchemes.h"
#include "DisplayMenu.h"
#include "PredefinedConclusionPanel.h"
#include "StudyDialog.h"
#include "EventListEditor.h"
#include "ReportDialog.h"
#include "TBeatAverager.h"
#include "TBeatStore.h"
#include "TPagedFilterChain.h"
#include "TMeasurementNorms.h"
#include "TRestingAverage.h"
#include "TRestingMeasurement.h"
#include "TSignalBuffer.h"
#include "TSignalChannel.h"
#include "EdfExportPrompt.h"
#include "TStudy.h"
#include "TStudyResults.h"
#include "TStudyStore.h"
#include "TTimeText.h"

#include <QDir>
#include <QCloseEvent>
#include <QDateTime>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QHeaderView>
#include <QTreeWidget>
#include <QTreeWidgetItem>

namespace {

const QString Group = QStringLiteral("EcgReviewWindow");
const char* const SchemeKey = "EcgReviewWindow/DisplayColorScheme";
const char* const HexaxialKey = "EcgReviewWindow/HexaxialOrder";
const char* const AverageKey = "EcgReviewWindow/ShowAverageBeat";
const char* const LeadKey = "EcgReviewWindow/MeasurementLead";

constexpr double AveragingSeconds = 20.0;

// The beat display's cursors with the measurement keys they stand for.
const char* const CursorKeys[QBeatDisplay::CursorCount] = {"POnset",    "POffset", "PPeak",   "QRSOnset",
                                                           "QRSOffset", "TOnset",  "TOffset", "TPeak"};
// The names of the cursors, for placing one the analysis did not give.
const char* const CursorNames[QBeatDisplay::CursorCount] = {
    QT_TRANSLATE_NOOP("EcgReviewWindow", "P onset"),   QT_TRANSLATE_NOOP("EcgReviewWindow", "P end"),
    QT_TRANSLATE_NOOP("EcgReviewWindow", "P peak"),    QT_TRANSLATE_NOOP("EcgReviewWindow", "QRS onset"),
    QT_TRANSLATE_NOOP("EcgReviewWindow", "QRS end"),   QT_TRANSLATE_NOOP("EcgReviewWindow", "T onset"),
    QT_TRANSLATE_NOOP("EcgReviewWindow", "T end"),     QT_TRANSLATE_NOOP("EcgReviewWindow", "T peak")};
// The four boundaries every measurement has.
bool isMainCursor(int cursor)
{
    return cursor == QBeatDisplay::POn || cursor == QBeatDisplay::QrsOn || cursor == QBeatDisplay::QrsOff
           || cursor == QBeatDisplay::TOff;
}

} // namespace

EcgReviewWindow::EcgReviewWindow(TStudy* study, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::EcgReviewWindow>()), m_study(study)
{
    ui->setupUi(this);
    const TStudyRecord& record = study->record();
    updateTitle();

    m_chain = std::make_unique<TPagedFilterChain>(study->recording());
    // The average beat of the recording's last minutes as it was measured when
    // it stopped: drawn, measured and reported alike, whatever the filters.
    m_measured = std::make_unique<TRestingAverage>(*study->recording(), *study->beats());
    m_averageSource = std::make_unique<AveragerBeatSource>(&m_measured->averager());
    m_chain->setNotchType("50hz");
    m_chain->setLowpassType("40hz");
    m_predefined = std::make_unique<PredefinedConclusionPanel>(ui->listPredefinedText, ui->btnPredefinedUp,
                                                               ui->btnPredefinedDown, ui->chkPredefinedAlphaSort,
                                                               ui->textConclusion);
    readSettings();
    ui->ecgDisplay1->setBeatList(study->beats());
    ui->ecgDisplay1->setAverageBeatSource(m_averageSource.get());
    // The beat display is on its lead before the first average is taken, so
    // that no other lead's is taken for it.
    const int storedLead = int(TRestingMeasurement::load(study->results()).value(QStringLiteral("measurementChannel")));
    showMeasurementLead(storedLead >= 0 ? storedLead : m_defaultMeasurementLead);
    applyFilters();
    m_modified = false;

    connect(ui->ecgDisplay1, &QSignalBrowseDisplay::startTimeChanged, this, &EcgReviewWindow::onStartTimeChanged);
    connect(ui->ecgDisplay1, &QSignalBrowseDisplay::selectedBeatChanged, this, [this](int id) {
        if (m_showSelectedBeat && id >= 0 && id < m_study->beats()->count() && m_selected) {
            m_selected->useBeat(m_study->beats()->beat(id));
            ui->beatDisplay->refresh();
        }
    });
    connect(ui->beatDisplay, &QBeatDisplay::cursorChanged, this, [this]() {
        m_measurementEdited = true;
        setModified();
        showNorms();
    });

    ui->textConclusion->setPlainText(record.property(QStringLiteral("conclusion")));
    connect(ui->textConclusion, &QPlainTextEdit::textChanged, this, &EcgReviewWindow::onConclusionChanged);

    m_events = new EventListEditor(ui->treeEvents, &m_study->record().events, this);
    m_events->setPositionSource([this]() { return ui->ecgDisplay1->startTime(); });
    m_events->setRecordingLength(study->recording()->durationSeconds());
    connect(m_events, &EventListEditor::eventsChanged, this, [this]() { setModified(); });
    loadMeasurement();
    showNorms();
    onStartTimeChanged();

    // The report goes through the process's study store.
    ui->btnReport->setEnabled(TStudyStore::instance() != nullptr);
    ui->btnRemoveEvent->setEnabled(false);
}

EcgReviewWindow::~EcgReviewWindow()
{
    // The displays read the chain and the averager until they go.
    ui->beatDisplay->setBeat(nullptr);
    ui->ecgDisplay1->setAverageBeatSource(nullptr);
    ui->ecgDisplay1->setSignal(nullptr);
}

void EcgReviewWindow::closeEvent(QCloseEvent* event)
{
    if (m_measurementEdited)
        saveMeasurement();
    writeSettings();
    event->accept();
}

// ---------------------------------------------------------------------------
// Signal, filters and beats

void EcgReviewWindow::applyFilters()
{
    try {
        m_chain->rebuild(ui->btnFilterNotch->isChecked(), ui->btnFilterLowpass->isChecked(),
                         ui->btnFilterBaseline->isChecked());
    } catch (const std::exception& e) {
        QMessageBox::warning(this, tr("Warning"), QString::fromLocal8Bit(e.what()));
    }
    ui->ecgDisplay1->setSignal(m_chain->output());
    analyseBeats();
    showNorms();
    setModified();
}

void EcgReviewWindow::analyseBeats()
{
    // The average beat is the measured one, which no filter changes; a beat
    // picked alone is shown as the filters show the browse display.
    ui->beatDisplay->setBeat(nullptr);
    m_selected = std::make_unique<TBeatAverager>(m_chain->output(), AveragingSeconds);
    m_selectedSource = std::make_unique<AveragerBeatSource>(m_selected.get());
    ui->beatDisplay->setBeat(m_showSelectedBeat ? m_selectedSource.get() : m_averageSource.get());
    ui->beatDisplay->refresh();
}

double EcgReviewWindow::fiducialOffset() const
{
    return m_measured->rSeconds();
}

void EcgReviewWindow::on_btnFilterNotch_clicked()
{
    applyFilters();
}

void EcgReviewWindow::on_btnFilterLowpass_clicked()
{
    applyFilters();
}

void EcgReviewWindow::on_btnFilterBaseline_clicked()
{
    applyFilters();
}

void EcgReviewWindow::on_btnSpeed12_clicked()
{
    ui->ecgDisplay1->setSpeed(12.5);
}

void EcgReviewWindow::on_btnSpeed25_clicked()
{
    ui->ecgDisplay1->setSpeed(25.0);
}

void EcgReviewWindow::on_btnSpeed50_clicked()
{
    ui->ecgDisplay1->setSpeed(50.0);
}

void EcgReviewWindow::on_btnAmp5_clicked()
{
    ui->ecgDisplay1->setAmplitude(5.0);
}

void EcgReviewWindow::on_btnAmp10_clicked()
{
    ui->ecgDisplay1->setAmplitude(10.0);
}

void EcgReviewWindow::on_btnAmp20_clicked()
{
    ui->ecgDisplay1->setAmplitude(20.0);
}

void EcgReviewWindow::onStartTimeChanged()
{
    const double start = ui->ecgDisplay1->startTime();
    ui->lblTotalElapsedTime->setText(TTimeText::elapsed(start));
    const TBeatStore* beats = m_study->beats();
    // The first beat at or after the start time.
    int index = beats->next(start - 1e-9);
    QString rate;
    if (index >= 0)
        rate = TTimeText::heartRate(beats->beat(index).value(TBeat::MeanRR));
    ui->lblHR->setText(rate.isEmpty() ? QStringLiteral("---") : rate);
}

// ---------------------------------------------------------------------------
// Measurement

void EcgReviewWindow::showMeasurementLead(int lead)
{
    const int leads = m_chain->output()->channelCount();
    ui->beatDisplay->setLead(lead >= 0 && lead < leads ? lead : 0);
    ui->beatDisplay->refresh();
}

void EcgReviewWindow::loadMeasurement()
{
    const TMeasurementRecord record = TRestingMeasurement::load(m_study->results());
    const int lead = int(record.value(QStringLiteral("measurementChannel")));
    if (lead < 0) {
        showMeasurementLead(m_defaultMeasurementLead);
        return;
    }
    showMeasurementLead(lead);
    const bool complete = TRestingMeasurement::isComplete(record);
    const double offset = fiducialOffset();
    for (int c = 0; c < QBeatDisplay::CursorCount; ++c) {
        const double value = record.value(QLatin1String(CursorKeys[c]));
        if (!complete) {
            // The display's own cursors: the four main boundaries at 0.
            ui->beatDisplay->setCursorEnabled(c, isMainCursor(c));
            ui->beatDisplay->setCursorPosition(c, 0.0);
        } else if (value != 0.0) {
            // A point the analysis withheld or did not find has no cursor (one
            // at R would read as a measured point); "Place point" adds it.
            ui->beatDisplay->setCursorEnabled(c, true);
            ui->beatDisplay->setCursorPosition(c, value + offset);
        } else {
            ui->beatDisplay->setCursorEnabled(c, false);
        }
    }
    ui->beatDisplay->refresh();
}

void EcgReviewWindow::saveMeasurement()
{
    TRestingMeasurement::store(currentMeasurement(), m_study->results());
}

TMeasurementRecord EcgReviewWindow::currentMeasurement() const
{
    TMeasurementRecord record = TRestingMeasurement::load(m_study->results());
    const double offset = fiducialOffset();
    record.setValue(QStringLiteral("measurementChannel"), ui->beatDisplay->lead());
    for (int c = 0; c < QBeatDisplay::CursorCount; ++c)
        record.setValue(QLatin1String(CursorKeys[c]),
                        ui->beatDisplay->cursorEnabled(c) ? ui->beatDisplay->cursorPosition(c) - offset : 0.0);
    if (m_measured->averager().beatCount() > 0) {
        record.setValue(QStringLiteral("avgRRInterval"), m_measured->averager().meanRR());
        m_measured->measureAmplitudes(record, ui->beatDisplay->lead());
    }
    return record;
}

void EcgReviewWindow::showNorms()
{
    TStudyResults results = m_study->results();
    TRestingMeasurement::store(currentMeasurement(), results);
    const TSignalBuffer* signal = m_chain->output();
    const int lead = ui->beatDisplay->lead();
    const QString leadName =
        signal && lead >= 0 && lead < signal->channelCount() ? QString::fromLatin1(signal->channel(lead)->name()) : QString();
    const TMeasurementNorms norms(m_study->record(), results, leadName);
    QTreeWidget* tree = ui->treeMeasurements;
    tree->clear();
    for (const TMeasurementNorms::Item& item : norms.items()) {
        if (!item.value)
            continue;
        auto* row = new QTreeWidgetItem(tree);
        row->setText(0, item.key == QLatin1String("QTc") ? tr("QTc %1 (ms)").arg(norms.formula().name())
                                                         : QStringLiteral("%1 (%2)").arg(item.label, item.unit));
        row->setText(1, TMeasurementNorms::valueText(item));
        row->setText(2, TMeasurementNorms::rangeText(item));
        // The flag in words where the pointer rests, the mark after the value,
        // and out of range the colour and weight that catch the eye.
        row->setToolTip(1, TNormAssessment::flagWord(item.flag));
        if (item.flag == TNormAssessment::Flag::High || item.flag == TNormAssessment::Flag::Low) {
            QFont bold = row->font(1);
            bold.setBold(true);
            row->setFont(1, bold);
            row->setForeground(1, QBrush(QColor(0xd0, 0x30, 0x30)));
            row->setText(1, TMeasurementNorms::markedText(item));
        }
    }
    // The values and ranges in full; the names take what width is left (a long
    // name elided, whole in its tooltip), so that nothing needs scrolling sideways.
    QHeaderView* header = tree->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int c = 1; c < tree->columnCount(); ++c)
        header->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        tree->topLevelItem(i)->setToolTip(0, tree->topLevelItem(i)->text(0));
    ui->lblRanges->setText(norms.basisText());
}

void EcgReviewWindow::autoMeasurement()
{
    // Measured as the recording was when it stopped, whatever the filters show.
    TBeatAverager& measured = m_measured->averager();
    if (measured.beatCount() == 0)
        return;
    const TMeasurementRecord record = TRestingMeasurement::measure(measured, ui->beatDisplay->lead());
    const double offset = fiducialOffset();
    const bool complete = TRestingMeasurement::isComplete(record);
    for (int c = 0; c < QBeatDisplay::CursorCount; ++c) {
        const double value = record.value(QLatin1String(CursorKeys[c]));
        // Without a QRS the main boundaries stay at R to be dragged into place.
        ui->beatDisplay->setCursorEnabled(c, value != 0.0 || (!complete && isMainCursor(c)));
        ui->beatDisplay->setCursorPosition(c, value + offset);
    }
    ui->beatDisplay->refresh();
    m_measurementEdited = true;
    setModified();
    showNorms();
}

void EcgReviewWindow::on_beatDisplay_customContextMenuRequested(const QPoint& pos)
{
    const TSignalBuffer* signal = m_chain->output();
    QMenu menu(this);
    QMenu* leads = menu.addMenu(tr("Measurement lead"));
    for (int lead = 0; lead < signal->channelCount(); ++lead) {
        QAction* action = leads->addAction(QString::fromLatin1(signal->channel(lead)->name()));
        action->setCheckable(true);
        action->setChecked(lead == ui->beatDisplay->lead());
        connect(action, &QAction::triggered, this, [this, lead]() {
            showMeasurementLead(lead);
            m_measurementEdited = true;
            setModified();
            showNorms();
        });
    }
    auto* kind = new QActionGroup(&menu);
    QAction* selected = menu.addAction(tr("Selected beat"));
    QAction* average = menu.addAction(tr("Average beat"));
    for (QAction* action : {selected, average}) {
        action->setCheckable(true);
        kind->addAction(action);
    }
    selected->setChecked(m_showSelectedBeat);
    average->setChecked(!m_showSelectedBeat);
    connect(selected, &QAction::triggered, this, [this]() {
        m_showSelectedBeat = true;
        const int id = ui->ecgDisplay1->selectedBeat();
        if (id >= 0 && id < m_study->beats()->count())
            m_selected->useBeat(m_study->beats()->beat(id));
        ui->beatDisplay->setBeat(m_selectedSource.get());
        ui->beatDisplay->refresh();
    });
    connect(average, &QAction::triggered, this, [this]() {
        m_showSelectedBeat = false;
        ui->beatDisplay->setBeat(m_averageSource.get());
        ui->beatDisplay->refresh();
    });
    menu.addSeparator();
    // The points without a cursor, placed where the menu was opened.
    QMenu* place = menu.addMenu(tr("Place point"));
    for (int c = 0; c < QBeatDisplay::CursorCount; ++c) {
        if (ui->beatDisplay->cursorEnabled(c))
            continue;
        const double seconds = ui->beatDisplay->secondsAt(pos.x());
        connect(place->addAction(tr(CursorNames[c])), &QAction::triggered, this, [this, c, seconds]() {
            ui->beatDisplay->setCursorEnabled(c, true);
            ui->beatDisplay->setCursorPosition(c, seconds);
            ui->beatDisplay->refresh();
            m_measurementEdited = true;
            setModified();
        });
    }
    place->setEnabled(!place->isEmpty());
    connect(menu.addAction(tr("Auto measurement")), &QAction::triggered, this, &EcgReviewWindow::autoMeasurement);
    menu.exec(ui->beatDisplay->mapToGlobal(pos));
}

// ---------------------------------------------------------------------------
// Browse display menu

void EcgReviewWindow::on_ecgDisplay1_customContextMenuRequested(const QPoint& pos)
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
        DisplayMenu::addToggle(menu, tr("Selection mode"), display->mode() == QSignalBrowseDisplay::SelectionMode,
                               [display](bool on) {
                                   display->setMode(on ? QSignalBrowseDisplay::SelectionMode
                                                       : QSignalBrowseDisplay::NoMode);
                               });
        DisplayMenu::addToggle(menu, tr("Caliper mode"), display->mode() == QSignalBrowseDisplay::CaliperMode,
                               [display](bool on) {
                                   display->setMode(on ? QSignalBrowseDisplay::CaliperMode
                                                       : QSignalBrowseDisplay::NoMode);
                               });
        if (signal->channelCount() >= 6)
            DisplayMenu::addToggle(menu, tr("Hexaxial order"), m_hexaxial, [this](bool on) { applyHexaxial(on); });
        DisplayMenu::addToggle(menu, tr("Average beat"), display->showAverageBeat(),
                               [display](bool on) { display->setShowAverageBeat(on); });
        DisplayMenu::addColorSchemes(menu, m_colorScheme, [this](const QString& name) { applyColorScheme(name); });
        menu.exec(display->mapToGlobal(pos));
    }
}

void EcgReviewWindow::applyColorScheme(const QString& name)
{
    m_colorScheme = name;
    ColorSchemes::apply(name, *ui->ecgDisplay1);
    ColorSchemes::apply(name, *ui->beatDisplay);
}

void EcgReviewWindow::applyHexaxial(bool on)
{
    m_hexaxial = on;
    if (m_chain->output()->channelCount() >= 6)
        ui->ecgDisplay1->setHexaxialOrder(on);
}

// ---------------------------------------------------------------------------
// Study data and report

void EcgReviewWindow::updateTitle()
{
    const TStudyRecord& record = m_study->record();
    const QDateTime date = QDateTime::fromString(record.studyDateTime(), QStringLiteral("yyyyMMddHHmmss"));
    setWindowTitle(QStringLiteral("%1, %2 - %3")
                       .arg(record.patientProperty(QStringLiteral("lastName")),
                            record.patientProperty(QStringLiteral("firstName")),
                            date.isValid() ? date.toString(QStringLiteral("d/M/yyyy H:mm")) : record.studyDateTime()));
}

void EcgReviewWindow::on_btnStudyData_clicked()
{
    StudyDialog dialog(m_study->record(), TStudyStore::instance(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The dialog edits the study's fields alone; events and results stay.
    m_study->record().properties = dialog.record().properties;
    setModified();
    updateTitle();
    showNorms();
}

void EcgReviewWindow::on_btnReport_clicked()
{
    TStudyStore* store = TStudyStore::instance();
    if (!store)
        return;
    // The report prints the measurement the beat display shows.
    if (m_measurementEdited)
        saveMeasurement();
    ReportDialog dialog(m_study, store, this);
    dialog.setStartTime(ui->ecgDisplay1->startTime());
    dialog.setFilters(ui->btnFilterNotch->isChecked(), ui->btnFilterLowpass->isChecked(),
                      ui->btnFilterBaseline->isChecked());
    dialog.setSpeed(ui->ecgDisplay1->speed());
    dialog.setAmplitude(ui->ecgDisplay1->amplitude());
    dialog.setHexaxialOrder(m_hexaxial);
    dialog.exec();
}

void EcgReviewWindow::on_btnExportEdf_clicked()
{
    EdfExportPrompt::run(this, *m_study);
}

bool EcgReviewWindow::exportEdf(const QString& path)
{
    return EdfExportPrompt::write(this, *m_study, path);
}

// ---------------------------------------------------------------------------
// Events

void EcgReviewWindow::on_btnAddEvent_clicked()
{
    m_events->addEvent(ui->ecgDisplay1->startTime());
}

void EcgReviewWindow::on_btnRemoveEvent_clicked()
{
    m_events->removeCurrent();
    ui->btnRemoveEvent->setEnabled(m_events->currentEvent() >= 0);
}

void EcgReviewWindow::on_treeEvents_itemDoubleClicked(QTreeWidgetItem* item, int)
{
    const int index = m_events->eventIndex(item);
    if (index >= 0)
        ui->ecgDisplay1->setStartTime(m_study->record().events[index].position);
}

void EcgReviewWindow::on_treeEvents_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem*)
{
    ui->btnRemoveEvent->setEnabled(current != nullptr);
}

// ---------------------------------------------------------------------------
// Conclusion

void EcgReviewWindow::onConclusionChanged()
{
    m_study->setProperty(QStringLiteral("conclusion"), ui->textConclusion->toPlainText());
    setModified();
}

void EcgReviewWindow::on_btnPredefinedAdd_clicked()
{
    m_predefined->add();
}

void EcgReviewWindow::on_btnPredefinedRemove_clicked()
{
    m_predefined->removeCurrent();
}

void EcgReviewWindow::on_btnPredefinedUp_clicked()
{
    m_predefined->moveUp();
}

void EcgReviewWindow::on_btnPredefinedDown_clicked()
{
    m_predefined->moveDown();
}

void EcgReviewWindow::on_chkPredefinedAlphaSort_toggled(bool checked)
{
    m_predefined->setAlphabetical(checked);
}

void EcgReviewWindow::on_listPredefinedText_doubleClicked(const QModelIndex& index)
{
    m_predefined->appendToConclusion(index);
}

// ---------------------------------------------------------------------------
// Settings

void EcgReviewWindow::readSettings()
{
    const QSettings settings;
    m_predefined->readSettings(Group);
    applyColorScheme(settings.value(QLatin1String(SchemeKey), QString()).toString());
    applyHexaxial(settings.value(QLatin1String(HexaxialKey), false).toBool());
    ui->ecgDisplay1->setShowAverageBeat(settings.value(QLatin1String(AverageKey), false).toBool());
    m_defaultMeasurementLead = settings.value(QLatin1String(LeadKey), 1).toInt();
}

void EcgReviewWindow::writeSettings() const
{
    QSettings settings;
    m_predefined->writeSettings(Group);
    settings.setValue(QLatin1String(SchemeKey), m_colorScheme);
    settings.setValue(QLatin1String(HexaxialKey), m_hexaxial);
    settings.setValue(QLatin1String(AverageKey), ui->ecgDisplay1->showAverageBeat());
    settings.setValue(QLatin1String(LeadKey), ui->beatDisplay->lead());
}
