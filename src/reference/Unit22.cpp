#include "reference/Unit22.h"
#include "reference/ReferenceOps.h"
#include "data/DbError.h"
#include "data/Unit6.h"
#include "ui/Checks.h"
#include "ui/Msg.h"
#include "ui/Text.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <cmath>
#include <functional>

TForm22 *Form22 = nullptr;

// ---------------------------------------------------------------------------
// NormTable

namespace {

QVariant nullInt() { return QVariant(QMetaType(QMetaType::Int)); }
QVariant nullDouble() { return QVariant(QMetaType(QMetaType::Double)); }

QVariant intOf(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return nullInt();
    const std::optional<int> i = Text::ParseInt(v.toString());
    return i ? QVariant(*i) : nullInt();
}

QVariant doubleOf(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return nullDouble();
    const std::optional<double> d = Text::ParseDecimal(v.toString());
    return d ? QVariant(*d) : nullDouble();
}

QString editText(const QVariant &v, bool decimal)
{
    if (v.isNull() || !v.isValid())
        return {};
    if (!decimal)
        return QString::number(v.toInt());
    return Text::Number(v.toDouble());
}

} // namespace

NormTable::NormTable(QObject *parent) : QAbstractTableModel(parent) {}

QString NormTable::priceText(double price)
{
    return Text::Fixed(price, 2, 3);
}

void NormTable::open(int operationId)
{
    m_operationId = operationId;
    m_open = true;
    requery();
}

void NormTable::close()
{
    beginResetModel();
    m_rows.clear();
    m_open = false;
    m_current = -1;
    endResetModel();
}

void NormTable::requery()
{
    QVector<Row> rows;
    if (m_open) {
        for (const ReferenceOps::Norm &n : ReferenceOps::LoadNorms(DataModule6->ADO_DB, m_operationId)) {
            Row r;
            r.id = n.id;
            r.norma = intOf(n.norma);
            r.price = doubleOf(n.price);
            r.prize = intOf(n.prize);
            rows.append(r);
        }
    }
    beginResetModel();
    m_rows = rows;
    if (m_current >= m_rows.size())
        m_current = int(m_rows.size()) - 1;
    endResetModel();
}

int NormTable::rowOfId(int id) const
{
    if (id < 0)
        return -1;
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].id == id)
            return i;
    return -1;
}

int NormTable::appendNew()
{
    const int r = int(m_rows.size());
    beginInsertRows({}, r, r);
    Row row;
    row.norma = nullInt();
    row.price = nullDouble();
    row.prize = nullInt();
    m_rows.append(row);
    endInsertRows();
    return r;
}

void NormTable::dropRow(int r)
{
    if (r < 0 || r >= m_rows.size())
        return;
    beginRemoveRows({}, r, r);
    m_rows.remove(r);
    endRemoveRows();
    if (m_current >= m_rows.size())
        m_current = int(m_rows.size()) - 1;
}

int NormTable::store(int r, int operationId)
{
    Row &row = m_rows[r];
    const ReferenceOps::Norm n{row.id, row.norma, row.price, row.prize};
    Connection &db = DataModule6->ADO_DB;
    if (row.id < 0) {
        row.id = ReferenceOps::AddNorm(db, operationId, n);
    } else if (!ReferenceOps::ChangeNorm(db, n)) {
        // Deleted meanwhile at another workplace: the change has nowhere to go.
        row.dirty = false;
        return -1;
    }
    row.dirty = false;
    emit headerDataChanged(Qt::Vertical, r, r);
    return row.id;
}

bool NormTable::deleteUnlessLast(int r)
{
    if (r < 0 || r >= m_rows.size() || m_rows[r].id < 0)
        return false;
    return ReferenceOps::DeleteNorm(DataModule6->ADO_DB, m_operationId, m_rows[r].id);
}

void NormTable::setCurrentRow(int r)
{
    const int old = m_current;
    m_current = r;
    if (old >= 0 && old < m_rows.size())
        emit headerDataChanged(Qt::Vertical, old, old);
    if (r >= 0 && r < m_rows.size())
        emit headerDataChanged(Qt::Vertical, r, r);
}

int NormTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int NormTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant NormTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row &r = m_rows[index.row()];
    const QVariant &v = index.column() == ColNorma ? r.norma : index.column() == ColPrice ? r.price : r.prize;
    switch (role) {
    case Qt::DisplayRole:
        if (v.isNull() || !v.isValid())
            return QString();
        if (index.column() == ColPrice)
            return priceText(v.toDouble());
        return QString::number(v.toInt());
    case Qt::EditRole:
        return editText(v, index.column() == ColPrice);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

bool NormTable::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= m_rows.size())
        return false;
    const QString text = value.toString().trimmed();
    QVariant v;
    if (index.column() == ColPrice) {
        if (text.isEmpty()) {
            v = nullDouble();
        } else {
            const std::optional<double> d = Text::ParseDecimal(text);
            if (!d) {
                Msg::error(QStringLiteral("'%1' не является числом").arg(text), QStringLiteral("Ошибка"));
                return false;
            }
            // A price per piece below 0 pays nobody anything sensible.
            if (!Check::Fits(QStringLiteral("Цена"), *d, ColumnRange::Double()))
                return false;
            v = *d;
        }
    } else {
        if (text.isEmpty()) {
            v = nullInt();
        } else {
            const QString field = headerData(index.column(), Qt::Horizontal, Qt::DisplayRole).toString();
            // A norm is a count of pieces: never below 0. The bonus keeps its
            // sign.
            const ColumnRange range = ColumnRange::Integer(index.column() != ColNorma);
            const std::optional<int> i = Text::ParseInt(text);
            // A whole number beyond the integer column is told as such.
            if (!i && Text::ParseDecimal(text) && !text.contains(u'.') && !text.contains(u',')) {
                Check::FitsText(field, text, range);
                return false;
            }
            if (!i) {
                Msg::error(QStringLiteral("'%1' не является целым числом").arg(text), QStringLiteral("Ошибка"));
                return false;
            }
            if (!Check::Fits(field, *i, range))
                return false;
            v = *i;
        }
    }
    Row &r = m_rows[index.row()];
    QVariant &slot = index.column() == ColNorma ? r.norma : index.column() == ColPrice ? r.price : r.prize;
    const bool same = (slot.isNull() && v.isNull()) || (!slot.isNull() && !v.isNull() && slot == v);
    if (same)
        return true;
    slot = v;
    r.dirty = true;
    emit dataChanged(index, index);
    emit headerDataChanged(Qt::Vertical, index.row(), index.row());
    return true;
}

Qt::ItemFlags NormTable::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant NormTable::headerData(int section, Qt::Orientation o, int role) const
{
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, o, role);
    if (o == Qt::Horizontal) {
        switch (section) {
        case ColNorma: return QStringLiteral("Норматив");
        case ColPrice: return QStringLiteral("Цена");
        case ColPrize: return QStringLiteral("Премия, %");
        default: return {};
        }
    }
    // Row indicator: * a new row, I a row with unsaved changes, ▶ the current row.
    if (section < 0 || section >= m_rows.size())
        return {};
    if (m_rows[section].id < 0)
        return QStringLiteral("*");
    if (section == m_current)
        return m_rows[section].dirty ? QStringLiteral("I") : QStringLiteral("▶");
    return QString();
}

// ---------------------------------------------------------------------------
// Cell editor: Enter and Esc keep the typed value and save, like the window's
// buttons; Tab and Shift+Tab keep it and leave the grid, as from the grid.

class NormDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    std::function<void()> onSave;
    QPointer<QWidget> editor;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QWidget *w = QStyledItemDelegate::createEditor(parent, option, index);
        const_cast<NormDelegate *>(this)->editor = w;
        return w;
    }

    // Stores what the open editor holds and closes it.
    void commitOpen()
    {
        if (QWidget *w = editor.data()) {
            editor.clear();
            emit commitData(w);
            emit closeEditor(w, QAbstractItemDelegate::NoHint);
        }
    }

