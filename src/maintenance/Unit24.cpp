#include "maintenance/Unit24.h"

TForm24 *Form24 = nullptr;

TForm24::TForm24(QWidget *parent) : Form(parent)
{
    Form24 = this;
    setObjectName(QStringLiteral("Form24"));
    setWindowTitle(QStringLiteral("Хоз. работы"));
}
