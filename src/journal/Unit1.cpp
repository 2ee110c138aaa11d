#include "journal/Unit1.h"
#include "reference/Unit3.h"
#include "reference/Unit4.h"
#include "reference/Unit5.h"
#include "reference/Unit8.h"
#include "data/DbError.h"
#include "data/Roles.h"
#include "data/VersionRow.h"
#include "data/Unit6.h"
#include "journal/EntryHistory.h"
#include "journal/EntryPrice.h"
#include "journal/JournalOps.h"
#include "journal/Unit11.h"
#include "maintenance/Unit25.h"
#include "reports/PayStatementWindow.h"
#include "reports/Unit18.h"
#include "timesheets/ClosedMonth.h"
#include "timesheets/Unit19.h"
#include "timesheets/Unit27.h"
#include "ui/Msg.h"
#include "ui/ProgramEnd.h"
#include "ui/Text.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>

TForm1 *Form1 = nullptr;

const QColor TForm1::kGreen(0, 128, 0);
const QColor TForm1::kRed(255, 0, 0);

namespace {

// The journal's date picker: tells the window about Enter after the picker
// has committed the typed date, so that the reload sees that date.
class JournalDateEdit : public QDateEdit {
public:
    using QDateEdit::QDateEdit;
    std::function<void(int)> keyPressed;

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        QDateEdit::keyPressEvent(e);
        if (keyPressed && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
            e->accept(); // handled here, not by the dialog
            keyPressed(e->key());
        }
    }
};

bool isWeekend(const QDate &d)
{
    return d.dayOfWeek() == Qt::Saturday || d.dayOfWeek() == Qt::Sunday;
}

// Draws a cell in its own colour also on the selected row, where the grid
// would otherwise use the selection's text colour.
class OwnColourDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const QVariant fg = index.data(Qt::ForegroundRole);
        if (fg.canConvert<QColor>()) {
            option->palette.setColor(QPalette::HighlightedText, fg.value<QColor>());
            option->palette.setColor(QPalette::Text, fg.value<QColor>());
        }
    }
};

} // namespace

TForm1::TForm1(QWidget *parent) : Form(parent)
{
    Form1 = this;
    Form::setMainWindow(this);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Табель"));
    BuildLayout();
    ConnectHandlers();
    // Shown after login, the window shows today's journals even when the
    // window system's activation does not come.
    setActivateOnShow();
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(30000);
    connectGuarded(Timer1, &QTimer::timeout, &TForm1::Timer1Timer);
    Timer1->start();
}

