#pragma once
#include "data/Dataset.h"
#include "ui/Form.h"

#include <functional>
#include <optional>

class DBGrid;
class QCheckBox;
class QLineEdit;
class QPushButton;

// An operation chosen in the operations list for a journal entry.
struct OperationChoice {
    int productId = 0;    // the operation's product (i_id)
    int operationId = 0;  // the operation (id)
    double basePrice = 0; // its lowest norm price (cena)
    // basePrice through the caller's price rule at the moment of the choice
    // (the entry editor's: the journal's day-off and shift factors, see
    // TForm1::EntryPriceOf). Not rounded.
    double price = 0;
    // "mark; operation kind; product kind", e.g. "СТ-1; Сборка; Готовая продукция".
    QString text;
};

// The operations list "Операции": operations with their lowest norm price and
// number of norms (shared dataset Oper), search by mark, add, change, delete,
// the export of all operations, the norms of an operation, and the operation
// picker of the entry editor.
class TForm4 : public Form {
    Q_OBJECT
public:
    explicit TForm4(QWidget *parent = nullptr);

    // Mode: 0 maintenance, 1 selection (for the entry editor).
    int Tag = 0;

    // The journal window's menu command "Цены": maintenance mode, Oper opened
    // for the showing and closed afterwards.
    void OpenForMaintenance();

    // The entry editor's operation pick. Puts the list into selection mode
    // ("Выбрать" as the default button, "Добавить" and "Удалить" hidden, the
    // search box shown and cleared), opens Oper, goes to the operation with
    // id operationId (0, or an id not listed: the first row), shows the list
    // modally and returns what was chosen; nothing when the list was closed
    // without a choice. Afterwards "Выбрать" is no longer the default button,
    // the search box is hidden and the filter of Oper is off; Oper stays open
    // (the editor reads it and closes it when it is done).
    // priceOf turns the chosen operation's lowest norm price into the
    // entry's price when the user chooses (none: the price itself).
    std::optional<OperationChoice> SelectOperation(int operationId = 0,
                                                   const std::function<double(double)> &priceOf = {});

    // "mark; operation kind; product kind" as the entry editor shows an
    // operation: naimen 0 "Готовая продукция", anything else "Заготовки".
    static QString OperationText(const QString &marka, const QString &vid, int naimen);

    // The export's own query: every operation, with or without norms.
    Dataset XLS_Rep;

    DBGrid *DBGrid1 = nullptr;
    QPushButton *Button1 = nullptr; // "Добавить"
    QPushButton *Button2 = nullptr; // "Изменить" / "Выбрать"
    QPushButton *Button3 = nullptr; // "Удалить"
    QPushButton *Button5 = nullptr; // "Excel"
    QPushButton *Button4 = nullptr; // "Выход"
    QCheckBox *CheckBox1 = nullptr; // "Цены"
    QLineEdit *Edit1 = nullptr;     // search by mark

    void FormActivate() override;
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void DBGrid1DblClick();
    void Edit1Change(const QString &text);

    static QString xlsRepSql();

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    void BuildLayout();
    void ConnectHandlers();
    std::optional<OperationChoice> m_choice;
    std::function<double(double)> m_priceOf;
};

extern TForm4 *Form4;
