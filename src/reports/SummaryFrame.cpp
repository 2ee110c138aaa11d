#include "reports/SummaryFrame.h"

using namespace Report;

namespace SummaryFrame {

Layout Make(const QString &name, const QList<Item> &headings, const QList<Item> &totals, double totalBoxX)
{
    Layout l;
    l.name = name;
    l.orientation = QPageLayout::Portrait;
    l.title = Band(QStringLiteral("title"), 0);

    Report::Group heading;
    heading.header = Band(QStringLiteral("heading"), headings.isEmpty() ? 7 : 12);
    heading.header.shade = kHeadingShade;
    heading.header.add(label(0, 190, QString(), kLabel).named(QStringLiteral("QRLabel1")).top(0.5, 5.5));
    for (Item h : headings) {
        h.y = 6;
        h.height = 5.5;
        heading.header.add(h);
    }
    heading.headerChildren.append(Band(QStringLiteral("spacer"), 0.5));
    Band total(QStringLiteral("total"), 8);
    total.shade = kTotalShade;
    total.frame = true;
    total.boxX = totalBoxX;
    total.boxWidth = 190 - totalBoxX;
    total.items = totals;
    heading.footer = total;
    l.groups.append(heading);

    Band footer(QStringLiteral("pageFooter"), 6);
    footer.add(pageNumber(176, 14, kDetail));
    l.pageFooter = footer;
    return l;
}

Report::Group GroupOn(const QString &f, bool outer, double valueWidth)
{
    Report::Group g;
    g.breakExpr = f;
    g.header = Band(f, kGroupHeight);
    if (outer)
        g.header.shade = kGroupShade;
    g.header.add(field(0, valueWidth, f, kLabel));
    return g;
}

} // namespace SummaryFrame
