#include "TException.h"
#include "TRingSignalBuffer.h"
#include "TStudy.h"
#include "TStudyRecord.h"

#include <QtTest>
#include <QJsonArray>
#include <QJsonDocument>
#include <set>

namespace {

TStudyRecord fullRecord()
{
    TStudyRecord r;
    r.id = 123456789;
    int n = 0;
    for (const QString& key : TStudyRecord::studyKeys()) {
        if (key != "id")
            r.setProperty(key, QStringLiteral("s%1 ñ€").arg(n++));
    }
    for (const QString& key : TStudyRecord::patientKeys())
        r.setPatientProperty(key, QStringLiteral("p%1 ü").arg(n++));
    r.events = {{"Start", 0.0, 1.5, true}, {"ST depression", 312.25, 20.0, false}};
    r.riskFactors = {{"Hipertensión", true, "treated"}, {"Gota", false, ""}};
    *r.results.value("maxBPM") = 171.0;
    r.results.valueArray("sysBPPerStage")->setValue(2, 150.0);
    r.results.trend("BPMTrend")->append(1.25, 90.0);
    TProtocol p;
    p.setName("Bruce");
    p.appendStage(TProtocolStage::Rest, 120.0, 0.0, 0.0);
    p.appendStage(TProtocolStage::Exercise, 180.0, 2.7, 10.0);
    r.protocol = p;
    TEchoScoring echo;
    for (int s = 1; s <= 16; ++s) {
        echo.setScoreRest(s, s);
        echo.setScorePeak(s, 2 * s);
        echo.setScorePost(s, -s);
    }
    r.echoScoring = echo;
    return r;
}

QByteArray compact(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

} // namespace

class TestStudyRecord : public QObject
{
    Q_OBJECT

private slots:
    void keysAreThoseOfTheRecordFile();
    void emptyRecordWritesEveryKey();
    void jsonRoundTrip();
    void absentProtocolAndEchoStayAbsent();
    void readDefaults_data();
    void readDefaults();
    void infoRoundTrip();
    void summary();
    void reported_data();
    void reported();
    void baseFilename_data();
    void baseFilename();
    void drawIdRangeAndRedraw();
    void drawIdGivesUp();
    void newStudy_data();
    void newStudy();
    void echoSegmentNames();
    void echoScoreIndex_data();
    void echoScoreIndex();
    void openStudyWithoutFiles();
};

void TestStudyRecord::keysAreThoseOfTheRecordFile()
{
    const QStringList study{"id", "baseFilename", "status", "studyType", "institutionName",
                            "technicianName", "doctorName", "referringDoctorName", "studyDateTime",
                            "recordingDateTime", "treatment", "indication", "comments", "conclusion",
                            "protocolName"};
    const QStringList patient{"firstName", "lastName", "sex", "age", "weight", "height",
                              "trainingZoneMax", "trainingZoneSubMax", "birthDate", "personIdType",
                              "personIdNumber", "medicalGroupName", "medicalGroupNumber",
                              "medicalHistoryNumber", "address", "city", "state", "country",
                              "phoneNumber", "animalSpecies", "animalBreed"};
    QCOMPARE(TStudyRecord::studyKeys(), study);
    QCOMPARE(TStudyRecord::patientKeys(), patient);
}

void TestStudyRecord::emptyRecordWritesEveryKey()
{
    const QJsonObject j = TStudyRecord::toJson(TStudyRecord());
    const QStringList members = j.keys();
    QCOMPARE(members, (QStringList{"events", "patient", "results", "study"}));
    const QJsonObject study = j.value("study").toObject();
    QCOMPARE(study.size(), TStudyRecord::studyKeys().size());
    QVERIFY(study.value("id").isDouble());
    QCOMPARE(study.value("id").toInt(-1), 0);
    for (const QString& key : TStudyRecord::studyKeys()) {
        if (key != "id")
            QVERIFY2(study.value(key).isString() && study.value(key).toString().isEmpty(), qPrintable(key));
    }
    const QJsonObject patient = j.value("patient").toObject();
    QCOMPARE(patient.size(), TStudyRecord::patientKeys().size() + 1);
    for (const QString& key : TStudyRecord::patientKeys())
        QVERIFY2(patient.value(key).isString(), qPrintable(key));
    QVERIFY(patient.value("riskFactors").isArray());
    QVERIFY(j.value("events").toArray().isEmpty());
    QCOMPARE(j.value("results").toObject(), TStudyResults::toJson(TStudyResults()));
    // Compact: no indentation or newlines.
    QVERIFY(!compact(j).contains('\n'));
}

void TestStudyRecord::jsonRoundTrip()
{
    const TStudyRecord r = fullRecord();
    const QJsonObject j = TStudyRecord::toJson(r);
    // Patient keys go to the "patient" object without their prefix.
    QCOMPARE(j.value("patient").toObject().value("firstName").toString(), r.property("patient/firstName"));
    QCOMPARE(j.value("patient").toObject().value("riskFactors").toArray().at(0).toObject(),
             QJsonDocument::fromJson(R"({"name":"Hipertensión","status":true,"comment":"treated"})").object());
    QCOMPARE(j.value("events").toArray().at(1).toObject(),
             QJsonDocument::fromJson(R"({"description":"ST depression","position":312.25,"duration":20,"print":false})").object());
    QCOMPARE(j.value("echoScoring").toObject().value("segments").toArray().size(), 16);
    QCOMPARE(j.value("echoScoring").toObject().value("scorePost").toArray().at(15).toInt(), -16);
    QCOMPARE(j.value("protocol").toObject(), TProtocol::toJson(*r.protocol));

    const QByteArray text = compact(j);
    const TStudyRecord back = TStudyRecord::fromJson(QJsonDocument::fromJson(text).object());
    QCOMPARE(back.id, r.id);
    QCOMPARE(back.properties, r.properties);
    QCOMPARE(back.events, r.events);
    QCOMPARE(back.riskFactors, r.riskFactors);
    QCOMPARE(back.results, r.results);
    QVERIFY(back.protocol && *back.protocol == *r.protocol);
    QVERIFY(back.echoScoring && *back.echoScoring == *r.echoScoring);
    QVERIFY(back == r);
    QCOMPARE(compact(TStudyRecord::toJson(back)), text);
}

void TestStudyRecord::absentProtocolAndEchoStayAbsent()
{
    TStudyRecord r = fullRecord();
    r.protocol.reset();
    r.echoScoring.reset();
    const QJsonObject j = TStudyRecord::toJson(r);
    QVERIFY(!j.contains("protocol"));
    QVERIFY(!j.contains("echoScoring"));
    const TStudyRecord back = TStudyRecord::fromJson(j);
    QVERIFY(!back.protocol);
    QVERIFY(!back.echoScoring);
}

void TestStudyRecord::readDefaults_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("lastName");
    QTest::addColumn<int>("events");
    QTest::addColumn<bool>("protocol");

