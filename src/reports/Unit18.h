#pragma once
#include "data/Dataset.h"
#include "ui/Form.h"

class QButtonGroup;
class QDateEdit;
class QGroupBox;
class QPushButton;
class QRadioButton;

// The reports window: the period and product kind, the four printed
// summaries and the spreadsheet of output by nomenclature group.
class TForm18 : public Form {
    Q_OBJECT
public:
    explicit TForm18(QWidget *parent = nullptr);

    // "Вид продукции": 0 "Все", 1 "Готовая продукция", 2 "Заготовки".
    int RadioGroup1ItemIndex() const;
    void SetRadioGroup1ItemIndex(int index);

    void Button1Click(); // "Детальный отчет по рабочим"
    void Button2Click(); // "Отчет по продукции"
    void Button3Click(); // "Детальный отчет по продукции"
    void Button4Click(); // "Отчет по рабочим"
    void Button6Click(); // "Excel"
    void Button5Click(); // "Выход"

    // Output by nomenclature group for the spreadsheet: nom, vid, color,
    // naimen, mass, kolvo; parameters data1 and data2.
    Dataset XLS_Rep;
    static QString xlsRepSql();

    QGroupBox *RadioGroup1 = nullptr;
    QRadioButton *RadioGroup1Items[3] = {nullptr, nullptr, nullptr};
    QButtonGroup *RadioGroup1Buttons = nullptr;
    QGroupBox *GroupBox1 = nullptr; // "Период отбора"
    QDateEdit *DTPicker1 = nullptr; // first day, included
    QDateEdit *DTPicker2 = nullptr; // end day, excluded
    QPushButton *Button4 = nullptr, *Button2 = nullptr, *Button1 = nullptr, *Button3 = nullptr,
                *Button6 = nullptr, *Button5 = nullptr;

private:
    void BuildLayout();
    void ConnectHandlers();
    // Period and product kind of the window into a report query, which is
    // then opened.
    void OpenQuery(Dataset &query);
    // The common steps of the four report buttons.
    template <typename R>
    void PrintReport(R *report, Dataset &query, const QString &caption, const QString &titleText);
};

extern TForm18 *Form18;
