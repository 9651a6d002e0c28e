#include "TErgoReport.h"

#include "DisplaySettings.h"
#include "StoredAverageBeats.h"
#include "TEcgGraphicLayout.h"
#include "TEcgReportGraphic.h"
#include "TMeasurementNorms.h"
#include "TReportImage.h"
#include "TReportMeasurements.h"
#include "TReportSignal.h"
#include "TStressPlots.h"
#include "TStudy.h"
#include "TTreadmillIndices.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QRectF>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

const QString Demo = QStringLiteral("demo/");
const QString Measurement = QStringLiteral("beatMeasurement/");
const QString Stage = QStringLiteral("stage/");
const QString Echo = QStringLiteral("echo/");

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
                                       QStringLiteral("eventInfo"),
                                       QStringLiteral("stagePropsLabel"),
                                       QStringLiteral("STLeadName"),
                                       QStringLiteral("maxHR"),
                                       QStringLiteral("pctMaxHR"),
                                       QStringLiteral("pctSubMaxHR"),
                                       QStringLiteral("maxSysBP"),
                                       QStringLiteral("maxDiaBP"),
                                       QStringLiteral("maxDP"),
                                       QStringLiteral("maxMETS"),
                                       QStringLiteral("maxVO2"),
                                       QStringLiteral("fitness/V150"),
                                       QStringLiteral("fitness/V200"),
                                       QStringLiteral("fitness/recovery1"),
                                       QStringLiteral("fitness/recovery5"),
                                       QStringLiteral("fitness/endHR")};
    return fields;
}

const QStringList& measurementFields()
{
    static const QStringList fields = {
        QStringLiteral("lead"),    QStringLiteral("HR"),         QStringLiteral("RR"),       QStringLiteral("PR"),
        QStringLiteral("P"),       QStringLiteral("QRS"),        QStringLiteral("QT"),       QStringLiteral("QTc"),
        QStringLiteral("T"),       QStringLiteral("TPeakToEnd"), QStringLiteral("QRS_axis"), QStringLiteral("P_amp"),
        QStringLiteral("QRS_amp"), QStringLiteral("T_amp"),      QStringLiteral("R_amp"),    QStringLiteral("QTcFormula"),
        QStringLiteral("ranges")};
    return fields;
}

const QString RangeField = QStringLiteral("range/");

const QStringList& echoFields()
{
    static const QStringList fields = {QStringLiteral("segment"),   QStringLiteral("rest"),
                                       QStringLiteral("peak"),      QStringLiteral("post"),
                                       QStringLiteral("indexRest"), QStringLiteral("indexPeak"),
                                       QStringLiteral("indexPost")};
    return fields;
}

// The channel named name, else the first.
int channelOf(const TSignalBuffer* recording, const QString& name)
{
    if (!recording || recording->channelCount() == 0)
        return -1;
    const TSignalChannel* channel = recording->channelByName(name.toUtf8());
    return channel ? channel->index() : 0;
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
    const int whole = seconds > 0.0 ? TReportStages::whole(std::floor(seconds + 1e-9)) : 0;
    return QString::asprintf("%02d:%02d", whole / 60, whole % 60);
}

// "12.5" and "25": the number as the user chose it.
QString scaleNumber(double value)
{
    return QString::number(value, 'g', 4);
}

} // namespace

TErgoReport::TErgoReport(TStudy& study, const TReportOptions& options)
    : m_study(study), m_options(options), m_stLead(channelOf(study.recording(), options.stLead)),
      m_stages(study.protocol(), study.results(), m_stLead, TStageTable::workloadUnitFromSettings(),
               options.showExpectedStageDuration)
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
    {
        const QString name = field.mid(Measurement.size());
        if (name.startsWith(RangeField))
            return name.size() > RangeField.size();
        return measurementFields().contains(name);
    }
    if (field.startsWith(Stage))
        return TReportStages::isColumn(field.mid(Stage.size()));
    if (field.startsWith(Echo))
        return echoFields().contains(field.mid(Echo.size()));
    if (TStressPlots::isPlotField(field))
        return true;
    if (TEcgGraphicLayout::isGraphicField(field))
        return TEcgGraphicLayout::parse(field).has_value();
    return valueFields().contains(field) || imageFields().contains(field);
}

