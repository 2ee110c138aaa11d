#include "reports/Unit20.h"
#include "data/Unit6.h"
#include "reports/SummaryFrame.h"

using namespace Report;
using namespace SummaryFrame;

TForm20 *Form20 = nullptr;

QString TForm20::wReportSql()
{
    return QStringLiteral(
        "select person.s_caption as fio, izdel.marka, vid_oper.vid, oper.naimen,"
        " sum(smena.kol_vo)::numeric as kolvo, sum(smena.brak) as brk,"
        " sum((smena.kol_vo-smena.brak)*smena.cena::numeric) as summa, smena.color,"
        " sum(smena.prize::numeric*(smena.kol_vo-smena.brak)*smena.cena::numeric/100) as s_prize"
        " from accounts_dep.smena smena"
        " join accounts_dep.izdel izdel on izdel.id=smena.i_id"
        " join accounts_dep.oper oper on oper.id=smena.o_id"
        " join accounts_dep.vid_oper vid_oper on vid_oper.id=oper.vid"
        " join cmn_contractor.person person on smena.w_id=person.s_code::integer"
        " where smena.data<:data2 and smena.data>=:data1"
        " group by person.s_caption, izdel.marka, vid_oper.vid, oper.naimen, smena.color"
        " order by person.s_caption, izdel.marka, vid_oper.vid, oper.naimen, smena.color");
}

Layout TForm20::BuildLayout()
{
    const Font detail{8, false};
    Layout l = Make(QStringLiteral("Детальный отчет по рабочим"),
                    {label(124, 9, QStringLiteral("Брак"), kLabel), label(133, 24, QStringLiteral("Количество"), kLabel),
                     label(157, 33, QStringLiteral("Сумма"), kLabel)},
                    {label(106, 26, QStringLiteral("Итого:"), kTotal),
                     expr(132, 13, QStringLiteral("SUM(brk)"), kTotal, Align::Center),
                     expr(145, 21, QStringLiteral("SUM(kolvo)"), kTotal, Align::Center),
                     expr(166, 24, QStringLiteral("SUM(summa)"), kTotal, Align::Center).masked("#0.00")},
                    103);

    Report::Group fio = GroupOn(QStringLiteral("fio"), true);
    Band fioFooter(QStringLiteral("fioFooter"), kSumHeight);
    fioFooter.add(expr(128, 18, QStringLiteral("SUM(brk)"), kSum, Align::Center).resets());
    fioFooter.add(expr(146, 24, QStringLiteral("SUM(kolvo)"), kSum, Align::Center).resets());
    fioFooter.add(expr(170, 20, QStringLiteral("SUM(summa)"), kSum, Align::Center).masked("#0.00").resets());
    fio.footer = fioFooter;
    l.groups.append(fio);

    l.detail = Band(QStringLiteral("detail"), 4);
    l.detail.add(field(0, 43, QStringLiteral("marka"), detail));
    l.detail.add(field(43, 31, QStringLiteral("vid"), detail, Align::Center));
    l.detail.add(field(74, 17, QStringLiteral("color"), detail, Align::Center));
    l.detail.add(expr(91, 37, kKindText, detail));
    l.detail.add(field(128, 18, QStringLiteral("brk"), detail, Align::Center));
    l.detail.add(field(146, 24, QStringLiteral("kolvo"), detail, Align::Center));
    l.detail.add(field(170, 20, QStringLiteral("summa"), detail, Align::Center).masked("#0.00"));
    return l;
}

TForm20::TForm20(QWidget *parent)
    : SummaryReport(QStringLiteral("Form20"), BuildLayout(), parent),
      w_Report(DataModule6->ADO_DB, QStringLiteral("w_Report"), wReportSql(), this)
{
    Form20 = this;
}
