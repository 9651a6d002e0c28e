// Average beats taken lead by lead as they are asked for: the same averages in
// whatever order the leads are asked, and the signal of a lead that is not
// asked for read only as far as the choice of the beats needs it.

#include "TBeatAverager.h"
#include "TEcgSynthesizer.h"
#include "TFilterView.h"
#include "TFirPageFilter.h"
#include "TRingSignalBuffer.h"
#include "TestSignals.h"

#include <QtTest>
#include <memory>

namespace {

constexpr int Leads = 12;

struct Recording
{
    explicit Recording(double seconds) : synth(params(seconds)), buffer(4096, int(synth.frameCount()) + 10, Leads, 500)
    {
        std::vector<qint16> frames(static_cast<size_t>(synth.frameCount()) * TEcgSynthesizer::LeadCount);
        synth.render(0, int(synth.frameCount()), frames.data());
        TestSignals::appendSignal(buffer, int(synth.frameCount()), [&](int c, int f) {
            return double(frames[size_t(f) * TEcgSynthesizer::LeadCount + size_t(c)]);
        });
    }

    static TSynthParams params(double seconds)
    {
        TSynthParams p;
        p.durationSeconds = seconds;
        return p;
    }

    // Every beat of the recording after the first, detected by every lead.
    void addBeats(TBeatAverager& averager) const
    {
        const QVector<TSynthBeat>& beats = synth.beats();
        for (int k = 1; k + 1 < beats.size(); ++k) {
            TBeat b(k, &buffer);
            const double rr = beats[k].rTime - beats[k - 1].rTime;
            b.setValue(TBeat::Time, beats[k].rTime);
            b.setValue(TBeat::RR, rr);
            b.setValue(TBeat::MeanRR, rr);
            for (int c = 0; c < Leads; ++c) {
                b.setLeadValue(c, TBeat::Fiducial, beats[k].rTime);
                b.setLeadValue(c, TBeat::DetectionFlag, 1.0);
            }
            // One lead disturbed over a few beats leaves them out of its own average.
            if (k % 9 == 0)
                b.setLeadValue(5, TBeat::Flag8, 1.0);
            averager.addBeat(b);
        }
    }

    TEcgSynthesizer synth;
    TIntSignalBuffer buffer;
};

std::unique_ptr<TFilterView> view(TSignalBuffer* source)
{
    return std::make_unique<TFilterView>(source, std::make_unique<TFirPageFilter>(std::vector<double>{1.0}, 0));
}

} // namespace

class TestAveragedLeads : public QObject
{
    Q_OBJECT

private slots:
    void leadsAreAlikeInAnyOrder();
    void leadNotAskedForIsReadOnlyWhereTheChoiceNeedsIt();
};

void TestAveragedLeads::leadsAreAlikeInAnyOrder()
{
    const Recording recording(60.0);
    TBeatAverager ascending(&recording.buffer, 300.0);
    TBeatAverager descending(&recording.buffer, 300.0);
    TBeatAverager reference(&recording.buffer, 300.0);
    recording.addBeats(ascending);
    recording.addBeats(descending);
    recording.addBeats(reference);
    QVERIFY(ascending.beatCount() > 80);
    reference.takeReference(); // every lead at once
    for (int c = 0; c < Leads; ++c)
        QVERIFY(reference.referenceBeat(c) == reference.average(c));
    std::vector<std::vector<double>> up(Leads);
    for (int c = 0; c < Leads; ++c)
        up[size_t(c)] = ascending.average(c);
    for (int c = Leads - 1; c >= 0; --c) {
        QVERIFY2(descending.average(c) == up[size_t(c)], qPrintable(QString("lead %1").arg(c)));
        QVERIFY(up[size_t(c)] == reference.average(c));
    }
    // The leads' averages are of the heart, not zeros; the disturbed lead's too.
    const int r = reference.rIndex();
    QVERIFY(std::fabs(up[1][size_t(r)]) > 100.0);
    QVERIFY(std::fabs(up[5][size_t(r)]) > 0.0);
    QCOMPARE(descending.beatCount(), ascending.beatCount());
    QCOMPARE(descending.meanRR(), ascending.meanRR());
}

void TestAveragedLeads::leadNotAskedForIsReadOnlyWhereTheChoiceNeedsIt()
{
    const Recording recording(120.0);
    const auto oneView = view(const_cast<TIntSignalBuffer*>(&recording.buffer));
    const auto allView = view(const_cast<TIntSignalBuffer*>(&recording.buffer));
    TBeatAverager one(oneView.get(), 300.0);
    TBeatAverager all(allView.get(), 300.0);
    recording.addBeats(one);
    recording.addBeats(all);
    const std::vector<double> lead = one.average(1);
    for (int c = 0; c < Leads; ++c)
        all.average(c);
    QVERIFY(all.average(1) == lead);
    // Every page of every lead for all of them; for one lead, its own pages,
    // those of the few leads that tell the complex's shape and a few others.
    const int pages = oneView->pageCount();
    QCOMPARE(allView->loadedPageCount(), Leads * pages);
    QVERIFY2(oneView->loadedPageCount() <= Leads * pages / 2,
             qPrintable(QString("%1 of %2 pages read").arg(oneView->loadedPageCount()).arg(Leads * pages)));
}

QTEST_APPLESS_MAIN(TestAveragedLeads)
#include "tst_averagedleads.moc"
