// The values, images and drawings the study report gives its templates, for a
// study of known content: patient, measurement, filters and scales; values that
// cannot be computed print blank or "--"; every field of the templates is known.

#include "../display/DisplayTestSupport.h"
#include "ReportTestSupport.h"
#include "StoredAverageBeats.h"
#include "TErgoReport.h"
#include "TReportImage.h"
#include "TReportTemplate.h"
#include "TRingSignalBuffer.h"
#include "TStudy.h"
#include "TStudyReport.h"

#include <QImageReader>
#include <QPainter>
#include <QResource>
#include <QSettings>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <zlib.h>

namespace {

const char* const LeadNames[] = {"I", "II", "III", "aVR", "aVL", "aVF", "V5"};
const QStringList MeasurementNames = {"lead", "RR", "HR",         "PR",       "P",     "QRS",     "QT",
                                      "QTc",  "T",  "TPeakToEnd", "QRS_axis", "P_amp", "QRS_amp", "T_amp"};

// Seven leads of 12 s, code step 1 microvolt, a 1 mV spike at every whole second
// (lead 1 at every half second).
std::unique_ptr<TIntSignalBuffer> recording(int leads = 7, const char* const* names = LeadNames)
{
    auto buffer = DisplayTest::signal(leads);
    for (int i = 0; i < leads; ++i)
        buffer->channel(i)->setName(names[i]);
    DisplayTest::append(*buffer, 12 * 500, [](int c, int i) { return i % (c == 1 ? 250 : 500) < 5 ? 1000 : 0; });
    return buffer;
}

void setMeasurement(TStudyResults& results, const QMap<QString, double>& values)
{
    for (auto it = values.begin(); it != values.end(); ++it)
        *results.value(it.key()) = it.value();
}

// The measurement of the known study.
QMap<QString, double> knownMeasurement()
{
    return {{"measurementChannel", 1}, {"POnset", -0.15}, {"PPeak", -0.11}, {"POffset", -0.07}, {"QRSOnset", -0.04},
            {"QRSOffset", 0.04},       {"TOnset", 0.12},  {"TPeak", 0.18},  {"TOffset", 0.24},  {"avgRRInterval", 0.64},
            {"QRSAxis", 62.4},         {"PAmp", 0.12},    {"QRSAmp", 1.43}, {"TAmp", -0.31}};
}

std::unique_ptr<TStudy> knownStudy()
{
    TStudyRecord record;
    record.setProperty(QStringLiteral("studyType"), QStringLiteral("ECG"));
    record.setProperty(QStringLiteral("studyDateTime"), QStringLiteral("20260314092653"));
    record.setProperty(QStringLiteral("technicianName"), QStringLiteral("Ana Gil"));
    record.setProperty(QStringLiteral("conclusion"), QStringLiteral("Sinus rhythm."));
    record.setPatientProperty(QStringLiteral("lastName"), QStringLiteral("P\u00e9rez"));
    record.setPatientProperty(QStringLiteral("firstName"), QStringLiteral("Rex"));
    record.setPatientProperty(QStringLiteral("age"), QStringLiteral("7"));
    record.setPatientProperty(QStringLiteral("sex"), QStringLiteral("M"));
    record.setPatientProperty(QStringLiteral("weight"), QStringLiteral("31,5"));
    record.setPatientProperty(QStringLiteral("height"), QStringLiteral("60"));
    record.setPatientProperty(QStringLiteral("animalSpecies"), QStringLiteral("Canine"));
    record.setPatientProperty(QStringLiteral("animalBreed"), QStringLiteral("Boxer"));
    record.setPatientProperty(QStringLiteral("medicalHistoryNumber"), QStringLiteral("H-17"));
    record.setPatientProperty(QStringLiteral("trainingZoneMax"), QStringLiteral("150"));
    record.setPatientProperty(QStringLiteral("trainingZoneSubMax"), QStringLiteral("0"));
    record.riskFactors = {{QStringLiteral("Obesidad"), true, QStringLiteral("mild")},
                          {QStringLiteral("Diabetes"), false, QString()},
                          {QStringLiteral("Stress"), true, QString()}};
    auto event = [](const char* text, double at, bool print) {
        TStudyEvent e;
        e.description = QString::fromUtf8(text);
        e.position = at;
        e.duration = 7.0;
        e.print = print;
        return e;
    };
    record.events = {event("Premature beat", 75.4, true), event("Hidden", 2.0, false), event("Late", 11.5, true),
                     event("Early", 0.4, true)};
    setMeasurement(record.results, knownMeasurement());
    *record.results.value(QStringLiteral("maxBPM")) = 120.0;
    return std::make_unique<TStudy>(record, recording(), std::make_unique<TMemoryBeatStore>());
}

TReportOptions knownOptions()
{
    TReportOptions o;
    o.notch = true;
    o.lowpass = false;
    o.baseline = true;
    o.speed = 12.5;
    o.amplitude = 20.0;
    o.headerTitle = QStringLiteral("Cl\u00ednica Norte");
    o.headerInfo = QStringLiteral("Calle 1");
    o.signatureName = QStringLiteral("Dr. Vega");
    o.signatureLicense = QStringLiteral("MV 1234");
    return o;
}

// The first dark row within [fromY, toY] of the columns x to x + width - 1, or -1.
int dark(const QImage& image, int x, int fromY, int toY, int width = 1)
{
    for (int dx = 0; dx < width; ++dx)
        if (const int y = ReportTest::darkSpan(image, x + dx, fromY, toY).first; y >= 0)
            return y;
    return -1;
}

} // namespace

