#pragma once

#include "TStreamFilter.h"

#include <QByteArray>
#include <memory>
#include <vector>

class TSignalBuffer;

// The live filter chain: streaming stages in a row, each reading the previous
// stage's output, started at the source's length when built (samples already
// there are not filtered). At 500 per second the input highpass always runs;
// then the line notch, the muscle-noise lowpass and the baseline filter as
// switched on. process() runs every stage in chain order.
class TStreamingFilterChain
{
public:
    // Built with all three filters off.
    explicit TStreamingFilterChain(TSignalBuffer* source);
    ~TStreamingFilterChain();

    TStreamingFilterChain(const TStreamingFilterChain&) = delete;
    TStreamingFilterChain& operator=(const TStreamingFilterChain&) = delete;

    // Take effect at the next rebuild.
    void setNotchType(const QByteArray& type) { m_notchType = type; }
    void setLowpassType(const QByteArray& type) { m_lowpassType = type; }
    void setBaselineType(const QByteArray& type) { m_baselineType = type; }
    const QByteArray& notchType() const { return m_notchType; }
    const QByteArray& lowpassType() const { return m_lowpassType; }
    const QByteArray& baselineType() const { return m_baselineType; }

    // Discards every stage and its buffer and builds the chain anew; readers must
    // take output() again. A type or rate without a design adds no stage.
    void rebuild(bool notch, bool lowpass, bool baseline);
    // Filters whatever the source has gained, stage after stage.
    void process();

    bool notch() const { return m_notch; }
    bool lowpass() const { return m_lowpass; }
    bool baseline() const { return m_baseline; }

    TSignalBuffer* source() const { return m_source; }
    // The last stage's output, or the source when no stage is built.
    TSignalBuffer* output() const;
    int stageCount() const { return int(m_stages.size()); }
    const TStreamFilter* stage(int index) const;

private:
    void addStage(std::unique_ptr<TStreamFilter> filter);

    TSignalBuffer* m_source;
    QByteArray m_notchType;
    QByteArray m_lowpassType;
    QByteArray m_baselineType;
    bool m_notch = false;
    bool m_lowpass = false;
    bool m_baseline = false;
    std::vector<std::unique_ptr<TStreamFilter>> m_stages;
};
