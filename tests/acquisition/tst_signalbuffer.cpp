#include "TRingSignalBuffer.h"
#include "TSignalBufferListener.h"

#include <QtTest>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace {

// A value that tells index and channel apart and stays within 16 bits.
qint16 valueOf(int channel, int index)
{
    return qint16((index * 7 + channel * 1000) % 30000 - 15000);
}

enum class AppendPath { Interleaved, Channels, Doubles };

// Appends `total` frames in chunks of `chunk` frames through one of the three
// append operations.
void fill(TIntSignalBuffer& buffer, int total, int chunk, AppendPath path)
{
    const int channels = buffer.channelCount();
    for (int start = 0; start < total; start += chunk) {
        const int n = qMin(chunk, total - start);
        if (path == AppendPath::Interleaved) {
            std::vector<qint16> frames(size_t(n * channels));
            for (int f = 0; f < n; ++f)
                for (int c = 0; c < channels; ++c)
                    frames[size_t(f * channels + c)] = valueOf(c, start + f);
            buffer.append(frames.data(), int(frames.size() * 2));
        } else {
            std::vector<std::vector<qint16>> codes(static_cast<size_t>(channels), std::vector<qint16>(static_cast<size_t>(n)));
            std::vector<std::vector<double>> values(static_cast<size_t>(channels), std::vector<double>(static_cast<size_t>(n)));
            std::vector<const qint16*> codePointers;
            std::vector<const double*> valuePointers;
            for (int c = 0; c < channels; ++c) {
                for (int f = 0; f < n; ++f) {
                    codes[size_t(c)][size_t(f)] = valueOf(c, start + f);
                    values[size_t(c)][size_t(f)] = valueOf(c, start + f);
                }
                codePointers.push_back(codes[size_t(c)].data());
                valuePointers.push_back(values[size_t(c)].data());
            }
            if (path == AppendPath::Channels)
                buffer.appendChannels(codePointers.data(), n);
            else
                buffer.appendDoubles(valuePointers.data(), n);
        }
    }
}

// Appends one channel's codes in a single call.
void appendCodes(TIntSignalBuffer& buffer, const std::vector<qint16>& codes)
{
    const qint16* column = codes.data();
    buffer.appendChannels(&column, int(codes.size()));
}

// 0, 1, ..., n - 1.
std::vector<qint16> ramp(int n)
{
    std::vector<qint16> values(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        values[size_t(i)] = qint16(i);
    return values;
}

class RecordingListener : public TSignalBufferListener
{
public:
    RecordingListener(int id, std::vector<int>* log, TSignalBuffer* buffer = nullptr)
        : m_id(id), m_log(log), m_buffer(buffer)
    {
    }
    void signalAppended() override
    {
        m_log->push_back(m_id);
        if (m_buffer)
            lengthSeen = m_buffer->length();
        if (onAppended)
            onAppended();
    }
    int lengthSeen = -1;
    std::function<void()> onAppended;

private:
    int m_id;
    std::vector<int>* m_log;
    TSignalBuffer* m_buffer;
};

} // namespace

Q_DECLARE_METATYPE(AppendPath)

class TestSignalBuffer : public QObject
{
    Q_OBJECT

private slots:
    void retainedWindow_data();
    void retainedWindow();
    void samplesOutsideWindowAreZero();
    void oddByteAppendDropsPartialFrame();
    void indexAndSecondsRounding_data();
    void indexAndSecondsRounding();
    void valueStepFollowsGainAndResolution();
    void appendDoublesTruncatesAndSaturates_data();
    void appendDoublesTruncatesAndSaturates();
    void doubleVariantKeepsFractions();
    void pagesCopyTheRing();
    void pageBeforeCurrentLapIsZeros();
    void pageAccessOutOfRange();
    void referencedPagesSurviveEviction();
    void evictionBoundsLoadedPages();
    void partialPageAfterSweep();
    void envelopeSpreadsRemainderAndJoins();
    void envelopeIgnoresDegenerateRequests();
    void envelopeStridesThroughLongPoints();
    void envelopeWrapReadsPreviousSpan();
    void meanUsesIntegerDivision_data();
    void meanUsesIntegerDivision();
    void findOutOfRange_data();
    void findOutOfRange();
    void listenersInOrderAfterStore();
    void listenerRemovalDuringNotification();
    void channelLookupByName();
};

