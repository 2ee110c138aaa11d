#include "reports/Unit18.h"
#include "data/Unit6.h"
#include "export/SheetWriter.h"
#include "reports/Unit16.h"
#include "reports/Unit17.h"
#include "reports/Unit20.h"
#include "reports/Unit21.h"
#include "ui/Text.h"

#include <QApplication>

#include <QButtonGroup>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TForm18 *Form18 = nullptr;

QString TForm18::xlsRepSql()
{
    // The period's entries are summed per product, operation and colour
    // first, then per nomenclature group: the same rows as joining every
    // entry, several times faster over a year.
    return QStringLiteral(
        "select izdel.nom, vid_oper.vid, s.color, oper.naimen,"
        " izdel.massa*sum(s.good) as mass, sum(s.good)::numeric as kolvo"
        " from (select smena.i_id, smena.o_id, smena.color, sum(smena.kol_vo-smena.brak) as good"
        " from accounts_dep.smena smena"
        " where smena.data>=:data1 and smena.data<:data2"
        " group by smena.i_id, smena.o_id, smena.color) s"
        " join accounts_dep.izdel izdel on izdel.id=s.i_id"
        " join accounts_dep.oper oper on oper.id=s.o_id"
        " join accounts_dep.vid_oper vid_oper on vid_oper.id=oper.vid"
        " group by izdel.nom, s.color, oper.naimen, vid_oper.vid, izdel.massa"
        " order by izdel.nom, vid_oper.vid, s.color, oper.naimen, izdel.massa");
}

TForm18::TForm18(QWidget *parent)
    : Form(parent), XLS_Rep(DataModule6->ADO_DB, QStringLiteral("XLS_Rep"), xlsRepSql(), this)
{
    Form18 = this;
    setObjectName(QStringLiteral("Form18"));
    setWindowTitle(QStringLiteral("Отчеты (8)"));
    BuildLayout();
    ConnectHandlers();
}

void TForm18::BuildLayout()
{
    constexpr int kWidth = 180;
    auto *lay = new QVBoxLayout(this);

    RadioGroup1 = named(new QGroupBox(QStringLiteral("Вид продукции"), this), QStringLiteral("RadioGroup1"),
                        QStringLiteral("Вид продукции"));
    RadioGroup1Buttons = new QButtonGroup(this);
    auto *kinds = new QVBoxLayout(RadioGroup1);
    const QString captions[3] = {QStringLiteral("Все"), QStringLiteral("Готовая продукция"),
                                 QStringLiteral("Заготовки")};
    for (int i = 0; i < 3; ++i) {
        RadioGroup1Items[i] = named(new QRadioButton(captions[i], RadioGroup1),
                                    QStringLiteral("RadioGroup1_%1").arg(i));
        RadioGroup1Buttons->addButton(RadioGroup1Items[i], i);
        kinds->addWidget(RadioGroup1Items[i]);
    }
    RadioGroup1Items[0]->setChecked(true);

    GroupBox1 = named(new QGroupBox(QStringLiteral("Период отбора"), this), QStringLiteral("GroupBox1"));
    auto *period = new QFormLayout(GroupBox1);
    DTPicker1 = named(new QDateEdit(GroupBox1), QStringLiteral("DTPicker1"), QStringLiteral("с"));
    DTPicker2 = named(new QDateEdit(GroupBox1), QStringLiteral("DTPicker2"), QStringLiteral("по"));
    for (QDateEdit *d : {DTPicker1, DTPicker2}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(Text::DateFormat());
    }
    period->addRow(QStringLiteral("с"), DTPicker1);
    period->addRow(QStringLiteral("по"), DTPicker2);

    Button4 = named(new QPushButton(QStringLiteral("Отчет по рабочим"), this), QStringLiteral("Button4"));
    Button2 = named(new QPushButton(QStringLiteral("Отчет по продукции"), this), QStringLiteral("Button2"));
    Button1 = named(new QPushButton(QStringLiteral("Детальный отчет по рабочим"), this), QStringLiteral("Button1"));
    Button3 = named(new QPushButton(QStringLiteral("Детальный отчет по продукции"), this), QStringLiteral("Button3"));
    Button6 = named(new QPushButton(QStringLiteral("Excel (0 из 0)"), this), QStringLiteral("Button6"));
    Button5 = named(new QPushButton(QStringLiteral("Выход"), this), QStringLiteral("Button5"));

    // One column of equal width: 180 pixels, or wider where the face in use
    // needs it to show a caption whole.
    const std::initializer_list<QWidget *> column{RadioGroup1, GroupBox1, Button4, Button2,
                                                  Button1,     Button3,   Button6, Button5};
    int width = kWidth;
    for (QWidget *w : column)
        width = qMax(width, w->sizeHint().width());
    for (QWidget *w : column) {
        w->setFixedWidth(width);
        lay->addWidget(w);
    }
    for (QPushButton *b : {Button4, Button2, Button1, Button3, Button6, Button5})
        b->setAutoDefault(false);
    lay->setSizeConstraint(QLayout::SetFixedSize);
}

