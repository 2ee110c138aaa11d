#include "reference/Unit4.h"
#include "reference/ReferenceOps.h"
#include "data/Unit6.h"
#include "export/SheetWriter.h"
#include "reference/Unit10.h"
#include "reference/Unit22.h"
#include "ui/DBGrid.h"
#include "ui/ListButtons.h"
#include "ui/Msg.h"
#include "ui/Text.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>

TForm4 *Form4 = nullptr;

namespace {

// naimen of the current row: 0 finished product, anything else blanks.
bool finishedProduct(const Dataset &ds)
{
    return !ds.isNull(QStringLiteral("naimen")) && ds.asInt(QStringLiteral("naimen")) == 0;
}

QString productKind(int naimen)
{
    return naimen == 0 ? QStringLiteral("Готовая продукция") : QStringLiteral("Заготовки");
}

int naimenOf(const Dataset &ds)
{
    return finishedProduct(ds) ? 0 : 1;
}

} // namespace

QString TForm4::xlsRepSql()
{
    return ReferenceOps::OperationsExportSql();
}

TForm4::TForm4(QWidget *parent)
    : Form(parent), XLS_Rep(DataModule6->ADO_DB, QStringLiteral("XLS_Rep"), xlsRepSql(), this)
{
    Form4 = this;
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Операции"));
    BuildLayout();
    ConnectHandlers();
    setCentreOnMainWindow();
}

void TForm4::BuildLayout()
{
    auto *lay = new QVBoxLayout(this);
    DBGrid1 = named(new DBGrid(this), QStringLiteral("DBGrid1"), QStringLiteral("Операции"));
    DBGrid1->setDataset(&DataModule6->Oper);
    auto column = [](const char *field, const char *title, int width, bool right) {
        GridColumn c;
        c.field = QString::fromUtf8(field);
        c.title = QString::fromUtf8(title);
        c.width = width;
        c.align = (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
        c.boldTitle = false;
        c.titleAlign = Qt::AlignCenter;
        return c;
    };
    const QList<GridColumn> cols{
        column("MARKA", "Марка", 230, false),
        column("VID", "Опреция", 200, false),
        column("cena", "Цена (min)", 80, true),
        column("nmn", "Вид", 140, false),
        column("norma", "Нормы (шт.)", 80, true),
    };
    DBGrid1->setColumns(cols);
    lay->addWidget(DBGrid1);

    auto *row = new QHBoxLayout();
    Button1 = named(new QPushButton(QStringLiteral("Добавить"), this), QStringLiteral("Button1"));
    Button2 = named(new QPushButton(QStringLiteral("Изменить"), this), QStringLiteral("Button2"));
    Button3 = named(new QPushButton(QStringLiteral("Удалить"), this), QStringLiteral("Button3"));
    DBGrid1->setDeleteButton(Button3);
    Button5 = named(new QPushButton(QStringLiteral("Excel"), this), QStringLiteral("Button5"));
    CheckBox1 = named(new QCheckBox(QStringLiteral("Цены"), this), QStringLiteral("CheckBox1"));
    Edit1 = named(new QLineEdit(this), QStringLiteral("Edit1"), QStringLiteral("Поиск по марке"));
    Button4 = named(new QPushButton(QStringLiteral("Выход"), this), QStringLiteral("Button4"));
    for (QPushButton *b : {Button2, Button3, Button5, Button4})
        b->setAutoDefault(false);
    Button1->setDefault(true);
    row->addWidget(Button1);
    row->addWidget(Button2);
    row->addWidget(Button3);
    row->addWidget(Button5);
    row->addWidget(CheckBox1);
    row->addWidget(Edit1, 1);
    row->addWidget(Button4);
    lay->addLayout(row);
    setFixedClientSize(800, 480);
}

void TForm4::ConnectHandlers()
{
    connectGuarded(Button1, &QPushButton::clicked, &TForm4::Button1Click);
    connectGuarded(Button2, &QPushButton::clicked, &TForm4::Button2Click);
    connectGuarded(Button3, &QPushButton::clicked, &TForm4::Button3Click);
    connectGuarded(Button4, &QPushButton::clicked, &TForm4::Button4Click);
    connectGuarded(Button5, &QPushButton::clicked, &TForm4::Button5Click);
    connectGuarded(DBGrid1, &DBGrid::DblClick, &TForm4::DBGrid1DblClick);
    connectGuarded(Edit1, &QLineEdit::textChanged, &TForm4::Edit1Change);
    Edit1->installEventFilter(this);
}

void TForm4::FormActivate()
{
    if (Edit1->isVisible())
        Edit1->setFocus();
}

void TForm4::OpenForMaintenance()
{
    Tag = 0;
    ShowListForMaintenance(this, DataModule6->Oper, Button1, Button2, Button3);
}

QString TForm4::OperationText(const QString &marka, const QString &vid, int naimen)
{
    return marka.trimmed() + QStringLiteral("; ") + vid.trimmed() + QStringLiteral("; ") + productKind(naimen);
}

std::optional<OperationChoice> TForm4::SelectOperation(int operationId, const std::function<double(double)> &priceOf)
{
    Dataset &oper = DataModule6->Oper;
    Tag = 1;
    Button2->setText(QStringLiteral("Выбрать"));
    Button1->setDefault(false);
    Button2->setDefault(true);
    Button1->hide();
    Button3->hide();
    Edit1->show();
    Edit1->clear();
    oper.clearFilter();
    oper.open();
    if (operationId == 0 || !oper.locate(QStringLiteral("id"), operationId))
        oper.first();
    m_choice.reset();
    m_priceOf = priceOf;
    const auto forget = qScopeGuard([this] { m_priceOf = {}; });
    Modal::exec(this);
    Button2->setDefault(false);
    Edit1->hide();
    Edit1->clear();
    oper.clearFilter();
    return m_choice;
}

void TForm4::Edit1Change(const QString &text)
{
    Dataset &oper = DataModule6->Oper;
    if (text.trimmed().isEmpty())
        oper.clearFilter();
    else
        oper.setFilter(QStringLiteral("marka"), QLatin1Char('%') + text + QLatin1Char('%'), true);
}

bool TForm4::eventFilter(QObject *o, QEvent *e)
{
    if (o == Edit1 && e->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent *>(e)->key()) {
        case Qt::Key_Up:
            DataModule6->Oper.prior();
            return true;
        case Qt::Key_Down:
            DataModule6->Oper.next();
            return true;
        case Qt::Key_Delete:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
            // The search box takes typed characters and Backspace only.
            return true;
        default:
            break;
        }
    }
    return Form::eventFilter(o, e);
}

