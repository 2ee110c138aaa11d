#pragma once
#include "data/Dataset.h"
#include "data/MonthPeriod.h"
#include "ui/DBGrid.h"
#include "ui/Form.h"

#include <QDate>

class MonthYearBoxes;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class TForm27;

// One way of opening the piecework timesheet window: what it shows and how.
struct TimesheetMode {
    int code;                    // 9, 14, 15, 17
    const char *caption;         // window caption
    Dataset TForm27::*dataset;   // the dataset shown
    int nameWidth;               // base width of the name column
    bool dayNightColumn;         // " " (day/night) shown, exported into column 2
    bool hourPriceColumn;        // "Час (р.)" shown, exported into column 36
};

// The piecework timesheet window: one line per worker (and night flag) with
// the month's day hours from accounts_dep.h_tabel and the month's hours, pay
// and pay per hour, in the modes of Modes(); footer totals of the month's
// pay, the export and the rebuild of the month's hourly-work rows.
class TForm27 : public Form {
    Q_OBJECT
public:
    explicit TForm27(QWidget *parent = nullptr);

    // The window's modes, one row each.
    static const QList<TimesheetMode> &Modes();
    static const TimesheetMode *ModeOf(int code);

    // Opening from the journal's menu in a mode: current month and year,
    // period applied, shown modally; its datasets closed afterwards.
    void Open(int mode);

    // --- datasets (parameters d_date1..d_date8, i_month, i_year)
    Dataset H_Tabel0, H_Tabel7777, H_Tabel7778, H_Tabel_all;
    // Footer totals, each one value `price` (parameters d_date1..d_date4).
    Dataset price8, price7, price, all_price;
    // Years that have timesheet rows.
    Dataset q_year;
    static QString modeSql(int mode);

    int Mode = 9;
    // Whether the login may close and reopen months (set by the role step);
    // the button shows in the general timesheet only.
    bool MonthClosingAllowed = false;
    Dataset *Current = nullptr;
    // Today as the window sees it; FixedToday, when valid, stands in for the
    // clock.
    QDate FixedToday;
    QDate Today() const { return FixedToday.isValid() ? FixedToday : QDate::currentDate(); }

    int SelectedMonth() const;
    // The year box's key: the year chosen, also when the box lists no such
    // year (it then shows no text).
    int SelectedYear() const;
    MonthPeriod Period() const { return MonthPeriod(SelectedMonth(), SelectedYear()); }
    // Selects a month and a year key without applying the period.
    void SelectPeriod(int month, int year);

    // --- handlers
    void FormActivate() override;
    void ApplyPeriod();  // month list, year box, opening
    void Button1Click(); // "Выход"
    void Button2Click(); // "Excel"
    void Button3Click(); // "Перестроить": the month's hourly-work rows
    void Button5Click(); // "Обновить"
    void BtnCheckClick(); // "Сверка с журналом"
    // "Закрыть месяц" / "Открыть месяц" for the month shown, after a question;
    // "Общий табель" with full rights only.
    void Button9Click();
    // The closing button's caption and visibility for the month shown.
    void ShowMonthState();

    ::DBGrid *DBGrid = nullptr; // the grid keeps its component name
    QComboBox *ComboBox1 = nullptr; // month
    QComboBox *cb_year = nullptr;   // year over q_year
    QLabel *L_price8 = nullptr, *L_price7 = nullptr, *L_price = nullptr, *L_all_price = nullptr;
    QPushButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button5 = nullptr;
    QPushButton *BtnCheck = nullptr; // "Сверка с журналом"
    QPushButton *Button9 = nullptr; // "Закрыть месяц" / "Открыть месяц"
    QProgressBar *PB = nullptr;

private:
    void BuildLayout();
    void ConnectHandlers();
    void ApplyMode(const TimesheetMode &m);
    void FillYears();
    void OpenTotals(const MonthPeriod &p);
    void StyleColumns(const MonthPeriod &p);
    MonthYearBoxes *m_period = nullptr;
};

extern TForm27 *Form27;
