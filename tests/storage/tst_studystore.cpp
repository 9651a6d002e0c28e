#include "StorageTestFiles.h"
#include "TBeat.h"
#include "TBeatsFile.h"
#include "TException.h"
#include "TLocalStudyStore.h"
#include "TPagedFilterChain.h"
#include "TRecordFile.h"
#include "TSampleFile.h"
#include "TStudy.h"
#include "TStudyArchive.h"
#include "TStudyIndex.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

#include <vector>

namespace {

constexpr int Channels = 7;

TStudyRecord newRecord(const QString& lastName = "Perez", const QString& dateTime = "20261208101500")
{
    TQuickPatient patient;
    patient.lastName = lastName;
    patient.firstName = "Rex";
    patient.patientId = "H77";
    TStudyRecord record = TStudyRecord::newStudy(TStudyRecord::StressTest, patient, "Example",
                                                 QDateTime::fromString(dateTime, "yyyyMMddHHmmss"));
    record.setPatientProperty("animalSpecies", "Canine");
    record.setPatientProperty("animalBreed", "Beagle");
    record.acquisition = {Channels, 500, 16, 300.0, QStringLiteral("short"), "I,II,III,aVR,aVL,aVF,V1"};
    record.riskFactors = {{"Obesidad", true, "mild"}};
    return record;
}

// The recording holds frames 0..count-1 of the shared test pattern.
bool holdsPattern(const TSignalBuffer* buffer, int count)
{
    return buffer->length() == count && buffer->channelCount() == Channels && firstWrongFrame(*buffer, count).isEmpty();
}

TBeat beatAt(double time, const TSignalBuffer* buffer)
{
    TBeat beat(0, buffer);
    beat.setValue(TBeat::Time, time);
    beat.setValue(TBeat::RR, 0.75);
    return beat;
}

QStringList studyFiles(const QString& folder)
{
    return QDir(folder).entryList({"*.cxstudy", "*.cxecg", "*.cxbeats"}, QDir::Files, QDir::Name);
}

QList<int> ids(const QVector<TStudySummary>& studies)
{
    QList<int> list;
    for (const TStudySummary& s : studies)
        list.append(s.id);
    std::sort(list.begin(), list.end());
    return list;
}

// The first study file (the index aside) whose content is not as before, or an
// empty text.
QString changedFile(const QString& folder, const QMap<QString, QByteArray>& before)
{
    for (auto it = before.begin(); it != before.end(); ++it)
        if (!it.key().startsWith("data/") && readFile(QDir(folder).filePath(it.key())) != it.value())
            return it.key();
    return QString();
}

// Exports a study and gives its archive's path.
QString exported(TLocalStudyStore& store, int id, const QString& folder)
{
    store.exportStudy(id, folder);
    for (const TStudySummary& s : store.listStudies())
        if (s.id == id)
            return TStudyArchive::archivePath(folder, s.baseFilename);
    return QString();
}

// A recorded study, closed: 2000 frames and two beats.
int savedStudy(TLocalStudyStore& store, const TStudyRecord& source = newRecord())
{
    TStudy* study = store.saveNewStudy(source);
    appendFrames(*study->recording(), 0, 2000);
    study->beats()->append(beatAt(1.0, study->recording()));
    study->beats()->append(beatAt(1.75, study->recording()));
    const int id = study->id();
    store.closeStudy(id);
    return id;
}

// A store holding one recorded study, exported to a folder of its own.
struct Exported
{
    QTemporaryDir dir;
    QTemporaryDir shared;
    TLocalStudyStore store{dir.path()};
    const int id = savedStudy(store);
    const QString archive = exported(store, id, shared.path());
};

} // namespace

