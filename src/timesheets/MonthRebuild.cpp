#include "timesheets/MonthRebuild.h"
#include "timesheets/TimesheetDay.h"
#include "data/Connection.h"
#include "data/DbError.h"

#include <QStringList>
#include <QVector>

namespace MonthRebuild {

namespace {

// The row keys a rebuild owns: each key is 2 (worker, shift) or 3 (worker,
// kind, night) integers. They travel to the server as one comma-separated
// list per component (:k1, :k2, :k3), unnested side by side.
struct Keys {
    int width = 0;
    QVector<QVector<int>> rows;

    SqlParams params() const
    {
        SqlParams p;
        for (int c = 0; c < width; ++c) {
            QStringList parts;
            parts.reserve(rows.size());
            for (const auto &r : rows)
                parts << QString::number(r[c]);
            p.append({QStringLiteral("k%1").arg(c + 1), parts.join(QLatin1Char(','))});
        }
        return p;
    }
    // "select * from unnest(...)" yielding the keys as rows.
    QString table() const
    {
        QStringList arrays;
        for (int c = 1; c <= width; ++c)
            arrays << QStringLiteral("string_to_array(:k%1, ',')::integer[]").arg(c);
        return QStringLiteral("select * from unnest(") + arrays.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
};

Keys readKeys(Connection &conn, int width, const QString &sql, const SqlParams &params)
{
    Keys k;
    k.width = width;
    QSqlQuery q = conn.select(sql, params);
    while (q.next()) {
        QVector<int> r;
        for (int c = 0; c < width; ++c) {
            bool ok = false;
            r << q.value(c).toString().trimmed().toInt(&ok);
            if (!ok)
                throw DbError(QStringLiteral("'%1' не является целым числом").arg(q.value(c).toString()));
        }
        k.rows << r;
    }
    return k;
}

SqlParams monthParams(const MonthPeriod &month)
{
    return {{QStringLiteral("m"), month.month},
            {QStringLiteral("y"), month.year},
            {QStringLiteral("d1"), month.first()},
            {QStringLiteral("d2"), month.next()}};
}

void checkMonth(const MonthPeriod &month)
{
    if (!month.isValid() || month.year > 32767)
        throw DbError(QStringLiteral("Неверный месяц табеля."));
}

// One kind of timesheet row a rebuild writes: how its keys are found and
// locked, which rows of the month it owns, and the day sums that fill them.
struct RowKind {
    int width;                                   // key components
    QString keysSql;                             // the month's keys, in the source or the table, ordered
    std::function<TimesheetDay::RowLock(const QVector<int> &, const MonthPeriod &)> lockOf;
    QString ownedRows;                           // delete condition of the month's rows; %1 = the owned keys
    QString dayHours;                            // "with t as (...), " over :day
    QString sameRow;                             // row h of sums t
    QString keyOfSums;                           // "(t.w_id, ...)"
    QString insertColumns;                       // key columns of a new row
    QString insertValues;                        // their values from t
};

// Rebuilds the month's rows of one kind in one transaction: takes the locks
// of every key the month has, in a fixed order, deletes the rows of those
// keys and writes the day sums back, one statement per day that updates the
// rows already written and creates the missing ones.
void rebuild(Connection &conn, const MonthPeriod &month, const RowKind &kind, const Progress &progress)
{
    checkMonth(month);
    Transaction tr(conn);
    const SqlParams mp = monthParams(month);
    // A closed month is refused also when it has no rows to rewrite.
    conn.exec(QStringLiteral("select accounts_dep.refuse_closed_month(:y::integer, :m::integer)"), mp);
    const Keys keys = readKeys(conn, kind.width, kind.keysSql, mp);
    QVector<TimesheetDay::RowLock> locks;
    locks.reserve(keys.rows.size());
    for (const auto &k : keys.rows)
        locks << kind.lockOf(k, month);
    TimesheetDay::LockRows(conn, locks);

    SqlParams p = mp;
    p.append(keys.params());
    const QString owned = keys.table();
    conn.exec(QStringLiteral("delete from accounts_dep.h_tabel where ") + kind.ownedRows.arg(owned), p);

    const int days = month.days();
    for (int i = 1; i <= days; ++i) {
        const QString col = QStringLiteral("d%1").arg(i);
        SqlParams dp = p;
        dp.append({QStringLiteral("day"), QDate(month.year, month.month, i)});
        conn.exec(kind.dayHours + QStringLiteral("u as (update accounts_dep.h_tabel h set ") + col
                      + QStringLiteral("=t.tim from t where ") + kind.sameRow + QStringLiteral(" and ")
                      + kind.keyOfSums + QStringLiteral(" in (") + owned
                      + QStringLiteral(") returning h.id) insert into accounts_dep.h_tabel(") + kind.insertColumns
                      + QStringLiteral(", month, year, ") + col + QStringLiteral(") select ") + kind.insertValues
                      + QStringLiteral(", :m::integer, :y::integer, t.tim from t where ") + kind.keyOfSums
                      + QStringLiteral(" in (") + owned
                      + QStringLiteral(") and not exists (select 1 from accounts_dep.h_tabel h where ")
                      + kind.sameRow + QLatin1Char(')'),
                  dp);
        if (progress)
            progress(i, days);
    }
    tr.commit();
}

} // namespace

void RebuildShifts(Connection &conn, const MonthPeriod &month, const Progress &progress)
{
    static const RowKind shifts{
        2,
        QStringLiteral("select w_id, smena from accounts_dep.smena where data>=:d1::date and data<:d2::date "
                       "and smena>0 and w_id is not null "
                       "union select w_id, smena from accounts_dep.h_tabel where smena>0 and month=:m::integer "
                       "and year=:y::integer and w_id is not null order by 1, 2"),
        [](const QVector<int> &k, const MonthPeriod &m) {
            return TimesheetDay::ShiftRow(k[0], k[1], m.month, m.year);
        },
        // The month's shift rows of the locked keys (and any row without a worker).
        QStringLiteral("smena>0 and month=:m::integer and year=:y::integer and (w_id is null or (w_id, smena) "
                       "in (%1))"),
        QStringLiteral("with t as (select smena, w_id, coalesce(sum(time),0) as tim from accounts_dep.smena where "
                       "data=:day::date and smena>0 group by smena, w_id), "),
        QStringLiteral("h.w_id=t.w_id and h.smena=t.smena and h.smena>0 and h.month=:m::integer and "
                       "h.year=:y::integer"),
        QStringLiteral("(t.w_id, t.smena)"),
        QStringLiteral("smena, w_id"),
        QStringLiteral("t.smena, t.w_id")};
    rebuild(conn, month, shifts, progress);
}

void RebuildHourly(Connection &conn, const MonthPeriod &month, const Progress &progress)
{
    // New rows' smena takes the table's default, 0: the mark of hourly work.
    static const RowKind hourly{
        3,
        QStringLiteral("select id_p::integer, id_o::integer, i_night from accounts_dep.fatigue where "
                       "d_date>=:d1::date and d_date<:d2::date and id_p is not null and id_o is not null and "
                       "i_night is not null "
                       "union select w_id, i_type, i_night from accounts_dep.h_tabel where smena=0 and "
                       "month=:m::integer and year=:y::integer and w_id is not null and i_type is not null and "
                       "i_night is not null order by 1, 2, 3"),
        [](const QVector<int> &k, const MonthPeriod &m) {
            return TimesheetDay::HourlyRow(k[0], k[1], k[2], m.month, m.year);
        },
        QStringLiteral("smena=0 and month=:m::integer and year=:y::integer and (w_id is null or i_type is null "
                       "or i_night is null or (w_id, i_type, i_night) in (%1))"),
        QStringLiteral("with t as (select f.id_p::integer as w_id, f.id_o::integer as i_type, f.i_night, "
                       "coalesce(sum(f.cnt),0) as tim from accounts_dep.fatigue f where f.d_date=:day::date "
                       "group by f.id_p, f.id_o, f.i_night), "),
        QStringLiteral("h.w_id=t.w_id and h.i_type=t.i_type and h.i_night=t.i_night and h.smena=0 and "
                       "h.month=:m::integer and h.year=:y::integer"),
        QStringLiteral("(t.w_id, t.i_type, t.i_night)"),
        QStringLiteral("i_type, w_id, i_night"),
        QStringLiteral("t.i_type, t.w_id, t.i_night")};
    rebuild(conn, month, hourly, progress);
}

void RebuildMonth(Connection &conn, const MonthPeriod &month, const Progress &progress)
{
    checkMonth(month);
    const int days = month.days();
    Transaction tr(conn);
    RebuildShifts(conn, month, [&](int day, int) {
        if (progress)
            progress(day, 2 * days);
    });
    RebuildHourly(conn, month, [&](int day, int) {
        if (progress)
            progress(days + day, 2 * days);
    });
    tr.commit();
}

} // namespace MonthRebuild
