#include "TQtcFormula.h"
#include "TSettingsKeys.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

// QTc by each formula against values worked by hand, QT 200 ms:
//   60/min  RR 1.0 s:  every formula leaves 200.
//   120/min RR 0.5 s:  Bazett 200/0.70711 = 282.8; Fridericia 200/0.79370 = 251.98;
//                      Framingham 200 + 154 x 0.5 = 277; Hodges 200 + 1.75 x 60 = 305;
//                      Van de Water 200 - 0.087 x (500 - 1000) = 243.5.
//   240/min RR 0.25 s: Bazett 200/0.5 = 400; Fridericia 200/0.62996 = 317.5;
//                      Framingham 200 + 154 x 0.75 = 315.5; Hodges 200 + 1.75 x 180 = 515;
//                      Van de Water 200 + 0.087 x 750 = 265.25.
class TestQtcFormula : public QObject
{
    Q_OBJECT

private slots:
    void correct_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("qt");
        QTest::addColumn<double>("rr");
        QTest::addColumn<int>("expected");
        const int expected[5][3] = {
            {200, 282, 400}, {200, 251, 317}, {200, 277, 315}, {200, 305, 515}, {200, 243, 265}};
        const double rr[3] = {1.0, 0.5, 0.25};
        const int rate[3] = {60, 120, 240};
        for (int k = 0; k < TQtcFormula::KindCount; ++k)
            for (int r = 0; r < 3; ++r)
                QTest::addRow("%s %d/min", qPrintable(TQtcFormula(TQtcFormula::Kind(k)).name()), rate[r])
                    << k << 200.0 << rr[r] << expected[k][r];
        // A dog's QT of 180 ms at 150/min (RR 400 ms): 180 + 0.087 x 600 = 232.2.
        QTest::newRow("Van de Water dog") << int(TQtcFormula::VanDeWater) << 180.0 << 0.4 << 232;
        // Bazett's classic: 400 ms at RR 0.64 s is exactly 500, not 499.
        QTest::newRow("Bazett exact") << int(TQtcFormula::Bazett) << 400.0 << 0.64 << 500;
        // At slow rates the correction shortens the QT: a horse at 30/min.
        QTest::newRow("Framingham horse") << int(TQtcFormula::Framingham) << 500.0 << 2.0 << 346;
    }
    void correct()
    {
        QFETCH(int, kind);
        QFETCH(double, qt);
        QFETCH(double, rr);
        QFETCH(int, expected);
        const std::optional<int> qtc = TQtcFormula(TQtcFormula::Kind(kind)).correct(qt, rr);
        QVERIFY(qtc);
        QCOMPARE(*qtc, expected);
    }

    void noRateNoCorrection()
    {
        for (int k = 0; k < TQtcFormula::KindCount; ++k) {
            const TQtcFormula f{TQtcFormula::Kind(k)};
            QVERIFY(!f.correct(300.0, 0.0));
            QVERIFY(!f.correct(300.0, -0.5));
            QVERIFY(!f.correct(300.0, std::nan("")));
            QVERIFY(!f.correct(300.0, std::numeric_limits<double>::infinity()));
        }
    }

    void settingsWords_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("ok");
        QTest::newRow("absent") << QString() << "Bazett" << true;
        QTest::newRow("fridericia") << "fridericia" << "Fridericia" << true;
        QTest::newRow("upper case") << "  FRAMINGHAM " << "Framingham" << true;
        QTest::newRow("hodges") << "hodges" << "Hodges" << true;
        QTest::newRow("canine") << "vandewater" << "Van de Water" << true;
        QTest::newRow("typo") << "fridercia" << "Bazett" << false;
    }
    void settingsWords()
    {
        QFETCH(QString, word);
        QFETCH(QString, name);
        QFETCH(bool, ok);
        bool read = !ok;
        const TQtcFormula f = TQtcFormula::fromWord(word, &read);
        QCOMPARE(f.name(), name);
        QCOMPARE(read, ok);
        if (ok && !word.isEmpty())
            QCOMPARE(TQtcFormula::fromWord(f.word()), f);
    }

    void fromTheSetting()
    {
        QTemporaryDir dir;
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        QCoreApplication::setOrganizationName(QStringLiteral("Cardivex"));
        QCoreApplication::setApplicationName(QStringLiteral("Velmora"));
        QCOMPARE(TQtcFormula::fromSettings().kind(), TQtcFormula::Bazett);
        {
            QSettings settings;
            settings.setValue(QLatin1String(TSettingsKeys::QTcFormula), QStringLiteral("vandewater"));
        }
        QCOMPARE(TQtcFormula::fromSettings().kind(), TQtcFormula::VanDeWater);
        {
            QSettings settings;
            settings.setValue(QLatin1String(TSettingsKeys::QTcFormula), 42);
        }
        QCOMPARE(TQtcFormula::fromSettings().kind(), TQtcFormula::Bazett);
    }
};

QTEST_GUILESS_MAIN(TestQtcFormula)
#include "tst_qtcformula.moc"
