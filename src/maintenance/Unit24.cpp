#include "maintenance/Unit24.h"
#include "data/DbError.h"
#include "data/Unit6.h"
#include "maintenance/MaintenanceOps.h"
#include "maintenance/Unit25.h"
#include "reference/Unit26.h"
#include "reference/Unit5.h"
#include "ui/Checks.h"
#include "timesheets/ClosedMonth.h"
#include "ui/Msg.h"
#include "ui/ReadOnlyBox.h"
#include "ui/Text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScopeGuard>
#include <QVBoxLayout>

TForm24 *Form24 = nullptr;

namespace {
constexpr int kPriceRole = Qt::UserRole + 1;
}

TForm24::TForm24(QWidget *parent)
    : Form(parent),
      type_work(DataModule6->ADO_DB, QStringLiteral("type_work"),
                QStringLiteral("select vo.id, vo.vid, n.price, (n.price*:cnt) as summ from accounts_dep.vid_oper "
                               "vo,accounts_dep.norm n, accounts_dep.oper o where n.o_id =o.id and o.vid=vo.id and "
                               "(vo.id = 7777 or vo.id = 7778)"),
                this)
{
    Form24 = this;
    setObjectName(QStringLiteral("Form24"));
    setWindowTitle(QStringLiteral("Хоз. работы/среднесдельная (24)"));
    BuildLayout();
    ConnectHandlers();
}