void TForm1::BuildLayout()
{
    auto *lay = new QVBoxLayout(this);

    MainMenu = named(new QMenuBar(this), QStringLiteral("MainMenu"));
    lay->setMenuBar(MainMenu);
    auto action = [](QAction *a, const char *name) {
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    N_Reference = named(MainMenu->addMenu(QStringLiteral("Справочники")), QStringLiteral("N_Reference"));
    N_Workers = action(N_Reference->addAction(QStringLiteral("Рабочие")), "N_Workers");
    N_Products = action(N_Reference->addAction(QStringLiteral("Изделия")), "N_Products");
    N_Prices = action(N_Reference->addAction(QStringLiteral("Цены")), "N_Prices");
    N_OperKinds = action(N_Reference->addAction(QStringLiteral("Операции")), "N_OperKinds");
    N_Overtime = action(N_Reference->addAction(QStringLiteral("Внеурочное")), "N_Overtime");
    N_Tabel = named(MainMenu->addMenu(QStringLiteral("Табель")), QStringLiteral("N_Tabel"));
    N_TabelPiece = action(N_Tabel->addAction(QStringLiteral("Табель сделка")), "N_TabelPiece");
    N_TabelShifts = action(N_Tabel->addAction(QStringLiteral("Табель по сменам")), "N_TabelShifts");
    N_TabelMaint = action(N_Tabel->addAction(QStringLiteral("Табель хоз. работ")), "N_TabelMaint");
    N_TabelAvg = action(N_Tabel->addAction(QStringLiteral("Табель ср. сдельная")), "N_TabelAvg");
    N_TabelGeneral = action(N_Tabel->addAction(QStringLiteral("Общий табель")), "N_TabelGeneral");
    N_Reports = named(MainMenu->addMenu(QStringLiteral("Отчеты")), QStringLiteral("N_Reports"));
    N_Summary = action(N_Reports->addAction(QStringLiteral("Сводные отчеты")), "N_Summary");
    N_Statements = action(N_Reports->addAction(QStringLiteral("Расчетные листки")), "N_Statements");
    N_Exit = action(MainMenu->addAction(QStringLiteral("Выход")), "N_Exit");
    N_DbStructure = action(MainMenu->addAction(QStringLiteral("Структура БД")), "N_DbStructure");

    // Top row: shift views, date, day off.
    auto *top = new QHBoxLayout;
    RadioButton1 = named(new QRadioButton(QStringLiteral("Смена №1"), this), QStringLiteral("RadioButton1"));
    RadioButton2 = named(new QRadioButton(QStringLiteral("Смена №2"), this), QStringLiteral("RadioButton2"));
    RadioButton3 = named(new QRadioButton(QStringLiteral("Смена №3"), this), QStringLiteral("RadioButton3"));
    RadioButton4 = named(new QRadioButton(QStringLiteral("Переработка"), this), QStringLiteral("RadioButton4"));
    RadioButton1->setChecked(true);
    auto *date = new JournalDateEdit(this);
    date->keyPressed = [this](int key) { runGuarded([this, key] { DateTKeyPress(key); }); };
    DateT = named<QDateEdit>(date, QStringLiteral("DateT"), QStringLiteral("Дата"));
    DateT->setCalendarPopup(true);
    DateT->setDisplayFormat(Text::DateFormat());
    DateT->setDate(Today());
    // The drop-down calendar is a window of its own; its closing is watched.
    m_calendarPopup = DateT->calendarWidget()->window();
    m_calendarPopup->installEventFilter(this);
    CBox1 = named(new QCheckBox(QStringLiteral("Выходной"), this), QStringLiteral("CBox1"),
                  QStringLiteral("Выходной"));
    for (QWidget *w : std::initializer_list<QWidget *>{RadioButton1, RadioButton2, RadioButton3, RadioButton4})
        top->addWidget(w);
    top->addSpacing(16);
    top->addWidget(DateT);
    top->addSpacing(16);
    top->addWidget(CBox1);
    top->addStretch(1);
    lay->addLayout(top);

    DBGrid2 = named(new DBGrid(this), QStringLiteral("DBGrid2"), QStringLiteral("Журнал"));
    DBGrid2->horizontalHeader()->setDefaultSectionSize(64); // the grid's standard column width
    {
        // A compact face, so that a date fits the 72-pixel "Заведен" column.
        QFont f = DBGrid2->font();
        f.setPointSizeF(qMin<qreal>(f.pointSizeF(), 8));
        DBGrid2->setFont(f);
    }
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    const auto centre = Qt::AlignCenter;
    const auto left = Qt::AlignLeft | Qt::AlignVCenter;
    auto dateOnly = [](const QVariant &v) -> QString {
        if (v.isNull() || !v.isValid())
            return {};
        if (v.metaType().id() == QMetaType::QDateTime)
            return Text::Date(v.toDateTime().date());
        return DatasetModel::displayText(v);
    };
    auto column = [](const char *field, const QString &title, int width, Qt::Alignment align) {
        return gridColumn(QString::fromLatin1(field), title, width, align);
    };
    QList<GridColumn> cols{
        column("fio", QStringLiteral("Фамилия И.О."), 250, left),
        column("marka", QStringLiteral("Марка изделия"), 260, left),
        column("vid", QStringLiteral("Операция"), 155, left),
        column("nmn", QStringLiteral("Вид"), 157, left),
        column("color", QStringLiteral("Цвет"), 0, centre),
        column("time", QStringLiteral("Часы"), 0, right),
        column("kol_vo", QStringLiteral("Кол-во"), 57, right),
        column("brak", QStringLiteral("Брак"), 49, right),
        column("summa", QStringLiteral("Итого (р.)"), 78, right),
        column("prize", QStringLiteral("Премия (%)"), 0, right),
        column("ok", QStringLiteral("OK"), 37, centre),
        column("vvod", QStringLiteral("Заведен"), 72, centre),
    };
    cols[9].visible = false; // "Премия (%)" is kept but not shown
    cols[11].format = dateOnly;
    DBGrid2->setColumns(cols);
    DBGrid2->setItemDelegateForColumn(10, new OwnColourDelegate(DBGrid2));
    DBGrid2->datasetModel()->cellLook = [this](int row, const GridColumn &col) -> CellLook {
        if (col.field != QLatin1String("ok") || !DBGrid2->dataset())
            return {};
        return OkLook(DBGrid2->dataset()->valueAt(row, col.field));
    };
    // The data module exists already in tests; at start-up it is made after
    // this window, and AttachJournals attaches the grid then.
    AttachJournals();
    lay->addWidget(DBGrid2, 1);

    // Bottom row: entry buttons left, refresh in the middle, exit right.
    auto *bottom = new QHBoxLayout;
    Button1 = named(new QPushButton(QStringLiteral("Добавить"), this), QStringLiteral("Button1"));
    Button2 = named(new QPushButton(QStringLiteral("Изменить"), this), QStringLiteral("Button2"));
    Button3 = named(new QPushButton(QStringLiteral("Удалить"), this), QStringLiteral("Button3"));
    DBGrid2->setDeleteButton(Button3);
    Button8 = named(new QPushButton(QStringLiteral("Обновить"), this), QStringLiteral("Button8"));
    Button9 = named(new QPushButton(QStringLiteral("История"), this), QStringLiteral("Button9"));
    Button5 = named(new QPushButton(QStringLiteral("Ср.сд./хоз. работы"), this), QStringLiteral("Button5"));
    Button4 = named(new QPushButton(QStringLiteral("Выход"), this), QStringLiteral("Button4"));
    for (QPushButton *b : {Button1, Button2, Button3, Button8, Button9, Button5, Button4}) {
        // Enter belongs to the date picker, not to a button.
        b->setAutoDefault(false);
        b->setMinimumWidth(110);
    }
    bottom->addWidget(Button1);
    bottom->addWidget(Button2);
    bottom->addWidget(Button3);
    bottom->addStretch(1);
    bottom->addWidget(Button8);
    bottom->addWidget(Button9);
    bottom->addWidget(Button5);
    bottom->addStretch(1);
    bottom->addWidget(Button4);
    lay->addLayout(bottom);

    PaintShiftButtons(1);
    CBox1Click();
    setFixedClientSize(1281, 585);
}

void TForm1::ConnectHandlers()
{
    // A shift button acts whenever it ends up checked: by mouse, keyboard,
    // a screen reader's toggle or the program.
    const auto onChecked = [this](QRadioButton *b, void (TForm1::*handler)()) {
        connectGuarded(b, &QRadioButton::toggled, [this, handler](bool on) {
            if (on)
                (this->*handler)();
        });
    };
    onChecked(RadioButton1, &TForm1::RadioButton1Click);
    onChecked(RadioButton2, &TForm1::RadioButton2Click);
    onChecked(RadioButton3, &TForm1::RadioButton3Click);
    onChecked(RadioButton4, &TForm1::RadioButton4Click);
    connectGuarded(CBox1, &QCheckBox::toggled, &TForm1::CBox1Click);
    connectGuarded(Button8, &QPushButton::clicked, &TForm1::Button8Click);
    connectGuarded(Button4, &QPushButton::clicked, &TForm1::Button4Click);
    connectGuarded(N_Exit, &QAction::triggered, &TForm1::Button4Click);
    connectGuarded(N_Summary, &QAction::triggered, &TForm1::N_SummaryClick);
    connectGuarded(N_Statements, &QAction::triggered, [] { PayStatements->Open(); });
    connectGuarded(N_Workers, &QAction::triggered, [] { Form5->OpenForMaintenance(); });
    connectGuarded(N_Products, &QAction::triggered, [] { Form3->OpenForMaintenance(); });
    connectGuarded(N_Prices, &QAction::triggered, [] { Form4->OpenForMaintenance(); });
    connectGuarded(N_OperKinds, &QAction::triggered, [] { Form8->OpenForMaintenance(); });
    connectGuarded(N_TabelPiece, &QAction::triggered, [] { Form27->Open(9); });
    connectGuarded(N_TabelShifts, &QAction::triggered, [this] { Form19->OpenFor(DateT->date()); });
    connectGuarded(N_TabelMaint, &QAction::triggered, [] { Form27->Open(14); });
    connectGuarded(N_TabelAvg, &QAction::triggered, [] { Form27->Open(15); });
    connectGuarded(N_TabelGeneral, &QAction::triggered, [] { Form27->Open(17); });
    connectGuarded(Button1, &QPushButton::clicked, &TForm1::Button1Click);
    connectGuarded(Button2, &QPushButton::clicked, &TForm1::Button2Click);
    connectGuarded(Button3, &QPushButton::clicked, &TForm1::Button3Click);
    connectGuarded(DBGrid2, &DBGrid::DblClick, &TForm1::DBGrid2DblClick);
    connectGuarded(Button5, &QPushButton::clicked, &TForm1::Button5Click);
    connectGuarded(Button9, &QPushButton::clicked, &TForm1::Button9Click);
    // "Внеурочное" and "Структура БД" do nothing.
}

QDate TForm1::Today() const
{
    return FixedToday.isValid() ? FixedToday : QDate::currentDate();
}

double TForm1::EntryPriceOf(double basePrice) const
{
    return EntryPrice::ApplyFactors(basePrice, CBox1->isChecked(), ShiftNumber);
}

EntryPrice::Basis TForm1::EntryBasisOf(double basePrice) const
{
    return {basePrice, CBox1->isChecked()};
}

Dataset &TForm1::CurrentJournal() const
{
    return DataModule6->journal(ShiftNumber);
}

void TForm1::LoadJournals(const QDate &date)
{
    for (int shift = 1; shift <= 4; ++shift)
        DataModule6->journal(shift).close();
    for (int shift = 1; shift <= 4; ++shift) {
        Dataset &j = DataModule6->journal(shift);
        j.setParam(QStringLiteral("data"), date);
        j.open();
    }
}

void TForm1::FormActivate()
{
    const QDate today = Today();
    DateT->setDate(today);
    if (isWeekend(today))
        CBox1->setChecked(true);
    LoadJournals(today);
}

void TForm1::DateTChange()
{
    WaitCursor wait;
    const QDate picked = DateT->date();
    // The day-off flag follows the date even when a journal fails to load,
    // so that prices are never reckoned for the wrong kind of day.
    CBox1->setChecked(isWeekend(picked));
    LoadJournals(picked);
    DBGrid2->setFocus();
}

void TForm1::Button5Click()
{
    Form25->OpenOnDate(DateT->date());
}

void TForm1::DateTKeyPress(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        DateTChange();
}

bool TForm1::eventFilter(QObject *o, QEvent *e)
{
    if (o == m_calendarPopup && e->type() == QEvent::Hide) {
        // Runs once the picker has taken (or given back) the date.
        QMetaObject::invokeMethod(
            this, [this] { runGuarded([this] { DateTChange(); }); }, Qt::QueuedConnection);
    }
    return Form::eventFilter(o, e);
}

void TForm1::ShiftButtonClick(int shift)
{
    QRadioButton *buttons[] = {RadioButton1, RadioButton2, RadioButton3, RadioButton4};
    if (!buttons[shift - 1]->isChecked())
        return;
    // Only the grid's source changes; the journals stay as loaded.
    DBGrid2->setDataset(&DataModule6->journal(shift));
    PaintShiftButtons(shift);
    ShiftNumber = shift;
}

void TForm1::PaintShiftButtons(int shift)
{
    QRadioButton *buttons[] = {RadioButton1, RadioButton2, RadioButton3, RadioButton4};
    for (int i = 0; i < 4; ++i)
        paintToggle(buttons[i], i + 1 == shift, kGreen);
}

void TForm1::RadioButton1Click() { ShiftButtonClick(1); }
void TForm1::RadioButton2Click() { ShiftButtonClick(2); }
void TForm1::RadioButton3Click() { ShiftButtonClick(3); }
void TForm1::RadioButton4Click() { ShiftButtonClick(4); }

void TForm1::CBox1Click()
{
    paintToggle(CBox1, CBox1->isChecked(), kRed);
}

void TForm1::Button1Click()
{
    Form11->OpenForAdd();
}

void TForm1::Button2Click()
{
    Form11->OpenForChange();
}

void TForm1::Button3Click()
{
    Dataset &j = CurrentJournal();
    if (!j.isOpen() || j.recNo() == 0 || j.isNull(QStringLiteral("id")))
        return;
    const int id = int(j.asInt(QStringLiteral("id")));
    if (Msg::refused(ClosedMonth::RefusalOn(DataModule6->ADO_DB, j.asDate(QStringLiteral("data")))))
        return;
    if (Msg::question(QStringLiteral("Удалить позицию из списка?"), QStringLiteral("Удаление"))) {
        try {
            JournalOps::RemoveEntry(DataModule6->ADO_DB, id);
        } catch (const DbError &e) {
            // The month was closed meanwhile: one message, nothing deleted.
            if (!e.isMonthClosed())
                throw;
            Msg::error(e.text());
        }
    }
    j.close();
    j.open();
}

void TForm1::DBGrid2DblClick()
{
    if (LoginCode == LoginCodes::Foreman)
        return;
    Dataset &j = CurrentJournal();
    if (!j.isOpen() || j.recNo() == 0)
        return;
    if (Msg::refused(ClosedMonth::RefusalOn(DataModule6->ADO_DB, j.asDate(QStringLiteral("data")))))
        return;
    const QString mark = JournalOps::NextMark(j.text(QStringLiteral("ok")));
    try {
        JournalOps::SetMark(DataModule6->ADO_DB, int(j.asInt(QStringLiteral("id"))), mark);
    } catch (const DbError &e) {
        if (!e.isMonthClosed())
            throw;
        Msg::error(e.text());
        return;
    }
    const int rec = j.recNo();
    j.close();
    j.open();
    j.setRecNo(rec);
}

void TForm1::Button9Click()
{
    Dataset &j = CurrentJournal();
    const QDate day = DateT->date();
    if (j.isOpen() && !j.isEmpty() && j.recNo() > 0 && !j.isNull(QStringLiteral("id")))
        EntryHistory->OpenFor(ChangeHistory::Source::Journal, int(j.asInt(QStringLiteral("id"))),
                              j.asDate(QStringLiteral("data")));
    else
        EntryHistory->OpenDeleted(ChangeHistory::Source::Journal, day);
}

void TForm1::Button8Click()
{
    WaitCursor wait;
    // For the date the picker shows, whatever the journals were loaded for.
    LoadJournals(DateT->date());
}

void TForm1::Button4Click()
{
    close();
}

void TForm1::N_SummaryClick()
{
    // The previous calendar month: its first day up to the first of this one.
    const QDate today = Today();
    const QDate thisMonth(today.year(), today.month(), 1);
    Form18->DTPicker1->setDate(thisMonth.addMonths(-1));
    Form18->DTPicker2->setDate(thisMonth);
    Modal::exec(Form18);
}

CellLook TForm1::OkLook(const QVariant &ok)
{
    const QString mark = ok.isNull() || !ok.isValid() ? QString() : ok.toString();
    const bool accepted = mark == QLatin1String("ok") || mark == QStringLiteral("да");
    CellLook look;
    look.foreground = accepted ? kGreen : kRed;
    look.bold = true;
    return look;
}

void TForm1::AttachJournals()
{
    if (DataModule6)
        DBGrid2->setDataset(&DataModule6->journal(ShiftNumber));
}

void TForm1::Timer1Timer()
{
    // A tick that arrives while an earlier one still shows its message (a
    // modal loop) waits for the next interval.
    if (m_inVersionTick)
        return;
    m_inVersionTick = true;
    const auto done = qScopeGuard([this] { m_inVersionTick = false; });
    try {
        CheckVersion();
    } catch (const DbError &e) {
        // While the server is away the tick stays quiet; the connection is
        // opened again by a later tick or by the user's next action.
        if (!e.isConnectionLost())
            throw;
    }
}
void TForm1::CheckVersion()
{
    const VersionRow::State v = VersionRow::Claim(DataModule6->ADO_DB, BuildDate, BuildTime);
    DataModule6->DecimalDelimiter = v.delimiter;
    if (v.newerBuildInDatabase) {
        if (OnVersionMismatch)
            OnVersionMismatch();
        Msg::error(QStringLiteral("Версия программы не соответсвует БД! Запустите программу через 5 мин."),
                   QStringLiteral("Ошибка"));
        EndProgram();
    }
}
