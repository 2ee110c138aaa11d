// The timesheet by shifts and the piecework timesheet window in its modes,
// driven through their controls against the real database: what they show,
// their rebuilds, their exports read back with an independent reader.
#include "app/Startup.h"
#include "data/DbError.h"
#include "data/Unit6.h"
#include "export/XlsExport.h"
#include "journal/Unit1.h"
#include "reports/Unit15.h"
#include "support/XlsxRead.h"
#include "timesheet_shop.h"
#include "timesheets/DayColumns.h"
#include "timesheets/Unit19.h"
#include "timesheets/Unit27.h"
#include "ui/Msg.h"
#include "ui/Text.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

using namespace Shop;

class TimesheetWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    // timesheet by shifts
    void shiftsOpenFromTheJournalMenu();
    void shiftsYearList();
    void shiftsDayColumns_data();
    void shiftsDayColumns();
    void shiftsCellLooks_data();
    void shiftsCellLooks();
    void shiftsRebuildButton();
    void shiftsRebuildFailureKeepsTheMonth();
    void shiftsExport();
    void shiftsPrint();
    // piecework window
    void modes_data();
    void modes();
    void piecePayPerHour();
    void generalAddsMaintenance();
    void footerTotals();
    void nameColumnFromItsBaseWidth();
    void exportGeneralAndMaintenance();
    void hourlyRebuildInAYearWithoutRows();

private:
    QList<QDialog *> m_shown;
    std::function<void(QDialog *)> m_act;
};

namespace {

const QDate kDay(2024, 3, 5);

int col(DBGrid *g, const QString &field)
{
    return g->columnOf(field);
}

QString text(Dataset &ds, int row, const QString &field)
{
    return Dataset::textOf(ds.valueAt(row, field)).trimmed();
}

// The piecework shop: Ivanov 10 journal hours paid 1234.50 in March 2024 and
// 8 + 4 maintenance hours (day and night); Petrov has a shift row in March
// but no journal entries, and 6 hours of average piecework.
void pieceShop()
{
    entry(Ivanov, Assembly, QDate(2024, 3, 4), 1, 6, "ok", 0, 50, 0, 20);    // 1000.00
    entry(Ivanov, Cutting, QDate(2024, 3, 5), 2, 4, "ok", 0, 10, 0, 23.45); // 234.50
    entry(Ivanov, Assembly, QDate(2024, 4, 1), 1, 8, "ok", 0, 10, 0, 100);  // April
    tabelRow(Ivanov, 1, 3, 2024, {{4, 6}});
    tabelRow(Ivanov, 2, 3, 2024, {{5, 4}});
    tabelRow(Petrov, 1, 3, 2024, {{7, 8}});
    fatigue(Ivanov, Maintenance, QDate(2024, 3, 6), 8, 150);
    fatigue(Ivanov, Maintenance, QDate(2024, 3, 6), 4, 180, 1);
    fatigue(Petrov, AveragePiece, QDate(2024, 3, 9), 6, 100.25);
    hourlyRow(Ivanov, Maintenance, 0, 3, 2024, {{6, 8}});
    hourlyRow(Ivanov, Maintenance, 1, 3, 2024, {{6, 4}});
    hourlyRow(Petrov, AveragePiece, 0, 3, 2024, {{9, 6}});
}

} // namespace

void TimesheetWindowsTest::initTestCase()
{
    TestDb::fresh();
    auto *f1 = new TForm1();
    f1->Timer1->stop();
    CreateRemainingWindows();
}

void TimesheetWindowsTest::init()
{
    TestDb::fresh();
    load();
    m_shown.clear();
    m_act = {};
    Modal::setHandler([this](QDialog *d) {
        m_shown << d;
        if (m_act)
            m_act(d);
        return 0;
    });
    Form27->FixedToday = QDate(2024, 3, 20);
}

void TimesheetWindowsTest::cleanup()
{
    Modal::setHandler({});
    XlsExport::setFolder({});
    XlsExport::setOpener({});
    for (int t = 1; t <= 3; ++t)
        TForm19::ShiftDataset(t).close();
}

