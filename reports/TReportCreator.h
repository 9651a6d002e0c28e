#pragma once

#include "TReportOptions.h"

#include <QString>

#include <functional>

class TStudy;
class TStudyStore;

// Makes a study's report into a PDF the way the report dialog does, with or
// without the dialog: the file "<data folder>/reports/<base name>.pdf", the
// report status stored with the study at once, and the copy to the report
// export folder when the settings ask for one.
class TReportCreator
{
public:
    struct Result
    {
        QString path;        // the PDF written
        QString exportError; // the warning of a copy that failed; empty otherwise
    };

    // "%1/reports" under the data folder, and the PDF of a base name in it.
    static QString reportFolder(const QString& root);
    static QString pdfPath(const QString& root, const QString& baseFilename);

    // Throws TException with the warning the user sees when the report cannot be
    // made or written; nothing is then written to the study record. A copy to the
    // export folder that fails does not undo the report: its warning comes back
    // in the result.
    static Result createPdf(TStudy& study, TStudyStore& store, const TReportOptions& options,
                            const std::function<void(int page, int pages)>& progress = {});

    // Records that the study has a report and stores the record now.
    static void markReported(TStudy& study, TStudyStore& store);

    // The folder reports of the study type are copied to: "Config/ExportEcgReportFolder"
    // for "ECG", "Config/ExportStressReportFolder" for any other; empty when
    // "Config/AutoExportReports" is off or the folder is not set.
    static QString exportFolder(const QString& studyType);
    // Copies the PDF into folder under its own name, replacing an older copy only
    // once the new one is whole. Throws TException with the export warning.
    static void exportCopy(const QString& pdfPath, const QString& folder);
    static QString exportFailedText(const QString& folder);
};
