// Start-up pieces, the version check and the shared data module against the
// real database.
#include "app/AppControl.h"
#include "app/Unit23.h"
#include "data/DbError.h"
#include "data/Notice.h"
#include "data/Unit6.h"
#include "journal/Unit1.h"
#include "support/JournalWindow.h"
#include "support/TestDb.h"
#include "ui/Msg.h"

#include <QTimer>
#include <QScopeGuard>
#include <QtTest>

class FoundationTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void connectionString_data();
    void connectionString();

    void checkVersion_data();
    void checkVersion();
    void checkVersionEmptyTable();
    void checkVersionRefreshesDelimiter();

    void checkDuplicate();
    void checkedWrite_data();
    void checkedWrite();
    void applyDecimalDelimiter_data();
    void applyDecimalDelimiter();

    void journalHidesTaAndNullMarks();
    void journalFindsWorkerMadeThroughPersonView();
    void hTabelLeavesOutWorkerWithoutEntries();
    void schemaLoadsTwice();
    void fixedRowsAndDefaults();

    void datasetNavigationFilterLocate();
    void numericValuesAreExact();
    void boundTextWithQuotes();
    void transactionRollsBackWhole();
    void lostConnectionReconnects();
    void likeMatch_data();
    void likeMatch();
};

void FoundationTest::initTestCase()
{
    TestDb::fresh();
    NewJournalWindow(true);
}

void FoundationTest::init()
{
    TestDb::fresh();
    ResetEndRequested();
    Form23->Timer1->stop();
}

void FoundationTest::connectionString_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("server");
    QTest::newRow("no arguments") << QStringList{"tabel"} << "mill_erp" << QString(kDefaultServer);
    QTest::newRow("only database: ignored") << QStringList{"tabel", "other"} << "mill_erp" << QString(kDefaultServer);
    QTest::newRow("database and server") << QStringList{"tabel", "shop", "10.1.2.3"} << "shop" << "10.1.2.3";
    QTest::newRow("empty database, server") << QStringList{"tabel", "", "10.1.2.3"} << "" << "10.1.2.3";
    QTest::newRow("empty server") << QStringList{"tabel", "shop", ""} << "mill_erp" << QString(kDefaultServer);
}

void FoundationTest::connectionString()
{
    QFETCH(QStringList, args);
    QFETCH(QString, database);
    QFETCH(QString, server);
    const QString s = ConnectionStringFromArgs(args);
    const QString expected =
        "DRIVER={PostgreSQL UNICODE};DATABASE=" + database + ";SERVER=" + server
        + ";PORT=5432;UID=sys;PWD=wompvlk;SSLmode=allow;"
          "ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;RowVersioning=0;ShowSystemTables=0;Fetch=100;"
          "UnknownSizes=0;MaxVarcharSize=255;MaxLongVarcharSize=8190;"
          "Debug=0;CommLog=0;UseDeclareFetch=0;TextAsLongVarchar=1;UnknownsAsLongVarchar=0;BoolsAsChar=1;Parse=0;"
          "ExtraSysTablePrefixes=;LFConversion=1;UpdatableCursors=1;"
          "TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary=1;UseServerSidePrepare=1;LowerCaseIdentifier=0;D6=-101;"
          "OptionalErrors=0;XaOpt=1";
    QCOMPARE(s, expected);
    QVERIFY(DefaultConnectionString().startsWith("DRIVER={PostgreSQL UNICODE};DATABASE=mill_erp;SERVER="));
}

// Stored stamp -> what is stored afterwards, and whether it is a mismatch.
void FoundationTest::checkVersion_data()
{
    QTest::addColumn<int>("d");
    QTest::addColumn<int>("t");
    QTest::addColumn<int>("expectD");
    QTest::addColumn<int>("expectT");
    QTest::addColumn<bool>("mismatch");
    QTest::newRow("equal stamps: nothing written") << 20240305 << 50829 << 20240305 << 50829 << false;
    QTest::newRow("older date, larger time: overwritten") << 20240304 << 80000 << 20240305 << 50829 << false;
    QTest::newRow("same date, earlier time: overwritten") << 20240305 << 100 << 20240305 << 50829 << false;
    QTest::newRow("same date, later stored time: mismatch") << 20240305 << 50830 << 20240305 << 50830 << true;
    QTest::newRow("newer stored date, smaller time: mismatch") << 20240306 << 1 << 20240306 << 1 << true;
}

