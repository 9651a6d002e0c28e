#include "EventListEditor.h"

#include "TTimeText.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>

namespace {

// The print column is a check box only: no text editor opens over it.
class EventItemDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        if (index.column() == EventListEditor::PrintColumn)
            return nullptr;
        return QStyledItemDelegate::createEditor(parent, option, index);
    }
};

} // namespace

EventListEditor::EventListEditor(QTreeWidget* tree, QVector<TStudyEvent>* events, QObject* parent)
    : QObject(parent), m_tree(tree), m_watched(tree), m_events(events)
{
    m_tree->setColumnCount(ColumnCount);
    m_tree->setHeaderLabels({tr("Time"), tr("Description"), tr("Print")});
    m_tree->setRootIsDecorated(false);
    // The description takes the room; the time and the check box need little.
    QHeaderView* header = m_tree->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(TimeColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(DescriptionColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(PrintColumn, QHeaderView::ResizeToContents);
    m_tree->setItemDelegate(new EventItemDelegate(m_tree));
    m_tree->installEventFilter(this);
    connect(m_tree, &QTreeWidget::itemChanged, this, &EventListEditor::onItemChanged);
    fill(-1, false);
}

EventListEditor::~EventListEditor() = default;

void EventListEditor::setPositionSource(std::function<double()> source)
{
    m_positionSource = std::move(source);
}

void EventListEditor::setRecordingLength(double seconds)
{
    m_recordingLength = seconds >= 0.0 ? seconds : std::numeric_limits<double>::infinity();
}

QVector<int> EventListEditor::timeOrder(const QVector<TStudyEvent>& events)
{
    QVector<int> order(events.size());
    for (int i = 0; i < order.size(); ++i)
        order[i] = i;
    // A position that is no number sorts last, so that the order stays strict.
    auto key = [&events](int i) {
        const double p = events[i].position;
        return std::isnan(p) ? std::numeric_limits<double>::infinity() : p;
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const double ka = key(a), kb = key(b);
        if (ka != kb)
            return ka < kb;
        return std::isnan(events[a].position) < std::isnan(events[b].position);
    });
    return order;
}

void EventListEditor::rebuild()
{
    fill(currentEvent(), false);
}

void EventListEditor::fill(int current, bool editDescription)
{
    if (m_tree.isNull())
        return;
    m_filling = true;
    m_tree->clear();
    for (const int index : timeOrder(*m_events)) {
        const TStudyEvent& event = (*m_events)[index];
        auto* item = new QTreeWidgetItem;
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsUserCheckable);
        item->setText(TimeColumn, TTimeText::eventTime(event.position));
        item->setText(DescriptionColumn, event.description);
        item->setCheckState(PrintColumn, event.print ? Qt::Checked : Qt::Unchecked);
        item->setData(TimeColumn, Qt::UserRole, index);
        m_tree->addTopLevelItem(item);
    }
    m_filling = false;
    if (QTreeWidgetItem* item = itemOf(current)) {
        m_tree->setCurrentItem(item, editDescription ? int(DescriptionColumn) : int(TimeColumn));
        if (editDescription)
            m_tree->editItem(item, DescriptionColumn);
    }
}

void EventListEditor::rebuildLater(int current)
{
    QTimer::singleShot(0, this, [this, current]() { fill(current, false); });
}

int EventListEditor::addEvent(double position)
{
    TStudyEvent event;
    event.description = tr("Enter description");
    event.position = std::isfinite(position) && position > 0.0 ? position : 0.0;
    event.duration = NewEventSeconds;
    event.print = true;
    m_events->append(event);
    const int index = m_events->size() - 1;
    fill(index, true);
    emit eventsChanged();
    return index;
}

bool EventListEditor::removeCurrent()
{
    const int index = currentEvent();
    if (index < 0)
        return false;
    m_events->removeAt(index);
    fill(-1, false);
    emit eventsChanged();
    return true;
}

int EventListEditor::eventIndex(const QTreeWidgetItem* item) const
{
    if (!item)
        return -1;
    bool ok = false;
    const int index = item->data(TimeColumn, Qt::UserRole).toInt(&ok);
    return ok && index >= 0 && index < m_events->size() ? index : -1;
}

int EventListEditor::currentEvent() const
{
    return m_tree.isNull() ? -1 : eventIndex(m_tree->currentItem());
}

std::optional<double> EventListEditor::currentPosition() const
{
    const int index = currentEvent();
    if (index < 0)
        return std::nullopt;
    return (*m_events)[index].position;
}

QTreeWidgetItem* EventListEditor::itemOf(int index) const
{
    if (index < 0 || m_tree.isNull())
        return nullptr;
    for (int row = 0; row < m_tree->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = m_tree->topLevelItem(row);
        if (eventIndex(item) == index)
            return item;
    }
    return nullptr;
}

void EventListEditor::onItemChanged(QTreeWidgetItem* item, int column)
{
    if (m_filling)
        return;
    const int index = eventIndex(item);
    if (index < 0)
        return;
    TStudyEvent& event = (*m_events)[index];
    bool changed = false;
    if (column == DescriptionColumn && item->text(DescriptionColumn) != event.description) {
        event.description = item->text(DescriptionColumn);
        changed = true;
    }
    if (column == PrintColumn) {
        const bool print = item->checkState(PrintColumn) == Qt::Checked;
        if (print != event.print) {
            event.print = print;
            changed = true;
        }
    }
    if (column == TimeColumn && item->text(TimeColumn) != TTimeText::eventTime(event.position)) {
        const std::optional<double> time = TTimeText::parseEventTime(item->text(TimeColumn));
        if (time && *time <= m_recordingLength) {
            event.position = *time;
            changed = true;
        }
        // Sorted again, or the event's own time back in the cell.
        rebuildLater(index);
    }
    if (changed)
        emit eventsChanged();
}

bool EventListEditor::eventFilter(QObject* watched, QEvent* event)
{
    // Compared as the plain object: the tree sends events while it is being
    // destroyed, when it is a QTreeWidget no longer.
    if (event->type() == QEvent::KeyPress && watched == m_watched) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            if (key->key() == Qt::Key_Insert) {
                addEvent(m_positionSource ? m_positionSource() : 0.0);
                return true;
            }
            if (key->key() == Qt::Key_Delete) {
                removeCurrent();
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
