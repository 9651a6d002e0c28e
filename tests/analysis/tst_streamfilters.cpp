// The streaming stages and chain: when outputs become available, that block
// sizes do not matter, rounding, alignment with the source, the FFT baseline
// filter, the decimators, the chain's stages, and agreement with the paged
// stages that share a table.

#include "TAverageDecimator.h"
#include "TFftBaselineFilter.h"
#include "TFilterDesigns.h"
#include "TFilterView.h"
#include "TFirDecimator.h"
#include "TFirPageFilter.h"
#include "TFirStreamFilter.h"
#include "TStreamingFilterChain.h"
#include "TestSignals.h"

#include <QtTest>
#include <cmath>

using namespace TestSignals;

namespace {

// Output i of a table applied centred, summed plainly and truncated.
double centredFir(const TFirTable& t, const std::vector<double>& x, int i)
{
    double sum = 0.0;
    for (int k = 0; k < t.taps; ++k) {
        const int j = i + t.delay() - k;
        if (j >= 0 && j < int(x.size()))
            sum += t.coefficients[k] * x[size_t(j)];
    }
    return std::trunc(sum);
}

std::function<double(int, int)> ecgLike(int rate)
{
    return [rate](int c, int i) {
        const double t = double(i) / rate;
        return 2500.0 * std::sin(2 * Pi * 1.3 * t + c) + 900.0 * std::sin(2 * Pi * 17.0 * t) +
               300.0 * std::sin(2 * Pi * 50.0 * t + 0.5 * c) + 1200.0 * std::sin(2 * Pi * 0.2 * t);
    };
}

} // namespace

class TestStreamFilters : public QObject
{
    Q_OBJECT

private slots:
    void baselineFirWaitsForItsDelay();
    void blockSizesDoNotMatter_data();
    void blockSizesDoNotMatter();
    void sumsAreTruncatedNotClamped();
    void doubleOutputKeepsFractions();
    void laterStartKeepsIndicesAligned();
    void fftBaselineLagsBy544();
    void fftBaselineRemovesSlowWander();
    void firDecimatorHalves1000();
    void firDecimatorCopies500WithLag();
    void averageDecimator_data();
    void averageDecimator();
    void chainStagesFollowFlagsAndTypes_data();
    void chainStagesFollowFlagsAndTypes();
    void chainProcessesInOrder();
    void chainBuiltLateDoesNotFilterWhatWasThere();
    void pagedAndStreamingLowpassAgree_data();
    void pagedAndStreamingLowpassAgree();
};

void TestStreamFilters::baselineFirWaitsForItsDelay()
{
    const TFirTable& t = *TFilterDesigns::baselineFir(500);
    auto source = intBuffer(1, 500);
    TFirStreamFilter filter(t.values(), t.delay());
    filter.setSource(source.get(), 0);
    auto signal = ecgLike(500);
    for (int n = 1; n <= 1200; ++n) {
        appendSignal(*source, 1, signal);
        filter.process();
        // Output i exists once input i + 250 does.
        QCOMPARE(filter.output()->length(), std::max(0, n - 250));
        QCOMPARE(filter.position(), std::max(0, n - 250));
    }
    const std::vector<double> x = read(*source, 0, 0, source->length());
    for (int i = 0; i < filter.output()->length(); ++i)
        QCOMPARE(double(filter.output()->sample(0, i)), centredFir(t, x, i));
}

void TestStreamFilters::blockSizesDoNotMatter_data()
{
    QTest::addColumn<int>("block");
    QTest::newRow("1") << 1;
    QTest::newRow("51") << 51;
    QTest::newRow("1000") << 1000;
    QTest::newRow("5000") << 5000;
}

void TestStreamFilters::blockSizesDoNotMatter()
{
    QFETCH(int, block);
    const TFirTable& t = *TFilterDesigns::inputHighpassFir(500);
    const int total = 10000;
    auto reference = intBuffer(2, 500);
    appendSignal(*reference, total, ecgLike(500));
    TFirStreamFilter whole(t.values(), t.delay());
    whole.setSource(reference.get(), 0);
    whole.process();

    auto source = intBuffer(2, 500);
    TFirStreamFilter pieces(t.values(), t.delay());
    pieces.setSource(source.get(), 0);
    for (int done = 0; done < total; done += block) {
        appendSignal(*source, std::min(block, total - done), ecgLike(500));
        pieces.process();
    }
    QCOMPARE(pieces.output()->length(), total - 750);
    for (int c = 0; c < 2; ++c)
        QVERIFY(read(*pieces.output(), c, 0, total - 750) == read(*whole.output(), c, 0, total - 750));
}

