#include "reference/Unit3.h"
#include "data/Unit6.h"
#include "reference/Unit7.h"
#include "ui/DBGrid.h"
#include "ui/ListButtons.h"
#include "ui/Msg.h"
#include "ui/SearchKeys.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>

TForm3 *Form3 = nullptr;

TForm3::TForm3(QWidget *parent)
    : Form(parent),
      Izdel_Smena(DataModule6->ADO_DB, QStringLiteral("Izdel_Smena"),
                  QStringLiteral("select count(*) as cnt from accounts_dep.smena where i_id=:id_ii::integer and "
                                 "data>=:dt::date"),
                  this),
      ii_oper(DataModule6->ADO_DB, QStringLiteral("ii_oper"),
              QStringLiteral("select count(*) as cnt from accounts_dep.oper o where o.i_id =:id_ii::integer"), this)
{
    Form3 = this;
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Изделия (3)"));
    BuildLayout();
    ConnectHandlers();
}

void TForm3::BuildLayout()
{
    auto *lay = new QVBoxLayout(this);
    DBGrid1 = named(new DBGrid(this), QStringLiteral("DBGrid1"), QStringLiteral("Изделия"));
    DBGrid1->setDataset(&DataModule6->Izdel);
    DBGrid1->setColumns({gridColumn(QStringLiteral("marka"), QStringLiteral("Марка изделия"), 260),
                         gridColumn(QStringLiteral("nom"), QStringLiteral("Номенклатурная группа"), 220),
                         gridColumn(QStringLiteral("massa"), QStringLiteral("Коробки"), 80)});
    lay->addWidget(DBGrid1, 1);

    Edit1 = named(new QLineEdit(this), QStringLiteral("Edit1"), QStringLiteral("Поиск"));
    Edit1->setPlaceholderText(QStringLiteral("Поиск"));
    lay->addWidget(Edit1);

    AddListButtons(this, lay, Button1, Button2, Button3, Button4);
    DBGrid1->setDeleteButton(Button3);
    InstallSearchKeys(Edit1, &DataModule6->Izdel, SearchKeys::UpDownOnly);
    resize(620, 480);
}

void TForm3::ConnectHandlers()
{
    connectGuarded(Button1, &QPushButton::clicked, &TForm3::Button1Click);
    connectGuarded(Button2, &QPushButton::clicked, &TForm3::Button2Click);
    connectGuarded(Button3, &QPushButton::clicked, &TForm3::Button3Click);
    connectGuarded(Button4, &QPushButton::clicked, &QDialog::close); // Esc too (reject)
    connectGuarded(DBGrid1, &DBGrid::DblClick, &TForm3::DBGrid1DblClick);
    connectGuarded(Edit1, &QLineEdit::textChanged, &TForm3::Edit1Change);
}

void TForm3::FormActivate()
{
    if (Edit1->isVisible())
        Edit1->setFocus();
}

void TForm3::PrepareSelection()
{
    Tag = 1;
    m_choice.reset();
    BeginSelection({Button1, Button2, Button3, Edit1}, DataModule6->Izdel);
}

void TForm3::FinishSelection()
{
    EndSelection({Button1, Button2, Button3, Edit1}, DataModule6->Izdel);
}

std::optional<PickedRow> TForm3::Pick(int)
{
    Tag = 1;
    m_choice.reset();
    RunSelection(this, DataModule6->Izdel, {Button1, Button2, Button3, Edit1});
    return m_choice;
}

void TForm3::OpenForMaintenance()
{
    Tag = 0;
    Dataset &iz = DataModule6->Izdel;
    if (Edit1->isHidden() && !Edit1->text().isEmpty())
        Edit1->clear(); // no hidden search keeps filtering the list
    ShowListForMaintenance(this, iz, Button1, Button2, Button3);
}

void TForm3::Edit1Change(const QString &text)
{
    Dataset &iz = DataModule6->Izdel;
    iz.setSearch(QStringLiteral("marka"), text);
}

