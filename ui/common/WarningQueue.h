#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>

class QWidget;

// Shows warnings of a window one at a time, each in a window-modal box that
// does not block the caller: the engine tells its messages from inside its data
// notices, where a nested event loop must not run. A text already shown or
// waiting is not queued again.
class WarningQueue : public QObject
{
    Q_OBJECT

public:
    explicit WarningQueue(QWidget* window);

    void warn(const QString& text);
    // The box on screen, or null.
    QMessageBox* current() const { return m_box; }
    int pending() const { return m_pending.size(); }

private:
    void showNext();

    QWidget* m_window;
    QPointer<QMessageBox> m_box;
    QStringList m_pending;
};
