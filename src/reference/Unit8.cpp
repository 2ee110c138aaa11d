#include "reference/Unit8.h"
#include "data/Unit6.h"
#include "reference/ListDeletes.h"
#include "reference/Unit9.h"
#include "ui/Msg.h"

#include <QLineEdit>

TForm8 *Form8 = nullptr;

namespace {
GridColumn KindColumn()
{
    GridColumn vid;
    vid.field = QStringLiteral("VID");
    vid.title = QStringLiteral("Операции");
    vid.width = 360;
    vid.boldTitle = false;
    return vid;
}
} // namespace

TForm8::TForm8(QWidget *parent)
    : ListWindow(parent, DataModule6->Vid_oper, QStringLiteral("id"), QStringLiteral("vid"))
{
    Form8 = this;
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Виды операций (8)"));
    BuildList({QStringLiteral("Виды операций"), {KindColumn()}, SearchPlace::UnderGridHidden, SearchKeys::TypingOnly,
               420, 460});
    setCentreOnMainWindow();
}

void TForm8::BeforeMaintenance()
{
    m_ds.clearFilter();
}

void TForm8::Button1Click()
{
    Form9->Edit1->clear();
    Form9->setWindowTitle(QStringLiteral("Заведение нового вида операций"));
    Form9->Tag = 1;
    Modal::exec(Form9);
}

void TForm8::ChangeRow()
{
    Dataset &v = m_ds;
    Form9->setWindowTitle(QStringLiteral("Изменение данных вида операции"));
    Form9->Tag = 2;
    Form9->Edit1->setText(v.text(QStringLiteral("vid")).trimmed());
    Form9->KindId = int(v.asInt(QStringLiteral("id")));
    Modal::exec(Form9);
}

void TForm8::Button3Click()
{
    Dataset &v = m_ds;
    if (!HaveRow())
        return; // no kind to delete
    const int id = int(v.asInt(QStringLiteral("id")));
    if (!Msg::question(QStringLiteral("Удалить вид операции?"), QStringLiteral("Удаление")))
        return;
    ListDeletes::DeleteOperationKind(DataModule6->ADO_DB, id);
    v.reopen();
}
