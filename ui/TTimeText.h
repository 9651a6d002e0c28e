#pragma once

#include <QString>

// The time texts of the ECG windows.
namespace TTimeText {

// Whole seconds as "%2d:%2.2d": " 0:05", "12:03".
QString elapsed(double seconds);
// "%02d:%02d": an event's position in the event list.
QString eventTime(double seconds);
// "%02d:%02d.%d" with tenths: where a report starts.
QString startTime(double seconds);
// trunc(60 / rr) as text, or empty when rr gives no rate.
QString heartRate(double rrSeconds);

} // namespace TTimeText
