#pragma once
#include "ui/Form.h"

class QComboBox;
class QLineEdit;
class QPushButton;

// The operation dialog: creates an operation (product, operation kind and
// product kind) or changes one. Opened by the operations list, which sets the
// caption, the mode and, for a change, the boxes and ids.
class TForm10 : public Form {
    Q_OBJECT
public:
    explicit TForm10(QWidget *parent = nullptr);

    // Mode: 1 add, 2 change.
    int Tag = 1;
    // Chosen operation kind and product; kept between showings.
    int VidId = 0;
    int IzdelId = 0;

    QLineEdit *Edit1 = nullptr;      // "Марка изделия" (read-only)
    QPushButton *Button3 = nullptr;  // "..." picks the product
    QLineEdit *Edit2 = nullptr;      // "Операция" (read-only)
    QPushButton *Button4 = nullptr;  // "..." picks the operation kind
    QComboBox *ComboBox1 = nullptr;  // "Вид": 0 "Готовая продукция", 1 "Заготовки"
    QPushButton *Button1 = nullptr;  // "Записать"
    QPushButton *Button2 = nullptr;  // "Отмена"

    void FormActivate() override;
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();


private:
    void BuildLayout();
    void ConnectHandlers();
};

extern TForm10 *Form10;
