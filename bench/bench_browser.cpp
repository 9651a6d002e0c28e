// The study browser ("Select study") as a clinician meets it, timed:
//
//   bench_browser [STUDIES [ARCHIVES]]   an index of STUDIES (10 000) studies:
//                                        construction to the first paint of the
//                                        list, each keystroke of "rex b" typed one
//                                        character at a time (three rounds: mean
//                                        and worst), and the shared panel shown on
//                                        a folder of ARCHIVES (1 000) archives
//   bench_browser --shot FOLDER          renders the dialog, filled with a dozen
//                                        studies and a shared folder holding a few
//                                        archives and a damaged one, under the
//                                        program's style sheet, to PNGs in FOLDER
//
// Settings and data live in a temporary folder. Runs on the offscreen platform
// unless QT_QPA_PLATFORM says otherwise.

#include "BenchClock.h"
#include "BenchMemory.h"
#include "OpenStudyDialog.h"
#include "TLocalStudyStore.h"
#include "TStudy.h"
#include "TStudyArchive.h"
#include "TStudyIndex.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QPushButton>
#include <QSettings>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const char* const Animals[] = {"Rex", "Luna", "Max", "Bella", "Thor", "Nala", "Rocky", "Kira", "Simba", "Coco",
                               "Tango", "Duna", "Bruno", "Mia", "Zeus", "Lola"};
const char* const Owners[] = {"Perez", "Gomez", "Smith", "Rexach", "Garcia", "Brown", "Martin", "Lopez",
                              "Bennett", "Ruiz", "Castro", "Moreno", "Blanco", "Navarro", "Ortega", "Vidal"};

