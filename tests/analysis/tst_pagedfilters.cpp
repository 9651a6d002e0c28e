// The paged zero-phase chain: its stages, the recursive stages' zero phase and
// their seamless pages, the offset stage, pages of a growing signal, and the
// chain's rebuild.

#include "TException.h"
#include "TFilterDesigns.h"
#include "TFilterView.h"
#include "TFirPageFilter.h"
#include "TIirPageFilter.h"
#include "TOffsetPageFilter.h"
#include "TPagedFilterChain.h"
#include "TestSignals.h"

#include <QtTest>
#include <cmath>

using namespace TestSignals;

namespace {

constexpr int Page = 4096;

// The recursive design run forward over the whole signal and backward from well
// past its end (zeros after it): what page-wise filtering must reproduce.
std::vector<double> zeroPhaseWhole(const TIirDesign& d, const std::vector<double>& x)
{
    const int n = int(x.size());
    const int span = n + d.margin;
    const int order = d.order();
    std::vector<double> y(size_t(span), 0.0);
    std::vector<double> z(size_t(span), 0.0);
    auto in = [&](int i) { return i >= 0 && i < n ? x[size_t(i)] : 0.0; };
    for (int i = 0; i < span; ++i) {
        double v = d.b[0] * in(i);
        for (int k = 1; k <= order && i - k >= 0; ++k)
            v += d.b[size_t(k)] * in(i - k) + d.a[size_t(k - 1)] * y[size_t(i - k)];
        y[size_t(i)] = v;
    }
    for (int i = span - 1; i >= 0; --i) {
        double v = d.b[0] * y[size_t(i)];
        for (int k = 1; k <= order && i + k < span; ++k)
            v += d.b[size_t(k)] * y[size_t(i + k)] + d.a[size_t(k - 1)] * z[size_t(i + k)];
        z[size_t(i)] = v;
    }
    z.resize(size_t(n));
    return z;
}

TIirDesign designNamed(const QByteArray& name, int* rate)
{
    if (name == "input highpass 500") {
        *rate = 500;
        return *TFilterDesigns::inputHighpassIir(500);
    }
    if (name == "notch 500" || name == "notch 1000") {
        *rate = name == "notch 500" ? 500 : 1000;
        return *TFilterDesigns::notchIir(*rate);
    }
    *rate = name == "baseline 500" ? 500 : 1000;
    return *TFilterDesigns::baselineIir(*rate);
}

void addDesignRows()
{
    QTest::addColumn<QByteArray>("design");
    for (const char* name : {"input highpass 500", "notch 500", "notch 1000", "baseline 500", "baseline 1000"})
        QTest::newRow(name) << QByteArray(name);
}

double largestDifference(const std::vector<double>& a, const std::vector<double>& b, size_t from, size_t to)
{
    double m = 0.0;
    for (size_t i = from; i < to && i < a.size() && i < b.size(); ++i)
        m = std::max(m, std::fabs(a[i] - b[i]));
    return m;
}

} // namespace

class TestPagedFilters : public QObject
{
    Q_OBJECT

private slots:
    void constantSignalComesOutAsZeros_data();
    void constantSignalComesOutAsZeros();
    void notchAt500_data();
    void notchAt500();
    void lowpassAt250IsTheSameForBothTypes();
    void recursiveStagesKeepPulsesSymmetric_data() { addDesignRows(); }
    void recursiveStagesKeepPulsesSymmetric();
    void pagesJoinWithoutSeam_data() { addDesignRows(); }
    void pagesJoinWithoutSeam();
    void pagesFilteredSideBySideAsAlone_data() { addDesignRows(); }
    void pagesFilteredSideBySideAsAlone();
    void pagesAreAlikeInAnyReadingOrder();
    void offsetStageRemovesTheLineBetweenTheEnds();
    void offsetStageOnShortSignals_data();
    void offsetStageOnShortSignals();
    void offsetStageHoldsItsLevelAfterTheFit();
    void lastCompletePageSeesZerosUntilTheNextIsComplete();
    void growingChainCatchesUp();
    void stagesFollowTheFlags_data();
    void stagesFollowTheFlags();
    void lowpassWithoutTableLeavesTheSignal_data();
    void lowpassWithoutTableLeavesTheSignal();
    void notchTypeWithoutDesignFails_data();
    void notchTypeWithoutDesignFails();
    void rebuildDiscardsTheOldStages();
    void viewCopiesShapeAndFiltersPerChannel();
    void viewReadsSamplesThroughItsPages();
};

