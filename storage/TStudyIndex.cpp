#include "TStudyIndex.h"

#include "TException.h"
#include "TRecordFile.h"
#include "TStudyRecord.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <atomic>

const QString TStudyIndex::DriverName = QStringLiteral("QSQLITE");
const QString TStudyIndex::FileName = QStringLiteral("studies.sqlite");

namespace {

const char* const CreateStatement = "create table Study(id integer primary key, data text)";
const char* const ListStatement = "select id, data from Study";
const char* const FindStatement = "select data from Study where id = ?";
const char* const InsertStatement = "insert into Study(id, data) values (:id, :data)";
const char* const UpdateStatement = "update Study set data = :data where id = :id";
const char* const DeleteStatement = "delete from Study where id = ?";

QString errorText(const QSqlError& error)
{
    const QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("Database error") : text;
}

[[noreturn]] void raise(const QSqlQuery& query)
{
    throw TException(errorText(query.lastError()));
}

void prepare(QSqlQuery& query, const char* statement)
{
    if (!query.prepare(QString::fromLatin1(statement)))
        raise(query);
}

void exec(QSqlQuery& query)
{
    if (!query.exec())
        raise(query);
}

QByteArray summaryData(const TStudySummary& study)
{
    return QJsonDocument(study.toIndexJson()).toJson(QJsonDocument::Compact);
}

TStudySummary parseData(int id, const QString& data)
{
    return TStudySummary::fromIndexJson(id, QJsonDocument::fromJson(data.toUtf8()).object());
}

bool hasStudyTable(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    return query.exec(QStringLiteral("select name from sqlite_master where type = 'table' and name = 'Study'"))
           && query.next();
}

} // namespace

TStudyIndex::TStudyIndex(const QString& databasePath)
{
    if (!QSqlDatabase::isDriverAvailable(DriverName))
        throw TException("SQLite driver not available");

    // The application has one index, on the default connection; a second one
    // alive at the same time must not take that connection from the first.
    static std::atomic<int> instances{0};
    m_connection = QSqlDatabase::contains(QLatin1String(QSqlDatabase::defaultConnection))
                       ? QStringLiteral("studyIndex%1").arg(++instances)
                       : QString::fromLatin1(QSqlDatabase::defaultConnection);

    const bool existed = QFileInfo::exists(databasePath);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(DriverName, m_connection);
        db.setDatabaseName(databasePath);
        if (!db.open()) {
            const QString text = errorText(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_connection);
            throw TException(text);
        }
        // A file left empty by a crash at its creation has no table: it is
        // treated as new, since the index only mirrors the record files.
        if (!existed || !hasStudyTable(db)) {
            QSqlQuery query(db);
            if (!query.exec(QString::fromLatin1(CreateStatement))) {
                const QString text = errorText(query.lastError());
                query = QSqlQuery();
                db.close();
                db = QSqlDatabase();
                QSqlDatabase::removeDatabase(m_connection);
                throw TException(text);
            }
            m_new = true;
        }
    }
}

TStudyIndex::~TStudyIndex()
{
    {
        QSqlDatabase db = database();
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

QSqlDatabase TStudyIndex::database() const
{
    return QSqlDatabase::database(m_connection, false);
}

QVector<TStudySummary> TStudyIndex::list() const
{
    QSqlQuery query(database());
    prepare(query, ListStatement);
    exec(query);
    QVector<TStudySummary> studies;
    while (query.next())
        studies.append(parseData(query.value(0).toInt(), query.value(1).toString()));
    return studies;
}

std::optional<TStudySummary> TStudyIndex::find(int id) const
{
    QSqlQuery query(database());
    prepare(query, FindStatement);
    query.addBindValue(id);
    exec(query);
    if (!query.next())
        return std::nullopt;
    return parseData(id, query.value(0).toString());
}

void TStudyIndex::insert(const TStudySummary& study)
{
    QSqlQuery query(database());
    prepare(query, InsertStatement);
    query.bindValue(QStringLiteral(":id"), study.id);
    query.bindValue(QStringLiteral(":data"), QString::fromUtf8(summaryData(study)));
    exec(query);
}

void TStudyIndex::update(const TStudySummary& study)
{
    QSqlQuery query(database());
    prepare(query, UpdateStatement);
    query.bindValue(QStringLiteral(":data"), QString::fromUtf8(summaryData(study)));
    query.bindValue(QStringLiteral(":id"), study.id);
    exec(query);
}

void TStudyIndex::remove(int id)
{
    QSqlQuery query(database());
    prepare(query, DeleteStatement);
    query.addBindValue(id);
    exec(query);
}

int TStudyIndex::rebuild(const QString& folder)
{
    QSqlDatabase db = database();
    if (!db.transaction())
        throw TException(errorText(db.lastError()));
    int inserted = 0;
    try {
        const QStringList files = QDir(folder).entryList(
            {QStringLiteral("*.") + TRecordFile::Extension}, QDir::Files, QDir::Unsorted);
        for (const QString& name : files) {
            const std::optional<QJsonObject> root = TRecordFile::readObject(folder + QLatin1Char('/') + name);
            if (!root || root->isEmpty() || root->value(QStringLiteral("study")).toObject().isEmpty()
                || root->value(QStringLiteral("patient")).toObject().isEmpty())
                continue;
            const TStudySummary study = TStudyRecord::fromJson(*root).summary();
            // Two record files claiming one id (a copied file): the first is
            // indexed rather than failing the start of the program.
            if (contains(study.id))
                continue;
            insert(study);
            ++inserted;
        }
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit())
        throw TException(errorText(db.lastError()));
    return inserted;
}