class TestStudyStore : public QObject
{
    Q_OBJECT

private slots:
    void newFolderStartsEmptyWithTheExampleProtocol();
    void emptyRootIsRefused();
    void newStudyIsCreatedIndexedAndOpen();
    void recordedStudyReopensAsRecorded();
    void updateWritesRecordAndIndexOfOpenStudiesOnly();
    void damagedStudyFiles_data();
    void damagedStudyFiles();
    void deleteRemovesClosedStudiesOnly();
    void newStudiesNeverShareFiles();
    void dottedNamesReopenExportAndDelete_data();
    void dottedNamesReopenExportAndDelete();
    void lostIndexIsRebuiltWithTheSameIds_data();
    void lostIndexIsRebuiltWithTheSameIds();
    void exportedStudyImportsIntoAnotherFolder();
    void reimportUpdatesTheSameStudy();
    void importNeverOverwritesAnotherStudy();
    void failedImportLeavesFolderAndIndexAsTheyWere_data();
    void failedImportLeavesFolderAndIndexAsTheyWere();
    void importOfAnOpenStudyIsRefused();
    void archivesAreListedAndRead();
    void protocolsPersist();
    void unreadableProtocolTableIsNotOverwritten();
    void freeSpace_data();
    void freeSpace();
    void accessorFollowsTheStore();
};

void TestStudyStore::newFolderStartsEmptyWithTheExampleProtocol()
{
    QTemporaryDir dir;
    const QString root = dir.filePath("a/b/CardivexVetStress");
    TLocalStudyStore store(root);
    QVERIFY(QFileInfo(root + "/data/studies.sqlite").isFile());
    QVERIFY(QFileInfo(root + "/data/protocols.json").isFile());
    QCOMPARE(store.rootPath(), root);
    QVERIFY(store.listStudies().isEmpty());
    QCOMPARE(store.protocolNames(), QByteArrayList{"Example"});
    QCOMPARE(store.riskFactorNames().size(), 11);
    QCOMPARE(store.riskFactorNames().first(), QString("Hipertensión"));
    QCOMPARE(store.riskFactorNames().last(), QString("Gota"));
}

void TestStudyStore::emptyRootIsRefused()
{
    QCOMPARE(exceptionText([] { TLocalStudyStore store(""); }), QString("Undefined database path"));
}

void TestStudyStore::newStudyIsCreatedIndexedAndOpen()
{
    QTemporaryDir dir;
    TLocalStudyStore store(dir.path());
    const TStudyRecord source = newRecord();
    TStudy* study = store.saveNewStudy(source);
    QVERIFY(study);
    QVERIFY(study->id() >= 1 && study->id() <= TStudyRecord::MaxId);
    QVERIFY(store.isStudyOpen(study->id()));
    QCOMPARE(study->record().baseFilename(), QString("H77-Perez-Rex-20261208101500"));
    QCOMPARE(studyFiles(dir.path()), QStringList({"H77-Perez-Rex-20261208101500.cxbeats",
                                                  "H77-Perez-Rex-20261208101500.cxecg",
                                                  "H77-Perez-Rex-20261208101500.cxstudy"}));

    const QVector<TStudySummary> listed = store.listStudies();
    QCOMPARE(listed.size(), 1);
    QCOMPARE(listed[0], study->record().summary());
    QCOMPARE(listed[0].patientAnimalSpecies, QString("Canine"));

    // The record file holds the id and base name; the sample header the shape.
    const std::optional<TStudyRecord> onDisk = TRecordFile::read(dir.filePath("H77-Perez-Rex-20261208101500.cxstudy"));
    QVERIFY(onDisk);
    QCOMPARE(onDisk->id, study->id());
    QCOMPARE(onDisk->riskFactors, source.riskFactors);
    const std::optional<TAcquisitionFields> header =
        TSampleFile::readHeader(dir.filePath("H77-Perez-Rex-20261208101500.cxecg"));
    QVERIFY(header);
    QCOMPARE(*header, source.acquisition);
    QCOMPARE(study->recording()->length(), 0);
    QCOMPARE(study->recording()->channelCount(), Channels);
    QCOMPARE(study->beats()->count(), 0);
}

