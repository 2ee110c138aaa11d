// The least-privilege role of db/roles.sql: a login that holds only
// tabel_client works the journal and opens every list, keeps workers and
// products, and reaches nothing else of the enterprise schemas.
#include "app/Startup.h"
#include "data/DbError.h"
#include "data/Unit6.h"
#include "entry_shop.h"
#include "journal/JournalOps.h"
#include "journal/Unit1.h"
#include "reference/Unit2.h"
#include "reference/Unit22.h"
#include "reference/Unit26.h"
#include "reference/Unit3.h"
#include "reference/Unit4.h"
#include "reference/Unit5.h"
#include "reference/Unit8.h"
#include "support/TestDb.h"
#include "ui/Msg.h"

#include <QComboBox>
#include <QProcess>
#include <QScopeGuard>
#include <QTimer>
#include <QtTest>

using namespace Shop;

namespace {

const QDate kDay(2024, 3, 5);
const QString kLogin = QStringLiteral("tabel_limited");

// Runs inside the modal display of a list window, while its list is open.
std::function<void(QDialog *)> g_whileShown;

// psql as the cluster's superuser in this program's database.
void psql(const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("psql"), QStringList{"-h", TestDb::server(), "-p", "5432", "-U", "postgres", "-d",
                                                TestDb::databaseName(), "-v", "ON_ERROR_STOP=1", "-q"}
                                        + args);
    p.waitForFinished(120000);
    if (p.exitCode() != 0)
        qFatal("psql %s: %s", qPrintable(args.join(' ')), p.readAll().constData());
}

int limitedCount(const QString &sql, const SqlParams &p = {}) { return TestDb::scalar(sql, p).toInt(); }

} // namespace

class RolesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void journalEntrySavedChangedDeleted();
    void everyListOpens_data();
    void everyListOpens();
    void workersAndProductsKeptInStep();
    void nothingElseReachable_data();
    void nothingElseReachable();

private:
    std::unique_ptr<Connection> m_admin; // the full-rights login sys
};

void RolesTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    TestDb::fresh();
    auto *f1 = new TForm1();
    f1->BuildDate = 20240305;
    f1->BuildTime = 50829;
    f1->Timer1->stop();
    CreateRemainingWindows();
    Modal::setHandler([](QDialog *d) {
        if (g_whileShown)
            g_whileShown(d);
        return 0;
    });
}

void RolesTest::init()
{
    TestDb::fresh();
    load();
    TestDb::exec("insert into cmn_department.department (s_caption) values ('Цех 1')");
    TestDb::exec("insert into hrms_staffpos.staffpos (s_caption) values ('Сборщик')");
    TestDb::exec("insert into adm_role.roles (s_name, s_caption) values ('w', 'Рабочий')");
    TestDb::exec("update accounts_dep.ver set d=20240101, t=0");
    psql({"-c", QStringLiteral("do $r$ begin if not exists (select 1 from pg_roles where rolname = '%1') then "
                               "create role %1 login password 'limited'; end if; end $r$")
                    .arg(kLogin)});
    psql({"-v", "login=" + kLogin, "-f", TestDb::sourcePath("db/roles.sql")});
    m_admin.reset(); // before its successor takes the connection name
    m_admin.reset(TestDb::otherClient("admin"));
    // From here on the program's connection logs in as the limited role.
    Connection &db = DataModule6->ADO_DB;
    db.close();
    db.setConnectionString(ConnectionString(TestDb::databaseName(), TestDb::server())
                               .replace("UID=sys;PWD=wompvlk", "UID=" + kLogin + ";PWD=limited"));
    db.open();
    QCOMPARE(db.scalar("select current_user").toString(), kLogin);
    Msg::clearShown();
}

