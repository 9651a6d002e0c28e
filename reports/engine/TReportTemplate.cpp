#include "TReportTemplate.h"

#include "TException.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <cmath>

namespace {

// Reads the template's XML. Everything it does not know is an error, so that a
// mistyped attribute or element shows when the template is first loaded instead
// of as a quietly missing field on paper.
class TemplateReader
{
public:
    explicit TemplateReader(const QByteArray& xml) : m_xml(xml) {}

    bool read(TReportTemplate& out)
    {
        if (!m_xml.readNextStartElement())
            return fail(QStringLiteral("no document element"));
        if (m_xml.name() != QLatin1String("report"))
            return fail(QStringLiteral("the document element is not <report>"));
        if (!readReport(out))
            return false;
        // Nothing but white space and comments may follow.
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (m_xml.isStartElement())
                return fail(QStringLiteral("content after </report>"));
        }
        if (m_xml.hasError())
            return fail(m_xml.errorString());
        return true;
    }

    QString error() const { return m_error; }

private:
    bool fail(const QString& what)
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("line %1: %2").arg(m_xml.lineNumber()).arg(what);
        return false;
    }

    bool checkAttributes(const QStringList& allowed)
    {
        for (const QXmlStreamAttribute& a : m_xml.attributes())
            if (!allowed.contains(a.name().toString()))
                return fail(QStringLiteral("unknown attribute %1 of <%2>").arg(a.name()).arg(m_xml.name()));
        return true;
    }

    bool number(const QString& attribute, double& out, bool required, double minimum = 0.0)
    {
        const QStringRef text = m_xml.attributes().value(attribute);
        if (text.isNull())
            return !required || fail(QStringLiteral("<%1> needs %2").arg(m_xml.name()).arg(attribute));
        bool ok = false;
        const double v = text.toDouble(&ok);
        if (!ok || !std::isfinite(v) || v < minimum)
            return fail(QStringLiteral("%1=\"%2\" is not a number of at least %3").arg(attribute, text).arg(minimum));
        out = v;
        return true;
    }

    bool boolean(const QString& attribute, bool& out)
    {
        const QStringRef text = m_xml.attributes().value(attribute);
        if (text.isNull())
            return true;
        if (text == QLatin1String("true"))
            out = true;
        else if (text == QLatin1String("false"))
            out = false;
        else
            return fail(QStringLiteral("%1=\"%2\" is neither true nor false").arg(attribute, text));
        return true;
    }

    bool color(const QString& attribute, QColor& out)
    {
        const QStringRef text = m_xml.attributes().value(attribute);
        if (text.isNull())
            return true;
        const QColor c(text.toString());
        if (!c.isValid())
            return fail(QStringLiteral("%1=\"%2\" is not a colour").arg(attribute, text));
        out = c;
        return true;
    }

    bool font(TReportFont& out)
    {
        return number(QStringLiteral("font-size"), out.pointSize, false, 1.0) &&
               boolean(QStringLiteral("bold"), out.bold) && boolean(QStringLiteral("italic"), out.italic);
    }

    bool alignment(Qt::Alignment& out)
    {
        const QStringRef text = m_xml.attributes().value(QLatin1String("align"));
        if (text.isNull())
            return true;
        Qt::Alignment horizontal = Qt::AlignLeft;
        Qt::Alignment vertical = Qt::AlignVCenter;
        for (const QStringRef& word : text.split(QLatin1Char('|'))) {
            const QString w = word.trimmed().toString();
            if (w == QLatin1String("left"))
                horizontal = Qt::AlignLeft;
            else if (w == QLatin1String("right"))
                horizontal = Qt::AlignRight;
            else if (w == QLatin1String("hcenter"))
                horizontal = Qt::AlignHCenter;
            else if (w == QLatin1String("justify"))
                horizontal = Qt::AlignJustify;
            else if (w == QLatin1String("top"))
                vertical = Qt::AlignTop;
            else if (w == QLatin1String("bottom"))
                vertical = Qt::AlignBottom;
            else if (w == QLatin1String("vcenter"))
                vertical = Qt::AlignVCenter;
            else
                return fail(QStringLiteral("align=\"%1\": unknown word %2").arg(text, w));
        }
        out = horizontal | vertical;
        return true;
    }

    static QVector<TReportTextPart> splitText(const QString& text)
    {
        static const QRegularExpression field(QStringLiteral("\\[([A-Za-z0-9_/#]+)\\]"));
        QVector<TReportTextPart> parts;
        int at = 0;
        QRegularExpressionMatchIterator it = field.globalMatch(text);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            if (m.capturedStart() > at)
                parts.append({false, text.mid(at, m.capturedStart() - at)});
            parts.append({true, m.captured(1)});
            at = m.capturedEnd();
        }
        if (at < text.size())
            parts.append({false, text.mid(at)});
        return parts;
    }

    // A label with words of its own goes through the translator whole, its
    // [fields] included, so that a translation may put them in its own order.
    static QString translatedLabel(const QString& text)
    {
        static const QRegularExpression field(QStringLiteral("\\[[A-Za-z0-9_/#]+\\]"));
        static const QRegularExpression letter(QStringLiteral("[A-Za-z]"));
        if (!QString(text).remove(field).contains(letter))
            return text;
        return QCoreApplication::translate("ReportTemplate", text.toUtf8().constData());
    }

    bool readField(TReportField& field, const TReportFont& defaultFont)
    {
        const QStringRef element = m_xml.name();
        if (element == QLatin1String("label"))
            field.kind = TReportField::Label;
        else if (element == QLatin1String("image"))
            field.kind = TReportField::Image;
        else if (element == QLatin1String("rect"))
            field.kind = TReportField::Rectangle;
        else
            return fail(QStringLiteral("unknown field <%1>").arg(element));
        if (!checkAttributes({QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("width"),
                              QStringLiteral("height"), QStringLiteral("font-size"),
                              QStringLiteral("bold"), QStringLiteral("italic"), QStringLiteral("align"),
                              QStringLiteral("wrap"), QStringLiteral("grow"), QStringLiteral("color"),
                              QStringLiteral("border"), QStringLiteral("border-color"), QStringLiteral("fill")}))
            return false;
        double x = 0, y = 0, w = 0, h = 0;
        field.font = defaultFont;
        if (!number(QStringLiteral("x"), x, true, -1e6) || !number(QStringLiteral("y"), y, true, -1e6) ||
            !number(QStringLiteral("width"), w, true) || !number(QStringLiteral("height"), h, true) ||
            !font(field.font) || !alignment(field.alignment) || !boolean(QStringLiteral("wrap"), field.wordWrap) ||
            !boolean(QStringLiteral("grow"), field.grow) || !color(QStringLiteral("color"), field.color) ||
            !number(QStringLiteral("border"), field.border, false) ||
            !color(QStringLiteral("border-color"), field.borderColor) || !color(QStringLiteral("fill"), field.fill))
            return false;
        field.rect = QRectF(x, y, w, h);
        if (field.grow && field.kind != TReportField::Label)
            return fail(QStringLiteral("only a label can grow"));
        const QString text = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (m_xml.hasError())
            return fail(m_xml.errorString());
        if (field.kind == TReportField::Label) {
            field.parts = splitText(translatedLabel(text));
            return true;
        }
        field.parts = splitText(text);
        // An image or drawing names itself alone; a rectangle without a name is a frame.
        const QString name = text.trimmed();
        const QVector<TReportTextPart> parts = splitText(name);
        if (name.isEmpty() && field.kind == TReportField::Rectangle) {
            field.parts.clear();
            return true;
        }
        if (parts.size() != 1 || !parts[0].isField)
            return fail(QStringLiteral("<%1> holds one [name] and nothing else")
                            .arg(field.kind == TReportField::Image ? QStringLiteral("image") : QStringLiteral("rect")));
        field.name = parts[0].text;
        field.parts = parts;
        return true;
    }

    bool readBand(TReportBand& band, TReportBand::Kind kind, const TReportFont& defaultFont)
    {
        band.kind = kind;
        if (!checkAttributes({QStringLiteral("height"), QStringLiteral("page-break")}) ||
            !number(QStringLiteral("height"), band.height, true) ||
            !boolean(QStringLiteral("page-break"), band.pageBreakBefore))
            return false;
        while (m_xml.readNextStartElement()) {
            TReportField field;
            if (!readField(field, defaultFont))
                return false;
            band.fields.append(field);
        }
        return !m_xml.hasError() || fail(m_xml.errorString());
    }

    bool readOptionalBand(std::optional<TReportBand>& band, TReportBand::Kind kind, const TReportFont& font)
    {
        if (band)
            return fail(QStringLiteral("a second <%1>").arg(m_xml.name()));
        band.emplace();
        return readBand(*band, kind, font);
    }

    bool readGroup(TReportGroup& group, const TReportFont& font)
    {
        if (!checkAttributes({QStringLiteral("dataset"), QStringLiteral("repeat-header")}) ||
            !boolean(QStringLiteral("repeat-header"), group.repeatHeader))
            return false;
        group.dataset = m_xml.attributes().value(QLatin1String("dataset")).toString();
        while (m_xml.readNextStartElement()) {
            const QStringRef name = m_xml.name();
            bool ok = false;
            if (name == QLatin1String("header"))
                ok = readOptionalBand(group.header, TReportBand::GroupHeader, font);
            else if (name == QLatin1String("data"))
                ok = readOptionalBand(group.data, TReportBand::GroupData, font);
            else if (name == QLatin1String("footer"))
                ok = readOptionalBand(group.footer, TReportBand::GroupFooter, font);
            else
                ok = fail(QStringLiteral("unknown element <%1> in <group>").arg(name));
            if (!ok)
                return false;
        }
        if (m_xml.hasError())
            return fail(m_xml.errorString());
        if (!group.data)
            return fail(QStringLiteral("a <group> needs its <data> band"));
        return true;
    }

    bool readReport(TReportTemplate& out)
    {
        if (!checkAttributes({QStringLiteral("name"), QStringLiteral("paper"), QStringLiteral("orientation"),
                              QStringLiteral("width"), QStringLiteral("height"), QStringLiteral("margin-top"),
                              QStringLiteral("margin-bottom")}))
            return false;
        const QXmlStreamAttributes a = m_xml.attributes();
        out.name = a.value(QLatin1String("name")).toString();
        const QStringRef paper = a.value(QLatin1String("paper"));
        if (paper.isNull() || paper == QLatin1String("A4"))
            out.pageSize = QPageSize(QPageSize::A4);
        else if (paper == QLatin1String("Letter"))
            out.pageSize = QPageSize(QPageSize::Letter);
        else
            return fail(QStringLiteral("unknown paper %1").arg(paper));
        const QStringRef orientation = a.value(QLatin1String("orientation"));
        if (orientation.isNull() || orientation == QLatin1String("portrait"))
            out.orientation = QPageLayout::Portrait;
        else if (orientation == QLatin1String("landscape"))
            out.orientation = QPageLayout::Landscape;
        else
            return fail(QStringLiteral("unknown orientation %1").arg(orientation));
        double width = 0, height = 0;
        if (!number(QStringLiteral("width"), width, true, 1.0) ||
            !number(QStringLiteral("height"), height, true, 1.0) ||
            !number(QStringLiteral("margin-top"), out.marginTop, false) ||
            !number(QStringLiteral("margin-bottom"), out.marginBottom, false))
            return false;
        out.size = QSizeF(width, height);
        // The units must keep the paper's proportions, or millimetres would not be square.
        const QSizeF mm = out.pageSize.size(QPageSize::Millimeter);
        const QSizeF paperMm = out.orientation == QPageLayout::Landscape ? mm.transposed() : mm;
        if (std::abs(width / paperMm.width() - height / paperMm.height()) > 0.01 * width / paperMm.width())
            return fail(
                QStringLiteral("%1 x %2 units do not have the proportions of the paper").arg(width).arg(height));
        if (out.marginTop + out.marginBottom >= height)
            return fail(QStringLiteral("the margins leave no room"));

        while (m_xml.readNextStartElement()) {
            const QStringRef name = m_xml.name();
            bool ok = false;
            if (name == QLatin1String("font")) {
                ok = checkAttributes({QStringLiteral("font-size"),
                                      QStringLiteral("bold"), QStringLiteral("italic")}) &&
                     font(out.font);
                m_xml.skipCurrentElement();
            } else if (name == QLatin1String("pageHeader")) {
                ok = readOptionalBand(out.pageHeader, TReportBand::PageHeader, out.font);
            } else if (name == QLatin1String("title")) {
                ok = readOptionalBand(out.title, TReportBand::Title, out.font);
            } else if (name == QLatin1String("pageFooter")) {
                ok = readOptionalBand(out.pageFooter, TReportBand::PageFooter, out.font);
            } else if (name == QLatin1String("group")) {
                out.groups.append(TReportGroup());
                ok = readGroup(out.groups.last(), out.font);
            } else {
                ok = fail(QStringLiteral("unknown element <%1> in <report>").arg(name));
            }
            if (!ok)
                return false;
        }
        return !m_xml.hasError() || fail(m_xml.errorString());
    }

    QXmlStreamReader m_xml;
    QString m_error;
};

