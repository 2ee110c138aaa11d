#include "reference/Unit5.h"
#include "data/Unit6.h"
#include "reference/Unit2.h"
#include "ui/DBGrid.h"
#include "ui/ListButtons.h"
#include "ui/Msg.h"
#include "ui/SearchKeys.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>

TForm5 *Form5 = nullptr;

TForm5::TForm5(QWidget *parent) : Form(parent)
{
    Form5 = this;
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Список рабочих"));
    BuildLayout();
    ConnectHandlers();
}

void TForm5::BuildLayout()
{
    auto *lay = new QVBoxLayout(this);
    DBGrid1 = named(new DBGrid(this), QStringLiteral("DBGrid1"), QStringLiteral("Список рабочих"));
    DBGrid1->setDataset(&DataModule6->Workers);
    DBGrid1->setColumns({gridColumn(QStringLiteral("fio"), QStringLiteral("ФИО"), 300),
                         gridColumn(QStringLiteral("s_staffpos_hl"), QStringLiteral("Должность"), 250)});
    lay->addWidget(DBGrid1, 1);

    Edit1 = named(new QLineEdit(this), QStringLiteral("Edit1"), QStringLiteral("Поиск"));
    Edit1->setPlaceholderText(QStringLiteral("Поиск"));
    AddListButtons(this, lay, Button1, Button2, Button3, Button4, Edit1);
    DBGrid1->setDeleteButton(Button3);
    InstallSearchKeys(Edit1, &DataModule6->Workers, SearchKeys::TypingOnly);
    resize(640, 480);
}

void TForm5::ConnectHandlers()
{
    connectGuarded(Button1, &QPushButton::clicked, &TForm5::Button1Click);
    connectGuarded(Button2, &QPushButton::clicked, &TForm5::Button2Click);
    connectGuarded(Button3, &QPushButton::clicked, &TForm5::Button3Click);
    connectGuarded(Button4, &QPushButton::clicked, &QDialog::close); // Esc too (reject)
    connectGuarded(DBGrid1, &DBGrid::DblClick, &TForm5::DBGrid1DblClick);
    connectGuarded(Edit1, &QLineEdit::textChanged, &TForm5::Edit1Change);
}

void TForm5::FormActivate()
{
    if (Edit1->isVisible())
        Edit1->setFocus();
}

PickerControls TForm5::pickerControls() const
{
    PickerControls c{Button1, Button2, Button3, Edit1};
    c.searchAlwaysVisible = true;
    return c;
}

void TForm5::PrepareSelection(int mode)
{
    Tag = mode;
    m_choice.reset();
    BeginSelection(pickerControls(), DataModule6->Workers);
}

std::optional<PickedRow> TForm5::Pick(int mode)
{
    Tag = mode;
    m_choice.reset();
    RunSelection(this, DataModule6->Workers, pickerControls());
    return m_choice;
}

void TForm5::OpenForMaintenance()
{
    Tag = 0;
    Dataset &w = DataModule6->Workers;
    ShowListForMaintenance(this, w, Button1, Button2, Button3);
}

void TForm5::Edit1Change(const QString &text)
{
    Dataset &w = DataModule6->Workers;
    w.setSearch(QStringLiteral("fio"), text);
}

void TForm5::DBGrid1DblClick()
{
    Button2Click();
}

void TForm5::Button1Click()
{
    Form2->Edit1->clear();
    Form2->setWindowTitle(QStringLiteral("Заведение данных нового работника"));
    Form2->Tag = 1;
    Form2->ReopenTables();
    Modal::exec(Form2);
    DataModule6->Workers.reopen();
}

void TForm5::Button2Click()
{
    Dataset &w = DataModule6->Workers;
    if (IsSelecting()) {
        m_choice = CurrentPick(w, QStringLiteral("id"), QStringLiteral("fio"));
        close();
        return;
    }
    if (!w.isOpen() || w.recNo() <= 0)
        return; // nobody to change
    const int rec = w.recNo();
    Form2->setWindowTitle(QStringLiteral("Изменение данных работника"));
    Form2->Tag = 2;
    Form2->ReopenTables();
    Form2->Edit1->setText(w.text(QStringLiteral("fio")).trimmed());
    Form2->WorkerId = int(w.asInt(QStringLiteral("id")));
    Form2->StoredPosition = w.text(QStringLiteral("s_staffpos_hl"));
    Form2->SelectDepartment(Form2->StoredPosition);
    Modal::exec(Form2);
    w.reopen();
    if (!w.isEmpty())
        w.setRecNo(rec);
    close();
}

void TForm5::Button3Click()
{
    Dataset &w = DataModule6->Workers;
    if (!w.isOpen() || w.recNo() <= 0)
        return; // nobody to delete
    const int id = int(w.asInt(QStringLiteral("id")));
    if (!Msg::question(QStringLiteral("Удалить работника?"), QStringLiteral("Удаление")))
        return;
    const int rec = w.recNo();
    Form2->cmd_person.execute(QStringLiteral("delete from accounts_dep.person where id =:id::integer"),
                              {{QStringLiteral("id"), id}});
    w.reopen();
    if (!w.isEmpty())
        w.setRecNo(rec);
}
