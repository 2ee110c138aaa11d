// Two clients writing the same journal day at the same moment (see
// concurrent_clients.h).
#include "concurrent_clients.h"
#include "data/DbError.h"
#include "data/Unit6.h"
#include "entry_shop.h"
#include "journal/JournalOps.h"
#include "timesheets/TimesheetDay.h"
#include "support/TestDb.h"

#include <QScopeGuard>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <memory>

using namespace Shop;
using Concurrent::Client;
using Concurrent::Gate;

class EntryConcurrencyTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void sameNewEntryTwice();
    void twoEntriesCreateOneTimesheetRow();
    void deleteAndAddOnOneDay();
};

namespace {

const QDate kDay(2024, 3, 5);

JournalOps::Entry newEntry(int worker, int oper, int hours)
{
    JournalOps::Entry e;
    e.worker = worker;
    e.operation = oper;
    e.product = oper == Cutting ? Cabinet : Chair;
    e.shift = 1;
    e.date = kDay;
    e.price = 12.5;
    e.quantity = 10;
    e.rejects = 0;
    e.hours = hours;
    return e;
}

QString store(Connection &c, const JournalOps::Entry &e)
{
    return JournalOps::StoreEntry(c, e, true) == JournalOps::StoreResult::Stored ? "stored" : "duplicate";
}

} // namespace

void EntryConcurrencyTest::init()
{
    TestDb::fresh();
    load();
}

void EntryConcurrencyTest::sameNewEntryTwice()
{
    const JournalOps::Entry e = newEntry(Ivanov, Assembly, 8);
    Gate gate(JournalOps::DuplicateKey(e));
    Client a("client_a", [e](Connection &c) { return store(c, e); });
    Client b("client_b", [e](Connection &c) { return store(c, e); });
    const auto release = qScopeGuard([&] { gate.open(); });
    QVERIFY2(gate.waitFor(2), "both saves should wait for the entry's lock before checking");
    gate.open();
    QVERIFY(a.finish());
    QVERIFY(b.finish());
    QStringList results{a.result(), b.result()};
    results.sort();
    QCOMPARE(results, QStringList({"duplicate", "stored"}));
    QCOMPARE(entries(), 1);
    QCOMPARE(tabelRows(Ivanov, 1, kDay), 1);
    QCOMPARE(cell(Ivanov, 1, kDay), QString("8"));
}

void EntryConcurrencyTest::twoEntriesCreateOneTimesheetRow()
{
    // Different entries of one worker's first day in the month: each save
    // finds no timesheet row yet.
    Gate gate(TimesheetDay::ShiftRowKey(Ivanov, 1, 3, 2024));
    Client a("client_a", [](Connection &c) { return store(c, newEntry(Ivanov, Assembly, 6)); });
    Client b("client_b", [](Connection &c) { return store(c, newEntry(Ivanov, Cutting, 2)); });
    const auto release = qScopeGuard([&] { gate.open(); });
    QVERIFY2(gate.waitFor(2), "both saves should wait for the timesheet row's lock");
    gate.open();
    QVERIFY(a.finish());
    QVERIFY(b.finish());
    QCOMPARE(a.result(), QString("stored"));
    QCOMPARE(b.result(), QString("stored"));
    QCOMPARE(entries(), 2);
    QCOMPARE(tabelRows(Ivanov, 1, kDay), 1);
    QCOMPARE(cell(Ivanov, 1, kDay), QString("8")); // neither save's sum is lost
}

void EntryConcurrencyTest::deleteAndAddOnOneDay()
{
    const int old = entry(Ivanov, Assembly, kDay, 1, 6);
    tabelRow(Ivanov, 1, 3, 2024, {{5, 6}});
    Gate gate(TimesheetDay::ShiftRowKey(Ivanov, 1, 3, 2024));
    Client a("client_a", [old](Connection &c) {
        return JournalOps::RemoveEntry(c, old) ? QString("deleted") : QString("missing");
    });
    Client b("client_b", [](Connection &c) { return store(c, newEntry(Ivanov, Cutting, 2)); });
    const auto release = qScopeGuard([&] { gate.open(); });
    QVERIFY2(gate.waitFor(2), "the deletion and the save should wait for the timesheet row's lock");
    gate.open();
    QVERIFY(a.finish());
    QVERIFY(b.finish());
    QCOMPARE(a.result(), QString("deleted"));
    QCOMPARE(b.result(), QString("stored"));
    QCOMPARE(cell(Ivanov, 1, kDay), QString("2"));
    QCOMPARE(tabelRows(Ivanov, 1, kDay), 1);
}

QTEST_MAIN(EntryConcurrencyTest)
#include "test_entry_concurrency.moc"
