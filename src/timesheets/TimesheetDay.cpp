#include "timesheets/TimesheetDay.h"
#include "data/SqlText.h"
#include "data/Connection.h"
#include "data/DbError.h"

#include <QStringList>

namespace TimesheetDay {

namespace {

SqlParams rowParams(int worker, int shift, int month, int year)
{
    return {{QStringLiteral("w"), worker},
            {QStringLiteral("s"), shift},
            {QStringLiteral("m"), month},
            {QStringLiteral("y"), year}};
}

// "coalesce(d1,0)=0 and ... and coalesce(d31,0)=0"
QString allDaysEmpty()
{
    QStringList terms;
    for (int d = 1; d <= 31; ++d)
        terms << QStringLiteral("coalesce(d%1,0)=0").arg(d);
    return terms.join(QStringLiteral(" and "));
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

// One row of the timesheet, found by `where` with the values of `key`.
struct RowOf {
    QString where;   // " where ..." over the key's parameters
    SqlParams key;
    QString insert;  // insert of a new row with one day; "%1" is the day column, ":h" its hours
};

// Writes `hours` into day `day` of the row (the caller holds the row's lock):
// the cell gets the hours, a missing row is created with only that day when
// createMissing; no hours empty the cell (NULL), and a row left without any
// hours is removed.
void writeDay(Connection &conn, const RowOf &row, const QDate &day, int hours, bool createMissing)
{
    const QString col = QStringLiteral("d%1").arg(day.day());
    const qlonglong rows =
        conn.scalar(QStringLiteral("select count(w_id) as cnt from accounts_dep.h_tabel") + row.where, row.key)
            .toLongLong();
    if (hours != 0) {
        SqlParams p = row.key;
        p.append({QStringLiteral("h"), hours});
        if (rows != 0)
            conn.exec(QStringLiteral("update accounts_dep.h_tabel set %1=:h::integer").arg(col) + row.where, p);
        else if (createMissing)
            conn.exec(row.insert.arg(col), p);
    } else if (rows != 0) {
        conn.exec(QStringLiteral("update accounts_dep.h_tabel set %1=null").arg(col) + row.where, row.key);
        conn.exec(QStringLiteral("delete from accounts_dep.h_tabel") + row.where + QStringLiteral(" and ")
                      + allDaysEmpty(),
                  row.key);
    }
}

void checkDay(const QDate &day)
{
    if (!day.isValid())
        throw DbError(QStringLiteral("Неверная дата записи табеля."));
}

} // namespace

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

int JournalHours(Connection &conn, int worker, int shift, const QDate &day)
{
    const QVariant v = conn.scalar(
        QStringLiteral("select sum(time) as tim from accounts_dep.smena where w_id=:w::integer and "
                       "smena=:s::integer and data=to_date(:d, 'DD.MM.YYYY') group by w_id, smena, data"),
        {{QStringLiteral("w"), worker},
         {QStringLiteral("s"), shift},
         {QStringLiteral("d"), SqlText::Date(day)}});
    return hoursOf(v);
}

int RecomputeShiftDay(Connection &conn, int worker, int shift, const QDate &day, bool createMissing)
{
    checkDay(day);
    const RowOf row{QStringLiteral(" where w_id=:w::integer and smena=:s::integer and month=:m::integer"
                                   " and year=:y::integer"),
                    rowParams(worker, shift, day.month(), day.year()),
                    QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, year, %1) "
                                   "values(:s::integer, :w::integer, :m::integer, :y::integer, :h::integer)")};
    Transaction tr(conn);
    LockShiftRow(conn, worker, shift, day.month(), day.year());
    const int hours = JournalHours(conn, worker, shift, day);
    writeDay(conn, row, day, hours, createMissing);
    tr.commit();
    return hours;
}

int HourlyHours(Connection &conn, int worker, int type, int night, const QDate &day)
{
    return hoursOf(conn.scalar(
        QStringLiteral("select sum(f.cnt) as tim from accounts_dep.fatigue f where f.id_p=:w::integer and "
                       "f.id_o=:o::integer and f.i_night=:n::integer and f.d_date=to_date(:d, 'DD.MM.YYYY') "
                       "group by f.id_p, f.d_date"),
        {{QStringLiteral("w"), worker},
         {QStringLiteral("o"), type},
         {QStringLiteral("n"), night},
         {QStringLiteral("d"), SqlText::Date(day)}}));
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
                                   ":n::integer)")};
    Transaction tr(conn);
    LockHourlyRow(conn, worker, type, night, day.month(), day.year());
    const int hours = HourlyHours(conn, worker, type, night, day);
    writeDay(conn, row, day, hours, createMissing);
    tr.commit();
    return hours;
}

} // namespace TimesheetDay
