#include "timesheets/Unit27.h"

TForm27 *Form27 = nullptr;

TForm27::TForm27(QWidget *parent) : Form(parent)
{
    Form27 = this;
    setObjectName(QStringLiteral("Form27"));
    setWindowTitle(QStringLiteral("Табель"));
}
