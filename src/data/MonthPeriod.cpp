#include "data/MonthPeriod.h"

const QStringList &MonthPeriod::names()
{
    static const QStringList names{QStringLiteral("Январь"),  QStringLiteral("Февраль"), QStringLiteral("Март"),
                                   QStringLiteral("Апрель"),  QStringLiteral("Май"),     QStringLiteral("Июнь"),
                                   QStringLiteral("Июль"),    QStringLiteral("Август"),  QStringLiteral("Сентябрь"),
                                   QStringLiteral("Октябрь"), QStringLiteral("Ноябрь"),  QStringLiteral("Декабрь")};
    return names;
}
