#include "reference/ListDeletes.h"

namespace ListDeletes {

namespace {
SqlParams ById(int id)
{
    return {{QStringLiteral("id"), id}};
}
} // namespace

ProductLinks CountProductLinks(Connection &conn, int product, const QDate &entriesFrom)
{
    Transaction t(conn);
    ProductLinks links;
    links.entries = conn.scalar(QStringLiteral("select count(*) from accounts_dep.smena where i_id=:id::integer and "
                                               "data>=:dt::date"),
                                {{QStringLiteral("id"), product}, {QStringLiteral("dt"), entriesFrom}})
                        .toLongLong();
    links.operations =
        conn.scalar(QStringLiteral("select count(*) from accounts_dep.oper o where o.i_id =:id::integer"), ById(product))
            .toLongLong();
    t.commit();
    return links;
}

void DeleteProductOperations(Connection &conn, int product)
{
    Transaction t(conn);
    conn.exec(QStringLiteral("delete from accounts_dep.oper o where o.i_id =:id::integer"), ById(product));
    t.commit();
}

void DeleteProduct(Connection &conn, int product, bool withEntries)
{
    Transaction t(conn);
    if (withEntries)
        conn.exec(QStringLiteral("delete from accounts_dep.smena s where s.i_id =:id::integer"), ById(product));
    conn.scalar(QStringLiteral("select accounts_dep.product_delete(:id::numeric)"), ById(product));
    t.commit();
}

void DeleteWorker(Connection &conn, int worker)
{
    Transaction t(conn);
    conn.exec(QStringLiteral("delete from accounts_dep.person where id =:id::integer"), ById(worker));
    t.commit();
}

void DeleteOperationKind(Connection &conn, int kind)
{
    Transaction t(conn);
    conn.exec(QStringLiteral("delete from accounts_dep.vid_oper where id=:id::integer"), ById(kind));
    t.commit();
}

} // namespace ListDeletes
