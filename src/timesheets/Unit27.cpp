#include "timesheets/Unit27.h"
#include "data/Unit6.h"
#include "export/SheetWriter.h"
#include "export/XlsExport.h"
#include "timesheets/ClosedMonth.h"
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
#include <QStringList>
#include <QVBoxLayout>

TForm27 *Form27 = nullptr;

namespace {

// The name column's width when no mode has set it.
constexpr int kNameWidth = 208;

// "sum(coalesce(h.d1,0)) d1, ..." five per line.
QString daySums()
{
    QStringList lines;
    for (int first = 1; first <= 31; first += 5) {
        QStringList terms;
        for (int d = first; d <= qMin(31, first + 4); ++d)
            terms << QStringLiteral("sum(coalesce(h.d%1,0)) d%1").arg(d);
        lines << terms.join(QStringLiteral(", "));
    }
    return lines.join(QStringLiteral(",\n"));
}

QString piecework()
{
    return QStringList{
        QStringLiteral("select p.s_caption fio, p.id,h.i_type,"),
        QStringLiteral("(select sum(s.time) from accounts_dep.smena s where s.data<:d_date1 and s.data>=:d_date2 "
                       "and s.w_id=p.id) i_time,"),
        QStringLiteral("(select sum((s.kol_vo-s.brak)*s.cena)::numeric(10,2)from accounts_dep.smena s where "
                       "s.data<:d_date3 and s.data>=:d_date4 and s.w_id=p.id) f_price,"),
        QStringLiteral("(select case when coalesce(sum(s.time),0)::numeric(10,2)=0 then 0 else "
                       "coalesce(sum((s.kol_vo-s.brak)*s.cena)/sum(time),0)::numeric(10,2) end from "
                       "accounts_dep.smena s where s.data<:d_date5 and s.data>=:d_date6 and s.w_id=p.id) "
                       "average_price,"),
        daySums(),
        QStringLiteral("from  cmn_contractor.person p, accounts_dep.h_tabel h"),
        QStringLiteral("where h.year=:i_year and h.month=:i_month and h.w_id=p.id and i_type=0"),
        QStringLiteral("group by p.id, p.s_caption, h.i_type"),
        QStringLiteral("order by fio")}
        .join(QLatin1Char('\n'));
}

QString hourly(int kind)
{
    return QStringList{
        QStringLiteral("select p.s_caption fio, p.id,h.i_type, case when h.i_night=0 then 'дн.' else 'ноч.' end "
                       "as s_night, h.i_night,"),
        QStringLiteral("(select sum(f.cnt) from accounts_dep.fatigue f where f.d_date<:d_date1 and "
                       "f.d_date>=:d_date2 and f.id_p=p.id and f.id_o=%1 and f.i_night=h.i_night) i_time,"),
        QStringLiteral("(select sum(f.cnt*f.price)::numeric(10,2) from accounts_dep.fatigue f where "
                       "f.d_date<:d_date3 and f.d_date>=:d_date4 and f.id_p=p.id and f.id_o=%1 and "
                       "f.i_night=h.i_night) f_price,"),
        QStringLiteral("(select case when coalesce(sum(f.cnt),0)::numeric(10,2)=0 then 0 else "
                       "coalesce(sum((f.cnt*f.price))/sum(f.cnt),0)::numeric(10,2) end "),
        QStringLiteral("from accounts_dep.fatigue f where f.d_date<:d_date5 and f.d_date>=:d_date6 and "
                       "f.id_p=p.id and f.id_o=%1 and f.i_night=h.i_night) average_price,"),
        daySums(),
        QStringLiteral("from  cmn_contractor.person p, accounts_dep.h_tabel h"),
        QStringLiteral("where h.year=:i_year and h.month=:i_month and h.w_id=p.id and i_type=%1 "),
        QStringLiteral("group by p.id, p.s_caption, h.i_type, h.i_night"),
        QStringLiteral("order by fio")}
        .join(QLatin1Char('\n'))
        .arg(kind);
}

QString general()
{
    return QStringList{
        QStringLiteral("select p.s_caption fio, p.id,"),
        QStringLiteral("coalesce((select sum(s.time) from accounts_dep.smena s where s.data<:d_date1 and "
                       "s.data>=:d_date2 and s.w_id=p.id),0)+"),
        QStringLiteral("coalesce((select sum(f.cnt) from accounts_dep.fatigue f where f.d_date<:d_date7 and "
                       "f.d_date>=:d_date8 and f.id_p=p.id),0) i_time,"),
        QStringLiteral("coalesce((select sum((s.kol_vo-s.brak)*s.cena)::numeric(10,2)from accounts_dep.smena s "
                       "where s.data<:d_date3 and s.data>=:d_date4 and s.w_id=p.id),0)+ "),
        QStringLiteral("coalesce((select sum(f.cnt*f.price)::numeric(10,2)from accounts_dep.fatigue f where "
                       "f.d_date<:d_date5 and f.d_date>=:d_date6 and f.id_p=p.id),0) f_price,"),
        daySums(),
        QStringLiteral("from  cmn_contractor.person p, accounts_dep.h_tabel h"),
        QStringLiteral("where h.year=:i_year and h.month=:i_month and h.w_id=p.id"),
        QStringLiteral("group by p.id, p.s_caption"),
        QStringLiteral("order by fio")}
        .join(QLatin1Char('\n'));
}

QString fatiguePay(int kind)
{
    return QStringLiteral("select sum(f.cnt*f.price)::numeric(100,2) as price from accounts_dep.fatigue f where "
                          "f.d_date<:d_date1 and f.d_date>=:d_date2 and f.cnt>0 and f.price>0 and f.id_o=%1")
        .arg(kind);
}

// The month's pay: the journal's and the maintenance works', a part without
// entries counted as 0.
const char *const kAllPrice =
    "select( (coalesce((select sum((s.kol_vo-s.brak)*s.cena) from accounts_dep.smena s where s.data<:d_date1 "
    "and s.data>=:d_date2 and s.cena>0 and s.kol_vo>0),0)+ coalesce((select sum(f.cnt*f.price) from "
    "accounts_dep.fatigue f where f.d_date<:d_date3 and f.d_date>=:d_date4 and f.cnt>0 and f.price>0),0))"
    "::numeric(20,2)) price";

bool isTotal(const GridColumn &c)
{
    return c.field == QLatin1String("f_price") || c.field == QLatin1String("i_time")
        || c.field == QLatin1String("average_price");
}

// A decimal read from the database as the export writes it ("" for NULL).
QString numberCell(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return {};
    bool ok = false;
    const double d = Dataset::textOf(v).trimmed().toDouble(&ok);
    return ok ? Text::Number(d) : Dataset::textOf(v);
}

} // namespace

