#pragma once
#include "data/Dataset.h"
#include "reports/engine/Engine.h"
#include "ui/Form.h"

#include <QList>
#include <functional>

class QCheckBox;
class MonthYearBoxes;
class QComboBox;
class QListWidget;
class QPushButton;

// "Расчетные листки": the month, the workers with entries in it (each with
// a tick, "Все" for all of them), and the statements of the ticked workers
// previewed or saved as one PDF.
class TPayStatements : public Form {
    Q_OBJECT
public:
    explicit TPayStatements(QWidget *parent = nullptr);

    // From the journal window's menu: the current month, then modal.
    void Open();

    int SelectedMonth() const;
    int SelectedYear() const;
    // Month and year, then the worker list anew.
    void SelectPeriod(int month, int year);
    // The ticked workers' ids, in the list's order.
    QList<int> CheckedWorkers() const;
    // Ticks the worker with this id (or unticks it).
    void SetWorkerChecked(int id, bool on);

    // The statements of the ticked workers for the selected month.
    Report::Prepared PrepareStatements();

    void ApplyPeriod();          // month list or year box changed
    void CBoxAllClick(bool on);  // "Все"
    void Button1Click();         // "Просмотр"
    void Button2Click();         // "Сохранить в PDF"
    void Button3Click();         // "Выход"

    // Asks where to save the PDF, proposing a path; empty when the user
    // cancels. Tests replace it.
    using PathChooser = std::function<QString(QWidget *parent, const QString &proposedPath)>;
    static void setPathChooser(PathChooser chooser);

    Dataset Workers;    // id, fio; parameters date1, date2
    Dataset Statements; // PayStatementReport::Sql()
    Dataset q_year;     // years of the timesheet

    QComboBox *ComboBox1 = nullptr; // month
    QComboBox *cb_year = nullptr;
    QCheckBox *CBoxAll = nullptr;     // "Все"
    QListWidget *CheckListBox1 = nullptr; // the workers
    QPushButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr;

private:
    void BuildLayout();
    void ConnectHandlers();
    void FillYears();
    void WorkerItemChanged();
    // Nothing ticked: says so and gives false.
    bool AnyChecked() const;
    QString Caption() const;

    MonthYearBoxes *m_period = nullptr;
};

extern TPayStatements *PayStatements;
