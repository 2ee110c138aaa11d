#include "reports/Unit17.h"
#include "data/Unit6.h"
#include "reports/SummaryFrame.h"

using namespace Report;
using namespace SummaryFrame;

TForm17 *Form17 = nullptr;

QString TForm17::tReportSql()
{
    return QStringLiteral(
        "select sum(smena.kol_vo-smena.brak)::numeric as kolvo, vid_oper.vid, izdel.nom, oper.naimen,"
        " smena.color, round(izdel.massa*sum(smena.kol_vo-smena.brak), 2) as mass"
        " from accounts_dep.smena smena"
        " join accounts_dep.izdel izdel on izdel.id=smena.i_id"
        " join accounts_dep.oper oper on oper.id=smena.o_id"
        " join accounts_dep.vid_oper vid_oper on vid_oper.id=oper.vid"
        " where smena.data<:data2 and smena.data>=:data1"
        " group by izdel.nom, smena.color, oper.naimen, vid_oper.vid, izdel.massa"
        " order by izdel.nom, oper.naimen, vid_oper.vid, smena.color, izdel.massa");
}

Layout TForm17::BuildLayout()
{
    Layout l = Make(QStringLiteral("Отчет по продукции"),
                    {label(136, 27, QStringLiteral("Коробки"), kLabel), label(165, 25, QStringLiteral("Количество"), kLabel)},
                    {label(106, 25, QStringLiteral("Итого:"), kTotal),
                     expr(131, 30, QStringLiteral("SUM(mass)"), kTotal, Align::Center).masked("#0"),
                     expr(161, 29, QStringLiteral("SUM(kolvo)"), kTotal, Align::Center)},
                    103);

    Report::Group nom = GroupOn(QStringLiteral("nom"), true);
    Band nomFooter(QStringLiteral("nomFooter"), kSumHeight);
    nomFooter.add(expr(134, 29, QStringLiteral("SUM(mass)"), kSum, Align::Center).resets());
    nomFooter.add(expr(163, 27, QStringLiteral("SUM(kolvo)"), kSum, Align::Center).resets());
    nom.footer = nomFooter;
    l.groups.append(nom);

    l.detail = Band(QStringLiteral("detail"), kDetailHeight);
    l.detail.add(expr(13, 42, kKindText, kDetail));
    l.detail.add(field(55, 38, QStringLiteral("vid"), kDetail, Align::Center));
    l.detail.add(expr(93, 41, kColourText, kDetail, Align::Center));
    l.detail.add(field(134, 29, QStringLiteral("mass"), kDetail, Align::Center));
    l.detail.add(field(163, 27, QStringLiteral("kolvo"), kDetail, Align::Center));
    return l;
}

TForm17::TForm17(QWidget *parent)
    : SummaryReport(QStringLiteral("Form17"), BuildLayout(), parent),
      t_Report(DataModule6->ADO_DB, QStringLiteral("t_Report"), tReportSql(), this)
{
    Form17 = this;
}
