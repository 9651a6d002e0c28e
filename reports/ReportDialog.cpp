#include "ReportDialog.h"

#include "ui_ReportDialog.h"

#include "TECGStripReport.h"
#include "TException.h"
#include "TReportCreator.h"
#include "TReportImage.h"
#include "TStudy.h"
#include "TStudyReport.h"
#include "TStripPrintJob.h"
#include "TStudyStore.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QImage>
#include <QMessageBox>
#include <QPixmap>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QSerialPortInfo>

#include <cmath>

namespace {

const char* const WarningTitle = QT_TRANSLATE_NOOP("ReportDialog", "Warning");
const char* const InformationTitle = QT_TRANSLATE_NOOP("ReportDialog", "Information");

enum Page
{
    TracesPage = 0,
    EcgPage,
    StressPage,
    HeaderPage,
    SignaturePage,
    PrintingPage
};

// The wait cursor and a modal progress display while a report is made.
class Busy
{
public:
    Busy(QWidget* parent, const QString& text) : m_progress(text, QString(), 0, 0, parent)
    {
        m_progress.setWindowModality(Qt::WindowModal);
        m_progress.setCancelButton(nullptr);
        m_progress.setMinimumDuration(0);
        m_progress.setAutoClose(false);
        m_progress.setAutoReset(false);
        m_progress.show();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    ~Busy()
    {
        QApplication::restoreOverrideCursor();
        m_progress.hide();
    }
    void page(int page, int pages)
    {
        m_progress.setMaximum(pages);
        m_progress.setValue(page - 1);
    }

private:
    QProgressDialog m_progress;
};

} // namespace

ReportDialog::ReportDialog(TStudy* study, TStudyStore* store, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ReportDialog>()), m_study(study), m_store(store),
      m_printerSource(&ReportDialog::systemPrinter), m_stripPace(ESCPPrinter::Pace::fromSettings())
{
    m_imageChooser = [](QWidget* parent, const QString& caption, const QString& filter) {
        return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
    };
    ui->setupUi(this);
    fillLeads();
    ui->cboPrinterName->addItems(stripPrinterPorts());
    // Besides the ports listed, any serial device's path may be typed (editable).
    ui->cboPrinterName->setInsertPolicy(QComboBox::NoInsert);
    ui->cboPrinterName->setEnabled(false);
    // Only the page of the study's own kind: "ECG" for a resting ECG, "Stress
    // test" for stress and tilt tests.
    ui->listCategory->item(EcgPage)->setHidden(!isEcgStudy());
    ui->listCategory->item(StressPage)->setHidden(isEcgStudy());
    showOptions(TReportOptions::fromSettings());
    ui->listCategory->setCurrentRow(TracesPage);
}

ReportDialog::~ReportDialog() = default;

bool ReportDialog::isEcgStudy() const
{
    return m_study && m_study->record().property(QStringLiteral("studyType")) == QLatin1String("ECG");
}

void ReportDialog::fillLeads()
{
    if (!m_study)
        return;
    const TSignalBuffer* recording = m_study->recording();
    for (int i = 0; i < recording->channelCount(); ++i) {
        const QString name = QString::fromUtf8(recording->channel(i)->name());
        ui->cboRhythmLead->addItem(name);
        ui->cboSTLead->addItem(name);
    }
}

void ReportDialog::showOptions(const TReportOptions& o)
{
    setFilters(o.notch, o.lowpass, o.baseline);
    ui->chkShowAverage->setChecked(o.showAverage);
    int rhythm = ui->cboRhythmLead->findText(o.rhythmLead);
    if (rhythm < 0)
        rhythm = ui->cboRhythmLead->findText(QStringLiteral("II"));
    ui->cboRhythmLead->setCurrentIndex(std::max(0, rhythm));
    setSpeed(o.speed);
    setAmplitude(o.amplitude);
    const QString layout = TReportOptions::normalLayout(o.layout);
    ui->rbtLayout4by3->setChecked(layout == QLatin1String("4by3"));
    ui->rbtLayout6by2->setChecked(layout == QLatin1String("6by2"));
    ui->rbtLayout12by1->setChecked(layout == QLatin1String("12by1"));
    setHexaxialOrder(o.hexaxialOrder);

    setStartTime(o.startTime);
    ui->rbtECGModelTracesOnly->setChecked(o.tracesOnly);
    ui->rbtECGModelDefault->setChecked(!o.tracesOnly);

    ui->chkPrintTrendGraphics->setChecked(o.printStressGraphics);
    ui->chkShowExpectedStageDuration->setChecked(o.showExpectedStageDuration);
    setStLead(o.stLead);

    ui->txtHeaderTitle->setText(o.headerTitle);
    ui->txtHeaderInfo->setPlainText(o.headerInfo);
    m_logoFile = o.headerLogoFile;
    showImage(ui->logoImage, m_logoFile);
    m_signatureFile = o.signatureFile;
    showImage(ui->signatureImage, m_signatureFile);
    ui->txtSignatureName->setText(o.signatureName);
    ui->txtSignatureLicense->setText(o.signatureLicense);

    const int port = ui->cboPrinterName->findText(o.printerName);
    if (port >= 0)
        ui->cboPrinterName->setCurrentIndex(port);
    else
        ui->cboPrinterName->setCurrentText(o.printerName); // a path typed earlier
    ui->rbtPrintDirect->setChecked(o.destination == TReportOptions::Destination::Printer);
    ui->rbtPrintStrip->setChecked(o.destination == TReportOptions::Destination::StripPrinter);
    ui->rbtPrintToPDF->setChecked(o.destination == TReportOptions::Destination::Pdf);
    on_rbtPrintStrip_toggled(ui->rbtPrintStrip->isChecked());
}

void ReportDialog::setStartTime(double seconds)
{
    ui->txtStartTime->setText(TReportOptions::formatStartTime(seconds));
}

void ReportDialog::setFilters(bool notch, bool lowpass, bool baseline)
{
    ui->btnFilterNotch->setChecked(notch);
    ui->btnFilterLowpass->setChecked(lowpass);
    ui->btnFilterBaseline->setChecked(baseline);
}

void ReportDialog::setSpeed(double mmPerSecond)
{
    // The nearest of the three speeds.
    ui->btnSpeed12->setChecked(mmPerSecond < 18.75);
    ui->btnSpeed25->setChecked(mmPerSecond >= 18.75 && mmPerSecond < 37.5);
    ui->btnSpeed50->setChecked(mmPerSecond >= 37.5);
}

void ReportDialog::setAmplitude(double mmPerMillivolt)
{
    ui->btnAmp5->setChecked(mmPerMillivolt < 7.5);
    ui->btnAmp10->setChecked(mmPerMillivolt >= 7.5 && mmPerMillivolt < 15.0);
    ui->btnAmp20->setChecked(mmPerMillivolt >= 15.0);
}

void ReportDialog::setHexaxialOrder(bool on)
{
    ui->chkHexaxialOrder->setChecked(on);
}

void ReportDialog::setStLead(const QString& leadName)
{
    ui->cboSTLead->setCurrentIndex(std::max(0, ui->cboSTLead->findText(leadName)));
}

TReportOptions ReportDialog::options() const
{
    TReportOptions o;
    o.notch = ui->btnFilterNotch->isChecked();
    o.lowpass = ui->btnFilterLowpass->isChecked();
    o.baseline = ui->btnFilterBaseline->isChecked();
    o.showAverage = ui->chkShowAverage->isChecked();
    o.rhythmLead = ui->cboRhythmLead->currentText().isEmpty() ? QStringLiteral("II") : ui->cboRhythmLead->currentText();
    o.speed = ui->btnSpeed12->isChecked() ? 12.5 : ui->btnSpeed50->isChecked() ? 50.0 : 25.0;
    o.amplitude = ui->btnAmp5->isChecked() ? 5.0 : ui->btnAmp20->isChecked() ? 20.0 : 10.0;
    o.layout = ui->rbtLayout4by3->isChecked()   ? QStringLiteral("4by3")
               : ui->rbtLayout6by2->isChecked() ? QStringLiteral("6by2")
                                                : QStringLiteral("12by1");
    o.hexaxialOrder = ui->chkHexaxialOrder->isChecked();
    o.startTime = TReportOptions::parseStartTime(ui->txtStartTime->text()).value_or(0.0);
    o.tracesOnly = ui->rbtECGModelTracesOnly->isChecked();
    o.printStressGraphics = ui->chkPrintTrendGraphics->isChecked();
    o.showExpectedStageDuration = ui->chkShowExpectedStageDuration->isChecked();
    o.stLead = ui->cboSTLead->currentText();
    o.headerTitle = ui->txtHeaderTitle->text();
    o.headerInfo = ui->txtHeaderInfo->toPlainText();
    o.headerLogoFile = m_logoFile;
    o.signatureFile = m_signatureFile;
    o.signatureName = ui->txtSignatureName->text();
    o.signatureLicense = ui->txtSignatureLicense->text();
    o.destination = ui->rbtPrintDirect->isChecked()  ? TReportOptions::Destination::Printer
                    : ui->rbtPrintStrip->isChecked() ? TReportOptions::Destination::StripPrinter
                                                     : TReportOptions::Destination::Pdf;
    o.printerName = ui->cboPrinterName->currentText().trimmed();
    return o;
}

std::unique_ptr<QPrinter> ReportDialog::systemPrinter()
{
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
        if (printers.isEmpty())
            return nullptr;
        info = printers.first();
    }
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

QStringList ReportDialog::stripPrinterPorts()
{
    QStringList ports;
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
        const QString name = port.portName();
        if (name != QLatin1String("COM1") && name != QLatin1String("COM2"))
            ports.append(name);
    }
    return ports;
}

