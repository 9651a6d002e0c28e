// The stress review window, in process and offscreen, over stress tests
// recorded in the test and over studies built in memory: the per-stage table by
// protocol type and its editing through the table, the trend graphics (a tilt
// test's two, the ranges following the data), stage navigation and selection,
// the ST lead, the rest stage's reference beat, the conclusion and the settings.

#include "TestWidgets.h"
#include "AppTestEnvironment.h"
#include "StressDemoStudy.h"
#include "StressTestSupport.h"

#include "EchoDialog.h"
#include "PredefinedConclusionPanel.h"
#include "ReportDialog.h"
#include "QPlotGraphic.h"
#include "QSignalBrowseDisplay.h"
#include "StressReviewWindow.h"
#include "StudyDialog.h"
#include "TBeatAverager.h"
#include "TEcgSynthesizer.h"
#include "TStMeasurement.h"
#include "TStudyResults.h"
#include "TLocalStudyStore.h"
#include "TStudy.h"
#include "TTrend.h"
#include "TValueArray.h"

#include <QAction>
#include <QDir>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTabWidget>
#include <QTreeWidget>

using TestWidgets::child;

using namespace RecorderTest;

namespace {

using TestWidgets::headers;

// A study held in memory, without samples: its protocol and results alone.
std::unique_ptr<TStudy> studyOf(const TProtocol& protocol, const QString& studyType = QStringLiteral("Stress test"))
{
    TStudyRecord record;
    record.setProperty(QStringLiteral("studyType"), studyType);
    record.setProperty(QStringLiteral("studyDateTime"), QStringLiteral("20261102101500"));
    record.setPatientProperty(QStringLiteral("lastName"), QStringLiteral("Tom"));
    record.setPatientProperty(QStringLiteral("firstName"), QStringLiteral("Cat"));
    record.acquisition = {7, 500, 16, 300.0, QStringLiteral("short"), QStringLiteral("I,II,III,aVR,aVL,aVF,V5")};
    record.protocol = protocol;
    return std::make_unique<TStudy>(record);
}

// Clicks the entry of the next popup menu whose text is given, once it opens.
void chooseFromNextMenu(const QString& text)
{
    QTimer::singleShot(50, [text]() {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction* action : menu->actions()) {
            if (action->text() == text) {
                action->trigger();
                break;
            }
        }
        menu->close();
    });
}

const TProtocol& treadmillTest()
{
    static const TProtocol p = protocolOf(TProtocol::Treadmill, {{TProtocolStage::Rest, 30, 0, 0},
                                                                 {TProtocolStage::Exercise, 20, 3, 5},
                                                                 {TProtocolStage::Exercise, 20, 5, 10},
                                                                 {TProtocolStage::Recovery, 20, 1, 0}});
    return p;
}

// The synthesizer's frames of the given lead-table leads (its channels are the
// demo recording's), seconds long.
std::vector<std::vector<qint16>> synthesizedLeads(const TEcgSynthesizer& synth, double seconds, const QList<int>& leads)
{
    const int frames = int(seconds * 500);
    std::vector<qint16> all(size_t(frames) * TEcgSynthesizer::LeadCount);
    synth.render(0, frames, all.data());
    std::vector<std::vector<qint16>> out(size_t(leads.size()), std::vector<qint16>(size_t(frames)));
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < leads.size(); ++c)
            out[size_t(c)][size_t(f)] = all[size_t(f) * TEcgSynthesizer::LeadCount + size_t(leads[c])];
    return out;
}

} // namespace

class TestStressReview : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void recordedTest();
    void headersByType_data();
    void headersByType();
    void editThroughTable();
    void tiltTestGraphics();
    void rangesFollowTheData();
    void noStages();
    void stageNavigation();
    void stLead();
    void conclusionAndSettings();
    void eventsAndEcho();
    void reportGetsTheWindowsOptions();
    void displayMenu();
    void studyDataRefreshesTheWindow();
    void fitnessIndices();
    void exportEdf();
    void insetAveragedAsRecorded();

private:
    std::unique_ptr<TLocalStudyStore> m_store;
    TStudy* m_recorded = nullptr;
};

void TestStressReview::initTestCase()
{
    m_store = std::make_unique<TLocalStudyStore>(AppTest::dataFolder());
    TStudyStore::setInstance(m_store.get());
    TQuickPatient patient;
    patient.lastName = QStringLiteral("Rex");
    patient.firstName = QStringLiteral("Fido");
    patient.age = QStringLiteral("6");
    // Rest, exercise at 4 and at 6 km/h, recovery: 20 s each, a pressure in each.
    m_recorded = StressDemoStudy::record(*m_store, StressDemoStudy::shortTreadmill(2, 20.0), patient);

}