int TErgoReport::recordCount(const QString& dataset)
{
    if (dataset == QLatin1String("events"))
        return m_events.size();
    if (dataset == QLatin1String("stages"))
        return m_stages.count();
    if (dataset == QLatin1String("echoSegments")) {
        const std::optional<TEchoScoring>& scoring = m_study.record().echoScoring;
        return scoring && !scoring->isEmpty() ? TEchoScoring::SegmentCount : 0;
    }
    if (dataset == QLatin1String("trendGraphics"))
        return m_options.printStressGraphics ? 1 : 0;
    // The fitness indices belong to treadmill tests.
    if (dataset == QLatin1String("treadmillIndices"))
        return m_study.record().protocol && m_study.record().protocol->type() == 0 ? 1 : 0;
    return 0;
}

QString TErgoReport::studyValue(const QString& path) const
{
    return m_study.record().property(path);
}

QString TErgoReport::measurementValue(const QString& name) const
{
    const TReportMeasurements m(m_study.results());
    const std::optional<int> lead = m.lead();
    const TSignalChannel* channel = lead && m_study.recording() ? m_study.recording()->channel(*lead) : nullptr;
    const QString leadName = channel ? QString::fromUtf8(channel->name()) : QString();
    if (name == QLatin1String("lead"))
        return leadName;
    // The values the species' ranges bound carry their mark ("172 H"), which
    // survives black-and-white printing; the range stands beside them.
    const TMeasurementNorms norms(m_study.record(), m_study.results(), leadName);
    if (name == QLatin1String("QTcFormula"))
        return norms.formula().name();
    if (name == QLatin1String("ranges"))
        return norms.basisText() +
               (norms.assessment().knowsSpecies()
                    ? QCoreApplication::translate("TErgoReport", ". H: above the range, L: below it.")
                    : QString());
    if (name.startsWith(RangeField)) {
        const TMeasurementNorms::Item* item = norms.item(name.mid(RangeField.size()));
        return item ? TMeasurementNorms::rangeText(*item) : QString();
    }
    // A value withheld or not found in a measured study reads "--".
    const bool measured = lead.has_value();
    if (const TMeasurementNorms::Item* item = norms.item(name)) {
        const QString marked = item->quantity ? TMeasurementNorms::markedText(*item) : QString();
        if (!marked.isEmpty())
            return marked;
    }
    if (name == QLatin1String("HR"))
        return TReportMeasurements::text(m.heartRate(), measured);
    if (name == QLatin1String("RR"))
        return TReportMeasurements::text(m.rrMs(), measured);
    if (name == QLatin1String("PR"))
        return TReportMeasurements::text(m.prMs(), measured);
    if (name == QLatin1String("P"))
        return TReportMeasurements::text(m.pMs(), measured);
    if (name == QLatin1String("QRS"))
        return TReportMeasurements::text(m.qrsMs(), measured);
    if (name == QLatin1String("QT"))
        return TReportMeasurements::text(m.qtMs(), measured);
    if (name == QLatin1String("QTc"))
        return TReportMeasurements::text(m.qtcMs(norms.formula()), measured);
    if (name == QLatin1String("T"))
        return TReportMeasurements::text(m.tMs(), measured);
    if (name == QLatin1String("TPeakToEnd"))
        return TReportMeasurements::text(m.tPeakToEndMs(), measured);
    if (name == QLatin1String("QRS_axis"))
        return TReportMeasurements::text(m.qrsAxis(), measured);
    if (name == QLatin1String("P_amp"))
        return TReportMeasurements::millivolts(m.pAmplitude(), measured);
    if (name == QLatin1String("QRS_amp"))
        return TReportMeasurements::millivolts(m.qrsAmplitude(), measured);
    if (name == QLatin1String("T_amp"))
        return TReportMeasurements::millivolts(m.tAmplitude(), measured);
    if (norms.item(name))
        return TReportMeasurements::missing(measured);
    return QString();
}