QString ReportDialog::noPrinterText()
{
    return tr("No printer is installed. Please install a printer or choose another print destination.");
}

void ReportDialog::warn(const QString& text)
{
    QMessageBox::warning(this, tr(WarningTitle), text);
}

void ReportDialog::on_listCategory_currentRowChanged(int row)
{
    if (row >= 0 && row < ui->stackedPages->count())
        ui->stackedPages->setCurrentIndex(row);
}

void ReportDialog::on_rbtPrintStrip_toggled(bool checked)
{
    ui->cboPrinterName->setEnabled(checked);
}

void ReportDialog::on_btnCreate_clicked()
{
    if (!m_study || !m_store)
        return;
    const TReportOptions o = options();
    if (o.destination == TReportOptions::Destination::StripPrinter) {
        if (!isEcgStudy()) {
            QMessageBox::information(this, tr(InformationTitle),
                                     tr("Please select another print destination for stress report."));
            return;
        }
        if (o.printerName.isEmpty()) {
            QMessageBox::information(this, tr(InformationTitle), tr("Please select the destination printer."));
            return;
        }
    }
    if (isEcgStudy()) {
        // A start time that does not read, or lies past the recording, would print
        // empty traces as if the heart had stopped.
        const std::optional<double> start = TReportOptions::parseStartTime(ui->txtStartTime->text());
        const double duration = m_study->recording()->durationSeconds();
        if (!start || (*start > 0.0 && *start >= duration)) {
            warn(tr("The start time must lie within the recording (0 to %1 seconds).")
                     .arg(TReportOptions::formatStartTime(duration)));
            return;
        }
        if (o.tracesOnly && o.destination != TReportOptions::Destination::StripPrinter) {
            bool anyEvent = false;
            for (const TStudyEvent& event : m_study->record().events)
                anyEvent = anyEvent || event.print;
            if (!anyEvent) {
                QMessageBox::information(this, tr(InformationTitle), tr("No event is marked for printing."));
                return;
            }
        }
    }
    switch (o.destination) {
    case TReportOptions::Destination::StripPrinter:
        printStrip(o);
        break;
    case TReportOptions::Destination::Printer:
        printReport(o);
        break;
    case TReportOptions::Destination::Pdf:
        createPdf(o);
        break;
    }
}

