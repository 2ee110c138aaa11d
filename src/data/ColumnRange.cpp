#include "data/ColumnRange.h"
#include "data/SqlText.h"

#include <cmath>
#include <limits>

ColumnRange ColumnRange::Numeric(int precision, int scale, bool allowNegative)
{
    ColumnRange r;
    r.kind = Kind::Numeric;
    r.precision = precision;
    r.scale = scale;
    r.allowNegative = allowNegative;
    return r;
}

ColumnRange ColumnRange::SmallInt(bool allowNegative)
{
    ColumnRange r;
    r.kind = Kind::SmallInt;
    r.allowNegative = allowNegative;
    return r;
}

ColumnRange ColumnRange::Integer(bool allowNegative)
{
    ColumnRange r;
    r.kind = Kind::Integer;
    r.allowNegative = allowNegative;
    return r;
}

ColumnRange ColumnRange::Double(bool allowNegative)
{
    ColumnRange r;
    r.kind = Kind::Double;
    r.allowNegative = allowNegative;
    return r;
}

namespace {
// Sign, integer digits and fraction digits of a decimal text with a point;
// false when it is none.
bool splitDecimal(const QString &text, bool &negative, QString &whole, QString &fraction)
{
    QString s = text.trimmed();
    negative = false;
    if (s.startsWith(u'-') || s.startsWith(u'+')) {
        negative = s.startsWith(u'-');
        s.remove(0, 1);
    }
    const int dot = s.indexOf(u'.');
    whole = dot < 0 ? s : s.left(dot);
    fraction = dot < 0 ? QString() : s.mid(dot + 1);
    if (whole.isEmpty() && fraction.isEmpty())
        return false;
    for (const QString *part : {&whole, &fraction})
        for (QChar c : *part)
            if (c < u'0' || c > u'9')
                return false;
    while (whole.size() > 1 && whole.startsWith(u'0'))
        whole.remove(0, 1);
    if (whole == QLatin1String("0"))
        whole.clear();
    return true;
}

bool allOf(const QString &digits, QChar d)
{
    for (QChar c : digits)
        if (c != d)
            return false;
    return true;
}
bool allZero(const QString &digits) { return allOf(digits, u'0'); }
bool allNines(const QString &digits) { return allOf(digits, u'9'); }
} // namespace

bool ColumnRange::fitsText(const QString &decimal) const
{
    bool negative = false;
    QString whole, fraction;
    if (!splitDecimal(decimal, negative, whole, fraction))
        return false;
    if (negative && !allowNegative && !(whole.isEmpty() && allZero(fraction)))
        return false;
    switch (kind) {
    case Kind::Numeric: {
        // Rounded to the scale as the column stores it: a carry out of the
        // fraction may add an integer digit (9.9999995 -> 10.000000).
        if (fraction.size() > scale && fraction.at(scale) >= u'5') {
            const QString kept = fraction.left(scale);
            if (allNines(kept)) {
                QString w = whole.isEmpty() ? QStringLiteral("0") : whole;
                // whole + 1
                int i = w.size() - 1;
                while (i >= 0 && w[i] == u'9') {
                    w[i] = u'0';
                    --i;
                }
                if (i < 0)
                    w.prepend(u'1');
                else
                    w[i] = QChar(w[i].unicode() + 1);
                whole = w == QLatin1String("0") ? QString() : w;
            }
        }
        return whole.size() <= precision - scale;
    }
    case Kind::SmallInt:
    case Kind::Integer: {
        if (!allZero(fraction))
            return false;
        if (whole.size() > 10)
            return false;
        const qint64 v = whole.isEmpty() ? 0 : whole.toLongLong();
        const qint64 max = kind == Kind::SmallInt ? 32767 : std::numeric_limits<qint32>::max();
        const qint64 min = kind == Kind::SmallInt ? -32768 : std::numeric_limits<qint32>::min();
        return negative ? -v >= min : v <= max;
    }
    case Kind::Double: {
        bool ok = false;
        const double v = decimal.trimmed().toDouble(&ok);
        return ok && std::isfinite(v);
    }
    }
    return false;
}

bool ColumnRange::fits(double v) const
{
    if (!std::isfinite(v))
        return false;
    if (v < 0 && !allowNegative)
        return false;
    switch (kind) {
    case Kind::Numeric: {
        // The value as the column would round it, then digit by digit.
        const double rounded = std::round(v * std::pow(10.0, scale)) / std::pow(10.0, scale);
        return std::fabs(rounded) < std::pow(10.0, precision - scale);
    }
    case Kind::SmallInt:
        return v == std::trunc(v) && v >= -32768 && v <= 32767;
    case Kind::Integer:
        return v == std::trunc(v) && v >= std::numeric_limits<qint32>::min()
            && v <= std::numeric_limits<qint32>::max();
    case Kind::Double:
        return true;
    }
    return false;
}

QString ColumnRange::maxText() const
{
    switch (kind) {
    case Kind::Numeric: {
        QString s(precision - scale, u'9');
        if (s.isEmpty())
            s = QStringLiteral("0");
        if (scale > 0)
            s += u'.' + QString(scale, u'9');
        return s;
    }
    case Kind::SmallInt: return QStringLiteral("32767");
    case Kind::Integer: return QString::number(std::numeric_limits<qint32>::max());
    case Kind::Double: return {}; // no bound worth telling
    }
    return {};
}

QString ColumnRange::minText() const
{
    if (!allowNegative)
        return QStringLiteral("0");
    switch (kind) {
    case Kind::Numeric: return u'-' + maxText();
    case Kind::SmallInt: return QStringLiteral("-32768");
    case Kind::Integer: return QString::number(std::numeric_limits<qint32>::min());
    case Kind::Double: return {};
    }
    return {};
}
