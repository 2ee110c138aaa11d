#pragma once
#include "data/Dataset.h"
#include "ui/Form.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The maintenance-work entry dialog: adds an entry for the date of the
// maintenance-works journal, or changes the entry selected there.
class TForm24 : public Form {
    Q_OBJECT
public:
    explicit TForm24(QWidget *parent = nullptr);

    // 0 = add, 1 = change; set by the openers.
    int Tag = 0;
    int NomId = 0;    // nomenclature group; 0 = none chosen
    int WorkerId = 0; // 0 = none chosen
    int EntryId = 0;  // change: the entry being changed

    // The kinds 7777 and 7778 with their hourly norm prices (parameter cnt).
    Dataset type_work;

    // Openers used by the journal ("Добавить" / "Изменить").
    void OpenForAdd();
    void OpenForChange(int entryId, int workerId, const QString &fio, int nomId, const QString &nomCaption,
                       int kind, int hours, bool night);

    // The chosen kind's id (0 when none) and its norm price.
    int KindId() const;
    double NormPrice() const;
    void SelectKind(int kind);

    void Button1Click(); // "Записать"
    void Button6Click(); // "Выход"
    void Button3Click(); // pick the worker
    void Button4Click(); // pick the nomenclature group
    // Price and sum follow the kind and the hours typed.
    void ShowPrice();

    QGroupBox *GroupBox1 = nullptr;
    QLineEdit *Edit1 = nullptr; // ФИО
    QPushButton *Button3 = nullptr;
    QLineEdit *Edit2 = nullptr; // Номенклатура
    QPushButton *Button4 = nullptr;
    QComboBox *cb_type_work = nullptr;
    QLineEdit *Edit6 = nullptr;   // hours
    QLineEdit *DBEdit1 = nullptr; // Цена
    QLineEdit *DBEdit2 = nullptr; // Сумма
    QCheckBox *CBox1 = nullptr;   // Ночные
    QPushButton *Button1 = nullptr;
    QPushButton *Button6 = nullptr;

private:
    void BuildLayout();
    void ConnectHandlers();
    void OpenKinds();
    void Show();
};

extern TForm24 *Form24;
