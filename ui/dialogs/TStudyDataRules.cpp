#include "TStudyDataRules.h"

#include <QRegularExpression>

namespace TStudyDataRules {

QDate parseBirthDate(const QString& text, const QDate& studyDate)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d{1,2})/(\\d{1,2})/(\\d{1,4})\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return QDate();
    const int day = match.captured(1).toInt();
    const int month = match.captured(2).toInt();
    const QString yearText = match.captured(3);
    const int year = yearText.toInt();
    if (yearText.size() == 4 && year >= 1000)
        return QDate(year, month, day);
    if (yearText.size() > 2)
        return QDate();
    // A two-digit year: the century that puts the date last without passing
    // the study date.
    const QDate reference = studyDate.isValid() ? studyDate : QDate::currentDate();
    const int century = reference.year() - reference.year() % 100;
    QDate date(century + year, month, day);
    if (!date.isValid()) {
        // 29 February of a year of the other century may still exist.
        date = QDate(century - 100 + year, month, day);
        return date.isValid() && date <= reference ? date : QDate();
    }
    if (date > reference)
        date = QDate(century - 100 + year, month, day);
    return date;
}

QString ageText(const QDate& birthDate, const QDate& studyDate)
{
    if (!birthDate.isValid() || !studyDate.isValid())
        return QString();
    int age = studyDate.year() - birthDate.year() - 1;
    if (birthDate.month() < studyDate.month()
        || (birthDate.month() == studyDate.month() && birthDate.day() <= studyDate.day()))
        ++age;
    return age > 0 ? QString::number(age) : QString();
}

bool acceptable(const QString& lastName, const QString& firstName)
{
    return !lastName.trimmed().isEmpty() && !firstName.trimmed().isEmpty();
}

QString requiredFieldStyle(const QString& text)
{
    return text.trimmed().isEmpty() ? QStringLiteral("background-color: lightyellow") : QString();
}

QStringList sortedForShowing(QStringList list)
{
    std::sort(list.begin(), list.end(),
              [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) < 0; });
    return list;
}

QStringList remember(QStringList list, const QString& typed)
{
    const QString text = typed.trimmed();
    if (!text.isEmpty() && !list.contains(text, Qt::CaseSensitive))
        list.append(text);
    return list;
}

} // namespace TStudyDataRules
