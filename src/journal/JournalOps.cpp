#include "journal/JournalOps.h"
#include "data/CheckedWrite.h"
#include "data/DbError.h"
#include "data/SqlText.h"
#include "journal/EntryPrice.h"
#include "timesheets/TimesheetDay.h"

#include <QSqlQuery>
#include <tuple>

namespace JournalOps {

int EntryShift(int shiftNumber)
{
    return shiftNumber == 2 || shiftNumber == 3 || shiftNumber == 4 ? shiftNumber : 1;
}

namespace {

// A day of one worker's shift row.
struct Cell {
    int worker;
    int shift;
    QDate day;
    bool operator==(const Cell &o) const { return worker == o.worker && shift == o.shift && day == o.day; }
};

// Rewrites the cells, in the timesheet rows' lock order, of shifts 1..4.
void recomputeCells(Connection &conn, const QList<QPair<Cell, bool>> &cells)
{
    QVector<TimesheetDay::CellRewrite> rewrites;
    for (const auto &c : cells) {
        if (c.first.shift < 1 || c.first.shift > 4 || !c.first.day.isValid())
            continue;
        rewrites.append({TimesheetDay::ShiftRow(c.first.worker, c.first.shift, c.first.day.month(),
                                                c.first.day.year()),
                         c.first.day, c.second});
    }
    TimesheetDay::RewriteCells(conn, rewrites);
}

int toInt(const QVariant &v)
{
    return v.isNull() ? 0 : v.toString().trimmed().toInt();
}

} // namespace

QString DuplicateKey(const Entry &e)
{
    return QStringLiteral("smena:%1:%2:%3:%4:%5:%6")
        .arg(e.worker)
        .arg(e.operation)
        .arg(e.product)
        .arg(SqlText::Date(e.date))
        .arg(e.shift)
        .arg(e.color);
}

StoreResult StoreEntry(Connection &conn, const Entry &e, bool add)
{
    if (!e.date.isValid())
        throw DbError(QStringLiteral("Неверная дата позиции."));
    // Every date is bound as a date value.
    SqlParams p{{QStringLiteral("w"), e.worker},
                {QStringLiteral("i"), e.product},
                {QStringLiteral("o"), e.operation},
                {QStringLiteral("d"), e.date},
                {QStringLiteral("s"), e.shift},
                {QStringLiteral("c"), e.color}};
    if (!add)
        p.append({QStringLiteral("id"), e.id});
    const QString dup = QStringLiteral("select count(id) as cnt from accounts_dep.SMENA where w_id=:w::integer and "
                                       "o_id=:o::integer and i_id=:i::integer and data=:d::date "
                                       "and smena=:s::integer and color=:c::integer")
        + (add ? QString() : QStringLiteral(" and id<>:id::integer"));

    const auto write = [&] {
        QList<QPair<Cell, bool>> cells;
        if (!add) {
            // The cell the entry leaves, as stored now.
            QSqlQuery old = conn.select(
                QStringLiteral("select w_id, data, smena from accounts_dep.smena where id=:id::integer for update"),
                {{QStringLiteral("id"), e.id}});
            if (!old.next())
                throw DbError(QStringLiteral("Позиция не найдена: она удалена с другого рабочего места."));
            if (!old.value(0).isNull() && !old.value(2).isNull())
                cells.append({Cell{toInt(old.value(0)), toInt(old.value(2)), old.value(1).toDate()}, false});
        }

        SqlParams w = p;
        w.append({QStringLiteral("cena"), SqlText::Decimal(EntryPrice::Round4(e.price))});
        w.append({QStringLiteral("k"), e.quantity});
        w.append({QStringLiteral("b"), e.rejects});
        w.append({QStringLiteral("h"), e.hours});
        w.append({QStringLiteral("t"), QDate::currentDate()});
        // The basis goes with the price it was set from; NULL when unknown.
        QString basisCols, basisVals, basisSet;
        if (e.basis) {
            w.append({QStringLiteral("bc"), SqlText::Decimal(EntryPrice::Round4(e.basis->base))});
            w.append({QStringLiteral("bh"), e.basis->dayOff ? 1 : 0});
            basisCols = QStringLiteral(", base_cena, i_holiday");
            basisVals = QStringLiteral(", :bc::double precision, :bh::integer");
            basisSet = QStringLiteral(", base_cena=:bc::double precision, i_holiday=:bh::integer");
        }
        if (add) {
            conn.exec(QStringLiteral(
                          "insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, data, smena, color, "
                          "time, vvod,ok, prize, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use")
                          + basisCols + QStringLiteral(") "
                          "values(:w::integer, :i::integer, :o::integer, :cena::double precision,:k::integer, "
                          ":b::integer, :d::date, :s::integer, :c::integer, :h::integer, "
                          ":t::date, 'no', 0, 0, 0, 0, 0, 0")
                          + basisVals + QStringLiteral(")"),
                      w);
        } else {
            conn.exec(QStringLiteral(
                          "update accounts_dep.SMENA set w_id=:w::integer, i_id=:i::integer, o_id=:o::integer, "
                          "cena=:cena::double precision, kol_vo=:k::integer, brak=:b::integer, "
                          "data=:d::date, smena=:s::integer, color=:c::integer, time=:h::integer, "
                          "vvod=:t::date, prize=0, id_doc=0, id_doc_item=0, f_gds_qty_use=0, "
                          "id_gds_use=0, id_cons_use=0")
                          + basisSet + QStringLiteral(" where id=:id::integer"),
                      w);
        }

        // The cell the entry enters is created when missing; one it leaves
        // is only rewritten.
        const Cell entered{e.worker, e.shift, e.date};
        if (!cells.isEmpty() && cells.first().first == entered)
            cells.clear();
        cells.append({entered, true});
        recomputeCells(conn, cells);
    };
    // The check and the write under one lock: two clients saving the same
    // entry at once cannot both find it missing.
    return CheckedWrite(conn, DuplicateKey(e), dup, p, write) == WriteResult::Written ? StoreResult::Stored
                                                                                      : StoreResult::Duplicate;
}

bool RemoveEntry(Connection &conn, int id)
{
    Transaction tr(conn);
    QSqlQuery q = conn.select(
        QStringLiteral("delete from accounts_dep.smena where id=:id::integer returning w_id, data, smena"),
        {{QStringLiteral("id"), id}});
    if (!q.next())
        return false;
    // The day of the deleted entry itself, whatever date the journal shows.
    if (!q.value(0).isNull() && !q.value(2).isNull())
        recomputeCells(conn, {{Cell{toInt(q.value(0)), toInt(q.value(2)), q.value(1).toDate()}, false}});
    tr.commit();
    return true;
}

QString NextMark(const QString &mark)
{
    return mark == QStringLiteral("да") || mark == QStringLiteral("ok") ? QStringLiteral("no")
                                                                         : QStringLiteral("ok");
}

void SetMark(Connection &conn, int id, const QString &mark)
{
    conn.exec(QStringLiteral("update accounts_dep.smena set ok=:ok where id=:id::integer"),
              {{QStringLiteral("ok"), mark}, {QStringLiteral("id"), id}});
}

} // namespace JournalOps
