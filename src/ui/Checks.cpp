#include "ui/Checks.h"
#include "data/DbError.h"
#include "ui/Msg.h"
#include "ui/Text.h"

namespace Check {

namespace {
QString shown(QString number)
{
    return number.replace(u'.', Text::DecimalPoint());
}

void refuseRange(const QString &field, const ColumnRange &column, bool negative)
{
    const QString max = column.maxText();
    if (max.isEmpty() && negative && !column.allowNegative) {
        Msg::error(QStringLiteral("Значение в поле «%1» не может быть меньше 0!").arg(field), QStringLiteral("Ошибка"));
        return;
    }
    if (max.isEmpty()) {
        Msg::error(QStringLiteral("Недопустимое значение в поле «%1»!").arg(field), QStringLiteral("Ошибка"));
        return;
    }
    Msg::error(QStringLiteral("Значение в поле «%1» должно быть от %2 до %3!")
                   .arg(field, shown(column.minText()), shown(max)),
               QStringLiteral("Ошибка"));
}
} // namespace

bool Fits(const QString &field, double value, const ColumnRange &column)
{
    if (column.fits(value))
        return true;
    refuseRange(field, column, value < 0);
    return false;
}

bool FitsText(const QString &field, const QString &decimal, const ColumnRange &column)
{
    if (column.fitsText(decimal))
        return true;
    refuseRange(field, column, decimal.trimmed().startsWith(u'-'));
    return false;
}

bool PlainText(const QString &field, const QString &text)
{
    if (!Text::HasControlChars(text))
        return true;
    Msg::error(QStringLiteral("Поле «%1» содержит недопустимые (управляющие) символы!").arg(field),
               QStringLiteral("Ошибка"));
    return false;
}

bool Hours(int hours)
{
    if (hours > Columns::kMaxHours) {
        Msg::error(QStringLiteral("Количество часов не может быть больше %1!").arg(Columns::kMaxHours),
                   QStringLiteral("Ошибка"));
        return false;
    }
    if (hours < 0) {
        Msg::error(QStringLiteral("Количество часов не может быть меньше 0!"), QStringLiteral("Ошибка"));
        return false;
    }
    return true;
}

bool Rejects(int rejects, int quantity)
{
    if (rejects <= quantity)
        return true;
    Msg::error(QStringLiteral("Брак не может быть больше количества!"), QStringLiteral("Ошибка"));
    return false;
}

void ReloadAfterWrite(const std::function<void()> &reload)
{
    try {
        reload();
    } catch (const std::exception &e) {
        const auto *db = dynamic_cast<const DbError *>(&e);
        const QString why = db ? db->text() : QString::fromLocal8Bit(e.what());
        Msg::error(QStringLiteral("Изменения записаны, но список не удалось обновить:\n%1").arg(why),
                   QStringLiteral("Ошибка"));
    }
}

} // namespace Check
