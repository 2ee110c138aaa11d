// The checks that run before a write: column ranges judged against what the
// server itself accepts, control characters in stored texts, and windows
// that load on being shown.
#include "data/ColumnRange.h"
#include "data/DbError.h"
#include "support/TestDb.h"
#include "ui/Form.h"
#include "ui/Msg.h"
#include "ui/Text.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

Q_DECLARE_METATYPE(ColumnRange)

namespace {
// A window counting its activations.
class CountingForm : public Form {
public:
    int activations = 0;
    void FormActivate() override { ++activations; }
};

// True when the server stores the value in a column of the given type.
bool serverTakes(const QString &type, const QString &value)
{
    try {
        TestDb::scalar(QString("select (:v::text)::%1::text").arg(type), {{"v", value}});
        return true;
    } catch (const DbError &) {
        return false;
    }
}
} // namespace

class ChecksTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void rangeAsTheServerJudges_data();
    void rangeAsTheServerJudges();
    void computedNumbers_data();
    void computedNumbers();
    void controlCharacters_data();
    void controlCharacters();
    void loadedOnShowingOnce();
    void boxOverAnotherWindowSwallowsNoActivation();
};

void ChecksTest::initTestCase()
{
    TestDb::fresh();
}

void ChecksTest::rangeAsTheServerJudges_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<ColumnRange>("range");
    QTest::addColumn<QString>("value");
    const ColumnRange boxes = Columns::BoxesPerPiece();
    const ColumnRange price = Columns::HourlyPrice();
    const ColumnRange integer = ColumnRange::Integer(true);
    const ColumnRange small = ColumnRange::SmallInt(true);
    QTest::newRow("28,6: largest") << "numeric(28,6)" << boxes << "9999999999999999999999.999999";
    QTest::newRow("28,6: 23 integer digits") << "numeric(28,6)" << boxes << "99999999999999999999999.5";
    QTest::newRow("28,6: rounds up past the limit") << "numeric(28,6)" << boxes << "9999999999999999999999.9999995";
    QTest::newRow("28,6: rounds down under it") << "numeric(28,6)" << boxes << "9999999999999999999999.9999994";
    QTest::newRow("28,6: many decimals") << "numeric(28,6)" << boxes << "0.12345678901234567890";
    QTest::newRow("28,6: leading zeros") << "numeric(28,6)" << boxes << "000000000000000000000000001.5";
    QTest::newRow("28,6: point first") << "numeric(28,6)" << boxes << ".5";
    QTest::newRow("15,4: largest") << "numeric(15,4)" << price << "99999999999.9999";
    QTest::newRow("15,4: one more") << "numeric(15,4)" << price << "100000000000";
    QTest::newRow("15,4: negative largest") << "numeric(15,4)" << price << "-99999999999.9999";
    QTest::newRow("15,4: rounds up") << "numeric(15,4)" << price << "99999999999.99995";
    QTest::newRow("integer: largest") << "integer" << integer << "2147483647";
    QTest::newRow("integer: one more") << "integer" << integer << "2147483648";
    QTest::newRow("integer: smallest") << "integer" << integer << "-2147483648";
    QTest::newRow("integer: one less") << "integer" << integer << "-2147483649";
    QTest::newRow("integer: eleven digits") << "integer" << integer << "99999999999";
    QTest::newRow("smallint: largest") << "smallint" << small << "32767";
    QTest::newRow("smallint: one more") << "smallint" << small << "32768";
    QTest::newRow("smallint: smallest") << "smallint" << small << "-32768";
}

void ChecksTest::rangeAsTheServerJudges()
{
    QFETCH(QString, type);
    QFETCH(ColumnRange, range);
    QFETCH(QString, value);
    QCOMPARE(range.fitsText(value), serverTakes(type, value));
}

void ChecksTest::computedNumbers_data()
{
    QTest::addColumn<ColumnRange>("range");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("fits");
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("price 8 x 150") << Columns::HourlyPrice() << 1200.0 << true;
    QTest::newRow("price 1e11") << Columns::HourlyPrice() << 1e11 << false;
    QTest::newRow("price infinite") << Columns::HourlyPrice() << inf << false;
    QTest::newRow("price NaN") << Columns::HourlyPrice() << std::nan("") << false;
    QTest::newRow("count negative") << Columns::Count() << -1.0 << false;
    QTest::newRow("count fraction") << Columns::Count() << 1.5 << false;
    QTest::newRow("count largest") << Columns::Count() << 2147483647.0 << true;
    QTest::newRow("count one more") << Columns::Count() << 2147483648.0 << false;
    QTest::newRow("double huge") << Columns::Price() << 4.5e300 << true;
    QTest::newRow("double infinite") << Columns::Price() << -inf << false;
}

void ChecksTest::computedNumbers()
{
    QFETCH(ColumnRange, range);
    QFETCH(double, value);
    QFETCH(bool, fits);
    QCOMPARE(range.fits(value), fits);
}

void ChecksTest::controlCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("refused");
    QTest::newRow("plain") << "КД-1 кроватка" << false;
    QTest::newRow("tab") << "КД-1\tкроватка" << true;
    QTest::newRow("quotes and apostrophe") << "Стол Д'Арк \"люкс\"" << false;
    QTest::newRow("NUL") << QString("КД-1") + QChar(0) + "кроватка" << true;
    QTest::newRow("line feed") << "КД-1\nкроватка" << true;
    QTest::newRow("carriage return") << "КД-1\r" << true;
    QTest::newRow("escape") << "\x1b[31mКД-1" << true;
    QTest::newRow("delete") << "КД-1\x7f" << true;
    QTest::newRow("C1 control") << QString("КД-1") + QChar(0x85) << true;
}

void ChecksTest::controlCharacters()
{
    QFETCH(QString, text);
    QFETCH(bool, refused);
    QCOMPARE(Text::HasControlChars(text), refused);
}

// A window that loads on being shown does so at the showing, and the
// activation that follows does not load a second time; a later activation,
// after another window's, does.
void ChecksTest::loadedOnShowingOnce()
{
    CountingForm a, other;
    a.setActivateOnShow();
    a.show();
    QCOMPARE(a.activations, 1); // before any event is processed
    a.activateWindow();
    QApplication::processEvents();
    QTRY_VERIFY(QApplication::activeWindow() == &a);
    QCOMPARE(a.activations, 1);
    other.show();
    other.activateWindow();
    QTRY_VERIFY(QApplication::activeWindow() == &other);
    a.activateWindow();
    QTRY_VERIFY(QApplication::activeWindow() == &a);
    QCOMPARE(a.activations, 2);
    // Hidden and shown again: a new showing loads again.
    a.hide();
    other.hide();
    a.show();
    QCOMPARE(a.activations, 3);
}

// A message box that closed over one window does not take away the next
// activation of another one (the journal after the login window's boxes).
void ChecksTest::boxOverAnotherWindowSwallowsNoActivation()
{
    CountingForm login, journal;
    login.show();
    login.activateWindow();
    QTRY_VERIFY(QApplication::activeWindow() == &login);
    Msg::setRecording(false);
    QTimer::singleShot(0, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            box->accept();
    });
    Msg::error("Введены неверные данные.");
    Msg::setRecording(true);
    // The login window hides before its box's closing reaches it.
    login.hide();
    const int before = journal.activations;
    journal.show();
    journal.activateWindow();
    QTRY_VERIFY(QApplication::activeWindow() == &journal);
    QCOMPARE(journal.activations, before + 1);
}

QTEST_MAIN(ChecksTest)
#include "test_checks.moc"
