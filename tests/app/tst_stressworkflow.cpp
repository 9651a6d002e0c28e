// The stress test from the launcher to the stored study, in process and
// offscreen, recording the demo signal in real time: a short treadmill
// protocol with the treadmill simulator and an ergometer protocol with the
// ergometer simulator, each stage's load checked where it reached the machine;
// the tilt test; the checks before anything is saved; a window closed before
// Start; the export after recording.

#include "TestWidgets.h"
#include "AppTestEnvironment.h"
#include "StressTestSupport.h"

#include "MainWindow.h"
#include "StressMonitorWindow.h"
#include "StressReviewWindow.h"
#include "StudyDialog.h"
#include "TErgometerSimulator.h"
#include "TLocalStudyStore.h"
#include "TProtocol.h"
#include "TRecentStudies.h"
#include "TSettingsKeys.h"
#include "TSignalBuffer.h"
#include "TStudy.h"
#include "TStudyRecorder.h"
#include "TTreadmillSimulator.h"
#include "TValueArray.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

using TestWidgets::child;

using namespace StressTest;

namespace {

TProtocol shortProtocol(const QByteArray& name, int type, const QVector<QVector<double>>& stages)
{
    TProtocol p;
    p.setName(name);
    p.setType(type);
    for (const QVector<double>& s : stages) {
        TProtocolStage& stage = p.insertStage(p.stageCount());
        stage = TProtocolStage();
        stage.setPhase(int(s[0]));
        stage.setDuration(s[1]);
        if (type == TProtocol::Ergometer) {
            stage.setValue(QStringLiteral("workload"), s[2]);
        } else {
            stage.setValue(QStringLiteral("speed"), s[2]);
            stage.setValue(QStringLiteral("incline"), s[3]);
        }
    }
    return p;
}

// Fills the stress form and presses Start; the monitor window, or null.
StressMonitorWindow* startFromForm(MainWindow& launcher, const QString& last, const QString& protocol)
{
    QTest::mouseClick(child<QPushButton>(&launcher, "btnNewStudyStress"), Qt::LeftButton);
    QTest::keyClicks(child<QLineEdit>(&launcher, "editLastNameStress"), last);
    QTest::keyClicks(child<QLineEdit>(&launcher, "editFirstNameStress"), QStringLiteral("Toby"));
    QTest::keyClicks(child<QLineEdit>(&launcher, "editAgeStress"), QStringLiteral("6"));
    child<QRadioButton>(&launcher, "radFemaleStress")->setChecked(true);
    auto* combo = child<QComboBox>(&launcher, "cmbProtocol");
    const int index = combo->findText(protocol);
    if (index < 0)
        return nullptr;
    combo->setCurrentIndex(index);
    auto* start = child<QPushButton>(&launcher, "btnStartStress");
    if (!start->isEnabled())
        return nullptr;
    QTest::mouseClick(start, Qt::LeftButton);
    return launcher.stressMonitorWindow();
}

// Fills the stress form without pressing Start.
void fillStressForm(MainWindow& launcher, const QString& last, const QString& protocol)
{
    QTest::mouseClick(child<QPushButton>(&launcher, "btnNewStudyStress"), Qt::LeftButton);
    QTest::keyClicks(child<QLineEdit>(&launcher, "editLastNameStress"), last);
    QTest::keyClicks(child<QLineEdit>(&launcher, "editFirstNameStress"), QStringLiteral("Toby"));
    QTest::keyClicks(child<QLineEdit>(&launcher, "editAgeStress"), QStringLiteral("6"));
    child<QRadioButton>(&launcher, "radMaleStress")->setChecked(true);
    auto* combo = child<QComboBox>(&launcher, "cmbProtocol");
    combo->setCurrentIndex(combo->findText(protocol));
}

// Start, the protocol run to its last stage and a few seconds more, Stop; the
// prompts answered with 120/80 meanwhile.
// The stress review window the launcher opened, if any.
StressReviewWindow* openReview()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* review = qobject_cast<StressReviewWindow*>(w); review && review->isVisible())
            return review;
    }
    return nullptr;
}

