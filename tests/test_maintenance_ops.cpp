// Saving and deleting maintenance entries with the upkeep of the hourly-work
// rows, and the average-piecework price recompute, on the real database.
#include "data/DbError.h"
#include "data/Unit6.h"
#include "maintenance/MaintenanceOps.h"
#include "maintenance_shop.h"
#include "support/TestDb.h"

#include <QTemporaryFile>
#include <QtTest>

using namespace MaintShop;
using MaintenanceOps::Entry;

class MaintenanceOpsTest : public QObject {
    Q_OBJECT
private slots:
    void init();

    void addToExistingHours();
    void firstEntryInsertsRowWithOneDay();
    void nightAndDayGoToTwoRows();
    void changeHoursRewritesDay();
    void moveFixesBothRows_data();
    void moveFixesBothRows();
    void changeKeepsDateAndShift();
    void deleteOneOfTwoLeavesTheOther();
    void deleteOnlyEntryEmptiesDayKeepsOthers();
    void deleteLastHoursRemovesRow();
    void deleteMissingEntry();
    void failingTimesheetStepStoresNothing_data();
    void failingTimesheetStepStoresNothing();

    void recomputeMonth();
    void recomputeDecemberBounds();
};

namespace {

const QDate kDay(2024, 3, 5);

Entry newEntry(int worker, int kind, int hours, bool night = false, const QDate &day = kDay)
{
    Entry e;
    e.worker = worker;
    e.kind = kind;
    e.nomenclature = Chairs;
    e.date = day;
    e.hours = hours;
    e.price = 150;
    e.night = night;
    return e;
}

Connection &db()
{
    return DataModule6->ADO_DB;
}

} // namespace

void MaintenanceOpsTest::init()
{
    TestDb::fresh();
    load();
}

void MaintenanceOpsTest::addToExistingHours()
{
    fatigue(Ivanov, Maint, kDay, 4);
    hourlyRow(Ivanov, Maint, 0, 3, 2024, {{5, 4}});
    const int id = MaintenanceOps::StoreEntry(db(), newEntry(Ivanov, Maint, 8), true);
    QVERIFY(id > 0);
    QCOMPARE(hourlyCell(Ivanov, Maint, 0, kDay), QString("12"));
    QCOMPARE(hourlyRows(Ivanov, Maint, 0, kDay), 1);
    QCOMPARE(TestDb::scalar("select id_nom || '|' || id_o || '|' || id_p || '|' || d_date || '|' || i_mnth || '|' "
                            "|| i_year || '|' || i_smena || '|' || cnt || '|' || trim_scale(price) || '|' || "
                            "i_holiday || '|' || i_night from accounts_dep.fatigue where id=:id::integer",
                            {{"id", id}})
                 .toString(),
             QString("500|7777|101|2024-03-05|3|2024|1|8|150|0|0"));
}

void MaintenanceOpsTest::firstEntryInsertsRowWithOneDay()
{
    MaintenanceOps::StoreEntry(db(), newEntry(Ivanov, Avg, 6), true);
    QCOMPARE(hourlyRows(Ivanov, Avg, 0, kDay), 1);
    QCOMPARE(hourlyCell(Ivanov, Avg, 0, kDay), QString("6"));
    // Only that day, and an hourly-work row: smena 0.
    QCOMPARE(TestDb::scalar("select smena || '|' || (num_nonnulls(d1,d2,d3,d4,d5,d6,d7,d8,d9,d10,d11,d12,d13,d14,"
                            "d15,d16,d17,d18,d19,d20,d21,d22,d23,d24,d25,d26,d27,d28,d29,d30,d31)) "
                            "from accounts_dep.h_tabel")
                 .toString(),
             QString("0|1"));
    QCOMPARE(hourlyRows(Ivanov, Maint, 0, kDay), 0);
}