void TimesheetWindowsTest::shiftsOpenFromTheJournalMenu()
{
    entry(Ivanov, Assembly, QDate(2021, 3, 2), 1, 8);
    entry(Petrov, Assembly, QDate(2021, 3, 3), 2, 7);
    tabelRow(Ivanov, 1, 3, 2021, {{2, 8}});
    tabelRow(Petrov, 2, 3, 2021, {{3, 7}});
    tabelRow(Petrov, 1, 4, 2021, {{1, 5}}); // April: not shown
    Form1->DateT->setDate(QDate(2021, 3, 15));
    QStringList seen;
    m_act = [&](QDialog *d) {
        QCOMPARE(d, static_cast<QDialog *>(Form19));
        QCOMPARE(Form19->ComboBox1->currentText(), QString("Март"));
        QCOMPARE(Form19->ComboBox2->currentText(), QString("2021"));
        for (int t = 1; t <= 3; ++t) {
            Dataset &ds = TForm19::ShiftDataset(t);
            QVERIFY(ds.isOpen());
            for (int r = 0; r < ds.recordCount(); ++r)
                seen << QString("%1:%2:%3").arg(t).arg(text(ds, r, "fio"), text(ds, r, "summ"));
        }
        QCOMPARE(Form19->DBGrid1->cellText(0, col(Form19->DBGrid1, "d2")), QString("8"));
    };
    Form1->N_TabelShifts->trigger();
    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(seen, (QStringList{"1:Иванов И.И.:8", "2:Петров П.П.:7"}));
    for (int t = 1; t <= 3; ++t)
        QVERIFY(!TForm19::ShiftDataset(t).isOpen());
    QCOMPARE(Form19->windowTitle(), QString("Табель по времени"));

    // Choosing another month in the list shows it at once.
    Form19->SelectPeriod(3, 2021);
    Form19->ApplyPeriod();
    Form19->ComboBox1->setCurrentIndex(3);
    QCOMPARE(TForm19::ShiftDataset(1).recordCount(), 0); // Petrov has no April entries
    QCOMPARE(TForm19::ShiftDataset(1).param("date1").toDate(), QDate(2021, 4, 1));
    Form19->ComboBox1->setCurrentIndex(11);
    QCOMPARE(TForm19::ShiftDataset(2).param("date2").toDate(), QDate(2022, 1, 1));
}

void TimesheetWindowsTest::shiftsYearList()
{
    QComboBox *years = Form19->ComboBox2;
    QCOMPARE(years->itemText(0), QString("2007"));
    QCOMPARE(years->itemText(years->count() - 1), QString::number(QDate::currentDate().year() + 1));
    // The current year is always there; a journal date outside the list
    // joins it in order and is selected.
    Form19->SelectPeriod(QDate::currentDate().month(), QDate::currentDate().year());
    QCOMPARE(Form19->SelectedYear(), QDate::currentDate().year());
    Form19->SelectPeriod(6, 2005);
    QCOMPARE(years->currentText(), QString("2005"));
    QCOMPARE(years->itemText(0), QString("2005"));
    QCOMPARE(years->itemText(1), QString("2007"));
    QCOMPARE(Form19->SelectedMonth(), 6);
}

void TimesheetWindowsTest::shiftsDayColumns_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<QList<int>>("red");
    QTest::addColumn<QList<int>>("silver");
    QTest::newRow("February of a leap year") << 2 << 2024 << QList<int>{3, 4, 10, 11, 17, 18, 24, 25}
                                             << QList<int>{30, 31};
    QTest::newRow("February of a common year") << 2 << 2023 << QList<int>{4, 5, 11, 12, 18, 19, 25, 26}
                                               << QList<int>{29, 30, 31};
    QTest::newRow("a 30-day month") << 9 << 2024 << QList<int>{1, 7, 8, 14, 15, 21, 22, 28, 29} << QList<int>{31};
    QTest::newRow("a 31-day month") << 3 << 2021 << QList<int>{6, 7, 13, 14, 20, 21, 27, 28} << QList<int>{};
}

void TimesheetWindowsTest::shiftsDayColumns()
{
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(QList<int>, red);
    QFETCH(QList<int>, silver);
    Form19->SelectPeriod(month, year);
    Form19->ApplyPeriod();
    for (DBGrid *g : {Form19->DBGrid1, Form19->DBGrid2, Form19->DBGrid3}) {
        QList<int> reds, silvers;
        for (int d = 1; d <= 31; ++d) {
            const int c = col(g, QString("d%1").arg(d));
            QVERIFY(!g->isColumnHidden(c));
            const QVariant fg = g->model()->headerData(c, Qt::Horizontal, Qt::ForegroundRole);
            if (!fg.isValid())
                continue;
            const QColor color = fg.value<QColor>();
            if (color == DayColumns::kRed)
                reds << d;
            else if (color == DayColumns::kSilver)
                silvers << d;
        }
        QCOMPARE(reds, red);
        QCOMPARE(silvers, silver);
    }
}