QString TErgoReport::resultValue(const QString& field) const
{
    const TStudyResults& results = m_study.results();
    auto result = [&](const char* name) {
        const double* v = results.value(QLatin1String(name));
        return v && std::isfinite(*v) && std::abs(*v) < 1e9 ? *v : 0.0;
    };
    auto whole = [](double v) { return QString::number(TReportStages::whole(v)); };
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
    // No pressure taken is none, as the stage table prints it, not 0 mmHg.
    auto measured = [&](const char* name) {
        return result(name) > 0.0 ? whole(result(name)) : QStringLiteral("--");
    };
    if (field == QLatin1String("maxSysBP"))
        return measured("maxSysBP");
    if (field == QLatin1String("maxDiaBP"))
        return measured("maxDiaBP");
    if (field == QLatin1String("maxDP"))
        return measured("maxDP");
    if (field == QLatin1String("maxMETS"))
        return QString::asprintf("%.1f", result("maxMETS"));
    if (field == QLatin1String("maxVO2"))
        return QString::asprintf("%.1f", result("maxVO2"));
    if (field.startsWith(QLatin1String("fitness/")) && m_study.record().protocol) {
        const TTreadmillIndices f = TTreadmillIndices::of(*m_study.record().protocol, results);
        if (field == QLatin1String("fitness/V150"))
            return TTreadmillIndices::speedText(f.v150);
        if (field == QLatin1String("fitness/V200"))
            return TTreadmillIndices::speedText(f.v200);
        if (field == QLatin1String("fitness/recovery1"))
            return f.recovery1Text();
        if (field == QLatin1String("fitness/recovery5"))
            return f.recovery5Text();
        if (field == QLatin1String("fitness/endHR"))
            return f.endHeartRate ? QStringLiteral("%1/min").arg(qRound(*f.endHeartRate)) : QStringLiteral("--");
    }
    return QString();
}

