#pragma once

#include "TReportPlot.h"

#include <QString>

#include <optional>

class TStudy;

// The trend plots of a stress or tilt test's report, by field name: "plotHR"
// (heart rate, titled "HR %1 bpm" with the highest rate reached), "plotBP"
// (systolic and diastolic readings), "plotDP" (double product), "plotST" (ST
// level of the ST lead in millimetres at 10 mm/mV), "plotMETS" and
// "plotTiltTest" (heart rate and blood pressure together), each over the whole
// test with its stage boundaries.
namespace TStressPlots {

bool isPlotField(const QString& field);
// None for a name that is no plot. stLead: the recording channel whose ST is
// drawn, named stLeadName.
std::optional<TReportPlot> build(const QString& field, const TStudy& study, int stLead, const QString& stLeadName);

} // namespace TStressPlots
