#pragma once
#include <QStringList>

#include <exception>

struct ConnectionSettings;

// Creates the program's windows in their fixed order. The journal window comes
// first and, while being created, opens the connection and the login window.
// False when the connection failed (the message has been shown and the
// program told to end).
bool CreateWindows(const QStringList &args, int buildDate, int buildTime);
// The remaining windows, hidden, in their fixed order.
void CreateRemainingWindows();

// Start-up reports about the connection settings. Each settings file that
// could not be used is reported once, on standard error and in a message
// box, before the connection is tried.
void ReportSettingsProblems(const ConnectionSettings &s);
// A failed connection at start-up: what was tried (database, server, port and
// where the settings came from) and the driver's answer, on standard error
// for the administrator.
void ReportConnectionFailure(const ConnectionSettings &s, const std::exception &e);
