// The resting ECG review window's events list and beat display: the events in
// time order whatever their order in the study, times and descriptions edited
// in the list reaching the study, Insert and Delete on the list, and the colour
// scheme reaching the beat display as well as the browse display, from the
// settings and from the display menu.

#include "TestWidgets.h"
#include "DemoStudy.h"
#include "DisplayColorRole.h"
#include "EcgReviewWindow.h"
#include "EventListEditor.h"
#include "QBeatDisplay.h"
#include "QSignalBrowseDisplay.h"
#include "TRestingMeasurement.h"
#include "TStudyResults.h"

#include <QDir>
#include <QFileDialog>
#include <QHash>
#include <QMessageBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

using TestWidgets::child;

namespace {

using TestWidgets::column;

TStudyEvent makeEvent(const char* description, double position)
{
    TStudyEvent e;
    e.description = QString::fromUtf8(description);
    e.position = position;
    e.duration = 7.0;
    return e;
}

// The colour most of the beat display's canvas shows: its paper.
QColor beatPaper(QBeatDisplay* display)
{
    const QImage& canvas = display->canvas();
    QHash<QRgb, int> counts;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            ++counts[canvas.pixel(x, y) | 0xff000000u];
    QRgb most = 0;
    int highest = -1;
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it)
        if (it.value() > highest) {
            highest = it.value();
            most = it.key();
        }
    return QColor(most);
}

// Opens widget's context menu at pos and triggers the entry item of its
// submenu named submenu (of the menu itself when submenu is empty); false
// when there is no such entry.
bool chooseFromMenu(QWidget* widget, const QPoint& pos, const QString& submenu, const QString& item)
{
    bool chosen = false;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        answer.stop();
        for (QAction* action : menu->actions()) {
            if (submenu.isEmpty() && !action->menu() && action->text() == item) {
                action->trigger();
                chosen = true;
            }
            if (action->menu() && action->text() == submenu)
                for (QAction* entry : action->menu()->actions())
                    if (entry->text() == item) {
                        entry->trigger();
                        chosen = true;
                    }
        }
        menu->close();
    });
    answer.start(20);
    QMetaObject::invokeMethod(widget, "customContextMenuRequested", Q_ARG(QPoint, pos));
    return chosen;
}

} // namespace

class TestEcgReviewWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void eventsInTimeOrder();
    void eventEditsReachTheStudy();
    void insertAndDeleteKeys();
    void beatDisplayTakesStoredScheme_data();
    void beatDisplayTakesStoredScheme();
    void schemeFromTheDisplayMenu();
    void withheldPointsHaveNoCursor();
    void measuredInLeadII();
    void measurementMarks_data();
    void measurementMarks();
    void rangesForAnotherLead();
    void exportEdfFromTheWindow();
    void measuredAsRecordedWhateverTheFilters_data();
    void measuredAsRecordedWhateverTheFilters();

private:
    QTemporaryDir m_home;
    std::unique_ptr<TLocalStudyStore> m_store;
    TStudy* m_study = nullptr;
};

void TestEcgReviewWindow::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("data"))));
    QCoreApplication::setOrganizationName(QStringLiteral("Cardivex"));
    QCoreApplication::setApplicationName(QStringLiteral("Velmora"));
    m_store = std::make_unique<TLocalStudyStore>(m_home.filePath(QStringLiteral("studies")));
    TQuickPatient patient;
    patient.lastName = QStringLiteral("Rex");
    patient.firstName = QStringLiteral("Fido");
    m_study = DemoStudy::record(*m_store, 30.0, patient);
    if (!m_study)
        QSKIP("the demo recording ecg500.dat is not beside the tests");
}

// The row of the measurement tree whose first column reads label, or null.
static QTreeWidgetItem* measurementRow(QTreeWidget* tree, const QString& label)
{
    for (int row = 0; row < tree->topLevelItemCount(); ++row)
        if (tree->topLevelItem(row)->text(0) == label)
            return tree->topLevelItem(row);
    return nullptr;
}

void TestEcgReviewWindow::measuredInLeadII()
{
    // The recording's own measurement is taken in lead II, as the ranges are written.
    QCOMPARE(*m_study->results().value(QStringLiteral("measurementChannel")), 1.0);
    QVERIFY(*m_study->results().value(QStringLiteral("RAmp")) > 0.0);
}