    QTest::newRow("empty object") << QByteArray("{}") << 0 << "" << 0 << false;
    QTest::newRow("id and name") << QByteArray(R"({"study":{"id":42},"patient":{"lastName":"Rex"}})") << 42 << "Rex" << 0 << false;
    QTest::newRow("id as text") << QByteArray(R"({"study":{"id":"42"}})") << 0 << "" << 0 << false;
    QTest::newRow("fractional id") << QByteArray(R"({"study":{"id":4.5}})") << 0 << "" << 0 << false;
    QTest::newRow("id too large") << QByteArray(R"({"study":{"id":1e12}})") << 0 << "" << 0 << false;
    QTest::newRow("name not a string") << QByteArray(R"({"patient":{"lastName":7}})") << 0 << "" << 0 << false;
    QTest::newRow("study not an object") << QByteArray(R"({"study":[1],"patient":"x"})") << 0 << "" << 0 << false;
    QTest::newRow("odd events skipped") << QByteArray(R"({"events":[1,{"description":"a"},"b",{}]})") << 0 << "" << 2 << false;
    QTest::newRow("events not an array") << QByteArray(R"({"events":{"description":"a"}})") << 0 << "" << 0 << false;
    QTest::newRow("protocol not an object") << QByteArray(R"({"protocol":"Bruce"})") << 0 << "" << 0 << false;
    QTest::newRow("protocol object") << QByteArray(R"({"protocol":{}})") << 0 << "" << 0 << true;
}

void TestStudyRecord::readDefaults()
{
    QFETCH(QByteArray, json);
    QFETCH(int, id);
    QFETCH(QString, lastName);
    QFETCH(int, events);
    QFETCH(bool, protocol);
    const QJsonObject o = QJsonDocument::fromJson(json).object();
    const TStudyRecord r = TStudyRecord::fromJson(o);
    QCOMPARE(r.id, id);
    QCOMPARE(r.property("patient/lastName"), lastName);
    QCOMPARE(r.events.size(), events);
    QCOMPARE(bool(r.protocol), protocol);
    QVERIFY(!r.echoScoring);
    // Every key is in the map, empty when the file lacked it.
    QCOMPARE(r.properties.size(), TStudyRecord::studyKeys().size() - 1 + TStudyRecord::patientKeys().size());
    QCOMPARE(*r.results.value("QRSAxis"), -999.0);
}

