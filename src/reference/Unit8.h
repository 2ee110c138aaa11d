#pragma once
#include "ui/Form.h"

#include "ui/Picker.h"

class DBGrid;
class QLineEdit;
class QPushButton;

// The operation kinds list over the shared dataset Vid_oper: add, rename and
// delete kinds, and the kind picker of the operation dialog.
//
// Modes (Tag): 0 = maintenance, 1 = picker.
//
// Picker (ui/Picker.h): Pick() hands back the chosen kind's id and trimmed
// name; "Выход", or choosing from an empty list, hands back nothing.
class TForm8 : public Form {
    Q_OBJECT
public:
    explicit TForm8(QWidget *parent = nullptr);

    int Tag = 0;

    // Selection look: mode 1; Button2 "Выбрать" and default; Button1/Button3
    // hidden; search box shown and cleared; no choice yet.
    void PrepareSelection();
    // After a selection showing: Button2 no longer default; the search box
    // is emptied (its filter off) and hidden.
    void FinishSelection();
    // The picker contract (ui/Picker.h): opens Vid_oper, shows the list in
    // selection mode, then FinishSelection and closes Vid_oper.
    std::optional<PickedRow> Pick(int mode = 1);

    // The journal's menu command "Операции".
    void OpenForMaintenance();

    void FormActivate() override;
    void Button1Click(); // "Добавить"
    void Button2Click(); // "Изменить" / "Выбрать"
    void Button3Click(); // "Удалить"
    void DBGrid1DblClick();
    void Edit1Change(const QString &text);

    DBGrid *DBGrid1 = nullptr;
    QPushButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr;
    QLineEdit *Edit1 = nullptr;


private:
    void BuildLayout();
    void ConnectHandlers();
    std::optional<PickedRow> m_choice;
};

extern TForm8 *Form8;
