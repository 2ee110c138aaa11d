#include "timesheets/Unit19.h"
#include "data/Unit6.h"
#include "export/SheetWriter.h"
#include "export/XlsExport.h"
#include "reports/Unit15.h"
#include "timesheets/DayColumns.h"
#include "timesheets/MonthCheck.h"
#include "timesheets/MonthRebuild.h"
#include "timesheets/RebuildProgress.h"
#include "ui/MonthYearBoxes.h"
#include "ui/Msg.h"
#include "ui/Text.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

TForm19 *Form19 = nullptr;

namespace {

constexpr int kFirstYear = 2007;

QList<GridColumn> shiftColumns()
{
    QList<GridColumn> cols;
    GridColumn fio;
    fio.field = QStringLiteral("fio");
    fio.title = QStringLiteral("Фамилия И. О.");
    fio.width = 208;
    cols << fio << DayColumns::Make();
    GridColumn total;
    total.field = QStringLiteral("summ");
    total.title = QStringLiteral("Итого");
    total.width = 47;
    cols << total;
    return cols;
}

// A whole number as the export writes it; 0 for NULL.
qint64 wholeOf(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return 0;
    const QString t = Dataset::textOf(v).trimmed();
    bool ok = false;
    const qint64 n = t.toLongLong(&ok);
    if (ok)
        return n;
    const double d = t.toDouble(&ok);
    return ok ? qint64(d) : 0;
}

} // namespace

TForm19::TForm19(QWidget *parent) : Form(parent)
{
    Form19 = this;
    setObjectName(QStringLiteral("Form19"));
    setWindowTitle(QStringLiteral("Табель по времени"));
    BuildLayout();
    ConnectHandlers();
    setActivateOnShow(); // the Excel caption is reset on every showing
    setCentreOnMainWindow(); // over the journal that opens it
}

void TForm19::BuildLayout()
{
    auto *lay = new QVBoxLayout(this);
    PageControl1 = named(new QTabWidget(this), QStringLiteral("PageControl1"));
    const QString tabTitles[] = {QStringLiteral("Смена №1"), QStringLiteral("Смена №2"), QStringLiteral("Смена №3")};
    DBGrid **grids[] = {&DBGrid1, &DBGrid2, &DBGrid3};
    QWidget **sheets[] = {&TabSheet1, &TabSheet2, &TabSheet3};
    for (int t = 0; t < 3; ++t) {
        QWidget *sheet = named(new QWidget(PageControl1), QStringLiteral("TabSheet%1").arg(t + 1));
        *sheets[t] = sheet;
        auto *sl = new QVBoxLayout(sheet);
        DBGrid *g = named(new DBGrid(sheet), QStringLiteral("DBGrid%1").arg(t + 1), tabTitles[t]);
        *grids[t] = g;
        g->setColumns(shiftColumns());
        g->setDataset(&ShiftDataset(t + 1));
        StyleGrid(g);
        sl->addWidget(g, 1);
        PageControl1->addTab(sheet, tabTitles[t]);
    }
    // The first tab also holds the export, the rebuild and its progress.
    auto *tools = new QHBoxLayout;
    Button2 = named(new QPushButton(QStringLiteral("Excel"), TabSheet1), QStringLiteral("Button2"));
    Button1 = named(new QPushButton(QStringLiteral("Перестроить"), TabSheet1), QStringLiteral("Button1"));
    PB = named(new QProgressBar(TabSheet1), QStringLiteral("PB"), QStringLiteral("Перестроение"));
    PB->setMinimum(1);
    PB->setVisible(false);
    tools->addWidget(Button2);
    tools->addWidget(Button1);
    tools->addWidget(PB, 1);
    tools->addStretch();
    static_cast<QVBoxLayout *>(TabSheet1->layout())->addLayout(tools);
    lay->addWidget(PageControl1, 1);

    auto *row = new QHBoxLayout;
    auto *monthLabel = new QLabel(QStringLiteral("Месяц"), this);
    m_period = new MonthYearBoxes(this, QStringLiteral("ComboBox1"), QStringLiteral("ComboBox2"), true);
    ComboBox1 = m_period->monthBox();
    ComboBox2 = m_period->yearBox();
    monthLabel->setBuddy(ComboBox1);
    auto *yearLabel = new QLabel(QStringLiteral("Год"), this);
    // 2007 to the year after the current one, so the window opens in any year.
    m_period->setYearRange(kFirstYear, QDate::currentDate().year() + 1);
    yearLabel->setBuddy(ComboBox2);
    Button5 = named(new QPushButton(QStringLiteral("Обновить"), this), QStringLiteral("Button5"));
    Button6 = named(new QPushButton(QStringLiteral("Печать"), this), QStringLiteral("Button6"));
    Button4 = named(new QPushButton(QStringLiteral("Выход"), this), QStringLiteral("Button4"));
    BtnCheck = named(new QPushButton(QStringLiteral("Сверка с журналом"), this), QStringLiteral("BtnCheck"));
    for (QPushButton *b : {Button1, Button2, Button4, Button5, Button6, BtnCheck})
        b->setAutoDefault(false);
    row->addWidget(monthLabel);
    row->addWidget(ComboBox1);
    row->addWidget(yearLabel);
    row->addWidget(ComboBox2);
    row->addWidget(Button5);
    row->addWidget(Button6);
    row->addWidget(BtnCheck);
    row->addStretch();
    row->addWidget(Button4);
    lay->addLayout(row);
    setFixedClientSize(958, 577);
}

