#pragma once

#include "PredefinedConclusionPanel.h"
#include "TMeasurementRecord.h"

#include <QPoint>
#include <QString>
#include <QWidget>
#include <memory>

class AveragerBeatSource;
class EventListEditor;
class QListWidgetItem;
class QModelIndex;
class QTreeWidgetItem;
class TBeatAverager;
class TPagedFilterChain;
class TRestingAverage;
class TStudy;

namespace Ui {
class EcgReviewWindow;
}

// A saved resting ECG opened for review: the recording in the browse display
// through the paged filters, the average beat of the measurement lead, the
// events and the conclusion. Edits change the study in memory; the launcher
// stores it once the window has closed.
class EcgReviewWindow : public QWidget
{
    Q_OBJECT

public:
    // The study stays the store's; it must outlive the window.
    explicit EcgReviewWindow(TStudy* study, QWidget* parent = nullptr);
    ~EcgReviewWindow() override;

    // Writes the study's recording as an EDF+ file (what "Export EDF+..."
    // does once the file is chosen); a failure is shown in a warning box.
    bool exportEdf(const QString& path);
    TStudy* study() const { return m_study; }
    bool isModified() const { return m_modified; }
    TPagedFilterChain* chain() const { return m_chain.get(); }
    const TPredefinedConclusions& predefined() const { return m_predefined->sentences(); }
    const EventListEditor* eventList() const { return m_events; }

private slots:
    void on_ecgDisplay1_customContextMenuRequested(const QPoint& pos);
    void on_beatDisplay_customContextMenuRequested(const QPoint& pos);
    void on_btnSpeed12_clicked();
    void on_btnSpeed25_clicked();
    void on_btnSpeed50_clicked();
    void on_btnAmp5_clicked();
    void on_btnAmp10_clicked();
    void on_btnAmp20_clicked();
    void on_btnFilterNotch_clicked();
    void on_btnFilterLowpass_clicked();
    void on_btnFilterBaseline_clicked();
    void on_btnStudyData_clicked();
    void on_btnReport_clicked();
    void on_btnExportEdf_clicked();
    void on_btnPredefinedAdd_clicked();
    void on_btnPredefinedRemove_clicked();
    void on_btnPredefinedUp_clicked();
    void on_btnPredefinedDown_clicked();
    void on_chkPredefinedAlphaSort_toggled(bool checked);
    void on_listPredefinedText_doubleClicked(const QModelIndex& index);
    void on_btnAddEvent_clicked();
    void on_btnRemoveEvent_clicked();
    void on_treeEvents_itemDoubleClicked(QTreeWidgetItem* item, int column);
    void on_treeEvents_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);

    void onStartTimeChanged();
    void onConclusionChanged();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // "%1, %2 - %3": last name, first name, study date and time.
    void updateTitle();
    void applyFilters();
    void analyseBeats();
    void loadMeasurement();
    void saveMeasurement();
    // The measurement as the beat display's cursors give it now.
    TMeasurementRecord currentMeasurement() const;
    // The measured values against the species' ranges, below the beat.
    void showNorms();
    void showMeasurementLead(int lead);
    void autoMeasurement();
    void applyColorScheme(const QString& name);
    void applyHexaxial(bool on);
    void readSettings();
    void writeSettings() const;
    void setModified() { m_modified = true; }
    double fiducialOffset() const;

    std::unique_ptr<Ui::EcgReviewWindow> ui;
    TStudy* m_study;
    std::unique_ptr<TPagedFilterChain> m_chain;
    // The average beat the study is measured on, whatever the filters show.
    std::unique_ptr<TRestingAverage> m_measured;
    std::unique_ptr<AveragerBeatSource> m_averageSource;
    // One beat picked in the browse display, for the beat display.
    std::unique_ptr<TBeatAverager> m_selected;
    std::unique_ptr<AveragerBeatSource> m_selectedSource;
    // The events list; edits of it go into the study's events.
    EventListEditor* m_events = nullptr;
    std::unique_ptr<PredefinedConclusionPanel> m_predefined;
    QString m_colorScheme;
    bool m_hexaxial = false;
    bool m_modified = false;
    bool m_showSelectedBeat = false;
    int m_defaultMeasurementLead = 0;
    bool m_filling = false;
    // The cursors were moved or the lead changed: the measurement is written back.
    bool m_measurementEdited = false;
};