void runProtocol(StressMonitorWindow* monitor, double seconds)
{
    QTest::mouseClick(child<QPushButton>(monitor, "btnStart"), Qt::LeftButton);
    QTRY_COMPARE(monitor->state(), StressMonitorWindow::Recording);
    PromptAnswerer answerer(120, 80);
    QTRY_VERIFY_WITH_TIMEOUT(monitor->recorder()->recordingTime() >= seconds, int(seconds * 1000) + 20000);
    QTest::mouseClick(child<QPushButton>(monitor, "btnStop"), Qt::LeftButton);
}

bool isBox(const QString& text, const QString& start)
{
    return text.startsWith(start);
}

} // namespace

class TestStressWorkflow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void treadmillProtocol();
    void ergometerProtocol();
    void tiltTestIsExported();
    void protocolDeletedMeanwhileSavesNothing();
    void notEnoughFreeSpace();
    void closedBeforeStartLeavesNoStudy();
    void moreStartsWithTheStudyData();
    void moreCancelledStartsNothing();
    void moreTiltTestIsATiltTest();

private:
    QString m_root;
};

void TestStressWorkflow::initTestCase()
{
    QSettings settings;
    settings.setValue(QStringLiteral("Config/AcqMode"), QStringLiteral("demo"));
    settings.setValue(QStringLiteral("BPDialog/Print"), false);
    QVERIFY2(QFile::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/ecg500.dat")),
             "the demo recording is built beside the tests");
    m_root = AppTest::dataFolder();
    // The short protocols go into the table before the launcher reads it.
    TLocalStudyStore store(m_root);
    store.setProtocol("Short treadmill",
                      shortProtocol("Short treadmill", TProtocol::Treadmill,
                                    {{0, 5, 0, 0}, {1, 7, 3.0, 5.0}, {1, 7, 4.5, 10.0}, {2, 5, 1.5, 0.0}}));
    store.setProtocol("Short ergometer",
                      shortProtocol("Short ergometer", TProtocol::Ergometer,
                                    {{0, 9, 0}, {1, 6, 50.0}, {1, 6, 100.0}, {2, 5, 25.0}}));
}

void TestStressWorkflow::treadmillProtocol()
{
    TTreadmillSimulator treadmill;
    QVERIFY(treadmill.start());
    QSettings settings;
    settings.setValue(QStringLiteral("Config/TreadmillEquipment"), QStringLiteral("kipmachines"));
    settings.setValue(QStringLiteral("Config/TreadmillPort"), treadmill.portPath());

    MainWindow launcher(m_root);
    launcher.show();
    launcher.startStore();
    QPointer<StressMonitorWindow> monitor = startFromForm(launcher, QStringLiteral("Bello"), "Short treadmill");
    QVERIFY(monitor);
    QVERIFY(!launcher.isEnabled());
    // The form is cleared once the window is up; the protocol is remembered.
    QVERIFY(child<QLineEdit>(&launcher, "editLastNameStress")->text().isEmpty());
    QCOMPARE(settings.value(TSettingsKeys::LastProtocol).toString(), QStringLiteral("Short treadmill"));
    const int id = monitor->study()->id();
    QCOMPARE(monitor->recorder()->protocol()->stageCount(), 4);

    AppTest::BoxAnswerer boxes;
    runProtocol(monitor, 25.0);
    QTRY_VERIFY(!monitor);
    QTRY_VERIFY(launcher.isEnabled());
    // Opened for review; closing the review closes the study.
    QPointer<StressReviewWindow> review;
    QTRY_VERIFY((review = openReview()));
    QCOMPARE(review->study()->id(), id);
    QCOMPARE(review->findChild<QTreeWidget*>(QStringLiteral("treeProtocol"))->topLevelItemCount(), 4);
    QVERIFY(boxes.texts.isEmpty());
    review->close();
    QTRY_VERIFY(!review);
    QVERIFY(!launcher.store()->isStudyOpen(id));
    QCOMPARE(TRecentStudies::rows(TRecentStudies::list()).value(0).id, id);

    // Every stage's speed and incline reached the treadmill, then the stop.
    QStringList told;
    for (const TTreadmillSimulator::Frame& f : treadmill.frames())
        told << TTreadmillSimulator::describe(f.bytes);
    const QString log = told.join(QStringLiteral(", "));
    for (const char* expected : {"speed 3.0 km/h, incline 5.0 %", "speed 4.5 km/h, incline 10.0 %",
                                 "speed 1.5 km/h, incline 0.0 %"})
        QVERIFY2(log.contains(QLatin1String(expected)), qPrintable(log));
    QVERIFY2(told.last() == QStringLiteral("ST (belt stop)"), qPrintable(log));

    std::unique_ptr<TStudy> study = launcher.store()->loadStudyFile(
        m_root + QStringLiteral("/%1.cxstudy").arg(launcher.store()->openStudy(id)->record().baseFilename()));
    launcher.store()->closeStudy(id);
    QVERIFY(study && study->protocol());
    QCOMPARE(study->protocol()->stageCount(), 4);
    QVERIFY(study->recording()->durationSeconds() >= 25.0);
    const TValueArray* systolic = study->results().valueArray(QStringLiteral("sysBPPerStage"));
    QVERIFY(systolic->size() >= 3);
    for (int k = 0; k < systolic->size(); ++k)
        QCOMPARE(systolic->value(k), 120.0);
    QCOMPARE(study->record().events.size(), 4);
    settings.remove(QStringLiteral("Config/TreadmillEquipment"));
}

