#include "TInterruptedRecording.h"

#include "TBeat.h"
#include "TBeatStore.h"
#include "TProtocol.h"
#include "TRestingMeasurement.h"
#include "TSignalBuffer.h"
#include "TStudy.h"
#include "TStudyRecorder.h"
#include "TValueArray.h"

#include <algorithm>

namespace TInterruptedRecording {

const char* const EventText = "Recording ended unexpectedly";

namespace {

constexpr double EventSeconds = 7.0;

// The mean rate of the regular beats stored between from and to (0 for none).
double heartRateBetween(const TBeatStore& beats, double from, double to)
{
    double sum = 0.0;
    int n = 0;
    for (int i = beats.next(from - 1e-9); i >= 0 && i < beats.count(); ++i) {
        const TBeat beat = beats.beat(i);
        if (beat.time() >= to)
            break;
        const double rr = beat.value(TBeat::MeanRR);
        if (beat.beatClass() >= 0 && rr > 0.0) {
            sum += 60.0 / rr;
            ++n;
        }
    }
    return n > 0 ? sum / n : 0.0;
}

void finishStages(TStudy& study, double end)
{
    TProtocol* executed = study.protocol();
    if (!executed)
        return;
    TStudyResults& results = study.results();
    const double begun = executed->totalDuration();
    // The stage that was running when the recording ended: the kind of the
    // last one stored (its load is not in the study), its rate from the beats.
    if (end - begun >= TStudyRecorder::ShortestStageSeconds) {
        TProtocolStage& stage = executed->insertStage(executed->stageCount());
        stage = TProtocolStage();
        stage.setPhase(executed->stageCount() > 1 ? executed->stage(executed->stageCount() - 2).phase()
                                                  : TProtocolStage::Rest);
        stage.setDuration(end - begun);
        const int k = executed->stageCount() - 1;
        if (const TBeatStore* beats = study.beats())
            results.valueArray(QStringLiteral("BPMPerStage"))->setValue(k, int(heartRateBetween(*beats, begun, end)));
    }
    results.updateMaxima();
}

} // namespace

bool isInterrupted(const TStudy& study)
{
    const double* mark = study.results().value(QLatin1String(TStudyRecorder::UnfinishedMark));
    return mark && *mark != 0.0;
}

bool finish(TStudy& study)
{
    if (!isInterrupted(study))
        return false;
    const TSignalBuffer* recording = study.recording();
    const double end = recording ? recording->durationSeconds() : 0.0;
    if (study.property(QStringLiteral("studyType")) == QLatin1String("ECG")) {
        if (end > 0.0)
            TRestingMeasurement::measureRecording(study);
    } else {
        finishStages(study, end);
    }
    TStudyEvent event;
    event.description = QString::fromLatin1(EventText);
    event.position = std::max(0.0, end - EventSeconds);
    event.duration = EventSeconds;
    study.record().events.append(event);
    *study.results().value(QLatin1String(TStudyRecorder::UnfinishedMark)) = 0.0;
    return true;
}

} // namespace TInterruptedRecording