void TestEcgReviewWindow::measurementMarks_data()
{
    QTest::addColumn<QString>("species");
    QTest::addColumn<QString>("basis");
    QTest::addColumn<QString>("heartRateRange");
    QTest::newRow("Caballo") << "Caballo" << "Ranges for Horse (lead II at rest)" << QString::fromUtf8("28–44");
    QTest::newRow("gato") << "gato" << "Ranges for Cat (lead II at rest)" << QString::fromUtf8("140–240");
    QTest::newRow("Canine, 32 kg") << "Canine" << "Ranges for Dog, large breed, adult (lead II at rest)"
                                   << QString::fromUtf8("60–160");
    QTest::newRow("loro") << "loro" << "No reference ranges for the species \"loro\"" << "";
}

void TestEcgReviewWindow::measurementMarks()
{
    QFETCH(QString, species);
    QFETCH(QString, basis);
    QFETCH(QString, heartRateRange);
    m_study->record().setPatientProperty(QStringLiteral("animalSpecies"), species);
    m_study->record().setPatientProperty(QStringLiteral("weight"), QStringLiteral("32"));
    m_study->record().setPatientProperty(QStringLiteral("age"), QStringLiteral("5"));
    EcgReviewWindow window(m_study);
    window.resize(1280, 800);
    window.show();
    QCOMPARE(child<QLabel>(&window, "lblRanges")->text(), basis);
    auto* tree = child<QTreeWidget>(&window, "treeMeasurements");
    QTreeWidgetItem* hr = measurementRow(tree, QStringLiteral("HR (/min)"));
    QVERIFY(hr);
    QCOMPARE(hr->text(2), heartRateRange);
    QVERIFY(measurementRow(tree, QStringLiteral("QTc Bazett (ms)")));
    // Each value out of its range says so in words and by its mark; a value
    // without a range has no flag.
    int flagged = 0;
    for (int row = 0; row < tree->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = tree->topLevelItem(row);
        const QString flag = item->toolTip(1);
        if (item->text(2).isEmpty())
            QVERIFY2(flag.isEmpty(), qPrintable(item->text(0)));
        else
            QVERIFY2(flag == "low" || flag == "high" || flag == "normal", qPrintable(item->text(0)));
        if (flag == "high" || flag == "low") {
            ++flagged;
            QVERIFY(item->text(1).endsWith(flag == "high" ? " H" : " L"));
            QVERIFY(item->font(1).bold());
        }
    }
    // Whatever its rate, the demo's heart is no horse's at rest.
    if (species == "Caballo") {
        QCOMPARE(hr->toolTip(1), QString("high"));
        QVERIFY(flagged > 0);
    }
    if (species == "loro")
        QCOMPARE(flagged, 0);
    QApplication::processEvents();
    QVERIFY(TestWidgets::shoot(&window, QString("ecg-review-") + QTest::currentDataTag()));
}

void TestEcgReviewWindow::rangesForAnotherLead()
{
    m_study->record().setPatientProperty(QStringLiteral("animalSpecies"), QStringLiteral("Perro"));
    double* lead = m_study->results().value(QStringLiteral("measurementChannel"));
    const double stored = *lead;
    *lead = 0;
    {
        EcgReviewWindow window(m_study);
        window.show();
        QVERIFY(child<QLabel>(&window, "lblRanges")->text().endsWith("(lead II at rest); measured in lead I"));
    }
    *lead = stored;
}

void TestEcgReviewWindow::measuredAsRecordedWhateverTheFilters_data()
{
    // Which of the filters (all on when the window opens) are clicked off.
    QTest::addColumn<bool>("notchOff");
    QTest::addColumn<bool>("lowpassOff");
    QTest::addColumn<bool>("baselineOff");
    QTest::newRow("as opened") << false << false << false;
    QTest::newRow("notch off") << true << false << false;
    QTest::newRow("low-pass off") << false << true << false;
    QTest::newRow("all off") << true << true << true;
}

