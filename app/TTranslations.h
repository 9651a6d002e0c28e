#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTranslator>

#include <memory>
#include <vector>

// The program's Spanish translations, installed when the user's locale asks for
// Spanish; any other locale keeps the English source texts. A translation that
// does not load is skipped: the texts it would have translated stay in English.
class TTranslations
{
public:
    // The base names, in the order they are installed.
    static QStringList baseNames();

    // Whether the locale's language has the translations.
    static bool wanted(const QLocale& locale);

    // Loads and installs every translation found in the first of folders that
    // has it; Qt's own ("qt_es") also from Qt's translation folder. Nothing
    // when the locale is not Spanish. The application must exist; the
    // translators returned stay installed while they live.
    static std::vector<std::unique_ptr<QTranslator>> install(const QStringList& folders,
                                                             const QLocale& locale = QLocale::system());

    // While it lives, the translators are taken out: for output that scripts
    // read, which stays the same in every locale.
    class Suspended
    {
    public:
        explicit Suspended(const std::vector<std::unique_ptr<QTranslator>>& translators);
        ~Suspended();
        Suspended(const Suspended&) = delete;
        Suspended& operator=(const Suspended&) = delete;

    private:
        const std::vector<std::unique_ptr<QTranslator>>& m_translators;
    };
};
