#pragma once
#include "ui/Form.h"

// The maintenance-work entry dialog.
class TForm24 : public Form {
    Q_OBJECT
public:
    explicit TForm24(QWidget *parent = nullptr);
};

extern TForm24 *Form24;
