// Month rebuilds of the timesheet table from the journal (shift rows) and from
// the maintenance-work entries (hourly-work rows), against the real database:
// their results, their all-or-nothing failure, and entries saved by another
// client while a rebuild runs.
#include "concurrent_clients.h"
#include "data/DbError.h"
#include "data/Unit6.h"
#include "timesheet_shop.h"
#include "timesheets/MonthRebuild.h"
#include "timesheets/TimesheetDay.h"

#include <QScopeGuard>
#include <QTemporaryFile>
#include <QThread>
#include <QtTest>
#include <memory>

using namespace Shop;
using Concurrent::Client;

class MonthRebuildTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void shiftsSumTheDaysEntries();
    void shiftsOfAMonthWithoutEntries();
    void shiftFourIsRebuiltButOnNoTab();
    void shiftsTwiceGiveTheSameRows();
    void shiftsReportEveryDay();
    void shiftsFailingHalfWayChangeNothing();
    void hourlyDayAndNightRows();
    void hourlySumsTheDaysEntries();
    void hourlyOfAMonthWithoutEntries();
    void hourlyFailingHalfWayChangesNothing();
    void entrySavedWhileTheRebuildWaits();
    void newRowSavedDuringTheRebuild();
    void entrySavedWhileTheRebuildHoldsTheMonth();
};

namespace {

const MonthPeriod kMarch(3, 2024);
const QDate kDay(2024, 3, 5);

int cellInt(int worker, int shift, const QDate &day)
{
    const QString c = cell(worker, shift, day);
    return c == "null" || c == "no row" ? -1 : c.toInt();
}

// A busier month: both workers in several shifts on several days, a
// December-like upper edge (entries on the next month's first day) and stale
// rows the rebuild must correct or drop.
void busyMonth()
{
    entry(Ivanov, Assembly, QDate(2024, 3, 1), 1, 8);
    entry(Ivanov, Painting, QDate(2024, 3, 1), 1, 2);
    entry(Ivanov, Assembly, QDate(2024, 3, 2), 3, 7);
    entry(Ivanov, Cutting, QDate(2024, 3, 31), 2, 5);
    entry(Petrov, Assembly, QDate(2024, 3, 15), 1, 4);
    entry(Petrov, Cutting, QDate(2024, 3, 15), 4, 3);
    entry(Petrov, Assembly, QDate(2024, 4, 1), 1, 6);  // next month
    entry(Petrov, Assembly, QDate(2024, 2, 29), 1, 6); // month before
    tabelRow(Ivanov, 1, 3, 2024, {{1, 3}, {9, 8}});     // wrong and stale
    tabelRow(Petrov, 2, 3, 2024, {{4, 8}});             // no entries at all
    tabelRow(Petrov, 1, 4, 2024, {{1, 6}});             // another month
}

// A trigger that makes every write of a timesheet row fail once the given
// day column holds a value (created as the cluster's superuser).
void failOnDay(int day, const QString &events)
{
    QTemporaryFile f;
    QVERIFY(f.open());
    f.write(QString("create function public.fail_day() returns trigger language plpgsql as "
                    "$$ begin if new.d%1 is not null then raise exception 'injected failure'; end if; "
                    "return new; end $$;\n"
                    "create trigger fail_day before %2 on accounts_dep.h_tabel "
                    "for each row execute function public.fail_day();\n")
                .arg(day)
                .arg(events)
                .toUtf8());
    f.flush();
    TestDb::loadScript(f.fileName());
}

void dropFailure()
{
    QTemporaryFile f;
    QVERIFY(f.open());
    f.write("drop trigger fail_day on accounts_dep.h_tabel;\n");
    f.flush();
    TestDb::loadScript(f.fileName());
}

int waitingAdvisoryLocks()
{
    return TestDb::scalar("select count(*) from pg_locks where locktype='advisory' and not granted").toInt();
}

bool waitForWaiters(int n)
{
    return QTest::qWaitFor([n] { return waitingAdvisoryLocks() == n; }, 30000);
}

// A journal entry saved the way the journal saves one: the row and its
// day's upkeep in one transaction, left open until commit.
class Save {
public:
    Save(Connection &c, int worker, const QDate &day, int shift, int hours) : m_c(c)
    {
        m_c.begin();
        m_c.exec("insert into accounts_dep.smena (w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, "
                 "time, ok, vvod, prize) values (:w::integer, 2001, 301, 1, 0, :d::date, :s::integer, 1, 0, "
                 ":h::integer, 'no', now(), 0)",
                 {{"w", worker}, {"d", day}, {"s", shift}, {"h", hours}});
        TimesheetDay::RecomputeShiftDay(m_c, worker, shift, day);
    }
    void commit() { m_c.commit(); }

private:
    Connection &m_c;
};

QString rebuildShifts(Connection &c)
{
    MonthRebuild::RebuildShifts(c, kMarch);
    return "rebuilt";
}

} // namespace

