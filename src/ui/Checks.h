#pragma once
#include "data/ColumnRange.h"

#include <QString>
#include <functional>

// The checks every dialog runs on what the user typed before anything is
// written, each telling the user with an error box (caption "Ошибка") and
// answering false when the value is refused. Field names are the labels the
// user sees ("Расценка", "Кол-во").
namespace Check {

// A number against the range of the column it goes into.
bool Fits(const QString &field, double value, const ColumnRange &column);
// A decimal text with a point, judged exactly (beyond double's digits).
bool FitsText(const QString &field, const QString &decimal, const ColumnRange &column);
// The text of a box that is stored as typed: no control characters, tab
// included.
bool PlainText(const QString &field, const QString &text);
// Hours of one entry: 0 to Columns::kMaxHours.
bool Hours(int hours);
// Rejects: not above the quantity.
bool Rejects(int rejects, int quantity);

// Runs a list's reload after a committed write. The write is done whatever
// happens here: a failing reload is told as such ("Изменения записаны, ...")
// and never reads as a failed write.
void ReloadAfterWrite(const std::function<void()> &reload);

} // namespace Check
