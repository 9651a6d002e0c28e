#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// The decisions of the study data dialog, apart from its widgets: reading a
// birth date, the age it gives, the heart-rate training zones, when the form
// may be accepted and how the remembered lists grow.
namespace TStudyDataRules {

// "d/M/yyyy" (a year from 1000 on), else "d/M/yy". A two-digit year is the
// latest such date not after the study date: on 9 December 2026 "5/3/15" is
// 2015 and "5/3/30" is 1930. An invalid date when neither reads.
QDate parseBirthDate(const QString& text, const QDate& studyDate);

// Whole years from the birth date to the study date, as text; empty when the
// animal is not yet one year old, or born after the study date.
QString ageText(const QDate& birthDate, const QDate& studyDate);

// Both names, trimmed, non-empty.
bool acceptable(const QString& lastName, const QString& firstName);
// The tint of a required name field: light yellow while it is empty.
QString requiredFieldStyle(const QString& text);

// A remembered list sorted for showing, without regard to letter case.
QStringList sortedForShowing(QStringList list);
// The list with the typed text appended when it is not blank and not yet in
// the list (letter case counts: "Dog" and "dog" are two entries).
QStringList remember(QStringList list, const QString& typed);

} // namespace TStudyDataRules