void MaintenanceOpsTest::nightAndDayGoToTwoRows()
{
    MaintenanceOps::StoreEntry(db(), newEntry(Ivanov, Maint, 8, false), true);
    MaintenanceOps::StoreEntry(db(), newEntry(Ivanov, Maint, 3, true), true);
    QCOMPARE(hourlyCell(Ivanov, Maint, 0, kDay), QString("8"));
    QCOMPARE(hourlyCell(Ivanov, Maint, 1, kDay), QString("3"));
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.h_tabel").toInt(), 2);
}

void MaintenanceOpsTest::changeHoursRewritesDay()
{
    Entry e = newEntry(Ivanov, Maint, 8);
    e.id = MaintenanceOps::StoreEntry(db(), e, true);
    e.hours = 6;
    QCOMPARE(MaintenanceOps::StoreEntry(db(), e, false), e.id);
    QCOMPARE(hourlyCell(Ivanov, Maint, 0, kDay), QString("6"));
    QCOMPARE(fatigueCount(), 1);
}

void MaintenanceOpsTest::moveFixesBothRows_data()
{
    QTest::addColumn<int>("toWorker");
    QTest::addColumn<int>("toKind");
    QTest::newRow("another worker") << int(Petrov) << int(Maint);
    QTest::newRow("another kind") << int(Ivanov) << int(Avg);
    QTest::newRow("both") << int(Petrov) << int(Avg);
}

void MaintenanceOpsTest::moveFixesBothRows()
{
    QFETCH(int, toWorker);
    QFETCH(int, toKind);
    // Ivanov has 3 more hours that day and 7 on the 4th, which must stay.
    const QDate day4(2024, 3, 4);
    fatigue(Ivanov, Maint, kDay, 3);
    fatigue(Ivanov, Maint, day4, 7);
    hourlyRow(Ivanov, Maint, 0, 3, 2024, {{4, 7}, {5, 3}});
    Entry e = newEntry(Ivanov, Maint, 8);
    e.id = MaintenanceOps::StoreEntry(db(), e, true);
    QCOMPARE(hourlyCell(Ivanov, Maint, 0, kDay), QString("11"));

    e.worker = toWorker;
    e.kind = toKind;
    MaintenanceOps::StoreEntry(db(), e, false);
    QCOMPARE(hourlyCell(Ivanov, Maint, 0, kDay), QString("3"));
    QCOMPARE(hourlyCell(Ivanov, Maint, 0, day4), QString("7"));
    QCOMPARE(hourlyCell(toWorker, toKind, 0, kDay), QString("8"));
    QCOMPARE(hourlyRows(toWorker, toKind, 0, kDay), 1);
}

void MaintenanceOpsTest::changeKeepsDateAndShift()
{
    // The entry's date is its own, whatever date the change is made with.
    const int id = fatigue(Ivanov, Maint, kDay, 8);
    hourlyRow(Ivanov, Maint, 0, 3, 2024, {{5, 8}});
    Entry e = newEntry(Ivanov, Maint, 5, false, QDate(2024, 4, 9));
    e.id = id;
    e.shift = 3;
    MaintenanceOps::StoreEntry(db(), e, false);
    QCOMPARE(TestDb::scalar("select d_date || '|' || i_mnth || '|' || i_smena || '|' || cnt from "
                            "accounts_dep.fatigue")
                 .toString(),
             QString("2024-03-05|3|1|5"));
    QCOMPARE(hourlyCell(Ivanov, Maint, 0, kDay), QString("5"));
    QCOMPARE(hourlyRows(Ivanov, Maint, 0, QDate(2024, 4, 9)), 0);
}

void MaintenanceOpsTest::deleteOneOfTwoLeavesTheOther()
{
    const int four = fatigue(Ivanov, Maint, kDay, 4);
    fatigue(Ivanov, Maint, kDay, 3);
    hourlyRow(Ivanov, Maint, 0, 3, 2024, {{5, 7}});
    QVERIFY(MaintenanceOps::RemoveEntry(db(), four));
    QCOMPARE(hourlyCell(Ivanov, Maint, 0, kDay), QString("3"));
    QCOMPARE(fatigueCount(), 1);
}

