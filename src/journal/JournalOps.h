#pragma once
#include "data/Connection.h"
#include "journal/EntryPrice.h"

#include <QDate>
#include <QString>
#include <optional>

// The journal's database steps: saving an entry, deleting it and setting its
// acceptance mark, each with the upkeep of the monthly timesheet. They take
// the connection and typed values, run their transaction and throw on
// failure; the journal window and the entry editor ask and tell the user.
namespace JournalOps {


// One journal entry as the editor writes it.
struct Entry {
    int id = 0; // the entry being changed
    int worker = 0;
    int product = 0;
    int operation = 0;
    int shift = 1;
    int color = 0;
    QDate date;
    double price = 0; // unit price; stored rounded (EntryPrice::Round4)
    int quantity = 0;
    int rejects = 0;
    int hours = 0;
    // What the price was set from, when the price was set now (an operation
    // picked); without it a change keeps the entry's stored basis.
    std::optional<EntryPrice::Basis> basis;
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
