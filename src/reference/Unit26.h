#pragma once
#include "data/Dataset.h"
#include "ui/Form.h"
#include "ui/Picker.h"


class DBGrid;
class QLineEdit;
class QPushButton;

// The nomenclature picker: the nomenclature groups (level-2 classifier
// items) for the maintenance-work entry dialog. Its search text and filter
// stay from one opening to the next.
//
// Picker (ui/Picker.h): Pick() hands back the current row's id and trimmed
// caption on "Выбрать" or a double click, id 0 and "" from an empty list,
// nothing on "Выход".
class TForm26 : public Form, public Picker {
    Q_OBJECT
public:
    explicit TForm26(QWidget *parent = nullptr);

    // The picker contract (ui/Picker.h); mode is not used.
    std::optional<PickedRow> Pick(int mode = 1) override;

    void FormActivate() override;
    void Button1Click(); // "Выбрать"
    void DBGrid1DblClick();
    void Edit1Change(const QString &text);

    DBGrid *DBGrid1 = nullptr;
    QPushButton *Button1 = nullptr, *Button4 = nullptr;
    QLineEdit *Edit1 = nullptr;

    Dataset item;

private:
    void BuildLayout();
    void ConnectHandlers();
    std::optional<PickedRow> m_choice;
};

extern TForm26 *Form26;