void MonthRebuildTest::init()
{
    TestDb::fresh();
    load();
}

void MonthRebuildTest::shiftsSumTheDaysEntries()
{
    entry(Ivanov, Assembly, kDay, 1, 5);
    entry(Ivanov, Painting, kDay, 1, 4);
    entry(Ivanov, Assembly, kDay.addDays(1), 2, 3);
    MonthRebuild::RebuildShifts(DataModule6->ADO_DB, kMarch);
    QCOMPARE(cell(Ivanov, 1, kDay), QString("9"));
    QCOMPARE(cell(Ivanov, 1, kDay.addDays(1)), QString("null"));
    QCOMPARE(cell(Ivanov, 2, kDay.addDays(1)), QString("3"));
    QCOMPARE(tabelRows(Ivanov, 1, kDay), 1);
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.h_tabel").toInt(), 2);
    // A shift row carries the table's defaults for the hourly-work fields.
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.h_tabel where i_type=0 and i_night=0").toInt(), 2);

    busyMonth();
    MonthRebuild::RebuildShifts(DataModule6->ADO_DB, kMarch);
    QCOMPARE(shiftMismatches(kMarch), 0);
    QCOMPARE(cellInt(Ivanov, 1, QDate(2024, 3, 1)), 10);
    QCOMPARE(cell(Ivanov, 1, QDate(2024, 3, 9)), QString("null"));
    QCOMPARE(tabelRows(Petrov, 2, kDay), 0);                        // no entries: gone
    QCOMPARE(cell(Petrov, 1, QDate(2024, 4, 1)), QString("6"));     // April untouched
    QCOMPARE(tabelRows(Petrov, 1, QDate(2024, 2, 1)), 0);           // February not built
    QCOMPARE(cellInt(Ivanov, 2, QDate(2024, 3, 31)), 5);            // the last day counts
}

void MonthRebuildTest::shiftsOfAMonthWithoutEntries()
{
    tabelRow(Ivanov, 1, 3, 2024, {{5, 8}});
    tabelRow(Petrov, 4, 3, 2024, {{6, 2}});
    hourlyRow(Ivanov, Maintenance, 0, 3, 2024, {{5, 4}});
    hourlyRow(Petrov, AveragePiece, 1, 3, 2024, {{7, 6}});
    entry(Ivanov, Assembly, QDate(2024, 4, 2), 1, 8);
    MonthRebuild::RebuildShifts(DataModule6->ADO_DB, kMarch);
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.h_tabel where smena>0").toInt(), 0);
    QCOMPARE(hourlyCell(Ivanov, Maintenance, 0, kDay), QString("4"));
    QCOMPARE(hourlyCell(Petrov, AveragePiece, 1, QDate(2024, 3, 7)), QString("6"));
}

void MonthRebuildTest::shiftFourIsRebuiltButOnNoTab()
{
    entry(Petrov, Assembly, kDay, 2, 8);
    entry(Petrov, Cutting, kDay, 4, 3);
    entry(Ivanov, Cutting, kDay, 4, 2);
    MonthRebuild::RebuildShifts(DataModule6->ADO_DB, kMarch);
    QCOMPARE(cell(Petrov, 4, kDay), QString("3"));
    QCOMPARE(cell(Ivanov, 4, kDay), QString("2"));

    Dataset *tabs[] = {&DataModule6->H_Tabel_1, &DataModule6->H_Tabel_2, &DataModule6->H_Tabel_3};
    QStringList shown;
    for (int t = 0; t < 3; ++t) {
        Dataset &ds = *tabs[t];
        ds.close();
        ds.setParam("mnth", 3);
        ds.setParam("yea", 2024);
        ds.setParam("date1", kMarch.first());
        ds.setParam("date2", kMarch.next());
        ds.open();
        for (int r = 0; r < ds.recordCount(); ++r)
            shown << QString("%1:%2:%3").arg(t + 1).arg(Dataset::textOf(ds.valueAt(r, "fio")),
                                                   Dataset::textOf(ds.valueAt(r, "summ")));
        ds.close();
    }
    QCOMPARE(shown, QStringList{"2:Петров П.П.:8"});
}

void MonthRebuildTest::shiftsTwiceGiveTheSameRows()
{
    busyMonth();
    MonthRebuild::RebuildShifts(DataModule6->ADO_DB, kMarch);
    const QStringList once = tabelDump();
    const int maxId = TestDb::scalar("select max(id) from accounts_dep.h_tabel").toInt();
    MonthRebuild::RebuildShifts(DataModule6->ADO_DB, kMarch);
    QCOMPARE(tabelDump(), once);
    // The second run rebuilt the rows anew rather than leaving them.
    QVERIFY(TestDb::scalar("select min(id) from accounts_dep.h_tabel where month=3").toInt() > maxId);
}