void TestStudyRecord::infoRoundTrip()
{
    TStudyRecord r = fullRecord();
    r.acquisition = {7, 500, 16, 5.0, "short", "I,II,III,aVR,aVL,aVF,V5"};
    const TStudyInfo info = TStudyRecord::toInfo(r);
    QCOMPARE(info.id, r.id);
    QCOMPARE(info.acquisition, r.acquisition);
    QCOMPARE(info.events, r.events);
    QVERIFY(TStudyRecord::fromInfo(info) == r);
    QVERIFY(TStudyRecord::toInfo(TStudyRecord::fromInfo(info)) == info);

    // A round trip would not show two fields swapped both ways: each lands on its key.
    TStudyInfo few;
    few.firstName = "Rex";
    few.medicalHistoryNumber = "H123";
    few.recordingDateTime = "20260101120000";
    few.conclusion = "Normal";
    const TStudyRecord fromFew = TStudyRecord::fromInfo(few);
    QCOMPARE(fromFew.property("patient/firstName"), QString("Rex"));
    QCOMPARE(fromFew.property("patient/medicalHistoryNumber"), QString("H123"));
    QCOMPARE(fromFew.property("recordingDateTime"), QString("20260101120000"));
    QCOMPARE(fromFew.property("conclusion"), QString("Normal"));
    QCOMPARE(fromFew.property("firstName"), QString());
}

void TestStudyRecord::summary()
{
    const TStudyRecord r = fullRecord();
    const TStudySummary s = r.summary();
    QCOMPARE(s.id, r.id);
    QCOMPARE(s.baseFilename, r.property("baseFilename"));
    QCOMPARE(s.status, r.property("status"));
    QCOMPARE(s.studyType, r.property("studyType"));
    QCOMPARE(s.studyDateTime, r.property("studyDateTime"));
    QCOMPARE(s.patientFirstName, r.property("patient/firstName"));
    QCOMPARE(s.patientLastName, r.property("patient/lastName"));
    QCOMPARE(s.patientAnimalSpecies, r.property("patient/animalSpecies"));
    QCOMPARE(s.patientAnimalBreed, r.property("patient/animalBreed"));
}

void TestStudyRecord::reported_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("reported");
    QTest::newRow("report") << "report" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("other word") << "reported" << false;
    QTest::newRow("capitalised") << "Report" << false;
}

void TestStudyRecord::reported()
{
    QFETCH(QString, status);
    QFETCH(bool, reported);
    TStudyRecord r;
    r.setProperty("status", status);
    QCOMPARE(r.isReported(), reported);
    QCOMPARE(r.summary().isReported(), reported);
    QCOMPARE(TStudyRecord::toInfo(r).isReported(), reported);
}

void TestStudyRecord::baseFilename_data()
{
    QTest::addColumn<QStringList>("parts"); // history number, person id, last name, first name
    QTest::addColumn<QString>("expected");
    const QString t = "20260312094501";
    QTest::newRow("history number and first name") << QStringList{"H123", "", "", "Rex"} << "H123-Rex-" + t;
    QTest::newRow("no name parts") << QStringList{"", "", "", ""} << t;
    QTest::newRow("all parts in order") << QStringList{"H1", "P2", "Smith", "Rex"} << "H1-P2-Smith-Rex-" + t;
    QTest::newRow("person id only") << QStringList{"", "30111222", "", ""} << "30111222-" + t;
    QTest::newRow("accents kept") << QStringList{"", "", "Muñoz", "Renée"} << "Muñoz-Renée-" + t;
    QTest::newRow("path characters replaced") << QStringList{"../x", "a\\b", "O/Brien", "C:*?\"<>|"}
                                              << "_._x-a_b-O_Brien-C_______-" + t;
    QTest::newRow("dots that would hide or climb") << QStringList{"", "", "...", ".Rex"} << "_._-.Rex-" + t;
    QTest::newRow("single dots kept") << QStringList{"", "", "St. Bernard", "J.R."} << "St. Bernard-J.R.-" + t;
    QTest::newRow("control characters replaced") << QStringList{"", "", "a\nb", "\t"} << "a_b-_-" + t;
}