void TestStreamFilters::sumsAreTruncatedNotClamped()
{
    struct Case
    {
        double tap;
        double input;
        int code;        // into the 16-bit output
        double value;    // into a double output
    };
    const Case cases[] = {
        {0.3, 7, 2, 2.0}, {0.3, -7, -2, -2.0}, {3.0, 20000, 32767, 60000.0}, {3.0, -20000, -32768, -60000.0}};
    for (const Case& k : cases) {
        auto source = intBuffer(1, 500);
        appendSignal(*source, 3, [&](int, int) { return k.input; });
        TFirStreamFilter codes({k.tap}, 0);
        codes.setSource(source.get(), 0);
        codes.process();
        QCOMPARE(codes.output()->sample(0, 1), k.code);
        TFirStreamFilter doubles({k.tap}, 0, {TSampleType::Double, 10});
        doubles.setSource(source.get(), 0);
        doubles.process();
        double v = 0.0;
        doubles.output()->samples(0, 1, 1, &v);
        QCOMPARE(v, k.value);
    }
}

void TestStreamFilters::doubleOutputKeepsFractions()
{
    // A wavelet-like pair of taps on a step, into a double ring of 10 pages.
    auto source = intBuffer(3, 500);
    source->setResolution(16);
    source->setGain(-300.0, 300.0);
    source->channel(2)->setName("V5");
    appendSignal(*source, 100, [](int, int i) { return i < 50 ? 0.0 : 3.0; });
    TFirStreamFilter filter({-0.25, -0.75, 0.75, 0.25}, 2, {TSampleType::Double, 10},
                            TFirStreamFilter::Rounding::KeepFraction);
    filter.setSource(source.get(), 0);
    filter.process();
    TSignalBuffer* out = filter.output();
    QCOMPARE(out->sampleType(), TSampleType::Double);
    QCOMPARE(static_cast<TDoubleSignalBuffer*>(out)->ringCapacity(), 10 * source->pageSize());
    QCOMPARE(out->channel(2)->name(), QByteArray("V5"));
    QCOMPARE(out->valueStep(), source->valueStep());
    QCOMPARE(out->samplingRate(), 500);
    // y[i] = -0.25 x[i+2] - 0.75 x[i+1] + 0.75 x[i] + 0.25 x[i-1] around the step at 50.
    const std::vector<double> y = read(*out, 0, 46, 6);
    const std::vector<double> expected = {0.0, 0.0, -0.75, -3.0, -0.75, 0.0};
    QCOMPARE(y, expected);
}

void TestStreamFilters::laterStartKeepsIndicesAligned()
{
    const TFirTable& t = *TFilterDesigns::lowpassFir(500, "25hz");
    auto source = intBuffer(1, 500);
    appendSignal(*source, 3000, ecgLike(500));
    TFirStreamFilter filter(t.values(), t.delay());
    filter.setSource(source.get(), 3000);
    // The samples already there are not filtered: their outputs are zeros.
    QCOMPARE(filter.output()->length(), 3000);
    QCOMPARE(largestAbsolute(read(*filter.output(), 0, 0, 3000)), 0.0);
    appendSignal(*source, 2000, ecgLike(500));
    filter.process();
    QCOMPARE(filter.output()->length(), 5000 - t.delay());
    const std::vector<double> x = read(*source, 0, 0, 5000);
    for (int i : {3000, 3001, 4000, 5000 - t.delay() - 1})
        QCOMPARE(double(filter.output()->sample(0, i)), centredFir(t, x, i));
}

