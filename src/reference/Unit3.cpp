#include "reference/Unit3.h"
#include "data/Unit6.h"
#include "reference/ListDeletes.h"
#include "reference/Unit7.h"
#include "ui/Msg.h"

#include <QLineEdit>
#include <QScopeGuard>

TForm3 *Form3 = nullptr;

TForm3::TForm3(QWidget *parent)
    : ListWindow(parent, DataModule6->Izdel, QStringLiteral("id"), QStringLiteral("marka"))
{
    Form3 = this;
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Изделия (3)"));
    BuildList({QStringLiteral("Изделия"),
               {gridColumn(QStringLiteral("marka"), QStringLiteral("Марка изделия"), 260),
                gridColumn(QStringLiteral("nom"), QStringLiteral("Номенклатурная группа"), 220),
                gridColumn(QStringLiteral("massa"), QStringLiteral("Коробки"), 80)},
               SearchPlace::UnderGrid,
               SearchKeys::UpDownOnly,
               620,
               480});
}

void TForm3::BeforeMaintenance()
{
    if (Edit1->isHidden() && !Edit1->text().isEmpty())
        Edit1->clear(); // no hidden search keeps filtering the list
}

void TForm3::Button1Click()
{
    Dataset &iz = m_ds;
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

void TForm3::ChangeRow()
{
    Dataset &iz = m_ds;
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
    Dataset &iz = m_ds;
    if (!HaveRow())
        return; // no product to delete
    const int id = int(iz.asInt(QStringLiteral("id")));
    Connection &db = DataModule6->ADO_DB;
    const ListDeletes::ProductLinks links = ListDeletes::CountProductLinks(db, id, EntriesBoundDate(Today()));

    // Each confirmed step is done and kept on its own.
    if (links.operations > 0
        && Msg::question(QStringLiteral("По изделию есть расценки они будут удалены!!!"), QStringLiteral("Удаление")))
        ListDeletes::DeleteProductOperations(db, id);
    const QString question =
        links.entries > 0 ? QStringLiteral("По изделию есть операции в текущем, предыдущем месяцах и ранее, они будут "
                                           "удалены. Удалить изделие? ")
                          : QStringLiteral("Удалить изделие? ");
    if (Msg::question(question, QStringLiteral("Удаление")))
        ListDeletes::DeleteProduct(db, id, links.entries > 0);
    iz.reopen();
}