void TestSignalBuffer::retainedWindow_data()
{
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("chunk");
    QTest::addColumn<AppendPath>("path");
    QTest::newRow("acquisition ring, 51-frame blocks") << 40960 << 50000 << 51 << AppendPath::Interleaved;
    QTest::newRow("per-channel arrays") << 40960 << 50000 << 997 << AppendPath::Channels;
    QTest::newRow("doubles") << 40960 << 50000 << 4096 << AppendPath::Doubles;
    QTest::newRow("chunk longer than the ring") << 100 << 1000 << 250 << AppendPath::Channels;
    QTest::newRow("chunk longer than the ring, doubles") << 100 << 1000 << 333 << AppendPath::Doubles;
    QTest::newRow("single frames") << 7 << 100 << 1 << AppendPath::Interleaved;
    QTest::newRow("exactly one lap") << 64 << 64 << 64 << AppendPath::Channels;
}

void TestSignalBuffer::retainedWindow()
{
    QFETCH(int, capacity);
    QFETCH(int, total);
    QFETCH(int, chunk);
    QFETCH(AppendPath, path);
    TIntSignalBuffer buffer(4096, capacity, 7, 500);
    fill(buffer, total, chunk, path);
    QCOMPARE(buffer.length(), total);
    const int first = qMax(0, total - capacity);
    QCOMPARE(buffer.firstRetained(), first);
    for (int c = 0; c < 7; ++c) {
        if (first > 0)
            QCOMPARE(buffer.sample(c, first - 1), 0);
        for (int i = first; i < total; ++i) {
            if (buffer.sample(c, i) != valueOf(c, i))
                QFAIL(qPrintable(QString("channel %1 index %2: %3 instead of %4")
                                     .arg(c).arg(i).arg(buffer.sample(c, i)).arg(valueOf(c, i))));
        }
        QCOMPARE(buffer.sample(c, total), 0);
        QCOMPARE(buffer.sample(c, -1), 0);
    }
    QCOMPARE(buffer.sample(7, total - 1), 0);
    QCOMPARE(buffer.sample(-1, total - 1), 0);
}

void TestSignalBuffer::samplesOutsideWindowAreZero()
{
    // 40 960-sample ring after 50 000 samples: 9 040 is the oldest still held.
    TIntSignalBuffer buffer(4096, 40960, 2, 500);
    fill(buffer, 50000, 51, AppendPath::Interleaved);
    std::vector<double> out(200, 99.0);
    buffer.samples(1, 9000, 100, out.data()); // 40 zeros, then values across the ring's seam
    for (int i = 0; i < 100; ++i)
        QCOMPARE(out[size_t(i)], 9000 + i < 9040 ? 0.0 : double(valueOf(1, 9000 + i)));
    buffer.samples(0, 49950, 100, out.data()); // 50 values, 50 past the end
    for (int i = 0; i < 100; ++i)
        QCOMPARE(out[size_t(i)], i < 50 ? double(valueOf(0, 49950 + i)) : 0.0);
    buffer.samples(0, -5, 10, out.data());
    QCOMPARE(out[4], 0.0);
    QCOMPARE(out[9], 0.0); // index 4 is older than the window too
}

void TestSignalBuffer::oddByteAppendDropsPartialFrame()
{
    TIntSignalBuffer buffer(4096, 1000, 7, 500);
    std::vector<int> notified;
    RecordingListener listener(1, &notified);
    buffer.addListener(&listener);
    qint16 frame[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    buffer.append(frame, 15);
    QCOMPARE(buffer.length(), 1);
    for (int c = 0; c < 7; ++c)
        QCOMPARE(buffer.sample(c, 0), c + 1);
    buffer.append(frame, 13); // less than a frame
    QCOMPARE(buffer.length(), 1);
    QCOMPARE(int(notified.size()), 2);
}

void TestSignalBuffer::indexAndSecondsRounding_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("index");
    QTest::newRow("0.0015 s") << 500 << 0.0015 << 1;
    QTest::newRow("0.001 s rounds up from 0.5") << 500 << 0.001 << 1;
    QTest::newRow("0.0009 s") << 500 << 0.0009 << 0;
    QTest::newRow("0.003 s") << 500 << 0.003 << 2;
    QTest::newRow("one minute") << 500 << 60.0 << 30000;
    QTest::newRow("250 per second") << 250 << 0.3 << 75;
}

