#include "reports/Unit21.h"

TForm21 *Form21 = nullptr;

TForm21::TForm21(QWidget *parent) : Form(parent)
{
    Form21 = this;
    setObjectName(QStringLiteral("Form21"));
    setWindowTitle(QStringLiteral("Отчет"));
}
