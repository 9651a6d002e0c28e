#include "TException.h"
#include "TProtocol.h"
#include "TProtocolTable.h"
#include "TTiltTestProtocol.h"
#include "TestFiles.h"

#include <QtTest>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <limits>

namespace {

TProtocol exampleLike()
{
    // rest 300 s, then 60 s exercise stages, recovery 300 s
    TProtocol p;
    p.setName("P");
    p.appendStage(TProtocolStage::Rest, 300.0, 0.0, 0.0);
    p.appendStage(TProtocolStage::Exercise, 60.0, 10.0, 2.0);
    p.appendStage(TProtocolStage::Exercise, 60.0, 20.0, 4.0);
    p.appendStage(TProtocolStage::Recovery, 300.0, 0.0, 0.0);
    return p;
}

} // namespace

class TestProtocol : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void stageAt_data();
    void stageAt();
    void builtInTiltTest();
    void stageTimes();
    void insertStage_data();
    void insertStage();
    void removeStage();
    void countStagesInPhase();
    void units_data();
    void units();
    void copiesAreDeep();
    void jsonRoundTrip_data();
    void jsonRoundTrip();
    void jsonDurationTruncated_data();
    void jsonDurationTruncated();
    void jsonReadDefaults();
    void jsonValuesOfTypeOnly();

    void tableMissingFileGivesDefault();
    void tableReplacedByDefault_data();
    void tableReplacedByDefault();
    void tableDuplicateNames();
    void tableUnreadableIsAnError_data();
    void tableUnreadableIsAnError();
    void tableSetGetDelete();
    void tableSaveFailureIsSilent();

private:
    // A fresh data folder for every test, and where its table lives.
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    QString m_path;
};

void TestProtocol::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_root = m_dir->path();
    m_path = m_root + "/data/protocols.json";
    QVERIFY(QDir(m_root).mkpath("data"));
}

void TestProtocol::stageAt_data()
{
    QTest::addColumn<double>("time");
    QTest::addColumn<int>("stage");
    QTest::newRow("start") << 0.0 << 0;
    QTest::newRow("negative") << -0.001 << -1;
    QTest::newRow("just before boundary") << 299.999 << 0;
    QTest::newRow("on boundary") << 300.0 << 1;
    QTest::newRow("second boundary") << 360.0 << 2;
    QTest::newRow("last instant") << 719.999 << 3;
    QTest::newRow("total") << 720.0 << -1;
    QTest::newRow("beyond") << 1e9 << -1;
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << -1;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << -1;
}

void TestProtocol::stageAt()
{
    QFETCH(double, time);
    QFETCH(int, stage);
    QCOMPARE(exampleLike().stageAt(time), stage);
}

void TestProtocol::stageTimes()
{
    const TProtocol p = exampleLike();
    QCOMPARE(p.stageStartTime(0), 0.0);
    QCOMPARE(p.stageEndTime(0), 300.0);
    QCOMPARE(p.stageStartTime(2), 360.0);
    QCOMPARE(p.stageEndTime(2), 420.0);
    QCOMPARE(p.stageEndTime(3), 720.0);
    QCOMPARE(p.totalDuration(), 720.0);
    QCOMPARE(p.stageStartTime(-1), 0.0);
    QCOMPARE(p.stageEndTime(4), 0.0);
    QCOMPARE(TProtocol().stageAt(0.0), -1);
    QCOMPARE(TProtocol().stageEndTime(0), 0.0);
}

void TestProtocol::insertStage_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("slot"); // where the new stage lands
    QTest::addColumn<bool>("fresh"); // a default stage, not a copy of the one it displaced
    QTest::newRow("far below") << -5 << 0 << false;
    QTest::newRow("first") << 0 << 0 << false;
    QTest::newRow("middle") << 2 << 2 << false;
    QTest::newRow("end") << 4 << 4 << true;
    QTest::newRow("far beyond") << 4 + 3 << 4 << true;
}