void TimesheetWindowsTest::shiftsCellLooks_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("look"); // foreground/background/bold, "-" for none
    // March 2021: the 1st is a Monday, the 6th a Saturday; no 32nd: September
    // is used for the day past the end.
    QTest::newRow("0 on a weekday is silver") << "d1" << QVariant(0) << "#c0c0c0/-/-";
    QTest::newRow("0 on a weekend stays red") << "d6" << QVariant(0) << "#ff0000/-/-";
    QTest::newRow("8 is bold") << "d1" << QVariant(8) << "-/-/bold";
    QTest::newRow("8 on a weekend is bold and red") << "d7" << QVariant(8) << "#ff0000/-/bold";
    QTest::newRow("9 is bold on money green") << "d2" << QVariant(9) << "-/#c0dcc0/bold";
    QTest::newRow("12 on a weekend") << "d6" << QVariant(12) << "#ff0000/#c0dcc0/bold";
    QTest::newRow("5 is unchanged") << "d3" << QVariant(5) << "-/-/-";
    QTest::newRow("empty weekday") << "d3" << QVariant() << "-/-/-";
    QTest::newRow("total bold on light blue") << "summ" << QVariant(40) << "-/#e1e4ff/bold";
    QTest::newRow("the name is plain") << "fio" << QVariant("Иванов") << "-/-/-";
}

void TimesheetWindowsTest::shiftsCellLooks()
{
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(QString, look);
    GridColumn c;
    c.field = field;
    const CellLook l = TForm19::DayCellLook(value, c, MonthPeriod(3, 2021));
    const QString got = QString("%1/%2/%3")
                            .arg(l.foreground ? l.foreground->name() : "-", l.background ? l.background->name() : "-",
                                 l.bold && *l.bold ? "bold" : "-");
    QCOMPARE(got, look);

    // Past the month's end (31 September) values take the background colour.
    GridColumn past;
    past.field = "d31";
    const CellLook p = TForm19::DayCellLook(QVariant(0), past, MonthPeriod(9, 2024));
    QVERIFY(p.foreground);
    QCOMPARE(*p.foreground, QApplication::palette().color(QPalette::Base));
}

void TimesheetWindowsTest::shiftsRebuildButton()
{
    entry(Ivanov, Assembly, kDay, 1, 5);
    entry(Ivanov, Painting, kDay, 1, 4);
    entry(Petrov, Cutting, kDay, 4, 3);
    tabelRow(Petrov, 2, 3, 2024, {{1, 8}}); // stale
    hourlyRow(Petrov, Maintenance, 0, 3, 2024, {{1, 8}});
    Form19->SelectPeriod(3, 2024);
    Form19->ApplyPeriod();
    // The stale shift-2 row is listed while Petrov has entries in March.
    QCOMPARE(TForm19::ShiftDataset(2).recordCount(), 1);
    Form19->Button1Click();
    QVERIFY(Form19->PB->isHidden());
    QCOMPARE(Form19->PB->maximum(), 31);
    QCOMPARE(Form19->PB->value(), 31);
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(cell(Ivanov, 1, kDay), QString("9"));
    QCOMPARE(cell(Petrov, 4, kDay), QString("3"));
    QCOMPARE(tabelRows(Petrov, 2, kDay), 0);
    QCOMPARE(hourlyCell(Petrov, Maintenance, 0, QDate(2024, 3, 1)), QString("8"));
    // The grids show the rebuilt month.
    Dataset &s1 = TForm19::ShiftDataset(1);
    QVERIFY(s1.isOpen());
    QCOMPARE(s1.recordCount(), 1);
    QCOMPARE(Form19->DBGrid1->cellText(0, col(Form19->DBGrid1, "d5")), QString("9"));
    QCOMPARE(Form19->DBGrid1->cellText(0, col(Form19->DBGrid1, "summ")), QString("9"));
    QCOMPARE(shiftMismatches(MonthPeriod(3, 2024)), 0);
}

