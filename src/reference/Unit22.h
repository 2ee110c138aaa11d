#pragma once
#include "ui/Form.h"

#include <QAbstractTableModel>
#include <QTableView>
#include <QVariant>
#include <QVector>

class QPushButton;
class NormDelegate;

// The norms of one operation (accounts_dep.norm), ordered by norma, as an
// editable table: rows are changed in place, new rows are added at the end
// and kept pending until they are stored.
class NormTable : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColNorma = 0, ColPrice = 1, ColPrize = 2 };
    struct Row {
        int id = -1; // -1: a new row not stored yet
        QVariant norma, price, prize;
        bool dirty = false;
    };

    explicit NormTable(QObject *parent = nullptr);

    // Reads the norms of one operation.
    void open(int operationId);
    void close();
    bool isOpen() const { return m_open; }
    int operationId() const { return m_operationId; }
    // Reads the rows again; pending new rows are dropped.
    void requery();

    const Row &row(int r) const { return m_rows[r]; }
    bool isNew(int r) const { return r >= 0 && r < m_rows.size() && m_rows[r].id < 0; }
    bool isDirty(int r) const { return r >= 0 && r < m_rows.size() && m_rows[r].dirty; }
    int rowOfId(int id) const;
    // Starts a new row at the end; returns its number (0-based).
    int appendNew();
    void dropRow(int r);
    // Writes a row with pending changes: a new row is inserted with the given
    // operation id, a stored one updated. Returns the row's id, or -1 when
    // the norm was deleted meanwhile (the change is given up; the window
    // tells the user).
    int store(int r, int operationId);
    // Deletes the norm of row r unless it is its operation's last one; true
    // when it was deleted. Count and delete are one serialised step.
    bool deleteUnlessLast(int r);

    // Row shown with the row indicator.
    void setCurrentRow(int r);

    // Price as the grid shows it: at least two and at most three decimals
    // ("#0.00#"), the locale's decimal separator.
    static QString priceText(double price);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

private:
    QVector<Row> m_rows;
    bool m_open = false;
    int m_operationId = 0;
    int m_current = -1;
};

// The norms window: an editable grid of one operation's norms.
class TForm22 : public Form {
    Q_OBJECT
public:
    explicit TForm22(QWidget *parent = nullptr);

    // Opens the window modally on the norms of an operation (the operations
    // list's current one).
    void ShowNorms(int operationId);

    NormTable *norm = nullptr;
    QTableView *DBGrid1 = nullptr;
    QPushButton *Button1 = nullptr; // "Сохранить": Enter and Esc
    QPushButton *Button2 = nullptr; // "Удалить"

    // Set while the row being edited was started as an insertion.
    bool NewRow = false;

    void Button1Click();
    void Button2Click();
    // Cell changes of the grid: leaving the previous cell, entering the new one.
    void DBGrid1ColExit(const QModelIndex &previous, QModelIndex &current);
    void DBGrid1ColEnter(const QModelIndex &current);

protected:
    bool eventFilter(QObject *o, QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void BuildLayout();
    void ConnectHandlers();
    void moveTo(int row, int column);
    void commitEditor();
    void storePending();
    // Stores a row with pending changes; tells the user when its norm was
    // deleted meanwhile. Returns what NormTable::store returns.
    int storeRow(int r);
    NormDelegate *m_delegate = nullptr;
    bool m_moving = false;
};

extern TForm22 *Form22;
