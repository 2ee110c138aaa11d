#pragma once
#include "data/MonthPeriod.h"

#include <QObject>
#include <QStringList>

class QComboBox;
class QWidget;

// The month box and the year box of a window that shows one month: the
// month box lists the month names, the year box the years the window offers.
// The selection is a month and a year key: the year chosen, which the year
// box shows when it lists that year (and, with insertMissingYear, a year
// selected outside the list joins it in order; otherwise the box shows
// nothing and the key stays). changed() follows a change of either box by
// mouse, keyboard or screen reader; selecting and filling do not signal.
class MonthYearBoxes : public QObject {
    Q_OBJECT
public:
    MonthYearBoxes(QWidget *parent, const QString &monthName, const QString &yearName,
                   bool insertMissingYear = false);

    QComboBox *monthBox() const { return m_month; }
    QComboBox *yearBox() const { return m_year; }

    // The years first..last; the key's year selected, the first otherwise.
    void setYearRange(int first, int last);
    // The years listed (as read, e.g. from the timesheet's years); the key
    // stays and is shown when listed.
    void setYears(const QStringList &years);

    int month() const; // 1..12
    int year() const { return m_yearKey; }
    MonthPeriod period() const { return MonthPeriod(month(), year()); }
    // Selects a month and a year key.
    void select(int month, int year);

signals:
    void changed();

private:
    QComboBox *m_month = nullptr;
    QComboBox *m_year = nullptr;
    bool m_insertMissing = false;
    int m_yearKey = 0;
};
