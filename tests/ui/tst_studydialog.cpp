// The study data dialog: the birth date and the age it gives (two-digit years
// included), the training zones, the OK rule with its tint, the remembered
// lists, the protocol choices and what is written back, for a new study and
// a recorded one.

#include "AppTestEnvironment.h"
#include "TestWidgets.h"

#include "ProtocolListDialog.h"
#include "StudyDialog.h"
#include "TLocalStudyStore.h"
#include "TStudyDataRules.h"
#include "TTrainingZones.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>

using TestWidgets::child;
using TestWidgets::okButton;

namespace {

const QDate StudyDay(2026, 12, 9);

TStudyRecord newStress(const QString& last = QStringLiteral("García"), const QString& first = QStringLiteral("Rex"))
{
    TQuickPatient patient;
    patient.lastName = last;
    patient.firstName = first;
    patient.age = QStringLiteral("6");
    patient.sex = QStringLiteral("M");
    return TStudyRecord::unstartedStudy(TStudyRecord::StressTest, patient, QStringLiteral("Example"));
}

void setStudyDay(StudyDialog& dialog)
{
    child<QDateTimeEdit>(dialog, "studyDateTime")->setDateTime(QDateTime(StudyDay, QTime(10, 30)));
}

void typeInto(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

} // namespace

class TestStudyDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { QSettings().clear(); }

    void birthDates_data();
    void birthDates();
    void ages_data();
    void ages();

    void titlesAndPages_data();
    void titlesAndPages();
    void birthDateAndAgeReplaceEachOther();
    void trainingZones_data();
    void trainingZones();
    void namesRequired();
    void newStressWrittenBack();
    void cancelLeavesRecord();
    void remembersWhatWasTyped();
    void protocolChoicesIncludeTiltTest();
    void lastProtocolOnlyForStress_data();
    void lastProtocolOnlyForStress();
    void recordedStudyKeepsItsProtocolAndZones();
    void protocolsButtonRefillsTheChoices();

private:
    std::unique_ptr<TLocalStudyStore> m_store;
};

void TestStudyDialog::initTestCase()
{
    m_store = std::make_unique<TLocalStudyStore>(AppTest::dataFolder());
    TProtocol bruce;
    bruce.setName("Bruce");
    bruce.appendStage(0, 60, 0, 0);
    bruce.appendStage(1, 60, 3, 10);
    bruce.appendStage(2, 60, 1, 0);
    m_store->setProtocol("Bruce", bruce);
}

void TestStudyDialog::birthDates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("four-digit year") << "5/3/2015" << QDate(2015, 3, 5);
    QTest::newRow("two digits, this century") << "5/3/15" << QDate(2015, 3, 5);
    QTest::newRow("two digits, after the study year") << "5/3/30" << QDate(1930, 3, 5);
    QTest::newRow("this year, before the study day") << "5/3/26" << QDate(2026, 3, 5);
    QTest::newRow("this year, after the study day") << "25/12/26" << QDate(1926, 12, 25);
    QTest::newRow("the study day itself") << "9/12/26" << QDate(2026, 12, 9);
    QTest::newRow("one-digit year") << "1/1/7" << QDate(2007, 1, 1);
    QTest::newRow("29 February of 2000") << "29/2/00" << QDate(2000, 2, 29);
    QTest::newRow("blanks around") << "  5/3/2015 " << QDate(2015, 3, 5);
    QTest::newRow("three-digit year") << "5/3/015" << QDate();
    QTest::newRow("year below 1000") << "5/3/0999" << QDate();
    QTest::newRow("no such day") << "31/2/2015" << QDate();
    QTest::newRow("month 13") << "1/13/2015" << QDate();
    QTest::newRow("dashes") << "5-3-2015" << QDate();
    QTest::newRow("text") << "March 2015" << QDate();
    QTest::newRow("empty") << "" << QDate();
}

void TestStudyDialog::birthDates()
{
    QFETCH(QString, text);
    QFETCH(QDate, expected);
    QCOMPARE(TStudyDataRules::parseBirthDate(text, StudyDay), expected);
}

void TestStudyDialog::ages_data()
{
    QTest::addColumn<QDate>("birth");
    QTest::addColumn<QString>("age");
    QTest::newRow("birthday today") << QDate(2016, 12, 9) << "10";
    QTest::newRow("birthday tomorrow") << QDate(2016, 12, 10) << "9";
    QTest::newRow("earlier month") << QDate(2016, 3, 5) << "10";
    QTest::newRow("later month") << QDate(2016, 12, 31) << "9";
    QTest::newRow("not a year old") << QDate(2026, 3, 1) << "";
    QTest::newRow("born after the study") << QDate(2027, 1, 1) << "";
    QTest::newRow("no date") << QDate() << "";
}

