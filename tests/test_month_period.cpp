// The month period the timesheets and reports query by: bounds, length and
// the weekend days that the timesheet grids colour.
#include "data/MonthPeriod.h"

#include <QtTest>

class MonthPeriodTest : public QObject {
    Q_OBJECT
private slots:
    void period_data();
    void period();
};

void MonthPeriodTest::period_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("next");
    QTest::addColumn<int>("days");
    QTest::addColumn<QList<int>>("weekends");

    QTest::newRow("December: next is 1 January of the next year")
        << 12 << 2024 << QDate(2024, 12, 1) << QDate(2025, 1, 1) << 31
        << QList<int>{1, 7, 8, 14, 15, 21, 22, 28, 29};
    QTest::newRow("March 2021 starts on a Monday")
        << 3 << 2021 << QDate(2021, 3, 1) << QDate(2021, 4, 1) << 31
        << QList<int>{6, 7, 13, 14, 20, 21, 27, 28};
    QTest::newRow("February of a leap year") << 2 << 2024 << QDate(2024, 2, 1) << QDate(2024, 3, 1) << 29
                                             << QList<int>{3, 4, 10, 11, 17, 18, 24, 25};
    QTest::newRow("February of a common year") << 2 << 2023 << QDate(2023, 2, 1) << QDate(2023, 3, 1) << 28
                                               << QList<int>{4, 5, 11, 12, 18, 19, 25, 26};
    QTest::newRow("February of a century year that is not leap")
        << 2 << 2100 << QDate(2100, 2, 1) << QDate(2100, 3, 1) << 28 << QList<int>{6, 7, 13, 14, 20, 21, 27, 28};
    QTest::newRow("a 30-day month starting on a Sunday") << 9 << 2024 << QDate(2024, 9, 1) << QDate(2024, 10, 1)
                                                         << 30 << QList<int>{1, 7, 8, 14, 15, 21, 22, 28, 29};
    QTest::newRow("January") << 1 << 2025 << QDate(2025, 1, 1) << QDate(2025, 2, 1) << 31
                             << QList<int>{4, 5, 11, 12, 18, 19, 25, 26};
}

void MonthPeriodTest::period()
{
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(QDate, first);
    QFETCH(QDate, next);
    QFETCH(int, days);
    QFETCH(QList<int>, weekends);

    const MonthPeriod p(month, year);
    QVERIFY(p.isValid());
    QCOMPARE(p.first(), first);
    QCOMPARE(p.next(), next);
    QCOMPARE(p.days(), days);
    QList<int> marked;
    for (int d = 1; d <= 31; ++d)
        if (p.isWeekend(d))
            marked << d;
    QCOMPARE(marked, weekends); // days past the month's end are never weekend columns
    QVERIFY(p.contains(first));
    QVERIFY(p.contains(next.addDays(-1)));
    QVERIFY(!p.contains(next));
    QVERIFY(!p.contains(first.addDays(-1)));
    QCOMPARE(MonthPeriod::of(next.addDays(-1)), p);
}

QTEST_GUILESS_MAIN(MonthPeriodTest)
#include "test_month_period.moc"