// Counts the paints of a widget.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void waitForPaint(PaintWatch& watch, int before)
{
    const double start = BenchClock::wallSeconds();
    while (watch.paints == before && BenchClock::wallSeconds() - start < 10.0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Index rows written directly: the browser lists from the index alone.
void fillIndex(const QString& root, int count)
{
    QDir().mkpath(root + QStringLiteral("/data"));
    TStudyIndex index(root + QStringLiteral("/data/") + TStudyIndex::FileName);
    QSqlDatabase db = QSqlDatabase::database(index.connectionName());
    db.transaction();
    const QDateTime first(QDate(2020, 1, 1), QTime(8, 0));
    for (int i = 0; i < count; ++i) {
        TStudySummary s;
        s.id = i + 1;
        s.patientFirstName = QString::fromLatin1(Animals[i % 16]);
        s.patientLastName = QString::fromLatin1(Owners[(i / 16) % 16]) + QString::number(i / 256);
        s.studyType = i % 3 ? QStringLiteral("ECG") : QStringLiteral("Stress test");
        s.studyDateTime = first.addSecs(qint64(i) * 3600).toString(QStringLiteral("yyyyMMddHHmmss"));
        s.baseFilename = s.patientLastName + QLatin1Char('-') + s.patientFirstName + QLatin1Char('-') + s.studyDateTime;
        s.status = i % 4 ? QString() : QStringLiteral("report");
        s.patientAnimalSpecies = QStringLiteral("Canine");
        index.insert(s);
    }
    db.commit();
}

// A small real study, whose files every archive of the shared folder carries.
int addStudy(TLocalStudyStore& store, const QString& last, const QString& first, TStudyRecord::StudyKind kind,
             const QDateTime& when, bool reported, int seconds = 2)
{
    TQuickPatient patient;
    patient.lastName = last;
    patient.firstName = first;
    TStudyRecord record =
        TStudyRecord::newStudy(kind, patient, kind == TStudyRecord::StressTest ? QStringLiteral("Bruce") : QString(), when);
    record.acquisition.channelCount = 7;
    record.acquisition.samplingRate = 500;
    record.acquisition.resolution = 16;
    record.acquisition.gainMax = 300.0;
    record.acquisition.channelNames = QStringLiteral("I,II,III,aVR,aVL,aVF,V5");
    TStudy* study = store.saveNewStudy(record);
    std::vector<qint16> frames(size_t(seconds) * 500 * 7);
    for (size_t i = 0; i < frames.size(); ++i)
        frames[i] = qint16((i * 131) % 4001) - 2000;
    study->recording()->append(frames.data(), int(frames.size() * 2));
    if (reported)
        study->record().setProperty(QStringLiteral("status"), QStringLiteral("report"));
    store.updateStudy(study->record());
    const int id = study->id();
    store.closeStudy(id);
    return id;
}

// count archives of the one study in folder, each under its own name and info.
void fillShared(TLocalStudyStore& store, int id, const QString& folder, int count, int firstName = 0)
{
    QDir().mkpath(folder);
    TStudySummary base;
    for (const TStudySummary& s : store.listStudies())
        if (s.id == id)
            base = s;
    const QString record = store.studyFilePath(base.baseFilename, QStringLiteral("cxstudy"));
    const QString samples = store.studyFilePath(base.baseFilename, QStringLiteral("cxecg"));
    const QString beats = store.studyFilePath(base.baseFilename, QStringLiteral("cxbeats"));
    for (int i = firstName; i < firstName + count; ++i) {
        TStudySummary info = base;
        info.patientFirstName = QString::fromLatin1(Animals[i % 16]);
        info.patientLastName = QString::fromLatin1(Owners[(i / 16) % 16]);
        info.studyDateTime = QDateTime(QDate(2026, 3, 1), QTime(9, 0)).addSecs(qint64(i) * 86400 + i * 60)
                                 .toString(QStringLiteral("yyyyMMddHHmmss"));
        info.baseFilename = QStringLiteral("%1-%2-%3").arg(info.patientLastName, info.patientFirstName, info.studyDateTime);
        TStudyArchive::write(TStudyArchive::archivePath(folder, info.baseFilename), record, samples, beats, info);
    }
}

void setSharedFolder(const QString& folder)
{
    QSettings settings;
    settings.setValue(QStringLiteral("OpenStudyDialog/SharedFolderList"), QStringList{folder});
    settings.setValue(QStringLiteral("OpenStudyDialog/DefaultSharedFolder"), folder);
}

int bench(const QString& tmp, int studies, int archives)
{
    const QString root = tmp + QStringLiteral("/data");
    const QString shared = tmp + QStringLiteral("/shared");
    double t0 = BenchClock::wallSeconds();
    fillIndex(root, studies);
    TLocalStudyStore store(root);
    const int id = addStudy(store, QStringLiteral("Bench"), QStringLiteral("Rex"), TStudyRecord::Ecg,
                            QDateTime::currentDateTime(), false);
    fillShared(store, id, shared, archives);
    setSharedFolder(shared);
    std::printf("made an index of %d studies and %d archives in %.1f s\n", int(store.listStudies().size()), archives,
                BenchClock::wallSeconds() - t0);

    for (int run = 0; run < 3; ++run) {
        t0 = BenchClock::wallSeconds();
        const double c0 = BenchClock::cpuSeconds();
        auto dialog = std::make_unique<OpenStudyDialog>(store);
        auto* tree = dialog->findChild<QTreeWidget*>(QStringLiteral("treeStudies"));
        PaintWatch watch(tree->viewport());
        dialog->show();
        waitForPaint(watch, 0);
        std::printf("construction to first paint, %d rows: %.0f ms wall (%.0f CPU ms)\n", tree->topLevelItemCount(),
                    (BenchClock::wallSeconds() - t0) * 1e3, (BenchClock::cpuSeconds() - c0) * 1e3);
    }

    OpenStudyDialog dialog(store);
    auto* tree = dialog.findChild<QTreeWidget*>(QStringLiteral("treeStudies"));
    auto* filter = dialog.findChild<QLineEdit*>(QStringLiteral("txtFilter"));
    PaintWatch watch(tree->viewport());
    dialog.show();
    waitForPaint(watch, 0);
    const QString typed = QStringLiteral("rex b");
    std::vector<double> times;
    int visible = 0;
    for (int round = 0; round < 3; ++round) {
        for (int n = 1; n <= typed.size(); ++n) {
            const int before = watch.paints;
            t0 = BenchClock::wallSeconds();
            filter->setText(typed.left(n));
            waitForPaint(watch, before);
            times.push_back((BenchClock::wallSeconds() - t0) * 1e3);
        }
        visible = 0;
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            visible += tree->topLevelItem(i)->isHidden() ? 0 : 1;
        const int before = watch.paints;
        t0 = BenchClock::wallSeconds();
        filter->clear();
        waitForPaint(watch, before);
        times.push_back((BenchClock::wallSeconds() - t0) * 1e3);
    }
    double sum = 0;
    for (double t : times)
        sum += t;
    std::printf("filter keystrokes (\"%s\" typed and cleared, 3 rounds, %zu keystrokes, %d rows left at the end): "
                "mean %.1f ms, worst %.1f ms\n",
                qPrintable(typed), times.size(), visible, sum / times.size(), *std::max_element(times.begin(), times.end()));

    auto* shown = dialog.findChild<QTreeWidget*>(QStringLiteral("treeSharedStudies"));
    PaintWatch sharedWatch(shown->viewport());
    t0 = BenchClock::wallSeconds();
    const double c0 = BenchClock::cpuSeconds();
    dialog.findChild<QPushButton*>(QStringLiteral("btnShare"))->click();
    waitForPaint(sharedWatch, 0);
    std::printf("shared panel shown on %d archives: %.0f ms wall (%.0f CPU ms), peak resident %.0f MB\n",
                shown->topLevelItemCount(), (BenchClock::wallSeconds() - t0) * 1e3,
                (BenchClock::cpuSeconds() - c0) * 1e3, BenchMemory::peakResidentMegabytes());
    return 0;
}

QString styleSheet()
{
    QFile file(QStringLiteral(":/styles/dark-vet.css"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

int shot(const QString& tmp, const QString& out)
{
    qApp->setStyleSheet(styleSheet());
    const QString root = tmp + QStringLiteral("/data");
    const QString shared = tmp + QStringLiteral("/shared");
    TLocalStudyStore store(root);
    struct P { const char* last; const char* first; TStudyRecord::StudyKind kind; bool reported; };
    const P clinic[] = {
        {"Perez", "Rex", TStudyRecord::StressTest, true},     {"Gomez", "Luna", TStudyRecord::Ecg, false},
        {"Smith", "Max (Persian cat)", TStudyRecord::Ecg, true}, {"Rexach", "Bella", TStudyRecord::StressTest, false},
        {"Garcia", "Thor (Arabian)", TStudyRecord::StressTest, true}, {"Brown", "Nala", TStudyRecord::Ecg, false},
        {"Martin", "Rocky", TStudyRecord::Ecg, false},         {"Lopez", "Kira (Siamese)", TStudyRecord::Ecg, true},
        {"Bennett", "Simba", TStudyRecord::StressTest, false}, {"Ruiz", "Coco (Andalusian)", TStudyRecord::StressTest, true},
        {"Castro", "Tango", TStudyRecord::Ecg, false},         {"Moreno", "Duna", TStudyRecord::Ecg, false},
    };
    int id = 0;
    int i = 0;
    for (const P& p : clinic) {
        id = addStudy(store, QString::fromUtf8(p.last), QString::fromUtf8(p.first), p.kind,
                      QDateTime(QDate(2026, 11, 2), QTime(9, 30)).addDays(i * 3).addSecs(i * 1700), p.reported);
        ++i;
    }
    fillShared(store, id, shared, 4, 20);
    const QStringList names = QDir(shared).entryList({QStringLiteral("*.cxz")});
    QFile source(shared + QLatin1Char('/') + names.value(0));
    source.open(QIODevice::ReadOnly);
    const QByteArray bytes = source.readAll();
    QFile cut(shared + QStringLiteral("/Copy of Ortega-Zeus.cxz"));
    cut.open(QIODevice::WriteOnly);
    cut.write(bytes.left(bytes.size() / 2));
    cut.close();
    setSharedFolder(shared);

    OpenStudyDialog dialog(store);
    dialog.show();
    QCoreApplication::processEvents();
    auto* tree = dialog.findChild<QTreeWidget*>(QStringLiteral("treeStudies"));
    tree->setCurrentItem(tree->topLevelItem(1));
    QCoreApplication::processEvents();
    bool ok = dialog.grab().save(out + QStringLiteral("/browser-local.png"));
    dialog.findChild<QPushButton*>(QStringLiteral("btnShare"))->click();
    QCoreApplication::processEvents();
    auto* sharedTree = dialog.findChild<QTreeWidget*>(QStringLiteral("treeSharedStudies"));
    sharedTree->topLevelItem(0)->setSelected(true);
    QCoreApplication::processEvents();
    ok = dialog.grab().save(out + QStringLiteral("/browser-shared.png")) && ok;
    dialog.findChild<QLineEdit*>(QStringLiteral("txtFilter"))->setText(QStringLiteral("rex"));
    QCoreApplication::processEvents();
    ok = dialog.grab().save(out + QStringLiteral("/browser-filtered.png")) && ok;
    // The outcome of copying a study archive and the damaged one.
    dialog.findChild<QLineEdit*>(QStringLiteral("txtFilter"))->clear();
    QCoreApplication::processEvents();
    sharedTree->clearSelection();
    for (int row = 0; row < sharedTree->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = sharedTree->topLevelItem(row);
        item->setSelected(row == 0 || item->text(0).startsWith(QLatin1String("Copy of")));
    }
    QTimer grabber;
    QObject::connect(&grabber, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ok = box->grab().save(out + QStringLiteral("/browser-copy-outcome.png")) && ok;
            box->done(QMessageBox::Ok);
        }
    });
    grabber.start(50);
    dialog.findChild<QPushButton*>(QStringLiteral("btnShareImport"))->click();
    grabber.stop();
    ok = dialog.grab().save(out + QStringLiteral("/browser-after-copy.png")) && ok;

    // Deleting an open study with another: the question, then what was left.
    auto* local = dialog.findChild<QTreeWidget*>(QStringLiteral("treeStudies"));
    local->clearSelection();
    sharedTree->clearSelection();
    for (int row : {0, 2}) {
        local->topLevelItem(row)->setSelected(true);
        store.openStudy(local->topLevelItem(row)->text(0).toInt());
        if (row == 0)
            break;
    }
    local->topLevelItem(2)->setSelected(true);
    int boxes = 0;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ok = box->grab().save(out + QStringLiteral("/browser-delete-%1.png").arg(++boxes)) && ok;
            (box->button(QMessageBox::Yes) ? box->button(QMessageBox::Yes) : box->buttons().value(0))->click();
        }
    });
    answerer.start(50);
    dialog.findChild<QPushButton*>(QStringLiteral("btnDelete"))->click();
    answerer.stop();
    std::printf("%s\n", ok ? "written" : "could not write the PNGs");
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir tmp;
    QDir().mkpath(tmp.path() + QStringLiteral("/config"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(tmp.path() + QStringLiteral("/config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(tmp.path()));
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Cardivex"));
    QCoreApplication::setApplicationName(QStringLiteral("Velmora"));
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("--shot"))
        return shot(tmp.path(), args.value(1, QStringLiteral(".")));
    return bench(tmp.path(), args.value(0, QStringLiteral("10000")).toInt(), args.value(1, QStringLiteral("1000")).toInt());
}
