#include "ui/ListWindow.h"
#include "data/Dataset.h"
#include "ui/ListButtons.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ListWindow::ListWindow(QWidget *parent, Dataset &ds, const QString &idField, const QString &textField)
    : Form(parent), m_ds(ds), m_idField(idField), m_textField(textField)
{
}

void ListWindow::BuildList(const Layout &l)
{
    auto *lay = new QVBoxLayout(this);
    DBGrid1 = named(new DBGrid(this), QStringLiteral("DBGrid1"), l.gridCaption);
    DBGrid1->setDataset(&m_ds);
    DBGrid1->setColumns(l.columns);
    lay->addWidget(DBGrid1, 1);

    Edit1 = named(new QLineEdit(this), QStringLiteral("Edit1"), QStringLiteral("Поиск"));
    Edit1->setPlaceholderText(QStringLiteral("Поиск"));
    m_searchAlwaysVisible = l.search == SearchPlace::InButtonRow;
    if (l.search == SearchPlace::UnderGridHidden)
        Edit1->hide(); // shown in selection mode only
    if (!m_searchAlwaysVisible)
        lay->addWidget(Edit1);

    AddListButtons(this, lay, Button1, Button2, Button3, Button4, m_searchAlwaysVisible ? Edit1 : nullptr);
    DBGrid1->setDeleteButton(Button3);
    InstallSearchKeys(Edit1, &m_ds, l.keys);
    resize(l.width, l.height);

    connectGuarded(Button1, &QPushButton::clicked, &ListWindow::Button1Click);
    connectGuarded(Button2, &QPushButton::clicked, &ListWindow::Button2Click);
    connectGuarded(Button3, &QPushButton::clicked, &ListWindow::Button3Click);
    connectGuarded(Button4, &QPushButton::clicked, &QDialog::close); // Esc too (reject)
    connectGuarded(DBGrid1, &DBGrid::DblClick, &ListWindow::DBGrid1DblClick);
    connectGuarded(Edit1, &QLineEdit::textChanged, &ListWindow::Edit1Change);
}

void ListWindow::FormActivate()
{
    if (Edit1->isVisible())
        Edit1->setFocus();
}

PickerControls ListWindow::pickerControls() const
{
    PickerControls c{Button1, Button2, Button3, Edit1};
    c.searchAlwaysVisible = m_searchAlwaysVisible;
    return c;
}

void ListWindow::BeginSelectionMode(int mode)
{
    Tag = mode;
    m_choice.reset();
    BeginSelection(pickerControls(), m_ds);
}

void ListWindow::EndSelectionMode()
{
    EndSelection(pickerControls(), m_ds);
}

std::optional<PickedRow> ListWindow::Pick(int mode)
{
    Tag = mode;
    m_choice.reset();
    RunSelection(this, m_ds, pickerControls());
    return m_choice;
}

void ListWindow::OpenForMaintenance()
{
    Tag = 0;
    BeforeMaintenance();
    ShowListForMaintenance(this, m_ds, Button1, Button2, Button3);
}

void ListWindow::Edit1Change(const QString &text)
{
    m_ds.setSearch(m_textField, text);
}

void ListWindow::DBGrid1DblClick()
{
    Button2Click();
}

bool ListWindow::HaveRow() const
{
    return m_ds.isOpen() && m_ds.recNo() > 0;
}

void ListWindow::Button2Click()
{
    if (IsSelecting()) {
        m_choice = CurrentPick(m_ds, m_idField, m_textField);
        close();
        return;
    }
    if (!HaveRow())
        return; // no row to change
    ChangeRow();
}
