#pragma once

#include <QString>

class QWidget;
class TStudy;

// What both review windows do for "Export EDF+...": ask for the file, write the
// study's recording there, and show a failure in a warning box over the window.
class EdfExportPrompt
{
public:
    // The file dialog (the default name as the privacy setting has it; ".edf"
    // added when no suffix is typed), then the export. False when cancelled or failed.
    static bool run(QWidget* window, const TStudy& study);
    // The export to path; false (after the warning box) when it failed.
    static bool write(QWidget* window, const TStudy& study, const QString& path);
};