void TForm24::BuildLayout()
{
    auto *outer = new QVBoxLayout(this);
    GroupBox1 = named(new QGroupBox(QStringLiteral("Закрыто мастером"), this), QStringLiteral("GroupBox1"));
    outer->addWidget(GroupBox1);
    auto *grid = new QGridLayout(GroupBox1);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);

    auto label = [this](const QString &text, const QString &name, QWidget *buddy) {
        return buddyLabel(text, name, buddy, GroupBox1);
    };

    Edit1 = ReadOnlyBox(named(new QLineEdit(GroupBox1), QStringLiteral("Edit1"), QStringLiteral("ФИО")));
    Button3 = named(new QPushButton(QStringLiteral("..."), GroupBox1), QStringLiteral("Button3"),
                    QStringLiteral("Выбрать рабочего"));
    Edit2 = ReadOnlyBox(named(new QLineEdit(GroupBox1), QStringLiteral("Edit2"), QStringLiteral("Номенклатура")));
    Button4 = named(new QPushButton(QStringLiteral("..."), GroupBox1), QStringLiteral("Button4"),
                    QStringLiteral("Выбрать номенклатуру"));
    cb_type_work = named(new QComboBox(GroupBox1), QStringLiteral("cb_type_work"), QStringLiteral("Работа"));
    Edit6 = named(new QLineEdit(QStringLiteral("0"), GroupBox1), QStringLiteral("Edit6"), QStringLiteral("Часы"));
    Edit6->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), Edit6));
    Edit6->setMaxLength(4);
    Edit6->setFixedWidth(44);
    DBEdit1 = named(new QLineEdit(GroupBox1), QStringLiteral("DBEdit1"), QStringLiteral("Цена"));
    DBEdit2 = named(new QLineEdit(GroupBox1), QStringLiteral("DBEdit2"), QStringLiteral("Сумма"));
    for (QLineEdit *e : {DBEdit1, DBEdit2}) {
        ReadOnlyBox(e);
        e->setEnabled(false);
        e->setFixedWidth(72);
        e->setAlignment(Qt::AlignRight);
    }
    CBox1 = named(new QCheckBox(QStringLiteral("Ночные"), GroupBox1), QStringLiteral("CBox1"),
                  QStringLiteral("Ночные"));
    for (QPushButton *b : {Button3, Button4}) {
        b->setFixedWidth(26);
        b->setAutoDefault(false);
    }

    // Worker and group with their labels on the left; below, the kind, the
    // hours, the price and the sum in one row, and the night box.
    grid->addWidget(label(QStringLiteral("ФИО"), QStringLiteral("Label1"), Edit1), 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(Button3, 0, 2);
    grid->addWidget(label(QStringLiteral("Номенклатура"), QStringLiteral("Label2"), Edit2), 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(Button4, 1, 2);
    auto *row = new QHBoxLayout;
    row->setSpacing(6);
    row->addWidget(cb_type_work, 1);
    row->addWidget(Edit6);
    row->addWidget(label(QStringLiteral("ч.    Цена"), QStringLiteral("Label4"), DBEdit1));
    row->addWidget(DBEdit1);
    row->addWidget(label(QStringLiteral("р.    Сумма"), QStringLiteral("Label5"), DBEdit2));
    row->addWidget(DBEdit2);
    grid->addLayout(row, 2, 0, 1, 3);
    grid->addWidget(CBox1, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    Button1 = named(new QPushButton(QStringLiteral("Записать"), this), QStringLiteral("Button1"));
    Button6 = named(new QPushButton(QStringLiteral("Выход"), this), QStringLiteral("Button6"));
    Button1->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button6);
    outer->addLayout(buttons);

    setTabOrder(Button3, Button4);
    setTabOrder(Button4, cb_type_work);
    setTabOrder(cb_type_work, Edit6);
    setTabOrder(Edit6, CBox1);
    setTabOrder(CBox1, Button1);
    setTabOrder(Button1, Button6);

    setFixedClientSize(537, 202);
}

void TForm24::ConnectHandlers()
{
    connectGuarded(Button1, &QPushButton::clicked, &TForm24::Button1Click);
    connectGuarded(Button6, &QPushButton::clicked, &TForm24::Button6Click);
    connectGuarded(Button3, &QPushButton::clicked, &TForm24::Button3Click);
    connectGuarded(Button4, &QPushButton::clicked, &TForm24::Button4Click);
    connectGuarded(cb_type_work, &QComboBox::currentIndexChanged, &TForm24::ShowPrice);
    connectGuarded(Edit6, &QLineEdit::textChanged, &TForm24::ShowPrice);
}

void TForm24::OpenKinds()
{
    type_work.close();
    type_work.setParam(QStringLiteral("cnt"), 0);
    type_work.open();
    const QSignalBlocker block(cb_type_work);
    cb_type_work->clear();
    const int idCol = type_work.fieldIndex(QStringLiteral("id"));
    const int vidCol = type_work.fieldIndex(QStringLiteral("vid"));
    const int priceCol = type_work.fieldIndex(QStringLiteral("price"));
    for (int r = 0; r < type_work.recordCount(); ++r) {
        const int id = Dataset::textOf(type_work.valueAt(r, idCol)).toInt();
        if (cb_type_work->findData(id) >= 0)
            continue; // a kind with several norms shows once, with its first
        cb_type_work->addItem(Dataset::textOf(type_work.valueAt(r, vidCol)).trimmed(), id);
        const auto price = Text::ParseDecimal(Dataset::textOf(type_work.valueAt(r, priceCol)));
        cb_type_work->setItemData(cb_type_work->count() - 1, price ? *price : 0.0, kPriceRole);
    }
}

int TForm24::KindId() const
{
    return cb_type_work->currentIndex() < 0 ? 0 : cb_type_work->currentData().toInt();
}

double TForm24::NormPrice() const
{
    return cb_type_work->currentIndex() < 0 ? 0 : cb_type_work->currentData(kPriceRole).toDouble();
}

void TForm24::SelectKind(int kind)
{
    cb_type_work->setCurrentIndex(cb_type_work->findData(kind));
    ShowPrice();
}

void TForm24::ShowPrice()
{
    if (KindId() == 0) {
        DBEdit1->clear();
        DBEdit2->clear();
        return;
    }
    const double price = NormPrice();
    const auto hours = Text::ParseInt(Edit6->text());
    DBEdit1->setText(Text::Fixed(price, 2));
    DBEdit2->setText(Text::Fixed(price * (hours ? *hours : 0), 2));
}

void TForm24::Show()
{
    const auto closeKinds = qScopeGuard([this] { type_work.close(); });
    // Each opening starts on the worker's "..."; a list closing over the
    // dialog leaves the focus where it was.
    Button3->setFocus();
    Modal::exec(this);
}

void TForm24::OpenForAdd()
{
    if (Msg::refused(ClosedMonth::RefusalOn(DataModule6->ADO_DB, Form25->Date())))
        return;
    Tag = 0;
    EntryId = 0;
    NomId = 0;
    WorkerId = 0;
    Edit1->clear();
    Edit2->clear();
    Edit6->setText(QStringLiteral("0"));
    CBox1->setChecked(false);
    CBox1->setEnabled(true);
    OpenKinds();
    SelectKind(MaintenanceOps::Maintenance);
    Show();
}

void TForm24::OpenForChange(int entryId, int workerId, const QString &fio, int nomId, const QString &nomCaption,
                            int kind, int hours, bool night)
{
    // The list shows the entries of its date.
    if (Msg::refused(ClosedMonth::RefusalOn(DataModule6->ADO_DB, Form25->Date())))
        return;
    Tag = 1;
    EntryId = entryId;
    WorkerId = workerId;
    NomId = nomId;
    Edit1->setText(fio.trimmed());
    Edit2->setText(nomCaption.trimmed());
    Edit6->setText(QString::number(hours));
    CBox1->setChecked(night);
    CBox1->setEnabled(false);
    OpenKinds();
    SelectKind(kind);
    Show();
}

void TForm24::Button3Click()
{
    if (const auto w = Form5->Pick(24)) {
        WorkerId = w->id;
        Edit1->setText(w->text.trimmed());
    }
}

void TForm24::Button4Click()
{
    if (const auto n = Form26->Pick()) {
        NomId = n->id;
        Edit2->setText(n->text.trimmed());
    }
}

void TForm24::Button1Click()
{
    if (NomId == 0 || WorkerId == 0 || KindId() == 0) {
        Msg::error(QStringLiteral("Все поля должны быть заполнены!"), QStringLiteral("Ошибка"));
        return;
    }
    const auto hours = Text::ParseInt(Edit6->text());
    if (!hours)
        throw DbError(QStringLiteral("«%1» не является допустимым целым числом (Часы).").arg(Edit6->text()));
    if (*hours < 1) {
        Msg::error(QStringLiteral("Нужно завести количество!"), QStringLiteral("Ошибка"));
        return;
    }
    if (!Check::Hours(*hours))
        return;

    MaintenanceOps::Entry e;
    e.id = EntryId;
    e.worker = WorkerId;
    e.nomenclature = NomId;
    e.kind = KindId();
    e.date = Form25->Date();
    e.shift = Form25->ShiftNumber;
    e.hours = *hours;
    e.holiday = Form25->DayOff();
    e.night = CBox1->isChecked();
    e.price = MaintenanceOps::HourlyPrice(NormPrice(), e.holiday, e.night);
    if (!Check::Fits(QStringLiteral("Цена"), e.price, Columns::HourlyPrice()))
        return;
    try {
        MaintenanceOps::StoreEntry(DataModule6->ADO_DB, e, Tag == 0);
    } catch (const DbError &err) {
        // The month was closed meanwhile: nothing written.
        if (!err.isMonthClosed())
            throw;
        Msg::error(err.text());
        return;
    }

    accept();
    Check::ReloadAfterWrite([] { Form25->Reread(); });
}

void TForm24::Button6Click()
{
    reject();
}