void TestStudyDialog::ages()
{
    QFETCH(QDate, birth);
    QFETCH(QString, age);
    QCOMPARE(TStudyDataRules::ageText(birth, StudyDay), age);
}

void TestStudyDialog::titlesAndPages_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("protocolPage");
    QTest::addColumn<bool>("protocolChoice");
    QTest::newRow("new ECG") << "ECG" << 0 << "New ECG study" << false << true;
    QTest::newRow("new stress test") << "Stress test" << 0 << "New Stress Test study" << true << true;
    QTest::newRow("new tilt test") << "Tilt test" << 0 << "New Stress Test study" << true << true;
    QTest::newRow("recorded ECG") << "ECG" << 42 << "Study data" << false << false;
    QTest::newRow("recorded stress test") << "Stress test" << 42 << "Study data" << true << false;
}

void TestStudyDialog::titlesAndPages()
{
    QFETCH(QString, type);
    QFETCH(int, id);
    QFETCH(QString, title);
    QFETCH(bool, protocolPage);
    QFETCH(bool, protocolChoice);
    TStudyRecord record = newStress();
    record.id = id;
    record.setProperty(QStringLiteral("studyType"), type);
    StudyDialog dialog(record, m_store.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.windowTitle(), title);
    auto* pages = child<QListWidget>(dialog, "listCategory");
    QCOMPARE(pages->currentRow(), 0);
    QCOMPARE(!pages->item(2)->isHidden(), protocolPage);
    QCOMPARE(child<QComboBox>(dialog, "cboStageProtocol")->isEnabled(), protocolChoice);
    if (id == 0)
        QCOMPARE(QApplication::focusWidget(), child<QLineEdit>(dialog, "txtLastName"));
    pages->setCurrentRow(1);
    QCOMPARE(child<QStackedWidget>(dialog, "stackedPages")->currentIndex(), 1);
    QVERIFY(child<QWidget>(dialog, "pageStudy")->isAncestorOf(QApplication::focusWidget()));
}

void TestStudyDialog::birthDateAndAgeReplaceEachOther()
{
    StudyDialog dialog(newStress(), m_store.get());
    setStudyDay(dialog);
    dialog.show();
    auto* birth = child<QLineEdit>(dialog, "txtBirthDate");
    auto* age = child<QLineEdit>(dialog, "txtAge");
    auto* zoneMax = child<QLineEdit>(dialog, "txtTrainingZoneMax");
    QCOMPARE(birth->placeholderText(), QStringLiteral("day/month/year"));
    typeInto(birth, QStringLiteral("5/3/15"));
    QCOMPARE(age->text(), QStringLiteral("11"));
    QCOMPARE(zoneMax->text(), QStringLiteral("209"));
    typeInto(birth, QStringLiteral("5/3/2027"));
    QCOMPARE(age->text(), QString());
    QCOMPARE(zoneMax->text(), QStringLiteral("220"));
    typeInto(birth, QStringLiteral("5/3/2015"));
    typeInto(age, QStringLiteral("4"));
    QCOMPARE(birth->text(), QString());
    QCOMPARE(zoneMax->text(), QStringLiteral("216"));

    typeInto(birth, QStringLiteral("5/3/15"));
    dialog.accept();
    QCOMPARE(dialog.record().patientProperty(QStringLiteral("birthDate")), QStringLiteral("20150305"));
    QCOMPARE(dialog.record().patientProperty(QStringLiteral("age")), QStringLiteral("11"));
}

void TestStudyDialog::trainingZones_data()
{
    QTest::addColumn<QString>("age");
    QTest::addColumn<int>("sex");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QString>("maximum");
    QTest::addColumn<QString>("subMaximal");
    QTest::newRow("male of 10 at 85 %") << "10" << 1 << 85 << "210" << "178";
    QTest::newRow("female of 10 at 85 %") << "10" << 2 << 85 << "200" << "170";
    QTest::newRow("no sex counts as female") << "10" << 0 << 85 << "200" << "170";
    QTest::newRow("male of 10 at 70 %") << "10" << 1 << 70 << "210" << "147";
    QTest::newRow("age not a number") << "ten" << 1 << 85 << "220" << "187";
}

