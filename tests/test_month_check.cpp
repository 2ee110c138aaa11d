// The month check: the database's list of differences between the timesheet
// and the journal (and the maintenance works), and the window that shows it,
// rebuilds the month and exports the list.
#include "app/Startup.h"
#include "app/Unit23.h"
#include "data/Unit6.h"
#include "export/XlsExport.h"
#include "journal/EntryPrice.h"
#include "journal/JournalOps.h"
#include "journal/Unit1.h"
#include "support/XlsxRead.h"
#include "timesheet_shop.h"
#include "timesheets/MonthCheck.h"
#include "timesheets/MonthRebuild.h"
#include "timesheets/Unit19.h"
#include "timesheets/Unit27.h"
#include "ui/Msg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

using namespace Shop;

class MonthCheckTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void differences_data();
    void differences();
    void windowFromBothTimesheets();
    void rebuildLeavesWhatTheJournalItselfBreaks();
    void exportOfTheList();
    void demoShopScenario();
    void onlyFullRightsSeeTheButton();

private:
    QList<QDialog *> m_shown;
    std::function<void(QDialog *)> m_act;
};

namespace {

const MonthPeriod kMarch(3, 2024);
// Tuesday 5 and Saturday 9 March 2024.
const QDate kTue(2024, 3, 5);
const QDate kSat(2024, 3, 9);

// The check's lines as "fio|date|shift|what|in the timesheet|in the journal".
QStringList checkLines(const MonthPeriod &m = kMarch)
{
    QSqlQuery q = DataModule6->ADO_DB.select(
        "select concat_ws('|', fio, coalesce(to_char(data, 'DD.MM'), ''), coalesce(smena, ''), problem, "
        "coalesce(in_tabel, ''), coalesce(in_journal, '')) from accounts_dep.month_check(:m::integer, "
        ":y::integer)",
        {{"m", m.month}, {"y", m.year}});
    QStringList out;
    while (q.next())
        out << q.value(0).toString();
    return out;
}

// Timesheet rows as the rebuild makes them from what the month holds now.
void rebuild()
{
    MonthRebuild::RebuildMonth(DataModule6->ADO_DB, kMarch);
}

void setPrice(int id, double price)
{
    TestDb::exec("update accounts_dep.smena set cena=:p::double precision where id=:id::integer",
                 {{"p", price}, {"id", id}});
}

void setDayOff(int id, int flag)
{
    TestDb::exec("update accounts_dep.smena set i_holiday=:f::integer where id=:id::integer",
                 {{"f", flag}, {"id", id}});
}

// Each case: what it does to a month that is otherwise in order, and the
// lines the check must give.
const QMap<QString, std::function<void()>> &cases()
{
    static const QMap<QString, std::function<void()>> c{
        {"spoiled cell", [] {
             entry(Ivanov, Assembly, kTue, 1, 8);
             rebuild();
             TestDb::exec("update accounts_dep.h_tabel set d5=7 where w_id=101 and smena=1");
         }},
        {"missing day", [] {
             entry(Ivanov, Assembly, kTue, 1, 8);
             rebuild();
             entry(Ivanov, Assembly, QDate(2024, 3, 6), 1, 6);
         }},
        {"0-hour day missing", [] {
             entry(Ivanov, Assembly, kTue, 1, 8);
             rebuild();
             entry(Ivanov, Assembly, QDate(2024, 3, 6), 1, 0);
         }},
        {"extra row", [] { tabelRow(Petrov, 2, 3, 2024, {{4, 8}}); }},
        {"empty row", [] { tabelRow(Petrov, 2, 3, 2024, {}); }},
        {"hourly cell", [] {
             fatigue(Ivanov, Maintenance, kTue, 4, 150, 1);
             rebuild();
             TestDb::exec("update accounts_dep.h_tabel set d5=5 where w_id=101 and smena=0");
         }},
        {"over 24 hours", [] {
             entry(Ivanov, Assembly, kTue, 1, 14);
             entry(Ivanov, Cutting, kTue, 2, 8, "no", 0, 10, 0, 10);
             fatigue(Ivanov, Maintenance, kTue, 3, 150);
             rebuild();
         }},
        {"24 hours pass", [] {
             entry(Ivanov, Assembly, kTue, 1, 16);
             entry(Ivanov, Cutting, kTue, 2, 8, "no", 0, 10, 0, 10);
             rebuild();
         }},
        {"rejects over quantity", [] {
             entry(Ivanov, Assembly, kTue, 1, 8, "no", 0, 10, 12);
             entry(Ivanov, Painting, kTue, 1, 0, "no", 0, 10, 10, 3); // as many rejects as pieces
             rebuild();
         }},
        {"zero price", [] {
             entry(Ivanov, Assembly, kTue, 1, 8, "no", 0, 10, 0, 0);
             rebuild();
         }},
        {"weekday price off", [] {
             entry(Ivanov, Assembly, kTue, 1, 8, "no", 0, 10, 0, 13);
             rebuild();
         }},
        {"weekday plain and day-off prices", [] {
             entry(Ivanov, Assembly, kTue, 1, 8, "no", 0, 10, 0, 12.5);
             entry(Ivanov, Painting, kTue, 1, 0, "no", 0, 10, 0, 6);          // 3 x 2
             entry(Ivanov, Cutting, kTue, 3, 0, "no", 0, 10, 0, 12);          // 10 x 1.2
             entry(Petrov, Cutting, kTue, 4, 0, "no", 0, 10, 0, 30.005);      // 10 x 2 x 1.5, within 0.01
             rebuild();
         }},
        {"weekend plain price", [] {
             entry(Ivanov, Assembly, kSat, 1, 8, "no", 0, 10, 0, 12.5);
             entry(Ivanov, Cutting, kSat, 1, 0, "no", 0, 10, 0, 20); // the day-off price passes
             rebuild();
         }},
        {"stored day-off flag", [] {
             setDayOff(entry(Ivanov, Assembly, kSat, 1, 8, "no", 0, 10, 0, 12.5), 0); // worked as a weekday
             setDayOff(entry(Ivanov, Cutting, kTue, 1, 0, "no", 0, 10, 0, 10), 1);    // a holiday, plain price
             rebuild();
         }},
        {"nothing wrong", [] {
             entry(Ivanov, Assembly, kTue, 1, 8);
             entry(Petrov, Cutting, kSat, 2, 0, "no", 0, 10, 0, 20);
             fatigue(Petrov, AveragePiece, kTue, 6, 100);
             rebuild();
         }},
    };
    return c;
}

} // namespace

