#include "maintenance/Unit25.h"
#include "data/DbError.h"
#include "data/Unit6.h"
#include "journal/EntryHistory.h"
#include "maintenance/MaintenanceOps.h"
#include "maintenance/Unit24.h"
#include "ui/DBGrid.h"
#include "timesheets/ClosedMonth.h"
#include "ui/Msg.h"
#include "ui/Text.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

TForm25 *Form25 = nullptr;

namespace {

const QColor kRed(255, 0, 0);

// Money as the list shows it: two decimals, more only when the value has them.
QString moneyText(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return {};
    const auto d = Text::ParseDecimal(Dataset::textOf(v));
    if (!d)
        return Dataset::textOf(v);
    const QString fixed = Text::Fixed(*d, 2);
    const auto back = Text::ParseDecimal(fixed);
    return back && qAbs(*back - *d) < 1e-9 ? fixed : Text::Number(*d);
}

} // namespace

TForm25::TForm25(QWidget *parent)
    : Form(parent),
      fatigue(DataModule6->ADO_DB, QStringLiteral("fatigue"),
              QStringLiteral(
                  "select distinct vo.vid, p.fio, i.s_caption, (f.cnt*f.price) as summ,  f.*, case when "
                  "f.i_holiday=0 then '' else '+' end as s_holiday, case when f.i_night=0 then '' else '+' end as "
                  "s_night from accounts_dep.fatigue f, cmn_classifier.item i, accounts_dep.person "
                  "p,accounts_dep.vid_oper vo, accounts_dep.oper o where f.id_nom =i.id and p.id=f.id_p and vo.id = "
                  "f.id_o and o.i_id >=7777 and o.vid >=7777 and f.d_date = :d_date order by p.fio, f.id"),
              this)
{
    Form25 = this;
    setObjectName(QStringLiteral("Form25"));
    setWindowTitle(QStringLiteral("Хоз. работы (25)"));
    BuildLayout();
    ConnectHandlers();
    setActivateOnShow(); // the list is read on every showing
}

void TForm25::BuildLayout()
{
    auto *lay = new QVBoxLayout(this);
    DBGrid1 = named(new DBGrid(this), QStringLiteral("DBGrid1"), QStringLiteral("Хоз. работы"));
    DBGrid1->setDataset(&fatigue);
    DBGrid1->horizontalHeader()->setDefaultSectionSize(64); // the grid's standard column width
    auto column = [](const char *field, const QString &title, int width,
                     Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
        return gridColumn(QString::fromLatin1(field), title, width, align);
    };
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    QList<GridColumn> cols{
        column("fio", QStringLiteral("ФИО"), 300),
        column("s_caption", QStringLiteral("Номенклатура"), 267),
        column("vid", QStringLiteral("Работа"), 156),
        column("price", QStringLiteral("Цена"), 80, right),
        column("cnt", QStringLiteral("Кол-во"), 0, right),
        column("summ", QStringLiteral("Итого"), 80, right),
        column("s_holiday", QStringLiteral("Вых."), 33, Qt::AlignCenter),
        column("s_night", QStringLiteral("Ноч."), 33, Qt::AlignCenter),
    };
    cols[3].format = moneyText;
    cols[5].format = moneyText;
    DBGrid1->setColumns(cols);
    lay->addWidget(DBGrid1, 1);

    auto *bar = new QHBoxLayout;
    Button5 = named(new QPushButton(QStringLiteral("Добавить"), this), QStringLiteral("Button5"));
    Button6 = named(new QPushButton(QStringLiteral("Изменить"), this), QStringLiteral("Button6"));
    Button7 = named(new QPushButton(QStringLiteral("Удалить"), this), QStringLiteral("Button7"));
    Button9 = named(new QPushButton(QStringLiteral("История"), this), QStringLiteral("Button9"));
    DBGrid1->setDeleteButton(Button7);
    Button1 = named(new QPushButton(QStringLiteral("Расчитать ср.сд."), this), QStringLiteral("Button1"));
    DTPcker1 = named(new QDateEdit(this), QStringLiteral("DTPcker1"), QStringLiteral("Дата"));
    DTPcker1->setCalendarPopup(true);
    DTPcker1->setDisplayFormat(Text::DateFormat());
    DTPcker1->setDate(QDate::currentDate());
    CBox1 = named(new QCheckBox(QStringLiteral("Выходной"), this), QStringLiteral("CBox1"),
                  QStringLiteral("Выходной"));
    Button8 = named(new QPushButton(QStringLiteral("Выход"), this), QStringLiteral("Button8"));
    for (QPushButton *b : {Button5, Button6, Button7, Button9, Button1, Button8})
        b->setAutoDefault(false); // Enter in the date picker is no button press
    bar->addWidget(Button5);
    bar->addWidget(Button6);
    bar->addWidget(Button7);
    bar->addWidget(Button9);
    bar->addSpacing(12);
    bar->addWidget(Button1);
    bar->addSpacing(12);
    bar->addWidget(DTPcker1);
    bar->addWidget(CBox1);
    bar->addStretch(1);
    bar->addWidget(Button8);
    lay->addLayout(bar);

    setTabOrder(DBGrid1, Button5);
    setTabOrder(Button5, Button6);
    setTabOrder(Button6, Button7);
    setTabOrder(Button7, Button9);
    setTabOrder(Button9, Button1);
    setTabOrder(Button1, DTPcker1);
    setTabOrder(DTPcker1, CBox1);
    setTabOrder(CBox1, Button8);

    CBox1Click();
    setFixedClientSize(1054, 650);
}

