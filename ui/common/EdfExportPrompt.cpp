#include "EdfExportPrompt.h"

#include "TEdfExport.h"
#include "WaitCursor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include <exception>

bool EdfExportPrompt::run(QWidget* window, const TStudy& study)
{
    const QString name = TEdfExport::defaultFileName(study, TEdfExport::anonymousFromSettings());
    QString path = QFileDialog::getSaveFileName(window, QCoreApplication::translate("EdfExportPrompt", "Export EDF+"),
                                                QDir::home().filePath(name),
                                                QCoreApplication::translate("EdfExportPrompt", "EDF+ files (*.edf)"));
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".edf");
    return write(window, study, path);
}

bool EdfExportPrompt::write(QWidget* window, const TStudy& study, const QString& path)
{
    try {
        WaitCursor wait;
        TEdfExport::write(study, path, TEdfExport::anonymousFromSettings());
        return true;
    } catch (const std::exception& e) {
        QMessageBox::warning(window, QCoreApplication::translate("EdfExportPrompt", "Warning"),
                             QString::fromLocal8Bit(e.what()));
    }
    return false;
}
