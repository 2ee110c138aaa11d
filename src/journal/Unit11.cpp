#include "journal/Unit11.h"
#include "data/DbError.h"
#include "data/Unit6.h"
#include "journal/EntryPrice.h"
#include "journal/JournalOps.h"
#include "journal/Unit1.h"
#include "reference/Unit4.h"
#include "reference/Unit5.h"
#include "ui/Checks.h"
#include "timesheets/ClosedMonth.h"
#include "ui/Msg.h"
#include "ui/ReadOnlyBox.h"
#include "ui/Text.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

TForm11 *Form11 = nullptr;

namespace {
// A price or sum as the editor shows it: rounded to 4 places, the user's
// separator, no trailing zeros.
QString priceText(double v)
{
    return Text::Number(EntryPrice::Round4(v));
}
} // namespace

TForm11::TForm11(QWidget *parent) : Form(parent)
{
    Form11 = this;
    setObjectName(QStringLiteral("Form11"));
    BuildLayout();
    ConnectHandlers();
    setCentreOnMainWindow();
}

void TForm11::BuildLayout()
{
    auto *outer = new QVBoxLayout(this);
    GroupBox1 = named(new QGroupBox(QStringLiteral("Закрыто мастером"), this), QStringLiteral("GroupBox1"));
    outer->addWidget(GroupBox1);
    auto *grid = new QGridLayout(GroupBox1);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(2);

    // Digit-only boxes: 0 to 9 typed or pasted, Backspace and the editing keys.
    auto *digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    auto digitOnly = [digits](QLineEdit *e) {
        e->setValidator(digits);
        return e;
    };
    auto label = [this](const QString &text, const QString &name, QWidget *buddy) {
        return buddyLabel(text, name, buddy, GroupBox1);
    };

    Edit1 = ReadOnlyBox(named(new QLineEdit(GroupBox1), QStringLiteral("Edit1"), QStringLiteral("ФИО")));
    Button3 = named(new QPushButton(QStringLiteral("..."), GroupBox1), QStringLiteral("Button3"),
                    QStringLiteral("Выбрать рабочего"));
    Edit2 = ReadOnlyBox(named(new QLineEdit(GroupBox1), QStringLiteral("Edit2"), QStringLiteral("Операция")));
    Button4 = named(new QPushButton(QStringLiteral("..."), GroupBox1), QStringLiteral("Button4"),
                    QStringLiteral("Выбрать операцию"));
    Edit3 = digitOnly(named(new QLineEdit(GroupBox1), QStringLiteral("Edit3"), QStringLiteral("Кол-во")));
    Edit6 = digitOnly(named(new QLineEdit(QStringLiteral("0"), GroupBox1), QStringLiteral("Edit6"),
                            QStringLiteral("Время")));
    Edit5 = digitOnly(named(new QLineEdit(GroupBox1), QStringLiteral("Edit5"), QStringLiteral("Цвет")));
    DTimeP = named(new QDateEdit(GroupBox1), QStringLiteral("DTimeP"), QStringLiteral("Дата"));
    DTimeP->setCalendarPopup(true);
    DTimeP->setDisplayFormat(Text::DateFormat());
    DTimeP->setDate(QDate::currentDate());
    Edit4 = digitOnly(named(new QLineEdit(QStringLiteral("0"), GroupBox1), QStringLiteral("Edit4"),
                            QStringLiteral("Брак")));
    Edit8 = ReadOnlyBox(named(new QLineEdit(GroupBox1), QStringLiteral("Edit8"), QStringLiteral("Цена база")));
    Edit7 = ReadOnlyBox(named(new QLineEdit(GroupBox1), QStringLiteral("Edit7"), QStringLiteral("Цена итог")));
    Edit9 = ReadOnlyBox(named(new QLineEdit(GroupBox1), QStringLiteral("Edit9"), QStringLiteral("Сумма")));
    for (QPushButton *b : {Button3, Button4}) {
        b->setFixedWidth(26);
        b->setAutoDefault(false);
    }
    Edit1->setMinimumWidth(220);
    Edit2->setMinimumWidth(300);
    for (QLineEdit *e : {Edit3, Edit6, Edit5, Edit4})
        e->setFixedWidth(70);
    for (QLineEdit *e : {Edit8, Edit7, Edit9})
        e->setMinimumWidth(90);

    // Row 1: worker, operation, quantity, hours, colour.
    grid->addWidget(label(QStringLiteral("ФИО"), QStringLiteral("Label1"), Edit1), 0, 0, 1, 2);
    grid->addWidget(label(QStringLiteral("Операция"), QStringLiteral("Label2"), Edit2), 0, 2, 1, 2);
    grid->addWidget(label(QStringLiteral("Кол-во"), QStringLiteral("Label3"), Edit3), 0, 4);
    grid->addWidget(label(QStringLiteral("Время"), QStringLiteral("Label4"), Edit6), 0, 5);
    Label6 = label(QStringLiteral("Цвет"), QStringLiteral("Label6"), Edit5);
    grid->addWidget(Label6, 0, 6);
    grid->addWidget(Edit1, 1, 0);
    grid->addWidget(Button3, 1, 1);
    grid->addWidget(Edit2, 1, 2);
    grid->addWidget(Button4, 1, 3);
    grid->addWidget(Edit3, 1, 4);
    grid->addWidget(Edit6, 1, 5);
    grid->addWidget(Edit5, 1, 6);
    // Row 2: date, rejects and the computed prices.
    auto *row2 = new QHBoxLayout;
    auto addPair = [&](const QString &text, const QString &name, QWidget *w) {
        auto *col = new QVBoxLayout;
        col->setSpacing(2);
        col->addWidget(label(text, name, w));
        col->addWidget(w);
        row2->addLayout(col);
    };
    addPair(QStringLiteral("Дата"), QStringLiteral("Label5"), DTimeP);
    addPair(QStringLiteral("Брак"), QStringLiteral("Label7"), Edit4);
    addPair(QStringLiteral("Цена база"), QStringLiteral("Label8"), Edit8);
    addPair(QStringLiteral("Цена итог"), QStringLiteral("Label9"), Edit7);
    addPair(QStringLiteral("Сумма"), QStringLiteral("Label10"), Edit9);
    row2->addStretch(1);
    grid->setRowMinimumHeight(2, 6);
    grid->addLayout(row2, 3, 0, 1, 7);

    Button1 = named(new QPushButton(QStringLiteral("Запись"), this), QStringLiteral("Button1"));
    Button2 = named(new QPushButton(QStringLiteral("Отмена"), this), QStringLiteral("Button2"));
    Button1->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    outer->addLayout(buttons);

    setTabOrder(Button3, Button4);
    setTabOrder(Button4, Edit3);
    setTabOrder(Edit3, Edit6);
    setTabOrder(Edit6, Edit5);
    setTabOrder(Edit5, DTimeP);
    setTabOrder(DTimeP, Edit4);
    setTabOrder(Edit4, Button1);
    setTabOrder(Button1, Button2);

    setFixedSize(sizeHint());
}

