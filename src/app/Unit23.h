#pragma once
#include "ui/Form.h"

class QLineEdit;
class QPushButton;
class QTimer;

// The fixed login codes and the roles they select.
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

// The login window: the application's main window.
class TForm23 : public Form {
    Q_OBJECT
public:
    explicit TForm23(QWidget *parent = nullptr);

    void FormActivate() override;
    void Button1Click();
    void Button2Click();
    void Timer1Timer();

    // Disables, for the rest of the run, the journal and reports controls the
    // role may not use.
    static void ApplyRole(Role role);

    QLineEdit *Edit1 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QTimer *Timer1 = nullptr;

public slots:
    // Esc and the close box end the program like "Отмена".
    void reject() override;

private:
    void BuildLayout();
    void ConnectHandlers();
};

extern TForm23 *Form23;