void FoundationTest::checkVersion()
{
    QFETCH(int, d);
    QFETCH(int, t);
    QFETCH(int, expectD);
    QFETCH(int, expectT);
    QFETCH(bool, mismatch);
    TestDb::exec("update accounts_dep.ver set d=:d::integer, t=:t::integer", {{"d", d}, {"t", t}});
    // A trigger-free way to see whether the row was rewritten: its xmin.
    const QString before = TestDb::scalar("select xmin::text from accounts_dep.ver").toString();
    Form1->CheckVersion();
    QCOMPARE(TestDb::scalar("select d from accounts_dep.ver").toInt(), expectD);
    QCOMPARE(TestDb::scalar("select t from accounts_dep.ver").toInt(), expectT);
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.ver").toInt(), 1);
    if (d == 20240305 && t == 50829)
        QCOMPARE(TestDb::scalar("select xmin::text from accounts_dep.ver").toString(), before);
    QCOMPARE(EndRequested(), mismatch);
    QCOMPARE(Form23->Timer1->isActive(), mismatch);
    QCOMPARE(Form23->Timer1->interval(), 5000);
    if (mismatch) {
        QCOMPARE(Msg::shown().size(), 1);
        QCOMPARE(Msg::shown()[0].text, QString("Версия программы не соответсвует БД! Запустите программу через 5 мин."));
        QCOMPARE(Msg::shown()[0].caption, QString("Ошибка"));
        QVERIFY(Msg::shown()[0].icon == Msg::Icon::Error);
    } else {
        QVERIFY(Msg::shown().isEmpty());
    }
}

void FoundationTest::checkVersionEmptyTable()
{
    TestDb::exec("delete from accounts_dep.ver");
    Form1->CheckVersion();
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.ver").toInt(), 1);
    QCOMPARE(TestDb::scalar("select d from accounts_dep.ver").toInt(), 20240305);
    QCOMPARE(TestDb::scalar("select t from accounts_dep.ver").toInt(), 50829);
    QVERIFY(!EndRequested());
    QVERIFY(Msg::shown().isEmpty());
    // The next check reads the new row's separator.
    Form1->CheckVersion();
    QCOMPARE(DataModule6->DecimalDelimiter, QString("."));
}

void FoundationTest::checkVersionRefreshesDelimiter()
{
    TestDb::exec("update accounts_dep.ver set delim=','");
    Form1->CheckVersion();
    QCOMPARE(DataModule6->DecimalDelimiter, QString(","));
    // The login window's activation runs the check and sets its caption.
    Form23->FormActivate();
    QCOMPARE(Form23->windowTitle(), QString("Авторизация (build: 20240305.50829)"));
}

void FoundationTest::checkDuplicate()
{
    TestDb::exec("insert into accounts_dep.vid_oper (vid) values ('РЕЗКА')");
    const QString sql = "select count(*) as cnt from accounts_dep.vid_oper where upper(vid)=upper(:v)";
    QVERIFY(!DataModule6->CheckDuplicate(sql, "есть такая", {{"v", "сварка"}}));
    QVERIFY(Msg::shown().isEmpty());
    QVERIFY(DataModule6->CheckDuplicate(sql, "есть такая", {{"v", "резка"}}));
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(Msg::shown()[0].text, QString("есть такая"));
    QCOMPARE(Msg::shown()[0].caption, QString("Ошибка"));
    QVERIFY(Msg::shown()[0].icon == Msg::Icon::Error);
    QVERIFY(!DataModule6->Control.isOpen());
    // Two or more rows count too, and the message shows once.
    TestDb::exec("insert into accounts_dep.vid_oper (vid) values ('Резка')");
    Msg::clearShown();
    QVERIFY(DataModule6->CheckDuplicate(sql, "есть такая", {{"v", "РЕЗКА"}}));
    QCOMPARE(Msg::shown().size(), 1);
}

