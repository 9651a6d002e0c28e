// The stress monitor window, in process and offscreen, over a scripted device
// whose blocks the test pushes faster than real time: the blood pressure
// prompts and where their values go, the stage events and the event entry,
// the display menu, the heart rate and its trend, the banner for a failed
// treadmill, the strip of a stage and the window closed under a prompt or a
// print.

#include "TestWidgets.h"
#include "AppTestEnvironment.h"
#include "RecorderTestRig.h"
#include "StressTestSupport.h"

#include "BPDialog.h"
#include "QPlotGraphic.h"
#include "StressMonitorWindow.h"
#include "TAcquisitionFields.h"
#include "TEcgSynthesizer.h"
#include "TLocalStudyStore.h"
#include "TPrinterSimulator.h"
#include "TSignalBuffer.h"
#include "TStudy.h"
#include "TStudyRecorder.h"
#include "TValueArray.h"

#include <QAction>
#include <QDirIterator>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

using TestWidgets::child;

using namespace RecorderTest;
using namespace StressTest;

namespace {

// A window over a new study of the store and a scripted device.
struct Bench
{
    Bench(TStudyStore& store, const TProtocol& planned, QList<int> leads = TLeadTable::selectedLeads(
                                                           TLeadTable::DefaultChannelMask))
        : device(leads), protocol(planned)
    {
        TQuickPatient patient;
        patient.lastName = QStringLiteral("Rex");
        patient.firstName = QStringLiteral("Fido");
        patient.age = QStringLiteral("5");
        patient.sex = QStringLiteral("M");
        TStudyRecord record = TStudyRecord::newStudy(TStudyRecord::StressTest, patient, QString::fromUtf8(planned.name()));
        record.acquisition = TAcquisitionFields::fromDevice(device);
        study = store.saveNewStudy(record);
        window = std::make_unique<StressMonitorWindow>(&device, study, &protocol, &equipment);
        window->resize(1280, 800);
        window->show();
    }

    int delivered() const { return window->recorder() ? window->recorder()->rawSignal()->length() : 0; }
    double time() const { return window->recorder() ? window->recorder()->recordingTime() : 0.0; }

    // Pushes seconds of signal in blocks of 0.25 s, each taken before the next.
    bool feed(double seconds, const TEcgSynthesizer* synth = nullptr)
    {
        const int channels = device.channelCount();
        for (int k = 0; k < int(std::lround(seconds * 4)); ++k) {
            const int target = delivered() + 125;
            std::vector<qint16> block(size_t(125) * size_t(channels), 0);
            if (synth) {
                std::vector<qint16> all(size_t(125) * TEcgSynthesizer::LeadCount);
                synth->render(m_synthFrame, 125, all.data());
                for (int f = 0; f < 125; ++f)
                    for (int c = 0; c < channels; ++c)
                        block[size_t(f * channels + c)] = all[size_t(f * TEcgSynthesizer::LeadCount + c)];
                m_synthFrame += 125;
            }
            device.push(block);
            if (!waitProcessingEvents([&] { return delivered() >= target || !window->recorder(); }, 20000))
                return false;
        }
        return true;
    }

    void start()
    {
        QTest::mouseClick(child<QPushButton>(window.get(), "btnStart"), Qt::LeftButton);
    }

    ScriptedDevice device;
    TProtocol protocol;
    FakeEquipment equipment;
    TStudy* study = nullptr;
    std::unique_ptr<StressMonitorWindow> window;

private:
    qint64 m_synthFrame = 0;
};

TEcgSynthesizer synthAt(double rate)
{
    TSynthParams params;
    params.seed = 11;
    params.durationSeconds = 120.0;
    params.heartRateStart = params.heartRateEnd = rate;
    return TEcgSynthesizer(params);
}

// Rest, one exercise stage at 3 km/h and 5 %, recovery.
TProtocol treadmill(double rest = 60, double exercise = 60, double recovery = 60)
{
    return protocolOf(TProtocol::Treadmill, {{TProtocolStage::Rest, rest, 0, 0},
                                             {TProtocolStage::Exercise, exercise, 3, 5},
                                             {TProtocolStage::Recovery, recovery, 0, 0}});
}

double perStage(TStudy* study, const char* name, int index)
{
    const TValueArray* values = study->results().valueArray(QLatin1String(name));
    return values && index < values->size() ? values->value(index) : -1.0;
}

// The study as its record file holds it now.
std::unique_ptr<TStudy> storedStudy(TStudyStore& store, int id)
{
    QDirIterator files(store.rootPath(), {QStringLiteral("*.cxstudy")}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        std::unique_ptr<TStudy> study = store.loadStudyFile(files.next());
        if (study && study->id() == id)
            return study;
    }
    return nullptr;
}

} // namespace

