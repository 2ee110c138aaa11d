#pragma once
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

    QLineEdit *Edit1 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QTimer *Timer1 = nullptr;

private:
    void BuildLayout();
    void ConnectHandlers();
};

extern TForm23 *Form23;
