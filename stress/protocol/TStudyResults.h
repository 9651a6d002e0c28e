#pragma once

#include "TTrend.h"
#include "TValueArray.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <map>
#include <variant>

// The named results of a study: single values, per-stage arrays and trends.
// Every item of the standard set exists from construction; looking up a name
// that does not exist, or that names an item of another kind, gives null.
// Pointers handed out stay valid for the life of the object (items are never
// removed, and copies are deep).
class TStudyResults
{
public:
    enum Kind { None = 0, Value, ValueArray, Trend };

    // Every lead index of the per-lead ST items: 16 of each whatever the leads.
    static constexpr int StLeadCount = 16;

    TStudyResults();

    double* value(const QString& name);
    const double* value(const QString& name) const;
    TValueArray* valueArray(const QString& name);
    const TValueArray* valueArray(const QString& name) const;
    TTrend* trend(const QString& name);
    const TTrend* trend(const QString& name) const;

    // The maxima of the per-stage values: maxBPM, maxSysBP, maxDiaBP, maxMETS
    // and maxDP the largest entries of their arrays, maxVO2 = maxMETS x 3.5.
    void updateMaxima();

    Kind kind(const QString& name) const;
    bool contains(const QString& name) const { return kind(name) != None; }
    // Sorted by name.
    QStringList names() const;

    // "STLevelPerStage(3)" and the like.
    static QString stLevelPerStageName(int lead);
    static QString stSlopePerStageName(int lead);
    static QString stLevelTrendName(int lead);
    static QString stSlopeTrendName(int lead);
    // The type word of the JSON form: "value", "valueArray", "trend" ("" for None).
    static QString kindWord(Kind kind);

    // name -> {"type": "value", "value": n} / {"type": "valueArray", "values": [...]}
    // / {"type": "trend", "timestamps": [...], "values": [...]}. JSON has no
    // NaN or infinity: such numbers are written as 0.
    static QJsonObject toJson(const TStudyResults& results);
    // The same object as compact JSON text, written straight from the numbers:
    // the record file is rewritten at every stage change of a test, and a
    // long test's trends hold hundreds of thousands of them.
    static QByteArray toJsonText(const TStudyResults& results);
    // Starts from the standard set. An item that is missing or malformed (wrong
    // type word for its name, non-numeric entries, trend arrays of different
    // lengths) keeps its initial value. An unknown name with a well-formed item
    // is kept, so that results written by another version of the program survive
    // being read and saved again; an unknown name with a malformed item is dropped.
    static TStudyResults fromJson(const QJsonObject& object);

    bool operator==(const TStudyResults& other) const { return m_items == other.m_items; }
    bool operator!=(const TStudyResults& other) const { return !(*this == other); }

private:
    using Item = std::variant<double, TValueArray, TTrend>;
    template <typename T> T* find(const QString& name);
    template <typename T> const T* find(const QString& name) const;

    std::map<QString, Item> m_items;
};
