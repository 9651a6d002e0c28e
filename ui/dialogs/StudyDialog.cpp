#include "StudyDialog.h"
#include "ui_StudyDialog.h"

#include "ProtocolListDialog.h"
#include "TException.h"
#include "TStudyDataRules.h"
#include "TStudyStore.h"
#include "TTrainingZones.h"

#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QStringListModel>

namespace {

const QString TiltTest = QStringLiteral("Tilt test");
const char* const LastProtocolKey = "StudyDialog/LastProtocol";
const char* const DateTimeFormat = "yyyyMMddHHmmss";

enum Page { PatientPage, StudyPage, ProtocolPage };

// The remembered lists, each with its combo.
struct RememberedList
{
    const char* key;
    QComboBox* Ui::StudyDialog::*combo;
};
const RememberedList RememberedLists[] = {
    {"StudyDialog/AnimalSpeciesList", &Ui::StudyDialog::cboAnimalSpecies},
    {"StudyDialog/AnimalBreedList", &Ui::StudyDialog::cboAnimalBreed},
    {"StudyDialog/TechnicianNameList", &Ui::StudyDialog::cboTechnicianName},
    {"StudyDialog/DoctorNameList", &Ui::StudyDialog::cboDoctorName},
    {"StudyDialog/ReferringDoctorNameList", &Ui::StudyDialog::cboReferringDoctorName},
};

QStringList comboList(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

} // namespace

StudyDialog::StudyDialog(const TStudyRecord& record, TStudyStore* store, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::StudyDialog>()), m_record(record), m_store(store)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->cboSex->setItemText(1, QCoreApplication::translate("animal", "Male"));
    ui->cboSex->setItemText(2, QCoreApplication::translate("animal", "Female"));

    for (const RememberedList& list : RememberedLists)
        fillRememberedList(ui.get()->*list.combo, list.key);
    fillProtocols();
    loadRecord();

    const QString type = m_record.property(QStringLiteral("studyType"));
    if (isNewStudy())
        setWindowTitle(type == QLatin1String("ECG") ? tr("New ECG study") : tr("New Stress Test study"));
    else
        setWindowTitle(tr("Study data"));
    if (type == QLatin1String("ECG"))
        ui->listCategory->item(ProtocolPage)->setHidden(true);
    ui->cboStageProtocol->setEnabled(isNewStudy());
    ui->btnProtocols->setEnabled(isNewStudy() && m_store != nullptr);

    for (QLineEdit* name : {ui->txtLastName, ui->txtFirstName})
        connect(name, &QLineEdit::textChanged, this, &StudyDialog::updateAcceptance);
    updateAcceptance();

    ui->listCategory->setCurrentRow(PatientPage);
    if (isNewStudy()) {
        ui->studyDateTime->setDateTime(QDateTime::currentDateTime());
        // The zones of a new study follow from what the form brought.
        updateTrainingZones();
        ui->txtLastName->setFocus();
    }
}

StudyDialog::~StudyDialog() = default;

QStringList StudyDialog::protocolChoices(const TStudyStore* store)
{
    QStringList names;
    if (store) {
        for (const QByteArray& name : store->protocolNames())
            names.append(QString::fromUtf8(name));
    }
    if (!names.contains(TiltTest))
        names.append(TiltTest);
    return names;
}

void StudyDialog::fillRememberedList(QComboBox* combo, const char* key)
{
    const QStringList remembered = QSettings().value(QLatin1String(key)).toStringList();
    combo->setModel(new QStringListModel(TStudyDataRules::sortedForShowing(remembered), combo));
    combo->setCurrentIndex(-1);
    combo->setCurrentText(QString());
}

void StudyDialog::fillProtocols()
{
    const QString current = ui->cboStageProtocol->currentText();
    QStringList choices;
    try {
        choices = protocolChoices(m_store);
    } catch (const std::exception&) {
        choices = protocolChoices(nullptr);
    }
    // A recorded study keeps the name it ran with, even when that protocol
    // has since been deleted or renamed.
    const QString own = m_record.property(QStringLiteral("protocolName"));
    if (!isNewStudy() && !own.isEmpty() && !choices.contains(own))
        choices.prepend(own);
    QSignalBlocker block(ui->cboStageProtocol);
    ui->cboStageProtocol->clear();
    ui->cboStageProtocol->addItems(choices);
    const int index = ui->cboStageProtocol->findText(current);
    if (index >= 0)
        ui->cboStageProtocol->setCurrentIndex(index);
}