protected:
    bool eventFilter(QObject *obj, QEvent *ev) override
    {
        if (ev->type() == QEvent::KeyPress) {
            const int k = static_cast<QKeyEvent *>(ev)->key();
            if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape) {
                commitOpen();
                if (onSave)
                    onSave();
                return true;
            }
            const bool ctrl = static_cast<QKeyEvent *>(ev)->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
            auto *view = qobject_cast<QAbstractItemView *>(parent());
            if ((k == Qt::Key_Tab || k == Qt::Key_Backtab) && !ctrl && view) {
                commitOpen();
                // The grid has the focus back; the key moves it on.
                QKeyEvent again(QEvent::KeyPress, k, static_cast<QKeyEvent *>(ev)->modifiers());
                QCoreApplication::sendEvent(view, &again);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(obj, ev);
    }
};

// ---------------------------------------------------------------------------
// TForm22

TForm22::TForm22(QWidget *parent) : Form(parent)
{
    Form22 = this;
    setObjectName(QStringLiteral("Form22"));
    setWindowTitle(QStringLiteral("Норматив"));
    norm = new NormTable(this);
    norm->setObjectName(QStringLiteral("norm"));
    BuildLayout();
    ConnectHandlers();
    setCentreOnMainWindow();
}

void TForm22::BuildLayout()
{
    auto *lay = new QVBoxLayout(this);
    DBGrid1 = named(new QTableView(this), QStringLiteral("DBGrid1"), QStringLiteral("Норматив"));
    DBGrid1->setModel(norm);
    m_delegate = new NormDelegate(DBGrid1);
    DBGrid1->setItemDelegate(m_delegate);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setTabKeyNavigation(false); // Tab leaves the grid; the arrows move in it
    DBGrid1->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked
                             | QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    DBGrid1->verticalHeader()->setVisible(true);
    DBGrid1->verticalHeader()->setDefaultSectionSize(20);
    DBGrid1->verticalHeader()->setMinimumWidth(18);
    DBGrid1->setColumnWidth(NormTable::ColNorma, 90);
    DBGrid1->setColumnWidth(NormTable::ColPrice, 90);
    DBGrid1->setColumnWidth(NormTable::ColPrize, 90);
    lay->addWidget(DBGrid1);

    auto *buttons = new QHBoxLayout();
    Button2 = named(new QPushButton(QStringLiteral("Удалить"), this), QStringLiteral("Button2"));
    Button1 = named(new QPushButton(QStringLiteral("Сохранить"), this), QStringLiteral("Button1"));
    Button2->setAutoDefault(false);
    Button1->setDefault(true);
    buttons->addWidget(Button2);
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    lay->addLayout(buttons);
    setFixedClientSize(360, 300);
}

void TForm22::ConnectHandlers()
{
    connectGuarded(Button1, &QPushButton::clicked, &TForm22::Button1Click);
    connectGuarded(Button2, &QPushButton::clicked, &TForm22::Button2Click);
    connectGuarded(DBGrid1->selectionModel(), &QItemSelectionModel::currentChanged,
                   [this](const QModelIndex &cur, const QModelIndex &prev) {
                if (m_moving)
                    return;
                QModelIndex target = cur;
                DBGrid1ColExit(prev, target);
                DBGrid1ColEnter(target);
            });
    m_delegate->onSave = [this] { Button1Click(); };
    DBGrid1->installEventFilter(this);
}

void TForm22::ShowNorms(int operationId)
{
    norm->close();
    norm->open(operationId);
    NewRow = false;
    // An operation without norms starts with a new row to type into.
    if (norm->rowCount() == 0)
        norm->appendNew();
    moveTo(0, NormTable::ColNorma);
    DBGrid1ColEnter(DBGrid1->currentIndex());
    DBGrid1->setFocus();
    Modal::exec(this);
}

void TForm22::moveTo(int row, int column)
{
    const bool was = m_moving;
    m_moving = true;
    const QModelIndex idx = norm->index(row, column);
    if (idx.isValid())
        DBGrid1->setCurrentIndex(idx);
    else
        DBGrid1->selectionModel()->clearCurrentIndex();
    norm->setCurrentRow(idx.isValid() ? row : -1);
    m_moving = was;
}

void TForm22::commitEditor()
{
    m_delegate->commitOpen();
}