void TestProtocol::insertStage()
{
    QFETCH(int, index);
    QFETCH(int, slot);
    QFETCH(bool, fresh);
    TProtocol p = exampleLike();
    const TProtocol before = p;
    TProtocolStage& s = p.insertStage(index);
    QCOMPARE(p.stageCount(), 5);
    QCOMPARE(&s, &p.stage(slot));
    if (fresh) {
        QCOMPARE(s.phase(), int(TProtocolStage::Exercise));
        QCOMPARE(s.duration(), 60.0);
        QVERIFY(!s.hasValue("speed"));
        QVERIFY(!s.hasValue("incline"));
    } else {
        QVERIFY(s == before.stage(slot));
    }
    // The others keep their order; a change to the new stage touches none of them.
    s.setDuration(12.0);
    s.setValue("speed", 99.0);
    for (int i = 0; i < before.stageCount(); ++i)
        QCOMPARE(p.stage(i < slot ? i : i + 1), before.stage(i));
    QCOMPARE(p.stageEndTime(slot) - p.stageStartTime(slot), 12.0);
    QCOMPARE(p.totalDuration(), before.totalDuration() + 12.0);
}

void TestProtocol::removeStage()
{
    TProtocol p = exampleLike();
    const TProtocol before = p;
    p.removeStage(-1);
    p.removeStage(4);
    QVERIFY(p == before);
    p.removeStage(1);
    QCOMPARE(p.stageCount(), 3);
    QCOMPARE(p.stage(1), before.stage(2));
    p.removeStage(0);
    p.removeStage(0);
    p.removeStage(0);
    QCOMPARE(p.stageCount(), 0);
    p.removeStage(0);
    QCOMPARE(p.stageCount(), 0);
}

void TestProtocol::countStagesInPhase()
{
    const TProtocol p = exampleLike();
    QCOMPARE(p.countStagesInPhase(TProtocolStage::Rest), 1);
    QCOMPARE(p.countStagesInPhase(TProtocolStage::Exercise), 2);
    QCOMPARE(p.countStagesInPhase(TProtocolStage::Recovery), 1);
    QCOMPARE(p.countStagesInPhase(7), 0);
}

void TestProtocol::units_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("written");
    QTest::addColumn<QString>("writeUnit");
    QTest::addColumn<double>("stored");
    QTest::addColumn<QString>("readUnit");
    QTest::addColumn<double>("read");
    QTest::newRow("kgm/min in") << "workload" << 600.0 << "kgm/min" << 100.0 << "kgm/min" << 600.0;
    QTest::newRow("kgm/min in, watts out") << "workload" << 600.0 << "kgm/min" << 100.0 << "watts" << 100.0;
    QTest::newRow("watts in, kgm/min out") << "workload" << 50.0 << "Watts" << 50.0 << "KGM/MIN" << 300.0;
    QTest::newRow("capital KM/H") << "speed" << 7.5 << "KM/H" << 7.5 << "KM/H" << 7.5;
    QTest::newRow("incline %") << "incline" << 12.0 << "%" << 12.0 << "" << 12.0;
    QTest::newRow("dose") << "dose" << 3.0 << "" << 3.0 << "" << 3.0;
}

void TestProtocol::units()
{
    QFETCH(QString, name);
    QFETCH(double, written);
    QFETCH(QString, writeUnit);
    QFETCH(double, stored);
    QFETCH(QString, readUnit);
    QFETCH(double, read);
    TProtocolStage s;
    s.setValue(name, written, writeUnit);
    QCOMPARE(s.value(name), stored);
    QCOMPARE(s.value(name, readUnit), read);
    QCOMPARE(s.value("absent", readUnit), 0.0);
}

void TestProtocol::copiesAreDeep()
{
    TProtocol a = exampleLike();
    TProtocol b;
    b.copy(a);
    b.stage(1).setValue("speed", 42.0);
    b.setName("other");
    QCOMPARE(a.stage(1).value("speed"), 10.0);
    QCOMPARE(a.name(), QByteArray("P"));
    TProtocol c;
    c.assign(a);
    QVERIFY(c == a);
}

void TestProtocol::jsonRoundTrip_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QStringList>("values");
    QTest::newRow("treadmill") << int(TProtocol::Treadmill) << "treadmill" << QStringList{"speed", "incline"};
    QTest::newRow("ergometer") << int(TProtocol::Ergometer) << "ergometer" << QStringList{"workload"};
    QTest::newRow("ecg") << int(TProtocol::Ecg) << "ecg" << QStringList{};
    QTest::newRow("tilt") << int(TProtocol::TiltTest) << "tiltTest" << QStringList{};
    QTest::newRow("pharmacologic") << int(TProtocol::Pharmacologic) << "pharmacologic" << QStringList{"dose"};
}

