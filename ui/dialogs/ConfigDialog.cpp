#include "ConfigDialog.h"
#include "ui_ConfigDialog.h"

#include "PleaseWait.h"
#include "TException.h"
#include "TPortDetection.h"
#include "TQtcFormula.h"
#include "TRecorderPortSearch.h"

#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QPixmap>
#include <QSettings>
#include <QTimer>

namespace {

const char* const NoImageText = QT_TRANSLATE_NOOP("ConfigDialog", "[none]");

void enableAll(std::initializer_list<QWidget*> widgets, bool enabled)
{
    for (QWidget* w : widgets)
        w->setEnabled(enabled);
}

void fillChoices(QComboBox* combo, const QVector<TEquipmentChoice>& choices)
{
    for (const TEquipmentChoice& choice : choices)
        combo->addItem(choice.text, choice.key);
}

} // namespace

ConfigDialog::ConfigDialog(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::ConfigDialog>())
{
    ui->setupUi(this);
    for (int k = 0; k < TQtcFormula::KindCount; ++k) {
        const TQtcFormula formula{TQtcFormula::Kind(k)};
        ui->cboQTcFormula->addItem(formula.name(), formula.word());
    }
    m_chooseFile = [](QWidget* owner, const QString& title, const QString& filter) {
        return QFileDialog::getOpenFileName(owner, title, QString(), filter);
    };
    m_chooseFolder = [](QWidget* owner, const QString& title, const QString& current) {
        return QFileDialog::getExistingDirectory(owner, title, current, QFileDialog::ShowDirsOnly);
    };

    m_showing = true;
    fillChoices(ui->cboErgometerEquipment, TConfigForm::ergometerChoices());
    fillChoices(ui->cboTreadmillEquipment, TConfigForm::treadmillChoices());
    ui->numSignalGain->setRange(TConfigForm::MinSignalGain, TConfigForm::MaxSignalGain);
    ui->numLowBatteryLevel->setDecimals(TConfigForm::LowBatteryDecimals);
    ui->numLowBatteryLevel->setRange(TConfigForm::MinLowBatteryLevel, TConfigForm::MaxLowBatteryLevel);
    m_showing = false;

    const QSettings settings;
    m_form.load(settings);
    showValues();
    ui->btnAcqTest->setEnabled(false);
    ui->listCategory->setCurrentRow(0);
}

ConfigDialog::~ConfigDialog() = default;

void ConfigDialog::setAcquisitionTest(AcquisitionTest run)
{
    m_runTest = std::move(run);
    ui->btnAcqTest->setEnabled(bool(m_runTest));
}

const TConfigForm& ConfigDialog::form()
{
    collectValues();
    return m_form;
}

void ConfigDialog::showValues()
{
    m_showing = true;
    const TConfigForm::Values& v = m_form.values;
    showImage(ui->logoImage, v.logoFile);
    ui->txtHeaderTitle->setText(v.headerTitle);
    ui->txtHeaderInfo->setPlainText(v.headerInfo);
    showImage(ui->signatureImage, v.signatureFile);
    ui->txtSignatureName->setText(v.signatureName);
    ui->txtSignatureLicense->setText(v.signatureLicense);

    ui->rbtAcqDevice->setChecked(v.acqMode == TConfigForm::AcqMode::Usb);
    ui->rbtAcqDeviceBT->setChecked(v.acqMode == TConfigForm::AcqMode::Bluetooth);
    ui->rbtAcqDemo->setChecked(v.acqMode == TConfigForm::AcqMode::Demo);
    ui->txtBluetoothPort->setText(v.bluetoothPort);

    ui->rbtWorkloadWatts->setChecked(v.workloadWatts);
    ui->rbtWorkloadKgm->setChecked(!v.workloadWatts);
    ui->cboErgometerEquipment->setCurrentIndex(
        TConfigForm::choiceRow(TConfigForm::ergometerChoices(), v.ergometerEquipment));
    ui->txtErgometerPort->setText(v.ergometerPort);
    ui->cboTreadmillEquipment->setCurrentIndex(
        TConfigForm::choiceRow(TConfigForm::treadmillChoices(), v.treadmillEquipment));
    ui->txtTreadmillPort->setText(v.treadmillPort);

    ui->chkAutoExportReports->setChecked(v.autoExportReports);
    ui->txtExportEcgReportFolder->setText(v.exportEcgReportFolder);
    ui->txtExportStressReportFolder->setText(v.exportStressReportFolder);
    ui->chkAutoExportStudies->setChecked(v.autoExportStudies);
    ui->txtExportEcgStudyFolder->setText(v.exportEcgStudyFolder);
    ui->txtExportStressStudyFolder->setText(v.exportStressStudyFolder);
    ui->chkEdfAnonymous->setChecked(v.edfAnonymous);

    ui->numLowBatteryLevel->setValue(v.lowBatteryLevel);
    ui->numSignalGain->setValue(v.signalGain);
    ui->chkHRProtocol->setChecked(v.hrProtocol);
    ui->cboQTcFormula->setCurrentIndex(
        std::max(0, ui->cboQTcFormula->findData(TQtcFormula::fromWord(v.qtcFormula).word())));
    m_showing = false;
    updateEnabling();
}

