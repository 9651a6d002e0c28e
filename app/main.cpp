// Velmora: veterinary electrocardiography. The program takes no options.

#include "MainWindow.h"
#include "TAppIdentity.h"
#include "TLauncherRun.h"
#include "TSingleInstance.h"
#include "TTranslations.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>

int main(int argc, char* argv[])
{
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication app(argc, argv);
    TAppIdentity::apply();

    // Spanish when the user's locale asks for it; a missing translation leaves
    // its texts in English.
    const auto translators = TTranslations::install({QCoreApplication::applicationDirPath()});

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
