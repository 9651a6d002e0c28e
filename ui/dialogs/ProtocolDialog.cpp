#include "ProtocolDialog.h"

#include "ui_ProtocolDialog.h"

#include "TStageTable.h"

#include <QKeyEvent>
#include <QPushButton>

namespace {

const int ColumnGap = 28;

} // namespace

ProtocolDialog::ProtocolDialog(const QString& name, const TProtocol& protocol, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ProtocolDialog>()),
      m_editor(protocol, TStageTable::workloadUnitFromSettings())
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    ui->treeStages->installEventFilter(this);
    ui->cboPhase->setCurrentIndex(TProtocolStage::Exercise);
    {
        const QSignalBlocker blocker(ui->cboProtocolType);
        ui->txtProtocolName->setText(name);
        // A type the combo does not offer leaves it as it is.
        const int index = TProtocolEditor::indexOfType(protocol.type());
        if (index >= 0)
            ui->cboProtocolType->setCurrentIndex(index);
    }
    fillTable(-1);
    updateState();
}

ProtocolDialog::~ProtocolDialog() = default;

QString ProtocolDialog::name() const
{
    return m_accepted ? m_acceptedName : ui->txtProtocolName->text();
}

TProtocol ProtocolDialog::protocol() const
{
    TProtocol p = m_editor.protocol();
    p.setName(name().toUtf8());
    return p;
}

int ProtocolDialog::currentRow() const
{
    const QTreeWidgetItem* item = ui->treeStages->currentItem();
    return item ? ui->treeStages->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) : -1;
}

void ProtocolDialog::fillTable(int row)
{
    const QSignalBlocker blocker(ui->treeStages);
    const QStringList headers = m_editor.headers();
    ui->treeStages->setColumnCount(headers.size());
    ui->treeStages->setHeaderLabels(headers);
    const int rows = m_editor.protocol().stageCount();
    // Rows are rewritten in place: the table is refilled from its own
    // itemChanged, while the edited item is still in use.
    while (ui->treeStages->topLevelItemCount() > rows)
        delete ui->treeStages->takeTopLevelItem(ui->treeStages->topLevelItemCount() - 1);
    for (int k = 0; k < rows; ++k) {
        QTreeWidgetItem* item = ui->treeStages->topLevelItem(k);
        if (!item) {
            item = new QTreeWidgetItem(ui->treeStages);
            item->setFlags(item->flags() | Qt::ItemIsEditable);
        }
        const QStringList cells = m_editor.row(k);
        for (int c = 0; c < headers.size(); ++c) {
            item->setText(c, cells.value(c));
            item->setTextAlignment(c, c == 0 ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                             : int(Qt::AlignRight | Qt::AlignVCenter));
        }
    }
    if (row >= 0 && row < rows)
        ui->treeStages->setCurrentItem(ui->treeStages->topLevelItem(row));
    // Values stand right-aligned under their headings, with room between the
    // columns so that a duration does not run into the speed beside it.
    for (int c = 0; c + 1 < ui->treeStages->columnCount(); ++c) {
        ui->treeStages->headerItem()->setTextAlignment(c, c == 0 ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                                                 : int(Qt::AlignRight | Qt::AlignVCenter));
        ui->treeStages->resizeColumnToContents(c);
        ui->treeStages->setColumnWidth(c, ui->treeStages->columnWidth(c) + ColumnGap);
    }
}

void ProtocolDialog::updateState()
{
    const bool hasRow = currentRow() >= 0;
    ui->btnDelete->setEnabled(hasRow);
    ui->btnInsert->setEnabled(hasRow);
    ui->cboProtocolType->setEnabled(m_editor.typeChangeable());
    const QString problem = m_editor.problem(ui->txtProtocolName->text());
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(problem.isEmpty());
    ui->lblStatus->setText(m_refusal.isEmpty() ? problem : m_refusal);
    // The style sheet tells a refused value from a hint of what is missing.
    ui->lblStatus->setProperty("refusal", !m_refusal.isEmpty());
    ui->lblStatus->style()->unpolish(ui->lblStatus);
    ui->lblStatus->style()->polish(ui->lblStatus);
}

void ProtocolDialog::on_btnAppend_clicked()
{
    if (m_editor.typeChangeable())
        m_editor.setType(TProtocolEditor::typeOfIndex(ui->cboProtocolType->currentIndex()));
    m_refusal.clear();
    fillTable(m_editor.appendStage(ui->cboPhase->currentIndex()));
    updateState();
}

void ProtocolDialog::on_btnInsert_clicked()
{
    if (m_editor.typeChangeable())
        m_editor.setType(TProtocolEditor::typeOfIndex(ui->cboProtocolType->currentIndex()));
    m_refusal.clear();
    fillTable(m_editor.insertStage(std::max(currentRow(), 0), ui->cboPhase->currentIndex()));
    updateState();
}

void ProtocolDialog::on_btnDelete_clicked()
{
    const int row = currentRow();
    if (!m_editor.removeStage(row))
        return;
    m_refusal.clear();
    fillTable(std::min(row, m_editor.protocol().stageCount() - 1));
    updateState();
}

void ProtocolDialog::on_cboProtocolType_currentIndexChanged(int index)
{
    if (m_editor.setType(TProtocolEditor::typeOfIndex(index)))
        fillTable(-1);
    updateState();
}

void ProtocolDialog::on_treeStages_currentItemChanged(QTreeWidgetItem*, QTreeWidgetItem*)
{
    updateState();
}

void ProtocolDialog::on_treeStages_itemDoubleClicked(QTreeWidgetItem* item, int column)
{
    if (item && m_editor.isEditable(column))
        ui->treeStages->editItem(item, column);
}

void ProtocolDialog::on_treeStages_itemChanged(QTreeWidgetItem* item, int column)
{
    const int row = ui->treeStages->indexOfTopLevelItem(item);
    if (row < 0)
        return;
    m_refusal = m_editor.apply(row, column, item->text(column));
    // The cell shows the value the stage holds: the new one, or the previous
    // one after a refusal.
    fillTable(row);
    updateState();
}

void ProtocolDialog::on_txtProtocolName_textChanged(const QString&)
{
    updateState();
}

bool ProtocolDialog::eventFilter(QObject* watched, QEvent* event)
{
    // Only keys pressed on the table itself: a cell being typed into keeps its keys.
    if (watched == ui->treeStages && event->type() == QEvent::KeyPress && ui->treeStages->hasFocus()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete || key == Qt::Key_Insert) {
            QPushButton* button = key == Qt::Key_Delete ? ui->btnDelete : ui->btnInsert;
            if (button->isEnabled())
                button->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ProtocolDialog::accept()
{
    const QString typed = ui->txtProtocolName->text();
    // Return in the name field must not store what OK refuses.
    if (!m_editor.isValid(typed))
        return;
    if (m_acceptCheck && !m_acceptCheck(typed))
        return;
    m_acceptedName = typed;
    m_accepted = true;
    QDialog::accept();
}
