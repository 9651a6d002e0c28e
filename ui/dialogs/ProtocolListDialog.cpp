#include "ProtocolListDialog.h"

#include "ui_ProtocolListDialog.h"

#include "ProtocolDialog.h"
#include "TException.h"
#include "TProtocolEditor.h"
#include "TStudyStore.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <exception>

ProtocolListDialog::ProtocolListDialog(TStudyStore& store, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ProtocolListDialog>()), m_store(store)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    on_listProtocols_currentRowChanged(-1);
    try {
        fillList(QString());
    } catch (const std::exception& e) {
        // A store that cannot list its protocols still opens the dialog, empty.
        warn(QString::fromLocal8Bit(e.what()));
    }
}

ProtocolListDialog::~ProtocolListDialog() = default;

void ProtocolListDialog::fillList(const QString& current)
{
    const QSignalBlocker blocker(ui->listProtocols);
    ui->listProtocols->clear();
    const QByteArrayList names = m_store.protocolNames();
    for (const QByteArray& name : names)
        ui->listProtocols->addItem(QString::fromUtf8(name));
    const QList<QListWidgetItem*> found = ui->listProtocols->findItems(current, Qt::MatchExactly);
    if (!current.isEmpty() && !found.isEmpty())
        ui->listProtocols->setCurrentItem(found.first());
    else if (ui->listProtocols->count() > 0)
        ui->listProtocols->setCurrentRow(0);
    on_listProtocols_currentRowChanged(ui->listProtocols->currentRow());
}

QString ProtocolListDialog::currentName() const
{
    const QListWidgetItem* item = ui->listProtocols->currentItem();
    return item ? item->text() : QString();
}

void ProtocolListDialog::warn(const QString& text)
{
    QMessageBox::warning(this, tr("Warning"), text);
}

bool ProtocolListDialog::confirmReplace(const QString& originalName, const QString& newName)
{
    if (!TProtocolEditor::replacesAnother(originalName, newName, m_store.protocolNames()))
        return true;
    // No: back to the editor, with everything typed still there.
    return QMessageBox::question(QApplication::activeModalWidget(), tr("Confirm"),
                                 tr("A protocol named %1 exists already. Replace it?").arg(newName),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

void ProtocolListDialog::edit(const QString& name, const TProtocol& protocol)
{
    ProtocolDialog dialog(name, protocol, this);
    dialog.setAcceptCheck([this, name](const QString& newName) { return confirmReplace(name, newName); });
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_store.setProtocol(dialog.name().toUtf8(), dialog.protocol());
    fillList(dialog.name());
}

void ProtocolListDialog::on_btnNew_clicked()
{
    try {
        edit(QString(), TProtocol());
    } catch (const std::exception& e) {
        warn(QString::fromLocal8Bit(e.what()));
    }
}

void ProtocolListDialog::on_btnEdit_clicked()
{
    try {
        const QString name = currentName();
        if (name.isNull())
            return;
        TProtocol protocol;
        if (!m_store.getProtocol(name.toUtf8(), protocol))
            throw TException("Cannot load protocol");
        edit(name, protocol);
    } catch (const std::exception& e) {
        warn(QString::fromLocal8Bit(e.what()));
    }
}

void ProtocolListDialog::on_btnDelete_clicked()
{
    try {
        const QString name = currentName();
        if (name.isNull())
            return;
        if (QMessageBox::question(this, tr("Confirm"), tr("Remove protocol %1?").arg(name),
                                  QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            != QMessageBox::Yes)
            return;
        const int row = ui->listProtocols->currentRow();
        m_store.deleteProtocol(name.toUtf8());
        // The neighbour below takes the deleted row.
        fillList(QString());
        ui->listProtocols->setCurrentRow(std::min(row, ui->listProtocols->count() - 1));
    } catch (const std::exception& e) {
        warn(QString::fromLocal8Bit(e.what()));
    }
}

void ProtocolListDialog::on_listProtocols_itemDoubleClicked(QListWidgetItem*)
{
    ui->btnEdit->click();
}

void ProtocolListDialog::on_listProtocols_currentRowChanged(int row)
{
    ui->btnEdit->setEnabled(row >= 0);
    ui->btnDelete->setEnabled(row >= 0);
}
