// The program on a shared enterprise database set up the way the README
// says: an ordinary role owns the database and loads the schema (which
// applies db/roles.sql), a superuser only creates the roles
// (db/create_roles.sql), PUBLIC loses CONNECT and TEMP, and the program logs
// in as the plain login sys. Everything outside what the program does is
// refused; the program's own steps keep working.
#include "app/Startup.h"
#include "data/DbError.h"
#include "data/Unit6.h"
#include "entry_shop.h"
#include "journal/JournalOps.h"
#include "journal/Unit1.h"
#include "maintenance/MaintenanceOps.h"
#include "reference/Unit2.h"
#include "reference/Unit22.h"
#include "reference/Unit26.h"
#include "reference/Unit3.h"
#include "reference/Unit4.h"
#include "reference/Unit5.h"
#include "reference/Unit7.h"
#include "reference/Unit8.h"
#include "support/TestDb.h"
#include "timesheets/MonthRebuild.h"
#include "ui/Msg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QTimer>
#include <QtTest>

using namespace Shop;

namespace {

const QDate kDay(2024, 3, 5);
const QString kOwner = QStringLiteral("erp_owner"); // the ordinary owner role of the test cluster

enum : int {
    Stranger = 900,     // an enterprise person who is not a worker
    ForeignGoods = 5000 // goods of another program (its own unit of measure)
};

// Runs inside the modal display of a window.
std::function<void(QDialog *)> g_whileShown;

// psql in DB as USER (the test cluster trusts its loopback address).
void psql(const QString &user, const QString &db, const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("psql"), QStringList{"-X", "-h", TestDb::server(), "-p", "5432", "-U", user, "-d", db, "-v",
                                                "ON_ERROR_STOP=1", "-q"}
                                        + args);
    p.waitForFinished(300000);
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        qFatal("psql %s: %s", qPrintable(args.join(' ')), p.readAll().constData());
}

QString loginAs(const QString &login)
{
    return ConnectionString(TestDb::databaseName(), TestDb::server())
        .replace(QStringLiteral("UID=sys;PWD=wompvlk"), QStringLiteral("UID=%1;PWD=%1").arg(login));
}

// Enterprise data of other programs, which the program never uses.
const char *const kOtherPrograms = R"(
alter table cmn_contractor.person add column s_inn varchar(12);
create table cmn_contractor.bank_account (id integer primary key, id_person integer, s_account varchar(20));
insert into cmn_contractor.person (id, s_caption, s_code, s_inn) values (900, 'ООО Ромашка', '900015', '7701234567');
insert into cmn_contractor.bank_account values (1, 900, '40702810900000000001');
insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, s_description, id_msm_bs, massa)
  values (5000, 'Болт М8', '', 796, 0);
)";

} // namespace

class RolesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void refusedAsSys_data();
    void refusedAsSys();
    void journalAndTimesheetStepsWork();
    void maintenanceStepsWork();
    void everyListOpens_data();
    void everyListOpens();
    void workersKeptInStep();
    void productEditorKeepsItsOwnGoods();
    void demoShopLoadedByTheOwner();

