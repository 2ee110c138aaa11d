#include "timesheets/TimesheetDay.h"
#include "data/Connection.h"
#include "data/DbError.h"

#include <QMap>
#include <QSqlQuery>
#include <QStringList>

#include <algorithm>
#include <optional>

namespace TimesheetDay {

namespace {

SqlParams rowParams(int worker, int shift, int month, int year)
{
    return {{QStringLiteral("w"), worker},
            {QStringLiteral("s"), shift},
            {QStringLiteral("m"), month},
            {QStringLiteral("y"), year}};
}

// Hours of a sum query's only value: 0 when there is none.
int hoursOf(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return 0;
    bool ok = false;
    const qlonglong h = v.toString().trimmed().toLongLong(&ok);
    if (!ok)
        throw DbError(QStringLiteral("'%1' не является целым числом").arg(v.toString()));
    return int(h);
}

// The day's hours from a query yielding (entries, sum of hours): nothing
// when the day has no entries, else their sum (entries without hours count 0).
std::optional<int> dayHours(Connection &conn, const QString &sql, const SqlParams &params)
{
    QSqlQuery q = conn.select(sql, params);
    if (!q.next() || q.value(0).toString().trimmed().toLongLong() == 0)
        return std::nullopt;
    return hoursOf(q.value(1));
}

// One row of the timesheet, found by `where` with the values of `key`.
struct RowOf {
    QString where;   // " where ..." over the key's parameters
    SqlParams key;
    QString insert;  // insert of a new row with one day; "%1" is the day column, ":h" its hours
    QString monthHasEntries; // "exists (...)" over the key's parameters: the row's source has entries
};

// The one rule of a timesheet row, shared with the month rebuilds: the row
// exists exactly when its source has at least one entry in the month, and a
// day cell holds the sum of that day's hours when the day has entries (0
// when they sum to 0) and is empty (NULL) when it has none.
// Writes day `day` of the row by that rule (the caller holds the row's lock):
// a day with entries gets their hours, creating a missing row when
// createMissing; a day without entries is emptied, and the row is removed
// when the month has no entries left.
void writeDay(Connection &conn, const RowOf &row, const QDate &day, std::optional<int> hours, bool createMissing)
{
    const QString col = QStringLiteral("d%1").arg(day.day());
    const qlonglong rows =
        conn.scalar(QStringLiteral("select count(w_id) as cnt from accounts_dep.h_tabel") + row.where, row.key)
            .toLongLong();
    if (hours) {
        SqlParams p = row.key;
        p.append({QStringLiteral("h"), *hours});
        if (rows != 0)
            conn.exec(QStringLiteral("update accounts_dep.h_tabel set %1=:h::integer").arg(col) + row.where, p);
        else if (createMissing)
            conn.exec(row.insert.arg(col), p);
    } else if (rows != 0) {
        conn.exec(QStringLiteral("update accounts_dep.h_tabel set %1=null").arg(col) + row.where, row.key);
        conn.exec(QStringLiteral("delete from accounts_dep.h_tabel") + row.where + QStringLiteral(" and not ")
                      + row.monthHasEntries,
                  row.key);
    }
}

void checkDay(const QDate &day)
{
    if (!day.isValid())
        throw DbError(QStringLiteral("Неверная дата записи табеля."));
}

} // namespace

QString RowLock::key() const
{
    return hourly ? HourlyRowKey(worker, shiftOrKind, night, month, year)
                  : ShiftRowKey(worker, shiftOrKind, month, year);
}

RowLock ShiftRow(int worker, int shift, int month, int year)
{
    return RowLock{worker, shift, 0, month, year, false};
}

RowLock HourlyRow(int worker, int type, int night, int month, int year)
{
    return RowLock{worker, type, night, month, year, true};
}

void LockRows(Connection &conn, QVector<RowLock> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.isEmpty())
        return;
    QStringList keys;
    keys.reserve(rows.size());
    for (const auto &r : rows)
        keys << r.key();
    // The keys hold digits, letters and ':' only, so ',' separates them.
    conn.exec(QStringLiteral("select count(*) from (select pg_advisory_xact_lock(hashtext(u.k)) from "
                             "unnest(string_to_array(:lock_keys, ',')) with ordinality as u(k, n) "
                             "order by u.n) as locked"),
              {{QStringLiteral("lock_keys"), keys.join(QLatin1Char(','))}});
}

QString ShiftRowKey(int worker, int shift, int month, int year)
{
    return QStringLiteral("h_tabel:%1:%2:%3:%4").arg(worker).arg(shift).arg(month).arg(year);
}

void LockShiftRow(Connection &conn, int worker, int shift, int month, int year)
{
    conn.advisoryLock(ShiftRowKey(worker, shift, month, year));
}

QString HourlyRowKey(int worker, int type, int night, int month, int year)
{
    return QStringLiteral("h_tabel_hourly:%1:%2:%3:%4:%5").arg(worker).arg(type).arg(night).arg(month).arg(year);
}

