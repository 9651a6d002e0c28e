#include "OpenStudyDialog.h"

#include "ui_OpenStudyDialog.h"

#include "PleaseWait.h"
#include "TException.h"
#include "TReportFile.h"
#include "TSharedFolderSettings.h"
#include "TStudyCopyBatch.h"
#include "TStudyDeletion.h"
#include "TStudyFilter.h"
#include "TStudyRowTexts.h"
#include "TStudyStore.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

namespace {

// Rows sort by what they show, except the date, which sorts by its stamp.
class StudyItem : public QTreeWidgetItem
{
public:
    StudyItem(const QStringList& texts, int dateColumn, const QString& stamp)
        : QTreeWidgetItem(texts), m_dateColumn(dateColumn), m_stamp(stamp)
    {
    }

    bool operator<(const QTreeWidgetItem& other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        if (column == m_dateColumn)
            return m_stamp < static_cast<const StudyItem&>(other).m_stamp;
        return text(column).localeAwareCompare(other.text(column)) < 0;
    }

private:
    int m_dateColumn;
    QString m_stamp;
};

// Wide enough for its header label and for sample, in the list's own font
// (fixed: measuring 10 000 rows would cost more than the list itself).
void fitColumn(QTreeWidget* tree, int column, const QString& sample)
{
    const QFontMetrics text(tree->font());
    const QFontMetrics header(tree->header()->font());
    const int width = std::max(text.horizontalAdvance(sample), header.horizontalAdvance(tree->headerItem()->text(column)));
    tree->setColumnWidth(column, width + 3 * text.averageCharWidth() + 8);
}

QList<QTreeWidgetItem*> visibleSelection(const QTreeWidget* tree)
{
    QList<QTreeWidgetItem*> items;
    for (QTreeWidgetItem* item : tree->selectedItems()) {
        if (!item->isHidden())
            items << item;
    }
    return items;
}

} // namespace

OpenStudyDialog::OpenStudyDialog(TStudyStore& store, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::OpenStudyDialog>()), m_store(store),
      m_openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      m_chooseFolder([](QWidget* parentWidget) {
          return QFileDialog::getExistingDirectory(parentWidget, tr("Select shared folder"), QString(),
                                                   QFileDialog::ShowDirsOnly);
      })
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    // The style sheet's fonts, before the columns are measured.
    ensurePolished();
    ui->treeStudies->ensurePolished();
    ui->treeSharedStudies->ensurePolished();
    const QString dateSample = QStringLiteral("28/12/2026 23:59");

    ui->treeStudies->setHeaderLabels(TStudyRowTexts::localHeaderLabels());
    ui->treeStudies->setColumnHidden(TStudyRowTexts::IdColumn, true);
    ui->treeStudies->setColumnHidden(TStudyRowTexts::BaseNameColumn, true);
    fitColumn(ui->treeStudies, TStudyRowTexts::PatientColumn, QStringLiteral("Fernandez de la Torre, Bella"));
    fitColumn(ui->treeStudies, TStudyRowTexts::TypeColumn, TStudyRowTexts::studyTypeText(QStringLiteral("Stress test")));
    fitColumn(ui->treeStudies, TStudyRowTexts::DateColumn, dateSample);
    fitColumn(ui->treeStudies, TStudyRowTexts::ReportColumn, TStudyRowTexts::localHeaderLabels().value(TStudyRowTexts::ReportColumn));
    ui->treeStudies->sortByColumn(TStudyRowTexts::DateColumn, Qt::DescendingOrder);

    ui->treeSharedStudies->setHeaderLabels(TStudyRowTexts::sharedHeaderLabels());
    // The file name addresses the archive; the patient comes first to the eye.
    ui->treeSharedStudies->header()->moveSection(TStudyRowTexts::FileColumn, TStudyRowTexts::SharedColumnCount - 1);
    fitColumn(ui->treeSharedStudies, TStudyRowTexts::SharedPatientColumn, QStringLiteral("Fernandez de la Torre, Bella"));
    fitColumn(ui->treeSharedStudies, TStudyRowTexts::SharedTypeColumn,
              TStudyRowTexts::studyTypeText(QStringLiteral("Stress test")));
    fitColumn(ui->treeSharedStudies, TStudyRowTexts::SharedDateColumn, dateSample);
    ui->treeSharedStudies->sortByColumn(TStudyRowTexts::SharedDateColumn, Qt::DescendingOrder);

    // "Del" deletes what is selected in the list that has the focus, never
    // while the filter text is edited.
    for (QTreeWidget* tree : {ui->treeStudies, ui->treeSharedStudies})
        tree->addAction(ui->actionDelete);
    ui->actionDelete->setShortcutContext(Qt::WidgetShortcut);

    const TSharedFolderSettings settings = TSharedFolderSettings::load();
    {
        const QSignalBlocker blocker(ui->cboShareFolders);
        ui->cboShareFolders->addItems(settings.folders);
        if (!settings.defaultFolder.isEmpty()) {
            if (!settings.folders.contains(settings.defaultFolder))
                ui->cboShareFolders->addItem(settings.defaultFolder);
            ui->cboShareFolders->setCurrentIndex(ui->cboShareFolders->findText(settings.defaultFolder));
        }
    }
    connect(ui->cboShareFolders, &QComboBox::editTextChanged, this, &OpenStudyDialog::updateButtons);

    ui->frameShared->setVisible(false);
    fillLocalTree();
    updateButtons();
}

