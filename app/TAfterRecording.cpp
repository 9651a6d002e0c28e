#include "TAfterRecording.h"

#include "TSettingsKeys.h"

#include <QSettings>

TAfterRecording TAfterRecording::choose(const QSettings& settings, bool ecg)
{
    TAfterRecording after;
    const bool autoExport = settings.value(QLatin1String(TSettingsKeys::AutoExportStudies), false).toBool();
    after.folder = settings
                       .value(QLatin1String(ecg ? TSettingsKeys::ExportEcgStudyFolder
                                                : TSettingsKeys::ExportStressStudyFolder),
                              QString())
                       .toString();
    after.exportStudy = autoExport && !after.folder.isEmpty();
    return after;
}