void MonthCheckTest::initTestCase()
{
    TestDb::fresh();
    auto *f1 = new TForm1();
    f1->Timer1->stop();
    CreateRemainingWindows();
}

void MonthCheckTest::init()
{
    TestDb::fresh();
    load();
    Msg::setRecording(true);
    Msg::clearShown();
    m_shown.clear();
    m_act = {};
    Modal::setHandler([this](QDialog *d) {
        m_shown << d;
        if (m_act)
            m_act(d);
        return 0;
    });
}

void MonthCheckTest::cleanup()
{
    Modal::setHandler({});
    XlsExport::setFolder({});
    XlsExport::setOpener({});
}

void MonthCheckTest::differences_data()
{
    QTest::addColumn<QStringList>("lines");
    const QString hours = "Часы в табеле не равны журналу";
    const QString price = "Цена не по нормативу";
    QTest::newRow("spoiled cell") << QStringList{"Иванов И.И.|05.03|1|" + hours + "|7|8"};
    QTest::newRow("missing day") << QStringList{"Иванов И.И.|06.03|1|" + hours + "||6"};
    QTest::newRow("0-hour day missing") << QStringList{"Иванов И.И.|06.03|1|" + hours + "||0"};
    QTest::newRow("extra row") << QStringList{"Петров П.П.|04.03|2|" + hours + "|8|"};
    QTest::newRow("empty row") << QStringList{"Петров П.П.||2|" + hours + "|пустая строка|нет записей"};
    QTest::newRow("hourly cell") << QStringList{"Иванов И.И.|05.03|Хоз. работы, ночь|" + hours + "|5|4"};
    QTest::newRow("over 24 hours") << QStringList{"Иванов И.И.|05.03||Больше 24 ч за день|25|25"};
    QTest::newRow("24 hours pass") << QStringList{};
    QTest::newRow("rejects over quantity")
        << QStringList{"Иванов И.И.|05.03|1|Брак больше количества||брак 12, кол-во 10"};
    QTest::newRow("zero price") << QStringList{"Иванов И.И.|05.03|1|Нулевая цена||цена 0"};
    QTest::newRow("weekday price off")
        << QStringList{"Иванов И.И.|05.03|1|" + price + "||цена 13, по нормативу 12.5"};
    QTest::newRow("weekday plain and day-off prices") << QStringList{};
    QTest::newRow("weekend plain price")
        << QStringList{"Иванов И.И.|09.03|1|" + price + "||цена 12.5, по нормативу 25"};
    QTest::newRow("stored day-off flag")
        << QStringList{"Иванов И.И.|05.03|1|" + price + "||цена 10, по нормативу 20"};
    QTest::newRow("nothing wrong") << QStringList{};
}

