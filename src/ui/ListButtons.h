#pragma once
class Dataset;
class QBoxLayout;
class QDialog;
class QPushButton;
class QWidget;

// The list windows' bottom row: "Добавить" (Button1, the default button),
// "Изменить" (Button2), "Удалить" (Button3), then an optional widget (the
// search box of the worker list) or space, and "Выход" (Button4) at the right.
void AddListButtons(QWidget *parent, QBoxLayout *into, QPushButton *&button1, QPushButton *&button2,
                    QPushButton *&button3, QPushButton *&button4, QWidget *middle = nullptr);

// Shows a list window for maintenance, as the journal's reference menu does:
// its dataset open while the window is shown (closed afterwards, also on an
// error), "Изменить" (button2) not the default button, "Добавить" (button1,
// the default) and "Удалить" (button3) shown.
void ShowListForMaintenance(QDialog *list, Dataset &ds, QPushButton *button1, QPushButton *button2,
                            QPushButton *button3);

// The editor dialogs' bottom row, at the right: "Записать" (Button1, the
// default button) and "Отмена" (Button2).
void AddDialogButtons(QWidget *parent, QBoxLayout *into, QPushButton *&button1, QPushButton *&button2);