void collectNames(const std::optional<TReportBand>& band, QStringList& names)
{
    if (!band)
        return;
    for (const TReportField& field : band->fields)
        for (const TReportTextPart& part : field.parts)
            if (part.isField && !names.contains(part.text))
                names.append(part.text);
}

} // namespace

double TReportTemplate::unitsPerMillimetre() const
{
    const QSizeF mm = pageSize.size(QPageSize::Millimeter);
    const double widthMm = orientation == QPageLayout::Landscape ? mm.height() : mm.width();
    return widthMm > 0.0 ? size.width() / widthMm : 0.0;
}

QStringList TReportTemplate::fieldNames() const
{
    QStringList names;
    collectNames(pageHeader, names);
    collectNames(title, names);
    collectNames(pageFooter, names);
    for (const TReportGroup& group : groups) {
        collectNames(group.header, names);
        collectNames(group.data, names);
        collectNames(group.footer, names);
    }
    return names;
}

bool TReportTemplate::parse(const QByteArray& xml, TReportTemplate& out, QString* error)
{
    TemplateReader reader(xml);
    TReportTemplate result;
    if (!reader.read(result)) {
        if (error)
            *error = reader.error();
        return false;
    }
    out = result;
    return true;
}

TReportTemplate TReportTemplate::load(const QString& path)
{
    QFile file(path);
    TReportTemplate result;
    if (!file.open(QIODevice::ReadOnly) || !parse(file.readAll(), result))
        throw TException("Cannot load report resource file");
    return result;
}