class TestStressMonitor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void automaticPromptOncePerStage();
    void nextPromptsAndChangesTheStageAtOnce();
    void stopAsksForTheFinalPressure();
    void stopTakesAnOpenPromptAsTheFinalOne();
    void closingTheWindowClosesThePrompt();
    void bpShortcutPromptsWithoutChangingTheStage();
    void pressureOfTheFirstSecond();
    void spaceMarksAnEvent();
    void stageEventsAndButtons();
    void displayMenu_data();
    void displayMenu();
    void heartRateGoesWhenBeatsStop();
    void heartRateTrendGrowsWithTheRate();
    void failedTreadmillIsShownAndRecordingGoesOn();
    void stageStripIsPrinted();
    void closingWhilePrintingWaitsOrCancels();
    void closedBeforeStartRecordsNothing();

private:
    std::unique_ptr<TLocalStudyStore> m_store;
};

void TestStressMonitor::initTestCase()
{
    QSettings().setValue(QStringLiteral("BPDialog/Print"), false);
    m_store = std::make_unique<TLocalStudyStore>(AppTest::dataFolder());
    TStudyStore::setInstance(m_store.get());
}

void TestStressMonitor::automaticPromptOncePerStage()
{
    Bench bench(*m_store, treadmill());
    bench.start();
    QVERIFY(bench.feed(44.5));
    QVERIFY(!bench.window->bloodPressurePrompt());
    QVERIFY(bench.feed(0.75));
    BPDialog* prompt = bench.window->bloodPressurePrompt();
    QVERIFY(prompt);
    QVERIFY(bench.time() >= 45.0 && bench.time() <= 45.5);
    QVERIFY(child<QLabel>(prompt, "lblStageInfo")->text().contains(QStringLiteral("Rest 1")));
    answer(prompt, 0, 0);
    QTRY_VERIFY(!bench.window->bloodPressurePrompt());
    // Once per stage: not again before the stage ends ...
    QVERIFY(bench.feed(14.0));
    QVERIFY(!bench.window->bloodPressurePrompt());
    // ... and again 15 s before the next one ends (it began at 60 s).
    QVERIFY(bench.feed(46.0));
    QCOMPARE(bench.window->recorder()->stageIndex(), 1);
    QVERIFY(bench.window->bloodPressurePrompt());
    QVERIFY(child<QLabel>(bench.window->bloodPressurePrompt(), "lblStageInfo")
                ->text()
                .contains(QStringLiteral("3.0 km/h / 5 %")));
    bench.window->close();
    QVERIFY(!bench.window->bloodPressurePrompt());
}

