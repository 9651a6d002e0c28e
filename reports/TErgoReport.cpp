#include "TErgoReport.h"

#include "DisplaySettings.h"
#include "StoredAverageBeats.h"
#include "TEcgGraphicLayout.h"
#include "TEcgReportGraphic.h"
#include "TReportImage.h"
#include "TReportMeasurements.h"
#include "TReportSignal.h"
#include "TStudy.h"

#include <QDateTime>
#include <QRectF>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

const QString Demo = QStringLiteral("demo/");
const QString Measurement = QStringLiteral("beatMeasurement/");

const QStringList& valueFields()
{
    static const QStringList fields = {QStringLiteral("headerTitle"),
                                       QStringLiteral("headerInfo"),
                                       QStringLiteral("signatureName"),
                                       QStringLiteral("signatureLicense"),
                                       QStringLiteral("studyDateTime"),
                                       QStringLiteral("patientIdLabel"),
                                       QStringLiteral("patientIdValue"),
                                       QStringLiteral("patientBMI"),
                                       QStringLiteral("patientRiskFactors"),
                                       QStringLiteral("ecgFilters"),
                                       QStringLiteral("timeScale"),
                                       QStringLiteral("ampScale"),
                                       QStringLiteral("eventDescription"),
                                       QStringLiteral("eventTime"),
                                       QStringLiteral("maxHR"),
                                       QStringLiteral("pctMaxHR"),
                                       QStringLiteral("pctSubMaxHR"),
                                       QStringLiteral("maxSysBP"),
                                       QStringLiteral("maxDiaBP"),
                                       QStringLiteral("maxDP"),
                                       QStringLiteral("maxMETS"),
                                       QStringLiteral("maxVO2")};
    return fields;
}

const QStringList& measurementFields()
{
    static const QStringList fields = {
        QStringLiteral("lead"),    QStringLiteral("HR"),         QStringLiteral("RR"),       QStringLiteral("PR"),
        QStringLiteral("P"),       QStringLiteral("QRS"),        QStringLiteral("QT"),       QStringLiteral("QTc"),
        QStringLiteral("T"),       QStringLiteral("TPeakToEnd"), QStringLiteral("QRS_axis"), QStringLiteral("P_amp"),
        QStringLiteral("QRS_amp"), QStringLiteral("T_amp")};
    return fields;
}

const QStringList& imageFields()
{
    static const QStringList fields = {QStringLiteral("headerLogo"), QStringLiteral("signatureImage"),
                                       QStringLiteral("brandLogo")};
    return fields;
}

// A decimal number as typed ("4,5" too); none when it is not one.
std::optional<double> typedNumber(const QString& text)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = t.toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

// "mm:ss" of seconds of recording.
QString clockTime(double seconds)
{
    const int whole = std::max(0, int(std::floor(seconds + 1e-9)));
    return QString::asprintf("%02d:%02d", whole / 60, whole % 60);
}

// "12.5" and "25": the number as the user chose it.
QString scaleNumber(double value)
{
    return QString::number(value, 'g', 4);
}

} // namespace

TErgoReport::TErgoReport(TStudy& study, const TReportOptions& options) : m_study(study), m_options(options)
{
    for (const TStudyEvent& event : study.record().events)
        if (event.print)
            m_events.append(event);
    m_signal = std::make_unique<TReportSignal>(study.recording(), study.beatsAvailable() ? study.beats() : nullptr,
                                               options.notch, options.lowpass, options.baseline);
}

TErgoReport::~TErgoReport() = default;

bool TErgoReport::answers(const QString& field)
{
    if (field.startsWith(Demo))
        return field.size() > Demo.size();
    if (field.startsWith(Measurement))
        return measurementFields().contains(field.mid(Measurement.size()));
    if (TEcgGraphicLayout::isGraphicField(field))
        return TEcgGraphicLayout::parse(field).has_value();
    return valueFields().contains(field) || imageFields().contains(field);
}

int TErgoReport::recordCount(const QString& dataset)
{
    return dataset == QLatin1String("events") ? m_events.size() : 0;
}

QString TErgoReport::studyValue(const QString& path) const
{
    return m_study.record().property(path);
}

