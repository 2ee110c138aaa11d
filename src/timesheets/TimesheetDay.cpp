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
    if (!v.isValid() || v.isNull())
        return 0;
    bool ok = false;
    const qlonglong h = v.toString().trimmed().toLongLong(&ok);
    if (!ok)
        throw DbError(QStringLiteral("'%1' не является целым числом").arg(v.toString()));
    return int(h);
}

int RecomputeShiftDay(Connection &conn, int worker, int shift, const QDate &day, bool createMissing)
{
    if (!day.isValid())
        throw DbError(QStringLiteral("Неверная дата записи табеля."));
    const int month = day.month();
    const int year = day.year();
    const QString col = QStringLiteral("d%1").arg(day.day());
    const SqlParams key = rowParams(worker, shift, month, year);
    const QString where = QStringLiteral(
        " where w_id=:w::integer and smena=:s::integer and month=:m::integer and year=:y::integer");

    Transaction tr(conn);
    LockShiftRow(conn, worker, shift, month, year);
    const int hours = JournalHours(conn, worker, shift, day);
    const qlonglong rows =
        conn.scalar(QStringLiteral("select count(w_id) as cnt from accounts_dep.h_tabel") + where, key).toLongLong();

    if (hours != 0) {
        SqlParams p = key;
        p.append({QStringLiteral("h"), hours});
        if (rows != 0)
            conn.exec(QStringLiteral("update accounts_dep.h_tabel set %1=:h::integer").arg(col) + where, p);
        else if (createMissing)
            conn.exec(QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, year, %1) "
                                     "values(:s::integer, :w::integer, :m::integer, :y::integer, :h::integer)")
                          .arg(col),
                      p);
    } else if (rows != 0) {
        // No hours left that day: the cell empties, and a row that holds no
        // hours at all leaves the timesheet.
        conn.exec(QStringLiteral("update accounts_dep.h_tabel set %1=null").arg(col) + where, key);
        conn.exec(QStringLiteral("delete from accounts_dep.h_tabel") + where + QStringLiteral(" and ")
                      + allDaysEmpty(),
                  key);
    }
    tr.commit();
    return hours;
}

int HourlyHours(Connection &conn, int worker, int type, int night, const QDate &day)
{
    const QVariant v = conn.scalar(
        QStringLiteral("select sum(f.cnt) as tim from accounts_dep.fatigue f where f.id_p=:w::integer and "
                       "f.id_o=:o::integer and f.i_night=:n::integer and f.d_date=to_date(:d, 'DD.MM.YYYY') "
                       "group by f.id_p, f.d_date"),
        {{QStringLiteral("w"), worker},
         {QStringLiteral("o"), type},
         {QStringLiteral("n"), night},
         {QStringLiteral("d"), day.toString(QStringLiteral("dd.MM.yyyy"))}});
    if (!v.isValid() || v.isNull())
        return 0;
    bool ok = false;
    const qlonglong h = v.toString().trimmed().toLongLong(&ok);
    if (!ok)
        throw DbError(QStringLiteral("'%1' не является целым числом").arg(v.toString()));
    return int(h);
}

int RecomputeHourlyDay(Connection &conn, int worker, int type, int night, const QDate &day, bool createMissing)
{
    if (!day.isValid())
        throw DbError(QStringLiteral("Неверная дата записи табеля."));
    const int month = day.month();
    const int year = day.year();
    const QString col = QStringLiteral("d%1").arg(day.day());
    const SqlParams key{{QStringLiteral("w"), worker},
                        {QStringLiteral("o"), type},
                        {QStringLiteral("m"), month},
                        {QStringLiteral("y"), year},
                        {QStringLiteral("n"), night}};
    const QString where = QStringLiteral(" where w_id=:w::integer and i_type=:o::integer and month=:m::integer "
                                         "and year=:y::integer and i_night=:n::integer");

    Transaction tr(conn);
    LockHourlyRow(conn, worker, type, night, month, year);
    const int hours = HourlyHours(conn, worker, type, night, day);
    const qlonglong rows =
        conn.scalar(QStringLiteral("select count(w_id) as cnt from accounts_dep.h_tabel") + where, key).toLongLong();

    if (hours != 0) {
        SqlParams p = key;
        p.append({QStringLiteral("h"), hours});
        if (rows != 0)
            conn.exec(QStringLiteral("update accounts_dep.h_tabel set %1=:h::integer").arg(col) + where, p);
        else if (createMissing)
            // smena takes the table's default, 0: the mark of an hourly-work row.
            conn.exec(QStringLiteral("insert into accounts_dep.h_tabel(i_type, w_id, month, year, %1, i_night) "
                                     "values(:o::integer, :w::integer, :m::integer, :y::integer, :h::integer, "
                                     ":n::integer)")
                          .arg(col),
                      p);
    } else if (rows != 0) {
        conn.exec(QStringLiteral("update accounts_dep.h_tabel set %1=null").arg(col) + where, key);
        conn.exec(QStringLiteral("delete from accounts_dep.h_tabel") + where + QStringLiteral(" and ")
                      + allDaysEmpty(),
                  key);
    }
    tr.commit();
    return hours;
}

} // namespace TimesheetDay
