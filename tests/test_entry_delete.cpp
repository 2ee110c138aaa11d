// Acceptance toggle and deletion of journal entries, with the timesheet kept
// in step, against the real database.
#include "data/DbError.h"
#include "data/Unit6.h"
#include "entry_shop.h"
#include "journal/JournalOps.h"
#include "journal/Unit1.h"
#include "journal/Unit11.h"
#include "support/JournalWindow.h"
#include "support/TestDb.h"
#include "ui/Msg.h"

#include <QDateEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace Shop;

class EntryDeleteTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void acceptToggle_data();
    void acceptToggle();
    void acceptToggleKeepsRowAndSkipsEmptyJournal();

    void deleteAnsweredNo();
    void deleteUpkeep_data();
    void deleteUpkeep();
    void deleteUsesEntryOwnDate();
    void deleteIsOneTransaction();
    void deleteEntryGoneMeanwhile();
    void deleteOnEmptyJournalAsksNothing();
    void journalButtonsReachTheEntries();
};

namespace {

const QDate kDay(2024, 3, 5);

void journalWindow(int shift, const QDate &day)
{
    Form1->ShiftNumber = shift;
    Form1->DateT->setDate(day);
    openJournals(day);
}

QString mark(int id)
{
    return TestDb::scalar("select ok from accounts_dep.smena where id=:id::integer", {{"id", id}}).toString();
}

const QString kEmpty("null");  // an empty cell
const QString kNoRow("no row"); // no row at all

} // namespace

void EntryDeleteTest::initTestCase()
{
    TestDb::fresh();
    NewJournalWindow();
    new TForm11();
}

void EntryDeleteTest::init()
{
    TestDb::fresh();
    load();
    Form1->LoginCode = "61730482";
    journalWindow(1, kDay);
}

void EntryDeleteTest::acceptToggle_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("да -> no") << "61730482" << "да" << "no";
    QTest::newRow("ok -> no") << "0583" << "ok" << "no";
    QTest::newRow("no -> ok") << "61730482" << "no" << "ok";
    QTest::newRow("capital OK -> ok") << "61730482" << "OK" << "ok";
    QTest::newRow("other -> ok") << "61730482" << "xy" << "ok";
    QTest::newRow("empty -> ok") << "61730482" << "" << "ok";
    QTest::newRow("storekeeper toggles") << "tumpo" << "no" << "ok";
    QTest::newRow("foreman: nothing") << "quorbel" << "no" << "no";
    QTest::newRow("foreman: nothing either way") << "quorbel" << "ok" << "ok";
}

void EntryDeleteTest::acceptToggle()
{
    QFETCH(QString, login);
    QFETCH(QString, before);
    QFETCH(QString, after);
    Form1->LoginCode = login;
    const int id = entry(Ivanov, Assembly, kDay, 1, 8, before);
    const int other = entry(Petrov, Assembly, kDay, 1, 8, before);
    openJournals(kDay);
    QVERIFY(DataModule6->Smena1.locate("id", id));
    Form1->DBGrid2DblClick();
    QCOMPARE(mark(id).trimmed(), after);
    QCOMPARE(mark(other).trimmed(), before); // only the selected entry
    QCOMPARE(DataModule6->Smena1.text("ok"), after);
    QVERIFY(Msg::shown().isEmpty());
}

void EntryDeleteTest::acceptToggleKeepsRowAndSkipsEmptyJournal()
{
    entry(Ivanov, Assembly, kDay, 2, 8, "ok");
    const int id = entry(Petrov, Assembly, kDay, 2, 8, "no");
    entry(Petrov, Cutting, kDay, 2, 8, "no");
    journalWindow(2, kDay);
    QVERIFY(DataModule6->Smena2.locate("id", id));
    const int rec = DataModule6->Smena2.recNo();
    QVERIFY(rec > 1);
    Form1->DBGrid2DblClick();
    QCOMPARE(DataModule6->Smena2.recNo(), rec);
    QCOMPARE(DataModule6->Smena2.asInt("id"), qint64(id));
    Form1->DBGrid2DblClick(); // and back
    QCOMPARE(mark(id), QString("no"));
    // Shift 3 has no entries: nothing happens.
    journalWindow(3, kDay);
    Form1->DBGrid2DblClick();
    QCOMPARE(entries("ok='ok'"), 1);
}

