#pragma once

#include "ESCPPrinter.h"
#include "TReportOptions.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QLabel;
class QPrinter;
class TStudy;
class TStudyStore;

namespace Ui {
class ReportDialog;
}

// Collects the options of a study report and produces it: a PDF file in the
// study's reports folder (copied to the report export folder when the settings
// ask for it), or the pages on the default printer. The settings it keeps are
// read when it opens and written when it is accepted, which a report made
// successfully does.
class ReportDialog : public QDialog
{
    Q_OBJECT

public:
    // Opens the printer a report goes to; null when there is none.
    using PrinterSource = std::function<std::unique_ptr<QPrinter>()>;

    // Neither the study nor the store is owned.
    ReportDialog(TStudy* study, TStudyStore* store, QWidget* parent = nullptr);
    ~ReportDialog() override;

    // What the window that opens the dialog shows: the browse display's start
    // time, the recording's filters, speed, amplitude and hexaxial order.
    void setStartTime(double seconds);
    void setFilters(bool notch, bool lowpass, bool baseline);
    void setSpeed(double mmPerSecond);
    void setAmplitude(double mmPerMillivolt);
    void setHexaxialOrder(bool on);
    // The ST lead of a stress or tilt test's stage table and ST plot, as the
    // review window shows it; a name the study lacks selects its first lead.
    void setStLead(const QString& leadName);

    // The options as the controls stand (the start time as typed, when it reads).
    TReportOptions options() const;
    // The PDF written by the last Create, empty before.
    QString reportPath() const { return m_reportPath; }

    void setPrinterSource(PrinterSource source) { m_printerSource = std::move(source); }
    // Asks the user for an image file (caption and filter of the file dialog);
    // empty when none was chosen. By default the system's file dialog.
    using ImageChooser = std::function<QString(QWidget* parent, const QString& caption, const QString& filter)>;
    void setImageChooser(ImageChooser chooser) { m_imageChooser = std::move(chooser); }
    // The strip printer's pace (the tests' printer keeps up without pauses).
    void setStripPrinterPace(const ESCPPrinter::Pace& pace) { m_stripPace = pace; }

    // The default printer, or another installed one; null when none is installed.
    static std::unique_ptr<QPrinter> systemPrinter();
    // The serial ports the strip printer may be on, as the system lists them:
    // all but "COM1" and "COM2". The list can be typed over with any serial
    // device's path.
    static QStringList stripPrinterPorts();

    static QString noPrinterText();

private slots:
    void on_listCategory_currentRowChanged(int row);
    void on_btnCreate_clicked();
    void on_btnSelectLogo_clicked();
    void on_btnRemoveLogo_clicked();
    void on_btnSelectSignature_clicked();
    void on_btnRemoveSignature_clicked();
    void on_ReportDialog_finished(int result);
    void on_rbtPrintStrip_toggled(bool checked);

private:
    void showOptions(const TReportOptions& options);
    void fillLeads();
    // Asks for an image file: the chosen file when it loads; empty when none was
    // chosen or it does not load (with the warning failureText).
    QString chooseImage(const QString& failureText);
    // Asks for an image; one that loads becomes file and shows in label.
    void pickImage(QString& file, QLabel* label, const QString& failureText);
    static void showImage(QLabel* label, const QString& file);
    bool isEcgStudy() const;

    void createPdf(const TReportOptions& options);
    void printReport(const TReportOptions& options);
    void printStrip(const TReportOptions& options);
    void warn(const QString& text);

    std::unique_ptr<Ui::ReportDialog> ui;
    TStudy* m_study;
    TStudyStore* m_store;
    QString m_logoFile;
    QString m_signatureFile;
    QString m_reportPath;
    PrinterSource m_printerSource;
    ImageChooser m_imageChooser;
    ESCPPrinter::Pace m_stripPace;
};
