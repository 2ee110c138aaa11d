#pragma once
#include <QDate>
#include <QString>

class Connection;

// Upkeep of the monthly timesheet's shift rows (accounts_dep.h_tabel with
// smena 1..4) one day at a time, from the journal entries of that day.
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

// Hours of the worker's journal entries of that shift and day (0 when none).
int JournalHours(Connection &conn, int worker, int shift, const QDate &day);

// Rewrites day `day` of the worker's shift row with the journal's hours.
// When hours are left the cell gets them and, if createMissing, a missing row
// is created with only that day filled. When none are left the cell becomes
// empty (NULL) and a row without any hours is removed. Returns the hours.
int RecomputeShiftDay(Connection &conn, int worker, int shift, const QDate &day, bool createMissing = true);

} // namespace TimesheetDay