void TestStudyDialog::trainingZones()
{
    QFETCH(QString, age);
    QFETCH(int, sex);
    QFETCH(int, percent);
    StudyDialog dialog(newStress(), m_store.get());
    dialog.show();
    typeInto(child<QLineEdit>(dialog, "txtAge"), age);
    child<QComboBox>(dialog, "cboSex")->setCurrentIndex(sex);
    child<QSpinBox>(dialog, "numSubmaxPercent")->setValue(percent);
    QTEST(child<QLineEdit>(dialog, "txtTrainingZoneMax")->text(), "maximum");
    QTEST(child<QLineEdit>(dialog, "txtTrainingZoneSubmax")->text(), "subMaximal");
    QVERIFY(child<QLineEdit>(dialog, "txtTrainingZoneMax")->isReadOnly());
    dialog.accept();
    QTEST(dialog.record().patientProperty(QStringLiteral("trainingZoneMax")), "maximum");
    QTEST(dialog.record().patientProperty(QStringLiteral("trainingZoneSubMax")), "subMaximal");
}

void TestStudyDialog::namesRequired()
{
    StudyDialog dialog(newStress(QString(), QString()), m_store.get());
    dialog.show();
    auto* last = child<QLineEdit>(dialog, "txtLastName");
    auto* first = child<QLineEdit>(dialog, "txtFirstName");
    const QString tint = QStringLiteral("background-color: lightyellow");
    QVERIFY(!okButton(dialog)->isEnabled());
    QCOMPARE(last->styleSheet(), tint);
    QCOMPARE(first->styleSheet(), tint);
    QTest::keyClicks(last, QStringLiteral("   "));
    QVERIFY(!okButton(dialog)->isEnabled());
    QCOMPARE(last->styleSheet(), tint);
    QTest::keyClicks(last, QStringLiteral("Smith"));
    QCOMPARE(last->styleSheet(), QString());
    QCOMPARE(first->styleSheet(), tint);
    QVERIFY(!okButton(dialog)->isEnabled());
    QTest::keyClicks(first, QStringLiteral("Luna"));
    QVERIFY(okButton(dialog)->isEnabled());
    QCOMPARE(first->styleSheet(), QString());
}