void TestSignalBuffer::indexAndSecondsRounding()
{
    QFETCH(int, rate);
    QFETCH(double, seconds);
    QFETCH(int, index);
    TIntSignalBuffer buffer(4096, 100, 1, rate);
    QCOMPARE(buffer.index(seconds), index);
    QCOMPARE(buffer.seconds(index), double(index) / rate);
    fill(buffer, 75, 75, AppendPath::Channels);
    QCOMPARE(buffer.durationSeconds(), 75.0 / rate);
}

void TestSignalBuffer::valueStepFollowsGainAndResolution()
{
    TIntSignalBuffer codes(4096, 10, 1, 500);
    QCOMPARE(codes.resolution(), 16);
    QCOMPARE(codes.gainMin(), -1.0);
    QCOMPARE(codes.gainMax(), 1.0);
    codes.setGain(-300.0, 300.0);
    QCOMPARE(codes.valueStep(), 0.0091552734375);
    codes.setResolution(12);
    QCOMPARE(codes.valueStep(), 600.0 / 4096.0);

    TDoubleSignalBuffer doubles(4096, 10, 1, 500);
    QCOMPARE(doubles.resolution(), 64);
    doubles.copyShapeFrom(codes);
    QCOMPARE(doubles.resolution(), 12);
    QCOMPARE(doubles.gainMax(), 300.0);
}

void TestSignalBuffer::appendDoublesTruncatesAndSaturates_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("code");
    QTest::newRow("positive fraction truncates") << 1.9 << 1;
    QTest::newRow("negative fraction truncates toward zero") << -1.9 << -1;
    QTest::newRow("largest code") << 32767.9 << 32767;
    QTest::newRow("smallest code") << -32768.5 << -32768;
    QTest::newRow("far above") << 1e9 << 32767;
    QTest::newRow("far below") << -1e12 << -32768;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << 32767;
    QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity() << -32768;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0;
}

void TestSignalBuffer::appendDoublesTruncatesAndSaturates()
{
    QFETCH(double, value);
    QFETCH(int, code);
    TIntSignalBuffer buffer(4096, 10, 1, 500);
    const double* column = &value;
    buffer.appendDoubles(&column, 1);
    QCOMPARE(buffer.sample(0, 0), code);
}

void TestSignalBuffer::doubleVariantKeepsFractions()
{
    TDoubleSignalBuffer buffer(4, 8, 1, 500);
    const double values[] = {0.25, -1.75, 3.5, 1e6, 2.0};
    const double* column = values;
    buffer.appendDoubles(&column, 5);
    QCOMPARE(buffer.value(0, 1), -1.75);
    QCOMPARE(buffer.sample(0, 1), -1);
    double out[5];
    buffer.samples(0, 0, 5, out);
    QCOMPARE(out[3], 1e6);
    const double* page = buffer.getDoublePage(0, 0);
    QVERIFY(page);
    QCOMPARE(page[2], 3.5);
    buffer.releasePage(0, 0);
}

void TestSignalBuffer::pagesCopyTheRing()
{
    TIntSignalBuffer buffer(16, 1000, 3, 500);
    fill(buffer, 100, 7, AppendPath::Interleaved);
    QCOMPARE(buffer.pageCount(), 6);
    for (int page = 0; page < 6; ++page) {
        const qint16* values = buffer.getInt16Page(2, page);
        QVERIFY(values);
        for (int i = 0; i < 16; ++i)
            QCOMPARE(values[i], valueOf(2, page * 16 + i));
        buffer.releasePage(2, page);
    }
    // The same page twice is one cached copy.
    const void* a = buffer.getPage(1, 3);
    const void* b = buffer.getPage(1, 3);
    QCOMPARE(a, b);
    QCOMPARE(buffer.loadedPageCount(), 7);
    buffer.releasePage(1, 3);
    buffer.releasePage(1, 3);
    buffer.releasePage(1, 3); // never below zero
    buffer.releaseUnusedPages();
    QCOMPARE(buffer.loadedPageCount(), 0);
    QVERIFY(!buffer.isPageLoaded(1, 3));
}

