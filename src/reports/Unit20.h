#pragma once
#include "ui/Form.h"

// A printed report layout.
class TForm20 : public Form {
    Q_OBJECT
public:
    explicit TForm20(QWidget *parent = nullptr);
};

extern TForm20 *Form20;
