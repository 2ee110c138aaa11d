#include "maintenance/MaintenanceOps.h"
#include "data/DbError.h"
#include "data/SqlText.h"
#include "timesheets/TimesheetDay.h"

#include <QSqlQuery>
#include <tuple>

namespace MaintenanceOps {

namespace {

// A day of one worker's hourly-work row.
struct Cell {
    int worker = 0;
    int kind = 0;
    int night = 0;
    QDate day;
    bool operator==(const Cell &o) const
    {
        return worker == o.worker && kind == o.kind && night == o.night && day == o.day;
    }
};

int toInt(const QVariant &v)
{
    return v.isNull() ? 0 : v.toString().trimmed().toInt();
}

Cell cellOf(const QSqlQuery &q)
{
    // Columns: id_p, id_o, i_night, d_date.
    return Cell{toInt(q.value(0)), toInt(q.value(1)), toInt(q.value(2)), q.value(3).toDate()};
}

// Rewrites the cells in the timesheet rows' lock order.
void recomputeCells(Connection &conn, const QList<QPair<Cell, bool>> &cells)
{
    QVector<TimesheetDay::CellRewrite> rewrites;
    for (const auto &c : cells)
        rewrites.append({TimesheetDay::HourlyRow(c.first.worker, c.first.kind, c.first.night, c.first.day.month(),
                                                 c.first.day.year()),
                         c.first.day, c.second});
    TimesheetDay::RewriteCells(conn, rewrites);
}

} // namespace

double HourlyPrice(double norm, bool holiday, bool night)
{
    double p = norm;
    if (holiday)
        p *= 2;
    if (night)
        p *= 1.2;
    return p;
}

int StoreEntry(Connection &conn, const Entry &e, bool add)
{
    if (add && !e.date.isValid())
        throw DbError(QStringLiteral("Неверная дата позиции."));
    SqlParams p{{QStringLiteral("g"), e.nomenclature},
                {QStringLiteral("o"), e.kind},
                {QStringLiteral("w"), e.worker},
                {QStringLiteral("h"), e.hours},
                {QStringLiteral("p"), SqlText::Decimal(e.price)},
                {QStringLiteral("f"), e.holiday ? 1 : 0},
                {QStringLiteral("n"), e.night ? 1 : 0}};

    Transaction tr(conn);
    QList<QPair<Cell, bool>> cells;
    int id = e.id;
    QDate day = e.date;
    if (add) {
        p.append({QStringLiteral("d"), e.date});
        p.append({QStringLiteral("m"), e.date.month()});
        p.append({QStringLiteral("y"), e.date.year()});
        p.append({QStringLiteral("s"), e.shift});
        id = conn.scalar(QStringLiteral("INSERT INTO accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, "
                                        "i_year, i_smena, cnt, price, i_holiday, i_night) "
                                        "VALUES(:g::numeric, :o::numeric, :w::numeric, :d::date, "
                                        ":m::integer, :y::integer, :s::integer, :h::integer, :p::numeric, "
                                        ":f::integer, :n::integer) returning id"),
                         p)
                 .toInt();
    } else {
        // The cell the entry leaves, as stored now.
        QSqlQuery old = conn.select(QStringLiteral("select id_p, id_o, i_night, d_date from accounts_dep.fatigue "
                                                   "where id=:id::integer for update"),
                                    {{QStringLiteral("id"), e.id}});
        if (!old.next())
            throw DbError(QStringLiteral("Позиция не найдена: она удалена с другого рабочего места."));
        const Cell left = cellOf(old);
        cells.append({left, false});
        day = left.day;
        p.append({QStringLiteral("id"), e.id});
        conn.exec(QStringLiteral("UPDATE accounts_dep.fatigue SET id_nom=:g::numeric, id_o=:o::numeric, "
                                 "id_p=:w::numeric, cnt=:h::integer, price=:p::numeric, i_holiday=:f::integer, "
                                 "i_night=:n::integer where id=:id::integer"),
                  p);
    }

    // The cell the entry enters is created when missing; one it leaves is
    // only rewritten.
    const Cell entered{e.worker, e.kind, e.night ? 1 : 0, day};
    if (!cells.isEmpty() && cells.first().first == entered)
        cells.clear();
    cells.append({entered, true});
    recomputeCells(conn, cells);
    tr.commit();
    return id;
}

bool RemoveEntry(Connection &conn, int id)
{
    Transaction tr(conn);
    QSqlQuery q = conn.select(QStringLiteral("delete from accounts_dep.fatigue where id=:id::integer "
                                             "returning id_p, id_o, i_night, d_date"),
                              {{QStringLiteral("id"), id}});
    if (!q.next())
        return false;
    // The day of the deleted entry itself, whatever date the journal shows.
    recomputeCells(conn, {{cellOf(q), false}});
    tr.commit();
    return true;
}

int RecomputeAveragePrices(Connection &conn, const MonthPeriod &month)
{
    if (!month.isValid())
        throw DbError(QStringLiteral("Неверный месяц пересчета."));
    const SqlParams p{{QStringLiteral("d1"), month.first()},
                      {QStringLiteral("d2"), month.next()},
                      {QStringLiteral("m"), month.month},
                      {QStringLiteral("y"), month.year}};
    Transaction tr(conn);
    const int n = conn.exec(
        QStringLiteral(
            "UPDATE accounts_dep.fatigue f SET price=coalesce((select case when "
            "coalesce(sum(s.time),0)::numeric(10,2)=0 then 0 else  "
            "coalesce(sum((s.kol_vo-s.brak)*(s.cena+s.cena*f.i_holiday))/sum(time),0)::numeric(10,2) end as price  "
            "from cmn_classifier.item i, accounts_dep.smena s, accounts_dep.izdel gas, accounts_dep.person p "
            "where i.id_level =2 and s.i_id = gas.id and gas.id_class_item =i.id  "
            "and s.data<:d2::date and s.data>=:d1::date "
            "and p.id=s.w_id and p.id=f.id_p and i.id=f.id_nom group by i.s_caption, i.id, p.id order by fio),0) "
            "where i_mnth = :m::integer and i_year = :y::integer and id_o =7778"),
        p);
    tr.commit();
    return n;
}

} // namespace MaintenanceOps
