#include "reports/Unit20.h"

TForm20 *Form20 = nullptr;

TForm20::TForm20(QWidget *parent) : Form(parent)
{
    Form20 = this;
    setObjectName(QStringLiteral("Form20"));
    setWindowTitle(QStringLiteral("Отчет"));
}