const QList<TimesheetMode> &TForm27::Modes()
{
    static const QList<TimesheetMode> modes{
        {9, "Табель сделка (27)", &TForm27::H_Tabel0, 238, false, true},
        {14, "Табель хоз. работы (27)", &TForm27::H_Tabel7777, 208, true, true},
        {15, "Табель ср. сдельная (27)", &TForm27::H_Tabel7778, 208, true, true},
        {17, "Общий табель (27)", &TForm27::H_Tabel_all, 304, false, false},
    };
    return modes;
}

const TimesheetMode *TForm27::ModeOf(int code)
{
    for (const TimesheetMode &m : Modes())
        if (m.code == code)
            return &m;
    return nullptr;
}

QString TForm27::modeSql(int mode)
{
    switch (mode) {
    case 14:
        return hourly(7777);
    case 15:
        return hourly(7778);
    case 17:
        return general();
    default:
        return piecework();
    }
}

TForm27::TForm27(QWidget *parent)
    : Form(parent),
      H_Tabel0(DataModule6->ADO_DB, QStringLiteral("H_Tabel0"), modeSql(9), this),
      H_Tabel7777(DataModule6->ADO_DB, QStringLiteral("H_Tabel7777"), modeSql(14), this),
      H_Tabel7778(DataModule6->ADO_DB, QStringLiteral("H_Tabel7778"), modeSql(15), this),
      H_Tabel_all(DataModule6->ADO_DB, QStringLiteral("H_Tabel_all"), modeSql(17), this),
      price8(DataModule6->ADO_DB, QStringLiteral("price8"), fatiguePay(7778), this),
      price7(DataModule6->ADO_DB, QStringLiteral("price7"), fatiguePay(7777), this),
      price(DataModule6->ADO_DB, QStringLiteral("price"),
            QStringLiteral("select sum((s.kol_vo-s.brak)*s.cena)::numeric(100,2) as price from accounts_dep.smena s "
                           "where s.data<:d_date1 and s.data>=:d_date2 and s.cena>0 and s.kol_vo>0"),
            this),
      all_price(DataModule6->ADO_DB, QStringLiteral("all_price"), QString::fromUtf8(kAllPrice), this),
      q_year(DataModule6->ADO_DB, QStringLiteral("q_year"),
             QStringLiteral("select distinct ht.year from accounts_dep.h_tabel ht order by year"), this)
{
    Form27 = this;
    setObjectName(QStringLiteral("Form27"));
    setWindowTitle(QString::fromUtf8(Modes().first().caption));
    Current = &H_Tabel0;
    BuildLayout();
    ConnectHandlers();
    setActivateOnShow();
    setCentreOnMainWindow(); // over the journal that opens it
}

