// Helpers of the timesheet tests: maintenance-work entries, whole-table
// snapshots of the timesheet and the check that the table agrees with its
// sources, on top of the small journal shop of entry_shop.h.
#pragma once
#include "entry_shop.h"
#include "data/MonthPeriod.h"

#include <QStringList>

namespace Shop {

enum : int { Maintenance = 7777, AveragePiece = 7778 };

// A maintenance-work entry written straight into accounts_dep.fatigue.
inline int fatigue(int worker, int kind, const QDate &day, int hours, double price, int night = 0, int holiday = 0)
{
    return TestDb::scalar(
               "insert into accounts_dep.fatigue (id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, "
               "price, i_holiday, i_night) values (500, :o::integer, :w::integer, :d::date, :m::integer, "
               ":y::integer, 1, :h::integer, :p::numeric, :hol::integer, :n::integer) returning id",
               {{"o", kind}, {"w", worker}, {"d", day.toString("yyyy-MM-dd")}, {"m", day.month()},
                {"y", day.year()}, {"h", hours}, {"p", price}, {"hol", holiday}, {"n", night}})
        .toInt();
}

// An hourly-work row written straight into the table.
inline void hourlyRow(int worker, int kind, int night, int month, int year, const QList<QPair<int, int>> &days)
{
    QString cols = "w_id, i_type, i_night, month, year", vals = ":w::integer, :t::integer, :n::integer, "
                                                                ":m::integer, :y::integer";
    SqlParams p{{"w", worker}, {"t", kind}, {"n", night}, {"m", month}, {"y", year}};
    for (const auto &d : days) {
        cols += QString(", d%1").arg(d.first);
        vals += QString(", :d%1::integer").arg(d.first);
        p.append({QString("d%1").arg(d.first), d.second});
    }
    TestDb::exec("insert into accounts_dep.h_tabel (" + cols + ") values (" + vals + ")", p);
}

// Every timesheet row (without its id) as text lines in a stable order, for
// before/after comparisons.
inline QStringList tabelDump()
{
    QStringList days;
    for (int d = 1; d <= 31; ++d)
        days << QString("coalesce(d%1::text,'-')").arg(d);
    QSqlQuery q = DataModule6->ADO_DB.select(
        "select concat_ws('|', w_id, month, year, smena, i_type, i_night, " + days.join(", ")
        + ") as line from accounts_dep.h_tabel order by 1");
    QStringList out;
    while (q.next())
        out << q.value(0).toString();
    return out;
}

// Day cells of the month's shift rows that differ from the journal's sums
// (in either direction), plus keys that have more than one row.
inline int shiftMismatches(const MonthPeriod &m)
{
    QStringList days;
    for (int d = 1; d <= 31; ++d)
        days << QString("d%1").arg(d);
    const SqlParams p{{"m", m.month}, {"y", m.year}, {"d1", m.first()}, {"d2", m.next()}};
    const int cells =
        TestDb::scalar(
            "with j as (select w_id, smena, extract(day from data)::integer as d, sum(time) as h "
            "from accounts_dep.smena where data>=:d1::date and data<:d2::date and smena>0 group by 1, 2, 3), "
            "t as (select w_id, smena, u.d::integer as d, u.v as h from accounts_dep.h_tabel, "
            "unnest(array[" + days.join(",") + "]) with ordinality as u(v, d) "
            "where smena>0 and month=:m::integer and year=:y::integer and u.v is not null) "
            "select count(*) from j full join t using (w_id, smena, d) where j.h is distinct from t.h",
            p)
            .toInt();
    const int doubles = TestDb::scalar("select count(*) from (select w_id, smena from accounts_dep.h_tabel "
                                       "where smena>0 and month=:m::integer and year=:y::integer "
                                       "group by 1, 2 having count(*)>1) x",
                                       p)
                            .toInt();
    return cells + doubles;
}

// One day cell of an hourly-work row: hours, "null", or "no row".
inline QString hourlyCell(int worker, int kind, int night, const QDate &day)
{
    QSqlQuery q = DataModule6->ADO_DB.select(
        QString("select d%1 from accounts_dep.h_tabel where w_id=:w::integer and i_type=:t::integer and "
                "i_night=:n::integer and smena=0 and month=:m::integer and year=:y::integer")
            .arg(day.day()),
        {{"w", worker}, {"t", kind}, {"n", night}, {"m", day.month()}, {"y", day.year()}});
    if (!q.next())
        return "no row";
    return q.value(0).isNull() ? QString("null") : q.value(0).toString();
}

} // namespace Shop