void TForm22::DBGrid1ColExit(const QModelIndex &previous, QModelIndex &current)
{
    if (!previous.isValid() || previous.row() >= norm->rowCount())
        return;
    const int prevRow = previous.row();
    const int column = current.isValid() ? current.column() : previous.column();
    if (norm->isDirty(prevRow)) {
        // Store the pending row (a new one gets the operation's id) and read
        // the norms again, in their order; then go on to the cell the user
        // moved to.
        const bool toNew = current.isValid() && current.row() != prevRow && norm->isNew(current.row());
        const int toId = current.isValid() && current.row() != prevRow ? norm->row(current.row()).id : -1;
        const int storedId = storeRow(prevRow);
        norm->requery();
        int row;
        if (toNew)
            row = norm->appendNew();
        else if (toId >= 0)
            row = norm->rowOfId(toId);
        else
            row = norm->rowOfId(storedId);
        if (row < 0)
            row = qMin(prevRow, norm->rowCount() - 1);
        moveTo(row, column);
        current = DBGrid1->currentIndex();
    } else if (norm->isNew(prevRow) && current.isValid() && current.row() != prevRow) {
        // Leaving a new row nobody typed into drops it.
        int row = current.row();
        norm->dropRow(prevRow);
        if (row > prevRow)
            --row;
        moveTo(row, column);
        current = DBGrid1->currentIndex();
    }
}

void TForm22::DBGrid1ColEnter(const QModelIndex &current)
{
    if (!current.isValid()) {
        NewRow = false;
        norm->setCurrentRow(-1);
        return;
    }
    NewRow = norm->isNew(current.row());
    norm->setCurrentRow(current.row());
}

bool TForm22::eventFilter(QObject *o, QEvent *e)
{
    if (o == DBGrid1 && e->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(e);
        const QModelIndex cur = DBGrid1->currentIndex();
        const int last = norm->rowCount() - 1;
        const int column = cur.isValid() ? cur.column() : NormTable::ColNorma;
        const bool plain = k->modifiers() == Qt::NoModifier || k->modifiers() == Qt::KeypadModifier;
        if (plain && (k->key() == Qt::Key_Insert || (k->key() == Qt::Key_Down && cur.row() == last))) {
            // A new row, at the end: one at a time.
            if (last >= 0 && norm->isNew(last) && !norm->isDirty(last)) {
                if (cur.row() != last)
                    DBGrid1->setCurrentIndex(norm->index(last, column));
                return true;
            }
            const int r = norm->appendNew();
            DBGrid1->setCurrentIndex(norm->index(r, column));
            return true;
        }
    }
    return Form::eventFilter(o, e);
}

void TForm22::keyPressEvent(QKeyEvent *e)
{
    // Esc saves and closes, like Enter.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        runGuarded([this] { Button1Click(); });
        return;
    }
    Form::keyPressEvent(e);
}

void TForm22::Button1Click()
{
    commitEditor();
    // The pending row is stored; a new one gets the operation's id here too,
    // even when none of its cells was left.
    storePending();
    Dataset &oper = DataModule6->Oper;
    const int recNo = oper.recNo();
    oper.close();
    oper.open();
    oper.setRecNo(recNo);
    done(QDialog::Accepted);
}

void TForm22::Button2Click()
{
    commitEditor();
    const QModelIndex cur = DBGrid1->currentIndex();
    const int row = cur.isValid() ? cur.row() : -1;
    const int column = cur.isValid() ? cur.column() : NormTable::ColNorma;
    if (row >= 0 && norm->isNew(row)) {
        // A row not stored yet is simply given up.
        norm->dropRow(row);
    } else if (row >= 0 && norm->deleteUnlessLast(row)) {
        norm->dropRow(row);
    }
    // Refresh: whatever is pending is stored first.
    storePending();
    norm->requery();
    if (norm->rowCount() == 0)
        norm->appendNew();
    moveTo(qBound(0, row, norm->rowCount() - 1), column);
    DBGrid1ColEnter(DBGrid1->currentIndex());
}

void TForm22::storePending()
{
    for (int r = 0; r < norm->rowCount(); ++r)
        if (norm->isDirty(r))
            storeRow(r);
}

int TForm22::storeRow(int r)
{
    const int id = norm->store(r, norm->operationId());
    if (id < 0)
        Msg::error(QStringLiteral("Норматив не найден: возможно, его удалили с другого рабочего места."),
                   QStringLiteral("Ошибка"));
    return id;
}
