#pragma once

#include "TStudyEvent.h"

#include <QObject>
#include <QPointer>
#include <QTreeWidget>
#include <QVector>

#include <functional>
#include <limits>
#include <optional>


// The events list of the review windows, over a tree widget: one row per event
// of the study in time order (events at the same time in the study's order),
// with its time "%02d:%02d", its description and its print check box, and the
// event's index in the study's list in column 0's user data (Qt::UserRole).
//
// Edits of the description and of the print box go into the event at once. The
// time cell takes a time typed as "mm:ss" (or "m:ss"): the event moves there and
// the list is sorted again; a text that is no such time, or a time past the
// recording's end, puts the event's own time back in the cell. The keys Insert
// (add an event at the position source's time) and Delete (remove the current
// event) work on the list; the buttons of a window call addEvent and
// removeCurrent. The events keep their order in the study: only the rows are
// sorted.
//
// Use: construct over the window's tree and the study's event vector (neither
// is owned; both outlive the editor), setPositionSource to the browse display's
// start time, setRecordingLength, and listen to eventsChanged to mark the study
// modified. eventIndex / currentPosition tell which event a row shows and where
// it starts, for moving the display there.
class EventListEditor : public QObject
{
    Q_OBJECT

public:
    enum Column
    {
        TimeColumn = 0,
        DescriptionColumn = 1,
        PrintColumn = 2,
        ColumnCount = 3
    };
    // A new event's length, in seconds.
    static constexpr double NewEventSeconds = 7.0;

    // Gives the tree its three columns ("Time", "Description", "Print") and fills it.
    EventListEditor(QTreeWidget* tree, QVector<TStudyEvent>* events, QObject* parent = nullptr);
    ~EventListEditor() override;

    // Where Insert adds an event; 0 s without a source.
    void setPositionSource(std::function<double()> source);
    // Typed times past this length (seconds) are refused; no limit by default.
    void setRecordingLength(double seconds);

    // Fills the rows anew from the events (after the events changed elsewhere),
    // keeping the current event current.
    void rebuild();
    // A new event at position (seconds), NewEventSeconds long, described "Enter
    // description" and printed; its row becomes current with its description
    // open for editing. Returns the event's index in the study's list.
    int addEvent(double position);
    // Removes the current row's event; false (and nothing changes) when no row
    // is current.
    bool removeCurrent();

    // The index in the study's list of the event a row shows; -1 for none.
    int eventIndex(const QTreeWidgetItem* item) const;
    int currentEvent() const;
    // Where the current row's event starts, in seconds; none without a current row.
    std::optional<double> currentPosition() const;
    // The row showing an event, or null.
    QTreeWidgetItem* itemOf(int eventIndex) const;

    // The event indices in row order: by position, ties (and positions that are
    // no number, last) in the list's order.
    static QVector<int> timeOrder(const QVector<TStudyEvent>& events);

signals:
    // An event was added, removed or edited.
    void eventsChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill(int currentEvent, bool editDescription);
    void onItemChanged(QTreeWidgetItem* item, int column);
    // Sorts and rewrites the rows once the tree has finished the edit that
    // asked for it (rows must not be deleted inside the tree's own signal).
    void rebuildLater(int currentEvent);

    QPointer<QTreeWidget> m_tree;
    const QObject* m_watched; // the tree, for telling its events apart

    QVector<TStudyEvent>* m_events;
    std::function<double()> m_positionSource;
    double m_recordingLength = std::numeric_limits<double>::infinity();
    bool m_filling = false;
};
