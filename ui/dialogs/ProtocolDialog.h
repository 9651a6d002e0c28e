#pragma once

#include "TProtocol.h"
#include "TProtocolEditor.h"

#include <QDialog>

#include <functional>
#include <memory>

class QTreeWidgetItem;

namespace Ui {
class ProtocolDialog;
}

// "Protocol edit": the name, type and stages of one protocol, edited on a copy.
// A stage's cell is typed into after a double click; a value the stage cannot
// take is refused with the reason below the table. OK is offered only for a
// protocol that may be stored; the line below the table says what is missing.
//
//     ProtocolDialog dialog(name, protocol, this);
//     if (dialog.exec() == QDialog::Accepted)
//         store.setProtocol(dialog.name().toUtf8(), dialog.protocol());
class ProtocolDialog : public QDialog
{
    Q_OBJECT

public:
    ProtocolDialog(const QString& name, const TProtocol& protocol, QWidget* parent = nullptr);
    ~ProtocolDialog() override;

    // The name as typed at acceptance (the current text before).
    QString name() const;
    // The edited copy, carrying name().
    TProtocol protocol() const;

    // Asked at OK with the name typed; false keeps the dialog open (the caller
    // asks, for one, before a protocol of the table is replaced).
    void setAcceptCheck(std::function<bool(const QString& name)> check) { m_acceptCheck = std::move(check); }

public slots:
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void on_btnAppend_clicked();
    void on_btnInsert_clicked();
    void on_btnDelete_clicked();
    void on_cboProtocolType_currentIndexChanged(int index);
    void on_treeStages_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void on_treeStages_itemDoubleClicked(QTreeWidgetItem* item, int column);
    void on_treeStages_itemChanged(QTreeWidgetItem* item, int column);
    void on_txtProtocolName_textChanged(const QString& text);

private:
    int currentRow() const;
    void fillTable(int currentRow);
    void updateState();

    std::unique_ptr<Ui::ProtocolDialog> ui;
    TProtocolEditor m_editor;
    std::function<bool(const QString&)> m_acceptCheck;
    QString m_acceptedName;
    bool m_accepted = false;
    // Why the last typed cell was not taken; cleared by the next change.
    QString m_refusal;
};
