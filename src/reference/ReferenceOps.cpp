#include "reference/ReferenceOps.h"
#include "data/CheckedWrite.h"
#include "data/DbError.h"

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

} // namespace ReferenceOps