void MonthRebuildTest::shiftsReportEveryDay()
{
    QList<int> seen;
    int total = 0;
    MonthRebuild::RebuildShifts(DataModule6->ADO_DB, MonthPeriod(2, 2024), [&](int day, int days) {
        seen << day;
        total = days;
    });
    QCOMPARE(total, 29);
    QCOMPARE(seen.size(), 29);
    QCOMPARE(seen.first(), 1);
    QCOMPARE(seen.last(), 29);
}

void MonthRebuildTest::shiftsFailingHalfWayChangeNothing()
{
    busyMonth();
    hourlyRow(Ivanov, Maintenance, 0, 3, 2024, {{5, 4}});
    // Writing day 15 fails: the rows of days 1..14 are written by then.
    failOnDay(15, "insert or update");
    const QStringList before = tabelDump();
    int reached = 0;
    try {
        MonthRebuild::RebuildShifts(DataModule6->ADO_DB, kMarch, [&](int day, int) { reached = day; });
        QFAIL("the rebuild should fail");
    } catch (const DbError &e) {
        QVERIFY2(e.text().contains("injected failure"), qPrintable(e.text()));
    }
    QCOMPARE(reached, 14);
    QVERIFY(!DataModule6->ADO_DB.inTransaction());
    QCOMPARE(tabelDump(), before);
    // The connection goes on working.
    dropFailure();
    MonthRebuild::RebuildShifts(DataModule6->ADO_DB, kMarch);
    QCOMPARE(shiftMismatches(kMarch), 0);
}

void MonthRebuildTest::hourlyDayAndNightRows()
{
    fatigue(Ivanov, Maintenance, kDay, 4, 150);
    fatigue(Ivanov, Maintenance, kDay, 3, 180, 1);
    fatigue(Ivanov, Maintenance, kDay.addDays(1), 2, 180, 1);
    MonthRebuild::RebuildHourly(DataModule6->ADO_DB, kMarch);
    QCOMPARE(hourlyCell(Ivanov, Maintenance, 0, kDay), QString("4"));
    QCOMPARE(hourlyCell(Ivanov, Maintenance, 1, kDay), QString("3"));
    QCOMPARE(hourlyCell(Ivanov, Maintenance, 1, kDay.addDays(1)), QString("2"));
    QCOMPARE(hourlyCell(Ivanov, Maintenance, 0, kDay.addDays(1)), QString("null"));
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.h_tabel where smena=0").toInt(), 2);
}

void MonthRebuildTest::hourlySumsTheDaysEntries()
{
    fatigue(Petrov, AveragePiece, QDate(2024, 3, 3), 6, 100);
    fatigue(Petrov, AveragePiece, QDate(2024, 3, 10), 2, 100);
    fatigue(Petrov, AveragePiece, QDate(2024, 3, 10), 3, 100);
    fatigue(Petrov, AveragePiece, QDate(2024, 4, 1), 7, 100); // next month
    // A stale row of a changed entry and one of another kind with no entries.
    hourlyRow(Petrov, AveragePiece, 0, 3, 2024, {{3, 1}, {20, 8}});
    hourlyRow(Ivanov, Maintenance, 1, 3, 2024, {{2, 8}});
    tabelRow(Petrov, 1, 3, 2024, {{3, 8}}); // a shift row stays as it is
    MonthRebuild::RebuildHourly(DataModule6->ADO_DB, kMarch);

    QStringList days;
    for (int d = 1; d <= 31; ++d)
        days << hourlyCell(Petrov, AveragePiece, 0, QDate(2024, 3, d));
    QStringList want;
    for (int d = 1; d <= 31; ++d)
        want << (d == 3 ? "6" : d == 10 ? "5" : "null");
    QCOMPARE(days, want);
    QCOMPARE(hourlyCell(Ivanov, Maintenance, 1, QDate(2024, 3, 2)), QString("no row"));
    QCOMPARE(cell(Petrov, 1, QDate(2024, 3, 3)), QString("8"));

    const QStringList once = tabelDump();
    MonthRebuild::RebuildHourly(DataModule6->ADO_DB, kMarch);
    QCOMPARE(tabelDump(), once);
}

