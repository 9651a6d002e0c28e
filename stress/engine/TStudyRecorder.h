#pragma once

#include "TAcqDriverListener.h"
#include "TBeatSink.h"
#include "TMovingMean.h"
#include "TProtocol.h"
#include "TRingSignalBuffer.h"
#include "TSettingsKeys.h"

#include <QList>
#include <QString>
#include <array>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

class TAcqDevice;
class TAnalysisPath;
class TBeatAverager;
class TExerciseEquipment;
class TFirDecimator;
class TQtAcqDriver;
class TRecorderListener;
class TStreamingFilterChain;
class TStudy;

// The engine behind a recording window: takes the acquisition driver's blocks,
// runs them through the analysis (beats, heart rate, average beats, ST level and
// slope of every lead), and once started copies them into the study's recording,
// runs the protocol stage by stage, commands the exercise equipment and keeps the
// study's results. Lives on the GUI thread; takes no locks.
class TStudyRecorder : public TAcqDriverListener, public TBeatSink
{
public:
    static constexpr int RawPageSize = 4096;
    static constexpr int RawRingSamples = 81920;
    static constexpr int DisplayRingPages = 20;
    static constexpr double AveragingWindowSeconds = 20.0;
    // A stage that lasted less than this is folded into the stage before it.
    static constexpr double ShortestStageSeconds = 5.0;
    static constexpr double DefaultLowBatteryThreshold = TSettingsKeys::DefaultLowBatteryLevel;

    static const char* const EquipmentFailedText;
    static const char* const DeviceFailedText;
    // The results value that is 1 from start to stop: a study stored with it
    // set was recording when the program ended without stopping it.
    static const char* const UnfinishedMark;

    // The lead's ST marks on its average beat (samples of the average) and its
    // latest ST level in millivolts.
    struct StMarks
    {
        int baseline = 0;
        int level = 0;
        int slope = 0;
        double levelMv = 0.0;
    };

    // protocol: the planned protocol (copied), or null for a recording without
    // stages. Neither the device, the study nor the equipment is owned; they
    // must outlive the engine.
    TStudyRecorder(TAcqDevice* device, TStudy* study, const TProtocol* protocol, TExerciseEquipment* equipment);
    ~TStudyRecorder() override;

    TStudyRecorder(const TStudyRecorder&) = delete;
    TStudyRecorder& operator=(const TStudyRecorder&) = delete;

    void startAcquisition();
    // Stops the device. After a recording has stopped, the analysis is then
    // flushed so that the recording's last beats (those the detector had not
    // yet decided) are found and stored: no data is analysed after it.
    void stopAcquisition();
    // Rebuilds the display signal with the three filters switched as asked; the
    // result is what the displays show from now on.
    TSignalBuffer* setFilters(bool notch, bool lowpass, bool baseline);

    // recordingDateTime as "yyyyMMddHHmmss".
    void start(const QString& recordingDateTime);
    void nextStage();
    void recovery();
    // Ends the recording: no more samples are taken into it. Monitoring may go
    // on; the beats of the recording that the detector finds later (it decides
    // a beat a second or two after it) are still stored, up to the last
    // complex the recording holds whole.
    void stop();
    // time: recording time at which the entry began.
    void addBP(double systolic, double diastolic, double time);

    // The driver's side: called on the GUI thread.
    void onData(TAcqDriver* driver) override;
    void onPacemaker(TAcqDriver* driver, int sampleOffset) override;
    void onError(TAcqDriver* driver, const char* message) override;
    void deviceFailed();
    // Tells once, and stops commanding, when the equipment controller reports
    // it cannot be used any more. Called with every block and by the window's
    // status timer, so that a failure is told even while no samples come.
    void checkEquipment();

    // The detector's side.
    void storeBeat(const TBeat& beat, const TBeatRecord* records, int channelCount) override;

    void addListener(TRecorderListener* listener);

    static double lowBatteryThreshold();
    // Ignored unless above 0.
    static void setLowBatteryThreshold(double volts);
    bool lowBattery() const;
    bool anyLeadOff() const;
    bool anyElectrodeOff() const;

    bool isRecording() const { return m_recording; }
    bool isAnalysisOn() const { return m_analysisOn; }
    double lastBeatMeanRR() const { return m_lastMeanRR; }
    // The last detected beat's own RR interval (0 before the second beat).
    double lastBeatRR() const { return m_lastRR; }
    // Seconds of signal since the last beat was detected; -1 before the first.
    double secondsSinceLastBeat() const;
    StMarks stMarks(int lead) const;

