#pragma once
#include "data/MonthPeriod.h"
#include "ui/DBGrid.h"
#include "ui/Form.h"

#include <QDate>

#include "data/Dataset.h"
class MonthYearBoxes;
class QComboBox;
class QProgressBar;
class QPushButton;
class QTabWidget;

// The timesheet by shifts: the month's shift rows of accounts_dep.h_tabel,
// one tab per shift 1..3, with the month's rebuild from the journal, the
// export and the print.
class TForm19 : public Form {
    Q_OBJECT
public:
    explicit TForm19(QWidget *parent = nullptr);

    // Opening from the journal's menu: the month and year of date, the
    // period applied, the window shown modally, the three datasets closed
    // after it.
    void OpenFor(const QDate &date);

    // Selected month (1..12) and year.
    int SelectedMonth() const;
    int SelectedYear() const;
    MonthPeriod Period() const { return MonthPeriod(SelectedMonth(), SelectedYear()); }
    // Selects month and year in the lists without applying the period.
    void SelectPeriod(int month, int year);

    // --- handlers
    void FormActivate() override;
    void ApplyPeriod();  // a change of the month or year list
    void Button1Click(); // "Перестроить"
    void Button2Click(); // "Excel"
    void Button4Click(); // "Выход"
    void Button5Click(); // "Обновить"
    void Button6Click(); // "Печать"
    void BtnCheckClick(); // "Сверка с журналом"

    // The look of a cell of a shift grid: value-dependent looks of the day
    // columns (0 silver, 8 bold, above 8 bold on money green), weekend days
    // red, days past the month's end blanked, the total bold on light blue.
    static CellLook DayCellLook(const QVariant &value, const GridColumn &col, const MonthPeriod &month);

    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr, *TabSheet2 = nullptr, *TabSheet3 = nullptr;
    DBGrid *DBGrid1 = nullptr, *DBGrid2 = nullptr, *DBGrid3 = nullptr;
    QPushButton *Button1 = nullptr; // "Перестроить"
    QPushButton *Button2 = nullptr; // "Excel"
    QPushButton *Button4 = nullptr; // "Выход"
    QPushButton *Button5 = nullptr; // "Обновить"
    QPushButton *Button6 = nullptr; // "Печать"
    QPushButton *BtnCheck = nullptr; // "Сверка с журналом"
    QProgressBar *PB = nullptr;
    QComboBox *ComboBox1 = nullptr; // month
    QComboBox *ComboBox2 = nullptr; // year

    // The three shift datasets, tab by tab.
    static Dataset &ShiftDataset(int tab);

private:
    void BuildLayout();
    void ConnectHandlers();
    MonthYearBoxes *m_period = nullptr;
    DBGrid *Grid(int tab) const;
    void StyleGrid(DBGrid *grid);
    void CloseDatasets();
    void OpenDatasets();
    MonthPeriod m_applied; // the period the grids were last styled for
};

extern TForm19 *Form19;
