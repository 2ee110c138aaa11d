#include "reference/Unit9.h"
#include "data/Notice.h"
#include "data/Unit6.h"
#include "reference/ReferenceOps.h"
#include "ui/Checks.h"
#include "ui/Msg.h"
#include "ui/ListButtons.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm9 *Form9 = nullptr;

TForm9::TForm9(QWidget *parent) : Form(parent)
{
    Form9 = this;
    setObjectName(QStringLiteral("Form9"));
    setWindowTitle(QStringLiteral("Заведение нового вида операций"));
    BuildLayout();
    ConnectHandlers();
    setCentreOnMainWindow();
}

void TForm9::BuildLayout()
{
    auto *lay = new QVBoxLayout(this);
    GroupBox1 = named(new QGroupBox(QStringLiteral("Вид операции"), this), QStringLiteral("GroupBox1"));
    auto *row = new QHBoxLayout(GroupBox1);
    Label1 = named(new QLabel(QStringLiteral("Операция"), GroupBox1), QStringLiteral("Label1"));
    Edit1 = named(new QLineEdit(GroupBox1), QStringLiteral("Edit1"), QStringLiteral("Операция"));
    Edit1->setMaxLength(128); // the width of the name column
    Label1->setBuddy(Edit1);
    row->addWidget(Label1);
    row->addWidget(Edit1, 1);
    lay->addWidget(GroupBox1);

    AddDialogButtons(this, lay, Button1, Button2);
    setFixedClientSize(420, 120);
}

void TForm9::ConnectHandlers()
{
    connectGuarded(Button1, &QPushButton::clicked, &TForm9::Button1Click);
    connectGuarded(Button2, &QPushButton::clicked, &QDialog::close); // Esc too (reject)
}

void TForm9::FormActivate()
{
    Edit1->setFocus();
}

void TForm9::Button1Click()
{
    const QString name = Edit1->text().trimmed();
    if (name.isEmpty()) {
        Msg::error(QStringLiteral("Все поля должны быть заполнены!"), QStringLiteral("Ошибка"));
        return;
    }
    if (!Check::PlainText(QStringLiteral("Операция"), name))
        return;
    TDataModule6 &dm = *DataModule6;
    const bool written = ReferenceOps::SaveOperationKind(dm.ADO_DB, name, Tag != 2, KindId)
                         == ReferenceOps::SaveResult::Saved;
    if (!written) {
        Notice::error(QStringLiteral("Такая операция уже заведена!"), QStringLiteral("Ошибка"));
        return;
    }
    close();
    Check::ReloadAfterWrite([&] { dm.Vid_oper.reopen(); });
}