void TimesheetWindowsTest::shiftsRebuildFailureKeepsTheMonth()
{
    entry(Ivanov, Assembly, kDay, 1, 5);
    tabelRow(Ivanov, 1, 3, 2024, {{5, 2}});
    QTemporaryFile f;
    QVERIFY(f.open());
    f.write("create function public.no_rows() returns trigger language plpgsql as "
            "$$ begin raise exception 'injected failure'; end $$;\n"
            "create trigger no_rows before insert on accounts_dep.h_tabel "
            "for each row execute function public.no_rows();\n");
    f.flush();
    TestDb::loadScript(f.fileName());
    Form19->SelectPeriod(3, 2024);
    Form19->ApplyPeriod();
    const QStringList before = tabelDump();
    QVERIFY_THROWS_EXCEPTION(DbError, Form19->Button1Click());
    QCOMPARE(tabelDump(), before);
    QVERIFY(Form19->PB->isHidden());
    QVERIFY(TForm19::ShiftDataset(1).isOpen());
    QCOMPARE(Form19->DBGrid1->cellText(0, col(Form19->DBGrid1, "d5")), QString("2"));
}

void TimesheetWindowsTest::shiftsExport()
{
    QTemporaryDir dir;
    XlsExport::setFolder(dir.path());
    QStringList opened;
    XlsExport::setOpener([&](const QString &p) {
        opened << p;
        return true;
    });
    // Two rows of Ivanov (shifts 1 and 2) and an hourly-work row add up by
    // name; Petrov has one day. A 30-day month still writes 33 columns.
    tabelRow(Ivanov, 1, 9, 2024, {{2, 8}, {3, 9}});
    tabelRow(Ivanov, 2, 9, 2024, {{3, 2}});
    hourlyRow(Ivanov, Maintenance, 0, 9, 2024, {{4, 5}});
    tabelRow(Petrov, 1, 9, 2024, {{30, 7}});
    tabelRow(Petrov, 1, 10, 2024, {{1, 7}});
    Form19->SelectPeriod(9, 2024);
    Form19->ApplyPeriod();
    Form19->Button2Click();
    QVERIFY(Msg::shown().isEmpty());
    QCOMPARE(opened.size(), 1);
    QCOMPARE(Form19->Button2->text(), QString("Excel (2 из 2)"));
    QVERIFY(!Form15->H_Tabel.isOpen());
    QVERIFY(!QApplication::overrideCursor());
    Form19->FormActivate();
    QCOMPARE(Form19->Button2->text(), QString("Excel"));

    const XlsxRead::Book b = XlsxRead::read(opened[0]);
    QVERIFY2(b.ok, qPrintable(b.error));
    const XlsxRead::Sheet &s = b.sheets[0];
    QCOMPARE(s.at(1, 1).value.toString(), QString("Сентябрь 2024"));
    QVERIFY(s.at(1, 1).bold);
    QCOMPARE(s.at(2, 1).value.toString(), QString("Фамилия И.О."));
    for (int d = 1; d <= 31; ++d) {
        QVERIFY(s.at(2, d + 1).number);
        QCOMPARE(s.at(2, d + 1).value.toDouble(), double(d));
        QVERIFY(s.at(2, d + 1).bold);
    }
    QCOMPARE(s.at(2, 33).value.toString(), QString("Итого"));
    QVERIFY(!s.has(2, 34));
    struct Row {
        QString fio;
        QHash<int, int> days;
        int total;
    };
    const QList<Row> rows{{"Иванов И.И.", {{2, 8}, {3, 11}, {4, 5}}, 24}, {"Петров П.П.", {{30, 7}}, 7}};
    for (int i = 0; i < rows.size(); ++i) {
        const int r = i + 3;
        QCOMPARE(s.at(r, 1).value.toString(), rows[i].fio);
        QVERIFY(!s.at(r, 1).bold);
        for (int d = 1; d <= 31; ++d) {
            QVERIFY2(s.at(r, d + 1).number, qPrintable(QString("row %1 day %2").arg(r).arg(d)));
            QCOMPARE(s.at(r, d + 1).value.toDouble(), double(rows[i].days.value(d, 0)));
        }
        QCOMPARE(s.at(r, 33).value.toDouble(), double(rows[i].total));
        QVERIFY(!s.has(r, 34));
    }
    QVERIFY(!s.has(5, 1));
}

void TimesheetWindowsTest::shiftsPrint()
{
    Form19->SelectPeriod(3, 2021);
    Form19->ApplyPeriod();
    Form19->Button6Click();
    QVERIFY(Msg::shown().isEmpty());
    QVERIFY(!Form15->H_Tabel.isOpen());
}