void TestSignalBuffer::pageBeforeCurrentLapIsZeros()
{
    TIntSignalBuffer buffer(16, 40, 1, 500);
    fill(buffer, 100, 100, AppendPath::Channels);
    // Samples 60..99 are held; page 3 (48..63) starts before them.
    const qint16* old = buffer.getInt16Page(0, 3);
    QVERIFY(old);
    for (int i = 0; i < 16; ++i)
        QCOMPARE(old[i], qint16(0));
    const qint16* recent = buffer.getInt16Page(0, 4);
    QVERIFY(recent);
    for (int i = 0; i < 16; ++i)
        QCOMPARE(recent[i], valueOf(0, 64 + i));
    buffer.releasePage(0, 3);
    buffer.releasePage(0, 4);
}

void TestSignalBuffer::pageAccessOutOfRange()
{
    TIntSignalBuffer buffer(16, 1000, 2, 500);
    fill(buffer, 40, 40, AppendPath::Channels);
    QVERIFY(!buffer.getPage(0, 2)); // only 2 complete pages
    QVERIFY(!buffer.getPage(0, -1));
    QVERIFY(!buffer.getPage(2, 0));
    QVERIFY(!buffer.getPage(-1, 0));
    QCOMPARE(buffer.loadedPageCount(), 0);

    // Beyond the page table: later pages are unreachable, the ring still holds them.
    TIntSignalBuffer tiny(1, 100, 1, 500);
    fill(tiny, TSignalBuffer::PageTableSize + 10, 1000, AppendPath::Channels);
    QVERIFY(tiny.getPage(0, TSignalBuffer::PageTableSize - 1));
    tiny.releasePage(0, TSignalBuffer::PageTableSize - 1);
    QVERIFY(!tiny.getPage(0, TSignalBuffer::PageTableSize));
    QCOMPARE(tiny.sample(0, TSignalBuffer::PageTableSize + 5), int(valueOf(0, TSignalBuffer::PageTableSize + 5)));
}

void TestSignalBuffer::referencedPagesSurviveEviction()
{
    TIntSignalBuffer buffer(4, 4096 * 4, 1, 500);
    fill(buffer, 4096 * 4, 4096, AppendPath::Channels);
    const qint16* held = buffer.getInt16Page(0, 0);
    QVERIFY(held);
    for (int page = 1; page < 3000; ++page) {
        QVERIFY(buffer.getPage(0, page));
        buffer.releasePage(0, page);
    }
    QVERIFY(buffer.isPageLoaded(0, 0));
    QCOMPARE(held[3], valueOf(0, 3)); // still valid memory
    QVERIFY(!buffer.isPageLoaded(0, 1)); // the oldest unreferenced ones went first
    QVERIFY(buffer.isPageLoaded(0, 2999));
    buffer.releasePage(0, 0);
}

void TestSignalBuffer::evictionBoundsLoadedPages()
{
    TIntSignalBuffer buffer(4, 4096 * 4, 2, 500);
    fill(buffer, 4096 * 4, 4096, AppendPath::Channels);
    for (int page = 0; page < 2000; ++page) {
        QVERIFY(buffer.getPage(page % 2, page));
        buffer.releasePage(page % 2, page);
        QVERIFY(buffer.loadedPageCount() <= TSignalBuffer::MaxLoadedPages + 1);
    }
    QCOMPARE(buffer.loadedPageCount(), TSignalBuffer::MaxLoadedPages + 1);
    // With every page held, nothing can be evicted: the cache grows instead of
    // handing out freed memory.
    TIntSignalBuffer held(4, 4096 * 4, 1, 500);
    fill(held, 4096 * 4, 4096, AppendPath::Channels);
    for (int page = 0; page < 1100; ++page)
        QVERIFY(held.getPage(0, page));
    QCOMPARE(held.loadedPageCount(), 1100);
    for (int page = 0; page < 1100; ++page)
        held.releasePage(0, page);
}

void TestSignalBuffer::partialPageAfterSweep()
{
    TIntSignalBuffer buffer(16, 1000, 1, 500);
    fill(buffer, 20, 20, AppendPath::Channels);
    QVERIFY(!buffer.getPage(0, 1));
    buffer.releaseUnusedPages(true);
    QCOMPARE(buffer.pageCount(), 2);
    const qint16* partial = buffer.getInt16Page(0, 1);
    QVERIFY(partial);
    QCOMPARE(partial[3], valueOf(0, 19));
    QCOMPARE(partial[4], qint16(0)); // not yet recorded
    buffer.releasePage(0, 1);

    // Once the page is complete, it is read again rather than served stale.
    std::vector<qint16> more(12);
    for (int i = 0; i < 12; ++i)
        more[size_t(i)] = valueOf(0, 20 + i);
    appendCodes(buffer, more);
    QCOMPARE(buffer.pageCount(), 2);
    const qint16* complete = buffer.getInt16Page(0, 1);
    QVERIFY(complete);
    QCOMPARE(complete[15], valueOf(0, 31));
    buffer.releasePage(0, 1);
}

