#include "timesheets/Unit19.h"

TForm19 *Form19 = nullptr;

TForm19::TForm19(QWidget *parent) : Form(parent)
{
    Form19 = this;
    setObjectName(QStringLiteral("Form19"));
    setWindowTitle(QStringLiteral("Табель по времени"));
}
