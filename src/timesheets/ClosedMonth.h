#pragma once
#include "data/Connection.h"
#include "data/DbError.h"
#include "data/MonthPeriod.h"

#include <QDate>
#include <QString>

// Closed months (accounts_dep.closed_month): a paid month is closed so that
// its journal entries, maintenance entries and timesheet rows stay as they
// were paid. The database's triggers refuse every write into a closed month
// (DbError::isMonthClosed()); the windows ask here first, so that the user
// is told before typing anything.
namespace ClosedMonth {

// "Месяц Март 2024 закрыт. Изменения невозможны."
QString RefusalText(const MonthPeriod &month);
// The error a write into the closed month meets, as the database raises it.
DbError Refusal(const MonthPeriod &month);

bool IsClosed(Connection &conn, const MonthPeriod &month);
// The refusal text when the month of date is closed, empty when it is open
// (or date is not a date).
QString RefusalOn(Connection &conn, const QDate &date);
// Throws Refusal(month) when the date's month is closed.
void RefuseIfClosed(Connection &conn, const QDate &date);

// Closes the month (nothing when it is closed already); `who` is kept with
// it. The history records the closing.
void Close(Connection &conn, const MonthPeriod &month, const QString &who);
// Opens a closed month for changes again; the history records it.
void Reopen(Connection &conn, const MonthPeriod &month);

} // namespace ClosedMonth