void MonthRebuildTest::hourlyOfAMonthWithoutEntries()
{
    hourlyRow(Ivanov, Maintenance, 0, 3, 2024, {{5, 4}});
    hourlyRow(Ivanov, AveragePiece, 1, 3, 2024, {{6, 4}});
    hourlyRow(Ivanov, Maintenance, 0, 4, 2024, {{5, 4}});
    tabelRow(Ivanov, 1, 3, 2024, {{5, 8}});
    MonthRebuild::RebuildHourly(DataModule6->ADO_DB, kMarch);
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.h_tabel where smena=0 and month=3").toInt(), 0);
    QCOMPARE(hourlyCell(Ivanov, Maintenance, 0, QDate(2024, 4, 5)), QString("4"));
    QCOMPARE(cell(Ivanov, 1, kDay), QString("8"));
}

void MonthRebuildTest::hourlyFailingHalfWayChangesNothing()
{
    fatigue(Petrov, AveragePiece, QDate(2024, 3, 3), 6, 100);
    fatigue(Petrov, AveragePiece, QDate(2024, 3, 20), 6, 100);
    hourlyRow(Petrov, AveragePiece, 0, 3, 2024, {{3, 1}});
    hourlyRow(Ivanov, Maintenance, 0, 3, 2024, {{4, 1}});
    failOnDay(20, "update");
    const QStringList before = tabelDump();
    QVERIFY_THROWS_EXCEPTION(DbError, MonthRebuild::RebuildHourly(DataModule6->ADO_DB, kMarch));
    QCOMPARE(tabelDump(), before);
}

// The journal saves an entry of a row the month already has and holds that
// row's lock; the rebuild waits for it and then counts the entry.
void MonthRebuildTest::entrySavedWhileTheRebuildWaits()
{
    busyMonth();
    std::unique_ptr<Connection> journal(TestDb::otherClient("journal"));
    Save save(*journal, Ivanov, QDate(2024, 3, 1), 1, 4);
    Client rebuild("rebuild", rebuildShifts);
    const auto release = qScopeGuard([&] {
        if (journal->inTransaction())
            journal->rollback();
    });
    QVERIFY2(waitForWaiters(1), "the rebuild should wait for the row the save holds");
    save.commit();
    QVERIFY(rebuild.finish());
    QCOMPARE(rebuild.result(), QString("rebuilt"));
    QCOMPARE(cellInt(Ivanov, 1, QDate(2024, 3, 1)), 14);
    QCOMPARE(shiftMismatches(kMarch), 0);
}

// A worker's first entry in a shift is being saved (its row is new and not
// yet committed) while the rebuild runs: the rebuild leaves that row to the
// save, which keeps it.
void MonthRebuildTest::newRowSavedDuringTheRebuild()
{
    busyMonth();
    std::unique_ptr<Connection> journal(TestDb::otherClient("journal"));
    Save save(*journal, Petrov, QDate(2024, 3, 20), 3, 7);
    const auto release = qScopeGuard([&] {
        if (journal->inTransaction())
            journal->rollback();
    });
    Client rebuild("rebuild", rebuildShifts);
    QVERIFY(rebuild.finish());
    QCOMPARE(rebuild.result(), QString("rebuilt"));
    save.commit();
    QCOMPARE(cellInt(Petrov, 3, QDate(2024, 3, 20)), 7);
    QCOMPARE(tabelRows(Petrov, 3, kDay), 1);
    QCOMPARE(shiftMismatches(kMarch), 0);
}

// The rebuild holds the month's rows (here it is stopped half-way through
// taking them by a third client): a save of an already taken row waits for
// the rebuild and then writes its day over the rebuilt row.
void MonthRebuildTest::entrySavedWhileTheRebuildHoldsTheMonth()
{
    busyMonth();
    // Keys are taken in (worker, shift) order: Ivanov's rows come before
    // Petrov's shift 4 row, where the gate stops the rebuild.
    std::unique_ptr<Connection> gate(TestDb::otherClient("gate"));
    gate->begin();
    TimesheetDay::LockShiftRow(*gate, Petrov, 4, 3, 2024);
    const auto release = qScopeGuard([&] {
        if (gate->inTransaction())
            gate->commit();
    });
    Client rebuild("rebuild", rebuildShifts);
    QVERIFY(waitForWaiters(1));
    Client save("save", [](Connection &c) {
        Save s(c, Ivanov, QDate(2024, 3, 2), 3, 1);
        s.commit();
        return QString("saved");
    });
    QVERIFY2(waitForWaiters(2), "the save should wait for the row the rebuild holds");
    gate->commit();
    QVERIFY(rebuild.finish());
    QVERIFY(save.finish());
    QCOMPARE(rebuild.result(), QString("rebuilt"));
    QCOMPARE(save.result(), QString("saved"));
    QCOMPARE(cellInt(Ivanov, 3, QDate(2024, 3, 2)), 8);
    QCOMPARE(shiftMismatches(kMarch), 0);
}

QTEST_GUILESS_MAIN(MonthRebuildTest)
#include "test_month_rebuild.moc"
