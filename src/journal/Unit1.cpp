#include "journal/Unit1.h"
#include "app/AppControl.h"
#include "app/Unit23.h"
#include "data/Unit6.h"
#include "ui/DBGrid.h"
#include "ui/Msg.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

TForm1 *Form1 = nullptr;

TForm1::TForm1(QWidget *parent) : Form(parent)
{
    Form1 = this;
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Табель"));
    BuildLayout();
    ConnectHandlers();
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(30000);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    Timer1->start();
}

void TForm1::BuildLayout()
{
    auto *lay = new QVBoxLayout(this);
    MainMenu = named(new QMenuBar(this), QStringLiteral("MainMenu"));
    lay->setMenuBar(MainMenu);
    N_Reference = MainMenu->addMenu(QStringLiteral("Справочники"));
    N_Tabel = MainMenu->addMenu(QStringLiteral("Табель"));
    N_Reports = MainMenu->addMenu(QStringLiteral("Отчеты"));
    RadioButton1 = named(new QRadioButton(QStringLiteral("Смена №1"), this), QStringLiteral("RadioButton1"));
    RadioButton2 = named(new QRadioButton(QStringLiteral("Смена №2"), this), QStringLiteral("RadioButton2"));
    RadioButton3 = named(new QRadioButton(QStringLiteral("Смена №3"), this), QStringLiteral("RadioButton3"));
    RadioButton4 = named(new QRadioButton(QStringLiteral("Переработка"), this), QStringLiteral("RadioButton4"));
    DateT = named(new QDateEdit(this), QStringLiteral("DateT"), QStringLiteral("Дата"));
    CBox1 = named(new QCheckBox(QStringLiteral("Выходной"), this), QStringLiteral("CBox1"));
    DBGrid2 = named(new DBGrid(this), QStringLiteral("DBGrid2"), QStringLiteral("Журнал"));
    Button1 = named(new QPushButton(QStringLiteral("Добавить"), this), QStringLiteral("Button1"));
    Button2 = named(new QPushButton(QStringLiteral("Изменить"), this), QStringLiteral("Button2"));
    Button3 = named(new QPushButton(QStringLiteral("Удалить"), this), QStringLiteral("Button3"));
    Button8 = named(new QPushButton(QStringLiteral("Обновить"), this), QStringLiteral("Button8"));
    Button5 = named(new QPushButton(QStringLiteral("Ср.сд./хоз. работы"), this), QStringLiteral("Button5"));
    Button4 = named(new QPushButton(QStringLiteral("Выход"), this), QStringLiteral("Button4"));
    for (QWidget *w : std::initializer_list<QWidget *>{RadioButton1, RadioButton2, RadioButton3, RadioButton4, DateT,
                                                       CBox1, DBGrid2, Button1, Button2, Button3, Button8, Button5,
                                                       Button4})
        lay->addWidget(w);
}

void TForm1::ConnectHandlers()
{
    connect(Button4, &QPushButton::clicked, this, &QDialog::close);
}

Dataset &TForm1::CurrentJournal() const
{
    return DataModule6->journal(ShiftNumber);
}

bool TForm1::FormCreate(const QStringList &args)
{
    new TDataModule6(this);
    try {
        DataModule6->ADO_DB.close();
        DataModule6->ADO_DB.setConnectionString(ConnectionStringFromArgs(args));
        DataModule6->ADO_DB.open();
        new TForm23();
        Form23->show();
        Form23->raise();
        Form23->activateWindow();
    } catch (const std::exception &) {
        Msg::error(QStringLiteral("Подключение к БД отсутсвует!!!"), QStringLiteral("Ошибка!"));
        EndProgram();
        close();
        return false;
    }
    return true;
}

void TForm1::Timer1Timer()
{
    CheckVersion();
}

void TForm1::CheckVersion()
{
    Connection &db = DataModule6->ADO_DB;
    const QString read = QStringLiteral(
        "select ctid::text as rid, coalesce(d,0) as d, coalesce(t,0) as t, delim from accounts_dep.ver limit 1");
    QSqlQuery q = db.select(read);
    QString rid;
    qint64 d = 0, t = 0;
    QString delim;
    if (q.next()) {
        rid = q.value(0).toString();
        d = q.value(1).toLongLong();
        t = q.value(2).toLongLong();
        delim = q.value(3).isNull() ? QString() : q.value(3).toString();
    }
    DataModule6->DecimalDelimiter = delim;
    if (d < BuildDate || (d == BuildDate && t < BuildTime)) {
        const SqlParams stamp{{QStringLiteral("bd"), BuildDate}, {QStringLiteral("bt"), BuildTime}};
        if (rid.isEmpty()) {
            // A database without a version row: this build claims it, with
            // the point as the decimal separator written into SQL text.
            db.exec(QStringLiteral("insert into accounts_dep.ver (d, t, delim) values (:bd::integer, :bt::integer, '.')"),
                    stamp);
        } else {
            // Claim only if nobody claimed a newer stamp in the meantime.
            SqlParams p = stamp;
            p.append({QStringLiteral("rid"), rid});
            db.exec(QStringLiteral("update accounts_dep.ver set d=:bd::integer, t=:bt::integer where ctid=:rid::tid "
                                   "and (coalesce(d,0) < :bd::integer or (coalesce(d,0) = :bd::integer and "
                                   "coalesce(t,0) < :bt::integer))"),
                    p);
        }
        QSqlQuery again = db.select(read);
        if (again.next()) {
            d = again.value(1).toLongLong();
            t = again.value(2).toLongLong();
        }
    }
    if (BuildDate < d || (BuildDate == d && BuildTime < t)) {
        if (Form23)
            Form23->Timer1->start();
        Msg::error(QStringLiteral("Версия программы не соответсвует БД! Запустите программу через 5 мин."),
                   QStringLiteral("Ошибка"));
        EndProgram();
    }
}