void MaintenanceOpsTest::deleteOnlyEntryEmptiesDayKeepsOthers()
{
    const QDate day3(2024, 3, 3);
    const int only = fatigue(Ivanov, Maint, kDay, 8);
    fatigue(Ivanov, Maint, day3, 6);
    // The night row and Petrov's row of the same day are not touched.
    fatigue(Ivanov, Maint, kDay, 2, 1);
    fatigue(Petrov, Maint, kDay, 5);
    hourlyRow(Ivanov, Maint, 0, 3, 2024, {{3, 6}, {5, 8}});
    hourlyRow(Ivanov, Maint, 1, 3, 2024, {{5, 2}});
    hourlyRow(Petrov, Maint, 0, 3, 2024, {{5, 5}});
    QVERIFY(MaintenanceOps::RemoveEntry(db(), only));
    QCOMPARE(hourlyCell(Ivanov, Maint, 0, kDay), QString("null"));
    QCOMPARE(hourlyCell(Ivanov, Maint, 0, day3), QString("6"));
    QCOMPARE(hourlyCell(Ivanov, Maint, 1, kDay), QString("2"));
    QCOMPARE(hourlyCell(Petrov, Maint, 0, kDay), QString("5"));
}

void MaintenanceOpsTest::deleteLastHoursRemovesRow()
{
    const int only = fatigue(Ivanov, Avg, kDay, 8);
    hourlyRow(Ivanov, Avg, 0, 3, 2024, {{5, 8}});
    // A shift row of the worker with hours on no day is no hourly-work row.
    TestDb::exec("insert into accounts_dep.h_tabel (w_id, smena, month, year) values (101, 1, 3, 2024)");
    QVERIFY(MaintenanceOps::RemoveEntry(db(), only));
    QCOMPARE(hourlyRows(Ivanov, Avg, 0, kDay), 0);
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.h_tabel where smena=1").toInt(), 1);
}

void MaintenanceOpsTest::deleteMissingEntry()
{
    hourlyRow(Ivanov, Maint, 0, 3, 2024, {{5, 8}});
    QVERIFY(!MaintenanceOps::RemoveEntry(db(), 999));
    QCOMPARE(hourlyCell(Ivanov, Maint, 0, kDay), QString("8"));
    // A change of an entry deleted meanwhile fails and writes nothing.
    Entry e = newEntry(Ivanov, Maint, 5);
    e.id = 999;
    QVERIFY_THROWS_EXCEPTION(DbError, MaintenanceOps::StoreEntry(db(), e, false));
    QCOMPARE(fatigueCount(), 0);
    QCOMPARE(hourlyCell(Ivanov, Maint, 0, kDay), QString("8"));
}

void MaintenanceOpsTest::failingTimesheetStepStoresNothing_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("add") << "add";
    QTest::newRow("change") << "change";
    QTest::newRow("delete") << "delete";
}

void MaintenanceOpsTest::failingTimesheetStepStoresNothing()
{
    QFETCH(QString, action);
    const int id = fatigue(Ivanov, Maint, kDay, 4);
    hourlyRow(Ivanov, Maint, 0, 3, 2024, {{5, 4}});
    // Every write of the timesheet fails from now on (the table's owner
    // puts the trigger on).
    QTemporaryFile sql;
    QVERIFY(sql.open());
    sql.write("create function accounts_dep.no_tabel() returns trigger language plpgsql as\n"
              "$$ begin raise exception 'timesheet refused'; end $$;\n"
              "create trigger no_tabel before insert or update or delete on accounts_dep.h_tabel\n"
              "for each row execute function accounts_dep.no_tabel();\n");
    sql.close();
    TestDb::loadScript(sql.fileName());
    Entry e = newEntry(Ivanov, Maint, 8);
    try {
        if (action == "add")
            MaintenanceOps::StoreEntry(db(), e, true);
        else if (action == "change") {
            e.id = id;
            MaintenanceOps::StoreEntry(db(), e, false);
        } else
            MaintenanceOps::RemoveEntry(db(), id);
        QFAIL("the timesheet step should fail");
    } catch (const DbError &err) {
        QVERIFY2(err.text().contains("timesheet refused"), qPrintable(err.text()));
    }
    QVERIFY(!db().inTransaction());
    QCOMPARE(TestDb::scalar("select string_agg(id || ':' || cnt, ',') from accounts_dep.fatigue").toString(),
             QString("%1:4").arg(id));
    QCOMPARE(hourlyCell(Ivanov, Maint, 0, kDay), QString("4"));
}

