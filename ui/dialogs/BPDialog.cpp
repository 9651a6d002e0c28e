#include "BPDialog.h"

#include "ui_BPDialog.h"

#include "TBloodPressureEntry.h"

#include <QPushButton>
#include <QSettings>

namespace {

const char* const PrintKey = "BPDialog/Print";

} // namespace

BPDialog::BPDialog(QWidget* parent, const QString& stageText)
    : QDialog(parent), ui(std::make_unique<Ui::BPDialog>())
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    ui->lblStageInfo->setText(tr("Stage: %1").arg(stageText));
    ui->chkPrint->setChecked(QSettings().value(QLatin1String(PrintKey), false).toBool());
    validate();
}

BPDialog::~BPDialog() = default;

void BPDialog::validate()
{
    const bool ok = TBloodPressureEntry::acceptable(TBloodPressureEntry::value(ui->txtSBP->text()),
                                                    TBloodPressureEntry::value(ui->txtDBP->text()));
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(ok);
}

void BPDialog::on_txtSBP_textChanged(const QString& text)
{
    validate();
    if (TBloodPressureEntry::systolicComplete(TBloodPressureEntry::value(text)))
        ui->txtDBP->setFocus();
}

void BPDialog::on_txtSBP_returnPressed()
{
    ui->txtDBP->setFocus();
}

void BPDialog::on_txtDBP_textChanged(const QString&)
{
    validate();
}

void BPDialog::accept()
{
    const int systolic = TBloodPressureEntry::value(ui->txtSBP->text());
    const int diastolic = TBloodPressureEntry::value(ui->txtDBP->text());
    // Return in the diastolic field must not take a pair the OK button refuses.
    if (!TBloodPressureEntry::acceptable(systolic, diastolic))
        return;
    m_systolic = systolic;
    m_diastolic = diastolic;
    m_print = ui->chkPrint->isChecked();
    QSettings().setValue(QLatin1String(PrintKey), m_print);
    QDialog::accept();
}
