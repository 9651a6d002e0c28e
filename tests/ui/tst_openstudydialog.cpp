// The study browser in-process and offscreen, over a real study store in a
// temporary data folder, with its boxes answered from the test.

#include "AppTestEnvironment.h"
#include "TestFiles.h"
#include "TestWidgets.h"
#include "OpenStudyDialog.h"
#include "QZipFileCreator.h"
#include "TLocalStudyStore.h"
#include "TStudy.h"
#include "TException.h"
#include "TStudyArchive.h"
#include "TStudyCopyBatch.h"
#include "TStudyFilter.h"
#include "TStudyRowTexts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <memory>
#include <vector>

namespace {


struct Patient
{
    QString last;
    QString first;
    TStudyRecord::StudyKind kind;
    QString dateTime;
    bool reported;
};

const QList<Patient> Clinic = {
    {"Perez", "Rex", TStudyRecord::StressTest, "20261201093000", true},
    {"Gomez", "Luna", TStudyRecord::Ecg, "20261202101500", false},
    {"Smith", "Rex", TStudyRecord::Ecg, "20261203111500", false},
    {"Rexford", "Bella", TStudyRecord::StressTest, "20261204121500", true},
};

// The real store, whose export of one study can be made to fail as a full
// or unreachable shared folder makes it fail.
class TestStore : public TLocalStudyStore
{
public:
    using TLocalStudyStore::TLocalStudyStore;
    int failingExport = 0;
    int keptOnDelete = 0; // a study whose files the system would not let go

    void deleteStudy(int id) override
    {
        if (id != keptOnDelete)
            TLocalStudyStore::deleteStudy(id);
    }

    void exportStudy(int id, const QString& folder) override
    {
        if (id == failingExport)
            throw TException("Write error");
        TLocalStudyStore::exportStudy(id, folder);
    }
};

// A data folder of its own with a real study store, and a shared folder.
struct Scene
{
    QTemporaryDir folder;
    std::unique_ptr<TestStore> store;
    QString shared;

    Scene()
    {
        store = std::make_unique<TestStore>(folder.filePath("data"));
        shared = folder.filePath("shared");
        QDir().mkpath(shared);
    }

    int add(const Patient& p, int frames = 1000)
    {
        TQuickPatient patient;
        patient.lastName = p.last;
        patient.firstName = p.first;
        TStudyRecord record = TStudyRecord::newStudy(p.kind, patient, p.kind == TStudyRecord::StressTest ? "Bruce" : "",
                                                     QDateTime::fromString(p.dateTime, "yyyyMMddHHmmss"));
        record.acquisition = {2, 500, 16, 300.0, QStringLiteral("short"), "I,II"};
        TStudy* study = store->saveNewStudy(record);
        std::vector<qint16> samples(size_t(frames) * 2);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = qint16(i * 37 % 2001 - 1000);
        study->recording()->append(samples.data(), int(samples.size() * 2));
        if (p.reported)
            study->record().setProperty("status", "report");
        store->updateStudy(study->record());
        const int id = study->id();
        store->closeStudy(id);
        return id;
    }

    QList<int> addClinic()
    {
        QList<int> ids;
        for (const Patient& p : Clinic)
            ids << add(p);
        return ids;
    }

    TStudySummary summary(int id) const
    {
        for (const TStudySummary& s : store->listStudies())
            if (s.id == id)
                return s;
        return TStudySummary();
    }

    bool indexed(int id) const { return summary(id).id == id; }

