#pragma once
#include "ui/Form.h"
#include "ui/Picker.h"

#include <QHash>
#include <functional>

class DBGrid;
class QLineEdit;
class QPushButton;

// The worker list over the shared dataset Workers: search, add, change and
// delete workers, and the worker picker of the dialogs.
//
// Modes (Tag): 0 = maintenance, 1 = picker of the journal entry editor,
// 24 = picker of the maintenance-work entry dialog.
//
// Picker use. A dialog registers once, for its mode, where a choice goes:
//     Form5->SetHandover(1, [](int id, const QString &fio) {
//         Form11->Edit1->setText(fio);
//         Form11->WorkerId = id;
//     });
// and then picks with Form5->OpenForSelection(1), which does the opener's
// steps (selection look, open Workers, show modally, close Workers) and
// returns whether a worker was chosen. On a choice the list calls the
// handover with the worker's id and trimmed name, and also keeps them in
// ChosenId / ChosenFio. Closing with "Выход", or choosing from an empty list,
// hands nothing over.
class TForm5 : public Form {
    Q_OBJECT
public:
    explicit TForm5(QWidget *parent = nullptr);

    int Tag = 0;
    bool IsSelecting() const { return Tag == 1 || Tag == 24; }

    using Handover = std::function<void(int id, const QString &fio)>;
    void SetHandover(int mode, Handover h);
    // Selection look for the mode: Button2 "Выбрать", shown and default;
    // Button1/Button3 hidden; search box shown and cleared; no choice yet.
    void PrepareSelection(int mode);
    bool OpenForSelection(int mode);
    // The picker contract (ui/Picker.h): mode 1 or 24.
    std::optional<PickedRow> Pick(int mode = 1);
    bool Chosen = false;
    int ChosenId = 0;
    QString ChosenFio;

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
    QHash<int, Handover> m_handover;
};

extern TForm5 *Form5;