void TestStressWorkflow::ergometerProtocol()
{
    TErgometerSimulator ergometer;
    QVERIFY(ergometer.start());
    QSettings settings;
    settings.setValue(QStringLiteral("Config/ErgometerEquipment"), QStringLiteral("olmo"));
    settings.setValue(QStringLiteral("Config/ErgometerPort"), ergometer.portPath());

    MainWindow launcher(m_root);
    launcher.show();
    launcher.startStore();
    QPointer<StressMonitorWindow> monitor = startFromForm(launcher, QStringLiteral("Kira"), "Short ergometer");
    QVERIFY(monitor);
    AppTest::BoxAnswerer boxes;
    runProtocol(monitor, 24.0);
    QTRY_VERIFY(!monitor);
    QTRY_VERIFY(launcher.isEnabled());
    // The ergometer's start-up, then 50 W, up by 50, down by 75, and the reset.
    QByteArrayList told;
    for (const TErgometerSimulator::Command& c : ergometer.commands())
        told << c.text;
    const QByteArray log = told.join(' ');
    QVERIFY2(log.startsWith("r c a p d 50 a i 50 i -75"), log.constData());
    QVERIFY2(told.last() == "r", log.constData());
    QVERIFY(boxes.texts.isEmpty());
    QPointer<StressReviewWindow> review;
    QTRY_VERIFY((review = openReview()));
    review->close();
    QTRY_VERIFY(!review);
    settings.remove(QStringLiteral("Config/ErgometerEquipment"));
}

void TestStressWorkflow::tiltTestIsExported()
{
    QTemporaryDir exports;
    QSettings settings;
    settings.setValue(QStringLiteral("Config/AutoExportStudies"), true);
    settings.setValue(QStringLiteral("Config/ExportStressStudyFolder"), exports.path());
    MainWindow launcher(m_root);
    launcher.show();
    launcher.startStore();
    QPointer<StressMonitorWindow> monitor = startFromForm(launcher, QStringLiteral("Nube"), "Tilt test");
    QVERIFY(monitor);
    QCOMPARE(monitor->study()->property(QStringLiteral("studyType")), QStringLiteral("Tilt test"));
    const TProtocol* planned = monitor->recorder()->protocol();
    QCOMPARE(planned->stageCount(), 13);
    QCOMPARE(planned->totalDuration(), 2760.0);
    QCOMPARE(planned->type(), int(TProtocol::TiltTest));
    AppTest::BoxAnswerer boxes;
    runProtocol(monitor, 2.0);
    QTRY_VERIFY(!monitor);
    QTRY_COMPARE(boxes.texts.size(), 1);
    QVERIFY2(isBox(boxes.texts.at(0), QStringLiteral("Study file was succesfully exported to folder: ")),
             qPrintable(boxes.texts.at(0)));
    QCOMPARE(QDir(exports.path()).entryList({QStringLiteral("*.cxz")}).size(), 1);
    settings.setValue(QStringLiteral("Config/AutoExportStudies"), false);
}

