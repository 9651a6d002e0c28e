// What the stress monitor window says and decides without a window: the load,
// stage and heart-rate texts, the blood pressure prompt's time and when it
// opens by itself, the stage events (tilt tests by minutes), and the range of
// the heart-rate trend.

#include "THeartRateScale.h"
#include "TProtocol.h"
#include "TStageEvent.h"
#include "TStressMonitorTexts.h"

#include <QtTest>

namespace {

TProtocol protocol(int type, const QVector<QPair<int, double>>& stages)
{
    TProtocol p;
    p.setName("P");
    p.setType(type);
    for (const auto& s : stages) {
        TProtocolStage& stage = p.insertStage(p.stageCount());
        stage = TProtocolStage();
        stage.setPhase(s.first);
        stage.setDuration(s.second);
        stage.setValue(QStringLiteral("speed"), 4.5);
        stage.setValue(QStringLiteral("incline"), 12.0);
        stage.setValue(QStringLiteral("workload"), 100.0);
        stage.setValue(QStringLiteral("dose"), 20.0);
    }
    return p;
}

} // namespace

class TestStressMonitorTexts : public QObject
{
    Q_OBJECT

private slots:
    void loadText_data();
    void loadText();
    void labels();
    void bloodPressureTime_data();
    void bloodPressureTime();
    void automaticPrompt_data();
    void automaticPrompt();
    void stageEvent_data();
    void stageEvent();
    void heartRateScale_data();
    void heartRateScale();
};

void TestStressMonitorTexts::loadText_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("text");
    QTest::newRow("treadmill") << int(TProtocol::Treadmill) << "kgm/min" << "4.5 km/h / 12 %";
    QTest::newRow("ergometer in watts") << int(TProtocol::Ergometer) << "watts" << "100.0 watts";
    QTest::newRow("ergometer in kgm/min") << int(TProtocol::Ergometer) << "kgm/min" << "600.0 kgm/min";
    QTest::newRow("pharmacologic") << int(TProtocol::Pharmacologic) << "watts" << "Dose 20";
    QTest::newRow("tilt test") << int(TProtocol::TiltTest) << "watts" << "";
}

void TestStressMonitorTexts::loadText()
{
    QFETCH(int, type);
    QFETCH(QString, unit);
    QFETCH(QString, text);
    const TProtocol p = protocol(type, {{TProtocolStage::Rest, 60}});
    QCOMPARE(TStressMonitorTexts::loadText(p, 0, unit), text);
    QCOMPARE(TStressMonitorTexts::loadText(p, 1, unit), QString());
    QCOMPARE(TStressMonitorTexts::loadText(p, -1, unit), QString());
}

void TestStressMonitorTexts::labels()
{
    using namespace TStressMonitorTexts;
    QCOMPARE(stageLabel("Bruce <dog>", "Exercise 2", "3.0 km/h / 5 %"),
             QStringLiteral("<b>Bruce &lt;dog&gt;</b> || Exercise 2<br/>3.0 km/h / 5 %"));
    QCOMPARE(stageName(TProtocol::Treadmill, TProtocolStage::Recovery, 3), QStringLiteral("Recovery 3"));
    QCOMPARE(stageName(TProtocol::TiltTest, TProtocolStage::Rest, 1), QStringLiteral("Basal 1"));
    QCOMPARE(stageName(TProtocol::TiltTest, TProtocolStage::Exercise, 2), QStringLiteral("2"));
    QCOMPARE(stageElapsed(65.9), QStringLiteral(" 1:05"));
    QCOMPARE(stageDuration(180), QStringLiteral("/  3:00 stage"));
    QCOMPARE(heartRateInfo(150, 200, 170), QStringLiteral("75% max 200<br/>88% sub 170"));
    QCOMPARE(heartRateInfo(150, 0, 0), QStringLiteral("0% max 0<br/>0% sub 0"));
    QCOMPARE(noHeartRateInfo(200, 170), QStringLiteral("---% max 200<br/>---% sub 170"));
    QCOMPARE(bloodPressurePromptText("Rest 1", ""), QStringLiteral("Rest 1"));
    QCOMPARE(bloodPressurePromptText("Exercise 1", "100.0 watts"), QStringLiteral("Exercise 1\n100.0 watts"));
}

void TestStressMonitorTexts::bloodPressureTime_data()
{
    QTest::addColumn<double>("recording");
    QTest::addColumn<double>("time");
    QTest::newRow("first second") << 0.4 << 0.0;
    QTest::newRow("at start") << 0.0 << 0.0;
    QTest::newRow("later") << 61.5 << 60.5;
}

