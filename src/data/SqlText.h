#pragma once
#include <QDate>
#include <QString>

// Values as statement texts and bound text parameters carry them.
namespace SqlText {

// The day-first date pattern of every date text, as QDate writes it.
inline QString DateFormat()
{
    return QStringLiteral("dd.MM.yyyy");
}

// The day-first date text the database reads ("DD.MM.YYYY", to_date pattern
// 'DD.MM.YYYY'), "" for an invalid date.
inline QString Date(const QDate &d)
{
    return d.isValid() ? d.toString(DateFormat()) : QString();
}
// Reads "DD.MM.YYYY" (also "D.M.YYYY"); invalid QDate otherwise.
QDate ParseDate(const QString &text);

// A decimal number with a point, at most 15 significant digits, no trailing
// zeros and no exponent: 12.5 -> "12.5", 10 -> "10", 1e-7 -> "0.0000001".
QString Decimal(double v);

} // namespace SqlText