void TForm25::ConnectHandlers()
{
    connectGuarded(Button5, &QPushButton::clicked, &TForm25::Button5Click);
    connectGuarded(Button6, &QPushButton::clicked, &TForm25::Button6Click);
    connectGuarded(Button7, &QPushButton::clicked, &TForm25::Button7Click);
    connectGuarded(Button1, &QPushButton::clicked, &TForm25::Button1Click);
    connectGuarded(Button8, &QPushButton::clicked, &TForm25::Button8Click);
    connectGuarded(Button9, &QPushButton::clicked, &TForm25::Button9Click);
    connectGuarded(DBGrid1, &DBGrid::DblClick, &TForm25::Button6Click);
    connectGuarded(CBox1, &QCheckBox::toggled, &TForm25::CBox1Click);
    connectGuarded(DTPcker1, &QDateEdit::dateChanged, [this] {
        if (!m_settingDate)
            DTPcker1Change();
    });
}

QDate TForm25::Date() const
{
    return DTPcker1->date();
}

bool TForm25::DayOff() const
{
    return CBox1->isChecked();
}

void TForm25::SetDate(const QDate &date)
{
    m_settingDate = true;
    DTPcker1->setDate(date);
    m_settingDate = false;
}

void TForm25::OpenOnDate(const QDate &date)
{
    SetDate(date);
    Reread(false);
    Modal::exec(this);
}

void TForm25::Reread(bool keepRow)
{
    const int rec = fatigue.recNo();
    fatigue.close();
    fatigue.setParam(QStringLiteral("d_date"), DTPcker1->date());
    fatigue.open();
    if (keepRow && !fatigue.isEmpty() && rec > 0)
        fatigue.setRecNo(rec);
}

void TForm25::FormActivate()
{
    // Back from the entry dialog the list shows the saved entry on the row
    // the user was on.
    Reread(true);
}

void TForm25::DTPcker1Change()
{
    const int dow = DTPcker1->date().dayOfWeek();
    CBox1->setChecked(dow == Qt::Saturday || dow == Qt::Sunday);
    Reread(false);
}

void TForm25::CBox1Click()
{
    paintToggle(CBox1, CBox1->isChecked(), kRed);
}

void TForm25::Button5Click()
{
    Form24->OpenForAdd();
}

void TForm25::Button6Click()
{
    if (!fatigue.isOpen() || fatigue.recNo() == 0)
        return;
    Form24->OpenForChange(int(fatigue.asInt(QStringLiteral("id"))), int(fatigue.asInt(QStringLiteral("id_p"))),
                          fatigue.text(QStringLiteral("fio")).trimmed(),
                          int(fatigue.asInt(QStringLiteral("id_nom"))),
                          fatigue.text(QStringLiteral("s_caption")).trimmed(),
                          int(fatigue.asInt(QStringLiteral("id_o"))), int(fatigue.asInt(QStringLiteral("cnt"))),
                          fatigue.asInt(QStringLiteral("i_night")) != 0);
}

void TForm25::Button7Click()
{
    if (!fatigue.isOpen() || fatigue.isEmpty() || fatigue.recNo() == 0)
        return;
    const int id = int(fatigue.asInt(QStringLiteral("id")));
    if (Msg::refused(ClosedMonth::RefusalOn(DataModule6->ADO_DB, Date())))
        return;
    if (!Msg::question(QStringLiteral("Удалить позицию из списка?"), QStringLiteral("Удаление")))
        return;
    try {
        MaintenanceOps::RemoveEntry(DataModule6->ADO_DB, id);
    } catch (const DbError &e) {
        if (!e.isMonthClosed())
            throw;
        Msg::error(e.text());
    }
    Reread();
}

void TForm25::Button9Click()
{
    if (fatigue.isOpen() && !fatigue.isEmpty() && fatigue.recNo() > 0)
        EntryHistory->OpenFor(ChangeHistory::Source::Maintenance, int(fatigue.asInt(QStringLiteral("id"))), Date());
    else
        EntryHistory->OpenDeleted(ChangeHistory::Source::Maintenance, Date());
}

void TForm25::Button1Click()
{
    if (Msg::refused(ClosedMonth::RefusalOn(DataModule6->ADO_DB, Date())))
        return;
    Busy busy(this);
    WaitCursor wait;
    MaintenanceOps::RecomputeAveragePrices(DataModule6->ADO_DB, MonthPeriod::of(DTPcker1->date()));
    Reread();
}

void TForm25::Button8Click()
{
    close();
}
