#pragma once
#include "ui/ListWindow.h"

#include <QDate>
#include <functional>

// The product list over the shared dataset Izdel: search, add, change and
// delete products, and the product picker of the operation dialog.
//
// Modes (Tag): 0 = maintenance, 1 = picker.
//
// Picker (ui/Picker.h): Pick() hands back the chosen product's id and
// trimmed mark; "Выход", or choosing from an empty list, hands back nothing.
class TForm3 : public ListWindow {
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);

    // Selection look: mode 1; Button2 "Выбрать" and default; Button1/Button3
    // hidden; search box shown and cleared; no choice yet.
    void PrepareSelection() { BeginSelectionMode(1); }
    // After a selection showing: Button2 no longer default; the search box
    // is emptied (its filter off) and hidden.
    void FinishSelection() { EndSelectionMode(); }

    // Journal entries of a product are counted from this date on: the first
    // of the previous month, in the year 2000.
    static QDate EntriesBoundDate(const QDate &today);
    // Today's date for the deletion (replaceable in tests).
    std::function<QDate()> Today = [] { return QDate::currentDate(); };

    void Button1Click() override; // "Добавить"
    void Button3Click() override; // "Удалить"

protected:
    void BeforeMaintenance() override;
    void ChangeRow() override;
};

extern TForm3 *Form3;
