// A child for the signal tests: the program's own launcher and event loop,
// driven to a recording (a resting ECG or a tilt test in demo mode). It prints
// "recording SECONDS" every half second once the recording runs, for the
// parent to send its signal.
//
//   recording-child ecg|stress

#include "MainWindow.h"
#include "TAppIdentity.h"
#include "TLauncherRun.h"
#include "TStudyRecorder.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TAppIdentity::apply();
    const bool stress = argc > 1 && QByteArray(argv[1]) == "stress";
    QSettings().setValue(QStringLiteral("Config/AcqMode"), QStringLiteral("demo"));
    MainWindow launcher;
    QTimer::singleShot(200, &launcher, [&launcher, stress]() {
        launcher.startStore();
        const QString form = stress ? QStringLiteral("Stress") : QStringLiteral("Ecg");
        launcher.findChild<QLineEdit*>(QStringLiteral("editLastName") + form)->setText(QStringLiteral("Signal"));
        launcher.findChild<QLineEdit*>(QStringLiteral("editFirstName") + form)->setText(QStringLiteral("Test"));
        launcher.findChild<QLineEdit*>(QStringLiteral("editAge") + form)->setText(QStringLiteral("4"));
        launcher.findChild<QRadioButton*>(QStringLiteral("radMale") + form)->setChecked(true);
        if (stress) {
            auto* combo = launcher.findChild<QComboBox*>(QStringLiteral("cmbProtocol"));
            combo->setCurrentIndex(combo->findText(QStringLiteral("Tilt test")));
        }
        launcher.findChild<QPushButton*>(QStringLiteral("btnStart") + form)->click();
        QWidget* monitor = stress ? static_cast<QWidget*>(launcher.stressMonitorWindow())
                                  : static_cast<QWidget*>(launcher.monitorWindow());
        if (!monitor) {
            std::printf("no monitor window\n");
            std::fflush(stdout);
            return;
        }
        monitor->findChild<QPushButton*>(QStringLiteral("btnStart"))->click();
    });
    QTimer progress;
    progress.setInterval(500);
    QObject::connect(&progress, &QTimer::timeout, [&launcher]() {
        TStudyRecorder* recorder = launcher.stressMonitorWindow() ? launcher.stressMonitorWindow()->recorder()
                                   : launcher.monitorWindow()     ? launcher.monitorWindow()->recorder()
                                                                  : nullptr;
        if (recorder && recorder->isRecording()) {
            std::printf("recording %.3f\n", recorder->recordingTime());
            std::fflush(stdout);
        }
    });
    progress.start();
    return TLauncherRun::exec(launcher);
}
