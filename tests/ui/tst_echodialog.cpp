// The stress echocardiography scoring dialog: scores chosen segment by segment
// reach the study record at OK and nowhere at Cancel, a scoring with nothing
// seen leaves the record without one, the stored scores come back when the
// dialog opens again, and the wall motion score indexes follow the choices.

#include "EchoDialog.h"
#include "TStudyRecord.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

using Phase = TEchoScoring::Phase;

QString indexText(const EchoDialog& dialog, const char* label)
{
    const auto* l = dialog.findChild<QLabel*>(QLatin1String(label));
    return l ? l->text() : QStringLiteral("(no %1)").arg(QLatin1String(label));
}

void choose(EchoDialog& dialog, Phase phase, int segment, int score)
{
    QComboBox* box = dialog.scoreBox(phase, segment);
    QVERIFY(box);
    box->setCurrentIndex(box->findData(score));
    QCOMPARE(box->currentData().toInt(), score);
}

void press(EchoDialog& dialog, QDialogButtonBox::StandardButton button)
{
    dialog.findChild<QDialogButtonBox*>()->button(button)->click();
}

} // namespace

class TestEchoDialog : public QObject
{
    Q_OBJECT

private slots:
    void form();
    void scoresReachTheRecordAtOk();
    void cancelChangesNothing();
    void nothingSeenLeavesNoScoring();
    void reopenShowsStoredScores();
    void scoreIndexText_data();
    void scoreIndexText();
    void damagedScoresAreNotSeen();
    void keyboard();
    void openedOnScoringAlone();
};

void TestEchoDialog::form()
{
    TStudyRecord record;
    EchoDialog dialog(record);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Stress echocardiography scoring"));
    for (int s = 1; s <= TEchoScoring::SegmentCount; ++s) {
        const auto* name = dialog.findChild<QLabel*>(QStringLiteral("lblSegment%1").arg(s));
        QVERIFY(name);
        QCOMPARE(name->text(), TEchoScoring::segmentDisplayName(s));
        for (const Phase phase : {TEchoScoring::Rest, TEchoScoring::Peak, TEchoScoring::Post}) {
            QComboBox* box = dialog.scoreBox(phase, s);
            QVERIFY(box);
            QCOMPARE(box->count(), 5);
            QCOMPARE(box->currentText(), QString());
            QCOMPARE(box->currentData().toInt(), 0);
        }
    }
    QComboBox* box = dialog.scoreBox(TEchoScoring::Peak, 16);
    const QStringList items = {box->itemText(1), box->itemText(2), box->itemText(3), box->itemText(4)};
    QCOMPARE(items, (QStringList{"1 - Normal", "2 - Hypokinetic", "3 - Akinetic", "4 - Dyskinetic"}));
    QVERIFY(!dialog.scoreBox(TEchoScoring::Rest, 0));
    QVERIFY(!dialog.scoreBox(TEchoScoring::Rest, 17));
    for (const char* label : {"lblIndexRest", "lblIndexPeak", "lblIndexPost"})
        QCOMPARE(indexText(dialog, label), QStringLiteral("---"));
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lblPhasePost"))->text(), QStringLiteral("Post"));
}

void TestEchoDialog::scoresReachTheRecordAtOk()
{
    TStudyRecord record;
    EchoDialog dialog(record);
    choose(dialog, TEchoScoring::Rest, 1, 1);
    choose(dialog, TEchoScoring::Rest, 2, 2);
    QCOMPARE(indexText(dialog, "lblIndexRest"), QStringLiteral("1.50"));
    choose(dialog, TEchoScoring::Peak, 16, 4);
    choose(dialog, TEchoScoring::Peak, 5, 3);
    choose(dialog, TEchoScoring::Peak, 9, 3);
    QCOMPARE(indexText(dialog, "lblIndexPeak"), QStringLiteral("3.33"));
    QCOMPARE(indexText(dialog, "lblIndexPost"), QStringLiteral("---"));
    // Chosen and taken back: no longer seen.
    choose(dialog, TEchoScoring::Peak, 9, 0);
    QCOMPARE(indexText(dialog, "lblIndexPeak"), QStringLiteral("3.50"));
    QVERIFY(!record.echoScoring); // nothing before OK

    // exec(), as the review window opens it, answered from the event loop.
    QTimer::singleShot(0, &dialog, [&dialog] { press(dialog, QDialogButtonBox::Ok); });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QVERIFY(dialog.changed());
    QVERIFY(record.echoScoring);
    const TEchoScoring& stored = *record.echoScoring;
    QCOMPARE(stored.scoreRest(1), 1);
    QCOMPARE(stored.scoreRest(2), 2);
    QCOMPARE(stored.scorePeak(16), 4);
    QCOMPARE(stored.scorePeak(5), 3);
    QCOMPARE(stored.scorePeak(9), 0);
    int seen = 0;
    for (int s = 1; s <= TEchoScoring::SegmentCount; ++s)
        seen += (stored.scoreRest(s) != 0) + (stored.scorePeak(s) != 0) + (stored.scorePost(s) != 0);
    QCOMPARE(seen, 4);
    QCOMPARE(dialog.scoring(), record.echoScoring);
    QCOMPARE(*stored.scoreIndex(TEchoScoring::Peak), 3.5);

    // The record file carries it.
    const TStudyRecord reread = TStudyRecord::fromJson(TStudyRecord::toJson(record));
    QCOMPARE(reread.echoScoring, record.echoScoring);
}