void MonthCheckTest::differences()
{
    QFETCH(QStringList, lines);
    cases().value(QTest::currentDataTag())();
    QCOMPARE(checkLines(), lines);
}

// The button in "Табель по сменам" and in the piecework window's modes opens
// the check for the month shown; the grid lists the lines, or says there
// are none.
void MonthCheckTest::windowFromBothTimesheets()
{
    entry(Ivanov, Assembly, kTue, 1, 8);
    tabelRow(Ivanov, 1, 3, 2024, {{5, 7}});
    QStringList seen;
    m_act = [&](QDialog *d) {
        if (d == Form27) {
            Form27->BtnCheck->click();
            return;
        }
        if (d != MonthCheckForm)
            return;
        TMonthCheckForm *f = MonthCheckForm;
        QCOMPARE(f->windowTitle(), QString("Сверка табеля с журналом"));
        QVERIFY(f->Label1->text().startsWith(f->Month().month == 3 ? "Март 2024." : "Апрель 2024."));
        QVERIFY(f->Label1->text().contains("сегодняшними нормативами"));
        QStringList titles;
        for (int c = 0; c < f->DBGrid1->datasetModel()->columnCount(); ++c)
            titles << f->DBGrid1->datasetModel()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        QCOMPARE(titles, QStringList({"Фамилия И.О.", "Дата", "Смена", "Что не так", "В табеле", "В журнале"}));
        QCOMPARE(f->Button1->text(), QString("Перестроить месяц"));
        QCOMPARE(f->Button2->text(), QString("Excel"));
        QCOMPARE(f->Button3->text(), QString("Выход"));
        QStringList row;
        for (int r = 0; r < f->Differences.recordCount(); ++r)
            for (int c = 0; c < 6; ++c)
                row << f->DBGrid1->cellText(r, c);
        seen << row.join('|');
        seen << (f->LabelEmpty->isHidden() ? "list" : "empty");
    };
    Form19->SelectPeriod(3, 2024);
    Form19->ApplyPeriod();
    Form19->BtnCheck->click();
    QCOMPARE(Form19->BtnCheck->text(), QString("Сверка с журналом"));
    Form27->FixedToday = QDate(2024, 3, 20);
    for (const TimesheetMode &m : TForm27::Modes())
        Form27->Open(m.code); // opens on the month of "today"
    const QString line = "Иванов И.И.|05.03.2024|1|Часы в табеле не равны журналу|7|8";
    QStringList expected;
    for (int i = 0; i <= TForm27::Modes().size(); ++i)
        expected << line << "list";
    QCOMPARE(seen, expected);
    QVERIFY(!MonthCheckForm->Differences.isOpen()); // closed with the window

    // A month in order.
    seen.clear();
    Form19->SelectPeriod(4, 2024);
    Form19->ApplyPeriod();
    Form19->BtnCheck->click();
    QCOMPARE(seen, QStringList({"", "empty"}));
    QVERIFY(Msg::shown().isEmpty());
}