void TestStressWorkflow::protocolDeletedMeanwhileSavesNothing()
{
    MainWindow launcher(m_root);
    launcher.show();
    launcher.startStore();
    TStudyStore* store = launcher.store();
    store->setProtocol("Gone soon", shortProtocol("Gone soon", TProtocol::Treadmill,
                                                  {{0, 5, 0, 0}, {1, 5, 3, 0}, {2, 5, 0, 0}}));
    child<QComboBox>(&launcher, "cmbProtocol")->addItem(QStringLiteral("Gone soon"));
    store->deleteProtocol("Gone soon");
    const int before = store->listStudies().size();
    AppTest::BoxAnswerer boxes;
    QVERIFY(!startFromForm(launcher, QStringLiteral("Paco"), "Gone soon"));
    QTRY_COMPARE(boxes.texts.size(), 1);
    QVERIFY(boxes.texts.at(0).startsWith(QStringLiteral("Cannot load protocol")));
    QCOMPARE(store->listStudies().size(), before);
    // What was typed stays for another try.
    QCOMPARE(child<QLineEdit>(&launcher, "editLastNameStress")->text(), QStringLiteral("Paco"));
    QVERIFY(launcher.isEnabled());
}

void TestStressWorkflow::notEnoughFreeSpace()
{
    MainWindow launcher(m_root);
    launcher.setFreeSpaceQuery([](const QString&) { return qint64(52428799); });
    launcher.show();
    launcher.startStore();
    const int before = launcher.store()->listStudies().size();
    AppTest::BoxAnswerer boxes;
    QVERIFY(!startFromForm(launcher, QStringLiteral("Lleno"), "Short treadmill"));
    QTRY_COMPARE(boxes.texts.size(), 1);
    QCOMPARE(boxes.texts.at(0), QStringLiteral("There is not enough free space on disk.\nPlease free at least 50 MB "
                                               "to start a new study."));
    QCOMPARE(launcher.store()->listStudies().size(), before);
}

void TestStressWorkflow::closedBeforeStartLeavesNoStudy()
{
    MainWindow launcher(m_root);
    launcher.show();
    launcher.startStore();
    const int before = launcher.store()->listStudies().size();
    const QStringList recent = TRecentStudies::list();
    QPointer<StressMonitorWindow> monitor = startFromForm(launcher, QStringLiteral("Nada"), "Short treadmill");
    QVERIFY(monitor);
    QTest::qWait(500);
    AppTest::BoxAnswerer boxes;
    monitor->close();
    QTRY_VERIFY(!monitor);
    QTRY_VERIFY(launcher.isEnabled());
    QTest::qWait(200);
    QCOMPARE(launcher.store()->listStudies().size(), before);
    QCOMPARE(TRecentStudies::list(), recent);
    QVERIFY(boxes.texts.isEmpty());
}

