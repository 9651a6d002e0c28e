#pragma once

#include <QString>
#include <QStringList>

// The study browser's "Find by name" filter: the text split at blanks into
// words, each of which must occur in a row's patient text, in any letter case
// and any order. An empty filter lets every row through.
class TStudyFilter
{
public:
    explicit TStudyFilter(const QString& text = QString());

    bool isEmpty() const { return m_words.isEmpty(); }
    bool matches(const QString& patientText) const;
    QStringList words() const { return m_words; }

private:
    QStringList m_words;
};
