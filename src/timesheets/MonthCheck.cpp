#include "timesheets/MonthCheck.h"
#include "data/Unit6.h"
#include "export/SheetWriter.h"
#include "export/XlsExport.h"
#include "timesheets/MonthRebuild.h"
#include "ui/Msg.h"
#include "ui/Text.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TMonthCheckForm *MonthCheckForm = nullptr;

namespace {

QString monthText(const MonthPeriod &m)
{
    return m.text();
}

struct Column {
    const char *field;
    const char *title;
    int width;
    Qt::Alignment align;
};

const Column kColumns[] = {
    {"fio", "Фамилия И.О.", 190, Qt::AlignLeft | Qt::AlignVCenter},
    {"data", "Дата", 80, Qt::AlignCenter},
    {"smena", "Смена", 130, Qt::AlignLeft | Qt::AlignVCenter},
    {"problem", "Что не так", 230, Qt::AlignLeft | Qt::AlignVCenter},
    {"in_tabel", "В табеле", 100, Qt::AlignCenter},
    {"in_journal", "В журнале", 200, Qt::AlignLeft | Qt::AlignVCenter},
};

} // namespace

TMonthCheckForm::TMonthCheckForm(QWidget *parent)
    : Form(parent),
      Differences(DataModule6->ADO_DB, QStringLiteral("Differences"),
                  QStringLiteral("select w_id, fio, data, smena, problem, in_tabel, in_journal from "
                                 "accounts_dep.month_check(:mnth::integer, :yea::integer)"))
{
    MonthCheckForm = this;
    setObjectName(QStringLiteral("MonthCheckForm"));
    setWindowTitle(QStringLiteral("Сверка табеля с журналом"));
    BuildLayout();
    ConnectHandlers();
    setCentreOnMainWindow();
}

void TMonthCheckForm::BuildLayout()
{
    auto *lay = new QVBoxLayout(this);
    Label1 = named(new QLabel(this), QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    lay->addWidget(Label1);

    DBGrid1 = named(new DBGrid(this), QStringLiteral("DBGrid1"), QStringLiteral("Расхождения"));
    QList<GridColumn> cols;
    for (const Column &c : kColumns)
        cols << gridColumn(QString::fromUtf8(c.field), QString::fromUtf8(c.title), c.width, c.align);
    DBGrid1->setColumns(cols);
    DBGrid1->setDataset(&Differences);
    lay->addWidget(DBGrid1, 1);
    // The empty list says so inside the grid.
    LabelEmpty = named(new QLabel(QStringLiteral("Расхождений нет"), DBGrid1->viewport()),
                       QStringLiteral("LabelEmpty"));
    LabelEmpty->setAlignment(Qt::AlignCenter);
    LabelEmpty->setVisible(false);

    auto *buttons = new QHBoxLayout;
    Button1 = named(new QPushButton(QStringLiteral("Перестроить месяц"), this), QStringLiteral("Button1"));
    Button2 = named(new QPushButton(QStringLiteral("Excel"), this), QStringLiteral("Button2"));
    PB = named(new QProgressBar(this), QStringLiteral("PB"), QStringLiteral("Перестроение"));
    PB->setMinimum(1);
    PB->setVisible(false);
    Button3 = named(new QPushButton(QStringLiteral("Выход"), this), QStringLiteral("Button3"));
    for (QPushButton *b : {Button1, Button2, Button3})
        b->setAutoDefault(false);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(PB, 1);
    buttons->addStretch();
    buttons->addWidget(Button3);
    lay->addLayout(buttons);
    setFixedClientSize(980, 560);
}

void TMonthCheckForm::ConnectHandlers()
{
    connectGuarded(Button1, &QPushButton::clicked, &TMonthCheckForm::Button1Click);
    connectGuarded(Button2, &QPushButton::clicked, &TMonthCheckForm::Button2Click);
    connectGuarded(Button3, &QPushButton::clicked, &TMonthCheckForm::Button3Click);
    connectGuarded(&Differences, &Dataset::changed, &TMonthCheckForm::ShowEmptyMark);
}

void TMonthCheckForm::resizeEvent(QResizeEvent *e)
{
    Form::resizeEvent(e);
    ShowEmptyMark();
}

void TMonthCheckForm::ShowEmptyMark()
{
    LabelEmpty->setGeometry(DBGrid1->viewport()->rect());
    LabelEmpty->setVisible(Differences.isOpen() && Differences.isEmpty());
    // Screen readers hear the empty list too.
    DBGrid1->setAccessibleDescription(LabelEmpty->isVisible() ? LabelEmpty->text() : QString());
}

void TMonthCheckForm::OpenFor(const MonthPeriod &month)
{
    m_month = month;
    Button2->setText(QStringLiteral("Excel"));
    Label1->setText(monthText(month)
                    + QStringLiteral(". Цены сверяются с сегодняшними нормативами: наименьшая цена нормы "
                                     "операции, в выходной ×2, в 3-й смене ×1,2, в переработке ×1,5."));
    Check();
    Modal::exec(this);
    Differences.close();
}

void TMonthCheckForm::Check()
{
    WaitCursor wait;
    Differences.close();
    Differences.setParam(QStringLiteral("mnth"), m_month.month);
    Differences.setParam(QStringLiteral("yea"), m_month.year);
    Differences.open();
}

void TMonthCheckForm::Button1Click()
{
    Busy busy(this);
    WaitCursor wait;
    Differences.close();
    PB->setRange(1, 2 * m_month.days());
    PB->setValue(1);
    PB->setVisible(true);
    try {
        MonthRebuild::RebuildMonth(DataModule6->ADO_DB, m_month, [this](int step, int) { PB->setValue(step); });
    } catch (...) {
        // The month is as it was: list it again, then report the failure.
        PB->setVisible(false);
        try {
            Check();
        } catch (...) {
        }
        throw;
    }
    PB->setVisible(false);
    Check();
}

void TMonthCheckForm::Button2Click()
{
    Dataset &ds = Differences;
    Busy busy(this);
    WaitCursor wait;
    XlsExport xls;
    if (!xls.start(QStringLiteral("Сверка табеля с журналом")))
        return;
    xls.hide();
    xls.writeCell(1, 1, 1, QStringLiteral("Сверка табеля с журналом, ") + monthText(m_month), true, true, true);
    QList<SheetColumn> cols;
    for (const Column &c : kColumns) {
        const QString field = QString::fromUtf8(c.field);
        cols << SheetColumn{QString::fromUtf8(c.title),
                            [&ds, field](int r) { return DatasetModel::displayText(ds.valueAt(r, field)); }, true,
                            true};
    }
    SheetLoop loop;
    loop.headingRow = 2;
    loop.progress = [this](int k, int n) { Button2->setText(ExcelProgressCaption(k, n)); };
    WriteSheet(xls, cols, ds.recordCount(), loop);
    xls.show();
}

void TMonthCheckForm::Button3Click()
{
    close();
}
