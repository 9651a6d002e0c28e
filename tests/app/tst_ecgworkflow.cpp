// The resting ECG from the launcher to the review window, in process and
// offscreen: the quick form, the monitor window recording the demo signal,
// Stop, Save or Repeat, the study in the store and the recent list, the
// review window and what it leaves in the record file.

#include "TestWidgets.h"
#include "AppTestEnvironment.h"

#include "AcquisitionTestWindow.h"
#include "ConfigDialog.h"
#include "EcgMonitorWindow.h"
#include "EcgReviewWindow.h"
#include "MainWindow.h"
#include "TSpeciesTable.h"

#include <QDir>
#include <QFile>
#include "OpenStudyDialog.h"
#include "StudyDialog.h"
#include "QSignalBrowseDisplay.h"
#include "TLocalStudyStore.h"
#include "TPagedFilterChain.h"
#include "TRecentStudies.h"
#include "TSignalBuffer.h"
#include "TStudy.h"
#include "TStudyRecorder.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

using TestWidgets::child;

namespace {

EcgReviewWindow* openReviewWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* review = qobject_cast<EcgReviewWindow*>(w))
            if (review->isVisible())
                return review;
    return nullptr;
}

} // namespace

class TestEcgWorkflow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void recordSaveAndReview();
    void repeatRecordsAnew();
    void deviceThatCannotBeCreated();
    void faultyRangeFileIsSaidAtStart();
    void moreStartsAnEcgWithTheStudyData();
    void browserDeletesAndOpens();
    void configurationTestThenRecord();

private:
    // Types the names into the ECG form and presses its Start.
    EcgMonitorWindow* startFromForm(MainWindow& launcher, const QString& first, const QString& last);
    void recordSeconds(EcgMonitorWindow* monitor, double seconds);
};

void TestEcgWorkflow::initTestCase()
{
    QSettings settings;
    settings.setValue(QStringLiteral("Config/AcqMode"), QStringLiteral("demo"));
    QVERIFY2(QFile::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/ecg500.dat")),
             "the demo recording is built beside the tests");
}

EcgMonitorWindow* TestEcgWorkflow::startFromForm(MainWindow& launcher, const QString& first, const QString& last)
{
    QTest::mouseClick(child<QPushButton>(&launcher, "btnNewStudyEcg"), Qt::LeftButton);
    auto* start = child<QPushButton>(&launcher, "btnStartEcg");
    QTest::keyClicks(child<QLineEdit>(&launcher, "editFirstNameEcg"), first);
    if (start->isEnabled())
        return nullptr; // a last name is still needed
    QTest::keyClicks(child<QLineEdit>(&launcher, "editLastNameEcg"), last);
    if (!start->isEnabled())
        return nullptr;
    QTest::mouseClick(start, Qt::LeftButton);
    return launcher.monitorWindow();
}

void TestEcgWorkflow::recordSeconds(EcgMonitorWindow* monitor, double seconds)
{
    auto* start = child<QPushButton>(monitor, "btnStart");
    auto* stop = child<QPushButton>(monitor, "btnStop");
    QVERIFY(start->isEnabled());
    QVERIFY(!stop->isEnabled());
    QTest::mouseClick(start, Qt::LeftButton);
    QTRY_VERIFY(stop->isEnabled());
    QCOMPARE(monitor->state(), EcgMonitorWindow::Recording);
    QTRY_VERIFY_WITH_TIMEOUT(monitor->recorder()->recordingTime() >= seconds, int(seconds * 1000) + 15000);
    QVERIFY(monitor->noSignalText().isEmpty());
    QTest::mouseClick(stop, Qt::LeftButton);
    QCOMPARE(monitor->state(), EcgMonitorWindow::Reviewing);
    QVERIFY(monitor->browseDisplay());
    QVERIFY(child<QPushButton>(monitor, "btnSave")->isEnabled());
    QVERIFY(child<QPushButton>(monitor, "btnRepeat")->isEnabled());
}

