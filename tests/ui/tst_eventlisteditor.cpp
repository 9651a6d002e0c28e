// The events list of the review windows: rows in time order whatever the order
// of the study's events, the event's index carried in each row, edits of the
// description, the print box and the time going into the event (a time that
// cannot be read puts the event's own back), adding and removing by button and
// by key.

#include "EventListEditor.h"
#include "TestWidgets.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

#include <cmath>

namespace {

TStudyEvent makeEvent(const char* description, double position, bool print = false, double duration = 7.0)
{
    TStudyEvent e;
    e.description = QString::fromUtf8(description);
    e.position = position;
    e.duration = duration;
    e.print = print;
    return e;
}

using TestWidgets::column;

QStringList descriptions(const QVector<TStudyEvent>& events)
{
    QStringList texts;
    for (const TStudyEvent& e : events)
        texts.append(e.description);
    return texts;
}

// The line editor open over the tree's cell, if any.
QLineEdit* openEditor(QTreeWidget& tree)
{
    for (QLineEdit* edit : tree.viewport()->findChildren<QLineEdit*>())
        if (edit->isVisible())
            return edit;
    return nullptr;
}

// Types into a cell through the tree's own editor, as the user does.
void typeInto(QTreeWidget& tree, QTreeWidgetItem* item, int column, const QString& text)
{
    tree.setCurrentItem(item, column);
    tree.editItem(item, column);
    QLineEdit* edit = openEditor(tree);
    QVERIFY(edit);
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
    // The tree takes the text from its editor through a queued call.
    QTRY_VERIFY(!openEditor(tree));
}

struct Fixture
{
    QTreeWidget tree;
    QVector<TStudyEvent> events;
    std::unique_ptr<EventListEditor> editor;

    explicit Fixture(const QVector<TStudyEvent>& initial) : events(initial)
    {
        tree.resize(500, 300);
        tree.show();
        editor = std::make_unique<EventListEditor>(&tree, &events);
    }
};

} // namespace

class TestEventListEditor : public QObject
{
    Q_OBJECT

private slots:
    void rowsInTimeOrder();
    void timeOrder_data();
    void timeOrder();
    void addEarlierEvent();
    void descriptionAndPrintApplied();
    void timeEdit_data();
    void timeEdit();
    void printColumnHasNoTextEditor();
    void removeWithoutRowDoesNothing();
    void removeTheRowsEvent();
    void keys();
};

void TestEventListEditor::rowsInTimeOrder()
{
    Fixture f({makeEvent("late", 95.0, true), makeEvent("early", 5.2), makeEvent("middle", 61.9, true)});
    QCOMPARE(f.tree.columnCount(), 3);
    QCOMPARE(f.tree.headerItem()->text(0), QStringLiteral("Time"));
    QCOMPARE(f.tree.headerItem()->text(1), QStringLiteral("Description"));
    QCOMPARE(f.tree.headerItem()->text(2), QStringLiteral("Print"));
    QCOMPARE(column(f.tree, 0), (QStringList{"00:05", "01:01", "01:35"}));
    QCOMPARE(column(f.tree, 1), (QStringList{"early", "middle", "late"}));
    // The event's index in the study's list, in column 0's user data.
    QCOMPARE(f.tree.topLevelItem(0)->data(0, Qt::UserRole).toInt(), 1);
    QCOMPARE(f.editor->eventIndex(f.tree.topLevelItem(1)), 2);
    QCOMPARE(f.editor->itemOf(0), f.tree.topLevelItem(2));
    QCOMPARE(f.tree.topLevelItem(0)->checkState(2), Qt::Unchecked);
    QCOMPARE(f.tree.topLevelItem(2)->checkState(2), Qt::Checked);
    // The study's own order stays as it was.
    QCOMPARE(descriptions(f.events), (QStringList{"late", "early", "middle"}));

    QVERIFY(!f.editor->currentPosition());
    f.tree.setCurrentItem(f.tree.topLevelItem(1));
    QCOMPARE(f.editor->currentEvent(), 2);
    QCOMPARE(*f.editor->currentPosition(), 61.9);
    // Rebuilt after a change elsewhere: still in order, the same event current.
    f.events[0].position = 1.0;
    f.editor->rebuild();
    QCOMPARE(column(f.tree, 1), (QStringList{"late", "early", "middle"}));
    QCOMPARE(f.editor->currentEvent(), 2);
}