namespace {
// Whether the data module's connection was inside a transaction when its
// message was shown.
QList<bool> g_messageInTransaction;
void noteMessage(const QString &, const QString &)
{
    g_messageInTransaction.append(DataModule6->ADO_DB.inTransaction());
}
} // namespace

void FoundationTest::checkedWrite_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("writeFails");
    QTest::addColumn<bool>("written");
    QTest::addColumn<int>("rows");    // rows named like it afterwards
    QTest::addColumn<int>("messages");
    QTest::newRow("new name: written, no message") << "сварка" << false << true << 1 << 0;
    QTest::newRow("duplicate in other case: refused, one message") << "резка" << false << false << 1 << 1;
    QTest::newRow("failing write: nothing kept, no message") << "сварка" << true << false << 0 << 0;
}

void FoundationTest::checkedWrite()
{
    QFETCH(QString, name);
    QFETCH(bool, writeFails);
    QFETCH(bool, written);
    QFETCH(int, rows);
    QFETCH(int, messages);
    TestDb::exec("insert into accounts_dep.vid_oper (vid) values ('РЕЗКА')");
    const QString count = "select count(*) as cnt from accounts_dep.vid_oper where upper(vid)=upper(:v)";
    const Notice::ErrorSink facade = Notice::errorSink();
    QVERIFY(facade != nullptr); // the message facade shows the data module's messages
    g_messageInTransaction.clear();
    Notice::setErrorSink(&noteMessage);
    const auto restore = qScopeGuard([facade] { Notice::setErrorSink(facade); });
    const auto write = [&] {
        DataModule6->ADO_DB.exec("insert into accounts_dep.vid_oper (vid) values (:v)", {{"v", name}});
        if (writeFails)
            DataModule6->ADO_DB.exec("select 1/0");
    };
    bool result = false;
    if (writeFails)
        QVERIFY_THROWS_EXCEPTION(std::exception,
                                 DataModule6->CheckedWrite("vid_oper:" + name.toUpper(), count, {{"v", name}}, "есть",
                                                           write));
    else
        result = DataModule6->CheckedWrite("vid_oper:" + name.toUpper(), count, {{"v", name}}, "есть", write);
    QCOMPARE(result, written);
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.vid_oper where upper(vid)=upper(:v)", {{"v", name}})
                 .toInt(),
             rows);
    QCOMPARE(g_messageInTransaction.size(), messages);
    // The message waits until the transaction, and with it the lock, ended.
    for (bool inside : g_messageInTransaction)
        QVERIFY(!inside);
    QVERIFY(!DataModule6->ADO_DB.inTransaction());
}

void FoundationTest::applyDecimalDelimiter_data()
{
    QTest::addColumn<QString>("delim");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("comma to point") << "." << "12,5" << "12.5";
    QTest::newRow("no separator") << "." << "12" << "12";
    QTest::newRow("comma found first") << "." << "1.2,5" << "1.2.5";
    QTest::newRow("point kept as point") << "." << "12.5" << "12.5";
    QTest::newRow("point to comma") << "," << "12.5" << "12,5";
    QTest::newRow("empty delimiter") << "" << "12,5" << "125";
    QTest::newRow("long delimiter") << "<>" << "3,25" << "3<>25";
    QTest::newRow("only first replaced") << "." << "1,2,3" << "1.2,3";
}

void FoundationTest::applyDecimalDelimiter()
{
    QFETCH(QString, delim);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    DataModule6->DecimalDelimiter = delim;
    QCOMPARE(DataModule6->ApplyDecimalDelimiter(text), expected);
}

// A small shop: one worker, one product with an operation, entries of one day.
static void smallShop()
{
    TestDb::exec("insert into cmn_classifier.item (id, id_level, s_caption) values (500, 2, 'Стулья')");
    TestDb::exec("insert into accounts_dep.person (id, fio, s_staffpos_hl) values (101, 'Иванов И.И.', 'Сборщик')");
    TestDb::exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, id_msm_bs, massa, id_class_item) "
                 "values (2001, 'СТ-1', 6, 0.5, 500)");
    TestDb::exec("insert into accounts_dep.vid_oper (id, vid) values (11, 'Сборка')");
    TestDb::exec("insert into accounts_dep.oper (id, vid, naimen, i_id, cena_new) values (301, 11, 0, 2001, 0)");
    TestDb::exec("insert into accounts_dep.norm (o_id, norma, price, prize) values (301, 10, 12.5, 0)");
}