void TestStressReview::init()
{
    QSettings().remove(QStringLiteral("ReviewWindow"));
}

void TestStressReview::recordedTest()
{
    if (!m_recorded)
        QSKIP("the demo recording is not there");
    StressReviewWindow window(m_recorded);
    window.resize(1400, 860);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle().left(11), QStringLiteral("Rex, Fido -"));
    const TProtocol& executed = *m_recorded->protocol();
    QCOMPARE(child<QTabWidget>(&window, "tabs")->currentIndex(), 0);

    auto* tree = child<QTreeWidget>(&window, "treeProtocol");
    QCOMPARE(headers(tree), QStringList({"Stage", "Duration", "Speed", "Incline", "METS", "HR", "SBP/DBP", "DP",
                                         "ST [V5]", QString::fromUtf8("\u2206ST [V5]")}));
    QCOMPARE(tree->topLevelItemCount(), 4);
    QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("Rest 1"));
    QCOMPARE(tree->topLevelItem(2)->text(0), QStringLiteral("Exercise 2"));
    QCOMPARE(tree->topLevelItem(3)->text(0), QStringLiteral("Recovery 1"));
    QCOMPARE(tree->topLevelItem(1)->text(1), QStringLiteral("00:20"));
    QCOMPARE(tree->topLevelItem(2)->text(2), QStringLiteral("6.0 km/h"));
    QCOMPARE(tree->topLevelItem(2)->text(3), QStringLiteral("5.0 %"));
    QCOMPARE(tree->topLevelItem(1)->text(6), QStringLiteral("130/82"));
    QCOMPARE(tree->topLevelItem(2)->text(6), QStringLiteral("140/84"));
    // The demo dog's rate, and its double product.
    const int hr = tree->topLevelItem(2)->text(5).toInt();
    QVERIFY2(hr > 40 && hr < 250, qPrintable(tree->topLevelItem(2)->text(5)));
    QCOMPARE(tree->topLevelItem(2)->text(7), QString::number(hr * 140));
    QVERIFY(tree->topLevelItem(2)->text(8).endsWith(QStringLiteral(" mm")));

    // Five graphics, the time axis on the lowest only.
    for (int g = 0; g < StressReviewWindow::GraphicCount; ++g) {
        QPlotGraphic* plot = window.graphic(StressReviewWindow::Graphic(g));
        QVERIFY(plot->isVisible());
        QVERIFY(plot->source() && plot->source()->count() > 0);
        QCOMPARE(plot->xMin(), 0.0);
        QVERIFY(plot->xMax() >= executed.totalDuration());
    }
    QVERIFY(!window.graphic(StressReviewWindow::HeartRateGraphic)->canvas().isNull());
    QVERIFY(window.graphic(StressReviewWindow::PressureGraphic)->secondSource());
    QCOMPARE(window.graphic(StressReviewWindow::PressureGraphic)->secondSource()->count(), 4);

    // The rest stage's reference beat, from its regular beats.
    QVERIFY(window.averager()->hasReference());

    // The labels follow the browse display.
    auto* display = child<QSignalBrowseDisplay>(&window, "ecgDisplay1");
    tree->setCurrentItem(tree->topLevelItem(2));
    QCOMPARE(display->startTime(), executed.stageStartTime(2));
    QCOMPARE(child<QLabel>(&window, "lblTotalElapsedTime")->text(),
             QString::asprintf("%2d:%2.2d total", int(executed.stageStartTime(2)) / 60,
                               int(executed.stageStartTime(2)) % 60));
    QCOMPARE(child<QLabel>(&window, "lblStageTime")->text(), QStringLiteral("/  0:00"));
    QVERIFY(child<QLabel>(&window, "lblStage")->text().contains(QStringLiteral("Exercise 2")));
    QVERIFY(child<QLabel>(&window, "lblHR")->text().toInt() > 40);
}

void TestStressReview::headersByType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("load");
    QTest::addColumn<QString>("firstStage");
    QTest::addColumn<QString>("loadCell");
    QTest::newRow("treadmill") << int(TProtocol::Treadmill) << QStringList{"Speed", "Incline"} << "Rest 1"
                               << "2.0 km/h";
    QTest::newRow("ergometer") << int(TProtocol::Ergometer) << QStringList{"Workload"} << "Rest 1" << "2.0 watts";
    QTest::newRow("pharmacologic") << int(TProtocol::Pharmacologic) << QStringList{"Dose"} << "Rest 1" << "0";
    QTest::newRow("tilt test") << int(TProtocol::TiltTest) << QStringList{} << "Basal 1" << "";
}