    QString studyFile(int id, const QString& extension) const
    {
        return store->studyFilePath(summary(id).baseFilename, extension);
    }
};

// The clinic's studies in a new store, listed in the dialog, shown.
struct Browser : Scene
{
    const QList<int> ids = addClinic();
    OpenStudyDialog dialog{*store};
    Browser() { dialog.show(); }
};

void resetSettings()
{
    QSettings().clear();
}

using TestWidgets::child;

QTreeWidget* localTree(QWidget& d) { return child<QTreeWidget>(d, "treeStudies"); }
QTreeWidget* sharedTree(QWidget& d) { return child<QTreeWidget>(d, "treeSharedStudies"); }
using TestWidgets::okButton;

QStringList visiblePatients(QTreeWidget* tree, int column)
{
    QStringList names;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        if (!tree->topLevelItem(i)->isHidden())
            names << tree->topLevelItem(i)->text(column);
    names.sort();
    return names;
}

QTreeWidgetItem* localRowOf(QWidget& d, int id)
{
    QTreeWidget* tree = localTree(d);
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        if (tree->topLevelItem(i)->text(TStudyRowTexts::IdColumn).toInt() == id)
            return tree->topLevelItem(i);
    return nullptr;
}

QTreeWidgetItem* sharedRowOf(QWidget& d, const QString& fileName)
{
    QTreeWidget* tree = sharedTree(d);
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        if (tree->topLevelItem(i)->text(TStudyRowTexts::FileColumn) == fileName)
            return tree->topLevelItem(i);
    return nullptr;
}

void selectOnly(QTreeWidget* tree, const QList<QTreeWidgetItem*>& items)
{
    tree->clearSelection();
    for (QTreeWidgetItem* item : items)
        item->setSelected(true);
}

// The dialog with the shared panel shown on folder (through the folder
// chooser, as a user adds one).
void showShared(OpenStudyDialog& dialog, const QString& folder)
{
    dialog.setFolderChooser([folder](QWidget*) { return folder; });
    child<QPushButton>(dialog, "btnShare")->click();
    child<QPushButton>(dialog, "btnShareFolder")->click();
}

QStringList archiveNames(const QString& folder)
{
    return QDir(folder).entryList({"*.cxz"}, QDir::Files, QDir::Name);
}

} // namespace

class TestOpenStudyDialog : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetSettings(); }

    void filterWords_data();
    void filterWords();
    void filterInTheDialog_data();
    void filterInTheDialog();
    void currentRowStaysAmongSeveral();
    void okAndReportFollowTheCurrentRow_data();
    void okAndReportFollowTheCurrentRow();
    void acceptTellsTheStudy();
    void reportFileNotFound();
    void reportOpensTheLocalFileWhateverItsName();
    void deleteLocal_data();
    void deleteLocal();
    void deleteKeyInTheFilterDeletesNothing();
    void deletingAnOpenStudyDeletesTheOthersOnly();
    void studyStillListedIsNotReportedDeleted();
    void deleteShared();
    void sharedListShowsStudyAndDamagedArchivesOnly();
    void damagedArchiveIsNotImported();
    void noFolderDisablesTheCopyButtons();
    void exportThenImportRoundTrip();
    void failedCopySaysWhichWereCopied();
    void copyOutcomeMessage();
    void rowTexts_data();
    void rowTexts();
    void sharedFolderSettings_data();
    void sharedFolderSettings();
};

void TestOpenStudyDialog::filterWords_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("patient");
    QTest::addColumn<bool>("matches");
    QTest::newRow("empty") << "" << "Perez, Rex" << true;
    QTest::newRow("blanks only") << "   " << "Perez, Rex" << true;
    QTest::newRow("one part") << "ere" << "Perez, Rex" << true;
    QTest::newRow("two parts") << "per rex" << "Perez, Rex" << true;
    QTest::newRow("any order and case") << "REX pE" << "Perez, Rex" << true;
    QTest::newRow("many blanks") << "  rex \t  per  " << "Perez, Rex" << true;
    QTest::newRow("one part missing") << "per luna" << "Perez, Rex" << false;
    QTest::newRow("accents are letters") << QString::fromUtf8("pérez") << QString::fromUtf8("Pérez, Rex") << true;
    QTest::newRow("accent differs") << "perez" << QString::fromUtf8("Pérez, Rex") << false;
}

void TestOpenStudyDialog::filterWords()
{
    QFETCH(QString, filter);
    QFETCH(QString, patient);
    QFETCH(bool, matches);
    QCOMPARE(TStudyFilter(filter).matches(patient), matches);
}

void TestOpenStudyDialog::filterInTheDialog_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("visible");
    QTest::newRow("none") << "" << QStringList{"Gomez, Luna", "Perez, Rex", "Rexford, Bella", "Smith, Rex"};
    QTest::newRow("one word") << "rex" << QStringList{"Perez, Rex", "Rexford, Bella", "Smith, Rex"};
    QTest::newRow("two words, any case and order") << "REX sm" << QStringList{"Smith, Rex"};
    QTest::newRow("matches the first name") << "luna" << QStringList{"Gomez, Luna"};
    QTest::newRow("nothing") << "rex luna" << QStringList{};
}