void TestEcgWorkflow::recordSaveAndReview()
{
    MainWindow launcher(AppTest::dataFolder());
    launcher.show();
    launcher.startStore();
    TStudyStore* store = launcher.store();
    QVERIFY(store);
    QCOMPARE(store->listStudies().size(), 0);

    QPointer<EcgMonitorWindow> monitor = startFromForm(launcher, QStringLiteral("Fido"), QStringLiteral("Rex"));
    QVERIFY(monitor);
    QVERIFY(!launcher.isEnabled());
    // The form is cleared for the next patient.
    QVERIFY(child<QLineEdit>(&launcher, "editFirstNameEcg")->text().isEmpty());
    const int id = monitor->study()->id();

    recordSeconds(monitor, 10.0);
    QTest::mouseClick(child<QPushButton>(monitor, "btnSave"), Qt::LeftButton);
    QTRY_VERIFY(!monitor);
    QTRY_VERIFY(launcher.isEnabled());

    // Stored, listed and remembered.
    const QVector<TStudySummary> studies = store->listStudies();
    QCOMPARE(studies.size(), 1);
    QCOMPARE(studies[0].id, id);
    QCOMPARE(studies[0].studyType, QStringLiteral("ECG"));
    QCOMPARE(studies[0].patientLastName, QStringLiteral("Rex"));
    QVERIFY(TRecentStudies::list().value(0).startsWith(QStringLiteral("%1||").arg(id)));
    auto* recent = child<QTreeWidget>(&launcher, "treeStudies");
    QCOMPARE(recent->topLevelItemCount(), 1);
    QCOMPARE(recent->topLevelItem(0)->data(0, Qt::DisplayRole).toInt(), id);

    // Opened for review at once, with its recording and measurement.
    EcgReviewWindow* review = nullptr;
    QTRY_VERIFY((review = openReviewWindow()) != nullptr);
    TStudy* study = review->study();
    QCOMPARE(study->id(), id);
    QVERIFY(store->isStudyOpen(id));
    QCOMPARE(study->recording()->channelCount(), 7);
    QVERIFY2(study->recording()->durationSeconds() >= 9.5, qPrintable(QString::number(study->recording()->durationSeconds())));
    QVERIFY(study->beats()->count() >= 10);
    QCOMPARE(review->chain()->output()->channelCount(), 7);
    const TStudyResults& results = study->results();
    QVERIFY(*results.value(QStringLiteral("measurementChannel")) >= 0.0);
    QVERIFY(*results.value(QStringLiteral("avgRRInterval")) > 0.3);
    QVERIFY(*results.value(QStringLiteral("QRSOnset")) < 0.0);
    QVERIFY(*results.value(QStringLiteral("QRSOffset")) > 0.0);
    QVERIFY(*results.value(QStringLiteral("TOffset")) > *results.value(QStringLiteral("QRSOffset")));

    // Opening it again is refused while it is open.
    AppTest::BoxAnswerer answerer;
    launcher.openStudyForReview(id);
    QCOMPARE(answerer.texts, QStringList{QStringLiteral("Study is already open for review")});

    // A conclusion typed and an event added reach the record file when the
    // window closes.
    QTest::keyClicks(child<QPlainTextEdit>(review, "textConclusion"), QStringLiteral("Sinus rhythm"));
    QTest::mouseClick(child<QPushButton>(review, "btnAddEvent"), Qt::LeftButton);
    QCOMPARE(child<QTreeWidget>(review, "treeEvents")->topLevelItemCount(), 1);
    // The study data edited from the review: the title follows, the base name
    // of the files stays.
    AppTest::answerDialog<StudyDialog>([](StudyDialog* dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Study data"));
        child<QLineEdit>(dialog, "txtLastName")->setText(QStringLiteral("Rex II"));
        child<QComboBox>(dialog, "cboAnimalSpecies")->setCurrentText(QStringLiteral("Dog"));
        dialog->accept();
    });
    const QString baseName = study->record().baseFilename();
    QTest::mouseClick(child<QPushButton>(review, "btnStudyData"), Qt::LeftButton);
    QVERIFY2(review->windowTitle().startsWith(QStringLiteral("Rex II, Fido - ")), qPrintable(review->windowTitle()));
    QCOMPARE(study->record().baseFilename(), baseName);
    QCOMPARE(study->record().events.size(), 1);
    review->close();
    QTRY_VERIFY(!store->isStudyOpen(id));
    // The recent list shows the new name, in the same place.
    QCOMPARE(recent->topLevelItem(0)->text(1), QStringLiteral("Rex II, Fido"));
    QCOMPARE(recent->topLevelItem(0)->data(0, Qt::DisplayRole).toInt(), id);

    std::unique_ptr<TStudy> saved =
        store->loadStudyFile(AppTest::dataFolder() + QStringLiteral("/%1.cxstudy").arg(baseName));
    QVERIFY(saved);
    QCOMPARE(saved->record().property(QStringLiteral("conclusion")), QStringLiteral("Sinus rhythm"));
    QCOMPARE(saved->record().patientProperty(QStringLiteral("lastName")), QStringLiteral("Rex II"));
    QCOMPARE(saved->record().patientProperty(QStringLiteral("animalSpecies")), QStringLiteral("Dog"));
    QCOMPARE(store->listStudies().value(0).patientLastName, QStringLiteral("Rex II"));
    QCOMPARE(saved->record().events.size(), 1);
    QCOMPARE(saved->record().events[0].description, QStringLiteral("Enter description"));
    QCOMPARE(saved->record().events[0].duration, 7.0);
    QVERIFY(*saved->results().value(QStringLiteral("avgRRInterval")) > 0.3);
}

