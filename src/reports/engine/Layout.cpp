#include "reports/engine/Layout.h"
#include "reports/engine/ReportError.h"

namespace Report {

namespace {
Item make(Item::Kind kind, double x, double width, const QString &text, Font font, Align align)
{
    Item i;
    i.kind = kind;
    i.x = x;
    i.width = width;
    i.text = text;
    i.font = font;
    i.align = align;
    return i;
}
} // namespace

Item label(double x, double width, const QString &text, Font font, Align align)
{
    return make(Item::Label, x, width, text, font, align);
}

Item field(double x, double width, const QString &f, Font font, Align align)
{
    return make(Item::Field, x, width, f, font, align);
}

Item expr(double x, double width, const QString &expression, Font font, Align align)
{
    return make(Item::Expr, x, width, expression, font, align);
}

Item pageNumber(double x, double width, Font font, Align align)
{
    return make(Item::PageNumber, x, width, QStringLiteral("PAGENUMBER"), font, align);
}

void Layout::compile()
{
    forEachBand([](Band &b) {
        for (Item &i : b.items) {
            if (!i.mask.isEmpty() && i.mask != u"#0" && i.mask != u"#0.00" && i.mask != u"#0.000")
                throw ReportError(QStringLiteral("Неизвестная маска числа «%1»").arg(i.mask));
            switch (i.kind) {
            case Item::Label:
                break;
            case Item::Field:
                if (i.text.trimmed().isEmpty())
                    throw ReportError(QStringLiteral("Поле отчета без имени в полосе «%1»").arg(b.name));
                i.expr = Expression::parse(i.text);
                break;
            case Item::Expr:
            case Item::PageNumber:
                i.expr = Expression::parse(i.text);
                break;
            }
        }
    });
    for (Group &g : groups)
        if (g.hasBreak())
            g.brk = Expression::parse(g.breakExpr);
}

double Layout::contentWidth() const
{
    return (orientation == QPageLayout::Portrait ? 210.0 : 297.0) - 2 * margin;
}

double Layout::contentHeight() const
{
    return (orientation == QPageLayout::Portrait ? 297.0 : 210.0) - 2 * margin;
}

Item *Layout::item(const QString &name)
{
    Item *found = nullptr;
    forEachBand([&](Band &b) {
        for (Item &i : b.items)
            if (!found && i.name == name)
                found = &i;
    });
    return found;
}

void Layout::setText(const QString &name, const QString &text)
{
    Item *i = item(name);
    if (!i)
        throw ReportError(QStringLiteral("В отчете нет надписи «%1»").arg(name));
    i->text = text;
}

QString Layout::text(const QString &name)
{
    Item *i = item(name);
    return i ? i->text : QString();
}

} // namespace Report