// A timesheet cell spoiled by hand, a worker recorded for 26 hours on one day
// and a price set off the rule in the database: three lines. "Перестроить
// месяц" rebuilds both kinds of rows in one go and checks again: what the
// journal itself breaks stays listed, and the timesheet window shows the
// rebuilt month.
void MonthCheckTest::rebuildLeavesWhatTheJournalItselfBreaks()
{
    Connection &c = DataModule6->ADO_DB;
    JournalOps::Entry e;
    e.worker = Petrov;
    e.operation = Assembly;
    e.product = Chair;
    e.date = kTue;
    e.price = 12.5;
    e.quantity = 10;
    e.shift = 1;
    e.hours = 14;
    QCOMPARE(JournalOps::StoreEntry(c, e, true), JournalOps::StoreResult::Stored);
    e.shift = 2;
    e.hours = 12;
    QCOMPARE(JournalOps::StoreEntry(c, e, true), JournalOps::StoreResult::Stored);
    const int off = entry(Ivanov, Cutting, kTue, 1, 8, "no", 0, 10, 0, 10);
    fatigue(Ivanov, Maintenance, QDate(2024, 3, 7), 8, 150);
    rebuild();
    setPrice(off, 11);
    TestDb::exec("update accounts_dep.h_tabel set d7=6 where w_id=101 and smena=0");

    QStringList before, after;
    m_act = [&](QDialog *d) {
        if (d != MonthCheckForm)
            return;
        before = checkLines();
        QCOMPARE(MonthCheckForm->Differences.recordCount(), 3);
        MonthCheckForm->Button1->click();
        QVERIFY(MonthCheckForm->PB->isHidden());
        QCOMPARE(MonthCheckForm->PB->maximum(), 62);
        QCOMPARE(MonthCheckForm->PB->value(), 62);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(MonthCheckForm->Differences.recordCount(), 2);
        after = checkLines();
    };
    Form19->SelectPeriod(3, 2024);
    Form19->ApplyPeriod();
    Form19->BtnCheck->click();
    QCOMPARE(before, QStringList({"Иванов И.И.|05.03|1|Цена не по нормативу||цена 11, по нормативу 10",
                                  "Иванов И.И.|07.03|Хоз. работы|Часы в табеле не равны журналу|6|8",
                                  "Петров П.П.|05.03||Больше 24 ч за день|26|26"}));
    QCOMPARE(after, QStringList({"Иванов И.И.|05.03|1|Цена не по нормативу||цена 11, по нормативу 10",
                                 "Петров П.П.|05.03||Больше 24 ч за день|26|26"}));
    QCOMPARE(hourlyCell(Ivanov, Maintenance, 0, QDate(2024, 3, 7)), QString("8"));
    QCOMPARE(shiftMismatches(kMarch), 0);
    QVERIFY(Msg::shown().isEmpty());
    // The timesheet window shows the month as it is now.
    QVERIFY(TForm19::ShiftDataset(1).isOpen());
    QCOMPARE(TForm19::ShiftDataset(1).recordCount(), 2);
}

void MonthCheckTest::exportOfTheList()
{
    QTemporaryDir dir;
    XlsExport::setFolder(dir.path());
    QStringList opened;
    XlsExport::setOpener([&](const QString &p) {
        opened << p;
        return true;
    });
    entry(Ivanov, Assembly, kTue, 1, 8, "no", 0, 10, 12);
    tabelRow(Ivanov, 1, 3, 2024, {{5, 8}});
    tabelRow(Petrov, 2, 3, 2024, {{4, 3}});
    m_act = [&](QDialog *d) {
        if (d == MonthCheckForm)
            MonthCheckForm->Button2->click();
    };
    MonthCheckForm->OpenFor(kMarch);
    QCOMPARE(opened.size(), 1);
    QCOMPARE(MonthCheckForm->Button2->text(), QString("Excel (2 из 2)"));
    QVERIFY(Msg::shown().isEmpty());
    const XlsxRead::Book b = XlsxRead::read(opened[0]);
    QVERIFY2(b.ok, qPrintable(b.error));
    const XlsxRead::Sheet &s = b.sheets[0];
    QCOMPARE(s.at(1, 1).value.toString(), QString("Сверка табеля с журналом, Март 2024"));
    const QStringList heading{"Фамилия И.О.", "Дата", "Смена", "Что не так", "В табеле", "В журнале"};
    const QList<QStringList> rows{
        {"Иванов И.И.", "05.03.2024", "1", "Брак больше количества", "", "брак 12, кол-во 10"},
        {"Петров П.П.", "04.03.2024", "2", "Часы в табеле не равны журналу", "3", ""}};
    for (int c = 0; c < heading.size(); ++c) {
        QCOMPARE(s.at(2, c + 1).value.toString(), heading[c]);
        for (int r = 0; r < rows.size(); ++r)
            QCOMPARE(s.at(3 + r, c + 1).value.toString(), rows[r][c]);
    }
    QVERIFY(!s.has(5, 1));
}