void TestStressReview::headersByType()
{
    QFETCH(int, type);
    QFETCH(QStringList, load);
    QFETCH(QString, firstStage);
    QFETCH(QString, loadCell);
    QSettings().setValue(QStringLiteral("Config/ErgometerWorkloadUnits"), QStringLiteral("watts"));
    const auto study = studyOf(protocolOf(type, {{TProtocolStage::Rest, 60, 2, 1}, {TProtocolStage::Exercise, 90, 4, 2}}));
    StressReviewWindow window(study.get());
    auto* tree = child<QTreeWidget>(&window, "treeProtocol");
    QCOMPARE(headers(tree), QStringList({"Stage", "Duration"}) + load
                                + QStringList({"METS", "HR", "SBP/DBP", "DP", "ST [V5]",
                                               QString::fromUtf8("\u2206ST [V5]")}));
    QCOMPARE(tree->topLevelItem(0)->text(0), firstStage);
    QCOMPARE(tree->topLevelItem(1)->text(1), QStringLiteral("01:30"));
    if (!loadCell.isEmpty())
        QCOMPARE(tree->topLevelItem(0)->text(2), loadCell);
    QSettings().remove(QStringLiteral("Config/ErgometerWorkloadUnits"));
}

void TestStressReview::editThroughTable()
{
    const auto study = studyOf(treadmillTest());
    TStudyResults& results = study->results();
    results.valueArray(QStringLiteral("BPMPerStage"))->setValue(1, 120);
    StressReviewWindow window(study.get());
    auto* tree = child<QTreeWidget>(&window, "treeProtocol");
    QTreeWidgetItem* row = tree->topLevelItem(1);

    // The pressures: refused when unanchored or reversed, the cell restored.
    row->setText(6, QStringLiteral("80/120x"));
    QCOMPARE(row->text(6), QStringLiteral("0/0"));
    row->setText(6, QStringLiteral("80/120"));
    QCOMPARE(row->text(6), QStringLiteral("0/0"));
    QCOMPARE(results.valueArray(QStringLiteral("sysBPPerStage"))->value(1), 0.0);
    QVERIFY(!window.isModified());
    row->setText(6, QStringLiteral("170/95"));
    QCOMPARE(row->text(6), QStringLiteral("170/95"));
    QCOMPARE(row->text(7), QStringLiteral("20400"));
    QCOMPARE(*results.value(QStringLiteral("maxSysBP")), 170.0);
    QVERIFY(window.isModified());
    // The BP graphic shows the new point.
    QCOMPARE(window.graphic(StressReviewWindow::PressureGraphic)->source()->count(), 1);

    // A typo in a number cell: the value stays.
    row->setText(5, QStringLiteral("12O"));
    QCOMPARE(row->text(5), QStringLiteral("120"));
    QCOMPARE(results.valueArray(QStringLiteral("BPMPerStage"))->value(1), 120.0);
    row->setText(4, QStringLiteral("10"));
    QCOMPARE(row->text(4), QStringLiteral("10.0"));
    QCOMPARE(*results.value(QStringLiteral("maxVO2")), 35.0);
    // The speed, the METS following it.
    row->setText(2, QStringLiteral("6"));
    QCOMPARE(row->text(2), QStringLiteral("6.0 km/h"));
    QCOMPARE(study->protocol()->stage(1).value(QStringLiteral("speed")), 6.0);
    QVERIFY(row->text(4) != QStringLiteral("10.0"));

    // Only the cells that may change open for editing: not the double product.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto editor = [tree]() {
        for (QLineEdit* e : tree->viewport()->findChildren<QLineEdit*>()) {
            if (e->isVisible())
                return e;
        }
        return static_cast<QLineEdit*>(nullptr);
    };
    emit tree->itemDoubleClicked(row, 7);
    QVERIFY(!editor());
    emit tree->itemDoubleClicked(row, 0);
    QVERIFY(!editor());
    emit tree->itemDoubleClicked(row, 5);
    QTRY_VERIFY(editor());
    QCOMPARE(editor()->text(), QStringLiteral("120"));
}

