#pragma once

#include "BPDialog.h"
#include "TRecorderListener.h"
#include "TSignalWatch.h"
#include "TTrendPlotSource.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>

class AveragerBeatSource;
class ClippingHighlightProvider;
class ElectrodeStatusFollower;
class EngineStMarks;
class MonitorPanels;
class QLabel;
class QSignalMonitorDisplay;
class QTimer;
class TAcqDevice;
class TExerciseEquipment;
class TProtocol;
class TStripPrintJob;
class TStudy;
class TStudyRecorder;

namespace Ui {
class StressMonitorWindow;
}

// The full-screen window a stress test (or a tilt test) is recorded in: the
// live ECG in two panels, the stage controls, the blood pressure prompts, event
// marking, the per-stage table and the heart-rate trend. The launcher owns the
// device, the study, the planned protocol and the equipment controller; the
// window owns the recording engine.
//
// Failures of the equipment or of the ECG device do not stop anything: they
// are shown in a banner over the ECG while the operator goes on by hand.
class StressMonitorWindow : public QMainWindow, private TRecorderListener
{
    Q_OBJECT

public:
    enum State { Monitoring, Recording, Stopping, Closed };

    // Starts acquiring at once. Nothing given is owned; all must outlive the
    // window. equipment may be null.
    StressMonitorWindow(TAcqDevice* device, TStudy* study, const TProtocol* protocol, TExerciseEquipment* equipment,
                        QWidget* parent = nullptr);
    ~StressMonitorWindow() override;

    State state() const { return m_state; }
    TStudy* study() const { return m_study; }
    // Null once the window has closed.
    TStudyRecorder* recorder() const { return m_recorder.get(); }
    // The open blood pressure prompt, or null.
    BPDialog* bloodPressurePrompt() const { return m_bpDialog.data(); }
    // What the banner over the ECG says; empty while all is well.
    QString bannerText() const { return m_bannerLines.join(QLatin1Char('\n')); }
    QString noSignalText() const;
    bool isPrinting() const { return m_printing; }
    // Whether the recording ended with anything recorded.
    bool hasRecorded() const { return m_recordedSomething; }
    // How long closing waits for a running stage strip before cancelling it.
    static constexpr int PrintWaitOnCloseMs = 3000;

signals:
    // Before the window goes away.
    void closing();

private slots:
    void on_btnSpeed12_clicked();
    void on_btnSpeed25_clicked();
    void on_btnSpeed50_clicked();
    void on_btnAmp5_clicked();
    void on_btnAmp10_clicked();
    void on_btnAmp20_clicked();
    void on_btnFilterNotch_clicked();
    void on_btnFilterLowpass_clicked();
    void on_btnFilterBaseline_clicked();
    void on_btnStart_clicked();
    void on_btnNext_clicked();
    void on_btnRecovery_clicked();
    void on_btnStop_clicked();
    void on_btnStudyEvent_clicked();
    void on_txtEventDescription_returnPressed();
    void on_txtEventDescription_textChanged(const QString& text);
    void on_actionSaveEvent_triggered();
    void on_actionBP_triggered();
    void on_ecgDisplay1_customContextMenuRequested(const QPoint& pos);
    void on_ecgDisplay2_customContextMenuRequested(const QPoint& pos);

    void onStatusTimer();
    void onSignalWatchTimer();
    void onEventTimer();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // TRecorderListener
    void update(TStudyRecorder* recorder) override;
    void beat(TStudyRecorder*, const TBeat&, const TBeatRecord*, int) override {}
    void started(TStudyRecorder* recorder) override;
    void stageChanged(TStudyRecorder* recorder) override;
    void stopped(TStudyRecorder*) override {}
    void message(TStudyRecorder* recorder, const QString& text) override;

    void applyFilters();

    // Opens the blood pressure prompt unless one is open; true when it opened.
    bool openBloodPressurePrompt();
    void bloodPressureTaken(int systolic, int diastolic, bool print, double time);
    void bloodPressureCancelled();
    // Waits until the open prompt has closed.
    void waitForBloodPressurePrompt();
    void closeBloodPressurePrompt();
    void changeStage(bool toRecovery);

    void resetEventEntry();
    void printStageStrip();
    void stripFinished();
    // Waits up to timeoutMs for a running strip, then cancels it.
    void endStripPrint(int timeoutMs);
    // Stops the recording when it runs, flushes the engine's last beats and
    // destroys it. The prompt goes first.
    void finishRecording();

    void refreshStageLabel();
    void refreshTimeLabels();
    void refreshTable();
    void refreshHeartRate();
    void refreshHeartRatePlot();
    void showBanner(const QString& text);
    void storeStudy();
    QString currentStageName() const;
    QString currentLoadText() const;

    void placeOverlays();
    void readSettings();
    void writeSettings() const;

    std::unique_ptr<Ui::StressMonitorWindow> ui;
    TAcqDevice* m_device;
    TStudy* m_study;
    const TProtocol* m_protocol;
    std::unique_ptr<TStudyRecorder> m_recorder;
    std::unique_ptr<AveragerBeatSource> m_averageSource;
    std::unique_ptr<EngineStMarks> m_marks;
    std::unique_ptr<ClippingHighlightProvider> m_highlight;
    std::unique_ptr<ElectrodeStatusFollower> m_electrodes;
    std::unique_ptr<MonitorPanels> m_panels;
    TTrendPlotSource m_heartRateTrend;

    State m_state = Monitoring;
    int m_channels = 0;
    int m_protocolType = 0;
    QString m_workloadUnit;
    QStringList m_leadNames;
    bool m_recordedSomething = false;

    QPointer<BPDialog> m_bpDialog;
    bool m_bpPromptArmed = false;
    bool m_printAtStageChange = false;
    bool m_printDeferred = false;
    bool m_inFinalPrompt = false;
    bool m_closeRequested = false;
    bool m_printing = false;
    std::unique_ptr<TStripPrintJob> m_printJob;

    // The stage event of the last executed stage, to be moved when a stage too
    // short to count is folded into it: its index among the events, and the
    // number of executed stages it was made for.
    int m_stageEventIndex = -1;
    int m_stageEventStages = 0;

    double m_eventTime = 0.0;
    bool m_eventEntryActive = false;

    QTimer* m_statusTimer = nullptr;
    QTimer* m_watchTimer = nullptr;
    QTimer* m_eventTimer = nullptr;
    QElapsedTimer m_clock;
    TSignalWatch m_watch;

    QLabel* m_printIcon = nullptr;
    QLabel* m_lowBattery = nullptr;
    QLabel* m_connecting = nullptr;
    QLabel* m_inoperative = nullptr;
    QLabel* m_simulated = nullptr;
    QLabel* m_noSignal = nullptr;
    QLabel* m_banner = nullptr;
    QStringList m_bannerLines;
};