void StudyDialog::loadRecord()
{
    const TStudyRecord& r = m_record;
    // Loading is no edit: the stored zones stay as they are.
    const QSignalBlocker blockSex(ui->cboSex);
    ui->txtFirstName->setText(r.patientProperty(QStringLiteral("firstName")));
    ui->txtLastName->setText(r.patientProperty(QStringLiteral("lastName")));
    ui->cboAnimalSpecies->setCurrentText(r.patientProperty(QStringLiteral("animalSpecies")));
    ui->cboAnimalBreed->setCurrentText(r.patientProperty(QStringLiteral("animalBreed")));
    const QDate birth = QDate::fromString(r.patientProperty(QStringLiteral("birthDate")), QStringLiteral("yyyyMMdd"));
    ui->txtBirthDate->setText(birth.isValid() ? birth.toString(QStringLiteral("d/M/yyyy")) : QString());
    ui->txtAge->setText(r.patientProperty(QStringLiteral("age")));
    const QString sex = r.patientProperty(QStringLiteral("sex"));
    ui->cboSex->setCurrentIndex(sex == QLatin1String("M") ? 1 : sex == QLatin1String("F") ? 2 : 0);
    ui->txtWeight->setText(r.patientProperty(QStringLiteral("weight")));
    ui->txtHeight->setText(r.patientProperty(QStringLiteral("height")));
    ui->txtMedicalHistoryNumber->setText(r.patientProperty(QStringLiteral("medicalHistoryNumber")));
    ui->txtPhoneNumber->setText(r.patientProperty(QStringLiteral("phoneNumber")));
    ui->txtTrainingZoneMax->setText(r.patientProperty(QStringLiteral("trainingZoneMax")));
    ui->txtTrainingZoneSubmax->setText(r.patientProperty(QStringLiteral("trainingZoneSubMax")));

    const QDateTime when = QDateTime::fromString(r.studyDateTime(), QLatin1String(DateTimeFormat));
    if (when.isValid())
        ui->studyDateTime->setDateTime(when);
    ui->cboDoctorName->setCurrentText(r.property(QStringLiteral("doctorName")));
    ui->cboReferringDoctorName->setCurrentText(r.property(QStringLiteral("referringDoctorName")));
    ui->cboTechnicianName->setCurrentText(r.property(QStringLiteral("technicianName")));
    ui->txtIndication->setPlainText(r.property(QStringLiteral("indication")));
    ui->txtMedication->setPlainText(r.property(QStringLiteral("treatment")));
    ui->txtComments->setPlainText(r.property(QStringLiteral("comments")));

    const int protocol = ui->cboStageProtocol->findText(r.property(QStringLiteral("protocolName")));
    if (protocol >= 0)
        ui->cboStageProtocol->setCurrentIndex(protocol);
}

QDate StudyDialog::studyDate() const
{
    return ui->studyDateTime->date();
}

void StudyDialog::updateAcceptance()
{
    const QString last = ui->txtLastName->text();
    const QString first = ui->txtFirstName->text();
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(TStudyDataRules::acceptable(last, first));
    ui->txtLastName->setStyleSheet(TStudyDataRules::requiredFieldStyle(last));
    ui->txtFirstName->setStyleSheet(TStudyDataRules::requiredFieldStyle(first));
}

void StudyDialog::updateTrainingZones()
{
    const TTrainingZones zones =
        TTrainingZones::of(ui->txtAge->text(), ui->cboSex->currentIndex() == 1, ui->numSubmaxPercent->value());
    ui->txtTrainingZoneMax->setText(QString::number(zones.maximum));
    ui->txtTrainingZoneSubmax->setText(QString::number(zones.subMaximal));
}

void StudyDialog::on_listCategory_currentRowChanged(int currentRow)
{
    if (currentRow < 0 || currentRow >= ui->stackedPages->count())
        return;
    ui->stackedPages->setCurrentIndex(currentRow);
    // The page's first field rather than the page itself.
    QWidget* page = ui->stackedPages->currentWidget();
    QWidget* first = page->nextInFocusChain();
    if (first && page->isAncestorOf(first))
        first->setFocus();
    else
        page->setFocus();
}

