#include "TTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

QStringList TTranslations::baseNames()
{
    return {QStringLiteral("qt_es"), QStringLiteral("CardivexStressECG_es"), QStringLiteral("report_es")};
}

bool TTranslations::wanted(const QLocale& locale)
{
    return locale.language() == QLocale::Spanish;
}

std::vector<std::unique_ptr<QTranslator>> TTranslations::install(const QStringList& folders, const QLocale& locale)
{
    std::vector<std::unique_ptr<QTranslator>> installed;
    if (!wanted(locale))
        return installed;
    for (const QString& name : baseNames()) {
        QStringList places = folders;
        // Qt's own texts (standard buttons, file dialogs) come with Qt.
        if (name == QLatin1String("qt_es"))
            places << QLibraryInfo::location(QLibraryInfo::TranslationsPath);
        for (const QString& folder : places) {
            auto translator = std::make_unique<QTranslator>();
            if (translator->load(name, folder)) {
                QCoreApplication::installTranslator(translator.get());
                installed.push_back(std::move(translator));
                break;
            }
        }
    }
    return installed;
}

TTranslations::Suspended::Suspended(const std::vector<std::unique_ptr<QTranslator>>& translators)
    : m_translators(translators)
{
    for (const auto& translator : m_translators)
        QCoreApplication::removeTranslator(translator.get());
}

TTranslations::Suspended::~Suspended()
{
    for (const auto& translator : m_translators)
        QCoreApplication::installTranslator(translator.get());
}
