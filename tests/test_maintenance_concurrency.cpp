// Two clients saving maintenance entries of one worker, kind and month at
// the same moment, when the month has no hourly-work row yet.
#include "data/Unit6.h"
#include "concurrent_clients.h"
#include "maintenance/MaintenanceOps.h"
#include "maintenance_shop.h"
#include "timesheets/TimesheetDay.h"
#include "support/TestDb.h"

#include <QScopeGuard>
#include <QtTest>

using namespace MaintShop;
using namespace Concurrent;

class MaintenanceConcurrencyTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void firstEntriesOfMonthGiveOneRow_data();
    void firstEntriesOfMonthGiveOneRow();
    void deleteAndAddOnOneDay();
};

namespace {

MaintenanceOps::Entry newEntry(int hours, const QDate &day)
{
    MaintenanceOps::Entry e;
    e.worker = Ivanov;
    e.kind = Maint;
    e.nomenclature = Chairs;
    e.date = day;
    e.hours = hours;
    e.price = 150;
    return e;
}

QString store(Connection &c, const MaintenanceOps::Entry &e)
{
    return MaintenanceOps::StoreEntry(c, e, true) > 0 ? "stored" : "no id";
}

} // namespace

void MaintenanceConcurrencyTest::init()
{
    TestDb::fresh();
    load();
}

void MaintenanceConcurrencyTest::firstEntriesOfMonthGiveOneRow_data()
{
    QTest::addColumn<int>("dayA");
    QTest::addColumn<int>("dayB");
    QTest::newRow("same day") << 5 << 5;
    QTest::newRow("two days") << 5 << 6;
}

void MaintenanceConcurrencyTest::firstEntriesOfMonthGiveOneRow()
{
    QFETCH(int, dayA);
    QFETCH(int, dayB);
    const QDate a(2024, 3, dayA), b(2024, 3, dayB);
    Gate gate(TimesheetDay::HourlyRowKey(Ivanov, Maint, 0, 3, 2024));
    Client ca("client_a", [a](Connection &c) { return store(c, newEntry(8, a)); });
    Client cb("client_b", [b](Connection &c) { return store(c, newEntry(4, b)); });
    const auto release = qScopeGuard([&] { gate.open(); });
    QVERIFY2(gate.waitFor(2), "both saves should wait for the hourly-work row's lock");
    gate.open();
    QVERIFY(ca.finish());
    QVERIFY(cb.finish());
    QCOMPARE(ca.result(), QString("stored"));
    QCOMPARE(cb.result(), QString("stored"));
    QCOMPARE(fatigueCount(), 2);
    QCOMPARE(hourlyRows(Ivanov, Maint, 0, a), 1);
    if (dayA == dayB) {
        QCOMPARE(hourlyCell(Ivanov, Maint, 0, a), QString("12")); // neither save's sum is lost
    } else {
        QCOMPARE(hourlyCell(Ivanov, Maint, 0, a), QString("8"));
        QCOMPARE(hourlyCell(Ivanov, Maint, 0, b), QString("4"));
    }
}

void MaintenanceConcurrencyTest::deleteAndAddOnOneDay()
{
    const QDate day(2024, 3, 5);
    const int old = fatigue(Ivanov, Maint, day, 6);
    hourlyRow(Ivanov, Maint, 0, 3, 2024, {{5, 6}});
    Gate gate(TimesheetDay::HourlyRowKey(Ivanov, Maint, 0, 3, 2024));
    Client ca("client_a", [old](Connection &c) {
        return MaintenanceOps::RemoveEntry(c, old) ? QString("deleted") : QString("missing");
    });
    Client cb("client_b", [day](Connection &c) { return store(c, newEntry(2, day)); });
    const auto release = qScopeGuard([&] { gate.open(); });
    QVERIFY2(gate.waitFor(2), "the deletion and the save should wait for the hourly-work row's lock");
    gate.open();
    QVERIFY(ca.finish());
    QVERIFY(cb.finish());
    QCOMPARE(ca.result(), QString("deleted"));
    QCOMPARE(cb.result(), QString("stored"));
    QCOMPARE(hourlyCell(Ivanov, Maint, 0, day), QString("2"));
    QCOMPARE(hourlyRows(Ivanov, Maint, 0, day), 1);
}

QTEST_MAIN(MaintenanceConcurrencyTest)
#include "test_maintenance_concurrency.moc"