void TestProtocol::jsonRoundTrip()
{
    QFETCH(int, type);
    QFETCH(QString, word);
    QFETCH(QStringList, values);
    TProtocol p;
    p.setName("Ünïcode name");
    p.setType(type);
    for (int i = 0; i < 3; ++i) {
        TProtocolStage& s = p.insertStage(p.stageCount());
        s.setPhase(i);
        s.setDuration(30.0 * (i + 1));
        for (const QString& v : values)
            s.setValue(v, 1.5 + i);
    }
    const QJsonObject o = TProtocol::toJson(p);
    QCOMPARE(o.value("type").toString(), word);
    QCOMPARE(o.value("name").toString(), QString("Ünïcode name"));
    const QJsonObject first = o.value("stages").toArray().at(0).toObject();
    QStringList keys{"phase", "duration"};
    keys += values;
    keys.sort();
    QCOMPARE(first.keys(), keys);
    // Through text, as the table and the record store it.
    const QByteArray text = QJsonDocument(o).toJson(QJsonDocument::Compact);
    QVERIFY(!text.contains('\n'));
    const TProtocol back = TProtocol::fromJson(QJsonDocument::fromJson(text).object());
    QVERIFY(back == p);
}

void TestProtocol::jsonDurationTruncated_data()
{
    QTest::addColumn<double>("duration");
    QTest::addColumn<double>("written");
    QTest::newRow("59.9") << 59.9 << 59.0;
    QTest::newRow("60") << 60.0 << 60.0;
    QTest::newRow("0.4") << 0.4 << 0.0;
    QTest::newRow("negative") << -1.7 << -1.0;
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 0.0;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 0.0;
}

void TestProtocol::jsonDurationTruncated()
{
    QFETCH(double, duration);
    QFETCH(double, written);
    TProtocol p;
    p.appendStage(TProtocolStage::Exercise, duration, 1.0, 1.0);
    const QJsonObject s = TProtocol::toJson(p).value("stages").toArray().at(0).toObject();
    QCOMPARE(s.value("duration").toDouble(), written);
    QCOMPARE(TProtocol::fromJson(TProtocol::toJson(p)).stage(0).duration(), written);
}

void TestProtocol::jsonReadDefaults()
{
    const QByteArray text = R"({"name":"x","type":"Ergometer","stages":[
        {}, {"phase":"Rest","duration":"12"}, {"phase":"recovery","duration":45.8,"speed":3},
        7, {"phase":"rest"}]})";
    const TProtocol p = TProtocol::fromJson(QJsonDocument::fromJson(text).object());
    QCOMPARE(p.name(), QByteArray("x"));
    QCOMPARE(p.type(), int(TProtocol::Treadmill)); // words are case-sensitive
    QCOMPARE(p.stageCount(), 5);
    QCOMPARE(p.stage(0).phase(), int(TProtocolStage::Exercise));
    QCOMPARE(p.stage(0).duration(), 0.0);
    QCOMPARE(p.stage(0).value("speed"), 0.0);
    QVERIFY(p.stage(0).hasValue("speed"));
    QCOMPARE(p.stage(1).phase(), int(TProtocolStage::Exercise));
    QCOMPARE(p.stage(1).duration(), 0.0); // a string is not a number
    QCOMPARE(p.stage(2).phase(), int(TProtocolStage::Recovery));
    QCOMPARE(p.stage(2).duration(), 45.0);
    QCOMPARE(p.stage(2).value("speed"), 3.0);
    QCOMPARE(p.stage(3).phase(), int(TProtocolStage::Exercise));
    QCOMPARE(p.stage(4).phase(), int(TProtocolStage::Rest));

    const TProtocol empty = TProtocol::fromJson(QJsonObject());
    QCOMPARE(empty.name(), QByteArray());
    QCOMPARE(empty.type(), int(TProtocol::Treadmill));
    QCOMPARE(empty.stageCount(), 0);
}

