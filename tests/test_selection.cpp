// Choices made without a mouse click: a row selected in a grid however it was
// selected is the row every button acts on, and a shift button checked
// however it was checked is the shift the journal uses.
#include "app/AppControl.h"
#include "data/Unit6.h"
#include "entry_shop.h"
#include "journal/JournalOps.h"
#include "journal/Unit1.h"
#include "reference/Unit2.h"
#include "reference/Unit5.h"
#include "support/TestDb.h"
#include "ui/DBGrid.h"
#include "ui/Msg.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleTableInterface>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

using namespace Shop;

namespace {

const QDate kDay(2024, 3, 5);

// The ways a grid row gets selected.
enum class Way { AccessibleRow, AccessibleCellToggle, SelectionModel, Keyboard, Program };

void selectRow(DBGrid *grid, int row, Way way)
{
    switch (way) {
    case Way::AccessibleRow: {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(grid);
        QVERIFY(a && a->tableInterface());
        QVERIFY(a->tableInterface()->selectRow(row));
        break;
    }
    case Way::AccessibleCellToggle: {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(grid);
        QVERIFY(a && a->tableInterface());
        QAccessibleInterface *cell = a->tableInterface()->cellAt(row, 0);
        QVERIFY(cell && cell->actionInterface());
        QVERIFY(cell->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
        cell->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        break;
    }
    case Way::SelectionModel:
        grid->selectionModel()->select(grid->model()->index(row, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        break;
    case Way::Keyboard:
        grid->setFocus();
        for (int r = grid->currentIndex().row(); r < row; ++r)
            QTest::keyClick(grid, Qt::Key_Down);
        break;
    case Way::Program:
        grid->selectRow(row);
        break;
    }
}

void addWays()
{
    QTest::addColumn<Way>("way");
    QTest::newRow("screen reader selects the row") << Way::AccessibleRow;
    QTest::newRow("screen reader toggles a cell") << Way::AccessibleCellToggle;
    QTest::newRow("selection model") << Way::SelectionModel;
    QTest::newRow("keyboard") << Way::Keyboard;
    QTest::newRow("program") << Way::Program;
}

int workerId(const QString &fio)
{
    return TestDb::scalar("select id from accounts_dep.person where fio=:f", {{"f", fio}}).toInt();
}

// Shows the journal as the active window (its activation loads today), then
// loads the test day.
void showJournal()
{
    Form1->show();
    QApplication::setActiveWindow(Form1);
    QVERIFY(QTest::qWaitForWindowActive(Form1));
    QCoreApplication::processEvents();
    openJournals(kDay);
}

// The ways a shift button gets checked.
enum class Check { ScreenReaderToggle, Program, ArrowKeys, SpaceKey, Mouse };

} // namespace

class SelectionTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void gridFollowsSelection_data() { addWays(); }
    void gridFollowsSelection();
    void workerListDeletesSelectedWorker_data() { addWays(); }
    void workerListDeletesSelectedWorker();
    void pickerHandsOverSelectedWorker_data() { addWays(); }
    void pickerHandsOverSelectedWorker();
    void journalDeletesSelectedEntry_data() { addWays(); }
    void journalDeletesSelectedEntry();
    void shiftCheckedAnyWayIsUsed_data();
    void shiftCheckedAnyWayIsUsed();
};

void SelectionTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    TestDb::fresh();
    auto *f1 = new TForm1();
    f1->Timer1->stop();
    new TForm2();
    new TForm5();
    // Windows shown modally run the test's actions instead of a modal loop.
    Modal::setHandler([](QDialog *d) {
        d->show();
        QApplication::processEvents();
        if (auto act = d->property("testAction").value<std::function<void()> *>())
            (*act)();
        d->hide();
        return 0;
    });
}

void SelectionTest::init()
{
    TestDb::fresh();
    // "Абрамов", "Богданов", "Васильев", "Григорьев" in the list's order.
    TestDb::exec("insert into accounts_dep.person (fio, s_staffpos_hl) values ('Григорьев Г.Г.', ''), "
                 "('Абрамов А.А.', ''), ('Васильев В.В.', ''), ('Богданов Б.Б.', '')");
    Msg::answer(true);
}

void SelectionTest::cleanup()
{
    Msg::clearShown();
    Form5->setProperty("testAction", QVariant());
    Form1->hide();
    Form5->hide();
}

void SelectionTest::gridFollowsSelection()
{
    QFETCH(Way, way);
    Dataset &w = DataModule6->Workers;
    w.open();
    DBGrid grid;
    grid.setColumns({gridColumn("fio", "ФИО")});
    grid.setDataset(&w);
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QCOMPARE(w.recNo(), 1);
    selectRow(&grid, 2, way);
    QCOMPARE(grid.selectionModel()->selectedRows().size(), 1);
    QCOMPARE(grid.selectionModel()->selectedRows().first().row(), 2);
    QCOMPARE(w.recNo(), 3);
    QCOMPARE(w.text("fio"), QString("Васильев В.В."));
    QCOMPARE(grid.currentIndex().row(), 2);
    // The dataset moving moves the selection back.
    w.first();
    QCOMPARE(grid.selectionModel()->selectedRows().first().row(), 0);
    w.close();
}

void SelectionTest::workerListDeletesSelectedWorker()
{
    QFETCH(Way, way);
    const int bogdanov = workerId("Богданов Б.Б.");
    std::function<void()> act = [&] {
        QCOMPARE(DataModule6->Workers.recNo(), 1);
        selectRow(Form5->DBGrid1, 1, way);
        QTest::mouseClick(Form5->Button3, Qt::LeftButton); // "Удалить", answered "Да"
    };
    Form5->setProperty("testAction", QVariant::fromValue(&act));
    Form5->OpenForMaintenance();
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(Msg::shown()[0].text, QString("Удалить работника?"));
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.person").toInt(), 3);
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.person where id=:i::integer", {{"i", bogdanov}}).toInt(),
             0);
}

