#pragma once
#include <QDate>
#include <QString>
#include <QStringList>

// One calendar month as the timesheets and reports query it: the half-open
// range from the first day (included) to the first day of the next month
// (excluded; 1 January of the next year for December).
struct MonthPeriod {
    int month = 1; // 1..12
    int year = 2000;

    MonthPeriod() = default;
    MonthPeriod(int m, int y) : month(m), year(y) {}
    static MonthPeriod of(const QDate &d) { return MonthPeriod(d.month(), d.year()); }

    bool isValid() const { return month >= 1 && month <= 12 && year >= 1; }
    // Lower bound (included).
    QDate first() const { return QDate(year, month, 1); }
    // Upper bound (excluded): the first day of the next month.
    QDate next() const { return month == 12 ? QDate(year + 1, 1, 1) : QDate(year, month + 1, 1); }
    // The previous month (January -> December of the year before).
    MonthPeriod previous() const { return month == 1 ? MonthPeriod(12, year - 1) : MonthPeriod(month - 1, year); }
    int days() const { return first().daysInMonth(); }
    // Day of week of day 1: 1 = Monday ... 7 = Sunday.
    int firstWeekday() const { return first().dayOfWeek(); }
    // True when day `day` (1..31) of this month is a Saturday or Sunday; false
    // for days past the month's end.
    bool isWeekend(int day) const
    {
        if (day < 1 || day > days())
            return false;
        return QDate(year, month, day).dayOfWeek() >= 6;
    }
    bool contains(const QDate &d) const { return d.isValid() && d.month() == month && d.year() == year; }
    // The months as the month lists, titles and messages name them:
    // "Январь" ... "Декабрь"; an out-of-range month gives "".
    static const QStringList &names();
    static QString name(int month) { return month >= 1 && month <= 12 ? names().at(month - 1) : QString(); }
    // "Март 2024".
    QString text() const { return name(month) + QLatin1Char(' ') + QString::number(year); }
    bool operator==(const MonthPeriod &o) const { return month == o.month && year == o.year; }
};