void TestPagedFilters::constantSignalComesOutAsZeros_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("length");
    QTest::newRow("250, 3.5 pages") << 250 << 3 * Page + 2000;
    QTest::newRow("500, 3.5 pages") << 500 << 3 * Page + 2000;
    QTest::newRow("1000, 3.5 pages") << 1000 << 3 * Page + 2000;
    QTest::newRow("500, one page") << 500 << Page;
}

void TestPagedFilters::constantSignalComesOutAsZeros()
{
    QFETCH(int, rate);
    QFETCH(int, length);
    auto source = intBuffer(2, rate);
    appendSignal(*source, length, [](int c, int) { return c == 0 ? 1234.0 : -20000.0; });
    TPagedFilterChain chain(source.get());
    QVERIFY(chain.stageCount() >= 1);
    TSignalBuffer* out = chain.output();
    QCOMPARE(out->pageCount(), length / Page);
    for (int c = 0; c < 2; ++c)
        QCOMPARE(largestAbsolute(read(*out, c, 0, out->pageCount() * Page)), 0.0);
}

void TestPagedFilters::notchAt500_data()
{
    QTest::addColumn<double>("hz");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::newRow("50 Hz removed") << 50.0 << 0.0 << 0.02;
    QTest::newRow("45 Hz kept at 87 %") << 45.0 << 0.85 << 0.89;
    QTest::newRow("55 Hz kept at 87 %") << 55.0 << 0.85 << 0.89;
    QTest::newRow("30 Hz passes") << 30.0 << 0.98 << 1.02;
}

void TestPagedFilters::notchAt500()
{
    QFETCH(double, hz);
    QFETCH(double, low);
    QFETCH(double, high);
    auto source = intBuffer(1, 500);
    const double amplitude = 10000.0;
    appendSignal(*source, 4 * Page, sine(amplitude, hz, 500));
    TPagedFilterChain chain(source.get());
    chain.rebuild(true, false, false);
    // Middle of page 2: 1000 samples around its centre.
    const int from = 2 * Page + Page / 2 - 500;
    const double gain = sineAmplitude(read(*chain.output(), 0, from, 1000), hz, 500) / amplitude;
    QVERIFY2(gain >= low && gain <= high, qPrintable(QString("gain %1").arg(gain)));
}

void TestPagedFilters::lowpassAt250IsTheSameForBothTypes()
{
    auto source = intBuffer(1, 250);
    appendSignal(*source, 3 * Page, [](int, int i) {
        return 3000.0 * std::sin(2 * Pi * 10 * i / 250.0) + 2000.0 * std::sin(2 * Pi * 55 * i / 250.0);
    });
    TPagedFilterChain chain(source.get());
    chain.setLowpassType("25hz");
    chain.rebuild(false, true, false);
    const std::vector<double> at25 = read(*chain.output(), 0, 0, 3 * Page);
    chain.setLowpassType("40hz");
    chain.rebuild(false, true, false);
    const std::vector<double> at40 = read(*chain.output(), 0, 0, 3 * Page);
    QVERIFY(at25 == at40);
    // And it does filter: the 55 Hz component of 2000 codes is gone.
    QVERIFY(sineAmplitude(std::vector<double>(at25.begin() + Page, at25.begin() + 2 * Page), 55, 250) < 20.0);
}

