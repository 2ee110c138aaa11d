#pragma once
#include "journal/EntryPrice.h"
#include "ui/Form.h"

#include <optional>

class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The entry editor: creates or changes one journal entry of the shift
// selected in the journal window.
//
// Pickers hand their choice over with WorkerChosen() (worker list) and
// OperationChosen() (operations list, price rule already applied, see
// TForm1::EntryPriceOf).
class TForm11 : public Form {
    Q_OBJECT
public:
    explicit TForm11(QWidget *parent = nullptr);

    // 1 = add, 2 = change; set by the opener.
    int Tag = 1;
    // Editor state; kept between showings, overwritten by the change opener
    // and by the picks.
    int WorkerId = 0;
    int OperId = 0;
    int ProductId = 0;
    double FinalPrice = 0; // unit price stored in cena, unrounded
    int EntryId = 0;       // change: id of the entry being changed
    // What FinalPrice was set from, when an operation was picked since the
    // editor opened; a change without a pick keeps the stored one.
    std::optional<EntryPrice::Basis> Basis;

    // Openers used by the journal window ("Добавить" / "Изменить").
    void OpenForAdd();
    void OpenForChange();

    // Hand-over from the pickers.
    void WorkerChosen(int id, const QString &fio);
    void OperationChosen(int operId, int productId, double finalPrice, const QString &text);

    // An operation takes a colour when its text contains "КРАСКА" in any case.
    static bool TakesColour(const QString &operationText);

    void FormActivate() override;
    void Button1Click(); // "Запись"
    void Button2Click(); // "Отмена"
    void Button3Click(); // pick the worker
    void Button4Click(); // pick the operation
    // After the operations list closes, chosen or not: "Цена база", the
    // colour box and the computed boxes follow the operation. basePrice is
    // the chosen operation's lowest norm price; without a choice it is read
    // for the operation the editor holds.
    void AfterOperationPick(std::optional<double> basePrice = std::nullopt);
    // Quantity and hours boxes losing the focus, and every operation pick.
    void RecomputeBoxes();

    QGroupBox *GroupBox1 = nullptr;
    QLineEdit *Edit1 = nullptr; // ФИО
    QPushButton *Button3 = nullptr;
    QLineEdit *Edit2 = nullptr; // Операция
    QPushButton *Button4 = nullptr;
    QLineEdit *Edit3 = nullptr; // Кол-во
    QLineEdit *Edit6 = nullptr; // Время
    QLabel *Label6 = nullptr;
    QLineEdit *Edit5 = nullptr; // Цвет
    QDateEdit *DTimeP = nullptr;
    QLineEdit *Edit4 = nullptr; // Брак
    QLineEdit *Edit8 = nullptr; // Цена база
    QLineEdit *Edit7 = nullptr; // Цена итог
    QLineEdit *Edit9 = nullptr; // Сумма
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    void BuildLayout();
    void ConnectHandlers();
    void SetColourState();
    void ClearBoxes();
    QString m_baseText; // "Цена база" of the last pick
};

extern TForm11 *Form11;
