#include "TStudyResults.h"

#include <QJsonArray>
#include <QJsonValue>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <optional>

namespace {

const char* const valueNames[] = {
    "maxBPM", "maxSysBP", "maxDiaBP", "maxMETS", "maxDP", "maxVO2",
    "measurementChannel", "POnset", "PPeak", "POffset", "QRSOnset", "QRSOffset",
    "TOnset", "TPeak", "TOffset", "PAmp", "QRSAmp", "TAmp", "avgRRInterval",
    // The R wave's height above the level at QRS onset (mV).
    "RAmp",
    // 1 while a recording runs: a study stored with it was not ended.
    "recordingUnfinished",
};
const char* const arrayNames[] = {
    "BPMPerStage", "sysBPPerStage", "diaBPPerStage", "DPPerStage", "METSPerStage", "pacemakerPulses",
};
const char* const trendNames[] = {
    "BPMTrend", "METSTrend", "sysBPTrend", "diaBPTrend", "DPTrend",
};
// Not measured yet.
constexpr double initialQrsAxis = -999.0;

QJsonValue jsonNumber(double v)
{
    return QJsonValue(std::isfinite(v) ? v : 0.0);
}

void appendNumber(QByteArray& out, double v)
{
    // The shortest text that reads back as the same double.
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, std::isfinite(v) ? v : 0.0);
    out.append(text, int(written.ptr - text));
}

void appendString(QByteArray& out, const QString& text)
{
    out.append('"');
    for (const char c : text.toUtf8()) {
        switch (c) {
        case '"': out.append("\\\""); break;
        case '\\': out.append("\\\\"); break;
        case '\n': out.append("\\n"); break;
        case '\r': out.append("\\r"); break;
        case '\t': out.append("\\t"); break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
                out.append(QString::asprintf("\\u%04x", unsigned(static_cast<unsigned char>(c))).toLatin1());
            else
                out.append(c);
        }
    }
    out.append('"');
}

void appendArray(QByteArray& out, const std::vector<double>& values)
{
    out.append('[');
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            out.append(',');
        appendNumber(out, values[i]);
    }
    out.append(']');
}

QJsonArray toArray(const std::vector<double>& values)
{
    QJsonArray a;
    for (double v : values)
        a.append(jsonNumber(v));
    return a;
}

std::optional<std::vector<double>> fromArray(const QJsonValue& value)
{
    if (!value.isArray())
        return std::nullopt;
    const QJsonArray a = value.toArray();
    std::vector<double> out;
    out.reserve(std::size_t(a.size()));
    for (const QJsonValue& v : a) {
        if (!v.isDouble())
            return std::nullopt;
        out.push_back(v.toDouble());
    }
    return out;
}

} // namespace

TStudyResults::TStudyResults()
{
    for (const char* name : valueNames)
        m_items.emplace(QString::fromLatin1(name), 0.0);
    m_items.emplace(QStringLiteral("QRSAxis"), initialQrsAxis);
    for (const char* name : arrayNames)
        m_items.emplace(QString::fromLatin1(name), TValueArray());
    for (const char* name : trendNames)
        m_items.emplace(QString::fromLatin1(name), TTrend());
    for (int i = 0; i < StLeadCount; ++i) {
        m_items.emplace(stLevelPerStageName(i), TValueArray());
        m_items.emplace(stSlopePerStageName(i), TValueArray());
        m_items.emplace(stLevelTrendName(i), TTrend());
        m_items.emplace(stSlopeTrendName(i), TTrend());
    }
}

template <typename T> T* TStudyResults::find(const QString& name)
{
    const auto it = m_items.find(name);
    return it == m_items.end() ? nullptr : std::get_if<T>(&it->second);
}

template <typename T> const T* TStudyResults::find(const QString& name) const
{
    const auto it = m_items.find(name);
    return it == m_items.end() ? nullptr : std::get_if<T>(&it->second);
}

double* TStudyResults::value(const QString& name) { return find<double>(name); }
const double* TStudyResults::value(const QString& name) const { return find<double>(name); }
TValueArray* TStudyResults::valueArray(const QString& name) { return find<TValueArray>(name); }
const TValueArray* TStudyResults::valueArray(const QString& name) const { return find<TValueArray>(name); }
TTrend* TStudyResults::trend(const QString& name) { return find<TTrend>(name); }
const TTrend* TStudyResults::trend(const QString& name) const { return find<TTrend>(name); }

TStudyResults::Kind TStudyResults::kind(const QString& name) const
{
    const auto it = m_items.find(name);
    if (it == m_items.end())
        return None;
    return Kind(it->second.index() + 1);
}

QStringList TStudyResults::names() const
{
    QStringList out;
    out.reserve(int(m_items.size()));
    for (const auto& entry : m_items)
        out.append(entry.first);
    return out;
}

