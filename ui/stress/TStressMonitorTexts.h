#pragma once

#include <QString>

class TProtocol;

// The texts of the stress monitor window and the rules behind its blood
// pressure prompt, kept out of the window so they can be checked alone.
namespace TStressMonitorTexts {

// The planned stage's load: treadmill "5.0 km/h / 10 %", ergometer
// "100.0 watts" (in the workload unit), pharmacologic "Dose 10"; empty for the
// other types and for a stage outside the protocol.
QString loadText(const TProtocol& planned, int stageIndex, const QString& workloadUnit);
// "<b>name</b> || stage<br/>load".
QString stageLabel(const QString& protocolName, const QString& stageName, const QString& load);
// "%s %d": the phase name and the stage's number within its phase (a tilt
// test's exercise phase has no name, so the number stands alone).
QString stageName(int protocolType, int phase, int numberInPhase);
// " 1:05" of the stage's whole seconds so far.
QString stageElapsed(double seconds);
// "/  3:00 stage" of the planned duration.
QString stageDuration(double seconds);
// "%1% max %2<br/>%3% sub %4", the percentages 0 where the zone is 0.
QString heartRateInfo(int heartRate, int zoneMax, int zoneSubMax);
// The percentages while no rate stands (no beat yet, or beats have stopped).
QString noHeartRateInfo(int zoneMax, int zoneSubMax);
// What the blood pressure prompt says: the stage name, and the load below it.
QString bloodPressurePromptText(const QString& stageName, const QString& load);

// A pressure is taken about a second before its prompt opens; never before
// the recording began.
double bloodPressureTime(double recordingTime);
// The automatic prompt opens when the stage has this much left, or less.
constexpr double PromptBeforeStageEndSeconds = 15.0;
bool automaticPromptDue(double stageDuration, double recordingTime, double stageStart);

} // namespace TStressMonitorTexts
