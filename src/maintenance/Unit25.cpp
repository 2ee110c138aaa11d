#include "maintenance/Unit25.h"

TForm25 *Form25 = nullptr;

TForm25::TForm25(QWidget *parent) : Form(parent)
{
    Form25 = this;
    setObjectName(QStringLiteral("Form25"));
    setWindowTitle(QStringLiteral("Хоз. работы (25)"));
}