void TestPagedFilters::recursiveStagesKeepPulsesSymmetric()
{
    QFETCH(QByteArray, design);
    int rate = 0;
    const TIirDesign d = designNamed(design, &rate);
    auto source = intBuffer(1, rate);
    const int centre = Page + Page / 2;
    const int halfWidth = rate / 20; // a 0.1 s raised-cosine pulse
    appendSignal(*source, 3 * Page, [&](int, int i) {
        const int k = i - centre;
        return std::abs(k) <= halfWidth ? 5000.0 * (0.5 + 0.5 * std::cos(Pi * k / halfWidth)) : 0.0;
    });
    TFilterView view(source.get(), std::make_unique<TIirPageFilter>(d));
    const std::vector<double> out = read(view, 0, 0, 3 * Page);
    size_t peak = 0;
    for (size_t i = 0; i < out.size(); ++i)
        if (std::fabs(out[i]) > std::fabs(out[peak]))
            peak = i;
    QCOMPARE(int(peak), centre);
    double asymmetry = 0.0;
    for (int k = 1; k < 2000; ++k)
        asymmetry = std::max(asymmetry, std::fabs(out[size_t(centre + k)] - out[size_t(centre - k)]));
    QVERIFY2(asymmetry <= 1.0, qPrintable(QString("asymmetry %1").arg(asymmetry)));
}

void TestPagedFilters::pagesJoinWithoutSeam()
{
    QFETCH(QByteArray, design);
    int rate = 0;
    const TIirDesign d = designNamed(design, &rate);
    const int length = 6 * Page;
    auto signal = [&](int, int i) {
        const double t = double(i) / rate;
        return 4000.0 * std::sin(2 * Pi * 7.3 * t) + 1500.0 * std::sin(2 * Pi * 0.9 * t + 1.0) +
               800.0 * std::sin(2 * Pi * 50.0 * t);
    };
    auto source = intBuffer(1, rate);
    appendSignal(*source, length, signal);
    std::vector<double> codes = read(*source, 0, 0, length);
    const std::vector<double> whole = zeroPhaseWhole(d, codes);
    TFilterView view(source.get(), std::make_unique<TIirPageFilter>(d));
    const std::vector<double> paged = read(view, 0, 0, length);
    // Away from the signal's ends, where the page windows see all there is.
    const double seam = largestDifference(paged, whole, Page, length - Page);
    // The input highpass settles slowest (0.25 Hz) within its 2000-sample margin
    // and leaves up to 3 codes; the others are within truncation.
    const double tolerance = design == "input highpass 500" ? 4.0 : 1.5;
    QVERIFY2(seam <= tolerance, qPrintable(QString("largest difference %1 codes").arg(seam)));
}

void TestPagedFilters::pagesFilteredSideBySideAsAlone()
{
    QFETCH(QByteArray, design);
    int rate = 0;
    const TIirPageFilter filter(designNamed(design, &rate));
    // Pages of noise with steps, each between its neighbours, filtered a few at
    // a time: every code as when the page is filtered alone.
    constexpr int Pages = 7;
    std::vector<double> x(size_t(Pages + 2) * Page);
    quint32 seed = 12345;
    for (size_t i = 0; i < x.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        x[i] = double(int(seed >> 17) % 8000 - 4000) + (i / 1500 % 2 ? 6000.0 : -3000.0);
    }
    for (int count = 1; count <= Pages; ++count) {
        std::vector<TPageWindow> windows(static_cast<size_t>(count));
        std::vector<std::vector<qint16>> alone(static_cast<size_t>(count), std::vector<qint16>(Page));
        std::vector<std::vector<qint16>> together = alone;
        std::vector<qint16*> outputs;
        for (int k = 0; k < count; ++k) {
            TPageWindow& w = windows[size_t(k)];
            w.page = k + 1;
            w.length = Page;
            w.sourceLength = int(x.size());
            w.values = x.data() + size_t(k + 1) * Page;
            w.hasPrevious = w.hasCurrent = w.hasNext = true;
            filter.filterPage(w, alone[size_t(k)].data());
            outputs.push_back(together[size_t(k)].data());
        }
        filter.filterPages(windows.data(), outputs.data(), count);
        QVERIFY2(together == alone, qPrintable(QString("%1 pages at once").arg(count)));
    }
}

