// A small shop for the maintenance-works tests: two workers, two
// nomenclature groups with a product each, and helpers to put maintenance
// entries and journal entries in and read the hourly-work rows back. The
// schema's fixed kinds give 7777 the norm price 150 and 7778 the price 0.
#pragma once
#include "data/Unit6.h"
#include "support/TestDb.h"

#include <QDate>
#include <QSqlQuery>
#include <QVariant>

namespace MaintShop {

enum : int {
    Ivanov = 101,
    Petrov = 102,
    Chairs = 500,   // nomenclature group "Стулья"
    Cabinets = 501, // nomenclature group "Шкафы"
    Chair = 2001,   // product in Chairs
    Cabinet = 2002, // product in Cabinets
    Assembly = 301, // operation on Chair
    Cutting = 303,  // operation on Cabinet
    Maint = 7777,
    Avg = 7778,
};

inline void load()
{
    TestDb::exec("insert into cmn_classifier.item (id, id_level, s_caption) values "
                 "(500, 2, 'Стулья'), (501, 2, 'Шкафы')");
    TestDb::exec("insert into accounts_dep.person (id, fio, s_staffpos_hl) values "
                 "(101, 'Иванов И.И.', 'Слесарь'), (102, 'Петров П.П.', 'Сборщик')");
    TestDb::exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, id_msm_bs, massa, id_class_item) "
                 "values (2001, 'СТ-1', 6, 0.5, 500), (2002, 'ШК-7', 6, 1, 501)");
    TestDb::exec("insert into accounts_dep.vid_oper (id, vid) values (11, 'Сборка'), (13, 'Резка')");
    TestDb::exec("insert into accounts_dep.oper (id, vid, naimen, i_id, cena_new) values "
                 "(301, 11, 0, 2001, 0), (303, 13, 0, 2002, 0)");
    TestDb::exec("insert into accounts_dep.norm (o_id, norma, price, prize) values (301, 10, 12.5, 0), "
                 "(303, 1, 10, 0)");
}

// A maintenance entry written straight into the table; returns its id.
inline int fatigue(int worker, int kind, const QDate &day, int hours, int night = 0, int nom = Chairs,
                   double price = 150, int holiday = 0)
{
    return TestDb::scalar(
               "insert into accounts_dep.fatigue (id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, "
               "price, i_holiday, i_night) values (:g::numeric, :o::numeric, :w::numeric, :d::date, "
               ":m::integer, :y::integer, 1, :h::integer, :p::numeric, :f::integer, :n::integer) returning id",
               {{"g", nom}, {"o", kind}, {"w", worker}, {"d", day.toString("yyyy-MM-dd")}, {"m", day.month()},
                {"y", day.year()}, {"h", hours}, {"p", price}, {"f", holiday}, {"n", night}})
        .toInt();
}

// A journal entry on a product, for the average-piecework prices.
inline void journal(int worker, int oper, const QDate &day, int qty, int brak, double cena, int hours)
{
    TestDb::exec("insert into accounts_dep.smena (w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, "
                 "time, ok, vvod, prize, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use) values "
                 "(:w::integer, :i::integer, :o::integer, :k::integer, :b::integer, :d::date, 1, "
                 ":p::double precision, 0, :h::integer, 'ok', now(), 0, 0, 0, 0, 0, 0)",
                 {{"w", worker}, {"i", oper == Cutting ? Cabinet : Chair}, {"o", oper}, {"k", qty}, {"b", brak},
                  {"d", day.toString("yyyy-MM-dd")}, {"p", cena}, {"h", hours}});
}

// An hourly-work row written straight into the table (smena left to its default).
inline void hourlyRow(int worker, int kind, int night, int month, int year, const QList<QPair<int, int>> &days)
{
    QString cols = "w_id, i_type, i_night, month, year",
            vals = ":w::integer, :o::integer, :n::integer, :m::integer, :y::integer";
    SqlParams p{{"w", worker}, {"o", kind}, {"n", night}, {"m", month}, {"y", year}};
    for (const auto &d : days) {
        cols += QString(", d%1").arg(d.first);
        vals += QString(", :d%1::integer").arg(d.first);
        p.append({QString("d%1").arg(d.first), d.second});
    }
    TestDb::exec("insert into accounts_dep.h_tabel (" + cols + ") values (" + vals + ")", p);
}

// Hourly-work rows of a worker, kind, night flag and month.
inline int hourlyRows(int worker, int kind, int night, const QDate &day)
{
    return TestDb::scalar("select count(*) from accounts_dep.h_tabel where w_id=:w::integer and "
                          "i_type=:o::integer and i_night=:n::integer and month=:m::integer and year=:y::integer",
                          {{"w", worker}, {"o", kind}, {"n", night}, {"m", day.month()}, {"y", day.year()}})
        .toInt();
}

// One day's cell of a worker's hourly-work row: its hours, "null" when empty,
// "no row" when the row is missing.
inline QString hourlyCell(int worker, int kind, int night, const QDate &day)
{
    QSqlQuery q = DataModule6->ADO_DB.select(
        QString("select d%1 from accounts_dep.h_tabel where w_id=:w::integer and i_type=:o::integer and "
                "i_night=:n::integer and month=:m::integer and year=:y::integer")
            .arg(day.day()),
        {{"w", worker}, {"o", kind}, {"n", night}, {"m", day.month()}, {"y", day.year()}});
    if (!q.next())
        return "no row";
    return q.value(0).isNull() ? QString("null") : q.value(0).toString();
}

inline int fatigueCount(const QString &where = "true", const SqlParams &p = {})
{
    return TestDb::scalar("select count(*) from accounts_dep.fatigue where " + where, p).toInt();
}

// The stored price of an entry as text without trailing zeros ("33.89", "150").
inline QString priceOf(int id)
{
    return TestDb::scalar("select trim_scale(price)::text from accounts_dep.fatigue where id=:id::integer",
                          {{"id", id}})
        .toString();
}

} // namespace MaintShop