void TForm19::ConnectHandlers()
{
    connectGuarded(Button1, &QPushButton::clicked, &TForm19::Button1Click);
    connectGuarded(Button2, &QPushButton::clicked, &TForm19::Button2Click);
    connectGuarded(Button4, &QPushButton::clicked, &TForm19::Button4Click);
    connectGuarded(Button5, &QPushButton::clicked, &TForm19::Button5Click);
    connectGuarded(Button6, &QPushButton::clicked, &TForm19::Button6Click);
    connectGuarded(BtnCheck, &QPushButton::clicked, &TForm19::BtnCheckClick);
    // A change by mouse, keyboard or screen reader applies the period.
    connectGuarded(m_period, &MonthYearBoxes::changed, [this] { ApplyPeriod(); });
}

Dataset &TForm19::ShiftDataset(int tab)
{
    switch (tab) {
    case 2:
        return DataModule6->H_Tabel_2;
    case 3:
        return DataModule6->H_Tabel_3;
    default:
        return DataModule6->H_Tabel_1;
    }
}

DBGrid *TForm19::Grid(int tab) const
{
    return tab == 2 ? DBGrid2 : tab == 3 ? DBGrid3 : DBGrid1;
}

int TForm19::SelectedMonth() const
{
    return m_period->month();
}

int TForm19::SelectedYear() const
{
    return m_period->year();
}

void TForm19::SelectPeriod(int month, int year)
{
    m_period->select(month, year);
}

void TForm19::OpenFor(const QDate &date)
{
    SelectPeriod(date.month(), date.year());
    ApplyPeriod();
    Modal::exec(this);
    CloseDatasets();
}

void TForm19::FormActivate()
{
    Button2->setText(QStringLiteral("Excel"));
}

void TForm19::CloseDatasets()
{
    for (int t = 1; t <= 3; ++t)
        ShiftDataset(t).close();
}

void TForm19::OpenDatasets()
{
    for (int t = 1; t <= 3; ++t)
        ShiftDataset(t).open();
}

void TForm19::ApplyPeriod()
{
    WaitCursor wait;
    const MonthPeriod p = Period();
    m_applied = p;
    for (int t = 1; t <= 3; ++t) {
        Dataset &ds = ShiftDataset(t);
        ds.close();
        ds.setParam(QStringLiteral("mnth"), p.month);
        ds.setParam(QStringLiteral("yea"), p.year);
        ds.setParam(QStringLiteral("date1"), p.first());
        ds.setParam(QStringLiteral("date2"), p.next());
        ds.open();
        StyleGrid(Grid(t));
    }
}

void TForm19::StyleGrid(DBGrid *grid)
{
    QList<GridColumn> cols = grid->datasetModel()->columns();
    DayColumns::Style(cols, m_applied, false);
    grid->setColumns(cols);
    const MonthPeriod month = m_applied;
    grid->datasetModel()->cellLook = [grid, month](int row, const GridColumn &col) {
        Dataset *ds = grid->dataset();
        return DayCellLook(ds ? ds->valueAt(row, col.field) : QVariant(), col, month);
    };
}

