#pragma once
#include <QString>
#include <optional>

// The picker contract of the list windows (class Picker below): Pick puts
// the window into selection mode, shows it modally and hands back the row
// chosen with "Выбрать" or a double click, or nothing when it was closed
// without a choice. When selection ends the window's search box is cleared
// and its filter is off, so no invisible filter hides rows afterwards (the
// nomenclature picker, which has no other mode, keeps its search from one
// opening to the next).
struct PickedRow {
    int id = 0;
    QString text; // the row's caption as the caller's box shows it (trimmed)
};

// A list window that can be shown to pick a row. mode tells callers apart
// where the list serves several (the worker list: 1 entry editor, 24
// maintenance-work dialog); other lists ignore it.
class Picker {
public:
    virtual ~Picker() = default;
    virtual std::optional<PickedRow> Pick(int mode = 1) = 0;
};

class Dataset;
class QDialog;
class QLineEdit;
class QPushButton;

// The controls of a list window that selection mode changes.
struct PickerControls {
    QPushButton *add = nullptr;    // "Добавить": hidden while selecting
    QPushButton *choose = nullptr; // "Изменить", reading "Выбрать" while selecting
    QPushButton *del = nullptr;    // "Удалить": hidden while selecting
    QLineEdit *search = nullptr;   // the search box over the list's dataset
    // The search box stays visible after selection (the worker list shows it
    // in every mode); otherwise it is hidden again.
    bool searchAlwaysVisible = false;
};

// The selection look: choose reads "Выбрать", is shown and is the default
// button (Enter); add and del hidden; the search box shown and cleared, and
// the dataset's filter off.
void BeginSelection(const PickerControls &c, Dataset &ds);
// After a selection: choose no longer default, add the default again, the
// search box cleared (the filter off) and, unless always visible, hidden.
void EndSelection(const PickerControls &c, Dataset &ds);
// The whole showing: opens ds, BeginSelection, shows list modally, then
// EndSelection and closes ds (also when the showing fails).
void RunSelection(QDialog *list, Dataset &ds, const PickerControls &c);
// The current row as a choice: id field as an integer, text field trimmed;
// nothing when the dataset is closed or has no current row.
std::optional<PickedRow> CurrentPick(const Dataset &ds, const QString &idField, const QString &textField);
