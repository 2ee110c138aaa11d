#include "ui/ListButtons.h"
#include "ui/Form.h"
#include "ui/Msg.h"
#include "data/Dataset.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QScopeGuard>

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

void ShowListForMaintenance(QDialog *list, Dataset &ds, QPushButton *button1, QPushButton *button2,
                            QPushButton *button3)
{
    ds.open();
    const auto closeList = qScopeGuard([&ds] { ds.close(); });
    button2->setDefault(false);
    button2->setText(QStringLiteral("Изменить"));
    button1->setDefault(true); // Enter means "Добавить"
    button1->show();
    button3->show();
    Modal::exec(list);
}

void AddDialogButtons(QWidget *parent, QBoxLayout *into, QPushButton *&button1, QPushButton *&button2)
{
    auto *buttons = new QHBoxLayout;
    button1 = named(new QPushButton(QStringLiteral("Записать"), parent), QStringLiteral("Button1"));
    button2 = named(new QPushButton(QStringLiteral("Отмена"), parent), QStringLiteral("Button2"));
    button1->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(button1);
    buttons->addWidget(button2);
    into->addLayout(buttons);
}
