#pragma once
#include <QChar>
#include <QString>

// Price rules of a journal entry.
namespace EntryPrice {

// The unit price of an entry from its operation's lowest norm price: doubled
// for a day off, then raised by 1.2 in shift 3 or by 1.5 in shift 4
// (overtime); shifts 1 and 2 add nothing.
double ApplyFactors(double base, bool dayOff, int shift);

// Rounded to 4 decimal places, halves to the even neighbour.
double Round4(double v);

// Round4(v) in the shortest general form (at most 15 significant digits, no
// trailing zeros, no thousands separators) with the given decimal separator:
// 12.5 -> "12,5" for ',', 10 -> "10".
QString Text(double v, QChar decimalPoint);
// The same with the user's locale separator, as the editor shows prices.
QString DisplayText(double v);
// The same with a point, as prices reach the database.
QString SqlText(double v);

} // namespace EntryPrice
