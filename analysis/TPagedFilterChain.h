#pragma once

#include "TFilterView.h"

#include <QByteArray>
#include <memory>
#include <vector>

class TSignalBuffer;

// The zero-phase filter chain that displays and reports draw through: a stack of
// filter views over a recorded or growing signal, each computing its pages only
// when they are read. Always an offset stage (and, at 500 per second, the input
// highpass); then the line notch, the muscle-noise lowpass and the baseline
// filter as switched on.
class TPagedFilterChain
{
public:
    // Built with all three filters off.
    explicit TPagedFilterChain(TSignalBuffer* source);
    ~TPagedFilterChain();

    TPagedFilterChain(const TPagedFilterChain&) = delete;
    TPagedFilterChain& operator=(const TPagedFilterChain&) = delete;

    // Take effect at the next rebuild.
    void setNotchType(const QByteArray& type) { m_notchType = type; }
    void setLowpassType(const QByteArray& type) { m_lowpassType = type; }
    const QByteArray& notchType() const { return m_notchType; }
    const QByteArray& lowpassType() const { return m_lowpassType; }

    // Discards every stage and builds the chain anew; the output buffer changes,
    // so readers must take output() again. Throws TException with "pendiente -
    // filtro no definido" for a notch type without a design at the source's rate
    // (the stages built before it remain).
    void rebuild(bool notch, bool lowpass, bool baseline);

    bool notch() const { return m_notch; }
    bool lowpass() const { return m_lowpass; }
    bool baseline() const { return m_baseline; }

    TSignalBuffer* source() const { return m_source; }
    // The last stage built.
    TSignalBuffer* output() const;
    int stageCount() const { return int(m_stages.size()); }
    const TFilterView* stage(int index) const;

private:
    void clear();
    void addStage(std::unique_ptr<TPageFilter> filter);

    TSignalBuffer* m_source;
    QByteArray m_notchType;
    QByteArray m_lowpassType;
    bool m_notch = false;
    bool m_lowpass = false;
    bool m_baseline = false;
    std::vector<std::unique_ptr<TFilterView>> m_stages;
};
