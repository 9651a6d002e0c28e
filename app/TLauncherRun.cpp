#include "TLauncherRun.h"

#include "MainWindow.h"
#include "TQuitOnSignal.h"

#include <QApplication>

namespace TLauncherRun {

int exec(MainWindow& launcher)
{
    TQuitOnSignal quitOnSignal;
    launcher.show();
    const int code = QApplication::exec();
    // Windows closed last are deleted later: they store their studies, and a
    // monitor window hands its study to the launcher's end handler, which the
    // launcher runs at once when the loop is gone.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return code;
}

} // namespace TLauncherRun