void TestStudyDialog::newStressWrittenBack()
{
    StudyDialog dialog(newStress(), m_store.get());
    dialog.show();
    QCOMPARE(child<QLineEdit>(dialog, "txtLastName")->text(), QStringLiteral("García"));
    QCOMPARE(child<QComboBox>(dialog, "cboSex")->currentIndex(), 1);
    // A new study's zones follow from what the quick form brought.
    QCOMPARE(child<QLineEdit>(dialog, "txtTrainingZoneMax")->text(), QStringLiteral("214"));
    QCOMPARE(child<QComboBox>(dialog, "cboStageProtocol")->currentText(), QStringLiteral("Example"));
    QVERIFY(qAbs(child<QDateTimeEdit>(dialog, "studyDateTime")->dateTime().secsTo(QDateTime::currentDateTime()))
            < 120);

    // Each field as typed, and the key of the record it is written to.
    const struct
    {
        const char* field;
        const char* key;
        bool patient;
        QString value;
    } fields[] = {{"cboAnimalSpecies", "animalSpecies", true, "Dog"},
                  {"cboAnimalBreed", "animalBreed", true, "Boxer"},
                  {"txtWeight", "weight", true, "31.5"},
                  {"txtHeight", "height", true, "60"},
                  {"txtMedicalHistoryNumber", "medicalHistoryNumber", true, "H-2231"},
                  {"txtPhoneNumber", "phoneNumber", true, "+34 600 000 000"},
                  {"cboDoctorName", "doctorName", false, "Dr. Vidal"},
                  {"cboReferringDoctorName", "referringDoctorName", false, "Dr. Ortiz"},
                  {"cboTechnicianName", "technicianName", false, "Ana"},
                  {"txtIndication", "indication", false, "Syncope on exercise"},
                  {"txtMedication", "treatment", false, "Pimobendan"},
                  {"txtComments", "comments", false, "Calm"},
                  {"cboStageProtocol", "protocolName", false, "Bruce"}};
    for (const auto& f : fields) {
        QWidget* w = child<QWidget>(dialog, f.field);
        if (auto* combo = qobject_cast<QComboBox*>(w))
            combo->setCurrentText(f.value);
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            typeInto(edit, f.value);
        else
            child<QPlainTextEdit>(dialog, f.field)->setPlainText(f.value);
    }
    child<QComboBox>(dialog, "cboSex")->setCurrentIndex(2);
    child<QDateTimeEdit>(dialog, "studyDateTime")->setDateTime(QDateTime(StudyDay, QTime(10, 30, 15)));
    QTest::mouseClick(okButton(dialog), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    const TStudyRecord& r = dialog.record();
    QCOMPARE(r.id, 0);
    for (const auto& f : fields)
        QCOMPARE(f.patient ? r.patientProperty(f.key) : r.property(f.key), f.value);
    QCOMPARE(r.patientProperty(QStringLiteral("sex")), QStringLiteral("F"));
    QCOMPARE(r.patientProperty(QStringLiteral("trainingZoneMax")), QStringLiteral("204"));
    QCOMPARE(r.patientProperty(QStringLiteral("trainingZoneSubMax")), QStringLiteral("173"));
    QCOMPARE(r.studyDateTime(), QStringLiteral("20261209103015"));
    QCOMPARE(r.property(QStringLiteral("studyType")), QStringLiteral("Stress test"));
}

void TestStudyDialog::cancelLeavesRecord()
{
    const TStudyRecord original = newStress();
    StudyDialog dialog(original, m_store.get());
    dialog.show();
    typeInto(child<QLineEdit>(dialog, "txtLastName"), QStringLiteral("Other"));
    child<QComboBox>(dialog, "cboAnimalSpecies")->setCurrentText(QStringLiteral("Cat"));
    dialog.reject();
    QCOMPARE(dialog.record(), original);
    QVERIFY(!QSettings().contains(QStringLiteral("StudyDialog/AnimalSpeciesList")));
}

void TestStudyDialog::remembersWhatWasTyped()
{
    QSettings().setValue(QStringLiteral("StudyDialog/AnimalSpeciesList"), QStringList({"horse", "Dog", "cat"}));
    {
        StudyDialog dialog(newStress(), m_store.get());
        auto* species = child<QComboBox>(dialog, "cboAnimalSpecies");
        QStringList shown;
        for (int i = 0; i < species->count(); ++i)
            shown << species->itemText(i);
        QCOMPARE(shown, QStringList({"cat", "Dog", "horse"}));
        QCOMPARE(species->currentText(), QString());
        species->setCurrentText(QStringLiteral("dog"));
        child<QComboBox>(dialog, "cboDoctorName")->setCurrentText(QStringLiteral("  Dr. Vidal "));
        dialog.accept();
    }
    QSettings settings;
    QCOMPARE(settings.value(QStringLiteral("StudyDialog/AnimalSpeciesList")).toStringList(),
             QStringList({"cat", "Dog", "horse", "dog"}));
    QCOMPARE(settings.value(QStringLiteral("StudyDialog/DoctorNameList")).toStringList(), QStringList({"Dr. Vidal"}));
    QCOMPARE(settings.value(QStringLiteral("StudyDialog/AnimalBreedList")).toStringList(), QStringList());

    StudyDialog again(newStress(), m_store.get());
    auto* species = child<QComboBox>(again, "cboAnimalSpecies");
    QCOMPARE(species->count(), 4);
    QCOMPARE(species->itemText(1), QStringLiteral("Dog"));
    QCOMPARE(species->itemText(2), QStringLiteral("dog"));
}

void TestStudyDialog::protocolChoicesIncludeTiltTest()
{
    const QStringList choices = StudyDialog::protocolChoices(m_store.get());
    QCOMPARE(choices.last(), QStringLiteral("Tilt test"));
    QVERIFY(choices.contains(QStringLiteral("Bruce")));
    QCOMPARE(choices.mid(0, choices.size() - 1), [&] {
        QStringList names;
        for (const QByteArray& name : m_store->protocolNames())
            names << QString::fromUtf8(name);
        return names;
    }());
    StudyDialog dialog(newStress(), m_store.get());
    auto* combo = child<QComboBox>(dialog, "cboStageProtocol");
    QVERIFY(combo->findText(QStringLiteral("Tilt test")) >= 0);
    combo->setCurrentText(QStringLiteral("Tilt test"));
    dialog.accept();
    QCOMPARE(dialog.record().property(QStringLiteral("protocolName")), QStringLiteral("Tilt test"));
}

void TestStudyDialog::lastProtocolOnlyForStress_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("remembered");
    QTest::newRow("stress test") << "Stress test" << "Bruce";
    QTest::newRow("resting ECG") << "ECG" << "Example";
}