// A treadmill test shows the speeds at which the heart rate reached 150 and
// 200 per minute, following edits of the stage table; other tests show none.
void TestStressReview::fitnessIndices()
{
    const auto study = studyOf(treadmillTest());
    study->results().valueArray(QStringLiteral("BPMPerStage"))->setValue(1, 170);
    study->results().valueArray(QStringLiteral("BPMPerStage"))->setValue(2, 210);
    StressReviewWindow window(study.get());
    auto* label = child<QLabel>(&window, "lblFitness");
    QVERIFY(!label->isHidden());
    // 200 between 170 at 3 km/h and 210 at 5 km/h: 4.5 km/h; 150 was passed
    // in the first exercise stage already.
    QCOMPARE(label->text(), QStringLiteral("V150 --, V200 4.5 km/h; recovery HR at 1 min --, at 5 min --"));
    if (const QByteArray shots = qgetenv("VELMORA_TEST_SHOTS"); !shots.isEmpty()) {
        window.resize(1280, 800);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.grab().save(QFile::decodeName(shots) + QStringLiteral("/stress-review-fitness.png")));
    }
    child<QTreeWidget>(&window, "treeProtocol")->topLevelItem(2)->setText(5, QStringLiteral("190"));
    QVERIFY(label->text().startsWith(QStringLiteral("V150 --, V200 --;")));
    const auto bicycle = studyOf(protocolOf(TProtocol::Ergometer, {{TProtocolStage::Exercise, 60, 2, 1}}));
    StressReviewWindow other(bicycle.get());
    QVERIFY(child<QLabel>(&other, "lblFitness")->isHidden());
}

void TestStressReview::tiltTestGraphics()
{
    const auto study = studyOf(protocolOf(TProtocol::TiltTest, {{TProtocolStage::Rest, 300, 0, 0},
                                                                {TProtocolStage::Exercise, 600, 0, 0},
                                                                {TProtocolStage::Recovery, 300, 0, 0}}),
                               QStringLiteral("Tilt test"));
    TTrend& hr = *study->results().trend(QStringLiteral("BPMTrend"));
    for (int t = 0; t < 1200; t += 10)
        hr.append(t, 70 + t / 20);
    StressReviewWindow window(study.get());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.graphic(StressReviewWindow::HeartRateGraphic)->isVisible());
    QVERIFY(window.graphic(StressReviewWindow::PressureGraphic)->isVisible());
    for (auto g : {StressReviewWindow::DoubleProductGraphic, StressReviewWindow::MetsGraphic,
                   StressReviewWindow::StGraphic})
        QVERIFY(!window.graphic(g)->isVisible());
    // The rate at the start is the trend's there.
    QCOMPARE(child<QLabel>(&window, "lblHR")->text(), QStringLiteral("70"));
    QPlotGraphic* hrPlot = window.graphic(StressReviewWindow::HeartRateGraphic);
    QCOMPARE(hrPlot->yMin(), 50.0);
    QCOMPARE(hrPlot->yMax(), 150.0);
    QCOMPARE(window.graphic(StressReviewWindow::PressureGraphic)->yMin(), 0.0);
    QCOMPARE(window.graphic(StressReviewWindow::PressureGraphic)->yMax(), 200.0);
    // The pressure graphic, the lowest shown, carries the time axis.
    QCOMPARE(hrPlot->plotArea(QSize(300, 100)).height(), 100);
    QCOMPARE(window.graphic(StressReviewWindow::PressureGraphic)->plotArea(QSize(300, 100)).height(),
             100 - QPlotGraphic::XAxisHeight);
    QCOMPARE(child<QTreeWidget>(&window, "treeProtocol")->topLevelItem(1)->text(0), QStringLiteral("1"));
    QCOMPARE(child<QTreeWidget>(&window, "treeProtocol")->topLevelItem(2)->text(0), QStringLiteral("Control 1"));
}

void TestStressReview::rangesFollowTheData()
{
    // A cat at 240 per minute in a tilt test, a dog at 280 in exercise: the
    // heart-rate axis takes them in.
    for (const auto& [type, peak] : {std::pair<int, double>(TProtocol::TiltTest, 240.0),
                                     std::pair<int, double>(TProtocol::Treadmill, 280.0)}) {
        const auto study = studyOf(protocolOf(type, {{TProtocolStage::Rest, 60, 0, 0}, {TProtocolStage::Exercise, 60, 4, 2}}),
                                   type == TProtocol::TiltTest ? QStringLiteral("Tilt test") : QStringLiteral("Stress test"));
        TTrend& hr = *study->results().trend(QStringLiteral("BPMTrend"));
        hr.append(10, 160);
        hr.append(90, peak);
        study->results().trend(QStringLiteral("sysBPTrend"))->append(100, 230);
        StressReviewWindow window(study.get());
        QPlotGraphic* plot = window.graphic(StressReviewWindow::HeartRateGraphic);
        QVERIFY2(plot->yMax() >= peak + 5.0, qPrintable(QString::number(plot->yMax())));
        QVERIFY(plot->yMin() <= 50.0);
        QVERIFY(window.graphic(StressReviewWindow::PressureGraphic)->yMax() >= 235.0);
    }
}

