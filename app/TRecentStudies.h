#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

// The launcher's list of recently recorded studies, newest first, as the
// setting "MainWindow/RecentStudyList" holds it: entries
// "id||studyDateTime||last name||first name".
class TRecentStudies
{
public:
    static constexpr int MaxEntries = 10;
    static constexpr int ShownEntries = 5;

    struct Row
    {
        int id = 0;
        QString patient;   // "last, first"
        QDateTime dateTime; // invalid when the entry's time does not read
    };

    static QString entry(int id, const QString& studyDateTime, const QString& lastName, const QString& firstName);
    // The entry put first; the oldest fall off beyond MaxEntries.
    static QStringList added(QStringList list, const QString& entry);
    // Every entry of that id taken out.
    static QStringList removed(const QStringList& list, int id);
    // Every entry of that id rewritten with the study's current date and
    // names, in its place (the study data were edited).
    static QStringList updated(const QStringList& list, int id, const QString& studyDateTime,
                               const QString& lastName, const QString& firstName);
    // The rows the launcher shows: entries of exactly four parts, at most
    // ShownEntries of them.
    static QVector<Row> rows(const QStringList& list);

    // The same on the application's settings store.
    static void add(int id, const QString& studyDateTime, const QString& lastName, const QString& firstName);
    static void remove(int id);
    static void update(int id, const QString& studyDateTime, const QString& lastName, const QString& firstName);
    static QStringList list();
};
