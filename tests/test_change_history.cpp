// The change history of journal and maintenance entries: who changed what,
// read as people read it; the history only grows; the session tells the
// database who it is.
#include "app/Startup.h"
#include "data/DbError.h"
#include "data/Unit6.h"
#include "entry_shop.h"
#include "journal/ChangeHistory.h"
#include "journal/EntryHistory.h"
#include "journal/JournalOps.h"
#include "journal/Unit1.h"
#include "maintenance/MaintenanceOps.h"
#include "maintenance/Unit25.h"
#include "support/JournalWindow.h"
#include "support/TestDb.h"
#include "ui/Msg.h"

#include <QComboBox>
#include <QDateEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

using namespace Shop;

namespace {

const QDate kDay(2024, 3, 5);

Connection &db() { return DataModule6->ADO_DB; }

// psql as the cluster's superuser in this program's database.
QString psql(const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start("psql", QStringList{"-h", TestDb::server(), "-p", "5432", "-U", "postgres", "-d",
                                TestDb::databaseName(), "-v", "ON_ERROR_STOP=1", "-q"}
                        + args);
    p.waitForFinished(120000);
    if (p.exitCode() != 0)
        qFatal("psql %s: %s", qPrintable(args.join(' ')), p.readAll().constData());
    return QString::fromUtf8(p.readAll());
}

JournalOps::Entry journalEntry(int quantity, int id = 0)
{
    JournalOps::Entry e;
    e.id = id;
    e.worker = Ivanov;
    e.product = Chair;
    e.operation = Assembly;
    e.date = kDay;
    e.price = 12.5;
    e.quantity = quantity;
    e.hours = 6;
    return e;
}

QStringList actionsAndChanges(const QList<ChangeHistory::Line> &lines)
{
    QStringList out;
    for (const auto &l : lines)
        out << l.action + " | " + l.changes;
    return out;
}

int historyRows() { return TestDb::scalar("select count(*) from accounts_dep.change_log").toInt(); }

} // namespace

class ChangeHistoryTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void journalEntryHistory();
    void maintenanceEntryHistory();
    void otherProgramsAreRecordedToo();
    void deletedEntriesOfTheDay();
    void historyWindow();
    void historyOnlyGrows_data();
    void historyOnlyGrows();
    void sessionIdentity();
};

void ChangeHistoryTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    TestDb::fresh();
    NewJournalWindow();
    CreateRemainingWindows();
}

void ChangeHistoryTest::init()
{
    TestDb::fresh();
    load();
    Form1->LoginCode = "61730482";
    db().setSessionRole("полные права", "full");
    Modal::setHandler([](QDialog *) { return 0; });
    Msg::clearShown();
}

// Add, change the quantity, accept, change the worker, delete: one line
// each, newest first, in the journal's words and names.
void ChangeHistoryTest::journalEntryHistory()
{
    QVERIFY(JournalOps::StoreEntry(db(), journalEntry(10), true) == JournalOps::StoreResult::Stored);
    const int id = TestDb::scalar("select id from accounts_dep.smena").toInt();
    QVERIFY(JournalOps::StoreEntry(db(), journalEntry(12, id), false) == JournalOps::StoreResult::Stored);
    JournalOps::SetMark(db(), id, "ok");
    JournalOps::Entry moved = journalEntry(12, id);
    moved.worker = Petrov;
    QVERIFY(JournalOps::StoreEntry(db(), moved, false) == JournalOps::StoreResult::Stored);
    JournalOps::StoreEntry(db(), moved, false); // saved unchanged: nothing to record
    QVERIFY(JournalOps::RemoveEntry(db(), id));

    const QList<ChangeHistory::Line> lines = ChangeHistory::Read(db(), ChangeHistory::Source::Journal, id);
    const QString summary = "Рабочий: %1; Изделие: СТ-1; Операция: Сборка; Дата: 05.03.2024; Смена: 1; "
                            "Кол-во: %2; Брак: 0; Часы: 6; Цена: 12,5; Цвет: 0; ОК: %3";
    QCOMPARE(actionsAndChanges(lines),
             QStringList({"Удаление | " + summary.arg("Петров П.П.", "12", "да"),
                          "Изменение | Рабочий: Иванов И.И. → Петров П.П.", "Изменение | ОК: нет → да",
                          "Изменение | Кол-во: 10 → 12", "Добавление | " + summary.arg("Иванов И.И.", "10", "нет")}));
    const QString who = Connection::osUser() + " (полные права, sys)";
    for (const auto &l : lines) {
        QCOMPARE(l.who, who);
        QCOMPARE(l.computer, Connection::machineName());
        QVERIFY2(QDateTime::fromString(l.when, "dd.MM.yyyy HH:mm:ss").isValid(), qPrintable(l.when));
    }
}

