#include "TStudyRecorder.h"

#include "TAcqDevice.h"
#include "TAnalysisPath.h"
#include "TBeat.h"
#include "TBeatAverager.h"
#include "TDeviceSignalBuffer.h"
#include "TException.h"
#include "TExerciseEquipment.h"
#include "TFirDecimator.h"
#include "TLeadTable.h"
#include "TMets.h"
#include "TQrsDetector.h"
#include "TQtAcqDriver.h"
#include "TRecorderListener.h"
#include "TRecordingBeatFinder.h"
#include "TStMeasurement.h"
#include "TStreamingFilterChain.h"
#include "TStudy.h"
#include "TWavePointRefiner.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <exception>

const char* const TStudyRecorder::EquipmentFailedText =
    QT_TRANSLATE_NOOP("TStudyRecorder", "Communication with ergometer/treadmill device failed.");
const char* const TStudyRecorder::DeviceFailedText =
    QT_TRANSLATE_NOOP("TStudyRecorder", "Communication with ECG acquiring device failed.");
const char* const TStudyRecorder::UnfinishedMark = "recordingUnfinished";

namespace {

// Beats kept for a beat list that refuses them, to be stored once it takes them
// again: about an hour at a high rate.
constexpr size_t MaxUnstoredBeats = 20000;
// A complex is whole in the recording when its R lies this far before the end.
constexpr double CompleteQrsSeconds = 0.1;

// Trend points keep the precision a reader can use (0.01 per minute, 0.1 uV,
// 0.1 uV/s): the record file is rewritten at every stage change, and digits
// beyond these only make it longer to write.
// Dividing by the scale, not multiplying by its inverse, gives the double
// nearest to the short decimal, which the JSON text then prints as such.
constexpr double HeartRateScale = 100.0;
constexpr double StScale = 10000.0;

double rounded(double value, double scale)
{
    return std::round(value * scale) / scale;
}

double& sharedLowBatteryThreshold()
{
    static double threshold = TStudyRecorder::DefaultLowBatteryThreshold;
    return threshold;
}

} // namespace

TStudyRecorder::TStudyRecorder(TAcqDevice* device, TStudy* study, const TProtocol* protocol,
                               TExerciseEquipment* equipment)
    : m_device(device), m_study(study), m_equipment(equipment),
      m_raw(TDeviceSignalBuffer::create(device, RawPageSize, RawRingSamples))
{
    if (protocol)
        m_protocol = *protocol;
    m_driver = std::make_unique<TQtAcqDriver>(device, m_raw.get());
    m_driver->addListener(this);
    m_analysis = std::make_unique<TAnalysisPath>(m_raw.get());
    m_analysis->detector().setSink(this);
    // The average beats are taken of the analysis signal unfiltered: the
    // baseline filter still takes a quarter off at 1 Hz and so flattens the ST
    // segment against the PR segment (a 0.2 mV depression read as 0.17 mV at
    // 90/min), and the averaging over 20 s removes the baseline wander that
    // filter would. The segment means are removed by the averager.
    m_averagerChain = std::make_unique<TStreamingFilterChain>(m_analysis->analysisSignal());
    m_averagerChain->rebuild(false, false, false);
    m_averager = std::make_unique<TBeatAverager>(m_averagerChain->output(), AveragingWindowSeconds);
    buildDisplay(false, false, false);
}

TStudyRecorder::~TStudyRecorder()
{
    // No notice may reach a half-destroyed engine.
    m_driver->stop();
}

void TStudyRecorder::startAcquisition()
{
    m_analysisOn = !m_analysisFinished;
    m_driver->start();
}

