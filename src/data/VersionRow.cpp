#include "data/VersionRow.h"
#include "data/Connection.h"

#include <QSqlQuery>

namespace VersionRow {

State Claim(Connection &db, int buildDate, int buildTime)
{
    const QString read = QStringLiteral(
        "select ctid::text as rid, coalesce(d,0) as d, coalesce(t,0) as t, delim from accounts_dep.ver limit 1");
    QSqlQuery q = db.select(read);
    QString rid;
    State s;
    if (q.next()) {
        rid = q.value(0).toString();
        s.date = q.value(1).toLongLong();
        s.time = q.value(2).toLongLong();
        s.delimiter = q.value(3).isNull() ? QString() : q.value(3).toString();
    }
    if (s.date < buildDate || (s.date == buildDate && s.time < buildTime)) {
        const SqlParams stamp{{QStringLiteral("bd"), buildDate}, {QStringLiteral("bt"), buildTime}};
        if (rid.isEmpty()) {
            // A database without a version row: this build claims it, with
            // the point as the decimal separator written into SQL text.
            db.exec(QStringLiteral("insert into accounts_dep.ver (d, t, delim) values (:bd::integer, :bt::integer, '.')"),
                    stamp);
        } else {
            // Claim only if nobody claimed a newer stamp in the meantime.
            SqlParams p = stamp;
            p.append({QStringLiteral("rid"), rid});
            db.exec(QStringLiteral("update accounts_dep.ver set d=:bd::integer, t=:bt::integer where ctid=:rid::tid "
                                   "and (coalesce(d,0) < :bd::integer or (coalesce(d,0) = :bd::integer and "
                                   "coalesce(t,0) < :bt::integer))"),
                    p);
        }
        QSqlQuery again = db.select(read);
        if (again.next()) {
            s.date = again.value(1).toLongLong();
            s.time = again.value(2).toLongLong();
        }
    }
    s.newerBuildInDatabase = buildDate < s.date || (buildDate == s.date && buildTime < s.time);
    return s;
}

} // namespace VersionRow
