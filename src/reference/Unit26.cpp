#include "reference/Unit26.h"
#include "reference/ReferenceOps.h"
#include "data/Unit6.h"
#include "ui/DBGrid.h"
#include "ui/Msg.h"
#include "ui/SearchKeys.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>

TForm26 *Form26 = nullptr;

TForm26::TForm26(QWidget *parent)
    : Form(parent),
      item(DataModule6->ADO_DB, QStringLiteral("item"),
           ReferenceOps::NomenclatureSql(), this)
{
    Form26 = this;
    setObjectName(QStringLiteral("Form26"));
    setWindowTitle(QStringLiteral("Номенклатура (26)"));
    BuildLayout();
    ConnectHandlers();
}

void TForm26::BuildLayout()
{
    auto *lay = new QVBoxLayout(this);
    DBGrid1 = named(new DBGrid(this), QStringLiteral("DBGrid1"), QStringLiteral("Номенклатура"));
    DBGrid1->setDataset(&item);
    GridColumn caption;
    caption.field = QStringLiteral("s_caption");
    caption.title = QStringLiteral("Наименование");
    caption.width = 400;
    DBGrid1->setColumns({caption});
    lay->addWidget(DBGrid1, 1);

    auto *bar = new QHBoxLayout;
    Button1 = named(new QPushButton(QStringLiteral("Выбрать"), this), QStringLiteral("Button1"));
    Edit1 = named(new QLineEdit(this), QStringLiteral("Edit1"), QStringLiteral("Поиск"));
    Edit1->setPlaceholderText(QStringLiteral("Поиск"));
    Button4 = named(new QPushButton(QStringLiteral("Выход"), this), QStringLiteral("Button4"));
    Button1->setDefault(true);
    bar->addWidget(Button1);
    bar->addWidget(Edit1, 1);
    bar->addSpacing(24);
    bar->addWidget(Button4);
    lay->addLayout(bar);
    InstallSearchKeys(Edit1, &item, SearchKeys::TypingOnly);
    setFixedClientSize(460, 420); // single fixed border, centred on the desktop
}

void TForm26::ConnectHandlers()
{
    connectGuarded(Button1, &QPushButton::clicked, &TForm26::Button1Click);
    connectGuarded(Button4, &QPushButton::clicked, &QDialog::close); // Esc too (reject)
    connectGuarded(DBGrid1, &DBGrid::DblClick, &TForm26::DBGrid1DblClick);
    connectGuarded(Edit1, &QLineEdit::textChanged, &TForm26::Edit1Change);
}

void TForm26::FormActivate()
{
    Edit1->setFocus();
}

std::optional<PickedRow> TForm26::Pick(int)
{
    m_choice.reset();
    item.open();
    const auto closeList = qScopeGuard([this] { item.close(); });
    Modal::exec(this);
    return m_choice;
}

void TForm26::Edit1Change(const QString &text)
{
    item.setSearch(QStringLiteral("s_caption"), text);
}

void TForm26::DBGrid1DblClick()
{
    Button1Click();
}

void TForm26::Button1Click()
{
    const bool haveRow = item.isOpen() && item.recNo() > 0;
    m_choice = haveRow ? PickedRow{int(item.asInt(QStringLiteral("id"))), item.text(QStringLiteral("s_caption")).trimmed()}
                       : PickedRow{};
    close();
}
