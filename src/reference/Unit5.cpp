#include "reference/Unit5.h"
#include "data/Unit6.h"
#include "reference/ListDeletes.h"
#include "reference/Unit2.h"
#include "ui/Msg.h"

#include <QLineEdit>

TForm5 *Form5 = nullptr;

TForm5::TForm5(QWidget *parent)
    : ListWindow(parent, DataModule6->Workers, QStringLiteral("id"), QStringLiteral("fio"))
{
    Form5 = this;
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Список рабочих"));
    BuildList({QStringLiteral("Список рабочих"),
               {gridColumn(QStringLiteral("fio"), QStringLiteral("ФИО"), 300),
                gridColumn(QStringLiteral("s_staffpos_hl"), QStringLiteral("Должность"), 250)},
               SearchPlace::InButtonRow,
               SearchKeys::TypingOnly,
               640,
               480});
}

void TForm5::Button1Click()
{
    Form2->Edit1->clear();
    Form2->setWindowTitle(QStringLiteral("Заведение данных нового работника"));
    Form2->Tag = 1;
    Form2->ReopenTables();
    Modal::exec(Form2);
    m_ds.reopen();
}

void TForm5::ChangeRow()
{
    Dataset &w = m_ds;
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
    Dataset &w = m_ds;
    if (!HaveRow())
        return; // nobody to delete
    const int id = int(w.asInt(QStringLiteral("id")));
    if (!Msg::question(QStringLiteral("Удалить работника?"), QStringLiteral("Удаление")))
        return;
    const int rec = w.recNo();
    ListDeletes::DeleteWorker(DataModule6->ADO_DB, id);
    w.reopen();
    if (!w.isEmpty())
        w.setRecNo(rec);
}
