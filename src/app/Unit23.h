#pragma once
#include "data/Roles.h"
#include "ui/Form.h"

class QLineEdit;
class QPushButton;
class QTimer;

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