void TStudyRecorder::stopAcquisition()
{
    m_driver->stop();
    if (!m_awaitingLastBeats || m_analysisFinished)
        return;
    // No more samples come: the filters are flushed and the detector decides
    // the beats it held back, which are stored as the recording's.
    try {
        m_averagerChain->process();
        m_analysis->finish();
    } catch (const std::exception& e) {
        analysisFailed(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        analysisFailed(QStringLiteral("Unspecified application error"));
    }
    m_analysisFinished = true;
    m_analysisOn = false;
    m_awaitingLastBeats = false;
}

void TStudyRecorder::buildDisplay(bool notch, bool lowpass, bool baseline)
{
    QByteArray notchType, lowpassType, baselineType;
    if (m_displayChain) {
        notchType = m_displayChain->notchType();
        lowpassType = m_displayChain->lowpassType();
        baselineType = m_displayChain->baselineType();
    }
    m_displayChain.reset();
    TStreamOutput shape;
    shape.ringPages = DisplayRingPages;
    m_displayDecimator = std::make_unique<TFirDecimator>(shape);
    m_displayDecimator->setSource(m_raw.get(), m_raw->length());
    m_displayChain = std::make_unique<TStreamingFilterChain>(m_displayDecimator->output());
    if (!notchType.isEmpty()) {
        m_displayChain->setNotchType(notchType);
        m_displayChain->setLowpassType(lowpassType);
        m_displayChain->setBaselineType(baselineType);
    }
    m_displayChain->rebuild(notch, lowpass, baseline);
}

TSignalBuffer* TStudyRecorder::setFilters(bool notch, bool lowpass, bool baseline)
{
    buildDisplay(notch, lowpass, baseline);
    return m_displayChain->output();
}

TSignalBuffer* TStudyRecorder::analysisSignal() const
{
    return m_analysis->analysisSignal();
}

TSignalBuffer* TStudyRecorder::displaySignal() const
{
    return m_displayChain->output();
}

double TStudyRecorder::recordingTime() const
{
    return double(m_recordedSamples) / m_raw->samplingRate();
}

double TStudyRecorder::stLevel(int lead) const
{
    return lead >= 0 && lead < TSignalBuffer::MaxChannels ? m_stLevel[size_t(lead)] : 0.0;
}

double TStudyRecorder::stSlope(int lead) const
{
    return lead >= 0 && lead < TSignalBuffer::MaxChannels ? m_stSlope[size_t(lead)] : 0.0;
}

TStudyRecorder::StMarks TStudyRecorder::stMarks(int lead) const
{
    return lead >= 0 && lead < TSignalBuffer::MaxChannels ? m_marks[size_t(lead)] : StMarks();
}

// ---------------------------------------------------------------------------
// Start, stages, stop

void TStudyRecorder::start(const QString& recordingDateTime)
{
    if (m_recording)
        return;
    m_study->setProperty(QStringLiteral("recordingDateTime"), recordingDateTime);
    if (m_protocol) {
        TProtocol executed;
        executed.setName(m_protocol->name());
        executed.setType(m_protocol->type());
        m_study->setProtocol(executed);
    }
    m_startSample = m_raw->length();
    m_recordedSamples = 0;
    m_recordingBase = m_study->recording()->length();
    m_recordingFailed = false;
    m_equipmentStarted = false;
    m_recording = true;

    m_stageIndex = 0;
    m_stageStart = 0;
    m_phaseStart = 0;
    m_stageInPhase = 1;
    // The first stage's phase is the running phase, so that a following stage of
    // the same phase counts as its second.
    m_currentPhase = stageCount() > 0 ? m_protocol->stage(0).phase() : -1;
    m_beatsInStage = 0;
    m_heartRate = 0.0;
    m_pendingSBP = m_pendingDBP = 0;
    m_stLevel.fill(0.0);
    m_stSlope.fill(0.0);
    *m_study->results().value(QLatin1String(UnfinishedMark)) = 1.0;

    tellStarted();
    if (m_equipment && !m_equipment->start())
        equipmentFailed();
    m_equipmentStarted = true;
}

void TStudyRecorder::nextStage()
{
    if (!m_recording || !m_protocol || m_stageIndex >= stageCount() - 1)
        return;
    advance();
}

void TStudyRecorder::advance()
{
    if (m_stageIndex == 0)
        m_averager->takeReference();
    changeStage(m_stageIndex + 1);
    sendStage();
}

void TStudyRecorder::recovery()
{
    if (!m_recording || !m_protocol || m_stageIndex >= stageCount() - 1)
        return;
    for (int i = m_stageIndex; i < stageCount(); ++i) {
        if (m_protocol->stage(i).phase() == TProtocolStage::Recovery) {
            changeStage(i);
            sendStage();
            return;
        }
    }
}

void TStudyRecorder::changeStage(int n)
{
    TProtocol* executed = m_study->protocol();
    if (!m_protocol || !executed)
        return;
    const double now = recordingTime();
    const double elapsed = now - m_stageStart;
    if (elapsed < ShortestStageSeconds && executed->stageCount() > 0) {
        TProtocolStage& last = executed->stage(executed->stageCount() - 1);
        last.setDuration(last.duration() + elapsed);
    } else if (m_stageIndex >= 0 && m_stageIndex < stageCount()) {
        TProtocolStage& stage = executed->insertStage(executed->stageCount());
        stage = m_protocol->stage(m_stageIndex);
        stage.setDuration(elapsed);
        const int k = executed->stageCount() - 1;
        TStudyResults& results = m_study->results();
        const int hr = int(m_heartRate);
        results.valueArray(QStringLiteral("BPMPerStage"))->setValue(k, hr);
        results.valueArray(QStringLiteral("sysBPPerStage"))->setValue(k, m_pendingSBP);
        results.valueArray(QStringLiteral("diaBPPerStage"))->setValue(k, m_pendingDBP);
        results.valueArray(QStringLiteral("DPPerStage"))->setValue(k, double(hr) * m_pendingSBP);
        results.valueArray(QStringLiteral("METSPerStage"))->setValue(k, stageMets(m_stageIndex));
        const int leads = std::min(m_study->recording()->channelCount(), int(TSignalBuffer::MaxChannels));
        for (int i = 0; i < leads; ++i) {
            results.valueArray(TStudyResults::stLevelPerStageName(i))->setValue(k, m_stLevel[size_t(i)]);
            results.valueArray(TStudyResults::stSlopePerStageName(i))->setValue(k, m_stSlope[size_t(i)]);
        }
        m_beatsInStage = 0;
        m_pendingSBP = m_pendingDBP = 0;
        m_stLevel.fill(0.0);
        m_stSlope.fill(0.0);
    }
    const int wholeNow = int(std::floor(now));
    if (n < stageCount()) {
        m_stageIndex = n;
        m_stageStart = wholeNow;
        const int phase = m_protocol->stage(m_stageIndex).phase();
        if (phase != m_currentPhase) {
            m_phaseStart = wholeNow;
            m_currentPhase = phase;
            m_stageInPhase = 1;
        } else {
            ++m_stageInPhase;
        }
    }
    tellStageChanged();
}

void TStudyRecorder::sendStage()
{
    if (!m_equipment || !m_protocol || m_stageIndex < 0 || m_stageIndex >= stageCount())
        return;
    const TProtocolStage& stage = m_protocol->stage(m_stageIndex);
    bool ok = true;
    if (m_protocol->type() == TProtocol::Treadmill) {
        ok = m_equipment->setValue(QStringLiteral("speed"), stage.value(QStringLiteral("speed")));
        if (ok)
            ok = m_equipment->setValue(QStringLiteral("incline"), stage.value(QStringLiteral("incline")));
    } else if (m_protocol->type() == TProtocol::Ergometer) {
        ok = m_equipment->setValue(QStringLiteral("workload"), stage.value(QStringLiteral("workload")));
    } else {
        return;
    }
    // A controller that refuses the apply cannot be used any more either.
    if (!m_equipment->apply())
        ok = false;
    if (!ok)
        equipmentFailed();
}

void TStudyRecorder::stop()
{
    if (!m_recording)
        return;
    m_recording = false;
    // The recording holds a complex whole when its R lies a QRS width before
    // its end.
    m_awaitingLastBeats = true;
    m_lastBeatTime = m_raw->seconds(m_startSample + int(m_recordedSamples)) - CompleteQrsSeconds;
    // The recording is complete: its last, partial page becomes part of it (and
    // of every filtered view over it).
    m_study->recording()->releaseUnusedPages(true);
    *m_study->results().value(QLatin1String(UnfinishedMark)) = 0.0;
    if (m_protocol)
        changeStage(stageCount());
    m_study->results().updateMaxima();
    if (m_equipment && m_equipmentStarted && !m_equipment->stop())
        equipmentFailed();
    tellStopped();
}

void TStudyRecorder::equipmentFailed()
{
    m_equipment = nullptr;
    tellMessage(QCoreApplication::translate("TStudyRecorder", EquipmentFailedText));
}

double TStudyRecorder::stageMets(int index) const
{
    if (!m_protocol || index < 0 || index >= stageCount())
        return 0.0;
    bool ok = false;
    const double weight = m_study->property(QStringLiteral("patient/weight")).trimmed().toDouble(&ok);
    return TMets::ofStage(m_protocol->stage(index), m_protocol->type(), ok ? weight : 0.0);
}

void TStudyRecorder::addBP(double systolic, double diastolic, double time)
{
    if (!m_recording)
        return;
    TStudyResults& results = m_study->results();
    const double hr = results.trend(QStringLiteral("BPMTrend"))->valueAt(time);
    results.trend(QStringLiteral("sysBPTrend"))->insertSorted(time, systolic);
    results.trend(QStringLiteral("diaBPTrend"))->insertSorted(time, diastolic);
    results.trend(QStringLiteral("DPTrend"))->insertSorted(time, std::trunc(systolic) * std::trunc(hr));
    const TProtocol* executed = m_study->protocol();
    if (!executed)
        return;
    const int k = executed->stageAt(time);
    if (k < 0) {
        m_pendingSBP = int(systolic);
        m_pendingDBP = int(diastolic);
        return;
    }
    results.valueArray(QStringLiteral("sysBPPerStage"))->setValue(k, systolic);
    results.valueArray(QStringLiteral("diaBPPerStage"))->setValue(k, diastolic);
    const double stageHr = std::trunc(results.valueArray(QStringLiteral("BPMPerStage"))->value(k));
    results.valueArray(QStringLiteral("DPPerStage"))->setValue(k, stageHr * std::trunc(systolic));
}

// ---------------------------------------------------------------------------
// The driver's notifications

void TStudyRecorder::reportLostChannels()
{
    // A lead whose electrode is off or whose amplifier is saturated has no
    // signal: the detector does not hold the other leads' beats back for it.
    static const char* const electrodes[] = {"LL", "LA", "RA", "V1", "V2", "V3", "V4", "V5", "V6"};
    bool off[9];
    for (int e = 0; e < 9; ++e)
        off[e] = m_driver->isElectrodeOff(electrodes[e]);
    TQrsDetector& detector = m_analysis->detector();
    for (int c = 0; c < m_raw->channelCount() && c < detector.channelCount(); ++c) {
        const int lead = TLeadTable::leadIndex(m_raw->channel(c)->name());
        bool lost = lead >= 0 && m_driver->isChannelSaturated(lead);
        for (int e = 0; e < 9 && !lost; ++e)
            lost = off[e] && TLeadTable::usesElectrode(lead, electrodes[e]);
        detector.setChannelLost(c, lost);
    }
}

template <typename Step>
void TStudyRecorder::guarded(Step step)
{
    try {
        step();
    } catch (const std::exception& e) {
        analysisFailed(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        analysisFailed(QStringLiteral("Unspecified application error"));
    }
}

void TStudyRecorder::onData(TAcqDriver*)
{
    // Each step on its own: a fault in the analysis or the display must never
    // stop the samples going into the recording, the stages advancing or the
    // equipment being commanded.
    guarded([this]() {
        reportLostChannels();
        if (!m_analysisFinished)
            m_analysis->process(m_analysisOn);
    });
    guarded([this]() {
        m_displayDecimator->process();
        m_displayChain->process();
    });
    guarded([this]() { m_averagerChain->process(); });
    if (m_recording)
        guarded([this]() { record(); });
    guarded([this]() {
        if (m_recording && m_protocol && m_stageIndex < stageCount() - 1 &&
            recordingTime() - m_stageStart >= m_protocol->stage(m_stageIndex).duration())
            advance();
    });
    checkEquipment();
    tellUpdate();
}

void TStudyRecorder::checkEquipment()
{
    if (m_equipment && !m_equipment->isOk())
        equipmentFailed();
}

void TStudyRecorder::analysisFailed(const QString& text)
{
    // Told once: the same fault would otherwise be told with every block.
    if (m_analysisFailed)
        return;
    m_analysisFailed = true;
    tellMessage(text);
}

// Appends what the live signal has gained since the last block to the study's
// recording. What the recording holds decides where to go on, so a failed write
// is retried with the next block (from the live signal's ring, which still holds
// the last minutes).
void TStudyRecorder::record()
{
    m_recordedSamples = qint64(m_raw->length()) - m_startSample;
    TSignalBuffer* recording = m_study->recording();
    const qint64 written = qint64(recording->length()) - m_recordingBase;
    const qint64 pending = m_recordedSamples - written;
    if (pending <= 0)
        return;
    const int channels = m_raw->channelCount();
    const int first = int(m_startSample + written);
    const int count = int(pending);
    m_columns.resize(size_t(channels));
    m_columnPointers.resize(size_t(channels));
    for (int c = 0; c < channels; ++c) {
        std::vector<qint16>& column = m_columns[size_t(c)];
        column.resize(size_t(count));
        m_raw->copyValues(c, first, count, column.data());
        m_columnPointers[size_t(c)] = column.data();
    }
    try {
        recording->appendChannels(m_columnPointers.data(), count);
        m_recordingFailed = false;
    } catch (const std::exception& e) {
        if (!m_recordingFailed)
            tellMessage(QCoreApplication::translate("TStudyRecorder", "The recording cannot be stored: %1")
                            .arg(QString::fromLocal8Bit(e.what())));
        m_recordingFailed = true;
    }
}

void TStudyRecorder::onPacemaker(TAcqDriver*, int sampleOffset)
{
    m_pacemakerPulses.push_back(sampleOffset);
    if (m_recording && sampleOffset >= m_startSample)
        m_study->results()
            .valueArray(QStringLiteral("pacemakerPulses"))
            ->append(m_raw->seconds(sampleOffset) - m_raw->seconds(m_startSample));
}

void TStudyRecorder::onError(TAcqDriver*, const char* message)
{
    tellMessage(QString::fromLocal8Bit(message));
}

void TStudyRecorder::deviceFailed()
{
    tellMessage(QCoreApplication::translate("TStudyRecorder", DeviceFailedText));
}

// ---------------------------------------------------------------------------
// Beats

double TStudyRecorder::secondsSinceLastBeat() const
{
    if (m_lastDetectedBeat < 0.0)
        return -1.0;
    return std::max(0.0, m_raw->durationSeconds() - m_lastDetectedBeat);
}

void TStudyRecorder::storeBeat(const TBeat& detected, const TBeatRecord* records, int channelCount)
{
    TBeat beat = detected;
    TWavePointRefiner::refine(beat, *m_raw);
    m_averager->addBeat(beat);
    m_lastMeanRR = beat.value(TBeat::MeanRR);
    m_lastRR = beat.value(TBeat::RR);
    // When the beat was told, not where its R lies: detection runs behind the
    // signal, and the monitor's question is whether beats are still coming.
    m_lastDetectedBeat = m_raw->durationSeconds();
    const bool ofRecording = m_recording || (m_awaitingLastBeats && beat.time() <= m_lastBeatTime);
    if (!ofRecording) {
        if (beat.beatClass() >= 0)
            tellBeat(beat, records, channelCount);
        return;
    }
    const double startTime = m_raw->seconds(m_startSample);
    if (beat.time() < startTime)
        return;
    TBeat stored = beat;
    TRecordingBeatFinder::shiftTimes(stored, startTime);
    stored.setBuffer(m_study->recording());
    // The beats file keeps a beat's label but not its class, so the stored
    // copy carries the class in its label for review to tell premature beats.
    if (stored.label() == 0)
        stored.setLabel(stored.beatClass());
    m_unstoredBeats.push_back(stored);
    if (m_unstoredBeats.size() > MaxUnstoredBeats)
        m_unstoredBeats.pop_front();
    storePendingBeats();
    if (beat.beatClass() < 0)
        return;
    const double beatTime = stored.time();

    TStudyResults& results = m_study->results();
    const double rr = beat.value(TBeat::MeanRR);
    if (rr > 0.0) {
        const double beatHr = 60.0 / rr;
        if (beatHr > 0.0) {
            m_heartRate = m_heartRate == 0.0 ? beatHr : 0.8 * m_heartRate + 0.2 * beatHr;
            results.trend(QStringLiteral("BPMTrend"))->append(beatTime, rounded(beatHr, HeartRateScale));
        }
    }
    results.trend(QStringLiteral("METSTrend"))->append(beatTime, stageMets(m_stageIndex));
    measureSt(beat, beatTime);
    ++m_beatsInStage;
    tellBeat(beat, records, channelCount);
}

void TStudyRecorder::storePendingBeats()
{
    TBeatStore* store = m_study->beats();
    try {
        while (!m_unstoredBeats.empty()) {
            store->append(m_unstoredBeats.front());
            m_unstoredBeats.pop_front();
        }
        m_beatsFailed = false;
    } catch (const std::exception& e) {
        if (!m_beatsFailed)
            tellMessage(QCoreApplication::translate("TStudyRecorder", "The beats cannot be stored: %1")
                            .arg(QString::fromLocal8Bit(e.what())));
        m_beatsFailed = true;
    }
}

void TStudyRecorder::measureSt(const TBeat& beat, double beatTime)
{
    const TSignalBuffer* source = m_averager->source();
    const TSignalBuffer* beatBuffer = beat.buffer() ? beat.buffer() : source;
    if (!source || !beatBuffer)
        return;
    const int leads = std::min({beatBuffer->channelCount(), source->channelCount(), int(TSignalBuffer::MaxChannels)});
    const double rr = beat.value(TBeat::RR);
    TStudyResults& results = m_study->results();
    for (int i = 0; i < leads; ++i) {
        const TStMeasurement::Result st = TStMeasurement::measure(m_averager->average(i), source->samplingRate(),
                                                                  m_averager->rIndex(), rr, beatBuffer->valueStep());
        StMarks& marks = m_marks[size_t(i)];
        if (!st.measured) {
            marks.baseline = marks.level = marks.slope = 0;
            continue;
        }
        marks.baseline = st.baselinePoint;
        marks.level = st.levelPoint;
        marks.slope = st.slopePoint;
        const double level = m_levelMeans[size_t(i)].push(st.level);
        const double slope = m_slopeMeans[size_t(i)].push(st.slope);
        marks.levelMv = level;
        results.trend(TStudyResults::stLevelTrendName(i))->append(beatTime, rounded(level, StScale));
        results.trend(TStudyResults::stSlopeTrendName(i))->append(beatTime, rounded(slope, StScale));
        m_stLevel[size_t(i)] = (m_beatsInStage * m_stLevel[size_t(i)] + level) / (m_beatsInStage + 1);
        m_stSlope[size_t(i)] = (m_beatsInStage * m_stSlope[size_t(i)] + slope) / (m_beatsInStage + 1);
    }
}

// ---------------------------------------------------------------------------
// Device state

double TStudyRecorder::lowBatteryThreshold()
{
    return sharedLowBatteryThreshold();
}

void TStudyRecorder::setLowBatteryThreshold(double volts)
{
    if (volts > 0.0)
        sharedLowBatteryThreshold() = volts;
}

bool TStudyRecorder::lowBattery() const
{
    const double level = m_driver->batteryLevel();
    return level > 0.0 && level < lowBatteryThreshold();
}

bool TStudyRecorder::anyLeadOff() const
{
    for (int c = 0; c < m_raw->channelCount(); ++c) {
        const int lead = TLeadTable::leadIndex(m_raw->channel(c)->name());
        if (lead >= 0 && m_driver->isChannelSaturated(lead))
            return true;
    }
    return false;
}

bool TStudyRecorder::anyElectrodeOff() const
{
    static const char* const electrodes[] = {"LL", "LA", "RA", "V1", "V2", "V3", "V4", "V5", "V6"};
    for (const char* e : electrodes)
        if (m_driver->isElectrodeOff(e))
            return true;
    return false;
}

// ---------------------------------------------------------------------------
// Listeners

void TStudyRecorder::addListener(TRecorderListener* listener)
{
    if (listener)
        m_listeners.append(listener);
}

template <typename Call>
void TStudyRecorder::tell(Call call)
{
    // A failing window must neither stop the recording nor keep the windows
    // after it from hearing.
    const QList<TRecorderListener*> listeners = m_listeners;
    for (TRecorderListener* l : listeners) {
        try {
            call(l);
        } catch (const std::exception& e) {
            qWarning("Recording listener failed: %s", e.what());
        } catch (...) {
            qWarning("Recording listener failed");
        }
    }
}

void TStudyRecorder::tellUpdate()
{
    tell([this](TRecorderListener* l) { l->update(this); });
}

void TStudyRecorder::tellBeat(const TBeat& beat, const TBeatRecord* records, int channelCount)
{
    tell([&](TRecorderListener* l) { l->beat(this, beat, records, channelCount); });
}

void TStudyRecorder::tellStarted()
{
    tell([this](TRecorderListener* l) { l->started(this); });
}

void TStudyRecorder::tellStageChanged()
{
    tell([this](TRecorderListener* l) { l->stageChanged(this); });
}

void TStudyRecorder::tellStopped()
{
    tell([this](TRecorderListener* l) { l->stopped(this); });
}

void TStudyRecorder::tellMessage(const QString& text)
{
    tell([&](TRecorderListener* l) { l->message(this, text); });
}