void TestEchoDialog::cancelChangesNothing()
{
    TStudyRecord record;
    TEchoScoring before;
    before.setScoreRest(3, 2);
    record.echoScoring = before;
    EchoDialog dialog(record);
    dialog.show();
    choose(dialog, TEchoScoring::Rest, 3, 4);
    choose(dialog, TEchoScoring::Post, 1, 1);
    press(dialog, QDialogButtonBox::Cancel);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!dialog.changed());
    QCOMPARE(record.echoScoring, std::optional<TEchoScoring>(before));
    QCOMPARE(dialog.scoring(), std::optional<TEchoScoring>(before));

    // OK without a change is no change either.
    EchoDialog again(record);
    again.show();
    press(again, QDialogButtonBox::Ok);
    QVERIFY(!again.changed());
    QCOMPARE(record.echoScoring, std::optional<TEchoScoring>(before));
}

void TestEchoDialog::nothingSeenLeavesNoScoring()
{
    TStudyRecord record;
    TEchoScoring before;
    before.setScorePeak(7, 2);
    before.setScorePost(7, 1);
    record.echoScoring = before;
    EchoDialog dialog(record);
    dialog.show();
    choose(dialog, TEchoScoring::Peak, 7, 0);
    choose(dialog, TEchoScoring::Post, 7, 0);
    for (const char* label : {"lblIndexRest", "lblIndexPeak", "lblIndexPost"})
        QCOMPARE(indexText(dialog, label), QStringLiteral("---"));
    press(dialog, QDialogButtonBox::Ok);
    QVERIFY(dialog.changed());
    QVERIFY(!record.echoScoring);
    QVERIFY(!dialog.scoring());
    // The record file has no "echoScoring" member then.
    QVERIFY(!TStudyRecord::toJson(record).contains(QStringLiteral("echoScoring")));

    // A new study left empty at OK stays without one.
    TStudyRecord fresh;
    EchoDialog empty(fresh);
    empty.show();
    press(empty, QDialogButtonBox::Ok);
    QVERIFY(!empty.changed());
    QVERIFY(!fresh.echoScoring);
}

void TestEchoDialog::reopenShowsStoredScores()
{
    TStudyRecord record;
    {
        EchoDialog dialog(record);
        dialog.show();
        for (int s = 1; s <= TEchoScoring::SegmentCount; ++s) {
            choose(dialog, TEchoScoring::Rest, s, 1);
            choose(dialog, TEchoScoring::Peak, s, 1 + s % 4);
        }
        choose(dialog, TEchoScoring::Post, 12, 2);
        press(dialog, QDialogButtonBox::Ok);
    }
    // Through the record file, as the next session opens the study.
    TStudyRecord reread = TStudyRecord::fromJson(TStudyRecord::toJson(record));
    EchoDialog dialog(reread);
    for (int s = 1; s <= TEchoScoring::SegmentCount; ++s) {
        QCOMPARE(dialog.scoreBox(TEchoScoring::Rest, s)->currentData().toInt(), 1);
        QCOMPARE(dialog.scoreBox(TEchoScoring::Peak, s)->currentData().toInt(), 1 + s % 4);
        QCOMPARE(dialog.scoreBox(TEchoScoring::Post, s)->currentData().toInt(), s == 12 ? 2 : 0);
    }
    QCOMPARE(dialog.scoreBox(TEchoScoring::Peak, 2)->currentText(), QStringLiteral("3 - Akinetic"));
    QCOMPARE(indexText(dialog, "lblIndexRest"), QStringLiteral("1.00"));
    // 1 + s % 4 over s = 1..16: four each of 1, 2, 3 and 4.
    QCOMPARE(indexText(dialog, "lblIndexPeak"), QStringLiteral("2.50"));
    QCOMPARE(indexText(dialog, "lblIndexPost"), QStringLiteral("2.00"));
}

