#include "TFilterView.h"

#include "TSampleConversion.h"

#include <algorithm>

TFilterView::TFilterView(TSignalBuffer* source)
    : TSignalBuffer(source->pageSize(), source->channelCount(), source->samplingRate(), source->resolution()),
      m_source(source),
      m_window(size_t(3) * size_t(source->pageSize()), 0.0),
      m_lastComputed(size_t(source->channelCount()), -2),
      m_run(size_t(source->channelCount()), 0),
      m_computed(size_t(source->channelCount()))
{
    copyShapeFrom(*source);
    m_source->addListener(this);
    followSource();
}

TFilterView::TFilterView(TSignalBuffer* source, std::unique_ptr<TPageFilter> filter) : TFilterView(source)
{
    m_filter = std::move(filter);
}

TFilterView::TFilterView(TSignalBuffer* source, std::vector<std::unique_ptr<TPageFilter>> channelFilters)
    : TFilterView(source)
{
    m_channelFilters = std::move(channelFilters);
}

TFilterView::~TFilterView()
{
    m_source->removeListener(this);
    freeAllPages();
    for (const auto& pages : m_computed)
        for (const Computed& c : pages)
            delete[] c.values;
}

const TPageFilter* TFilterView::filter(int channel) const
{
    if (m_filter)
        return m_filter.get();
    if (channel >= 0 && channel < int(m_channelFilters.size()))
        return m_channelFilters[size_t(channel)].get();
    return nullptr;
}

void TFilterView::signalAppended()
{
    followSource();
    notifyListeners();
}

void TFilterView::followSource()
{
    advanceLength(m_source->length() - length());
    setPageCount(m_source->pageCount());
}

bool TFilterView::isPageFinal(int page) const
{
    // The window reads the source pages before, at and after this one; pages
    // become final in order, so the one after is the one to ask about.
    return page < pageCount() && m_source->isPageFinal(page + 1);
}

void TFilterView::readSourcePage(int channel, int page, double* into, bool* present)
{
    const int n = pageSize();
    *present = false;
    const void* data = page >= 0 ? m_source->getPage(channel, page) : nullptr;
    if (!data) {
        std::fill(into, into + n, 0.0);
        return;
    }
    *present = true;
    if (m_source->sampleType() == TSampleType::Int16) {
        const qint16* v = static_cast<const qint16*>(data);
        for (int i = 0; i < n; ++i)
            into[i] = v[i];
    } else {
        const double* v = static_cast<const double*>(data);
        std::copy(v, v + n, into);
    }
    m_source->releasePage(channel, page);
}

bool TFilterView::computable(int channel, int page) const
{
    // Only pages that can no longer change, and that are wanted next: not
    // held already.
    if (channel >= channelCount() || page >= pageCount() || !isPageFinal(page) || isPageLoaded(channel, page))
        return false;
    for (const Computed& c : m_computed[size_t(channel)])
        if (c.page == page)
            return false;
    return true;
}

std::vector<TFilterView::Job> TFilterView::jobsFrom(int channel, int page) const
{
    // The signal is read in order, page after page of a channel or channel
    // after channel at a page: the pages that come next in that order are
    // computed with this one, where the filter does that to better effect.
    // Ahead of a run of pages, no further than the run has come: a reader that
    // stops after a few pages leaves few computed for nothing.
    std::vector<Job> jobs{{channel, page}};
    const TPageFilter* f = filter(channel);
    if (!f || f->batchSize() <= 1 || !isPageFinal(page))
        return jobs;
    const bool pageAfterPage = m_lastComputed[size_t(channel)] == page - 1;
    const bool channelAfterChannel = m_lastRequest.channel == channel - 1 && m_lastRequest.page == page;
    const int most = pageAfterPage ? std::min(f->batchSize(), m_run[size_t(channel)]) : f->batchSize();
    for (int k = 1; k < most; ++k) {
        const Job next = pageAfterPage ? Job{channel, page + k} : Job{channel + k, page};
        if (!(pageAfterPage || channelAfterChannel) || !computable(next.channel, next.page) ||
            filter(next.channel) != f)
            break;
        jobs.push_back(next);
    }
    return jobs;
}

