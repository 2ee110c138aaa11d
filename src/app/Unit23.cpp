#include "app/Unit23.h"
#include "app/AppControl.h"
#include "data/Unit6.h"
#include "journal/Unit1.h"
#include "reports/Unit18.h"
#include "timesheets/Unit19.h"
#include "timesheets/Unit27.h"
#include "ui/DBGrid.h"
#include "ui/Msg.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

TForm23 *Form23 = nullptr;

TForm23::TForm23(QWidget *parent) : Form(parent)
{
    Form23 = this;
    setObjectName(QStringLiteral("Form23"));
    setWindowTitle(QStringLiteral("Авторизация"));
    BuildLayout();
    ConnectHandlers();
    // A version mismatch ends the program; should its message be left open,
    // this window's timer ends it after five seconds.
    if (Form1)
        Form1->OnVersionMismatch = [timer = QPointer<QTimer>(Timer1)] {
            if (timer)
                timer->start();
        };
}

void TForm23::BuildLayout()
{
    auto *lay = new QHBoxLayout(this);
    Edit1 = named(new QLineEdit(this), QStringLiteral("Edit1"), QStringLiteral("Код"));
    Edit1->setEchoMode(QLineEdit::Password);
    Edit1->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }")); // "*"
    Button1 = named(new QPushButton(QStringLiteral("Вход"), this), QStringLiteral("Button1"));
    Button2 = named(new QPushButton(QStringLiteral("Отмена"), this), QStringLiteral("Button2"));
    Button1->setDefault(true);
    Button2->setAutoDefault(false);
    lay->addWidget(Edit1, 1);
    lay->addWidget(Button1);
    lay->addWidget(Button2);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(5000);
    setFixedClientSize(330, 44);
}

void TForm23::ConnectHandlers()
{
    connectGuarded(Button1, &QPushButton::clicked, &TForm23::Button1Click);
    connectGuarded(Button2, &QPushButton::clicked, &TForm23::Button2Click);
    connectGuarded(Timer1, &QTimer::timeout, &TForm23::Timer1Timer);
}

void TForm23::FormActivate()
{
    Form1->CheckVersion();
    setWindowTitle(QStringLiteral("Авторизация (build: %1.%2)").arg(Form1->BuildDate).arg(Form1->BuildTime));
}

void TForm23::ApplyRole(Role role)
{
    TForm1 *j = Form1;
    TForm18 *r = Form18;
    auto off = [](QWidget *w) {
        if (w)
            w->setEnabled(false);
    };
    // Closing and reopening months: full rights only.
    if (Form27)
        Form27->MonthClosingAllowed = role == Role::FullRights;
    switch (role) {
    case Role::FullRights:
    case Role::None:
        return;
    case Role::Planner:
        for (QWidget *w : std::initializer_list<QWidget *>{j->Button1, j->Button2, j->Button3, j->RadioButton1,
                                                           j->RadioButton2, j->RadioButton3, j->RadioButton4,
                                                           j->CBox1, j->Button8, j->DBGrid2, j->DateT})
            off(w);
        break;
    case Role::Foreman:
        off(j->Button2);
        off(j->Button3);
        break;
    case Role::Storekeeper:
        off(j->Button1);
        off(j->Button2);
        off(j->Button3);
        break;
    }
    j->N_Reference->menuAction()->setEnabled(false);
    j->N_Tabel->menuAction()->setEnabled(false);
    j->N_Statements->setEnabled(false);
    // The month check belongs to the timesheets: full rights only.
    if (Form19)
        Form19->BtnCheck->setVisible(false);
    if (Form27)
        Form27->BtnCheck->setVisible(false);
    if ((role == Role::Foreman || role == Role::Storekeeper) && r) {
        off(r->Button1);
        off(r->Button2);
        off(r->Button4);
        off(r->Button6);
        if (role == Role::Storekeeper) {
            r->SetRadioGroup1ItemIndex(1); // "Готовая продукция"
            off(r->RadioGroup1);
        }
    }
}

void TForm23::Button1Click()
{
    const QString code = TrimCode(Edit1->text());
    const Role role = RoleOfCode(code);
    Form1->ShiftNumber = 1;
    Form1->LoginCode = code;
    Form1->N_Tabel->menuAction()->setEnabled(role == Role::FullRights);
    Form1->N_Statements->setEnabled(role == Role::FullRights); // pay is theirs
    // Entries marked "ta" are never listed, whoever logs in.
    for (int shift = 1; shift <= 4; ++shift)
        DataModule6->journal(shift).setParam(QStringLiteral("ok"), TDataModule6::HiddenMark());
    if (role == Role::None) {
        Msg::error(QStringLiteral("Введены неверные данные."), QStringLiteral("Ошибка"));
        Edit1->selectAll();
        Edit1->setFocus();
        return;
    }
    ApplyRole(role);
    // The change history names the role chosen here.
    static const QMap<Role, QPair<QString, QString>> roleNames{
        {Role::FullRights, {QStringLiteral("полные права"), QStringLiteral("full")}},
        {Role::Planner, {QStringLiteral("планировщик"), QStringLiteral("planner")}},
        {Role::Foreman, {QStringLiteral("мастер"), QStringLiteral("foreman")}},
        {Role::Storekeeper, {QStringLiteral("кладовщик"), QStringLiteral("storekeeper")}}};
    const auto name = roleNames.value(role);
    DataModule6->ADO_DB.setSessionRole(name.first, name.second);
    hide();
    Modal::exec(Form1);
    // The journal has closed: the run is over.
    close();
    EndProgram();
}

void TForm23::Button2Click()
{
    close();
    EndProgram();
}

void TForm23::reject()
{
    Form::reject();
    EndProgram();
}

void TForm23::Timer1Timer()
{
    EndProgram();
}
