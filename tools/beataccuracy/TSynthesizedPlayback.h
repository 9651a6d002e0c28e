#pragma once

#include "TAnalysisPath.h"
#include "TEcgSynthesizer.h"
#include "TRingSignalBuffer.h"

#include <functional>

// A synthesized recording played into the live analysis path as a recorder
// delivers it: blocks of frames appended to a raw buffer of the recording's
// shape with the lead names of the table, the analysis path run after each block, and its end at the end.
class TSynthesizedPlayback
{
public:
    static constexpr int BlockFrames = 51;

    explicit TSynthesizedPlayback(const TSynthParams& params);

    const TEcgSynthesizer& synthesizer() const { return m_synth; }
    TIntSignalBuffer& raw() { return m_raw; }
    TAnalysisPath& path() { return m_path; }

    // Something done to each channel's millivolts before they become codes
    // (artifacts, noise): channel, first frame, frame count, the values.
    using Disturbance = std::function<void(int, qint64, int, double*)>;
    void setDisturbance(Disturbance disturbance) { m_disturbance = std::move(disturbance); }

    // Plays the whole recording; afterBlock runs after the path has taken each block.
    void play(const std::function<void()>& afterBlock = {});

private:
    void render(qint64 start, int count, qint16* frames) const;

    TEcgSynthesizer m_synth;
    Disturbance m_disturbance;
    TIntSignalBuffer m_raw;
    TAnalysisPath m_path;
};
