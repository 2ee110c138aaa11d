#pragma once
#include "data/Dataset.h"
#include "data/MonthPeriod.h"
#include "ui/DBGrid.h"
#include "ui/Form.h"

class QLabel;
class QProgressBar;
class QPushButton;

// "Сверка табеля с журналом": the month's differences between the timesheet
// and its sources (the journal and the maintenance works), and the journal
// entries that break the pay rules, one line each, as the database function
// accounts_dep.month_check lists them. The month can be rebuilt from its
// sources and checked again, and the list exported.
class TMonthCheckForm : public Form {
    Q_OBJECT
public:
    explicit TMonthCheckForm(QWidget *parent = nullptr);

    // Checks the month, shows the window modally and closes the list after.
    void OpenFor(const MonthPeriod &month);
    // Runs the check of Month() again.
    void Check();
    const MonthPeriod &Month() const { return m_month; }

    // --- handlers
    void Button1Click(); // "Перестроить месяц"
    void Button2Click(); // "Excel"
    void Button3Click(); // "Выход"

    // The differences (parameters mnth, yea).
    Dataset Differences;

    QLabel *Label1 = nullptr;      // hint line
    DBGrid *DBGrid1 = nullptr;
    QLabel *LabelEmpty = nullptr;  // "Расхождений нет", over the empty grid
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QPushButton *Button3 = nullptr;
    QProgressBar *PB = nullptr;

protected:
    void resizeEvent(QResizeEvent *e) override;

private:
    void BuildLayout();
    void ConnectHandlers();
    void ShowEmptyMark();
    MonthPeriod m_month;
};

extern TMonthCheckForm *MonthCheckForm;