void RolesTest::journalEntrySavedChangedDeleted()
{
    Connection &db = DataModule6->ADO_DB;
    Form1->CheckVersion(); // the version row is claimed at login
    QCOMPARE(m_admin->scalar("select d from accounts_dep.ver").toInt(), 20240305);

    JournalOps::Entry e;
    e.worker = Ivanov;
    e.product = Chair;
    e.operation = Assembly;
    e.shift = 1;
    e.date = kDay;
    e.price = 12.5;
    e.quantity = 10;
    e.rejects = 1;
    e.hours = 6;
    QVERIFY(JournalOps::StoreEntry(db, e, true) == JournalOps::StoreResult::Stored);
    e.id = m_admin->scalar("select id from accounts_dep.smena").toInt();
    QCOMPARE(cell(Ivanov, 1, kDay), QString("6"));

    e.hours = 7;
    e.shift = 2;
    QVERIFY(JournalOps::StoreEntry(db, e, false) == JournalOps::StoreResult::Stored);
    QCOMPARE(m_admin->scalar("select time from accounts_dep.smena where id=:i::integer", {{"i", e.id}}).toInt(), 7);
    QCOMPARE(cell(Ivanov, 2, kDay), QString("7"));
    QCOMPARE(cell(Ivanov, 1, kDay), QString("no row"));

    QVERIFY(JournalOps::RemoveEntry(db, e.id));
    QCOMPARE(m_admin->scalar("select count(*) from accounts_dep.smena").toInt(), 0);
    QCOMPARE(m_admin->scalar("select count(*) from accounts_dep.h_tabel").toInt(), 0);
    QVERIFY(Msg::shown().isEmpty());
}

void RolesTest::everyListOpens_data()
{
    QTest::addColumn<QString>("list");
    for (const char *l : {"journals", "Workers", "Izdel", "Oper", "Vid_oper", "norms", "nomenclature",
                          "worker editor lists"})
        QTest::newRow(l) << QString::fromLatin1(l);
}

void RolesTest::everyListOpens()
{
    QFETCH(QString, list);
    entry(Ivanov, Assembly, kDay, 1, 8);
    entry(Petrov, Cutting, kDay, 3, 4);
    TDataModule6 &dm = *DataModule6;
    int shownRows = -1;
    const auto rowsWhileShown = [&](Dataset &ds) {
        g_whileShown = [&](QDialog *) { shownRows = ds.isOpen() ? ds.recordCount() : -1; };
    };
    const auto clear = qScopeGuard([] { g_whileShown = {}; });
    try {
        if (list == "journals") {
            openJournals(kDay);
            QCOMPARE(dm.journal(1).recordCount(), 1);
            QCOMPARE(dm.journal(3).recordCount(), 1);
            QCOMPARE(dm.journal(1).text("fio"), QString("Иванов И.И."));
        } else if (list == "Workers") {
            rowsWhileShown(dm.Workers);
            Form5->OpenForMaintenance();
            QCOMPARE(shownRows, 2);
        } else if (list == "Izdel") {
            rowsWhileShown(dm.Izdel);
            Form3->OpenForMaintenance();
            QVERIFY(shownRows >= 2);
        } else if (list == "Oper") {
            rowsWhileShown(dm.Oper);
            Form4->OpenForMaintenance();
            QVERIFY(shownRows >= 3);
        } else if (list == "Vid_oper") {
            rowsWhileShown(dm.Vid_oper);
            Form8->OpenForMaintenance();
            QVERIFY(shownRows >= 3);
        } else if (list == "norms") {
            NormTable norms;
            norms.open(Assembly);
            QCOMPARE(norms.rowCount(), 2);
        } else if (list == "nomenclature") {
            Form26->Pick();
            Form26->item.open();
            QCOMPARE(Form26->item.recordCount(), 1);
            Form26->item.close();
        } else if (list == "worker editor lists") {
            Form2->ReopenTables();
            for (QComboBox *box : {Form2->LCB_department, Form2->LCB_staffpos, Form2->LCB_roles})
                QVERIFY2(box->count() >= 1, qPrintable(box->objectName()));
        }
    } catch (const DbError &e) {
        QFAIL(qPrintable(e.text()));
    }
    QVERIFY(Msg::shown().isEmpty());
}