void TestStreamFilters::fftBaselineLagsBy544()
{
    const int at = 2000;
    const double height = 12000.0;
    auto source = intBuffer(1, 500);
    TFftBaselineFilter filter;
    filter.setSource(source.get(), 0);
    for (int n = 13; n <= 4000; n += 13) {
        appendSignal(*source, 13, [&](int, int i) { return i == at ? height : 0.0; });
        filter.process();
        // Blocks of 64, each out once the 480 + 64 samples after its start exist.
        const int expected = n < 544 ? 0 : 64 * ((n - 544) / 64 + 1);
        QCOMPARE(filter.output()->length(), expected);
    }
    // Aligned with the source: the impulse comes out at its own index, all but the
    // little that lay below 1 Hz.
    const std::vector<double> y = read(*filter.output(), 0, 0, filter.output()->length());
    QVERIFY2(std::fabs(y[size_t(at)] - height) < 0.01 * height, qPrintable(QString("%1").arg(y[size_t(at)])));
    for (int k = 1; k < 200; ++k) {
        QVERIFY(std::fabs(y[size_t(at + k)]) < 0.005 * height);
        QVERIFY(std::fabs(y[size_t(at - k)]) < 0.005 * height);
    }
}

void TestStreamFilters::fftBaselineRemovesSlowWander()
{
    const int rate = 500;
    const int total = 30 * rate;
    auto source = intBuffer(1, rate);
    appendSignal(*source, total, [&](int, int i) {
        return 4000.0 * std::sin(2 * Pi * 0.3 * i / rate) + 1000.0 * std::sin(2 * Pi * 10.0 * i / rate);
    });
    TFftBaselineFilter filter;
    filter.setSource(source.get(), 0);
    filter.process();
    const int length = filter.output()->length();
    QVERIFY(length > total - 600);
    // Past the first window, the output is the 10 Hz sine alone.
    const std::vector<double> y = read(*filter.output(), 0, 1024, length - 1024);
    std::vector<double> residue(y.size());
    for (size_t i = 0; i < y.size(); ++i)
        residue[i] = y[i] - 1000.0 * std::sin(2 * Pi * 10.0 * double(i + 1024) / rate);
    const double wander = sineAmplitude(residue, 0.3, rate);
    QVERIFY2(wander < 0.05 * 4000.0, qPrintable(QString("wander left %1 of 4000").arg(wander)));
    QVERIFY2(largestAbsolute(residue) < 0.1 * 4000.0, qPrintable(QString("largest residue %1").arg(largestAbsolute(residue))));
    const double kept = sineAmplitude(y, 10.0, rate) / 1000.0;
    QVERIFY2(std::fabs(kept - 1.0) < 0.01, qPrintable(QString("10 Hz kept %1").arg(kept)));
}

void TestStreamFilters::firDecimatorHalves1000()
{
    auto source = intBuffer(2, 1000);
    source->channel(0)->setName("II");
    const int total = 8000;
    const double a = 6000.0;
    // 40 Hz passes; 300 Hz would fold to 200 Hz at 500 per second and must be gone.
    appendSignal(*source, total, [&](int c, int i) {
        return a * std::sin(2 * Pi * 40.0 * i / 1000) + (c == 1 ? a * std::sin(2 * Pi * 300.0 * i / 1000) : 0.0);
    });
    TFirDecimator decimator;
    decimator.setSource(source.get(), 0);
    decimator.process();
    TSignalBuffer* out = decimator.output();
    QCOMPARE(decimator.step(), 2);
    QCOMPARE(out->samplingRate(), 500);
    QCOMPARE(out->channel(0)->name(), QByteArray("II"));
    // Positions 0, 2, ... while position < length - 14 - 2.
    QCOMPARE(out->length(), (total - 14 - 2 + 1) / 2);
    // Output j lines up with input 2j.
    double worst = 0.0;
    for (int j = 20; j < out->length(); ++j)
        worst = std::max(worst, std::fabs(out->sample(0, j) - a * std::sin(2 * Pi * 40.0 * 2 * j / 1000)));
    QVERIFY2(worst < 0.005 * a, qPrintable(QString("worst %1").arg(worst)));
    const std::vector<double> folded = read(*out, 1, 20, out->length() - 20);
    QVERIFY(sineAmplitude(folded, 200.0, 500) < 0.03 * a);
    QVERIFY(std::fabs(sineAmplitude(folded, 40.0, 500) / a - 1.0) < 0.005);
}

