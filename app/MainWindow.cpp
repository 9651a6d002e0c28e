#include "MainWindow.h"
#include "ui_MainWindow.h"

#include "AcquisitionTestWindow.h"
#include "ConfigDialog.h"
#include "EcgMonitorWindow.h"
#include "EcgReviewWindow.h"
#include "OpenStudyDialog.h"
#include "PleaseWait.h"
#include "StressReviewWindow.h"
#include "StudyDialog.h"
#include "TAcqDevice.h"
#include "TAfterRecording.h"
#include "TDeviceFactory.h"
#include "TEquipmentFactory.h"
#include "TExerciseEquipment.h"
#include "TException.h"
#include "TInterruptedRecording.h"
#include "TLocalStudyStore.h"
#include "TSpeciesTable.h"
#include "TQuickForm.h"
#include "TRecentStudies.h"
#include "TSettingsKeys.h"
#include "TSignalBuffer.h"
#include "TStudy.h"
#include "WaitCursor.h"
#include "TTiltTestProtocol.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QTimer>

namespace {

const QString TiltTest = QStringLiteral("Tilt test");

QString textOf(const std::exception& e)
{
    return QString::fromLocal8Bit(e.what());
}

void uncheck(QRadioButton* male, QRadioButton* female)
{
    // Exclusive radio buttons cannot be unchecked while they are exclusive.
    for (QRadioButton* button : {male, female}) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

} // namespace

MainWindow::MainWindow(const QString& dataFolder, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::MainWindow>()), m_dataFolder(dataFolder)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("%1 %2").arg(QCoreApplication::organizationName(),
                                               QCoreApplication::applicationName()));
    ui->lblVersion->setText(tr("v %1").arg(QCoreApplication::applicationVersion()));

    for (QLineEdit* edit : {ui->editLastNameStress, ui->editFirstNameStress, ui->editAgeStress, ui->editLastNameEcg,
                            ui->editFirstNameEcg})
        connect(edit, &QLineEdit::textChanged, this, &MainWindow::updateStartButtons);
    for (QRadioButton* button : {ui->radMaleStress, ui->radFemaleStress, ui->radMaleEcg, ui->radFemaleEcg})
        connect(button, &QRadioButton::toggled, this, &MainWindow::updateStartButtons);
    connect(ui->treeStudies, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { ui->btnOpenOK->setEnabled(current != nullptr); });

    // No worklist server is queried by this system.
    ui->btnWorklistStress->hide();
    ui->btnWorklistEcg->hide();

    ui->stackedPanels->setCurrentWidget(ui->pageEcg);
    ui->btnOpenOK->setEnabled(false);
    updateStartButtons();
    showRecentStudies();
    ui->editFirstNameEcg->setFocus();

    QTimer::singleShot(10, this, &MainWindow::deferredStart);
}

MainWindow::~MainWindow()
{
    // Review windows still open store their studies before the store goes.
    for (const QPointer<QWidget>& review : m_reviews)
        delete review.data();
    // A recording still running ends as on Stop, and its study is stored.
    delete m_ecgMonitor.data();
    delete m_stressMonitor.data();
    runPendingEnd(true);
    if (TStudyStore::instance() == m_store.get())
        TStudyStore::setInstance(nullptr);
}

// ---------------------------------------------------------------------------
// Start-up

void MainWindow::deferredStart()
{
    if (!m_storeStarted)
        startStore();
}

void MainWindow::startStore()
{
    if (m_storeStarted)
        return;
    m_storeStarted = true;
    setEnabled(false);
    QString error;
    {
        PleaseWait wait(this);
        try {
            const QString root = m_dataFolder.isEmpty() ? TLocalStudyStore::defaultRoot() : m_dataFolder;
            auto store = std::make_unique<TLocalStudyStore>(root, m_freeSpace);
            if (!store->protocolTableError().isEmpty())
                error = tr("The protocol table could not be read (%1); the example protocol is used.")
                            .arg(store->protocolTableError());
            const QString ranges = TSpeciesTable::activate(root);
            if (!ranges.isEmpty())
                error = error.isEmpty() ? ranges : error + QLatin1Char('\n') + ranges;
            m_store = std::move(store);
            TStudyStore::setInstance(m_store.get());
        } catch (const std::exception& e) {
            error = textOf(e);
        }
    }
    if (m_store) {
        fillProtocols();
        restoreLastProtocol();
    }
    setEnabled(true);
    if (!error.isEmpty())
        warn(error);
}

