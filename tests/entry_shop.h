// A small shop for the journal entry tests: two workers, two products, an
// assembly and a painting operation with their norms, and helpers to put
// entries into the journal and read the timesheet back.
#pragma once
#include "data/Unit6.h"
#include "support/JournalWindow.h"
#include "support/TestDb.h"

#include <QDate>
#include <QVariant>

namespace Shop {

enum : int {
    Ivanov = 101,
    Petrov = 102,
    Chair = 2001,    // "СТ-1"
    Cabinet = 2002,  // "ШК-7"
    Assembly = 301,  // Сборка on СТ-1, finished product, lowest price 12.5
    Painting = 302,  // ПоКрАсКа on СТ-1, blanks, lowest price 3
    Cutting = 303,   // Резка on ШК-7, finished product, price 10
};

inline void load()
{
    TestDb::exec("insert into cmn_classifier.item (id, id_level, s_caption) values (500, 2, 'Стулья')");
    TestDb::exec("insert into accounts_dep.person (id, fio, s_staffpos_hl) values "
                 "(101, 'Иванов И.И.', 'Сборщик'), (102, 'Петров П.П.', 'Маляр')");
    TestDb::exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, id_msm_bs, massa, id_class_item) "
                 "values (2001, 'СТ-1 ', 6, 0.5, 500), (2002, 'ШК-7', 6, 1, 500)");
    TestDb::exec("insert into accounts_dep.vid_oper (id, vid) values (11, 'Сборка'), (12, 'ПоКрАсКа'), "
                 "(13, 'Резка')");
    TestDb::exec("insert into accounts_dep.oper (id, vid, naimen, i_id, cena_new) values "
                 "(301, 11, 0, 2001, 0), (302, 12, 1, 2001, 0), (303, 13, 0, 2002, 0)");
    TestDb::exec("insert into accounts_dep.norm (o_id, norma, price, prize) values "
                 "(301, 10, 12.5, 0), (301, 20, 14, 0), (302, 5, 3, 0), (303, 1, 10, 0)");
}

// An entry written straight into the journal; returns its id.
inline int entry(int worker, int oper, const QDate &day, int shift, int hours, const QString &ok = "no",
                 int color = 0, int qty = 10, int brak = 0, double price = 12.5)
{
    const int product = oper == Cutting ? Cabinet : Chair;
    return TestDb::scalar(
               "insert into accounts_dep.smena (w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, "
               "time, ok, vvod, prize, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use) values "
               "(:w::integer, :i::integer, :o::integer, :k::integer, :b::integer, :d::date, :s::integer, "
               ":p::double precision, :c::integer, :h::integer, :ok, now(), 0, 0, 0, 0, 0, 0) returning id",
               {{"w", worker}, {"i", product}, {"o", oper}, {"k", qty}, {"b", brak},
                {"d", day.toString("yyyy-MM-dd")}, {"s", shift}, {"p", price}, {"c", color}, {"h", hours},
                {"ok", ok}})
        .toInt();
}

// A timesheet shift row written straight into the table.
inline void tabelRow(int worker, int shift, int month, int year, const QList<QPair<int, int>> &days)
{
    QString cols = "w_id, smena, month, year", vals = ":w::integer, :s::integer, :m::integer, :y::integer";
    SqlParams p{{"w", worker}, {"s", shift}, {"m", month}, {"y", year}};
    for (const auto &d : days) {
        cols += QString(", d%1").arg(d.first);
        vals += QString(", :d%1::integer").arg(d.first);
        p.append({QString("d%1").arg(d.first), d.second});
    }
    TestDb::exec("insert into accounts_dep.h_tabel (" + cols + ") values (" + vals + ")", p);
}

// Number of shift rows of a worker, shift and month.
inline int tabelRows(int worker, int shift, const QDate &day)
{
    return TestDb::scalar("select count(*) from accounts_dep.h_tabel where w_id=:w::integer and "
                          "smena=:s::integer and month=:m::integer and year=:y::integer",
                          {{"w", worker}, {"s", shift}, {"m", day.month()}, {"y", day.year()}})
        .toInt();
}

// One day's cell of a worker's shift row: its hours, "null" when the cell is
// empty, "no row" when the row is missing.
inline QString cell(int worker, int shift, const QDate &day)
{
    QSqlQuery q = DataModule6->ADO_DB.select(
        QString("select d%1 from accounts_dep.h_tabel where w_id=:w::integer and smena=:s::integer and "
                "month=:m::integer and year=:y::integer")
            .arg(day.day()),
        {{"w", worker}, {"s", shift}, {"m", day.month()}, {"y", day.year()}});
    if (!q.next())
        return "no row";
    return q.value(0).isNull() ? QString("null") : q.value(0).toString();
}

inline int entries(const QString &where = "true", const SqlParams &p = {})
{
    return TestDb::scalar("select count(*) from accounts_dep.smena where " + where, p).toInt();
}

// Loads the four journals of a date as the journal window does.
inline void openJournals(const QDate &day)
{
    LoadJournalsAsLoggedIn(day);
}

} // namespace Shop