void ChangeHistoryTest::maintenanceEntryHistory()
{
    MaintenanceOps::Entry e;
    e.worker = Ivanov;
    e.nomenclature = 500;
    e.kind = MaintenanceOps::Maintenance;
    e.date = kDay;
    e.hours = 4;
    e.price = 150;
    e.id = MaintenanceOps::StoreEntry(db(), e, true);
    e.hours = 6;
    e.night = true;
    e.price = 180;
    MaintenanceOps::StoreEntry(db(), e, false);
    QVERIFY(MaintenanceOps::RemoveEntry(db(), e.id));
    const auto lines = ChangeHistory::Read(db(), ChangeHistory::Source::Maintenance, e.id);
    QCOMPARE(actionsAndChanges(lines).mid(1, 1), QStringList({"Изменение | Кол-во: 4 → 6; Цена: 150 → 180; Ноч.: нет → да"}));
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.last().changes, QString("Рабочий: Иванов И.И.; Номенклатура: Стулья; Работа: Хоз. работы; "
                                           "Дата: 05.03.2024; Смена: 1; Кол-во: 4; Цена: 150; Вых.: нет; Ноч.: нет"));
    QCOMPARE(lines.first().action, QString("Удаление"));
}

// Another program's write: its role and its own name, its address.
void ChangeHistoryTest::otherProgramsAreRecordedToo()
{
    const int id = entry(Ivanov, Assembly, kDay, 1, 6);
    psql({"-c", QString("update accounts_dep.smena set kol_vo=11 where id=%1").arg(id)});
    const auto lines = ChangeHistory::Read(db(), ChangeHistory::Source::Journal, id);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.first().who, QString("postgres (psql)"));
    QVERIFY2(lines.first().computer.startsWith("127."), qPrintable(lines.first().computer));
    QCOMPARE(lines.first().changes, QString("Кол-во: 10 → 11"));
}

void ChangeHistoryTest::deletedEntriesOfTheDay()
{
    const int kept = entry(Ivanov, Assembly, kDay, 1, 6);
    const int gone = entry(Petrov, Cutting, kDay, 1, 5, "no", 0, 7);
    const int otherDay = entry(Petrov, Assembly, kDay.addDays(1), 1, 5);
    QVERIFY(JournalOps::RemoveEntry(db(), gone));
    QVERIFY(JournalOps::RemoveEntry(db(), otherDay));
    const auto deleted = ChangeHistory::DeletedOn(db(), ChangeHistory::Source::Journal, kDay);
    QCOMPARE(deleted.size(), 1);
    QCOMPARE(deleted.first().id, gone);
    QCOMPARE(deleted.first().text, QString("Петров П.П.: ШК-7, Резка, Кол-во 7"));
    Q_UNUSED(kept);
}

// "История" in the journal: the selected entry's history, the day's deleted
// entries offered too; with no entry, the deleted ones; none: a message.
void ChangeHistoryTest::historyWindow()
{
    const int kept = entry(Ivanov, Assembly, kDay, 1, 6);
    JournalOps::SetMark(db(), kept, "ok");
    const int gone = entry(Petrov, Cutting, kDay, 1, 5);
    QVERIFY(JournalOps::RemoveEntry(db(), gone));
    QStringList seen;
    Modal::setHandler([&](QDialog *d) {
        if (d == EntryHistory) {
            QStringList row;
            for (int c = 0; c < EntryHistory->Grid->columnCount(); ++c)
                row << EntryHistory->Grid->horizontalHeaderItem(c)->text();
            seen << row.join(',') << QString::number(EntryHistory->Grid->rowCount())
                 << EntryHistory->Grid->item(0, 3)->text() + ": " + EntryHistory->Grid->item(0, 4)->text()
                 << QString::number(EntryHistory->CBox1->isVisibleTo(EntryHistory) ? EntryHistory->CBox1->count()
                                                                                  : 0);
            if (EntryHistory->CBox1->count() > 1) {
                EntryHistory->CBox1->setCurrentIndex(1); // the deleted entry
                seen << EntryHistory->CBox1->currentText() << QString::number(EntryHistory->Grid->rowCount())
                     << EntryHistory->Grid->item(0, 3)->text();
            }
        }
        return 0;
    });
    Form1->ShiftNumber = 1;
    Form1->DateT->setDate(kDay);
    openJournals(kDay);
    Form1->DBGrid2->setDataset(&DataModule6->journal(1));
    Form1->Button9->click();
    QCOMPARE(seen, QStringList({"Когда,Кто,Компьютер,Действие,Что изменилось", "2", "Изменение: ОК: нет → да", "2",
                                "Удалена: Петров П.П.: ШК-7, Резка, Кол-во 10", "2", "Удаление"}));

    // No entry in the journal: the day's deleted entries.
    seen.clear();
    TestDb::exec("delete from accounts_dep.smena");
    openJournals(kDay);
    Form1->Button9->click();
    QCOMPARE(seen.mid(1, 3), QStringList({"3", "Удаление: Рабочий: Иванов И.И.; Изделие: СТ-1; Операция: Сборка; "
                                                "Дата: 05.03.2024; Смена: 1; Кол-во: 10; Брак: 0; Часы: 6; "
                                                "Цена: 12,5; Цвет: 0; ОК: да",
                                          "2"}));
    // Nothing deleted that day: told so, no window.
    seen.clear();
    Form1->DateT->setDate(kDay.addDays(3));
    openJournals(kDay.addDays(3));
    Form1->Button9->click();
    QVERIFY(seen.isEmpty());
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(Msg::shown().first().text, QString("Выберите запись. Удаленных записей за 08.03.2024 нет."));

    // The maintenance journal's "История".
    seen.clear();
    Msg::clearShown();
    TestDb::exec("insert into accounts_dep.fatigue (id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, "
                 "price, i_holiday, i_night) values (500, 7777, 101, '2024-03-05', 3, 2024, 1, 3, 150, 0, 0)");
    Form25->SetDate(kDay);
    Form25->Reread(false);
    Form25->Button9->click();
    QCOMPARE(seen.mid(1, 3), QStringList({"1", "Добавление: Рабочий: Иванов И.И.; Номенклатура: Стулья; "
                                                "Работа: Хоз. работы; Дата: 05.03.2024; Смена: 1; Кол-во: 3; "
                                                "Цена: 150; Вых.: нет; Ноч.: нет",
                                          "0"}));
}