void TestStressReview::noStages()
{
    TProtocol empty;
    empty.setType(TProtocol::Treadmill);
    const auto study = studyOf(empty);
    StressReviewWindow window(study.get());
    QCOMPARE(child<QTreeWidget>(&window, "treeProtocol")->topLevelItemCount(), 0);
    auto* display = child<QSignalBrowseDisplay>(&window, "ecgDisplay1");
    const double before = display->startTime();
    child<QPushButton>(&window, "btnNextStage")->click();
    child<QPushButton>(&window, "btnPrevStage")->click();
    QCOMPARE(display->startTime(), before);
    QCOMPARE(child<QLabel>(&window, "lblStage")->text(), QStringLiteral("---"));
}

void TestStressReview::stageNavigation()
{
    if (!m_recorded)
        QSKIP("the demo recording is not there");
    StressReviewWindow window(m_recorded);
    window.resize(1400, 860);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* display = child<QSignalBrowseDisplay>(&window, "ecgDisplay1");
    auto* next = child<QPushButton>(&window, "btnNextStage");
    auto* previous = child<QPushButton>(&window, "btnPrevStage");
    const TProtocol& executed = *m_recorded->protocol();
    QCOMPARE(display->startTime(), 0.0);
    previous->click();
    QCOMPARE(display->startTime(), 0.0);
    next->click();
    QCOMPARE(display->startTime(), executed.stageStartTime(1));
    next->click();
    QCOMPARE(display->startTime(), executed.stageStartTime(2));
    display->setStartTime(executed.stageStartTime(2) + 5.0);
    previous->click();
    QCOMPARE(display->startTime(), executed.stageStartTime(1));

    // Choosing a stage in the table highlights it in every graphic and shows
    // its start.
    auto* tree = child<QTreeWidget>(&window, "treeProtocol");
    tree->setCurrentItem(tree->topLevelItem(2));
    QCOMPARE(display->startTime(), executed.stageStartTime(2));
    QCOMPARE(window.currentStage(), 2);
    for (int g = 0; g < StressReviewWindow::GraphicCount; ++g) {
        QPlotGraphic* plot = window.graphic(StressReviewWindow::Graphic(g));
        QVERIFY(plot->hasHighlight());
        QCOMPARE(plot->highlightFrom(), executed.stageStartTime(2));
        QCOMPARE(plot->highlightTo(), executed.stageEndTime(2));
    }
}

void TestStressReview::stLead()
{
    const auto study = studyOf(treadmillTest());
    study->results().valueArray(TStudyResults::stLevelPerStageName(1))->setValue(1, -0.12);
    study->results().trend(TStudyResults::stLevelTrendName(1))->append(40.0, -0.12);
    const auto tree = [](StressReviewWindow& w) { return child<QTreeWidget>(&w, "treeProtocol"); };
    {
        // A stored name the study lacks: the first lead.
        QSettings().setValue(QStringLiteral("ReviewWindow/STLeadName"), QStringLiteral("CM5"));
        StressReviewWindow window(study.get());
        QCOMPARE(window.stLead(), 0);
        QCOMPARE(tree(window)->headerItem()->text(8), QStringLiteral("ST [I]"));
        // Chosen from the ST graphic's menu.
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        chooseFromNextMenu(QStringLiteral("II"));
        QMetaObject::invokeMethod(&window, "on_graphicST_customContextMenuRequested", Q_ARG(QPoint, QPoint(5, 5)));
        QCOMPARE(window.stLead(), 1);
        QCOMPARE(tree(window)->headerItem()->text(8), QStringLiteral("ST [II]"));
        QCOMPARE(tree(window)->topLevelItem(1)->text(8), QStringLiteral("-1.2 mm"));
        QPlotGraphic* st = window.graphic(StressReviewWindow::StGraphic);
        QCOMPARE(st->source()->count(), 1);
        QCOMPARE(st->source()->y(0), -1.2);
    }
    QCOMPARE(QSettings().value(QStringLiteral("ReviewWindow/STLeadName")).toString(), QStringLiteral("II"));
    StressReviewWindow again(study.get());
    QCOMPARE(again.stLead(), 1);
}