void TestStudyDialog::lastProtocolOnlyForStress()
{
    QFETCH(QString, type);
    QSettings().setValue(QStringLiteral("StudyDialog/LastProtocol"), QStringLiteral("Example"));
    TStudyRecord record = newStress();
    record.setProperty(QStringLiteral("studyType"), type);
    if (type == QLatin1String("ECG"))
        record.setProperty(QStringLiteral("protocolName"), QString());
    StudyDialog dialog(record, m_store.get());
    child<QComboBox>(dialog, "cboStageProtocol")->setCurrentText(QStringLiteral("Bruce"));
    dialog.accept();
    QTEST(QSettings().value(QStringLiteral("StudyDialog/LastProtocol")).toString(), "remembered");
    if (type == QLatin1String("ECG"))
        QCOMPARE(dialog.record().property(QStringLiteral("protocolName")), QString());
}

void TestStudyDialog::recordedStudyKeepsItsProtocolAndZones()
{
    TStudyRecord record = newStress();
    record.id = 77;
    record.setProperty(QStringLiteral("protocolName"), QStringLiteral("Deleted since"));
    record.setProperty(QStringLiteral("studyDateTime"), QStringLiteral("20240102030405"));
    record.setPatientProperty(QStringLiteral("birthDate"), QStringLiteral("20180704"));
    record.setPatientProperty(QStringLiteral("trainingZoneMax"), QStringLiteral("214"));
    record.setPatientProperty(QStringLiteral("trainingZoneSubMax"), QStringLiteral("160"));
    record.setProperty(QStringLiteral("conclusion"), QStringLiteral("Normal"));
    StudyDialog dialog(record, m_store.get());
    QCOMPARE(child<QLineEdit>(dialog, "txtBirthDate")->text(), QStringLiteral("4/7/2018"));
    QCOMPARE(child<QComboBox>(dialog, "cboStageProtocol")->currentText(), QStringLiteral("Deleted since"));
    QVERIFY(!child<QPushButton>(dialog, "btnProtocols")->isEnabled());
    // Zones stored with another percentage stay until something they rest on changes.
    QCOMPARE(child<QLineEdit>(dialog, "txtTrainingZoneSubmax")->text(), QStringLiteral("160"));
    QCOMPARE(child<QDateTimeEdit>(dialog, "studyDateTime")->dateTime(),
             QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5)));
    dialog.accept();
    TStudyRecord expected = record;
    expected.properties = dialog.record().properties;
    QCOMPARE(dialog.record(), expected);
    QCOMPARE(dialog.record().property(QStringLiteral("protocolName")), QStringLiteral("Deleted since"));
    QCOMPARE(dialog.record().patientProperty(QStringLiteral("trainingZoneSubMax")), QStringLiteral("160"));
    QCOMPARE(dialog.record().studyDateTime(), QStringLiteral("20240102030405"));
    QCOMPARE(dialog.record().property(QStringLiteral("conclusion")), QStringLiteral("Normal"));
}

void TestStudyDialog::protocolsButtonRefillsTheChoices()
{
    StudyDialog dialog(newStress(), m_store.get());
    auto* combo = child<QComboBox>(dialog, "cboStageProtocol");
    combo->setCurrentText(QStringLiteral("Bruce"));
    QCOMPARE(combo->findText(QStringLiteral("Added meanwhile")), -1);
    bool listShown = false;
    AppTest::answerDialog<ProtocolListDialog>([&](ProtocolListDialog* list) {
        listShown = true;
        TProtocol added;
        added.appendStage(0, 60, 0, 0);
        added.appendStage(1, 60, 2, 0);
        added.appendStage(2, 60, 0, 0);
        m_store->setProtocol("Added meanwhile", added);
        list->reject();
    });
    QTest::mouseClick(child<QPushButton>(dialog, "btnProtocols"), Qt::LeftButton);
    QVERIFY(listShown);
    QVERIFY(combo->findText(QStringLiteral("Added meanwhile")) >= 0);
    QCOMPARE(combo->itemText(combo->count() - 1), QStringLiteral("Tilt test"));
    // The choice made before stays.
    QCOMPARE(combo->currentText(), QStringLiteral("Bruce"));
    m_store->deleteProtocol("Added meanwhile");
}

VELMORA_APP_TEST_MAIN(TestStudyDialog)
#include "tst_studydialog.moc"
