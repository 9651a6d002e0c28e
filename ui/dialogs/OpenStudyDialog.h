#pragma once

#include "TSharedFolderListing.h"
#include "TStudySummary.h"

#include <QDialog>
#include <QHash>
#include <QUrl>

#include <functional>
#include <memory>

class QTreeWidget;
class QTreeWidgetItem;
class TStudyStore;

namespace Ui {
class OpenStudyDialog;
}

// "Select study": the studies of the data folder, found by name, with their
// reports; deleting studies; and, with the shared panel shown, the study
// archives of a shared folder and copying studies either way between it and
// the data folder. Accepted, it tells which local study to open for review.
class OpenStudyDialog : public QDialog
{
    Q_OBJECT

public:
    // Opens a URL with the desktop's handler (QDesktopServices::openUrl).
    using UrlOpener = std::function<bool(const QUrl&)>;
    // Asks for an existing folder; empty when none was chosen.
    using FolderChooser = std::function<QString(QWidget* parent)>;

    explicit OpenStudyDialog(TStudyStore& store, QWidget* parent = nullptr);
    ~OpenStudyDialog() override;

    // The study of the current local row when the dialog was accepted, else 0.
    int selectedId() const { return m_selectedId; }

    void setUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }
    void setFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }

signals:
    // Once for each local study that was really deleted.
    void deletedStudy(int id);

private slots:
    void on_txtFilter_textChanged(const QString& arg1);
    void on_treeStudies_itemDoubleClicked(QTreeWidgetItem* item, int column);
    void on_treeStudies_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void on_treeStudies_itemSelectionChanged();
    void on_treeSharedStudies_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void on_treeSharedStudies_itemSelectionChanged();
    void on_OpenStudyDialog_accepted();
    void on_actionDelete_triggered();
    void on_btnShareExport_clicked();
    void on_btnShareImport_clicked();
    void on_btnShare_clicked();
    void on_btnShareFolder_clicked();
    void on_cboShareFolders_currentIndexChanged(int index);
    void on_btnReport_clicked();
    void on_btnDelete_clicked();

private:
    void fillLocalTree();
    void fillSharedTree();
    void applyFilter();
    void updateButtons();
    QString currentFolder() const;
    QStringList folders() const;
    QVector<TStudySummary> selectedLocalStudies() const;
    QVector<TSharedFolderListing::Entry> selectedArchives() const;
    bool confirm(const QString& question);
    void deleteSelected();

    std::unique_ptr<Ui::OpenStudyDialog> ui;
    TStudyStore& m_store;
    UrlOpener m_openUrl;
    FolderChooser m_chooseFolder;
    QHash<int, TStudySummary> m_localStudies;
    QHash<QString, TSharedFolderListing::Entry> m_archives;
    bool m_sharedShown = false;
    int m_selectedId = 0;
};
