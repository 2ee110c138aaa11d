#include "reports/Unit15.h"
#include "data/Unit6.h"

#include <QStringList>

TForm15 *Form15 = nullptr;

QString TForm15::hTabelSql()
{
    QStringList sums;
    for (int d = 1; d <= 31; ++d)
        sums << QStringLiteral("sum(h_tabel.d%1) as sd%1").arg(d);
    return QStringLiteral("select person.s_caption as fio, ") + sums.join(QStringLiteral(", "))
        + QStringLiteral(" from accounts_dep.h_tabel h_tabel join cmn_contractor.person person"
                         " on h_tabel.w_id=person.s_code::t_integer"
                         " where h_tabel.month=:mnth::integer and h_tabel.year=:yea::integer"
                         " group by person.s_caption order by person.s_caption");
}

TForm15::TForm15(QWidget *parent)
    : Form(parent), H_Tabel(DataModule6->ADO_DB, QStringLiteral("H_Tabel"), hTabelSql(), this)
{
    Form15 = this;
    setObjectName(QStringLiteral("Form15"));
    setWindowTitle(QStringLiteral("Табель"));
}

void TForm15::Preview(int month, int year, const QString &periodText)
{
    // The layout and its preview arrive with the report engine.
    Q_UNUSED(month);
    Q_UNUSED(year);
    Q_UNUSED(periodText);
}
