#pragma once

#include "TTrendPlotSource.h"

#include <QPoint>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>

class AveragerBeatSource;
class EventListEditor;
class PredefinedConclusionPanel;
class QModelIndex;
class QPlotGraphic;
class QTreeWidgetItem;
class TBeatAverager;
class TPagedFilterChain;
class TStudy;

namespace Ui {
class StressReviewWindow;
}

// A recorded stress test (or tilt test) opened for review: the recording in the
// browse display through the paged filters, browsed stage by stage; the
// per-stage table, whose loads, METS, heart rates, pressures and ST values the
// clinician corrects; the trend graphics; the events and the conclusion. Edits
// change the study in memory; the launcher stores it once the window has closed.
class StressReviewWindow : public QWidget
{
    Q_OBJECT

public:
    // The trend graphics, top to bottom.
    enum Graphic
    {
        HeartRateGraphic,
        PressureGraphic,
        DoubleProductGraphic,
        MetsGraphic,
        StGraphic,
        GraphicCount
    };

    // The study stays the store's; it must outlive the window.
    explicit StressReviewWindow(TStudy* study, QWidget* parent = nullptr);
    ~StressReviewWindow() override;

    // Writes the study's recording as an EDF+ file (what "Export EDF+..."
    // does once the file is chosen); a failure is shown in a warning box.
    bool exportEdf(const QString& path);
    TStudy* study() const { return m_study; }
    bool isModified() const { return m_modified; }
    TPagedFilterChain* chain() const { return m_chain.get(); }
    // The channel whose ST values the table and the ST graphic show.
    int stLead() const { return m_stLead; }
    QString stLeadName() const;
    const PredefinedConclusionPanel& predefined() const { return *m_predefined; }
    const EventListEditor* eventList() const { return m_events; }
    QPlotGraphic* graphic(Graphic which) const;
    // The averager of the browse display's inset, with the rest stage's
    // reference beat.
    TBeatAverager* averager() const { return m_averager.get(); }
    // The stage whose row is current in the table; -1 for none.
    int currentStage() const;

    // "Basal", "" and "Control" for a tilt test; "Rest", "Exercise" and
    // "Recovery" otherwise.
    static QString phaseName(int protocolType, int phase);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void on_ecgDisplay1_customContextMenuRequested(const QPoint& pos);
    void on_btnSpeed12_clicked();
    void on_btnSpeed25_clicked();
    void on_btnSpeed50_clicked();
    void on_btnAmp5_clicked();
    void on_btnAmp10_clicked();
    void on_btnAmp20_clicked();
    void on_btnFilterNotch_clicked();
    void on_btnFilterLowpass_clicked();
    void on_btnFilterBaseline_clicked();
    void on_btnPrevStage_clicked();
    void on_btnNextStage_clicked();
    void on_treeProtocol_itemDoubleClicked(QTreeWidgetItem* item, int column);
    void on_treeProtocol_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void on_graphicST_customContextMenuRequested(const QPoint& pos);
    void on_btnStudyData_clicked();
    void on_btnReport_clicked();
    void on_btnExportEdf_clicked();
    void on_btnEcho_clicked();
    void on_btnAddEvent_clicked();
    void on_btnRemoveEvent_clicked();
    void on_treeEvents_itemDoubleClicked(QTreeWidgetItem* item, int column);
    void on_treeEvents_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void on_treeProtocol_itemChanged(QTreeWidgetItem* item, int column);
    void on_btnPredefinedAdd_clicked();
    void on_btnPredefinedRemove_clicked();
    void on_btnPredefinedUp_clicked();
    void on_btnPredefinedDown_clicked();
    void on_chkPredefinedAlphaSort_toggled(bool checked);
    void on_listPredefinedText_doubleClicked(const QModelIndex& index);

    void onStartTimeChanged();
    void onConclusionChanged();

private:
    // "%1, %2 - %3": last name, first name, study date and time.
    void updateTitle();
    bool isTiltTest() const;
    int protocolType() const;
    QStringList leadNames() const;
    QString workloadUnit() const;
    double patientWeight() const;

    void applyFilters();
    void rebuildReferenceBeat();
    void averageShownBeats();
    void fillTable();
    void setupGraphics();
    void drawGraphics();
    void highlightStage(int stage);
    void setStLead(int lead);
    void applyColorScheme(const QString& name);
    void applyHexaxial(bool on);
    void setShowGraphics(bool on);
    void readSettings();
    void writeSettings() const;
    // Moves the browse display to a time, the labels following.
    void showTime(double seconds);
    // The stage that holds a time; stageCount() after the last.
    int stageHolding(double seconds) const;

    std::unique_ptr<Ui::StressReviewWindow> ui;
    TStudy* m_study;
    std::unique_ptr<TPagedFilterChain> m_chain;
    std::unique_ptr<TBeatAverager> m_averager;
    std::unique_ptr<AveragerBeatSource> m_averageSource;
    std::unique_ptr<PredefinedConclusionPanel> m_predefined;
    EventListEditor* m_events = nullptr;
    std::array<TTrendPlotSource, GraphicCount> m_sources;
    TTrendPlotSource m_diastolicSource;
    int m_stLead = 0;
    QString m_colorScheme;
    bool m_hexaxial = false;
    bool m_showGraphics = true;
    bool m_modified = false;
};