private:
    std::unique_ptr<Connection> m_owner; // the owner of the database and its tables
    bool m_setUpForRefusals = false;
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
    // A refusal changes nothing (each checks that), so the refusals share
    // one set-up.
    const bool refusals = QLatin1String(QTest::currentTestFunction()) == QLatin1String("refusedAsSys");
    if (refusals && m_setUpForRefusals)
        return;
    m_setUpForRefusals = refusals;
    const QString db = TestDb::databaseName();
    Connection &conn = DataModule6->ADO_DB;
    conn.close();
    m_owner.reset();
    Msg::clearShown();
    g_whileShown = {};
    psql("postgres", "postgres",
         {"-c", QString("drop database if exists %1 with (force)").arg(db), "-c",
          QString("create database %1 owner %2").arg(db, kOwner)});
    // The superuser's step: the roles only.
    psql("postgres", "postgres", {"-f", TestDb::sourcePath("db/create_roles.sql")});
    // The owner's: the schema with its grants, the other programs' data, and
    // the database closed to everyone else.
    psql(kOwner, db, {"-f", TestDb::sourcePath("db/schema.sql")});
    psql(kOwner, db, {"-c", QString::fromUtf8(kOtherPrograms)});
    psql(kOwner, db, {"-c", QString("revoke connect, temporary on database %1 from public").arg(db)});

    // The small shop, written by the owner.
    conn.setConnectionString(loginAs(kOwner));
    conn.open();
    load();
    TestDb::exec("insert into cmn_department.department (s_caption) values ('Цех 1')");
    TestDb::exec("insert into hrms_staffpos.staffpos (s_caption) values ('Сборщик')");
    TestDb::exec("insert into adm_role.roles (s_name, s_caption) values ('w', 'Рабочий')");
    TestDb::exec("update accounts_dep.ver set d=20240101, t=0");
    conn.close();
    m_owner.reset(new Connection(QStringLiteral("owner")));
    m_owner->setConnectionString(loginAs(kOwner));
    m_owner->open();

    // From here on the program logs in as it always does.
    conn.setConnectionString(ConnectionString(db, TestDb::server()));
    conn.open();
    DataModule6->DecimalDelimiter = QStringLiteral(".");
    QCOMPARE(conn.scalar("select current_user").toString(), QString("sys"));
    QCOMPARE(conn.scalar("select rolsuper or rolcreaterole or rolcreatedb or rolbypassrls from pg_roles "
                         "where rolname = 'sys'")
                 .toBool(),
             false);
}

void RolesTest::refusedAsSys_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("state"); // the SQLSTATE of the refusal
    const QString denied = "42501", taken = "23505";
    // Persons that are not workers.
    QTest::newRow("deleting a person who is not a worker")
        << "delete from cmn_contractor.person where id = 900" << denied;
    QTest::newRow("deleting every person") << "delete from cmn_contractor.person" << denied;
    QTest::newRow("renaming a person who is not a worker")
        << "update cmn_contractor.person set s_caption = 'x' where id = 900" << denied;
    QTest::newRow("renumbering a person") << "update cmn_contractor.person set id = 901 where id = 900" << denied;
    QTest::newRow("taking a person over as a new worker")
        << "insert into accounts_dep.person (id, fio, s_staffpos_hl) values (900, 'Захватов З.З.', 'x')" << taken;
    QTest::newRow("renumbering a worker onto a person")
        << "update accounts_dep.person set id = 900 where id = 101" << taken;
    QTest::newRow("locking the persons")
        << "lock table cmn_contractor.person in exclusive mode" << denied;
    QTest::newRow("locking a person's row")
        << "select id from cmn_contractor.person where id = 900 for update" << denied;
    // Goods: the fixed row and other programs' goods.
    QTest::newRow("renaming row 7777")
        << "update cmn_gds_and_srv.gds_and_srv set s_caption = 'x' where id = 7777" << denied;
    QTest::newRow("renaming row 7777 through the product editor's function")
        << "select accounts_dep.product_update(7777, 'x', 0, null)" << denied;
    QTest::newRow("deleting row 7778 through the product editor's function")
        << "select accounts_dep.product_delete(7778)" << denied;
    QTest::newRow("changing another program's goods")
        << "select accounts_dep.product_update(5000, 'x', 0, null)" << denied;
    QTest::newRow("deleting another program's goods") << "select accounts_dep.product_delete(5000)" << denied;
    QTest::newRow("deleting every goods row") << "delete from cmn_gds_and_srv.gds_and_srv" << denied;
    QTest::newRow("locking the products' rows") << "select marka from accounts_dep.izdel for update" << denied;
    QTest::newRow("locking the products") << "lock table accounts_dep.izdel in exclusive mode" << denied;
    // Sequences and the version row.
    QTest::newRow("moving the journal's ids") << "select setval('accounts_dep.smena_id_seq', 1)" << denied;
    QTest::newRow("moving the persons' ids") << "select setval('cmn_contractor.person_id_seq', 1)" << denied;
    QTest::newRow("deleting the version row") << "delete from accounts_dep.ver" << denied;
    // What the program does not use.
    QTest::newRow("reading a column the program does not use")
        << "select s_inn from cmn_contractor.person" << denied;
    QTest::newRow("reading every column of the persons") << "select * from cmn_contractor.person" << denied;
    QTest::newRow("reading a table the program does not use")
        << "select * from cmn_contractor.bank_account" << denied;
    QTest::newRow("reading the goods catalogue around the view")
        << "select * from cmn_gds_and_srv.gds_and_srv" << denied;
    QTest::newRow("writing the classifier")
        << "insert into cmn_classifier.item (id, id_level, s_caption) values (9001, 2, 'x')" << denied;
    QTest::newRow("changing the classifier") << "update cmn_classifier.item set s_caption = 'x'" << denied;
    QTest::newRow("deleting from the roles table") << "delete from adm_role.roles" << denied;
    QTest::newRow("writing departments") << "insert into cmn_department.department (s_caption) values ('x')"
                                         << denied;
    // Structure, triggers, rights.
    QTest::newRow("truncating the journal") << "truncate accounts_dep.smena" << denied;
    QTest::newRow("dropping a table") << "drop table accounts_dep.norm" << denied;
    QTest::newRow("altering a table") << "alter table accounts_dep.smena add column x integer" << denied;
    QTest::newRow("creating a table") << "create table accounts_dep.extra (id integer)" << denied;
    QTest::newRow("creating a schema") << "create schema extra" << denied;
    QTest::newRow("creating a temporary table") << "create temporary table scratch (id integer)" << denied;
    QTest::newRow("disabling the worker trigger")
        << "alter table accounts_dep.person disable trigger person_sync" << denied;
    QTest::newRow("granting itself a table") << "grant select on cmn_contractor.bank_account to sys" << denied;
    QTest::newRow("granting itself the owner's role") << "grant erp_owner to sys" << denied;
    QTest::newRow("taking the owner's role") << "set role erp_owner" << denied;
}