void ReportDialog::createPdf(const TReportOptions& o)
{
    TReportCreator::Result result;
    try {
        Busy busy(this, tr("Preparing report..."));
        result =
            TReportCreator::createPdf(*m_study, *m_store, o, [&busy](int page, int pages) { busy.page(page, pages); });
    } catch (const TException& e) {
        warn(e.message());
        return;
    }
    m_reportPath = result.path;
    if (!result.exportError.isEmpty()) {
        warn(result.exportError);
        return;
    }
    accept();
}

void ReportDialog::printReport(const TReportOptions& o)
{
    std::unique_ptr<QPrinter> printer = m_printerSource ? m_printerSource() : nullptr;
    if (!printer) {
        warn(noPrinterText());
        return;
    }
    try {
        Busy busy(this, tr("Preparing report..."));
        TStudyReport report(*m_study, o);
        report.setProgress([&busy](int page, int pages) { busy.page(page, pages); });
        if (!report.print(*printer))
            throw TException(tr("The report could not be printed on %1.").arg(printer->printerName()));
        TReportCreator::markReported(*m_study, *m_store);
    } catch (const TException& e) {
        warn(e.message());
        return;
    }
    accept();
}

void ReportDialog::printStrip(const TReportOptions& o)
{
    // What the strip shows is copied here; the printing runs off the GUI thread.
    TStripContent content;
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        content = TECGStripReport::content(*m_study, o);
        QApplication::restoreOverrideCursor();
    } catch (const TException& e) {
        QApplication::restoreOverrideCursor();
        warn(e.message());
        return;
    }
    TStripPrintJob job(std::move(content), o.printerName);
    job.setPace(m_stripPace);
    QProgressDialog progress(tr("Printing..."), tr("Cancel"), 0, 100, this);
    progress.setMinimumWidth(320);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setValue(0);
    connect(&job, &TStripPrintJob::progress, &progress, &QProgressDialog::setValue);
    connect(&progress, &QProgressDialog::canceled, &job, &TStripPrintJob::cancel);
    QEventLoop loop;
    connect(&job, &TStripPrintJob::finished, &loop, &QEventLoop::quit);
    job.start();
    progress.show();
    loop.exec();
    progress.hide();
    // A strip is no report of the study: its status stays as it was.
    if (job.error() == ESCPPrinter::cancelledText())
        return; // the user's own choice: nothing to tell
    if (!job.error().isEmpty()) {
        warn(job.error());
        return;
    }
    accept();
}

