#pragma once
#include <QDate>
#include <QString>

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

// Advisory-lock key of one shift row. Anything else that counts and then
// inserts or rewrites shift rows takes the same lock.
QString ShiftRowKey(int worker, int shift, int month, int year);
void LockShiftRow(Connection &conn, int worker, int shift, int month, int year);

// Advisory-lock key of one hourly-work row (worker, kind 7777/7778, night
// flag 0/1, month, year); the per-entry upkeep and the month rebuild of
// hourly-work rows both take it.
QString HourlyRowKey(int worker, int type, int night, int month, int year);
void LockHourlyRow(Connection &conn, int worker, int type, int night, int month, int year);

// Hours of the worker's journal entries of that shift and day (0 when none).
int JournalHours(Connection &conn, int worker, int shift, const QDate &day);

// Rewrites day `day` of the worker's shift row with the journal's hours.
// When hours are left the cell gets them and, if createMissing, a missing row
// is created with only that day filled. When none are left the cell becomes
// empty (NULL) and a row without any hours is removed. Returns the hours.
int RecomputeShiftDay(Connection &conn, int worker, int shift, const QDate &day, bool createMissing = true);

// Hours of the worker's maintenance-work entries of that kind (7777/7778)
// and night flag (0/1) on that day (0 when none).
int HourlyHours(Connection &conn, int worker, int type, int night, const QDate &day);

// Rewrites day `day` of the worker's hourly-work row (kind, night flag,
// month) with the hours of the entries, under the row's lock: a missing row
// is created (when createMissing) with only that day filled; when no hours
// are left the cell becomes empty (NULL) and a row without any hours is
// removed. Returns the hours.
int RecomputeHourlyDay(Connection &conn, int worker, int type, int night, const QDate &day,
                       bool createMissing = true);

} // namespace TimesheetDay
