// Closed months: every write into a closed month, through the program's
// steps, its windows or another program, is refused by the database with
// one message and leaves the data as it was; reopening restores writing.
#include "app/Startup.h"
#include "app/Unit23.h"
#include "data/DbError.h"
#include "data/Unit6.h"
#include "entry_shop.h"
#include "journal/JournalOps.h"
#include "journal/Unit1.h"
#include "journal/Unit11.h"
#include "maintenance/MaintenanceOps.h"
#include "maintenance/Unit24.h"
#include "maintenance/Unit25.h"
#include "support/JournalWindow.h"
#include "support/TestDb.h"
#include "timesheets/ClosedMonth.h"
#include "timesheets/MonthRebuild.h"
#include "timesheets/Unit27.h"
#include "ui/Msg.h"

#include <QComboBox>
#include <QDateEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

using namespace Shop;

namespace {

const QDate kClosed(2024, 3, 5);  // in the closed month
const QDate kOpen(2024, 4, 10);   // in an open month
const MonthPeriod kMarch(3, 2024);
const QString kRefusal = QStringLiteral("Месяц Март 2024 закрыт. Изменения невозможны.");

Connection &db() { return DataModule6->ADO_DB; }

// Everything a write could touch, as one text.
QString snapshot()
{
    QStringList parts;
    for (const char *t : {"smena", "fatigue", "h_tabel"})
        parts << TestDb::scalar(QString("select coalesce(md5(string_agg(t::text, '|' order by t.id)), '') from "
                                        "accounts_dep.%1 t")
                                    .arg(t))
                     .toString();
    return parts.join(',');
}

// psql as the cluster's superuser: another program, not this one.
QPair<int, QString> psql(const QString &sql)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start("psql", {"-h", TestDb::server(), "-p", "5432", "-U", "postgres", "-d", TestDb::databaseName(), "-v",
                     "ON_ERROR_STOP=1", "-q", "-c", sql});
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAll())};
}

JournalOps::Entry journalEntry(const QDate &day, int id = 0)
{
    JournalOps::Entry e;
    e.id = id;
    e.worker = Ivanov;
    e.product = Chair;
    e.operation = Assembly;
    e.shift = 1;
    e.date = day;
    e.price = 12.5;
    e.quantity = 10;
    e.hours = 6;
    return e;
}

MaintenanceOps::Entry maintenanceEntry(const QDate &day, int id = 0)
{
    MaintenanceOps::Entry e;
    e.id = id;
    e.worker = Ivanov;
    e.nomenclature = 500;
    e.kind = MaintenanceOps::Maintenance;
    e.date = day;
    e.hours = 4;
    e.price = 150;
    return e;
}

int maintenanceRow(const QDate &day)
{
    return TestDb::scalar("insert into accounts_dep.fatigue (id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, "
                          "cnt, price, i_holiday, i_night) values (500, 7777, 101, :d::date, :m::integer, "
                          ":y::integer, 1, 3, 150, 0, 0) returning id",
                          {{"d", day.toString("yyyy-MM-dd")}, {"m", day.month()}, {"y", day.year()}})
        .toInt();
}

} // namespace

class ClosedMonthTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void writesRefused_data();
    void writesRefused();
    void closingIsRecordedAndIdempotent();
    void windowsRefuseBeforeTyping_data();
    void windowsRefuseBeforeTyping();
    void editorSaveIntoClosedMonth();
    void generalTimesheetClosesAndReopens();
    void closingOnlyWithFullRightsInGeneralTimesheet();

private:
    int m_closedEntry = 0, m_openEntry = 0, m_closedMaint = 0;
};

void ClosedMonthTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    TestDb::fresh();
    NewJournalWindow();
    CreateRemainingWindows();
}