void TestStressMonitor::nextPromptsAndChangesTheStageAtOnce()
{
    Bench bench(*m_store, treadmill());
    bench.start();
    QVERIFY(bench.feed(20.0));
    QTest::mouseClick(child<QPushButton>(bench.window.get(), "btnNext"), Qt::LeftButton);
    QVERIFY(bench.window->bloodPressurePrompt());
    QCOMPARE(bench.window->recorder()->stageIndex(), 1);
    QVERIFY(child<QPushButton>(bench.window.get(), "btnRecovery")->isEnabled());
    // Typed a few seconds later: the value belongs to the stage that ended.
    QVERIFY(bench.feed(4.0));
    answer(bench.window->bloodPressurePrompt(), 130, 85);
    QCOMPARE(perStage(bench.study, "sysBPPerStage", 0), 130.0);
    QCOMPARE(perStage(bench.study, "diaBPPerStage", 0), 85.0);
    const QTreeWidget* table = child<QTreeWidget>(bench.window.get(), "treeProtocol");
    QCOMPARE(table->topLevelItemCount(), 1);
    QCOMPARE(table->topLevelItem(0)->text(table->columnCount() - 4), QStringLiteral("130/85"));
    // Recovery: the stage goes to the first recovery stage at once.
    QTest::mouseClick(child<QPushButton>(bench.window.get(), "btnRecovery"), Qt::LeftButton);
    QCOMPARE(bench.window->recorder()->stageIndex(), 2);
    QVERIFY(!child<QPushButton>(bench.window.get(), "btnNext")->isEnabled());
    QVERIFY(!child<QPushButton>(bench.window.get(), "btnRecovery")->isEnabled());
    bench.window->close();
}

void TestStressMonitor::stopAsksForTheFinalPressure()
{
    Bench bench(*m_store, treadmill());
    bench.start();
    QVERIFY(bench.feed(10.0));
    PromptAnswerer answerer(140, 90);
    QTest::mouseClick(child<QPushButton>(bench.window.get(), "btnStop"), Qt::LeftButton);
    QCOMPARE(answerer.seen.size(), 1);
    QVERIFY(answerer.modal.at(0));
    QCOMPARE(bench.window->state(), StressMonitorWindow::Closed);
    QVERIFY(!bench.window->recorder());
    QCOMPARE(bench.study->protocol()->stageCount(), 1);
    QCOMPARE(perStage(bench.study, "sysBPPerStage", 0), 140.0);
    QCOMPARE(perStage(bench.study, "diaBPPerStage", 0), 90.0);
}

void TestStressMonitor::stopTakesAnOpenPromptAsTheFinalOne()
{
    Bench bench(*m_store, treadmill(20));
    bench.start();
    QVERIFY(bench.feed(6.0));
    BPDialog* automatic = bench.window->bloodPressurePrompt();
    QVERIFY(automatic);
    PromptAnswerer answerer(150, 95);
    QTest::mouseClick(child<QPushButton>(bench.window.get(), "btnStop"), Qt::LeftButton);
    // No second prompt: the one that was open became the final one.
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen.at(0), automatic);
    QVERIFY(answerer.modal.at(0));
    QVERIFY(!bench.window->recorder());
    QCOMPARE(perStage(bench.study, "sysBPPerStage", 0), 150.0);
}

void TestStressMonitor::closingTheWindowClosesThePrompt()
{
    Bench bench(*m_store, treadmill(20));
    bench.start();
    QVERIFY(bench.feed(6.0));
    QPointer<BPDialog> prompt = bench.window->bloodPressurePrompt();
    QVERIFY(prompt);
    bench.window->close();
    // Gone with the engine: nothing is left to report to a destroyed engine.
    QVERIFY(!prompt);
    QVERIFY(!bench.window->recorder());
    QCOMPARE(bench.window->state(), StressMonitorWindow::Closed);
}

void TestStressMonitor::bpShortcutPromptsWithoutChangingTheStage()
{
    Bench bench(*m_store, treadmill());
    auto* action = child<QAction>(bench.window.get(), "actionBP");
    QCOMPARE(action->shortcut(), QKeySequence(Qt::Key_F4));
    QCOMPARE(action->toolTip(), QStringLiteral("Enter BP"));
    action->trigger();
    QVERIFY(!bench.window->bloodPressurePrompt()); // not before Start
    bench.start();
    QVERIFY(bench.feed(10.0));
    QVERIFY(QTest::qWaitForWindowActive(bench.window.get()));
    QTest::keyClick(bench.window.get(), Qt::Key_F4);
    QVERIFY(bench.window->bloodPressurePrompt());
    QCOMPARE(bench.window->recorder()->stageIndex(), 0);
    answer(bench.window->bloodPressurePrompt(), 120, 80);
    QCOMPARE(bench.window->recorder()->pendingSBP(), 120);
    bench.window->close();
}

