#pragma once

#include "TStudySummary.h"

#include <QSqlDatabase>
#include <QString>
#include <QVector>

#include <optional>

// The SQLite index of the local studies: one row per study, its id and the
// compact JSON of its summary, so the study lists need not open study files.
// The index is derived data: it can always be rebuilt from the record files.
class TStudyIndex
{
public:
    static const QString DriverName; // "QSQLITE"
    static const QString FileName;   // "studies.sqlite"

    // Opens (creating when missing) the database file. The first index of the
    // process takes the default connection; further ones (tests) get their own.
    // Throws "SQLite driver not available", or the database's error text when
    // the file cannot be opened or the table cannot be created.
    explicit TStudyIndex(const QString& databasePath);
    ~TStudyIndex();

    TStudyIndex(const TStudyIndex&) = delete;
    TStudyIndex& operator=(const TStudyIndex&) = delete;

    // True when the table had to be created: the file was new (or had lost its
    // table), so its rows must be rebuilt from the record files.
    bool isNew() const { return m_new; }
    QString connectionName() const { return m_connection; }

    // Each throws the query's error text when its statement fails.
    QVector<TStudySummary> list() const;
    std::optional<TStudySummary> find(int id) const;
    bool contains(int id) const { return find(id).has_value(); }
    void insert(const TStudySummary& study);
    void update(const TStudySummary& study);
    void remove(int id);

    // Fills the index from the "*.cxstudy" files of folder in one transaction.
    // Files that are not studies, or lack a "study" or "patient" object, are
    // left out (and stay on disk); of two files with the same id the first in
    // directory order is taken. Returns the number of rows inserted.
    int rebuild(const QString& folder);

private:
    QSqlDatabase database() const;

    QString m_connection;
    bool m_new = false;
};
