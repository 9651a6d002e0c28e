#pragma once

#include <memory>

class StoredAverageBeats;
class TBeatStore;
class TPagedFilterChain;
class TSignalBuffer;

// The recording as a report draws it: through the paged zero-phase filter chain
// with the report's filters (line notch "50hz", muscle-noise lowpass "40hz",
// baseline), and the average beats of the recording's beats near a time.
class TReportSignal
{
public:
    // The window of beats averaged for the average beats.
    static constexpr double AveragingSeconds = 20.0;

    // Neither the recording nor the beats are owned. Throws TException when the
    // filters cannot be built.
    TReportSignal(TSignalBuffer* recording, const TBeatStore* beats, bool notch, bool lowpass, bool baseline);
    ~TReportSignal();

    TReportSignal(const TReportSignal&) = delete;
    TReportSignal& operator=(const TReportSignal&) = delete;

    const TSignalBuffer& filtered() const;
    bool baselineFiltered() const { return m_baseline; }
    double durationSeconds() const;

    // The average beats of the beats in the averaging window from fromSeconds on
    // (the window moves earlier when the recording ends before it does); null when
    // no beat qualifies. Kept until asked for another time.
    const StoredAverageBeats* averageBeats(double fromSeconds);

private:
    std::unique_ptr<TPagedFilterChain> m_chain;
    const TBeatStore* m_beats;
    bool m_baseline;
    std::unique_ptr<StoredAverageBeats> m_average;
    double m_averageFrom = -1.0;
    bool m_averageValid = false;
};