void TimesheetWindowsTest::modes_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("dataset");
    QTest::addColumn<int>("nameWidth");
    QTest::addColumn<bool>("dayNight");
    QTest::addColumn<bool>("hourPrice");
    QTest::addColumn<QString>("menu");
    QTest::newRow("9") << 9 << "Табель сделка (27)" << "H_Tabel0" << 238 << false << true << "Табель сделка";
    QTest::newRow("14") << 14 << "Табель хоз. работы (27)" << "H_Tabel7777" << 208 << true << true
                        << "Табель хоз. работ";
    QTest::newRow("15") << 15 << "Табель ср. сдельная (27)" << "H_Tabel7778" << 208 << true << true
                        << "Табель ср. сдельная";
    QTest::newRow("17") << 17 << "Общий табель (27)" << "H_Tabel_all" << 304 << false << false << "Общий табель";
}

// Each menu command opens the window in its mode; June (30 days) hides one
// day column and widens the name column by its width.
void TimesheetWindowsTest::modes()
{
    QFETCH(int, mode);
    QFETCH(QString, caption);
    QFETCH(QString, dataset);
    QFETCH(int, nameWidth);
    QFETCH(bool, dayNight);
    QFETCH(bool, hourPrice);
    QFETCH(QString, menu);
    pieceShop();
    Form27->FixedToday = QDate(2024, 6, 10);
    tabelRow(Ivanov, 1, 6, 2024, {{3, 8}});
    hourlyRow(Ivanov, Maintenance, 1, 6, 2024, {{3, 8}});
    hourlyRow(Ivanov, AveragePiece, 0, 6, 2024, {{3, 8}});
    QAction *item = nullptr;
    for (QAction *a : Form1->N_Tabel->actions())
        if (a->text() == menu)
            item = a;
    QVERIFY(item);
    bool checked = false;
    m_act = [&](QDialog *d) {
        QCOMPARE(d, static_cast<QDialog *>(Form27));
        QCOMPARE(Form27->Mode, mode);
        QCOMPARE(Form27->windowTitle(), caption);
        QCOMPARE(Form27->Current->name(), dataset);
        QCOMPARE(Form27->DBGrid->dataset(), Form27->Current);
        QCOMPARE(Form27->ComboBox1->currentText(), QString("Июнь"));
        QCOMPARE(Form27->cb_year->currentText(), QString("2024"));
        ::DBGrid *g = Form27->DBGrid;
        QCOMPARE(g->columnWidth(col(g, "fio")), nameWidth + 20);
        QCOMPARE(!g->isColumnHidden(col(g, "s_night")), dayNight);
        QCOMPARE(!g->isColumnHidden(col(g, "average_price")), hourPrice);
        QVERIFY(g->isColumnHidden(col(g, "d31")));
        QVERIFY(!g->isColumnHidden(col(g, "d30")));
        QCOMPARE(Form27->Current->recordCount(), 1); // Ivanov, June
        QCOMPARE(text(*Form27->Current, 0, "fio"), QString("Иванов И.И."));
        checked = true;
    };
    item->trigger();
    QVERIFY(checked);
    QVERIFY(!Form27->Current->isOpen());
    QVERIFY(!Form27->q_year.isOpen());
    QCOMPARE(Form27->DBGrid->columnWidth(col(Form27->DBGrid, "fio")), 208);
}

void TimesheetWindowsTest::piecePayPerHour()
{
    pieceShop();
    m_act = [&](QDialog *) {
        Dataset &ds = Form27->H_Tabel0;
        QCOMPARE(ds.recordCount(), 2);
        QCOMPARE(text(ds, 0, "fio"), QString("Иванов И.И."));
        QCOMPARE(text(ds, 0, "i_time"), QString("10"));
        QCOMPARE(text(ds, 0, "f_price"), QString("1234.50"));
        QCOMPARE(text(ds, 0, "average_price"), QString("123.45"));
        QCOMPARE(text(ds, 0, "d4"), QString("6"));
        QCOMPARE(text(ds, 0, "d5"), QString("4"));
        QCOMPARE(text(ds, 0, "d6"), QString("0")); // maintenance hours are not piecework
        // Petrov: shift rows but no journal entries in March.
        QCOMPARE(text(ds, 1, "fio"), QString("Петров П.П."));
        QVERIFY(ds.valueAt(1, "i_time").isNull());
        QVERIFY(ds.valueAt(1, "f_price").isNull());
        QCOMPARE(text(ds, 1, "average_price"), QString("0"));
        QCOMPARE(text(ds, 1, "d7"), QString("8"));
        QCOMPARE(Form27->DBGrid->cellText(1, col(Form27->DBGrid, "f_price")), QString());
    };
    Form27->Open(9);
    QCOMPARE(m_shown.size(), 1);
}

