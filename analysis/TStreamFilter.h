#pragma once

#include "TSignalBuffer.h"

#include <memory>

// How a streaming stage stores its output.
struct TStreamOutput
{
    TSampleType type = TSampleType::Int16;
    int ringPages = 100; // ring capacity in source pages
};

// A filter that pushes new source samples through as they arrive: process()
// consumes whatever the source has gained since the last call and appends the
// results to the filter's own output buffer. The output has the source's shape
// (page size, channel count and names, resolution, gain range) at the source's
// rate divided by the filter's step, and its sample i lines up with source sample
// i * step.
class TStreamFilter
{
public:
    explicit TStreamFilter(TStreamOutput output = {});
    virtual ~TStreamFilter();

    TStreamFilter(const TStreamFilter&) = delete;
    TStreamFilter& operator=(const TStreamFilter&) = delete;

    // Attaches to source from index start: earlier samples are not filtered,
    // their outputs read as zero. Replaces the output buffer (readers must take
    // output() again) and resets the filter's state.
    void setSource(TSignalBuffer* source, int start);
    virtual void process() = 0;

    TSignalBuffer* source() const { return m_source; }
    TSignalBuffer* output() const { return m_output.get(); }
    // The next source index to consume.
    int position() const { return m_position; }
    // Source samples per output sample.
    int step() const { return m_step; }

protected:
    // The step for a source at this rate (1 unless the filter decimates).
    virtual int stepFor(int sourceRate) const;
    // Called by setSource once the output exists and the position is set.
    virtual void reset() {}

    // Appends count values per channel; out[c] points at channel c's values.
    void appendOutput(const double* const* out, int count);

    TSignalBuffer* m_source = nullptr;
    int m_position = 0;

private:
    void padOutput(int count);

    TStreamOutput m_outputShape;
    std::unique_ptr<TSignalBuffer> m_output;
    int m_step = 1;
};
