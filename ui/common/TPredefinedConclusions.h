#pragma once

#include <QStringList>

// The list of predefined conclusion sentences of a review window: kept in the
// user's order, or alphabetically; moving a sentence works only in the user's
// order.
class TPredefinedConclusions
{
public:
    TPredefinedConclusions(const QStringList& sentences = QStringList(), bool alphabetical = false);

    const QStringList& sentences() const { return m_sentences; }
    bool isAlphabetical() const { return m_alphabetical; }
    // Turning alphabetical order on sorts the list (case-insensitively).
    void setAlphabetical(bool on);

    // Appends a sentence (sorted into place in alphabetical order); its row.
    int add(const QString& sentence);
    // Replaces the sentence of a row; its row afterwards.
    int replace(int row, const QString& sentence);
    void remove(int row);
    // The row the sentence moved to; the same row when it cannot move.
    int moveUp(int row);
    int moveDown(int row);

private:
    void sort();
    bool valid(int row) const { return row >= 0 && row < m_sentences.size(); }

    QStringList m_sentences;
    bool m_alphabetical;
};