// The visible rows, and the current row: none when no row is visible, the one
// row when one is.
void TestOpenStudyDialog::filterInTheDialog()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, visible);
    Browser b;
    QCOMPARE(localTree(b.dialog)->topLevelItemCount(), Clinic.size());
    QVERIFY(!okButton(b.dialog)->isEnabled());
    QTest::keyClicks(child<QLineEdit>(b.dialog, "txtFilter"), filter);
    QCOMPARE(visiblePatients(localTree(b.dialog), TStudyRowTexts::PatientColumn), visible);
    QTreeWidgetItem* current = localTree(b.dialog)->currentItem();
    if (visible.isEmpty()) {
        QVERIFY(!current);
        QVERIFY(!okButton(b.dialog)->isEnabled());
    } else if (visible.size() == 1) {
        QVERIFY(current);
        QCOMPARE(current->text(TStudyRowTexts::PatientColumn), visible.first());
        QVERIFY(okButton(b.dialog)->isEnabled());
    }
}

void TestOpenStudyDialog::currentRowStaysAmongSeveral()
{
    Browser b;
    QTreeWidgetItem* smith = localRowOf(b.dialog, b.ids[2]);
    localTree(b.dialog)->setCurrentItem(smith);
    auto* filter = child<QLineEdit>(b.dialog, "txtFilter");
    filter->setText("rex");
    QCOMPARE(localTree(b.dialog)->currentItem(), smith);
    // Out of sight, it is no longer what OK would open.
    filter->setText("ez");
    QCOMPARE(visiblePatients(localTree(b.dialog), TStudyRowTexts::PatientColumn), (QStringList{"Gomez, Luna", "Perez, Rex"}));
    QVERIFY(!localTree(b.dialog)->currentItem());
    QVERIFY(!okButton(b.dialog)->isEnabled());
}

void TestOpenStudyDialog::okAndReportFollowTheCurrentRow_data()
{
    QTest::addColumn<int>("row"); // into Clinic, -1 for none
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("report");
    QTest::newRow("no current row") << -1 << false << false;
    QTest::newRow("study with a report") << 0 << true << true;
    QTest::newRow("study without") << 1 << true << false;
}

void TestOpenStudyDialog::okAndReportFollowTheCurrentRow()
{
    QFETCH(int, row);
    QFETCH(bool, ok);
    QFETCH(bool, report);
    Browser b;
    if (row >= 0)
        localTree(b.dialog)->setCurrentItem(localRowOf(b.dialog, b.ids[row]));
    QCOMPARE(okButton(b.dialog)->isEnabled(), ok);
    QCOMPARE(child<QPushButton>(b.dialog, "btnReport")->isEnabled(), report);
    if (row >= 0)
        QCOMPARE(localRowOf(b.dialog, b.ids[row])->text(TStudyRowTexts::ReportColumn), QString(report ? "Yes" : ""));
}

void TestOpenStudyDialog::acceptTellsTheStudy()
{
    Scene scene;
    const QList<int> ids = scene.addClinic();
    {
        OpenStudyDialog dialog(*scene.store);
        dialog.show();
        localTree(dialog)->setCurrentItem(localRowOf(dialog, ids[1]));
        okButton(dialog)->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.selectedId(), ids[1]);
    }
    {
        OpenStudyDialog dialog(*scene.store);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTreeWidget* tree = localTree(dialog);
        QTreeWidgetItem* row = localRowOf(dialog, ids[3]);
        tree->scrollToItem(row);
        const QRect rect = tree->visualItemRect(row);
        QVERIFY(rect.isValid());
        // A view takes a double click for the row the first click pressed.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.selectedId(), ids[3]);
    }
    OpenStudyDialog cancelled(*scene.store);
    cancelled.show();
    localTree(cancelled)->setCurrentItem(localRowOf(cancelled, ids[0]));
    cancelled.reject();
    QCOMPARE(cancelled.selectedId(), 0);
}

void TestOpenStudyDialog::reportFileNotFound()
{
    Browser b;
    QList<QUrl> opened;
    b.dialog.setUrlOpener([&opened](const QUrl& url) { opened << url; return true; });
    localTree(b.dialog)->setCurrentItem(localRowOf(b.dialog, b.ids[0]));
    AppTest::BoxClicker reply;
    child<QPushButton>(b.dialog, "btnReport")->click();
    QCOMPARE(reply.titles, QStringList{"Error"});
    QCOMPARE(reply.texts, QStringList{"Report file not found"});
    QVERIFY(opened.isEmpty());
}

