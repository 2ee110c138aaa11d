#pragma once

// Price rules of a journal entry.
namespace EntryPrice {

// The unit price of an entry from its operation's lowest norm price: doubled
// for a day off, then raised by 1.2 in shift 3 or by 1.5 in shift 4
// (overtime); shifts 1 and 2 add nothing.
double ApplyFactors(double base, bool dayOff, int shift);

// Rounded to 4 decimal places, halves to the even neighbour.
double Round4(double v);

} // namespace EntryPrice
