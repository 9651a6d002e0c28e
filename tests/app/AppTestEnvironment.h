#pragma once

// Every window test runs with settings and study folders of its own: the XDG
// folders point into a temporary folder before the application object exists,
// so nothing of the user's own is read or written.

#include "TAppIdentity.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace AppTest {

inline QTemporaryDir& privateFolder()
{
    static QTemporaryDir folder;
    return folder;
}

inline QString dataFolder()
{
    return privateFolder().path() + QStringLiteral("/data/CardivexVetStress");
}

// Before the application object: the private folders and the identity.
inline void preparePrivateFolders()
{
    const QString root = privateFolder().path();
    QDir().mkpath(root + QStringLiteral("/config"));
    QDir().mkpath(root + QStringLiteral("/data"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root + QStringLiteral("/data")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root));
}

// Answers the next modal box with its default button, once it appears, and
// keeps its text.
class BoxAnswerer : public QObject
{
public:
    explicit BoxAnswerer(int intervalMs = 50)
    {
        startTimer(intervalMs);
    }
    QStringList texts;

protected:
    void timerEvent(QTimerEvent*) override
    {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            texts.append(box->text());
            box->done(QMessageBox::Ok);
        }
    }
};

// Answers each modal message box as it appears with the next of the given
// buttons (Ok once they run out), clicked so that the box's result is that
// button, and keeps its title and text.
class BoxClicker : public QObject
{
public:
    explicit BoxClicker(QList<QMessageBox::StandardButton> answers = {}) : m_answers(std::move(answers))
    {
        startTimer(20);
    }
    QStringList titles;
    QStringList texts;

protected:
    void timerEvent(QTimerEvent*) override
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        titles << box->windowTitle();
        texts << box->text();
        const QMessageBox::StandardButton answer = m_answers.isEmpty() ? QMessageBox::Ok : m_answers.takeFirst();
        if (QAbstractButton* button = box->button(answer))
            button->click();
        else if (QAbstractButton* first = box->buttons().value(0))
            first->click();
        else
            box->done(answer);
    }

private:
    QList<QMessageBox::StandardButton> m_answers;
};

// Runs answer on the next modal dialog of type Dialog, once it appears (the
// answer accepts or rejects it).
template <typename Dialog, typename Answer>
void answerDialog(Answer answer, int intervalMs = 30)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, answer]() {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            answer(dialog);
        }
    });
    timer->start(intervalMs);
}

} // namespace AppTest

// A main that sets up the private folders first.
#define VELMORA_APP_TEST_MAIN(TestClass)                                                                               \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        AppTest::preparePrivateFolders();                                                                              \
        QApplication app(argc, argv);                                                                                  \
        TAppIdentity::apply();                                                                                         \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        TestClass test;                                                                                                \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }
