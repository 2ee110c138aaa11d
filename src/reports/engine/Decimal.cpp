#include "reports/engine/Decimal.h"
#include "reports/engine/ReportError.h"

#include <cmath>

namespace {

constexpr __int128 pow10(int n)
{
    __int128 r = 1;
    for (int i = 0; i < n; ++i)
        r *= 10;
    return r;
}
constexpr __int128 kOne = pow10(Decimal::Scale);

[[noreturn]] void overflow()
{
    throw ReportError(QStringLiteral("Переполнение при вычислении итогов отчета"));
}

// a / b rounded half away from zero (b > 0).
__int128 divRound(__int128 a, __int128 b)
{
    const bool neg = a < 0;
    const __int128 ua = neg ? -a : a;
    __int128 q = ua / b;
    if ((ua % b) * 2 >= b)
        ++q;
    return neg ? -q : q;
}

QString digits(__int128 v)
{
    if (v == 0)
        return QStringLiteral("0");
    QString s;
    while (v > 0) {
        s.prepend(QChar(u'0' + int(v % 10)));
        v /= 10;
    }
    return s;
}

} // namespace

Decimal Decimal::fromInt(qint64 v)
{
    return Decimal(__int128(v) * kOne);
}

std::optional<Decimal> Decimal::fromText(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    int i = 0;
    bool neg = false;
    if (text[0] == u'-' || text[0] == u'+') {
        neg = text[0] == u'-';
        ++i;
    }
    __int128 mant = 0;
    int fracDigits = 0, digitsSeen = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isDigit()) {
            if (mant > pow10(36))
                return std::nullopt; // far beyond any report's range
            mant = mant * 10 + (c.unicode() - u'0');
            ++digitsSeen;
            if (point)
                ++fracDigits;
        } else if ((c == u'.' || c == u',') && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digitsSeen == 0)
        return std::nullopt;
    int exp = 0;
    if (i < text.size()) {
        if (text[i] != u'e' && text[i] != u'E')
            return std::nullopt;
        bool ok = false;
        exp = text.mid(i + 1).toInt(&ok);
        if (!ok || exp > 30 || exp < -60)
            return std::nullopt;
    }
    const int shift = Scale - fracDigits + exp; // power of ten to scale mant by
    if (shift >= 0) {
        if (shift > 38)
            return std::nullopt;
        __int128 r;
        if (__builtin_mul_overflow(mant, pow10(shift), &r))
            return std::nullopt;
        mant = r;
    } else {
        mant = -shift > 38 ? 0 : divRound(mant, pow10(-shift));
    }
    return Decimal(neg ? -mant : mant);
}

Decimal Decimal::fromDouble(double v)
{
    if (!std::isfinite(v))
        overflow();
    return *fromText(QString::number(v, 'g', 15));
}

Decimal Decimal::operator+(const Decimal &o) const
{
    __int128 r;
    if (__builtin_add_overflow(m, o.m, &r))
        overflow();
    return Decimal(r);
}

Decimal Decimal::operator-(const Decimal &o) const
{
    __int128 r;
    if (__builtin_sub_overflow(m, o.m, &r))
        overflow();
    return Decimal(r);
}

Decimal Decimal::operator-() const
{
    return Decimal(-m);
}

Decimal Decimal::operator*(const Decimal &o) const
{
    __int128 r;
    if (__builtin_mul_overflow(m, o.m, &r))
        overflow();
    return Decimal(divRound(r, kOne));
}

Decimal Decimal::operator/(const Decimal &o) const
{
    if (o.m == 0)
        throw ReportError(QStringLiteral("Деление на ноль в выражении отчета"));
    __int128 num;
    if (__builtin_mul_overflow(m, kOne, &num))
        overflow();
    const bool neg = (num < 0) != (o.m < 0);
    const __int128 q = divRound(num < 0 ? -num : num, o.m < 0 ? -o.m : o.m);
    return Decimal(neg ? -q : q);
}

Decimal Decimal::rounded(int decimals) const
{
    decimals = qBound(0, decimals, Scale);
    const __int128 unit = pow10(Scale - decimals);
    return Decimal(divRound(m, unit) * unit);
}

QString Decimal::fixed(int decimals, QChar point) const
{
    decimals = qBound(0, decimals, Scale);
    const __int128 r = divRound(m, pow10(Scale - decimals)); // in units of 10^-decimals
    const bool neg = r < 0;
    const __int128 u = neg ? -r : r;
    const __int128 p = pow10(decimals);
    QString s = digits(u / p);
    if (decimals > 0) {
        QString frac = digits(u % p);
        s += point + QString(decimals - frac.size(), u'0') + frac;
    }
    return neg ? QLatin1Char('-') + s : s;
}

QString Decimal::general(QChar point) const
{
    QString s = fixed(Scale, point);
    const int sep = s.indexOf(point);
    while (s.endsWith(u'0'))
        s.chop(1);
    if (s.size() == sep + 1)
        s.chop(1);
    return s == QLatin1String("-0") ? QStringLiteral("0") : s;
}

double Decimal::toDouble() const
{
    return general(u'.').toDouble();
}
