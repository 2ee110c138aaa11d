#pragma once
#include "data/Dataset.h"
#include "ui/Form.h"
#include "ui/Picker.h"

#include <functional>

class DBGrid;
class QLineEdit;
class QPushButton;

// The nomenclature picker: the nomenclature groups (level-2 classifier
// items) for the maintenance-work entry dialog. Its search text and filter
// stay from one opening to the next.
//
// Picker use. The dialog registers once where a choice goes:
//     Form26->SetHandover([](int id, const QString &caption) {
//         Form25->Edit3->setText(caption);
//         Form25->NomId = id;
//     });
// and then picks with Form26->OpenForSelection() (open item, show modally,
// close item), which returns whether "Выбрать" or a double click chose. A
// choice hands over the current row's id and caption as stored, also kept
// in ChosenId / ChosenCaption; from an empty list it hands over 0 and an
// empty caption. "Выход" hands nothing over.
class TForm26 : public Form {
    Q_OBJECT
public:
    explicit TForm26(QWidget *parent = nullptr);

    using Handover = std::function<void(int id, const QString &caption)>;
    void SetHandover(Handover h) { m_handover = std::move(h); }
    bool OpenForSelection();
    // The picker contract (ui/Picker.h).
    std::optional<PickedRow> Pick(int mode = 1);
    bool Chosen = false;
    int ChosenId = 0;
    QString ChosenCaption;

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
    Handover m_handover;
};

extern TForm26 *Form26;
