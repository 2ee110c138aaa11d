#include "journal/EntryHistory.h"
#include "data/Unit6.h"
#include "ui/Msg.h"
#include "ui/Text.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

EntryHistoryWindow *EntryHistory = nullptr;

EntryHistoryWindow::EntryHistoryWindow(QWidget *parent) : Form(parent)
{
    EntryHistory = this;
    setObjectName(QStringLiteral("EntryHistory"));
    setWindowTitle(QStringLiteral("История записи"));
    BuildLayout();
    ConnectHandlers();
    setCentreOnMainWindow();
}

void EntryHistoryWindow::BuildLayout()
{
    auto *lay = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    CBox1 = named(new QComboBox(this), QStringLiteral("CBox1"), QStringLiteral("Запись"));
    CBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Label1 = buddyLabel(QStringLiteral("&Запись:"), QStringLiteral("Label1"), CBox1, this);
    top->addWidget(Label1);
    top->addWidget(CBox1, 1);
    lay->addLayout(top);

    Grid = named(new QTableWidget(0, 5, this), QStringLiteral("Grid"), QStringLiteral("История записи"));
    Grid->setHorizontalHeaderLabels({QStringLiteral("Когда"), QStringLiteral("Кто"), QStringLiteral("Компьютер"),
                                     QStringLiteral("Действие"), QStringLiteral("Что изменилось")});
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setTabKeyNavigation(false); // Tab leaves the list, the arrows move in it
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setWordWrap(true);
    Grid->verticalHeader()->setVisible(false);
    Grid->horizontalHeader()->setStretchLastSection(true);
    QFont bold = Grid->horizontalHeader()->font();
    bold.setBold(true);
    Grid->horizontalHeader()->setFont(bold);
    const int widths[] = {130, 220, 120, 90};
    for (int c = 0; c < 4; ++c)
        Grid->setColumnWidth(c, widths[c]);
    lay->addWidget(Grid, 1);

    auto *bottom = new QHBoxLayout;
    Button1 = named(new QPushButton(QStringLiteral("Закрыть"), this), QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    bottom->addStretch(1);
    bottom->addWidget(Button1);
    lay->addLayout(bottom);
    setTabOrder(CBox1, Grid);
    setTabOrder(Grid, Button1);
    setFixedClientSize(1000, 420);
}

void EntryHistoryWindow::ConnectHandlers()
{
    connectGuarded(Button1, &QPushButton::clicked, &EntryHistoryWindow::Button1Click);
    connectGuarded(CBox1, &QComboBox::currentIndexChanged, [this](int) { CBox1Change(); });
}

void EntryHistoryWindow::Load(ChangeHistory::Source source, int entryId)
{
    m_source = source;
    WaitCursor wait;
    const QList<ChangeHistory::Line> lines = ChangeHistory::Read(DataModule6->ADO_DB, source, entryId);
    Grid->clearContents();
    Grid->setRowCount(int(lines.size()));
    for (int r = 0; r < lines.size(); ++r) {
        const ChangeHistory::Line &l = lines[r];
        const QString cells[] = {l.when, l.who, l.computer, l.action, l.changes};
        for (int c = 0; c < 5; ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            item->setToolTip(cells[c]);
            Grid->setItem(r, c, item);
        }
    }
    Grid->resizeRowsToContents();
    if (!lines.isEmpty())
        Grid->setCurrentCell(0, 0);
}

void EntryHistoryWindow::OpenFor(ChangeHistory::Source source, int entryId, const QDate &day)
{
    QList<ChangeHistory::DeletedEntry> deleted;
    if (day.isValid())
        deleted = ChangeHistory::DeletedOn(DataModule6->ADO_DB, source, day);
    for (auto &d : deleted)
        d.text.prepend(QStringLiteral("Удалена: "));
    deleted.prepend({entryId, QStringLiteral("Выбранная запись")});
    Show(source, deleted);
}

void EntryHistoryWindow::OpenDeleted(ChangeHistory::Source source, const QDate &day)
{
    QList<ChangeHistory::DeletedEntry> deleted = ChangeHistory::DeletedOn(DataModule6->ADO_DB, source, day);
    for (auto &d : deleted)
        d.text.prepend(QStringLiteral("Удалена: "));
    if (deleted.isEmpty()) {
        Msg::information(QStringLiteral("Выберите запись. Удаленных записей за %1 нет.")
                             .arg(Text::Date(day)),
                         QStringLiteral("История записи"));
        return;
    }
    Show(source, deleted);
}

void EntryHistoryWindow::Show(ChangeHistory::Source source, const QList<ChangeHistory::DeletedEntry> &entries)
{
    m_source = source;
    {
        const QSignalBlocker b(CBox1);
        CBox1->clear();
        for (const auto &d : entries)
            CBox1->addItem(d.text, d.id);
        CBox1->setCurrentIndex(0);
    }
    // Only a choice is worth a box.
    Label1->setVisible(entries.size() > 1);
    CBox1->setVisible(entries.size() > 1);
    CBox1Change();
    Modal::exec(this);
}

void EntryHistoryWindow::CBox1Change()
{
    if (CBox1->currentIndex() < 0) {
        Grid->setRowCount(0);
        return;
    }
    Load(m_source, CBox1->currentData().toInt());
}

void EntryHistoryWindow::Button1Click()
{
    close();
}