QString TErgoReport::measurementValue(const QString& name) const
{
    const TReportMeasurements m(m_study.results());
    if (name == QLatin1String("lead")) {
        const std::optional<int> lead = m.lead();
        const TSignalChannel* channel = lead ? m_study.recording()->channel(*lead) : nullptr;
        return channel ? QString::fromUtf8(channel->name()) : QString();
    }
    if (name == QLatin1String("HR"))
        return TReportMeasurements::text(m.heartRate());
    if (name == QLatin1String("RR"))
        return TReportMeasurements::text(m.rrMs());
    if (name == QLatin1String("PR"))
        return TReportMeasurements::text(m.prMs());
    if (name == QLatin1String("P"))
        return TReportMeasurements::text(m.pMs());
    if (name == QLatin1String("QRS"))
        return TReportMeasurements::text(m.qrsMs());
    if (name == QLatin1String("QT"))
        return TReportMeasurements::text(m.qtMs());
    if (name == QLatin1String("QTc"))
        return TReportMeasurements::text(m.qtcMs());
    if (name == QLatin1String("T"))
        return TReportMeasurements::text(m.tMs());
    if (name == QLatin1String("TPeakToEnd"))
        return TReportMeasurements::text(m.tPeakToEndMs());
    if (name == QLatin1String("QRS_axis"))
        return TReportMeasurements::text(m.qrsAxis());
    if (name == QLatin1String("P_amp"))
        return TReportMeasurements::millivolts(m.pAmplitude());
    if (name == QLatin1String("QRS_amp"))
        return TReportMeasurements::millivolts(m.qrsAmplitude());
    if (name == QLatin1String("T_amp"))
        return TReportMeasurements::millivolts(m.tAmplitude());
    return QString();
}

QString TErgoReport::resultValue(const QString& field) const
{
    const TStudyResults& results = m_study.results();
    auto result = [&](const char* name) {
        const double* v = results.value(QLatin1String(name));
        return v && std::isfinite(*v) ? *v : 0.0;
    };
    auto whole = [](double v) { return QString::number(int(std::trunc(v))); };
    // A share of a training zone; "--" when the zone is not known.
    auto percent = [&](const char* zoneKey) {
        const std::optional<double> zone = typedNumber(m_study.record().patientProperty(QLatin1String(zoneKey)));
        if (!zone || *zone <= 0.0)
            return QStringLiteral("--");
        return whole(result("maxBPM") / *zone * 100.0 + 1e-9);
    };
    if (field == QLatin1String("maxHR"))
        return whole(result("maxBPM"));
    if (field == QLatin1String("pctMaxHR"))
        return percent("trainingZoneMax");
    if (field == QLatin1String("pctSubMaxHR"))
        return percent("trainingZoneSubMax");
    if (field == QLatin1String("maxSysBP"))
        return whole(result("maxSysBP"));
    if (field == QLatin1String("maxDiaBP"))
        return whole(result("maxDiaBP"));
    if (field == QLatin1String("maxDP"))
        return whole(result("maxDP"));
    if (field == QLatin1String("maxMETS"))
        return QString::asprintf("%.1f", result("maxMETS"));
    if (field == QLatin1String("maxVO2"))
        return QString::asprintf("%.1f", result("maxVO2"));
    return QString();
}

QString TErgoReport::patientId(bool label) const
{
    const TStudyRecord& r = m_study.record();
    const QString history = r.patientProperty(QStringLiteral("medicalHistoryNumber"));
    if (!history.isEmpty())
        return label ? QStringLiteral("ID / #H.C.") : history;
    if (label)
        return QStringLiteral("Doc.");
    return QStringLiteral("%1 %2")
        .arg(r.patientProperty(QStringLiteral("personIdType")), r.patientProperty(QStringLiteral("personIdNumber")))
        .trimmed();
}

QString TErgoReport::bmi() const
{
    const TStudyRecord& r = m_study.record();
    const std::optional<double> kg = typedNumber(r.patientProperty(QStringLiteral("weight")));
    const std::optional<double> cm = typedNumber(r.patientProperty(QStringLiteral("height")));
    if (!kg || !cm || *kg <= 0.0 || *cm <= 0.0)
        return QStringLiteral("--");
    const double metres = *cm / 100.0;
    return QString::asprintf("%.1f", *kg / (metres * metres));
}

QString TErgoReport::riskFactors() const
{
    QStringList items;
    for (const TRiskFactor& factor : m_study.record().riskFactors) {
        if (!factor.status)
            continue;
        QString item = factor.name;
        if (!factor.comment.trimmed().isEmpty())
            item += QStringLiteral(" [%1]").arg(factor.comment.trimmed());
        items.append(item);
    }
    return items.isEmpty() ? QStringLiteral("--") : items.join(QStringLiteral(", "));
}

