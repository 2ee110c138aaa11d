#include "reference/Unit8.h"
#include "data/Unit6.h"
#include "reference/Unit9.h"
#include "ui/DBGrid.h"
#include "ui/ListButtons.h"
#include "ui/Msg.h"
#include "ui/SearchKeys.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>

TForm8 *Form8 = nullptr;

TForm8::TForm8(QWidget *parent) : Form(parent)
{
    Form8 = this;
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Виды операций (8)"));
    BuildLayout();
    ConnectHandlers();
    setCentreOnMainWindow();
}

void TForm8::BuildLayout()
{
    auto *lay = new QVBoxLayout(this);
    DBGrid1 = named(new DBGrid(this), QStringLiteral("DBGrid1"), QStringLiteral("Виды операций"));
    DBGrid1->setDataset(&DataModule6->Vid_oper);
    GridColumn vid;
    vid.field = QStringLiteral("VID");
    vid.title = QStringLiteral("Операции");
    vid.width = 360;
    vid.boldTitle = false;
    DBGrid1->setColumns({vid});
    lay->addWidget(DBGrid1, 1);

    Edit1 = named(new QLineEdit(this), QStringLiteral("Edit1"), QStringLiteral("Поиск"));
    Edit1->setPlaceholderText(QStringLiteral("Поиск"));
    Edit1->hide(); // shown in selection mode only
    lay->addWidget(Edit1);

    AddListButtons(this, lay, Button1, Button2, Button3, Button4);
    DBGrid1->setDeleteButton(Button3);
    InstallSearchKeys(Edit1, &DataModule6->Vid_oper, SearchKeys::TypingOnly);
    resize(420, 460);
}

void TForm8::ConnectHandlers()
{
    connectGuarded(Button1, &QPushButton::clicked, &TForm8::Button1Click);
    connectGuarded(Button2, &QPushButton::clicked, &TForm8::Button2Click);
    connectGuarded(Button3, &QPushButton::clicked, &TForm8::Button3Click);
    connectGuarded(Button4, &QPushButton::clicked, &QDialog::close); // Esc too (reject)
    connectGuarded(DBGrid1, &DBGrid::DblClick, &TForm8::DBGrid1DblClick);
    connectGuarded(Edit1, &QLineEdit::textChanged, &TForm8::Edit1Change);
}

void TForm8::FormActivate()
{
    if (Edit1->isVisible())
        Edit1->setFocus();
}

void TForm8::PrepareSelection()
{
    Tag = 1;
    m_choice.reset();
    BeginSelection({Button1, Button2, Button3, Edit1}, DataModule6->Vid_oper);
}

void TForm8::FinishSelection()
{
    EndSelection({Button1, Button2, Button3, Edit1}, DataModule6->Vid_oper);
}

std::optional<PickedRow> TForm8::Pick(int)
{
    Tag = 1;
    m_choice.reset();
    RunSelection(this, DataModule6->Vid_oper, {Button1, Button2, Button3, Edit1});
    return m_choice;
}

void TForm8::OpenForMaintenance()
{
    Tag = 0;
    Dataset &v = DataModule6->Vid_oper;
    v.clearFilter();
    ShowListForMaintenance(this, v, Button1, Button2, Button3);
}

void TForm8::Edit1Change(const QString &text)
{
    Dataset &v = DataModule6->Vid_oper;
    v.setSearch(QStringLiteral("vid"), text);
}

void TForm8::DBGrid1DblClick()
{
    Button2Click();
}

void TForm8::Button1Click()
{
    Form9->Edit1->clear();
    Form9->setWindowTitle(QStringLiteral("Заведение нового вида операций"));
    Form9->Tag = 1;
    Modal::exec(Form9);
}

void TForm8::Button2Click()
{
    Dataset &v = DataModule6->Vid_oper;
    const bool haveRow = v.isOpen() && v.recNo() > 0;
    if (Tag == 1) {
        m_choice = CurrentPick(v, QStringLiteral("id"), QStringLiteral("vid"));
        close();
        return;
    }
    if (!haveRow)
        return; // no kind to rename
    Form9->setWindowTitle(QStringLiteral("Изменение данных вида операции"));
    Form9->Tag = 2;
    Form9->Edit1->setText(v.text(QStringLiteral("vid")).trimmed());
    Form9->KindId = int(v.asInt(QStringLiteral("id")));
    Modal::exec(Form9);
}

void TForm8::Button3Click()
{
    Dataset &v = DataModule6->Vid_oper;
    if (!v.isOpen() || v.recNo() <= 0)
        return; // no kind to delete
    const int id = int(v.asInt(QStringLiteral("id")));
    if (!Msg::question(QStringLiteral("Удалить вид операции?"), QStringLiteral("Удаление")))
        return;
    DataModule6->ADO_DB.exec(QStringLiteral("delete from accounts_dep.vid_oper where id=:id::integer"),
                             {{QStringLiteral("id"), id}});
    v.reopen();
}
