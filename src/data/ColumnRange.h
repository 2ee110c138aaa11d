#pragma once
#include <QString>

// The values a numeric column can hold: numeric(p,s), smallint, integer or
// double precision. Every number a window writes is checked against the
// range of its column before anything is written, so that a value is never
// stored that the column (or a view over it) cannot give back.
struct ColumnRange {
    enum class Kind { Numeric, SmallInt, Integer, Double };
    Kind kind = Kind::Double;
    int precision = 0; // numeric only: digits in all
    int scale = 0;     // numeric only: digits after the point
    bool allowNegative = false;

    static ColumnRange Numeric(int precision, int scale, bool allowNegative = false);
    static ColumnRange SmallInt(bool allowNegative = false);
    static ColumnRange Integer(bool allowNegative = false);
    static ColumnRange Double(bool allowNegative = false);

    // A number as the program holds it. A numeric value is taken as the
    // column rounds it (to its scale); NaN and infinities never fit.
    bool fits(double v) const;
    // A decimal text with a point ("12.5", "-3", ".25"), checked digit by
    // digit, so that a value beyond double's 15 digits is judged exactly;
    // false for a text that is no decimal number.
    bool fitsText(const QString &decimal) const;

    // The largest value the column holds, as text with a point ("" for
    // double precision, whose bound is no number anyone types):
    // numeric(28,6) -> "9999999999999999999999.999999", smallint -> "32767".
    QString maxText() const;
    // The smallest: "0" unless negatives are allowed ("" as above).
    QString minText() const;
};

// The columns the windows write, in one place.
namespace Columns {
// accounts_dep.izdel.massa (boxes per piece): the view reads numeric(28,6).
inline ColumnRange BoxesPerPiece() { return ColumnRange::Numeric(28, 6); }
// accounts_dep.fatigue.price: numeric(15,4).
inline ColumnRange HourlyPrice() { return ColumnRange::Numeric(15, 4, true); }
// accounts_dep.smena.kol_vo, brak, color; accounts_dep.norm.norma, prize.
inline ColumnRange Count() { return ColumnRange::Integer(); }
// accounts_dep.smena.cena, accounts_dep.norm.price: double precision.
inline ColumnRange Price() { return ColumnRange::Double(true); }
// Hours of one entry (accounts_dep.smena.time, accounts_dep.fatigue.cnt);
// a day's cell of accounts_dep.h_tabel is smallint, and one entry holds at
// most a day.
constexpr int kMaxHours = 24;
} // namespace Columns