void TestEcgReviewWindow::measuredAsRecordedWhateverTheFilters()
{
    // The display filters change the strips, not the average beat or what is
    // measured on it: the amplitudes shown are those the report prints, and
    // measuring again gives the measurement taken when the recording stopped.
    // The 40 Hz low-pass alone would take about a sixth off the demo's R wave.
    QFETCH(bool, notchOff);
    QFETCH(bool, lowpassOff);
    QFETCH(bool, baselineOff);
    const TStudyResults recorded = m_study->results();
    const QStringList keys = TRestingMeasurement::keys();
    {
        EcgReviewWindow window(m_study);
        window.resize(1280, 800);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* beat = child<QBeatDisplay>(&window, "beatDisplay");
        const QImage opened = beat->canvas().copy();
        const std::pair<const char*, bool> clicks[] = {
            {"btnFilterNotch", notchOff}, {"btnFilterLowpass", lowpassOff}, {"btnFilterBaseline", baselineOff}};
        for (const auto& [name, off] : clicks) {
            auto* button = child<QPushButton>(&window, name);
            QVERIFY(button->isChecked());
            if (off)
                button->click();
            QCOMPARE(button->isChecked(), !off);
        }
        // The average beat drawn is the one measured.
        QApplication::processEvents();
        QCOMPARE(beat->canvas(), opened);
        auto* tree = child<QTreeWidget>(&window, "treeMeasurements");
        const std::pair<const char*, const char*> shown[] = {{"P amplitude (mV)", "PAmp"},
                                                             {"QRS amplitude (mV)", "QRSAmp"},
                                                             {"R amplitude (mV)", "RAmp"},
                                                             {"T amplitude (mV)", "TAmp"}};
        for (const auto& [label, key] : shown) {
            QTreeWidgetItem* row = measurementRow(tree, QString::fromLatin1(label));
            QVERIFY2(row, label);
            const double value = *recorded.value(QLatin1String(key));
            QVERIFY(value > 0.0);
            QCOMPARE(row->text(1).section(QLatin1Char(' '), 0, 0), QString::number(value, 'f', 2));
        }
        QVERIFY(chooseFromMenu(beat, QPoint(50, 50), QString(),
                               QStringLiteral("Auto measurement")));
        window.close();
    }
    TStudyResults& results = m_study->results();
    for (const QString& key : keys) {
        QVERIFY2(qAbs(*results.value(key) - *recorded.value(key)) < 1e-9,
                 qPrintable(QStringLiteral("%1: %2 measured, %3 recorded")
                                .arg(key)
                                .arg(*results.value(key))
                                .arg(*recorded.value(key))));
        *results.value(key) = *recorded.value(key);
    }
}

void TestEcgReviewWindow::init()
{
    QSettings().clear();
    m_study->record().events.clear();
}

void TestEcgReviewWindow::eventsInTimeOrder()
{
    m_study->record().events = {makeEvent("second run", 20.0), makeEvent("first run", 3.0)};
    EcgReviewWindow window(m_study);
    window.show();
    auto* tree = child<QTreeWidget>(&window, "treeEvents");
    QCOMPARE(column(tree, 0), (QStringList{"00:03", "00:20"}));
    QCOMPARE(column(tree, 1), (QStringList{"first run", "second run"}));

    // An event added before both at the shown time comes first.
    child<QSignalBrowseDisplay>(&window, "ecgDisplay1")->setStartTime(1.5);
    child<QPushButton>(&window, "btnAddEvent")->click();
    QCOMPARE(column(tree, 1), (QStringList{"Enter description", "first run", "second run"}));
    QCOMPARE(m_study->record().events.size(), 3);
    QCOMPARE(m_study->record().events[2].position, 1.5);
    QCOMPARE(tree->currentItem(), tree->topLevelItem(0));
    QVERIFY(window.isModified());

    // Double-clicking a row moves the display to its event.
    auto* browse = child<QSignalBrowseDisplay>(&window, "ecgDisplay1");
    QTreeWidgetItem* last = tree->topLevelItem(2);
    QMetaObject::invokeMethod(tree, "itemDoubleClicked", Q_ARG(QTreeWidgetItem*, last), Q_ARG(int, 1));
    QCOMPARE(browse->startTime(), 20.0);
}

void TestEcgReviewWindow::eventEditsReachTheStudy()
{
    m_study->record().events = {makeEvent("a", 4.0), makeEvent("b", 12.0)};
    EcgReviewWindow window(m_study);
    window.show();
    QVERIFY(!window.isModified());
    auto* tree = child<QTreeWidget>(&window, "treeEvents");
    // Moved past the other by its time cell: taken, and sorted again.
    tree->topLevelItem(0)->setText(0, QStringLiteral("00:25"));
    QCOMPARE(m_study->record().events[0].position, 25.0);
    QVERIFY(window.isModified());
    QTRY_COMPARE(column(tree, 1), (QStringList{"b", "a"}));
    QCOMPARE(column(tree, 0), (QStringList{"00:12", "00:25"}));
    // A time past the end of the 30 s recording is not taken.
    tree->topLevelItem(1)->setText(0, QStringLiteral("00:31"));
    QCOMPARE(m_study->record().events[0].position, 25.0);
    QTRY_COMPARE(column(tree, 0), (QStringList{"00:12", "00:25"}));
    // Description and print box.
    tree->topLevelItem(0)->setText(1, QStringLiteral("Pause"));
    tree->topLevelItem(0)->setCheckState(2, Qt::Checked);
    QCOMPARE(m_study->record().events[1].description, QStringLiteral("Pause"));
    QVERIFY(m_study->record().events[1].print);
    QCOMPARE(m_study->record().events[0].description, QStringLiteral("a"));
}

