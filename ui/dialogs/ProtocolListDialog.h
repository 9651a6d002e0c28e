#pragma once

#include <QDialog>

#include <memory>

class QListWidgetItem;
class TProtocol;
class TStudyStore;

namespace Ui {
class ProtocolListDialog;
}

// "Stress test protocols": the protocol table by name, with New, Edit and
// Delete. Every change goes through the store, which writes the table file at
// once. Storing under the name of another protocol replaces it only after the
// user has confirmed it.
//
//     ProtocolListDialog dialog(*TStudyStore::instance(), this);
//     dialog.exec();
//     ... refill the protocol choice from the store
class ProtocolListDialog : public QDialog
{
    Q_OBJECT

public:
    // The store must outlive the dialog.
    explicit ProtocolListDialog(TStudyStore& store, QWidget* parent = nullptr);
    ~ProtocolListDialog() override;

private slots:
    void on_btnNew_clicked();
    void on_btnEdit_clicked();
    void on_btnDelete_clicked();
    void on_listProtocols_itemDoubleClicked(QListWidgetItem* item);
    void on_listProtocols_currentRowChanged(int row);

private:
    void fillList(const QString& current);
    QString currentName() const;
    // Opens the editor on the protocol and stores what it accepts.
    void edit(const QString& name, const TProtocol& protocol);
    bool confirmReplace(const QString& originalName, const QString& newName);
    void warn(const QString& text);

    std::unique_ptr<Ui::ProtocolListDialog> ui;
    TStudyStore& m_store;
};