void TestStudyStore::dottedNamesReopenExportAndDelete_data()
{
    QTest::addColumn<QString>("lastName");
    // The name rules are the record's test; here one name of each form they make.
    QTest::newRow("two dots") << "..";
    QTest::newRow("dots inside") << "a..b";
}

void TestStudyStore::dottedNamesReopenExportAndDelete()
{
    // Whatever the patient's name, a study recorded under it can be opened,
    // exported and deleted again.
    QFETCH(QString, lastName);
    QTemporaryDir dir;
    TLocalStudyStore store(dir.filePath("studies"));
    TStudyRecord record = newRecord(lastName);
    record.setPatientProperty("medicalHistoryNumber", "");
    TStudy* study = store.saveNewStudy(record);
    const int id = study->id();
    const QString base = study->record().baseFilename();
    QVERIFY2(!base.startsWith('.') && !base.contains(".."), qPrintable(base));
    store.closeStudy(id);
    QVERIFY(store.openStudy(id));
    const QString exports = dir.filePath("exports");
    QDir().mkpath(exports);
    store.exportStudy(id, exports);
    QCOMPARE(QDir(exports).entryList({"*.cxz"}).size(), 1);
    store.closeStudy(id);
    store.deleteStudy(id);
    QVERIFY(store.listStudies().isEmpty());
    QVERIFY(studyFiles(dir.filePath("studies")).isEmpty());
}

void TestStudyStore::recordedStudyReopensAsRecorded()
{
    QTemporaryDir dir;
    int id = 0;
    TStudyRecord saved;
    {
        TLocalStudyStore store(dir.path());
        id = savedStudy(store);
        saved = store.openStudy(id)->record();
    }
    // A new store on the same folder, as after a restart.
    TLocalStudyStore store(dir.path());
    QVERIFY(!store.isStudyOpen(id));
    TStudy* study = store.openStudy(id);
    QVERIFY(study);
    QVERIFY(store.isStudyOpen(id));
    QCOMPARE(store.openStudy(id), study); // the one open copy, not a second
    QVERIFY(study->recordingAvailable());
    QVERIFY(study->beatsAvailable());
    QCOMPARE(study->record(), saved);
    QCOMPARE(study->record().acquisition, newRecord().acquisition);
    QVERIFY(holdsPattern(study->recording(), 2000));
    QCOMPARE(study->recording()->channel(6)->name(), QByteArray("V1"));
    QCOMPARE(study->beats()->count(), 2);
    QCOMPARE(study->beats()->beat(1).time(), 1.75);
    // Its last samples, short of a whole page, are part of it for every
    // filtered view a review draws from (the view goes before the study closes).
    {
        TPagedFilterChain review(study->recording());
        const int length = study->recording()->length();
        const int pageSize = study->recording()->pageSize();
        QVERIFY(length % pageSize != 0);
        QCOMPARE(review.output()->pageCount(), (length + pageSize - 1) / pageSize);
        double tail[50];
        review.output()->samples(6, length - 50, 50, tail);
        QVERIFY(std::any_of(std::begin(tail), std::end(tail), [](double v) { return v != 0.0; }));
    }

    // Recording goes on where it stopped.
    appendFrames(*study->recording(), 2000, 100);
    store.closeStudy(id);
    QVERIFY(!store.isStudyOpen(id));
    QVERIFY(holdsPattern(store.openStudy(id)->recording(), 2100));
}