void TestProtocol::jsonValuesOfTypeOnly()
{
    const QByteArray text = R"({"name":"e","type":"ergometer","stages":[
        {"phase":"exercise","duration":60,"speed":5,"incline":3,"workload":75,"dose":2}]})";
    const TProtocol p = TProtocol::fromJson(QJsonDocument::fromJson(text).object());
    QCOMPARE(p.type(), int(TProtocol::Ergometer));
    QCOMPARE(p.stage(0).value("workload"), 75.0);
    QVERIFY(!p.stage(0).hasValue("speed"));
    QVERIFY(!p.stage(0).hasValue("dose"));
    TProtocol q = p;
    q.stage(0).setValue("speed", 9.0);
    const QJsonObject s = TProtocol::toJson(q).value("stages").toArray().at(0).toObject();
    QVERIFY(!s.contains("speed"));
    QCOMPARE(s.value("workload").toDouble(), 75.0);

    TProtocol odd;
    odd.appendStage(9, 60.0, 1.0, 1.0); // a phase without a word is written without one
    QVERIFY(!TProtocol::toJson(odd).value("stages").toArray().at(0).toObject().contains("phase"));
}

void TestProtocol::tableMissingFileGivesDefault()
{
    TProtocolTable table;
    table.load(m_root);
    QCOMPARE(table.protocolNames(), QByteArrayList{"Example"});
    TProtocol p;
    QVERIFY(table.getProtocol("Example", p));
    QCOMPARE(p.type(), int(TProtocol::Treadmill));
    QCOMPARE(p.stageCount(), 7);
    const double speeds[] = {0, 10, 20, 30, 40, 50, 0};
    for (int i = 0; i < 7; ++i) {
        QCOMPARE(p.stage(i).value("speed"), speeds[i]);
        QCOMPARE(p.stage(i).value("incline"), 0.0);
        QCOMPARE(p.stage(i).duration(), i == 0 || i == 6 ? 300.0 : 60.0);
    }
    QCOMPARE(p.stage(0).phase(), int(TProtocolStage::Rest));
    QCOMPARE(p.stage(3).phase(), int(TProtocolStage::Exercise));
    QCOMPARE(p.stage(6).phase(), int(TProtocolStage::Recovery));
    // Written back at once, compact.
    const QByteArray written = readFile(table.path());
    QVERIFY(written.startsWith("[{"));
    QVERIFY(!written.contains('\n'));
    TProtocolTable again;
    again.load(m_root);
    TProtocol q;
    QVERIFY(again.getProtocol("Example", q));
    QVERIFY(q == p);
}

void TestProtocol::tableReplacedByDefault_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("object") << QByteArray("{}");
    QTest::newRow("empty array") << QByteArray("[]");
    QTest::newRow("garbage") << QByteArray("\x01\xff[{\"name\":");
    QTest::newRow("number") << QByteArray("12");
}

void TestProtocol::tableReplacedByDefault()
{
    QFETCH(QByteArray, content);
    QVERIFY(writeFile(m_path, content));
    TProtocolTable table;
    table.load(m_root);
    QCOMPARE(table.protocolNames(), QByteArrayList{"Example"});
    QVERIFY(readFile(m_path) != content);
    QVERIFY(QJsonDocument::fromJson(readFile(m_path)).isArray());
}

void TestProtocol::tableDuplicateNames()
{
    QVERIFY(writeFile(m_path, R"([{"name":"b","type":"ecg","stages":[]},
        {"name":"a","type":"treadmill","stages":[{"phase":"rest","duration":10}]},
        {"name":"a","type":"ergometer","stages":[{"phase":"rest","duration":20,"workload":30}]}])"));
    TProtocolTable table;
    table.load(m_root);
    QCOMPARE(table.protocolNames(), (QByteArrayList{"a", "b"}));
    TProtocol a;
    QVERIFY(table.getProtocol("a", a));
    QCOMPARE(a.type(), int(TProtocol::Ergometer));
    QCOMPARE(a.stage(0).duration(), 20.0);
    table.setProtocol("c", a);
    const QJsonArray saved = QJsonDocument::fromJson(readFile(m_path)).array();
    QCOMPARE(saved.size(), 3);
    QCOMPARE(saved.at(0).toObject().value("name").toString(), QString("a"));
    QCOMPARE(saved.at(1).toObject().value("name").toString(), QString("b"));
}