void TForm27::BuildLayout()
{
    auto *lay = new QVBoxLayout(this);
    DBGrid = named(new ::DBGrid(this), QStringLiteral("DBGrid"), QStringLiteral("Табель"));
    QList<GridColumn> cols;
    cols << gridColumn(QStringLiteral("fio"), QStringLiteral("Фамилия И. О."), kNameWidth)
         << gridColumn(QStringLiteral("s_night"), QStringLiteral(" "), 30) << DayColumns::Make()
         << gridColumn(QStringLiteral("f_price"), QStringLiteral("Итого (р.)"), 66)
         << gridColumn(QStringLiteral("i_time"), QStringLiteral("Итого (ч.)"), 66, Qt::AlignCenter)
         << gridColumn(QStringLiteral("average_price"), QStringLiteral("Час (р.)"), 66, Qt::AlignCenter);
    DBGrid->setColumns(cols);
    DBGrid->datasetModel()->cellLook = [this](int, const GridColumn &c) {
        CellLook look;
        if (isTotal(c)) {
            look.bold = true;
            look.background = DayColumns::kTotalBack;
        } else if (const int d = DayColumns::DayOf(c); d && Period().isWeekend(d)) {
            look.foreground = DayColumns::kRed;
        }
        return look;
    };
    lay->addWidget(DBGrid, 1);

    // Footer: the period at the left, the month's totals at the right.
    auto *footer = new QHBoxLayout;
    m_period = new MonthYearBoxes(this, QStringLiteral("ComboBox1"), QStringLiteral("cb_year"));
    ComboBox1 = m_period->monthBox();
    cb_year = m_period->yearBox();
    cb_year->setMinimumContentsLength(4);
    footer->addWidget(ComboBox1);
    footer->addWidget(cb_year);
    footer->addStretch();
    auto total = [&](const QString &caption, const QString &name) {
        auto *label = new QLabel(caption, this);
        auto *value = named(new QLabel(this), name, caption);
        value->setMinimumWidth(90);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        QFont f = value->font();
        f.setBold(true);
        value->setFont(f);
        label->setBuddy(value);
        footer->addWidget(label);
        footer->addWidget(value);
        return value;
    };
    L_price8 = total(QStringLiteral("Ср. сдел.:"), QStringLiteral("L_price8"));
    L_price7 = total(QStringLiteral("Хоз. работы:"), QStringLiteral("L_price7"));
    L_price = total(QStringLiteral("Сделка:"), QStringLiteral("L_price"));
    L_all_price = total(QStringLiteral("Итого:"), QStringLiteral("L_all_price"));
    lay->addLayout(footer);

    auto *buttons = new QHBoxLayout;
    Button2 = named(new QPushButton(QStringLiteral("Excel"), this), QStringLiteral("Button2"));
    Button5 = named(new QPushButton(QStringLiteral("Обновить"), this), QStringLiteral("Button5"));
    Button3 = named(new QPushButton(QStringLiteral("Перестроить"), this), QStringLiteral("Button3"));
    PB = named(new QProgressBar(this), QStringLiteral("PB"), QStringLiteral("Перестроение"));
    PB->setMinimum(1);
    PB->setVisible(false);
    Button1 = named(new QPushButton(QStringLiteral("Выход"), this), QStringLiteral("Button1"));
    BtnCheck = named(new QPushButton(QStringLiteral("Сверка с журналом"), this), QStringLiteral("BtnCheck"));
    Button9 = named(new QPushButton(QStringLiteral("Закрыть месяц"), this), QStringLiteral("Button9"));
    Button9->setAutoDefault(false);
    Button9->setVisible(false);
    for (QPushButton *b : {Button1, Button2, Button3, Button5, BtnCheck})
        b->setAutoDefault(false);
    buttons->addWidget(Button2);
    buttons->addWidget(Button5);
    buttons->addWidget(Button3);
    buttons->addWidget(BtnCheck);
    buttons->addWidget(PB, 1);
    buttons->addStretch();
    buttons->addWidget(Button9);
    buttons->addWidget(Button1);
    lay->addLayout(buttons);
    setFixedClientSize(1127, 617);
}