void LockHourlyRow(Connection &conn, int worker, int type, int night, int month, int year)
{
    conn.advisoryLock(HourlyRowKey(worker, type, night, month, year));
}

namespace {

const QString kShiftDay = QStringLiteral(
    "select count(*) as n, coalesce(sum(time),0) as tim from accounts_dep.smena where w_id=:w::integer and "
    "smena=:s::integer and data=:d::date");

const QString kHourlyDay = QStringLiteral(
    "select count(*) as n, coalesce(sum(f.cnt),0) as tim from accounts_dep.fatigue f where f.id_p=:w::integer and "
    "f.id_o=:o::integer and f.i_night=:n::integer and f.d_date=:d::date");

SqlParams shiftDayParams(int worker, int shift, const QDate &day)
{
    return {{QStringLiteral("w"), worker}, {QStringLiteral("s"), shift}, {QStringLiteral("d"), day}};
}

SqlParams hourlyDayParams(int worker, int type, int night, const QDate &day)
{
    return {{QStringLiteral("w"), worker},
            {QStringLiteral("o"), type},
            {QStringLiteral("n"), night},
            {QStringLiteral("d"), day}};
}

} // namespace

int JournalHours(Connection &conn, int worker, int shift, const QDate &day)
{
    return dayHours(conn, kShiftDay, shiftDayParams(worker, shift, day)).value_or(0);
}

int RecomputeShiftDay(Connection &conn, int worker, int shift, const QDate &day, bool createMissing)
{
    checkDay(day);
    const RowOf row{QStringLiteral(" where w_id=:w::integer and smena=:s::integer and month=:m::integer"
                                   " and year=:y::integer"),
                    rowParams(worker, shift, day.month(), day.year()),
                    QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, year, %1) "
                                   "values(:s::integer, :w::integer, :m::integer, :y::integer, :h::integer)"),
                    QStringLiteral("exists (select 1 from accounts_dep.smena e where e.w_id=:w::integer and "
                                   "e.smena=:s::integer and e.data>=make_date(:y::integer, :m::integer, 1) and "
                                   "e.data<make_date(:y::integer, :m::integer, 1) + interval '1 month')")};
    Transaction tr(conn);
    LockShiftRow(conn, worker, shift, day.month(), day.year());
    const std::optional<int> hours = dayHours(conn, kShiftDay, shiftDayParams(worker, shift, day));
    writeDay(conn, row, day, hours, createMissing);
    tr.commit();
    return hours.value_or(0);
}

int HourlyHours(Connection &conn, int worker, int type, int night, const QDate &day)
{
    return dayHours(conn, kHourlyDay, hourlyDayParams(worker, type, night, day)).value_or(0);
}

int RecomputeHourlyDay(Connection &conn, int worker, int type, int night, const QDate &day, bool createMissing)
{
    checkDay(day);
    // A new row's smena takes the table's default, 0: the mark of an
    // hourly-work row.
    const RowOf row{QStringLiteral(" where w_id=:w::integer and i_type=:o::integer and month=:m::integer "
                                   "and year=:y::integer and i_night=:n::integer"),
                    {{QStringLiteral("w"), worker},
                     {QStringLiteral("o"), type},
                     {QStringLiteral("m"), day.month()},
                     {QStringLiteral("y"), day.year()},
                     {QStringLiteral("n"), night}},
                    QStringLiteral("insert into accounts_dep.h_tabel(i_type, w_id, month, year, %1, i_night) "
                                   "values(:o::integer, :w::integer, :m::integer, :y::integer, :h::integer, "
                                   ":n::integer)"),
                    QStringLiteral("exists (select 1 from accounts_dep.fatigue f where f.id_p=:w::integer and "
                                   "f.id_o=:o::integer and f.i_night=:n::integer and "
                                   "f.d_date>=make_date(:y::integer, :m::integer, 1) and "
                                   "f.d_date<make_date(:y::integer, :m::integer, 1) + interval '1 month')")};
    Transaction tr(conn);
    LockHourlyRow(conn, worker, type, night, day.month(), day.year());
    const std::optional<int> hours = dayHours(conn, kHourlyDay, hourlyDayParams(worker, type, night, day));
    writeDay(conn, row, day, hours, createMissing);
    tr.commit();
    return hours.value_or(0);
}

void RewriteCells(Connection &conn, const QVector<CellRewrite> &cells)
{
    QMap<std::tuple<RowLock, int>, CellRewrite> ordered;
    for (const CellRewrite &c : cells) {
        if (c.day.isValid())
            ordered.insert({c.row, c.day.day()}, c);
    }
    for (const CellRewrite &c : ordered) {
        if (c.row.hourly)
            RecomputeHourlyDay(conn, c.row.worker, c.row.shiftOrKind, c.row.night, c.day, c.createMissing);
        else
            RecomputeShiftDay(conn, c.row.worker, c.row.shiftOrKind, c.day, c.createMissing);
    }
}

} // namespace TimesheetDay
