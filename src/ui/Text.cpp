#include "ui/Text.h"
#include "data/SqlText.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace Text {

QString Date(const QDate &d)
{
    return SqlText::Date(d);
}

QDate ParseDate(const QString &text)
{
    return SqlText::ParseDate(text);
}

QString DateFormat()
{
    return SqlText::DateFormat();
}

QChar DecimalPoint()
{
    const QString dp = QLocale().decimalPoint();
    return dp.isEmpty() ? QChar(u'.') : dp.at(0);
}

QString TrimZeros(const QString &number)
{
    int sep = number.lastIndexOf(u',');
    if (sep < 0)
        sep = number.lastIndexOf(u'.');
    if (sep < 0 || number.contains(u'e', Qt::CaseInsensitive))
        return number;
    QString s = number;
    while (s.size() > sep + 1 && s.endsWith(u'0'))
        s.chop(1);
    if (s.size() == sep + 1)
        s.chop(1);
    return s;
}

QString Number(double v, QChar decimalPoint)
{
    QString s = SqlText::Decimal(v);
    if (decimalPoint != u'.')
        s.replace(u'.', decimalPoint);
    return s;
}

QString Number(double v)
{
    return Number(v, DecimalPoint());
}

QString Fixed(double v, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    // Nudge by a relative epsilon so 2.675 (stored as 2.67499...) prints 2.68.
    const double r = std::round(v * scale * (1 + 4 * std::numeric_limits<double>::epsilon())) / scale;
    QString s = QString::number(r == 0 ? 0.0 : r, 'f', decimals);
    const QChar dp = DecimalPoint();
    if (dp != u'.')
        s.replace(u'.', dp);
    return s;
}

QString Fixed(double v, int minDecimals, int maxDecimals)
{
    QString s = Fixed(v, maxDecimals);
    const QChar dp = DecimalPoint();
    const int sep = s.indexOf(dp);
    if (sep < 0)
        return s;
    while (s.size() - sep - 1 > minDecimals && s.endsWith(u'0'))
        s.chop(1);
    if (s.endsWith(dp))
        s.chop(1);
    return s;
}

std::optional<qint64> ParseInt64(const QString &text)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

std::optional<int> ParseInt(const QString &text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

std::optional<double> ParseDecimal(const QString &text)
{
    QString s = text.trimmed();
    s.replace(u',', u'.');
    if (s.isEmpty())
        return std::nullopt;
    for (QChar c : s)
        if (!(c.isDigit() || c == u'.' || c == u'-' || c == u'+'))
            return std::nullopt;
    bool ok = false;
    const double v = QLocale::c().toDouble(s, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

bool HasControlChars(const QString &text)
{
    for (QChar c : text)
        if (c.category() == QChar::Other_Control)
            return true;
    return false;
}

} // namespace Text