void TestStressReview::conclusionAndSettings()
{
    const auto study = studyOf(treadmillTest());
    study->setProperty(QStringLiteral("conclusion"), QStringLiteral("Sinus rhythm."));
    QSettings().setValue(QStringLiteral("ReviewWindow/PredefinedConclusionList"),
                         QStringList({"No ST changes.", "Ventricular premature beats at peak."}));
    {
        StressReviewWindow window(study.get());
        auto* text = child<QPlainTextEdit>(&window, "textConclusion");
        QCOMPARE(text->toPlainText(), QStringLiteral("Sinus rhythm."));
        auto* list = child<QListWidget>(&window, "listPredefinedText");
        QCOMPARE(list->count(), 2);
        QMetaObject::invokeMethod(&window, "on_listPredefinedText_doubleClicked",
                                  Q_ARG(QModelIndex, list->model()->index(0, 0)));
        QCOMPARE(study->property(QStringLiteral("conclusion")), QStringLiteral("Sinus rhythm.\nNo ST changes."));
        child<QPushButton>(&window, "btnPredefinedAdd")->click();
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(2)->text(), QStringLiteral("Enter conclusion"));
    }
    QCOMPARE(QSettings().value(QStringLiteral("ReviewWindow/PredefinedConclusionList")).toStringList().size(), 3);
    QVERIFY(QSettings().contains(QStringLiteral("ReviewWindow/DisplayColorScheme")));
    QVERIFY(QSettings().contains(QStringLiteral("ReviewWindow/HexaxialOrder")));
    QVERIFY(QSettings().contains(QStringLiteral("ReviewWindow/ShowAverageBeat")));
}

void TestStressReview::eventsAndEcho()
{
    const auto study = studyOf(treadmillTest());
    study->record().events = {{QStringLiteral("Peak"), 62.0, 10.0, true}, {QStringLiteral("Start"), 31.0, 10.0, false}};
    StressReviewWindow window(study.get());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* events = child<QTreeWidget>(&window, "treeEvents");
    // In time order, the study's own order kept.
    QCOMPARE(events->topLevelItemCount(), 2);
    QCOMPARE(events->topLevelItem(0)->text(1), QStringLiteral("Start"));
    QCOMPARE(events->topLevelItem(1)->text(1), QStringLiteral("Peak"));
    QCOMPARE(study->record().events.at(0).description, QStringLiteral("Peak"));
    auto* remove = child<QPushButton>(&window, "btnRemoveEvent");
    QVERIFY(!remove->isEnabled());
    // Removing without a row does nothing.
    QMetaObject::invokeMethod(&window, "on_btnRemoveEvent_clicked");
    QCOMPARE(study->record().events.size(), 2);
    QVERIFY(!window.isModified());

    // Choosing an event shows its stretch; an event added there comes next in time.
    events->setCurrentItem(events->topLevelItem(1));
    auto* display = child<QSignalBrowseDisplay>(&window, "ecgDisplay1");
    QCOMPARE(display->startTime(), 62.0);
    QVERIFY(remove->isEnabled());
    child<QPushButton>(&window, "btnAddEvent")->click();
    QCOMPARE(study->record().events.size(), 3);
    QCOMPARE(study->record().events.last().position, 62.0);
    QCOMPARE(study->record().events.last().duration, 7.0);
    QCOMPARE(study->record().events.last().description, QStringLiteral("Enter description"));
    QVERIFY(window.isModified());
    remove->click();
    QCOMPARE(study->record().events.size(), 2);

    // The echo scoring, entered in its dialog.
    QVERIFY(!study->record().echoScoring);
    QTimer::singleShot(100, [&]() {
        auto* dialog = qobject_cast<EchoDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QComboBox* box = dialog->scoreBox(TEchoScoring::Peak, 7);
        box->setCurrentIndex(box->findData(3));
        dialog->accept();
    });
    child<QPushButton>(&window, "btnEcho")->click();
    QVERIFY(study->record().echoScoring);
    QCOMPARE(study->record().echoScoring->score(TEchoScoring::Peak, 7), 3);
    QCOMPARE(*study->record().echoScoring->scoreIndex(TEchoScoring::Peak), 3.0);
}

