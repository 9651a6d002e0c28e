#pragma once

#include <memory>

class TAverageDecimator;
class TQrsDetector;
class TSignalBuffer;
class TStartLevelFilter;
class TStreamingFilterChain;

// The live analysis of a recording: the raw signal reduced to 250 samples per
// second by block means, filtered by the streaming chain with every filter on,
// and searched for beats. The recording engine and the evaluation on annotated
// recordings use this same path.
class TAnalysisPath
{
public:
    static constexpr int AnalysisRate = 250;
    static constexpr int RingSamples = 81920;

    TAnalysisPath(TSignalBuffer* raw, double startTime = 0.0, double endTime = 0.0);
    ~TAnalysisPath();

    TAnalysisPath(const TAnalysisPath&) = delete;
    TAnalysisPath& operator=(const TAnalysisPath&) = delete;

    // The 250-per-second signal of the averaging decimator.
    TSignalBuffer* analysisSignal() const;
    // Its filtered version, which the detector reads.
    TSignalBuffer* detectorInput() const;
    TQrsDetector& detector() { return *m_detector; }
    const TQrsDetector& detector() const { return *m_detector; }

    // Takes the raw samples gained; with detect, runs the detector once the
    // analysis signal lasts 0.2 s beyond what it has searched plus its delay.
    void process(bool detect = true);
    // End of the recording: the filters are flushed and the detector searches
    // to the end. Nothing may be processed after it.
    void finish();

private:
    std::unique_ptr<TAverageDecimator> m_decimator;
    std::unique_ptr<TStartLevelFilter> m_startLevel;
    std::unique_ptr<TStreamingFilterChain> m_chain;
    std::unique_ptr<TQrsDetector> m_detector;
};