qint16* TFilterView::takeComputed(int channel, int page)
{
    std::vector<Computed>& pages = m_computed[size_t(channel)];
    for (size_t i = 0; i < pages.size(); ++i)
        if (pages[i].page == page) {
            qint16* values = pages[i].values;
            pages.erase(pages.begin() + long(i));
            return values;
        }
    return nullptr;
}

void* TFilterView::loadPage(int channel, int page)
{
    if (channel < 0 || channel >= channelCount() || page < 0 || page >= pageCount())
        return nullptr;
    const Job request{channel, page};
    if (qint16* values = takeComputed(channel, page)) {
        m_lastRequest = request;
        return values;
    }
    const int n = pageSize();
    const std::vector<Job> jobs = jobsFrom(channel, page);
    m_lastRequest = request;
    const size_t count = jobs.size();
    // The source pages before, at and after each page computed, read in the
    // order of the jobs (so that the source sees the same order).
    m_window.resize(3 * count * size_t(n));
    double* values = m_window.data();
    std::vector<bool> present(3 * count);
    const auto slot = [&](size_t job, int side) { return 3 * job + size_t(side + 1); };
    for (int side = -1; side <= 1; ++side)
        for (size_t j = 0; j < count; ++j) {
            bool there = false;
            readSourcePage(jobs[j].channel, jobs[j].page + side, values + slot(j, side) * size_t(n), &there);
            present[slot(j, side)] = there;
        }
    std::vector<TPageWindow> windows(count);
    std::vector<qint16*> outputs(count);
    for (size_t j = 0; j < count; ++j) {
        TPageWindow& window = windows[j];
        window.channel = jobs[j].channel;
        window.page = jobs[j].page;
        window.length = n;
        window.sourceLength = m_source->length();
        window.values = values + slot(j, 0) * size_t(n);
        window.hasPrevious = present[slot(j, -1)];
        window.hasCurrent = present[slot(j, 0)];
        window.hasNext = present[slot(j, 1)];
        outputs[j] = new qint16[size_t(n)];
    }
    if (const TPageFilter* f = filter(channel)) {
        f->filterPages(windows.data(), outputs.data(), int(count));
    } else {
        for (int i = 0; i < n; ++i)
            outputs[0][i] = saturatingCode(windows[0].values[i]);
    }
    for (const Job& job : jobs) {
        int& run = m_run[size_t(job.channel)];
        run = m_lastComputed[size_t(job.channel)] == job.page - 1 ? run + 1 : 1;
        m_lastComputed[size_t(job.channel)] = job.page;
    }
    for (size_t j = 1; j < count; ++j)
        m_computed[size_t(jobs[j].channel)].push_back(Computed{jobs[j].page, outputs[j]});
    return outputs[0];
}

void TFilterView::freePage(void* page)
{
    delete[] static_cast<qint16*>(page);
}

int TFilterView::sample(int channel, int index) const
{
    if (index < 0 || index >= length())
        return 0;
    const int page = index / pageSize();
    // The cache is filled on demand; reading a sample does not change the signal.
    TFilterView* self = const_cast<TFilterView*>(this);
    const qint16* values = self->getInt16Page(channel, page);
    if (!values)
        return 0;
    const int v = values[index % pageSize()];
    self->releasePage(channel, page);
    return v;
}

void TFilterView::samples(int channel, int start, int count, double* out) const
{
    TFilterView* self = const_cast<TFilterView*>(this);
    const int n = pageSize();
    int i = 0;
    while (i < count) {
        const int index = start + i;
        if (index < 0 || index >= length()) {
            const int run = index < 0 ? std::min(count - i, -index) : count - i;
            std::fill(out + i, out + i + run, 0.0);
            i += run;
            continue;
        }
        const int page = index / n;
        const int offset = index % n;
        const int run = std::min({count - i, n - offset, length() - index});
        const qint16* values = self->getInt16Page(channel, page);
        if (values) {
            for (int k = 0; k < run; ++k)
                out[i + k] = values[offset + k];
            self->releasePage(channel, page);
        } else {
            std::fill(out + i, out + i + run, 0.0);
        }
        i += run;
    }
}