void TestStudyStore::updateWritesRecordAndIndexOfOpenStudiesOnly()
{
    QTemporaryDir dir;
    TLocalStudyStore store(dir.path());
    TStudy* study = store.saveNewStudy(newRecord());
    const int id = study->id();
    study->setProperty("status", "report");
    study->setProperty("conclusion", "Normal sinus rhythm");
    store.updateStudy(study->record());
    QCOMPARE(store.listStudies()[0].status, QString("report"));
    QCOMPARE(TRecordFile::read(dir.filePath(study->record().baseFilename() + ".cxstudy"))->property("conclusion"),
             QString("Normal sinus rhythm"));

    // A copy handed in replaces the open record, but not the recording's shape.
    TStudyRecord copy = study->record();
    copy.setPatientProperty("lastName", "Gomez");
    copy.acquisition = TAcquisitionFields();
    store.updateStudy(copy);
    QCOMPARE(study->record().patientProperty("lastName"), QString("Gomez"));
    QCOMPARE(study->record().acquisition, newRecord().acquisition);
    QCOMPARE(store.listStudies()[0].patientLastName, QString("Gomez"));

    store.closeStudy(id);
    copy.setPatientProperty("lastName", "Closed");
    store.updateStudy(copy);
    QCOMPARE(store.listStudies()[0].patientLastName, QString("Gomez"));
}

void TestStudyStore::damagedStudyFiles_data()
{
    QTest::addColumn<QString>("damaged"); // the file spoiled or removed
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("samples");
    QTest::addColumn<bool>("beats");
    QTest::newRow("record file unreadable") << "cxstudy" << false << false << false;
    QTest::newRow("sample file gone") << "cxecg" << true << false << false;
    QTest::newRow("beats file gone") << "cxbeats" << true << true << false;
}

void TestStudyStore::damagedStudyFiles()
{
    QFETCH(QString, damaged);
    QFETCH(bool, opens);
    QFETCH(bool, samples);
    QFETCH(bool, beats);
    QTemporaryDir dir;
    TLocalStudyStore store(dir.path());
    QVERIFY(!store.openStudy(12345));
    const int id = savedStudy(store);
    const QString path = dir.filePath(store.listStudies()[0].baseFilename + "." + damaged);
    QVERIFY(damaged == "cxstudy" ? writeFile(path, "CXSTUDY2") : QFile::remove(path));

    TStudy* study = store.openStudy(id);
    QCOMPARE(bool(study), opens);
    QCOMPARE(store.isStudyOpen(id), opens);
    if (!opens)
        return;
    QCOMPARE(study->record().patientProperty("lastName"), QString("Perez"));
    QCOMPARE(study->recordingAvailable(), samples);
    QCOMPARE(study->beatsAvailable(), beats);
    QCOMPARE(study->recording()->length(), samples ? 2000 : 0);
    QCOMPARE(study->beats()->count(), 0);
}

void TestStudyStore::deleteRemovesClosedStudiesOnly()
{
    QTemporaryDir dir;
    TLocalStudyStore store(dir.path());
    const int kept = savedStudy(store, newRecord("Kept"));
    TStudy* open = store.saveNewStudy(newRecord("Open"));
    store.deleteStudy(open->id());
    QCOMPARE(store.listStudies().size(), 2);
    QCOMPARE(studyFiles(dir.path()).size(), 6);

    const int id = open->id();
    store.closeStudy(id);
    store.deleteStudy(id);
    QCOMPARE(ids(store.listStudies()), QList<int>{kept});
    QCOMPARE(studyFiles(dir.path()).size(), 3);
    QVERIFY(studyFiles(dir.path()).first().contains("Kept"));
    store.deleteStudy(id); // unknown now: nothing happens
    QCOMPARE(store.listStudies().size(), 1);
}

void TestStudyStore::newStudiesNeverShareFiles()
{
    QTemporaryDir dir;
    TLocalStudyStore store(dir.path());
    // Same patient, same second: the same base name would be formed.
    const int first = savedStudy(store);
    const QMap<QString, QByteArray> before = tree(dir.path());
    TStudy* second = store.saveNewStudy(newRecord());
    QVERIFY(second->id() != first);
    QCOMPARE(second->record().baseFilename(), QString("H77-Perez-Rex-20261208101500-2"));
    // A stray file of the next name is not taken over either.
    QVERIFY(writeFile(dir.filePath("H77-Perez-Rex-20261208101500-3.cxecg"), "stray"));
    TStudy* third = store.saveNewStudy(newRecord());
    QCOMPARE(third->record().baseFilename(), QString("H77-Perez-Rex-20261208101500-4"));
    QCOMPARE(readFile(dir.filePath("H77-Perez-Rex-20261208101500-3.cxecg")), QByteArray("stray"));
    QCOMPARE(changedFile(dir.path(), before), QString());
}