void TestStressReview::reportGetsTheWindowsOptions()
{
    const auto study = studyOf(treadmillTest());
    QSettings().setValue(QStringLiteral("ReviewWindow/STLeadName"), QStringLiteral("aVF"));
    StressReviewWindow window(study.get());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    child<QPushButton>(&window, "btnSpeed50")->click();
    child<QPushButton>(&window, "btnAmp20")->click();
    child<QPushButton>(&window, "btnFilterNotch")->click();
    TReportOptions seen;
    bool opened = false;
    QTimer::singleShot(100, [&]() {
        if (auto* dialog = qobject_cast<ReportDialog*>(QApplication::activeModalWidget())) {
            opened = true;
            seen = dialog->options();
            dialog->reject();
        }
    });
    child<QPushButton>(&window, "btnReport")->click();
    QVERIFY(opened);
    QCOMPARE(seen.stLead, QStringLiteral("aVF"));
    QCOMPARE(seen.speed, 50.0);
    QCOMPARE(seen.amplitude, 20.0);
    QVERIFY(!seen.notch);
    QVERIFY(seen.lowpass && seen.baseline);
}

void TestStressReview::displayMenu()
{
    const auto study = studyOf(treadmillTest());
    StressReviewWindow window(study.get());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QStringList entries, leads;
    QTimer::singleShot(50, [&]() {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* action : menu->actions()) {
                entries << action->text();
                if (action->menu() && action->text() == QStringLiteral("Show leads")) {
                    for (QAction* lead : action->menu()->actions())
                        leads << lead->text();
                }
            }
            for (QAction* action : menu->actions()) {
                if (action->text() == QStringLiteral("Show graphics"))
                    action->trigger();
            }
            menu->close();
        }
    });
    QMetaObject::invokeMethod(&window, "on_ecgDisplay1_customContextMenuRequested", Q_ARG(QPoint, QPoint(20, 20)));
    // A lead each, then the display's choices; the study has 7 leads, so the
    // hexaxial order is offered.
    QCOMPARE(leads, QStringList({"I", "II", "III", "aVR", "aVL", "aVF", "V5"}));
    for (const char* entry : {"Hexaxial order", "Average beat", "Show graphics", "Color scheme"})
        QVERIFY2(entries.contains(QLatin1String(entry)), qPrintable(entries.join(", ")));
    QVERIFY(!child<QWidget>(&window, "frameGraphics")->isVisible());
}

void TestStressReview::studyDataRefreshesTheWindow()
{
    if (!m_recorded)
        QSKIP("the demo recording is not there");
    const TStudyRecord before = m_recorded->record();
    StressReviewWindow window(m_recorded);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* info = child<QLabel>(&window, "lblHRInfo");
    AppTest::answerDialog<StudyDialog>([](StudyDialog* dialog) {
        QVERIFY(!child<QComboBox>(dialog, "cboStageProtocol")->isEnabled());
        child<QLineEdit>(dialog, "txtLastName")->setText(QStringLiteral("Rexa"));
        auto* age = child<QLineEdit>(dialog, "txtAge");
        age->setText(QString());
        QTest::keyClicks(age, QStringLiteral("10"));
        child<QComboBox>(dialog, "cboSex")->setCurrentIndex(1);
        dialog->accept();
    });
    QTest::mouseClick(child<QPushButton>(&window, "btnStudyData"), Qt::LeftButton);
    QCOMPARE(window.windowTitle().left(12), QStringLiteral("Rexa, Fido -"));
    QCOMPARE(m_recorded->record().patientProperty(QStringLiteral("trainingZoneMax")), QStringLiteral("210"));
    QVERIFY2(info->text().contains(QStringLiteral("max 210")) && info->text().contains(QStringLiteral("sub 178")),
             qPrintable(info->text()));
    QVERIFY(window.isModified());
    // Cancelled, nothing changes.
    AppTest::answerDialog<StudyDialog>([](StudyDialog* dialog) {
        child<QLineEdit>(dialog, "txtLastName")->setText(QStringLiteral("Other"));
        dialog->reject();
    });
    QTest::mouseClick(child<QPushButton>(&window, "btnStudyData"), Qt::LeftButton);
    QCOMPARE(m_recorded->record().patientProperty(QStringLiteral("lastName")), QStringLiteral("Rexa"));
    QCOMPARE(m_recorded->record().events, before.events);
    QCOMPARE(m_recorded->record().results, before.results);
    m_recorded->record() = before;
}

// "Export EDF+..." writes the recording with the stage changes as the stage
// table names them, and the events.
void TestStressReview::exportEdf()
{
    if (!m_recorded)
        QSKIP("the demo recording is not there");
    StressReviewWindow window(m_recorded);
    window.show();
    QVERIFY(child<QPushButton>(&window, "btnExportEdf")->isEnabled());
    // VELMORA_TEST_SHOTS names a folder for a picture of the window and its button.
    if (!qEnvironmentVariableIsEmpty("VELMORA_TEST_SHOTS")) {
        window.resize(1400, 860);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.grab().save(QDir(qEnvironmentVariable("VELMORA_TEST_SHOTS")).filePath("stress-review-export-edf.png")));
    }
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("stress.edf"));
    QVERIFY(window.exportEdf(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("0       "));
    for (const char* stage : {"Rest 1", "Exercise 1", "Exercise 2", "Recovery 1"})
        QVERIFY2(bytes.contains(stage), stage);
    QVERIFY(!bytes.left(256).contains("Fido"));
}