void TForm18::ConnectHandlers()
{
    // Esc closes the dialog the way "Выход" does.
    connectGuarded(Button5, &QPushButton::clicked, &TForm18::Button5Click);
    connectGuarded(Button1, &QPushButton::clicked, &TForm18::Button1Click);
    connectGuarded(Button2, &QPushButton::clicked, &TForm18::Button2Click);
    connectGuarded(Button3, &QPushButton::clicked, &TForm18::Button3Click);
    connectGuarded(Button4, &QPushButton::clicked, &TForm18::Button4Click);
    connectGuarded(Button6, &QPushButton::clicked, &TForm18::Button6Click);
}

void TForm18::OpenQuery(Dataset &query)
{
    query.close();
    query.setParam(QStringLiteral("data1"), DTPicker1->date());
    query.setParam(QStringLiteral("data2"), DTPicker2->date());
    // "Готовая продукция" keeps the rows with naimen 0, "Заготовки" those
    // with naimen 1.
    switch (RadioGroup1ItemIndex()) {
    case 1:
        query.setFilter(QStringLiteral("naimen"), QStringLiteral("0"));
        break;
    case 2:
        query.setFilter(QStringLiteral("naimen"), QStringLiteral("1"));
        break;
    default:
        query.clearFilter();
        break;
    }
    WaitCursor wait;
    query.open();
}

template <typename R>
void TForm18::PrintReport(R *report, Dataset &query, const QString &caption, const QString &titleText)
{
    Busy busy(this);
    struct Closer {
        Dataset &d;
        ~Closer() { d.close(); }
    } closer{query};
    OpenQuery(query);
    const QString from = Text::Date(DTPicker1->date());
    const QString to = Text::Date(DTPicker2->date());
    report->QuickRep1.setText(QStringLiteral("QRLabel1"), titleText + from + QStringLiteral(" по ") + to);
    report->Preview(query, caption, caption + u' ' + from + u'-' + to);
}

void TForm18::Button4Click()
{
    PrintReport(Form16, Form16->t_Report, QStringLiteral("Отчет по рабочим"),
                QStringLiteral("   Отчет по рабочим за период с "));
}

void TForm18::Button2Click()
{
    PrintReport(Form17, Form17->t_Report, QStringLiteral("Отчет по продукции"),
                QStringLiteral("   Отчет по продукции за период с "));
}

void TForm18::Button1Click()
{
    PrintReport(Form20, Form20->w_Report, QStringLiteral("Детальный отчет по рабочим"),
                QStringLiteral("   Детальный отчет по рабочим за период с "));
}

void TForm18::Button3Click()
{
    PrintReport(Form21, Form21->i_Report, QStringLiteral("Детальный отчет по продукции"),
                QStringLiteral("   Детальный отчет по продукции за период с "));
}

void TForm18::Button6Click()
{
    Busy busy(this);
    struct Closer {
        Dataset &d;
        ~Closer() { d.close(); }
    } closer{XLS_Rep};
    OpenQuery(XLS_Rep);
    XlsExport xls;
    if (!xls.start(QStringLiteral("Отчет по номенклатуре")))
        return; // the messages are shown; the wait cursor is already gone
    Dataset &q = XLS_Rep;
    const int nom = q.fieldIndex(QStringLiteral("nom")), vid = q.fieldIndex(QStringLiteral("vid")),
              color = q.fieldIndex(QStringLiteral("color")), naimen = q.fieldIndex(QStringLiteral("naimen")),
              mass = q.fieldIndex(QStringLiteral("mass")), kolvo = q.fieldIndex(QStringLiteral("kolvo"));
    auto number = [&q](int row, int column) {
        const QString t = Dataset::textOf(q.valueAt(row, column));
        return t.isEmpty() ? std::optional<double>() : Text::ParseDecimal(t);
    };
    const QList<SheetColumn> columns{
        {QStringLiteral("Наименование"), [&](int r) { return Dataset::textOf(q.valueAt(r, nom)); }},
        {QStringLiteral("Операция"),
         [&](int r) {
             const QString name = Dataset::textOf(q.valueAt(r, vid));
             const int c = Dataset::textOf(q.valueAt(r, color)).toInt();
             if (c == 1)
                 return name + QStringLiteral(" (грунт)");
             if (c > 1)
                 return name + QStringLiteral(" (цвет: %1)").arg(c);
             return name;
         }},
        {QStringLiteral("Вид продукции"),
         [&](int r) {
             return Dataset::textOf(q.valueAt(r, naimen)).toInt() == 0 ? QStringLiteral("Готовая продукция")
                                                                        : QStringLiteral("Заготовки");
         }},
        {QStringLiteral("Коробки"),
         [&](int r) {
             const auto v = number(r, mass);
             return v ? Text::Number(*v) : QString();
         }},
        {QStringLiteral("Кол-во"),
         [&](int r) {
             const auto v = number(r, kolvo);
             return v ? Text::Fixed(*v, 0) : QString();
         }},
    };
    SheetLoop loop;
    loop.plain = true;
    loop.boldHeading = false;
    loop.progress = [this](int k, int n) { Button6->setText(ExcelProgressCaption(k, n)); };
    WriteSheet(xls, columns, q.recordCount(), loop);
    xls.show();
}

void TForm18::Button5Click()
{
    close();
}

int TForm18::RadioGroup1ItemIndex() const
{
    return RadioGroup1Buttons->checkedId();
}

void TForm18::SetRadioGroup1ItemIndex(int index)
{
    if (QAbstractButton *b = RadioGroup1Buttons->button(index))
        b->setChecked(true);
}