// A patient or owner name with "#", "%" or blanks stays one path: the report
// opens as a local file.
void TestOpenStudyDialog::reportOpensTheLocalFileWhateverItsName()
{
    Scene scene;
    const int id = scene.add({"O'Hara #2 100%", "Rex y Luna", TStudyRecord::Ecg, "20261205080000", true});
    const QString base = scene.summary(id).baseFilename;
    QVERIFY(base.contains('#') && base.contains('%') && base.contains(' '));
    QDir().mkpath(scene.store->rootPath() + "/reports");
    const QString pdf = scene.store->rootPath() + "/reports/" + base + ".pdf";
    QVERIFY(writeFile(pdf, "%PDF-1.4 report"));

    OpenStudyDialog dialog(*scene.store);
    QList<QUrl> opened;
    dialog.setUrlOpener([&opened](const QUrl& url) { opened << url; return true; });
    dialog.show();
    localTree(dialog)->setCurrentItem(localRowOf(dialog, id));
    AppTest::BoxClicker reply;
    child<QPushButton>(dialog, "btnReport")->click();
    QVERIFY(reply.texts.isEmpty());
    QCOMPARE(opened.size(), 1);
    QVERIFY(opened[0].isLocalFile());
    QCOMPARE(opened[0].toLocalFile(), pdf);
    QCOMPARE(readFile(opened[0].toLocalFile()), QByteArray("%PDF-1.4 report"));
}

void TestOpenStudyDialog::deleteLocal_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("byKey");
    QTest::newRow("yes, button") << true << false;
    QTest::newRow("no, button") << false << false;
    QTest::newRow("yes, Del key") << true << true;
}

void TestOpenStudyDialog::deleteLocal()
{
    QFETCH(bool, yes);
    QFETCH(bool, byKey);
    Browser b;
    const QString record = b.studyFile(b.ids[1], "cxstudy");
    const QString samples = b.studyFile(b.ids[1], "cxecg");
    QSignalSpy deleted(&b.dialog, &OpenStudyDialog::deletedStudy);
    QTreeWidget* tree = localTree(b.dialog);
    selectOnly(tree, {localRowOf(b.dialog, b.ids[1]), localRowOf(b.dialog, b.ids[2])});
    AppTest::BoxClicker reply({yes ? QMessageBox::Yes : QMessageBox::No});
    if (byKey) {
        b.dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&b.dialog));
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Delete);
    } else {
        child<QPushButton>(b.dialog, "btnDelete")->click();
    }
    QCOMPARE(reply.titles, QStringList{"Confirm"});
    QCOMPARE(reply.texts, QStringList{"Delete selected studies from local folder?"});
    QCOMPARE(b.indexed(b.ids[1]), !yes);
    QCOMPARE(b.indexed(b.ids[2]), !yes);
    QVERIFY(b.indexed(b.ids[0]) && b.indexed(b.ids[3]));
    QCOMPARE(QFile::exists(record), !yes);
    QCOMPARE(QFile::exists(samples), !yes);
    QList<int> signalled;
    for (const QList<QVariant>& args : deleted)
        signalled << args.at(0).toInt();
    std::sort(signalled.begin(), signalled.end());
    QList<int> expected = yes ? QList<int>{b.ids[1], b.ids[2]} : QList<int>();
    std::sort(expected.begin(), expected.end());
    QCOMPARE(signalled, expected);
    QCOMPARE(tree->topLevelItemCount(), yes ? 2 : 4);
}

void TestOpenStudyDialog::deleteKeyInTheFilterDeletesNothing()
{
    Browser b;
    selectOnly(localTree(b.dialog), {localRowOf(b.dialog, b.ids[0])});
    auto* filter = child<QLineEdit>(b.dialog, "txtFilter");
    filter->setText("rexx");
    filter->setCursorPosition(3);
    AppTest::BoxClicker reply({QMessageBox::Yes});
    filter->setFocus();
    QTest::keyClick(filter, Qt::Key_Delete);
    QCOMPARE(filter->text(), QString("rex"));
    QVERIFY(reply.texts.isEmpty());
    QVERIFY(b.indexed(b.ids[0]));
}

// The store leaves an open study alone: it is said to be open and not
// deleted, no signal drops it from the recent list, the others go.
void TestOpenStudyDialog::deletingAnOpenStudyDeletesTheOthersOnly()
{
    Scene scene;
    const QList<int> ids = scene.addClinic();
    QVERIFY(scene.store->openStudy(ids[0]));
    const QString openRecord = scene.studyFile(ids[0], "cxstudy");
    OpenStudyDialog dialog(*scene.store);
    QSignalSpy deleted(&dialog, &OpenStudyDialog::deletedStudy);
    dialog.show();
    selectOnly(localTree(dialog), {localRowOf(dialog, ids[0]), localRowOf(dialog, ids[1])});
    AppTest::BoxClicker reply({QMessageBox::Yes, QMessageBox::Ok});
    child<QPushButton>(dialog, "btnDelete")->click();
    QCOMPARE(reply.texts.size(), 2);
    QCOMPARE(reply.texts[0], QString("Delete selected studies from local folder?"));
    QVERIFY2(reply.texts[1].contains("open for review") && reply.texts[1].contains("Perez, Rex (1/12/2026 09:30)")
                 && !reply.texts[1].contains("Gomez"),
             qPrintable(reply.texts[1]));
    QCOMPARE(deleted.size(), 1);
    QCOMPARE(deleted[0].at(0).toInt(), ids[1]);
    QVERIFY(scene.indexed(ids[0]));
    QVERIFY(QFile::exists(openRecord));
    QVERIFY(!scene.indexed(ids[1]));
    QVERIFY(localRowOf(dialog, ids[0]));
    QVERIFY(!localRowOf(dialog, ids[1]));
    scene.store->closeStudy(ids[0]);
}