void TestStressMonitor::pressureOfTheFirstSecond()
{
    Bench bench(*m_store, treadmill());
    bench.start();
    QVERIFY(bench.feed(0.5));
    child<QAction>(bench.window.get(), "actionBP")->trigger();
    answer(bench.window->bloodPressurePrompt(), 120, 80);
    const TTrend* systolic = bench.study->results().trend(QStringLiteral("sysBPTrend"));
    QCOMPARE(systolic->size(), 1);
    QCOMPARE(systolic->time(0), 0.0);
    bench.window->close();
}

void TestStressMonitor::spaceMarksAnEvent()
{
    Bench bench(*m_store, treadmill());
    auto* entry = child<QLineEdit>(bench.window.get(), "txtEventDescription");
    auto* save = child<QPushButton>(bench.window.get(), "btnStudyEvent");
    QCOMPARE(child<QAction>(bench.window.get(), "actionSaveEvent")->shortcut(), QKeySequence(Qt::Key_Space));
    QVERIFY(!entry->isEnabled());
    bench.start();
    QVERIFY(bench.feed(3.0));
    QVERIFY(QTest::qWaitForWindowActive(bench.window.get()));
    QTest::keyClick(bench.window.get(), Qt::Key_Space);
    QVERIFY(entry->isEnabled());
    QCOMPARE(entry->placeholderText(), QStringLiteral("Describe event and press <Return>"));
    QVERIFY(!save->isEnabled());
    // A space typed into the description is text, not a second mark.
    QTest::keyClicks(entry, QStringLiteral("Couch dropped"));
    QVERIFY(save->isEnabled());
    QTest::keyClick(entry, Qt::Key_Return);
    const QVector<TStudyEvent>& events = bench.study->record().events;
    QCOMPARE(events.size(), 1);
    QCOMPARE(events.at(0).description, QStringLiteral("Couch dropped"));
    QCOMPARE(events.at(0).position, 0.0);
    QCOMPARE(events.at(0).duration, 7.0);
    QVERIFY(!entry->isEnabled());
    QCOMPARE(entry->placeholderText(), QStringLiteral("Press <Space> to mark event"));
    bench.window->close();
}

void TestStressMonitor::stageEventsAndButtons()
{
    Bench bench(*m_store, treadmill(20, 20, 20));
    PromptAnswerer cancel(0, 0);
    auto* next = child<QPushButton>(bench.window.get(), "btnNext");
    auto* stop = child<QPushButton>(bench.window.get(), "btnStop");
    QVERIFY(!next->isEnabled() && !stop->isEnabled());
    bench.start();
    QVERIFY(!child<QPushButton>(bench.window.get(), "btnStart")->isEnabled());
    QVERIFY(next->isEnabled() && stop->isEnabled());
    QVERIFY(bench.feed(40.5));
    QCOMPARE(bench.window->recorder()->stageIndex(), 2);
    QVERIFY(!next->isEnabled());
    const QVector<TStudyEvent>& events = bench.study->record().events;
    QCOMPARE(events.size(), 2);
    QCOMPARE(events.at(0).description, QStringLiteral("Rest 1"));
    QCOMPARE(events.at(0).position, 9.0);
    QCOMPARE(events.at(0).duration, 11.0);
    QVERIFY(events.at(0).print);
    QCOMPARE(events.at(1).description, QStringLiteral("Exercise 1"));
    QCOMPARE(events.at(1).position, 29.0);
    QVERIFY(child<QLabel>(bench.window.get(), "lblStageInfo")->text().contains(QStringLiteral("Recovery 1")));
    QCOMPARE(child<QTreeWidget>(bench.window.get(), "treeProtocol")->topLevelItemCount(), 2);
    // Stage changes are written through: the stored record has the stages too.
    std::unique_ptr<TStudy> stored = storedStudy(*m_store, bench.study->id());
    QVERIFY(stored && stored->protocol());
    QCOMPARE(stored->protocol()->stageCount(), 2);
    bench.window->close();
}

