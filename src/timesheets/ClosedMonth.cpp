#include "timesheets/ClosedMonth.h"

#include <QStringList>

namespace ClosedMonth {

namespace {

SqlParams params(const MonthPeriod &month)
{
    return {{QStringLiteral("y"), month.year}, {QStringLiteral("m"), month.month}};
}

void checkMonth(const MonthPeriod &month)
{
    if (!month.isValid() || month.year > 32767)
        throw DbError(QStringLiteral("Неверный месяц табеля."));
}

} // namespace

QString RefusalText(const MonthPeriod &month)
{
    return QStringLiteral("Месяц %1 %2 закрыт. Изменения невозможны.").arg(MonthPeriod::name(month.month)).arg(month.year);
}

DbError Refusal(const MonthPeriod &month)
{
    return DbError(RefusalText(month), DbError::monthClosedState());
}

bool IsClosed(Connection &conn, const MonthPeriod &month)
{
    if (!month.isValid() || month.year > 32767)
        return false;
    return conn.scalar(QStringLiteral("select count(*) from accounts_dep.closed_month where year=:y::integer and "
                                      "month=:m::integer"),
                       params(month))
               .toInt()
        > 0;
}

void RefuseIfClosed(Connection &conn, const QDate &date)
{
    if (date.isValid() && IsClosed(conn, MonthPeriod::of(date)))
        throw Refusal(MonthPeriod::of(date));
}

void Close(Connection &conn, const MonthPeriod &month, const QString &who)
{
    checkMonth(month);
    SqlParams p = params(month);
    p.append({QStringLiteral("who"), who});
    conn.exec(QStringLiteral("insert into accounts_dep.closed_month (year, month, closed_by) values (:y::integer, "
                             ":m::integer, :who) on conflict (year, month) do nothing"),
              p);
}

void Reopen(Connection &conn, const MonthPeriod &month)
{
    checkMonth(month);
    conn.exec(QStringLiteral("delete from accounts_dep.closed_month where year=:y::integer and month=:m::integer"),
              params(month));
}

QString RefusalOn(Connection &conn, const QDate &date)
{
    if (!date.isValid() || !IsClosed(conn, MonthPeriod::of(date)))
        return {};
    return RefusalText(MonthPeriod::of(date));
}

} // namespace ClosedMonth
