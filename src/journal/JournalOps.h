#pragma once
#include "data/Connection.h"

#include <QDate>
#include <QString>

// The journal window's operations on its entries: adding and changing them
// through the entry editor, deleting them and toggling their acceptance, each
// with the upkeep of the monthly timesheet.
namespace JournalOps {

// --- the journal window's commands (they act on Form1's selected shift)

// "Добавить": the entry editor in add mode, prefilled with the journal's date.
void AddEntry();
// "Изменить": the entry editor in change mode for the current entry; nothing
// when the shift's journal is empty.
void ChangeEntry();
// "Удалить": asks, deletes the current entry with its timesheet upkeep, and
// reloads the journal whatever the answer.
void DeleteEntry();
// Double click on the journal: "да" and "ok" become "no", anything else "ok".
// Nothing for the foreman, nothing on an empty journal.
void AcceptToggle();

// --- the database side, on any connection

// One journal entry as the editor writes it.
struct Entry {
    int id = 0; // the entry being changed
    int worker = 0;
    int product = 0;
    int operation = 0;
    int shift = 1;
    int color = 0;
    QDate date;
    QString price;    // rounded, with a point: "12.5"
    QString quantity; // digit texts as typed, trimmed
    QString rejects;
    QString hours;
};

enum class StoreResult { Stored, Duplicate };

// The duplicate rule: no two entries agree in worker, operation, product,
// date, shift and colour. Key of the advisory lock that serialises the check
// with the write.
QString DuplicateKey(const Entry &e);

// Writes the entry (insert when add, else update of e.id) and rewrites the
// timesheet cells it enters and leaves, all in one transaction. The duplicate
// check runs under the entry's lock; a duplicate writes nothing.
StoreResult StoreEntry(Connection &conn, const Entry &e, bool add);

// Deletes an entry and empties or rewrites its day in its worker's shift row,
// in one transaction. False when the entry no longer exists.
bool RemoveEntry(Connection &conn, int id);

// The acceptance mark that follows `mark`.
QString NextMark(const QString &mark);
// updtOK: "update accounts_dep.smena set ok=:ok where id=:id".
void SetMark(Connection &conn, int id, const QString &mark);

// The journal window's shift as the entries store it: 2, 3, 4, else 1.
int EntryShift(int shiftNumber);

} // namespace JournalOps
