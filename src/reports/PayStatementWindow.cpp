#include "reports/PayStatementWindow.h"
#include "data/MonthPeriod.h"
#include "ui/MonthYearBoxes.h"
#include "data/Unit6.h"
#include "reports/PayStatementReport.h"
#include "reports/engine/Preview.h"
#include "reports/engine/ReportError.h"
#include "ui/Msg.h"
#include "ui/Text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

TPayStatements *PayStatements = nullptr;

namespace {

TPayStatements::PathChooser &chooser()
{
    static TPayStatements::PathChooser c;
    return c;
}

QString documentsFolder()
{
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!docs.isEmpty() && QDir(docs).exists())
        return docs;
    return QDir::homePath();
}

} // namespace

void TPayStatements::setPathChooser(PathChooser c)
{
    chooser() = std::move(c);
}

TPayStatements::TPayStatements(QWidget *parent)
    : Form(parent),
      Workers(DataModule6->ADO_DB, QStringLiteral("Workers"), PayStatementReport::WorkersSql(), this),
      Statements(DataModule6->ADO_DB, QStringLiteral("Statements"), PayStatementReport::Sql(), this),
      q_year(DataModule6->ADO_DB, QStringLiteral("q_year"),
             QStringLiteral("select distinct ht.year from accounts_dep.h_tabel ht order by year"), this)
{
    PayStatements = this;
    setObjectName(QStringLiteral("PayStatements"));
    setWindowTitle(QStringLiteral("Расчетные листки"));
    BuildLayout();
    ConnectHandlers();
}

void TPayStatements::BuildLayout()
{
    auto *lay = new QVBoxLayout(this);

    auto *period = new QHBoxLayout;
    m_period = new MonthYearBoxes(this, QStringLiteral("ComboBox1"), QStringLiteral("cb_year"));
    ComboBox1 = m_period->monthBox();
    cb_year = m_period->yearBox();
    cb_year->setMinimumContentsLength(4);
    period->addWidget(buddyLabel(QStringLiteral("&Месяц"), QStringLiteral("Label1"), ComboBox1, this));
    period->addWidget(ComboBox1);
    period->addWidget(buddyLabel(QStringLiteral("&Год"), QStringLiteral("Label2"), cb_year, this));
    period->addWidget(cb_year);
    period->addStretch();
    lay->addLayout(period);

    CBoxAll = named(new QCheckBox(QStringLiteral("Все"), this), QStringLiteral("CBoxAll"), QStringLiteral("Все"));
    CBoxAll->setChecked(true);
    lay->addWidget(CBoxAll);
    CheckListBox1 = named(new QListWidget(this), QStringLiteral("CheckListBox1"), QStringLiteral("Работники"));
    CheckListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    lay->addWidget(CheckListBox1, 1);

    auto *buttons = new QHBoxLayout;
    Button1 = named(new QPushButton(QStringLiteral("Просмотр"), this), QStringLiteral("Button1"));
    Button2 = named(new QPushButton(QStringLiteral("Сохранить в PDF"), this), QStringLiteral("Button2"));
    Button3 = named(new QPushButton(QStringLiteral("Выход"), this), QStringLiteral("Button3"));
    for (QPushButton *b : {Button1, Button2, Button3})
        b->setAutoDefault(false);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addStretch();
    buttons->addWidget(Button3);
    lay->addLayout(buttons);
    setFixedClientSize(420, 480);
}

void TPayStatements::ConnectHandlers()
{
    connectGuarded(Button1, &QPushButton::clicked, &TPayStatements::Button1Click);
    connectGuarded(Button2, &QPushButton::clicked, &TPayStatements::Button2Click);
    connectGuarded(Button3, &QPushButton::clicked, &TPayStatements::Button3Click);
    // A state change, by mouse, keyboard or screen reader alike.
    connectGuarded(CBoxAll, &QCheckBox::toggled, &TPayStatements::CBoxAllClick);
    connectGuarded(CheckListBox1, &QListWidget::itemChanged, [this] { WorkerItemChanged(); });
    connectGuarded(m_period, &MonthYearBoxes::changed, [this] { ApplyPeriod(); });
}

void TPayStatements::Open()
{
    const QDate today = QDate::currentDate();
    SelectPeriod(today.month(), today.year());
    Modal::exec(this);
    Workers.close();
    Statements.close();
    q_year.close();
}

int TPayStatements::SelectedMonth() const
{
    return m_period->month();
}

int TPayStatements::SelectedYear() const
{
    return m_period->year();
}

void TPayStatements::FillYears()
{
    q_year.close();
    q_year.open();
    QStringList years;
    for (int r = 0; r < q_year.recordCount(); ++r)
        years << Dataset::textOf(q_year.valueAt(r, QStringLiteral("year"))).trimmed();
    // The box shows the year when the timesheet has it, nothing otherwise.
    m_period->setYears(years);
}