void TForm27::ConnectHandlers()
{
    connectGuarded(Button1, &QPushButton::clicked, &TForm27::Button1Click);
    connectGuarded(Button2, &QPushButton::clicked, &TForm27::Button2Click);
    connectGuarded(Button3, &QPushButton::clicked, &TForm27::Button3Click);
    connectGuarded(Button5, &QPushButton::clicked, &TForm27::Button5Click);
    connectGuarded(BtnCheck, &QPushButton::clicked, &TForm27::BtnCheckClick);
    connectGuarded(Button9, &QPushButton::clicked, &TForm27::Button9Click);
    connectGuarded(m_period, &MonthYearBoxes::changed, [this] { ApplyPeriod(); });
}

void TForm27::FormActivate()
{
    if (DBGrid->dataset() != Current)
        DBGrid->setDataset(Current);
}

int TForm27::SelectedMonth() const
{
    return m_period->month();
}

int TForm27::SelectedYear() const
{
    return m_period->year();
}

void TForm27::SelectPeriod(int month, int year)
{
    // The box shows the year when the timesheet has it, nothing otherwise.
    m_period->select(month, year);
}

void TForm27::FillYears()
{
    q_year.close();
    q_year.open();
    QStringList years;
    for (int r = 0; r < q_year.recordCount(); ++r)
        years << Dataset::textOf(q_year.valueAt(r, QStringLiteral("year"))).trimmed();
    m_period->setYears(years);
}

void TForm27::ApplyMode(const TimesheetMode &m)
{
    Mode = m.code;
    setWindowTitle(QString::fromUtf8(m.caption));
    Current = &(this->*m.dataset);
    QList<GridColumn> cols = DBGrid->datasetModel()->columns();
    for (GridColumn &c : cols) {
        if (c.field == QLatin1String("fio"))
            c.width = m.nameWidth;
        else if (c.field == QLatin1String("s_night"))
            c.visible = m.dayNightColumn;
        else if (c.field == QLatin1String("average_price"))
            c.visible = m.hourPriceColumn;
    }
    DBGrid->setColumns(cols);
}

void TForm27::Open(int mode)
{
    const TimesheetMode *m = ModeOf(mode);
    if (!m)
        return;
    ApplyMode(*m);
    const QDate today = Today();
    SelectPeriod(today.month(), today.year());
    FillYears();
    DBGrid->setDataset(Current);
    ApplyPeriod();
    Modal::exec(this);
    Button2->setText(QStringLiteral("Excel"));
    Current->close();
    q_year.close();
    for (Dataset *t : {&price8, &price7, &price, &all_price})
        t->close();
    // Back to the settings of the hourly-work modes until the next opening.
    TimesheetMode rest = *m;
    rest.nameWidth = kNameWidth;
    rest.dayNightColumn = rest.hourPriceColumn = true;
    ApplyMode(rest);
}

void TForm27::ApplyPeriod()
{
    WaitCursor wait;
    const MonthPeriod p = Period();
    Current->close();
    Current->setParam(QStringLiteral("i_month"), p.month);
    Current->setParam(QStringLiteral("i_year"), p.year);
    for (int n = 1; n <= 8; ++n)
        Current->setParam(QStringLiteral("d_date%1").arg(n), n % 2 ? p.next() : p.first());
    Current->open();
    OpenTotals(p);
    StyleColumns(p);
    ShowMonthState();
}

void TForm27::ShowMonthState()
{
    const bool allowed = Mode == 17 && MonthClosingAllowed;
    Button9->setVisible(allowed);
    if (allowed)
        Button9->setText(ClosedMonth::IsClosed(DataModule6->ADO_DB, Period()) ? QStringLiteral("Открыть месяц")
                                                                               : QStringLiteral("Закрыть месяц"));
}

void TForm27::Button9Click()
{
    if (Mode != 17 || !MonthClosingAllowed)
        return;
    const MonthPeriod p = Period();
    const QString month = p.text();
    Connection &db = DataModule6->ADO_DB;
    if (ClosedMonth::IsClosed(db, p)) {
        if (!Msg::question(QStringLiteral("Открыть %1? Записи за этот месяц снова можно будет изменить.").arg(month),
                           QStringLiteral("Открытие месяца")))
            return;
        ClosedMonth::Reopen(db, p);
    } else {
        if (!Msg::question(QStringLiteral("Закрыть %1? Записи за этот месяц нельзя будет изменить.").arg(month),
                           QStringLiteral("Закрытие месяца")))
            return;
        ClosedMonth::Close(db, p, Connection::osUser() + QStringLiteral(" (") + db.sessionRoleName()
                                      + QStringLiteral(")"));
    }
    ShowMonthState();
}

