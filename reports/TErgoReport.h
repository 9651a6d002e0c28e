#pragma once

#include "TReportDataSource.h"
#include "TReportOptions.h"
#include "TReportStages.h"

#include <QStringList>
#include <QVector>

#include <memory>

class TReportSignal;
class TStudy;
struct TStudyEvent;

// The report code's side of a study report: answers the template engine with the
// value, image or drawing behind every field name of the study report templates,
// and with the records of their data sets: "events" (the events marked for
// printing, in list order), "stages" (the executed stages), "echoSegments" (the
// 16 wall segments of the echo scoring, none when the study has no scores) and
// "trendGraphics" (one record when the trend plots are printed, none otherwise).
class TErgoReport : public TReportDataSource
{
public:
    static constexpr const char* BrandLogo = ":/res/logo-cardivex-report.png";

    // The study is not owned and must outlive the report. Builds the filtered
    // signal at once: throws TException when the filters cannot be built.
    TErgoReport(TStudy& study, const TReportOptions& options);
    ~TErgoReport() override;

    int recordCount(const QString& dataset) override;
    QString value(const QString& field, int record, int page) override;
    QImage image(const QString& field, int record) override;
    bool draw(const QString& field, int record, QPainter& painter, const QRectF& rect,
              double unitsPerMillimetre) override;

    // Whether the report answers a field name (a value, an image or a drawing).
    static bool answers(const QString& field);

    const TReportOptions& options() const { return m_options; }
    // The events the report prints.
    const QVector<TStudyEvent>& printedEvents() const { return m_events; }
    // The recording channel whose ST the report shows: the options' ST lead,
    // the first lead when the recording has none of that name.
    int stLead() const { return m_stLead; }
    const TReportStages& stages() const { return m_stages; }
    // "%1 - %2 - HR: %3 - BP: %4/%5": time, stage, heart rate and the last blood
    // pressure taken by the event's end.
    QString eventInfo(int record) const;
    // Where an event's graphic of the given length starts: at the event, moved
    // earlier when it would run past the end of the recording, never before 0.
    double eventStart(int record, double seconds) const;

    // The lead of every row, in the report's row order (hexaxial when chosen and
    // the first six leads are the limb leads), with inversion and label.
    struct RowLead
    {
        int lead;
        bool inverted;
        QString label;
    };
    QVector<RowLead> rowOrder() const;

private:
    QString studyValue(const QString& path) const;
    QString measurementValue(const QString& name) const;
    QString resultValue(const QString& field) const;
    QString patientId(bool label) const;
    QString bmi() const;
    QString riskFactors() const;
    QString echoValue(const QString& name, int record) const;
    int rhythmLead() const;
    bool drawEcg(const QString& field, int record, QPainter& painter, const QRectF& rect, double unitsPerMillimetre);

    TStudy& m_study;
    TReportOptions m_options;
    QVector<TStudyEvent> m_events;
    std::unique_ptr<TReportSignal> m_signal;
    int m_stLead = -1;
    TReportStages m_stages;
};