static void entry(int shift, const QVariant &ok, const QString &date = "05.03.2024", int w = 101, int hours = 8)
{
    TestDb::exec("insert into accounts_dep.smena (w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok, "
                 "vvod, prize) values (:w::integer, 2001, 301, 10, 1, to_date(:d, 'DD.MM.YYYY'), :s::integer, 12.5, 0, "
                 ":h::integer, :ok, now(), 0)",
                 {{"w", w}, {"d", date}, {"s", shift}, {"h", hours}, {"ok", ok}});
}

void FoundationTest::journalHidesTaAndNullMarks()
{
    smallShop();
    entry(1, "ok");
    entry(1, "no");
    entry(1, "ta");
    entry(1, QVariant(QMetaType(QMetaType::QString)));
    entry(2, "да");
    entry(2, "ta");
    entry(4, "no");
    entry(1, "ok", "06.03.2024");
    const int expected[] = {2, 1, 0, 1};
    for (int s = 1; s <= 4; ++s) {
        Dataset &j = DataModule6->journal(s);
        j.close();
        j.setParam("data", QDateTime(QDate(2024, 3, 5), QTime(0, 0)));
        j.setParam("ok", "ta");
        j.open();
        QCOMPARE(j.recordCount(), expected[s - 1]);
        for (int r = 0; r < j.recordCount(); ++r) {
            j.setRecNo(r + 1);
            QVERIFY(j.text("ok") != "ta");
            QCOMPARE(j.text("fio"), QString("Иванов И.И."));
            QCOMPARE(j.text("summa"), QString("112.50"));
            QCOMPARE(j.asDouble("kol_vo"), 10.0);
            QCOMPARE(j.text("nmn"), QString("Готовая продукция"));
        }
        j.close();
    }
}

void FoundationTest::journalFindsWorkerMadeThroughPersonView()
{
    smallShop();
    TestDb::exec("insert into accounts_dep.person (fio, s_staffpos_hl) values ('Петров П.П.', 'Маляр')");
    const int id = TestDb::scalar("select id from accounts_dep.person where fio='Петров П.П.'").toInt();
    QCOMPARE(TestDb::scalar("select s_code from cmn_contractor.person where id=:i::integer", {{"i", id}}).toString(),
             QString::number(id));
    entry(3, "no", "05.03.2024", id);
    Dataset &j = DataModule6->Smena3;
    j.close();
    j.setParam("data", QDate(2024, 3, 5));
    j.setParam("ok", "ta");
    j.open();
    QCOMPARE(j.recordCount(), 1);
    QCOMPARE(j.text("fio"), QString("Петров П.П."));
    j.close();
    // A renamed worker shows under the new name; a deleted one leaves the
    // enterprise list too.
    TestDb::exec("update accounts_dep.person set fio='Петров П.С.' where id=:i::integer", {{"i", id}});
    QCOMPARE(TestDb::scalar("select s_caption from cmn_contractor.person where id=:i::integer", {{"i", id}}).toString(),
             QString("Петров П.С."));
    TestDb::exec("delete from accounts_dep.person where id=:i::integer", {{"i", id}});
    QCOMPARE(TestDb::scalar("select count(*) from cmn_contractor.person where id=:i::integer", {{"i", id}}).toInt(), 0);
}

