#include "WarningQueue.h"

#include <QMessageBox>
#include <QWidget>

WarningQueue::WarningQueue(QWidget* window) : QObject(window), m_window(window)
{
}

void WarningQueue::warn(const QString& text)
{
    if ((m_box && m_box->text() == text) || m_pending.contains(text))
        return;
    m_pending.append(text);
    if (!m_box)
        showNext();
}

void WarningQueue::showNext()
{
    if (m_pending.isEmpty())
        return;
    auto* box = new QMessageBox(QMessageBox::Warning, QObject::tr("Warning"), m_pending.takeFirst(), QMessageBox::Ok,
                                m_window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    connect(box, &QMessageBox::finished, this, [this]() {
        m_box = nullptr;
        showNext();
    });
    m_box = box;
    box->open();
}
