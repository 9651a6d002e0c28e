#pragma once

#include "TRecorderListener.h"
#include "TSignalWatch.h"

#include <QElapsedTimer>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <memory>

class AveragerBeatSource;
class ClippingHighlightProvider;
class ElectrodeStatusFollower;
class EngineStMarks;
class MonitorPanels;
class QLabel;
class QSignalBrowseDisplay;
class QSignalMonitorDisplay;
class QTimer;
class TAcqDevice;
class TPagedFilterChain;
class TStudy;
class TStudyRecorder;
class WarningQueue;

namespace Ui {
class EcgMonitorWindow;
}

// The window a resting ECG is recorded in: the live signal in two panels (limb
// and chest leads), Start and Stop, then the recorded ECG to check before Save
// or Repeat. The launcher owns the device and the study and stores the study
// once the window has closed; the window owns the recording engine.
class EcgMonitorWindow : public QWidget, private TRecorderListener
{
    Q_OBJECT

public:
    enum State { Monitoring, Recording, Reviewing, Closed };

    // Starts acquiring at once. Neither the device nor the study is owned.
    EcgMonitorWindow(TAcqDevice* device, TStudy* study, QWidget* parent = nullptr);
    ~EcgMonitorWindow() override;

    // Set once the user asked to record the ECG again.
    bool repeatRequested() const { return m_repeat; }
    State state() const { return m_state; }
    TStudy* study() const { return m_study; }
    // Null after Stop.
    TStudyRecorder* recorder() const { return m_recorder.get(); }
    // The recorded ECG after Stop, null before.
    QSignalBrowseDisplay* browseDisplay() const { return m_browse; }
    // What the window says while no sample arrives; empty while they do.
    QString noSignalText() const;
    QString colorScheme() const;

signals:
    // Before the window goes away: the launcher reads the repeat flag here.
    void closing(bool repeat);

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
    void on_btnStop_clicked();
    void on_ecgDisplay1_customContextMenuRequested(const QPoint& pos);
    void on_ecgDisplay2_customContextMenuRequested(const QPoint& pos);
    void on_btnRepeat_clicked();
    void on_btnSave_clicked();

    void onStatusTimer();
    void onSignalWatchTimer();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // TRecorderListener
    void update(TStudyRecorder* recorder) override;
    void beat(TStudyRecorder*, const TBeat&, const TBeatRecord*, int) override {}
    void started(TStudyRecorder* recorder) override;
    void stageChanged(TStudyRecorder*) override {}
    void stopped(TStudyRecorder*) override {}
    void message(TStudyRecorder* recorder, const QString& text) override;

    void applyFilters();
    void applySpeed(double mmPerSecond);
    void applyAmplitude(double mmPerMillivolt);
    void applyColorScheme(const QString& name);
    // Ends the recording: the engine's last beats are stored, the average beat
    // measured into the study, then the engine is destroyed.
    void finishRecording();
    void showRecording();
    void placeOverlays();
    void readSettings();
    void writeSettings() const;
    int leadCount() const;
    double checkedSpeed() const;
    double checkedAmplitude() const;
    bool noSignal() const;

    std::unique_ptr<Ui::EcgMonitorWindow> ui;
    TStudy* m_study;
    std::unique_ptr<TStudyRecorder> m_recorder;
    std::unique_ptr<AveragerBeatSource> m_averageSource;
    std::unique_ptr<EngineStMarks> m_marks;
    std::unique_ptr<ClippingHighlightProvider> m_highlight;
    std::unique_ptr<ElectrodeStatusFollower> m_electrodes;
    std::unique_ptr<MonitorPanels> m_panels;
    WarningQueue* m_warnings = nullptr;
    QLabel* m_lowBattery = nullptr;
    QLabel* m_connecting = nullptr;
    QLabel* m_inoperative = nullptr;
    QLabel* m_simulated = nullptr;
    QLabel* m_noSignal = nullptr;
    bool m_repeat = false;
    State m_state = Monitoring;
    int m_channels = 0;

    QTimer* m_statusTimer = nullptr;
    QTimer* m_watchTimer = nullptr;
    QElapsedTimer m_clock;
    TSignalWatch m_watch;

    // After Stop: the recorded ECG through the paged filters.
    std::unique_ptr<TPagedFilterChain> m_chain;
    QSignalBrowseDisplay* m_browse = nullptr;
};