void TestOpenStudyDialog::studyStillListedIsNotReportedDeleted()
{
    Browser b;
    b.store->keptOnDelete = b.ids[2];
    QSignalSpy deleted(&b.dialog, &OpenStudyDialog::deletedStudy);
    selectOnly(localTree(b.dialog), {localRowOf(b.dialog, b.ids[1]), localRowOf(b.dialog, b.ids[2])});
    AppTest::BoxClicker reply({QMessageBox::Yes, QMessageBox::Ok});
    child<QPushButton>(b.dialog, "btnDelete")->click();
    QCOMPARE(reply.texts.size(), 2);
    QCOMPARE(reply.texts[1], QString("These could not be deleted:\n  Smith, Rex (3/12/2026 11:15): the study is still in "
                                     "the study list"));
    QCOMPARE(deleted.size(), 1);
    QCOMPARE(deleted[0].at(0).toInt(), b.ids[1]);
    QVERIFY(localRowOf(b.dialog, b.ids[2]));
}

void TestOpenStudyDialog::deleteShared()
{
    Browser b;
    b.store->exportStudy(b.ids[0], b.shared);
    b.store->exportStudy(b.ids[1], b.shared);
    const QStringList archives = archiveNames(b.shared);
    QCOMPARE(archives.size(), 2);
    QSignalSpy deleted(&b.dialog, &OpenStudyDialog::deletedStudy);
    showShared(b.dialog, b.shared);
    QCOMPARE(sharedTree(b.dialog)->topLevelItemCount(), 2);
    // With rows selected in both lists the shared ones are meant.
    selectOnly(localTree(b.dialog), {localRowOf(b.dialog, b.ids[2])});
    selectOnly(sharedTree(b.dialog), {sharedRowOf(b.dialog, archives[0])});
    {
        AppTest::BoxClicker reply({QMessageBox::Yes});
        child<QPushButton>(b.dialog, "btnDelete")->click();
        QCOMPARE(reply.texts, QStringList{"Delete selected studies from shared folder?"});
    }
    QCOMPARE(archiveNames(b.shared), QStringList{archives[1]});
    QCOMPARE(sharedTree(b.dialog)->topLevelItemCount(), 1);
    QCOMPARE(b.store->listStudies().size(), Clinic.size());
    QCOMPARE(deleted.size(), 0);

    // Hidden, the shared list is not what a delete acts on.
    selectOnly(sharedTree(b.dialog), {sharedRowOf(b.dialog, archives[1])});
    child<QPushButton>(b.dialog, "btnShare")->click();
    AppTest::BoxClicker no({QMessageBox::No});
    child<QPushButton>(b.dialog, "btnDelete")->click();
    QCOMPARE(no.texts, QStringList{"Delete selected studies from local folder?"});
    QCOMPARE(archiveNames(b.shared), QStringList{archives[1]});
}