void RolesTest::refusedAsSys()
{
    QFETCH(QString, sql);
    QFETCH(QString, state);
    Connection &db = DataModule6->ADO_DB;
    const auto fingerprint = [&] {
        return m_owner
            ->scalar("select md5(concat_ws('|', (select string_agg(concat_ws(',', id, s_caption, s_code, s_inn), ';' "
                     "order by id) from cmn_contractor.person), (select string_agg(concat_ws(',', id, s_caption, "
                     "id_msm_bs), ';' order by id) from cmn_gds_and_srv.gds_and_srv), (select string_agg(concat_ws("
                     "',', d, t, delim), ';') from accounts_dep.ver), (select count(*) from adm_role.roles), "
                     "(select count(*) from cmn_classifier.item), (select last_value from "
                     "accounts_dep.smena_id_seq), (select last_value from cmn_contractor.person_id_seq), "
                     "(select string_agg(c.relname || '=' || c.relacl::text, ';' order by c.relname) from pg_class c "
                     "where c.relacl is not null)))")
            .toString();
    };
    const QString before = fingerprint();
    try {
        Transaction t(db); // LOCK TABLE needs one; a refusal ends it
        db.exec(sql);
        QFAIL("sys was allowed to do it");
    } catch (const DbError &e) {
        QVERIFY2(e.sqlState() == state, qPrintable(e.sqlState() + ": " + e.text()));
    }
    QVERIFY(!db.inTransaction());
    QCOMPARE(fingerprint(), before);
    // The session goes on working.
    QCOMPARE(db.scalar("select count(*) from accounts_dep.person").toInt(), 2);
}