    // Seconds of ECG taken into the study's recording.
    double recordingTime() const;
    qint64 recordedSamples() const { return m_recordedSamples; }
    int startSample() const { return m_startSample; }
    int stageIndex() const { return m_stageIndex; }
    int stageStart() const { return m_stageStart; }
    int phaseStart() const { return m_phaseStart; }
    int currentPhase() const { return m_currentPhase; }
    int stageInPhase() const { return m_stageInPhase; }
    int beatsInStage() const { return m_beatsInStage; }
    double heartRate() const { return m_heartRate; }
    int pendingSBP() const { return m_pendingSBP; }
    int pendingDBP() const { return m_pendingDBP; }
    double stLevel(int lead) const;
    double stSlope(int lead) const;
    const std::vector<int>& pacemakerPulses() const { return m_pacemakerPulses; }

    const TProtocol* protocol() const { return m_protocol ? &*m_protocol : nullptr; }
    TExerciseEquipment* equipment() const { return m_equipment; }
    TStudy* study() const { return m_study; }
    TQtAcqDriver* driver() const { return m_driver.get(); }
    TIntSignalBuffer* rawSignal() const { return m_raw.get(); }
    TSignalBuffer* analysisSignal() const;
    TSignalBuffer* displaySignal() const;
    TStreamingFilterChain* displayChain() const { return m_displayChain.get(); }
    TBeatAverager* averager() const { return m_averager.get(); }
    TAnalysisPath* analysisPath() const { return m_analysis.get(); }

private:
    void buildDisplay(bool notch, bool lowpass, bool baseline);
    void reportLostChannels();
    void record();
    void storePendingBeats();
    void advance();
    void changeStage(int n);
    void sendStage();
    void equipmentFailed();
    void measureSt(const TBeat& beat, double beatTime);
    double stageMets(int index) const;
    int stageCount() const { return m_protocol ? m_protocol->stageCount() : 0; }

    void analysisFailed(const QString& text);
    // Runs one step of a block's work; a failure is told once and the next
    // step still runs.
    template <typename Step>
    void guarded(Step step);
    template <typename Call>
    void tell(Call call);
    void tellUpdate();
    void tellBeat(const TBeat& beat, const TBeatRecord* records, int channelCount);
    void tellStarted();
    void tellStageChanged();
    void tellStopped();
    void tellMessage(const QString& text);

    TAcqDevice* m_device;
    TStudy* m_study;
    std::optional<TProtocol> m_protocol;
    TExerciseEquipment* m_equipment;

    std::unique_ptr<TIntSignalBuffer> m_raw;
    std::unique_ptr<TQtAcqDriver> m_driver;
    std::unique_ptr<TAnalysisPath> m_analysis;
    std::unique_ptr<TStreamingFilterChain> m_averagerChain;
    std::unique_ptr<TBeatAverager> m_averager;
    std::unique_ptr<TFirDecimator> m_displayDecimator;
    std::unique_ptr<TStreamingFilterChain> m_displayChain;

    bool m_analysisOn = false;
    bool m_analysisFinished = false;
    // A stopped recording whose last beats may still come: their times (in
    // seconds of the live signal) end here.
    bool m_awaitingLastBeats = false;
    double m_lastBeatTime = 0.0;
    double m_lastDetectedBeat = -1.0; // signal time when the last beat was detected
    double m_lastRR = 0.0;
    bool m_equipmentStarted = false;
    bool m_recording = false;
    int m_stageIndex = 0;
    int m_stageStart = 0;
    int m_phaseStart = 0;
    int m_currentPhase = -1;
    int m_stageInPhase = 1;
    int m_startSample = 0;
    // Samples taken for the recording since start, and the recording's length
    // at start: what is still to be written is the difference to what it holds.
    qint64 m_recordedSamples = 0;
    qint64 m_recordingBase = 0;
    bool m_recordingFailed = false;
    std::deque<TBeat> m_unstoredBeats;
    bool m_beatsFailed = false;
    bool m_analysisFailed = false;
    // One array per channel of the samples being appended to the recording.
    std::vector<std::vector<qint16>> m_columns;
    std::vector<const qint16*> m_columnPointers;

    int m_beatsInStage = 0;
    double m_heartRate = 0.0;
    double m_lastMeanRR = 0.0;
    int m_pendingSBP = 0;
    int m_pendingDBP = 0;
    std::array<double, TSignalBuffer::MaxChannels> m_stLevel{};
    std::array<double, TSignalBuffer::MaxChannels> m_stSlope{};
    std::array<TMovingMean<3>, TSignalBuffer::MaxChannels> m_levelMeans{};
    std::array<TMovingMean<3>, TSignalBuffer::MaxChannels> m_slopeMeans{};
    std::array<StMarks, TSignalBuffer::MaxChannels> m_marks{};
    std::vector<int> m_pacemakerPulses;

    QList<TRecorderListener*> m_listeners;
};