QString TErgoReport::patientId(bool label) const
{
    const TStudyRecord& r = m_study.record();
    const QString history = r.patientProperty(QStringLiteral("medicalHistoryNumber"));
    if (!history.isEmpty())
        return label ? QCoreApplication::translate("TErgoReport", "ID / #H.C.") : history;
    if (label)
        return QCoreApplication::translate("TErgoReport", "Doc.");
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
    if (field.startsWith(Stage))
        return m_stages.value(field.mid(Stage.size()), record);
    if (field.startsWith(Echo))
        return echoValue(field.mid(Echo.size()), record);
    if (field == QLatin1String("stagePropsLabel"))
        return m_stages.propsLabel();
    if (field == QLatin1String("STLeadName")) {
        const TSignalChannel* channel = m_stLead >= 0 ? m_study.recording()->channel(m_stLead) : nullptr;
        return channel ? QString::fromUtf8(channel->name()) : QString();
    }
    if (field == QLatin1String("eventInfo"))
        return eventInfo(record);
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

QString TErgoReport::eventInfo(int record) const
{
    if (record < 0 || record >= m_events.size())
        return QString();
    const TStudyEvent& event = m_events[record];
    const double end = event.position + std::max(0.0, event.duration);
    // The heart rate over the event's stretch (at its start for one too short
    // to hold a beat).
    QString heartRate = QStringLiteral("--");
    if (const TTrend* hr = m_study.results().trend(QStringLiteral("BPMTrend")); hr && !hr->isEmpty()) {
        double sum = 0.0;
        int n = 0;
        for (int i = 0; i < hr->size(); ++i)
            if (hr->time(i) >= event.position && hr->time(i) <= end && std::isfinite(hr->value(i))) {
                sum += hr->value(i);
                ++n;
            }
        const double rate = n > 0 ? sum / n : hr->valueAt(event.position);
        if (std::isfinite(rate) && rate > 0.0)
            heartRate = QString::number(TReportStages::whole(std::round(rate)));
    }
    // The last reading taken by the event's end.
    QString systolic = QStringLiteral("--");
    QString diastolic = QStringLiteral("--");
    const TTrend* sys = m_study.results().trend(QStringLiteral("sysBPTrend"));
    const TTrend* dia = m_study.results().trend(QStringLiteral("diaBPTrend"));
    if (sys && dia) {
        for (int i = std::min(sys->size(), dia->size()) - 1; i >= 0; --i)
            if (sys->time(i) <= end + 1e-6) {
                systolic = QString::number(TReportStages::whole(sys->value(i)));
                diastolic = QString::number(TReportStages::whole(dia->value(i)));
                break;
            }
    }
    return QCoreApplication::translate("TErgoReport", "%1 - %2 - HR: %3 - BP: %4/%5")
        .arg(clockTime(event.position), m_stages.stageName(m_stages.stageAt(event.position)), heartRate, systolic,
             diastolic);
}

QString TErgoReport::echoValue(const QString& name, int record) const
{
    const std::optional<TEchoScoring>& scoring = m_study.record().echoScoring;
    if (!scoring)
        return QString();
    auto index = [&](TEchoScoring::Phase phase) {
        const std::optional<double> wmsi = scoring->scoreIndex(phase);
        return wmsi ? QString::asprintf("%.2f", *wmsi) : QStringLiteral("--");
    };
    if (name == QLatin1String("indexRest"))
        return index(TEchoScoring::Rest);
    if (name == QLatin1String("indexPeak"))
        return index(TEchoScoring::Peak);
    if (name == QLatin1String("indexPost"))
        return index(TEchoScoring::Post);
    const int segment = record + 1;
    if (segment < 1 || segment > TEchoScoring::SegmentCount)
        return QString();
    if (name == QLatin1String("segment"))
        return TEchoScoring::segmentDisplayName(segment);
    // "2 Hypokinetic"; "--" for a segment not seen.
    auto score = [&](TEchoScoring::Phase phase) {
        const int value = scoring->score(phase, segment);
        return TEchoScoring::isScore(value) ? QStringLiteral("%1 %2").arg(value).arg(TEchoScoring::scoreName(value))
                                            : QStringLiteral("--");
    };
    if (name == QLatin1String("rest"))
        return score(TEchoScoring::Rest);
    if (name == QLatin1String("peak"))
        return score(TEchoScoring::Peak);
    if (name == QLatin1String("post"))
        return score(TEchoScoring::Post);
    return QString();
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
    if (unitsPerMillimetre <= 0.0)
        return false;
    if (TStressPlots::isPlotField(field)) {
        const std::optional<TReportPlot> plot =
            TStressPlots::build(field, m_study, m_stLead, value(QStringLiteral("STLeadName"), 0, 0));
        plot->draw(painter, rect, unitsPerMillimetre);
        return true;
    }
    return drawEcg(field, record, painter, rect, unitsPerMillimetre);
}

bool TErgoReport::drawEcg(const QString& field, int record, QPainter& painter, const QRectF& rect,
                          double unitsPerMillimetre)
{
    const std::optional<TEcgGraphicLayout> parsed = TEcgGraphicLayout::parse(field);
    if (!parsed)
        return false;
    // The dialog's layouts print only the one chosen.
    if (parsed->isChoice() && parsed->choiceName() != TReportOptions::normalLayout(m_options.layout))
        return true;
    const TSignalBuffer& signal = m_signal->filtered();
    const QVector<RowLead> order = rowOrder();
    const std::optional<TEcgGraphicLayout> layout = parsed->forLeads(order.size());
    TEcgReportGraphic graphic(signal, m_options.speed, m_options.amplitude);
    graphic.setCentreTraces(!m_options.baseline);
    const double widthMm = rect.width() / unitsPerMillimetre;

    // The whole layout's stretch of time decides where it starts; the average
    // beats, when shown, are those of that stretch and take room from the traces.
    double start = layout->event ? m_events.value(record).position : m_options.startTime;
    // The rhythm strip is about the rhythm: no average beat in front of it.
    if (m_options.showAverage && !layout->rhythm)
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
