#include "PleaseWait.h"

#include <QCoreApplication>

PleaseWait::PleaseWait(QWidget* window, int maximum)
    : m_progress(QObject::tr("Please wait..."), QString(), 0, maximum, window)
{
    m_progress.setCancelButton(nullptr);
    m_progress.setWindowModality(Qt::WindowModal);
    m_progress.setMinimumDuration(0);
    m_progress.setAutoClose(false);
    m_progress.setAutoReset(false);
    m_progress.show();
    QCoreApplication::processEvents();
}

void PleaseWait::setValue(int value)
{
    m_progress.setValue(value);
    QCoreApplication::processEvents();
}
