#pragma once
#include "ui/Form.h"

// A printed report layout.
class TForm17 : public Form {
    Q_OBJECT
public:
    explicit TForm17(QWidget *parent = nullptr);
};

extern TForm17 *Form17;
