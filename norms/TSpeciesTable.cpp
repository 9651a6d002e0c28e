#include "TSpeciesTable.h"

#include "TException.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cmath>
#include <memory>

static void registerShippedTable()
{
    Q_INIT_RESOURCE(norms);
}

namespace {

const char* const QuantityWords[NormQuantityCount] = {"HR", "P", "PAmp", "PR", "QRS", "RAmp", "QT", "Axis"};
const char* const Units[NormQuantityCount] = {"/min", "ms", "mV", "\u00b0", "ms", "mV", "ms", "\u00b0"};
const QStringList Classes = {QStringLiteral("any"),   QStringLiteral("small"), QStringLiteral("large"),
                             QStringLiteral("giant"), QStringLiteral("young"), QStringLiteral("adult")};

std::unique_ptr<TSpeciesTable>& activeTable()
{
    static std::unique_ptr<TSpeciesTable> table;
    return table;
}

[[noreturn]] void fault(int line, const QString& text)
{
    throw TException(QStringLiteral("line %1: %2").arg(line).arg(text));
}

std::optional<double> number(const QString& text, bool* ok)
{
    const QString t = text.trimmed();
    *ok = true;
    if (t.isEmpty())
        return std::nullopt;
    QString n = t;
    n.replace(QLatin1Char(','), QLatin1Char('.'));
    if (n.startsWith(QLatin1Char('+')))
        n.remove(0, 1);
    const double v = n.toDouble(ok);
    if (!*ok || !std::isfinite(v)) {
        *ok = false;
        return std::nullopt;
    }
    return v;
}

bool isId(const QString& word)
{
    if (word.isEmpty())
        return false;
    for (QChar c : word)
        if (!(c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_')))
            return false;
    return true;
}

} // namespace

bool TSpeciesTable::Key::operator<(const Key& o) const
{
    if (species != o.species)
        return species < o.species;
    if (klass != o.klass)
        return klass < o.klass;
    return int(quantity) < int(o.quantity);
}

QString TSpeciesTable::quantityWord(TNormQuantity quantity)
{
    return QLatin1String(QuantityWords[int(quantity)]);
}

QString TSpeciesTable::unit(TNormQuantity quantity)
{
    return QString::fromUtf8(Units[int(quantity)]);
}

QString TSpeciesTable::normalized(const QString& text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        out.append(c.isLetterOrNumber() ? c.toCaseFolded() : QChar(QLatin1Char(' ')));
    }
    return out.simplified();
}

QString TSpeciesTable::shippedText()
{
    registerShippedTable();
    QFile file(QStringLiteral(":/norms/species-ranges.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

const TSpeciesTable& TSpeciesTable::shipped()
{
    // The shipped table is checked by the tests; should it ever fail to read,
    // the program shows values without ranges rather than stop.
    static const TSpeciesTable table = []() {
        try {
            return merged(TSpeciesTable(), parse(shippedText()));
        } catch (const TException&) {
            return TSpeciesTable();
        }
    }();
    return table;
}

const TSpeciesTable& TSpeciesTable::active()
{
    const std::unique_ptr<TSpeciesTable>& table = activeTable();
    return table ? *table : shipped();
}

void TSpeciesTable::resetActive()
{
    activeTable().reset();
}

QString TSpeciesTable::activate(const QString& dataFolder)
{
    resetActive();
    const QString path = QDir(dataFolder).filePath(QLatin1String(OverrideFileName));
    if (dataFolder.isEmpty() || !QFileInfo::exists(path))
        return QString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QCoreApplication::translate(
                   "TSpeciesTable",
                   "The clinic's reference range file %1 cannot be opened. The shipped ranges are used.")
            .arg(QDir::toNativeSeparators(path));
    // A reference table is a page or two of text; anything far larger is not one.
    const QByteArray bytes = file.read(1 << 20);
    try {
        if (!file.atEnd())
            throw TException(QCoreApplication::translate("TSpeciesTable", "the file is larger than 1 MiB"));
        // Every byte is read: a NUL must not end the text unseen.
        activeTable() = std::make_unique<TSpeciesTable>(
            merged(shipped(), parse(QString::fromUtf8(bytes.constData(), bytes.size()))));
    } catch (const TException& e) {
        return QCoreApplication::translate(
                   "TSpeciesTable",
                   "The clinic's reference range file %1 is not valid (%2). The shipped ranges are used.")
            .arg(QDir::toNativeSeparators(path), e.message());
    }
    return QString();
}

TSpeciesTable TSpeciesTable::parse(const QString& text)
{
    TSpeciesTable table;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        QString line = lines[i];
        const int hash = line.indexOf(QLatin1Char('#'));
        if (hash >= 0)
            line.truncate(hash);
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            fault(lineNo, QStringLiteral("\"=\" is missing"));
        const QStringList head = line.left(eq).simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QString value = line.mid(eq + 1).trimmed();
        if (head.isEmpty())
            fault(lineNo, QStringLiteral("a statement is missing before \"=\""));
        const QString keyword = head[0].toLower();
        auto expectArgs = [&](int count) {
            if (head.size() != count + 1)
                fault(lineNo, QStringLiteral("\"%1\" takes %2 word(s) before \"=\"").arg(keyword).arg(count));
            for (int k = 1; k < head.size(); ++k)
                if (!isId(head[k]))
                    fault(lineNo, QStringLiteral("\"%1\" is not a name of letters and digits").arg(head[k]));
        };
        auto speciesEntry = [&](const QString& id) -> Species& {
            Species& s = table.m_species[id.toLower()];
            s.id = id.toLower();
            return s;
        };
        if (keyword == QLatin1String("species")) {
            expectArgs(1);
            if (value.isEmpty())
                fault(lineNo, QStringLiteral("the species has no name"));
            const QString id = head[1].toLower();
            if (!table.m_order.contains(id))
                table.m_order.append(id);
            speciesEntry(id).name = value;
        } else if (keyword == QLatin1String("names")) {
            expectArgs(1);
            Species& s = speciesEntry(head[1]);
            for (const QString& name : value.split(QLatin1Char(';'))) {
                if (normalized(name).isEmpty()) {
                    if (!name.trimmed().isEmpty())
                        fault(lineNo, QStringLiteral("\"%1\" has no letters").arg(name.trimmed()));
                    continue;
                }
                s.names.append(name.trimmed());
            }
        } else if (keyword == QLatin1String("sizes")) {
            expectArgs(1);
            const QStringList parts = value.split(QLatin1Char(';'));
            QVector<double> limits;
            for (const QString& part : parts) {
                bool ok = false;
                const std::optional<double> v = number(part, &ok);
                if (!ok || !v || *v <= 0.0)
                    fault(lineNo, QStringLiteral("\"%1\" is not a weight in kg").arg(part.trimmed()));
                limits.append(*v);
            }
            if (limits.size() != 2 || limits[0] >= limits[1])
                fault(lineNo, QStringLiteral("sizes takes two weights in kg, the smaller first"));
            speciesEntry(head[1]).sizeLimits = limits;
        } else if (keyword == QLatin1String("young")) {
            expectArgs(1);
            bool ok = false;
            const std::optional<double> v = number(value, &ok);
            if (!ok || !v || *v <= 0.0)
                fault(lineNo, QStringLiteral("young takes an age in years"));
            speciesEntry(head[1]).youngYears = v;
        } else if (keyword == QLatin1String("range")) {
            expectArgs(3);
            const QString klass = head[2].toLower();
            if (!Classes.contains(klass))
                fault(lineNo, QStringLiteral("unknown class \"%1\" (any, small, large, giant, young, adult)").arg(head[2]));
            int q = 0;
            while (q < NormQuantityCount && head[3].compare(QLatin1String(QuantityWords[q]), Qt::CaseInsensitive) != 0)
                ++q;
            if (q == NormQuantityCount)
                fault(lineNo, QStringLiteral("unknown quantity \"%1\" (HR, P, PAmp, PR, QRS, RAmp, QT, Axis)").arg(head[3]));
            QString bounds = value;
            TReferenceRange range;
            const int open = bounds.indexOf(QLatin1Char('['));
            if (open >= 0) {
                const int close = bounds.indexOf(QLatin1Char(']'), open);
                if (close < 0 || !bounds.mid(close + 1).trimmed().isEmpty())
                    fault(lineNo, QStringLiteral("the source must be written [key] at the end"));
                range.source = bounds.mid(open + 1, close - open - 1).trimmed().toLower();
                bounds.truncate(open);
            }
            const QStringList parts = bounds.split(QLatin1Char(';'));
            if (parts.size() != 2)
                fault(lineNo, QStringLiteral("a range is written \"low; high\" (either may be empty)"));
            bool okLow = false;
            bool okHigh = false;
            range.low = number(parts[0], &okLow);
            range.high = number(parts[1], &okHigh);
            if (!okLow)
                fault(lineNo, QStringLiteral("\"%1\" is not a number").arg(parts[0].trimmed()));
            if (!okHigh)
                fault(lineNo, QStringLiteral("\"%1\" is not a number").arg(parts[1].trimmed()));
            if (range.low && range.high && *range.low > *range.high)
                fault(lineNo, QStringLiteral("the low bound is above the high bound"));
            speciesEntry(head[1]);
            table.m_ranges[Key{head[1].toLower(), klass, TNormQuantity(q)}] = range;
        } else if (keyword == QLatin1String("source")) {
            expectArgs(1);
            if (value.isEmpty())
                fault(lineNo, QStringLiteral("the source has no text"));
            table.m_sources.insert(head[1].toLower(), value);
        } else {
            fault(lineNo, QStringLiteral("unknown statement \"%1\" (species, names, sizes, young, range, source)").arg(head[0]));
        }
    }
    return table;
}

TSpeciesTable TSpeciesTable::merged(const TSpeciesTable& base, const TSpeciesTable& over)
{
    TSpeciesTable table = base;
    for (const QString& id : over.m_order)
        if (!table.m_order.contains(id))
            table.m_order.append(id);
    for (const Species& s : over.m_species) {
        Species& t = table.m_species[s.id];
        t.id = s.id;
        if (!s.name.isEmpty())
            t.name = s.name;
        for (const QString& name : s.names)
            if (!t.names.contains(name))
                t.names.append(name);
        if (!s.sizeLimits.isEmpty())
            t.sizeLimits = s.sizeLimits;
        if (s.youngYears)
            t.youngYears = s.youngYears;
    }
    for (const auto& [key, range] : over.m_ranges) {
        if (range.isEmpty())
            table.m_ranges.erase(key);
        else
            table.m_ranges[key] = range;
    }
    for (auto it = over.m_sources.begin(); it != over.m_sources.end(); ++it)
        table.m_sources.insert(it.key(), it.value());
    for (const Species& s : table.m_species)
        if (s.name.isEmpty())
            throw TException(QStringLiteral("species \"%1\" is used but never declared").arg(s.id));
    for (const auto& [key, range] : table.m_ranges)
        if (!range.source.isEmpty() && !table.m_sources.contains(range.source))
            throw TException(QStringLiteral("source [%1] is cited but never given").arg(range.source));
    table.checkNames();
    return table;
}

void TSpeciesTable::checkNames() const
{
    QMap<QString, QString> owner;
    for (const Species& s : m_species) {
        for (const QString& name : s.names) {
            const QString n = normalized(name);
            const QString other = owner.value(n);
            if (!other.isEmpty() && other != s.id)
                throw TException(QStringLiteral("the name \"%1\" is given to both %2 and %3").arg(name, other, s.id));
            owner.insert(n, s.id);
        }
    }
}

QString TSpeciesTable::speciesOf(const QString& text) const
{
    const QString t = normalized(text);
    if (t.isEmpty())
        return QString();
    const QString padded = QLatin1Char(' ') + t + QLatin1Char(' ');
    QSet<QString> found;
    for (const Species& s : m_species)
        for (const QString& name : s.names)
            if (padded.contains(QLatin1Char(' ') + normalized(name) + QLatin1Char(' ')))
                found.insert(s.id);
    return found.size() == 1 ? *found.begin() : QString();
}

const TSpeciesTable::Species* TSpeciesTable::species(const QString& id) const
{
    auto it = m_species.constFind(id);
    return it == m_species.constEnd() ? nullptr : &*it;
}

std::optional<TReferenceRange> TSpeciesTable::row(const QString& species, const QString& klass, TNormQuantity q) const
{
    auto it = m_ranges.find(Key{species, klass, q});
    if (it == m_ranges.end())
        return std::nullopt;
    return it->second;
}

bool TSpeciesTable::dependsOnSize(const QString& species, TNormQuantity quantity) const
{
    for (const char* klass : {"small", "large", "giant"})
        if (row(species, QLatin1String(klass), quantity))
            return true;
    return false;
}

std::optional<TReferenceRange> TSpeciesTable::range(const QString& species, TNormQuantity quantity, TBodySize size,
                                                    TAgeGroup age) const
{
    if (!m_species.contains(species))
        return std::nullopt;
    const std::optional<TReferenceRange> any = row(species, QStringLiteral("any"), quantity);
    // Age first: a puppy's heart rate is its own whatever its size.
    if (age == TAgeGroup::Young)
        if (auto r = row(species, QStringLiteral("young"), quantity))
            return r;
    if (age != TAgeGroup::Young)
        if (auto r = row(species, QStringLiteral("adult"), quantity))
            return r;
    if (!dependsOnSize(species, quantity))
        return any;
    auto sized = [&](const char* klass) { return row(species, QLatin1String(klass), quantity); };
    switch (size) {
    case TBodySize::Giant:
        if (auto r = sized("giant"))
            return r;
        [[fallthrough]];
    case TBodySize::Large:
        if (auto r = sized("large"))
            return r;
        return any;
    case TBodySize::Small:
        if (auto r = sized("small"))
            return r;
        return any;
    case TBodySize::Unknown: break;
    }
    // Size not known: the envelope of every size's range, so that a value
    // flagged is out of range whatever the animal's size.
    std::optional<TReferenceRange> wide;
    for (const char* klass : {"any", "small", "large", "giant"}) {
        const std::optional<TReferenceRange> r = row(species, QLatin1String(klass), quantity);
        if (!r)
            continue;
        if (!wide) {
            wide = r;
            continue;
        }
        wide->low = wide->low && r->low ? std::optional<double>(std::min(*wide->low, *r->low)) : std::nullopt;
        wide->high = wide->high && r->high ? std::optional<double>(std::max(*wide->high, *r->high)) : std::nullopt;
        if (wide->source != r->source && !r->source.isEmpty())
            wide->source = wide->source.isEmpty() ? r->source : wide->source;
    }
    if (wide && wide->isEmpty())
        return std::nullopt;
    return wide;
}

TBodySize TSpeciesTable::sizeOf(const Species& species, std::optional<double> weightKg)
{
    if (!weightKg || !(*weightKg > 0.0) || species.sizeLimits.size() != 2)
        return TBodySize::Unknown;
    if (*weightKg < species.sizeLimits[0])
        return TBodySize::Small;
    if (*weightKg < species.sizeLimits[1])
        return TBodySize::Large;
    return TBodySize::Giant;
}

TAgeGroup TSpeciesTable::ageOf(const Species& species, std::optional<double> ageYears)
{
    if (!ageYears || *ageYears < 0.0)
        return TAgeGroup::Unknown;
    if (species.youngYears && *ageYears < *species.youngYears)
        return TAgeGroup::Young;
    return TAgeGroup::Adult;
}
