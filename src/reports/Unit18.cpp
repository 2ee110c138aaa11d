#include "reports/Unit18.h"
#include "ui/Text.h"

#include <QButtonGroup>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TForm18 *Form18 = nullptr;

TForm18::TForm18(QWidget *parent) : Form(parent)
{
    Form18 = this;
    setObjectName(QStringLiteral("Form18"));
    setWindowTitle(QStringLiteral("Отчеты (8)"));
    BuildLayout();
    ConnectHandlers();
}

void TForm18::BuildLayout()
{
    constexpr int kWidth = 180;
    auto *lay = new QVBoxLayout(this);

    RadioGroup1 = named(new QGroupBox(QStringLiteral("Вид продукции"), this), QStringLiteral("RadioGroup1"),
                        QStringLiteral("Вид продукции"));
    RadioGroup1Buttons = new QButtonGroup(this);
    auto *kinds = new QVBoxLayout(RadioGroup1);
    const QString captions[3] = {QStringLiteral("Все"), QStringLiteral("Готовая продукция"),
                                 QStringLiteral("Заготовки")};
    for (int i = 0; i < 3; ++i) {
        RadioGroup1Items[i] = named(new QRadioButton(captions[i], RadioGroup1),
                                    QStringLiteral("RadioGroup1_%1").arg(i));
        RadioGroup1Buttons->addButton(RadioGroup1Items[i], i);
        kinds->addWidget(RadioGroup1Items[i]);
    }
    RadioGroup1Items[0]->setChecked(true);

    GroupBox1 = named(new QGroupBox(QStringLiteral("Период отбора"), this), QStringLiteral("GroupBox1"));
    auto *period = new QFormLayout(GroupBox1);
    DTPicker1 = named(new QDateEdit(GroupBox1), QStringLiteral("DTPicker1"), QStringLiteral("с"));
    DTPicker2 = named(new QDateEdit(GroupBox1), QStringLiteral("DTPicker2"), QStringLiteral("по"));
    for (QDateEdit *d : {DTPicker1, DTPicker2}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(Text::DateFormat());
    }
    period->addRow(QStringLiteral("с"), DTPicker1);
    period->addRow(QStringLiteral("по"), DTPicker2);

    Button4 = named(new QPushButton(QStringLiteral("Отчет по рабочим"), this), QStringLiteral("Button4"));
    Button2 = named(new QPushButton(QStringLiteral("Отчет по продукции"), this), QStringLiteral("Button2"));
    Button1 = named(new QPushButton(QStringLiteral("Детальный отчет по рабочим"), this), QStringLiteral("Button1"));
    Button3 = named(new QPushButton(QStringLiteral("Детальный отчет по продукции"), this), QStringLiteral("Button3"));
    Button6 = named(new QPushButton(QStringLiteral("Excel (0 из 0)"), this), QStringLiteral("Button6"));
    Button5 = named(new QPushButton(QStringLiteral("Выход"), this), QStringLiteral("Button5"));

    // One column of equal width: 180 pixels, or wider where the face in use
    // needs it to show a caption whole.
    const std::initializer_list<QWidget *> column{RadioGroup1, GroupBox1, Button4, Button2,
                                                  Button1,     Button3,   Button6, Button5};
    int width = kWidth;
    for (QWidget *w : column)
        width = qMax(width, w->sizeHint().width());
    for (QWidget *w : column) {
        w->setFixedWidth(width);
        lay->addWidget(w);
    }
    for (QPushButton *b : {Button4, Button2, Button1, Button3, Button6, Button5})
        b->setAutoDefault(false);
    lay->setSizeConstraint(QLayout::SetFixedSize);
}

void TForm18::ConnectHandlers()
{
    // Esc closes the dialog the way "Выход" does.
    connect(Button5, &QPushButton::clicked, this, &TForm18::Button5Click);
}

void TForm18::Button5Click()
{
    close();
}

int TForm18::RadioGroup1ItemIndex() const
{
    return RadioGroup1Buttons->checkedId();
}

void TForm18::SetRadioGroup1ItemIndex(int index)
{
    if (QAbstractButton *b = RadioGroup1Buttons->button(index))
        b->setChecked(true);
}
