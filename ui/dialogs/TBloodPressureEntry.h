#pragma once

#include <QString>

// The rules of typing a blood pressure: what the fields read as, when a pair
// may be taken, and when the systolic field is complete enough to move on.
namespace TBloodPressureEntry {

// A systolic value this high has all its digits: a third one would make it
// implausible (36 -> 360 mmHg), so the operator goes on to the diastolic.
constexpr int CompleteSystolic = 36;

// The field's value in mmHg; 0 for an empty field or one that does not read.
int value(const QString& text);
// Both measured, and the systolic above the diastolic.
bool acceptable(int systolic, int diastolic);
bool systolicComplete(int systolic);

} // namespace TBloodPressureEntry
