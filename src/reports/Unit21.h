#pragma once
#include "ui/Form.h"

// A printed report layout.
class TForm21 : public Form {
    Q_OBJECT
public:
    explicit TForm21(QWidget *parent = nullptr);
};

extern TForm21 *Form21;