// A study archive is listed; a truncated one is listed as damaged; a zip with
// another comment and a file that is no zip are not listed.
void TestOpenStudyDialog::sharedListShowsStudyAndDamagedArchivesOnly()
{
    Browser b;
    b.store->exportStudy(b.ids[0], b.shared);
    const QString good = archiveNames(b.shared).value(0);
    const QByteArray bytes = readFile(b.shared + "/" + good);
    QVERIFY(writeFile(b.shared + "/cut short.cxz", bytes.left(bytes.size() / 2)));
    {
        QZipFileCreator other(b.shared + "/other comment.cxz");
        other.setComment("PKZIP");
        other.addFile("cxstudy", b.studyFile(b.ids[1], "cxstudy"));
        other.addFile("cxecg", b.studyFile(b.ids[1], "cxecg"));
        other.addFile("cxbeats", b.studyFile(b.ids[1], "cxbeats"));
        other.addData("info", TStudyArchive::infoDocument(b.summary(b.ids[1])));
        other.close();
    }
    QVERIFY(writeFile(b.shared + "/notes.cxz", "a note, not an archive"));

    showShared(b.dialog, b.shared);
    QTreeWidget* tree = sharedTree(b.dialog);
    QCOMPARE(tree->topLevelItemCount(), 2);
    QTreeWidgetItem* study = sharedRowOf(b.dialog, good);
    QVERIFY(study);
    QCOMPARE(study->text(TStudyRowTexts::SharedPatientColumn), QString("Perez, Rex"));
    QCOMPARE(study->text(TStudyRowTexts::SharedTypeColumn), QString("Stress test"));
    QCOMPARE(study->text(TStudyRowTexts::SharedDateColumn), QString("1/12/2026 09:30"));
    QTreeWidgetItem* damaged = sharedRowOf(b.dialog, "cut short.cxz");
    QVERIFY(damaged);
    QCOMPARE(damaged->text(TStudyRowTexts::SharedPatientColumn), QString("Damaged archive"));
    QVERIFY(damaged->foreground(TStudyRowTexts::SharedPatientColumn) != study->foreground(TStudyRowTexts::SharedPatientColumn));

    // The filter applies to the shared list too.
    child<QLineEdit>(b.dialog, "txtFilter")->setText("perez");
    QCOMPARE(visiblePatients(tree, TStudyRowTexts::SharedPatientColumn), QStringList{"Perez, Rex"});
}

void TestOpenStudyDialog::damagedArchiveIsNotImported()
{
    Scene scene;
    const QList<int> ids = scene.addClinic();
    scene.store->exportStudy(ids[0], scene.shared);
    const QString good = archiveNames(scene.shared).value(0);
    const QByteArray bytes = readFile(scene.shared + "/" + good);
    QVERIFY(writeFile(scene.shared + "/cut short.cxz", bytes.left(bytes.size() - 100)));
    scene.store->deleteStudy(ids[0]);
    QVERIFY(!scene.indexed(ids[0]));

    OpenStudyDialog dialog(*scene.store);
    dialog.show();
    showShared(dialog, scene.shared);
    selectOnly(sharedTree(dialog), {sharedRowOf(dialog, good), sharedRowOf(dialog, "cut short.cxz")});
    AppTest::BoxClicker reply;
    child<QPushButton>(dialog, "btnShareImport")->click();
    QCOMPARE(reply.titles, QStringList{QString()});
    QCOMPARE(reply.texts.size(), 1);
    const QString text = reply.texts[0];
    QVERIFY2(text.contains("Copied:\n  Perez, Rex (1/12/2026 09:30)"), qPrintable(text));
    QVERIFY2(text.contains("Not copied:\n  cut short.cxz: a damaged study archive (incomplete or cut short), not copied"), qPrintable(text));
    QVERIFY(scene.indexed(ids[0]));
    QVERIFY(localRowOf(dialog, ids[0]));
    QCOMPARE(scene.store->listStudies().size(), Clinic.size());
}

void TestOpenStudyDialog::noFolderDisablesTheCopyButtons()
{
    Browser b;
    auto* exportButton = child<QPushButton>(b.dialog, "btnShareExport");
    auto* importButton = child<QPushButton>(b.dialog, "btnShareImport");
    auto* share = child<QPushButton>(b.dialog, "btnShare");
    QCOMPARE(share->text(), QString("Show shared studies"));
    share->click();
    QCOMPARE(share->text(), QString("Hide shared studies"));
    QVERIFY(child<QWidget>(b.dialog, "frameShared")->isVisible());
    QVERIFY(!exportButton->isEnabled() && !importButton->isEnabled());
    // The chooser cancelled: still no folder.
    b.dialog.setFolderChooser([](QWidget*) { return QString(); });
    child<QPushButton>(b.dialog, "btnShareFolder")->click();
    QVERIFY(!exportButton->isEnabled() && !importButton->isEnabled());
    const QString folder = b.shared;
    b.dialog.setFolderChooser([folder](QWidget*) { return folder; });
    child<QPushButton>(b.dialog, "btnShareFolder")->click();
    QCOMPARE(child<QComboBox>(b.dialog, "cboShareFolders")->currentText(), folder);
    QVERIFY(exportButton->isEnabled() && importButton->isEnabled());
    share->click();
    QVERIFY(!exportButton->isEnabled() && !importButton->isEnabled());
}