void EntryDeleteTest::deleteAnsweredNo()
{
    entry(Ivanov, Assembly, kDay, 1, 6);
    const int id = entry(Petrov, Assembly, kDay, 1, 2);
    tabelRow(Petrov, 1, 3, 2024, {{5, 2}});
    openJournals(kDay);
    QVERIFY(DataModule6->Smena1.locate("id", id));
    Msg::answer(false);
    Form1->Button3Click();
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(Msg::shown()[0].text, QString("Удалить позицию из списка?"));
    QCOMPARE(Msg::shown()[0].caption, QString("Удаление"));
    QVERIFY(Msg::shown()[0].icon == Msg::Icon::Question);
    QCOMPARE(entries(), 2);
    QCOMPARE(cell(Petrov, 1, kDay), QString("2"));
    // The journal was reloaded and stands on its first row.
    QCOMPARE(DataModule6->Smena1.recNo(), 1);
}

// Deleting one entry of a worker's day and what the shift row keeps.
void EntryDeleteTest::deleteUpkeep_data()
{
    QTest::addColumn<QList<int>>("hours");  // the worker's entries that day; the first is deleted
    QTest::addColumn<bool>("otherDay");     // the row also holds hours on the 6th
    QTest::addColumn<bool>("rowExists");
    QTest::addColumn<QString>("dayAfter");  // the 5th afterwards
    QTest::addColumn<QString>("day6After");
    QTest::newRow("one of several: the rest stays") << QList<int>{2, 6, 1} << false << true << QString("7")
                                                    << kEmpty;
    QTest::newRow("the last: the day empties, other days stay") << QList<int>{6} << true << true << kEmpty
                                                                << QString("7");
    QTest::newRow("the last of the row: the row goes") << QList<int>{6} << false << true << kNoRow << kNoRow;
    QTest::newRow("a missing row is not created") << QList<int>{2, 6} << false << false << kNoRow << kNoRow;
}

void EntryDeleteTest::deleteUpkeep()
{
    QFETCH(QList<int>, hours);
    QFETCH(bool, otherDay);
    QFETCH(bool, rowExists);
    QFETCH(QString, dayAfter);
    QFETCH(QString, day6After);
    const int opers[] = {Assembly, Cutting, Painting};
    int first = 0, sum = 0;
    for (int i = 0; i < hours.size(); ++i) {
        const int id = entry(Ivanov, opers[i], kDay, 1, hours[i]);
        first = first ? first : id;
        sum += hours[i];
    }
    if (otherDay)
        entry(Ivanov, Assembly, kDay.addDays(1), 1, 7);
    if (rowExists) {
        QList<QPair<int, int>> days{{5, sum}};
        if (otherDay)
            days.append({6, 7});
        tabelRow(Ivanov, 1, 3, 2024, days);
    }
    // Rows that must stay as they are: another worker, another shift, an
    // hourly-work row of the same worker.
    entry(Petrov, Assembly, kDay, 1, 4);
    tabelRow(Petrov, 1, 3, 2024, {{5, 4}});
    tabelRow(Ivanov, 2, 3, 2024, {{5, 3}});
    TestDb::exec("insert into accounts_dep.h_tabel (w_id, month, year, i_type, d5) values (101, 3, 2024, 7777, 5)");

    openJournals(kDay);
    QVERIFY(DataModule6->Smena1.locate("id", first));
    Msg::answer(true);
    Form1->Button3Click();
    QCOMPARE(entries("id=:id::integer", {{"id", first}}), 0);
    QCOMPARE(entries(), hours.size() - 1 + (otherDay ? 1 : 0) + 1);
    QCOMPARE(cell(Ivanov, 1, kDay), dayAfter);
    QCOMPARE(cell(Ivanov, 1, kDay.addDays(1)), day6After);
    QCOMPARE(cell(Petrov, 1, kDay), QString("4"));
    QCOMPARE(cell(Ivanov, 2, kDay), QString("3"));
    QCOMPARE(TestDb::scalar("select d5 from accounts_dep.h_tabel where i_type=7777").toInt(), 5);
    QCOMPARE(DataModule6->Smena1.recordCount(), hours.size());
}

