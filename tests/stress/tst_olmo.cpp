#include "TestWait.h"
#include "TErgometerSimulator.h"
#include "TOlmoErgometer.h"
#include "TOlmoErgometerThread.h"
#include "TOlmoReplyReader.h"

#include <QtTest>
#include <cmath>
#include <functional>
#include <limits>

Q_DECLARE_METATYPE(TOlmoReplyReader::Result)

namespace {

QByteArrayList commandTexts(const TErgometerSimulator& ergometer)
{
    QByteArrayList texts;
    for (const auto& c : ergometer.commands())
        texts.append(c.text);
    return texts;
}

} // namespace

class TestOlmo : public QObject
{
    Q_OBJECT

private slots:
    void replyLine_data();
    void replyLine();
    void replyLineNeverWritesPastItsBuffer();
    void workloadIsTruncated_data();
    void workloadIsTruncated();
    void loadUpDownAndOff();
    void closingDuringTheStartupWait();
    void portThatAppearsLaterIsOpened();
};

void TestOlmo::replyLine_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("fails"); // the port fails once the input is used up
    QTest::addColumn<TOlmoReplyReader::Result>("result");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("consumed");
    using R = TOlmoReplyReader::Result;
    QTest::newRow("short line") << QByteArray("OK\nnext") << false << R::Line << QByteArray("OK") << 3;
    QTest::newRow("empty line") << QByteArray("\n") << false << R::Line << QByteArray() << 1;
    QTest::newRow("ten characters fit") << QByteArray("0123456789\n") << false << R::Line
                                        << QByteArray("0123456789") << 11;
    QTest::newRow("eleven are dropped") << QByteArray("0123456789A\nOK\n") << false << R::TooLong << QByteArray()
                                        << 12;
    QTest::newRow("a long line is read to its end") << QByteArray(300, 'x') + "\nOK\n" << false << R::TooLong
                                                    << QByteArray() << 301;
    QTest::newRow("no line feed: given up") << QByteArray(3000, 'x') << false << R::TooLong << QByteArray() << 1024;
    QTest::newRow("silence") << QByteArray() << false << R::TimedOut << QByteArray() << 0;
    QTest::newRow("silence mid-line") << QByteArray("W 1") << false << R::TimedOut << QByteArray("W 1") << 3;
    QTest::newRow("port failure") << QByteArray("W") << true << R::Failed << QByteArray("W") << 1;
}

void TestOlmo::replyLine()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, fails);
    QFETCH(TOlmoReplyReader::Result, result);
    QFETCH(QByteArray, line);
    QFETCH(int, consumed);
    int position = 0;
    TOlmoReplyReader reader;
    const TOlmoReplyReader::Result got = reader.read([&](char* c) {
        if (position >= input.size())
            return fails ? -1 : 0;
        *c = input[position++];
        return 1;
    });
    QCOMPARE(got, result);
    QCOMPARE(QByteArray(reader.line()), line);
    QCOMPARE(position, consumed);
}

void TestOlmo::replyLineNeverWritesPastItsBuffer()
{
    struct Guarded
    {
        TOlmoReplyReader reader;
        char canary[64];
    } guarded;
    std::memset(guarded.canary, 0x5A, sizeof guarded.canary);
    for (int length = 0; length < 40; ++length) {
        QByteArray text(length, 'y');
        text.append('\n');
        int position = 0;
        guarded.reader.read([&](char* c) {
            *c = text[position++];
            return 1;
        });
        QVERIFY(std::strlen(guarded.reader.line()) <= 10);
    }
    for (char c : guarded.canary)
        QCOMPARE(c, char(0x5A));
}

void TestOlmo::workloadIsTruncated_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("target");
    QTest::newRow("fraction") << 99.9 << 99;
    QTest::newRow("negative fraction toward zero") << -5.5 << -5;
    QTest::newRow("beyond int") << 1e12 << std::numeric_limits<int>::max();
    QTest::newRow("not a number is ignored") << std::nan("") << 42;
}

void TestOlmo::workloadIsTruncated()
{
    QFETCH(double, value);
    QFETCH(int, target);
    TOlmoErgometer ergometer("/nonexistent/ttyOLMO");
    QVERIFY(ergometer.setValue("workload", 42.0));
    QVERIFY(ergometer.setValue("speed", value)); // whatever the name
    QCOMPARE(ergometer.worker()->targetWorkload(), target);
}

