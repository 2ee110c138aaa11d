#pragma once
#include "data/Dataset.h"
#include "ui/Form.h"

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
// Picker use. The operation dialog registers once where a choice goes:
//     Form3->SetHandover([](int id, const QString &marka) {
//         Form10->Edit1->setText(marka);
//         Form10->IzdelId = id;
//     });
// and then picks with Form3->OpenForSelection(), which does the opener's
// steps (open Izdel, selection look, show modally, then take Button2's
// default state away, hide the search box and close Izdel) and returns
// whether a product was chosen. A choice calls the handover with the
// product's id and trimmed mark and also keeps them in ChosenId /
// ChosenMarka. "Выход", or choosing from an empty list, hands nothing over.
class TForm3 : public Form {
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);

    int Tag = 0;

    using Handover = std::function<void(int id, const QString &marka)>;
    void SetHandover(Handover h) { m_handover = std::move(h); }
    // Selection look: mode 1; Button2 "Выбрать" and default; Button1/Button3
    // hidden; search box shown and cleared; no choice yet.
    void PrepareSelection();
    // After a selection showing: Button2 no longer default; the search box
    // is emptied (its filter off) and hidden.
    void FinishSelection();
    bool OpenForSelection();
    bool Chosen = false;
    int ChosenId = 0;
    QString ChosenMarka;

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
    Handover m_handover;
};

extern TForm3 *Form3;
