#pragma once
#include "ui/ProgramEnd.h"

#include <QApplication>

// The application object: an exception that escapes an event handler is
// shown in a message box with its own text, and the program goes on.
class Application : public QApplication {
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *e) override;
};

// Loads Qt's own Russian texts and sets the Russian locale.
void InstallRussian(QCoreApplication &app);
