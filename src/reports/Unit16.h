#pragma once
#include "ui/Form.h"

// A printed report layout.
class TForm16 : public Form {
    Q_OBJECT
public:
    explicit TForm16(QWidget *parent = nullptr);
};

extern TForm16 *Form16;
