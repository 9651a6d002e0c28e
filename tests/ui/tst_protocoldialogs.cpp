// The protocol list and protocol edit dialogs over a real local study store in
// a private folder: new, edited, renamed and deleted protocols reach the table
// file at once; replacing another protocol is confirmed first; the editor's
// buttons, keys and cells as the clinician uses them; both dialogs as they
// look under the program's style sheet.

#include "AppTestEnvironment.h"
#include "TestWidgets.h"
#include "ProtocolDialog.h"
#include "ProtocolListDialog.h"
#include "TAppIdentity.h"
#include "TLocalStudyStore.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>

#include <functional>
#include <memory>

namespace {

QPushButton* okOf(QWidget* w) { return TestWidgets::okButton(w); }

// Runs the action once on the first modal dialog of type T that becomes active,
// then closes the dialog if the action left it open.
template <typename T>
class WhenModal : public QObject
{
public:
    explicit WhenModal(std::function<void(T*)> action) : m_action(std::move(action)) { m_timer = startTimer(20); }
    bool done = false;

protected:
    void timerEvent(QTimerEvent*) override
    {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog || done)
            return;
        killTimer(m_timer);
        done = true;
        QPointer<T> open(dialog);
        m_action(dialog);
        // A failed check inside the action must not leave the test waiting.
        if (open && open->isVisible())
            open->reject();
    }

private:
    std::function<void(T*)> m_action;
    int m_timer = 0;
};


// A store listing a protocol it cannot give.
class GhostStore : public TStudyStore
{
public:
    QByteArrayList protocolNames() const override { return {"Ghost"}; }
    bool getProtocol(const QByteArray&, TProtocol&) const override { return false; }
};

struct StageRow
{
    int phase;
    QString duration;
    QString speed;
    QString incline;
};

// Adds the stages through the dialog's buttons and types their cells.
void addStages(ProtocolDialog* dialog, const QVector<StageRow>& rows)
{
    auto* phase = TestWidgets::child<QComboBox>(dialog, "cboPhase");
    auto* tree = TestWidgets::child<QTreeWidget>(dialog, "treeStages");
    for (const StageRow& r : rows) {
        phase->setCurrentIndex(r.phase);
        TestWidgets::child<QPushButton>(dialog, "btnAppend")->click();
        QTreeWidgetItem* item = tree->topLevelItem(tree->topLevelItemCount() - 1);
        if (!r.duration.isEmpty())
            item->setText(1, r.duration);
        if (!r.speed.isEmpty())
            tree->topLevelItem(tree->topLevelItemCount() - 1)->setText(2, r.speed);
        if (!r.incline.isEmpty())
            tree->topLevelItem(tree->topLevelItemCount() - 1)->setText(3, r.incline);
    }
}

const QVector<StageRow> FiveStages = {{0, "3:00", "", ""},
                                      {1, "2:00", "4.0", "0"},
                                      {1, "2:00", "6.5", "5"},
                                      {1, "2:00", "8.0", "10"},
                                      {2, "5:00", "2.0", "0"}};

using TestWidgets::column;
using TestWidgets::headers;

} // namespace

class TestProtocolDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QSettings().clear();
        m_root = std::make_unique<QTemporaryDir>();
        QVERIFY(m_root->isValid());
        m_store = std::make_unique<TLocalStudyStore>(m_root->path());
    }

    void cleanup()
    {
        m_store.reset();
        m_root.reset();
    }

    void newProtocolIsWrittenAtOnce()
    {
        ProtocolListDialog list(*m_store);
        list.show();
        WhenModal<ProtocolDialog> fill([](ProtocolDialog* d) {
            QVERIFY(TestWidgets::child<QLineEdit>(d, "txtProtocolName")->text().isEmpty());
            QCOMPARE(TestWidgets::child<QComboBox>(d, "cboProtocolType")->currentIndex(), 0);
            QVERIFY(!okOf(d)->isEnabled());
            TestWidgets::child<QLineEdit>(d, "txtProtocolName")->setText(QStringLiteral("Canine treadmill"));
            addStages(d, FiveStages);
            QVERIFY(okOf(d)->isEnabled());
            okOf(d)->click();
        });
        TestWidgets::child<QPushButton>(&list, "btnNew")->click();
        QVERIFY(fill.done);
        QCOMPARE(names(list), (QStringList{"Canine treadmill", "Example"}));
        QCOMPARE(TestWidgets::child<QListWidget>(&list, "listProtocols")->currentItem()->text(), QStringLiteral("Canine treadmill"));
        const QJsonObject stored = fileProtocol("Canine treadmill");
        QCOMPARE(stored.value(QLatin1String("type")).toString(), QStringLiteral("treadmill"));
        const QJsonArray stages = stored.value(QLatin1String("stages")).toArray();
        QCOMPARE(stages.size(), 5);
        QCOMPARE(stages[0].toObject().value(QLatin1String("phase")).toString(), QStringLiteral("rest"));
        QCOMPARE(stages[0].toObject().value(QLatin1String("duration")).toInt(), 180);
        QCOMPARE(stages[2].toObject().value(QLatin1String("speed")).toDouble(), 6.5);
        QCOMPARE(stages[3].toObject().value(QLatin1String("incline")).toDouble(), 10.0);
        QCOMPARE(stages[4].toObject().value(QLatin1String("phase")).toString(), QStringLiteral("recovery"));
        QCOMPARE(stages[4].toObject().value(QLatin1String("duration")).toInt(), 300);
    }

    void editCancelAndRename_data()
    {
        QTest::addColumn<QString>("newName"); // empty: cancelled
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("kept under its name") << "Example" << QStringList{"Example"};
        QTest::newRow("renamed: both listed") << "Example 2" << QStringList{"Example", "Example 2"};
        QTest::newRow("cancelled") << "" << QStringList{"Example"};
    }

    void editCancelAndRename()
    {
        QFETCH(QString, newName);
        const QByteArray before = tableFile();
        ProtocolListDialog list(*m_store);
        list.show();
        QVERIFY(QTest::qWaitForWindowActive(&list));
        WhenModal<ProtocolDialog> edit([&newName](ProtocolDialog* d) {
            QCOMPARE(TestWidgets::child<QLineEdit>(d, "txtProtocolName")->text(), QStringLiteral("Example"));
            auto* tree = TestWidgets::child<QTreeWidget>(d, "treeStages");
            QCOMPARE(tree->topLevelItemCount(), 7);
            QCOMPARE(tree->topLevelItem(2)->text(2), QStringLiteral("20.0 km/h"));
            tree->topLevelItem(2)->setText(2, QStringLiteral("22.5 km/h"));
            // The example's last exercise stage runs faster than the treadmill
            // goes: it is not stored again before it is mended.
            QVERIFY(!okOf(d)->isEnabled());
            QCOMPARE(TestWidgets::child<QLabel>(d, "lblStatus")->text(),
                     QStringLiteral("Exercise 5: the speed must be 0.0 to 40.0 km/h."));
            tree->topLevelItem(5)->setText(2, QStringLiteral("40"));
            QVERIFY(okOf(d)->isEnabled());
            if (newName.isEmpty()) {
                TestWidgets::child<QDialogButtonBox>(d, "buttonBox")->button(QDialogButtonBox::Cancel)->click();
                return;
            }
            TestWidgets::child<QLineEdit>(d, "txtProtocolName")->setText(newName);
            okOf(d)->click();
        });
        // Double-clicking the item is Edit.
        auto* listWidget = TestWidgets::child<QListWidget>(&list, "listProtocols");
        emit listWidget->itemDoubleClicked(listWidget->item(0));
        QTRY_VERIFY(edit.done);
        QTEST(names(list), "listed");
        if (newName.isEmpty()) {
            QCOMPARE(tableFile(), before);
            return;
        }
        const QJsonArray stages = fileProtocol(newName).value(QLatin1String("stages")).toArray();
        QCOMPARE(stages[2].toObject().value(QLatin1String("speed")).toDouble(), 22.5);
        if (newName != QLatin1String("Example")) {
            const QJsonArray old = fileProtocol("Example").value(QLatin1String("stages")).toArray();
            QCOMPARE(old[2].toObject().value(QLatin1String("speed")).toDouble(), 20.0);
        }
    }

    // A protocol stored under the name of another replaces it only once the
    // user has said so; No returns to the editor with everything still typed.
    void replacingAnotherIsConfirmed_data()
    {
        QTest::addColumn<bool>("fromNew");
        QTest::addColumn<bool>("yes");
        QTest::newRow("renamed onto another, Yes") << false << true;
        QTest::newRow("renamed onto another, No") << false << false;
        QTest::newRow("new under an existing name, Yes") << true << true;
        QTest::newRow("new under an existing name, No") << true << false;
    }

    void replacingAnotherIsConfirmed()
    {
        QFETCH(bool, fromNew);
        QFETCH(bool, yes);
        TProtocol bruce;
        bruce.setName("Bruce");
        bruce.appendStage(TProtocolStage::Rest, 120, 0, 0);
        bruce.appendStage(TProtocolStage::Exercise, 180, 2.7, 10);
        bruce.appendStage(TProtocolStage::Recovery, 120, 1, 0);
        m_store->setProtocol("Bruce", bruce);
        const QByteArray before = tableFile();

        ProtocolListDialog list(*m_store);
        list.show();
        TestWidgets::child<QListWidget>(&list, "listProtocols")->setCurrentRow(0); // "Bruce"
        AppTest::BoxClicker boxes({yes ? QMessageBox::Yes : QMessageBox::No});
        bool stillOpen = false;
        WhenModal<ProtocolDialog> edit([&](ProtocolDialog* d) {
            if (fromNew)
                addStages(d, {{0, "1:00", "", ""}, {1, "1:00", "3", ""}, {2, "1:00", "", ""}});
            TestWidgets::child<QLineEdit>(d, "txtProtocolName")->setText(QStringLiteral("Example"));
            okOf(d)->click();
            stillOpen = d->isVisible();
            if (stillOpen) {
                QCOMPARE(TestWidgets::child<QLineEdit>(d, "txtProtocolName")->text(), QStringLiteral("Example"));
                QCOMPARE(TestWidgets::child<QTreeWidget>(d, "treeStages")->topLevelItemCount(), 3);
                TestWidgets::child<QDialogButtonBox>(d, "buttonBox")->button(QDialogButtonBox::Cancel)->click();
            }
        });
        TestWidgets::child<QPushButton>(&list, fromNew ? "btnNew" : "btnEdit")->click();
        QVERIFY(edit.done);
        QCOMPARE(boxes.titles, QStringList{"Confirm"});
        QCOMPARE(boxes.texts, QStringList{"A protocol named Example exists already. Replace it?"});
        QCOMPARE(stillOpen, !yes);
        if (!yes) {
            QCOMPARE(tableFile(), before);
            return;
        }
        QCOMPARE(names(list), (QStringList{"Bruce", "Example"}));
        const QJsonArray stages = fileProtocol("Example").value(QLatin1String("stages")).toArray();
        QCOMPARE(stages.size(), 3);
        QCOMPARE(stages[1].toObject().value(QLatin1String("speed")).toDouble(), fromNew ? 3.0 : 2.7);
    }

    void deleteAsksFirst_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }

    void deleteAsksFirst()
    {
        QFETCH(bool, yes);
        ProtocolListDialog list(*m_store);
        list.show();
        AppTest::BoxClicker boxes({yes ? QMessageBox::Yes : QMessageBox::No});
        TestWidgets::child<QPushButton>(&list, "btnDelete")->click();
        QCOMPARE(boxes.titles, QStringList{"Confirm"});
        QCOMPARE(boxes.texts, QStringList{"Remove protocol Example?"});
        QCOMPARE(names(list), yes ? QStringList() : QStringList{"Example"});
        QCOMPARE(fileProtocol("Example").isEmpty(), yes);
        QVERIFY(QFile::exists(tablePath()));
        // Nothing left to edit or delete.
        QCOMPARE(TestWidgets::child<QPushButton>(&list, "btnEdit")->isEnabled(), !yes);
        QCOMPARE(TestWidgets::child<QPushButton>(&list, "btnDelete")->isEnabled(), !yes);
    }

    void aProtocolThatCannotBeReadIsReported()
    {
        GhostStore store;
        ProtocolListDialog list(store);
        list.show();
        AppTest::BoxClicker boxes({QMessageBox::Ok});
        TestWidgets::child<QPushButton>(&list, "btnEdit")->click();
        QCOMPARE(boxes.texts, QStringList{"Cannot load protocol"});
        QVERIFY(!qobject_cast<ProtocolDialog*>(QApplication::activeModalWidget()));
        QCOMPARE(names(list), QStringList{"Ghost"});
    }

    void typeIsChosenBeforeTheFirstStage()
    {
        ProtocolDialog dialog{QString(), TProtocol()};
        QVERIFY(!(dialog.windowFlags() & Qt::WindowContextHelpButtonHint));
        auto* type = TestWidgets::child<QComboBox>(&dialog, "cboProtocolType");
        auto* tree = TestWidgets::child<QTreeWidget>(&dialog, "treeStages");
        QVERIFY(type->isEnabled());
        type->setCurrentIndex(1);
        QCOMPARE(headers(tree), (QStringList{"Stage", "Duration", "Workload", ""}));
        type->setCurrentIndex(2);
        QCOMPARE(headers(tree), (QStringList{"Stage", "Duration", "Dose", ""}));
        type->setCurrentIndex(0);
        QCOMPARE(headers(tree), (QStringList{"Stage", "Duration", "Speed", "Incline", ""}));
        type->setCurrentIndex(1);
        TestWidgets::child<QPushButton>(&dialog, "btnAppend")->click();
        QVERIFY(!type->isEnabled());
        type->setCurrentIndex(0); // as a program could: the type stays
        QCOMPARE(dialog.protocol().type(), int(TProtocol::Ergometer));
        QCOMPARE(headers(tree), (QStringList{"Stage", "Duration", "Workload", ""}));
        // Workloads in kgm/min unless the configuration says watts.
        tree->topLevelItem(0)->setText(2, QStringLiteral("600"));
        QCOMPARE(dialog.protocol().stage(0).value(QStringLiteral("workload")), 100.0);
        QCOMPARE(tree->topLevelItem(0)->text(2), QStringLiteral("600.0 kgm/min"));
        tree->setCurrentItem(tree->topLevelItem(0));
        TestWidgets::child<QPushButton>(&dialog, "btnDelete")->click();
        QVERIFY(type->isEnabled());
    }

    void okFollowsTheStageOrder_data()
    {
        QTest::addColumn<QVector<int>>("phases");
        QTest::addColumn<bool>("ok");
        QTest::newRow("Rest, Exercise, Recovery") << QVector<int>{0, 1, 2} << true;
        QTest::newRow("Rest, Exercise, Recovery, Exercise") << QVector<int>{0, 1, 2, 1} << false;
    }

    void okFollowsTheStageOrder()
    {
        QFETCH(QVector<int>, phases);
        QFETCH(bool, ok);
        ProtocolDialog dialog(QStringLiteral("Bruce"), TProtocol());
        QVector<StageRow> rows;
        for (int p : phases)
            rows.append({p, QString(), QString(), QString()});
        addStages(&dialog, rows);
        QCOMPARE(okOf(&dialog)->isEnabled(), ok);
        QCOMPARE(TestWidgets::child<QLabel>(&dialog, "lblStatus")->text().isEmpty(), ok);
        // Return in the name field takes only what OK would.
        dialog.show();
        QTest::keyClick(TestWidgets::child<QLineEdit>(&dialog, "txtProtocolName"), Qt::Key_Return);
        QCOMPARE(dialog.result(), ok ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCOMPARE(dialog.isVisible(), !ok);
    }

    void theTiltTestNameIsRefusedVisibly()
    {
        ProtocolDialog dialog(QStringLiteral("Bruce"), TProtocol());
        addStages(&dialog, {{0, "", "", ""}, {1, "", "", ""}, {2, "", "", ""}});
        auto* status = TestWidgets::child<QLabel>(&dialog, "lblStatus");
        QVERIFY(okOf(&dialog)->isEnabled());
        TestWidgets::child<QLineEdit>(&dialog, "txtProtocolName")->setText(QStringLiteral(" tilt test"));
        QVERIFY(!okOf(&dialog)->isEnabled());
        QVERIFY2(status->text().contains(QLatin1String("tilt test")), qPrintable(status->text()));
        TestWidgets::child<QLineEdit>(&dialog, "txtProtocolName")->setText(QString());
        QVERIFY(!okOf(&dialog)->isEnabled());
        QVERIFY(!status->text().isEmpty());
        TestWidgets::child<QLineEdit>(&dialog, "txtProtocolName")->setText(QStringLiteral(" Tilt test, dogs "));
        QVERIFY(okOf(&dialog)->isEnabled());
        okOf(&dialog)->click();
        // Stored as typed.
        QCOMPARE(dialog.name(), QStringLiteral(" Tilt test, dogs "));
        QCOMPARE(dialog.protocol().name(), QByteArray(" Tilt test, dogs "));
    }

    void insertingAtTheCurrentRow()
    {
        ProtocolDialog dialog(QStringLiteral("Bruce"), TProtocol());
        addStages(&dialog, FiveStages);
        auto* tree = TestWidgets::child<QTreeWidget>(&dialog, "treeStages");
        auto* insert = TestWidgets::child<QPushButton>(&dialog, "btnInsert");
        tree->setCurrentItem(nullptr);
        QVERIFY(!insert->isEnabled());
        QVERIFY(!TestWidgets::child<QPushButton>(&dialog, "btnDelete")->isEnabled());
        tree->setCurrentItem(tree->topLevelItem(2));
        TestWidgets::child<QComboBox>(&dialog, "cboPhase")->setCurrentIndex(2);
        insert->click();
        QCOMPARE(column(tree, 0),
                 (QStringList{"Rest 1", "Exercise 1", "Recovery 1", "Exercise 2", "Exercise 3", "Recovery 2"}));
        QCOMPARE(tree->topLevelItem(2)->text(1), QStringLiteral("02:00"));
        QCOMPARE(tree->topLevelItem(2)->text(2), QStringLiteral("6.5 km/h"));
        QCOMPARE(tree->topLevelItem(2)->text(3), QStringLiteral("5.0 %"));
        QCOMPARE(tree->currentItem(), tree->topLevelItem(2));
        QCOMPARE(dialog.protocol().stage(3).value(QStringLiteral("speed")), 6.5);
        QVERIFY(!okOf(&dialog)->isEnabled());
    }

    void deleteAndInsertKeysOnTheTable()
    {
        ProtocolDialog dialog(QStringLiteral("Bruce"), TProtocol());
        addStages(&dialog, FiveStages);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* tree = TestWidgets::child<QTreeWidget>(&dialog, "treeStages");
        tree->setFocus();
        tree->setCurrentItem(tree->topLevelItem(1));
        QTest::keyClick(tree, Qt::Key_Delete);
        QCOMPARE(column(tree, 1), (QStringList{"03:00", "02:00", "02:00", "05:00"}));
        TestWidgets::child<QComboBox>(&dialog, "cboPhase")->setCurrentIndex(1);
        tree->setCurrentItem(tree->topLevelItem(3));
        QTest::keyClick(tree, Qt::Key_Insert);
        QCOMPARE(column(tree, 0), (QStringList{"Rest 1", "Exercise 1", "Exercise 2", "Exercise 3", "Recovery 1"}));
        QCOMPARE(tree->topLevelItem(3)->text(1), QStringLiteral("05:00"));
        QVERIFY(okOf(&dialog)->isEnabled());
    }

    // As typed: a double click opens the cell, Return takes it; a value the
    // machine would not take is refused below the table and the cell keeps
    // what it had.
    void typedCells_data()
    {
        QTest::addColumn<int>("cell");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("refused");
        QTest::newRow("duration 2:30") << 1 << "2:30" << "02:30" << false;
        QTest::newRow("duration 1:75 keeps") << 1 << "1:75" << "02:00" << true;
        QTest::newRow("99999 minutes keeps") << 1 << "99999" << "02:00" << true;
        QTest::newRow("speed") << 2 << "9" << "9.0 km/h" << false;
        QTest::newRow("negative speed keeps") << 2 << "-4" << "6.5 km/h" << true;
        QTest::newRow("unreadable speed keeps") << 2 << "quick" << "6.5 km/h" << true;
        QTest::newRow("incline of 500 % keeps") << 3 << "500" << "5.0 %" << true;
    }

    void typedCells()
    {
        QFETCH(int, cell);
        QFETCH(QString, typed);
        QFETCH(bool, refused);
        ProtocolDialog dialog(QStringLiteral("Bruce"), TProtocol());
        addStages(&dialog, FiveStages);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* tree = TestWidgets::child<QTreeWidget>(&dialog, "treeStages");
        // Neither the stage's name nor the blank column opens.
        for (int c : {0, tree->columnCount() - 1}) {
            doubleClick(tree, 2, c);
            QVERIFY(!qobject_cast<QLineEdit*>(QApplication::focusWidget()));
        }
        doubleClick(tree, 2, cell);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, typed);
        QTest::keyClick(editor, Qt::Key_Return);
        // The delegate takes the text on its next turn.
        QFETCH(QString, shown);
        QTRY_COMPARE(tree->topLevelItem(2)->text(cell), shown);
        QTRY_VERIFY(!qobject_cast<QLineEdit*>(QApplication::focusWidget()));
        const QString status = TestWidgets::child<QLabel>(&dialog, "lblStatus")->text();
        QCOMPARE(status.contains(typed), refused);
        QCOMPARE(okOf(&dialog)->isEnabled(), true);
        // The next change clears the refusal.
        TestWidgets::child<QPushButton>(&dialog, "btnAppend")->click();
        QVERIFY(!TestWidgets::child<QLabel>(&dialog, "lblStatus")->text().contains(typed));
    }

    // Both dialogs filled as a clinician fills them, under the program's style
    // sheet: nothing cut off. VELMORA_TEST_SHOTS names a folder for the pictures.
    void lookUnderTheStyleSheet()
    {
        qApp->setStyleSheet(TAppIdentity::styleSheet());
        QVERIFY(!qApp->styleSheet().isEmpty());
        TProtocol example;
        QVERIFY(m_store->getProtocol("Example", example));
        m_store->setProtocol("Bruce (canine)", example);
        m_store->setProtocol("Cycle ergometer", example);
        ProtocolListDialog list(*m_store);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QVERIFY(TestWidgets::shoot(&list, "protocol-list"));
        for (int i = 0; i < 3; ++i) {
            auto* item = TestWidgets::child<QListWidget>(&list, "listProtocols")->item(i);
            QVERIFY(TestWidgets::child<QListWidget>(&list, "listProtocols")->visualItemRect(item).height()
                    >= QFontMetrics(item->font()).height());
        }

        ProtocolDialog dialog(QString(), TProtocol(), &list);
        TestWidgets::child<QLineEdit>(&dialog, "txtProtocolName")->setText(QStringLiteral("Canine treadmill"));
        addStages(&dialog, FiveStages);
        auto* tree = TestWidgets::child<QTreeWidget>(&dialog, "treeStages");
        tree->topLevelItem(2)->setText(2, QStringLiteral("55"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(TestWidgets::shoot(&dialog, "protocol-edit"));
        // Every cell and header fits its column.
        for (int c = 0; c + 1 < tree->columnCount(); ++c) {
            const QFontMetrics fm(tree->font());
            int widest = tree->header()->sectionSizeHint(c);
            for (int r = 0; r < tree->topLevelItemCount(); ++r)
                widest = std::max(widest, fm.horizontalAdvance(tree->topLevelItem(r)->text(c)));
            QVERIFY2(tree->columnWidth(c) >= widest, qPrintable(tree->headerItem()->text(c)));
        }
        auto* status = TestWidgets::child<QLabel>(&dialog, "lblStatus");
        QVERIFY(status->text().contains(QLatin1String("40.0 km/h")));
        QVERIFY(status->height() >= status->heightForWidth(status->width()));
        QVERIFY(tree->viewport()->height() >= 5 * tree->visualItemRect(tree->topLevelItem(0)).height());

        // An ergometer protocol still without its recovery: the hint, not a refusal.
        ProtocolDialog ergometer(QStringLiteral("Cycle ergometer"), TProtocol(), &list);
        TestWidgets::child<QComboBox>(&ergometer, "cboProtocolType")->setCurrentIndex(1);
        addStages(&ergometer, {{0, "5:00", "0", ""}, {1, "3:00", "300", ""}, {1, "3:00", "600 kgm/min", ""}});
        ergometer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&ergometer));
        QVERIFY(TestWidgets::shoot(&ergometer, "protocol-edit-ergometer"));
        auto* hint = TestWidgets::child<QLabel>(&ergometer, "lblStatus");
        QVERIFY(hint->text().contains(QLatin1String("recovery")));
        QVERIFY(!hint->property("refusal").toBool());
        QVERIFY(status->property("refusal").toBool());
        QVERIFY(hint->palette().color(QPalette::WindowText) != status->palette().color(QPalette::WindowText));
        QCOMPARE(column(TestWidgets::child<QTreeWidget>(&ergometer, "treeStages"), 2),
                 (QStringList{"0.0 kgm/min", "300.0 kgm/min", "600.0 kgm/min"}));
        qApp->setStyleSheet(QString());
    }

private:
    static QStringList names(ProtocolListDialog& dialog)
    {
        QStringList n;
        auto* list = TestWidgets::child<QListWidget>(&dialog, "listProtocols");
        for (int i = 0; i < list->count(); ++i)
            n << list->item(i)->text();
        return n;
    }

    static void doubleClick(QTreeWidget* tree, int row, int c)
    {
        const QPoint at = tree->visualRect(tree->model()->index(row, c)).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
    }

    QString tablePath() const { return m_root->path() + QStringLiteral("/data/protocols.json"); }

    QByteArray tableFile() const
    {
        QFile file(tablePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The protocol of that name as the file holds it now; empty when absent.
    QJsonObject fileProtocol(const QString& name) const
    {
        for (const QJsonValue& v : QJsonDocument::fromJson(tableFile()).array())
            if (v.toObject().value(QLatin1String("name")).toString() == name)
                return v.toObject();
        return QJsonObject();
    }

    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<TLocalStudyStore> m_store;
};

VELMORA_APP_TEST_MAIN(TestProtocolDialogs)
#include "tst_protocoldialogs.moc"
