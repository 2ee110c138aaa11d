#pragma once
#include "data/Connection.h"

#include <QString>
#include <QVariant>
#include <QVector>

// The database side of the reference-list editors: the lists' own query
// texts and the editors' saves. Each save is one transaction on the given
// connection, shows nothing and reports what happened; a change of a row that
// no longer exists throws DbError with the text the window shows.
namespace ReferenceOps {

// What a duplicate-checked save did.
enum class SaveResult { Saved, Duplicate };

// The worker editor's lists.
QString DepartmentsSql();
QString StaffPositionsSql();
QString RolesSql();

// A worker as the worker editor writes it (accounts_dep.person).
struct Worker {
    int id = 0;       // change: the worker being changed
    QString fio;
    QString position; // s_staffpos_hl: the department's caption
};

// Adds the worker (add) or changes worker w.id, in one transaction. Throws
// when the changed worker no longer exists.
void SaveWorker(Connection &conn, const Worker &w, bool add);

// Adds a kind of operations named name (add) or renames kind id; refused
// (Duplicate) when another kind has that name, case-insensitively. The check
// and the write run in one transaction under a lock on the name. Throws when
// the renamed kind no longer exists.
SaveResult SaveOperationKind(Connection &conn, const QString &name, bool add, int id = 0);

// The product editor's nomenclature groups (id, s_caption) and the
// nomenclature list's query (the level-2 classifier items by caption).
QString ProductGroupsSql();
QString NomenclatureSql();

// A product as the product editor writes it (accounts_dep.izdel).
struct Product {
    qint64 id = 0;  // change: the product being changed
    QString marka;
    QString boxes;  // boxes per piece, a decimal with "." as separator
    qint64 group = 0; // the nomenclature group, a level-2 classifier item
};

// Adds the product (add) or changes product p.id through the database's
// product functions; refused (Duplicate) when another product has the mark,
// case-insensitively. The check and the write run in one transaction under a
// lock on the mark. Throws when the changed product no longer exists.
SaveResult SaveProduct(Connection &conn, const Product &p, bool add);

// An operation as the operation dialog writes it (accounts_dep.oper).
struct Operation {
    int id = 0;      // change: the operation being changed
    int kind = 0;    // vid, accounts_dep.vid_oper.id
    int naimen = 0;  // the product kind (the dialog's list index)
    int product = 0; // i_id, accounts_dep.izdel.id
};

// Adds the operation (add; with a price of 0 and, unless the database gave it
// one, a first norm of zeros so that it is listed) or changes operation o.id;
// refused (Duplicate) when another operation has the same kind, product kind
// and product. The check and the write run in one transaction under a lock
// on those three. Throws when the changed operation no longer exists.
SaveResult SaveOperation(Connection &conn, const Operation &o, bool add);

// Deletes operation id (accounts_dep.oper) in one transaction. False when it
// no longer exists.
bool DeleteOperation(Connection &conn, int id);

// The operations list's export: every operation with its product mark, kind
// name, product kind caption (nmn) and price, by mark, kind and product kind.
QString OperationsExportSql();

// One norm of an operation (accounts_dep.norm) as the norms grid holds it;
// a value is null when the cell is empty.
struct Norm {
    int id = -1; // -1: not stored yet
    QVariant norma, price, prize;
};

// The norms of operation operationId by norma, then id; the values as the
// database gives them.
QVector<Norm> LoadNorms(Connection &conn, int operationId);

// Adds norm n to operation operationId in one transaction; returns its id.
int AddNorm(Connection &conn, int operationId, const Norm &n);

// Changes norm n.id in one transaction. False when it no longer exists.
bool ChangeNorm(Connection &conn, const Norm &n);

// Deletes norm id of operation operationId unless it is the operation's last
// norm: counted and deleted in one transaction under a lock on the
// operation. True when deleted.
bool DeleteNorm(Connection &conn, int operationId, int id);

} // namespace ReferenceOps
