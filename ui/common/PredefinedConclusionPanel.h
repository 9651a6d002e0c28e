#pragma once

#include "TPredefinedConclusions.h"

#include <QObject>
#include <QString>

class QAbstractButton;
class QListWidget;
class QListWidgetItem;
class QModelIndex;
class QPlainTextEdit;

// The predefined conclusion sentences of a review window: shown in a list the
// user edits in place, reordered with the Up and Down buttons (disabled while
// sorted), kept in the settings under a group of the window's, and appended to
// the conclusion text when double-clicked. The window's slots call it.
class PredefinedConclusionPanel : public QObject
{
    Q_OBJECT

public:
    // None of the widgets is owned; they outlive the panel.
    PredefinedConclusionPanel(QListWidget* list, QAbstractButton* up, QAbstractButton* down,
                              QAbstractButton* alphabetical, QPlainTextEdit* conclusion, QObject* parent = nullptr);

    // "<group>/PredefinedConclusionList" and "<group>/PredefinedConclusionListAlphaSort".
    void readSettings(const QString& group);
    void writeSettings(const QString& group) const;

    const TPredefinedConclusions& sentences() const { return m_model; }

    // Inserts an editable row "Enter conclusion" and opens it for editing.
    void add();
    // The selected row; nothing without one.
    void removeCurrent();
    void moveUp();
    void moveDown();
    void setAlphabetical(bool on);
    // Appends the sentence of the row as a new paragraph of the conclusion.
    void appendToConclusion(const QModelIndex& index);

private:
    void fill(int currentRow = -1);
    void itemChanged(QListWidgetItem* item);

    QListWidget* m_list;
    QAbstractButton* m_up;
    QAbstractButton* m_down;
    QAbstractButton* m_alphabetical;
    QPlainTextEdit* m_conclusion;
    TPredefinedConclusions m_model;
    bool m_filling = false;
};