OpenStudyDialog::~OpenStudyDialog() = default;

QString OpenStudyDialog::currentFolder() const
{
    return ui->cboShareFolders->currentText().trimmed();
}

QStringList OpenStudyDialog::folders() const
{
    QStringList list;
    for (int i = 0; i < ui->cboShareFolders->count(); ++i)
        list << ui->cboShareFolders->itemText(i);
    return list;
}

void OpenStudyDialog::fillLocalTree()
{
    QVector<TStudySummary> studies;
    try {
        studies = m_store.listStudies();
    } catch (const TException& e) {
        QMessageBox::warning(this, tr("Error"), e.message());
    }
    QTreeWidget* tree = ui->treeStudies;
    const QTreeWidgetItem* current = tree->currentItem();
    const QString currentId = current ? current->text(TStudyRowTexts::IdColumn) : QString();

    m_localStudies.clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(studies.size());
    for (const TStudySummary& study : studies) {
        m_localStudies.insert(study.id, study);
        items << new StudyItem(TStudyRowTexts::localRow(study), TStudyRowTexts::DateColumn, study.studyDateTime);
    }
    tree->setUpdatesEnabled(false);
    {
        const QSignalBlocker blocker(tree);
        tree->clear();
        tree->insertTopLevelItems(0, items);
        for (QTreeWidgetItem* item : qAsConst(items)) {
            if (!currentId.isEmpty() && item->text(TStudyRowTexts::IdColumn) == currentId) {
                tree->setCurrentItem(item);
                break;
            }
        }
    }
    applyFilter();
    tree->setUpdatesEnabled(true);
    updateButtons();
}

void OpenStudyDialog::fillSharedTree()
{
    QVector<TSharedFolderListing::Entry> entries;
    {
        PleaseWait wait(this);
        entries = TSharedFolderListing::list(m_store, currentFolder());
    }
    QTreeWidget* tree = ui->treeSharedStudies;
    m_archives.clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(entries.size());
    // Greyed and slanted: listed for the user to see, not to copy.
    const QColor damagedColour(0x80, 0x8a, 0x94);
    QFont damagedFont = tree->font();
    damagedFont.setItalic(true);
    for (const TSharedFolderListing::Entry& entry : entries) {
        m_archives.insert(entry.fileName, entry);
        if (entry.damaged) {
            auto* item = new StudyItem(TStudyRowTexts::damagedRow(entry.fileName), TStudyRowTexts::SharedDateColumn,
                                       QString());
            for (int column = 0; column < TStudyRowTexts::SharedColumnCount; ++column) {
                item->setForeground(column, damagedColour);
                item->setFont(column, damagedFont);
                item->setToolTip(column, tr("This archive is incomplete (a copy cut short?) and cannot be copied."));
            }
            items << item;
        } else {
            items << new StudyItem(TStudyRowTexts::sharedRow(entry.fileName, entry.summary),
                                   TStudyRowTexts::SharedDateColumn, entry.summary.studyDateTime);
        }
    }
    tree->setUpdatesEnabled(false);
    {
        const QSignalBlocker blocker(tree);
        tree->clear();
        tree->insertTopLevelItems(0, items);
    }
    applyFilter();
    tree->setUpdatesEnabled(true);
    updateButtons();
}

