#include "reports/PayStatementReport.h"
#include "data/Dataset.h"
#include "data/MonthPeriod.h"
#include "ui/Text.h"

using namespace Report;

namespace PayStatementReport {

namespace {

constexpr Font kTitle{13, true};
constexpr Font kName{11, true};
constexpr Font kPlain{9, false};
constexpr Font kHead{8, true};
constexpr Font kRow{8, false};
constexpr Font kTotal{9, false};
constexpr Font kTotalBold{10, true};
constexpr Font kSmall{7, false};
const QColor kShade{0xE6, 0xE6, 0xE6};

// Columns of the entry tables, millimetres from the left margin.
struct Col {
    double x, w;
};
constexpr Col cDate{0, 17}, cShift{17, 11}, cProd{28, 46}, cOper{74, 30}, cQty{104, 14}, cRej{118, 12},
    cPrice{130, 18}, cSum{148, 22}, cPrem{170, 20};
// The maintenance table's kind and marks over the shift, product and
// operation columns.
constexpr Col cKind{17, 57}, cMarks{74, 30};

Item at(Item i, double y, double h)
{
    return i.top(y, h);
}

} // namespace

QString WorkersSql()
{
    return QStringLiteral(
        "select w.w_id as id, p.s_caption as fio"
        " from (select s.w_id from accounts_dep.smena s where s.data>=:date1 and s.data<:date2"
        " union select f.id_p::integer from accounts_dep.fatigue f where f.d_date>=:date1 and f.d_date<:date2) w"
        " join cmn_contractor.person p on p.id=w.w_id"
        " order by p.s_caption, w.w_id");
}

QString Sql()
{
    // The totals are summed exactly as the timesheets sum them: the journal
    // pay rounded to cents once per worker ("Табель сделка"), the hourly pay
    // rounded once per kind and night flag ("Табель хоз. работ", "Табель ср.
    // сдельная") and once over all of it ("Общий табель"). The journal's
    // premiums are rounded once and "Сдельно" is the rest, so the two add up
    // to the piecework pay to the cent. The totals ride on the worker's last
    // row only, where the statement's closing band reads them.
    return QStringLiteral(
        "with j as ("
        " select s.id, s.w_id, s.data, s.smena, s.i_id, s.o_id, s.kol_vo, s.brak, s.time,"
        " s.cena::numeric as cena, s.base_cena::numeric as base"
        " from accounts_dep.smena s where s.data>=:date1 and s.data<:date2"
        " and s.w_id=any(:ids::integer[])),"
        " fa as ("
        " select f.id, f.id_p::integer as w_id, f.d_date, f.id_o::integer as id_o, f.cnt, f.price, f.i_holiday,"
        " f.i_night"
        " from accounts_dep.fatigue f where f.d_date>=:date1 and f.d_date<:date2"
        " and f.id_p=any(:ids::numeric[])),"
        " jt as ("
        " select w_id, round(sum((kol_vo-brak)*cena), 2) as t_piece,"
        " round(sum((kol_vo-brak)*(cena-base)), 2) as t_prem,"
        " count(*) filter (where base is null) as n_unknown,"
        " sum(time) filter (where smena=1) as h1, sum(time) filter (where smena=2) as h2,"
        " sum(time) filter (where smena=3) as h3, sum(time) filter (where smena=4) as h4,"
        " sum(time) as h_j"
        " from j group by w_id),"
        " fl as ("
        " select w_id, id_o, round(sum(cnt*price), 2) as pay, sum(cnt) as hrs"
        " from fa group by w_id, id_o, i_night),"
        " ft as ("
        " select w_id, sum(pay) filter (where id_o=7777) as t_7777, sum(pay) filter (where id_o=7778) as t_7778,"
        " sum(hrs) filter (where id_o=7777) as h_7777, sum(hrs) filter (where id_o=7778) as h_7778"
        " from fl group by w_id),"
        " fall as ("
        " select w_id, round(sum(cnt*price), 2) as t_fat, sum(cnt) as h_f from fa group by w_id),"
        " t as ("
        " select w.w_id, p.s_caption as fio,"
        " coalesce(jt.t_piece, 0)-coalesce(jt.t_prem, 0) as t_base, coalesce(jt.t_prem, 0) as t_prem,"
        " coalesce(ft.t_7777, 0) as t_7777, coalesce(ft.t_7778, 0) as t_7778,"
        " coalesce(jt.t_piece, 0)+coalesce(fall.t_fat, 0) as t_all,"
        " coalesce(jt.h1, 0) as h1, coalesce(jt.h2, 0) as h2, coalesce(jt.h3, 0) as h3, coalesce(jt.h4, 0) as h4,"
        " coalesce(ft.h_7777, 0) as h_7777, coalesce(ft.h_7778, 0) as h_7778,"
        " coalesce(jt.h_j, 0)+coalesce(fall.h_f, 0) as h_all, coalesce(jt.n_unknown, 0) as n_unknown"
        " from (select w_id from j union select w_id from fa) w"
        " join cmn_contractor.person p on p.id=w.w_id"
        " left join jt on jt.w_id=w.w_id left join ft on ft.w_id=w.w_id left join fall on fall.w_id=w.w_id),"
        " r as ("
        " select j.w_id, j.id, 1 as part, j.data as d, j.smena as sm, to_char(j.data, 'DD.MM.YYYY') as c_date,"
        " case when j.smena=4 then 'перер.' else j.smena::text end as c_shift,"
        " izdel.marka as c_prod, vid_oper.vid as c_oper, null::text as c_kind, null::text as c_marks,"
        " j.kol_vo as qty, j.brak as rej, j.cena as price, (j.kol_vo-j.brak)*j.cena as summa,"
        " (j.kol_vo-j.brak)*(j.cena-j.base) as premium, case when j.base is null then 0 else 1 end as known"
        " from j"
        " left join accounts_dep.izdel izdel on izdel.id=j.i_id"
        " left join accounts_dep.oper oper on oper.id=j.o_id"
        " left join accounts_dep.vid_oper vid_oper on vid_oper.id=oper.vid"
        " union all"
        " select fa.w_id, fa.id, 2, fa.d_date, 0, to_char(fa.d_date, 'DD.MM.YYYY'), null, null, null, vo.vid,"
        " concat_ws(', ', case when fa.i_holiday=1 then 'вых.' end, case when fa.i_night=1 then 'ноч.' end),"
        " fa.cnt, null, fa.price, fa.cnt*fa.price,"
        " fa.cnt*fa.price-fa.cnt*fa.price/((case when fa.i_holiday=1 then 2 else 1 end)"
        "*(case when fa.i_night=1 then 1.2 else 1 end)), 1"
        " from fa left join accounts_dep.vid_oper vo on vo.id=fa.id_o),"
        " o as ("
        " select r.*, row_number() over (partition by r.w_id order by r.part desc, r.d desc, r.sm desc,"
        " r.c_prod desc, r.c_oper desc, r.c_kind desc, r.id desc) as back"
        " from r)"
        " select t.w_id::text as wkey, t.fio, o.part, o.c_date, o.c_shift, o.c_prod, o.c_oper, o.c_kind, o.c_marks,"
        " o.qty, o.rej, o.price, o.summa, o.premium, o.known,"
        " case when o.back=1 then t.t_base end as t_base, case when o.back=1 then t.t_prem end as t_prem,"
        " case when o.back=1 then t.t_7777 end as t_7777, case when o.back=1 then t.t_7778 end as t_7778,"
        " case when o.back=1 then t.t_all end as t_all,"
        " case when o.back=1 then t.h1 end as h1, case when o.back=1 then t.h2 end as h2,"
        " case when o.back=1 then t.h3 end as h3, case when o.back=1 then t.h4 end as h4,"
        " case when o.back=1 then t.h_7777 end as h_7777, case when o.back=1 then t.h_7778 end as h_7778,"
        " case when o.back=1 then t.h_all end as h_all, case when o.back=1 then t.n_unknown end as n_unknown"
        " from o join t on t.w_id=o.w_id"
        " order by t.fio, o.w_id, o.part, o.d, o.sm, o.c_prod, o.c_oper, o.c_kind, o.id");
}

QString Heading(int month, int year)
{
    return QStringLiteral("Расчетный листок за %1 %2").arg(MonthPeriod::name(month).toLower()).arg(year);
}

QString PeriodText(int month, int year)
{
    const MonthPeriod p(month, year);
    return QStringLiteral("Период: %1 – %2").arg(Text::Date(p.first()), Text::Date(p.next().addDays(-1)));
}

Layout BuildLayout(const QString &heading, const QString &period)
{
    Layout l;
    l.name = QStringLiteral("Расчетные листки");
    l.orientation = QPageLayout::Portrait;
    l.margin = 10;
    const double width = 190;

    // The heading: title, the worker, the period.
    Group head;
    head.header = Band(QStringLiteral("heading"), 22);
    head.header.add(at(label(0, width, heading, kTitle).named(QStringLiteral("QRLabelHeading")), 0, 7));
    head.header.add(at(field(0, width, QStringLiteral("fio"), kName), 8, 6));
    head.header.add(at(label(0, width, period, kPlain).named(QStringLiteral("QRLabelPeriod")), 14, 5));

    // The totals, as the timesheets count them, and the hours by shift.
    Band totals(QStringLiteral("totals"), 44);
    totals.ruleAbove = true;
    const QList<QPair<QString, QString>> lines{
        {QStringLiteral("Сдельно (по нормативу)"), QStringLiteral("t_base")},
        {QStringLiteral("Надбавки за выходные и смены"), QStringLiteral("t_prem")},
        {QStringLiteral("Хоз. работы"), QStringLiteral("t_7777")},
        {QStringLiteral("Ср. сдельная"), QStringLiteral("t_7778")}};
    double y = 2;
    for (const auto &line : lines) {
        totals.add(at(label(90, 60, line.first, kTotal), y, 5));
        totals.add(at(field(150, 40, line.second, kTotal, Align::Right).masked(QStringLiteral("#0.00")), y, 5));
        y += 5;
    }
    totals.add(at(label(90, 60, QStringLiteral("Итого к начислению"), kTotalBold), y + 1, 6));
    totals.add(at(field(150, 40, QStringLiteral("t_all"), kTotalBold, Align::Right).masked(QStringLiteral("#0.00")),
                  y + 1, 6));
    y += 9;
    totals.add(at(label(0, 40, QStringLiteral("Отработано часов:"), kTotal), y, 5));
    totals.add(at(expr(40, 150,
                       QStringLiteral("'1 смена: '+STR(h1)+';  2 смена: '+STR(h2)+';  3 смена: '+STR(h3)"
                                      "+';  переработка: '+STR(h4)"),
                       kTotal),
                  y, 5));
    y += 5;
    totals.add(at(expr(40, 150,
                       QStringLiteral("'хоз. работы: '+STR(h_7777)+';  ср. сдельная: '+STR(h_7778)"
                                      "+';  всего: '+STR(h_all)"),
                       kTotal),
                  y, 5));
    y += 6;
    totals.add(at(expr(0, width,
                       QStringLiteral("IF(n_unknown>0,'Позиций без базовой цены (—): '+STR(n_unknown)"
                                      "+'; их суммы целиком в строке «Сдельно (по нормативу)».','')"),
                       kSmall),
                  y, 4));
    head.footer = totals;
    l.groups.append(head);

    // Each table under its caption and column titles.
    Group part;
    part.breakExpr = QStringLiteral("part");
    part.header = Band(QStringLiteral("partHeader"), 7);
    part.header.add(at(expr(0, width,
                            QStringLiteral("IF(part=1,'Работы по журналу','Хоз. работы и средняя сдельная')"),
                            kPlain),
                       2, 5));
    Band titles(QStringLiteral("titles"), 5);
    titles.shade = kShade;
    titles.ruleBelow = true;
    auto title = [&](const Col &c, const QString &journal, const QString &hourly, Align a = Align::Left) {
        titles.add(expr(c.x, c.w, QStringLiteral("IF(part=1,'%1','%2')").arg(journal, hourly), kHead, a));
    };
    title(cDate, QStringLiteral("Дата"), QStringLiteral("Дата"));
    title(cShift, QStringLiteral("Смена"), QString());
    title(cProd, QStringLiteral("Изделие"), QString());
    title(cOper, QStringLiteral("Операция"), QString());
    title(cKind, QString(), QStringLiteral("Вид работ"));
    title(cMarks, QString(), QStringLiteral("Отметки"));
    title(cQty, QStringLiteral("Кол-во"), QStringLiteral("Часы"), Align::Right);
    title(cRej, QStringLiteral("Брак"), QString(), Align::Right);
    title(cPrice, QStringLiteral("Цена"), QStringLiteral("Цена/час"), Align::Right);
    title(cSum, QStringLiteral("Сумма"), QStringLiteral("Сумма"), Align::Right);
    title(cPrem, QStringLiteral("Надбавка"), QStringLiteral("Надбавка"), Align::Right);
    part.headerChildren.append(titles);
    l.groups.append(part);

    l.detail = Band(QStringLiteral("detail"), 4.5);
    l.detail.add(field(cDate.x, cDate.w, QStringLiteral("c_date"), kRow));
    l.detail.add(field(cShift.x, cShift.w, QStringLiteral("c_shift"), kRow));
    l.detail.add(field(cProd.x, cProd.w, QStringLiteral("c_prod"), kRow));
    l.detail.add(field(cOper.x, cOper.w, QStringLiteral("c_oper"), kRow));
    l.detail.add(field(cKind.x, cKind.w, QStringLiteral("c_kind"), kRow));
    l.detail.add(field(cMarks.x, cMarks.w, QStringLiteral("c_marks"), kRow));
    l.detail.add(field(cQty.x, cQty.w, QStringLiteral("qty"), kRow, Align::Right));
    l.detail.add(field(cRej.x, cRej.w, QStringLiteral("rej"), kRow, Align::Right));
    l.detail.add(field(cPrice.x, cPrice.w, QStringLiteral("price"), kRow, Align::Right));
    l.detail.add(field(cSum.x, cSum.w, QStringLiteral("summa"), kRow, Align::Right).masked(QStringLiteral("#0.00")));
    // An entry whose base price is unknown shows no premium.
    l.detail.add(expr(cPrem.x, cPrem.w, QStringLiteral("IF(known=1,premium,'—')"), kRow, Align::Right)
                     .masked(QStringLiteral("#0.00")));

    // Every sheet says whose statement it belongs to, also a sheet that
    // carries only the end of one.
    Band footer(QStringLiteral("pageFooter"), 6);
    footer.add(at(label(0, 100, heading, kSmall).named(QStringLiteral("QRLabelFooter")), 2, 4));
    footer.add(at(expr(100, width - 100, QStringLiteral("fio+',  лист '+STR(PAGENUMBER)"), kSmall, Align::Right), 2, 4));
    l.pageFooter = footer;

    l.compile();
    return l;
}

Prepared Prepare(Layout &layout, Dataset &data, const QList<int> &workers)
{
    Prepared out;
    out.name = layout.name;
    out.orientation = layout.orientation;
    out.margin = layout.margin;
    // A few dozen workers per query: each statement is then picked out of a
    // small snapshot, not out of the whole month's rows.
    constexpr int kBatch = 25;
    for (int from = 0; from < workers.size(); from += kBatch) {
        const QList<int> batch = workers.mid(from, kBatch);
        QStringList ids;
        for (int id : batch)
            ids << QString::number(id);
        data.close();
        data.setParam(QStringLiteral("ids"), QStringLiteral("{%1}").arg(ids.join(u',')));
        data.open();
        for (int id : batch) {
            // LIKE without wildcards: the worker's own rows only.
            data.setFilter(QStringLiteral("wkey"), QString::number(id), false);
            if (data.isEmpty())
                continue;
            Prepared one = Report::Prepare(layout, data);
            out.pages += one.pages;
        }
    }
    data.close();
    return out;
}

} // namespace PayStatementReport
