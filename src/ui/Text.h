#pragma once
#include <QApplication>
#include <QDate>
#include <QString>
#include <optional>

// Texts of dates and numbers as the windows show and read them.
namespace Text {

// The day-first date of every window, export and report title: "05.03.2024".
QString Date(const QDate &d);
// Reads a day-first date text; invalid QDate when it is none.
QDate ParseDate(const QString &text);
// The display format of the date pickers: "dd.MM.yyyy".
QString DateFormat();

// The user's decimal separator (',' in the Russian locale).
QChar DecimalPoint();

// Drops trailing zeros of the fraction and a separator left alone:
// "12,500" -> "12,5", "10.000" -> "10", "100" stays "100".
QString TrimZeros(const QString &number);

// A number in the shortest plain form (at most 15 significant digits, never
// an exponent, no thousands separators, no trailing zeros) with the given
// separator, or with the user's one.
QString Number(double v, QChar decimalPoint);
QString Number(double v);

// A number with a fixed count of decimals as the masks "#0", "#0.00",
// "#0.000" print it, with the user's separator: Fixed(1234.5, 2) ->
// "1234,50"; halves round away from zero.
QString Fixed(double v, int decimals);
// Between minDecimals and maxDecimals decimals, as the mask "#0.00#" prints:
// Fixed(12.5, 2, 3) -> "12,50", Fixed(12.3456, 2, 3) -> "12,346".
QString Fixed(double v, int minDecimals, int maxDecimals);

// A whole number typed or stored as text: digits with an optional sign and
// surrounding blanks; nothing for anything else, or out of int range.
std::optional<int> ParseInt(const QString &text);
std::optional<qint64> ParseInt64(const QString &text);
// A decimal typed with ',' or '.'; nothing for anything else.
std::optional<double> ParseDecimal(const QString &text);

// True when the text holds a control character (NUL, tab, line breaks,
// escape, ...): such text is refused, never shortened or stored. A tab in a
// name or a mark looks like blanks in every list and report, but never
// matches what anyone types.
bool HasControlChars(const QString &text);

} // namespace Text

// The wait cursor while an object of this type lives.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};