void TestOlmo::loadUpDownAndOff()
{
    TErgometerSimulator sim;
    QVERIFY(sim.start());
    TOlmoErgometer ergometer(sim.portPath());
    // The start-up: a reset, 7 s, then "c" with its three reply lines.
    QVERIFY(waitFor([&] { return commandTexts(sim).size() >= 2; }, 12000));
    auto commands = sim.commands();
    QCOMPARE(commandTexts(sim), (QByteArrayList{"r", "c"}));
    const qint64 wait = commands[1].atMs - commands[0].atMs;
    QVERIFY2(wait >= 6900 && wait < 8500, qPrintable(QString::number(wait)));
    QVERIFY(waitFor([&] { return !ergometer.worker()->isInitialisationPending(); }, 2000));

    ergometer.start();
    QVERIFY(waitFor([&] { return commandTexts(sim).size() >= 3; }, 2000));
    QCOMPARE(commandTexts(sim).mid(2), QByteArrayList{"a"});

    // 100 W from rest: preset, direct mode, the load, start.
    ergometer.setValue("workload", 100.0);
    ergometer.apply();
    QVERIFY(waitFor([&] { return commandTexts(sim).size() >= 7; }, 4000));
    QCOMPARE(commandTexts(sim).mid(3), (QByteArrayList{"p", "d", "100", "a"}));
    commands = sim.commands();
    for (int k = 4; k < 7; ++k)
        QVERIFY(commands[k].atMs - commands[k - 1].atMs >= 150); // 200 ms apart, as seen by the simulator
    QCOMPARE(sim.workload(), 100);
    QVERIFY(waitFor([&] { return ergometer.worker()->commandedWorkload() == 100; }, 3000)); // after the reply

    // Replies longer than the controller's line buffer change nothing.
    sim.setLongReplies(true);
    // 80 W: an increment of -20.
    ergometer.setValue("workload", 80.0);
    ergometer.apply();
    QVERIFY(waitFor([&] { return commandTexts(sim).size() >= 9; }, 4000));
    QCOMPARE(commandTexts(sim).mid(7), (QByteArrayList{"i", "-20"}));
    QCOMPARE(sim.workload(), 80);

    // 0 W: end.
    ergometer.setValue("workload", 0.0);
    ergometer.apply();
    QVERIFY(waitFor([&] { return commandTexts(sim).size() >= 10; }, 4000));
    QCOMPARE(commandTexts(sim).mid(9), QByteArrayList{"e"});
    QCOMPARE(sim.workload(), 0);

    // Nothing to do at 0 W from rest.
    ergometer.apply();
    QThread::msleep(500);
    QCOMPARE(commandTexts(sim).size(), 10);
    ergometer.stop();
    QVERIFY(waitFor([&] { return commandTexts(sim).size() >= 11; }, 2000));
    QCOMPARE(commandTexts(sim).mid(10), QByteArrayList{"r"});
}

void TestOlmo::closingDuringTheStartupWait()
{
    TErgometerSimulator sim;
    QVERIFY(sim.start());
    auto ergometer = std::make_unique<TOlmoErgometer>(sim.portPath());
    QVERIFY(waitFor([&] { return commandTexts(sim).size() >= 1; }, 3000));
    QThread::msleep(1200); // well into the 7 s wait
    QElapsedTimer timer;
    timer.start();
    ergometer.reset();
    QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
    // No "c": the wait was cut short; the ergometer is left reset.
    QVERIFY(waitFor([&] { return commandTexts(sim).size() >= 2; }, 1000));
    QCOMPARE(commandTexts(sim), (QByteArrayList{"r", "r"}));
}

void TestOlmo::portThatAppearsLaterIsOpened()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("ergometer");
    TOlmoErgometer ergometer(link);
    QThread::msleep(600); // the port is missing: tried again every 2 s, silently
    // ... but the controller says it cannot be used meanwhile.
    QVERIFY(!ergometer.isOk());
    TErgometerSimulator sim(link);
    QVERIFY(sim.start());
    QVERIFY(waitFor([&] { return commandTexts(sim).size() >= 1; }, 4000));
    QCOMPARE(commandTexts(sim), QByteArrayList{"r"});
    QVERIFY(ergometer.worker()->isInitialisationPending());
    // Its replies to the start-up make it usable again; a silent ergometer not.
    QVERIFY(waitFor([&] { return ergometer.isOk(); }, 12000));
    sim.setSilent(true);
    ergometer.setValue("workload", 50.0);
    ergometer.apply();
    QVERIFY(waitFor([&] { return !ergometer.isOk(); }, 5000));
}

QTEST_GUILESS_MAIN(TestOlmo)
#include "tst_olmo.moc"
