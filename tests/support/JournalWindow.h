// The journal window as the window tests set it up.
#pragma once
#include <QDate>

class TForm1;

// Creates the journal window (and with it the data module's grid hookup)
// with the test programs' build stamp and its version timer stopped; with
// withLogin also the login window.
TForm1 *NewJournalWindow(bool withLogin = false);

// The four journals of a date, loaded by the journal window itself, with the
// entries the login hides left out as after a login.
void LoadJournalsAsLoggedIn(const QDate &day);
