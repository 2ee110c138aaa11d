// The reference editors' steps on the real database: the saves (new,
// change, duplicate refused, vanished row) and the norms' writes.
#include "data/DbError.h"
#include "data/Unit6.h"
#include "reference/ReferenceOps.h"
#include "support/TestDb.h"

#include <QtTest>

using namespace ReferenceOps;

class ReferenceOpsTest : public QObject {
    Q_OBJECT
private slots:
    void init();

    void operationKindSave_data();
    void operationKindSave();
    void productSave_data();
    void productSave();
    void operationSave_data();
    void operationSave();
    void workerSave();
    void vanishedRowsThrow();
    void norms();
    void deleteOperation();
};

namespace {

Connection &db()
{
    return DataModule6->ADO_DB;
}

int count(const QString &sql, const SqlParams &params = {})
{
    return TestDb::scalar(sql, params).toInt();
}

} // namespace

// Kind 11 "Сборка", 12 "Покраска"; products 2001 "СТ-12", 2002 "Стол" in
// group 500; operation 301 (11, 0, 2001) with two norms.
void ReferenceOpsTest::init()
{
    TestDb::fresh();
    TestDb::exec("insert into cmn_classifier.item (id, id_level, s_caption) values (500, 2, 'Стулья'), "
                 "(501, 2, 'Столы')");
    TestDb::exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, id_msm_bs, massa) values "
                 "(2001, 'СТ-12', 6, 1), (2002, 'Стол', 6, 1)");
    TestDb::exec("insert into accounts_dep.vid_oper (id, vid) values (11, 'Сборка'), (12, 'Покраска')");
    TestDb::exec("insert into accounts_dep.oper (id, vid, naimen, i_id, cena_new) values (301, 11, 0, 2001, 0)");
    TestDb::exec("insert into accounts_dep.norm (o_id, norma, price, prize) values (301, 20, 15, 5), (301, 10, 20, 0)");
}

void ReferenceOpsTest::operationKindSave_data()
{
    QTest::addColumn<bool>("add");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("saved");
    QTest::newRow("new") << true << 0 << "Шлифовка" << true;
    QTest::newRow("new duplicate, other case") << true << 0 << "сборка" << false;
    QTest::newRow("change") << false << 12 << "Окраска" << true;
    QTest::newRow("change to its own name") << false << 11 << "СБОРКА" << true;
    QTest::newRow("change to another's name") << false << 12 << "Сборка" << false;
}

void ReferenceOpsTest::operationKindSave()
{
    QFETCH(bool, add);
    QFETCH(int, id);
    QFETCH(QString, name);
    QFETCH(bool, saved);
    const int before = count("select count(*) from accounts_dep.vid_oper");
    QCOMPARE(SaveOperationKind(db(), name, add, id) == SaveResult::Saved, saved);
    QCOMPARE(count("select count(*) from accounts_dep.vid_oper"), before + (saved && add ? 1 : 0));
    // Written, or refused and left to the one kind that has the name.
    QCOMPARE(count("select count(*) from accounts_dep.vid_oper where upper(vid)=upper(:v)", {{"v", name}}), 1);
}

void ReferenceOpsTest::productSave_data()
{
    QTest::addColumn<bool>("add");
    QTest::addColumn<qint64>("id");
    QTest::addColumn<QString>("marka");
    QTest::addColumn<bool>("saved");
    QTest::newRow("new") << true << qint64(0) << "СТ-14" << true;
    QTest::newRow("new duplicate, other case") << true << qint64(0) << "ст-12" << false;
    QTest::newRow("change") << false << qint64(2002) << "Стол-2" << true;
    QTest::newRow("change to another's mark") << false << qint64(2002) << "СТ-12" << false;
}

void ReferenceOpsTest::productSave()
{
    QFETCH(bool, add);
    QFETCH(qint64, id);
    QFETCH(QString, marka);
    QFETCH(bool, saved);
    const int before = count("select count(*) from accounts_dep.izdel");
    QCOMPARE(SaveProduct(db(), {id, marka, QStringLiteral("2.5"), 501}, add) == SaveResult::Saved, saved);
    QCOMPARE(count("select count(*) from accounts_dep.izdel"), before + (saved && add ? 1 : 0));
    if (saved)
        QCOMPARE(count("select count(*) from accounts_dep.izdel where marka=:m", {{"m", marka}}), 1);
}