void TimesheetWindowsTest::generalAddsMaintenance()
{
    pieceShop();
    m_act = [&](QDialog *) {
        Dataset &ds = Form27->H_Tabel_all;
        QCOMPARE(ds.recordCount(), 2);
        // Ivanov: 10 journal hours + 12 maintenance; 1234.50 + 8*150 + 4*180.
        QCOMPARE(text(ds, 0, "i_time"), QString("22"));
        QCOMPARE(text(ds, 0, "f_price").toDouble(), 3154.50);
        QCOMPARE(text(ds, 0, "d6"), QString("12")); // day and night rows add up
        QCOMPARE(text(ds, 0, "d4"), QString("6"));
        // Petrov: no journal, 6 hours at 100.25.
        QCOMPARE(text(ds, 1, "i_time"), QString("6"));
        QCOMPARE(text(ds, 1, "f_price").toDouble(), 601.50);
        QCOMPARE(text(ds, 1, "d9"), QString("6"));
        QCOMPARE(text(ds, 1, "d7"), QString("8"));
        QCOMPARE(ds.fieldIndex("average_price"), -1);
    };
    Form27->Open(17);
    QCOMPARE(m_shown.size(), 1);
}

void TimesheetWindowsTest::footerTotals()
{
    pieceShop();
    QStringList totals;
    m_act = [&](QDialog *) {
        totals << Form27->L_price8->text() << Form27->L_price7->text() << Form27->L_price->text()
               << Form27->L_all_price->text();
        // A month with journal pay and no maintenance works: the grand total
        // is the journal's pay.
        Form27->ComboBox1->setCurrentIndex(3);
        totals << Form27->L_price8->text() << Form27->L_price7->text() << Form27->L_price->text()
               << Form27->L_all_price->text();
        // Nothing at all.
        Form27->ComboBox1->setCurrentIndex(4);
        totals << Form27->L_all_price->text();
    };
    Form27->Open(9);
    const QString dp = Text::DecimalPoint();
    QCOMPARE(totals, (QStringList{"601" + dp + "50", "1920" + dp + "00", "1234" + dp + "50", "3756" + dp + "00",
                                  "", "", "1000" + dp + "00", "1000" + dp + "00", "0" + dp + "00"}));
}

void TimesheetWindowsTest::nameColumnFromItsBaseWidth()
{
    pieceShop();
    QList<int> widths;
    m_act = [&](QDialog *) {
        ::DBGrid *g = Form27->DBGrid;
        for (int m : {2, 3, 2, 4, 2}) { // Feb 2024: 2 hidden, March: 0, April: 1
            Form27->ComboBox1->setCurrentIndex(m - 1);
            widths << g->columnWidth(col(g, "fio"));
        }
    };
    Form27->Open(17);
    QCOMPARE(widths, (QList<int>{344, 304, 344, 324, 344}));
}

