#pragma once

#include "TEchoScoring.h"

#include <QDialog>

#include <array>
#include <memory>
#include <optional>

class QComboBox;
struct TStudyRecord;

namespace Ui {
class EchoDialog;
}

// "Stress echocardiography scoring": the wall motion of the 16 heart-wall
// segments at rest, at peak and after the test, each 1 (normal) to 4
// (dyskinetic) or empty where the segment was not seen, with each phase's wall
// motion score index (the mean score of the segments seen; "---" where none
// was) updated as the scores are chosen.
//
// Use from a review window:
//     EchoDialog dialog(study->record(), this);
//     if (dialog.exec() == QDialog::Accepted && dialog.changed())
//         ... the record's echoScoring was written: mark the study modified
// OK writes the scoring into the record the dialog was opened on (none when no
// segment was seen, so that the record has no echo scoring); Cancel changes
// nothing. Opened on a scoring alone, the dialog writes nowhere: read scoring().
class EchoDialog : public QDialog
{
    Q_OBJECT

public:
    // Shows the record's echo scoring (none: every segment empty); OK writes
    // the record's echoScoring. The record must outlive the dialog.
    explicit EchoDialog(TStudyRecord& record, QWidget* parent = nullptr);
    // Shows the scoring; OK writes nowhere.
    explicit EchoDialog(const std::optional<TEchoScoring>& scoring, QWidget* parent = nullptr);
    ~EchoDialog() override;

    // The scoring as taken at OK, none when no segment was seen; before OK and
    // after Cancel, the scoring the dialog was opened with.
    std::optional<TEchoScoring> scoring() const { return m_result; }
    // Whether OK took a scoring that differs from the one the dialog opened with.
    bool changed() const { return m_changed; }

    // The score chooser of a segment (1..16) in a phase: its items are "" (not
    // seen) and "1 - Normal" ... "4 - Dyskinetic", the score in Qt::UserRole.
    QComboBox* scoreBox(TEchoScoring::Phase phase, int segment) const;

    // A phase's wall motion score index as the dialog shows it: "%.2f", or
    // "---" when no segment of the phase was seen.
    static QString scoreIndexText(const TEchoScoring& scoring, TEchoScoring::Phase phase);

public slots:
    void accept() override;

private:
    EchoDialog(TStudyRecord* record, const std::optional<TEchoScoring>& scoring, QWidget* parent);
    void buildChoosers();
    static QString phaseText(TEchoScoring::Phase phase);
    void onScoreChosen(TEchoScoring::Phase phase, int segment, int score);
    void showScoreIndexes();

    std::unique_ptr<Ui::EchoDialog> ui;
    TStudyRecord* m_record;
    // The scores as chosen; scores that are no score (a damaged file) are not seen.
    TEchoScoring m_scoring;
    std::optional<TEchoScoring> m_result;
    bool m_changed = false;
    std::array<std::array<QComboBox*, TEchoScoring::SegmentCount>, TEchoScoring::PhaseCount> m_boxes{};
};
