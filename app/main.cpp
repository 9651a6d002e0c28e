// Velmora: veterinary electrocardiography. The program takes no options but
// --version and --help, answered before the application object (and a display)
// exists.

#include "MainWindow.h"
#include "TAppIdentity.h"
#include "TLauncherRun.h"
#include "TProgramOptions.h"
#include "TResourceFolders.h"
#include "TSingleInstance.h"
#include "TTranslations.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QMessageBox>
#include <cstdio>

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const TProgramOptions options = TProgramOptions::parse(arguments);
    switch (options.action) {
    case TProgramOptions::Version:
        std::fputs(TProgramOptions::versionText().toLocal8Bit().constData(), stdout);
        return 0;
    case TProgramOptions::Help:
        std::fputs(TProgramOptions::usage().toLocal8Bit().constData(), stdout);
        return 0;
    case TProgramOptions::Error:
        std::fprintf(stderr, "velmora: %s\nTry 'velmora --help'.\n", options.error.toLocal8Bit().constData());
        return 2;
    case TProgramOptions::Run:
        break;
    }

    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication app(argc, argv);
    TAppIdentity::apply();
    // The desktop entry the package installs, and its icon on every window.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.cardivex.velmora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/res/velmora.png")));

    // Spanish when the user's locale asks for it. The translations lie beside
    // the program (build tree) or in the installed data folder; Qt's own in
    // Qt's translations folder. A missing one leaves its texts in English.
    const auto translators = TTranslations::install(TResourceFolders::ofProgram().translationFolders());

    const QString key = TAppIdentity::instanceKey();
    TSingleInstance instance(key);
    if (!instance.acquire()) {
        QMessageBox box(QMessageBox::Information, QObject::tr("Information"), QObject::tr("%1 is already running").arg(key),
                        QMessageBox::Ok);
        box.exec();
        return 0;
    }

    app.setStyleSheet(TAppIdentity::styleSheet());

    int code = 0;
    {
        MainWindow launcher;
        code = TLauncherRun::exec(launcher);
    }
    return code;
}