void TestPagedFilters::pagesAreAlikeInAnyReadingOrder()
{
    // Pages read in order are computed several at a time, page after page of a
    // lead or lead after lead at a page; read backwards, one at a time. The
    // chain's output is the same whichever way it is read.
    constexpr int Leads = 6;
    constexpr int Pages = 9;
    auto source = intBuffer(Leads, 500);
    appendSignal(*source, Pages * Page, [](int c, int i) {
        const double t = i / 500.0;
        return 3000.0 * std::sin(2 * Pi * (1.1 + 0.3 * c) * t) + 900.0 * std::sin(2 * Pi * 50.0 * t) +
               400.0 * std::sin(2 * Pi * 0.2 * t + c) + double((i * 7919 + c * 104729) % 401) - 200.0;
    });
    const auto pages = [&](TPagedFilterChain& chain, bool leadAfterLead, bool backwards) {
        chain.rebuild(true, true, true);
        std::vector<std::vector<double>> out(size_t(Leads) * Pages);
        for (int a = 0; a < (leadAfterLead ? Pages : Leads); ++a)
            for (int b = 0; b < (leadAfterLead ? Leads : Pages); ++b) {
                int lead = leadAfterLead ? b : a;
                int page = leadAfterLead ? a : b;
                if (backwards) {
                    lead = Leads - 1 - lead;
                    page = Pages - 1 - page;
                }
                out[size_t(lead * Pages + page)] = read(*chain.output(), lead, page * Page, Page);
            }
        return out;
    };
    TPagedFilterChain inOrder(source.get()), leadAfterLead(source.get()), backwards(source.get());
    const auto alone = pages(backwards, false, true);
    QVERIFY(largestAbsolute(alone[Pages + 3]) > 1000.0);
    QVERIFY(pages(inOrder, false, false) == alone);
    QVERIFY(pages(leadAfterLead, true, false) == alone);
}

void TestPagedFilters::offsetStageRemovesTheLineBetweenTheEnds()
{
    const int rate = 500;
    const int length = 5 * Page;
    auto source = intBuffer(1, rate);
    // A line from 6000 to -3000 with a 5 Hz ripple of whole periods in each 3 s end.
    appendSignal(*source, length, [&](int, int i) {
        return 6000.0 - 9000.0 * i / length + 500.0 * std::sin(2 * Pi * 5.0 * i / rate);
    });
    TFilterView view(source.get(), std::make_unique<TOffsetPageFilter>(*source));
    const std::vector<double> out = read(view, 0, 0, length);
    double worst = 0.0;
    for (int i = 0; i < length; ++i)
        worst = std::max(worst, std::fabs(out[size_t(i)] - 500.0 * std::sin(2 * Pi * 5.0 * i / rate)));
    QVERIFY2(worst <= 3.0, qPrintable(QString("largest residue %1").arg(worst)));
}

void TestPagedFilters::offsetStageOnShortSignals_data()
{
    QTest::addColumn<int>("length");
    QTest::newRow("shorter than 3 s") << 700;
    QTest::newRow("exactly 3 s") << 1500;
    QTest::newRow("one sample") << 1;
}

void TestPagedFilters::offsetStageOnShortSignals()
{
    QFETCH(int, length);
    auto source = intBuffer(1, 500);
    appendSignal(*source, length, [](int, int) { return 2500.0; });
    const TOffsetPageFilter filter(*source);
    const TOffsetPageFilter::Fit& fit = filter.fit(0);
    for (double i : {0.0, length / 2.0, double(length - 1)})
        QCOMPARE(fit.at(i), 2500.0);
    // The page that holds the samples (made addressable) comes out as zeros.
    source->releaseUnusedPages(true);
    TFilterView view(source.get(), std::make_unique<TOffsetPageFilter>(*source));
    QCOMPARE(largestAbsolute(read(view, 0, 0, length)), 0.0);
}

