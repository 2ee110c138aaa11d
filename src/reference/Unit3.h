#pragma once
#include "data/Dataset.h"
#include "ui/Form.h"
#include "ui/Picker.h"

#include <QDate>
#include <functional>

class DBGrid;
class QLineEdit;
class QPushButton;

// The product list over the shared dataset Izdel: search, add, change and
// delete products, and the product picker of the operation dialog.
//
// Modes (Tag): 0 = maintenance, 1 = picker.
//
// Picker (ui/Picker.h): Pick() hands back the chosen product's id and
// trimmed mark; "Выход", or choosing from an empty list, hands back nothing.
class TForm3 : public Form {
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);

    int Tag = 0;

    // Selection look: mode 1; Button2 "Выбрать" and default; Button1/Button3
    // hidden; search box shown and cleared; no choice yet.
    void PrepareSelection();
    // After a selection showing: Button2 no longer default; the search box
    // is emptied (its filter off) and hidden.
    void FinishSelection();
    // The picker contract (ui/Picker.h): opens Izdel, shows the list in
    // selection mode, then FinishSelection and closes Izdel.
    std::optional<PickedRow> Pick(int mode = 1);

    // The journal's menu command "Изделия".
    void OpenForMaintenance();

    // Journal entries of a product are counted from this date on: the first
    // of the previous month, in the year 2000.
    static QDate EntriesBoundDate(const QDate &today);
    // Today's date for the deletion (replaceable in tests).
    std::function<QDate()> Today = [] { return QDate::currentDate(); };

    void FormActivate() override;
    void Button1Click(); // "Добавить"
    void Button2Click(); // "Изменить" / "Выбрать"
    void Button3Click(); // "Удалить"
    void DBGrid1DblClick();
    void Edit1Change(const QString &text);

    DBGrid *DBGrid1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QPushButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr;

    // Counts for the deletion: the product's journal entries from :dt on,
    // and its operations.
    Dataset Izdel_Smena, ii_oper;

private:
    void BuildLayout();
    void ConnectHandlers();
    std::optional<PickedRow> m_choice;
};

extern TForm3 *Form3;
