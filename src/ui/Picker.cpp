#include "ui/Picker.h"
#include "data/Dataset.h"
#include "ui/Msg.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>

void BeginSelection(const PickerControls &c, Dataset &ds)
{
    c.choose->setText(QStringLiteral("Выбрать"));
    c.choose->show();
    c.choose->setDefault(true);
    c.add->hide();
    c.del->hide();
    c.search->show();
    c.search->clear();
    ds.clearFilter();
}

void EndSelection(const PickerControls &c, Dataset &ds)
{
    c.choose->setDefault(false);
    c.add->setDefault(true);
    // A search the user typed for the choice must not keep filtering the list.
    c.search->clear();
    ds.clearFilter();
    if (!c.searchAlwaysVisible)
        c.search->hide();
}

void RunSelection(QDialog *list, Dataset &ds, const PickerControls &c)
{
    ds.open();
    const auto after = qScopeGuard([&] {
        EndSelection(c, ds);
        ds.close();
    });
    BeginSelection(c, ds);
    Modal::exec(list);
}

std::optional<PickedRow> CurrentPick(const Dataset &ds, const QString &idField, const QString &textField)
{
    if (!ds.isOpen() || ds.recNo() <= 0)
        return std::nullopt;
    return PickedRow{int(ds.asInt(idField)), ds.text(textField).trimmed()};
}