void TestStressMonitor::displayMenu_data()
{
    QTest::addColumn<int>("channels");
    QTest::addColumn<bool>("doublePanel");
    QTest::addColumn<bool>("hexaxial");
    QTest::newRow("8 channels") << 8 << true << true;
    QTest::newRow("7 channels") << 7 << false << true;
    QTest::newRow("6 channels") << 6 << false << true;
    QTest::newRow("3 channels") << 3 << false << false;
}

void TestStressMonitor::displayMenu()
{
    QFETCH(int, channels);
    QFETCH(bool, doublePanel);
    QFETCH(bool, hexaxial);
    QList<int> leads;
    for (int i = 0; i < channels; ++i)
        leads << i;
    Bench bench(*m_store, treadmill(), leads);
    QVERIFY(bench.feed(1.0));
    QStringList texts;
    QTimer::singleShot(200, [&texts]() {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* a : menu->actions())
                texts << a->text();
            menu->close();
        }
    });
    auto* display = child<QWidget>(bench.window.get(), "ecgDisplay1");
    emit display->customContextMenuRequested(QPoint(20, 20));
    QVERIFY2(texts.contains(QStringLiteral("Show leads")), qPrintable(texts.join(", ")));
    QCOMPARE(texts.contains(QStringLiteral("Double panel")), doublePanel);
    QCOMPARE(texts.contains(QStringLiteral("Hexaxial order")), hexaxial);
    QVERIFY(texts.contains(QStringLiteral("Average beat")));
    QVERIFY(texts.contains(QStringLiteral("Color scheme")));
    // With seven leads or fewer one panel shows them all.
    QCOMPARE(child<QWidget>(bench.window.get(), "ecgDisplay2")->isVisible(), channels > 7);
    bench.window->close();
}

void TestStressMonitor::heartRateGoesWhenBeatsStop()
{
    Bench bench(*m_store, treadmill(120), allLeads());
    const TEcgSynthesizer synth = synthAt(100.0);
    bench.start();
    QVERIFY(bench.feed(12.0, &synth));
    auto* rate = child<QLabel>(bench.window.get(), "lblHR");
    auto* info = child<QLabel>(bench.window.get(), "lblHRInfo");
    QTRY_VERIFY_WITH_TIMEOUT(rate->text().toInt() >= 95 && rate->text().toInt() <= 105, 3000);
    // Zones of a 5-year-old male: 215 and 182.
    QVERIFY2(info->text().startsWith(QStringLiteral("%1% max 215").arg(rate->text().toInt() * 100 / 215)),
             qPrintable(info->text()));
    // A flat line (electrode off, asystole): no rate after 3 s.
    QVERIFY(bench.feed(8.0));
    QTRY_COMPARE_WITH_TIMEOUT(rate->text(), QStringLiteral("---"), 3000);
    QVERIFY(info->text().startsWith(QStringLiteral("---% max 215")));
    bench.window->close();
}

void TestStressMonitor::heartRateTrendGrowsWithTheRate()
{
    Bench bench(*m_store, treadmill(120), allLeads());
    const TEcgSynthesizer synth = synthAt(250.0);
    bench.start();
    QVERIFY(bench.feed(15.0, &synth));
    auto* plot = child<QPlotGraphic>(bench.window.get(), "graphicHR");
    QTRY_VERIFY_WITH_TIMEOUT(plot->yMax() >= 255.0, 3000);
    QCOMPARE(plot->xMin(), 0.0);
    QCOMPARE(plot->xMax(), 120.0);
    bench.window->close();
}

