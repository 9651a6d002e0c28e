#pragma once

#include "TPageFilter.h"
#include "TSignalBuffer.h"
#include "TSignalBufferListener.h"

#include <memory>
#include <vector>

// A signal buffer whose pages are computed on demand by a page filter from the
// pages of a source buffer, and then kept in the page cache. It has the source's
// shape and names, follows the source's length as it grows and tells its own
// listeners in turn, so views can be stacked into a chain.
//
// A page computed before everything it depends on was complete (the last pages
// of a growing signal, which see zeros after them) is computed again when it is
// next read after the signal has gained a page, until it is final. A view must
// not outlive its source.
class TFilterView : public TSignalBuffer, private TSignalBufferListener
{
public:
    // One filter for every channel.
    TFilterView(TSignalBuffer* source, std::unique_ptr<TPageFilter> filter);
    // One filter per channel; a channel without one (null, or beyond the list)
    // shows its source pages unchanged.
    TFilterView(TSignalBuffer* source, std::vector<std::unique_ptr<TPageFilter>> channelFilters);
    ~TFilterView() override;

    TSignalBuffer* source() const { return m_source; }
    const TPageFilter* filter(int channel) const;

    TSampleType sampleType() const override { return TSampleType::Int16; }
    // Served through the page cache; only samples of addressable pages are held.
    int sample(int channel, int index) const override;
    void samples(int channel, int start, int count, double* out) const override;
    void* loadPage(int channel, int page) override;
    void freePage(void* page) override;
    bool isPageFinal(int page) const override;

    // A view is computed, never written: appends are ignored.
    void append(const void*, int) override {}
    void appendChannels(const qint16* const*, int) override {}
    void appendDoubles(const double* const*, int) override {}

private:
    TFilterView(TSignalBuffer* source);
    void signalAppended() override;
    void followSource();
    void readSourcePage(int channel, int page, double* into, bool* present);
    struct Job
    {
        int channel;
        int page;
    };
    // Pages read in order are computed a few at a time where the filter does
    // that to better effect: this one and those computed with it.
    std::vector<Job> jobsFrom(int channel, int page) const;
    bool computable(int channel, int page) const;
    qint16* takeComputed(int channel, int page);

    TSignalBuffer* m_source;
    std::unique_ptr<TPageFilter> m_filter;
    std::vector<std::unique_ptr<TPageFilter>> m_channelFilters;
    std::vector<double> m_window; // the source pages around those computed, side by side
    // Per channel: the last page computed, how many were computed in a row up
    // to it, and final pages computed with it that have not been asked for yet.
    struct Computed
    {
        int page;
        qint16* values;
    };
    std::vector<int> m_lastComputed;
    std::vector<int> m_run;
    Job m_lastRequest{-1, -1};
    std::vector<std::vector<Computed>> m_computed;
};