void TestStudyRecord::baseFilename()
{
    QFETCH(QStringList, parts);
    QFETCH(QString, expected);
    TStudyRecord r;
    r.setPatientProperty("medicalHistoryNumber", parts[0]);
    r.setPatientProperty("personIdNumber", parts[1]);
    r.setPatientProperty("lastName", parts[2]);
    r.setPatientProperty("firstName", parts[3]);
    r.setProperty("studyDateTime", "20260312094501");
    QCOMPARE(TStudyRecord::makeBaseFilename(r), expected);
}

void TestStudyRecord::drawIdRangeAndRedraw()
{
    std::set<int> seen;
    for (int i = 0; i < 200; ++i) {
        const int id = TStudyRecord::drawId([](int) { return false; });
        QVERIFY(id >= 1 && id <= 999999999);
        seen.insert(id);
    }
    // 200 draws from a billion values: a repeat would point at a broken source.
    QVERIFY(seen.size() >= 199);

    // The first draws are taken: drawn again until one is free.
    int asked = 0;
    std::set<int> refused;
    const int id = TStudyRecord::drawId([&](int candidate) {
        if (++asked <= 5) {
            refused.insert(candidate);
            return true;
        }
        return false;
    });
    QCOMPARE(asked, 6);
    QVERIFY(id >= 1 && id <= 999999999);
    QVERIFY(!refused.count(id));
}

void TestStudyRecord::drawIdGivesUp()
{
    int asked = 0;
    QVERIFY_EXCEPTION_THROWN(TStudyRecord::drawId([&](int) { ++asked; return true; }), TException);
    QCOMPARE(asked, 1000);
}

void TestStudyRecord::newStudy_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("sex");
    QTest::addColumn<QString>("age");
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<QString>("studyType");
    QTest::addColumn<QString>("zoneMax");
    QTest::addColumn<QString>("zoneSubMax");
    QTest::addColumn<QString>("protocolName");

    QTest::newRow("stress, male 40") << int(TStudyRecord::StressTest) << "M" << "40" << "Bruce"
                                     << "Stress test" << "180" << "153" << "Bruce";
    QTest::newRow("stress, female 30") << int(TStudyRecord::StressTest) << "F" << "30" << "Example"
                                       << "Stress test" << "180" << "153" << "Example";
    QTest::newRow("stress, female 7") << int(TStudyRecord::StressTest) << "F" << "7" << "Example"
                                      << "Stress test" << "203" << "172" << "Example";
    QTest::newRow("tilt test") << int(TStudyRecord::StressTest) << "M" << "5" << "Tilt test"
                               << "Tilt test" << "215" << "182" << "Tilt test";
    QTest::newRow("ECG, no sex") << int(TStudyRecord::Ecg) << "" << "12" << "Bruce"
                                 << "ECG" << "" << "" << "";
    QTest::newRow("ECG named like the tilt protocol") << int(TStudyRecord::Ecg) << "F" << "3" << "Tilt test"
                                                      << "ECG" << "" << "" << "";
}

void TestStudyRecord::newStudy()
{
    QFETCH(int, kind);
    QFETCH(QString, sex);
    QFETCH(QString, age);
    QFETCH(QString, protocol);
    QFETCH(QString, studyType);
    QFETCH(QString, zoneMax);
    QFETCH(QString, zoneSubMax);
    QFETCH(QString, protocolName);

    TQuickPatient q{"Smith", "Rex", age, "20190401", sex, "H123", "30111222"};
    const QDateTime now(QDate(2026, 3, 12), QTime(9, 45, 1));
    const TStudyRecord r = TStudyRecord::newStudy(TStudyRecord::StudyKind(kind), q, protocol, now);
    QCOMPARE(r.id, 0);
    QCOMPARE(r.property("studyType"), studyType);
    QCOMPARE(r.property("studyDateTime"), QString("20260312094501"));
    QCOMPARE(r.property("protocolName"), protocolName);
    QCOMPARE(r.property("patient/trainingZoneMax"), zoneMax);
    QCOMPARE(r.property("patient/trainingZoneSubMax"), zoneSubMax);
    QCOMPARE(r.property("patient/lastName"), QString("Smith"));
    QCOMPARE(r.property("patient/firstName"), QString("Rex"));
    QCOMPARE(r.property("patient/age"), age);
    QCOMPARE(r.property("patient/birthDate"), QString("20190401"));
    QCOMPARE(r.property("patient/sex"), sex);
    QCOMPARE(r.property("patient/medicalHistoryNumber"), QString("H123"));
    QCOMPARE(r.property("patient/personIdNumber"), QString("30111222"));
    QCOMPARE(r.property("recordingDateTime"), QString());
    QCOMPARE(r.property("status"), QString());
    QVERIFY(r.riskFactors.isEmpty());
    QVERIFY(!r.protocol);
}

