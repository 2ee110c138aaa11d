// Texts of dates and numbers: what the windows show, what reaches SQL text,
// and what typed text reads as.
#include "data/SqlText.h"
#include "ui/Text.h"

#include <QLocale>
#include <QtTest>

class TextTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void number_data();
    void number();
    void fixed_data();
    void fixed();
    void trimZeros_data();
    void trimZeros();
    void parseInt_data();
    void parseInt();
    void parseDecimal_data();
    void parseDecimal();
    void dates_data();
    void dates();
};

void TextTest::number_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown"); // Text::Number, Russian locale
    QTest::addColumn<QString>("sql");   // SqlText::Decimal
    QTest::newRow("half") << 12.5 << "12,5" << "12.5";
    QTest::newRow("whole") << 10.0 << "10" << "10";
    QTest::newRow("zero") << 0.0 << "0" << "0";
    QTest::newRow("negative zero") << -0.0 << "0" << "0";
    QTest::newRow("binary noise dropped") << 0.1 + 0.2 << "0,3" << "0.3";
    QTest::newRow("no group separators") << 1234567.891 << "1234567,891" << "1234567.891";
    QTest::newRow("negative") << -2.25 << "-2,25" << "-2.25";
    // The general form wrote these with an exponent, which neither a
    // spreadsheet cell nor a statement reads as the price.
    QTest::newRow("small, no exponent") << 0.0000001 << "0,0000001" << "0.0000001";
    QTest::newRow("large, no exponent") << 1e16 << "10000000000000000" << "10000000000000000";
}

void TextTest::number()
{
    QFETCH(double, value);
    QFETCH(QString, shown);
    QFETCH(QString, sql);
    QCOMPARE(Text::Number(value), shown);
    QCOMPARE(Text::Number(value, u'.'), sql);
    QCOMPARE(SqlText::Decimal(value), sql);
    // What is shown reads back as the same number (to 15 digits).
    const std::optional<double> back = Text::ParseDecimal(shown);
    QVERIFY(back.has_value());
    QVERIFY(qAbs(*back - value) <= 1e-15 * qMax(1.0, qAbs(value)));
}

void TextTest::fixed_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("minDecimals");
    QTest::addColumn<int>("maxDecimals");
    QTest::addColumn<QString>("text");
    QTest::newRow("#0.00") << 1234.5 << 2 << 2 << "1234,50";
    QTest::newRow("#0.00 rounds half away from zero") << 2.675 << 2 << 2 << "2,68";
    QTest::newRow("#0.00 negative half") << -2.675 << 2 << 2 << "-2,68";
    QTest::newRow("#0.00 no negative zero") << -0.001 << 2 << 2 << "0,00";
    QTest::newRow("#0") << 7.5 << 0 << 0 << "8";
    QTest::newRow("#0.000") << 1.0 << 3 << 3 << "1,000";
    QTest::newRow("#0.00# two places") << 12.5 << 2 << 3 << "12,50";
    QTest::newRow("#0.00# third place kept") << 12.345 << 2 << 3 << "12,345";
    QTest::newRow("#0.00# four places round") << 12.3456 << 2 << 3 << "12,346";
    QTest::newRow("#0.00# tiny negative") << -0.0001 << 2 << 3 << "0,00";
}

void TextTest::fixed()
{
    QFETCH(double, value);
    QFETCH(int, minDecimals);
    QFETCH(int, maxDecimals);
    QFETCH(QString, text);
    if (minDecimals == maxDecimals)
        QCOMPARE(Text::Fixed(value, minDecimals), text);
    QCOMPARE(Text::Fixed(value, minDecimals, maxDecimals), text);
}

void TextTest::trimZeros_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("comma") << "12,500" << "12,5";
    QTest::newRow("point") << "10.000" << "10";
    QTest::newRow("whole number keeps its zeros") << "100" << "100";
    QTest::newRow("nothing to trim") << "0,25" << "0,25";
    QTest::newRow("zero fraction") << "0.0" << "0";
    QTest::newRow("empty") << "" << "";
}

void TextTest::trimZeros()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(Text::TrimZeros(in), out);
}

void TextTest::parseInt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qint64>("value");
    QTest::newRow("digits") << "42" << true << qint64(42);
    QTest::newRow("blanks around") << "  7 " << true << qint64(7);
    QTest::newRow("sign") << "-3" << true << qint64(-3);
    QTest::newRow("largest int") << "2147483647" << true << qint64(2147483647);
    QTest::newRow("past int") << "2147483648" << false << qint64(0);
    QTest::newRow("empty") << "" << false << qint64(0);
    QTest::newRow("letters") << "12a" << false << qint64(0);
    QTest::newRow("decimal") << "1,5" << false << qint64(0);
}

void TextTest::parseInt()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(qint64, value);
    const std::optional<int> v = Text::ParseInt(text);
    QCOMPARE(v.has_value(), ok);
    if (ok)
        QCOMPARE(qint64(*v), value);
    // The wide parser takes what does not fit an int.
    if (QString(QTest::currentDataTag()) == QLatin1String("past int"))
        QCOMPARE(Text::ParseInt64(text), std::optional<qint64>(2147483648LL));
}

void TextTest::parseDecimal_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("comma") << "12,5" << true << 12.5;
    QTest::newRow("point") << "12.5" << true << 12.5;
    QTest::newRow("whole") << " 3 " << true << 3.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("letters") << "1,5kg" << false << 0.0;
    QTest::newRow("two separators") << "1,2,3" << false << 0.0;
    QTest::newRow("exponent is not typed input") << "1e5" << false << 0.0;
}

void TextTest::parseDecimal()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    const std::optional<double> v = Text::ParseDecimal(text);
    QCOMPARE(v.has_value(), ok);
    if (ok)
        QCOMPARE(*v, value);
}

void TextTest::dates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");
    QTest::newRow("day first") << "05.03.2024" << QDate(2024, 3, 5);
    QTest::newRow("leap day") << "29.02.2024" << QDate(2024, 2, 29);
    QTest::newRow("no such day") << "30.02.2024" << QDate();
    QTest::newRow("two-digit year") << "05.03.24" << QDate();
    QTest::newRow("not a date") << "вчера" << QDate();
}

void TextTest::dates()
{
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QCOMPARE(Text::ParseDate(text), date);
    QCOMPARE(SqlText::ParseDate(text), date);
    if (date.isValid()) {
        QCOMPARE(Text::Date(date), text);
        QCOMPARE(SqlText::Date(date), text);
        QCOMPARE(date.toString(Text::DateFormat()), text);
    } else {
        QVERIFY(Text::Date(date).isEmpty());
    }
}

QTEST_MAIN(TextTest)
#include "test_text.moc"
