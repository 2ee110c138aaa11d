#pragma once
#include "reports/engine/Engine.h"

#include <QList>
#include <QString>

class Dataset;

// "Расчетный листок": for each worker of a month, the journal entries with
// their premiums, the maintenance-works and average-piecework entries, and the
// month's pay split as the timesheets count it. One query for the whole month
// and one layout; each worker's statement starts on a new page.
namespace PayStatementReport {

// Workers with journal or maintenance entries in the period, by name:
// id, fio. Parameters date1 (first day, included) and date2 (end, excluded).
QString WorkersSql();

// Every statement row of the period for the workers in `ids` (an integer
// array as text, "{101,102}"), by worker. Parameters date1, date2, ids.
//   wkey     the worker's id as text (the filter that picks one statement)
//   part     1 journal entry, 2 maintenance-works or average-piecework entry
//   premium  the part of the sum above the base price; NULL when the base is
//            unknown (known = 0)
//   totals   on the worker's last row only (NULL on the others): t_base,
//            t_prem, t_7777, t_7778, t_all; hours h1..h4, h_7777, h_7778,
//            h_all; n_unknown entries without a known base
QString Sql();

// The layout; `heading` is the title line ("Расчетный листок за ноябрь
// 2026") and `period` the period line. Compiled.
Report::Layout BuildLayout(const QString &heading, const QString &period);

// The month's heading and period lines.
QString Heading(int month, int year);
QString PeriodText(int month, int year);

// The statements of `workers`, in that order, each from a new page. `data`
// is the query of Sql() with date1 and date2 set; it is opened for a batch
// of workers at a time and left closed. A worker without rows gets no page.
Report::Prepared Prepare(Report::Layout &layout, Dataset &data, const QList<int> &workers);

} // namespace PayStatementReport
