#include "reports/Unit17.h"

TForm17 *Form17 = nullptr;

TForm17::TForm17(QWidget *parent) : Form(parent)
{
    Form17 = this;
    setObjectName(QStringLiteral("Form17"));
    setWindowTitle(QStringLiteral("Отчет"));
}
