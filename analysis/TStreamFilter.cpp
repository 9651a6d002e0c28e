#include "TStreamFilter.h"

#include "TRingSignalBuffer.h"

#include <algorithm>
#include <vector>

TStreamFilter::TStreamFilter(TStreamOutput output) : m_outputShape(output)
{
    m_outputShape.ringPages = std::max(1, m_outputShape.ringPages);
}

TStreamFilter::~TStreamFilter() = default;

int TStreamFilter::stepFor(int) const
{
    return 1;
}

void TStreamFilter::setSource(TSignalBuffer* source, int start)
{
    m_source = source;
    m_output.reset();
    m_position = 0;
    if (!source)
        return;
    m_step = std::max(1, stepFor(source->samplingRate()));
    const int rate = std::max(1, source->samplingRate() / m_step);
    const int capacity = source->pageSize() * m_outputShape.ringPages;
    if (m_outputShape.type == TSampleType::Double)
        m_output = std::make_unique<TDoubleSignalBuffer>(source->pageSize(), capacity, source->channelCount(), rate);
    else
        m_output = std::make_unique<TIntSignalBuffer>(source->pageSize(), capacity, source->channelCount(), rate);
    // Values stay in the source's code units, whatever type holds them.
    m_output->copyShapeFrom(*source);

    // Start on a whole output sample, and put zeros in place of the outputs of
    // what came before, so that output indices stay aligned with the source.
    const int first = (std::max(0, start) + m_step - 1) / m_step;
    m_position = first * m_step;
    padOutput(first);
    reset();
}

void TStreamFilter::padOutput(int count)
{
    if (count <= 0)
        return;
    const int channels = m_output->channelCount();
    const int chunk = std::min(count, 8192);
    const std::vector<double> zeros(static_cast<size_t>(chunk), 0.0);
    const std::vector<const double*> columns(static_cast<size_t>(channels), zeros.data());
    for (int done = 0; done < count; done += chunk)
        m_output->appendDoubles(columns.data(), std::min(chunk, count - done));
}

void TStreamFilter::appendOutput(const double* const* out, int count)
{
    if (m_output && count > 0)
        m_output->appendDoubles(out, count);
}