void ClosedMonthTest::init()
{
    TestDb::fresh();
    load();
    Form1->LoginCode = "61730482";
    TForm23::ApplyRole(Role::FullRights);
    db().setSessionRole("полные права", "full");
    m_closedEntry = entry(Ivanov, Assembly, kClosed, 1, 6);
    m_openEntry = entry(Petrov, Cutting, kOpen, 1, 5);
    m_closedMaint = maintenanceRow(kClosed);
    tabelRow(Ivanov, 1, 3, 2024, {{5, 6}});
    TestDb::exec("insert into accounts_dep.h_tabel (w_id, smena, i_type, i_night, month, year, d5) values "
                 "(101, 0, 7777, 0, 3, 2024, 3)");
    ClosedMonth::Close(db(), kMarch, "тест");
    Msg::clearShown();
    Modal::setHandler([](QDialog *) { return 0; });
}

// Each write path into the closed month: refused with the one message and
// nothing changed; once the month is reopened, the same write goes through.
void ClosedMonthTest::writesRefused_data()
{
    QTest::addColumn<QString>("path");
    for (const char *p : {"add", "change into the month", "change out of the month", "change in the month",
                          "delete", "acceptance", "maintenance entry", "maintenance change",
                          "maintenance delete", "average prices", "rebuild shifts", "rebuild hourly",
                          "raw insert by another program", "raw timesheet row"})
        QTest::newRow(p) << QString::fromLatin1(p);
}

void ClosedMonthTest::writesRefused()
{
    QFETCH(QString, path);
    const auto run = [&] {
        if (path == "add")
            JournalOps::StoreEntry(db(), journalEntry(kClosed.addDays(1)), true);
        else if (path == "change into the month")
            JournalOps::StoreEntry(db(), journalEntry(kClosed.addDays(2), m_openEntry), false);
        else if (path == "change out of the month")
            JournalOps::StoreEntry(db(), journalEntry(kOpen, m_closedEntry), false);
        else if (path == "change in the month") {
            JournalOps::Entry e = journalEntry(kClosed, m_closedEntry);
            e.quantity = 12;
            JournalOps::StoreEntry(db(), e, false);
        } else if (path == "delete")
            QVERIFY(JournalOps::RemoveEntry(db(), m_closedEntry));
        else if (path == "acceptance")
            JournalOps::SetMark(db(), m_closedEntry, "ok");
        else if (path == "maintenance entry")
            MaintenanceOps::StoreEntry(db(), maintenanceEntry(kClosed), true);
        else if (path == "maintenance change")
            MaintenanceOps::StoreEntry(db(), maintenanceEntry(kClosed, m_closedMaint), false);
        else if (path == "maintenance delete")
            QVERIFY(MaintenanceOps::RemoveEntry(db(), m_closedMaint));
        else if (path == "average prices")
            MaintenanceOps::RecomputeAveragePrices(db(), kMarch);
        else if (path == "rebuild shifts")
            MonthRebuild::RebuildShifts(db(), kMarch);
        else if (path == "rebuild hourly")
            MonthRebuild::RebuildHourly(db(), kMarch);
        else if (path == "raw insert by another program") {
            const auto [code, out] = psql("insert into accounts_dep.smena (w_id, i_id, o_id, kol_vo, brak, data, "
                                          "smena, cena, color, time, ok) values (101, 2001, 301, 1, 0, "
                                          "'2024-03-20', 1, 1, 0, 1, 'no')");
            if (code != 0)
                throw DbError(out.contains(kRefusal) ? kRefusal : out, DbError::monthClosedState());
        } else if (path == "raw timesheet row")
            TestDb::exec("update accounts_dep.h_tabel set d6=1 where month=3 and year=2024");
    };
    if (path == "average prices") {
        // A month with an average-piecework entry to recompute.
        ClosedMonth::Reopen(db(), kMarch);
        TestDb::exec("insert into accounts_dep.fatigue (id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, "
                     "price, i_holiday, i_night) values (500, 7778, 101, '2024-03-05', 3, 2024, 1, 2, 0, 0, 0)");
        ClosedMonth::Close(db(), kMarch, "тест");
    }
    const QString before = snapshot();
    try {
        run();
        QFAIL("the write into the closed month went through");
    } catch (const DbError &e) {
        QVERIFY2(e.isMonthClosed(), qPrintable(e.sqlState() + ": " + e.text()));
        QCOMPARE(e.text(), kRefusal);
    }
    QCOMPARE(snapshot(), before);
    QVERIFY(!db().inTransaction());

    ClosedMonth::Reopen(db(), kMarch);
    try {
        run();
    } catch (const DbError &e) {
        QFAIL(qPrintable("refused after reopening: " + e.text()));
    }
    if (path != "rebuild shifts" && path != "rebuild hourly" && path != "average prices")
        QVERIFY(snapshot() != before);
}