// A caliper in the inset reads the ST level the beats carry, whatever filters
// the strip is shown through: the beats are averaged unfiltered, as they were
// while recording. Through the display's filters the inset read the depression
// 0.012 mV shallower and the QRS a sixth smaller. The stretch shown at opening
// is averaged once the display has its size (before, the inset had no beats
// until the strip was moved).
void TestStressReview::insetAveragedAsRecorded()
{
    TSynthParams params;
    params.seed = 23;
    params.heartRateStart = params.heartRateEnd = 90.0;
    params.stDeviationMv = -0.2;
    const TProtocol& protocol = treadmillTest();
    params.durationSeconds = protocol.totalDuration() + 2.0;
    const TEcgSynthesizer synth(params);
    const QList<int> leads = TLeadTable::selectedLeads(TLeadTable::DefaultChannelMask);
    const int v5 = leads.indexOf(TLeadTable::V5);
    QVERIFY(v5 >= 0);
    TQuickPatient patient;
    patient.lastName = QStringLiteral("Depressed");
    patient.firstName = QStringLiteral("ST");
    TStudy* study = StressDemoStudy::recordSamples(
        *m_store, protocol, patient, synthesizedLeads(synth, protocol.totalDuration() + 1.0, leads), leads);
    QVERIFY(study);
    const double truth = synth.stDeviationMv()[size_t(leads[v5])];
    const double stored = study->results().valueArray(TStudyResults::stLevelPerStageName(v5))->value(0);
    // The recorder's own reading, within the 25 uV expected of an amplitude.
    QVERIFY2(std::fabs(stored - truth) < 0.025, qPrintable(QStringLiteral("stored %1, made %2").arg(stored).arg(truth)));

    QSettings().setValue(QStringLiteral("ReviewWindow/ShowAverageBeat"), true);
    StressReviewWindow window(study);
    window.resize(1400, 860);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The stretch shown at opening is averaged once the display has its size.
    QTRY_VERIFY(window.averager()->beatCount() >= 4);
    const TSignalBuffer* recording = study->recording();
    struct Filters
    {
        bool notch, lowpass, baseline;
    };
    std::vector<double> asOpened;
    for (const Filters f : {Filters{true, true, true}, Filters{true, true, false}, Filters{false, false, false},
                            Filters{false, false, true}}) {
        const QString row = QStringLiteral("notch %1, low-pass %2, baseline %3").arg(f.notch).arg(f.lowpass).arg(f.baseline);
        for (const auto& [name, on] : {std::pair<const char*, bool>{"btnFilterNotch", f.notch},
                                       {"btnFilterLowpass", f.lowpass}, {"btnFilterBaseline", f.baseline}}) {
            auto* button = child<QPushButton>(&window, name);
            if (button->isChecked() != on)
                button->click();
        }
        TBeatAverager* averager = window.averager();
        QVERIFY2(averager->beatCount() >= 4, qPrintable(row));
        const std::vector<double>& average = averager->average(v5);
        const TStMeasurement::Result current = TStMeasurement::measure(
            average, recording->samplingRate(), averager->rIndex(), averager->meanRR(), recording->valueStep());
        QVERIFY2(current.measured, qPrintable(row));
        QVERIFY2(std::fabs(current.level - truth) < 0.01,
                 qPrintable(QStringLiteral("%1: %2 mV in the inset, %3 made").arg(row).arg(current.level).arg(truth)));
        QVERIFY(averager->hasReference());
        const TStMeasurement::Result reference =
            TStMeasurement::measure(averager->referenceBeat(v5), recording->samplingRate(), averager->referenceRIndex(),
                                    averager->meanRR(), recording->valueStep());
        QVERIFY2(reference.measured && std::fabs(reference.level - truth) < 0.01,
                 qPrintable(QStringLiteral("%1: %2 mV in the reference beat").arg(row).arg(reference.level)));
        if (asOpened.empty())
            asOpened = average;
        else
            QVERIFY2(average == asOpened, qPrintable(row));
    }
}

VELMORA_APP_TEST_MAIN(TestStressReview)

#include "tst_stressreview.moc"
