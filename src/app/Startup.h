#pragma once
#include <QStringList>

#include <exception>

struct ConnectionSettings;
class TForm1;

// Creates the program's windows in their fixed order. The journal window comes
// first; then OpenSession opens the connection and the login window.
// False when the connection failed (the message has been shown and the
// program told to end).
bool CreateWindows(const QStringList &args, int buildDate, int buildTime);
// The data module (owned by the journal window) with the journals in its
// grid, the connection chosen from the command line and the settings files,
// and the login window shown. False when the database cannot be reached: the
// failure has been reported, the journal closed and the program told to end.
bool OpenSession(TForm1 *journal, const QStringList &args);
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