void ClosedMonthTest::closingIsRecordedAndIdempotent()
{
    ClosedMonth::Close(db(), kMarch, "тест"); // closed already: nothing new
    QVERIFY(ClosedMonth::IsClosed(db(), kMarch));
    QVERIFY(!ClosedMonth::IsClosed(db(), MonthPeriod(4, 2024)));
    ClosedMonth::Reopen(db(), kMarch);
    QVERIFY(!ClosedMonth::IsClosed(db(), kMarch));
    QSqlQuery q = db().select("select action, row_id, app_role from accounts_dep.change_log where "
                              "table_name='closed_month' order by id");
    QStringList seen;
    while (q.next())
        seen << q.value(0).toString() + " " + q.value(1).toString() + " " + q.value(2).toString();
    QCOMPARE(seen, QStringList({"close 202403 полные права", "reopen 202403 полные права"}));
    // The month's rows read as before.
    Form1->DateT->setDate(kClosed);
    openJournals(kClosed);
    QCOMPARE(DataModule6->journal(1).recordCount(), 1);
}

// The journals' buttons and the editors say so before anything is typed,
// ask nothing and open no editor.
void ClosedMonthTest::windowsRefuseBeforeTyping_data()
{
    QTest::addColumn<QString>("button");
    for (const char *b : {"Добавить", "Изменить", "Удалить", "OK", "Хоз. работы: Добавить",
                          "Хоз. работы: Изменить", "Хоз. работы: Удалить", "Хоз. работы: Расчитать ср.сд.",
                          "Перестроить"})
        QTest::newRow(b) << QString::fromUtf8(b);
}

void ClosedMonthTest::windowsRefuseBeforeTyping()
{
    QFETCH(QString, button);
    int shownWindows = 0;
    Modal::setHandler([&](QDialog *) {
        ++shownWindows;
        return 0;
    });
    Form1->ShiftNumber = 1;
    Form1->DateT->setDate(kClosed);
    openJournals(kClosed);
    Form25->SetDate(kClosed);
    Form25->Reread(false);
    Form27->Mode = 17;
    Form27->SelectPeriod(3, 2024);
    const QString before = snapshot();
    if (button == "Добавить")
        Form1->Button1->click();
    else if (button == "Изменить")
        Form1->Button2->click();
    else if (button == "Удалить")
        Form1->Button3->click();
    else if (button == "OK")
        Form1->DBGrid2DblClick();
    else if (button == "Хоз. работы: Добавить")
        Form25->Button5->click();
    else if (button == "Хоз. работы: Изменить")
        Form25->Button6->click();
    else if (button == "Хоз. работы: Удалить")
        Form25->Button7->click();
    else if (button == "Хоз. работы: Расчитать ср.сд.")
        Form25->Button1->click();
    else if (button == "Перестроить")
        Form27->Button3Click();
    QCOMPARE(shownWindows, 0);
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(Msg::shown().first().text, kRefusal);
    QCOMPARE(Msg::shown().first().icon, Msg::Icon::Error);
    QCOMPARE(snapshot(), before);
    Msg::clearShown();
    // The open month's entries still save.
    Form1->DateT->setDate(kOpen);
    openJournals(kOpen);
    Form1->Button1->click();
    QCOMPARE(shownWindows, 1);
    QVERIFY(Msg::shown().isEmpty());
}