// Nobody changes or removes history rows, nor writes them by hand: neither
// the program's login sys, nor a role set up by db/roles.sql.
void ChangeHistoryTest::historyOnlyGrows_data()
{
    QTest::addColumn<bool>("limitedRole");
    QTest::addColumn<QString>("sql");
    const char *statements[] = {"update accounts_dep.change_log set db_role='x'",
                                "delete from accounts_dep.change_log",
                                "truncate accounts_dep.change_log",
                                "insert into accounts_dep.change_log (table_name, row_id, action) values "
                                "('smena', 1, 'delete')"};
    for (const bool limited : {false, true})
        for (const char *s : statements)
            QTest::addRow("%s: %s", limited ? "roles.sql" : "sys", s) << limited << QString::fromLatin1(s);
}

void ChangeHistoryTest::historyOnlyGrows()
{
    QFETCH(bool, limitedRole);
    QFETCH(QString, sql);
    entry(Ivanov, Assembly, kDay, 1, 6);
    const QString before = TestDb::scalar("select md5(string_agg(l::text, '|' order by id)) from "
                                          "accounts_dep.change_log l")
                               .toString();
    std::unique_ptr<Connection> limited;
    Connection *c = &db();
    if (limitedRole) {
        psql({"-c", "do $r$ begin if not exists (select 1 from pg_roles where rolname = 'tabel_limited') then "
                    "create role tabel_limited login password 'limited'; end if; end $r$"});
        psql({"-v", "login=tabel_limited", "-f", TestDb::sourcePath("db/create_roles.sql")});
        psql({"-v", "login=tabel_limited", "-f", TestDb::sourcePath("db/roles.sql")});
        limited = std::make_unique<Connection>("limited");
        limited->setConnectionString(ConnectionString(TestDb::databaseName(), TestDb::server())
                                         .replace("UID=sys;PWD=wompvlk", "UID=tabel_limited;PWD=limited"));
        limited->open();
        QCOMPARE(limited->scalar("select current_user").toString(), QString("tabel_limited"));
        c = limited.get();
        // The role still writes the journal, and with it the history.
        c->exec("update accounts_dep.smena set kol_vo=kol_vo+1");
        QCOMPARE(historyRows(), 2);
    }
    const QString now = TestDb::scalar("select md5(string_agg(l::text, '|' order by id)) from "
                                       "accounts_dep.change_log l")
                            .toString();
    try {
        c->exec(sql);
        QFAIL("the history was written directly");
    } catch (const DbError &e) {
        QCOMPARE(e.sqlState(), QString("42501"));
    }
    QCOMPARE(TestDb::scalar("select md5(string_agg(l::text, '|' order by id)) from accounts_dep.change_log l")
                 .toString(),
             now);
    if (!limitedRole)
        QCOMPARE(now, before);
}

// The session says who it is at connect, again after a reconnect, and the
// role once chosen at login.
void ChangeHistoryTest::sessionIdentity()
{
    Connection &c = db();
    c.setSessionRole("кладовщик", "storekeeper");
    const auto setting = [&](const char *name) {
        return c.scalar("select current_setting(:n, true)", {{"n", QString::fromLatin1(name)}}).toString();
    };
    QCOMPARE(setting("tabel.role"), QString("кладовщик"));
    c.close();
    c.open();
    QCOMPARE(setting("tabel.role"), QString("кладовщик"));
    QCOMPARE(setting("tabel.os_user"), Connection::osUser());
    QCOMPARE(setting("tabel.host"), Connection::machineName());
    QCOMPARE(setting("application_name"), c.applicationName());
    QVERIFY(c.applicationName().startsWith("Tabel storekeeper "));
    QVERIFY(c.applicationName().size() <= 63);
    c.setSessionRole(QString(), QString());
    QCOMPARE(setting("tabel.role"), QString());
}

QTEST_MAIN(ChangeHistoryTest)
#include "test_change_history.moc"
