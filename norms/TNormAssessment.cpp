#include "TNormAssessment.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <cmath>

namespace {

// A bound as the table writes it: whole numbers without decimals.
QString bound(double v, TNormQuantity quantity)
{
    // Amplitudes with their tenth of a millivolt ("3.0 mV"), as texts print them.
    if ((quantity == TNormQuantity::PAmplitude || quantity == TNormQuantity::RAmplitude) &&
        std::abs(v * 10.0 - std::round(v * 10.0)) < 1e-9)
        return QString::number(v, 'f', 1);
    return QString::number(v, 'g', 6);
}

} // namespace

TNormAssessment::TNormAssessment(const TSpeciesTable& table, const QString& speciesText, const QString& weightText,
                                 const QString& ageText)
    : m_table(table), m_species(table.speciesOf(speciesText))
{
    const TSpeciesTable::Species* species = table.species(m_species);
    if (!species) {
        m_species.clear();
        return;
    }
    m_name = species->name;
    m_size = TSpeciesTable::sizeOf(*species, leadingNumber(weightText));
    m_age = TSpeciesTable::ageOf(*species, ageYears(ageText));
}

std::optional<TReferenceRange> TNormAssessment::range(TNormQuantity quantity) const
{
    if (m_species.isEmpty())
        return std::nullopt;
    return m_table.range(m_species, quantity, m_size, m_age);
}

bool TNormAssessment::sizeGuessed(TNormQuantity quantity) const
{
    return !m_species.isEmpty() && m_size == TBodySize::Unknown && m_table.dependsOnSize(m_species, quantity);
}

TNormAssessment::Flag TNormAssessment::compare(const TReferenceRange& range, double value)
{
    if (!std::isfinite(value) || range.isEmpty())
        return Flag::None;
    if (range.low && value < *range.low)
        return Flag::Low;
    if (range.high && value > *range.high)
        return Flag::High;
    return Flag::Normal;
}

TNormAssessment::Flag TNormAssessment::flag(TNormQuantity quantity, std::optional<double> value) const
{
    const std::optional<TReferenceRange> r = range(quantity);
    if (!r || !value)
        return Flag::None;
    return compare(*r, *value);
}

QString TNormAssessment::basis() const
{
    if (m_species.isEmpty())
        return QString();
    // The shipped species' names (species-ranges.txt) are said in the user's
    // language; a clinic's own names stand as the clinic wrote them.
    static const char* const ShippedNames[] = {QT_TRANSLATE_NOOP("TNormAssessment", "Dog"),
                                               QT_TRANSLATE_NOOP("TNormAssessment", "Cat"),
                                               QT_TRANSLATE_NOOP("TNormAssessment", "Horse")};
    Q_UNUSED(ShippedNames);
    QStringList parts = {QCoreApplication::translate("TNormAssessment", m_name.toUtf8().constData())};
    const TSpeciesTable::Species* species = m_table.species(m_species);
    if (species && species->sizeLimits.size() == 2) {
        switch (m_size) {
        case TBodySize::Small: parts << QCoreApplication::translate("TNormAssessment", "small breed"); break;
        case TBodySize::Large: parts << QCoreApplication::translate("TNormAssessment", "large breed"); break;
        case TBodySize::Giant: parts << QCoreApplication::translate("TNormAssessment", "giant breed"); break;
        case TBodySize::Unknown:
            parts << QCoreApplication::translate("TNormAssessment", "size not known (no weight)");
            break;
        }
    }
    if (species && species->youngYears) {
        switch (m_age) {
        case TAgeGroup::Young: parts << QCoreApplication::translate("TNormAssessment", "young"); break;
        case TAgeGroup::Adult: parts << QCoreApplication::translate("TNormAssessment", "adult"); break;
        case TAgeGroup::Unknown:
            parts << QCoreApplication::translate("TNormAssessment", "adult ranges (no age)");
            break;
        }
    }
    return parts.join(QStringLiteral(", "));
}

QString TNormAssessment::flagWord(Flag flag)
{
    switch (flag) {
    case Flag::Low: return QStringLiteral("low");
    case Flag::High: return QStringLiteral("high");
    case Flag::Normal: return QStringLiteral("normal");
    case Flag::None: break;
    }
    return QString();
}

QString TNormAssessment::rangeText(const TReferenceRange& range, TNormQuantity quantity, bool withUnit)
{
    QString text;
    if (range.low && range.high)
        text = bound(*range.low, quantity) + QChar(0x2013) + bound(*range.high, quantity);
    else if (range.high)
        text = QChar(0x2264) + QLatin1Char(' ') + bound(*range.high, quantity);
    else if (range.low)
        text = QChar(0x2265) + QLatin1Char(' ') + bound(*range.low, quantity);
    if (withUnit && !text.isEmpty()) {
        const QString unit = TSpeciesTable::unit(quantity);
        text += quantity == TNormQuantity::Axis ? unit : QLatin1Char(' ') + unit;
    }
    return text;
}

std::optional<double> TNormAssessment::leadingNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*([0-9]+(?:[.,][0-9]+)?)"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    QString n = m.captured(1);
    n.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = n.toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

std::optional<double> TNormAssessment::ageYears(const QString& text)
{
    const std::optional<double> n = leadingNumber(text);
    if (!n)
        return std::nullopt;
    static const QRegularExpression unit(QStringLiteral("^\\s*[0-9]+(?:[.,][0-9]+)?\\s*([^\\s0-9]*)"));
    const QString word = TSpeciesTable::normalized(unit.match(text).captured(1));
    if (word.startsWith(QLatin1String("m")))
        return *n / 12.0; // meses, months
    if (word.startsWith(QLatin1String("sem")) || word.startsWith(QLatin1String("w")))
        return *n * 7.0 / 365.25; // semanas, weeks
    if (word.startsWith(QLatin1String("d")))
        return *n / 365.25; // dias, days
    return *n;
}