void TForm11::ConnectHandlers()
{
    connectGuarded(Button1, &QPushButton::clicked, &TForm11::Button1Click);
    connectGuarded(Button2, &QPushButton::clicked, &TForm11::Button2Click);
    connectGuarded(Button3, &QPushButton::clicked, &TForm11::Button3Click);
    connectGuarded(Button4, &QPushButton::clicked, &TForm11::Button4Click);
    for (QObject *o : {static_cast<QObject *>(Edit1), static_cast<QObject *>(Edit2),
                       static_cast<QObject *>(Edit3), static_cast<QObject *>(Edit6)})
        o->installEventFilter(this);
}

bool TForm11::eventFilter(QObject *o, QEvent *e)
{
    if (e->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent *>(e)->button() == Qt::LeftButton) {
        // A click on the worker's or the operation's box picks like its "...".
        if (o == Edit1) {
            runGuarded([this] { Button3Click(); });
            return true;
        }
        if (o == Edit2) {
            runGuarded([this] { Button4Click(); });
            return true;
        }
    }
    if (e->type() == QEvent::FocusOut && (o == Edit3 || o == Edit6) && isVisible())
        runGuarded([this] { RecomputeBoxes(); });
    return Form::eventFilter(o, e);
}

bool TForm11::TakesColour(const QString &operationText)
{
    return operationText.toUpper().contains(QStringLiteral("КРАСКА"));
}

void TForm11::SetColourState()
{
    const bool on = TakesColour(Edit2->text());
    if (!on)
        Edit5->clear();
    Edit5->setEnabled(on);
    Label6->setEnabled(on);
}

void TForm11::ClearBoxes()
{
    for (QLineEdit *e : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8, Edit9})
        e->clear();
}

