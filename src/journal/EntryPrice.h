#pragma once

// Price rules of a journal entry.
namespace EntryPrice {

// The unit price of an entry from its operation's lowest norm price: doubled
// for a day off, then raised by 1.2 in shift 3 or by 1.5 in shift 4
// (overtime); shifts 1 and 2 add nothing.
double ApplyFactors(double base, bool dayOff, int shift);

// What an entry's price was set from: the operation's lowest norm price at
// the moment of the choice and whether the day was a day off. Kept with the
// entry, so that the premium (the price less the base) stays known after the
// norm or the day's kind change.
struct Basis {
    double base = 0;
    bool dayOff = false;
};

// Rounded to 4 decimal places, halves to the even neighbour.
double Round4(double v);

} // namespace EntryPrice
