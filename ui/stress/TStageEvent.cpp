#include "TStageEvent.h"

#include "TProtocol.h"
#include "TStageTable.h"

#include <QCoreApplication>
#include <algorithm>

namespace TStageEvent {

TStudyEvent forLastStage(const TProtocol& executed, int protocolType)
{
    TStudyEvent event;
    const int last = executed.stageCount() - 1;
    if (last < 0)
        return event;
    const int phase = executed.stage(last).phase();
    const QString phaseName = TStageTable::phaseName(protocolType, phase);
    const double end = executed.stageEndTime(last);
    if (protocolType == TProtocol::TiltTest) {
        if (phase == TProtocolStage::Rest) {
            event.description = phaseName;
        } else {
            // The phase began with the first of the stages of this phase that run
            // up to the last one.
            int first = last;
            while (first > 0 && executed.stage(first - 1).phase() == phase)
                --first;
            const int minutes = int((end - executed.stageStartTime(first)) / 60.0);
            event.description =
                QCoreApplication::translate("TStageEvent", "%1 %2 min.").arg(phaseName).arg(minutes).trimmed();
        }
        event.print = false;
    } else {
        event.description = TStageTable::stageName(executed, protocolType, last);
        event.print = true;
    }
    event.position = std::max(0.0, end - Seconds);
    event.duration = Seconds;
    return event;
}

} // namespace TStageEvent
