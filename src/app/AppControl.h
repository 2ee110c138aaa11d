#pragma once
#include <QApplication>

// Tells the program to end: every running event loop (the main one and any
// modal one) finishes after the current handler returns.
void EndProgram();
// True once EndProgram has been called (tests read it).
bool EndRequested();
void ResetEndRequested();

// The application object: an exception that escapes an event handler is
// shown in a message box with its own text, and the program goes on.
class Application : public QApplication {
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *e) override;
};

// Loads Qt's own Russian texts and sets the Russian locale.
void InstallRussian(QCoreApplication &app);
