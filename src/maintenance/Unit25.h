#pragma once
#include "data/Dataset.h"
#include "ui/Form.h"

#include <QDate>

class DBGrid;
class QCheckBox;
class QDateEdit;
class QPushButton;

// The maintenance-works journal: the maintenance and average-piecework
// entries of one date, with add, change and delete through the entry dialog
// and the month's average-piecework price recompute.
class TForm25 : public Form {
    Q_OBJECT
public:
    explicit TForm25(QWidget *parent = nullptr);

    // The journal window's "Ср.сд./хоз. работы": the window on that date
    // ("Выходной" stays as it is), shown modally.
    void OpenOnDate(const QDate &date);
    // Sets the date without the user's date-change rules.
    void SetDate(const QDate &date);
    QDate Date() const;
    bool DayOff() const;

    // The shift new entries are written with.
    int ShiftNumber = 1;

    // The list query over the window's date.
    Dataset fatigue;
    // Rereads the list and goes back to the row it stood on.
    void Reread(bool keepRow = true);

    // --- handlers
    void FormActivate() override;      // rereads the list, keeping the row
    void DTPcker1Change();             // a date picked by the user
    void CBox1Click();                 // "Выходной": red and bold when ticked
    void Button5Click();               // "Добавить"
    void Button6Click();               // "Изменить", also the grid's double click
    void Button7Click();               // "Удалить"
    void Button9Click();               // "История": the selected entry's, else the day's deleted
    void Button1Click();               // "Расчитать ср.сд."
    void Button8Click();               // "Выход"

    DBGrid *DBGrid1 = nullptr;
    QPushButton *Button5 = nullptr, *Button6 = nullptr, *Button7 = nullptr, *Button1 = nullptr,
                *Button8 = nullptr, *Button9 = nullptr;
    QDateEdit *DTPcker1 = nullptr;
    QCheckBox *CBox1 = nullptr;

private:
    void BuildLayout();
    void ConnectHandlers();
    bool m_settingDate = false;
};

extern TForm25 *Form25;
