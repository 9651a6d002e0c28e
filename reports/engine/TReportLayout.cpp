#include "TReportLayout.h"

#include "TReportDataSource.h"
#include "TReportText.h"

#include <algorithm>

namespace {

class Flow
{
public:
    Flow(const TReportTemplate& report, TReportDataSource& source) : m_report(report), m_source(source)
    {
        const double footer = report.pageFooter ? report.pageFooter->height : 0.0;
        m_bottom = report.size.height() - report.marginBottom - footer;
    }

    void startPage()
    {
        m_pages.append(TReportPage());
        m_y = m_report.marginTop;
        if (m_report.pageHeader)
            put(*m_report.pageHeader, 0);
        if (m_group && m_group->repeatHeader && m_group->header)
            put(*m_group->header, 0);
        m_pageTop = m_y;
    }

    // Places a band in the flow, on a new page when it does not fit here (or asks
    // for one) and something else is already on this page.
    void flow(const TReportBand& band, int record)
    {
        if (band.pageBreakBefore || !fits(place(band, record).height))
            breakPage();
        put(band, record);
    }

    // A group's header stays with its first record: both start a new page when
    // either asks for one or they do not fit together.
    void flowWithFirst(const TReportBand& header, const TReportBand& data)
    {
        const double both = place(header, 0).height + place(data, 0).height;
        if (header.pageBreakBefore || data.pageBreakBefore || !fits(both))
            breakPage();
        put(header, 0);
        if (!fits(place(data, 0).height))
            breakPage();
        put(data, 0);
    }

    void setGroup(const TReportGroup* group) { m_group = group; }

    QVector<TReportPage> finish()
    {
        if (m_pages.isEmpty())
            startPage();
        if (m_report.pageFooter) {
            for (int i = 0; i < m_pages.size(); ++i)
                m_pages[i].append(TReportLayout::place(m_report, *m_report.pageFooter, 0, i + 1, m_bottom, m_source));
        }
        return m_pages;
    }

private:
    bool fits(double height) const { return m_y + height <= m_bottom; }
    // A new page, unless nothing has been put on this one yet.
    void breakPage()
    {
        if (m_y > m_pageTop)
            startPage();
    }

    TReportPlacement place(const TReportBand& band, int record) const
    {
        return TReportLayout::place(m_report, band, record, m_pages.size(), m_y, m_source);
    }

    void put(const TReportBand& band, int record)
    {
        TReportPlacement placement = place(band, record);
        m_y += placement.height;
        m_pages.last().append(placement);
    }

    const TReportTemplate& m_report;
    TReportDataSource& m_source;
    QVector<TReportPage> m_pages;
    const TReportGroup* m_group = nullptr;
    double m_y = 0.0;
    double m_pageTop = 0.0;
    double m_bottom = 0.0;
};

} // namespace

QString TReportLayout::labelText(const TReportField& field, int record, int page, int pages, TReportDataSource& source)
{
    QString text;
    for (const TReportTextPart& part : field.parts) {
        if (!part.isField)
            text += part.text;
        else if (part.text == QLatin1String("#page"))
            text += page > 0 ? QString::number(page) : QString();
        else if (part.text == QLatin1String("#pages"))
            text += pages > 0 ? QString::number(pages) : QString();
        else
            text += source.value(part.text, record, page);
    }
    return text;
}

TReportPlacement TReportLayout::place(const TReportTemplate& report, const TReportBand& band, int record, int page,
                                      double top, TReportDataSource& source)
{
    TReportPlacement placement;
    placement.band = &band;
    placement.record = record;
    placement.top = top;
    placement.height = band.height;
    for (const TReportField& field : band.fields)
        placement.fieldRects.append(field.rect);

    // Labels that grow, top first: each pushes down whatever starts below its
    // original bottom.
    QVector<int> growing;
    for (int i = 0; i < band.fields.size(); ++i)
        if (band.fields[i].grow)
            growing.append(i);
    std::sort(growing.begin(), growing.end(),
              [&](int a, int b) { return band.fields[a].rect.top() < band.fields[b].rect.top(); });
    const double unitsPerMm = report.unitsPerMillimetre();
    for (int i : growing) {
        const TReportField& field = band.fields[i];
        const QString text = labelText(field, record, page, 0, source);
        const double needed = TReportText::height(text, field.font, field.rect.width(), field.wordWrap, unitsPerMm);
        const double growth = needed - placement.fieldRects[i].height();
        if (growth <= 0.0)
            continue;
        const double originalBottom = field.rect.bottom();
        placement.fieldRects[i].setHeight(needed);
        for (int j = 0; j < band.fields.size(); ++j)
            if (j != i && band.fields[j].rect.top() >= originalBottom)
                placement.fieldRects[j].translate(0.0, growth);
        placement.height += growth;
    }
    return placement;
}

QVector<TReportPage> TReportLayout::layOut(const TReportTemplate& report, TReportDataSource& source)
{
    Flow flow(report, source);
    flow.startPage();
    if (report.title)
        flow.flow(*report.title, 0);
    for (const TReportGroup& group : report.groups) {
        const int records = group.dataset.isEmpty() ? 1 : std::max(0, source.recordCount(group.dataset));
        if (records == 0)
            continue;
        if (group.header)
            flow.flowWithFirst(*group.header, *group.data);
        else
            flow.flow(*group.data, 0);
        flow.setGroup(&group);
        for (int r = 1; r < records; ++r)
            flow.flow(*group.data, r);
        flow.setGroup(nullptr);
        if (group.footer)
            flow.flow(*group.footer, records - 1);
    }
    return flow.finish();
}