void TestStressMonitorTexts::bloodPressureTime()
{
    QFETCH(double, recording);
    QFETCH(double, time);
    QCOMPARE(TStressMonitorTexts::bloodPressureTime(recording), time);
}

void TestStressMonitorTexts::automaticPrompt_data()
{
    QTest::addColumn<double>("duration");
    QTest::addColumn<double>("now");
    QTest::addColumn<double>("start");
    QTest::addColumn<bool>("due");
    QTest::newRow("60 s stage at 44.9 s") << 60.0 << 104.9 << 60.0 << false;
    QTest::newRow("60 s stage at 45 s") << 60.0 << 105.0 << 60.0 << true;
    QTest::newRow("10 s stage at once") << 10.0 << 0.1 << 0.0 << true;
}

void TestStressMonitorTexts::automaticPrompt()
{
    QFETCH(double, duration);
    QFETCH(double, now);
    QFETCH(double, start);
    QFETCH(bool, due);
    QCOMPARE(TStressMonitorTexts::automaticPromptDue(duration, now, start), due);
}

void TestStressMonitorTexts::stageEvent_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("stages");
    QTest::addColumn<QString>("description");
    QTest::addColumn<double>("position");
    QTest::addColumn<bool>("print");
    // Treadmill: rest 60 s, exercise 180 s twice, recovery 120 s.
    QTest::newRow("rest") << int(TProtocol::Treadmill) << 1 << "Rest 1" << 49.0 << true;
    QTest::newRow("second exercise") << int(TProtocol::Treadmill) << 3 << "Exercise 2" << 409.0 << true;
    QTest::newRow("recovery") << int(TProtocol::Treadmill) << 4 << "Recovery 1" << 529.0 << true;
    // Tilt test: basal 600 s, then 180 s stages in the control phase.
    QTest::newRow("tilt basal") << int(TProtocol::TiltTest) << 1 << "Basal" << 589.0 << false;
    QTest::newRow("tilt 3 min") << int(TProtocol::TiltTest) << 2 << "Control 3 min." << 769.0 << false;
    QTest::newRow("tilt 9 min") << int(TProtocol::TiltTest) << 4 << "Control 9 min." << 1129.0 << false;
    QTest::newRow("none yet") << int(TProtocol::Treadmill) << 0 << "" << 0.0 << false;
}

void TestStressMonitorTexts::stageEvent()
{
    QFETCH(int, type);
    QFETCH(int, stages);
    QFETCH(QString, description);
    QFETCH(double, position);
    QFETCH(bool, print);
    QVector<QPair<int, double>> all;
    if (type == TProtocol::TiltTest)
        all = {{TProtocolStage::Rest, 600}, {TProtocolStage::Recovery, 180}, {TProtocolStage::Recovery, 180},
               {TProtocolStage::Recovery, 180}};
    else
        all = {{TProtocolStage::Rest, 60}, {TProtocolStage::Exercise, 180}, {TProtocolStage::Exercise, 180},
               {TProtocolStage::Recovery, 120}};
    const TStudyEvent event = TStageEvent::forLastStage(protocol(type, all.mid(0, stages)), type);
    QCOMPARE(event.description, description);
    QCOMPARE(event.position, position);
    QCOMPARE(event.print, print);
    if (stages > 0)
        QCOMPARE(event.duration, 11.0);
}

void TestStressMonitorTexts::heartRateScale_data()
{
    QTest::addColumn<QVector<double>>("rates");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::newRow("dog at rest") << QVector<double>{80, 95, 110} << 50.0 << 200.0;
    QTest::newRow("cat at 240") << QVector<double>{180, 240} << 50.0 << 260.0;
    QTest::newRow("dog at 280") << QVector<double>{150, 280} << 50.0 << 300.0;
    QTest::newRow("horse at 30") << QVector<double>{28, 36} << 20.0 << 200.0;
    QTest::newRow("nothing") << QVector<double>{} << 50.0 << 200.0;
}

void TestStressMonitorTexts::heartRateScale()
{
    QFETCH(QVector<double>, rates);
    QFETCH(double, low);
    QFETCH(double, high);
    std::vector<double> times, values;
    for (int i = 0; i < rates.size(); ++i) {
        times.push_back(10.0 * i);
        values.push_back(rates[i]);
    }
    // A rate outside the time shown does not count.
    times.push_back(500.0);
    values.push_back(400.0);
    const THeartRateScale::Range range = THeartRateScale::forRates(times, values, 0.0, 120.0);
    QCOMPARE(range.low, low);
    QCOMPARE(range.high, high);
}

QTEST_GUILESS_MAIN(TestStressMonitorTexts)
#include "tst_stressmonitortexts.moc"
