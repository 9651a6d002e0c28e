#include "TFilterView.h"

#include "TSampleConversion.h"

#include <algorithm>

TFilterView::TFilterView(TSignalBuffer* source)
    : TSignalBuffer(source->pageSize(), source->channelCount(), source->samplingRate(), source->resolution()),
      m_source(source),
      m_window(size_t(3) * size_t(source->pageSize()), 0.0)
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

void* TFilterView::loadPage(int channel, int page)
{
    if (channel < 0 || channel >= channelCount() || page < 0 || page >= pageCount())
        return nullptr;
    const int n = pageSize();
    TPageWindow window;
    window.channel = channel;
    window.page = page;
    window.length = n;
    window.sourceLength = m_source->length();
    double* values = m_window.data();
    readSourcePage(channel, page - 1, values, &window.hasPrevious);
    readSourcePage(channel, page, values + n, &window.hasCurrent);
    readSourcePage(channel, page + 1, values + 2 * n, &window.hasNext);
    window.values = values + n;

    qint16* out = new qint16[size_t(n)];
    if (const TPageFilter* f = filter(channel)) {
        f->filterPage(window, out);
    } else {
        for (int i = 0; i < n; ++i)
            out[i] = saturatingCode(window.values[i]);
    }
    return out;
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