void TForm11::FormActivate()
{
    Button3->setFocus();
}

void TForm11::OpenForAdd()
{
    if (Msg::refused(ClosedMonth::RefusalOn(DataModule6->ADO_DB, Form1->DateT->date())))
        return;
    DTimeP->setDate(Form1->DateT->date());
    Edit1->clear();
    Edit2->clear();
    Edit3->clear();
    Edit5->clear();
    Edit4->setText(QStringLiteral("0"));
    Edit6->setText(QStringLiteral("0"));
    // No operation chosen yet: no prices to show and no colour to take.
    Edit7->clear();
    Edit8->clear();
    Edit9->clear();
    m_baseText.clear();
    Basis.reset();
    SetColourState();
    setWindowTitle(QStringLiteral("Заведение новой позиции (11)"));
    Tag = 1;
    Modal::exec(this);
}

void TForm11::OpenForChange()
{
    Dataset &j = Form1->CurrentJournal();
    const int rec = j.recNo();
    if (!j.isOpen() || j.isEmpty())
        return;
    if (Msg::refused(ClosedMonth::RefusalOn(DataModule6->ADO_DB, j.asDate(QStringLiteral("data")))))
        return;
    setWindowTitle(QStringLiteral("Изменение данных о позиции (11)"));
    Tag = 2;
    FinalPrice = j.asDouble(QStringLiteral("cena"));
    Edit7->setText(priceText(FinalPrice));
    Edit9->setText(priceText(j.asDouble(QStringLiteral("kol_vo")) * FinalPrice));
    Edit8->clear();
    m_baseText.clear();
    Basis.reset();
    DTimeP->setDate(j.asDate(QStringLiteral("data")));
    Edit1->setText(j.text(QStringLiteral("fio")).trimmed());
    Edit2->setText(TForm4::OperationText(j.text(QStringLiteral("marka")), j.text(QStringLiteral("vid")),
                                 int(j.asInt(QStringLiteral("naimen")))));
    Edit3->setText(j.text(QStringLiteral("kol_vo")).trimmed());
    Edit4->setText(j.text(QStringLiteral("brak")).trimmed());
    Edit6->setText(QString::number(j.asInt(QStringLiteral("time"))));
    WorkerId = int(j.asInt(QStringLiteral("w_id")));
    ProductId = int(j.asInt(QStringLiteral("i_id")));
    OperId = int(j.asInt(QStringLiteral("o_id")));
    EntryId = int(j.asInt(QStringLiteral("id")));
    SetColourState();
    if (Edit5->isEnabled())
        Edit5->setText(j.text(QStringLiteral("color")).trimmed());
    Modal::exec(this);
    j.setRecNo(rec);
}

void TForm11::WorkerChosen(int id, const QString &fio)
{
    WorkerId = id;
    Edit1->setText(fio.trimmed());
}

void TForm11::OperationChosen(int operId, int productId, double finalPrice, const QString &text)
{
    OperId = operId;
    ProductId = productId;
    FinalPrice = finalPrice;
    Edit2->setText(text);
}

void TForm11::Button3Click()
{
    // The worker list in selection mode.
    if (const auto row = Form5->Pick(1))
        WorkerChosen(row->id, row->text);
}

void TForm11::Button4Click()
{
    // The operations list in selection mode, on its first row for a new entry
    // and on the entry's own operation for a change.
    int current = 0;
    if (Tag == 2) {
        const Dataset &j = Form1->CurrentJournal();
        if (j.isOpen() && j.recNo() > 0)
            current = int(j.asInt(QStringLiteral("o_id")));
    }
    const auto choice = Form4->SelectOperation(current, [](double base) { return Form1->EntryPriceOf(base); });
    if (choice) {
        OperationChosen(choice->operationId, choice->productId, choice->price, choice->text);
        Basis = Form1->EntryBasisOf(choice->basePrice);
    }
    AfterOperationPick(choice ? std::optional<double>(choice->basePrice) : std::nullopt);
    // Read afresh at the next pick: prices may change meanwhile.
    DataModule6->Oper.close();
}

