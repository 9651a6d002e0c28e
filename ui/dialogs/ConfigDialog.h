#pragma once

#include "TConfigForm.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;

namespace Ui {
class ConfigDialog;
}

// The program's configuration: report header and signature, acquisition
// source, exercise equipment, export folders and the recorder's hardware
// values. Read when the dialog opens; OK checks the form and writes what the
// user changed; Cancel writes nothing.
class ConfigDialog : public QDialog
{
    Q_OBJECT

public:
    // Opens the acquisition test window for a device described by the form.
    using AcquisitionTest = std::function<void(const TDeviceSettings&, QWidget* dialog)>;
    // title, filter → the chosen image file (empty: none chosen).
    using FileChooser = std::function<QString(QWidget*, const QString& title, const QString& filter)>;
    // title, current folder → the chosen folder (empty: none chosen).
    using FolderChooser = std::function<QString(QWidget*, const QString& title, const QString& current)>;

    explicit ConfigDialog(QWidget* parent = nullptr);
    ~ConfigDialog() override;

    // Without it "Test" is disabled.
    void setAcquisitionTest(AcquisitionTest run);
    void setFileChooser(FileChooser choose) { m_chooseFile = std::move(choose); }
    void setFolderChooser(FolderChooser choose) { m_chooseFolder = std::move(choose); }
    // The ports "Detect" tries; every serial port of the system unless set.
    void setBluetoothCandidates(const QStringList& ports) { m_candidates = ports; }

    // The form's values as they stand on the widgets.
    const TConfigForm& form();

public slots:
    // Checks the form first: with a problem the dialog stays open.
    void accept() override;

private slots:
    void on_btnAcqTest_clicked();
    void on_ConfigDialog_accepted();
    void on_listCategory_currentRowChanged(int currentRow);
    void on_btnSelectLogo_clicked();
    void on_btnRemoveLogo_clicked();
    void on_btnSelectSignature_clicked();
    void on_btnRemoveSignature_clicked();
    void on_rbtAcqDeviceBT_toggled(bool checked);
    void on_btnBluetoothDetect_clicked();
    void on_btnHardwareDefaults_clicked();
    void on_cboErgometerEquipment_currentIndexChanged(int index);
    void on_cboTreadmillEquipment_currentIndexChanged(int index);
    void on_chkAutoExportReports_clicked();
    void on_chkAutoExportStudies_clicked();
    void on_btnExportEcgReportFolder_clicked();
    void on_btnExportStressReportFolder_clicked();
    void on_btnExportEcgStudyFolder_clicked();
    void on_btnExportStressStudyFolder_clicked();

private:
    void showValues();
    void collectValues();
    void updateEnabling();
    void showImage(QLabel* preview, const QString& file);
    // Asks for an image; false when none was chosen or it does not load.
    bool chooseImage(QString& file, const QString& failureText);
    void chooseFolder(QLineEdit* field);
    QStringList searchRecorders();

    std::unique_ptr<Ui::ConfigDialog> ui;
    TConfigForm m_form;
    AcquisitionTest m_runTest;
    FileChooser m_chooseFile;
    FolderChooser m_chooseFolder;
    std::optional<QStringList> m_candidates;
    bool m_showing = false;
};
