// The per-entry upkeep of the timesheet and the month rebuilds follow one
// rule: a random history of journal and maintenance-work saves and deletions
// leaves exactly the rows the rebuilds make of the same entries. And saves
// that move entries between workers while rebuilds run never deadlock.
#include "concurrent_clients.h"
#include "data/Unit6.h"
#include "journal/JournalOps.h"
#include "maintenance/MaintenanceOps.h"
#include "timesheet_shop.h"
#include "timesheets/MonthRebuild.h"
#include "timesheets/TimesheetDay.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace Shop;
using Concurrent::Client;

class TimesheetRuleTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void zeroHourEntriesKeepTheirRow_data();
    void zeroHourEntriesKeepTheirRow();
    void upkeepEqualsRebuild_data();
    void upkeepEqualsRebuild();
    void lockOrderIsNumeric();
    void movesBetweenWorkersDuringRebuilds();
};

namespace {

// A worker whose id sorts before the others as a number but after them as
// text ("99" > "101").
enum : int { Sidorov = 99 };

const MonthPeriod kMarch(3, 2024);

void loadShop()
{
    load();
    TestDb::exec("insert into accounts_dep.person (id, fio, s_staffpos_hl) values (99, 'Сидоров С.С.', 'Резчик')");
}

JournalOps::Entry journalEntry(int worker, int oper, const QDate &day, int shift, int hours, int color = 0)
{
    JournalOps::Entry e;
    e.worker = worker;
    e.operation = oper;
    e.product = oper == Cutting ? Cabinet : Chair;
    e.shift = shift;
    e.color = color;
    e.date = day;
    e.price = 12.5;
    e.quantity = 10;
    e.hours = hours;
    return e;
}

MaintenanceOps::Entry maintenanceEntry(int worker, int kind, const QDate &day, int hours, bool night)
{
    MaintenanceOps::Entry e;
    e.worker = worker;
    e.nomenclature = 500;
    e.kind = kind;
    e.date = day;
    e.hours = hours;
    e.price = 150;
    e.night = night;
    return e;
}

// The month's timesheet rows (shift and hourly-work) as text lines.
QStringList monthRows(const MonthPeriod &m)
{
    QStringList out;
    for (const QString &line : tabelDump()) {
        const QStringList f = line.split('|');
        if (f.value(1).toInt() == m.month && f.value(2).toInt() == m.year)
            out << line;
    }
    out.sort();
    return out;
}

void rebuildMonth(const MonthPeriod &m)
{
    Connection &c = DataModule6->ADO_DB;
    Transaction tr(c);
    MonthRebuild::RebuildShifts(c, m);
    MonthRebuild::RebuildHourly(c, m);
    tr.commit();
}

QString firstDifference(const QStringList &kept, const QStringList &rebuilt)
{
    for (const QString &l : kept)
        if (!rebuilt.contains(l))
            return "kept only: " + l;
    for (const QString &l : rebuilt)
        if (!kept.contains(l))
            return "rebuilt only: " + l;
    return {};
}

} // namespace

void TimesheetRuleTest::init()
{
    TestDb::fresh();
    loadShop();
}

// The hours box starts at 0: a worker whose entries of a day sum to 0 hours
// still has a row, with 0 on that day, and keeps it when one more 0-hour
// entry is saved or one of them is deleted.
void TimesheetRuleTest::zeroHourEntriesKeepTheirRow_data()
{
    QTest::addColumn<bool>("hourly");
    QTest::newRow("shift row") << false;
    QTest::newRow("hourly-work row") << true;
}

