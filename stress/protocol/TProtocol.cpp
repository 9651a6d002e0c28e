#include "TProtocol.h"

#include <QJsonArray>
#include <algorithm>
#include <cmath>

namespace {

// Whole seconds for the JSON form, truncated toward zero; a value that does
// not fit (or is not a number) must not reach an integer conversion.
qint64 wholeSeconds(double seconds)
{
    if (!std::isfinite(seconds))
        return 0;
    const double t = std::trunc(seconds);
    const double limit = 9.0e15; // exactly representable in a double and in JSON
    return qint64(std::clamp(t, -limit, limit));
}

QStringList valueNamesOfType(int type)
{
    switch (type) {
    case TProtocol::Treadmill:
        return {QStringLiteral("speed"), QStringLiteral("incline")};
    case TProtocol::Ergometer:
        return {QStringLiteral("workload")};
    case TProtocol::Pharmacologic:
        return {QStringLiteral("dose")};
    default:
        return {};
    }
}

} // namespace

TProtocolStage& TProtocol::insertStage(int index)
{
    index = std::clamp(index, 0, stageCount());
    if (index == stageCount()) {
        m_stages.append(TProtocolStage());
    } else {
        const TProtocolStage copyOfSlot = m_stages[index];
        m_stages.insert(index, copyOfSlot);
    }
    return m_stages[index];
}

void TProtocol::appendStage(int phase, double duration, double speed, double incline)
{
    TProtocolStage& s = insertStage(stageCount());
    s.setPhase(phase);
    s.setDuration(duration);
    s.setValue(QStringLiteral("speed"), speed);
    s.setValue(QStringLiteral("incline"), incline);
}

void TProtocol::removeStage(int index)
{
    if (index >= 0 && index < stageCount())
        m_stages.remove(index);
}

int TProtocol::countStagesInPhase(int phase) const
{
    return int(std::count_if(m_stages.cbegin(), m_stages.cend(),
                             [phase](const TProtocolStage& s) { return s.phase() == phase; }));
}

double TProtocol::stageStartTime(int index) const
{
    if (index < 0 || index >= stageCount())
        return 0.0;
    double t = 0.0;
    for (int i = 0; i < index; ++i)
        t += m_stages[i].duration();
    return t;
}

double TProtocol::stageEndTime(int index) const
{
    if (index < 0 || index >= stageCount())
        return 0.0;
    double t = 0.0;
    for (int i = 0; i <= index; ++i)
        t += m_stages[i].duration();
    return t;
}

double TProtocol::totalDuration() const
{
    double t = 0.0;
    for (const TProtocolStage& s : m_stages)
        t += s.duration();
    return t;
}

int TProtocol::stageAt(double seconds) const
{
    if (!(seconds >= 0.0))
        return -1;
    double end = 0.0;
    for (int i = 0; i < stageCount(); ++i) {
        end += m_stages[i].duration();
        if (end > seconds)
            return i;
    }
    return -1;
}

bool TProtocol::operator==(const TProtocol& other) const
{
    return m_name == other.m_name && m_type == other.m_type && m_stages == other.m_stages;
}

QString TProtocol::typeWord(int type)
{
    switch (type) {
    case Treadmill: return QStringLiteral("treadmill");
    case Ergometer: return QStringLiteral("ergometer");
    case Ecg: return QStringLiteral("ecg");
    case TiltTest: return QStringLiteral("tiltTest");
    case Pharmacologic: return QStringLiteral("pharmacologic");
    default: return QString();
    }
}

QString TProtocol::phaseWord(int phase)
{
    switch (phase) {
    case TProtocolStage::Rest: return QStringLiteral("rest");
    case TProtocolStage::Exercise: return QStringLiteral("exercise");
    case TProtocolStage::Recovery: return QStringLiteral("recovery");
    default: return QString();
    }
}

QJsonObject TProtocol::toJson(const TProtocol& protocol)
{
    QJsonObject o;
    o.insert(QStringLiteral("name"), QString::fromUtf8(protocol.name()));
    const QString word = typeWord(protocol.type());
    // An unknown type has no word; it is written as treadmill, which is also
    // what reading gives back for it.
    o.insert(QStringLiteral("type"), word.isEmpty() ? typeWord(Treadmill) : word);
    const QStringList names = valueNamesOfType(protocol.type());
    QJsonArray stages;
    for (const TProtocolStage& s : protocol.m_stages) {
        QJsonObject so;
        const QString phase = phaseWord(s.phase());
        if (!phase.isEmpty())
            so.insert(QStringLiteral("phase"), phase);
        so.insert(QStringLiteral("duration"), double(wholeSeconds(s.duration())));
        for (const QString& n : names)
            so.insert(n, s.value(n));
        stages.append(so);
    }
    o.insert(QStringLiteral("stages"), stages);
    return o;
}

TProtocol TProtocol::fromJson(const QJsonObject& object)
{
    TProtocol p;
    p.m_name = object.value(QLatin1String("name")).toString().toUtf8();
    const QString type = object.value(QLatin1String("type")).toString();
    for (int t : {Treadmill, Ergometer, Pharmacologic, Ecg, TiltTest}) {
        if (type == typeWord(t)) {
            p.m_type = t;
            break;
        }
    }
    const QStringList names = valueNamesOfType(p.m_type);
    const QJsonArray stages = object.value(QLatin1String("stages")).toArray();
    for (const QJsonValue& v : stages) {
        const QJsonObject so = v.toObject();
        TProtocolStage& s = p.insertStage(p.stageCount());
        const QString phase = so.value(QLatin1String("phase")).toString();
        for (int ph : {TProtocolStage::Rest, TProtocolStage::Exercise, TProtocolStage::Recovery}) {
            if (phase == phaseWord(ph)) {
                s.setPhase(ph);
                break;
            }
        }
        s.setDuration(double(wholeSeconds(so.value(QLatin1String("duration")).toDouble(0.0))));
        for (const QString& n : names)
            s.setValue(n, so.value(n).toDouble(0.0));
    }
    return p;
}
