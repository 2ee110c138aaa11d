#include "data/Roles.h"

namespace {
bool isTrimmed(QChar c)
{
    return c.unicode() <= 0x20 || c.isSpace() || c.category() == QChar::Other_Control;
}
} // namespace

QString TrimCode(const QString &typed)
{
    qsizetype b = 0, e = typed.size();
    while (b < e && isTrimmed(typed[b]))
        ++b;
    while (e > b && isTrimmed(typed[e - 1]))
        --e;
    return typed.mid(b, e - b);
}

Role RoleOfCode(const QString &code)
{
    if (code == LoginCodes::FullRights || code == LoginCodes::FullRights2)
        return Role::FullRights;
    if (code == LoginCodes::Planner)
        return Role::Planner;
    if (code == LoginCodes::Foreman)
        return Role::Foreman;
    if (code == LoginCodes::Storekeeper)
        return Role::Storekeeper;
    return Role::None;
}
