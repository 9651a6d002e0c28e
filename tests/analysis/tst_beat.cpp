#include "TBeat.h"
#include "TBeatStore.h"
#include "TRingSignalBuffer.h"

#include <QtTest>

class TestBeat : public QObject
{
    Q_OBJECT

private slots:
    void startsEmpty();
    void settingMarksPresence();
    void leadValuesBoundedByChannelCount_data();
    void leadValuesBoundedByChannelCount();
    void copyCopiesEveryField();
    void searches_data();
    void searches();
    void emptyStore();
};

void TestBeat::startsEmpty()
{
    const TBeat beat(7);
    QCOMPARE(beat.number(), 7);
    QCOMPARE(beat.windowStart(), 0.0);
    QCOMPARE(beat.windowLength(), 0.0);
    for (int i = 0; i < TBeat::BeatValueCount; ++i) {
        QCOMPARE(beat.value(i), -1.0);
        QVERIFY(!beat.hasValue(i));
    }
    QCOMPARE(beat.leadValue(15, 11), -1.0);
    QVERIFY(!beat.hasLeadValue(0, 0));
    QCOMPARE(beat.label(), 0);
    QCOMPARE(beat.beatClass(), 1);
}

void TestBeat::settingMarksPresence()
{
    TBeat beat;
    beat.setValue(TBeat::MeanRR, 0.0);
    QVERIFY(beat.hasValue(TBeat::MeanRR));
    QCOMPARE(beat.value(TBeat::MeanRR), 0.0);
    beat.setValue(4, 3.0); // no such value
    QCOMPARE(beat.value(4), 0.0);
    QVERIFY(!beat.hasValue(4));
    QCOMPARE(beat.value(-1), 0.0);
    beat.setLeadValue(2, TBeat::POnset, 1.25);
    QVERIFY(beat.hasLeadValue(2, TBeat::POnset));
    beat.clearLeadValue(2, TBeat::POnset);
    QVERIFY(!beat.hasLeadValue(2, TBeat::POnset));
    QCOMPARE(beat.leadValue(2, TBeat::POnset), -1.0);
    beat.setTimeValue(1, 0.9);
    beat.setTimeValue(2, 5.0);
    QCOMPARE(beat.windowLength(), 0.9);
    QCOMPARE(beat.timeValue(2), 0.0);
}

void TestBeat::leadValuesBoundedByChannelCount_data()
{
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("lead");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("stored");
    QTest::newRow("last channel") << 7 << 6 << 11 << true;
    QTest::newRow("past the channels") << 7 << 7 << 3 << false;
    QTest::newRow("index above 11") << 7 << 0 << 12 << false;
    QTest::newRow("negative lead") << 7 << -1 << 0 << false;
    QTest::newRow("all sixteen") << 16 << 15 << 0 << true;
}

void TestBeat::leadValuesBoundedByChannelCount()
{
    QFETCH(int, channels);
    QFETCH(int, lead);
    QFETCH(int, index);
    QFETCH(bool, stored);
    TIntSignalBuffer buffer(4096, 10, channels, 500);
    TBeat beat(1, &buffer);
    beat.setLeadValue(lead, index, 2.5);
    QCOMPARE(beat.hasLeadValue(lead, index), stored);
    QCOMPARE(beat.leadValue(lead, index), stored ? 2.5 : 0.0);
}

void TestBeat::copyCopiesEveryField()
{
    TIntSignalBuffer buffer(4096, 10, 3, 500);
    TBeat beat(3, &buffer);
    beat.setWindowStart(1.5);
    beat.setWindowLength(0.8);
    beat.setValue(TBeat::Time, 2.0);
    beat.setLeadValue(2, TBeat::Fiducial, 2.01);
    beat.setLabel(4);
    beat.setBeatClass(-1);
    TBeat copy = beat;
    beat.setLeadValue(2, TBeat::Fiducial, 9.0); // the copy is independent
    QCOMPARE(copy.number(), 3);
    QCOMPARE(copy.buffer(), &buffer);
    QCOMPARE(copy.windowStart(), 1.5);
    QCOMPARE(copy.windowLength(), 0.8);
    QCOMPARE(copy.time(), 2.0);
    QCOMPARE(copy.leadValue(2, TBeat::Fiducial), 2.01);
    QVERIFY(copy.hasLeadValue(2, TBeat::Fiducial));
    QVERIFY(!copy.hasLeadValue(1, TBeat::Fiducial));
    QCOMPARE(copy.label(), 4);
    QCOMPARE(copy.beatClass(), -1);
}

void TestBeat::searches_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("nearest");
    QTest::addColumn<int>("within");
    QTest::addColumn<int>("next");
    QTest::addColumn<int>("previous");
    // Beats at 1.0, 1.6, 2.4, 3.0.
    QTest::newRow("before the first") << 0.2 << 0 << -1 << 0 << -1;
    QTest::newRow("on a beat") << 1.6 << 1 << 1 << 2 << 0;
    QTest::newRow("nearer the earlier") << 1.9 << 1 << -1 << 2 << 1;
    QTest::newRow("nearer the later") << 2.3 << 2 << 2 << 2 << 1;
    QTest::newRow("after the last") << 3.5 << 3 << -1 << -1 << 3;
}

void TestBeat::searches()
{
    QFETCH(double, seconds);
    QFETCH(int, nearest);
    QFETCH(int, within);
    QFETCH(int, next);
    QFETCH(int, previous);
    TMemoryBeatStore store;
    for (double t : {1.0, 1.6, 2.4, 3.0}) {
        TBeat b(store.count() + 1);
        b.setValue(TBeat::Time, t);
        store.append(b);
    }
    QCOMPARE(store.nearest(seconds), nearest);
    QCOMPARE(store.beatAt(seconds, 0.2), within);
    QCOMPARE(store.next(seconds), next);
    QCOMPARE(store.previous(seconds), previous);
    QCOMPARE(store.first(), 0);
    QCOMPARE(store.last(), 3);
    QCOMPARE(store.beat(2).number(), 3);
}

void TestBeat::emptyStore()
{
    TMemoryBeatStore store;
    QCOMPARE(store.nearest(1.0), -1);
    QCOMPARE(store.beatAt(1.0, 5.0), -1);
    QCOMPARE(store.next(1.0), -1);
    QCOMPARE(store.previous(1.0), -1);
    QCOMPARE(store.first(), -1);
    QCOMPARE(store.last(), -1);
    QCOMPARE(store.beat(0).number(), 0);
}

QTEST_GUILESS_MAIN(TestBeat)
#include "tst_beat.moc"
