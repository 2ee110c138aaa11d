#pragma once
#include "data/Connection.h"

#include <QDate>

// The deletions of the product, worker and operation-kind lists. Each takes
// the connection and typed values, runs its own transaction and throws on
// failure; the list windows ask the user and tell the outcome.
namespace ListDeletes {

// What hangs on a product: its journal entries dated on or after a bound,
// and its operations (with their rates).
struct ProductLinks {
    qint64 entries = 0;
    qint64 operations = 0;
};
ProductLinks CountProductLinks(Connection &conn, int product, const QDate &entriesFrom);

// Deletes the product's operations.
void DeleteProductOperations(Connection &conn, int product);
// Deletes the product (accounts_dep.product_delete); with withEntries its
// journal entries first, in the same transaction.
void DeleteProduct(Connection &conn, int product, bool withEntries);

// Deletes a worker (accounts_dep.person).
void DeleteWorker(Connection &conn, int worker);

// Deletes an operation kind (accounts_dep.vid_oper).
void DeleteOperationKind(Connection &conn, int kind);

} // namespace ListDeletes