void TestPagedFilters::offsetStageHoldsItsLevelAfterTheFit()
{
    const int rate = 500;
    auto source = intBuffer(1, rate, 1 << 21);
    // 10 s rising by 400 codes (an electrode settling), fitted; then 30 minutes flat.
    const int fitted = 10 * rate;
    appendSignal(*source, fitted, [&](int, int i) { return 400.0 * i / fitted; });
    TFilterView view(source.get(), std::make_unique<TOffsetPageFilter>(*source));
    appendSignal(*source, 1800 * rate, [](int, int) { return 400.0; });
    // Extending the line would have taken the last page 72000 codes down (out of
    // range); it keeps the line's last level instead.
    const int last = view.pageCount() - 1;
    QVERIFY(last > 200);
    const double offset = largestAbsolute(read(view, 0, last * Page, Page));
    QVERIFY2(offset <= 50.0, qPrintable(QString("offset %1").arg(offset)));
}

void TestPagedFilters::lastCompletePageSeesZerosUntilTheNextIsComplete()
{
    const int rate = 500;
    const TIirDesign d = *TFilterDesigns::baselineIir(rate);
    auto signal = [&](int, int i) { return 3000.0 * std::sin(2 * Pi * 0.8 * i / rate) + 2000.0; };
    auto source = intBuffer(1, rate);
    appendSignal(*source, 2 * Page + 100, signal);
    TFilterView view(source.get(), std::make_unique<TIirPageFilter>(d));
    QCOMPARE(view.pageCount(), 2);

    // Page 1 is the last complete page: computed as if zeros followed it.
    std::vector<double> truncated = read(*source, 0, 0, 2 * Page);
    const std::vector<double> withZeros = zeroPhaseWhole(d, truncated);
    const std::vector<double> early = read(view, 0, Page, Page);
    QVERIFY(largestDifference(early, std::vector<double>(withZeros.begin() + Page, withZeros.end()), 0, Page) <= 2.0);

    // Once the page after it is complete, page 1 is computed again with it.
    appendSignal(*source, Page, signal);
    QCOMPARE(view.pageCount(), 3);
    const std::vector<double> later = read(view, 0, Page, Page);
    const std::vector<double> full = zeroPhaseWhole(d, read(*source, 0, 0, source->length()));
    QVERIFY(largestDifference(later, std::vector<double>(full.begin() + Page, full.begin() + 2 * Page), 0, Page) <= 2.0);
    QVERIFY2(largestDifference(early, later, 0, Page) > 100.0, "the zeros after the page must have shown");
}

void TestPagedFilters::growingChainCatchesUp()
{
    // A chain read while its signal grows ends up with the pages of a chain that
    // was read only once everything had arrived (both fitted at the same length).
    auto signal = [](int c, int i) {
        const double t = i / 500.0;
        return 3000.0 * std::sin(2 * Pi * 1.1 * t + c) + 700.0 * std::sin(2 * Pi * 50 * t) + 400.0 * std::sin(2 * Pi * 0.2 * t);
    };
    auto live = intBuffer(2, 500);
    auto late = intBuffer(2, 500);
    appendSignal(*live, 2 * Page + 10, signal);
    appendSignal(*late, 2 * Page + 10, signal);
    TPagedFilterChain growing(live.get());
    TPagedFilterChain reference(late.get());
    growing.rebuild(true, true, true);
    reference.rebuild(true, true, true);
    const std::vector<double> early = read(*growing.output(), 1, 0, 2 * Page);
    appendSignal(*live, 4 * Page, signal, 51);
    appendSignal(*late, 4 * Page, signal);
    QCOMPARE(growing.output()->pageCount(), 6);
    for (int c = 0; c < 2; ++c)
        QVERIFY(read(*growing.output(), c, 0, 6 * Page) == read(*reference.output(), c, 0, 6 * Page));
    QVERIFY(read(*growing.output(), 1, 0, 2 * Page) != early);
}