void TestSignalBuffer::envelopeSpreadsRemainderAndJoins()
{
    TIntSignalBuffer buffer(4096, 1000, 1, 500);
    appendCodes(buffer, ramp(10));
    // 10 samples over 4 points: 2, 3, 2, 3 samples; each point starts from the
    // previous point's last sample.
    int low[6] = {-1, -1, -1, -1, -1, -1};
    int high[6] = {-1, -1, -1, -1, -1, -1};
    buffer.channel(0)->envelope(0, 10, low, high, 1, 4, false);
    QCOMPARE(low[0], -1);
    const int expectedLow[] = {0, 1, 4, 6};
    const int expectedHigh[] = {1, 4, 6, 9};
    for (int k = 0; k < 4; ++k) {
        QCOMPARE(low[k + 1], expectedLow[k]);
        QCOMPARE(high[k + 1], expectedHigh[k]);
    }
    QCOMPARE(low[5], -1);
}

void TestSignalBuffer::envelopeIgnoresDegenerateRequests()
{
    TIntSignalBuffer buffer(4096, 1000, 1, 500);
    fill(buffer, 100, 100, AppendPath::Channels);
    int low[20];
    int high[20];
    std::fill(low, low + 20, 12345);
    std::fill(high, high + 20, 12345);
    buffer.channel(0)->envelope(0, 5, low, high, 0, 10, false); // fewer samples than points
    buffer.channel(0)->envelope(0, 0, low, high, 0, 10, false);
    buffer.channel(0)->envelope(0, 50, low, high, 0, 0, false);
    for (int i = 0; i < 20; ++i) {
        QCOMPARE(low[i], 12345);
        QCOMPARE(high[i], 12345);
    }
}

void TestSignalBuffer::envelopeStridesThroughLongPoints()
{
    // 1 000 samples over 10 points: 100 per point, visited every 7th sample (about
    // 16 per point) plus the point's last sample. A spike between visited samples is
    // not seen; one on a visited sample is.
    TIntSignalBuffer buffer(4096, 2000, 1, 500);
    std::vector<qint16> values(1000, 0);
    values[3] = 500;   // point 0, skipped
    values[107] = 700; // point 1, visited (100 + 7)
    values[299] = -90; // point 2's last sample
    appendCodes(buffer, values);
    int low[10];
    int high[10];
    buffer.channel(0)->envelope(0, 1000, low, high, 0, 10, false);
    QCOMPARE(high[0], 0);
    QCOMPARE(high[1], 700);
    QCOMPARE(low[2], -90);
    QCOMPARE(low[3], -90); // point 3 starts from point 2's last sample
}

void TestSignalBuffer::envelopeWrapReadsPreviousSpan()
{
    // 150 samples recorded; a sweep page of 100 from 100 shows 100..149 and then,
    // past the end, the previous page's 50..99.
    TIntSignalBuffer buffer(4096, 1000, 1, 500);
    appendCodes(buffer, ramp(150));
    int low[100];
    int high[100];
    buffer.channel(0)->envelope(100, 100, low, high, 0, 100, true);
    QCOMPARE(high[0], 100);
    QCOMPARE(high[49], 149);
    QCOMPARE(low[50], 50);  // first wrapped point: sample 50 ...
    QCOMPARE(high[50], 149); // ... joined to the last real one
    QCOMPARE(low[51], 50);
    QCOMPARE(high[51], 51);
    QCOMPARE(high[99], 99);
    buffer.channel(0)->envelope(100, 100, low, high, 0, 100, false);
    QCOMPARE(low[50], 0); // past the end without wrap: zeros
    QCOMPARE(high[50], 149);
    QCOMPARE(high[60], 0);
}

