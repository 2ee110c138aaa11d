#include "reports/Unit16.h"

TForm16 *Form16 = nullptr;

TForm16::TForm16(QWidget *parent) : Form(parent)
{
    Form16 = this;
    setObjectName(QStringLiteral("Form16"));
    setWindowTitle(QStringLiteral("Отчет"));
}