void TestStreamFilters::firDecimatorCopies500WithLag()
{
    auto source = intBuffer(3, 500);
    appendSignal(*source, 1000, ecgLike(500));
    TFirDecimator decimator;
    decimator.setSource(source.get(), 0);
    decimator.process();
    QCOMPARE(decimator.step(), 1);
    QCOMPARE(decimator.output()->samplingRate(), 500);
    // Unfiltered, 14 + 1 samples behind.
    QCOMPARE(decimator.output()->length(), 1000 - 15);
    for (int c = 0; c < 3; ++c)
        QVERIFY(read(*decimator.output(), c, 0, 985) == read(*source, c, 0, 985));
    appendSignal(*source, 1, ecgLike(500));
    decimator.process();
    QCOMPARE(decimator.output()->length(), 986);
}

void TestStreamFilters::averageDecimator_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("outputRate");
    QTest::newRow("500 to 250") << 500 << 2 << 250;
    QTest::newRow("1000 to 250") << 1000 << 4 << 250;
    QTest::newRow("250 unchanged") << 250 << 1 << 250;
    QTest::newRow("step 0 counts as 1") << 250 << 0 << 250;
}

void TestStreamFilters::averageDecimator()
{
    QFETCH(int, rate);
    QFETCH(int, step);
    QFETCH(int, outputRate);
    auto source = intBuffer(2, rate);
    // Odd and negative values, so that means have fractions of either sign.
    auto value = [](int c, int i) { return double((i * 37 + c * 11) % 201 - 100); };
    const int total = 1003;
    TAverageDecimator decimator(step);
    decimator.setSource(source.get(), 0);
    for (int done = 0; done < total; done += 51) {
        appendSignal(*source, std::min(51, total - done), value);
        decimator.process();
    }
    const int s = std::max(1, step);
    TSignalBuffer* out = decimator.output();
    QCOMPARE(out->samplingRate(), outputRate);
    QCOMPARE(out->length(), total / s);
    for (int c = 0; c < 2; ++c) {
        for (int j = 0; j < out->length(); ++j) {
            int sum = 0;
            for (int k = 0; k < s; ++k)
                sum += int(value(c, j * s + k));
            QCOMPARE(out->sample(c, j), sum / s); // integer division truncates toward zero
        }
    }
}

void TestStreamFilters::chainStagesFollowFlagsAndTypes_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<QByteArray>("notchType");
    QTest::addColumn<QByteArray>("lowpassType");
    QTest::addColumn<QByteArray>("baselineType");
    QTest::addColumn<int>("stages");
    QTest::addColumn<int>("lag"); // total delay of the FIR stages
    QTest::newRow("500 defaults") << 500 << QByteArray("50hz") << QByteArray("40hz") << QByteArray("fir") << 4
                                  << 750 + 97 + 6 + 250;
    QTest::newRow("500 60hz 25hz") << 500 << QByteArray("60hz") << QByteArray("25hz") << QByteArray("fir") << 4
                                   << 750 + 97 + 9 + 250;
    QTest::newRow("500 fft") << 500 << QByteArray("50hz") << QByteArray("40hz") << QByteArray("fft") << 4 << -1;
    QTest::newRow("500 unknown types") << 500 << QByteArray("55hz") << QByteArray("30hz") << QByteArray("iir") << 1
                                       << 750;
    QTest::newRow("250 defaults") << 250 << QByteArray("50hz") << QByteArray("25hz") << QByteArray("fir") << 3
                                  << 54 + 31 + 191;
    QTest::newRow("1000 defaults") << 1000 << QByteArray("60hz") << QByteArray("40hz") << QByteArray("fir") << 3
                                   << 195 + 11 + 677;
    QTest::newRow("360 defaults") << 360 << QByteArray("50hz") << QByteArray("40hz") << QByteArray("fir") << 0 << 0;
}

void TestStreamFilters::chainStagesFollowFlagsAndTypes()
{
    QFETCH(int, rate);
    QFETCH(QByteArray, notchType);
    QFETCH(QByteArray, lowpassType);
    QFETCH(QByteArray, baselineType);
    QFETCH(int, stages);
    QFETCH(int, lag);
    auto source = intBuffer(2, rate);
    TStreamingFilterChain chain(source.get());
    QCOMPARE(chain.stageCount(), rate == 500 ? 1 : 0);
    chain.setNotchType(notchType);
    chain.setLowpassType(lowpassType);
    chain.setBaselineType(baselineType);
    chain.rebuild(true, true, true);
    QCOMPARE(chain.stageCount(), stages);
    if (lag < 0)
        return;
    appendSignal(*source, 5000, ecgLike(rate), 51);
    chain.process();
    QCOMPARE(chain.output()->length(), 5000 - lag);
    QCOMPARE(chain.output()->samplingRate(), rate);
}