void RolesTest::journalAndTimesheetStepsWork()
{
    Connection &db = DataModule6->ADO_DB;
    try {
        Form1->CheckVersion(); // the version row is claimed at login
        QCOMPARE(m_owner->scalar("select d from accounts_dep.ver").toInt(), 20240305);

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
        e.id = m_owner->scalar("select id from accounts_dep.smena").toInt();
        QCOMPARE(cell(Ivanov, 1, kDay), QString("6"));

        e.hours = 7;
        e.shift = 2;
        QVERIFY(JournalOps::StoreEntry(db, e, false) == JournalOps::StoreResult::Stored);
        QCOMPARE(m_owner->scalar("select time from accounts_dep.smena where id=:i::integer", {{"i", e.id}}).toInt(),
                 7);
        QCOMPARE(cell(Ivanov, 2, kDay), QString("7"));
        QCOMPARE(cell(Ivanov, 1, kDay), QString("no row"));

        // Acceptance.
        JournalOps::SetMark(db, e.id, "ok");
        QCOMPARE(m_owner->scalar("select ok from accounts_dep.smena where id=:i::integer", {{"i", e.id}}).toString(),
                 QString("ok"));

        // The month rebuilt from the journal, a wrong cell put right.
        entry(Petrov, Cutting, kDay.addDays(1), 3, 5);
        TestDb::exec("update accounts_dep.h_tabel set d5 = 99 where w_id = 101");
        MonthRebuild::RebuildShifts(db, MonthPeriod::of(kDay));
        QCOMPARE(cell(Ivanov, 2, kDay), QString("7"));
        QCOMPARE(cell(Petrov, 3, kDay.addDays(1)), QString("5"));
        MonthRebuild::RebuildHourly(db, MonthPeriod::of(kDay));

        QVERIFY(JournalOps::RemoveEntry(db, e.id));
        QCOMPARE(m_owner->scalar("select count(*) from accounts_dep.smena where w_id = 101").toInt(), 0);
        QCOMPARE(m_owner->scalar("select count(*) from accounts_dep.h_tabel where w_id = 101").toInt(), 0);
    } catch (const DbError &e) {
        QFAIL(qPrintable(e.text()));
    }
    QVERIFY(Msg::shown().isEmpty());
}