void MainWindow::fillProtocols()
{
    const QString current = ui->cmbProtocol->currentText();
    ui->cmbProtocol->clear();
    ui->cmbProtocol->addItems(StudyDialog::protocolChoices(m_store.get()));
    const int index = ui->cmbProtocol->findText(current);
    if (index >= 0)
        ui->cmbProtocol->setCurrentIndex(index);
}

void MainWindow::restoreLastProtocol()
{
    const QString last = QSettings().value(QLatin1String(TSettingsKeys::LastProtocol), QString()).toString();
    if (last.isEmpty())
        return;
    const int index = ui->cmbProtocol->findText(last);
    if (index >= 0)
        ui->cmbProtocol->setCurrentIndex(index);
}

bool MainWindow::requireStore()
{
    if (m_store)
        return true;
    warn(tr("The study folder is not available: no study can be recorded or opened."));
    return false;
}

void MainWindow::warn(const QString& text, const QString& title)
{
    QMessageBox::warning(this, title.isNull() ? tr("Warning") : title, text);
}

// ---------------------------------------------------------------------------
// Tiles

void MainWindow::on_btnNewStudyStress_clicked()
{
    ui->stackedPanels->setCurrentWidget(ui->pageStress);
    ui->editLastNameStress->setFocus();
}

void MainWindow::on_btnNewStudyEcg_clicked()
{
    ui->stackedPanels->setCurrentWidget(ui->pageEcg);
    ui->editFirstNameEcg->setFocus();
}

void MainWindow::on_btnOpenStudy_clicked()
{
    showRecentStudies();
    ui->stackedPanels->setCurrentWidget(ui->pageOpen);
    ui->treeStudies->setFocus();
}

