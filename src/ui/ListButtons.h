#pragma once
class QBoxLayout;
class QPushButton;
class QWidget;

// The list windows' bottom row: "Добавить" (Button1, the default button),
// "Изменить" (Button2), "Удалить" (Button3), then an optional widget (the
// search box of the worker list) or space, and "Выход" (Button4) at the right.
void AddListButtons(QWidget *parent, QBoxLayout *into, QPushButton *&button1, QPushButton *&button2,
                    QPushButton *&button3, QPushButton *&button4, QWidget *middle = nullptr);
