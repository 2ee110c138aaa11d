#pragma once
#include "ui/ListWindow.h"

// The worker list over the shared dataset Workers: search, add, change and
// delete workers, and the worker picker of the dialogs.
//
// Modes (Tag): 0 = maintenance, 1 = picker of the journal entry editor,
// 24 = picker of the maintenance-work entry dialog.
//
// Picker (ui/Picker.h): Pick(1) for the entry editor, Pick(24) for the
// maintenance-work dialog hands back the chosen worker's id and trimmed name;
// "Выход", or choosing from an empty list, hands back nothing.
class TForm5 : public ListWindow {
    Q_OBJECT
public:
    explicit TForm5(QWidget *parent = nullptr);

    bool IsSelecting() const override { return Tag == 1 || Tag == 24; }

    // Selection look for the mode: Button2 "Выбрать", shown and default;
    // Button1/Button3 hidden; search box shown and cleared; no choice yet.
    void PrepareSelection(int mode) { BeginSelectionMode(mode); }

    void Button1Click() override; // "Добавить"
    void Button3Click() override; // "Удалить"

protected:
    void ChangeRow() override;
};

extern TForm5 *Form5;
