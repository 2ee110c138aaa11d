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

// Takes the advisory locks of the keys, one statement, in the order given.
void lockAll(Connection &conn, const QStringList &lockKeys)
{
    if (lockKeys.isEmpty())
        return;
    conn.exec(QStringLiteral("select count(*) from (select pg_advisory_xact_lock(hashtext(u.k)) from "
                             "unnest(string_to_array(:lock_keys, ',')) with ordinality as u(k, n) "
                             "order by u.n) as locked"),
              {{QStringLiteral("lock_keys"), lockKeys.join(QLatin1Char(','))}});
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

} // namespace

void RebuildShifts(Connection &conn, const MonthPeriod &month, const Progress &progress)
{
    checkMonth(month);
    Transaction tr(conn);
    const SqlParams mp = monthParams(month);
    const Keys keys = readKeys(
        conn, 2,
        QStringLiteral("select w_id, smena from accounts_dep.smena where data>=:d1::date and data<:d2::date "
                       "and smena>0 and w_id is not null "
                       "union select w_id, smena from accounts_dep.h_tabel where smena>0 and month=:m::integer "
                       "and year=:y::integer and w_id is not null order by 1, 2"),
        mp);
    QStringList lockKeys;
    for (const auto &k : keys.rows)
        lockKeys << TimesheetDay::ShiftRowKey(k[0], k[1], month.month, month.year);
    lockAll(conn, lockKeys);

    SqlParams p = mp;
    p.append(keys.params());
    const QString owned = keys.table();

    // The month's shift rows of the locked keys (and any row without a worker).
    conn.exec(QStringLiteral("delete from accounts_dep.h_tabel where smena>0 and month=:m::integer and "
                             "year=:y::integer and (w_id is null or (w_id, smena) in (")
                  + owned + QStringLiteral("))"),
              p);

    const int days = month.days();
    // Per day one statement: the day's sums go into the rows that exist
    // and create the rows that do not yet.
    const QString dayHours = QStringLiteral(
        "with t as (select smena, w_id, sum(time) as tim from accounts_dep.smena where data=:day::date and "
        "smena>0 group by smena, w_id), ");
    const QString sameRow = QStringLiteral(
        "h.w_id=t.w_id and h.smena=t.smena and h.smena>0 and h.month=:m::integer and h.year=:y::integer");
    for (int i = 1; i <= days; ++i) {
        const QString col = QStringLiteral("d%1").arg(i);
        SqlParams dp = p;
        dp.append({QStringLiteral("day"), QDate(month.year, month.month, i)});
        conn.exec(dayHours + QStringLiteral("u as (update accounts_dep.h_tabel h set ") + col
                      + QStringLiteral("=t.tim from t where ") + sameRow
                      + QStringLiteral(" and (t.w_id, t.smena) in (") + owned
                      + QStringLiteral(") returning h.id) insert into accounts_dep.h_tabel(smena, w_id, month, year, ")
                      + col
                      + QStringLiteral(") select t.smena, t.w_id, :m::integer, :y::integer, t.tim from t where "
                                       "(t.w_id, t.smena) in (")
                      + owned + QStringLiteral(") and not exists (select 1 from accounts_dep.h_tabel h where ")
                      + sameRow + QLatin1Char(')'),
                  dp);
        if (progress)
            progress(i, days);
    }
    tr.commit();
}

void RebuildHourly(Connection &conn, const MonthPeriod &month, const Progress &progress)
{
    checkMonth(month);
    Transaction tr(conn);
    const SqlParams mp = monthParams(month);
    const Keys keys = readKeys(
        conn, 3,
        QStringLiteral("select id_p::integer, id_o::integer, i_night from accounts_dep.fatigue where "
                       "d_date>=:d1::date and d_date<:d2::date and id_p is not null and id_o is not null and "
                       "i_night is not null "
                       "union select w_id, i_type, i_night from accounts_dep.h_tabel where smena=0 and "
                       "month=:m::integer and year=:y::integer and w_id is not null and i_type is not null and "
                       "i_night is not null order by 1, 2, 3"),
        mp);
    QStringList lockKeys;
    for (const auto &k : keys.rows)
        lockKeys << TimesheetDay::HourlyRowKey(k[0], k[1], k[2], month.month, month.year);
    lockAll(conn, lockKeys);

    SqlParams p = mp;
    p.append(keys.params());
    const QString owned = keys.table();

    conn.exec(QStringLiteral("delete from accounts_dep.h_tabel where smena=0 and month=:m::integer and "
                             "year=:y::integer and (w_id is null or i_type is null or i_night is null or "
                             "(w_id, i_type, i_night) in (")
                  + owned + QStringLiteral("))"),
              p);

    const int days = month.days();
    const QString dayHours = QStringLiteral(
        "with t as (select f.id_p::integer as w_id, f.id_o::integer as i_type, f.i_night, sum(f.cnt) as tim "
        "from accounts_dep.fatigue f where f.d_date=:day::date group by f.id_p, f.id_o, f.i_night), ");
    const QString sameRow = QStringLiteral(
        "h.w_id=t.w_id and h.i_type=t.i_type and h.i_night=t.i_night and h.smena=0 and h.month=:m::integer "
        "and h.year=:y::integer");
    for (int i = 1; i <= days; ++i) {
        const QString col = QStringLiteral("d%1").arg(i);
        SqlParams dp = p;
        dp.append({QStringLiteral("day"), QDate(month.year, month.month, i)});
        conn.exec(dayHours + QStringLiteral("u as (update accounts_dep.h_tabel h set ") + col
                      + QStringLiteral("=t.tim from t where ") + sameRow
                      + QStringLiteral(" and (t.w_id, t.i_type, t.i_night) in (") + owned
                      + QStringLiteral(") returning h.id) insert into accounts_dep.h_tabel(i_type, w_id, i_night, "
                                       "month, year, ")
                      + col
                      + QStringLiteral(") select t.i_type, t.w_id, t.i_night, :m::integer, :y::integer, t.tim "
                                       "from t where (t.w_id, t.i_type, t.i_night) in (")
                      + owned + QStringLiteral(") and not exists (select 1 from accounts_dep.h_tabel h where ")
                      + sameRow + QLatin1Char(')'),
                  dp);
        if (progress)
            progress(i, days);
    }
    tr.commit();
}

} // namespace MonthRebuild
