#pragma once
#include <QStringList>

// Creates the program's windows in their fixed order. The journal window comes
// first and, while being created, opens the connection and the login window.
// False when the connection failed (the message has been shown and the
// program told to end).
bool CreateWindows(const QStringList &args, int buildDate, int buildTime);
// The remaining windows, hidden, in their fixed order.
void CreateRemainingWindows();
