#include "reports/Unit21.h"
#include "data/Unit6.h"
#include "reports/SummaryFrame.h"

using namespace Report;
using namespace SummaryFrame;

TForm21 *Form21 = nullptr;

QString TForm21::iReportSql()
{
    return QStringLiteral(
        "select izdel.marka, vid_oper.vid, oper.naimen, izdel.nom, sum(smena.kol_vo)::numeric as kolvo,"
        " sum(smena.brak) as brk, sum((smena.kol_vo-smena.brak)*smena.cena::numeric) as summa, smena.color,"
        " round(izdel.massa*sum(smena.kol_vo), 2) as mass"
        " from accounts_dep.smena smena"
        " join accounts_dep.izdel izdel on izdel.id=smena.i_id"
        " join accounts_dep.oper oper on oper.id=smena.o_id"
        " join accounts_dep.vid_oper vid_oper on vid_oper.id=oper.vid"
        " where smena.data<:data2 and smena.data>=:data1"
        " group by izdel.nom, izdel.marka, vid_oper.vid, oper.naimen, smena.color, izdel.massa"
        " order by izdel.nom, izdel.marka, vid_oper.vid, oper.naimen, smena.color");
}

Layout TForm21::BuildLayout()
{
    Layout l = Make(QStringLiteral("Детальный отчет по продукции"),
                    {label(124, 11, QStringLiteral("Брак"), kLabel), label(135, 18, QStringLiteral("Коробки"), kLabel),
                     label(153, 21, QStringLiteral("Кол-во"), kLabel), label(174, 16, QStringLiteral("Сумма"), kLabel)},
                    {label(100, 24, QStringLiteral("Итого:"), kTotal),
                     expr(124, 9, QStringLiteral("SUM(brk)"), kTotal, Align::Center),
                     expr(133, 19, QStringLiteral("SUM(mass)"), kTotal, Align::Center),
                     expr(152, 18, QStringLiteral("SUM(kolvo)"), kTotal, Align::Center),
                     expr(170, 20, QStringLiteral("SUM(summa)"), kTotal, Align::Center).masked("#0.00")},
                    97);

    Report::Group nom = GroupOn(QStringLiteral("nom"), true);
    Band nomFooter(QStringLiteral("nomFooter"), kSumHeight);
    nomFooter.add(expr(124, 9, QStringLiteral("SUM(brk)"), kSum, Align::Center).resets());
    nomFooter.add(expr(133, 19, QStringLiteral("SUM(mass)"), kSum, Align::Center).masked("#0.00").resets());
    nomFooter.add(expr(152, 18, QStringLiteral("SUM(kolvo)"), kSum, Align::Center).resets());
    nomFooter.add(expr(170, 20, QStringLiteral("SUM(summa)"), kSum, Align::Center).masked("#0.00").resets());
    nom.footer = nomFooter;
    l.groups.append(nom);

    l.detail = Band(QStringLiteral("detail"), kDetailHeight);
    l.detail.add(field(1, 52, QStringLiteral("marka"), kDetail));
    l.detail.add(field(53, 28, QStringLiteral("vid"), kDetail));
    l.detail.add(field(81, 18, QStringLiteral("color"), kDetail, Align::Center));
    l.detail.add(expr(99, 26, kKindText, kDetail));
    l.detail.add(field(125, 9, QStringLiteral("brk"), kDetail, Align::Center));
    l.detail.add(field(134, 18, QStringLiteral("mass"), kDetail, Align::Center));
    l.detail.add(field(152, 18, QStringLiteral("kolvo"), kDetail, Align::Center));
    l.detail.add(field(170, 20, QStringLiteral("summa"), kDetail, Align::Center).masked("#0.000"));
    return l;
}

TForm21::TForm21(QWidget *parent)
    : SummaryReport(QStringLiteral("Form21"), BuildLayout(), parent),
      i_Report(DataModule6->ADO_DB, QStringLiteral("i_Report"), iReportSql(), this)
{
    Form21 = this;
}
