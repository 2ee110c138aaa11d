#pragma once
#include "ui/DBGrid.h"
#include "ui/Form.h"
#include "ui/Picker.h"
#include "ui/SearchKeys.h"

#include <QList>
#include <optional>

class Dataset;
class QLineEdit;
class QPushButton;

// The skeleton of a reference list window (products, workers, operation
// kinds): a grid over a shared dataset, a search box over one field, the
// list buttons ("Добавить", "Изменить"/"Выбрать", "Удалить", "Выход"), a
// double click that works as "Изменить"/"Выбрать", and the selection mode of
// the picker contract. A list adds its dataset, columns, editor (Button1Click
// for add, ChangeRow for change) and delete step (Button3Click).
//
// Modes (Tag): 0 = maintenance; selection modes are those IsSelecting names
// (1 unless the list says otherwise).
class ListWindow : public Form, public Picker {
    Q_OBJECT
public:
    int Tag = 0;
    virtual bool IsSelecting() const { return Tag == 1; }

    // The picker contract (ui/Picker.h): opens the dataset, shows the list
    // in selection mode `mode`, then ends the selection look and closes the
    // dataset.
    std::optional<PickedRow> Pick(int mode = 1) override;

    // Shows the list for maintenance (mode 0), as the journal's menu does.
    void OpenForMaintenance();

    void FormActivate() override;
    virtual void Button1Click() = 0; // "Добавить"
    void Button2Click();             // "Изменить" / "Выбрать"
    virtual void Button3Click() = 0; // "Удалить"
    void DBGrid1DblClick();
    void Edit1Change(const QString &text);

    DBGrid *DBGrid1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QPushButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr;

protected:
    // Where the search box sits: under the grid (shown, or hidden until
    // selection) or in the button row (always shown).
    enum class SearchPlace { UnderGrid, UnderGridHidden, InButtonRow };
    struct Layout {
        QString gridCaption;
        QList<GridColumn> columns;
        SearchPlace search = SearchPlace::UnderGrid;
        SearchKeys keys = SearchKeys::TypingOnly;
        int width = 0, height = 0;
    };

    // ds: the list's shared dataset; idField/textField: the picked row's id
    // and caption, textField also the field searched.
    ListWindow(QWidget *parent, Dataset &ds, const QString &idField, const QString &textField);
    // Builds the grid, search box and buttons and connects the handlers.
    void BuildList(const Layout &layout);

    // Selection look for the mode: Button2 "Выбрать", shown and default;
    // Button1/Button3 hidden; search box shown and cleared; no choice yet.
    void BeginSelectionMode(int mode);
    // After a selection showing: Button2 no longer default; the search box
    // emptied (its filter off) and, unless it lives in the button row, hidden.
    void EndSelectionMode();
    // Before the maintenance showing (the list's own preparations).
    virtual void BeforeMaintenance() {}
    // "Изменить" on the current row (there is one; not selecting).
    virtual void ChangeRow() = 0;
    // The current row, or nothing when the dataset is closed or empty.
    bool HaveRow() const;

    Dataset &m_ds;

private:
    PickerControls pickerControls() const;
    QString m_idField, m_textField;
    bool m_searchAlwaysVisible = false;
    std::optional<PickedRow> m_choice;
};
