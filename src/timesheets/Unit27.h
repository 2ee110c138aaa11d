#pragma once
#include "ui/Form.h"

// The piecework timesheet window and its modes.
class TForm27 : public Form {
    Q_OBJECT
public:
    explicit TForm27(QWidget *parent = nullptr);
};

extern TForm27 *Form27;