void TestEventListEditor::timeOrder_data()
{
    QTest::addColumn<QVector<double>>("positions");
    QTest::addColumn<QVector<int>>("order");
    QTest::addRow("empty") << QVector<double>{} << QVector<int>{};
    QTest::addRow("already sorted") << QVector<double>{1, 2, 3} << QVector<int>{0, 1, 2};
    QTest::addRow("reversed") << QVector<double>{3, 2, 1} << QVector<int>{2, 1, 0};
    QTest::addRow("ties keep the list's order") << QVector<double>{10, 5, 10, 5} << QVector<int>{1, 3, 0, 2};
    QTest::addRow("no number sorts last") << QVector<double>{std::nan(""), 4, std::nan(""), -1}
                                          << QVector<int>{3, 1, 0, 2};
    QTest::addRow("infinity before no number")
        << QVector<double>{std::nan(""), HUGE_VAL, 0} << QVector<int>{2, 1, 0};
}

void TestEventListEditor::timeOrder()
{
    QFETCH(QVector<double>, positions);
    QFETCH(QVector<int>, order);
    QVector<TStudyEvent> events;
    for (const double p : positions)
        events.append(makeEvent("e", p));
    QCOMPARE(EventListEditor::timeOrder(events), order);
}

void TestEventListEditor::addEarlierEvent()
{
    Fixture f({makeEvent("first", 30.0), makeEvent("second", 80.0)});
    QSignalSpy changed(f.editor.get(), &EventListEditor::eventsChanged);
    const int index = f.editor->addEvent(12.5);
    QCOMPARE(index, 2);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(f.events.size(), 3);
    const TStudyEvent& added = f.events[2];
    QCOMPARE(added.description, QStringLiteral("Enter description"));
    QCOMPARE(added.position, 12.5);
    QCOMPARE(added.duration, 7.0);
    QVERIFY(added.print);
    // Its row is the first, current, and its description open for editing.
    QCOMPARE(column(f.tree, 1), (QStringList{"Enter description", "first", "second"}));
    QCOMPARE(f.editor->currentEvent(), 2);
    QCOMPARE(f.tree.currentColumn(), 1);
    QLineEdit* edit = openEditor(f.tree);
    QVERIFY(edit);
    QCOMPARE(edit->text(), QStringLiteral("Enter description"));
    QTest::keyClicks(edit, QStringLiteral("Syncope"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_COMPARE(f.events[2].description, QStringLiteral("Syncope"));
    QCOMPARE(changed.count(), 2);
}

void TestEventListEditor::descriptionAndPrintApplied()
{
    Fixture f({makeEvent("b", 20.0, false), makeEvent("a", 10.0, true)});
    QSignalSpy changed(f.editor.get(), &EventListEditor::eventsChanged);
    QTreeWidgetItem* row0 = f.tree.topLevelItem(0); // "a", event 1
    typeInto(f.tree, row0, 1, QStringLiteral("VPC run"));
    QCOMPARE(f.events[1].description, QStringLiteral("VPC run"));
    QCOMPARE(f.events[0].description, QStringLiteral("b"));
    QCOMPARE(changed.count(), 1);

    f.tree.topLevelItem(1)->setCheckState(2, Qt::Checked);
    QVERIFY(f.events[0].print);
    f.tree.topLevelItem(0)->setCheckState(2, Qt::Unchecked);
    QVERIFY(!f.events[1].print);
    QCOMPARE(changed.count(), 3);
    // The same text again is no change.
    f.tree.topLevelItem(0)->setText(1, QStringLiteral("VPC run"));
    QCOMPARE(changed.count(), 3);
    // Nothing else moved.
    QCOMPARE(f.events[0].position, 20.0);
    QCOMPARE(f.events[1].position, 10.0);
}

void TestEventListEditor::timeEdit_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("position"); // of the edited event afterwards
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("times");
    // The edited event "b" starts at 75.4 s between "a" at 10 s and "c" at 200 s.
    QTest::addRow("moved before another") << "00:05" << 5.0 << QStringList{"b", "a", "c"}
                                          << QStringList{"00:05", "00:10", "03:20"};
    QTest::addRow("moved after another") << "4:01" << 241.0 << QStringList{"a", "c", "b"}
                                         << QStringList{"00:10", "03:20", "04:01"};
    QTest::addRow("blanks around") << " 01:30 " << 90.0 << QStringList{"a", "b", "c"}
                                   << QStringList{"00:10", "01:30", "03:20"};
    QTest::addRow("the same time keeps the tenths") << "01:15" << 75.4 << QStringList{"a", "b", "c"}
                                                    << QStringList{"00:10", "01:15", "03:20"};
    QTest::addRow("garbage") << "later" << 75.4 << QStringList{"a", "b", "c"}
                             << QStringList{"00:10", "01:15", "03:20"};
    QTest::addRow("seconds past 59") << "01:75" << 75.4 << QStringList{"a", "b", "c"}
                                     << QStringList{"00:10", "01:15", "03:20"};
    QTest::addRow("empty") << "" << 75.4 << QStringList{"a", "b", "c"}
                           << QStringList{"00:10", "01:15", "03:20"};
    QTest::addRow("past the recording's end") << "10:01" << 75.4 << QStringList{"a", "b", "c"}
                                              << QStringList{"00:10", "01:15", "03:20"};
    QTest::addRow("at the recording's end") << "10:00" << 600.0 << QStringList{"a", "c", "b"}
                                            << QStringList{"00:10", "03:20", "10:00"};
}

void TestEventListEditor::timeEdit()
{
    QFETCH(QString, typed);
    QFETCH(double, position);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, times);
    Fixture f({makeEvent("c", 200.0), makeEvent("b", 75.4), makeEvent("a", 10.0)});
    f.editor->setRecordingLength(600.0);
    QSignalSpy changed(f.editor.get(), &EventListEditor::eventsChanged);
    typeInto(f.tree, f.editor->itemOf(1), 0, typed);
    QCOMPARE(f.events[1].position, position);
    QCOMPARE(changed.count(), position != 75.4 ? 1 : 0);
    // Sorted again (or put back) once the edit is done.
    QTRY_COMPARE(column(f.tree, 0), times);
    QCOMPARE(column(f.tree, 1), rows);
    // The edited event stays current, so the display can follow it.
    QCOMPARE(f.editor->currentEvent(), 1);
    QCOMPARE(*f.editor->currentPosition(), position);
    QCOMPARE(f.events[0].position, 200.0);
    QCOMPARE(f.events[2].position, 10.0);
}