QString TErgoReport::value(const QString& field, int record, int)
{
    if (field.startsWith(Demo))
        return studyValue(field.mid(Demo.size()));
    if (field.startsWith(Measurement))
        return measurementValue(field.mid(Measurement.size()));
    if (field == QLatin1String("headerTitle"))
        return m_options.headerTitle;
    if (field == QLatin1String("headerInfo"))
        return m_options.headerInfo;
    if (field == QLatin1String("signatureName"))
        return m_options.signatureName;
    if (field == QLatin1String("signatureLicense"))
        return m_options.signatureLicense;
    if (field == QLatin1String("studyDateTime")) {
        const QDateTime t = QDateTime::fromString(m_study.record().studyDateTime(), QStringLiteral("yyyyMMddHHmmss"));
        return t.isValid() ? t.toString(QStringLiteral("dd/MM/yyyy")) : QString();
    }
    if (field == QLatin1String("patientIdLabel"))
        return patientId(true);
    if (field == QLatin1String("patientIdValue"))
        return patientId(false);
    if (field == QLatin1String("patientBMI"))
        return bmi();
    if (field == QLatin1String("patientRiskFactors"))
        return riskFactors();
    if (field == QLatin1String("ecgFilters"))
        return m_options.filterText();
    if (field == QLatin1String("timeScale"))
        return QStringLiteral("%1 mm/s").arg(scaleNumber(m_options.speed));
    if (field == QLatin1String("ampScale"))
        return QStringLiteral("%1 mm/mV").arg(scaleNumber(m_options.amplitude));
    if (field == QLatin1String("eventDescription"))
        return record >= 0 && record < m_events.size() ? m_events[record].description : QString();
    if (field == QLatin1String("eventTime"))
        return record >= 0 && record < m_events.size() ? clockTime(m_events[record].position) : QString();
    return resultValue(field);
}

QImage TErgoReport::image(const QString& field, int)
{
    QString path;
    if (field == QLatin1String("headerLogo"))
        path = m_options.headerLogoFile;
    else if (field == QLatin1String("signatureImage"))
        path = m_options.signatureFile;
    else if (field == QLatin1String("brandLogo"))
        path = QString::fromLatin1(BrandLogo);
    return TReportImage::load(path);
}

double TErgoReport::eventStart(int record, double seconds) const
{
    if (record < 0 || record >= m_events.size())
        return 0.0;
    const double position = m_events[record].position;
    const double latest = m_signal->durationSeconds() - seconds;
    return std::max(0.0, std::min(position, latest));
}

QVector<TErgoReport::RowLead> TErgoReport::rowOrder() const
{
    const TSignalBuffer& signal = m_signal->filtered();
    DisplaySettings order{QMap<int, QColor>()};
    // The hexaxial order names the limb leads by their place in the lead table.
    static const QByteArray limbLeads[6] = {"I", "II", "III", "aVR", "aVL", "aVF"};
    bool limbs = signal.channelCount() >= 6;
    for (int i = 0; limbs && i < 6; ++i)
        limbs = signal.channel(i)->name() == limbLeads[i];
    if (limbs)
        order.setHexaxialOrder(m_options.hexaxialOrder);
    QVector<RowLead> rows;
    for (int lead : order.visibleLeads(signal.channelCount()))
        rows.append({lead, order.leadInverted(lead), order.leadLabel(signal, lead)});
    return rows;
}

int TErgoReport::rhythmLead() const
{
    const TSignalBuffer& signal = m_signal->filtered();
    if (const TSignalChannel* c = signal.channelByName(m_options.rhythmLead.toUtf8()))
        return c->index();
    if (const TSignalChannel* c = signal.channelByName("II"))
        return c->index();
    return signal.channelCount() > 0 ? 0 : -1;
}

bool TErgoReport::draw(const QString& field, int record, QPainter& painter, const QRectF& rect,
                       double unitsPerMillimetre)
{
    const std::optional<TEcgGraphicLayout> layout = TEcgGraphicLayout::parse(field);
    if (!layout || unitsPerMillimetre <= 0.0)
        return false;
    const TSignalBuffer& signal = m_signal->filtered();
    TEcgReportGraphic graphic(signal, m_options.speed, m_options.amplitude);
    graphic.setCentreTraces(!m_options.baseline);
    const double widthMm = rect.width() / unitsPerMillimetre;

    // The whole layout's stretch of time decides where it starts; the average
    // beats, when shown, are those of that stretch and take room from the traces.
    double start = layout->event ? m_events.value(record).position : m_options.startTime;
    if (m_options.showAverage)
        graphic.setAverageBeats(m_signal->averageBeats(std::max(0.0, start)));
    const double columnSeconds = graphic.traceSeconds(widthMm);
    if (layout->event)
        start = eventStart(record, columnSeconds * layout->columns);
    start += (layout->column - 1) * columnSeconds;

    QVector<TEcgReportGraphic::Row> rows;
    if (layout->rhythm) {
        const int lead = rhythmLead();
        const TSignalChannel* channel = signal.channel(lead);
        rows.append({lead, false, channel ? QString::fromUtf8(channel->name()) : QString()});
    } else {
        const QVector<RowLead> order = rowOrder();
        for (int k = layout->firstRow(); k < layout->firstRow() + layout->rows; ++k) {
            if (k < order.size())
                rows.append({order[k].lead, order[k].inverted, order[k].label});
            else
                rows.append(TEcgReportGraphic::Row());
        }
    }
    graphic.draw(painter, rect, unitsPerMillimetre, rows, start, layout->column == 1);
    return true;
}
