#pragma once
#include "data/MonthPeriod.h"

#include <functional>

class Connection;

// Month rebuilds of the timesheet table accounts_dep.h_tabel from their
// sources, beside the per-entry upkeep of TimesheetDay:
//  - the shift rows (smena > 0) from the journal accounts_dep.smena,
//  - the hourly-work rows (smena 0, i_type = kind, i_night) from the
//    maintenance-work entries accounts_dep.fatigue.
//
// Each rebuild is one transaction: the month's rows are removed and then
// filled day by day by the rule TimesheetDay keeps too (day i gets, per row,
// the sum of that day's hours, 0 when they sum to 0, and stays NULL without
// entries; a row is created on the first day that has entries), so a failure
// anywhere leaves the month as it was.
//
// Other clients keep saving entries while a rebuild runs. The rebuild first
// takes, in the rows' lock order (TimesheetDay::RowLock), the per-entry
// upkeep's advisory lock of every row key the month has at that moment (in
// the source or in the table), and then removes and rewrites only the rows
// of those keys:
//  - an entry whose save holds such a lock is waited for and then counted by
//    the rebuild; one saved later waits for the rebuild and then rewrites its
//    day over the rebuilt row;
//  - a key that first appears after the locks were taken belongs to saves
//    the rebuild never saw: their own upkeep keeps that row (its days hold
//    exactly those saves' hours), and the rebuild leaves it alone.
// So an entry saved during a rebuild is neither lost nor counted twice.
namespace MonthRebuild {

// Called after each day of the month: (day, days in the month).
using Progress = std::function<void(int day, int days)>;

// The shift rows of the month from the journal: one row per worker and shift
// with entries in the month, day i = sum of `time` of that day's entries;
// rows with smena 0 stay as they are. Throws DbError (nothing changed).
void RebuildShifts(Connection &conn, const MonthPeriod &month, const Progress &progress = {});

// The hourly-work rows of the month from the maintenance-work entries: one
// row per worker, kind (id_o -> i_type) and night flag with entries in the
// month, day i = sum of `cnt` of that day's entries; shift rows stay as they
// are. Throws DbError (nothing changed).
void RebuildHourly(Connection &conn, const MonthPeriod &month, const Progress &progress = {});

// Both rebuilds of the month, the shift rows and then the hourly-work rows,
// in one transaction (the caller's when there is one). Progress runs over
// both: (step, 2 x days in the month). Throws DbError (nothing changed).
void RebuildMonth(Connection &conn, const MonthPeriod &month, const Progress &progress = {});

} // namespace MonthRebuild
