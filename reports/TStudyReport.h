#pragma once

#include "TReportOptions.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QPrinter;
class TErgoReport;
class TReportDocument;
class TStudy;

// One study's report, laid out and ready to go to a PDF file, a printer or an
// image: the template chosen by the study type and report model, filled by the
// study's report data.
class TStudyReport
{
public:
    // The template of a study type ("ECG", "Tilt test", any other a stress test)
    // and report model.
    static QString templatePath(const QString& studyType, bool tracesOnly);
    // The templates a report is made of, in order: a stress test's report goes
    // on with the pages of its stage events.
    static QStringList templatePaths(const QString& studyType, bool tracesOnly);
    static constexpr const char* StageEventsTemplate = ":/res/stressStageReport1.xml";

    // Throws TException: "Cannot load report resource file" when the template
    // does not load, or the filters' message when they cannot be built.
    TStudyReport(TStudy& study, const TReportOptions& options);
    ~TStudyReport();

    TStudyReport(const TStudyReport&) = delete;
    TStudyReport& operator=(const TStudyReport&) = delete;

    int pageCount() const;
    TReportDocument& document() { return *m_document; }
    TErgoReport& data() { return *m_data; }
    // "Last, First - dd/MM/yyyy": the PDF's title.
    QString title() const;

    void setProgress(std::function<void(int page, int pages)> progress);

    // Writes the PDF to path through a temporary file in the same folder, which
    // takes the path's place only once all of it is written. Throws TException
    // with the warning the user sees when the folder cannot be written or the
    // disk fills up; an older file at path is then left as it was.
    void writePdf(const QString& path);
    // Prints on printer; false when printing could not begin or end.
    bool print(QPrinter& printer);

    static QString writeFailedText(const QString& path);

private:
    TStudy& m_study;
    std::unique_ptr<TErgoReport> m_data;
    std::unique_ptr<TReportDocument> m_document;
};