void OpenStudyDialog::applyFilter()
{
    const TStudyFilter filter(ui->txtFilter->text());
    const auto filterTree = [&filter](QTreeWidget* tree, int patientColumn) {
        int visible = 0;
        QTreeWidgetItem* lastVisible = nullptr;
        const QSignalBlocker blocker(tree);
        tree->setUpdatesEnabled(false);
        for (int i = 0, n = tree->topLevelItemCount(); i < n; ++i) {
            QTreeWidgetItem* item = tree->topLevelItem(i);
            const bool shown = filter.matches(item->text(patientColumn));
            if (item->isHidden() == shown)
                item->setHidden(!shown);
            // A row out of sight is no longer part of what a delete or a copy acts on.
            if (!shown && item->isSelected())
                item->setSelected(false);
            if (shown) {
                ++visible;
                lastVisible = item;
            }
        }
        tree->setUpdatesEnabled(true);
        return std::make_pair(visible, lastVisible);
    };

    QTreeWidget* local = ui->treeStudies;
    QTreeWidgetItem* before = local->currentItem();
    const auto [visible, lastVisible] = filterTree(local, TStudyRowTexts::PatientColumn);
    if (visible == 0 || (before && before->isHidden()))
        local->setCurrentItem(nullptr);
    if (visible == 1)
        local->setCurrentItem(lastVisible);
    if (local->currentItem() != before)
        on_treeStudies_currentItemChanged(local->currentItem(), before);
    on_treeStudies_itemSelectionChanged();

    if (m_sharedShown)
        filterTree(ui->treeSharedStudies, TStudyRowTexts::SharedPatientColumn);
}

void OpenStudyDialog::updateButtons()
{
    const QTreeWidgetItem* current = ui->treeStudies->currentItem();
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(current != nullptr);
    ui->btnReport->setEnabled(current && current->text(TStudyRowTexts::ReportColumn) == tr("Yes"));
    const bool canCopy = m_sharedShown && !currentFolder().isEmpty();
    ui->btnShareExport->setEnabled(canCopy);
    ui->btnShareImport->setEnabled(canCopy);
    ui->btnShare->setText(m_sharedShown ? tr("Hide shared studies") : tr("Show shared studies"));
}

QVector<TStudySummary> OpenStudyDialog::selectedLocalStudies() const
{
    QVector<TStudySummary> studies;
    for (const QTreeWidgetItem* item : visibleSelection(ui->treeStudies)) {
        const int id = item->text(TStudyRowTexts::IdColumn).toInt();
        if (m_localStudies.contains(id))
            studies << m_localStudies.value(id);
    }
    return studies;
}

QVector<TSharedFolderListing::Entry> OpenStudyDialog::selectedArchives() const
{
    QVector<TSharedFolderListing::Entry> entries;
    if (!m_sharedShown)
        return entries;
    for (const QTreeWidgetItem* item : visibleSelection(ui->treeSharedStudies)) {
        const QString name = item->text(TStudyRowTexts::FileColumn);
        if (m_archives.contains(name))
            entries << m_archives.value(name);
    }
    return entries;
}

void OpenStudyDialog::on_txtFilter_textChanged(const QString&)
{
    applyFilter();
}

void OpenStudyDialog::on_treeStudies_itemDoubleClicked(QTreeWidgetItem* item, int)
{
    if (item) {
        ui->treeStudies->setCurrentItem(item);
        accept();
    }
}

void OpenStudyDialog::on_treeStudies_currentItemChanged(QTreeWidgetItem*, QTreeWidgetItem*)
{
    updateButtons();
}

void OpenStudyDialog::on_treeStudies_itemSelectionChanged()
{
    updateButtons();
}

void OpenStudyDialog::on_treeSharedStudies_currentItemChanged(QTreeWidgetItem*, QTreeWidgetItem*)
{
    updateButtons();
}

void OpenStudyDialog::on_treeSharedStudies_itemSelectionChanged()
{
    updateButtons();
}

void OpenStudyDialog::on_OpenStudyDialog_accepted()
{
    const QTreeWidgetItem* current = ui->treeStudies->currentItem();
    m_selectedId = current ? current->text(TStudyRowTexts::IdColumn).toInt() : 0;
    TSharedFolderSettings::save(folders(), currentFolder());
}

void OpenStudyDialog::on_actionDelete_triggered()
{
    deleteSelected();
}

void OpenStudyDialog::on_btnDelete_clicked()
{
    deleteSelected();
}