void TestStudyStore::lostIndexIsRebuiltWithTheSameIds_data()
{
    QTest::addColumn<bool>("leftEmpty"); // by a crash while the database was being created
    QTest::newRow("index removed") << false;
    QTest::newRow("index left empty") << true;
}

void TestStudyStore::lostIndexIsRebuiltWithTheSameIds()
{
    QFETCH(bool, leftEmpty);
    QTemporaryDir dir;
    QList<int> saved;
    {
        TLocalStudyStore store(dir.path());
        saved << savedStudy(store, newRecord("One")) << savedStudy(store, newRecord("Two"));
        std::sort(saved.begin(), saved.end());
    }
    // Files that are not indexable stay on disk and out of the index.
    TStudyRecord noPatient = newRecord("Nobody");
    noPatient.id = 42;
    QJsonObject root = TStudyRecord::toJson(noPatient);
    root.remove("patient");
    TRecordFile::writeObject(root, dir.filePath("nobody.cxstudy"));
    QVERIFY(writeFile(dir.filePath("garbage.cxstudy"), "CXSTUDY2 not compressed"));
    // A copy of a record file under another name claims an id already taken.
    QVERIFY(QFile::copy(dir.filePath(QDir(dir.path()).entryList({"*One*.cxstudy"})[0]), dir.filePath("copy.cxstudy")));
    const QString index = dir.filePath("data/studies.sqlite");
    QVERIFY(leftEmpty ? writeFile(index, QByteArray()) : QFile::remove(index));

    TLocalStudyStore store(dir.path());
    QCOMPARE(ids(store.listStudies()), saved);
    QVERIFY(QFileInfo::exists(dir.filePath("nobody.cxstudy")));
    QVERIFY(QFileInfo::exists(dir.filePath("garbage.cxstudy")));
    TStudy* study = store.openStudy(saved[0]);
    QVERIFY(study);
    QVERIFY(holdsPattern(study->recording(), 2000));
}

void TestStudyStore::exportedStudyImportsIntoAnotherFolder()
{
    QTemporaryDir source;
    QTemporaryDir target;
    QTemporaryDir shared;
    int id = 0;
    TStudySummary summary;
    QString archive;
    {
        TLocalStudyStore store(source.path());
        id = savedStudy(store);
        summary = store.listStudies()[0];
        archive = exported(store, id, shared.path());
        store.exportStudy(999, shared.path()); // not indexed: nothing written
    }
    QCOMPARE(QDir(shared.path()).entryList(QDir::Files), QStringList{QFileInfo(archive).fileName()});

    TLocalStudyStore store(target.path());
    QCOMPARE(store.importStudy(archive), id);
    QCOMPARE(store.listStudies(), QVector<TStudySummary>{summary});
    TStudy* study = store.openStudy(id);
    QVERIFY(study);
    QVERIFY(holdsPattern(study->recording(), 2000));
    QCOMPARE(study->beats()->count(), 2);
    for (const char* extension : {"cxstudy", "cxecg", "cxbeats"})
        QCOMPARE(readFile(target.filePath(summary.baseFilename + "." + QString(extension))),
                 readFile(source.filePath(summary.baseFilename + "." + QString(extension))));
}

