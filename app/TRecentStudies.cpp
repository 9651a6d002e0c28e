#include "TRecentStudies.h"

#include "TSettingsKeys.h"

#include <QSettings>

namespace {
const QString Separator = QStringLiteral("||");
}

QString TRecentStudies::entry(int id, const QString& studyDateTime, const QString& lastName, const QString& firstName)
{
    return QStringLiteral("%1||%2||%3||%4").arg(id).arg(studyDateTime, lastName, firstName);
}

QStringList TRecentStudies::added(QStringList list, const QString& entry)
{
    list.prepend(entry);
    while (list.size() > MaxEntries)
        list.removeLast();
    return list;
}

QStringList TRecentStudies::removed(const QStringList& list, int id)
{
    const QString wanted = QString::number(id);
    QStringList kept;
    for (const QString& entry : list)
        if (entry.split(Separator, Qt::KeepEmptyParts).value(0) != wanted)
            kept.append(entry);
    return kept;
}

QStringList TRecentStudies::updated(const QStringList& list, int id, const QString& studyDateTime,
                                    const QString& lastName, const QString& firstName)
{
    const QString wanted = QString::number(id);
    QStringList result = list;
    for (QString& e : result)
        if (e.split(Separator, Qt::KeepEmptyParts).value(0) == wanted)
            e = entry(id, studyDateTime, lastName, firstName);
    return result;
}

QVector<TRecentStudies::Row> TRecentStudies::rows(const QStringList& list)
{
    QVector<Row> rows;
    for (const QString& entry : list) {
        const QStringList parts = entry.split(Separator, Qt::KeepEmptyParts);
        if (parts.size() != 4)
            continue;
        Row row;
        row.id = parts[0].toInt();
        row.patient = QStringLiteral("%1, %2").arg(parts[2], parts[3]);
        row.dateTime = QDateTime::fromString(parts[1], QStringLiteral("yyyyMMddHHmmss"));
        rows.append(row);
        if (rows.size() == ShownEntries)
            break;
    }
    return rows;
}

QStringList TRecentStudies::list()
{
    return QSettings().value(QLatin1String(TSettingsKeys::RecentStudyList), QStringList()).toStringList();
}

void TRecentStudies::add(int id, const QString& studyDateTime, const QString& lastName, const QString& firstName)
{
    QSettings().setValue(QLatin1String(TSettingsKeys::RecentStudyList),
                         added(list(), entry(id, studyDateTime, lastName, firstName)));
}

void TRecentStudies::remove(int id)
{
    QSettings().setValue(QLatin1String(TSettingsKeys::RecentStudyList), removed(list(), id));
}

void TRecentStudies::update(int id, const QString& studyDateTime, const QString& lastName, const QString& firstName)
{
    const QStringList before = list();
    const QStringList after = updated(before, id, studyDateTime, lastName, firstName);
    if (after != before)
        QSettings().setValue(QLatin1String(TSettingsKeys::RecentStudyList), after);
}