void TimesheetRuleTest::zeroHourEntriesKeepTheirRow()
{
    QFETCH(bool, hourly);
    Connection &c = DataModule6->ADO_DB;
    const QDate day(2024, 3, 5);
    const auto cellNow = [&] { return hourly ? hourlyCell(Ivanov, Maintenance, 0, day) : cell(Ivanov, 1, day); };
    int first = 0, second = 0;
    if (hourly) {
        first = MaintenanceOps::StoreEntry(c, maintenanceEntry(Ivanov, Maintenance, day, 0, false), true);
        QCOMPARE(cellNow(), QString("0"));
        second = MaintenanceOps::StoreEntry(c, maintenanceEntry(Ivanov, Maintenance, day, 0, false), true);
    } else {
        QCOMPARE(JournalOps::StoreEntry(c, journalEntry(Ivanov, Assembly, day, 1, 0), true),
                 JournalOps::StoreResult::Stored);
        first = TestDb::scalar("select max(id) from accounts_dep.smena").toInt();
        QCOMPARE(cellNow(), QString("0"));
        QCOMPARE(JournalOps::StoreEntry(c, journalEntry(Ivanov, Painting, day, 1, 0), true),
                 JournalOps::StoreResult::Stored);
        second = TestDb::scalar("select max(id) from accounts_dep.smena").toInt();
    }
    QCOMPARE(cellNow(), QString("0"));
    QVERIFY(hourly ? MaintenanceOps::RemoveEntry(c, second) : JournalOps::RemoveEntry(c, second));
    QCOMPARE(cellNow(), QString("0"));
    const QStringList kept = monthRows(kMarch);
    rebuildMonth(kMarch);
    QCOMPARE(monthRows(kMarch), kept);
    // The last entry gone, the row goes too.
    QVERIFY(hourly ? MaintenanceOps::RemoveEntry(c, first)
                   : JournalOps::RemoveEntry(c, TestDb::scalar("select min(id) from accounts_dep.smena").toInt()));
    QCOMPARE(cellNow(), QString("no row"));
}

void TimesheetRuleTest::upkeepEqualsRebuild_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {1u, 7u, 42u, 2024u, 31337u})
        QTest::newRow(qPrintable(QString("seed %1").arg(seed))) << seed;
}

// A random history through the program's own steps: journal entries added,
// moved to another worker, shift or date (also into the neighbouring months),
// given other hours and deleted; maintenance-work entries added, changed and
// deleted. Hours are often 0. Then the month as kept must be the month as
// rebuilt, row for row and cell for cell.
void TimesheetRuleTest::upkeepEqualsRebuild()
{
    QFETCH(quint32, seed);
    QRandomGenerator rnd(seed);
    Connection &c = DataModule6->ADO_DB;
    const int workers[] = {Sidorov, Ivanov, Petrov};
    const int opers[] = {Assembly, Painting, Cutting};
    const auto worker = [&] { return workers[rnd.bounded(3)]; };
    const auto hours = [&] { return rnd.bounded(3) == 0 ? 0 : int(rnd.bounded(1, 13)); };
    const auto day = [&] {
        // Mostly March, sometimes the last day of February or the first of April.
        const int r = rnd.bounded(20);
        if (r == 0)
            return QDate(2024, 2, 29);
        if (r == 1)
            return QDate(2024, 4, 1);
        return QDate(2024, 3, 1 + rnd.bounded(6));
    };

    QList<QPair<int, JournalOps::Entry>> journal; // id, as saved
    QList<int> hourly;
    int color = 0;
    for (int step = 0; step < 120; ++step) {
        const int what = rnd.bounded(10);
        if (what <= 2 || journal.isEmpty()) {
            auto e = journalEntry(worker(), opers[rnd.bounded(3)], day(), 1 + rnd.bounded(4), hours(), ++color);
            QCOMPARE(JournalOps::StoreEntry(c, e, true), JournalOps::StoreResult::Stored);
            journal.append({TestDb::scalar("select max(id) from accounts_dep.smena").toInt(), e});
        } else if (what <= 5) {
            auto &[id, e] = journal[rnd.bounded(journal.size())];
            e.id = id;
            switch (rnd.bounded(4)) {
            case 0: e.worker = worker(); break;
            case 1: e.shift = 1 + rnd.bounded(4); break;
            case 2: e.date = day(); break;
            default: e.hours = hours(); break;
            }
            QCOMPARE(JournalOps::StoreEntry(c, e, false), JournalOps::StoreResult::Stored);
        } else if (what == 6) {
            const int i = rnd.bounded(journal.size());
            QVERIFY(JournalOps::RemoveEntry(c, journal.takeAt(i).first));
        } else if (what <= 8 || hourly.isEmpty()) {
            auto e = maintenanceEntry(worker(), rnd.bounded(2) ? Maintenance : AveragePiece, day(), hours(),
                                      rnd.bounded(2));
            const bool add = hourly.isEmpty() || rnd.bounded(2);
            if (!add)
                e.id = hourly[rnd.bounded(hourly.size())];
            const int id = MaintenanceOps::StoreEntry(c, e, add);
            if (add)
                hourly << id;
        } else {
            QVERIFY(MaintenanceOps::RemoveEntry(c, hourly.takeAt(rnd.bounded(hourly.size()))));
        }
    }

    const QStringList kept = monthRows(kMarch);
    QVERIFY(!kept.isEmpty());
    rebuildMonth(kMarch);
    const QStringList rebuilt = monthRows(kMarch);
    QVERIFY2(kept == rebuilt, qPrintable(firstDifference(kept, rebuilt)));
}

