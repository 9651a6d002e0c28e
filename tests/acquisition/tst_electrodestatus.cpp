#include "ElectrodeStatusFollower.h"
#include "ElectrodeStatusWidget.h"
#include "TAcqDriver.h"

#include <QLabel>
#include <QSet>
#include <QToolButton>
#include <QtTest>

namespace {

// A driver whose electrodes the test switches off and on.
class ElectrodeDriver : public TAcqDriver
{
public:
    ElectrodeDriver() : TAcqDriver(nullptr, nullptr) {}
    void start() override {}
    void stop() override {}
    void requestReset() override {}
    bool isChannelSaturated(int) override { return false; }
    bool isElectrodeOff(const char* electrode) override
    {
        asked.append(QString::fromLatin1(electrode));
        return off.contains(QString::fromLatin1(electrode));
    }
    double batteryLevel() override { return 0.0; }

    QSet<QString> off;
    QStringList asked;
};

const QStringList nine = {"LA", "LL", "RA", "V1", "V2", "V3", "V4", "V5", "V6"};

QString colourOf(const ElectrodeStatusWidget& panel, const QString& name)
{
    return panel.electrodeLabel(name)->styleSheet();
}

} // namespace

class TestElectrodeStatus : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void setStatusColoursOneLabel();
    void unknownNamesChangeNothing();
    void closeButtonHidesForGood();
    void followerShowsThePanelWhileAnElectrodeIsOff();
    void followerRespectsAClosedPanel();
};

void TestElectrodeStatus::layout_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("title") << "lblTitle" << "Electrode status" << QRect(10, 10, 121, 16);
    QTest::newRow("LA") << "lblLA" << "LA" << QRect(10, 30, 31, 31);
    QTest::newRow("LL") << "lblLL" << "LL" << QRect(10, 60, 31, 31);
    QTest::newRow("RA") << "lblRA" << "RA" << QRect(10, 90, 31, 31);
    QTest::newRow("V1") << "lblV1" << "V1" << QRect(60, 30, 31, 31);
    QTest::newRow("V2") << "lblV2" << "V2" << QRect(60, 60, 31, 31);
    QTest::newRow("V3") << "lblV3" << "V3" << QRect(60, 90, 31, 31);
    QTest::newRow("V4") << "lblV4" << "V4" << QRect(110, 30, 31, 31);
    QTest::newRow("V5") << "lblV5" << "V5" << QRect(110, 60, 31, 31);
    QTest::newRow("V6") << "lblV6" << "V6" << QRect(110, 90, 31, 31);
    QTest::newRow("close") << "btnClose" << "x" << QRect(130, 0, 21, 23);
}

void TestElectrodeStatus::layout()
{
    QFETCH(QString, object);
    QFETCH(QString, text);
    QFETCH(QRect, geometry);
    ElectrodeStatusWidget panel;
    QCOMPARE(panel.objectName(), QStringLiteral("ElectrodeStatusWidget"));
    QCOMPARE(panel.windowTitle(), QStringLiteral("Form"));
    QCOMPARE(panel.size(), QSize(151, 131));
    QWidget* child = panel.findChild<QWidget*>(object);
    QVERIFY(child);
    QCOMPARE(child->geometry(), geometry);
    if (auto* label = qobject_cast<QLabel*>(child)) {
        QCOMPARE(label->text(), text);
        if (object != "lblTitle") {
            QCOMPARE(label->font().pointSize(), 16);
            QVERIFY(label->font().bold());
            QCOMPARE(label->alignment(), Qt::AlignCenter);
        }
    } else {
        auto* button = qobject_cast<QToolButton*>(child);
        QVERIFY(button);
        QCOMPARE(button->text(), text);
        QCOMPARE(button->toolTip(), QStringLiteral("Do not show again"));
        QCOMPARE(button->font().pointSize(), 12);
        QVERIFY(button->font().bold());
    }
}

void TestElectrodeStatus::setStatusColoursOneLabel()
{
    ElectrodeStatusWidget panel;
    panel.setElectrodeStatus("V3", true);
    for (const QString& name : nine)
        QCOMPARE(colourOf(panel, name), name == "V3" ? QStringLiteral("color: red") : QStringLiteral("color: green"));
    panel.setElectrodeStatus("V3", false);
    QCOMPARE(colourOf(panel, "V3"), QStringLiteral("color: green"));
}

void TestElectrodeStatus::unknownNamesChangeNothing()
{
    ElectrodeStatusWidget panel;
    for (const char* name : {"la", "V7", "", "aVR", "Electrode status"})
        panel.setElectrodeStatus(name, true);
    for (const QString& name : nine)
        QCOMPARE(colourOf(panel, name), QStringLiteral("color: green"));
    QVERIFY(!panel.electrodeLabel("V7"));
}

void TestElectrodeStatus::closeButtonHidesForGood()
{
    QWidget area;
    area.resize(800, 600);
    auto* panel = new ElectrodeStatusWidget(&area);
    area.show();
    QVERIFY(panel->isShown());
    QVERIFY(panel->isVisible());
    QTest::mouseClick(panel->findChild<QToolButton*>("btnClose"), Qt::LeftButton);
    QVERIFY(!panel->isVisible());
    QVERIFY(!panel->isShown());
}

void TestElectrodeStatus::followerShowsThePanelWhileAnElectrodeIsOff()
{
    QWidget area;
    area.resize(800, 600);
    area.show();
    ElectrodeStatusFollower follower(&area);
    ElectrodeDriver driver;
    follower.update(&driver);
    QVERIFY(!follower.panel()); // nothing off: no panel yet
    QCOMPARE(driver.asked, (QStringList{"LL", "LA", "RA", "V1", "V2", "V3", "V4", "V5", "V6"}));

    driver.off = {"RA", "V6"};
    follower.update(&driver);
    ElectrodeStatusWidget* panel = follower.panel();
    QVERIFY(panel);
    QCOMPARE(panel->parentWidget(), &area);
    QVERIFY(panel->isVisible());
    QVERIFY(area.rect().contains(panel->geometry()));
    for (const QString& name : nine)
        QCOMPARE(colourOf(*panel, name),
                 driver.off.contains(name) ? QStringLiteral("color: red") : QStringLiteral("color: green"));
    follower.update(&driver);
    QCOMPARE(follower.panel(), panel); // one panel for the recording

    // Hidden while every electrode is on, shown again with only the new one red.
    driver.off.clear();
    follower.update(&driver);
    QVERIFY(!panel->isVisible());
    driver.off = {"V2"};
    follower.update(&driver);
    QVERIFY(panel->isVisible());
    QCOMPARE(colourOf(*panel, "RA"), QStringLiteral("color: green"));
    QCOMPARE(colourOf(*panel, "V2"), QStringLiteral("color: red"));
}

void TestElectrodeStatus::followerRespectsAClosedPanel()
{
    QWidget area;
    area.show();
    ElectrodeStatusFollower follower(&area);
    ElectrodeDriver driver;
    driver.off = {"LL"};
    follower.update(&driver);
    QTest::mouseClick(follower.panel()->findChild<QToolButton*>("btnClose"), Qt::LeftButton);
    for (const QSet<QString>& off : {QSet<QString>{"LL"}, QSet<QString>{}, QSet<QString>{"V1", "V5"}}) {
        driver.off = off;
        follower.update(&driver);
        QVERIFY(!follower.panel()->isVisible());
    }
    // Not updated while closed either.
    QCOMPARE(colourOf(*follower.panel(), "V1"), QStringLiteral("color: green"));
}

QTEST_MAIN(TestElectrodeStatus)
#include "tst_electrodestatus.moc"