void TestSignalBuffer::meanUsesIntegerDivision_data()
{
    QTest::addColumn<QVector<int>>("values");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("mean");
    QTest::newRow("truncates") << QVector<int>{1, 2, 2} << 0 << 3 << 1;
    QTest::newRow("negative truncates toward zero") << QVector<int>{-1, -2} << 0 << 2 << -1;
    QTest::newRow("large codes do not overflow") << QVector<int>(1000, 32767) << 0 << 1000 << 32767;
    QTest::newRow("range past the end counts zeros") << QVector<int>{10, 10} << 0 << 4 << 5;
    QTest::newRow("empty") << QVector<int>{10} << 0 << 0 << 0;
}

void TestSignalBuffer::meanUsesIntegerDivision()
{
    QFETCH(QVector<int>, values);
    QFETCH(int, start);
    QFETCH(int, count);
    QFETCH(int, mean);
    TIntSignalBuffer buffer(4096, 2000, 1, 500);
    appendCodes(buffer, std::vector<qint16>(values.begin(), values.end()));
    QCOMPARE(buffer.channel(0)->mean(start, count), mean);
}

void TestSignalBuffer::findOutOfRange_data()
{
    QTest::addColumn<QVector<int>>("values");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("after");
    const QVector<int> v{0, 5, 120, 130, 5, -200, 0, 300};
    QTest::newRow("first high run") << v << 0 << 8 << 2 << 4;
    QTest::newRow("from inside a run") << v << 3 << 8 << 3 << 4;
    QTest::newRow("low run") << v << 4 << 8 << 5 << 6;
    QTest::newRow("run reaching the end") << v << 6 << 8 << 7 << 8;
    QTest::newRow("run cut by the end") << v << 0 << 3 << 2 << 3;
    QTest::newRow("none") << v << 0 << 2 << -1 << -1;
    QTest::newRow("empty range") << v << 5 << 5 << -1 << -1;
}

void TestSignalBuffer::findOutOfRange()
{
    QFETCH(QVector<int>, values);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(int, first);
    QFETCH(int, after);
    TIntSignalBuffer buffer(4096, 100, 1, 500);
    appendCodes(buffer, std::vector<qint16>(values.begin(), values.end()));
    const auto run = buffer.channel(0)->findOutOfRange(start, end, -100, 100);
    QCOMPARE(run.has_value(), first >= 0);
    if (run) {
        QCOMPARE(run->first, first);
        QCOMPARE(run->end, after);
    }
}

void TestSignalBuffer::listenersInOrderAfterStore()
{
    TIntSignalBuffer buffer(4096, 100, 1, 500);
    std::vector<int> log;
    RecordingListener a(1, &log, &buffer), b(2, &log, &buffer), c(3, &log, &buffer);
    buffer.addListener(&b);
    buffer.addListener(&a);
    buffer.addListener(&c);
    buffer.addListener(&a);
    fill(buffer, 5, 5, AppendPath::Channels);
    QCOMPARE(log, (std::vector<int>{2, 1, 3, 1}));
    QCOMPARE(a.lengthSeen, 5); // told after the samples are stored
    log.clear();
    buffer.removeListener(&a); // every occurrence
    fill(buffer, 5, 5, AppendPath::Doubles);
    QCOMPARE(log, (std::vector<int>{2, 3}));
}

void TestSignalBuffer::listenerRemovalDuringNotification()
{
    TIntSignalBuffer buffer(4096, 100, 1, 500);
    std::vector<int> log;
    RecordingListener a(1, &log), b(2, &log);
    a.onAppended = [&] { buffer.removeListener(&b); };
    buffer.addListener(&a);
    buffer.addListener(&b);
    fill(buffer, 1, 1, AppendPath::Interleaved);
    QCOMPARE(log, (std::vector<int>{1}));
}

void TestSignalBuffer::channelLookupByName()
{
    TIntSignalBuffer buffer(4096, 100, 3, 500);
    buffer.channel(0)->setName("II");
    buffer.channel(1)->setName("aVR");
    buffer.channel(2)->setName("aVR");
    QCOMPARE(buffer.channelByName("aVR"), buffer.channel(1));
    QCOMPARE(buffer.channelByName("II"), buffer.channel(0));
    QVERIFY(!buffer.channelByName("avr"));
    QVERIFY(!buffer.channelByName("I"));
    QCOMPARE(buffer.channel(2)->index(), 2);
    QVERIFY(!buffer.channel(3));
}

QTEST_GUILESS_MAIN(TestSignalBuffer)
#include "tst_signalbuffer.moc"