void RolesTest::workersAndProductsKeptInStep()
{
    Connection &db = DataModule6->ADO_DB;
    try {
        // A worker through the program's table: the enterprise person follows.
        const int id = db.scalar("insert into accounts_dep.person (fio, s_staffpos_hl) values ('Новиков Н.Н.', "
                                 "'Цех 1') returning id")
                           .toInt();
        QCOMPARE(m_admin->scalar("select s_caption from cmn_contractor.person where id=:i::integer", {{"i", id}})
                     .toString(),
                 QString("Новиков Н.Н."));
        db.exec("update accounts_dep.person set fio='Новикова Н.Н.' where id=:i::integer", {{"i", id}});
        QCOMPARE(m_admin->scalar("select s_caption from cmn_contractor.person where id=:i::integer", {{"i", id}})
                     .toString(),
                 QString("Новикова Н.Н."));
        db.exec("delete from accounts_dep.person where id=:i::integer", {{"i", id}});
        QCOMPARE(m_admin->scalar("select count(*) from cmn_contractor.person where id=:i::integer", {{"i", id}})
                     .toInt(),
                 0);
        // A product in the goods catalogue, as the product editor writes it.
        db.exec("INSERT INTO cmn_gds_and_srv.gds_and_srv(s_caption, s_description, id_msm_bs, massa, "
                "id_class_item)VALUES(:marka, '', 6, :massa::numeric, :item::numeric)",
                {{"marka", "ПЛ-3"}, {"massa", "0.25"}, {"item", 500}});
        const int pid = limitedCount("select id from accounts_dep.izdel where marka='ПЛ-3'");
        QVERIFY(pid > 0);
        db.exec("UPDATE cmn_gds_and_srv.gds_and_srv SET s_caption=:marka, s_description='', id_msm_bs=6, "
                "massa=:massa::numeric, id_class_item=:item::numeric where id=:id::numeric",
                {{"marka", "ПЛ-4"}, {"massa", "0.5"}, {"item", 500}, {"id", pid}});
        QCOMPARE(limitedCount("select count(*) from accounts_dep.izdel where marka='ПЛ-4'"), 1);
        db.exec("delete from cmn_gds_and_srv.gds_and_srv  where id=:id::numeric", {{"id", pid}});
        QCOMPARE(limitedCount("select count(*) from accounts_dep.izdel where id=:id::integer", {{"id", pid}}), 0);
    } catch (const DbError &e) {
        QFAIL(qPrintable(e.text()));
    }
}

void RolesTest::nothingElseReachable_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("another column of the persons") << "select s_passport from cmn_contractor.person";
    QTest::newRow("another enterprise table") << "select * from cmn_contractor.contract";
    QTest::newRow("writing the classifier") << "insert into cmn_classifier.item (id, id_level, s_caption) "
                                               "values (9001, 2, 'Чужое')";
    QTest::newRow("changing the classifier") << "update cmn_classifier.item set s_caption='x'";
    QTest::newRow("writing departments") << "insert into cmn_department.department (s_caption) values ('x')";
    QTest::newRow("a table in the program's schema") << "create table accounts_dep.extra (id integer)";
}

void RolesTest::nothingElseReachable()
{
    QFETCH(QString, sql);
    // Enterprise data the program does not use.
    psql({"-c", "alter table cmn_contractor.person add column if not exists s_passport text"});
    psql({"-c", "create table if not exists cmn_contractor.contract (id integer, s_caption text)"});
    try {
        DataModule6->ADO_DB.exec(sql);
        QFAIL("the limited role was allowed to do it");
    } catch (const DbError &e) {
        QCOMPARE(e.sqlState(), QString("42501")); // insufficient privilege
    }
}

QTEST_MAIN(RolesTest)
#include "test_roles.moc"
