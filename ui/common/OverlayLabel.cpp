#include "OverlayLabel.h"

#include <QLabel>
#include <QPixmap>

namespace OverlayLabel {

QLabel* icon(QWidget* parent, const QString& resource)
{
    auto* label = new QLabel(parent);
    label->setPixmap(QPixmap(resource));
    label->setScaledContents(true);
    label->setStyleSheet(QStringLiteral("background:none"));
    label->resize(50, 50);
    label->hide();
    return label;
}

QLabel* notice(QWidget* parent, const QString& text, const QString& objectName)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setStyleSheet(QStringLiteral("background: white; color: red; font-weight: bold; font-size: 15px"));
    return label;
}

} // namespace OverlayLabel