CellLook TForm19::DayCellLook(const QVariant &value, const GridColumn &col, const MonthPeriod &month)
{
    CellLook look;
    if (col.field.compare(QStringLiteral("summ"), Qt::CaseInsensitive) == 0) {
        look.bold = true;
        look.background = DayColumns::kTotalBack;
        return look;
    }
    const int d = DayColumns::DayOf(col);
    if (!d)
        return look;
    const bool pastEnd = d > month.days();
    const bool weekend = month.isWeekend(d);
    const QColor background = QApplication::palette().color(QPalette::Base);
    if (pastEnd)
        look.foreground = background; // its values do not show
    else if (weekend)
        look.foreground = DayColumns::kRed;
    if (value.isNull() || !value.isValid())
        return look;
    bool ok = false;
    const int v = Dataset::textOf(value).trimmed().toInt(&ok);
    if (!ok)
        return look;
    if (v == 0) {
        if (pastEnd)
            look.foreground = background;
        else if (!weekend)
            look.foreground = DayColumns::kSilver;
    } else if (v == 8) {
        look.bold = true;
    } else if (v > 8) {
        look.bold = true;
        look.background = DayColumns::kMoneyGreen;
    }
    return look;
}

void TForm19::Button1Click()
{
    Busy busy(this);
    WaitCursor wait;
    const MonthPeriod p = Period();
    RebuildProgress::Run(
        PB, p, [this] { CloseDatasets(); }, [this] { OpenDatasets(); },
        [&p](const MonthRebuild::Progress &progress) { MonthRebuild::RebuildShifts(DataModule6->ADO_DB, p, progress); });
}

void TForm19::Button2Click()
{
    Busy busy(this);
    Dataset &rep = Form15->H_Tabel;
    const MonthPeriod p = Period();
    WaitCursor wait;
    rep.close();
    rep.setParam(QStringLiteral("mnth"), p.month);
    rep.setParam(QStringLiteral("yea"), p.year);
    rep.open();
    struct CloseAfter {
        Dataset &ds;
        ~CloseAfter() { ds.close(); }
    } closeAfter{rep};

    XlsExport xls;
    if (!xls.start(QStringLiteral("Табель по сменам")))
        return;
    xls.hide();
    xls.writeCell(1, 1, 1, ComboBox1->currentText() + QLatin1Char(' ') + ComboBox2->currentText(), true, true,
                  true);

    // Fields by number, found once: the loop reads every cell of the month.
    QList<int> day;
    for (int d = 1; d <= 31; ++d)
        day << rep.fieldIndex(QStringLiteral("sd%1").arg(d));
    QList<SheetColumn> cols;
    cols << SheetColumn{QStringLiteral("Фамилия И.О."),
                        [&rep, f = rep.fieldIndex(QStringLiteral("fio"))](int r) {
                            return Dataset::textOf(rep.valueAt(r, f));
                        },
                        true, true};
    for (int d = 1; d <= 31; ++d)
        cols << SheetColumn{QString::number(d),
                            [&rep, f = day[d - 1]](int r) { return QString::number(wholeOf(rep.valueAt(r, f))); },
                            false, true};
    cols << SheetColumn{QStringLiteral("Итого"),
                        [&rep, day](int r) {
                            qint64 sum = 0;
                            for (int f : day)
                                sum += wholeOf(rep.valueAt(r, f));
                            return QString::number(sum);
                        },
                        false, true};
    SheetLoop loop;
    loop.headingRow = 2;
    loop.progress = [this](int k, int n) { Button2->setText(ExcelProgressCaption(k, n)); };
    WriteSheet(xls, cols, rep.recordCount(), loop);
    xls.show();
}

void TForm19::Button4Click()
{
    close();
}

void TForm19::Button5Click()
{
    WaitCursor wait;
    CloseDatasets();
    OpenDatasets();
}

void TForm19::Button6Click()
{
    Busy busy(this);
    Form15->Preview(SelectedMonth(), SelectedYear(),
                    ComboBox1->currentText() + QLatin1Char(' ') + ComboBox2->currentText());
}

void TForm19::BtnCheckClick()
{
    MonthCheckForm->OpenFor(Period());
    // The check may have rebuilt the month.
    ApplyPeriod();
}