// A change moved by the editor into the closed month: one message, the editor
// stays open, nothing written.
void ClosedMonthTest::editorSaveIntoClosedMonth()
{
    Form1->ShiftNumber = 1;
    Form1->DateT->setDate(kOpen);
    openJournals(kOpen);
    bool stayedOpen = false;
    QString before;
    Modal::setHandler([&](QDialog *d) {
        if (d != Form11)
            return 0;
        d->setResult(0);
        Form11->DTimeP->setDate(kClosed);
        before = snapshot();
        Form11->Button1->click();
        stayedOpen = d->result() == 0;
        return d->result();
    });
    Form1->Button2->click();
    QVERIFY(stayedOpen);
    QCOMPARE(snapshot(), before);
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(Msg::shown().first().text, kRefusal);
}

void ClosedMonthTest::generalTimesheetClosesAndReopens()
{
    ClosedMonth::Reopen(db(), kMarch);
    Form27->FixedToday = QDate(2024, 3, 20);
    QStringList seen; // caption, state and rows after each step
    const auto note = [&] {
        seen << QString("%1 %2 %3")
                    .arg(Form27->Button9->isVisibleTo(Form27) ? Form27->Button9->text() : QString("hidden"))
                    .arg(ClosedMonth::IsClosed(db(), kMarch) ? "closed" : "open")
                    .arg(Form27->H_Tabel_all.recordCount());
    };
    Modal::setHandler([&](QDialog *d) {
        if (d != Form27)
            return 0;
        note();
        Msg::answer(false); // "Нет": nothing happens
        Form27->Button9->click();
        note();
        Msg::answer(true);
        Form27->Button9->click();
        note(); // the closed month reads as before
        Msg::answer(true);
        Form27->Button9->click();
        note();
        return 0;
    });
    Form27->Open(17);
    QCOMPARE(seen, QStringList({"Закрыть месяц open 1", "Закрыть месяц open 1", "Открыть месяц closed 1",
                                "Закрыть месяц open 1"}));
    QStringList questions;
    for (const Msg::Shown &s : Msg::shown())
        questions << s.text;
    QCOMPARE(questions, QStringList({"Закрыть Март 2024? Записи за этот месяц нельзя будет изменить.",
                                     "Закрыть Март 2024? Записи за этот месяц нельзя будет изменить.",
                                     "Открыть Март 2024? Записи за этот месяц снова можно будет изменить."}));
}

void ClosedMonthTest::closingOnlyWithFullRightsInGeneralTimesheet()
{
    Form27->FixedToday = QDate(2024, 3, 20);
    struct Case {
        QString login;
        int mode;
        bool shown;
    };
    const Case cases[] = {{"61730482", 17, true}, {"0583", 17, true}, {"61730482", 9, false},
                          {"61730482", 14, false}, {"tumpo", 17, false}};
    for (const Case &c : cases) {
        Form1->LoginCode = c.login;
        TForm23::ApplyRole(RoleOfCode(c.login));
        bool shown = !c.shown;
        Modal::setHandler([&](QDialog *d) {
            if (d == Form27)
                shown = Form27->Button9->isVisibleTo(Form27);
            return 0;
        });
        Form27->Open(c.mode);
        QVERIFY2(shown == c.shown, qPrintable(c.login + " " + QString::number(c.mode)));
    }
    // A click without the rights does nothing.
    Form1->LoginCode = "tumpo";
    TForm23::ApplyRole(RoleOfCode("tumpo"));
    Form27->Mode = 17;
    Form27->Button9Click();
    QVERIFY(ClosedMonth::IsClosed(db(), kMarch));
    QVERIFY(Msg::shown().isEmpty());
}

QTEST_MAIN(ClosedMonthTest)
#include "test_closed_month.moc"