void TestEchoDialog::scoreIndexText_data()
{
    QTest::addColumn<QVector<int>>("scores"); // segment 1, 2, ... at rest
    QTest::addColumn<QString>("text");
    QTest::addRow("nothing seen") << QVector<int>{} << "---";
    QTest::addRow("one normal") << QVector<int>{1} << "1.00";
    QTest::addRow("one not seen among them") << QVector<int>{2, 0, 3} << "2.50";
    QTest::addRow("a third") << QVector<int>{1, 1, 2} << "1.33";
    QTest::addRow("two thirds") << QVector<int>{1, 2, 2} << "1.67";
    QTest::addRow("all dyskinetic") << QVector<int>(16, 4) << "4.00";
    QTest::addRow("no score is not seen") << QVector<int>{5, -1, 2} << "2.00";
}

void TestEchoDialog::scoreIndexText()
{
    QFETCH(QVector<int>, scores);
    QFETCH(QString, text);
    TEchoScoring scoring;
    for (int i = 0; i < scores.size(); ++i)
        scoring.setScoreRest(i + 1, scores[i]);
    QCOMPARE(EchoDialog::scoreIndexText(scoring, TEchoScoring::Rest), text);
    QCOMPARE(EchoDialog::scoreIndexText(scoring, TEchoScoring::Peak), QStringLiteral("---"));
}

void TestEchoDialog::damagedScoresAreNotSeen()
{
    // A record file with scores outside 1..4 (written by hand or damaged).
    TEchoScoring damaged;
    damaged.setScoreRest(1, 9);
    damaged.setScoreRest(2, 2);
    damaged.setScorePeak(3, -4);
    TStudyRecord record;
    record.echoScoring = damaged;
    EchoDialog dialog(record);
    dialog.show();
    QCOMPARE(dialog.scoreBox(TEchoScoring::Rest, 1)->currentText(), QString());
    QCOMPARE(dialog.scoreBox(TEchoScoring::Rest, 2)->currentData().toInt(), 2);
    QCOMPARE(dialog.scoreBox(TEchoScoring::Peak, 3)->currentText(), QString());
    QCOMPARE(indexText(dialog, "lblIndexRest"), QStringLiteral("2.00"));
    press(dialog, QDialogButtonBox::Ok);
    // Taken as shown: the segments that were no score are not seen.
    QVERIFY(record.echoScoring);
    QCOMPARE(record.echoScoring->scoreRest(1), 0);
    QCOMPARE(record.echoScoring->scoreRest(2), 2);
    QCOMPARE(record.echoScoring->scorePeak(3), 0);
}

void TestEchoDialog::keyboard()
{
    TStudyRecord record;
    EchoDialog dialog(record);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QComboBox* first = dialog.scoreBox(TEchoScoring::Rest, 1);
    first->setFocus();
    QVERIFY(first->hasFocus());
    // A digit picks its score.
    QTest::keyClick(first, Qt::Key_3);
    QCOMPARE(first->currentData().toInt(), 3);
    QCOMPARE(indexText(dialog, "lblIndexRest"), QStringLiteral("3.00"));
    // Tab goes down the phase's column.
    QTest::keyClick(first, Qt::Key_Tab);
    QVERIFY(dialog.scoreBox(TEchoScoring::Rest, 2)->hasFocus());
    QComboBox* last = dialog.scoreBox(TEchoScoring::Rest, 16);
    last->setFocus();
    QTest::keyClick(last, Qt::Key_Tab);
    QVERIFY(dialog.scoreBox(TEchoScoring::Peak, 1)->hasFocus());
}

void TestEchoDialog::openedOnScoringAlone()
{
    TEchoScoring given;
    given.setScorePost(4, 3);
    EchoDialog dialog(std::optional<TEchoScoring>(given), nullptr);
    dialog.show();
    QCOMPARE(dialog.scoring(), std::optional<TEchoScoring>(given));
    QCOMPARE(indexText(dialog, "lblIndexPost"), QStringLiteral("3.00"));
    choose(dialog, TEchoScoring::Post, 5, 1);
    press(dialog, QDialogButtonBox::Ok);
    QVERIFY(dialog.changed());
    QVERIFY(dialog.scoring());
    QCOMPARE(dialog.scoring()->scorePost(4), 3);
    QCOMPARE(dialog.scoring()->scorePost(5), 1);
}

QTEST_MAIN(TestEchoDialog)
#include "tst_echodialog.moc"