void TestOpenStudyDialog::exportThenImportRoundTrip()
{
    Browser b;
    const QByteArray samples = readFile(b.studyFile(b.ids[1], "cxecg"));
    const QByteArray record = readFile(b.studyFile(b.ids[1], "cxstudy"));
    const TStudySummary before = b.summary(b.ids[1]);
    QVERIFY(!samples.isEmpty());

    showShared(b.dialog, b.shared);
    QCOMPARE(sharedTree(b.dialog)->topLevelItemCount(), 0);
    selectOnly(localTree(b.dialog), {localRowOf(b.dialog, b.ids[1]), localRowOf(b.dialog, b.ids[3])});
    AppTest::BoxClicker reply;
    child<QPushButton>(b.dialog, "btnShareExport")->click();
    QVERIFY(reply.texts.isEmpty());
    QCOMPARE(archiveNames(b.shared).size(), 2);
    QCOMPARE(visiblePatients(sharedTree(b.dialog), TStudyRowTexts::SharedPatientColumn),
             (QStringList{"Gomez, Luna", "Rexford, Bella"}));

    // Gone from the data folder, then brought back from the shared folder.
    b.store->deleteStudy(b.ids[1]);
    b.store->deleteStudy(b.ids[3]);
    QVERIFY(!QFile::exists(b.store->studyFilePath(before.baseFilename, "cxecg")));
    selectOnly(sharedTree(b.dialog), {sharedTree(b.dialog)->topLevelItem(0), sharedTree(b.dialog)->topLevelItem(1)});
    child<QPushButton>(b.dialog, "btnShareImport")->click();
    QVERIFY(reply.texts.isEmpty());
    QCOMPARE(b.summary(b.ids[1]), before);
    QVERIFY(b.indexed(b.ids[3]));
    QCOMPARE(readFile(b.studyFile(b.ids[1], "cxecg")), samples);
    QCOMPARE(readFile(b.studyFile(b.ids[1], "cxstudy")), record);
    QVERIFY(localRowOf(b.dialog, b.ids[1]) && localRowOf(b.dialog, b.ids[3]));
    QCOMPARE(localTree(b.dialog)->topLevelItemCount(), Clinic.size());
}

// One export fails: the others are still copied, and the box tells which
// were and which were not.
void TestOpenStudyDialog::failedCopySaysWhichWereCopied()
{
    Browser b;
    b.store->failingExport = b.ids[1];
    showShared(b.dialog, b.shared);
    selectOnly(localTree(b.dialog), {localRowOf(b.dialog, b.ids[0]), localRowOf(b.dialog, b.ids[1]), localRowOf(b.dialog, b.ids[2])});
    AppTest::BoxClicker reply;
    child<QPushButton>(b.dialog, "btnShareExport")->click();
    QCOMPARE(reply.titles, QStringList{QString()});
    QCOMPARE(reply.texts.size(), 1);
    const QString text = reply.texts[0];
    QVERIFY2(text.contains("Copied:\n") && text.contains("  Perez, Rex (1/12/2026 09:30)")
                 && text.contains("  Smith, Rex (3/12/2026 11:15)"),
             qPrintable(text));
    QVERIFY2(text.contains("Not copied:\n  Gomez, Luna (2/12/2026 10:15): Write error"), qPrintable(text));
    QCOMPARE(sharedTree(b.dialog)->topLevelItemCount(), 2);
}

void TestOpenStudyDialog::copyOutcomeMessage()
{
    int tried = 0;
    const auto fails = [&tried] { ++tried; throw TException("Cannot create zip archive"); };
    const auto works = [&tried] { ++tried; };
    const TStudyCopyBatch::Outcome none = TStudyCopyBatch::run({{"A", fails}, {"B", fails}});
    QCOMPARE(none.message(), QString("Not every study was copied.\n\nCopied:\n  none\n\nNot copied:\n"
                                     "  A: Cannot create zip archive\n  B: Cannot create zip archive"));
    QList<int> progress;
    const TStudyCopyBatch::Outcome all =
        TStudyCopyBatch::run({{"A", works}, {"B", works}}, [&progress](int n) { progress << n; });
    QVERIFY(all.complete());
    QCOMPARE(all.message(), QString());
    QCOMPARE(all.copied, (QStringList{"A", "B"}));
    QCOMPARE(progress, (QList<int>{1, 2}));
    QCOMPARE(tried, 4);
}