// On the demo shop, which is in order: a timesheet cell spoiled by hand, a
// worker recorded for 26 hours on one day through the program's own save
// (shift 1 and shift 2) and one entry's price set off the rule in the
// database give exactly three lines; after "Перестроить месяц" only the
// 26-hour day and the price remain.
void MonthCheckTest::demoShopScenario()
{
    TestDb::fresh();
    TestDb::loadScript(TestDb::sourcePath("db/demo.sql"));
    const QDate last = TestDb::scalar("select max(data) from accounts_dep.smena").toDate();
    QVERIFY(last.isValid());
    const MonthPeriod month = MonthPeriod::of(last);
    QCOMPARE(checkLines(month), QStringList());

    // A worker and a weekday of the month with nothing recorded yet.
    QSqlQuery q = DataModule6->ADO_DB.select(
        "select p.id, d::date from accounts_dep.person p cross join generate_series(:d1::date, :d2::date, "
        "interval '1 day') d where extract(isodow from d) < 6 and not exists (select 1 from accounts_dep.smena s "
        "where s.w_id=p.id and s.data=d::date) and not exists (select 1 from accounts_dep.fatigue f where "
        "f.id_p=p.id and f.d_date=d::date) and exists (select 1 from accounts_dep.smena s where s.w_id=p.id) "
        "order by 2, 1 limit 1",
        {{"d1", month.first()}, {"d2", last}});
    QVERIFY(q.next());
    const int worker = q.value(0).toInt();
    const QDate day = q.value(1).toDate();
    q = DataModule6->ADO_DB.select("select o.id, o.i_id, min(n.price) from accounts_dep.oper o join "
                                   "accounts_dep.norm n on n.o_id=o.id where o.id not in (7777, 7778) group by "
                                   "o.id, o.i_id having min(n.price)>0 order by o.id limit 1");
    QVERIFY(q.next());
    JournalOps::Entry e;
    e.worker = worker;
    e.operation = q.value(0).toInt();
    e.product = q.value(1).toInt();
    e.date = day;
    e.quantity = 10;
    for (const auto &[shift, hours] : {std::pair{1, 14}, std::pair{2, 12}}) {
        e.shift = shift;
        e.hours = hours;
        e.price = EntryPrice::ApplyFactors(q.value(2).toDouble(), false, shift);
        QCOMPARE(JournalOps::StoreEntry(DataModule6->ADO_DB, e, true), JournalOps::StoreResult::Stored);
    }
    // Entries of two other workers: one's cell spoiled, the other's price.
    const QString other = "select s.id, s.w_id, s.smena, s.data from accounts_dep.smena s where s.data>=:d1::date "
                          "and s.data<:d2::date and s.w_id not in (:w::integer, :v::integer) and s.smena between 1 "
                          "and 4 and s.cena>0 order by s.id limit 1";
    q = DataModule6->ADO_DB.select(other, {{"d1", month.first()}, {"d2", month.next()}, {"w", worker}, {"v", worker}});
    QVERIFY(q.next());
    const int spoiledWorker = q.value(1).toInt();
    const QDate spoiledDay = q.value(3).toDate();
    TestDb::exec(QString("update accounts_dep.h_tabel set d%1=d%1+1 where w_id=:w::integer and smena=:s::integer "
                         "and month=:m::integer and year=:y::integer")
                     .arg(spoiledDay.day()),
                 {{"w", spoiledWorker}, {"s", q.value(2).toInt()}, {"m", month.month}, {"y", month.year}});
    q = DataModule6->ADO_DB.select(
        other, {{"d1", month.first()}, {"d2", month.next()}, {"w", worker}, {"v", spoiledWorker}});
    QVERIFY(q.next());
    const int offWorker = q.value(1).toInt();
    TestDb::exec("update accounts_dep.smena set cena=round((cena*1.37)::numeric, 2) where id=:id::integer",
                 {{"id", q.value(0).toInt()}});

    const auto problems = [&] {
        QStringList out;
        QSqlQuery c = DataModule6->ADO_DB.select(
            "select w_id, problem from accounts_dep.month_check(:m::integer, :y::integer)",
            {{"m", month.month}, {"y", month.year}});
        while (c.next())
            out << c.value(1).toString() + ":" + c.value(0).toString();
        out.sort();
        return out;
    };
    QStringList before, after;
    m_act = [&](QDialog *d) {
        if (d != MonthCheckForm)
            return;
        before = problems();
        MonthCheckForm->Button1->click();
        after = problems();
    };
    MonthCheckForm->OpenFor(month);
    const QString over = QString("Больше 24 ч за день:%1").arg(worker);
    const QString price = QString("Цена не по нормативу:%1").arg(offWorker);
    QCOMPARE(before, QStringList({over, price, QString("Часы в табеле не равны журналу:%1").arg(spoiledWorker)}));
    QCOMPARE(after, QStringList({over, price}));
    QVERIFY(Msg::shown().isEmpty());
}

// Runs last: a role's limits hold for the rest of the run.
void MonthCheckTest::onlyFullRightsSeeTheButton()
{
    TForm23::ApplyRole(Role::FullRights);
    QVERIFY(!Form19->BtnCheck->isHidden());
    QVERIFY(!Form27->BtnCheck->isHidden());
    TForm23::ApplyRole(Role::Foreman);
    QVERIFY(Form19->BtnCheck->isHidden());
    QVERIFY(Form27->BtnCheck->isHidden());
}

QTEST_MAIN(MonthCheckTest)
#include "test_month_check.moc"
