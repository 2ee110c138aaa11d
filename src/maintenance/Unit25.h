#pragma once
#include "ui/Form.h"

// The maintenance-works journal.
class TForm25 : public Form {
    Q_OBJECT
public:
    explicit TForm25(QWidget *parent = nullptr);
};

extern TForm25 *Form25;
