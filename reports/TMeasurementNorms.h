#pragma once

#include "TNormAssessment.h"
#include "TQtcFormula.h"
#include "TReportMeasurements.h"

#include <QString>
#include <QVector>

#include <optional>

class TStudyRecord;
class TStudyResults;

// A resting ECG's measured values read against the reference ranges of the
// study's species: each value with its unit, the range that applies (if
// any), and whether it is low, normal or high; QTc by the chosen formula. The
// review window, the ECG report and velmora-cli show the same items.
class TMeasurementNorms
{
public:
    // The lead the ranges are written for.
    static constexpr const char* RangeLead = "II";

    struct Item
    {
        QString key;   // as the report names it: "HR", "PR", "QRS_axis", "R_amp" ...
        QString label; // "HR", "PR", "QRS axis", "R" ...
        QString unit;  // "/min", "ms", "mV", "°"
        std::optional<double> value;
        int decimals = 0;
        std::optional<TNormQuantity> quantity; // bounded by the table, when it is
        std::optional<TReferenceRange> range;
        TNormAssessment::Flag flag = TNormAssessment::Flag::None;
    };

    // leadName: the name of the lead measured (empty when none).
    TMeasurementNorms(const TStudyRecord& record, const TStudyResults& results, const QString& leadName,
                      const TSpeciesTable& table = TSpeciesTable::active(),
                      const TQtcFormula& formula = TQtcFormula::fromSettings());

    const QVector<Item>& items() const { return m_items; }
    const Item* item(const QString& key) const;
    const TNormAssessment& assessment() const { return m_assessment; }
    const TQtcFormula& formula() const { return m_formula; }
    QString leadName() const { return m_lead; }
    // Whether the ranges were written for another lead than the one measured.
    bool otherLead() const;

    // "Ranges for Dog, small breed, adult (lead II at rest)", with
    // "; measured in lead I" when the lead differs; for an unknown species
    // "No reference ranges for the species \"Hurón\"" (or "... no species given").
    QString basisText() const;
    // The value as shown: "172", "0.45"; empty for none.
    static QString valueText(const Item& item);
    // The value with its mark for print: "172 H", "40 L", "90".
    static QString markedText(const Item& item);
    // "H", "L" or empty.
    static QString mark(TNormAssessment::Flag flag);
    // The range as shown beside a value: "60–160"; empty for none.
    static QString rangeText(const Item& item);

private:
    void add(const QString& key, const QString& label, const QString& unit, std::optional<double> value,
             std::optional<TNormQuantity> quantity, int decimals = 0);

    TNormAssessment m_assessment;
    TQtcFormula m_formula;
    QString m_lead;
    QString m_speciesText;
    QVector<Item> m_items;
};
