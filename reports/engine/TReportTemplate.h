#pragma once

#include <QColor>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// A report template as read from its XML form: the page, the bands and the
// fields in them. Coordinates and sizes are in the template's own units, which
// span the whole page (an A4 landscape page of 1188 x 840 units has four units
// to the millimetre); font sizes are in points.
//
// The form, every element and attribute of it (anything else is refused):
//
//   <report name="" paper="A4|Letter" orientation="portrait|landscape"
//           width="" height="" margin-top="" margin-bottom="">
//     <font font-size="" bold="" italic=""/>                   the fields' default
//     <pageHeader height="">fields</pageHeader>                  top of every page
//     <title height="">fields</title>                            once, first
//     <pageFooter height="">fields</pageFooter>                  bottom of every page
//     <group dataset="events" repeat-header="true|false">        as many as needed
//       <header height="">fields</header>                        before the first record
//       <data height="" page-break="true|false">fields</data>    once per record
//       <footer height="">fields</footer>                        after the last record
//     </group>
//   </report>
//
// Bands may also carry page-break. A group without a data set has one record;
// one whose data set has no records prints nothing. Fields, at x, y, width and
// height within their band:
//
//   <label ...>Text with [field] names</label>     also: font-size, bold,
//                                                  italic, color, align ("left|right|
//                                                  hcenter|justify" with "top|bottom|
//                                                  vcenter"), wrap, grow
//   <image ...>[name]</image>                      fitted, proportions kept, aligned
//   <rect .../>                                    a frame (border="width"), a line when
//                                                  flat, or with [name] a drawing
//
// Every field also takes border, border-color and fill. "#page" and "#pages"
// are the page number and the page count.
//
// Every text is in the one report typeface (TReportTypeface); a template says
// only its size and weight.
struct TReportFont
{
    double pointSize = 9.0;
    bool bold = false;
    bool italic = false;

    bool operator==(const TReportFont& o) const
    {
        return pointSize == o.pointSize && bold == o.bold && italic == o.italic;
    }
};

// A piece of a label's text: literal text, or a field whose value replaces it.
struct TReportTextPart
{
    bool isField = false;
    QString text; // the literal text, or the field name
};

struct TReportField
{
    enum Kind
    {
        Label,    // text with [name] fields
        Image,    // an image named by its one [name]
        Rectangle // a frame (no name) or a drawing (one [name]), or a line when flat
    };

    Kind kind = Label;
    QRectF rect;
    // Label: the text in parts. Image and drawing rectangle: the name alone.
    QVector<TReportTextPart> parts;
    QString name;
    TReportFont font;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool wordWrap = false;
    // A label that grows downwards with its text; the band grows with it and the
    // fields below it move down.
    bool grow = false;
    QColor color = Qt::black;
    // Rectangle (and the frame drawn around any field): pen width in units, 0 for
    // no frame; fill colour, invalid for none.
    double border = 0.0;
    QColor borderColor = Qt::black;
    QColor fill;
};

struct TReportBand
{
    enum Kind
    {
        Title,
        PageHeader,
        PageFooter,
        GroupHeader,
        GroupData,
        GroupFooter
    };

    Kind kind = GroupData;
    double height = 0.0;
    // Starts on a new page unless it would be the first thing on its page.
    bool pageBreakBefore = false;
    QVector<TReportField> fields;
};

// A master group: a header, one data band per record of its data set and a
// footer. A group without a data set has one record.
struct TReportGroup
{
    QString dataset;
    std::optional<TReportBand> header;
    std::optional<TReportBand> data;
    std::optional<TReportBand> footer;
    // The header is printed again at the top of every page the group continues on.
    bool repeatHeader = false;
};

struct TReportTemplate
{
    QString name;
    QPageSize pageSize = QPageSize(QPageSize::A4);
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QSizeF size; // the page in units
    double marginTop = 0.0;
    double marginBottom = 0.0;
    TReportFont font;

    std::optional<TReportBand> pageHeader;
    std::optional<TReportBand> title;
    std::optional<TReportBand> pageFooter;
    QVector<TReportGroup> groups;

    // Units to a millimetre of paper.
    double unitsPerMillimetre() const;
    // Every field name the template asks for: page header, title and page footer
    // first, then the groups, each band's in the order they appear.
    QStringList fieldNames() const;

    // Reads a template from a file or resource path; throws TException("Cannot
    // load report resource file") when it cannot be read or is not a template.
    static TReportTemplate load(const QString& path);
    // The same from the XML text; false with the reason (line and what is wrong)
    // in error.
    static bool parse(const QByteArray& xml, TReportTemplate& out, QString* error = nullptr);
};