void EntryDeleteTest::deleteUsesEntryOwnDate()
{
    // The journal shows the 5th; a date typed into the picker without Enter
    // did not reload it. The deleted entry's own day is recomputed.
    const QDate typed(2024, 3, 20);
    const int id = entry(Ivanov, Assembly, kDay, 1, 6);
    entry(Ivanov, Cutting, kDay, 1, 2);
    entry(Ivanov, Assembly, typed, 1, 5);
    tabelRow(Ivanov, 1, 3, 2024, {{5, 8}, {20, 5}});
    openJournals(kDay);
    Form1->DateT->setDate(typed);
    QVERIFY(DataModule6->Smena1.locate("id", id));
    Msg::answer(true);
    Form1->Button3Click();
    QCOMPARE(cell(Ivanov, 1, kDay), QString("2"));
    QCOMPARE(cell(Ivanov, 1, typed), QString("5"));
}

void EntryDeleteTest::deleteIsOneTransaction()
{
    // The remaining hours do not fit the timesheet cell: the deletion fails
    // at its timesheet step and the entry must still be there.
    entry(Ivanov, Cutting, kDay, 1, 32000);
    entry(Ivanov, Painting, kDay, 1, 1000);
    const int id = entry(Ivanov, Assembly, kDay, 1, 5);
    tabelRow(Ivanov, 1, 3, 2024, {{5, 1}});
    openJournals(kDay);
    QVERIFY(DataModule6->Smena1.locate("id", id));
    Msg::answer(true);
    QVERIFY_THROWS_EXCEPTION(DbError, Form1->Button3Click());
    QCOMPARE(entries("id=:id::integer", {{"id", id}}), 1);
    QCOMPARE(cell(Ivanov, 1, kDay), QString("1"));
    QVERIFY(!DataModule6->ADO_DB.inTransaction());
}

void EntryDeleteTest::deleteEntryGoneMeanwhile()
{
    const int id = entry(Ivanov, Assembly, kDay, 1, 6);
    entry(Ivanov, Cutting, kDay, 1, 2);
    tabelRow(Ivanov, 1, 3, 2024, {{5, 8}});
    openJournals(kDay);
    QVERIFY(DataModule6->Smena1.locate("id", id));
    // Another client deletes it first.
    TestDb::exec("delete from accounts_dep.smena where id=:id::integer", {{"id", id}});
    Msg::answer(true);
    Form1->Button3Click();
    QCOMPARE(entries(), 1);
    QCOMPARE(DataModule6->Smena1.recordCount(), 1);
    QVERIFY(!JournalOps::RemoveEntry(DataModule6->ADO_DB, id));
}

void EntryDeleteTest::deleteOnEmptyJournalAsksNothing()
{
    entry(Ivanov, Assembly, kDay, 1, 6);
    journalWindow(4, kDay);
    Msg::answer(true);
    Form1->Button3Click();
    QVERIFY(Msg::shown().isEmpty());
    QCOMPARE(entries(), 1);
}

// The journal window's own controls lead to the editor, the deletion and
// the toggle.
void EntryDeleteTest::journalButtonsReachTheEntries()
{
    const int id = entry(Ivanov, Assembly, kDay, 1, 6, "no");
    entry(Petrov, Assembly, kDay, 1, 2, "no");
    openJournals(kDay);
    QVERIFY(DataModule6->Smena1.locate("id", id));
    QStringList opened;
    Modal::setHandler([&](QDialog *d) {
        opened << d->windowTitle();
        return 0;
    });
    Form1->Button1->click();
    Form1->Button2->click();
    Modal::setHandler({});
    QCOMPARE(opened, QStringList({"Заведение новой позиции (11)", "Изменение данных о позиции (11)"}));
    QVERIFY(DataModule6->Smena1.locate("id", id));
    emit Form1->DBGrid2->DblClick();
    QCOMPARE(mark(id), QString("ok"));
    QVERIFY(DataModule6->Smena1.locate("id", id));
    Msg::answer(true);
    Form1->Button3->click();
    QCOMPARE(entries("id=:id::integer", {{"id", id}}), 0);
}

QTEST_MAIN(EntryDeleteTest)
#include "test_entry_delete.moc"