void TForm3::DBGrid1DblClick()
{
    Button2Click();
}

void TForm3::Button1Click()
{
    Dataset &iz = DataModule6->Izdel;
    const int rec = iz.recNo();
    Form7->Edit1->clear();
    Form7->Edit2->clear();
    Form7->setWindowTitle(QStringLiteral("Заведение нового изделия (7)"));
    Form7->Tag = 1;
    Form7->ProductId = 0;
    Form7->OpenGroupList();
    const auto closeGroups = qScopeGuard([] { Form7->CloseGroupList(); });
    Modal::exec(Form7);
    iz.setRecNo(rec);
}

void TForm3::Button2Click()
{
    Dataset &iz = DataModule6->Izdel;
    const bool haveRow = iz.isOpen() && iz.recNo() > 0;
    if (Tag == 1) {
        m_choice = CurrentPick(iz, QStringLiteral("id"), QStringLiteral("marka"));
        close();
        return;
    }
    if (!haveRow)
        return; // no product to change
    const int rec = iz.recNo();
    Form7->setWindowTitle(QStringLiteral("Изменение данных изделия (7)"));
    Form7->Tag = 2;
    Form7->ProductId = iz.asInt(QStringLiteral("id"));
    Form7->Edit1->setText(iz.text(QStringLiteral("marka")).trimmed());
    Form7->Edit2->setText(TForm7::BoxesText(iz.text(QStringLiteral("massa"))));
    Form7->OpenGroupList();
    const auto closeGroups = qScopeGuard([] { Form7->CloseGroupList(); });
    Form7->SelectGroup(iz.asInt(QStringLiteral("id_class_item"))); // a missing group reads 0
    Modal::exec(Form7);
    iz.setRecNo(rec);
}

QDate TForm3::EntriesBoundDate(const QDate &today)
{
    const int month = today.month() == 1 ? 12 : today.month() - 1;
    return QDate(2000, month, 1);
}

void TForm3::Button3Click()
{
    TDataModule6 &dm = *DataModule6;
    Dataset &iz = dm.Izdel;
    if (!iz.isOpen() || iz.recNo() <= 0)
        return; // no product to delete
    const qint64 id = iz.asInt(QStringLiteral("id"));

    Izdel_Smena.close();
    Izdel_Smena.setParam(QStringLiteral("id_ii"), id);
    Izdel_Smena.setParam(QStringLiteral("dt"), EntriesBoundDate(Today()));
    Izdel_Smena.open();
    const qint64 entries = Izdel_Smena.asInt(QStringLiteral("cnt"));
    Izdel_Smena.close();

    ii_oper.close();
    ii_oper.setParam(QStringLiteral("id_ii"), id);
    ii_oper.open();
    const qint64 operations = ii_oper.asInt(QStringLiteral("cnt"));
    ii_oper.close();

    // Each confirmed step is done and kept on its own.
    const SqlParams byId{{QStringLiteral("id"), id}};
    if (operations > 0
        && Msg::question(QStringLiteral("По изделию есть расценки они будут удалены!!!"), QStringLiteral("Удаление"))) {
        Transaction t(dm.ADO_DB);
        dm.DelSmena.execute(QStringLiteral("delete from accounts_dep.oper o where o.i_id =:id::integer"), byId);
        t.commit();
    }
    const QString question =
        entries > 0 ? QStringLiteral("По изделию есть операции в текущем, предыдущем месяцах и ранее, они будут "
                                     "удалены. Удалить изделие? ")
                    : QStringLiteral("Удалить изделие? ");
    if (Msg::question(question, QStringLiteral("Удаление"))) {
        Transaction t(dm.ADO_DB);
        if (entries > 0)
            dm.DelSmena.execute(QStringLiteral("delete from accounts_dep.smena s where s.i_id =:id::integer"), byId);
        dm.ADO_DB.scalar(QStringLiteral("select accounts_dep.product_delete(:id::numeric)"), byId);
        t.commit();
    }
    iz.reopen();
}
