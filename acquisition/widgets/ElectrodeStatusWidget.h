#pragma once

#include <QMap>
#include <QString>
#include <QWidget>
#include <memory>

class QLabel;
namespace Ui {
class ElectrodeStatusWidget;
}

// Small panel laid over the live signal while recording: the recorder's nine
// electrodes, green while in contact and red when the device reports them off.
// Its "x" button hides it for the rest of the recording.
class ElectrodeStatusWidget : public QWidget
{
    Q_OBJECT

public:
    explicit ElectrodeStatusWidget(QWidget* parent = nullptr);
    ~ElectrodeStatusWidget() override;

    // Red when off, green otherwise; names other than the nine are ignored.
    void setElectrodeStatus(const QString& name, bool off);
    // False once the user has closed the panel.
    bool isShown() const { return m_shown; }

    // The label of an electrode, or null.
    QLabel* electrodeLabel(const QString& name) const { return m_labels.value(name, nullptr); }

private slots:
    void on_btnClose_clicked();

private:
    std::unique_ptr<Ui::ElectrodeStatusWidget> m_ui;
    QMap<QString, QLabel*> m_labels;
    bool m_shown = true;
};