void FoundationTest::hTabelLeavesOutWorkerWithoutEntries()
{
    smallShop();
    TestDb::exec("insert into accounts_dep.person (id, fio) values (102, 'Сидоров С.С.')");
    entry(1, "ok", "05.03.2024", 101, 8);
    entry(2, "ok", "06.03.2024", 101, 4);
    // Worker 102 has a timesheet row but no entry in March.
    entry(1, "ok", "05.02.2024", 102, 8);
    TestDb::exec("insert into accounts_dep.h_tabel (w_id, month, year, smena, d5) values (101, 3, 2024, 1, 8)");
    TestDb::exec("insert into accounts_dep.h_tabel (w_id, month, year, smena, d5) values (102, 3, 2024, 1, 7)");
    Dataset &h = DataModule6->H_Tabel_1;
    h.close();
    h.setParam("mnth", 3);
    h.setParam("yea", 2024);
    h.setParam("date1", QDate(2024, 3, 1));
    h.setParam("date2", QDate(2024, 4, 1));
    h.open();
    QCOMPARE(h.recordCount(), 1);
    QCOMPARE(h.text("fio"), QString("Иванов И.И."));
    QCOMPARE(h.asInt("summ"), qint64(8));
    // Amount of all the worker's entries in the period, whatever their shift:
    // 2 entries x 9 good pieces x 12.5.
    QCOMPARE(h.text("cena_all"), QString("225.00"));
    QCOMPARE(h.text("average_price"), QString("28.13"));
    QCOMPARE(h.asInt("d5"), qint64(8));
    QVERIFY(h.isNull("d6"));
    h.close();
}

void FoundationTest::schemaLoadsTwice()
{
    smallShop();
    TestDb::loadScript(TestDb::sourcePath("db/schema.sql"));
    TestDb::loadScript(TestDb::sourcePath("db/schema.sql"));
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.vid_oper where id in (7777, 7778)").toInt(), 2);
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.norm where o_id in (7777, 7778)").toInt(), 2);
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.ver").toInt(), 1);
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.person").toInt(), 1);
}

void FoundationTest::fixedRowsAndDefaults()
{
    // Hourly kinds with their operations (vid and i_id of at least 7777) and norms.
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.oper o, accounts_dep.norm n where n.o_id=o.id and "
                            "o.vid>=7777 and o.i_id>=7777")
                 .toInt(),
             2);
    QCOMPARE(TestDb::scalar("select delim from accounts_dep.ver").toString(), QString("."));
    // Rows inserted without smena, i_type, i_night read back 0.
    TestDb::exec("insert into accounts_dep.h_tabel (w_id, month, year) values (1, 1, 2024)");
    QCOMPARE(TestDb::scalar("select smena::text || i_type::text || i_night::text from accounts_dep.h_tabel").toString(),
             QString("000"));
    // Day-first date text, whatever the session was told.
    QCOMPARE(TestDb::scalar("select '05.03.2024'::date::text").toString(), QString("2024-03-05"));
    // Products get ids from the catalogue's sequence, not clashing with the fixed ones.
    TestDb::exec("insert into cmn_gds_and_srv.gds_and_srv (s_caption, s_description, id_msm_bs, massa, id_class_item) "
                 "values ('Новое', '', 6, 1, null)");
    QVERIFY(TestDb::scalar("select id from accounts_dep.izdel where marka='Новое'").toLongLong() >= 10000);
}

void FoundationTest::datasetNavigationFilterLocate()
{
    TestDb::exec("insert into accounts_dep.person (fio) values ('Абрамов А.А.'), ('Иванов И.И.'), ('иванова М.М.'), "
                 "('Яковлев Я.Я.')");
    Dataset &w = DataModule6->Workers;
    w.open();
    QCOMPARE(w.recordCount(), 4);
    QCOMPARE(w.recNo(), 1);
    QVERIFY(!w.prior());
    QVERIFY(w.bof());
    QVERIFY(w.next());
    QCOMPARE(w.recNo(), 2);
    w.last();
    QVERIFY(!w.next());
    QVERIFY(w.eof());
    QVERIFY(w.locate("FIO", "Иванов И.И."));
    QCOMPARE(w.text("fio"), QString("Иванов И.И."));
    QVERIFY(!w.locate("fio", "Нет Такого"));
    QCOMPARE(w.text("fio"), QString("Иванов И.И."));
    // Prefix filter, regardless of letter case (Cyrillic included).
    w.setFilter("fio", "иван%");
    QCOMPARE(w.recordCount(), 2);
    w.setFilter("fio", "ЯК%");
    QCOMPARE(w.recordCount(), 1);
    QCOMPARE(w.text("fio"), QString("Яковлев Я.Я."));
    w.setFilter("fio", "Ж%");
    QCOMPARE(w.recordCount(), 0);
    QCOMPARE(w.recNo(), 0);
    QVERIFY(!w.value("fio").isValid());
    w.clearFilter();
    QCOMPARE(w.recordCount(), 4);
    w.setRecNo(99);
    QCOMPARE(w.recNo(), 4);
    w.close();
    QVERIFY(!w.isOpen());
    QCOMPARE(w.recordCount(), 0);
}

