#pragma once

#include "WaitCursor.h"

#include <QProgressDialog>

class QWidget;

// A long storage operation: the window-modal "Please wait..." box without a
// cancel button and the wait cursor, shown before the operation starts. With
// a maximum the bar advances through setValue; without one it only shows that
// work goes on.
class PleaseWait
{
public:
    explicit PleaseWait(QWidget* window, int maximum = 0);
    PleaseWait(const PleaseWait&) = delete;
    PleaseWait& operator=(const PleaseWait&) = delete;

    // Moves the bar and lets pending events run.
    void setValue(int value);

private:
    QProgressDialog m_progress;
    WaitCursor m_wait;
};
