#pragma once
#include "data/Connection.h"

#include <QDate>
#include <QList>
#include <QString>

// Reading the change history (accounts_dep.change_log) of journal and
// maintenance entries as people read it: in the journals' column names and
// with names instead of ids ("Кол-во: 10 → 12", "ОК: нет → да",
// "Рабочий: Иванов А.П. → Петров С.С."). The rows are written by the
// database's triggers; nothing here writes.
namespace ChangeHistory {

enum class Source { Journal, Maintenance }; // accounts_dep.smena, accounts_dep.fatigue

// One history row as the window lists it.
struct Line {
    QString when;     // "05.03.2024 14:07:31", server time in the session's zone
    QString who;      // "ivanov (полные права, sys)"; another program: its role and name
    QString computer; // machine name, else the client's address
    QString action;   // "Добавление", "Изменение", "Удаление"
    QString changes;  // "Кол-во: 10 → 12; ОК: нет → да"
};

// The entry's history, newest first.
QList<Line> Read(Connection &conn, Source source, int entryId);

// An entry deleted from the day's journal, for finding its history.
struct DeletedEntry {
    int id = 0;
    QString text; // "Иванов И.И.: Стул, Сборка, Кол-во 10"
};
// Entries of that date deleted (and not present any more), newest deletion first.
QList<DeletedEntry> DeletedOn(Connection &conn, Source source, const QDate &day);

} // namespace ChangeHistory