void ReferenceOpsTest::operationSave_data()
{
    QTest::addColumn<bool>("add");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("naimen");
    QTest::addColumn<bool>("saved");
    QTest::newRow("new") << true << 0 << 12 << 0 << true;
    QTest::newRow("new, other product kind") << true << 0 << 11 << 1 << true;
    QTest::newRow("new duplicate") << true << 0 << 11 << 0 << false;
    QTest::newRow("change") << false << 301 << 12 << 1 << true;
    QTest::newRow("change to itself") << false << 301 << 11 << 0 << true;
}

void ReferenceOpsTest::operationSave()
{
    QFETCH(bool, add);
    QFETCH(int, id);
    QFETCH(int, kind);
    QFETCH(int, naimen);
    QFETCH(bool, saved);
    const int before = count("select count(*) from accounts_dep.oper");
    QCOMPARE(SaveOperation(db(), {id, kind, naimen, 2001}, add) == SaveResult::Saved, saved);
    QCOMPARE(count("select count(*) from accounts_dep.oper"), before + (saved && add ? 1 : 0));
    if (saved) {
        // A new operation has its first norm; a changed one keeps its norms.
        QCOMPARE(count("select count(*) from accounts_dep.oper o join accounts_dep.norm n on n.o_id=o.id "
                       "where o.vid=:v and o.naimen=:n and o.i_id=2001",
                       {{"v", kind}, {"n", naimen}}),
                 add ? 1 : 2);
    }
}

void ReferenceOpsTest::workerSave()
{
    SaveWorker(db(), {0, QStringLiteral("Петров П.П."), QStringLiteral("Цех 1")}, true);
    const int id = count("select id from accounts_dep.person where fio='Петров П.П.'");
    QVERIFY(id > 0);
    SaveWorker(db(), {id, QStringLiteral("Петров П.С."), QStringLiteral("Цех 2")}, false);
    QCOMPARE(TestDb::scalar("select fio || '|' || s_staffpos_hl from accounts_dep.person where id=:id",
                            {{"id", id}})
                 .toString(),
             QString("Петров П.С.|Цех 2"));
}

void ReferenceOpsTest::vanishedRowsThrow()
{
    QVERIFY_THROWS_EXCEPTION(DbError, SaveWorker(db(), {999999, QStringLiteral("Нет"), QString()}, false));
    QVERIFY_THROWS_EXCEPTION(DbError, SaveOperationKind(db(), QStringLiteral("Нет"), false, 999));
    QVERIFY_THROWS_EXCEPTION(DbError, SaveProduct(db(), {999999, QStringLiteral("Нет"), "1", 500}, false));
    QVERIFY_THROWS_EXCEPTION(DbError, SaveOperation(db(), {999, 12, 1, 2002}, false));
    QVERIFY(!db().inTransaction());
}

void ReferenceOpsTest::norms()
{
    QVector<Norm> n = LoadNorms(db(), 301);
    QCOMPARE(n.size(), 2);
    QCOMPARE(n[0].norma.toInt(), 10); // by norma
    const int added = AddNorm(db(), 301, {-1, 30, 12.5, QVariant()});
    QVERIFY(added > 0);
    QCOMPARE(TestDb::scalar("select norma || '|' || price || '|' || coalesce(prize::text, 'null') "
                            "from accounts_dep.norm where id=:id",
                            {{"id", added}})
                 .toString(),
             QString("30|12.5|null"));
    QVERIFY(ChangeNorm(db(), {added, 40, 11, 1}));
    QCOMPARE(LoadNorms(db(), 301).last().norma.toInt(), 40);
    QVERIFY(!ChangeNorm(db(), {999999, 1, 1, 1}));
    // Deleted down to the last norm, which stays.
    QVERIFY(DeleteNorm(db(), 301, added));
    QVERIFY(!DeleteNorm(db(), 301, added));
    n = LoadNorms(db(), 301);
    QVERIFY(DeleteNorm(db(), 301, n[0].id));
    QVERIFY(!DeleteNorm(db(), 301, n[1].id));
    QCOMPARE(count("select count(*) from accounts_dep.norm where o_id=301"), 1);
}

void ReferenceOpsTest::deleteOperation()
{
    SaveOperation(db(), {0, 12, 1, 2002}, true);
    const int id = count("select id from accounts_dep.oper where vid=12");
    TestDb::exec("delete from accounts_dep.norm where o_id=:id", {{"id", id}});
    QVERIFY(DeleteOperation(db(), id));
    QVERIFY(!DeleteOperation(db(), id));
}

QTEST_MAIN(ReferenceOpsTest)
#include "test_reference_ops.moc"
