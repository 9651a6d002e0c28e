#pragma once

#include "TProtocol.h"
#include "TStudyInfo.h"
#include "TStudyRecord.h"
#include "TStudySummary.h"

#include <QByteArrayList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class TStudy;

// The one object through which the program creates, finds, opens, saves,
// deletes, exports and imports studies and keeps the protocol table. Every
// operation runs on the GUI thread; failures are raised as TException with the
// text the window shows. A store that does not offer an operation raises
// "unimplemented" for it (the defaults below).
class TStudyStore
{
public:
    virtual ~TStudyStore();

    // The record file of recordPath with the sample and beats files of the same
    // folder and base name. Null when the record file is not a study; a study
    // whose sample or beats file does not read comes with an empty recording or
    // beat list in its place (TStudy tells which).
    virtual std::unique_ptr<TStudy> loadStudyFile(const QString& recordPath);
    virtual void writeRecordFile(const TStudyRecord& record, const QString& path);
    virtual QVector<TStudySummary> listStudies();
    // Creates the files of a new study, indexes it and opens it; the caller
    // records into the returned study, which the store owns until closeStudy.
    virtual TStudy* saveNewStudy(const TStudyRecord& record);
    // The open study of that id (opened now, or already open); null when the id
    // is not indexed or its record file does not read.
    virtual TStudy* openStudy(int id);
    // Writes the record file and index row of an open study (nothing happens
    // for a study that is not open).
    virtual void updateStudy(const TStudyRecord& record);
    virtual void closeStudy(int id);
    // Removes the files and the index row (nothing happens for an open study).
    virtual void deleteStudy(int id);
    virtual bool isStudyOpen(int id) const;
    virtual TStudyInfo recordToInfo(const TStudyRecord& record) const;
    virtual TStudyRecord infoToRecord(const TStudyInfo& info) const;

    virtual QByteArrayList protocolNames() const;
    virtual bool getProtocol(const QByteArray& name, TProtocol& out) const;
    virtual void setProtocol(const QByteArray& name, const TProtocol& protocol);
    virtual void deleteProtocol(const QByteArray& name);

    virtual void exportStudy(int id, const QString& folder);
    // The id of the imported study.
    virtual int importStudy(const QString& archivePath);
    // False when the file is a zip but not a study archive; a file that is no
    // zip raises the zip reader's message.
    virtual bool readArchiveInfo(const QString& archivePath, TStudySummary& out);
    virtual QVector<TStudySummary> listArchives(const QString& folder);

    virtual QString rootPath() const;
    // Whether a new recording may start: at least MinFreeBytes free for the
    // user on the data folder's volume, or the free space is unknown.
    virtual bool hasFreeSpace() const;

    // The risk factors the study data dialog offers, in its order.
    QStringList riskFactorNames() const { return m_riskFactorNames; }
    static QStringList defaultRiskFactorNames();

    static constexpr qint64 MinFreeBytes = 52428800;

    // The process-wide store (null before start-up has created it).
    static TStudyStore* instance();
    static void setInstance(TStudyStore* store);

protected:
    TStudyStore();
    [[noreturn]] static void unimplemented();

    QStringList m_riskFactorNames;
};
