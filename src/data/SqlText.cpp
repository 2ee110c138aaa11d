#include "data/SqlText.h"

#include <QStringList>
#include <cmath>

namespace SqlText {

QDate ParseDate(const QString &text)
{
    const QStringList parts = text.trimmed().split(u'.');
    if (parts.size() != 3)
        return {};
    bool ok1 = false, ok2 = false, ok3 = false;
    const int d = parts[0].toInt(&ok1), m = parts[1].toInt(&ok2), y = parts[2].toInt(&ok3);
    if (!ok1 || !ok2 || !ok3 || parts[2].size() != 4)
        return {};
    return QDate(y, m, d);
}

QString Decimal(double v)
{
    if (!std::isfinite(v))
        return QStringLiteral("0");
    // Fixed notation with enough places for 15 significant digits, then the
    // trailing zeros dropped.
    const double a = std::fabs(v);
    const int intDigits = a >= 1 ? int(std::floor(std::log10(a))) + 1 : 0;
    int places = 15 - intDigits;
    if (a < 1 && a > 0)
        places = 15 - int(std::floor(std::log10(a))) - 1;
    places = std::max(0, std::min(places, 30));
    QString s = QString::number(v, 'f', places);
    if (s.contains(u'.')) {
        while (s.endsWith(u'0'))
            s.chop(1);
        if (s.endsWith(u'.'))
            s.chop(1);
    }
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    return s;
}

} // namespace SqlText