void TestEcgWorkflow::repeatRecordsAnew()
{
    MainWindow launcher(AppTest::dataFolder());
    launcher.show();
    launcher.startStore();
    TStudyStore* store = launcher.store();
    const int before = store->listStudies().size();

    QPointer<EcgMonitorWindow> first = startFromForm(launcher, QStringLiteral("Luna"), QStringLiteral("Gata"));
    QVERIFY(first);
    const int firstId = first->study()->id();
    const QString firstFiles = AppTest::dataFolder() + QLatin1Char('/') + first->study()->record().baseFilename();
    recordSeconds(first, 2.0);
    QTest::mouseClick(child<QPushButton>(first, "btnRepeat"), Qt::LeftButton);
    QTRY_VERIFY(!first);

    // The same patient records anew under a new id; the first study is gone.
    QPointer<EcgMonitorWindow> second;
    QTRY_VERIFY((second = launcher.monitorWindow()) != nullptr);
    QVERIFY(second->study()->id() != firstId);
    QCOMPARE(second->study()->record().patientProperty(QStringLiteral("lastName")), QStringLiteral("Gata"));
    QVERIFY(!launcher.isEnabled());
    const QVector<TStudySummary> during = store->listStudies();
    for (const TStudySummary& s : during)
        QVERIFY(s.id != firstId);
    QCOMPARE(during.size(), before + 1);
    // The new study takes the freed file names; they hold the new id now.
    std::unique_ptr<TStudy> onDisk = store->loadStudyFile(firstFiles + QStringLiteral(".cxstudy"));
    QVERIFY(onDisk);
    QCOMPARE(onDisk->id(), second->study()->id());

    // Closing before Start records nothing: the empty study goes, and nothing
    // opens for review.
    const int secondId = second->study()->id();
    AppTest::BoxAnswerer answerer;
    second->close();
    QTRY_VERIFY(!second);
    QTRY_VERIFY(launcher.isEnabled());
    QTest::qWait(200);
    QVERIFY(!openReviewWindow());
    QVERIFY(answerer.texts.isEmpty());
    QVERIFY(!store->isStudyOpen(secondId));
    for (const TStudySummary& s : store->listStudies())
        QVERIFY(s.id != secondId);
    QCOMPARE(store->listStudies().size(), before);
}

void TestEcgWorkflow::deviceThatCannotBeCreated()
{
    // A recorder looked for on USB where there is none: the launcher says why
    // and stays usable; no study is left behind.
    QSettings().setValue(QStringLiteral("Config/AcqMode"), QString());
    MainWindow launcher(AppTest::dataFolder());
    launcher.show();
    launcher.startStore();
    const int before = launcher.store()->listStudies().size();
    AppTest::BoxAnswerer answerer;
    QVERIFY(!startFromForm(launcher, QStringLiteral("Max"), QStringLiteral("Perro")));
    QTRY_COMPARE(answerer.texts.size(), 1);
    QCOMPARE(answerer.texts[0], QStringLiteral("Device not found"));
    QVERIFY(launcher.isEnabled());
    QCOMPARE(launcher.store()->listStudies().size(), before);
    // What was typed stays for another try once the recorder is plugged in.
    QCOMPARE(child<QLineEdit>(&launcher, "editFirstNameEcg")->text(), QStringLiteral("Max"));
    QCOMPARE(child<QLineEdit>(&launcher, "editLastNameEcg")->text(), QStringLiteral("Perro"));
    QSettings().setValue(QStringLiteral("Config/AcqMode"), QStringLiteral("demo"));
}

void TestEcgWorkflow::faultyRangeFileIsSaidAtStart()
{
    // A clinic's reference range file with a typo: the launcher says which
    // line at start, and the shipped ranges hold.
    QDir().mkpath(AppTest::dataFolder());
    const QString path = AppTest::dataFolder() + QStringLiteral("/species-ranges.txt");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("range dog any HR = 70; 150\nrange dog any QRS = ; 5O\n");
    }
    {
        MainWindow launcher(AppTest::dataFolder());
        launcher.show();
        AppTest::BoxAnswerer answerer;
        launcher.startStore();
        QTRY_COMPARE(answerer.texts.size(), 1);
        QVERIFY2(answerer.texts[0].contains(QStringLiteral("line 2: \"5O\" is not a number")), qPrintable(answerer.texts[0]));
        QVERIFY(answerer.texts[0].endsWith(QStringLiteral("The shipped ranges are used.")));
        QVERIFY(launcher.isEnabled());
        QCOMPARE(TSpeciesTable::active().range("dog", TNormQuantity::HeartRate, TBodySize::Small, TAgeGroup::Adult)->low.value(),
                 60.0);
    }
    QVERIFY(QFile::remove(path));
    TSpeciesTable::resetActive();
}