void TimesheetWindowsTest::exportGeneralAndMaintenance()
{
    pieceShop();
    QTemporaryDir dir;
    XlsExport::setFolder(dir.path());
    QStringList opened;
    XlsExport::setOpener([&](const QString &p) {
        opened << p;
        return true;
    });
    m_act = [&](QDialog *) {
        Form27->DBGrid->dataset()->setRecNo(2);
        Form27->Button2Click();
        QCOMPARE(Form27->Button2->text(), QString("Excel (%1 из %1)").arg(Form27->Current->recordCount()));
        QCOMPARE(Form27->Current->recNo(), 2);
    };
    Form27->Open(17);
    Form27->Open(14);
    QVERIFY(Msg::shown().isEmpty());
    QCOMPARE(Form27->Button2->text(), QString("Excel"));
    QCOMPARE(opened.size(), 2);

    // Mode 17: 35 columns, column 2 empty.
    const XlsxRead::Book g = XlsxRead::read(opened[0]);
    QVERIFY2(g.ok, qPrintable(g.error));
    const XlsxRead::Sheet &s = g.sheets[0];
    QCOMPARE(s.at(1, 1).value.toString(), QString("Март 2024"));
    QCOMPARE(s.at(2, 1).value.toString(), QString("Фамилия И.О."));
    QVERIFY(!s.has(2, 2));
    for (int d = 1; d <= 31; ++d)
        QCOMPARE(s.at(2, d + 2).value.toDouble(), double(d));
    QCOMPARE(s.at(2, 34).value.toString(), QString("Итого (ч.)"));
    QCOMPARE(s.at(2, 35).value.toString(), QString("Итого (р.)"));
    int maxCol = 0;
    for (auto it = s.cells.begin(); it != s.cells.end(); ++it) {
        maxCol = qMax(maxCol, it.key().second);
        QVERIFY2(it.key().second != 2, qPrintable(QString("row %1 column 2").arg(it.key().first)));
    }
    QCOMPARE(maxCol, 35);
    QCOMPARE(s.at(3, 1).value.toString(), QString("Иванов И.И."));
    QCOMPARE(s.at(3, 2 + 6).value.toDouble(), 12.0);
    QCOMPARE(s.at(3, 2 + 1).value.toDouble(), 0.0);
    QVERIFY(s.at(3, 34).number);
    QCOMPARE(s.at(3, 34).value.toDouble(), 22.0);
    QCOMPARE(s.at(3, 35).value.toDouble(), 3154.5);
    QCOMPARE(s.at(4, 35).value.toDouble(), 601.5);

    // Mode 14: Ivanov's day and night lines, "дн." / "ноч." in column 2, the
    // pay per hour in column 36.
    const XlsxRead::Book m = XlsxRead::read(opened[1]);
    QVERIFY2(m.ok, qPrintable(m.error));
    const XlsxRead::Sheet &t = m.sheets[0];
    QCOMPARE(t.at(2, 36).value.toString(), QString("Час (р.)"));
    QCOMPARE(t.at(3, 1).value.toString(), QString("Иванов И.И."));
    QCOMPARE(t.at(4, 1).value.toString(), QString("Иванов И.И."));
    QStringList nights{t.at(3, 2).value.toString(), t.at(4, 2).value.toString()};
    nights.sort();
    QCOMPARE(nights, (QStringList{"дн.", "ноч."}));
    const int day = t.at(3, 2).value.toString() == "дн." ? 3 : 4;
    QCOMPARE(t.at(day, 34).value.toDouble(), 8.0);
    QCOMPARE(t.at(day, 35).value.toDouble(), 1200.0);
    QCOMPARE(t.at(day, 36).value.toDouble(), 150.0);
    QCOMPARE(t.at(7 - day, 36).value.toDouble(), 180.0);
    QVERIFY(!t.has(5, 1));
}

// The year box lists only years with timesheet rows; the rebuild of a year
// without any rows uses the selected year all the same.
void TimesheetWindowsTest::hourlyRebuildInAYearWithoutRows()
{
    Form27->FixedToday = QDate(2030, 3, 20);
    tabelRow(Ivanov, 1, 3, 2024, {{5, 8}});
    fatigue(Petrov, AveragePiece, QDate(2030, 3, 3), 6, 100);
    fatigue(Petrov, AveragePiece, QDate(2030, 3, 10), 2, 100);
    fatigue(Petrov, AveragePiece, QDate(2030, 3, 10), 3, 100);
    int rows = -1;
    m_act = [&](QDialog *) {
        QCOMPARE(Form27->cb_year->count(), 1);
        QCOMPARE(Form27->cb_year->currentText(), QString());
        QCOMPARE(Form27->SelectedYear(), 2030);
        Form27->Button3Click();
        QVERIFY(Form27->PB->isHidden());
        QVERIFY(Form27->Current->isOpen());
        rows = Form27->Current->recordCount();
    };
    Form27->Open(15);
    QCOMPARE(rows, 1);
    QCOMPARE(hourlyCell(Petrov, AveragePiece, 0, QDate(2030, 3, 3)), QString("6"));
    QCOMPARE(hourlyCell(Petrov, AveragePiece, 0, QDate(2030, 3, 10)), QString("5"));
    QCOMPARE(cell(Ivanov, 1, QDate(2024, 3, 5)), QString("8"));
}

QTEST_MAIN(TimesheetWindowsTest)
#include "test_timesheet_windows.moc"