// The images and the equipment are taken when they change; the rest here.
void ConfigDialog::collectValues()
{
    TConfigForm::Values& v = m_form.values;
    v.headerTitle = ui->txtHeaderTitle->text();
    v.headerInfo = ui->txtHeaderInfo->toPlainText();
    v.signatureName = ui->txtSignatureName->text();
    v.signatureLicense = ui->txtSignatureLicense->text();

    v.acqMode = ui->rbtAcqDemo->isChecked()       ? TConfigForm::AcqMode::Demo
                : ui->rbtAcqDeviceBT->isChecked() ? TConfigForm::AcqMode::Bluetooth
                                                  : TConfigForm::AcqMode::Usb;
    v.bluetoothPort = ui->txtBluetoothPort->text();

    v.workloadWatts = ui->rbtWorkloadWatts->isChecked();
    v.ergometerPort = ui->txtErgometerPort->text();
    v.treadmillPort = ui->txtTreadmillPort->text();

    v.autoExportReports = ui->chkAutoExportReports->isChecked();
    v.exportEcgReportFolder = ui->txtExportEcgReportFolder->text();
    v.exportStressReportFolder = ui->txtExportStressReportFolder->text();
    v.autoExportStudies = ui->chkAutoExportStudies->isChecked();
    v.exportEcgStudyFolder = ui->txtExportEcgStudyFolder->text();
    v.exportStressStudyFolder = ui->txtExportStressStudyFolder->text();
    v.edfAnonymous = ui->chkEdfAnonymous->isChecked();

    v.lowBatteryLevel = ui->numLowBatteryLevel->value();
    v.signalGain = ui->numSignalGain->value();
    v.hrProtocol = ui->chkHRProtocol->isChecked();
    v.qtcFormula = ui->cboQTcFormula->currentData().toString();
}

void ConfigDialog::updateEnabling()
{
    collectValues();
    enableAll({ui->lblBluetoothPort, ui->txtBluetoothPort, ui->btnBluetoothDetect}, m_form.bluetoothPortEnabled());
    enableAll({ui->lblErgometerPort, ui->txtErgometerPort}, m_form.ergometerPortEnabled());
    enableAll({ui->lblTreadmillPort, ui->txtTreadmillPort}, m_form.treadmillPortEnabled());
    enableAll({ui->lblExportEcgReportFolder, ui->txtExportEcgReportFolder, ui->btnExportEcgReportFolder,
                ui->lblExportStressReportFolder, ui->txtExportStressReportFolder, ui->btnExportStressReportFolder},
               m_form.reportFoldersEnabled());
    enableAll({ui->lblExportEcgStudyFolder, ui->txtExportEcgStudyFolder, ui->btnExportEcgStudyFolder,
                ui->lblExportStressStudyFolder, ui->txtExportStressStudyFolder, ui->btnExportStressStudyFolder},
               m_form.studyFoldersEnabled());
}