void TPayStatements::SelectPeriod(int month, int year)
{
    m_period->select(month, year);
    FillYears();
    ApplyPeriod();
}

void TPayStatements::ApplyPeriod()
{
    const MonthPeriod p(SelectedMonth(), SelectedYear());
    const QSignalBlocker b(CheckListBox1);
    CheckListBox1->clear();
    Statements.close();
    Workers.close();
    if (!p.isValid())
        return;
    Workers.setParam(QStringLiteral("date1"), p.first());
    Workers.setParam(QStringLiteral("date2"), p.next());
    {
        WaitCursor wait;
        Workers.open();
    }
    const bool all = CBoxAll->isChecked();
    const int id = Workers.fieldIndex(QStringLiteral("id")), fio = Workers.fieldIndex(QStringLiteral("fio"));
    for (int r = 0; r < Workers.recordCount(); ++r) {
        auto *item = new QListWidgetItem(Dataset::textOf(Workers.valueAt(r, fio)).trimmed(), CheckListBox1);
        item->setData(Qt::UserRole, Dataset::textOf(Workers.valueAt(r, id)).toInt());
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(all ? Qt::Checked : Qt::Unchecked);
    }
    if (CheckListBox1->count() > 0)
        CheckListBox1->setCurrentRow(0);
}

void TPayStatements::CBoxAllClick(bool on)
{
    const QSignalBlocker b(CheckListBox1);
    for (int i = 0; i < CheckListBox1->count(); ++i)
        CheckListBox1->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void TPayStatements::WorkerItemChanged()
{
    // "Все" stays ticked only while every worker is.
    bool all = true;
    for (int i = 0; i < CheckListBox1->count() && all; ++i)
        all = CheckListBox1->item(i)->checkState() == Qt::Checked;
    const QSignalBlocker b(CBoxAll);
    CBoxAll->setChecked(all);
}

QList<int> TPayStatements::CheckedWorkers() const
{
    QList<int> ids;
    for (int i = 0; i < CheckListBox1->count(); ++i)
        if (CheckListBox1->item(i)->checkState() == Qt::Checked)
            ids << CheckListBox1->item(i)->data(Qt::UserRole).toInt();
    return ids;
}

void TPayStatements::SetWorkerChecked(int id, bool on)
{
    for (int i = 0; i < CheckListBox1->count(); ++i)
        if (CheckListBox1->item(i)->data(Qt::UserRole).toInt() == id)
            CheckListBox1->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

bool TPayStatements::AnyChecked() const
{
    if (!CheckedWorkers().isEmpty())
        return true;
    Msg::error(CheckListBox1->count() == 0 ? QStringLiteral("За выбранный месяц нет ни одной записи.")
                                           : QStringLiteral("Не отмечен ни один работник."),
               QStringLiteral("Ошибка"));
    return false;
}

QString TPayStatements::Caption() const
{
    return QStringLiteral("Расчетные листки за %1 %2").arg(ComboBox1->currentText()).arg(SelectedYear());
}

Report::Prepared TPayStatements::PrepareStatements()
{
    const int month = SelectedMonth(), year = SelectedYear();
    const MonthPeriod p(month, year);
    WaitCursor wait;
    Statements.close();
    Statements.setParam(QStringLiteral("date1"), p.first());
    Statements.setParam(QStringLiteral("date2"), p.next());
    Report::Layout layout = PayStatementReport::BuildLayout(PayStatementReport::Heading(month, year),
                                                            PayStatementReport::PeriodText(month, year));
    Report::Prepared prepared = PayStatementReport::Prepare(layout, Statements, CheckedWorkers());
    Statements.close();
    return prepared;
}

void TPayStatements::Button1Click()
{
    if (!AnyChecked())
        return;
    Busy busy(this);
    const Report::Prepared prepared = PrepareStatements();
    Report::ShowPreview(prepared, {Caption(), Caption(), false}, this);
}

void TPayStatements::Button2Click()
{
    if (!AnyChecked())
        return;
    const QString proposed = QDir(documentsFolder()).filePath(Report::PdfFileName(Caption()));
    const QString path = chooser() ? chooser()(this, proposed)
                                   : QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить в PDF"), proposed,
                                                                  QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    Busy busy(this);
    const Report::Prepared prepared = PrepareStatements();
    try {
        WaitCursor wait;
        Report::RenderToPdf(prepared, path);
    } catch (const ReportError &e) {
        Msg::error(e.text());
    }
}

void TPayStatements::Button3Click()
{
    close();
}
