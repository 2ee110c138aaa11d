#include "app/Unit23.h"
#include "app/AppControl.h"
#include "journal/Unit1.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

TForm23 *Form23 = nullptr;

TForm23::TForm23(QWidget *parent) : Form(parent)
{
    Form23 = this;
    setObjectName(QStringLiteral("Form23"));
    setWindowTitle(QStringLiteral("Авторизация"));
    BuildLayout();
    ConnectHandlers();
}

void TForm23::BuildLayout()
{
    auto *lay = new QHBoxLayout(this);
    Edit1 = named(new QLineEdit(this), QStringLiteral("Edit1"), QStringLiteral("Код"));
    Edit1->setEchoMode(QLineEdit::Password);
    Button1 = named(new QPushButton(QStringLiteral("Вход"), this), QStringLiteral("Button1"));
    Button2 = named(new QPushButton(QStringLiteral("Отмена"), this), QStringLiteral("Button2"));
    Button1->setDefault(true);
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
    connect(Button1, &QPushButton::clicked, this, &TForm23::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm23::Button2Click);
    connect(Timer1, &QTimer::timeout, this, &TForm23::Timer1Timer);
}

void TForm23::FormActivate()
{
    Form1->CheckVersion();
    setWindowTitle(QStringLiteral("Авторизация (build: %1.%2)").arg(Form1->BuildDate).arg(Form1->BuildTime));
}

void TForm23::Button1Click()
{
    // Login and roles are filled in with the journal window.
}

void TForm23::Button2Click()
{
    close();
}

void TForm23::Timer1Timer()
{
    EndProgram();
}
