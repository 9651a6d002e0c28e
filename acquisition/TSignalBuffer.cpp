#include "TSignalBuffer.h"

#include "TSignalBufferListener.h"

#include <QtGlobal>
#include <algorithm>
#include <cmath>

TSignalBuffer::TSignalBuffer(int pageSize, int channelCount, int samplingRate, int resolution)
    : m_channelCount(qBound(0, channelCount, MaxChannels)),
      m_pageSize(qMax(1, pageSize)),
      m_pageTable(size_t(m_channelCount) * PageTableSize),
      m_samplingRate(qMax(1, samplingRate)),
      m_resolution(resolution)
{
    m_channels.reserve(size_t(m_channelCount));
    for (int i = 0; i < m_channelCount; ++i)
        m_channels.push_back(std::make_unique<TSignalChannel>(i, this));
    recomputeValueStep();
}

TSignalBuffer::~TSignalBuffer()
{
    // Variants have freed their pages already (freePage is theirs); anything left
    // here would leak, so catch it in debug builds.
    Q_ASSERT(m_loadedPages.empty());
}

void TSignalBuffer::append(const void*, int)
{
    notifyListeners();
}

void TSignalBuffer::appendChannels(const qint16* const*, int)
{
    notifyListeners();
}

void TSignalBuffer::appendDoubles(const double* const*, int)
{
    notifyListeners();
}

void TSignalBuffer::setResolution(int bits)
{
    m_resolution = bits;
    recomputeValueStep();
}

void TSignalBuffer::setGain(double gainMin, double gainMax)
{
    m_gainMin = gainMin;
    m_gainMax = gainMax;
    recomputeValueStep();
}

void TSignalBuffer::copyShapeFrom(const TSignalBuffer& source)
{
    m_resolution = source.m_resolution;
    m_gainMin = source.m_gainMin;
    m_gainMax = source.m_gainMax;
    recomputeValueStep();
    const int n = qMin(m_channelCount, source.m_channelCount);
    for (int i = 0; i < n; ++i)
        m_channels[size_t(i)]->setName(source.m_channels[size_t(i)]->name());
}

void TSignalBuffer::recomputeValueStep()
{
    m_valueStep = (m_gainMax - m_gainMin) / std::ldexp(1.0, m_resolution);
}

TSignalChannel* TSignalBuffer::channel(int index)
{
    return index >= 0 && index < m_channelCount ? m_channels[size_t(index)].get() : nullptr;
}

const TSignalChannel* TSignalBuffer::channel(int index) const
{
    return index >= 0 && index < m_channelCount ? m_channels[size_t(index)].get() : nullptr;
}

TSignalChannel* TSignalBuffer::channelByName(const QByteArray& name) const
{
    for (const auto& c : m_channels)
        if (c->name() == name)
            return c.get();
    return nullptr;
}

double TSignalBuffer::durationSeconds() const
{
    return double(m_length) / m_samplingRate;
}

double TSignalBuffer::seconds(int index) const
{
    return double(index) / m_samplingRate;
}

int TSignalBuffer::index(double seconds) const
{
    return int(m_samplingRate * seconds + 0.5);
}

void TSignalBuffer::addListener(TSignalBufferListener* listener)
{
    m_listeners.push_back(listener);
}

void TSignalBuffer::removeListener(TSignalBufferListener* listener)
{
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}

void TSignalBuffer::notifyListeners()
{
    // A listener may add or remove listeners while being told; tell the ones
    // registered when the append happened, skipping any removed meanwhile.
    const std::vector<TSignalBufferListener*> listeners = m_listeners;
    for (TSignalBufferListener* l : listeners)
        if (std::find(m_listeners.begin(), m_listeners.end(), l) != m_listeners.end())
            l->signalAppended();
}

void TSignalBuffer::advanceLength(int frames)
{
    if (frames <= 0)
        return;
    m_length += frames;
    m_pageCount = m_length / m_pageSize;
}

const void* TSignalBuffer::getPage(int channel, int page)
{
    if (channel < 0 || channel >= m_channelCount || page < 0 || page >= PageTableSize || page >= m_pageCount)
        return nullptr;
    PageEntry* e = &entry(channel, page);
    const bool final = isPageFinal(page);
    // Cached before it was final: read it again once it is, or once the buffer has
    // gained pages since (what it was made from may have changed).
    if (e->data && e->partial && e->references == 0 && (final || e->pageCountAtLoad != m_pageCount))
        dropPage(channel, page);
    if (!e->data) {
        if (int(m_loadedPages.size()) > MaxLoadedPages)
            evictOnePage();
        void* data = loadPage(channel, page);
        if (!data)
            return nullptr;
        e = &entry(channel, page);
        e->data = data;
        e->references = 0;
        e->partial = !final;
        e->pageCountAtLoad = m_pageCount;
        m_loadedPages.push_back({channel, page});
    }
    ++e->references;
    return e->data;
}

const qint16* TSignalBuffer::getInt16Page(int channel, int page)
{
    Q_ASSERT(sampleType() == TSampleType::Int16);
    return static_cast<const qint16*>(getPage(channel, page));
}

const double* TSignalBuffer::getDoublePage(int channel, int page)
{
    Q_ASSERT(sampleType() == TSampleType::Double);
    return static_cast<const double*>(getPage(channel, page));
}

void TSignalBuffer::releasePage(int channel, int page)
{
    if (channel < 0 || channel >= m_channelCount || page < 0 || page >= PageTableSize)
        return;
    PageEntry& e = entry(channel, page);
    if (e.references > 0)
        --e.references;
}

bool TSignalBuffer::isPageFinal(int page) const
{
    return page < m_length / m_pageSize;
}

void TSignalBuffer::setPageCount(int count)
{
    m_pageCount = qMax(0, count);
}

bool TSignalBuffer::isPageLoaded(int channel, int page) const
{
    if (channel < 0 || channel >= m_channelCount || page < 0 || page >= PageTableSize)
        return false;
    return entry(channel, page).data != nullptr;
}

void TSignalBuffer::releaseUnusedPages(bool includePartialPage)
{
    m_pageCount = m_length / m_pageSize;
    if (includePartialPage && m_length % m_pageSize != 0)
        ++m_pageCount;
    for (size_t i = 0; i < m_loadedPages.size();) {
        const PageKey key = m_loadedPages[i];
        PageEntry& e = entry(key.channel, key.page);
        if (e.references == 0) {
            freePage(e.data);
            e = PageEntry();
            m_loadedPages.erase(m_loadedPages.begin() + long(i));
        } else {
            ++i;
        }
    }
}

void TSignalBuffer::evictOnePage()
{
    for (size_t i = 0; i < m_loadedPages.size(); ++i) {
        const PageKey key = m_loadedPages[i];
        PageEntry& e = entry(key.channel, key.page);
        if (e.references == 0 && e.data) {
            freePage(e.data);
            e = PageEntry();
            m_loadedPages.erase(m_loadedPages.begin() + long(i));
            return;
        }
    }
}

void TSignalBuffer::dropPage(int channel, int page)
{
    PageEntry& e = entry(channel, page);
    freePage(e.data);
    e = PageEntry();
    for (size_t i = 0; i < m_loadedPages.size(); ++i) {
        if (m_loadedPages[i].channel == channel && m_loadedPages[i].page == page) {
            m_loadedPages.erase(m_loadedPages.begin() + long(i));
            break;
        }
    }
}

void TSignalBuffer::freeAllPages()
{
    for (const PageKey& key : m_loadedPages) {
        PageEntry& e = entry(key.channel, key.page);
        freePage(e.data);
        e = PageEntry();
    }
    m_loadedPages.clear();
}
