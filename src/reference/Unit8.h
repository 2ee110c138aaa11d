#pragma once
#include "ui/Form.h"

#include <functional>

class DBGrid;
class QLineEdit;
class QPushButton;

// The operation kinds list over the shared dataset Vid_oper: add, rename and
// delete kinds, and the kind picker of the operation dialog.
//
// Modes (Tag): 0 = maintenance, 1 = picker.
//
// Picker use. The operation dialog registers once where a choice goes:
//     Form8->SetHandover([](int id, const QString &vid) {
//         Form10->Edit2->setText(vid);
//         Form10->VidId = id;
//     });
// and then picks with Form8->OpenForSelection(), which does the opener's
// steps (open Vid_oper, selection look, show modally, then take Button2's
// default state away, hide the search box and close Vid_oper) and returns
// whether a kind was chosen. A choice calls the handover with the kind's id
// and trimmed name and also keeps them in ChosenId / ChosenVid. "Выход", or
// choosing from an empty list, hands nothing over.
class TForm8 : public Form {
    Q_OBJECT
public:
    explicit TForm8(QWidget *parent = nullptr);

    int Tag = 0;

    using Handover = std::function<void(int id, const QString &vid)>;
    void SetHandover(Handover h) { m_handover = std::move(h); }
    // Selection look: mode 1; Button2 "Выбрать" and default; Button1/Button3
    // hidden; search box shown and cleared; no choice yet.
    void PrepareSelection();
    // After a selection showing: Button2 no longer default, search box hidden.
    void FinishSelection();
    bool OpenForSelection();
    bool Chosen = false;
    int ChosenId = 0;
    QString ChosenVid;

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

protected:
    void showEvent(QShowEvent *e) override;

private:
    void BuildLayout();
    void ConnectHandlers();
    Handover m_handover;
};

extern TForm8 *Form8;
