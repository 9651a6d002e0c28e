#pragma once

#include <QString>
#include <QStringList>

// Where the program's own files are: the demo recording and the translations.
// In the build tree they lie beside the program; installed under a prefix the
// program is <prefix>/bin/velmora and its files are in <prefix>/share/velmora,
// found relative to the program's folder so that any prefix works. Qt's own
// translations (qt_es) come from Qt's translations folder when they are not
// beside the program.
class TResourceFolders
{
public:
    // The installed data folder, relative to the program's folder.
    static constexpr const char* InstalledDataFolder = "../share/velmora";
    // The translations' folder inside the installed data folder.
    static constexpr const char* TranslationsSubfolder = "translations";

    TResourceFolders(const QString& programFolder, const QString& qtTranslationsFolder);
    // The running program's folder and Qt's translations folder; the working
    // directory when there is no application object yet.
    static TResourceFolders ofProgram();

    // The folders that hold the program's data files, in the order they are
    // searched: the program's folder, then the installed data folder.
    QStringList dataFolders() const;
    // The folders that hold translation files, in search order: the program's
    // folder, the installed translations, the installed data folder, Qt's.
    QStringList translationFolders() const;

    // The path of the first data file of that name; empty when there is none.
    QString dataFile(const QString& fileName) const;
    // The path of the first "<baseName>.qm"; empty when there is none.
    QString translationFile(const QString& baseName) const;

private:
    static QString firstExisting(const QStringList& folders, const QString& fileName);

    QString m_programFolder;
    QString m_qtTranslationsFolder;
};
