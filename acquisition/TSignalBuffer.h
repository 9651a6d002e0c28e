#pragma once

#include "TSignalChannel.h"

#include <QByteArray>
#include <QtGlobal>
#include <memory>
#include <vector>

class TSignalBufferListener;

// What one stored value is: a 16-bit code or a double.
enum class TSampleType
{
    Int16,
    Double
};

// The multichannel sample store that acquisition writes and every filter, display,
// analysis and storage stage reads. It knows how many samples per channel have ever
// been appended, serves the signal in fixed-size pages through a reference-counted
// cache, converts between sample indices and seconds, and tells its listeners after
// every append. The variants decide where the samples live (a ring in memory, or a
// study's sample file).
//
// Used from one thread only (the GUI thread).
class TSignalBuffer
{
public:
    static constexpr int MaxChannels = 16;
    static constexpr int PageTableSize = 4096;
    static constexpr int MaxLoadedPages = 1024;

    TSignalBuffer(int pageSize, int channelCount, int samplingRate, int resolution);
    virtual ~TSignalBuffer();

    TSignalBuffer(const TSignalBuffer&) = delete;
    TSignalBuffer& operator=(const TSignalBuffer&) = delete;

    // Value of one sample; 0 for an index that is not (or no longer) held.
    virtual int sample(int channel, int index) const = 0;
    // count values from start as doubles; positions not held become 0.0.
    virtual void samples(int channel, int start, int count, double* out) const = 0;
    // A new array with the values of one page (pageSize values of the variant's
    // type), or null when the page does not exist. Released with freePage.
    virtual void* loadPage(int channel, int page) = 0;
    virtual void freePage(void* page) = 0;

    // Interleaved frames of channelCount values of the variant's value type.
    // The base only tells the listeners; variants store, then call it.
    virtual void append(const void* data, int bytes);
    // count codes from each channel's array.
    virtual void appendChannels(const qint16* const* channels, int count);
    // count values from each channel's array.
    virtual void appendDoubles(const double* const* channels, int count);

    virtual TSampleType sampleType() const = 0;
    int valueSize() const { return sampleType() == TSampleType::Int16 ? 2 : 8; }

    int channelCount() const { return m_channelCount; }
    int pageSize() const { return m_pageSize; }
    int pageCount() const { return m_pageCount; }
    int length() const { return m_length; }
    int samplingRate() const { return m_samplingRate; }

    int resolution() const { return m_resolution; }
    double gainMin() const { return m_gainMin; }
    double gainMax() const { return m_gainMax; }
    // Millivolts per code: (gainMax - gainMin) / 2^resolution.
    double valueStep() const { return m_valueStep; }
    void setResolution(int bits);
    void setGain(double gainMin, double gainMax);
    // Copies resolution, gain range and channel names from another buffer.
    void copyShapeFrom(const TSignalBuffer& source);

    TSignalChannel* channel(int index);
    const TSignalChannel* channel(int index) const;
    // First channel whose name equals name exactly, or null.
    TSignalChannel* channelByName(const QByteArray& name) const;

    double durationSeconds() const;
    double seconds(int index) const;
    int index(double seconds) const;

    void addListener(TSignalBufferListener* listener);
    // Removes every occurrence of listener.
    void removeListener(TSignalBufferListener* listener);

    // Reference-counted page access: null for a channel or page out of range. Each
    // successful getPage must be matched by a releasePage.
    const void* getPage(int channel, int page);
    const qint16* getInt16Page(int channel, int page);
    const double* getDoublePage(int channel, int page);
    void releasePage(int channel, int page);
    // Recomputes the page count (rounding up to include a final partial page when
    // asked) and frees every cached page nobody holds.
    void releaseUnusedPages(bool includePartialPage = false);
    int loadedPageCount() const { return int(m_loadedPages.size()); }
    bool isPageLoaded(int channel, int page) const;
    // Whether a page's values can no longer change as the buffer grows. A page
    // cached before it was final is loaded again on the first getPage after it has
    // become final, or after the page count has grown (unless it is held). By
    // default a page is final once it is complete.
    virtual bool isPageFinal(int page) const;

protected:
    // Variants call this after storing frames, before the base append notifies.
    void advanceLength(int frames);
    void notifyListeners();
    // For buffers that mirror another buffer's pages: takes over its page count
    // (which may include a final partial page).
    void setPageCount(int count);
    // Frees every cached page whatever its references. Variants call this in their
    // destructor, while freePage still reaches them.
    void freeAllPages();

private:
    struct PageEntry
    {
        void* data = nullptr;
        int references = 0;
        bool partial = false; // loaded while the page was not yet final
        int pageCountAtLoad = 0;
    };
    struct PageKey
    {
        int channel;
        int page;
    };

    PageEntry& entry(int channel, int page) { return m_pageTable[size_t(channel) * PageTableSize + size_t(page)]; }
    const PageEntry& entry(int channel, int page) const
    {
        return m_pageTable[size_t(channel) * PageTableSize + size_t(page)];
    }
    void dropPage(int channel, int page);
    void evictOnePage();
    void recomputeValueStep();

    int m_channelCount;
    std::vector<std::unique_ptr<TSignalChannel>> m_channels;
    int m_pageSize;
    int m_pageCount = 0;
    std::vector<PageEntry> m_pageTable;
    std::vector<PageKey> m_loadedPages;
    std::vector<TSignalBufferListener*> m_listeners;
    int m_length = 0;
    int m_samplingRate;
    int m_resolution;
    double m_valueStep = 0.0;
    double m_gainMin = -1.0;
    double m_gainMax = 1.0;
};
