// A resting ECG's values read against the species' ranges, as the review
// window, the report and velmora-cli show them: each value with its unit and
// mark, the range of the animal's class, and what the ranges were taken for.

#include "TMeasurementNorms.h"
#include "TStudyRecord.h"
#include "TStudyResults.h"

#include <QtTest>

namespace {

// A beat measured at 150/min (RR 0.4 s): PR 100 ms, P 40 ms, QRS 60 ms, QT 200 ms.
TStudyResults measured(double rAmp = 2.6, double pAmp = 0.2)
{
    TStudyResults r;
    const QMap<QString, double> values = {{"measurementChannel", 1}, {"POnset", -0.14}, {"POffset", -0.1},
                                          {"QRSOnset", -0.04},      {"QRSOffset", 0.02}, {"TOnset", 0.06},
                                          {"TPeak", 0.1},           {"TOffset", 0.16},  {"avgRRInterval", 0.4},
                                          {"QRSAxis", 30.0},        {"PAmp", pAmp},     {"QRSAmp", 3.1},
                                          {"RAmp", rAmp},           {"TAmp", 0.3}};
    for (auto it = values.begin(); it != values.end(); ++it)
        *r.value(it.key()) = it.value();
    return r;
}

TStudyRecord animal(const QString& species, const QString& weight = QString(), const QString& age = QString())
{
    TStudyRecord record;
    record.setPatientProperty(QStringLiteral("animalSpecies"), species);
    record.setPatientProperty(QStringLiteral("weight"), weight);
    record.setPatientProperty(QStringLiteral("age"), age);
    return record;
}

} // namespace

class TestMeasurementNorms : public QObject
{
    Q_OBJECT

private slots:
    void itemsOfASmallDog()
    {
        const TMeasurementNorms n(animal("Perro", "9", "6"), measured(), "II", TSpeciesTable::shipped(),
                                  TQtcFormula::VanDeWater);
        struct Expect
        {
            const char* key;
            const char* shown;
            const char* unit;
            const char* range;
            const char* flag;
        };
        // 150/min, PR 100, P 40 (at its limit), QRS 60 (a small dog's limit is 50),
        // QT 200, QTc 200 + 0.087 x 600 = 252, axis 30 (below 40), R 2.60 (above 2.5).
        const Expect expected[] = {
            {"HR", "150", "/min", "60–160", "normal"},   {"RR", "400", "ms", "", ""},
            {"PR", "100", "ms", "60–130", "normal"},      {"P", "40", "ms", "≤ 40", "normal"},
            {"QRS", "60 H", "ms", "≤ 50", "high"},        {"QT", "200", "ms", "150–250", "normal"},
            {"QTc", "252", "ms", "", ""},                 {"QRS_axis", "30 L", "°", "40–100", "low"},
            {"P_amp", "0.20", "mV", "≤ 0.4", "normal"},   {"QRS_amp", "3.10", "mV", "", ""},
            {"R_amp", "2.60 H", "mV", "≤ 2.5", "high"},   {"T_amp", "0.30", "mV", "", ""},
        };
        for (const Expect& e : expected) {
            const TMeasurementNorms::Item* item = n.item(QLatin1String(e.key));
            QVERIFY2(item, e.key);
            const QString shown = item->quantity ? TMeasurementNorms::markedText(*item) : TMeasurementNorms::valueText(*item);
            QCOMPARE(shown, QString::fromUtf8(e.shown));
            QCOMPARE(item->unit, QString::fromUtf8(e.unit));
            QCOMPARE(TMeasurementNorms::rangeText(*item), QString::fromUtf8(e.range));
            QCOMPARE(TNormAssessment::flagWord(item->flag), QLatin1String(e.flag));
        }
        QCOMPARE(n.item("QTc")->label, QStringLiteral("QTc (Van de Water)"));
        QCOMPARE(n.basisText(), QStringLiteral("Ranges for Dog, small breed, adult (lead II at rest)"));
        QVERIFY(!n.otherLead());
    }

    // Amplitudes are flagged as they are shown: 2.504 mV prints as 2.50 and is
    // within a small dog's 2.5; 2.506 prints 2.51 and is not.
    void amplitudesAsShown_data()
    {
        QTest::addColumn<double>("rAmp");
        QTest::addColumn<QString>("shown");
        QTest::newRow("2.504") << 2.504 << "2.50";
        QTest::newRow("2.506") << 2.506 << "2.51 H";
    }
    void amplitudesAsShown()
    {
        QFETCH(double, rAmp);
        QFETCH(QString, shown);
        const TMeasurementNorms n(animal("dog", "9", "6"), measured(rAmp), "II", TSpeciesTable::shipped());
        QCOMPARE(TMeasurementNorms::markedText(*n.item("R_amp")), shown);
    }

    void anotherLeadIsSaid()
    {
        const TMeasurementNorms n(animal("felino"), measured(), "I", TSpeciesTable::shipped());
        QVERIFY(n.otherLead());
        QCOMPARE(n.basisText(), QStringLiteral("Ranges for Cat (lead II at rest); measured in lead I"));
        // A cat at 150/min is in range; its QRS of 60 ms is not.
        QCOMPARE(n.item("HR")->flag, TNormAssessment::Flag::Normal);
        QCOMPARE(n.item("QRS")->flag, TNormAssessment::Flag::High);
    }

    void noSpeciesNoRanges_data()
    {
        QTest::addColumn<QString>("species");
        QTest::addColumn<QString>("basis");
        QTest::newRow("unknown") << "Loro" << "No reference ranges for the species \"Loro\"";
        QTest::newRow("empty") << "  " << "No reference ranges: no species given";
    }
    void noSpeciesNoRanges()
    {
        QFETCH(QString, species);
        QFETCH(QString, basis);
        const TMeasurementNorms n(animal(species), measured(), "II", TSpeciesTable::shipped());
        QCOMPARE(n.basisText(), basis);
        for (const TMeasurementNorms::Item& item : n.items()) {
            QVERIFY2(!item.range, qPrintable(item.key));
            QCOMPARE(item.flag, TNormAssessment::Flag::None);
            QVERIFY(!TMeasurementNorms::markedText(item).contains(QLatin1Char(' ')));
        }
    }

    void notMeasuredIsNoValue()
    {
        const TMeasurementNorms n(animal("dog"), TStudyResults(), QString(), TSpeciesTable::shipped());
        for (const TMeasurementNorms::Item& item : n.items()) {
            QVERIFY2(!item.value, qPrintable(item.key));
            QCOMPARE(item.flag, TNormAssessment::Flag::None);
            QVERIFY(TMeasurementNorms::markedText(item).isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestMeasurementNorms)
#include "tst_measurementnorms.moc"
