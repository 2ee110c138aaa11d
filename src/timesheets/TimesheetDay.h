#pragma once
#include <QDate>
#include <QString>
#include <QVector>

#include <tuple>

class Connection;

// Upkeep of the monthly timesheet (accounts_dep.h_tabel) one day at a time:
// the shift rows (smena 1..4) from the journal entries of that day, and the
// hourly-work rows (smena 0, i_type 7777/7778, i_night 0/1) from the
// maintenance-work entries. Everything that writes h_tabel lives in this
// folder and takes the connection, never a window.
//
// Every function runs inside the caller's transaction when there is one (so
// the cell changes together with the journal rows that caused it) and opens
// its own otherwise. The row is serialised by a transaction-scoped advisory
// lock on (worker, shift, month, year): two clients can neither create two
// rows for the same key nor write a stale sum over each other's.
namespace TimesheetDay {

// One timesheet row as its lock sees it: the worker, the shift (1..4) or the
// hourly-work kind (7777/7778) with its night flag, the month and the year.
// Every lock on timesheet rows is taken in the order of this key, compared
// as numbers component by component (worker, shift or kind, night flag,
// month, year), by the per-entry upkeep and by the month rebuilds alike:
// a client that needs several rows takes them in that order only, so two
// clients never wait for each other in a circle.
struct RowLock {
    int worker = 0;
    int shiftOrKind = 0;
    int night = 0;
    int month = 0;
    int year = 0;
    bool hourly = false; // the key names an hourly-work row

    std::tuple<int, int, int, int, int> order() const { return {worker, shiftOrKind, night, month, year}; }
    bool operator<(const RowLock &o) const { return order() < o.order(); }
    bool operator==(const RowLock &o) const { return order() == o.order() && hourly == o.hourly; }
    // The advisory-lock key text (ShiftRowKey / HourlyRowKey).
    QString key() const;
};

RowLock ShiftRow(int worker, int shift, int month, int year);
RowLock HourlyRow(int worker, int type, int night, int month, int year);

// Sorts the rows into the lock order (dropping repeats) and takes their
// locks, in that order, in one statement.
void LockRows(Connection &conn, QVector<RowLock> rows);

// Advisory-lock key of one shift row. Anything else that counts and then
// inserts or rewrites shift rows takes the same lock.
QString ShiftRowKey(int worker, int shift, int month, int year);
void LockShiftRow(Connection &conn, int worker, int shift, int month, int year);

// Advisory-lock key of one hourly-work row (worker, kind 7777/7778, night
// flag 0/1, month, year); the per-entry upkeep and the month rebuild of
// hourly-work rows both take it.
QString HourlyRowKey(int worker, int type, int night, int month, int year);
void LockHourlyRow(Connection &conn, int worker, int type, int night, int month, int year);

// Every row follows one rule, shared with the month rebuilds: a row exists
// exactly when the worker has at least one entry of that shift (or kind and
// night flag) in the month; a day cell holds the sum of that day's hours when
// the day has entries (0 when they sum to 0) and is empty (NULL) otherwise.

// Hours of the worker's journal entries of that shift and day (0 when none).
int JournalHours(Connection &conn, int worker, int shift, const QDate &day);

// Rewrites day `day` of the worker's shift row by the rule above. When the
// day has entries the cell gets their hours and, if createMissing, a missing
// row is created with only that day filled. When it has none the cell
// becomes empty (NULL), and the row is removed once the month has no entries
// of that shift left. Returns the hours.
int RecomputeShiftDay(Connection &conn, int worker, int shift, const QDate &day, bool createMissing = true);

// Hours of the worker's maintenance-work entries of that kind (7777/7778)
// and night flag (0/1) on that day (0 when none).
int HourlyHours(Connection &conn, int worker, int type, int night, const QDate &day);

// Rewrites day `day` of the worker's hourly-work row (kind, night flag,
// month) by the rule above, under the row's lock: a day with entries gets
// their hours, a missing row being created (when createMissing) with only
// that day filled; a day without entries is emptied (NULL), and the row is
// removed once the month has no entries of it left. Returns the hours.
int RecomputeHourlyDay(Connection &conn, int worker, int type, int night, const QDate &day,
                       bool createMissing = true);

// One day cell to rewrite: its row, the day and whether a missing row is
// created for it.
struct CellRewrite {
    RowLock row;
    QDate day;
    bool createMissing = true;
};

// Rewrites the cells (RecomputeShiftDay or RecomputeHourlyDay by the row's
// kind) in the rows' lock order and, within a row, by day, so two clients
// rewriting the same rows (or one of them and a month rebuild) never wait
// for each other in a circle. A cell named twice is rewritten once, as its
// last mention says; cells with an invalid day are passed over.
void RewriteCells(Connection &conn, const QVector<CellRewrite> &cells);

} // namespace TimesheetDay
