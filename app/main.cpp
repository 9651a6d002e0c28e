// Velmora: veterinary electrocardiography. The program takes no options.

#include "MainWindow.h"
#include "TAppIdentity.h"
#include "TLauncherRun.h"
#include "TSingleInstance.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTranslator>
#include <memory>
#include <vector>

int main(int argc, char* argv[])
{
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication app(argc, argv);
    TAppIdentity::apply();

    // Missing translations leave the user interface in English.
    std::vector<std::unique_ptr<QTranslator>> translators;
    for (const char* name : {"qt_es", "CardivexStressECG_es", "report_es"}) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(QString::fromLatin1(name), QCoreApplication::applicationDirPath())) {
            QCoreApplication::installTranslator(translator.get());
            translators.push_back(std::move(translator));
        }
    }

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
