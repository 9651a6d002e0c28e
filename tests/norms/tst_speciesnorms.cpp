#include "TException.h"
#include "TNormAssessment.h"
#include "TSpeciesTable.h"
#include "TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using Q = TNormQuantity;
Q_DECLARE_METATYPE(TNormQuantity)
Q_DECLARE_METATYPE(TNormAssessment::Flag)

class TestSpeciesNorms : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { TSpeciesTable::resetActive(); }

    void shippedTableReads()
    {
        // The shipped table must parse whole: a fault there would leave every
        // study without ranges.
        const TSpeciesTable table = TSpeciesTable::merged(TSpeciesTable(), TSpeciesTable::parse(TSpeciesTable::shippedText()));
        QCOMPARE(table.speciesIds(), (QStringList{"dog", "cat", "horse"}));
        QCOMPARE(TSpeciesTable::shipped().speciesIds(), table.speciesIds());
        // Every range cites a source that the table gives.
        for (const QString& id : table.speciesIds())
            for (int q = 0; q < NormQuantityCount; ++q)
                for (TBodySize size : {TBodySize::Small, TBodySize::Large, TBodySize::Giant, TBodySize::Unknown})
                    if (auto r = table.range(id, Q(q), size, TAgeGroup::Adult))
                        QVERIFY2(!table.source(r->source).isEmpty(), qPrintable(id + TSpeciesTable::quantityWord(Q(q))));
    }

    void speciesNames_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("species");
        QTest::newRow("Perro") << "Perro" << "dog";
        QTest::newRow("dog") << "dog" << "dog";
        QTest::newRow("CANINE") << "CANINE" << "dog";
        QTest::newRow("Canino macho") << "Canino macho" << "dog";
        QTest::newRow("perra, mestiza") << "  perra, mestiza " << "dog";
        QTest::newRow("Gato") << "Gato" << "cat";
        QTest::newRow("felino") << "felino" << "cat";
        QTest::newRow("Felino doméstico") << QString::fromUtf8("Felino doméstico") << "cat";
        QTest::newRow("FELINE") << "FELINE" << "cat";
        QTest::newRow("Caballo") << "Caballo" << "horse";
        QTest::newRow("equine") << "equine" << "horse";
        QTest::newRow("Équino accented") << QString::fromUtf8("Équino") << "horse";
        QTest::newRow("Yegua") << "Yegua" << "horse";
        QTest::newRow("Equus caballus") << "Equus caballus" << "horse";
        QTest::newRow("unknown: Hurón") << QString::fromUtf8("Hurón") << "";
        QTest::newRow("unknown: empty") << "" << "";
        QTest::newRow("unknown: part of a word") << "Gatopardo" << "";
        QTest::newRow("two species named") << "perro y gato" << "";
    }
    void speciesNames()
    {
        QFETCH(QString, text);
        QFETCH(QString, species);
        QCOMPARE(TSpeciesTable::shipped().speciesOf(text), species);
    }

    // A value just inside and just outside each bound of the shipped ranges.
    void bounds_data()
    {
        QTest::addColumn<QString>("species");
        QTest::addColumn<QString>("weight");
        QTest::addColumn<QString>("age");
        QTest::addColumn<TNormQuantity>("quantity");
        QTest::addColumn<double>("value");
        QTest::addColumn<TNormAssessment::Flag>("flag");
        using F = TNormAssessment::Flag;
        struct Row
        {
            const char* species;
            const char* weight;
            const char* age;
            Q q;
            double low, high; // -1: no such bound
            double step;
        };
        const Row rows[] = {
            {"Perro", "12", "5", Q::HeartRate, 60, 160, 1},
            {"Perro", "12", "3 meses", Q::HeartRate, 60, 220, 1},
            {"Perro", "12", "5", Q::PDuration, -1, 40, 1},
            {"Perro", "55", "5", Q::PDuration, -1, 50, 1},
            {"Perro", "12", "5", Q::PAmplitude, -1, 0.4, 0.01},
            {"Perro", "12", "5", Q::PR, 60, 130, 1},
            {"Perro", "12", "5", Q::QRS, -1, 50, 1},
            {"Perro", "30", "5", Q::QRS, -1, 60, 1},
            {"Perro", "12", "5", Q::RAmplitude, -1, 2.5, 0.01},
            {"Perro", "30", "5", Q::RAmplitude, -1, 3.0, 0.01},
            {"Perro", "12", "5", Q::QT, 150, 250, 1},
            {"Perro", "12", "5", Q::Axis, 40, 100, 1},
            {"Gato", "", "", Q::HeartRate, 140, 240, 1},
            {"Gato", "", "", Q::PDuration, -1, 40, 1},
            {"Gato", "", "", Q::PAmplitude, -1, 0.2, 0.01},
            {"Gato", "", "", Q::PR, 50, 90, 1},
            {"Gato", "", "", Q::QRS, -1, 40, 1},
            {"Gato", "", "", Q::RAmplitude, -1, 0.9, 0.01},
            {"Gato", "", "", Q::QT, 120, 180, 1},
            {"Gato", "", "", Q::Axis, 0, 160, 1},
            {"Caballo", "500", "", Q::HeartRate, 28, 44, 1},
            {"Caballo", "500", "", Q::PDuration, -1, 160, 1},
            {"Caballo", "500", "", Q::PR, -1, 500, 1},
            {"Caballo", "500", "", Q::QRS, -1, 140, 1},
            {"Caballo", "500", "", Q::QT, -1, 600, 1},
        };
        for (const Row& r : rows) {
            const QString name = QStringLiteral("%1 %2kg %3 %4").arg(QLatin1String(r.species), QLatin1String(r.weight),
                                                                  QLatin1String(r.age), TSpeciesTable::quantityWord(r.q));
            auto add = [&](const char* what, double v, F f) {
                QTest::newRow(qPrintable(name + QLatin1Char(' ') + QLatin1String(what)))
                    << r.species << r.weight << r.age << r.q << v << f;
            };
            if (r.low >= 0) {
                add("at low", r.low, F::Normal);
                add("below low", r.low - r.step, F::Low);
            } else {
                add("zero", 0.0, F::Normal);
            }
            add("at high", r.high, F::Normal);
            add("above high", r.high + r.step, F::High);
        }
        // A horse's QT of 550 ms at rest is normal; a dog's PR of 140 ms is long.
        QTest::newRow("horse QT 550") << "equine" << "" << "" << Q::QT << 550.0 << F::Normal;
        QTest::newRow("dog PR 140") << "dog" << "" << "" << Q::PR << 140.0 << F::High;
        QTest::newRow("cat HR 200") << "cat" << "" << "" << Q::HeartRate << 200.0 << F::Normal;
        // Size not known: the widest limit of the sizes, so that what is
        // flagged is out of range for any dog.
        QTest::newRow("dog no weight QRS 58") << "dog" << "" << "" << Q::QRS << 58.0 << F::Normal;
        QTest::newRow("dog no weight QRS 61") << "dog" << "" << "" << Q::QRS << 61.0 << F::High;
        QTest::newRow("dog no weight P 45") << "dog" << "" << "" << Q::PDuration << 45.0 << F::Normal;
        // Age not known: the adult heart rate.
        QTest::newRow("dog no age HR 170") << "dog" << "10" << "" << Q::HeartRate << 170.0 << F::High;
        QTest::newRow("puppy 10 weeks HR 210") << "dog" << "3" << "10 semanas" << Q::HeartRate << 210.0 << F::Normal;
        // Unknown species, or a quantity the species has no range for: no flag.
        QTest::newRow("ferret") << QString::fromUtf8("Hurón") << "" << "" << Q::HeartRate << 400.0 << F::None;
        QTest::newRow("horse axis") << "horse" << "" << "" << Q::Axis << 170.0 << F::None;
    }
    void bounds()
    {
        QFETCH(QString, species);
        QFETCH(QString, weight);
        QFETCH(QString, age);
        QFETCH(TNormQuantity, quantity);
        QFETCH(double, value);
        QFETCH(TNormAssessment::Flag, flag);
        const TNormAssessment a(TSpeciesTable::shipped(), species, weight, age);
        QCOMPARE(a.flag(quantity, value), flag);
        QCOMPARE(a.range(quantity).has_value(), flag != TNormAssessment::Flag::None);
    }

    void basisAndTexts()
    {
        const TSpeciesTable& t = TSpeciesTable::shipped();
        QCOMPARE(TNormAssessment(t, "Perro", "8,5", "2").basis(), QStringLiteral("Dog, small breed, adult"));
        QCOMPARE(TNormAssessment(t, "perro", "", "").basis(),
                 QStringLiteral("Dog, size not known (no weight), adult ranges (no age)"));
        QCOMPARE(TNormAssessment(t, "GATO", "4", "").basis(), QStringLiteral("Cat"));
        QVERIFY(TNormAssessment(t, "loro").basis().isEmpty());
        QVERIFY(TNormAssessment(t, "perro").sizeGuessed(Q::QRS));
        QVERIFY(!TNormAssessment(t, "perro").sizeGuessed(Q::PR));
        const TReferenceRange both{60.0, 160.0, QString()};
        const TReferenceRange high{std::nullopt, 0.4, QString()};
        QCOMPARE(TNormAssessment::rangeText(both, Q::HeartRate, true), QString::fromUtf8("60–160 /min"));
        QCOMPARE(TNormAssessment::rangeText(high, Q::PAmplitude), QString::fromUtf8("≤ 0.4"));
        QCOMPARE(TNormAssessment::rangeText(TReferenceRange{std::nullopt, 3.0, {}}, Q::RAmplitude, true),
                 QString::fromUtf8("≤ 3.0 mV"));
        QCOMPARE(TNormAssessment::rangeText(TReferenceRange{40.0, 100.0, {}}, Q::Axis, true), QString::fromUtf8("40–100°"));
        QCOMPARE(TNormAssessment::flagWord(TNormAssessment::Flag::High), QStringLiteral("high"));
        QCOMPARE(TNormAssessment::ageYears("6 months").value(), 0.5);
        QCOMPARE(TNormAssessment::ageYears(QString::fromUtf8("4 años")).value(), 4.0);
        QVERIFY(!TNormAssessment::ageYears("adulto"));
    }

    void clinicOverride()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(TSpeciesTable::OverrideFileName),
                          "# our own limits\n"
                          "range dog any HR = 70; 150 [clinic]\n"
                          "range dog any Axis = ; \n"
                          "names cat = michi\n"
                          "species ferret = Ferret\n"
                          "names ferret = huron; ferret\n"
                          "range ferret any HR = 180; 250 [clinic]\n"
                          "source clinic = Our clinic's own series, 2024\n"));
        QVERIFY(TSpeciesTable::activate(dir.path()).isEmpty());
        const TSpeciesTable& t = TSpeciesTable::active();
        QCOMPARE(t.range("dog", Q::HeartRate, TBodySize::Small, TAgeGroup::Adult)->high.value(), 150.0);
        QVERIFY(!t.range("dog", Q::Axis, TBodySize::Small, TAgeGroup::Adult));
        // What the clinic did not mention stays as shipped.
        QCOMPARE(t.range("dog", Q::PR, TBodySize::Small, TAgeGroup::Adult)->high.value(), 130.0);
        QCOMPARE(t.speciesOf("Michi"), QStringLiteral("cat"));
        QCOMPARE(t.speciesOf("gato"), QStringLiteral("cat"));
        QCOMPARE(t.speciesOf(QString::fromUtf8("Hurón")), QStringLiteral("ferret"));
        QCOMPARE(TNormAssessment(t, "ferret").flag(Q::HeartRate, 260.0), TNormAssessment::Flag::High);
        TSpeciesTable::resetActive();
        QVERIFY(TSpeciesTable::active().speciesOf("huron").isEmpty());
    }

    void malformedOverride_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("says");
        QTest::newRow("typo in a number") << QByteArray("range dog any HR = 70; 1S0\n") << "line 2: \"1S0\" is not a number";
        QTest::newRow("unknown quantity") << QByteArray("\n\nrange dog any HRT = 70; 150\n") << "line 4: unknown quantity";
        QTest::newRow("unknown class") << QByteArray("range dog medium QRS = ; 55\n") << "unknown class \"medium\"";
        QTest::newRow("no equals") << QByteArray("range dog any HR 70 150\n") << "line 2: \"=\" is missing";
        QTest::newRow("bounds reversed") << QByteArray("range cat any PR = 90; 50\n") << "low bound is above";
        QTest::newRow("undeclared species") << QByteArray("range parrot any HR = 200; 300\n") << "\"parrot\" is used but never declared";
        QTest::newRow("uncited source") << QByteArray("range dog any HR = 70; 150 [nobody]\n") << "[nobody] is cited";
        QTest::newRow("name of two species") << QByteArray("names cat = perro\n") << "given to both";
        QTest::newRow("unknown statement") << QByteArray("rango dog any HR = 70; 150\n") << "unknown statement \"rango\"";
        QTest::newRow("binary garbage") << QByteArray("\x00\xff\xfe=\x01\n", 6) << "line 2";
        QTest::newRow("one bound only") << QByteArray("range dog any HR = 70\n") << "\"low; high\"";
    }
    void malformedOverride()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, says);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(TSpeciesTable::OverrideFileName), "range dog any HR = 1; 2\n" + text));
        const QString message = TSpeciesTable::activate(dir.path());
        QVERIFY2(message.contains(says), qPrintable(message));
        QVERIFY(message.contains(TSpeciesTable::OverrideFileName));
        QVERIFY(message.endsWith("The shipped ranges are used."));
        // Nothing of the faulty file is used, not even its good lines.
        QCOMPARE(TSpeciesTable::active().range("dog", Q::HeartRate, TBodySize::Small, TAgeGroup::Adult)->low.value(), 60.0);
    }

    void noOverrideFile()
    {
        QTemporaryDir dir;
        QVERIFY(TSpeciesTable::activate(dir.path()).isEmpty());
        QVERIFY(TSpeciesTable::activate(QString()).isEmpty());
        QCOMPARE(TSpeciesTable::active().speciesOf("dog"), QStringLiteral("dog"));
    }
};

QTEST_GUILESS_MAIN(TestSpeciesNorms)
#include "tst_speciesnorms.moc"
