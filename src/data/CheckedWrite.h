#pragma once
#include "data/Connection.h"

#include <functional>

// The duplicate-checked write: counts the conflicting rows and writes in one
// transaction, under a transaction-scoped advisory lock on the row's key, so
// two clients cannot both pass the check. Shows nothing; callers that must
// tell the user do it after the transaction has ended (see
// TDataModule6::CheckedWrite).
//
// countSql is a query whose first column is the number of conflicting rows
// (bound with params). When it is above 0 nothing is written and the result
// is Duplicate; otherwise write() runs inside the same transaction and the
// result is Written. Inside a caller's transaction the check and the write
// join it (and its lock lasts until it ends).
enum class WriteResult { Written, Duplicate };

WriteResult CheckedWrite(Connection &conn, const QString &lockKey, const QString &countSql,
                         const SqlParams &params, const std::function<void()> &write);
