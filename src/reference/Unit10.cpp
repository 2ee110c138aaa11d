#include "reference/Unit10.h"
#include "data/Notice.h"
#include "data/Unit6.h"
#include "reference/ReferenceOps.h"
#include "reference/Unit3.h"
#include "reference/Unit8.h"
#include "ui/Checks.h"
#include "ui/Msg.h"
#include "ui/ReadOnlyBox.h"
#include "ui/ListButtons.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm10 *Form10 = nullptr;

TForm10::TForm10(QWidget *parent) : Form(parent)
{
    Form10 = this;
    setObjectName(QStringLiteral("Form10"));
    BuildLayout();
    ConnectHandlers();
    setCentreOnMainWindow();
}

void TForm10::BuildLayout()
{
    auto *lay = new QVBoxLayout(this);
    auto *group = named(new QGroupBox(QStringLiteral("Цена операции"), this), QStringLiteral("GroupBox1"));
    auto *grid = new QGridLayout(group);

    auto *label1 = named(new QLabel(QStringLiteral("Марка изделия"), group), QStringLiteral("Label1"));
    Edit1 = named(new QLineEdit(group), QStringLiteral("Edit1"), QStringLiteral("Марка изделия"));
    Button3 = named(new QPushButton(QStringLiteral("..."), group), QStringLiteral("Button3"),
                    QStringLiteral("Выбрать изделие"));
    auto *label2 = named(new QLabel(QStringLiteral("Операция"), group), QStringLiteral("Label2"));
    Edit2 = named(new QLineEdit(group), QStringLiteral("Edit2"), QStringLiteral("Операция"));
    Button4 = named(new QPushButton(QStringLiteral("..."), group), QStringLiteral("Button4"),
                    QStringLiteral("Выбрать операцию"));
    auto *label3 = named(new QLabel(QStringLiteral("Вид"), group), QStringLiteral("Label3"));
    ComboBox1 = named(new QComboBox(group), QStringLiteral("ComboBox1"), QStringLiteral("Вид"));
    ComboBox1->addItems({QStringLiteral("Готовая продукция"), QStringLiteral("Заготовки")});
    ComboBox1->setCurrentIndex(0);

    for (QLineEdit *e : {Edit1, Edit2})
        ReadOnlyBox(e, Qt::NoFocus);
    label1->setBuddy(Button3);
    label2->setBuddy(Button4);
    label3->setBuddy(ComboBox1);
    Button3->setFixedWidth(28);
    Button4->setFixedWidth(28);
    Button3->setAutoDefault(false);
    Button4->setAutoDefault(false);

    grid->addWidget(label1, 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(Button3, 0, 2);
    grid->addWidget(label2, 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(Button4, 1, 2);
    grid->addWidget(label3, 2, 0);
    grid->addWidget(ComboBox1, 2, 1, 1, 2);
    lay->addWidget(group);

    AddDialogButtons(this, lay, Button1, Button2);
    Button2->setAutoDefault(false);
    setFixedClientSize(420, 170);
    setTabOrder(Button3, Button4);
    setTabOrder(Button4, ComboBox1);
    setTabOrder(ComboBox1, Button1);
    setTabOrder(Button1, Button2);
}

void TForm10::ConnectHandlers()
{
    connectGuarded(Button1, &QPushButton::clicked, &TForm10::Button1Click);
    connectGuarded(Button2, &QPushButton::clicked, &TForm10::Button2Click);
    connectGuarded(Button3, &QPushButton::clicked, &TForm10::Button3Click);
    connectGuarded(Button4, &QPushButton::clicked, &TForm10::Button4Click);
}

void TForm10::FormActivate()
{
    Button3->setFocus();
}

void TForm10::Button2Click()
{
    close();
}

void TForm10::Button3Click()
{
    // The product list as a picker: a choice fills the product box and id.
    if (const auto row = Form3->Pick()) {
        Edit1->setText(row->text);
        IzdelId = row->id;
    }
}

void TForm10::Button4Click()
{
    // The kinds list as a picker: a choice fills the kind box and id.
    if (const auto row = Form8->Pick()) {
        Edit2->setText(row->text);
        VidId = row->id;
    }
}

void TForm10::Button1Click()
{
    if (Edit1->text().trimmed().isEmpty() || Edit2->text().trimmed().isEmpty() || ComboBox1->currentIndex() < 0) {
        Msg::error(QStringLiteral("Все поля должны быть заполнены!"), QStringLiteral("Ошибка"));
        return;
    }
    TDataModule6 &dm = *DataModule6;
    const int naimen = ComboBox1->currentIndex();
    ReferenceOps::Operation o{0, VidId, naimen, IzdelId};
    const bool change = Tag == 2;
    if (change) {
        if (dm.Oper.recNo() <= 0)
            return;
        o.id = int(dm.Oper.asInt(QStringLiteral("id")));
    }
    if (ReferenceOps::SaveOperation(dm.ADO_DB, o, !change) == ReferenceOps::SaveResult::Duplicate) {
        Notice::error(QStringLiteral("Операция с такими параметрами уже заведена!"), QStringLiteral("Ошибка"));
        return;
    }
    done(QDialog::Accepted);
    Check::ReloadAfterWrite([&] {
        dm.Oper.close();
        dm.Oper.open();
    });
}