void TestStudyStore::reimportUpdatesTheSameStudy()
{
    Exported e;
    // The local copy changes; importing the archive brings the exported state back.
    TStudy* study = e.store.openStudy(e.id);
    study->setProperty("conclusion", "changed locally");
    appendFrames(*study->recording(), 2000, 500);
    e.store.updateStudy(study->record());
    e.store.closeStudy(e.id);

    QCOMPARE(e.store.importStudy(e.archive), e.id);
    QCOMPARE(e.store.importStudy(e.archive), e.id);
    QCOMPARE(e.store.listStudies().size(), 1);
    QCOMPARE(studyFiles(e.dir.path()).size(), 3);
    study = e.store.openStudy(e.id);
    QCOMPARE(study->property("conclusion"), QString());
    QVERIFY(holdsPattern(study->recording(), 2000));
}

void TestStudyStore::importNeverOverwritesAnotherStudy()
{
    QTemporaryDir here;
    QTemporaryDir elsewhere;
    QTemporaryDir shared;
    QString base, archive;
    int foreignId = 0;
    {
        // Another clinic's study of the same patient, same second.
        TLocalStudyStore store(elsewhere.path());
        foreignId = savedStudy(store);
        base = store.listStudies()[0].baseFilename;
        archive = exported(store, foreignId, shared.path());
    }
    TLocalStudyStore store(here.path());
    TStudy* local = store.saveNewStudy(newRecord());
    appendFrames(*local->recording(), 0, 300);
    const int localId = local->id();
    store.closeStudy(localId);
    QCOMPARE(store.listStudies()[0].baseFilename, base);
    const QMap<QString, QByteArray> before = tree(here.path());

    QCOMPARE(store.importStudy(archive), foreignId);
    QCOMPARE(ids(store.listStudies()), (QList<int>{std::min(localId, foreignId), std::max(localId, foreignId)}));
    QCOMPARE(changedFile(here.path(), before), QString());
    TStudy* imported = store.openStudy(foreignId);
    QVERIFY(imported);
    QCOMPARE(imported->record().baseFilename(), base + "-2");
    QVERIFY(holdsPattern(imported->recording(), 2000));
    QCOMPARE(store.openStudy(localId)->recording()->length(), 300);
}

void TestStudyStore::failedImportLeavesFolderAndIndexAsTheyWere_data()
{
    // One refusal by the archive import (the others are its own tests), and
    // one by the store once the archive has been unpacked.
    QTest::addColumn<bool>("damagedSamples");
    QTest::addColumn<QString>("message");
    QTest::newRow("damaged samples") << true << "Corrupt file read from zip archive";
    QTest::newRow("record not a study") << false << "File is not a valid Cardivex study Zip archive";
}

void TestStudyStore::failedImportLeavesFolderAndIndexAsTheyWere()
{
    QFETCH(bool, damagedSamples);
    QFETCH(QString, message);
    Exported e;
    const QString base = e.store.listStudies()[0].baseFilename;
    const QString bad = e.shared.filePath("bad.cxz");
    if (damagedSamples) {
        QVERIFY(writeFile(bad, damageCrc(readFile(e.archive), "cxecg")));
    } else {
        QVERIFY(writeFile(e.shared.filePath("plain.txt"), "not a record"));
        TStudyArchive::write(bad, e.shared.filePath("plain.txt"), e.dir.filePath(base + ".cxecg"),
                             e.dir.filePath(base + ".cxbeats"), e.store.listStudies()[0]);
    }
    // The local study is changed after the export, so an overwrite would show.
    TStudy* study = e.store.openStudy(e.id);
    appendFrames(*study->recording(), 2000, 51);
    e.store.closeStudy(e.id);

    const QMap<QString, QByteArray> before = tree(e.dir.path());
    const QVector<TStudySummary> indexed = e.store.listStudies();
    QCOMPARE(exceptionText([&] { e.store.importStudy(bad); }), message);
    QCOMPARE(e.store.listStudies(), indexed);
    QCOMPARE(tree(e.dir.path()).keys(), before.keys());
    QCOMPARE(changedFile(e.dir.path(), before), QString());
}

