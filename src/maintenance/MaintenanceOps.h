#pragma once
#include "data/ColumnRange.h"
#include "data/Connection.h"
#include "data/MonthPeriod.h"

#include <QDate>
#include <QString>

// The database side of the maintenance-works journal: saving and deleting a
// maintenance-work entry (accounts_dep.fatigue) together with the day of the
// worker's hourly-work row in the monthly timesheet, and the month's
// average-piecework price recompute. Each step is one transaction on the
// given connection and throws on failure; none shows anything.
namespace MaintenanceOps {

// The two kinds of hourly-paid work.
enum Kind : int { Maintenance = 7777, AveragePiecework = 7778 };

// The hours one entry may hold.
constexpr int kMaxHours = Columns::kMaxHours;

// One maintenance-work entry as the entry dialog writes it.
struct Entry {
    int id = 0;           // change: the entry being changed
    int worker = 0;       // id_p, accounts_dep.person.id
    int nomenclature = 0; // id_nom, a level-2 classifier item
    int kind = Maintenance;
    QDate date;           // add: the entry's date (a change keeps the stored one)
    int shift = 1;        // add: i_smena
    int hours = 0;        // cnt
    double price = 0;     // per hour, factors applied (HourlyPrice)
    bool holiday = false; // i_holiday
    bool night = false;   // i_night
};

// The hourly price of an entry: the kind's norm price, doubled for work on a
// day off and raised by 1.2 for night work (both: x 2.4).
double HourlyPrice(double norm, bool holiday, bool night);

// Writes the entry (insert when add, else update of e.id; a change keeps the
// entry's date, month, year and shift) and rewrites the hourly-work row days
// it enters and, when it moves to another worker, kind or night flag, the
// day it leaves; all in one transaction. Returns the entry's id. Throws when
// the changed entry no longer exists.
int StoreEntry(Connection &conn, const Entry &e, bool add);

// Deletes an entry and rewrites or empties its day in its worker's
// hourly-work row, in one transaction. False when the entry no longer exists.
bool RemoveEntry(Connection &conn, int id);

// Gives every average-piecework entry (7778) of the month the worker's
// piecework pay per hour in that month on products of the entry's
// nomenclature group (the unit price doubled for an entry flagged as day-off
// work), rounded to 2 decimals; 0 without such journal hours. One statement.
// Returns the number of entries updated.
int RecomputeAveragePrices(Connection &conn, const MonthPeriod &month);

} // namespace MaintenanceOps