void TestEcgReviewWindow::insertAndDeleteKeys()
{
    m_study->record().events = {makeEvent("a", 10.0)};
    EcgReviewWindow window(m_study);
    window.show();
    auto* tree = child<QTreeWidget>(&window, "treeEvents");
    auto* remove = child<QPushButton>(&window, "btnRemoveEvent");
    QVERIFY(!remove->isEnabled());
    // Remove with no row does nothing.
    remove->click();
    QTest::keyClick(tree, Qt::Key_Delete);
    QCOMPARE(m_study->record().events.size(), 1);
    QVERIFY(!window.isModified());

    child<QSignalBrowseDisplay>(&window, "ecgDisplay1")->setStartTime(14.0);
    QTest::keyClick(tree, Qt::Key_Insert);
    QCOMPARE(m_study->record().events.size(), 2);
    QCOMPARE(m_study->record().events[1].position, 14.0);
    QCOMPARE(column(tree, 1), (QStringList{"a", "Enter description"}));
    QVERIFY(remove->isEnabled());
    if (QWidget* editor = QApplication::focusWidget(); qobject_cast<QLineEdit*>(editor))
        QTest::keyClick(editor, Qt::Key_Escape);
    QTest::keyClick(tree, Qt::Key_Delete);
    QCOMPARE(m_study->record().events.size(), 1);
    QCOMPARE(m_study->record().events[0].description, QStringLiteral("a"));
    QVERIFY(!remove->isEnabled());
}

void TestEcgReviewWindow::beatDisplayTakesStoredScheme_data()
{
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<QColor>("paper");
    QTest::addColumn<QColor>("trace");
    QTest::addRow("Black") << "Black" << QColor(Qt::black) << QColor(Qt::green);
    QTest::addRow("Blue") << "Blue" << QColor(0, 0, 64) << QColor(Qt::white);
    QTest::addRow("none stored: the display's own") << "" << QColor(Qt::white) << QColor(Qt::black);
    QTest::addRow("unknown name: the display's own") << "Dark" << QColor(Qt::white) << QColor(Qt::black);
}

void TestEcgReviewWindow::beatDisplayTakesStoredScheme()
{
    QFETCH(QString, scheme);
    QFETCH(QColor, paper);
    QFETCH(QColor, trace);
    QSettings().setValue(QStringLiteral("EcgReviewWindow/DisplayColorScheme"), scheme);
    EcgReviewWindow window(m_study);
    window.resize(1200, 800);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* beat = child<QBeatDisplay>(&window, "beatDisplay");
    auto* browse = child<QSignalBrowseDisplay>(&window, "ecgDisplay1");
    QCOMPARE(beat->color(DisplayColorRole::Background), paper);
    QCOMPARE(beat->color(DisplayColorRole::Trace), trace);
    QCOMPARE(browse->color(DisplayColorRole::Background), beat->color(DisplayColorRole::Background));
    // And in what the beat display shows.
    QVERIFY(!beat->canvas().isNull());
    QCOMPARE(beatPaper(beat), paper);
}

void TestEcgReviewWindow::schemeFromTheDisplayMenu()
{
    EcgReviewWindow window(m_study);
    window.resize(1200, 800);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* beat = child<QBeatDisplay>(&window, "beatDisplay");
    auto* browse = child<QSignalBrowseDisplay>(&window, "ecgDisplay1");
    QCOMPARE(beat->color(DisplayColorRole::Background), QColor(Qt::white));

    // The browse display's menu: "Color scheme", "Black".
    QVERIFY(chooseFromMenu(browse, QPoint(50, 50), QStringLiteral("Color scheme"), QStringLiteral("Black")));
    QCOMPARE(browse->color(DisplayColorRole::Background), QColor(Qt::black));
    QCOMPARE(beat->color(DisplayColorRole::Background), QColor(Qt::black));
    QCOMPARE(beatPaper(beat), QColor(Qt::black));
    // Remembered for the next window.
    window.close();
    QCOMPARE(QSettings().value(QStringLiteral("EcgReviewWindow/DisplayColorScheme")).toString(),
             QStringLiteral("Black"));
}