void FoundationTest::numericValuesAreExact()
{
    smallShop();
    TestDb::exec("update accounts_dep.norm set price=99999999.99 where o_id=301");
    Dataset &o = DataModule6->Oper;
    o.open();
    QVERIFY(o.locate("id", 301));
    QCOMPARE(o.text("cena"), QString("99999999.99"));
    QCOMPARE(o.asInt("norma"), qint64(1));
    o.close();
    // Fixed-width text comes back without its padding.
    DataModule6->Vid_oper.open();
    QVERIFY(DataModule6->Vid_oper.locate("id", 11));
    QCOMPARE(DataModule6->Vid_oper.text("vid"), QString("Сборка"));
    DataModule6->Vid_oper.close();
}

void FoundationTest::boundTextWithQuotes()
{
    const QString name = "О'Коннор Д.'; drop table accounts_dep.smena; --";
    TestDb::exec("insert into accounts_dep.person (fio) values (:f)", {{"f", name}});
    QCOMPARE(TestDb::scalar("select fio from accounts_dep.person where fio=:f", {{"f", name}}).toString(), name);
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.smena").toInt(), 0);
}

void FoundationTest::transactionRollsBackWhole()
{
    Connection &db = DataModule6->ADO_DB;
    {
        Transaction t(db);
        db.exec("insert into accounts_dep.vid_oper (vid) values ('А')");
        bool threw = false;
        try {
            db.exec("insert into accounts_dep.vid_oper (id, vid) values (7777, 'дубль')");
        } catch (const DbError &e) {
            threw = true;
            QCOMPARE(e.sqlState(), QString("23505"));
        }
        QVERIFY(threw);
        // A commit after a failed statement must not save the statements around it.
        QVERIFY_THROWS_EXCEPTION(DbError, t.commit());
    }
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.vid_oper where vid='А'").toInt(), 0);
    {
        Transaction t(db);
        db.exec("insert into accounts_dep.vid_oper (vid) values ('Б')");
        t.commit();
    }
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.vid_oper where vid='Б'").toInt(), 1);
    {
        // Leaving the scope without commit undoes the work.
        Transaction t(db);
        db.exec("insert into accounts_dep.vid_oper (vid) values ('В')");
    }
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.vid_oper where vid='В'").toInt(), 0);
}

void FoundationTest::lostConnectionReconnects()
{
    Connection &db = DataModule6->ADO_DB;
    const int pid = db.scalar("select pg_backend_pid()").toInt();
    std::unique_ptr<Connection> other(TestDb::otherClient("killer"));
    other->exec("select pg_terminate_backend(:p::integer)", {{"p", pid}});
    QTest::qWait(200);
    // The next statement outside a transaction reconnects and runs.
    QVERIFY(db.scalar("select pg_backend_pid()").toInt() != pid);
    QCOMPARE(db.scalar("select '05.03.2024'::date::text").toString(), QString("2024-03-05"));
}

void FoundationTest::likeMatch_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("ci");
    QTest::addColumn<bool>("match");
    QTest::newRow("prefix") << "Иванов" << "Ив%" << true << true;
    QTest::newRow("prefix other case") << "Иванов" << "иВ%" << true << true;
    QTest::newRow("case sensitive") << "Иванов" << "ив%" << false << false;
    QTest::newRow("contains") << "СТ-100 белый" << "%бел%" << true << true;
    QTest::newRow("underscore") << "ab" << "a_" << true << true;
    QTest::newRow("underscore too short") << "a" << "a_" << true << false;
    QTest::newRow("empty pattern") << "x" << "" << true << false;
    QTest::newRow("percent only") << "" << "%" << true << true;
    QTest::newRow("no match") << "Петров" << "Ив%" << true << false;
}

void FoundationTest::likeMatch()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, ci);
    QFETCH(bool, match);
    QCOMPARE(Dataset::likeMatch(text, pattern, ci), match);
}

QTEST_MAIN(FoundationTest)
#include "test_foundation.moc"