void TestEventListEditor::printColumnHasNoTextEditor()
{
    Fixture f({makeEvent("a", 10.0)});
    QTreeWidgetItem* item = f.tree.topLevelItem(0);
    f.tree.setCurrentItem(item, 2);
    f.tree.editItem(item, 2);
    QVERIFY(!openEditor(f.tree));
    QCOMPARE(item->text(2), QString());
}

void TestEventListEditor::removeWithoutRowDoesNothing()
{
    Fixture f({makeEvent("a", 10.0), makeEvent("b", 20.0)});
    QSignalSpy changed(f.editor.get(), &EventListEditor::eventsChanged);
    f.tree.setCurrentItem(nullptr);
    QVERIFY(!f.editor->removeCurrent());
    QTest::keyClick(&f.tree, Qt::Key_Delete);
    QCOMPARE(f.events.size(), 2);
    QCOMPARE(f.tree.topLevelItemCount(), 2);
    QCOMPARE(changed.count(), 0);
}

void TestEventListEditor::removeTheRowsEvent()
{
    Fixture f({makeEvent("late", 50.0), makeEvent("early", 1.0), makeEvent("middle", 20.0)});
    QSignalSpy changed(f.editor.get(), &EventListEditor::eventsChanged);
    // The first row shows the study's second event.
    f.tree.setCurrentItem(f.tree.topLevelItem(0));
    QVERIFY(f.editor->removeCurrent());
    QCOMPARE(descriptions(f.events), (QStringList{"late", "middle"}));
    QCOMPARE(column(f.tree, 1), (QStringList{"middle", "late"}));
    QCOMPARE(f.editor->eventIndex(f.tree.topLevelItem(0)), 1);
    QCOMPARE(f.editor->eventIndex(f.tree.topLevelItem(1)), 0);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(f.editor->currentEvent(), -1);
}

void TestEventListEditor::keys()
{
    Fixture f({makeEvent("a", 40.0)});
    double shown = 12.0;
    f.editor->setPositionSource([&shown] { return shown; });
    QSignalSpy changed(f.editor.get(), &EventListEditor::eventsChanged);
    f.tree.setFocus();
    QTest::keyClick(&f.tree, Qt::Key_Insert);
    QCOMPARE(f.events.size(), 2);
    QCOMPARE(f.events[1].position, 12.0);
    QCOMPARE(column(f.tree, 1), (QStringList{"Enter description", "a"}));
    // The description is open: the keys type there and leave the list alone.
    QLineEdit* edit = openEditor(f.tree);
    QVERIFY(edit);
    QTest::keyClick(edit, Qt::Key_Escape);
    QVERIFY(!openEditor(f.tree));
    f.tree.setFocus();
    // Delete removes the current row's event: the new one.
    QCOMPARE(f.editor->currentEvent(), 1);
    QTest::keyClick(&f.tree, Qt::Key_Delete);
    QCOMPARE(descriptions(f.events), QStringList{"a"});
    QCOMPARE(changed.count(), 2);
    // A position source that is no time adds at 0 s.
    shown = std::nan("");
    f.tree.setFocus();
    QTest::keyClick(&f.tree, Qt::Key_Insert);
    QCOMPARE(f.events.last().position, 0.0);
}

QTEST_MAIN(TestEventListEditor)
#include "tst_eventlisteditor.moc"