void TestOpenStudyDialog::rowTexts_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("stamp");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("row");
    QTest::newRow("stress test with a report")
        << "Stress test" << "20260131081500" << "report" << QStringList{"7", "Perez, Rex", "Stress test", "31/1/2026 08:15", "Yes", "B"};
    QTest::newRow("ECG") << "ECG" << "20261201235900" << "" << QStringList{"7", "Perez, Rex", "ECG", "1/12/2026 23:59", "", "B"};
    QTest::newRow("other type as stored, stamp that does not parse")
        << "Tilt test" << "2026-01-31" << "open" << QStringList{"7", "Perez, Rex", "Tilt test", "2026-01-31", "", "B"};
}

void TestOpenStudyDialog::rowTexts()
{
    QFETCH(QString, type);
    QFETCH(QString, stamp);
    QFETCH(QString, status);
    QFETCH(QStringList, row);
    TStudySummary study;
    study.id = 7;
    study.patientLastName = "Perez";
    study.patientFirstName = "Rex";
    study.studyType = type;
    study.studyDateTime = stamp;
    study.status = status;
    study.baseFilename = "B";
    QCOMPARE(TStudyRowTexts::localRow(study), row);
    QCOMPARE(TStudyRowTexts::sharedRow("a.cxz", study), (QStringList{"a.cxz", row[1], row[2], row[3]}));
}

void TestOpenStudyDialog::sharedFolderSettings_data()
{
    QTest::addColumn<QVariant>("storedList");
    QTest::addColumn<QString>("storedDefault");
    QTest::addColumn<QString>("shownCurrent");
    QTest::addColumn<QString>("typed"); // the combo's text at OK, empty: left alone
    QTest::addColumn<QStringList>("savedList");
    QTest::addColumn<QString>("savedDefault");

    QTest::newRow("nothing stored") << QVariant() << "" << "" << "" << QStringList{} << "";
    QTest::newRow("default made current")
        << QVariant(QStringList{"/srv/a", "/srv/b"}) << "/srv/b" << "/srv/b" << "" << QStringList{"/srv/a", "/srv/b"}
        << "/srv/b";
    QTest::newRow("typed folder appended")
        << QVariant(QStringList{"/srv/a"}) << "/srv/a" << "/srv/a" << "/srv/c" << QStringList{"/srv/a", "/srv/c"}
        << "/srv/c";
    QTest::newRow("listed folder not repeated")
        << QVariant(QStringList{"/srv/a", "/srv/b"}) << "" << "/srv/a" << "/srv/b" << QStringList{"/srv/a", "/srv/b"}
        << "/srv/b";
    QTest::newRow("case counts") << QVariant(QStringList{"/srv/a"}) << "" << "/srv/a" << "/SRV/A"
                                 << QStringList{"/srv/a", "/SRV/A"} << "/SRV/A";
    QTest::newRow("default missing from the list")
        << QVariant(QStringList{"/srv/a"}) << "/srv/z" << "/srv/z" << "" << QStringList{"/srv/a", "/srv/z"} << "/srv/z";
    QTest::newRow("a number for the list") << QVariant(42) << "" << "" << "" << QStringList{} << "";
    QTest::newRow("one text for the list")
        << QVariant(QString("/srv/only")) << "" << "/srv/only" << "" << QStringList{"/srv/only"} << "/srv/only";
}

void TestOpenStudyDialog::sharedFolderSettings()
{
    QFETCH(QVariant, storedList);
    QFETCH(QString, storedDefault);
    QFETCH(QString, shownCurrent);
    QFETCH(QString, typed);
    QFETCH(QStringList, savedList);
    QFETCH(QString, savedDefault);
    {
        QSettings settings;
        if (storedList.isValid())
            settings.setValue("OpenStudyDialog/SharedFolderList", storedList);
        if (!storedDefault.isEmpty())
            settings.setValue("OpenStudyDialog/DefaultSharedFolder", storedDefault);
    }
    Scene scene;
    const int id = scene.add(Clinic[0]);
    OpenStudyDialog dialog(*scene.store);
    dialog.show();
    auto* folders = child<QComboBox>(dialog, "cboShareFolders");
    QCOMPARE(folders->currentText(), shownCurrent);
    if (!typed.isEmpty())
        folders->setEditText(typed);
    localTree(dialog)->setCurrentItem(localRowOf(dialog, id));
    okButton(dialog)->click();
    const QSettings settings;
    QCOMPARE(settings.value("OpenStudyDialog/SharedFolderList").toStringList(), savedList);
    QCOMPARE(settings.value("OpenStudyDialog/DefaultSharedFolder").toString(), savedDefault);
}

VELMORA_APP_TEST_MAIN(TestOpenStudyDialog)
#include "tst_openstudydialog.moc"
