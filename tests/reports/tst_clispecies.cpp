// velmora-cli records a resting ECG of the demo recording as the species the
// clinic writes, shows each measured value with its unit, the species' range
// and a flag, and prints the report with the ranges and marks; a faulty
// reference range file in the data folder is said and the shipped ranges used.

#include "ReportTestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestCliSpecies : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QFileInfo::exists(cli()))
            QSKIP("velmora-cli is not beside the tests");
        if (!QFileInfo::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/ecg500.dat")) &&
            !QFileInfo::exists(QStringLiteral("ecg500.dat")))
            QSKIP("the demo recording ecg500.dat is not beside the tests");
    }

    void showsRangesAndFlags_data()
    {
        QTest::addColumn<QString>("species");
        QTest::addColumn<QString>("id");
        QTest::addColumn<double>("heartRateLow");
        QTest::newRow("Gato") << "Gato" << "cat" << 140.0;
        QTest::newRow("PERRO") << "PERRO" << "dog" << 60.0;
        QTest::newRow("equine") << "equine" << "horse" << 28.0;
    }
    void showsRangesAndFlags()
    {
        QFETCH(QString, species);
        QFETCH(QString, id);
        QFETCH(double, heartRateLow);
        QTemporaryDir folder;
        const QString data = folder.filePath(QStringLiteral("studies"));
        const int study = record(folder, data, species);
        QVERIFY(study > 0);
        QString out;
        QCOMPARE(run(folder, {"--data", data, "show", "--id", QString::number(study), "--json"}, &out), 0);
        const QJsonObject o = QJsonDocument::fromJson(out.toUtf8()).object();
        QCOMPARE(o.value("patient").toObject().value("animalSpecies").toString(), species);
        const QJsonObject m = o.value("measurements").toObject();
        QCOMPARE(m.value("species").toString(), id);
        QCOMPARE(m.value("lead").toString(), QStringLiteral("II"));
        const QJsonObject values = m.value("values").toObject();
        const QJsonObject hr = values.value("HR").toObject();
        QCOMPARE(hr.value("unit").toString(), QStringLiteral("/min"));
        QCOMPARE(hr.value("range").toObject().value("low").toDouble(), heartRateLow);
        QVERIFY(!hr.value("range").toObject().value("source").toString().isEmpty());
        const double rate = hr.value("value").toDouble();
        const double low = hr.value("range").toObject().value("low").toDouble();
        const double high = hr.value("range").toObject().value("high").toDouble();
        QCOMPARE(hr.value("flag").toString(), rate < low ? QStringLiteral("low") : rate > high ? QStringLiteral("high")
                                                                                             : QStringLiteral("normal"));
        // The QTc names its formula and is computed by it from the values shown.
        const QJsonObject qtc = values.value("QTc").toObject();
        QCOMPARE(qtc.value("formula").toString(), QStringLiteral("Bazett"));
        QVERIFY(qtc.value("range").isNull());
        const double qt = values.value("QT").toObject().value("value").toDouble();
        const double rr = values.value("RR").toObject().value("value").toDouble() / 1000.0;
        QVERIFY(qt > 0.0 && rr > 0.0);
        QVERIFY(std::abs(qtc.value("value").toDouble() - std::trunc(qt / std::sqrt(rr))) <= 1.0);
        // Every value carries a unit; a value without a range has no flag.
        for (const QString& key : values.keys()) {
            const QJsonObject v = values.value(key).toObject();
            QVERIFY2(!v.value("unit").toString().isEmpty(), qPrintable(key));
            if (v.value("range").isNull())
                QVERIFY2(v.value("flag").isNull(), qPrintable(key));
        }
    }

    void unknownSpeciesHasNoRanges()
    {
        QTemporaryDir folder;
        const QString data = folder.filePath(QStringLiteral("studies"));
        const int study = record(folder, data, QString::fromUtf8("Hurón"));
        QVERIFY(study > 0);
        QString out;
        QCOMPARE(run(folder, {"--data", data, "show", "--id", QString::number(study), "--json"}, &out), 0);
        const QJsonObject m = QJsonDocument::fromJson(out.toUtf8()).object().value("measurements").toObject();
        QVERIFY(m.value("species").isNull());
        const QJsonObject values = m.value("values").toObject();
        QVERIFY(!values.isEmpty());
        for (const QString& key : values.keys()) {
            QVERIFY2(values.value(key).toObject().value("range").isNull(), qPrintable(key));
            QVERIFY2(values.value(key).toObject().value("flag").isNull(), qPrintable(key));
        }
    }

    void faultyRangeFileIsSaid()
    {
        QTemporaryDir folder;
        const QString data = folder.filePath(QStringLiteral("studies"));
        const int study = record(folder, data, QStringLiteral("gato"));
        QVERIFY(study > 0);
        QFile file(data + QStringLiteral("/species-ranges.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("range cat any HR = 100; 2OO\n");
        file.close();
        QString out;
        QString err;
        QCOMPARE(run(folder, {"--data", data, "show", "--id", QString::number(study), "--json"}, &out, &err), 0);
        QVERIFY2(err.contains(QStringLiteral("line 1: \"2OO\" is not a number")), qPrintable(err));
        QVERIFY(err.contains(QStringLiteral("The shipped ranges are used.")));
        const QJsonObject hr = QJsonDocument::fromJson(out.toUtf8())
                                   .object()
                                   .value("measurements")
                                   .toObject()
                                   .value("values")
                                   .toObject()
                                   .value("HR")
                                   .toObject();
        QCOMPARE(hr.value("range").toObject().value("low").toDouble(), 140.0);
    }

    void reportPrintsRangesAndMarks()
    {
        if (!ReportTest::havePoppler())
            QSKIP("poppler-utils are not installed");
        QTemporaryDir folder;
        const QString data = folder.filePath(QStringLiteral("studies"));
        const int study = record(folder, data, QStringLiteral("Felino"));
        QVERIFY(study > 0);
        const QString pdf = folder.filePath(QStringLiteral("cat.pdf"));
        QCOMPARE(run(folder, {"--data", data, "report", "--id", QString::number(study), "--out", pdf}), 0);
        const QString text =
            ReportTest::poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY2(text.contains(QStringLiteral("Ranges for Cat (lead II at rest). H: above the range, L: below it.")),
                 qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("(Bazett)")));
        QVERIFY(text.contains(QString::fromUtf8("140–240")));
        if (const QString keep = qEnvironmentVariable("VELMORA_KEEP_REPORTS"); !keep.isEmpty())
            QFile::copy(pdf, QDir(keep).filePath(QStringLiteral("cat.pdf")));
    }

private:
    static QString cli() { return QCoreApplication::applicationDirPath() + QStringLiteral("/velmora-cli"); }

    static int run(const QTemporaryDir& folder, const QStringList& arguments, QString* out = nullptr,
                   QString* err = nullptr)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), folder.filePath(QStringLiteral("data")));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(QCoreApplication::applicationDirPath());
        p.start(cli(), arguments);
        if (!p.waitForFinished(90000))
            return -1;
        if (out)
            *out = QString::fromUtf8(p.readAllStandardOutput());
        if (err)
            *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    }

    static int record(const QTemporaryDir& folder, const QString& data, const QString& species)
    {
        QString out;
        if (run(folder, {"--data", data, "record", "--demo", "--seconds", "8", "--last", "Toby", "--first", "Max",
                         "--species", species},
                &out) != 0)
            return 0;
        return out.trimmed().toInt();
    }
};

QTEST_MAIN(TestCliSpecies)
#include "tst_clispecies.moc"
