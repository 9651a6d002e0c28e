#include "TRestingMeasurement.h"

#include "TBeatAverager.h"
#include "TBeatStore.h"
#include "TRecordingBeatFinder.h"
#include "TSignalBuffer.h"
#include "TSignalChannel.h"
#include "TStudy.h"
#include "TStudyRecorder.h"
#include "TStudyResults.h"
#include "WaveAmplitudes.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>

const QStringList& TRestingMeasurement::keys()
{
    static const QStringList names = {
        QStringLiteral("measurementChannel"), QStringLiteral("POnset"),   QStringLiteral("PPeak"),
        QStringLiteral("POffset"),            QStringLiteral("QRSOnset"), QStringLiteral("QRSOffset"),
        QStringLiteral("TOnset"),             QStringLiteral("TPeak"),    QStringLiteral("TOffset"),
        QStringLiteral("PAmp"),               QStringLiteral("QRSAmp"),   QStringLiteral("TAmp"),
        QStringLiteral("avgRRInterval"),      QStringLiteral("QRSAxis"),  QStringLiteral("RAmp")};
    return names;
}

TMeasurementRecord TRestingMeasurement::measure(TBeatAverager& averager, int lead)
{
    TMeasurementRecord record = TMeasurementRecord::measure(averager, lead);
    const int channel = int(record.value(QStringLiteral("measurementChannel")));
    const TSignalBuffer* source = averager.source();
    if (channel < 0 || !source || averager.beatCount() == 0)
        return record;
    measureAmplitudes(record, averager.average(channel), source->samplingRate(), averager.rIndex(),
                      source->valueStep());
    return record;
}

void TRestingMeasurement::measureAmplitudes(TMeasurementRecord& record, const std::vector<double>& beat, int rate,
                                            int rIndex, double millivoltsPerUnit)
{
    static const char* const points[WaveAmplitudes::PointCount] = {"POnset",    "POffset", "PPeak",   "QRSOnset",
                                                                   "QRSOffset", "TOnset",  "TOffset", "TPeak"};
    std::array<int, WaveAmplitudes::PointCount> index{};
    std::array<bool, WaveAmplitudes::PointCount> enabled{};
    for (int p = 0; p < WaveAmplitudes::PointCount; ++p) {
        const double seconds = record.value(QLatin1String(points[p]));
        enabled[size_t(p)] = seconds != 0.0;
        index[size_t(p)] = rIndex + int(std::lround(seconds * rate));
    }
    const WaveAmplitudes waves = WaveAmplitudes::measure(beat, millivoltsPerUnit, index, enabled);
    record.setValue(QStringLiteral("PAmp"), waves.p.found ? waves.p.millivolts : 0.0);
    record.setValue(QStringLiteral("QRSAmp"), waves.qrs.found ? waves.qrs.millivolts : 0.0);
    record.setValue(QStringLiteral("TAmp"), waves.t.found ? waves.t.millivolts : 0.0);
    record.setValue(QStringLiteral("RAmp"), rAmplitude(beat, index[WaveAmplitudes::QrsOn], index[WaveAmplitudes::QrsOff],
                                                      enabled[WaveAmplitudes::QrsOn] && enabled[WaveAmplitudes::QrsOff],
                                                      millivoltsPerUnit));
}

double TRestingMeasurement::rAmplitude(const std::vector<double>& beat, int qrsOnset, int qrsEnd, bool found,
                                       double millivoltsPerUnit)
{
    if (!found || qrsOnset < 0 || qrsEnd <= qrsOnset || qrsEnd >= int(beat.size()))
        return 0.0;
    const double base = beat[size_t(qrsOnset)];
    const double top = *std::max_element(beat.begin() + qrsOnset, beat.begin() + qrsEnd + 1);
    return std::max(0.0, (top - base) * millivoltsPerUnit);
}

void TRestingMeasurement::endRecording(TStudyRecorder& recorder, TStudy& study)
{
    const bool recorded = recorder.isRecording() || recorder.recordedSamples() > 0;
    recorder.stop();
    recorder.stopAcquisition();
    if (recorded)
        measureRecording(study);
}

void TRestingMeasurement::measureRecording(TStudy& study, int* averagedBeats)
{
    // The live beats stay as they are from the first one the detector knew
    // the rhythm at on. Before it, while it was still learning the signal, it
    // reported none, or beats without the mean interval that tells a regular
    // one: the recording's own analysis gives those.
    TSignalBuffer* recording = study.recording();
    TBeatStore* stored = study.beats();
    const int live = stored->count();
    int settled = 0;
    while (settled < live && !(stored->beat(settled).value(TBeat::MeanRR) > 0.0))
        ++settled;
    const double firstSettled =
        settled < live ? stored->beat(settled).time() : std::numeric_limits<double>::infinity();
    TRecordingBeatFinder finder(*recording);
    std::vector<TBeat> early;
    finder.find([&](const TBeat& beat) {
        if (beat.time() < firstSettled - SameBeatSeconds)
            early.push_back(beat);
    });
    // A recording that gives none (unreadable) leaves the beats as they are.
    std::exception_ptr failure;
    int kept = 0;
    if (!early.empty()) {
        try {
            stored->replaceFirst(settled, early);
            kept = int(early.size());
        } catch (...) {
            failure = std::current_exception();
        }
    }
    TBeatAverager averager(finder.analysisSignal(), AveragingSeconds);
    if (!early.empty()) {
        for (const TBeat& beat : early)
            averager.addBeat(beat);
        // The live beats after them, wherever they now stand.
        for (int i = failure ? settled : kept; i < stored->count(); ++i)
            averager.addBeat(stored->beat(i));
    } else {
        for (int i = 0; i < stored->count(); ++i)
            averager.addBeat(stored->beat(i));
    }
    store(measure(averager, automaticLead(averager.source())), study.results());
    if (averagedBeats)
        *averagedBeats = averager.beatCount();
    if (failure)
        std::rethrow_exception(failure);
}

int TRestingMeasurement::automaticLead(const TSignalBuffer* signal)
{
    // Veterinary ECGs are read, and their reference ranges written, in lead II.
    const TSignalChannel* leadII = signal ? signal->channelByName("II") : nullptr;
    return leadII ? leadII->index() : -1;
}

void TRestingMeasurement::store(const TMeasurementRecord& record, TStudyResults& results)
{
    for (const QString& key : keys()) {
        double* value = results.value(key);
        if (!value)
            continue;
        if (key == QLatin1String("measurementChannel"))
            *value = record.contains(key) ? record.value(key) : -1.0;
        else if (key == QLatin1String("QRSAxis"))
            *value = record.contains(key) ? record.value(key) : TMeasurementRecord::NoAxis;
        else
            *value = record.value(key);
    }
}

TMeasurementRecord TRestingMeasurement::load(const TStudyResults& results)
{
    TMeasurementRecord record;
    for (const QString& key : keys())
        if (const double* value = results.value(key))
            record.setValue(key, *value);
    return record;
}

bool TRestingMeasurement::isComplete(const TMeasurementRecord& record)
{
    if (!record.contains(QStringLiteral("measurementChannel")) || record.value(QStringLiteral("measurementChannel")) < 0)
        return false;
    for (const char* key : {"QRSOnset", "QRSOffset"})
        if (record.value(QLatin1String(key)) == 0.0)
            return false;
    return true;
}