bool OpenStudyDialog::confirm(const QString& question)
{
    return QMessageBox::question(this, tr("Confirm"), question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

void OpenStudyDialog::deleteSelected()
{
    const QVector<TSharedFolderListing::Entry> archives = selectedArchives();
    if (!archives.isEmpty()) {
        if (!confirm(tr("Delete selected studies from shared folder?")))
            return;
        QStringList names;
        for (const TSharedFolderListing::Entry& entry : archives)
            names << entry.fileName;
        const TStudyDeletion::Outcome outcome = TStudyDeletion::deleteShared(currentFolder(), names);
        fillSharedTree();
        if (!outcome.message().isEmpty())
            QMessageBox::warning(this, tr("Delete"), outcome.message());
        return;
    }
    const QVector<TStudySummary> studies = selectedLocalStudies();
    if (studies.isEmpty() || !confirm(tr("Delete selected studies from local folder?")))
        return;
    TStudyDeletion::Outcome outcome;
    {
        PleaseWait wait(this);
        outcome = TStudyDeletion::deleteLocal(m_store, studies);
    }
    for (const int id : qAsConst(outcome.deleted))
        emit deletedStudy(id);
    fillLocalTree();
    if (!outcome.message().isEmpty())
        QMessageBox::warning(this, tr("Delete"), outcome.message());
}

void OpenStudyDialog::on_btnShareExport_clicked()
{
    const QString folder = currentFolder();
    QVector<TStudyCopyBatch::Item> items;
    for (const TStudySummary& study : selectedLocalStudies()) {
        const int id = study.id;
        items.append({TStudyRowTexts::label(study), [this, id, folder] { m_store.exportStudy(id, folder); }});
    }
    if (folder.isEmpty() || items.isEmpty())
        return;
    TStudyCopyBatch::Outcome outcome;
    {
        PleaseWait wait(this, items.size());
        outcome = TStudyCopyBatch::run(items, [&wait](int done) { wait.setValue(done); });
    }
    fillSharedTree();
    if (!outcome.complete())
        QMessageBox::information(this, QString(), outcome.message());
}

void OpenStudyDialog::on_btnShareImport_clicked()
{
    const QString folder = currentFolder();
    QVector<TStudyCopyBatch::Item> items;
    for (const TSharedFolderListing::Entry& entry : selectedArchives()) {
        const QString path = QStringLiteral("%1/%2").arg(folder, entry.fileName);
        if (entry.damaged) {
            // The outcome names the file; the reason follows it.
            items.append({entry.fileName, [] {
                              throw TException(tr("a damaged study archive (incomplete or cut short), not copied"));
                          }});
        } else {
            items.append({TStudyRowTexts::label(entry.summary), [this, path] { m_store.importStudy(path); }});
        }
    }
    if (folder.isEmpty() || items.isEmpty())
        return;
    TStudyCopyBatch::Outcome outcome;
    {
        PleaseWait wait(this, items.size());
        outcome = TStudyCopyBatch::run(items, [&wait](int done) { wait.setValue(done); });
    }
    fillLocalTree();
    if (!outcome.complete())
        QMessageBox::information(this, QString(), outcome.message());
}

void OpenStudyDialog::on_btnShare_clicked()
{
    m_sharedShown = !m_sharedShown;
    ui->frameShared->setVisible(m_sharedShown);
    if (m_sharedShown) {
        if (width() < 1280)
            resize(1280, height());
        fillSharedTree();
    } else {
        ui->treeSharedStudies->clearSelection();
    }
    updateButtons();
}

void OpenStudyDialog::on_btnShareFolder_clicked()
{
    const QString folder = m_chooseFolder(this);
    if (folder.isEmpty())
        return;
    int index = ui->cboShareFolders->findText(folder);
    if (index < 0) {
        ui->cboShareFolders->addItem(folder);
        index = ui->cboShareFolders->count() - 1;
    }
    if (index == ui->cboShareFolders->currentIndex())
        on_cboShareFolders_currentIndexChanged(index);
    else
        ui->cboShareFolders->setCurrentIndex(index);
}

void OpenStudyDialog::on_cboShareFolders_currentIndexChanged(int)
{
    if (m_sharedShown)
        fillSharedTree();
    updateButtons();
}

void OpenStudyDialog::on_btnReport_clicked()
{
    const QTreeWidgetItem* current = ui->treeStudies->currentItem();
    if (!current)
        return;
    const QString baseFilename = current->text(TStudyRowTexts::BaseNameColumn);
    const QString root = m_store.rootPath();
    if (!QFileInfo(TReportFile::path(root, baseFilename)).isFile()) {
        QMessageBox::warning(this, tr("Error"), tr("Report file not found"));
        return;
    }
    if (!m_openUrl(TReportFile::url(root, baseFilename)))
        QMessageBox::warning(this, tr("Error"), tr("No program is set up to show the report"));
}