void MainWindow::on_btnClose_clicked()
{
    close();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A recording in progress is ended in its own window, never from here.
    if (m_ecgMonitor || m_stressMonitor) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::on_btnConfig_clicked()
{
    ConfigDialog dialog(this);
    dialog.setAcquisitionTest([](const TDeviceSettings& settings, QWidget* parent) {
        // One test at a time: the previous one frees its port first.
        for (AcquisitionTestWindow* previous : parent->findChildren<AcquisitionTestWindow*>())
            previous->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        AcquisitionTestWindow::open(settings, parent);
    });
    dialog.exec();
}

void MainWindow::on_btnMoreStress_clicked()
{
    if (!requireStore())
        return;
    TStudyRecord record = TStudyRecord::unstartedStudy(TStudyRecord::StressTest, stressPatient(),
                                                       ui->cmbProtocol->currentText());
    StudyDialog dialog(record, m_store.get(), this);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    // The protocol editors may have changed the table meanwhile.
    fillProtocols();
    if (!accepted)
        return;
    record = dialog.record();
    if (startStress(record))
        clearStressForm();
}

void MainWindow::on_btnMoreEcg_clicked()
{
    if (!requireStore())
        return;
    StudyDialog dialog(TStudyRecord::unstartedStudy(TStudyRecord::Ecg, ecgPatient()), m_store.get(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const TStudyRecord record = dialog.record();
    if (startEcg(record))
        clearEcgForm();
}

void MainWindow::on_btnOpenMore_clicked()
{
    if (!requireStore())
        return;
    OpenStudyDialog dialog(*m_store, this);
    connect(&dialog, &OpenStudyDialog::deletedStudy, this, [this](int id) {
        TRecentStudies::remove(id);
        showRecentStudies();
    });
    if (dialog.exec() == QDialog::Accepted && dialog.selectedId() != 0)
        openStudyForReview(dialog.selectedId());
}

// ---------------------------------------------------------------------------
// Quick forms

void MainWindow::updateStartButtons()
{
    ui->btnStartStress->setEnabled(TQuickForm::stressStartAllowed(
        ui->editLastNameStress->text(), ui->editFirstNameStress->text(), ui->editAgeStress->text(),
        ui->radMaleStress->isChecked(), ui->radFemaleStress->isChecked()));
    ui->btnStartEcg->setEnabled(TQuickForm::ecgStartAllowed(ui->editLastNameEcg->text(), ui->editFirstNameEcg->text()));
}

TQuickPatient MainWindow::stressPatient() const
{
    TQuickPatient patient;
    patient.lastName = ui->editLastNameStress->text();
    patient.firstName = ui->editFirstNameStress->text();
    patient.age = ui->editAgeStress->text();
    patient.birthDate = ui->editAgeStress->property("birthDate").toString();
    patient.sex = TQuickForm::sex(ui->radMaleStress->isChecked(), ui->radFemaleStress->isChecked());
    patient.patientId = ui->editPatientIdStress->text();
    patient.personId = ui->editPersonIdStress->text();
    return patient;
}

TQuickPatient MainWindow::ecgPatient() const
{
    TQuickPatient patient;
    patient.lastName = ui->editLastNameEcg->text();
    patient.firstName = ui->editFirstNameEcg->text();
    patient.age = ui->editAgeEcg->text();
    patient.birthDate = ui->editAgeEcg->property("birthDate").toString();
    patient.sex = TQuickForm::sex(ui->radMaleEcg->isChecked(), ui->radFemaleEcg->isChecked());
    patient.patientId = ui->editPatientIdEcg->text();
    patient.personId = ui->editPersonIdEcg->text();
    return patient;
}

void MainWindow::clearStressForm()
{
    for (QLineEdit* edit : {ui->editLastNameStress, ui->editFirstNameStress, ui->editAgeStress,
                            ui->editPatientIdStress, ui->editPersonIdStress})
        edit->clear();
    uncheck(ui->radMaleStress, ui->radFemaleStress);
    ui->editLastNameStress->setFocus();
    updateStartButtons();
}

void MainWindow::clearEcgForm()
{
    for (QLineEdit* edit :
         {ui->editFirstNameEcg, ui->editLastNameEcg, ui->editAgeEcg, ui->editPatientIdEcg, ui->editPersonIdEcg})
        edit->clear();
    uncheck(ui->radMaleEcg, ui->radFemaleEcg);
    ui->editFirstNameEcg->setFocus();
    updateStartButtons();
}

void MainWindow::on_btnStartStress_clicked()
{
    if (!ui->btnStartStress->isEnabled() || !requireStore())
        return;
    const TStudyRecord record =
        TStudyRecord::newStudy(TStudyRecord::StressTest, stressPatient(), ui->cmbProtocol->currentText());
    // The form keeps what was typed until the monitor window is up.
    if (startStress(record))
        clearStressForm();
}

void MainWindow::on_btnStartEcg_clicked()
{
    if (!ui->btnStartEcg->isEnabled() || !requireStore())
        return;
    const TStudyRecord record = TStudyRecord::newStudy(TStudyRecord::Ecg, ecgPatient());
    if (startEcg(record))
        clearEcgForm();
}

void MainWindow::showMonitor(QWidget* window)
{
    // The screen's size first: without a window manager full screen alone
    // leaves the window at its own size.
    if (const QScreen* screen = this->screen())
        window->setGeometry(screen->geometry());
    window->showFullScreen();
    setEnabled(false);
}

void MainWindow::setPendingEnd(std::function<void(bool)> end)
{
    m_pendingEnd = std::move(end);
    // From the event loop rather than from inside the window's destruction.
    QTimer::singleShot(0, this, [this]() { runPendingEnd(false); });
}

void MainWindow::runPendingEnd(bool quitting)
{
    if (!m_pendingEnd)
        return;
    const std::function<void(bool)> end = std::move(m_pendingEnd);
    m_pendingEnd = nullptr;
    end(quitting);
}

bool MainWindow::storeAfterRecording(int id, bool quitting)
{
    bool dropped = false;
    try {
        dropped = dropUnrecorded(id);
        if (!dropped) {
            if (TStudy* study = m_store->isStudyOpen(id) ? m_store->openStudy(id) : nullptr) {
                const TStudyRecord& record = study->record();
                TRecentStudies::add(id, record.studyDateTime(), record.patientProperty(QStringLiteral("lastName")),
                                    record.patientProperty(QStringLiteral("firstName")));
                m_store->updateStudy(record);
            }
            m_store->closeStudy(id);
        }
    } catch (const std::exception& e) {
        if (!quitting)
            warn(textOf(e));
    }
    return dropped;
}

bool MainWindow::dropUnrecorded(int id)
{
    TStudy* study = m_store->isStudyOpen(id) ? m_store->openStudy(id) : nullptr;
    if (!study || !study->recording() || study->recording()->length() > 0)
        return false;
    m_store->closeStudy(id);
    m_store->deleteStudy(id);
    return true;
}

// ---------------------------------------------------------------------------
// Stress test

TStudy* MainWindow::createStudy(const TStudyRecord& source, std::unique_ptr<TAcqDevice>& device)
{
    try {
        device = TDeviceFactory::create();
    } catch (const std::exception& e) {
        warn(textOf(e));
        return nullptr;
    }
    TStudyRecord record = source;
    record.acquisition = TAcquisitionFields::fromDevice(*device);
    try {
        return m_store->saveNewStudy(record);
    } catch (const std::exception& e) {
        device->stop();
        warn(textOf(e));
        return nullptr;
    }
}

void MainWindow::abandonNewStudy(int id, TAcqDevice& device, const QString& error)
{
    // Nothing was recorded: the new study goes again.
    try {
        m_store->closeStudy(id);
        m_store->deleteStudy(id);
    } catch (const std::exception&) {
    }
    device.stop();
    warn(error);
}

bool MainWindow::startStress(const TStudyRecord& source)
{
    if (!requireStore())
        return false;
    if (!m_store->hasFreeSpace()) {
        QMessageBox::warning(this, tr("Warning"),
                             tr("There is not enough free space on disk.\nPlease free at least 50 MB to start a "
                                "new study."));
        return false;
    }
    TStudyRecord record = source;
    const QString protocolName = record.property(QStringLiteral("protocolName"));
    if (protocolName == TiltTest)
        record.setProperty(QStringLiteral("studyType"), TiltTest);
    // The protocol before anything is saved: one deleted meanwhile leaves no
    // study behind.
    auto protocol = std::make_unique<TProtocol>();
    if (TTiltTestProtocol::isNamed(protocolName))
        *protocol = TTiltTestProtocol::build();
    else if (!m_store->getProtocol(protocolName.toUtf8(), *protocol)) {
        warn(tr("Cannot load protocol") + QStringLiteral("\n") + protocolName);
        return false;
    }
    std::unique_ptr<TAcqDevice> device;
    TStudy* opened = createStudy(record, device);
    if (!opened)
        return false;
    const int id = opened->id();
    std::unique_ptr<TExerciseEquipment> equipment(TEquipmentFactory::create(protocol->type()));
    StressMonitorWindow* window = nullptr;
    try {
        window = new StressMonitorWindow(device.get(), opened, protocol.get(), equipment.get(), nullptr);
    } catch (const std::exception& e) {
        abandonNewStudy(id, *device, textOf(e));
        return false;
    }
    window->setAttribute(Qt::WA_DeleteOnClose);
    TAcqDevice* ownedDevice = device.release();
    TExerciseEquipment* ownedEquipment = equipment.release();
    TProtocol* ownedProtocol = protocol.release();
    connect(window, &QObject::destroyed, this, [this, ownedDevice, ownedEquipment, ownedProtocol, id]() {
        setPendingEnd([this, ownedDevice, ownedEquipment, ownedProtocol, id](bool quitting) {
            stressEnded(ownedDevice, ownedEquipment, ownedProtocol, id, quitting);
        });
    });
    m_stressMonitor = window;
    QSettings().setValue(QLatin1String(TSettingsKeys::LastProtocol), protocolName);
    showMonitor(window);
    return true;
}

void MainWindow::stressEnded(TAcqDevice* device, TExerciseEquipment* equipment, TProtocol* protocol, int id,
                             bool quitting)
{
    device->stop();
    delete device;
    delete equipment;
    delete protocol;
    const bool dropped = storeAfterRecording(id, quitting);
    if (quitting)
        return;
    setEnabled(true);
    clearStressForm();
    showRecentStudies();
    if (dropped)
        return;
    const TAfterRecording after = TAfterRecording::choose(QSettings(), false);
    if (after.exportStudy)
        exportAfterRecording(id, after.folder);
    else
        openStudyForReview(id);
}

// ---------------------------------------------------------------------------
// Resting ECG

bool MainWindow::startEcg(const TStudyRecord& record)
{
    if (!requireStore())
        return false;
    std::unique_ptr<TAcqDevice> device;
    TStudy* opened = createStudy(record, device);
    if (!opened)
        return false;
    const int id = opened->id();
    EcgMonitorWindow* window = nullptr;
    try {
        window = new EcgMonitorWindow(device.get(), opened, nullptr);
    } catch (const std::exception& e) {
        abandonNewStudy(id, *device, textOf(e));
        return false;
    }
    window->setAttribute(Qt::WA_DeleteOnClose);
    TAcqDevice* owned = device.release();
    auto repeat = std::make_shared<bool>(false);
    connect(window, &EcgMonitorWindow::closing, this, [repeat](bool again) { *repeat = again; });
    // The end handler runs once the window and its engine are gone, from the
    // event loop rather than from inside the destruction.
    connect(window, &QObject::destroyed, this, [this, owned, id, repeat, record]() {
        setPendingEnd([this, owned, id, repeat, record](bool quitting) {
            if (*repeat && !quitting)
                ecgRepeated(owned, id, record);
            else
                ecgEnded(owned, id, quitting);
        });
    });
    m_ecgMonitor = window;
    showMonitor(window);
    return true;
}

void MainWindow::ecgRepeated(TAcqDevice* device, int id, const TStudyRecord& record)
{
    device->stop();
    delete device;
    try {
        if (TStudy* study = m_store->openStudy(id))
            m_store->updateStudy(study->record());
        m_store->closeStudy(id);
        m_store->deleteStudy(id);
    } catch (const std::exception& e) {
        warn(textOf(e));
    }
    startEcg(record);
    if (!m_ecgMonitor)
        setEnabled(true);
}

void MainWindow::ecgEnded(TAcqDevice* device, int id, bool quitting)
{
    device->stop();
    delete device;
    const bool dropped = storeAfterRecording(id, quitting);
    if (quitting)
        return;
    setEnabled(true);
    clearEcgForm();
    showRecentStudies();
    if (dropped)
        return;
    const TAfterRecording after = TAfterRecording::choose(QSettings(), true);
    if (after.exportStudy)
        exportAfterRecording(id, after.folder);
    else
        openStudyForReview(id);
}

void MainWindow::exportAfterRecording(int id, const QString& folder)
{
    bool exported = false;
    {
        PleaseWait wait(this);
        try {
            m_store->exportStudy(id, folder);
            exported = true;
        } catch (const std::exception&) {
        }
    }
    if (exported)
        QMessageBox::information(this, tr("Information"),
                                 tr("Study file was succesfully exported to folder: %1").arg(folder));
    else
        QMessageBox::warning(this, tr("Warning"),
                             tr("Study file could not be exported to folder: %1\n"
                                "Please check shared folder access with your network administrator.")
                                 .arg(folder));
}

// ---------------------------------------------------------------------------
// Review

void MainWindow::openStudyForReview(int id)
{
    if (!requireStore())
        return;
    if (m_store->isStudyOpen(id)) {
        QMessageBox::information(this, QString(), tr("Study is already open for review"));
        return;
    }
    TStudy* study = nullptr;
    try {
        WaitCursor wait;
        study = m_store->openStudy(id);
    } catch (const std::exception& e) {
        warn(textOf(e));
        return;
    }
    if (!study) {
        QMessageBox::warning(this, QString(), tr("Study file not found"));
        return;
    }
    finishInterrupted(*study);
    const bool resting = study->record().property(QStringLiteral("studyType")) == QLatin1String("ECG");
    QWidget* window = nullptr;
    try {
        WaitCursor wait;
        if (resting)
            window = new EcgReviewWindow(study, nullptr);
        else
            window = new StressReviewWindow(study, nullptr);
    } catch (const std::exception& e) {
        m_store->closeStudy(id);
        warn(textOf(e));
        return;
    }
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &QObject::destroyed, this, [this, id]() { reviewClosed(id); });
    m_reviews.append(window);
    window->showMaximized();
}

void MainWindow::finishInterrupted(TStudy& study)
{
    // A recording the program could not end is finished from what it stored.
    try {
        WaitCursor wait;
        if (TInterruptedRecording::finish(study))
            m_store->updateStudy(study.record());
    } catch (const std::exception& e) {
        warn(textOf(e));
    }
}

void MainWindow::reviewClosed(int id)
{
    m_reviews.removeAll(nullptr);
    if (!m_store || !m_store->isStudyOpen(id))
        return;
    try {
        if (TStudy* study = m_store->openStudy(id)) {
            const TStudyRecord& record = study->record();
            m_store->updateStudy(record);
            // The study data may have been edited meanwhile.
            TRecentStudies::update(id, record.studyDateTime(), record.patientProperty(QStringLiteral("lastName")),
                                   record.patientProperty(QStringLiteral("firstName")));
        }
        m_store->closeStudy(id);
    } catch (const std::exception& e) {
        warn(textOf(e));
    }
    showRecentStudies();
}

void MainWindow::showRecentStudies()
{
    ui->treeStudies->clear();
    for (const TRecentStudies::Row& row : TRecentStudies::rows(TRecentStudies::list())) {
        auto* item = new QTreeWidgetItem(ui->treeStudies);
        item->setData(0, Qt::DisplayRole, row.id);
        item->setText(1, row.patient);
        item->setData(2, Qt::DisplayRole, row.dateTime);
    }
    for (int column = 0; column < 3; ++column)
        ui->treeStudies->resizeColumnToContents(column);
    ui->btnOpenOK->setEnabled(ui->treeStudies->currentItem() != nullptr);
}

void MainWindow::on_btnOpenOK_clicked()
{
    if (QTreeWidgetItem* item = ui->treeStudies->currentItem())
        openStudyForReview(item->data(0, Qt::DisplayRole).toInt());
}

void MainWindow::on_treeStudies_itemDoubleClicked(QTreeWidgetItem* item, int)
{
    if (item)
        openStudyForReview(item->data(0, Qt::DisplayRole).toInt());
}