void TestEcgWorkflow::moreStartsAnEcgWithTheStudyData()
{
    QSettings().setValue(QStringLiteral("StudyDialog/LastProtocol"), QStringLiteral("Example"));
    MainWindow launcher(AppTest::dataFolder());
    launcher.show();
    launcher.startStore();
    QTest::mouseClick(child<QPushButton>(&launcher, "btnNewStudyEcg"), Qt::LeftButton);
    QTest::keyClicks(child<QLineEdit>(&launcher, "editFirstNameEcg"), QStringLiteral("Mia"));
    QString title;
    bool protocolPageShown = true;
    AppTest::answerDialog<StudyDialog>([&](StudyDialog* dialog) {
        title = dialog->windowTitle();
        protocolPageShown = !child<QListWidget>(dialog, "listCategory")->item(2)->isHidden();
        child<QLineEdit>(dialog, "txtLastName")->setText(QStringLiteral("Soler"));
        child<QComboBox>(dialog, "cboAnimalSpecies")->setCurrentText(QStringLiteral("Cat"));
        dialog->accept();
    });
    // No worklist server is queried: its buttons are not offered.
    QVERIFY(child<QPushButton>(&launcher, "btnWorklistEcg")->isHidden());
    QVERIFY(child<QPushButton>(&launcher, "btnWorklistStress")->isHidden());
    // "More..." needs no complete form: the dialog asks for what is missing.
    QTest::mouseClick(child<QPushButton>(&launcher, "btnMoreEcg"), Qt::LeftButton);
    QCOMPARE(title, QStringLiteral("New ECG study"));
    QVERIFY(!protocolPageShown);
    QPointer<EcgMonitorWindow> monitor = launcher.monitorWindow();
    QVERIFY(monitor);
    QCOMPARE(monitor->study()->record().patientProperty(QStringLiteral("animalSpecies")), QStringLiteral("Cat"));
    QCOMPARE(monitor->study()->record().patientProperty(QStringLiteral("lastName")), QStringLiteral("Soler"));
    QVERIFY(child<QLineEdit>(&launcher, "editFirstNameEcg")->text().isEmpty());
    // A resting ECG leaves the stress form's protocol choice alone.
    QCOMPARE(QSettings().value(QStringLiteral("StudyDialog/LastProtocol")).toString(), QStringLiteral("Example"));
    monitor->close();
    QTRY_VERIFY(!monitor);
    QTRY_VERIFY(launcher.isEnabled());
}