// The lock order compares numbers, not the keys' text: worker 99 before
// worker 101, shift rows before hourly-work rows of the same worker, then
// the night flag, month and year.
void TimesheetRuleTest::lockOrderIsNumeric()
{
    using namespace TimesheetDay;
    QVERIFY(ShiftRow(99, 4, 12, 2024) < ShiftRow(101, 1, 1, 2024));
    QVERIFY(ShiftRow(101, 1, 12, 2024) < ShiftRow(101, 2, 1, 2024));
    QVERIFY(ShiftRow(101, 4, 12, 2024) < HourlyRow(101, Maintenance, 0, 1, 2024));
    QVERIFY(HourlyRow(101, Maintenance, 1, 1, 2024) < HourlyRow(101, AveragePiece, 0, 1, 2024));
    QVERIFY(ShiftRow(101, 1, 3, 2024) < ShiftRow(101, 1, 4, 2024));
    QVERIFY(!(ShiftRow(101, 1, 3, 2024) < ShiftRow(101, 1, 3, 2024)));
}

// One client keeps moving journal and maintenance-work entries back and
// forth between workers 99 and 101 (whose keys sort the other way round as
// text) while another rebuilds the month again and again: neither sees an
// error (such as a deadlock), and the month ends as the rebuild makes it.
void TimesheetRuleTest::movesBetweenWorkersDuringRebuilds()
{
    Connection &c = DataModule6->ADO_DB;
    const QDate day(2024, 3, 5);
    auto e1 = journalEntry(Sidorov, Assembly, day, 1, 4, 1);
    auto e2 = journalEntry(Ivanov, Painting, day, 1, 3, 2);
    QCOMPARE(JournalOps::StoreEntry(c, e1, true), JournalOps::StoreResult::Stored);
    e1.id = TestDb::scalar("select max(id) from accounts_dep.smena").toInt();
    QCOMPARE(JournalOps::StoreEntry(c, e2, true), JournalOps::StoreResult::Stored);
    e2.id = TestDb::scalar("select max(id) from accounts_dep.smena").toInt();
    auto m1 = maintenanceEntry(Sidorov, Maintenance, day, 2, false);
    m1.id = MaintenanceOps::StoreEntry(c, m1, true);

    constexpr int kRounds = 40;
    Client saver("saver", [=](Connection &cc) mutable {
        for (int i = 0; i < kRounds; ++i) {
            std::swap(e1.worker, e2.worker);
            JournalOps::StoreEntry(cc, e1, false);
            JournalOps::StoreEntry(cc, e2, false);
            m1.worker = m1.worker == Sidorov ? Ivanov : Sidorov;
            MaintenanceOps::StoreEntry(cc, m1, false);
        }
        return QString("saved");
    });
    Client rebuilder("rebuilder", [](Connection &cc) {
        for (int i = 0; i < kRounds / 2; ++i) {
            Transaction tr(cc);
            MonthRebuild::RebuildShifts(cc, kMarch);
            MonthRebuild::RebuildHourly(cc, kMarch);
            tr.commit();
        }
        return QString("rebuilt");
    });
    QVERIFY(saver.finish());
    QVERIFY(rebuilder.finish());
    QCOMPARE(saver.result(), QString("saved"));
    QCOMPARE(rebuilder.result(), QString("rebuilt"));
    QCOMPARE(shiftMismatches(kMarch), 0);
    const QStringList kept = monthRows(kMarch);
    rebuildMonth(kMarch);
    QCOMPARE(monthRows(kMarch), kept);
}

QTEST_MAIN(TimesheetRuleTest)
#include "test_timesheet_rule.moc"