void ConfigDialog::showImage(QLabel* preview, const QString& file)
{
    const QPixmap image = file.isEmpty() ? QPixmap() : QPixmap(file);
    if (image.isNull()) {
        preview->setPixmap(QPixmap());
        preview->setText(tr(NoImageText));
        return;
    }
    preview->setPixmap(image.scaled(preview->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

bool ConfigDialog::chooseImage(QString& file, const QString& failureText)
{
    const QString chosen = m_chooseFile(this, tr("Open Image"), tr("Image Files (*.png *.jpg *.bmp)"));
    if (chosen.isEmpty())
        return false;
    file = chosen;
    if (QPixmap(chosen).isNull()) {
        QMessageBox::warning(this, tr("Warning"), failureText.arg(chosen));
        return false;
    }
    return true;
}

void ConfigDialog::chooseFolder(QLineEdit* field)
{
    const QString chosen = m_chooseFolder(this, tr("Select shared folder"), field->text());
    if (!chosen.isEmpty())
        field->setText(QDir::toNativeSeparators(chosen));
}

void ConfigDialog::accept()
{
    collectValues();
    const QStringList problems = m_form.problems();
    if (!problems.isEmpty()) {
        QMessageBox::warning(this, tr("Warning"),
                             tr("The configuration was not saved:") + QLatin1String("\n\n") +
                                 problems.join(QLatin1Char('\n')));
        return;
    }
    QDialog::accept();
}

void ConfigDialog::on_ConfigDialog_accepted()
{
    QSettings settings;
    m_form.save(settings);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        QMessageBox::warning(this, tr("Warning"), tr("The configuration could not be saved."));
}

void ConfigDialog::on_btnAcqTest_clicked()
{
    if (!m_runTest)
        return;
    collectValues();
    try {
        m_runTest(m_form.deviceSettings(), this);
    } catch (const TException& e) {
        QMessageBox::warning(this, tr("Warning"), e.message());
    } catch (const std::exception& e) {
        QMessageBox::warning(this, tr("Warning"), QString::fromLocal8Bit(e.what()));
    }
}

void ConfigDialog::on_listCategory_currentRowChanged(int currentRow)
{
    if (currentRow >= 0 && currentRow < ui->stackedPages->count())
        ui->stackedPages->setCurrentIndex(currentRow);
}

void ConfigDialog::on_btnSelectLogo_clicked()
{
    chooseImage(m_form.values.logoFile, tr("Logo image could not be loaded from file: %1"));
    showImage(ui->logoImage, m_form.values.logoFile);
}

void ConfigDialog::on_btnRemoveLogo_clicked()
{
    m_form.values.logoFile.clear();
    showImage(ui->logoImage, QString());
}

void ConfigDialog::on_btnSelectSignature_clicked()
{
    chooseImage(m_form.values.signatureFile, tr("Signature image could not be loaded from file: %1"));
    showImage(ui->signatureImage, m_form.values.signatureFile);
}

void ConfigDialog::on_btnRemoveSignature_clicked()
{
    m_form.values.signatureFile.clear();
    showImage(ui->signatureImage, QString());
}

void ConfigDialog::on_rbtAcqDeviceBT_toggled(bool)
{
    if (!m_showing)
        updateEnabling();
}

void ConfigDialog::on_btnBluetoothDetect_clicked()
{
    const auto answer = QMessageBox::information(
        this, tr("Information"), tr("Make sure that the device has been paired and is turned on.\nPress <OK> to continue."),
        QMessageBox::Ok | QMessageBox::Cancel);
    if (answer != QMessageBox::Ok)
        return;
    QStringList found;
    try {
        found = searchRecorders();
    } catch (const TException& e) {
        QMessageBox::warning(this, tr("Warning"), e.message());
        return;
    } catch (const std::exception& e) {
        QMessageBox::warning(this, tr("Warning"), QString::fromLocal8Bit(e.what()));
        return;
    }
    const TPortDetection outcome = TPortDetection::fromPorts(found);
    if (!outcome.port.isEmpty())
        ui->txtBluetoothPort->setText(outcome.port);
    else
        QMessageBox::information(this, tr("Information"), outcome.message);
}

// Probes the candidates on the thread pool while the GUI thread keeps
// painting the "Please wait..." box.
QStringList ConfigDialog::searchRecorders()
{
    PleaseWait wait(this);
    TRecorderPortSearch search(m_candidates ? *m_candidates : TRecorderPortSearch::candidatePorts());
    search.start();
    QEventLoop loop;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &loop, [&]() {
        if (search.isFinished())
            loop.quit();
    });
    poll.start(50);
    if (!search.isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return search.portsFound();
}

void ConfigDialog::on_btnHardwareDefaults_clicked()
{
    collectValues();
    m_form.restoreHardwareDefaults();
    showValues();
}

void ConfigDialog::on_cboErgometerEquipment_currentIndexChanged(int index)
{
    if (m_showing || index < 0)
        return;
    m_form.values.ergometerEquipment = ui->cboErgometerEquipment->itemData(index).toString();
    updateEnabling();
}

void ConfigDialog::on_cboTreadmillEquipment_currentIndexChanged(int index)
{
    if (m_showing || index < 0)
        return;
    m_form.values.treadmillEquipment = ui->cboTreadmillEquipment->itemData(index).toString();
    updateEnabling();
}

void ConfigDialog::on_chkAutoExportReports_clicked()
{
    updateEnabling();
}

void ConfigDialog::on_chkAutoExportStudies_clicked()
{
    updateEnabling();
}

void ConfigDialog::on_btnExportEcgReportFolder_clicked()
{
    chooseFolder(ui->txtExportEcgReportFolder);
}

void ConfigDialog::on_btnExportStressReportFolder_clicked()
{
    chooseFolder(ui->txtExportStressReportFolder);
}

void ConfigDialog::on_btnExportEcgStudyFolder_clicked()
{
    chooseFolder(ui->txtExportEcgStudyFolder);
}

void ConfigDialog::on_btnExportStressStudyFolder_clicked()
{
    chooseFolder(ui->txtExportStressStudyFolder);
}