void TForm11::AfterOperationPick(std::optional<double> basePrice)
{
    // "Цена база": the lowest norm price of the operation now chosen.
    const Dataset &oper = DataModule6->Oper;
    if (basePrice) {
        m_baseText = priceText(*basePrice);
    } else if (oper.isOpen()) {
        const int idCol = oper.fieldIndex(QStringLiteral("id"));
        const int priceCol = oper.fieldIndex(QStringLiteral("cena"));
        for (int r = 0; r < oper.recordCount(); ++r) {
            if (Dataset::textOf(oper.valueAt(r, idCol)).toInt() == OperId) {
                m_baseText = priceText(Dataset::textOf(oper.valueAt(r, priceCol)).toDouble());
                break;
            }
        }
    }
    SetColourState();
    RecomputeBoxes();
}

void TForm11::RecomputeBoxes()
{
    if (Edit6->text().isEmpty())
        Edit6->setText(QStringLiteral("0"));
    if (Edit3->text().isEmpty())
        Edit3->setText(QStringLiteral("0"));
    if (Edit2->text().isEmpty())
        return; // no operation, no price yet
    Edit7->setText(priceText(FinalPrice));
    Edit8->setText(m_baseText);
    Edit9->setText(priceText(Edit3->text().toDouble() * FinalPrice));
}

namespace {
// A digit box's text as a value of its integer column; a number the column
// cannot hold is refused with a message naming the field.
std::optional<int> countOf(const QLineEdit *box, const QString &field)
{
    const QString text = box->text().trimmed();
    if (const std::optional<int> v = Text::ParseInt(text); v && Columns::Count().fits(*v))
        return v;
    Check::FitsText(field, text, Columns::Count());
    return std::nullopt;
}
} // namespace

void TForm11::Button1Click()
{
    const auto blank = [](const QLineEdit *e) { return e->text().trimmed().isEmpty(); };
    if (blank(Edit1) || blank(Edit2) || blank(Edit3) || blank(Edit4)
        || (TakesColour(Edit2->text()) && blank(Edit5)) || blank(Edit6)) {
        Msg::error(QStringLiteral("Все поля должны быть заполнены!"), QStringLiteral("Ошибка"));
        return;
    }
    // Every value against its column before anything is written.
    const std::optional<int> quantity = countOf(Edit3, QStringLiteral("Кол-во"));
    if (!quantity)
        return;
    const std::optional<int> rejects = countOf(Edit4, QStringLiteral("Брак"));
    if (!rejects)
        return;
    const std::optional<int> hours = countOf(Edit6, QStringLiteral("Время"));
    if (!hours)
        return;
    std::optional<int> colour = 0;
    if (!Edit5->text().trimmed().isEmpty() && !(colour = countOf(Edit5, QStringLiteral("Цвет"))))
        return;
    if (!Check::Hours(*hours) || !Check::Rejects(*rejects, *quantity)
        || !Check::Fits(QStringLiteral("Цена итог"), EntryPrice::Round4(FinalPrice), Columns::Price()))
        return;

    JournalOps::Entry e;
    e.price = FinalPrice;
    e.color = *colour;
    e.worker = WorkerId;
    e.product = ProductId;
    e.operation = OperId;
    e.shift = JournalOps::EntryShift(Form1->ShiftNumber);
    e.date = DTimeP->date();
    e.quantity = *quantity;
    e.rejects = *rejects;
    e.hours = *hours;
    e.id = EntryId;
    e.basis = Basis;
    const bool add = Tag != 2;

    JournalOps::StoreResult stored;
    try {
        stored = JournalOps::StoreEntry(DataModule6->ADO_DB, e, add);
    } catch (const DbError &err) {
        // Into or out of a closed month: nothing written, the editor stays.
        if (!err.isMonthClosed())
            throw;
        Msg::error(err.text());
        return;
    }
    if (stored == JournalOps::StoreResult::Duplicate) {
        Msg::error(QStringLiteral("Позиция с такими параметрами уже заведена!"), QStringLiteral("Ошибка"));
        return;
    }

    // The entry is stored: the editor closes whatever the reload does.
    // The timesheet-by-shift lists read the new hours when next opened.
    DataModule6->H_Tabel_1.close();
    DataModule6->H_Tabel_2.close();
    DataModule6->H_Tabel_3.close();
    ClearBoxes();
    accept();

    // The shift's journal shows the entry, on the row it was on.
    Check::ReloadAfterWrite([] {
        Dataset &j = Form1->CurrentJournal();
        const int rec = j.recNo();
        j.close();
        j.open();
        if (j.recordCount() >= 1 && rec >= 1)
            j.setRecNo(rec);
    });
}

void TForm11::Button2Click()
{
    reject();
}
