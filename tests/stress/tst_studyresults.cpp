#include "TStudyResults.h"

#include <QtTest>
#include <QJsonArray>
#include <QJsonDocument>
#include <cmath>
#include <limits>

namespace {

TTrend trendOf(const QVector<QPair<double, double>>& points)
{
    TTrend t;
    for (const auto& p : points)
        t.append(p.first, p.second);
    return t;
}

QJsonObject parse(const char* json)
{
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

} // namespace

using Points = QVector<QPair<double, double>>;

class TestStudyResults : public QObject
{
    Q_OBJECT

private slots:
    void valueAt_data();
    void valueAt();
    void valueAtUnordered();
    void insertSorted_data();
    void insertSorted();
    void trendIndexesOutOfRange();
    void largest_data();
    void largest();
    void valueArrayGrowsWithZeros();
    void standardItems();
    void lookupOfOtherKindIsNull();
    void pointersSurviveCopies();
    void jsonForm();
    void jsonRoundTrip();
    void jsonNonFiniteWrittenAsZero();
    void jsonReadTolerance_data();
    void jsonReadTolerance();
    void jsonUnknownNames();
};

void TestStudyResults::valueAt_data()
{
    QTest::addColumn<Points>("points");
    QTest::addColumn<double>("t");
    QTest::addColumn<double>("expected");

    const Points p{{10, 1}, {20, 2}, {30, 3}};
    QTest::newRow("empty") << Points{} << 5.0 << 0.0;
    QTest::newRow("single, before") << Points{{10, 7}} << 0.0 << 7.0;
    QTest::newRow("single, after") << Points{{10, 7}} << 99.0 << 7.0;
    QTest::newRow("before first") << p << -5.0 << 1.0;
    QTest::newRow("on first") << p << 10.0 << 1.0;
    QTest::newRow("after last") << p << 1e9 << 3.0;
    QTest::newRow("on last") << p << 30.0 << 3.0;
    QTest::newRow("exact middle") << p << 20.0 << 2.0;
    QTest::newRow("nearer earlier") << p << 14.9 << 1.0;
    QTest::newRow("nearer later") << p << 15.1 << 2.0;
    QTest::newRow("tie takes earlier") << p << 15.0 << 1.0;
    // Several points at one time: the earliest of them is the earlier point.
    const Points dup{{10, 1}, {20, 2}, {20, 5}, {20, 6}, {30, 3}};
    QTest::newRow("equal times, on them") << dup << 20.0 << 2.0;
    QTest::newRow("equal times, from above") << dup << 24.0 << 2.0;
    QTest::newRow("equal times, tie from above") << dup << 25.0 << 2.0;
    QTest::newRow("equal times, from below") << dup << 16.0 << 2.0;
    QTest::newRow("equal last times") << Points{{10, 1}, {30, 4}, {30, 9}} << 40.0 << 4.0;
    QTest::newRow("equal last times, on them") << Points{{10, 1}, {30, 4}, {30, 9}} << 30.0 << 4.0;
    QTest::newRow("equal first times") << Points{{10, 4}, {10, 9}, {30, 1}} << 0.0 << 4.0;
    QTest::newRow("NaN time") << p << std::numeric_limits<double>::quiet_NaN() << 1.0;
}

void TestStudyResults::valueAt()
{
    QFETCH(Points, points);
    QFETCH(double, t);
    QFETCH(double, expected);
    TTrend trend = trendOf(points);
    QCOMPARE(trend.valueAt(t), expected);
    // The same points placed by insertSorted give the same answers.
    TTrend sorted;
    for (const auto& pt : points)
        sorted.insertSorted(pt.first, pt.second);
    QCOMPARE(sorted, trend);
    QCOMPARE(sorted.valueAt(t), expected);
}

void TestStudyResults::valueAtUnordered()
{
    // Appended out of order (a stored trend may hold anything): still the
    // nearest point, the first one in the list on a tie.
    const TTrend t = trendOf({{30, 3}, {10, 1}, {20, 2}, {20, 8}});
    QCOMPARE(t.valueAt(11.0), 1.0);
    QCOMPARE(t.valueAt(26.0), 3.0);
    QCOMPARE(t.valueAt(25.0), 3.0);
    QCOMPARE(t.valueAt(20.0), 2.0);
    QCOMPARE(t.valueAt(-100.0), 1.0);
}

void TestStudyResults::insertSorted_data()
{
    QTest::addColumn<Points>("initial");
    QTest::addColumn<double>("t");
    QTest::addColumn<double>("v");
    QTest::addColumn<Points>("expected");

    const Points p{{10, 1}, {20, 2}, {30, 3}};
    QTest::newRow("into empty") << Points{} << 5.0 << 50.0 << Points{{5, 50}};
    QTest::newRow("at the end") << p << 40.0 << 4.0 << Points{{10, 1}, {20, 2}, {30, 3}, {40, 4}};
    QTest::newRow("at the front") << p << 0.0 << 9.0 << Points{{0, 9}, {10, 1}, {20, 2}, {30, 3}};
    QTest::newRow("earlier than last moves later points with their values")
        << p << 15.0 << 9.0 << Points{{10, 1}, {15, 9}, {20, 2}, {30, 3}};
    QTest::newRow("after equal times") << Points{{10, 1}, {20, 2}, {20, 5}, {30, 3}} << 20.0 << 9.0
                                       << Points{{10, 1}, {20, 2}, {20, 5}, {20, 9}, {30, 3}};
    QTest::newRow("equal to first") << p << 10.0 << 9.0 << Points{{10, 1}, {10, 9}, {20, 2}, {30, 3}};
    QTest::newRow("equal to last") << p << 30.0 << 9.0 << Points{{10, 1}, {20, 2}, {30, 3}, {30, 9}};
    QTest::newRow("unordered list: after last not later")
        << Points{{30, 3}, {10, 1}} << 20.0 << 9.0 << Points{{30, 3}, {10, 1}, {20, 9}};
    QTest::newRow("unordered list: nothing earlier")
        << Points{{30, 3}, {10, 1}} << 5.0 << 9.0 << Points{{5, 9}, {30, 3}, {10, 1}};
}

void TestStudyResults::insertSorted()
{
    QFETCH(Points, initial);
    QFETCH(double, t);
    QFETCH(double, v);
    QFETCH(Points, expected);
    TTrend trend = trendOf(initial);
    trend.insertSorted(t, v);
    QCOMPARE(trend.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(trend.time(i), expected[i].first);
        QCOMPARE(trend.value(i), expected[i].second);
    }
}

void TestStudyResults::trendIndexesOutOfRange()
{
    TTrend t = trendOf({{1, 10}, {2, 20}});
    QCOMPARE(t.time(-1), 0.0);
    QCOMPARE(t.value(2), 0.0);
    t.setValue(2, 5.0);
    t.setValue(-1, 5.0);
    QCOMPARE(t, trendOf({{1, 10}, {2, 20}}));
    t.setValue(1, 25.0);
    QCOMPARE(t.value(1), 25.0);
    QCOMPARE(t.time(1), 2.0);
    t.clear();
    QCOMPARE(t.size(), 0);
    QCOMPARE(t.valueAt(1.0), 0.0);
    QVERIFY(!t.assign({1.0, 2.0}, {1.0}));
    QCOMPARE(t.size(), 0);
}

void TestStudyResults::largest_data()
{
    QTest::addColumn<QVector<double>>("values");
    QTest::addColumn<double>("expected");
    QTest::newRow("empty") << QVector<double>{} << 0.0;
    QTest::newRow("all below zero") << QVector<double>{-3.0, -1.0} << 0.0;
    QTest::newRow("zeros") << QVector<double>{0.0, 0.0} << 0.0;
    QTest::newRow("mixed") << QVector<double>{-5.0, 120.0, 80.0} << 120.0;
    QTest::newRow("largest last") << QVector<double>{1.0, 2.0, 3.5} << 3.5;
    QTest::newRow("NaN ignored") << QVector<double>{std::numeric_limits<double>::quiet_NaN(), 2.0} << 2.0;
}

void TestStudyResults::largest()
{
    QFETCH(QVector<double>, values);
    QFETCH(double, expected);
    TValueArray a;
    for (int i = 0; i < values.size(); ++i)
        a.setValue(i, values[i]);
    QCOMPARE(a.largest(), expected);
}

void TestStudyResults::valueArrayGrowsWithZeros()
{
    TValueArray a;
    QCOMPARE(a.value(0), 0.0);
    a.setValue(3, 7.0);
    QCOMPARE(a.size(), 4);
    QCOMPARE(a.values(), (std::vector<double>{0.0, 0.0, 0.0, 7.0}));
    a.setValue(-1, 9.0);
    QCOMPARE(a.size(), 4);
    QCOMPARE(a.value(4), 0.0);
    QCOMPARE(a.value(-1), 0.0);
    a.resize(2);
    QCOMPARE(a.values(), (std::vector<double>{0.0, 0.0}));
    a.resize(3);
    QCOMPARE(a.value(2), 0.0);
    a.resize(-4);
    QCOMPARE(a.size(), 0);
}

void TestStudyResults::standardItems()
{
    TStudyResults r;
    for (const char* n : {"maxBPM", "maxSysBP", "maxDiaBP", "maxMETS", "maxDP", "maxVO2",
                          "measurementChannel", "POnset", "PPeak", "POffset", "QRSOnset",
                          "QRSOffset", "TOnset", "TPeak", "TOffset", "PAmp", "QRSAmp", "TAmp",
                          "avgRRInterval", "recordingUnfinished"}) {
        QVERIFY2(r.value(n), n);
        QCOMPARE(*r.value(n), 0.0);
    }
    QVERIFY(r.value("QRSAxis"));
    QCOMPARE(*r.value("QRSAxis"), -999.0);
    for (const char* n : {"BPMPerStage", "sysBPPerStage", "diaBPPerStage", "DPPerStage",
                          "METSPerStage", "pacemakerPulses"}) {
        QVERIFY2(r.valueArray(n), n);
        QCOMPARE(r.valueArray(n)->size(), 0);
    }
    for (const char* n : {"BPMTrend", "METSTrend", "sysBPTrend", "diaBPTrend", "DPTrend"})
        QVERIFY2(r.trend(n) && r.trend(n)->size() == 0, n);
    for (int i = 0; i < 16; ++i) {
        QVERIFY(r.valueArray(QStringLiteral("STLevelPerStage(%1)").arg(i)));
        QVERIFY(r.valueArray(QStringLiteral("STSlopePerStage(%1)").arg(i)));
        QVERIFY(r.trend(QStringLiteral("STLevelTrend(%1)").arg(i)));
        QVERIFY(r.trend(QStringLiteral("STSlopeTrend(%1)").arg(i)));
    }
    QVERIFY(!r.valueArray("STLevelPerStage(16)"));
    QVERIFY(!r.valueArray("STLevelPerStage(01)"));
    QCOMPARE(r.names().size(), 22 + 6 + 5 + 4 * 16);
}

void TestStudyResults::lookupOfOtherKindIsNull()
{
    TStudyResults r;
    QVERIFY(!r.value("nonexistent"));
    QVERIFY(!r.valueArray("nonexistent"));
    QVERIFY(!r.trend("nonexistent"));
    QVERIFY(!r.trend("maxBPM"));
    QVERIFY(!r.valueArray("maxBPM"));
    QVERIFY(!r.value("BPMTrend"));
    QVERIFY(!r.trend("BPMPerStage"));
    QCOMPARE(r.kind("maxBPM"), TStudyResults::Value);
    QCOMPARE(r.kind("BPMPerStage"), TStudyResults::ValueArray);
    QCOMPARE(r.kind("BPMTrend"), TStudyResults::Trend);
    QCOMPARE(r.kind("x"), TStudyResults::None);
}

void TestStudyResults::pointersSurviveCopies()
{
    // The engine keeps item pointers while the record may be copied elsewhere.
    TStudyResults r;
    double* maxBpm = r.value("maxBPM");
    TTrend* bpm = r.trend("BPMTrend");
    TStudyResults copy = r;
    *maxBpm = 150.0;
    bpm->append(1.0, 80.0);
    QCOMPARE(*r.value("maxBPM"), 150.0);
    QCOMPARE(r.trend("BPMTrend")->size(), 1);
    QCOMPARE(*copy.value("maxBPM"), 0.0);
    QCOMPARE(copy.trend("BPMTrend")->size(), 0);
    QVERIFY(copy != r);
}

void TestStudyResults::jsonForm()
{
    TStudyResults r;
    *r.value("maxBPM") = 162.0;
    r.valueArray("BPMPerStage")->setValue(1, 95.0);
    r.trend("sysBPTrend")->append(12.5, 130.0);
    const QJsonObject j = TStudyResults::toJson(r);
    QCOMPARE(j.size(), r.names().size());
    QCOMPARE(j.value("maxBPM").toObject(), parse(R"({"type":"value","value":162})"));
    QCOMPARE(j.value("QRSAxis").toObject(), parse(R"({"type":"value","value":-999})"));
    QCOMPARE(j.value("BPMPerStage").toObject(), parse(R"({"type":"valueArray","values":[0,95]})"));
    QCOMPARE(j.value("sysBPTrend").toObject(),
             parse(R"({"type":"trend","timestamps":[12.5],"values":[130]})"));
    // A trend without points has both arrays, empty.
    QCOMPARE(j.value("DPTrend").toObject(), parse(R"({"type":"trend","timestamps":[],"values":[]})"));
    QCOMPARE(j.value("pacemakerPulses").toObject(), parse(R"({"type":"valueArray","values":[]})"));
}

void TestStudyResults::jsonRoundTrip()
{
    TStudyResults r;
    *r.value("maxMETS") = 11.25;
    *r.value("QRSAxis") = 60.0;
    r.valueArray("STLevelPerStage(15)")->setValue(2, -0.125);
    r.valueArray("pacemakerPulses")->append(0.002);
    r.trend("STSlopeTrend(3)")->append(1.0, 0.5);
    r.trend("STSlopeTrend(3)")->append(1.0, 0.7);
    r.trend("STSlopeTrend(3)")->append(0.5, -1.0); // out of order: kept as it is
    const QByteArray text = QJsonDocument(TStudyResults::toJson(r)).toJson(QJsonDocument::Compact);
    const TStudyResults back = TStudyResults::fromJson(QJsonDocument::fromJson(text).object());
    QCOMPARE(back, r);
    QCOMPARE(back.trend("STSlopeTrend(3)")->time(2), 0.5);
}

void TestStudyResults::jsonNonFiniteWrittenAsZero()
{
    TStudyResults r;
    *r.value("maxDP") = std::numeric_limits<double>::infinity();
    r.trend("BPMTrend")->append(1.0, std::numeric_limits<double>::quiet_NaN());
    const QByteArray text = QJsonDocument(TStudyResults::toJson(r)).toJson(QJsonDocument::Compact);
    const TStudyResults back = TStudyResults::fromJson(QJsonDocument::fromJson(text).object());
    QCOMPARE(*back.value("maxDP"), 0.0);
    QCOMPARE(back.trend("BPMTrend")->size(), 1);
    QCOMPARE(back.trend("BPMTrend")->value(0), 0.0);
}

void TestStudyResults::jsonReadTolerance_data()
{
    QTest::addColumn<QByteArray>("item");
    QTest::addColumn<QString>("name");
    // Each of these items is malformed and leaves the named item as it was made.
    QTest::newRow("missing type") << QByteArray(R"({"value":5})") << "maxBPM";
    QTest::newRow("wrong kind") << QByteArray(R"({"type":"trend","timestamps":[1],"values":[2]})") << "maxBPM";
    QTest::newRow("value not a number") << QByteArray(R"({"type":"value","value":"5"})") << "QRSAxis";
    QTest::newRow("value missing") << QByteArray(R"({"type":"value"})") << "QRSAxis";
    QTest::newRow("not an object") << QByteArray(R"([1,2,3])") << "BPMPerStage";
    QTest::newRow("values not an array") << QByteArray(R"({"type":"valueArray","values":3})") << "BPMPerStage";
    QTest::newRow("non-numeric entry") << QByteArray(R"({"type":"valueArray","values":[1,null,3]})") << "BPMPerStage";
    QTest::newRow("trend lengths differ") << QByteArray(R"({"type":"trend","timestamps":[1,2],"values":[5]})") << "BPMTrend";
    QTest::newRow("trend without timestamps") << QByteArray(R"({"type":"trend","values":[5]})") << "BPMTrend";
    QTest::newRow("unknown type word") << QByteArray(R"({"type":"matrix","values":[5]})") << "BPMTrend";
}

void TestStudyResults::jsonReadTolerance()
{
    QFETCH(QByteArray, item);
    QFETCH(QString, name);
    const QByteArray doc = "{\"" + name.toUtf8() + "\":" + item + ",\"maxDiaBP\":{\"type\":\"value\",\"value\":85}}";
    const QJsonObject o = QJsonDocument::fromJson(doc).object();
    QVERIFY(!o.isEmpty());
    const TStudyResults r = TStudyResults::fromJson(o);
    const TStudyResults initial;
    QCOMPARE(r.kind(name), initial.kind(name));
    QCOMPARE(TStudyResults::toJson(r).value(name), TStudyResults::toJson(initial).value(name));
    // Its well-formed neighbour is read all the same.
    QCOMPARE(*r.value("maxDiaBP"), 85.0);
}

void TestStudyResults::jsonUnknownNames()
{
    const QJsonObject o = parse(R"({"extraValue":{"type":"value","value":3},
        "extraTrend":{"type":"trend","timestamps":[1],"values":[2]},
        "extraBroken":{"type":"value"},
        "extraOdd":{}})");
    const TStudyResults r = TStudyResults::fromJson(o);
    QVERIFY(r.value("extraValue"));
    QCOMPARE(*r.value("extraValue"), 3.0);
    QCOMPARE(r.trend("extraTrend")->valueAt(0.0), 2.0);
    QVERIFY(!r.contains("extraBroken"));
    QVERIFY(!r.contains("extraOdd"));
    // Kept on the next save.
    QCOMPARE(TStudyResults::toJson(r).value("extraValue").toObject(), o.value("extraValue").toObject());
    // Everything not in the file keeps its initial value.
    QCOMPARE(*r.value("QRSAxis"), -999.0);
    QCOMPARE(TStudyResults::fromJson(QJsonObject()), TStudyResults());
}

QTEST_APPLESS_MAIN(TestStudyResults)
#include "tst_studyresults.moc"
