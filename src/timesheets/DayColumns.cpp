#include "timesheets/DayColumns.h"

namespace DayColumns {

QList<GridColumn> Make()
{
    QList<GridColumn> cols;
    for (int d = 1; d <= 31; ++d) {
        GridColumn c;
        c.field = QStringLiteral("d%1").arg(d);
        c.title = QString::number(d);
        c.width = kWidth;
        c.align = Qt::AlignCenter;
        cols << c;
    }
    return cols;
}

int DayOf(const GridColumn &c)
{
    if (c.field.size() < 2 || c.field.size() > 3 || c.field[0] != u'd')
        return 0;
    bool ok = false;
    const int d = c.field.mid(1).toInt(&ok);
    return ok && d >= 1 && d <= 31 ? d : 0;
}

int Style(QList<GridColumn> &cols, const MonthPeriod &month, bool hidePastEnd)
{
    const int days = month.days();
    for (GridColumn &c : cols) {
        const int d = DayOf(c);
        if (!d)
            continue;
        if (d > days)
            c.titleColor = kSilver;
        else
            c.titleColor = month.isWeekend(d) ? kRed : QColor();
        if (hidePastEnd)
            c.visible = d <= days;
    }
    return 31 - days;
}

} // namespace DayColumns
