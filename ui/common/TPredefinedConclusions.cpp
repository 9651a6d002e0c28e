#include "TPredefinedConclusions.h"

#include <algorithm>

TPredefinedConclusions::TPredefinedConclusions(const QStringList& sentences, bool alphabetical)
    : m_sentences(sentences), m_alphabetical(alphabetical)
{
    if (m_alphabetical)
        sort();
}

void TPredefinedConclusions::sort()
{
    std::stable_sort(m_sentences.begin(), m_sentences.end(), [](const QString& a, const QString& b) {
        return QString::localeAwareCompare(a.toCaseFolded(), b.toCaseFolded()) < 0;
    });
}

void TPredefinedConclusions::setAlphabetical(bool on)
{
    m_alphabetical = on;
    if (on)
        sort();
}

int TPredefinedConclusions::add(const QString& sentence)
{
    m_sentences.append(sentence);
    if (!m_alphabetical)
        return m_sentences.size() - 1;
    sort();
    return m_sentences.indexOf(sentence);
}

int TPredefinedConclusions::replace(int row, const QString& sentence)
{
    if (!valid(row))
        return row;
    m_sentences[row] = sentence;
    if (!m_alphabetical)
        return row;
    sort();
    return m_sentences.indexOf(sentence);
}

void TPredefinedConclusions::remove(int row)
{
    if (valid(row))
        m_sentences.removeAt(row);
}

int TPredefinedConclusions::moveUp(int row)
{
    if (m_alphabetical || !valid(row) || row == 0)
        return row;
    m_sentences.swapItemsAt(row, row - 1);
    return row - 1;
}

int TPredefinedConclusions::moveDown(int row)
{
    if (m_alphabetical || !valid(row) || row == m_sentences.size() - 1)
        return row;
    m_sentences.swapItemsAt(row, row + 1);
    return row + 1;
}