void TestEcgReviewWindow::withheldPointsHaveNoCursor()
{
    // A measurement without P wave and T end (withheld by the analysis): no
    // cursor stands for them (one at R would read as a measured point), and
    // the clinician places the T end by hand from the beat display's menu.
    TStudyResults& results = m_study->results();
    const char* const keys[] = {"measurementChannel", "POnset", "PPeak",  "POffset", "QRSOnset",
                                "QRSOffset",          "TOnset", "TPeak", "TOffset"};
    const double values[] = {1.0, 0.0, 0.0, 0.0, -0.04, 0.04, 0.0, 0.0, 0.0};
    QVector<double> kept;
    for (size_t i = 0; i < std::size(keys); ++i) {
        kept.append(*results.value(QLatin1String(keys[i])));
        *results.value(QLatin1String(keys[i])) = values[i];
    }
    {
        EcgReviewWindow window(m_study);
        window.show();
        auto* beat = child<QBeatDisplay>(&window, "beatDisplay");
        QVERIFY(beat->cursorEnabled(QBeatDisplay::QrsOn));
        QVERIFY(beat->cursorEnabled(QBeatDisplay::QrsOff));
        for (int c : {QBeatDisplay::POn, QBeatDisplay::POff, QBeatDisplay::TOff, QBeatDisplay::TPeak})
            QVERIFY2(!beat->cursorEnabled(c), qPrintable(QString::number(c)));
        QVERIFY(TestWidgets::shoot(&window, "review-withheld"));

        const QPoint at(beat->width() * 3 / 4, beat->height() / 2);
        QVERIFY(chooseFromMenu(beat, at, QStringLiteral("Place point"), QStringLiteral("T end")));
        QVERIFY(beat->cursorEnabled(QBeatDisplay::TOff));
        QVERIFY(std::abs(beat->cursorPosition(QBeatDisplay::TOff) - beat->secondsAt(at.x())) < 1e-9);
        QVERIFY(beat->cursorPosition(QBeatDisplay::TOff) > beat->cursorPosition(QBeatDisplay::QrsOff));
        QVERIFY(window.isModified());
        QVERIFY(TestWidgets::shoot(&window, "review-placed"));
    }
    for (size_t i = 0; i < std::size(keys); ++i)
        *results.value(QLatin1String(keys[i])) = kept[int(i)];
}

// "Export EDF+..." asks for the file, writes it with the events as edited in
// the window, and shows a failure in a warning box.
void TestEcgReviewWindow::exportEdfFromTheWindow()
{
    m_study->record().events = {makeEvent("Bloqueo AV", 4.0)};
    EcgReviewWindow window(m_study);
    window.show();
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("fido"));
    QString offered;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        answer.stop();
        offered = dialog->selectedFiles().value(0);
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    answer.start(20);
    // VELMORA_TEST_SHOTS names a folder for a picture of the window and its button.
    if (!qEnvironmentVariableIsEmpty("VELMORA_TEST_SHOTS")) {
        window.resize(1400, 860);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.grab().save(QDir(qEnvironmentVariable("VELMORA_TEST_SHOTS")).filePath("ecg-review-export-edf.png")));
    }
    child<QPushButton>(&window, "btnExportEdf")->click();
    // Anonymous by default: the file is named by the study's id.
    QCOMPARE(QFileInfo(offered).fileName(), QStringLiteral("study-%1.edf").arg(m_study->id()));
    QFile file(path + QStringLiteral(".edf"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("0       "));
    QVERIFY(bytes.contains("Bloqueo AV"));
    QVERIFY(!bytes.left(256).contains("Rex"));

    QString warning;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        answer.stop();
        warning = box->text();
        box->accept();
    });
    answer.start(20);
    QVERIFY(!window.exportEdf(out.filePath(QStringLiteral("no/such/folder.edf"))));
    QVERIFY2(warning.startsWith(QStringLiteral("Cannot create file")), qPrintable(warning));
}

QTEST_MAIN(TestEcgReviewWindow)
#include "tst_ecgreviewwindow.moc"