void TestPagedFilters::stagesFollowTheFlags_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<bool>("notch");
    QTest::addColumn<bool>("lowpass");
    QTest::addColumn<bool>("baseline");
    QTest::addColumn<int>("stages");
    // Offset always; input highpass at 500; notch IIR at 500 and 1000; lowpass FIR at
    // every rate with a table; baseline IIR at 500 and 1000.
    QTest::newRow("500 all off") << 500 << false << false << false << 2;
    QTest::newRow("500 all on") << 500 << true << true << true << 5;
    QTest::newRow("500 baseline") << 500 << false << false << true << 3;
    QTest::newRow("1000 all off") << 1000 << false << false << false << 1;
    QTest::newRow("1000 all on") << 1000 << true << true << true << 4;
    QTest::newRow("250 all off") << 250 << false << false << false << 1;
    QTest::newRow("250 all on") << 250 << true << true << true << 2;
    QTest::newRow("360 all on") << 360 << true << true << true << 1;
}

void TestPagedFilters::stagesFollowTheFlags()
{
    QFETCH(int, rate);
    QFETCH(bool, notch);
    QFETCH(bool, lowpass);
    QFETCH(bool, baseline);
    QFETCH(int, stages);
    auto source = intBuffer(1, rate);
    TPagedFilterChain chain(source.get());
    chain.rebuild(notch, lowpass, baseline);
    QCOMPARE(chain.stageCount(), stages);
    QCOMPARE(chain.output(), static_cast<TSignalBuffer*>(const_cast<TFilterView*>(chain.stage(stages - 1))));
    QCOMPARE(chain.notch(), notch);
    QCOMPARE(chain.lowpass(), lowpass);
    QCOMPARE(chain.baseline(), baseline);
}

void TestPagedFilters::lowpassWithoutTableLeavesTheSignal_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<QByteArray>("type");
    QTest::newRow("unknown type at 500") << 500 << QByteArray("30hz");
    QTest::newRow("no table at 360") << 360 << QByteArray("40hz");
}

void TestPagedFilters::lowpassWithoutTableLeavesTheSignal()
{
    QFETCH(int, rate);
    QFETCH(QByteArray, type);
    auto source = intBuffer(1, rate);
    appendSignal(*source, 3 * Page, sine(3000, 9, rate));
    TPagedFilterChain chain(source.get());
    const std::vector<double> plain = read(*chain.output(), 0, 0, 3 * Page);
    const int stages = chain.stageCount();
    chain.setLowpassType(type);
    chain.rebuild(false, true, false);
    // No stage rather than one that blanks the trace.
    QCOMPARE(chain.stageCount(), stages);
    QVERIFY(read(*chain.output(), 0, 0, 3 * Page) == plain);
    QVERIFY(largestAbsolute(plain) > 2000.0);
}

void TestPagedFilters::notchTypeWithoutDesignFails_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<int>("stagesLeft");
    QTest::newRow("60hz at 500") << 500 << QByteArray("60hz") << 2;
    QTest::newRow("60hz at 1000") << 1000 << QByteArray("60hz") << 1;
    QTest::newRow("unknown at 500") << 500 << QByteArray("49hz") << 2;
}

void TestPagedFilters::notchTypeWithoutDesignFails()
{
    QFETCH(int, rate);
    QFETCH(QByteArray, type);
    QFETCH(int, stagesLeft);
    auto source = intBuffer(1, rate);
    appendSignal(*source, Page, sine(1000, 10, rate));
    TPagedFilterChain chain(source.get());
    chain.setNotchType(type);
    try {
        chain.rebuild(true, true, true);
        QFAIL("rebuild succeeded");
    } catch (const TException& e) {
        QCOMPARE(e.message(), QString("pendiente - filtro no definido"));
    }
    QCOMPARE(chain.stageCount(), stagesLeft);
    QCOMPARE(chain.output()->length(), Page);
    // At 250 per second there is no notch stage at all, whatever the type.
    auto slow = intBuffer(1, 250);
    TPagedFilterChain other(slow.get());
    other.setNotchType(type);
    other.rebuild(true, false, false);
    QCOMPARE(other.stageCount(), 1);
}