class TestErgoReport : public QObject
{
    Q_OBJECT

private slots:
    // The QTc formula is a setting: the user's own are never read.
    void initTestCase() { ReportTest::usePrivateFolders(m_home); }
    void cleanup() { QSettings().remove(QStringLiteral("Config/QTcFormula")); }

    void knownStudyValues_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("expected");
        // Study and patient keys are read through one path: one of each stands for all.
        QTest::newRow("last name") << "demo/patient/lastName" << "P\u00e9rez";
        QTest::newRow("weight as typed") << "demo/patient/weight" << "31,5";
        QTest::newRow("technician") << "demo/technicianName" << "Ana Gil";
        QTest::newRow("unknown key") << "demo/patient/colour" << "";
        QTest::newRow("date") << "studyDateTime" << "14/03/2026";
        QTest::newRow("title") << "headerTitle" << "Cl\u00ednica Norte";
        QTest::newRow("info") << "headerInfo" << "Calle 1";
        QTest::newRow("signature name") << "signatureName" << "Dr. Vega";
        QTest::newRow("license") << "signatureLicense" << "MV 1234";
        QTest::newRow("filters") << "ecgFilters" << "notch 50hz, baseline fix";
        QTest::newRow("speed") << "timeScale" << "12.5 mm/s";
        QTest::newRow("gain") << "ampScale" << "20 mm/mV";
        QTest::newRow("lead") << "beatMeasurement/lead" << "II";
        QTest::newRow("RR") << "beatMeasurement/RR" << "640";
        QTest::newRow("HR") << "beatMeasurement/HR" << "93";
        QTest::newRow("PR") << "beatMeasurement/PR" << "110";
        // A large dog (31.5 kg) of 7 years: P above 40 ms, QRS above 60 ms and QT
        // above 250 ms are marked high.
        QTest::newRow("P") << "beatMeasurement/P" << "80 H";
        QTest::newRow("QRS") << "beatMeasurement/QRS" << "80 H";
        QTest::newRow("QT") << "beatMeasurement/QT" << "280 H";
        QTest::newRow("QTc formula") << "beatMeasurement/QTcFormula" << "Bazett";
        QTest::newRow("HR range") << "beatMeasurement/range/HR" << QString::fromUtf8("60–160");
        QTest::newRow("QRS range, large breed") << "beatMeasurement/range/QRS" << QString::fromUtf8("≤ 60");
        QTest::newRow("no range for T") << "beatMeasurement/range/T" << "";
        QTest::newRow("ranges used") << "beatMeasurement/ranges"
                                     << "Ranges for Dog, large breed, adult (lead II at rest). H: above the range, L: below it.";
        // A study measured before the R amplitude was stored: not measured, "--".
        QTest::newRow("no R amplitude stored") << "beatMeasurement/R_amp" << "--";
        QTest::newRow("QTc") << "beatMeasurement/QTc" << "350";
        QTest::newRow("T") << "beatMeasurement/T" << "120";
        QTest::newRow("T peak to end") << "beatMeasurement/TPeakToEnd" << "60";
        QTest::newRow("axis") << "beatMeasurement/QRS_axis" << "62";
        QTest::newRow("P amplitude") << "beatMeasurement/P_amp" << "0.12";
        QTest::newRow("QRS amplitude") << "beatMeasurement/QRS_amp" << "1.43";
        QTest::newRow("T amplitude") << "beatMeasurement/T_amp" << "-0.31";
        QTest::newRow("BMI") << "patientBMI" << "87.5";
        QTest::newRow("ID label") << "patientIdLabel" << "ID / #H.C.";
        QTest::newRow("ID value") << "patientIdValue" << "H-17";
        QTest::newRow("risk factors") << "patientRiskFactors" << "Obesidad [mild], Stress";
        QTest::newRow("max HR") << "maxHR" << "120";
        QTest::newRow("share of max HR") << "pctMaxHR" << "80";
        QTest::newRow("share of a zero zone") << "pctSubMaxHR" << "--";
        QTest::newRow("not a field") << "nothing" << "";
    }

    void knownStudyValues()
    {
        QFETCH(QString, field);
        QFETCH(QString, expected);
        const auto study = knownStudy();
        TErgoReport report(*study, knownOptions());
        QCOMPARE(report.value(field, 0, 1), expected);
    }

    // The same values read for another species, by another QTc formula.
    void speciesAndFormula_data()
    {
        QTest::addColumn<QString>("species");
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("expected");
        const QStringList fields = {"HR", "PR", "QT", "QTc", "QTcFormula", "range/HR"};
        // Cat: 93/min is slow, PR 110 ms long, QT 280 ms long.
        QTest::newRow("cat, Fridericia") << "Gato" << "fridericia" << fields
                                         << QStringList{"93 L", "110 H", "280 H", "324", "Fridericia",
                                                        QString::fromUtf8("140–240")};
        // Horse: 93/min is fast; the PR and QT are short for a horse, but
        // the table bounds them from above only.
        QTest::newRow("horse, Van de Water") << "EQUINO" << "vandewater" << fields
                                              << QStringList{"93 H", "110", "280", "311", "Van de Water",
                                                             QString::fromUtf8("28–44")};
        // An unknown species: the values alone, whatever they are.
        QTest::newRow("ferret, Hodges") << QString::fromUtf8("Hurón") << "hodges" << fields
                                        << QStringList{"93", "110", "280", "339", "Hodges", ""};
        QTest::newRow("typo in the setting: Bazett") << "perro" << "fridercia" << QStringList{"QTc", "QTcFormula"}
                                                     << QStringList{"350", "Bazett"};
    }
    void speciesAndFormula()
    {
        QFETCH(QString, species);
        QFETCH(QString, formula);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, expected);
        QSettings().setValue(QStringLiteral("Config/QTcFormula"), formula);
        const auto study = knownStudy();
        study->record().setPatientProperty(QStringLiteral("animalSpecies"), species);
        TErgoReport report(*study, knownOptions());
        for (int i = 0; i < fields.size(); ++i)
            QCOMPARE(report.value(QStringLiteral("beatMeasurement/") + fields[i], 0, 1), expected[i]);
        if (species.startsWith(QLatin1String("Hur")))
            QCOMPARE(report.value(QStringLiteral("beatMeasurement/ranges"), 0, 1),
                     QString::fromUtf8("No reference ranges for the species \"Hurón\""));
    }

    void measuredInAnotherLead()
    {
        const auto study = knownStudy();
        *study->results().value(QStringLiteral("measurementChannel")) = 0;
        TErgoReport report(*study, knownOptions());
        QVERIFY(report.value(QStringLiteral("beatMeasurement/ranges"), 0, 1).contains(QStringLiteral("(lead II at rest); measured in lead I")));
    }

    // Wave points that were not found or were withheld (0), or lie out of
    // order, give no value: "--" in a measured study, the lead's name blank.
    void missingPointsShowDashes_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<double>("value");
        QTest::addColumn<QStringList>("blank");
        const QStringList intervals = {"PR", "QRS", "QT", "QTc"};
        QTest::newRow("no P end") << "POffset" << 0.0 << QStringList{"P"};
        // Atrial fibrillation: the QRS and QT stand without a P wave.
        QTest::newRow("no P onset") << "POnset" << 0.0 << QStringList{"P", "P_amp", "PR"};
        QTest::newRow("no QRS onset") << "QRSOnset" << 0.0 << (QStringList{"QRS_axis", "QRS_amp"} + intervals);
        QTest::newRow("no T end") << "TOffset" << 0.0 << QStringList{"QT", "QTc", "T", "TPeakToEnd", "T_amp"};
        QTest::newRow("no T onset") << "TOnset" << 0.0 << QStringList{"T"};
        QTest::newRow("no T peak") << "TPeak" << 0.0 << QStringList{"TPeakToEnd"};
        QTest::newRow("T peak after its end") << "TPeak" << 0.3 << QStringList{"TPeakToEnd"};
        QTest::newRow("P onset after QRS onset") << "POnset" << -0.02 << QStringList{"PR", "P"};
        QTest::newRow("no RR") << "avgRRInterval" << 0.0 << QStringList{"RR", "HR", "QTc"};
        QTest::newRow("negative RR") << "avgRRInterval" << -0.5 << QStringList{"RR", "HR", "QTc"};
        QTest::newRow("no axis") << "QRSAxis" << -999.0 << QStringList{"QRS_axis"};
        QTest::newRow("no P amplitude") << "PAmp" << 0.0 << QStringList{"P_amp"};
        QTest::newRow("no lead") << "measurementChannel" << -1.0 << QStringList{"lead"};
        QTest::newRow("lead out of range") << "measurementChannel" << 9.0 << QStringList{"lead"};
    }

    void missingPointsShowDashes()
    {
        QFETCH(QString, key);
        QFETCH(double, value);
        QFETCH(QStringList, blank);
        const auto study = knownStudy();
        *study->results().value(key) = value;
        TErgoReport report(*study, knownOptions());
        for (const QString& name : MeasurementNames) {
            const QString text = report.value(QStringLiteral("beatMeasurement/") + name, 0, 1);
            if (blank.contains(name)) {
                QCOMPARE(text, name == QLatin1String("lead") ? QString() : QStringLiteral("--"));
            } else {
                QVERIFY2(!text.isEmpty(), qPrintable(name));
                // Never a negative duration.
                if (!name.endsWith(QLatin1String("_amp")) && name != QLatin1String("QRS_axis"))
                    QVERIFY2(!text.startsWith(QLatin1Char('-')), qPrintable(name + QStringLiteral(" = ") + text));
            }
        }
    }

    void studyNeverMeasured()
    {
        TStudyRecord record;
        TStudy study(record, recording(), nullptr);
        TErgoReport report(study, TReportOptions());
        for (const QString& name : MeasurementNames)
            QVERIFY2(report.value(QStringLiteral("beatMeasurement/") + name, 0, 1).isEmpty(), qPrintable(name));
        QCOMPARE(report.value(QStringLiteral("studyDateTime"), 0, 1), QString());
        QCOMPARE(report.value(QStringLiteral("ecgFilters"), 0, 1),
                 QStringLiteral("notch 50hz, muscle noise, baseline fix"));
        QCOMPARE(report.value(QStringLiteral("patientRiskFactors"), 0, 1), QStringLiteral("--"));
    }

    void zeroDivisorsRead()
    {
        const QList<QPair<QString, QString>> bodies = {
            {"", "60"}, {"31.5", ""}, {"31.5", "0"}, {"abc", "60"}, {"-3", "60"}};
        for (const auto& body : bodies) {
            const auto study = knownStudy();
            study->record().setPatientProperty(QStringLiteral("weight"), body.first);
            study->record().setPatientProperty(QStringLiteral("height"), body.second);
            TErgoReport report(*study, knownOptions());
            QCOMPARE(report.value(QStringLiteral("patientBMI"), 0, 1), QStringLiteral("--"));
        }
        const auto study = knownStudy();
        study->record().setPatientProperty(QStringLiteral("trainingZoneMax"), QString());
        TErgoReport report(*study, knownOptions());
        QCOMPARE(report.value(QStringLiteral("pctMaxHR"), 0, 1), QStringLiteral("--"));
        TReportOptions none = knownOptions();
        none.notch = none.lowpass = none.baseline = false;
        QCOMPARE(TErgoReport(*study, none).value(QStringLiteral("ecgFilters"), 0, 1), QStringLiteral("none"));
    }

    void personIdWithoutHistoryNumber()
    {
        const auto study = knownStudy();
        study->record().setPatientProperty(QStringLiteral("medicalHistoryNumber"), QString());
        study->record().setPatientProperty(QStringLiteral("personIdType"), QStringLiteral("DNI"));
        study->record().setPatientProperty(QStringLiteral("personIdNumber"), QStringLiteral("123"));
        TErgoReport report(*study, knownOptions());
        QCOMPARE(report.value(QStringLiteral("patientIdLabel"), 0, 1), QStringLiteral("Doc."));
        QCOMPARE(report.value(QStringLiteral("patientIdValue"), 0, 1), QStringLiteral("DNI 123"));
    }

    void printedEvents()
    {
        const auto study = knownStudy();
        TErgoReport report(*study, knownOptions());
        QCOMPARE(report.recordCount(QStringLiteral("events")), 3);
        QCOMPARE(report.recordCount(QStringLiteral("stages")), 0);
        QCOMPARE(report.value(QStringLiteral("eventDescription"), 0, 2), QStringLiteral("Premature beat"));
        QCOMPARE(report.value(QStringLiteral("eventTime"), 0, 2), QStringLiteral("01:15"));
        QCOMPARE(report.value(QStringLiteral("eventDescription"), 1, 3), QStringLiteral("Late"));
        QCOMPARE(report.value(QStringLiteral("eventDescription"), 3, 3), QString());
        // 12 s of recording: a 10 s stretch starts by 2 s at the latest, never before 0.
        QCOMPARE(report.eventStart(0, 10.0), 2.0); // past the end
        QCOMPARE(report.eventStart(1, 10.0), 2.0);
        QCOMPARE(report.eventStart(2, 10.0), 0.4);
        QCOMPARE(report.eventStart(2, 30.0), 0.0); // longer than the recording
        QCOMPARE(report.eventStart(7, 10.0), 0.0);
    }

    void rowOrder()
    {
        const auto study = knownStudy();
        TReportOptions o = knownOptions();
        auto labels = [&](TStudy& s) {
            QStringList out;
            for (const TErgoReport::RowLead& row : TErgoReport(s, o).rowOrder())
                out.append(row.label);
            return out;
        };
        QCOMPARE(labels(*study), (QStringList{"I", "II", "III", "aVR", "aVL", "aVF", "V5"}));
        o.hexaxialOrder = true;
        QCOMPARE(labels(*study), (QStringList{"aVL", "I", "-aVR", "II", "aVF", "III", "V5"}));
        // Leads that are not the limb leads keep their order.
        const char* const chest[] = {"V1", "V2", "V3", "V4", "V5", "V6", "I"};
        TStudy other(TStudyRecord(), recording(7, chest), nullptr);
        QCOMPARE(labels(other), (QStringList{"V1", "V2", "V3", "V4", "V5", "V6", "I"}));
    }

    void images()
    {
        QTemporaryDir dir;
        QImage logo(40, 20, QImage::Format_RGB32);
        logo.fill(Qt::red);
        const QString file = dir.filePath(QStringLiteral("logo.png"));
        QVERIFY(logo.save(file));
        const auto study = knownStudy();
        TReportOptions o = knownOptions();
        o.headerLogoFile = file;
        o.signatureFile = dir.filePath(QStringLiteral("missing.png"));
        TErgoReport report(*study, o);
        QCOMPARE(report.image(QStringLiteral("headerLogo"), 0).size(), QSize(40, 20));
        QVERIFY(report.image(QStringLiteral("signatureImage"), 0).isNull());
        QVERIFY(report.image(QStringLiteral("ecgFilters"), 0).isNull());
    }

    // A photograph chosen as a logo is read no larger than paper shows; a file
    // that says it is larger than any picture is not decoded at all.
    void largePictures()
    {
        QTemporaryDir dir;
        QImage wide(6000, 1500, QImage::Format_RGB32);
        wide.fill(Qt::darkGreen);
        const QString widePath = dir.filePath(QStringLiteral("wide.png"));
        QVERIFY(wide.save(widePath));
        QCOMPARE(TReportImage::load(widePath).size(), QSize(TReportImage::MaxSide, TReportImage::MaxSide / 4));

        // A PNG of 20000 x 20000 pixels (1.6 GB decoded) whose data is a few bytes.
        auto chunk = [](const QByteArray& type, const QByteArray& data) {
            QByteArray out;
            const quint32 length = qToBigEndian(quint32(data.size()));
            out.append(reinterpret_cast<const char*>(&length), 4);
            const QByteArray body = type + data;
            out.append(body);
            const quint32 crc =
                qToBigEndian(quint32(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))));
            out.append(reinterpret_cast<const char*>(&crc), 4);
            return out;
        };
        QByteArray header;
        for (quint32 v : {20000u, 20000u}) {
            const quint32 be = qToBigEndian(v);
            header.append(reinterpret_cast<const char*>(&be), 4);
        }
        header.append("\x08\x02\x00\x00\x00", 5);
        const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) +
                               chunk("IDAT", QByteArray("\x78\x9c\x03\x00\x00\x00\x00\x01", 8)) +
                               chunk("IEND", QByteArray());
        const QString bombPath = dir.filePath(QStringLiteral("huge.png"));
        QFile bomb(bombPath);
        QVERIFY(bomb.open(QIODevice::WriteOnly) && bomb.write(png) == png.size());
        bomb.close();
        QCOMPARE(QImageReader(bombPath).size(), QSize(20000, 20000));
        QVERIFY(TReportImage::load(bombPath).isNull());
        QVERIFY(TReportImage::load(dir.filePath(QStringLiteral("none.png"))).isNull());
    }

    // The templates ask for nothing the report does not answer.
    void templatesAskOnlyForKnownFields()
    {
        Q_INIT_RESOURCE(reports);
        for (bool tracesOnly : {false, true}) {
            const QString path = TStudyReport::templatePath(QStringLiteral("ECG"), tracesOnly);
            // Carried compressed.
            QVERIFY(QResource(path).isValid());
            QVERIFY(QResource(path).compressionAlgorithm() != QResource::NoCompression);
            const TReportTemplate t = TReportTemplate::load(path);
            QVERIFY(!t.fieldNames().isEmpty());
            for (const QString& field : t.fieldNames())
                QVERIFY2(field.startsWith(QLatin1Char('#')) || TErgoReport::answers(field), qPrintable(field));
        }
        for (const char* field : {"demo/", "beatMeasurement/QTcB", "ecgGraphic/6by2", "images"})
            QVERIFY2(!TErgoReport::answers(QLatin1String(field)), field);
    }

    // Columns of a layout continue in time, and an event's graphic starts at the
    // event: lead II spikes every 0.5 s, the others every second.
    void graphicsStartWhereTheyShould()
    {
        const auto study = knownStudy();
        TReportOptions o = knownOptions();
        o.speed = 25.0;
        o.amplitude = 10.0;
        o.startTime = 0.25;
        o.layout = QStringLiteral("4by3");
        TErgoReport report(*study, o);
        constexpr int DotsPerMm = 10;
        // Two columns of a 3by4 layout (the seven leads two to a column), 110 mm
        // wide each: 100 mm = 4 s of trace.
        QImage image(2200, 400, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            QVERIFY(report.draw(QStringLiteral("ecgGraphic/3by4/1"), 0, painter, QRectF(0, 0, 1100, 400), DotsPerMm));
            QVERIFY(
                report.draw(QStringLiteral("ecgGraphic/3by4/2"), 0, painter, QRectF(1100, 0, 1100, 400), DotsPerMm));
            QVERIFY(!report.draw(QStringLiteral("ecgFilters"), 0, painter, QRectF(0, 0, 10, 10), DotsPerMm));
        }
        // Row 0 (lead I): a spike at 1 s is 0.75 s into column 1 and at 5 s is
        // 0.75 s into column 2 (which starts at 4.25 s).
        const double leading = 10.0;
        for (double at : {leading + 0.75 * 25.0, 110.0 + leading + 0.75 * 25.0})
            QVERIFY2(dark(image, int(at * DotsPerMm) - 2, 0, 60, 6) >= 0, qPrintable(QString::number(at)));
        // Event 2 ("Early", 0.4 s) on a 260 mm graphic: lead I spikes at 0.6 s in.
        QImage event(2600, 400, QImage::Format_ARGB32_Premultiplied);
        event.fill(Qt::white);
        {
            QPainter painter(&event);
            QVERIFY(
                report.draw(QStringLiteral("ecgGraphic/event/7by1"), 2, painter, QRectF(0, 0, 2600, 400), DotsPerMm));
        }
        const int x = int((leading + 0.6 * 25.0) * DotsPerMm);
        QVERIFY(dark(event, x - 2, 0, 30, 6) >= 0); // a spike's line is a few dots wide
        QCOMPARE(dark(event, x - 30, 0, 30), -1);
    }
private:
    QTemporaryDir m_home;
};

QTEST_MAIN(TestErgoReport)
#include "tst_ergoreport.moc"