void TestStudyRecord::echoSegmentNames()
{
    QCOMPARE(TEchoScoring::segmentName(1), QString("BasalAnteroSeptum"));
    QCOMPARE(TEchoScoring::segmentName(16), QString("ApicalAnterior"));
    QCOMPARE(TEchoScoring::segmentDisplayName(3), QString("Septum Basal - RAD"));
    QCOMPARE(TEchoScoring::segmentDisplayName(16), QString("Anterior Apical - LAD"));
    for (int outside : {0, 17, -1, 1000}) {
        QCOMPARE(TEchoScoring::segmentName(outside), QString());
        QCOMPARE(TEchoScoring::segmentDisplayName(outside), QString());
    }
    // A short or damaged score array reads as zeros.
    const TEchoScoring e = TEchoScoring::fromJson(
        QJsonDocument::fromJson(R"({"scoreRest":[3,"x",2.5],"scorePeak":4})").object());
    QCOMPARE(e.scoreRest(1), 3);
    QCOMPARE(e.scoreRest(2), 0);
    QCOMPARE(e.scoreRest(3), 0);
    QCOMPARE(e.scoreRest(16), 0);
    QCOMPARE(e.scorePeak(1), 0);
}

void TestStudyRecord::echoScoreIndex_data()
{
    QTest::addColumn<QList<int>>("scores"); // of segments 1, 2, ...
    QTest::addColumn<double>("index");      // -1: none
    QTest::newRow("nothing seen") << QList<int>{} << -1.0;
    QTest::newRow("all normal") << QList<int>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1} << 1.0;
    QTest::newRow("unseen segments left out") << QList<int>{2, 0, 4, 0, 3} << 3.0;
    QTest::newRow("out-of-range scores are not seen") << QList<int>{5, -1, 2, 9} << 2.0;
    QTest::newRow("every score once") << QList<int>{1, 2, 3, 4} << 2.5;
}

void TestStudyRecord::echoScoreIndex()
{
    QFETCH(QList<int>, scores);
    QFETCH(double, index);
    TEchoScoring e;
    for (int i = 0; i < scores.size(); ++i)
        e.setScore(TEchoScoring::Peak, i + 1, scores[i]);
    const std::optional<double> got = e.scoreIndex(TEchoScoring::Peak);
    QCOMPARE(got.has_value(), index >= 0);
    if (got)
        QCOMPARE(*got, index);
    // The other phases are their own.
    QVERIFY(!e.scoreIndex(TEchoScoring::Rest));
    QVERIFY(!e.scoreIndex(TEchoScoring::Post));
    QCOMPARE(e.isEmpty(), index < 0);
    QCOMPARE(e.scorePeak(1), scores.value(0, 0));
    QCOMPARE(TEchoScoring::scoreName(4), QString("Dyskinetic"));
    QCOMPARE(TEchoScoring::scoreName(0), QString());
}

void TestStudyRecord::openStudyWithoutFiles()
{
    TStudyRecord r = fullRecord();
    r.acquisition = {3, 250, 16, 5.0, "short", "I,II,V5"};
    TStudy study(r);
    QVERIFY(!study.recordingAvailable());
    QVERIFY(!study.beatsAvailable());
    // Empty stand-ins: the patient data is there, nothing else.
    QVERIFY(study.recording());
    QCOMPARE(study.recording()->length(), 0);
    QCOMPARE(study.recording()->channelCount(), 3);
    QCOMPARE(study.recording()->samplingRate(), 250);
    QCOMPARE(study.recording()->channel(2)->name(), QByteArray("V5"));
    QCOMPARE(study.recording()->gainMax(), 5.0);
    QVERIFY(study.beats());
    QCOMPARE(study.beats()->count(), 0);
    QCOMPARE(study.property("patient/lastName"), r.property("patient/lastName"));

    // Nothing known of the acquisition: still a usable empty buffer.
    TStudy bare{TStudyRecord()};
    QVERIFY(bare.recording()->channelCount() >= 1);
    QCOMPARE(bare.recording()->length(), 0);

    study.setRecording(std::make_unique<TIntSignalBuffer>(4096, 4096, 3, 250));
    QVERIFY(study.recordingAvailable());
    study.setBeats(nullptr);
    QVERIFY(!study.beatsAvailable());
    QVERIFY(study.beats());
}

QTEST_APPLESS_MAIN(TestStudyRecord)
#include "tst_studyrecord.moc"
