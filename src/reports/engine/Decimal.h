#pragma once
#include <QChar>
#include <QString>
#include <QStringView>
#include <optional>

// An exact decimal number for report sums: a 128-bit integer counting
// billionths. Values read from the database arrive as their exact text
// (numeric columns) and are summed without binary rounding, so a grand total
// equals the sum of its group totals to the last printed digit.
// Arithmetic that leaves the range throws ReportError.
class Decimal {
public:
    static constexpr int Scale = 9; // digits after the point

    Decimal() = default;
    static Decimal fromInt(qint64 v);
    // "-123.4500", "12", "1.5e3"; a comma is read as the point. Digits past
    // the ninth decimal are rounded half away from zero. Nothing for anything
    // that is not a number.
    static std::optional<Decimal> fromText(QStringView text);
    // A binary floating value in its shortest form of 15 significant digits.
    static Decimal fromDouble(double v);

    Decimal operator+(const Decimal &o) const;
    Decimal operator-(const Decimal &o) const;
    Decimal operator*(const Decimal &o) const;
    Decimal operator/(const Decimal &o) const; // throws on division by zero
    Decimal operator-() const;
    Decimal &operator+=(const Decimal &o) { return *this = *this + o; }
    bool operator==(const Decimal &o) const { return m == o.m; }
    bool operator<(const Decimal &o) const { return m < o.m; }
    bool operator>(const Decimal &o) const { return m > o.m; }
    bool isZero() const { return m == 0; }
    bool isNegative() const { return m < 0; }

    // Rounded half away from zero to `decimals` places.
    Decimal rounded(int decimals) const;
    // Exactly `decimals` decimals, at least one integer digit, rounded half
    // away from zero, no thousands separators: the masks "#0", "#0.00",
    // "#0.000".
    QString fixed(int decimals, QChar point) const;
    // The shortest exact form: no trailing zeros, no separator when whole.
    QString general(QChar point) const;
    double toDouble() const;

private:
    explicit Decimal(__int128 raw) : m(raw) {}
    __int128 m = 0;
};
