#pragma once
#include <QString>
#include <optional>

// The picker contract of the list windows. A list window used in selection
// mode offers
//     std::optional<PickedRow> Pick(int mode = 1);
// which puts it into selection mode, shows it modally and hands back the row
// chosen with "Выбрать" or a double click, or nothing when it was closed
// without a choice. When selection ends the window's search box is cleared
// and its filter is off, so no invisible filter hides rows afterwards.
struct PickedRow {
    int id = 0;
    QString text; // the row's caption as the caller's box shows it (trimmed)
};