void TestEcgWorkflow::browserDeletesAndOpens()
{
    MainWindow launcher(AppTest::dataFolder());
    launcher.show();
    launcher.startStore();
    TStudyStore* store = launcher.store();
    // Three studies in the index and the recent list, the third open for review.
    QList<int> ids;
    for (const char* name : {"Borrar", "Quitar", "Abierto"}) {
        TQuickPatient patient;
        patient.lastName = QLatin1String(name);
        patient.firstName = QStringLiteral("Tom");
        TStudyRecord record = TStudyRecord::newStudy(TStudyRecord::Ecg, patient);
        record.acquisition = {2, 500, 16, 300.0, QStringLiteral("short"), "I,II"};
        TStudy* study = store->saveNewStudy(record);
        ids << study->id();
        TRecentStudies::add(study->id(), study->record().studyDateTime(), patient.lastName, patient.firstName);
        if (ids.size() < 3)
            store->closeStudy(study->id());
    }
    launcher.showRecentStudies();
    auto* recent = child<QTreeWidget>(&launcher, "treeStudies");
    auto recentIds = [recent]() {
        QList<int> shown;
        for (int i = 0; i < recent->topLevelItemCount(); ++i)
            shown << recent->topLevelItem(i)->data(0, Qt::DisplayRole).toInt();
        return shown;
    };
    for (int id : ids)
        QVERIFY(recentIds().contains(id));

    // All three deleted in one run: the two closed ones go from disk, index
    // and recent list; the open one stays everywhere, and the user is told.
    // At each deletion the launcher has already shown the list without it.
    QList<bool> stillShownAtDeletion;
    QStringList told;
    AppTest::answerDialog<OpenStudyDialog>([&](OpenStudyDialog* dialog) {
        connect(dialog, &OpenStudyDialog::deletedStudy, dialog,
                [&](int id) { stillShownAtDeletion << recentIds().contains(id); });
        auto* tree = child<QTreeWidget>(dialog, "treeStudies");
        tree->clearSelection();
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            if (ids.contains(tree->topLevelItem(i)->data(0, Qt::DisplayRole).toInt()))
                tree->topLevelItem(i)->setSelected(true);
        }
        QTimer answering;
        connect(&answering, &QTimer::timeout, [&]() {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                told << box->text();
                QAbstractButton* yes = box->button(QMessageBox::Yes);
                if (yes)
                    yes->click();
                else
                    box->done(QMessageBox::Ok);
            }
        });
        answering.start(30);
        child<QPushButton>(dialog, "btnDelete")->click();
        answering.stop();
        dialog->reject();
    });
    QTest::mouseClick(child<QPushButton>(&launcher, "btnOpenMore"), Qt::LeftButton);
    QCoreApplication::processEvents();
    QCOMPARE(told.value(0), QStringLiteral("Delete selected studies from local folder?"));
    QVERIFY2(told.size() == 2 && told[1].contains(QStringLiteral("Abierto")), qPrintable(told.join('|')));
    QVERIFY(!recentIds().contains(ids[0]));
    QVERIFY(!recentIds().contains(ids[1]));
    QVERIFY(recentIds().contains(ids[2]));
    QCOMPARE(stillShownAtDeletion, QList<bool>({false, false}));
    QVector<int> indexed;
    for (const TStudySummary& summary : store->listStudies())
        indexed << summary.id;
    QVERIFY(!indexed.contains(ids[0]) && !indexed.contains(ids[1]) && indexed.contains(ids[2]));

    // Accepted on a study: the launcher opens it for review (here refused,
    // since it is open already).
    AppTest::answerDialog<OpenStudyDialog>([&](OpenStudyDialog* dialog) {
        auto* tree = child<QTreeWidget>(dialog, "treeStudies");
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            if (tree->topLevelItem(i)->data(0, Qt::DisplayRole).toInt() == ids[2])
                tree->setCurrentItem(tree->topLevelItem(i));
        }
        dialog->accept();
    });
    AppTest::BoxAnswerer boxes;
    QTest::mouseClick(child<QPushButton>(&launcher, "btnOpenMore"), Qt::LeftButton);
    QTRY_COMPARE(boxes.texts, QStringList{QStringLiteral("Study is already open for review")});
    store->closeStudy(ids[2]);
    store->deleteStudy(ids[2]);
    TRecentStudies::remove(ids[2]);
}

void TestEcgWorkflow::configurationTestThenRecord()
{
    MainWindow launcher(AppTest::dataFolder());
    launcher.show();
    launcher.startStore();
    const QStringList keysBefore = QSettings().allKeys();
    bool testShown = false;
    AppTest::answerDialog<ConfigDialog>([&](ConfigDialog* dialog) {
        auto* test = child<QPushButton>(dialog, "btnAcqTest");
        QVERIFY(test->isEnabled());
        test->click();
        // A second Test replaces the first window.
        test->click();
        QCOMPARE(dialog->findChildren<AcquisitionTestWindow*>().size(), 1);
        // The test window is usable beside the modal dialog and is closed from here.
        AcquisitionTestWindow* window = dialog->findChild<AcquisitionTestWindow*>();
        testShown = window && window->isVisible() && window->windowTitle() == QStringLiteral("Acquisition test");
        if (window) {
            QPointer<AcquisitionTestWindow> watched = window;
            QTest::qWait(500);
            window->close();
            QTRY_VERIFY(!watched);
        }
        dialog->reject();
    });
    QTest::mouseClick(child<QPushButton>(&launcher, "btnConfig"), Qt::LeftButton);
    QVERIFY(testShown);
    QCOMPARE(QSettings().allKeys(), keysBefore);

    // A study recorded after the test: the device is free and records.
    QPointer<EcgMonitorWindow> monitor = startFromForm(launcher, QStringLiteral("Tras"), QStringLiteral("Prueba"));
    QVERIFY(monitor);
    recordSeconds(monitor, 3.0);
    monitor->close();
    QTRY_VERIFY(!monitor);
    QTRY_VERIFY(launcher.isEnabled());
}

VELMORA_APP_TEST_MAIN(TestEcgWorkflow)
#include "tst_ecgworkflow.moc"
