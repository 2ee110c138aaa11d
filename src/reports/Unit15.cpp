#include "reports/Unit15.h"
#include "data/Unit6.h"
#include "reports/engine/Preview.h"
#include "ui/Text.h"

#include <QApplication>
#include <QStringList>

using namespace Report;

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

Layout TForm15::BuildLayout()
{
    const Font bold{9, true};
    const Font plain{8, false};
    // Day cells 5 mm wide, the first at 81 mm, the last ending at 259 mm.
    auto dayX = [](int d) { return 81.0 + (d - 1) * (259.0 - 5.0 - 81.0) / 30.0; };

    Layout l;
    l.name = QStringLiteral("Табель");
    l.orientation = QPageLayout::Landscape;

    Report::Group heading;
    heading.everyPage = true;
    heading.header = Band(QStringLiteral("heading"), 6);
    heading.header.ruleAbove = heading.header.ruleBelow = true;
    heading.header.add(label(0, 80, QStringLiteral("Данные за:"), {10, true}).named(QStringLiteral("QRLabel33")));
    for (int d = 1; d <= 31; ++d)
        heading.header.add(label(dayX(d), 5, QString::number(d), bold, Align::Center));
    heading.header.add(label(265, 12, QStringLiteral("Итого"), bold));
    l.groups.append(heading);

    l.detail = Band(QStringLiteral("detail"), 5);
    l.detail.ruleAbove = l.detail.ruleBelow = true;
    l.detail.add(field(0, 80, QStringLiteral("fio"), {9, false}));
    QStringList terms;
    for (int d = 1; d <= 31; ++d) {
        Item cell = field(dayX(d), 5, QStringLiteral("sd%1").arg(d), plain, Align::Center);
        if (d % 2 == 1)
            cell.ruled();
        l.detail.add(cell);
        terms << QStringLiteral("sd%1").arg(d);
    }
    // An empty day counts as 0; a row without hours totals 0.
    l.detail.add(expr(265, 12, QStringLiteral("0+") + terms.join(u'+'), bold, Align::Center));

    Band footer(QStringLiteral("pageFooter"), 6);
    footer.add(pageNumber(257, 20, {9, false}, Align::Right));
    l.pageFooter = footer;
    l.compile();
    return l;
}

TForm15::TForm15(QWidget *parent)
    : Form(parent), H_Tabel(DataModule6->ADO_DB, QStringLiteral("H_Tabel"), hTabelSql(), this),
      QuickRep1(BuildLayout())
{
    Form15 = this;
    setObjectName(QStringLiteral("Form15"));
    setWindowTitle(QStringLiteral("Табель"));
}

Prepared TForm15::Prepare(int month, int year, const QString &periodText)
{
    struct Closer {
        Dataset &d;
        ~Closer() { d.close(); }
    } closer{H_Tabel};
    H_Tabel.close();
    H_Tabel.setParam(QStringLiteral("mnth"), month);
    H_Tabel.setParam(QStringLiteral("yea"), year);
    H_Tabel.open();
    QuickRep1.setText(QStringLiteral("QRLabel33"), periodText + QStringLiteral(" г."));
    return Report::Prepare(QuickRep1, H_Tabel);
}

void TForm15::Preview(int month, int year, const QString &periodText)
{
    Prepared prepared;
    {
        WaitCursor wait;
        prepared = Prepare(month, year, periodText);
    }
    ShowPreview(prepared, {QStringLiteral("Табель"), QStringLiteral("Табель ") + periodText, true},
                QApplication::activeWindow());
}