QString ReportDialog::chooseImage(const QString& failureText)
{
    const QString file =
        m_imageChooser ? m_imageChooser(this, tr("Open Image"), tr("Image Files (*.png *.jpg *.bmp)")) : QString();
    if (file.isEmpty())
        return QString();
    if (TReportImage::load(file).isNull()) {
        warn(failureText.arg(QDir::toNativeSeparators(file)));
        return QString();
    }
    return file;
}

void ReportDialog::showImage(QLabel* label, const QString& file)
{
    const QImage image = TReportImage::load(file);
    if (image.isNull()) {
        label->setPixmap(QPixmap());
        label->setText(tr("[none]"));
        return;
    }
    const QSize box = label->minimumSize().expandedTo(QSize(1, 1));
    label->setPixmap(QPixmap::fromImage(image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void ReportDialog::pickImage(QString& file, QLabel* label, const QString& failureText)
{
    const QString chosen = chooseImage(failureText);
    if (chosen.isEmpty())
        return;
    file = chosen;
    showImage(label, file);
}

void ReportDialog::on_btnSelectLogo_clicked()
{
    pickImage(m_logoFile, ui->logoImage, tr("Logo image could not be loaded from file: %1"));
}

void ReportDialog::on_btnRemoveLogo_clicked()
{
    m_logoFile.clear();
    showImage(ui->logoImage, m_logoFile);
}

void ReportDialog::on_btnSelectSignature_clicked()
{
    pickImage(m_signatureFile, ui->signatureImage, tr("Signature image could not be loaded from file: %1"));
}

void ReportDialog::on_btnRemoveSignature_clicked()
{
    m_signatureFile.clear();
    showImage(ui->signatureImage, m_signatureFile);
}

void ReportDialog::on_ReportDialog_finished(int result)
{
    if (result == QDialog::Accepted)
        options().writeSettings();
}
