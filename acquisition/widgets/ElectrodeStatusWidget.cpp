#include "ElectrodeStatusWidget.h"

#include "ui_ElectrodeStatusWidget.h"

namespace {
const QString contactStyle = QStringLiteral("color: green");
const QString lostStyle = QStringLiteral("color: red");
} // namespace

ElectrodeStatusWidget::ElectrodeStatusWidget(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::ElectrodeStatusWidget>())
{
    m_ui->setupUi(this);
    m_labels = {{QStringLiteral("LA"), m_ui->lblLA}, {QStringLiteral("LL"), m_ui->lblLL},
                {QStringLiteral("RA"), m_ui->lblRA}, {QStringLiteral("V1"), m_ui->lblV1},
                {QStringLiteral("V2"), m_ui->lblV2}, {QStringLiteral("V3"), m_ui->lblV3},
                {QStringLiteral("V4"), m_ui->lblV4}, {QStringLiteral("V5"), m_ui->lblV5},
                {QStringLiteral("V6"), m_ui->lblV6}};
    for (QLabel* label : qAsConst(m_labels))
        label->setStyleSheet(contactStyle);
}

ElectrodeStatusWidget::~ElectrodeStatusWidget() = default;

void ElectrodeStatusWidget::setElectrodeStatus(const QString& name, bool off)
{
    QLabel* label = m_labels.value(name, nullptr);
    if (label)
        label->setStyleSheet(off ? lostStyle : contactStyle);
}

void ElectrodeStatusWidget::on_btnClose_clicked()
{
    hide();
    m_shown = false;
}
