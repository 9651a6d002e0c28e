#include "TStudyFilter.h"

#include <QRegularExpression>

TStudyFilter::TStudyFilter(const QString& text)
    : m_words(text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
{
}

bool TStudyFilter::matches(const QString& patientText) const
{
    for (const QString& word : m_words) {
        if (!patientText.contains(word, Qt::CaseInsensitive))
            return false;
    }
    return true;
}
