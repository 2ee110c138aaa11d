#include "reports/Unit16.h"
#include "data/Unit6.h"
#include "reports/SummaryFrame.h"

using namespace Report;
using namespace SummaryFrame;

TForm16 *Form16 = nullptr;

QString TForm16::tReportSql()
{
    return QStringLiteral(
        "select person.s_caption as fio, sum(smena.kol_vo-smena.brak)::numeric as kolvo,"
        " sum((smena.kol_vo-smena.brak)*smena.cena::numeric) as summa, vid_oper.vid, izdel.nom,"
        " oper.naimen, smena.color"
        " from accounts_dep.smena smena"
        " join accounts_dep.izdel izdel on izdel.id=smena.i_id"
        " join accounts_dep.oper oper on oper.id=smena.o_id"
        " join accounts_dep.vid_oper vid_oper on vid_oper.id=oper.vid"
        " join cmn_contractor.person person on smena.w_id=person.s_code::integer"
        " where smena.data<:data2 and smena.data>=:data1"
        " group by person.s_caption, izdel.nom, oper.naimen, vid_oper.vid, smena.color"
        " order by person.s_caption, izdel.nom, oper.naimen, vid_oper.vid, smena.color");
}

Layout TForm16::BuildLayout()
{
    Layout l = Make(QStringLiteral("Отчет по рабочим"), {},
                    {label(115, 14, QStringLiteral("Итого:"), kTotal),
                     expr(129, 30, QStringLiteral("SUM(summa)"), kTotal, Align::Center).masked("#0.00"),
                     expr(159, 31, QStringLiteral("SUM(summa*1.2)"), kTotal, Align::Center).masked("#0.00")},
                    112);

    Report::Group fio = GroupOn(QStringLiteral("fio"), true, 160);
    fio.header.add(label(163, 27, QStringLiteral("Сумма с Р/К"), kLabel));
    Band fioFooter(QStringLiteral("fioFooter"), kSumHeight);
    fioFooter.ruleBelow = true;
    fioFooter.add(expr(138, 25, QStringLiteral("SUM(summa)"), kSum, Align::Center).masked("#0.00").resets());
    fioFooter.add(expr(163, 27, QStringLiteral("SUM(summa)*1.2"), kSum, Align::Center).masked("#0.00").resets());
    fio.footer = fioFooter;
    l.groups.append(fio);

    Report::Group nom = GroupOn(QStringLiteral("nom"), false);
    Band nomFooter(QStringLiteral("nomFooter"), kSumHeight);
    nomFooter.add(expr(117, 21, QStringLiteral("SUM(kolvo)"), kSum, Align::Center).resets());
    nomFooter.add(expr(138, 25, QStringLiteral("SUM(summa)"), kSum, Align::Center).masked("#0.000").resets());
    nomFooter.add(expr(163, 27, QStringLiteral("SUM(summa)*1.2"), kSum, Align::Center).masked("#0.000").resets());
    nom.footer = nomFooter;
    l.groups.append(nom);

    l.detail = Band(QStringLiteral("detail"), kDetailHeight);
    l.detail.add(expr(0, 44, kKindText, kDetail));
    l.detail.add(field(44, 41, QStringLiteral("vid"), kDetail, Align::Center));
    l.detail.add(expr(85, 32, kColourText, kDetail, Align::Center));
    l.detail.add(field(117, 21, QStringLiteral("kolvo"), kDetail, Align::Center));
    l.detail.add(field(138, 25, QStringLiteral("summa"), kDetail, Align::Center).masked("#0.000"));
    return l;
}

TForm16::TForm16(QWidget *parent)
    : SummaryReport(QStringLiteral("Form16"), BuildLayout(), parent),
      t_Report(DataModule6->ADO_DB, QStringLiteral("t_Report"), tReportSql(), this)
{
    Form16 = this;
}
