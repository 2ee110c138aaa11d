#pragma once
#include "ui/Form.h"

// The timesheet by shifts.
class TForm19 : public Form {
    Q_OBJECT
public:
    explicit TForm19(QWidget *parent = nullptr);
};

extern TForm19 *Form19;
