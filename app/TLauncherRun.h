#pragma once

class MainWindow;

// The program's event loop around its launcher: SIGTERM and SIGINT end it as
// closing every window does (a recording ends as on Stop), and whatever a
// closed window leaves to do (review windows storing their studies, the end of
// a recording) is done before the launcher and its store go.
namespace TLauncherRun {

int exec(MainWindow& launcher);

} // namespace TLauncherRun
