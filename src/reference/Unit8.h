#pragma once
#include "ui/ListWindow.h"

// The operation kinds list over the shared dataset Vid_oper: add, rename and
// delete kinds, and the kind picker of the operation dialog.
//
// Modes (Tag): 0 = maintenance, 1 = picker.
//
// Picker (ui/Picker.h): Pick() hands back the chosen kind's id and trimmed
// name; "Выход", or choosing from an empty list, hands back nothing.
class TForm8 : public ListWindow {
    Q_OBJECT
public:
    explicit TForm8(QWidget *parent = nullptr);

    // Selection look: mode 1; Button2 "Выбрать" and default; Button1/Button3
    // hidden; search box shown and cleared; no choice yet.
    void PrepareSelection() { BeginSelectionMode(1); }
    // After a selection showing: Button2 no longer default; the search box
    // is emptied (its filter off) and hidden.
    void FinishSelection() { EndSelectionMode(); }

    void Button1Click() override; // "Добавить"
    void Button3Click() override; // "Удалить"

protected:
    void BeforeMaintenance() override;
    void ChangeRow() override;
};

extern TForm8 *Form8;