void SelectionTest::pickerHandsOverSelectedWorker()
{
    QFETCH(Way, way);
    std::function<void()> act = [&] {
        selectRow(Form5->DBGrid1, 2, way);
        QTest::mouseClick(Form5->Button2, Qt::LeftButton); // "Выбрать"
    };
    Form5->setProperty("testAction", QVariant::fromValue(&act));
    const std::optional<PickedRow> picked = Form5->Pick(1);
    QVERIFY(picked.has_value());
    QCOMPARE(picked->id, workerId("Васильев В.В."));
    QCOMPARE(picked->text, QString("Васильев В.В."));
}

void SelectionTest::journalDeletesSelectedEntry()
{
    QFETCH(Way, way);
    load();
    const int first = entry(Ivanov, Assembly, kDay, 1, 4);
    const int second = entry(Petrov, Assembly, kDay, 1, 3);
    showJournal();
    QCOMPARE(Form1->DBGrid2->model()->rowCount(), 2);
    const int shownFirst = int(DataModule6->journal(1).asInt("id"));
    const int target = shownFirst == first ? second : first;
    selectRow(Form1->DBGrid2, 1, way);
    QTest::mouseClick(Form1->Button3, Qt::LeftButton); // "Удалить", answered "Да"
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(Msg::shown()[0].text, QString("Удалить позицию из списка?"));
    QCOMPARE(entries(), 1);
    QCOMPARE(entries("id=:i::integer", {{"i", target}}), 0);
}

void SelectionTest::shiftCheckedAnyWayIsUsed_data()
{
    QTest::addColumn<Check>("how");
    QTest::newRow("screen reader toggle") << Check::ScreenReaderToggle;
    QTest::newRow("program") << Check::Program;
    QTest::newRow("arrow keys") << Check::ArrowKeys;
    QTest::newRow("space key") << Check::SpaceKey;
    QTest::newRow("mouse") << Check::Mouse;
}

void SelectionTest::shiftCheckedAnyWayIsUsed()
{
    QFETCH(Check, how);
    load();
    entry(Ivanov, Assembly, kDay, 1, 4);
    const int inShift2 = entry(Petrov, Assembly, kDay, 2, 3);
    Form1->RadioButton1->setChecked(true);
    showJournal();
    QCOMPARE(Form1->ShiftNumber, 1);
    QCOMPARE(Form1->DBGrid2->model()->rowCount(), 1);
    QRadioButton *b2 = Form1->RadioButton2;
    switch (how) {
    case Check::ScreenReaderToggle: {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(b2);
        QVERIFY(a && a->actionInterface());
        QVERIFY(a->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
        a->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        break;
    }
    case Check::Program:
        b2->setChecked(true);
        break;
    case Check::ArrowKeys:
        Form1->RadioButton1->setFocus();
        QTest::keyClick(Form1->RadioButton1, Qt::Key_Right);
        break;
    case Check::SpaceKey:
        b2->setFocus();
        QTest::keyClick(b2, Qt::Key_Space);
        break;
    case Check::Mouse:
        QTest::mouseClick(b2, Qt::LeftButton);
        break;
    }
    QVERIFY(b2->isChecked());
    QCOMPARE(Form1->ShiftNumber, 2);
    QCOMPARE(&Form1->CurrentJournal(), &DataModule6->journal(2));
    QCOMPARE(Form1->DBGrid2->dataset(), &DataModule6->journal(2));
    QVERIFY(Form1->RadioButton2->font().bold());
    QVERIFY(!Form1->RadioButton1->font().bold());
    QCOMPARE(JournalOps::EntryShift(Form1->ShiftNumber), 2);
    // "Удалить" acts on the shift shown: the second shift's only entry.
    QTest::mouseClick(Form1->Button3, Qt::LeftButton);
    QCOMPARE(entries(), 1);
    QCOMPARE(entries("id=:i::integer", {{"i", inShift2}}), 0);
}

int main(int argc, char **argv)
{
    Application app(argc, argv);
    InstallRussian(app);
    SelectionTest t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_selection.moc"
