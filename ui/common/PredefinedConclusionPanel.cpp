#include "PredefinedConclusionPanel.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSignalBlocker>

PredefinedConclusionPanel::PredefinedConclusionPanel(QListWidget* list, QAbstractButton* up, QAbstractButton* down,
                                                     QAbstractButton* alphabetical, QPlainTextEdit* conclusion,
                                                     QObject* parent)
    : QObject(parent), m_list(list), m_up(up), m_down(down), m_alphabetical(alphabetical), m_conclusion(conclusion)
{
    connect(m_list, &QListWidget::itemChanged, this, &PredefinedConclusionPanel::itemChanged);
}

void PredefinedConclusionPanel::readSettings(const QString& group)
{
    const QSettings settings;
    m_model = TPredefinedConclusions(
        settings.value(group + QStringLiteral("/PredefinedConclusionList"), QStringList()).toStringList(),
        settings.value(group + QStringLiteral("/PredefinedConclusionListAlphaSort"), false).toBool());
    {
        const QSignalBlocker blocker(m_alphabetical);
        m_alphabetical->setChecked(m_model.isAlphabetical());
    }
    fill();
}

void PredefinedConclusionPanel::writeSettings(const QString& group) const
{
    QSettings settings;
    settings.setValue(group + QStringLiteral("/PredefinedConclusionList"), m_model.sentences());
    settings.setValue(group + QStringLiteral("/PredefinedConclusionListAlphaSort"), m_model.isAlphabetical());
}

void PredefinedConclusionPanel::fill(int currentRow)
{
    m_filling = true;
    m_list->clear();
    for (const QString& sentence : m_model.sentences()) {
        auto* item = new QListWidgetItem(sentence, m_list);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    if (currentRow >= 0)
        m_list->setCurrentRow(currentRow);
    m_filling = false;
    const bool ordered = !m_model.isAlphabetical();
    m_up->setEnabled(ordered);
    m_down->setEnabled(ordered);
}

void PredefinedConclusionPanel::itemChanged(QListWidgetItem* item)
{
    if (m_filling)
        return;
    const int row = m_model.replace(m_list->row(item), item->text());
    if (m_model.isAlphabetical())
        fill(row);
}

void PredefinedConclusionPanel::add()
{
    const int row = m_model.add(tr("Enter conclusion"));
    fill(row);
    if (QListWidgetItem* item = m_list->item(row))
        m_list->editItem(item);
}

void PredefinedConclusionPanel::removeCurrent()
{
    const int row = m_list->currentRow();
    if (row < 0)
        return;
    m_model.remove(row);
    fill(qMin(row, m_model.sentences().size() - 1));
}

void PredefinedConclusionPanel::moveUp()
{
    fill(m_model.moveUp(m_list->currentRow()));
}

void PredefinedConclusionPanel::moveDown()
{
    fill(m_model.moveDown(m_list->currentRow()));
}

void PredefinedConclusionPanel::setAlphabetical(bool on)
{
    m_model.setAlphabetical(on);
    fill(m_list->currentRow());
}

void PredefinedConclusionPanel::appendToConclusion(const QModelIndex& index)
{
    const QString sentence = m_model.sentences().value(index.row());
    if (sentence.isEmpty())
        return;
    const QString text = m_conclusion->toPlainText();
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        m_conclusion->appendPlainText(sentence);
    else
        m_conclusion->insertPlainText(sentence);
}
