#include "data/CheckedWrite.h"

WriteResult CheckedWrite(Connection &conn, const QString &lockKey, const QString &countSql,
                         const SqlParams &params, const std::function<void()> &write)
{
    Transaction t(conn);
    conn.advisoryLock(lockKey);
    if (conn.scalar(countSql, params).toLongLong() > 0) {
        t.commit(); // nothing written; ends the lock
        return WriteResult::Duplicate;
    }
    write();
    t.commit();
    return WriteResult::Written;
}