void TForm4::DBGrid1DblClick()
{
    if (!CheckBox1->isChecked() || Tag == 1) {
        Button2Click();
        return;
    }
    Dataset &oper = DataModule6->Oper;
    if (oper.recNo() <= 0)
        return;
    Form22->ShowNorms(int(oper.asInt(QStringLiteral("id"))));
}

void TForm4::Button1Click()
{
    Form10->Edit1->clear();
    Form10->Edit2->clear();
    Form10->ComboBox1->setCurrentIndex(0);
    Form10->setWindowTitle(QStringLiteral("Заведение новой цены за операцию"));
    Form10->Tag = 1;
    Modal::exec(Form10);
}

void TForm4::Button2Click()
{
    Dataset &oper = DataModule6->Oper;
    if (oper.recNo() <= 0)
        return;
    if (Tag == 1) {
        OperationChoice c;
        c.productId = int(oper.asInt(QStringLiteral("i_id")));
        c.operationId = int(oper.asInt(QStringLiteral("id")));
        c.basePrice = oper.asDouble(QStringLiteral("cena"));
        c.price = m_priceOf ? m_priceOf(c.basePrice) : c.basePrice;
        c.text = OperationText(oper.text(QStringLiteral("marka")), oper.text(QStringLiteral("vid")), naimenOf(oper));
        m_choice = c;
        done(QDialog::Accepted);
        return;
    }
    Form10->setWindowTitle(QStringLiteral("Изменение данных о цене за операцию"));
    Form10->Tag = 2;
    Form10->Edit1->setText(oper.text(QStringLiteral("marka")).trimmed());
    Form10->Edit2->setText(oper.text(QStringLiteral("vid")).trimmed());
    Form10->ComboBox1->setCurrentIndex(finishedProduct(oper) ? 0 : 1);
    Form10->IzdelId = int(oper.asInt(QStringLiteral("i_id")));
    Form10->VidId = int(oper.asInt(QStringLiteral("oper_vid")));
    Modal::exec(Form10);
}

void TForm4::Button3Click()
{
    Dataset &oper = DataModule6->Oper;
    if (oper.recNo() <= 0)
        return;
    if (!Msg::question(QStringLiteral("Удалить операцию?"), QStringLiteral("Удаление")))
        return;
    ReferenceOps::DeleteOperation(DataModule6->ADO_DB, int(oper.asInt(QStringLiteral("id"))));
    oper.close();
    oper.open();
}

void TForm4::Button4Click()
{
    close();
}

void TForm4::Button5Click()
{
    Busy busy(this);
    WaitCursor wait;
    XLS_Rep.close();
    XLS_Rep.open();
    struct CloseAfter {
        Dataset &ds;
        ~CloseAfter() { ds.close(); }
    } closeAfter{XLS_Rep};

    XlsExport xls;
    if (!xls.start(QStringLiteral("Операции")))
        return;
    // Read by row number: the list's current row does not follow the export.
    const auto field = [this](const char *name) {
        return [this, name](int r) { return Dataset::textOf(XLS_Rep.valueAt(r, QString::fromLatin1(name))); };
    };
    const auto cena = [this](int r) {
        const std::optional<double> v = Text::ParseDecimal(Dataset::textOf(XLS_Rep.valueAt(r, QStringLiteral("cena"))));
        return v ? Text::Number(*v) : QString();
    };
    const auto kind = [this](int r) {
        const std::optional<int> n = Text::ParseInt(Dataset::textOf(XLS_Rep.valueAt(r, QStringLiteral("naimen"))));
        return productKind(n.value_or(1));
    };
    SheetLoop loop;
    loop.plain = true;
    WriteSheet(xls,
               {{QStringLiteral("Марка"), field("marka")},
                {QStringLiteral("Операция"), field("vid")},
                {QStringLiteral("Цена"), cena},
                {QStringLiteral("Вид"), kind}},
               XLS_Rep.recordCount(), loop);
    xls.show();
}
