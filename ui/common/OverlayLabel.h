#pragma once

#include <QString>

class QLabel;
class QWidget;

// The labels a monitor window lays over its ECG: 50 x 50 icons that blink
// while their condition holds, and red-on-white notices.
namespace OverlayLabel {

// Hidden until shown.
QLabel* icon(QWidget* parent, const QString& resource);
// "background: white; color: red; font-weight: bold; font-size: 15px".
QLabel* notice(QWidget* parent, const QString& text, const QString& objectName);

} // namespace OverlayLabel