void TForm27::OpenTotals(const MonthPeriod &p)
{
    const std::pair<Dataset *, QLabel *> totals[] = {
        {&price8, L_price8}, {&price7, L_price7}, {&price, L_price}, {&all_price, L_all_price}};
    for (const auto &[ds, label] : totals) {
        ds->close();
        label->clear();
        for (int n = 1; n <= 4; ++n)
            ds->setParam(QStringLiteral("d_date%1").arg(n), n % 2 ? p.next() : p.first());
        ds->open();
        QString text = ds->isEmpty() ? QString() : Dataset::textOf(ds->valueAt(0, QStringLiteral("price")));
        label->setText(text.replace(u'.', Text::DecimalPoint()));
    }
}

void TForm27::StyleColumns(const MonthPeriod &p)
{
    QList<GridColumn> cols = DBGrid->datasetModel()->columns();
    const int hidden = DayColumns::Style(cols, p, true);
    const TimesheetMode *m = ModeOf(Mode);
    for (GridColumn &c : cols)
        if (c.field == QLatin1String("fio"))
            c.width = (m ? m->nameWidth : kNameWidth) + hidden * DayColumns::kWidth;
    DBGrid->setColumns(cols);
}

void TForm27::Button1Click()
{
    close();
}

void TForm27::Button5Click()
{
    WaitCursor wait;
    Current->close();
    Current->open();
}

void TForm27::BtnCheckClick()
{
    MonthCheckForm->OpenFor(Period());
    // The check may have rebuilt the month.
    ApplyPeriod();
}

void TForm27::Button3Click()
{
    if (Msg::refused(ClosedMonth::RefusalOn(DataModule6->ADO_DB, Period().first())))
        return;
    Busy busy(this);
    WaitCursor wait;
    const MonthPeriod p = Period();
    RebuildProgress::Run(
        PB, p, [this] { Current->close(); }, [this] { Current->open(); },
        [&p](const MonthRebuild::Progress &progress) { MonthRebuild::RebuildHourly(DataModule6->ADO_DB, p, progress); });
}

void TForm27::Button2Click()
{
    Busy busy(this);
    Dataset &ds = *Current;
    const TimesheetMode *m = ModeOf(Mode);
    const bool night = m && m->dayNightColumn;
    const bool hourPrice = m && m->hourPriceColumn;
    const int recNo = ds.recNo();
    WaitCursor wait;
    XlsExport xls;
    if (!xls.start(QString::fromUtf8(m ? m->caption : "Табель")))
        return;
    xls.hide();
    xls.writeCell(1, 1, 1, ComboBox1->currentText() + QLatin1Char(' ') + QString::number(SelectedYear()), true,
                  true, true);

    // Fields by number, found once: the loop reads every cell of the month.
    auto field = [&ds](const QString &name) {
        return [&ds, f = ds.fieldIndex(name)](int r) { return Dataset::textOf(ds.valueAt(r, f)); };
    };
    auto number = [&ds](const QString &name) {
        return [&ds, f = ds.fieldIndex(name)](int r) { return numberCell(ds.valueAt(r, f)); };
    };
    QList<SheetColumn> cols;
    cols << SheetColumn{QStringLiteral("Фамилия И.О."), field(QStringLiteral("fio")), true, true};
    cols << SheetColumn{QString(), night ? field(QStringLiteral("s_night")) : std::function<QString(int)>(), true,
                        true};
    for (int d = 1; d <= 31; ++d)
        cols << SheetColumn{QString::number(d),
                            [&ds, f = ds.fieldIndex(QStringLiteral("d%1").arg(d))](int r) {
                                const QVariant v = ds.valueAt(r, f);
                                const QString t = numberCell(v);
                                return t.isEmpty() ? QStringLiteral("0") : t;
                            },
                            false, true};
    cols << SheetColumn{QStringLiteral("Итого (ч.)"),
                        number(QStringLiteral("i_time")), false, true};
    cols << SheetColumn{QStringLiteral("Итого (р.)"),
                        number(QStringLiteral("f_price")), false, true};
    if (hourPrice)
        cols << SheetColumn{QStringLiteral("Час (р.)"),
                            number(QStringLiteral("average_price")),
                            false, true};
    SheetLoop loop;
    loop.headingRow = 2;
    loop.progress = [this](int k, int n) { Button2->setText(ExcelProgressCaption(k, n)); };
    WriteSheet(xls, cols, ds.recordCount(), loop);
    xls.show();
    ds.setRecNo(recNo);
}
