#pragma once
#include <QString>
#include <QStringList>

// The options a person asks the program about: --help (-h) and --version.
// Both are answered from the arguments alone, before the user interface
// starts, so they need no display and touch no database.

// The text to print for the arguments (argument 0 is the program), or an
// empty text when the program is to start as usual.
QString InfoOptionText(const QStringList &args, const QString &version, int buildDate, int buildTime);

QString UsageText();
// "tabel 1.0.0 (build: 20240305.50829)", the stamp as the login window
// shows it.
QString VersionText(const QString &version, int buildDate, int buildTime);
