#pragma once

#include "TStudyRecord.h"

#include <QDialog>
#include <memory>

class QComboBox;
class TStudyStore;

namespace Ui {
class StudyDialog;
}

// The patient and study fields of one study: before a new study starts (the
// launcher's "More...") and for a recorded one (the review windows' "Study
// data"). Works on a copy of the record, written back on OK.
class StudyDialog : public QDialog
{
    Q_OBJECT

public:
    // store: the protocol names and the protocol editors; may be null, then
    // only the record's own protocol is offered.
    StudyDialog(const TStudyRecord& record, TStudyStore* store, QWidget* parent = nullptr);
    ~StudyDialog() override;

    // The record as written back on OK (the one given until then).
    const TStudyRecord& record() const { return m_record; }
    bool isNewStudy() const { return m_record.id == 0; }

    // The items of the protocol combo: the store's protocols in table order,
    // then the built-in tilt test, as the launcher offers them.
    static QStringList protocolChoices(const TStudyStore* store);

private slots:
    void on_listCategory_currentRowChanged(int currentRow);
    void on_txtBirthDate_textEdited(const QString& arg1);
    void on_txtAge_textEdited(const QString& arg1);
    void on_StudyDialog_accepted();
    void on_numSubmaxPercent_valueChanged(int value);
    void on_cboSex_currentIndexChanged(int index);
    void on_btnProtocols_clicked();

private:
    void fillRememberedList(QComboBox* combo, const char* key);
    void fillProtocols();
    void loadRecord();
    void updateAcceptance();
    void updateTrainingZones();
    QDate studyDate() const;

    std::unique_ptr<Ui::StudyDialog> ui;
    TStudyRecord m_record;
    TStudyStore* m_store;
};
