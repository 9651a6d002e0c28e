#pragma once

// Answering the blood pressure prompts of the stress monitor window from a test.

#include "BPDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace StressTest {

// Types a pair into the prompt and presses OK (or Cancel when systolic is 0).
inline void answer(BPDialog* dialog, int systolic, int diastolic)
{
    auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    if (systolic == 0) {
        buttons->button(QDialogButtonBox::Cancel)->click();
        return;
    }
    QTest::keyClicks(dialog->findChild<QLineEdit*>(QStringLiteral("txtSBP")), QString::number(systolic));
    QTest::keyClicks(dialog->findChild<QLineEdit*>(QStringLiteral("txtDBP")), QString::number(diastolic));
    buttons->button(QDialogButtonBox::Ok)->click();
}

// Answers every prompt that appears while it lives, counting them.
class PromptAnswerer : public QObject
{
public:
    PromptAnswerer(int systolic, int diastolic) : m_systolic(systolic), m_diastolic(diastolic) { startTimer(30); }
    QList<BPDialog*> seen;
    QList<bool> modal;

protected:
    void timerEvent(QTimerEvent*) override
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<BPDialog*>(w);
            if (!dialog || !dialog->isVisible())
                continue;
            seen.append(dialog);
            modal.append(dialog->isModal() || dialog->windowModality() != Qt::NonModal);
            answer(dialog, m_systolic, m_diastolic);
        }
    }

private:
    int m_systolic;
    int m_diastolic;
};

} // namespace StressTest
