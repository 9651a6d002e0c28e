// The blood pressure dialog: typing moves on to the diastolic field once the
// systolic has its digits, OK only for a pair that can be right, the "Print
// this stage" choice remembered at OK and left alone by Cancel.

#include "BPDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestBPDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
        QCoreApplication::setOrganizationName(QStringLiteral("Cardivex"));
        QCoreApplication::setApplicationName(QStringLiteral("Velmora"));
    }

    void init() { QSettings().clear(); }

    void typing_data()
    {
        QTest::addColumn<QString>("systolic");
        QTest::addColumn<int>("movesAfter"); // digits typed when the focus went on; 0: never
        QTest::addColumn<QString>("diastolic");
        QTest::addColumn<bool>("okEnabled");
        QTest::newRow("120 / 80") << "120" << 3 << "80" << true;
        QTest::newRow("95 / 60") << "95" << 2 << "60" << true;
        QTest::newRow("equal") << "120" << 3 << "120" << false;
        QTest::newRow("systolic below diastolic") << "80" << 2 << "120" << false;
        QTest::newRow("a cat's low pressure") << "35" << 0 << "20" << true;
        QTest::newRow("no diastolic") << "140" << 3 << "" << false;
        QTest::newRow("zero") << "0" << 0 << "0" << false;
        QTest::newRow("letters are not taken") << "1a2" << 0 << "b" << false;
    }

    void typing()
    {
        QFETCH(QString, systolic);
        QFETCH(int, movesAfter);
        QFETCH(QString, diastolic);
        BPDialog dialog(nullptr, QStringLiteral("Exercise 2"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* sbp = dialog.findChild<QLineEdit*>(QStringLiteral("txtSBP"));
        auto* dbp = dialog.findChild<QLineEdit*>(QStringLiteral("txtDBP"));
        QPushButton* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        QVERIFY(!ok->isEnabled());
        sbp->setFocus();
        int movedAfter = 0;
        for (int i = 0; i < systolic.size(); ++i) {
            QTest::keyClick(sbp, systolic[i].toLatin1());
            if (!movedAfter && dbp->hasFocus())
                movedAfter = i + 1;
        }
        QCOMPARE(movedAfter, movesAfter);
        dbp->setFocus();
        QTest::keyClicks(dbp, diastolic);
        QTEST(ok->isEnabled(), "okEnabled");
        // Return takes only what OK would.
        QTest::keyClick(dbp, Qt::Key_Return);
        QFETCH(bool, okEnabled);
        QCOMPARE(dialog.result(), okEnabled ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCOMPARE(dialog.systolic(), okEnabled ? systolic.toInt() : 0);
        QCOMPARE(dialog.diastolic(), okEnabled ? diastolic.toInt() : 0);
    }

    void returnInTheSystolicFieldMovesOn()
    {
        BPDialog dialog(nullptr, QStringLiteral("Rest"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* sbp = dialog.findChild<QLineEdit*>(QStringLiteral("txtSBP"));
        sbp->setFocus();
        QTest::keyClicks(sbp, QStringLiteral("9"));
        QVERIFY(sbp->hasFocus());
        // One digit is a whole value: the field's mask asks for one and takes two more.
        QVERIFY(sbp->hasAcceptableInput());
        QTest::keyClick(sbp, Qt::Key_Return);
        QVERIFY(dialog.findChild<QLineEdit*>(QStringLiteral("txtDBP"))->hasFocus());
        QVERIFY(dialog.isVisible());
    }

    void printChoiceIsRemembered()
    {
        {
            BPDialog dialog(nullptr, QStringLiteral("Exercise 1"));
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Enter BP"));
            QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lblStageInfo"))->text(),
                     QStringLiteral("Stage: Exercise 1"));
            QVERIFY(!(dialog.windowFlags() & Qt::WindowContextHelpButtonHint));
            auto* print = dialog.findChild<QCheckBox*>(QStringLiteral("chkPrint"));
            QVERIFY(!print->isChecked());
            print->setChecked(true);
            dialog.findChild<QLineEdit*>(QStringLiteral("txtSBP"))->setText(QStringLiteral("150"));
            dialog.findChild<QLineEdit*>(QStringLiteral("txtDBP"))->setText(QStringLiteral("90"));
            dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            QVERIFY(dialog.print());
            QCOMPARE(dialog.systolic(), 150);
        }
        QVERIFY(QSettings().value(QStringLiteral("BPDialog/Print")).toBool());
        // Cancel: the setting stays, nothing is reported.
        BPDialog dialog(nullptr, QStringLiteral("Exercise 2"));
        auto* print = dialog.findChild<QCheckBox*>(QStringLiteral("chkPrint"));
        QVERIFY(print->isChecked());
        print->setChecked(false);
        dialog.findChild<QLineEdit*>(QStringLiteral("txtSBP"))->setText(QStringLiteral("150"));
        dialog.findChild<QLineEdit*>(QStringLiteral("txtDBP"))->setText(QStringLiteral("90"));
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.systolic(), 0);
        QCOMPARE(dialog.diastolic(), 0);
        QVERIFY(QSettings().value(QStringLiteral("BPDialog/Print")).toBool());
    }

private:
    QTemporaryDir m_home;
};

QTEST_MAIN(TestBPDialog)
#include "tst_bpdialog.moc"