void TestStreamFilters::chainProcessesInOrder()
{
    // One process() call carries new samples through every stage: each stage's
    // input is the one before it, already updated.
    auto source = intBuffer(14, 500);
    TStreamingFilterChain chain(source.get());
    chain.setBaselineType("fft");
    chain.rebuild(true, true, true);
    QCOMPARE(chain.stageCount(), 4);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(chain.stage(i + 1)->source(), chain.stage(i)->output());
    appendSignal(*source, 6000, ecgLike(500), 51);
    chain.process();
    const int intoFft = 6000 - 750 - 97 - 6;
    QCOMPARE(chain.stage(2)->output()->length(), intoFft);
    QCOMPARE(chain.output()->length(), 64 * ((intoFft - 544) / 64 + 1));
    // The 50 Hz pickup is gone; the 17 Hz component has the gain of the three FIR
    // tables in a row (the FFT stage passes it).
    const std::vector<double> y = read(*chain.output(), 3, 2000, 2000);
    QVERIFY(sineAmplitude(y, 50.0, 500) < 0.02 * 300.0);
    double gain = 1.0;
    for (const TFirTable* t : {TFilterDesigns::inputHighpassFir(500), TFilterDesigns::notchFir(500, "50hz"),
                               TFilterDesigns::lowpassFir(500, "40hz")})
        gain *= firMagnitude(t->coefficients, t->taps, 500, 17.0);
    QVERIFY(gain < 0.97);
    QVERIFY(std::fabs(sineAmplitude(y, 17.0, 500) / 900.0 - gain) < 0.01);
    // Rebuilding discards the stages; the new output starts where the source is.
    chain.rebuild(false, false, false);
    QCOMPARE(chain.stageCount(), 1);
    QCOMPARE(chain.output()->length(), 6000);
}

void TestStreamFilters::chainBuiltLateDoesNotFilterWhatWasThere()
{
    auto source = intBuffer(1, 500);
    appendSignal(*source, 4000, ecgLike(500));
    TStreamingFilterChain chain(source.get());
    chain.rebuild(true, true, true);
    QCOMPARE(chain.output()->length(), 4000);
    QCOMPARE(largestAbsolute(read(*chain.output(), 0, 0, 4000)), 0.0);
    appendSignal(*source, 3000, ecgLike(500));
    chain.process();
    QCOMPARE(chain.output()->length(), 7000 - 1103);
    QVERIFY(largestAbsolute(read(*chain.output(), 0, 4000, 7000 - 1103 - 4000)) > 100.0);
}

void TestStreamFilters::pagedAndStreamingLowpassAgree_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<QByteArray>("type");
    QTest::newRow("250") << 250 << QByteArray("40hz");
    QTest::newRow("500 25hz") << 500 << QByteArray("25hz");
    QTest::newRow("500 40hz") << 500 << QByteArray("40hz");
    QTest::newRow("1000 25hz") << 1000 << QByteArray("25hz");
    QTest::newRow("1000 40hz") << 1000 << QByteArray("40hz");
}

void TestStreamFilters::pagedAndStreamingLowpassAgree()
{
    QFETCH(int, rate);
    QFETCH(QByteArray, type);
    const TFirTable& t = *TFilterDesigns::lowpassFir(rate, type);
    auto source = intBuffer(2, rate);
    const int total = 4 * 4096;
    appendSignal(*source, total, ecgLike(rate), 51);
    TFilterView paged(source.get(), std::make_unique<TFirPageFilter>(t.values(), t.delay()));
    TFirStreamFilter streaming(t.values(), t.delay());
    streaming.setSource(source.get(), 0);
    streaming.process();
    // Everywhere both have the value (the stream stops delay short of the end).
    const int common = total - t.delay();
    for (int c = 0; c < 2; ++c)
        QVERIFY(read(paged, c, 0, common) == read(*streaming.output(), c, 0, common));
}

QTEST_APPLESS_MAIN(TestStreamFilters)
#include "tst_streamfilters.moc"
