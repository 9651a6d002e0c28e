#include "TProtocolTable.h"

#include "TException.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

void TProtocolTable::load(const QString& dataFolder)
{
    m_protocols.clear();
    m_path = dataFolder + QStringLiteral("/data/protocols.json");

    QFile file(m_path);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            throw TException(QCoreApplication::translate("TProtocolTable", "Cannot open protocol table"));
        const QByteArray bytes = file.readAll();
        if (bytes.isEmpty())
            throw TException(QCoreApplication::translate("TProtocolTable", "Cannot read protocol table"));
        const QJsonDocument doc = QJsonDocument::fromJson(bytes);
        if (doc.isArray()) {
            for (const QJsonValue& v : doc.array()) {
                const TProtocol p = TProtocol::fromJson(v.toObject());
                m_protocols.insert(p.name(), p);
            }
        }
    }
    if (m_protocols.isEmpty()) {
        m_protocols = defaultTable();
        save();
    }
}

bool TProtocolTable::getProtocol(const QByteArray& name, TProtocol& out) const
{
    const auto it = m_protocols.constFind(name);
    if (it == m_protocols.constEnd())
        return false;
    out = *it;
    return true;
}

void TProtocolTable::setProtocol(const QByteArray& name, const TProtocol& protocol)
{
    // The file keys protocols by their own name: a copy stored under another
    // name takes that name, or it would come back under the old one.
    TProtocol copy = protocol;
    copy.setName(name);
    m_protocols.insert(name, copy);
    save();
}

void TProtocolTable::deleteProtocol(const QByteArray& name)
{
    m_protocols.remove(name);
    save();
}

bool TProtocolTable::save() const
{
    if (m_path.isEmpty())
        return false;
    QJsonArray array;
    for (const TProtocol& p : m_protocols)
        array.append(TProtocol::toJson(p));
    // Written aside and renamed over the old file: an interrupted write never
    // leaves a truncated table that the next start would replace by the default.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(array).toJson(QJsonDocument::Compact));
    return file.commit();
}

QMap<QByteArray, TProtocol> TProtocolTable::defaultTable()
{
    TProtocol p;
    p.setName("Example");
    p.setType(TProtocol::Treadmill);
    p.appendStage(TProtocolStage::Rest, 300.0, 0.0, 0.0);
    for (int speed = 10; speed <= 50; speed += 10)
        p.appendStage(TProtocolStage::Exercise, 60.0, speed, 0.0);
    p.appendStage(TProtocolStage::Recovery, 300.0, 0.0, 0.0);
    QMap<QByteArray, TProtocol> table;
    table.insert(p.name(), p);
    return table;
}
