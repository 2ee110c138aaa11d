#pragma once
#include "data/Dataset.h"
#include "journal/EntryPrice.h"
#include "ui/DBGrid.h"
#include "ui/Form.h"

#include <QDate>
#include <QStringList>

#include <functional>

class Dataset;
class QAction;
class QCheckBox;
class QDateEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QTimer;

// The journal window: entries of one date per shift, and the hub that opens
// every other window.
class TForm1 : public Form {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);

    // Shows the current shift's journal of the data module in the grid.
    void AttachJournals();

    // Reads and claims the version row; on a mismatch (the database belongs
    // to a newer build) calls OnVersionMismatch, says so and ends the program.
    void CheckVersion();
    // Installed by start-up: what else a version mismatch sets going (the
    // login window's own timer that ends the program).
    std::function<void()> OnVersionMismatch;
    void Timer1Timer();

    // Build stamp of this program.
    int BuildDate = 0;
    int BuildTime = 0;

    int ShiftNumber = 1;
    QString LoginCode;
    // The shared journal dataset of the selected shift.
    Dataset &CurrentJournal() const;

    // The unit price of an entry made now from an operation's lowest norm
    // price: the price rule (EntryPrice::ApplyFactors) with "Выходной" and
    // the selected shift. The one place that reads them for a price.
    double EntryPriceOf(double basePrice) const;
    // What such a price is set from, kept with the entry.
    EntryPrice::Basis EntryBasisOf(double basePrice) const;

    // Closes the four journals and opens them for the date.
    void LoadJournals(const QDate &date);

    // Today's date as the window sees it; FixedToday, when set, stands in for
    // the clock.
    QDate Today() const;
    QDate FixedToday;

    // --- handlers
    // Back to today's date with the four journals reloaded.
    void FormActivate() override;
    // The picked date: the four journals of that date, "Выходной" by weekday.
    void DateTChange();
    void DateTKeyPress(int key);
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void RadioButton4Click();
    void CBox1Click();
    void Button8Click(); // "Обновить"
    void Button4Click(); // "Выход"
    void N_SummaryClick();
    // "Добавить": the entry editor in add mode, prefilled with the date.
    void Button1Click();
    // "Изменить": the entry editor in change mode for the current entry;
    // nothing when the shift's journal is empty.
    void Button2Click();
    // "Удалить": asks, deletes the current entry with its timesheet upkeep,
    // and reloads the journal whatever the answer.
    void Button3Click();
    // Double click: "да" and "ok" become "no", anything else "ok". Nothing
    // for the foreman, nothing on an empty journal.
    void DBGrid2DblClick();
    // "Ср.сд./хоз. работы": the maintenance-works journal on this date.
    void Button5Click();
    // "История": the selected entry's change history (with the day's
    // deleted entries offered too); with no entry selected, the entries
    // deleted from the day's journal.
    void Button9Click();

    // How the grid paints an "OK" cell: green when the mark is exactly "ok"
    // or "да", red otherwise; bold either way.
    static CellLook OkLook(const QVariant &ok);
    static const QColor kGreen;
    static const QColor kRed;

    QTimer *Timer1 = nullptr;
    QMenuBar *MainMenu = nullptr;
    QRadioButton *RadioButton1 = nullptr, *RadioButton2 = nullptr, *RadioButton3 = nullptr,
                 *RadioButton4 = nullptr;
    QDateEdit *DateT = nullptr;
    QCheckBox *CBox1 = nullptr;
    DBGrid *DBGrid2 = nullptr;
    QPushButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr,
                *Button5 = nullptr, *Button8 = nullptr, *Button9 = nullptr;
    QMenu *N_Reference = nullptr; // "Справочники"
    QMenu *N_Tabel = nullptr;     // "Табель"
    QMenu *N_Reports = nullptr;   // "Отчеты"
    QAction *N_Workers = nullptr, *N_Products = nullptr, *N_Prices = nullptr, *N_OperKinds = nullptr,
            *N_Overtime = nullptr;
    QAction *N_TabelPiece = nullptr, *N_TabelShifts = nullptr, *N_TabelMaint = nullptr, *N_TabelAvg = nullptr,
            *N_TabelGeneral = nullptr;
    QAction *N_Summary = nullptr;
    QAction *N_Statements = nullptr; // "Расчетные листки": full rights only
    QAction *N_Exit = nullptr;
    QAction *N_DbStructure = nullptr;

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    void BuildLayout();
    void ConnectHandlers();
    void ShiftButtonClick(int shift);
    void PaintShiftButtons(int shift);
    QWidget *m_calendarPopup = nullptr;
    bool m_inVersionTick = false;
};

extern TForm1 *Form1;
