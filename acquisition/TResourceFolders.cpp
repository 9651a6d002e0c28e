#include "TResourceFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>

TResourceFolders::TResourceFolders(const QString& programFolder, const QString& qtTranslationsFolder)
    : m_programFolder(QDir::cleanPath(programFolder)), m_qtTranslationsFolder(qtTranslationsFolder)
{
}

TResourceFolders TResourceFolders::ofProgram()
{
    const QString program = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    return TResourceFolders(program, QLibraryInfo::location(QLibraryInfo::TranslationsPath));
}

QStringList TResourceFolders::dataFolders() const
{
    return {m_programFolder, QDir::cleanPath(m_programFolder + QLatin1Char('/') + QLatin1String(InstalledDataFolder))};
}

QStringList TResourceFolders::translationFolders() const
{
    const QString installed = dataFolders().at(1);
    QStringList folders{m_programFolder, installed + QLatin1Char('/') + QLatin1String(TranslationsSubfolder), installed};
    if (!m_qtTranslationsFolder.isEmpty())
        folders.append(QDir::cleanPath(m_qtTranslationsFolder));
    folders.removeDuplicates();
    return folders;
}

QString TResourceFolders::dataFile(const QString& fileName) const
{
    return firstExisting(dataFolders(), fileName);
}

QString TResourceFolders::translationFile(const QString& baseName) const
{
    return firstExisting(translationFolders(), baseName + QLatin1String(".qm"));
}

QString TResourceFolders::firstExisting(const QStringList& folders, const QString& fileName)
{
    if (fileName.isEmpty())
        return QString();
    for (const QString& folder : folders) {
        const QFileInfo file(QDir(folder).filePath(fileName));
        if (file.isFile())
            return file.filePath();
    }
    return QString();
}
