#pragma once
#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QPointer>
#include <QTableView>
#include <functional>
#include <optional>

class Dataset;
class QPushButton;

// One column of a grid: which field it shows and how.
struct GridColumn {
    QString field;
    QString title;
    int width = 0;                              // 0: the grid's standard width
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    bool visible = true;
    bool boldTitle = true;
    Qt::Alignment titleAlign = Qt::AlignCenter;
    QColor titleColor;                          // invalid: the header's own colour
    std::function<QString(const QVariant &)> format; // display text; default by type
};

// A column of a field with its title, width and alignment; the rest as
// GridColumn has it.
inline GridColumn gridColumn(const QString &field, const QString &title, int width = 0,
                             Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    GridColumn c;
    c.field = field;
    c.title = title;
    c.width = width;
    c.align = align;
    return c;
}

// Look of one cell, decided by a grid's paint hook.
struct CellLook {
    std::optional<QColor> foreground;
    std::optional<QColor> background;
    std::optional<bool> bold;
};

// Shows a dataset through column definitions.
class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DatasetModel(QObject *parent = nullptr);
    void setDataset(Dataset *ds);
    Dataset *dataset() const { return m_ds; }
    void setColumns(const QList<GridColumn> &cols);
    const QList<GridColumn> &columns() const { return m_cols; }
    // Paint hook: (row 0-based, column definition) -> look.
    std::function<CellLook(int row, const GridColumn &col)> cellLook;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    // Standard display of a value: numbers in the locale's notation, dates
    // as dd.MM.yyyy, texts without fixed-width padding.
    static QString displayText(const QVariant &v);

private:
    QPointer<Dataset> m_ds;
    QList<GridColumn> m_cols;
};

// A read-only, whole-row grid over a dataset. The grid's current and selected
// row follows the dataset's current record and moves it, however the row was
// moved to or selected (mouse, keyboard, accessibility, program). The arrow
// and page keys move inside the grid; Tab and Shift+Tab leave it for the
// window's next or previous control.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget *parent = nullptr);
    void setDataset(Dataset *ds); // the grid's data source
    Dataset *dataset() const { return m_model->dataset(); }
    void setColumns(const QList<GridColumn> &cols);
    DatasetModel *datasetModel() const { return m_model; }
    // Text the grid shows in a cell (0-based row and column).
    QString cellText(int row, int column) const;
    int columnOf(const QString &field) const;
    // The Delete key in the grid presses this button ("Удалить") when it is
    // shown and enabled.
    void setDeleteButton(QPushButton *button);

signals:
    // Any double click in the grid, over a row or not.
    void DblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void syncFromDataset(int recNo);
    void applyColumns();
    DatasetModel *m_model;
    bool m_syncing = false;
    QPointer<QPushButton> m_deleteButton;
};
