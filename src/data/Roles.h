#pragma once
#include <QString>

// The fixed login codes and the roles they select. The login window asks for
// the code; the windows that behave by role read it from here.
enum class Role { None, FullRights, Planner, Foreman, Storekeeper };

namespace LoginCodes {
inline const QString FullRights = QStringLiteral("61730482");
inline const QString FullRights2 = QStringLiteral("0583");
inline const QString Planner = QStringLiteral("fidrax");
inline const QString Foreman = QStringLiteral("quorbel");
inline const QString Storekeeper = QStringLiteral("tumpo");
} // namespace LoginCodes

// The typed text without leading and trailing blanks and control characters.
QString TrimCode(const QString &typed);
// The role of a trimmed code (compared exactly, letter case included).
Role RoleOfCode(const QString &code);
