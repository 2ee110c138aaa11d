#include "ui/ListButtons.h"
#include "ui/Form.h"

#include <QHBoxLayout>
#include <QPushButton>

void AddListButtons(QWidget *parent, QBoxLayout *into, QPushButton *&button1, QPushButton *&button2,
                    QPushButton *&button3, QPushButton *&button4, QWidget *middle)
{
    auto *bar = new QHBoxLayout;
    button1 = named(new QPushButton(QStringLiteral("Добавить"), parent), QStringLiteral("Button1"));
    button2 = named(new QPushButton(QStringLiteral("Изменить"), parent), QStringLiteral("Button2"));
    button3 = named(new QPushButton(QStringLiteral("Удалить"), parent), QStringLiteral("Button3"));
    button4 = named(new QPushButton(QStringLiteral("Выход"), parent), QStringLiteral("Button4"));
    button1->setDefault(true);
    bar->addWidget(button1);
    bar->addWidget(button2);
    bar->addWidget(button3);
    if (middle) {
        bar->addSpacing(24);
        bar->addWidget(middle, 1);
        bar->addSpacing(24);
    } else {
        bar->addStretch(1);
    }
    bar->addWidget(button4);
    into->addLayout(bar);
}
