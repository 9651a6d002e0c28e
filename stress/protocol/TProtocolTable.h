#pragma once

#include "TProtocol.h"

#include <QByteArrayList>
#include <QMap>
#include <QString>

// The user's protocols, one per name, ordered by name in byte order, kept in
// "protocols.json" inside the "data" folder of the study store's data folder.
class TProtocolTable
{
public:
    // Reads the table of the data folder; a missing, unparsable or empty file
    // is replaced by the default table, which is written back at once.
    // Throws TException "Cannot open protocol table" / "Cannot read protocol table".
    void load(const QString& dataFolder);

    QByteArrayList protocolNames() const { return m_protocols.keys(); }
    // Copies the named protocol into out; false when there is none.
    bool getProtocol(const QByteArray& name, TProtocol& out) const;
    // Both save the table; a failing save is silent and keeps the table as set.
    void setProtocol(const QByteArray& name, const TProtocol& protocol);
    void deleteProtocol(const QByteArray& name);

    // The default table, kept in memory only: the file is not touched.
    void useDefaults() { m_protocols = defaultTable(); }

    QString path() const { return m_path; }
    // False when the file could not be written.
    bool save() const;

    static QMap<QByteArray, TProtocol> defaultTable();

private:
    QString m_path;
    QMap<QByteArray, TProtocol> m_protocols;
};