void TestStressWorkflow::moreStartsWithTheStudyData()
{
    MainWindow launcher(m_root);
    launcher.show();
    launcher.startStore();
    fillStressForm(launcher, QStringLiteral("Ferrer"), QStringLiteral("Short treadmill"));
    QString title;
    QString formProtocol;
    AppTest::answerDialog<StudyDialog>([&](StudyDialog* dialog) {
        title = dialog->windowTitle();
        formProtocol = child<QComboBox>(dialog, "cboStageProtocol")->currentText();
        QCOMPARE(child<QLineEdit>(dialog, "txtLastName")->text(), QStringLiteral("Ferrer"));
        child<QComboBox>(dialog, "cboAnimalSpecies")->setCurrentText(QStringLiteral("Dog"));
        child<QComboBox>(dialog, "cboAnimalBreed")->setCurrentText(QStringLiteral("Galgo"));
        child<QLineEdit>(dialog, "txtWeight")->setText(QStringLiteral("27"));
        child<QComboBox>(dialog, "cboDoctorName")->setCurrentText(QStringLiteral("Dr. Vidal"));
        child<QPlainTextEdit>(dialog, "txtIndication")->setPlainText(QStringLiteral("Syncope"));
        child<QComboBox>(dialog, "cboStageProtocol")->setCurrentText(QStringLiteral("Short ergometer"));
        child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Ok)->click();
    });
    QTest::mouseClick(child<QPushButton>(&launcher, "btnMoreStress"), Qt::LeftButton);
    QCOMPARE(title, QStringLiteral("New Stress Test study"));
    QCOMPARE(formProtocol, QStringLiteral("Short treadmill"));
    QPointer<StressMonitorWindow> monitor = launcher.stressMonitorWindow();
    QVERIFY(monitor);
    // Started as Start starts: the form cleared, the dialog's protocol run and remembered.
    QVERIFY(child<QLineEdit>(&launcher, "editLastNameStress")->text().isEmpty());
    QCOMPARE(monitor->recorder()->protocol()->type(), int(TProtocol::Ergometer));
    QCOMPARE(QSettings().value(TSettingsKeys::LastProtocol).toString(), QStringLiteral("Short ergometer"));
    const TStudyRecord& record = monitor->study()->record();
    QCOMPARE(record.property(QStringLiteral("studyType")), QStringLiteral("Stress test"));
    QCOMPARE(record.patientProperty(QStringLiteral("animalSpecies")), QStringLiteral("Dog"));
    QCOMPARE(record.patientProperty(QStringLiteral("animalBreed")), QStringLiteral("Galgo"));
    QCOMPARE(record.patientProperty(QStringLiteral("weight")), QStringLiteral("27"));
    QCOMPARE(record.patientProperty(QStringLiteral("trainingZoneMax")), QStringLiteral("214"));
    QCOMPARE(record.property(QStringLiteral("doctorName")), QStringLiteral("Dr. Vidal"));
    QCOMPARE(record.property(QStringLiteral("indication")), QStringLiteral("Syncope"));
    QVERIFY(!record.studyDateTime().isEmpty());
    QCOMPARE(record.baseFilename().right(14), record.studyDateTime());
    monitor->close();
    QTRY_VERIFY(!monitor);
    QTRY_VERIFY(launcher.isEnabled());
}

void TestStressWorkflow::moreCancelledStartsNothing()
{
    MainWindow launcher(m_root);
    launcher.show();
    launcher.startStore();
    const int before = launcher.store()->listStudies().size();
    fillStressForm(launcher, QStringLiteral("Quieto"), QStringLiteral("Short treadmill"));
    AppTest::answerDialog<StudyDialog>([](StudyDialog* dialog) {
        child<QComboBox>(dialog, "cboStageProtocol")->setCurrentText(QStringLiteral("Short ergometer"));
        dialog->reject();
    });
    QTest::mouseClick(child<QPushButton>(&launcher, "btnMoreStress"), Qt::LeftButton);
    QVERIFY(!launcher.stressMonitorWindow());
    QVERIFY(launcher.isEnabled());
    QCOMPARE(child<QLineEdit>(&launcher, "editLastNameStress")->text(), QStringLiteral("Quieto"));
    QCOMPARE(child<QComboBox>(&launcher, "cmbProtocol")->currentText(), QStringLiteral("Short treadmill"));
    QCOMPARE(launcher.store()->listStudies().size(), before);
}

void TestStressWorkflow::moreTiltTestIsATiltTest()
{
    MainWindow launcher(m_root);
    launcher.show();
    launcher.startStore();
    fillStressForm(launcher, QStringLiteral("Inclinado"), QStringLiteral("Short treadmill"));
    AppTest::answerDialog<StudyDialog>([](StudyDialog* dialog) {
        child<QComboBox>(dialog, "cboStageProtocol")->setCurrentText(QStringLiteral("Tilt test"));
        dialog->accept();
    });
    QTest::mouseClick(child<QPushButton>(&launcher, "btnMoreStress"), Qt::LeftButton);
    QPointer<StressMonitorWindow> monitor = launcher.stressMonitorWindow();
    QVERIFY(monitor);
    QCOMPARE(monitor->study()->property(QStringLiteral("studyType")), QStringLiteral("Tilt test"));
    QCOMPARE(monitor->recorder()->protocol()->type(), int(TProtocol::TiltTest));
    QCOMPARE(monitor->recorder()->protocol()->stageCount(), 13);
    monitor->close();
    QTRY_VERIFY(!monitor);
    QTRY_VERIFY(launcher.isEnabled());
}

VELMORA_APP_TEST_MAIN(TestStressWorkflow)
#include "tst_stressworkflow.moc"
