#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class BPDialog;
}

// "Enter BP": the systolic and diastolic pressure measured during a stage of a
// stress test, and whether to print the stage. OK is offered only for a pair
// that can be right; the "Print this stage" choice is remembered
// ("BPDialog/Print") each time a pair is taken. Each field takes one digit and
// up to two more (the input mask "900" in Qt's notation, where 9 is a digit
// that must be there and 0 one that may).
class BPDialog : public QDialog
{
    Q_OBJECT

public:
    BPDialog(QWidget* parent, const QString& stageText);
    ~BPDialog() override;

    // As taken at OK; 0 and 0 before (and after Cancel).
    int systolic() const { return m_systolic; }
    int diastolic() const { return m_diastolic; }
    bool print() const { return m_print; }

public slots:
    void accept() override;

private slots:
    void on_txtSBP_textChanged(const QString& text);
    void on_txtSBP_returnPressed();
    void on_txtDBP_textChanged(const QString& text);

private:
    void validate();

    std::unique_ptr<Ui::BPDialog> ui;
    int m_systolic = 0;
    int m_diastolic = 0;
    bool m_print = false;
};
