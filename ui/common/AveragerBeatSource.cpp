#include "AveragerBeatSource.h"

#include "TBeatAverager.h"
#include "TSignalBuffer.h"
#include "TSignalChannel.h"

AveragerBeatSource::AveragerBeatSource(TBeatAverager* averager) : m_averager(averager)
{
}

int AveragerBeatSource::beatLength() const
{
    return m_averager->templateLength();
}

int AveragerBeatSource::rIndex() const
{
    return m_averager->rIndex();
}

int AveragerBeatSource::samplingRate() const
{
    const TSignalBuffer* source = m_averager->source();
    return source ? source->samplingRate() : 0;
}

double AveragerBeatSource::millivoltsPerUnit() const
{
    const TSignalBuffer* source = m_averager->source();
    return source ? source->valueStep() : 0.0;
}

bool AveragerBeatSource::hasAverage() const
{
    return m_averager->beatCount() > 0;
}

std::vector<double> AveragerBeatSource::averageBeat(int lead) const
{
    if (m_averager->beatCount() == 0)
        return {};
    return m_averager->average(lead);
}

bool AveragerBeatSource::hasReferenceBeat() const
{
    return m_averager->hasReference();
}

std::vector<double> AveragerBeatSource::referenceBeat(int lead) const
{
    return m_averager->referenceBeat(lead);
}

int AveragerBeatSource::referenceRIndex() const
{
    return m_averager->referenceRIndex();
}

double AveragerBeatSource::meanRRInterval() const
{
    return m_averager->beatCount() > 0 ? m_averager->meanRR() : 0.0;
}

QByteArray AveragerBeatSource::leadName(int lead) const
{
    const TSignalBuffer* source = m_averager->source();
    if (!source || lead < 0 || lead >= source->channelCount())
        return QByteArray();
    return source->channel(lead)->name();
}