void TestStressMonitor::failedTreadmillIsShownAndRecordingGoesOn()
{
    Bench bench(*m_store, treadmill());
    bench.start();
    QVERIFY(bench.feed(2.0));
    QVERIFY(bench.window->bannerText().isEmpty());
    // The controller gives up while no block comes: told within 2 s all the same.
    bench.equipment.ok = false;
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(!bench.window->bannerText().isEmpty(), 2000);
    QVERIFY(clock.elapsed() <= 2000);
    QCOMPARE(bench.window->bannerText(), QStringLiteral("Communication with ergometer/treadmill device failed."));
    QVERIFY(child<QLabel>(bench.window.get(), "lblBanner")->isVisible());
    // No box to answer, and the recording goes on.
    QVERIFY(!QApplication::activeModalWidget());
    const qint64 before = bench.window->recorder()->recordedSamples();
    QVERIFY(bench.feed(2.0));
    QVERIFY(bench.window->recorder()->recordedSamples() > before);
    QCOMPARE(bench.window->state(), StressMonitorWindow::Recording);
    // The silent ECG device is told as well.
    QTRY_VERIFY_WITH_TIMEOUT(!bench.window->noSignalText().isEmpty(), 2000);
    bench.window->close();
}

void TestStressMonitor::stageStripIsPrinted()
{
    QTemporaryDir out;
    TPrinterSimulator printer(out.path());
    QVERIFY(printer.start());
    QSettings settings;
    settings.setValue(QStringLiteral("ReportDialog/PrinterName"), printer.portPath());
    settings.setValue(QStringLiteral("Config/StripPrinterBandPause"), 0);
    settings.setValue(QStringLiteral("BPDialog/Print"), true);
    Bench bench(*m_store, treadmill());
    bench.start();
    QVERIFY(bench.feed(20.0));
    QTest::mouseClick(child<QPushButton>(bench.window.get(), "btnNext"), Qt::LeftButton);
    QVERIFY(!bench.window->isPrinting()); // deferred while the prompt is open
    answer(bench.window->bloodPressurePrompt(), 125, 80);
    QVERIFY(bench.window->isPrinting());
    QTRY_VERIFY_WITH_TIMEOUT(!bench.window->isPrinting(), 20000);
    QVERIFY2(bench.window->bannerText().isEmpty(), qPrintable(bench.window->bannerText()));
    QTRY_COMPARE_WITH_TIMEOUT(printer.jobCount(), 1, 5000);
    settings.setValue(QStringLiteral("BPDialog/Print"), false);
    bench.window->close();
}

void TestStressMonitor::closingWhilePrintingWaitsOrCancels()
{
    QTemporaryDir out;
    TPrinterSimulator printer(out.path());
    printer.setDotsPerSecond(40); // a printer far too slow to finish
    QVERIFY(printer.start());
    QSettings settings;
    settings.setValue(QStringLiteral("ReportDialog/PrinterName"), printer.portPath());
    settings.setValue(QStringLiteral("BPDialog/Print"), true);
    int id = 0;
    {
        Bench bench(*m_store, treadmill());
        id = bench.study->id();
        bench.start();
        QVERIFY(bench.feed(20.0));
        QTest::mouseClick(child<QPushButton>(bench.window.get(), "btnNext"), Qt::LeftButton);
        answer(bench.window->bloodPressurePrompt(), 125, 80);
        QVERIFY(bench.window->isPrinting());
        QElapsedTimer clock;
        clock.start();
        bench.window->close();
        QVERIFY2(clock.elapsed() < 2 * StressMonitorWindow::PrintWaitOnCloseMs + 1000,
                 qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!bench.window->isPrinting());
        bench.window.reset();
    }
    // The study closes under whatever is left of the print: it used copies.
    m_store->updateStudy(m_store->openStudy(id)->record());
    m_store->closeStudy(id);
    settings.setValue(QStringLiteral("BPDialog/Print"), false);
    QTest::qWait(200);
}

void TestStressMonitor::closedBeforeStartRecordsNothing()
{
    Bench bench(*m_store, treadmill());
    QVERIFY(bench.feed(2.0));
    bench.window->close();
    QVERIFY(!bench.window->hasRecorded());
    QCOMPARE(bench.study->recording()->length(), 0);
    QVERIFY(bench.study->record().events.isEmpty());
}

VELMORA_APP_TEST_MAIN(TestStressMonitor)
#include "tst_stressmonitor.moc"
