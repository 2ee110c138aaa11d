#pragma once
#include "ui/Form.h"
#include "ui/Picker.h"

#include <optional>

class DBGrid;
class QLineEdit;
class QPushButton;

// The worker list over the shared dataset Workers: search, add, change and
// delete workers, and the worker picker of the dialogs.
//
// Modes (Tag): 0 = maintenance, 1 = picker of the journal entry editor,
// 24 = picker of the maintenance-work entry dialog.
//
// Picker (ui/Picker.h): Pick(1) for the entry editor, Pick(24) for the
// maintenance-work dialog hands back the chosen worker's id and trimmed name;
// "Выход", or choosing from an empty list, hands back nothing.
class TForm5 : public Form {
    Q_OBJECT
public:
    explicit TForm5(QWidget *parent = nullptr);

    int Tag = 0;
    bool IsSelecting() const { return Tag == 1 || Tag == 24; }

    // Selection look for the mode: Button2 "Выбрать", shown and default;
    // Button1/Button3 hidden; search box shown and cleared; no choice yet.
    void PrepareSelection(int mode);
    // The picker contract (ui/Picker.h): mode 1 or 24.
    std::optional<PickedRow> Pick(int mode = 1);

    // The journal's menu command "Рабочие".
    void OpenForMaintenance();

    void FormActivate() override;
    void Button1Click();  // "Добавить"
    void Button2Click();  // "Изменить" / "Выбрать"
    void Button3Click();  // "Удалить"
    void DBGrid1DblClick();
    void Edit1Change(const QString &text);

    DBGrid *DBGrid1 = nullptr;
    QPushButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr;
    QLineEdit *Edit1 = nullptr;

private:
    void BuildLayout();
    void ConnectHandlers();
    PickerControls pickerControls() const;
    std::optional<PickedRow> m_choice;
};

extern TForm5 *Form5;