void MaintenanceOpsTest::recomputeMonth()
{
    // Ivanov's March journal on chairs: 10 x 12.5 in 4 h and (20 - 2) x 10 in
    // 5 h: 305 in 9 h, 33.89 an hour. On cabinets: 5 x 10 in 1 h.
    journal(Ivanov, Assembly, QDate(2024, 3, 1), 10, 0, 12.5, 4);
    journal(Ivanov, Assembly, QDate(2024, 3, 20), 20, 2, 10, 5);
    journal(Ivanov, Cutting, QDate(2024, 3, 2), 5, 0, 10, 1);
    // Petrov made cabinets only.
    journal(Petrov, Cutting, QDate(2024, 3, 2), 7, 0, 10, 1);

    const int plain = fatigue(Ivanov, Avg, kDay, 8, 0, Chairs, 1);
    const int otherDay = fatigue(Ivanov, Avg, QDate(2024, 3, 31), 8, 0, Chairs, 1);
    const int dayOff = fatigue(Ivanov, Avg, QDate(2024, 3, 9), 8, 0, Chairs, 1, 1);
    const int night = fatigue(Ivanov, Avg, kDay, 8, 1, Chairs, 1);
    const int cabinets = fatigue(Ivanov, Avg, kDay, 8, 0, Cabinets, 1);
    const int noJournal = fatigue(Petrov, Avg, kDay, 8, 0, Chairs, 55);
    const int maint = fatigue(Ivanov, Maint, kDay, 8, 0, Chairs, 180);
    const int april = fatigue(Ivanov, Avg, QDate(2024, 4, 1), 8, 0, Chairs, 1);

    QCOMPARE(MaintenanceOps::RecomputeAveragePrices(db(), MonthPeriod(3, 2024)), 6);
    QCOMPARE(priceOf(plain), QString("33.89"));
    QCOMPARE(priceOf(otherDay), QString("33.89"));
    QCOMPARE(priceOf(dayOff), QString("67.78")); // 610 in 9 h
    QCOMPARE(priceOf(night), QString("33.89"));
    QCOMPARE(priceOf(cabinets), QString("50"));
    QCOMPARE(priceOf(noJournal), QString("0"));
    QCOMPARE(priceOf(maint), QString("180"));
    QCOMPARE(priceOf(april), QString("1"));
    // Prices are money, not hours: the timesheet is not touched.
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.h_tabel").toInt(), 0);
}

void MaintenanceOpsTest::recomputeDecemberBounds()
{
    // In bounds: 1 and 31 December. Out: 30 November and 1 January.
    journal(Ivanov, Assembly, QDate(2023, 12, 1), 10, 0, 10, 2);
    journal(Ivanov, Assembly, QDate(2023, 12, 31), 10, 0, 10, 3);
    journal(Ivanov, Assembly, QDate(2023, 11, 30), 100, 0, 100, 1);
    journal(Ivanov, Assembly, QDate(2024, 1, 1), 100, 0, 100, 1);
    const int dec = fatigue(Ivanov, Avg, QDate(2023, 12, 15), 8, 0, Chairs, 1);
    const int decNextYear = fatigue(Ivanov, Avg, QDate(2024, 12, 15), 8, 0, Chairs, 1);
    const int jan = fatigue(Ivanov, Avg, QDate(2024, 1, 15), 8, 0, Chairs, 1);
    QCOMPARE(MaintenanceOps::RecomputeAveragePrices(db(), MonthPeriod(12, 2023)), 1);
    QCOMPARE(priceOf(dec), QString("40")); // 200 in 5 h
    QCOMPARE(priceOf(decNextYear), QString("1"));
    QCOMPARE(priceOf(jan), QString("1"));
}

QTEST_MAIN(MaintenanceOpsTest)
#include "test_maintenance_ops.moc"
