// The month and year boxes the timesheet windows and the pay statements
// share: the period they yield, what the year box shows for a year it does
// not list, and which changes are announced.
#include "ui/MonthYearBoxes.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QWidget>
#include <QtTest>

class MonthYearBoxesTest : public QObject {
    Q_OBJECT
private slots:
    void select_data();
    void select();
    void userChangeIsAnnounced();
};

void MonthYearBoxesTest::select_data()
{
    QTest::addColumn<bool>("insertMissing");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("monthText");
    QTest::addColumn<QString>("yearText");
    QTest::addColumn<QStringList>("years");

    const QStringList listed{QStringLiteral("2023"), QStringLiteral("2024"), QStringLiteral("2026")};
    QTest::newRow("January of a listed year") << false << 1 << 2024 << QStringLiteral("Январь")
                                              << QStringLiteral("2024") << listed;
    QTest::newRow("December of a listed year") << false << 12 << 2026 << QStringLiteral("Декабрь")
                                               << QStringLiteral("2026") << listed;
    QTest::newRow("a year not listed: nothing shown, the key kept")
        << false << 12 << 2025 << QStringLiteral("Декабрь") << QString() << listed;
    QTest::newRow("a year not listed joins the list in order")
        << true << 1 << 2025 << QStringLiteral("Январь") << QStringLiteral("2025")
        << QStringList{QStringLiteral("2023"), QStringLiteral("2024"), QStringLiteral("2025"), QStringLiteral("2026")};
    QTest::newRow("a year before the list joins it first")
        << true << 6 << 2005 << QStringLiteral("Июнь") << QStringLiteral("2005")
        << QStringList{QStringLiteral("2005"), QStringLiteral("2023"), QStringLiteral("2024"), QStringLiteral("2026")};
}

void MonthYearBoxesTest::select()
{
    QFETCH(bool, insertMissing);
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(QString, monthText);
    QFETCH(QString, yearText);
    QFETCH(QStringList, years);

    QWidget w;
    MonthYearBoxes boxes(&w, QStringLiteral("ComboBox1"), QStringLiteral("cb_year"), insertMissing);
    boxes.setYears({QStringLiteral("2023"), QStringLiteral("2024"), QStringLiteral("2026")});
    QSignalSpy changed(&boxes, &MonthYearBoxes::changed);
    boxes.select(month, year);

    QCOMPARE(boxes.period().month, month);
    QCOMPARE(boxes.period().year, year);
    QCOMPARE(boxes.period().first(), QDate(year, month, 1));
    QCOMPARE(w.findChild<QComboBox *>(QStringLiteral("ComboBox1"))->currentText(), monthText);
    QComboBox *yearBox = w.findChild<QComboBox *>(QStringLiteral("cb_year"));
    QCOMPARE(yearBox->currentText(), yearText);
    QStringList shown;
    for (int i = 0; i < yearBox->count(); ++i)
        shown << yearBox->itemText(i);
    QCOMPARE(shown, years);
    QCOMPARE(changed.count(), 0);
}

void MonthYearBoxesTest::userChangeIsAnnounced()
{
    QWidget w;
    MonthYearBoxes boxes(&w, QStringLiteral("ComboBox1"), QStringLiteral("ComboBox2"), true);
    boxes.setYearRange(2007, 2010);
    QCOMPARE(boxes.year(), 2007); // the first year until one is chosen
    QSignalSpy changed(&boxes, &MonthYearBoxes::changed);
    boxes.yearBox()->setCurrentIndex(2);
    QCOMPARE(boxes.year(), 2009);
    boxes.monthBox()->setCurrentIndex(11);
    QCOMPARE(boxes.month(), 12);
    QCOMPARE(changed.count(), 2);
    // Refilling keeps the chosen year and says nothing.
    boxes.setYearRange(2007, 2011);
    QCOMPARE(boxes.yearBox()->currentText(), QStringLiteral("2009"));
    QCOMPARE(changed.count(), 2);
}

QTEST_MAIN(MonthYearBoxesTest)
#include "test_month_year_boxes.moc"
