#pragma once

#include "TSpeciesTable.h"

#include <QString>

#include <optional>

// One animal read against its species' reference ranges: which species its
// study names, its size and age class, and for each measured value the range
// that applies and whether the value lies below, inside or above it. A species
// the table does not know gives no range at all, never another species' range.
class TNormAssessment
{
public:
    enum class Flag { None, Low, Normal, High };

    // speciesText: the study's "animalSpecies" as typed; weightText in kg and
    // ageText as the study data dialog takes them ("4", "4,5", "8 meses").
    TNormAssessment(const TSpeciesTable& table, const QString& speciesText, const QString& weightText = QString(),
                    const QString& ageText = QString());

    bool knowsSpecies() const { return !m_species.isEmpty(); }
    QString speciesId() const { return m_species; }
    QString speciesName() const { return m_name; }
    TBodySize size() const { return m_size; }
    TAgeGroup age() const { return m_age; }

    std::optional<TReferenceRange> range(TNormQuantity quantity) const;
    Flag flag(TNormQuantity quantity, std::optional<double> value) const;
    // Whether the range shown is the widest of the sizes because the size is not known.
    bool sizeGuessed(TNormQuantity quantity) const;
    // What the ranges were taken for: "Dog, small breed, adult" / "Cat" /
    // "Dog, size not known (no weight)"; empty for an unknown species.
    QString basis() const;

    // "low", "high", "normal"; empty for none.
    static QString flagWord(Flag flag);
    // "60–160", "≤ 40", "≥ 60" with the unit when asked ("60–160 /min").
    static QString rangeText(const TReferenceRange& range, TNormQuantity quantity, bool withUnit = false);
    static Flag compare(const TReferenceRange& range, double value);

    // A number as typed, with "," or "." as the decimal sign and a unit after it.
    static std::optional<double> leadingNumber(const QString& text);
    // An age in years from "4", "4 años", "8 meses", "6 months", "10 weeks", "3 semanas".
    static std::optional<double> ageYears(const QString& text);

private:
    const TSpeciesTable& m_table;
    QString m_species;
    QString m_name;
    TBodySize m_size = TBodySize::Unknown;
    TAgeGroup m_age = TAgeGroup::Unknown;
};
