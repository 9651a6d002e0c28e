#pragma once

#include "TProtocolTable.h"
#include "TStudyStore.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>

class TStudyIndex;

// The study store over the local data folder: the study files of every study in
// the folder itself, the index ("studies.sqlite") and the protocol table
// ("protocols.json") in its "data" sub-folder.
class TLocalStudyStore : public TStudyStore
{
public:
    // Bytes available to the user on the volume holding a path; negative when
    // the system cannot tell.
    using FreeSpaceQuery = std::function<qint64(const QString& path)>;

    // Creates the folder and its "data" sub-folder when missing, opens the
    // index (rebuilding it from the record files when it is new), loads the
    // protocol table. Throws the index's messages.
    explicit TLocalStudyStore(const QString& root, FreeSpaceQuery freeSpace = FreeSpaceQuery());
    ~TLocalStudyStore() override;

    // "<generic data location>/CardivexVetStress"
    static QString defaultRoot();
    // The free space QStorageInfo reports; -1 when it cannot tell.
    static qint64 systemFreeSpace(const QString& path);

    std::unique_ptr<TStudy> loadStudyFile(const QString& recordPath) override;
    void writeRecordFile(const TStudyRecord& record, const QString& path) override;
    QVector<TStudySummary> listStudies() override;
    TStudy* saveNewStudy(const TStudyRecord& record) override;
    TStudy* openStudy(int id) override;
    void updateStudy(const TStudyRecord& record) override;
    void closeStudy(int id) override;
    void deleteStudy(int id) override;
    bool isStudyOpen(int id) const override;

    QByteArrayList protocolNames() const override;
    bool getProtocol(const QByteArray& name, TProtocol& out) const override;
    void setProtocol(const QByteArray& name, const TProtocol& protocol) override;
    void deleteProtocol(const QByteArray& name) override;

    void exportStudy(int id, const QString& folder) override;
    int importStudy(const QString& archivePath) override;
    bool readArchiveInfo(const QString& archivePath, TStudySummary& out) override;
    QVector<TStudySummary> listArchives(const QString& folder) override;

    QString rootPath() const override { return m_root; }
    // Why the protocol table could not be read at opening (the session then
    // works on the example table); empty when it was read.
    QString protocolTableError() const { return m_protocolTableError; }
    bool hasFreeSpace() const override;

    // "%1/%2.%3": the data folder, the base name, the extension.
    QString studyFilePath(const QString& baseFilename, const QString& extension) const;

private:
    // A base name no study file of the folder has yet and no other indexed
    // study uses: wanted itself, else wanted + "-2", "-3" ...
    QString freeBaseFilename(const QString& wanted, int ownerId) const;
    bool baseFilenameTaken(const QString& baseFilename, int ownerId) const;
    void removeStudyFiles(const QString& baseFilename);

    QString m_root;
    FreeSpaceQuery m_freeSpace;
    std::unique_ptr<TStudyIndex> m_index;
    TProtocolTable m_protocols;
    QString m_protocolTableError;
    std::map<int, std::unique_ptr<TStudy>> m_open;
};
