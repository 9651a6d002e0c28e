#include "TMeasurementNorms.h"

#include "TStudyRecord.h"

#include <QCoreApplication>

namespace {

std::optional<double> real(const std::optional<int>& v)
{
    return v ? std::optional<double>(*v) : std::nullopt;
}

} // namespace

TMeasurementNorms::TMeasurementNorms(const TStudyRecord& record, const TStudyResults& results, const QString& leadName,
                                     const TSpeciesTable& table, const TQtcFormula& formula)
    : m_assessment(table, record.patientProperty(QStringLiteral("animalSpecies")),
                   record.patientProperty(QStringLiteral("weight")), record.patientProperty(QStringLiteral("age"))),
      m_formula(formula), m_lead(leadName), m_speciesText(record.patientProperty(QStringLiteral("animalSpecies")).trimmed())
{
    const TReportMeasurements m(results);
    const QString ms = QStringLiteral("ms");
    const QString mv = QStringLiteral("mV");
    add(QStringLiteral("HR"), QCoreApplication::translate("TMeasurementNorms", "HR"), QStringLiteral("/min"),
        real(m.heartRate()), TNormQuantity::HeartRate);
    add(QStringLiteral("RR"), QStringLiteral("RR"), ms, real(m.rrMs()), std::nullopt);
    add(QStringLiteral("PR"), QStringLiteral("PR"), ms, real(m.prMs()), TNormQuantity::PR);
    add(QStringLiteral("P"), QStringLiteral("P"), ms, real(m.pMs()), TNormQuantity::PDuration);
    add(QStringLiteral("QRS"), QStringLiteral("QRS"), ms, real(m.qrsMs()), TNormQuantity::QRS);
    add(QStringLiteral("QT"), QStringLiteral("QT"), ms, real(m.qtMs()), TNormQuantity::QT);
    add(QStringLiteral("QTc"), QCoreApplication::translate("TMeasurementNorms", "QTc (%1)").arg(formula.name()), ms,
        real(m.qtcMs(formula)), std::nullopt);
    add(QStringLiteral("T"), QStringLiteral("T"), ms, real(m.tMs()), std::nullopt);
    add(QStringLiteral("TPeakToEnd"), QStringLiteral("Tp-e"), ms, real(m.tPeakToEndMs()), std::nullopt);
    add(QStringLiteral("QRS_axis"), QCoreApplication::translate("TMeasurementNorms", "QRS axis"),
        QString::fromUtf8("\u00b0"), real(m.qrsAxis()), TNormQuantity::Axis);
    add(QStringLiteral("P_amp"), QCoreApplication::translate("TMeasurementNorms", "P amplitude"), mv, m.pAmplitude(),
        TNormQuantity::PAmplitude, 2);
    add(QStringLiteral("QRS_amp"), QCoreApplication::translate("TMeasurementNorms", "QRS amplitude"), mv,
        m.qrsAmplitude(), std::nullopt, 2);
    add(QStringLiteral("R_amp"), QCoreApplication::translate("TMeasurementNorms", "R amplitude"), mv, m.rAmplitude(),
        TNormQuantity::RAmplitude, 2);
    add(QStringLiteral("T_amp"), QCoreApplication::translate("TMeasurementNorms", "T amplitude"), mv, m.tAmplitude(),
        std::nullopt, 2);
}

void TMeasurementNorms::add(const QString& key, const QString& label, const QString& unit, std::optional<double> value,
                            std::optional<TNormQuantity> quantity, int decimals)
{
    Item item;
    item.key = key;
    item.label = label;
    item.unit = unit;
    item.value = value;
    item.decimals = decimals;
    item.quantity = quantity;
    if (quantity) {
        item.range = m_assessment.range(*quantity);
        // Amplitudes are compared as they are shown, to the hundredth of a mV.
        std::optional<double> compared = value;
        if (value && decimals > 0)
            compared = QString::number(*value, 'f', decimals).toDouble();
        item.flag = m_assessment.flag(*quantity, compared);
    }
    m_items.append(item);
}

const TMeasurementNorms::Item* TMeasurementNorms::item(const QString& key) const
{
    for (const Item& i : m_items)
        if (i.key == key)
            return &i;
    return nullptr;
}

bool TMeasurementNorms::otherLead() const
{
    return !m_lead.isEmpty() && m_lead != QLatin1String(RangeLead);
}

QString TMeasurementNorms::basisText() const
{
    if (!m_assessment.knowsSpecies()) {
        if (m_speciesText.isEmpty())
            return QCoreApplication::translate("TMeasurementNorms", "No reference ranges: no species given");
        return QCoreApplication::translate("TMeasurementNorms", "No reference ranges for the species \"%1\"")
            .arg(m_speciesText);
    }
    QString text = QCoreApplication::translate("TMeasurementNorms", "Ranges for %1 (lead %2 at rest)")
                       .arg(m_assessment.basis(), QLatin1String(RangeLead));
    if (otherLead())
        text += QCoreApplication::translate("TMeasurementNorms", "; measured in lead %1").arg(m_lead);
    return text;
}

QString TMeasurementNorms::valueText(const Item& item)
{
    if (!item.value)
        return QString();
    return item.decimals > 0 ? QString::number(*item.value, 'f', item.decimals) : QString::number(qRound64(*item.value));
}

QString TMeasurementNorms::mark(TNormAssessment::Flag flag)
{
    switch (flag) {
    case TNormAssessment::Flag::High: return QStringLiteral("H");
    case TNormAssessment::Flag::Low: return QStringLiteral("L");
    default: break;
    }
    return QString();
}

QString TMeasurementNorms::markedText(const Item& item)
{
    const QString value = valueText(item);
    const QString m = mark(item.flag);
    return m.isEmpty() || value.isEmpty() ? value : value + QLatin1Char(' ') + m;
}

QString TMeasurementNorms::rangeText(const Item& item)
{
    if (!item.range || !item.quantity)
        return QString();
    return TNormAssessment::rangeText(*item.range, *item.quantity);
}