void RolesTest::maintenanceStepsWork()
{
    Connection &db = DataModule6->ADO_DB;
    try {
        entry(Ivanov, Assembly, kDay, 1, 4, "ok", 0, 10, 0, 12.5); // 125 for 4 hours
        MaintenanceOps::Entry m;
        m.worker = Ivanov;
        m.nomenclature = 500;
        m.kind = MaintenanceOps::AveragePiecework;
        m.date = kDay;
        m.hours = 3;
        m.price = 0;
        m.id = MaintenanceOps::StoreEntry(db, m, true);
        QVERIFY(m.id > 0);
        QCOMPARE(MaintenanceOps::RecomputeAveragePrices(db, MonthPeriod::of(kDay)), 1);
        QCOMPARE(m_owner->scalar("select price::text from accounts_dep.fatigue").toString(), QString("31.2500"));
        QCOMPARE(m_owner->scalar("select d5 from accounts_dep.h_tabel where i_type = 7778").toInt(), 3);
        QVERIFY(MaintenanceOps::RemoveEntry(db, m.id));
        QCOMPARE(m_owner->scalar("select count(*) from accounts_dep.fatigue").toInt(), 0);
    } catch (const DbError &e) {
        QFAIL(qPrintable(e.text()));
    }
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

void RolesTest::workersKeptInStep()
{
    Connection &db = DataModule6->ADO_DB;
    try {
        // A worker through the program's table, as the worker editor and
        // list write it: the enterprise person follows.
        const int id = db.scalar("insert into accounts_dep.person (fio, s_staffpos_hl) values ('Новиков Н.Н.', "
                                 "'Цех 1') returning id")
                           .toInt();
        const auto person = [&] {
            return m_owner
                ->scalar("select s_caption || '/' || s_code from cmn_contractor.person where id=:i::integer",
                         {{"i", id}})
                .toString();
        };
        QCOMPARE(person(), QString("Новиков Н.Н./%1").arg(id));
        db.exec("UPDATE accounts_dep.person SET fio='Новикова Н.Н.', s_staffpos_hl='Цех 1' where id=:i::integer",
                {{"i", id}});
        QCOMPARE(person(), QString("Новикова Н.Н./%1").arg(id));
        db.exec("delete from accounts_dep.person where id =:i::integer", {{"i", id}});
        QCOMPARE(person(), QString());
    } catch (const DbError &e) {
        QFAIL(qPrintable(e.text()));
    }
    // The person who is not a worker is untouched.
    QCOMPARE(m_owner->scalar("select s_caption from cmn_contractor.person where id = 900").toString(),
             QString("ООО Ромашка"));
}

void RolesTest::productEditorKeepsItsOwnGoods()
{
    Dataset &iz = DataModule6->Izdel;
    const auto goods = [&](const QString &mark) {
        return m_owner
            ->scalar("select concat_ws('/', id_msm_bs, massa, id_class_item) from cmn_gds_and_srv.gds_and_srv "
                     "where s_caption = :m",
                     {{"m", mark}})
            .toString();
    };
    const auto clear = qScopeGuard([] { g_whileShown = {}; });
    try {
        // Added and changed in the product editor.
        iz.open();
        g_whileShown = [](QDialog *d) {
            if (d != Form7)
                return;
            Form7->Edit1->setText("ПЛ-3");
            Form7->Edit2->setText("0,25");
            Form7->cb_item->setCurrentIndex(Form7->cb_item->findText("Стулья"));
            Form7->Button1Click();
        };
        Form3->Button1Click();
        QCOMPARE(goods("ПЛ-3"), QString("6/0.25/500"));
        QVERIFY(iz.locate("marka", "ПЛ-3"));
        g_whileShown = [](QDialog *d) {
            if (d != Form7)
                return;
            Form7->Edit1->setText("ПЛ-4");
            Form7->Edit2->setText("0,5");
            Form7->Button1Click();
        };
        Form3->Button2Click();
        QCOMPARE(goods("ПЛ-3"), QString());
        QCOMPARE(goods("ПЛ-4"), QString("6/0.5/500"));
        g_whileShown = {};
        // Deleted with its operations and entries.
        QVERIFY(iz.locate("marka", "ШК-7"));
        Msg::answer(true);
        Msg::answer(true);
        Form3->Button3Click();
        QCOMPARE(goods("ШК-7"), QString());
        QCOMPARE(m_owner->scalar("select count(*) from accounts_dep.oper where i_id = 2002").toInt(), 0);
    } catch (const DbError &e) {
        QFAIL(qPrintable(e.text()));
    }
    QVERIFY(Msg::shown().size() >= 2);

    // The fixed row and another program's goods are listed but refused, with
    // the reason; the fixed row keeps its operation when the price question
    // is answered "No".
    struct Case {
        const char *mark;
        const char *reason;
    };
    for (const Case &c : {Case{"Хоз. работы", "служебное"}, Case{"Болт М8", "ведёт другая программа"}}) {
        iz.reopen();
        QVERIFY(iz.locate("marka", QString::fromUtf8(c.mark)));
        const QString before = goods(QString::fromUtf8(c.mark));
        QVERIFY(!before.isEmpty());
        Msg::clearShown();
        if (QString::fromUtf8(c.mark) == "Хоз. работы")
            Msg::answer(false); // keep its prices
        Msg::answer(true);
        try {
            Form3->Button3Click();
            QFAIL("the product editor deleted it");
        } catch (const DbError &e) {
            QVERIFY2(e.text().contains(QString::fromUtf8(c.reason)), qPrintable(e.text()));
        }
        QCOMPARE(goods(QString::fromUtf8(c.mark)), before);
        QVERIFY(!DataModule6->ADO_DB.inTransaction());
    }
    QCOMPARE(m_owner->scalar("select count(*) from accounts_dep.oper where id = 7777").toInt(), 1);
}

void RolesTest::demoShopLoadedByTheOwner()
{
    // The demo shop and db/roles.sql again, both by the owner, on a database
    // without the small shop.
    const QString db = TestDb::databaseName();
    DataModule6->ADO_DB.close();
    m_owner.reset();
    psql("postgres", "postgres",
         {"-c", QString("drop database if exists %1 with (force)").arg(db), "-c",
          QString("create database %1 owner %2").arg(db, kOwner)});
    psql(kOwner, db, {"-f", TestDb::sourcePath("db/schema.sql")});
    psql(kOwner, db, {"-f", TestDb::sourcePath("db/demo.sql")});
    psql(kOwner, db, {"-f", TestDb::sourcePath("db/roles.sql")});
    Connection &conn = DataModule6->ADO_DB;
    conn.open();
    try {
        LoadJournalsAsLoggedIn(QDate::currentDate());
        QVERIFY(DataModule6->journal(1).recordCount() > 0);
        DataModule6->Workers.open();
        QCOMPARE(DataModule6->Workers.recordCount(), conn.scalar("select count(*) from accounts_dep.person").toInt());
        DataModule6->Workers.close();
        QVERIFY(conn.scalar("select count(*) from accounts_dep.izdel").toInt() > 50);
    } catch (const DbError &e) {
        QFAIL(qPrintable(e.text()));
    }
}

QTEST_MAIN(RolesTest)
#include "test_roles.moc"
