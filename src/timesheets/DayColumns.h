#pragma once
#include "data/Dataset.h"
#include "data/MonthPeriod.h"
#include "ui/DBGrid.h"

#include <QColor>
#include <QList>

// The 31 day columns d1..d31 that the timesheet grids share, and their look
// in a given month: Saturdays and Sundays red, days past the month's end
// silver-titled (and hidden or blanked by the window).
namespace DayColumns {

inline const QColor kRed{255, 0, 0};
inline const QColor kSilver{192, 192, 192};
inline const QColor kMoneyGreen{192, 220, 192};
inline const QColor kTotalBack{225, 228, 255}; // totals: bold on light blue
inline constexpr int kWidth = 20;

// "1".."31" over d1..d31, width 20, centred, bold titles.
QList<GridColumn> Make();
// Day number of a column over d1..d31, 0 for any other column.
int DayOf(const GridColumn &c);
// Gives the day columns among cols their titles' colours for the month (red
// on weekends, silver past the month's end) and, when hidePastEnd, hides the
// days past the month's end and shows the others. Returns how many days lie
// past the month's end.
int Style(QList<GridColumn> &cols, const MonthPeriod &month, bool hidePastEnd);

} // namespace DayColumns