void TestPagedFilters::rebuildDiscardsTheOldStages()
{
    auto source = intBuffer(2, 500);
    appendSignal(*source, 2 * Page, sine(2000, 8, 500));
    TPagedFilterChain chain(source.get());
    chain.rebuild(true, true, true);
    QCOMPARE(chain.stageCount(), 5);
    const std::vector<double> filtered = read(*chain.output(), 1, 0, Page);
    chain.rebuild(false, false, false);
    QCOMPARE(chain.stageCount(), 2);
    // The new stages follow the source as it grows (the old ones no longer listen:
    // under AddressSanitizer a stale listener would fault here).
    appendSignal(*source, 2 * Page, sine(2000, 8, 500));
    QCOMPARE(chain.output()->length(), 4 * Page);
    QCOMPARE(chain.output()->pageCount(), 4);
    QVERIFY(read(*chain.output(), 1, 0, Page) != filtered);
    chain.rebuild(true, true, true);
    QVERIFY(read(*chain.output(), 1, 0, Page) == filtered);
}

void TestPagedFilters::viewCopiesShapeAndFiltersPerChannel()
{
    auto source = intBuffer(3, 500);
    source->setResolution(14);
    source->setGain(-300.0, 300.0);
    const char* names[] = {"I", "II", "V5"};
    for (int c = 0; c < 3; ++c)
        source->channel(c)->setName(names[c]);
    appendSignal(*source, 2 * Page, [](int c, int i) { return 1000.0 * (c + 1) + (i % 7); });
    std::vector<std::unique_ptr<TPageFilter>> filters;
    filters.push_back(std::make_unique<TOffsetPageFilter>(*source));
    filters.push_back(nullptr);
    TFilterView view(source.get(), std::move(filters));
    QCOMPARE(view.channelCount(), 3);
    QCOMPARE(view.samplingRate(), 500);
    QCOMPARE(view.pageSize(), Page);
    QCOMPARE(view.resolution(), 14);
    QCOMPARE(view.gainMin(), -300.0);
    QCOMPARE(view.valueStep(), source->valueStep());
    for (int c = 0; c < 3; ++c)
        QCOMPARE(view.channel(c)->name(), QByteArray(names[c]));
    // Channel 0 filtered; channels 1 (null filter) and 2 (beyond the list) copied.
    QVERIFY(largestAbsolute(read(view, 0, 0, 2 * Page)) < 10.0);
    QVERIFY(read(view, 1, 0, 2 * Page) == read(*source, 1, 0, 2 * Page));
    QVERIFY(read(view, 2, 0, 2 * Page) == read(*source, 2, 0, 2 * Page));
}

void TestPagedFilters::viewReadsSamplesThroughItsPages()
{
    auto source = intBuffer(1, 500);
    appendSignal(*source, 2 * Page + 300, [](int, int i) { return double(i % 1000) - 500.0; });
    TFilterView view(source.get(), std::make_unique<TFirPageFilter>(std::vector<double>{1.0}, 0));
    QCOMPARE(view.length(), 2 * Page + 300);
    QCOMPARE(view.pageCount(), 2);
    QCOMPARE(view.sample(0, 5000), source->sample(0, 5000));
    QCOMPARE(view.sample(0, -1), 0);
    // The partial page is not addressable yet: it reads as zeros, like the source's pages.
    QCOMPARE(view.sample(0, 2 * Page + 10), 0);
    const std::vector<double> across = read(view, 0, Page - 50, 100);
    QVERIFY(across == read(*source, 0, Page - 50, 100));
    QCOMPARE(view.loadedPageCount(), 2);
    // Where the source makes its partial page addressable (a stored recording),
    // a view over it serves that page too.
    source->releaseUnusedPages(true);
    TFilterView stored(source.get(), std::make_unique<TFirPageFilter>(std::vector<double>{1.0}, 0));
    QCOMPARE(stored.pageCount(), 3);
    QCOMPARE(stored.sample(0, 2 * Page + 10), source->sample(0, 2 * Page + 10));
    QVERIFY(stored.sample(0, 2 * Page + 10) != 0);
}

QTEST_APPLESS_MAIN(TestPagedFilters)
#include "tst_pagedfilters.moc"