void TestStudyStore::importOfAnOpenStudyIsRefused()
{
    Exported e;
    TStudy* study = e.store.openStudy(e.id);
    appendFrames(*study->recording(), 2000, 51);
    QCOMPARE(exceptionText([&] { e.store.importStudy(e.archive); }), QString("Study is already open for review"));
    QVERIFY(holdsPattern(study->recording(), 2051));
    QCOMPARE(studyFiles(e.dir.path()).size(), 3);
}

void TestStudyStore::archivesAreListedAndRead()
{
    // Which files count as study archives is the archive listing's own test.
    Exported e;
    exported(e.store, savedStudy(e.store, newRecord("Two")), e.shared.path());
    QStringList names;
    for (const TStudySummary& s : e.store.listArchives(e.shared.path()))
        names << s.patientLastName;
    names.sort();
    QCOMPARE(names, QStringList({"Perez", "Two"}));

    TStudySummary info;
    QVERIFY(e.store.readArchiveInfo(e.archive, info));
    QCOMPARE(info.patientLastName, QString("Perez"));
    QCOMPARE(info.studyType, QString("Stress test"));
}

void TestStudyStore::protocolsPersist()
{
    QTemporaryDir dir;
    TProtocol bruce;
    {
        TLocalStudyStore store(dir.path());
        QVERIFY(store.getProtocol("Example", bruce));
        bruce.setName("ignored");
        store.setProtocol("Bruce", bruce);
        store.deleteProtocol("Example");
        QVERIFY(!store.getProtocol("Example", bruce));
    }
    TLocalStudyStore store(dir.path());
    QCOMPARE(store.protocolNames(), QByteArrayList{"Bruce"});
    TProtocol loaded;
    QVERIFY(store.getProtocol("Bruce", loaded));
    QCOMPARE(loaded.name(), QByteArray("Bruce"));
    QCOMPARE(loaded.stageCount(), bruce.stageCount());
}

void TestStudyStore::unreadableProtocolTableIsNotOverwritten()
{
    QTemporaryDir dir;
    // A folder in the table's place cannot be read (even by root).
    QVERIFY(QDir().mkpath(dir.filePath("data/protocols.json")));
    TLocalStudyStore store(dir.path());
    QCOMPARE(store.protocolNames(), QByteArrayList{"Example"});
    QVERIFY(QFileInfo(dir.filePath("data/protocols.json")).isDir());
}

void TestStudyStore::freeSpace_data()
{
    QTest::addColumn<qint64>("available");
    QTest::addColumn<bool>("enough");
    QTest::newRow("query failed") << qint64(-1) << true;
    QTest::newRow("nothing free") << qint64(0) << false;
    QTest::newRow("one byte short") << qint64(52428799) << false;
    QTest::newRow("exactly 50 MiB") << qint64(52428800) << true;
    QTest::newRow("plenty") << (qint64(1) << 40) << true;
}

void TestStudyStore::freeSpace()
{
    QFETCH(qint64, available);
    QFETCH(bool, enough);
    QTemporaryDir dir;
    QString asked;
    TLocalStudyStore store(dir.path(), [&](const QString& path) {
        asked = path;
        return available;
    });
    QCOMPARE(store.hasFreeSpace(), enough);
    QCOMPARE(asked, dir.path());
    QVERIFY(TLocalStudyStore::systemFreeSpace(dir.path()) > 0);
}

void TestStudyStore::accessorFollowsTheStore()
{
    QTemporaryDir dir;
    QVERIFY(!TStudyStore::instance());
    {
        TLocalStudyStore store(dir.path());
        TStudyStore::setInstance(&store);
        QCOMPARE(TStudyStore::instance(), &store);
        // A second index alive at once does not take the first one's connection.
        TLocalStudyStore other(dir.path() + "/other");
        const int id = savedStudy(other);
        QVERIFY(store.listStudies().isEmpty());
        QCOMPARE(ids(other.listStudies()), QList<int>{id});
    }
    QVERIFY(!TStudyStore::instance());
}

QTEST_GUILESS_MAIN(TestStudyStore)
#include "tst_studystore.moc"
