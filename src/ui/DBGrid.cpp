#include "ui/DBGrid.h"
#include "ui/Text.h"
#include "data/Dataset.h"

#include <QDate>
#include <QDateTime>
#include <QHeaderView>
#include <QLocale>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>

DatasetModel::DatasetModel(QObject *parent) : QAbstractTableModel(parent) {}

void DatasetModel::setDataset(Dataset *ds)
{
    beginResetModel();
    if (m_ds)
        disconnect(m_ds, nullptr, this, nullptr);
    m_ds = ds;
    if (m_ds) {
        connect(m_ds, &Dataset::aboutToChange, this, [this] { beginResetModel(); });
        connect(m_ds, &Dataset::changed, this, [this] { endResetModel(); });
    }
    endResetModel();
}

void DatasetModel::setColumns(const QList<GridColumn> &cols)
{
    beginResetModel();
    m_cols = cols;
    endResetModel();
}

int DatasetModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_ds || !m_ds->isOpen())
        return 0;
    return m_ds->recordCount();
}

int DatasetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_cols.size());
}

QString DatasetModel::displayText(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return {};
    switch (v.metaType().id()) {
    case QMetaType::QDate:
        return Text::Date(v.toDate());
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        if (dt.time() == QTime(0, 0))
            return Text::Date(dt.date());
        return Text::Date(dt.date()) + dt.toString(QStringLiteral(" HH:mm:ss"));
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return Text::Number(v.toDouble());
    default:
        break;
    }
    return Dataset::textOf(v);
}

QVariant DatasetModel::data(const QModelIndex &index, int role) const
{
    if (!m_ds || !index.isValid() || index.column() >= m_cols.size())
        return {};
    const GridColumn &c = m_cols[index.column()];
    switch (role) {
    case Qt::DisplayRole: {
        const int col = m_ds->fieldIndex(c.field);
        const QVariant v = m_ds->valueAt(index.row(), col);
        if (c.format)
            return c.format(v);
        if (m_ds->isNumericField(col) && v.metaType().id() == QMetaType::QString && !v.isNull()) {
            // exact decimal text: show it with the locale's separator
            QString s = Text::TrimZeros(Dataset::textOf(v));
            return s.replace(u'.', Text::DecimalPoint());
        }
        return displayText(v);
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(c.align);
    case Qt::ForegroundRole:
    case Qt::BackgroundRole:
    case Qt::FontRole: {
        if (!cellLook)
            return {};
        const CellLook look = cellLook(index.row(), c);
        if (role == Qt::ForegroundRole && look.foreground)
            return *look.foreground;
        if (role == Qt::BackgroundRole && look.background)
            return *look.background;
        if (role == Qt::FontRole && look.bold) {
            QFont f;
            f.setBold(*look.bold);
            return f;
        }
        return {};
    }
    default:
        return {};
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o != Qt::Horizontal || section < 0 || section >= m_cols.size())
        return QAbstractTableModel::headerData(section, o, role);
    const GridColumn &c = m_cols[section];
    switch (role) {
    case Qt::DisplayRole:
        return c.title;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(c.titleAlign);
    case Qt::ForegroundRole:
        return c.titleColor.isValid() ? QVariant(c.titleColor) : QVariant();
    case Qt::FontRole: {
        QFont f;
        f.setBold(c.boldTitle);
        return f;
    }
    default:
        return {};
    }
}

DBGrid::DBGrid(QWidget *parent) : QTableView(parent), m_model(new DatasetModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false); // a whole-row grid has no cells to tab through
    setAlternatingRowColors(false);
    verticalHeader()->setDefaultSectionSize(20);
    verticalHeader()->setVisible(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &cur) {
                if (m_syncing || !dataset() || !cur.isValid())
                    return;
                m_syncing = true;
                dataset()->setRecNo(cur.row() + 1);
                m_syncing = false;
            });
    // A row can be selected without moving the cursor (a screen reader's
    // "select", the selection model, a program): the selected row is the
    // dataset's current record all the same, so the row shown as selected is
    // the row every button acts on.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection &selected) {
                if (m_syncing || !dataset() || selected.isEmpty())
                    return;
                const QModelIndexList picked = selected.indexes();
                const int row = picked.last().row();
                if (row < 0 || row >= m_model->rowCount())
                    return;
                m_syncing = true;
                if (currentIndex().row() != row)
                    selectionModel()->setCurrentIndex(m_model->index(row, qMax(0, currentIndex().column())),
                                                      QItemSelectionModel::NoUpdate);
                if (dataset()->recNo() != row + 1)
                    dataset()->setRecNo(row + 1);
                m_syncing = false;
            });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        applyColumns();
        if (dataset())
            syncFromDataset(dataset()->recNo());
    });
}

void DBGrid::setDataset(Dataset *ds)
{
    if (dataset())
        disconnect(dataset(), &Dataset::currentChanged, this, nullptr);
    m_model->setDataset(ds);
    if (ds) {
        connect(ds, &Dataset::currentChanged, this, [this](int recNo) { syncFromDataset(recNo); });
        syncFromDataset(ds->recNo());
    }
}

void DBGrid::setColumns(const QList<GridColumn> &cols)
{
    m_model->setColumns(cols);
    applyColumns();
}

void DBGrid::applyColumns()
{
    const auto &cols = m_model->columns();
    for (int i = 0; i < cols.size(); ++i) {
        setColumnHidden(i, !cols[i].visible);
        setColumnWidth(i, cols[i].width > 0 ? cols[i].width : horizontalHeader()->defaultSectionSize());
    }
}

void DBGrid::syncFromDataset(int recNo)
{
    if (m_syncing)
        return;
    m_syncing = true;
    if (recNo <= 0) {
        selectionModel()->clearCurrentIndex();
        clearSelection();
    } else {
        const QModelIndex idx = m_model->index(recNo - 1, qMax(0, currentIndex().column()));
        if (idx.isValid()) {
            selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            scrollTo(idx);
        }
    }
    m_syncing = false;
}

QString DBGrid::cellText(int row, int column) const
{
    return m_model->data(m_model->index(row, column), Qt::DisplayRole).toString();
}

int DBGrid::columnOf(const QString &field) const
{
    const auto &cols = m_model->columns();
    for (int i = 0; i < cols.size(); ++i)
        if (cols[i].field.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent *e)
{
    QTableView::mouseDoubleClickEvent(e);
    emit DblClick();
}

void DBGrid::setDeleteButton(QPushButton *button)
{
    m_deleteButton = button;
}

void DBGrid::keyPressEvent(QKeyEvent *e)
{
    const bool plain = e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier;
    if (plain && e->key() == Qt::Key_Delete && m_deleteButton) {
        if (m_deleteButton->isVisible() && m_deleteButton->isEnabled())
            m_deleteButton->click();
        return;
    }
    QTableView::keyPressEvent(e);
}