void StudyDialog::on_txtBirthDate_textEdited(const QString& arg1)
{
    const QDate birth = TStudyDataRules::parseBirthDate(arg1, studyDate());
    ui->txtAge->setText(TStudyDataRules::ageText(birth, studyDate()));
    updateTrainingZones();
}

void StudyDialog::on_txtAge_textEdited(const QString&)
{
    ui->txtBirthDate->clear();
    updateTrainingZones();
}

void StudyDialog::on_numSubmaxPercent_valueChanged(int)
{
    updateTrainingZones();
}

void StudyDialog::on_cboSex_currentIndexChanged(int)
{
    updateTrainingZones();
}

void StudyDialog::on_btnProtocols_clicked()
{
    if (!m_store)
        return;
    try {
        ProtocolListDialog dialog(*m_store, this);
        dialog.exec();
    } catch (const std::exception& e) {
        QMessageBox::warning(this, tr("Warning"), QString::fromLocal8Bit(e.what()));
    }
    fillProtocols();
}

void StudyDialog::on_StudyDialog_accepted()
{
    TStudyRecord& r = m_record;
    r.setPatientProperty(QStringLiteral("firstName"), ui->txtFirstName->text());
    r.setPatientProperty(QStringLiteral("lastName"), ui->txtLastName->text());
    r.setPatientProperty(QStringLiteral("animalSpecies"), ui->cboAnimalSpecies->currentText());
    r.setPatientProperty(QStringLiteral("animalBreed"), ui->cboAnimalBreed->currentText());
    r.setPatientProperty(QStringLiteral("age"), ui->txtAge->text());
    r.setPatientProperty(QStringLiteral("weight"), ui->txtWeight->text());
    r.setPatientProperty(QStringLiteral("height"), ui->txtHeight->text());
    r.setPatientProperty(QStringLiteral("medicalHistoryNumber"), ui->txtMedicalHistoryNumber->text());
    r.setPatientProperty(QStringLiteral("phoneNumber"), ui->txtPhoneNumber->text());
    r.setPatientProperty(QStringLiteral("trainingZoneMax"), ui->txtTrainingZoneMax->text());
    r.setPatientProperty(QStringLiteral("trainingZoneSubMax"), ui->txtTrainingZoneSubmax->text());
    const QDate birth = TStudyDataRules::parseBirthDate(ui->txtBirthDate->text(), studyDate());
    r.setPatientProperty(QStringLiteral("birthDate"),
                         birth.isValid() ? birth.toString(QStringLiteral("yyyyMMdd")) : QString());
    const int sex = ui->cboSex->currentIndex();
    r.setPatientProperty(QStringLiteral("sex"),
                         sex == 1 ? QStringLiteral("M") : sex == 2 ? QStringLiteral("F") : QString());

    r.setProperty(QStringLiteral("studyDateTime"), ui->studyDateTime->dateTime().toString(QLatin1String(DateTimeFormat)));
    if (isNewStudy() && r.property(QStringLiteral("studyType")) != QLatin1String("ECG"))
        r.setProperty(QStringLiteral("protocolName"), ui->cboStageProtocol->currentText());
    r.setProperty(QStringLiteral("doctorName"), ui->cboDoctorName->currentText());
    r.setProperty(QStringLiteral("referringDoctorName"), ui->cboReferringDoctorName->currentText());
    r.setProperty(QStringLiteral("technicianName"), ui->cboTechnicianName->currentText());
    r.setProperty(QStringLiteral("indication"), ui->txtIndication->toPlainText());
    r.setProperty(QStringLiteral("treatment"), ui->txtMedication->toPlainText());
    r.setProperty(QStringLiteral("comments"), ui->txtComments->toPlainText());

    QSettings settings;
    for (const RememberedList& list : RememberedLists) {
        const QComboBox* combo = ui.get()->*list.combo;
        settings.setValue(QLatin1String(list.key), TStudyDataRules::remember(comboList(combo), combo->currentText()));
    }
    // Only a stress or tilt test chooses a protocol: a resting ECG leaves the
    // launcher's choice alone.
    if (isNewStudy() && r.property(QStringLiteral("studyType")) != QLatin1String("ECG"))
        settings.setValue(QLatin1String(LastProtocolKey), ui->cboStageProtocol->currentText());
}
