#pragma once

#include "TWaveEvaluation.h"

#include <QImage>

// A picture of one measured stretch, for a person to see why a point went
// wrong: every lead's average beat (the measurement lead drawn large, the
// others small beneath it), with the measurement's points as solid lines and
// the annotation's as dashed ones, and the errors of the intervals.
namespace TWavePicture {

QImage draw(const TWaveEvaluation::Result& result, const TWaveEvaluation::Stretch& stretch);

// The same stretch as text, for reading the values the picture shows: comment
// lines with the measured and the annotated points (ms from R), then one row per
// sample, its time from R in ms and every lead's average beat in mV.
QString table(const TWaveEvaluation::Result& result, const TWaveEvaluation::Stretch& stretch);

// The stretch of a record to draw: of those with kept averages, the one whose
// worst interval error, in tolerances, is largest; -1 when none is kept.
int worstStretch(const TWaveEvaluation::Result& result);

} // namespace TWavePicture
