#include "reference/ReferenceOps.h"
#include "data/CheckedWrite.h"
#include "data/DbError.h"

#include <QSqlQuery>

namespace ReferenceOps {

QString DepartmentsSql()
{
    return QStringLiteral("select * from cmn_department.department");
}

QString StaffPositionsSql()
{
    return QStringLiteral("select * from hrms_staffpos.staffpos");
}

QString RolesSql()
{
    return QStringLiteral("select * from adm_role.roles");
}

void SaveWorker(Connection &conn, const Worker &w, bool add)
{
    Transaction tx(conn);
    if (add) {
        conn.exec(QStringLiteral("INSERT INTO accounts_dep.person (fio, s_staffpos_hl)VALUES(:fio, :pos)"),
                  {{QStringLiteral("fio"), w.fio}, {QStringLiteral("pos"), w.position}});
    } else {
        const int n = conn.exec(QStringLiteral("UPDATE accounts_dep.person SET fio=:fio, s_staffpos_hl=:pos "
                                               "where accounts_dep.person.id=:id::integer"),
                                {{QStringLiteral("fio"), w.fio},
                                 {QStringLiteral("pos"), w.position},
                                 {QStringLiteral("id"), w.id}});
        if (n == 0)
            throw DbError(QStringLiteral("Работник не найден: возможно, его удалили с другого рабочего места."));
    }
    tx.commit();
}

SaveResult SaveOperationKind(Connection &conn, const QString &name, bool add, int id)
{
    const bool change = !add;
    QString check = QStringLiteral("select count(*) as cnt from accounts_dep.vid_oper where upper(vid)=upper(:vid)");
    SqlParams params{{QStringLiteral("vid"), name}};
    if (change) {
        check += QStringLiteral(" and id<>:id::integer");
        params.append({QStringLiteral("id"), id});
    }
    const WriteResult r = CheckedWrite(conn, QStringLiteral("vid_oper:") + name.toUpper(), check, params, [&] {
        if (change) {
            if (conn.exec(QStringLiteral("update accounts_dep.vid_oper set vid=:vid where id=:id::integer"), params)
                == 0)
                throw DbError(QStringLiteral("Вид операции не найден: возможно, его удалили с другого рабочего места."));
        } else {
            conn.exec(QStringLiteral("insert into accounts_dep.vid_oper (vid) values (:vid)"), params);
        }
    });
    return r == WriteResult::Duplicate ? SaveResult::Duplicate : SaveResult::Saved;
}

QString ProductGroupsSql()
{
    return QStringLiteral("select id, s_caption from cmn_classifier.item where id_level=2 order by s_caption");
}

QString NomenclatureSql()
{
    return QStringLiteral("select * from cmn_classifier.item where id_level=2 order by s_caption");
}

SaveResult SaveProduct(Connection &conn, const Product &p, bool add)
{
    const bool change = !add;
    QString check = QStringLiteral("select count(*) as cnt from accounts_dep.izdel where upper(marka)=upper(:marka)");
    SqlParams params{{QStringLiteral("marka"), p.marka}};
    if (change) {
        check += QStringLiteral(" and id<>:id::numeric");
        params.append({QStringLiteral("id"), p.id});
    }
    SqlParams write = params;
    write.append({QStringLiteral("massa"), p.boxes});
    write.append({QStringLiteral("item"), p.group});
    const WriteResult r = CheckedWrite(conn, QStringLiteral("izdel:") + p.marka.toUpper(), check, params, [&] {
        if (change) {
            // The catalogue is written through the database's product
            // functions, which keep the program to the goods it manages.
            const int n = conn.scalar(QStringLiteral("select accounts_dep.product_update(:id::numeric, "
                                                     ":marka::text, :massa::numeric, :item::numeric)"),
                                      write)
                              .toInt();
            if (n == 0)
                throw DbError(QStringLiteral("Изделие не найдено: возможно, его удалили с другого рабочего места."));
        } else {
            conn.scalar(QStringLiteral("select accounts_dep.product_insert(:marka::text, :massa::numeric, "
                                       ":item::numeric)"),
                        write);
        }
    });
    return r == WriteResult::Duplicate ? SaveResult::Duplicate : SaveResult::Saved;
}

SaveResult SaveOperation(Connection &conn, const Operation &o, bool add)
{
    const bool change = !add;
    SqlParams p{{QStringLiteral("v"), o.kind}, {QStringLiteral("n"), o.naimen}, {QStringLiteral("i"), o.product}};
    if (change)
        p.append({QStringLiteral("id"), o.id});
    const QString check = change
        ? QStringLiteral("select count(*) as cnt from accounts_dep.OPER where vid=:v::integer and naimen=:n::integer "
                         "and i_id=:i::integer and id<>:id::integer")
        : QStringLiteral("select count(ID) as cnt from accounts_dep.OPER where vid=:v::integer and naimen=:n::integer "
                         "and i_id=:i::integer");
    const QString lockKey = QStringLiteral("accounts_dep.oper:%1:%2:%3").arg(o.kind).arg(o.naimen).arg(o.product);
    const WriteResult r = CheckedWrite(conn, lockKey, check, p, [&] {
        if (!change) {
            conn.exec(QStringLiteral("insert into accounts_dep.oper(vid, naimen, i_id, cena_new)values "
                                     "(:v::integer, :n::integer, :i::integer, 0)"),
                      p);
            // The operation's first norm, so that it is listed and its norms
            // can be edited; a norm the database gave it already is kept.
            conn.exec(QStringLiteral("insert into accounts_dep.norm (o_id, norma, price, prize) select o.id, 0, 0, 0 "
                                     "from accounts_dep.oper o where o.vid=:v::integer and o.naimen=:n::integer and "
                                     "o.i_id=:i::integer and not exists (select 1 from accounts_dep.norm m where "
                                     "m.o_id=o.id)"),
                      p);
        } else if (conn.exec(QStringLiteral("update accounts_dep.oper set vid=:v::integer, "
                                            "naimen=:n::integer,  i_id=:i::integer where id=:id::integer"),
                             p)
                   == 0) {
            throw DbError(QStringLiteral("Операция не найдена: возможно, её удалили с другого рабочего места."));
        }
    });
    return r == WriteResult::Duplicate ? SaveResult::Duplicate : SaveResult::Saved;
}

bool DeleteOperation(Connection &conn, int id)
{
    Transaction tx(conn);
    const int n = conn.exec(QStringLiteral("delete from accounts_dep.oper where id=:id::integer"),
                            {{QStringLiteral("id"), id}});
    tx.commit();
    return n > 0;
}

QString OperationsExportSql()
{
    return QStringLiteral(
        "select izdel.MARKA, vid_oper.VID, oper.NAIMEN,(SELECT (CASE naimen WHEN 0 THEN 'Готовая продукция' "
        "ELSE 'Заготовки' END)) as nmn, oper.CENA_new as cena, oper.id, oper.i_id,\n"
        " oper.VID as oper_vid from accounts_dep.OPER,accounts_dep.IZDEL,accounts_dep.VID_OPER where "
        "OPER.i_id=IZDEL.id \n"
        "and oper.vid=vid_oper.id order by izdel.marka, vid_oper.vid, oper.naimen");
}

QVector<Norm> LoadNorms(Connection &conn, int operationId)
{
    QVector<Norm> norms;
    QSqlQuery q = conn.select(QStringLiteral("select id, norma, price, prize from accounts_dep.norm where o_id=:o::integer "
                                             "order by norma, id"),
                              {{QStringLiteral("o"), operationId}});
    while (q.next())
        norms.append({q.value(0).toString().toInt(), q.value(1), q.value(2), q.value(3)});
    return norms;
}

int AddNorm(Connection &conn, int operationId, const Norm &n)
{
    Transaction tx(conn);
    const QVariant id = conn.scalar(
        QStringLiteral("insert into accounts_dep.norm (o_id, norma, price, prize) values (:o::integer, "
                       ":n::integer, :p::double precision, :z::integer) returning id"),
        {{QStringLiteral("n"), n.norma},
         {QStringLiteral("p"), n.price},
         {QStringLiteral("z"), n.prize},
         {QStringLiteral("o"), operationId}});
    tx.commit();
    return id.toString().toInt();
}

bool ChangeNorm(Connection &conn, const Norm &n)
{
    Transaction tx(conn);
    const int changed = conn.exec(QStringLiteral("update accounts_dep.norm set norma=:n::integer, price=:p::double "
                                                 "precision, prize=:z::integer where id=:id::integer"),
                                  {{QStringLiteral("n"), n.norma},
                                   {QStringLiteral("p"), n.price},
                                   {QStringLiteral("z"), n.prize},
                                   {QStringLiteral("id"), n.id}});
    tx.commit();
    return changed > 0;
}

bool DeleteNorm(Connection &conn, int operationId, int id)
{
    const SqlParams op{{QStringLiteral("o"), operationId}};
    Transaction tx(conn);
    conn.advisoryLock(QStringLiteral("accounts_dep.norm:%1").arg(operationId));
    const qint64 n =
        conn.scalar(QStringLiteral("select count(*) from accounts_dep.norm where o_id=:o::integer"), op).toLongLong();
    bool deleted = false;
    if (n > 1)
        deleted = conn.exec(QStringLiteral("delete from accounts_dep.norm where id=:id::integer and o_id=:o::integer"),
                            {{QStringLiteral("id"), id}, {QStringLiteral("o"), operationId}})
            > 0;
    tx.commit();
    return deleted;
}

} // namespace ReferenceOps
