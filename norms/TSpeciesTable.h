#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include <map>
#include <optional>

// The measured quantities a species' reference ranges bound, with the units
// the table is written in.
enum class TNormQuantity { HeartRate, PDuration, PAmplitude, PR, QRS, RAmplitude, QT, Axis };
constexpr int NormQuantityCount = 8;

// A reference range: either bound may be absent ("at most 40 ms"), both
// inclusive, in the quantity's unit; the source is the table's citation key.
struct TReferenceRange
{
    std::optional<double> low;
    std::optional<double> high;
    QString source;

    bool isEmpty() const { return !low && !high; }
    bool operator==(const TReferenceRange& o) const { return low == o.low && high == o.high && source == o.source; }
};

// Which rows of a species apply to one animal. A size or an age that is not
// known is Unknown: the table then gives what holds for every animal of the
// species (see TSpeciesTable::range).
enum class TBodySize { Unknown, Small, Large, Giant };
enum class TAgeGroup { Unknown, Young, Adult };

// The reference ranges by species, and the names a clinic writes each species
// by. The program ships one (":/norms/species-ranges.txt"); a clinic may lay
// its own file beside the studies, whose lines replace or add to the shipped
// ones. The format, one statement a line, "#" starting a comment:
//
//   species dog = Dog                      a species and the name shown for it
//   names dog = perro; perra; canine       names that mean it (any case, accents ignored)
//   sizes dog = 20; 40                     kg: below 20 small, below 40 large, giant from 40
//   young dog = 0.5                        years: younger animals are young
//   range dog large QRS = ; 60 [tilley]    class, quantity, low; high (either empty), source
//   source tilley = Tilley LP, ...         the citation of a source key
//
// Classes: any, small, large, giant, young, adult. Quantities and units: HR
// (per minute), P and PR and QRS and QT (ms), PAmp and RAmp (mV), Axis
// (degrees). In a clinic's file a range with both bounds empty removes the
// shipped range.
class TSpeciesTable
{
public:
    // The file a clinic lays in its data folder.
    static constexpr const char* OverrideFileName = "species-ranges.txt";

    struct Species
    {
        QString id;
        QString name;
        QStringList names; // as written in the table
        QVector<double> sizeLimits; // kg: the small/large and the large/giant limits
        std::optional<double> youngYears;
    };

    // The table the program ships.
    static const TSpeciesTable& shipped();
    static QString shippedText();

    // Parses a table; throws TException ("line N: ...") on the first fault.
    static TSpeciesTable parse(const QString& text);
    // The shipped table with a clinic's table laid over it; throws TException
    // when the clinic's table is faulty or contradicts the shipped one (a name
    // given to two species).
    static TSpeciesTable merged(const TSpeciesTable& base, const TSpeciesTable& over);

    // The table in force: the shipped one, or the one activate() installed.
    static const TSpeciesTable& active();
    // Installs the shipped table with the clinic's file of dataFolder over it,
    // when there is one. A faulty file leaves the shipped table in force and
    // returns the message to show; otherwise the empty string.
    static QString activate(const QString& dataFolder);
    static void resetActive();

    // The species a text names ("Perro", "felino doméstico", "EQUINE"): the
    // id, or empty when no species or more than one is named.
    QString speciesOf(const QString& text) const;
    const Species* species(const QString& id) const;
    QStringList speciesIds() const { return m_order; }

    // The range of a quantity for an animal of the species. The rows of its
    // class win over the species' "any" row: giant over large over any, young
    // over adult over any. A size not known gives the widest of the size rows
    // (what is out of range for every size), an age not known the adult range.
    std::optional<TReferenceRange> range(const QString& species, TNormQuantity quantity, TBodySize size,
                                         TAgeGroup age) const;
    // Whether the quantity's range differs by body size.
    bool dependsOnSize(const QString& species, TNormQuantity quantity) const;
    QString source(const QString& key) const { return m_sources.value(key); }

    static TBodySize sizeOf(const Species& species, std::optional<double> weightKg);
    static TAgeGroup ageOf(const Species& species, std::optional<double> ageYears);

    // "HR", "P", "PAmp", "PR", "QRS", "RAmp", "QT", "Axis".
    static QString quantityWord(TNormQuantity quantity);
    // "/min", "ms", "mV", "°".
    static QString unit(TNormQuantity quantity);

    // Lower case, accents dropped, blanks collapsed: how names are compared.
    static QString normalized(const QString& text);

private:
    struct Key
    {
        QString species;
        QString klass;
        TNormQuantity quantity;
        bool operator<(const Key& o) const;
    };
    std::optional<TReferenceRange> row(const QString& species, const QString& klass, TNormQuantity q) const;
    void checkNames() const;

    QMap<QString, Species> m_species;
    QStringList m_order;
    std::map<Key, TReferenceRange> m_ranges;
    QMap<QString, QString> m_sources;
};