QString TStudyResults::stLevelPerStageName(int lead) { return QString::asprintf("STLevelPerStage(%i)", lead); }
QString TStudyResults::stSlopePerStageName(int lead) { return QString::asprintf("STSlopePerStage(%i)", lead); }
QString TStudyResults::stLevelTrendName(int lead) { return QString::asprintf("STLevelTrend(%i)", lead); }
QString TStudyResults::stSlopeTrendName(int lead) { return QString::asprintf("STSlopeTrend(%i)", lead); }

QString TStudyResults::kindWord(Kind kind)
{
    switch (kind) {
    case Value:
        return QStringLiteral("value");
    case ValueArray:
        return QStringLiteral("valueArray");
    case Trend:
        return QStringLiteral("trend");
    case None:
        break;
    }
    return QString();
}

QJsonObject TStudyResults::toJson(const TStudyResults& results)
{
    QJsonObject out;
    for (const auto& [name, item] : results.m_items) {
        QJsonObject o;
        if (const double* v = std::get_if<double>(&item)) {
            o.insert(QStringLiteral("type"), kindWord(Value));
            o.insert(QStringLiteral("value"), jsonNumber(*v));
        } else if (const TValueArray* a = std::get_if<TValueArray>(&item)) {
            o.insert(QStringLiteral("type"), kindWord(ValueArray));
            o.insert(QStringLiteral("values"), toArray(a->values()));
        } else if (const TTrend* t = std::get_if<TTrend>(&item)) {
            o.insert(QStringLiteral("type"), kindWord(Trend));
            o.insert(QStringLiteral("timestamps"), toArray(t->times()));
            o.insert(QStringLiteral("values"), toArray(t->values()));
        }
        out.insert(name, o);
    }
    return out;
}

QByteArray TStudyResults::toJsonText(const TStudyResults& results)
{
    std::size_t numbers = 0;
    for (const auto& item : results.m_items) {
        if (const TValueArray* a = std::get_if<TValueArray>(&item.second))
            numbers += std::size_t(a->size());
        else if (const TTrend* t = std::get_if<TTrend>(&item.second))
            numbers += 2 * std::size_t(t->size());
    }
    QByteArray out;
    out.reserve(int(std::min<std::size_t>(numbers * 12 + results.m_items.size() * 48, 1u << 30)));
    out.append('{');
    bool first = true;
    for (const auto& [name, item] : results.m_items) {
        if (!first)
            out.append(',');
        first = false;
        appendString(out, name);
        out.append(":{");
        if (const double* v = std::get_if<double>(&item)) {
            out.append("\"type\":");
            appendString(out, kindWord(Value));
            out.append(",\"value\":");
            appendNumber(out, *v);
        } else if (const TValueArray* a = std::get_if<TValueArray>(&item)) {
            out.append("\"type\":");
            appendString(out, kindWord(ValueArray));
            out.append(",\"values\":");
            appendArray(out, a->values());
        } else if (const TTrend* t = std::get_if<TTrend>(&item)) {
            out.append("\"timestamps\":");
            appendArray(out, t->times());
            out.append(",\"type\":");
            appendString(out, kindWord(Trend));
            out.append(",\"values\":");
            appendArray(out, t->values());
        }
        out.append('}');
    }
    out.append('}');
    return out;
}

TStudyResults TStudyResults::fromJson(const QJsonObject& object)
{
    TStudyResults results;
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (!it.value().isObject())
            continue;
        const QJsonObject o = it.value().toObject();
        const QString type = o.value(QStringLiteral("type")).toString();
        std::optional<Item> item;
        if (type == kindWord(Value)) {
            const QJsonValue v = o.value(QStringLiteral("value"));
            if (v.isDouble())
                item = Item(v.toDouble());
        } else if (type == kindWord(ValueArray)) {
            if (auto values = fromArray(o.value(QStringLiteral("values")))) {
                TValueArray a;
                a.assign(std::move(*values));
                item = Item(std::move(a));
            }
        } else if (type == kindWord(Trend)) {
            auto times = fromArray(o.value(QStringLiteral("timestamps")));
            auto values = fromArray(o.value(QStringLiteral("values")));
            TTrend t;
            if (times && values && t.assign(std::move(*times), std::move(*values)))
                item = Item(std::move(t));
        }
        if (!item)
            continue;
        const auto existing = results.m_items.find(it.key());
        if (existing == results.m_items.end())
            results.m_items.emplace(it.key(), std::move(*item));
        else if (existing->second.index() == item->index())
            existing->second = std::move(*item);
    }
    return results;
}

void TStudyResults::updateMaxima()
{
    const auto largest = [this](const char* name) { return valueArray(QLatin1String(name))->largest(); };
    *value(QStringLiteral("maxBPM")) = largest("BPMPerStage");
    *value(QStringLiteral("maxSysBP")) = largest("sysBPPerStage");
    *value(QStringLiteral("maxDiaBP")) = largest("diaBPPerStage");
    *value(QStringLiteral("maxMETS")) = largest("METSPerStage");
    *value(QStringLiteral("maxDP")) = largest("DPPerStage");
    *value(QStringLiteral("maxVO2")) = *value(QStringLiteral("maxMETS")) * 3.5;
}