void TestProtocol::tableUnreadableIsAnError_data()
{
    QTest::addColumn<bool>("folder"); // a folder in the file's place: it exists but does not open
    QTest::addColumn<QString>("message");
    QTest::newRow("empty file") << false << "Cannot read protocol table";
    QTest::newRow("unopenable") << true << "Cannot open protocol table";
}

void TestProtocol::tableUnreadableIsAnError()
{
    QFETCH(bool, folder);
    QFETCH(QString, message);
    if (folder)
        QVERIFY(QDir(m_root).mkpath("data/protocols.json"));
    else
        QVERIFY(writeFile(m_path, QByteArray()));
    TProtocolTable table;
    try {
        table.load(m_root);
        QFAIL("no error raised");
    } catch (const TException& e) {
        QCOMPARE(e.message(), message);
    }
    // Not replaced by the default.
    QCOMPARE(QFileInfo(m_path).isDir(), folder);
    QCOMPARE(readFile(m_path), QByteArray());
}

void TestProtocol::tableSetGetDelete()
{
    TProtocolTable table;
    table.load(m_root);
    TProtocol p = exampleLike();
    table.setProtocol("Zed", p);
    table.setProtocol("Abc", p);
    QCOMPARE(table.protocolNames(), (QByteArrayList{"Abc", "Example", "Zed"}));
    TProtocol out;
    QVERIFY(table.getProtocol("Zed", out));
    QCOMPARE(out.name(), QByteArray("Zed")); // stored under the key it was given
    out.stage(0).setDuration(1.0); // a handed-out copy changes nothing
    TProtocol again;
    QVERIFY(table.getProtocol("Zed", again));
    QCOMPARE(again.stage(0).duration(), 300.0);
    QVERIFY(!table.getProtocol("missing", out));
    table.deleteProtocol("Example");
    table.deleteProtocol("missing");
    TProtocolTable reloaded;
    reloaded.load(m_root);
    QCOMPARE(reloaded.protocolNames(), (QByteArrayList{"Abc", "Zed"}));
    table.deleteProtocol("Abc");
    table.deleteProtocol("Zed");
    reloaded.load(m_root); // an emptied table comes back as the default one
    QCOMPARE(reloaded.protocolNames(), QByteArrayList{"Example"});
}

void TestProtocol::tableSaveFailureIsSilent()
{
    TProtocolTable table;
    table.load(m_root);
    QVERIFY(QDir(m_root).removeRecursively());
    table.setProtocol("New", exampleLike());
    QCOMPARE(table.protocolNames(), (QByteArrayList{"Example", "New"}));
    QVERIFY(!table.save());
}

// The launcher's tilt test: 600 s basal, then twelve tilted stages of 180 s,
// 2760 s in all, with no load to send to any machine.
void TestProtocol::builtInTiltTest()
{
    const TProtocol tilt = TTiltTestProtocol::build();
    QCOMPARE(tilt.name(), QByteArray("Tilt test"));
    QCOMPARE(tilt.type(), int(TProtocol::TiltTest));
    QCOMPARE(tilt.stageCount(), 13);
    QCOMPARE(tilt.totalDuration(), 2760.0);
    QCOMPARE(tilt.stage(0).phase(), int(TProtocolStage::Rest));
    QCOMPARE(tilt.countStagesInPhase(TProtocolStage::Recovery), 12);
    for (int i = 0; i < tilt.stageCount(); ++i)
        QVERIFY(!tilt.stage(i).hasValue(QStringLiteral("speed")) && !tilt.stage(i).hasValue(QStringLiteral("workload")));
    QVERIFY(TTiltTestProtocol::isNamed(QStringLiteral("Tilt test")));
    QVERIFY(!TTiltTestProtocol::isNamed(QStringLiteral("tilt test")));
    // Its JSON form reads back the same.
    QCOMPARE(TProtocol::fromJson(TProtocol::toJson(tilt)), tilt);
}

QTEST_GUILESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
