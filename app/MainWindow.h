#pragma once

#include "EcgMonitorWindow.h"
#include "StressMonitorWindow.h"
#include "TLocalStudyStore.h"
#include "TStudyRecord.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class QTreeWidgetItem;
class TAcqDevice;
class TExerciseEquipment;
class TProtocol;
class TStudy;
class TStudyStore;

namespace Ui {
class MainWindow;
}

// The launcher: the tiles for a new stress test, a new resting ECG and the
// recent studies; the quick patient forms; the start of a recording in its
// monitor window, and what happens to the study when that window closes.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // dataFolder: where the study store lives; empty for the application's
    // data folder. The store is created 10 ms after construction.
    explicit MainWindow(const QString& dataFolder = QString(), QWidget* parent = nullptr);
    ~MainWindow() override;

    // Null until the deferred start has run, or when it failed.
    TStudyStore* store() const { return m_store.get(); }
    EcgMonitorWindow* monitorWindow() const { return m_ecgMonitor; }
    StressMonitorWindow* stressMonitorWindow() const { return m_stressMonitor; }
    // Creates the study store now if the deferred start has not yet run.
    void startStore();
    // How the store asks for the free space on the data folder's volume (the
    // platform's by default); before the store is created.
    void setFreeSpaceQuery(TLocalStudyStore::FreeSpaceQuery query) { m_freeSpace = std::move(query); }
    // Opens a stored study in its review window (from the recent list, an
    // end handler or the open study dialog).
    void openStudyForReview(int id);
    // Refills the recent studies list from the settings.
    void showRecentStudies();

private slots:
    void on_btnNewStudyStress_clicked();
    void on_btnNewStudyEcg_clicked();
    void on_btnOpenStudy_clicked();
    void on_btnClose_clicked();
    void on_btnConfig_clicked();
    void on_btnMoreStress_clicked();
    void on_btnMoreEcg_clicked();
    void on_btnStartStress_clicked();
    void on_btnStartEcg_clicked();
    void on_btnOpenMore_clicked();
    void on_btnOpenOK_clicked();
    void on_treeStudies_itemDoubleClicked(QTreeWidgetItem* item, int column);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void deferredStart();
    void updateStartButtons();
    void clearStressForm();
    void clearEcgForm();
    TQuickPatient ecgPatient() const;
    TQuickPatient stressPatient() const;
    // Each true once the monitor window is shown.
    bool startEcg(const TStudyRecord& record);
    bool startStress(const TStudyRecord& record);
    // The device from the settings and the new study saved with its
    // acquisition fields; null (and told) when either fails.
    TStudy* createStudy(const TStudyRecord& record, std::unique_ptr<TAcqDevice>& device);
    // A new study whose monitor window could not be made goes again.
    void abandonNewStudy(int id, TAcqDevice& device, const QString& error);
    void ecgEnded(TAcqDevice* device, int studyId, bool quitting);
    void ecgRepeated(TAcqDevice* device, int studyId, const TStudyRecord& record);
    void stressEnded(TAcqDevice* device, TExerciseEquipment* equipment, TProtocol* protocol, int studyId,
                     bool quitting);
    // A study whose window closed before anything was recorded goes again;
    // true when it went.
    bool dropUnrecorded(int studyId);
    // Remembers the recorded study in the recent list, stores and closes it;
    // true when nothing was recorded and it went instead.
    bool storeAfterRecording(int studyId, bool quitting);
    // The end handler of a monitor window that has gone: run from the event
    // loop, or at once when the program ends before the loop could run it
    // (quitting: the study is stored, nothing is opened).
    void setPendingEnd(std::function<void(bool)> end);
    void runPendingEnd(bool quitting);
    void showMonitor(QWidget* window);
    void exportAfterRecording(int id, const QString& folder);
    void reviewClosed(int id);
    void finishInterrupted(TStudy& study);
    // The store's protocols and the built-in tilt test, keeping the choice.
    void fillProtocols();
    void restoreLastProtocol();
    bool requireStore();
    void warn(const QString& text, const QString& title = QString());

    std::unique_ptr<Ui::MainWindow> ui;
    QString m_dataFolder;
    TLocalStudyStore::FreeSpaceQuery m_freeSpace;
    std::unique_ptr<TStudyStore> m_store;
    bool m_storeStarted = false;
    QPointer<EcgMonitorWindow> m_ecgMonitor;
    QPointer<StressMonitorWindow> m_stressMonitor;
    std::function<void(bool)> m_pendingEnd;
    QList<QPointer<QWidget>> m_reviews;
};
