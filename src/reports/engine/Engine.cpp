#include "reports/engine/Engine.h"
#include "reports/engine/ReportError.h"
#include "data/Dataset.h"
#include "ui/Text.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QPrinter>

namespace Report {

namespace {

const QColor kInk(Qt::black);
constexpr double kRuleMm = 0.2;

// Field values of a dataset row as expressions read them.
class RowReader {
public:
    RowReader(const Dataset &ds, const QList<int> &used) : m_ds(ds), m_used(used)
    {
        for (int c : used)
            m_numeric.insert(c, ds.isNumericField(c));
        m_row.resize(ds.fieldNames().size());
    }
    const Value *read(int row)
    {
        for (int c : m_used)
            m_row[c] = convert(m_ds.valueAt(row, c), m_numeric.value(c));
        return m_row.data();
    }
    QVector<Value> m_row;

private:
    static Value convert(const QVariant &v, bool numeric)
    {
        if (v.isNull() || !v.isValid())
            return {};
        if (numeric) {
            switch (v.typeId()) {
            case QMetaType::Int: case QMetaType::LongLong: case QMetaType::Short:
            case QMetaType::UInt: case QMetaType::ULongLong: case QMetaType::UShort:
                return Value::number(Decimal::fromInt(v.toLongLong()));
            case QMetaType::Double: case QMetaType::Float:
                return Value::number(Decimal::fromDouble(v.toDouble()));
            default:
                if (const auto d = Decimal::fromText(v.toString()))
                    return Value::number(*d);
                break;
            }
        }
        return Value::fromText(Dataset::textOf(v));
    }
    const Dataset &m_ds;
    QList<int> m_used;
    QHash<int, bool> m_numeric;
};

QString format(const Item &item, const Value &v, QChar point)
{
    return FormatValue(v, item.mask, point);
}

} // namespace

QString FormatValue(const Value &v, const QString &mask)
{
    return FormatValue(v, mask, Text::DecimalPoint());
}

QString FormatValue(const Value &v, const QString &mask, QChar point)
{
    if (!mask.isEmpty()) {
        if (v.isNull() || (v.type == Value::Text && !Decimal::fromText(v.text)))
            return v.type == Value::Text ? v.text : QString();
        const int decimals = mask == u"#0.000" ? 3 : (mask == u"#0.00" ? 2 : 0);
        return v.asNumber().fixed(decimals, point);
    }
    switch (v.type) {
    case Value::Number:
        return v.num.general(point);
    case Value::Text:
        return v.text;
    case Value::Bool:
        return v.truth ? QStringLiteral("1") : QStringLiteral("0");
    case Value::Null:
        break;
    }
    return {};
}

namespace {

class Paginator {
public:
    Paginator(Layout &l, Prepared &out) : m_l(l), m_out(out), m_point(Text::DecimalPoint())
    {
        m_limit = l.contentHeight() - (l.pageFooter ? l.pageFooter->height : 0);
    }

    void newPage(const Value *row)
    {
        finishPage(row);
        m_out.pages.append(Page());
        m_y = 0;
        for (Group &g : m_l.groups)
            if (!g.hasBreak() && g.everyPage) {
                put(g.header, row);
                for (Band &c : g.headerChildren)
                    put(c, row);
            }
        m_pageTop = m_y;
    }
    void finishPage(const Value *row)
    {
        if (m_out.pages.isEmpty() || !m_l.pageFooter)
            return;
        m_y = m_l.contentHeight() - m_l.pageFooter->height;
        put(*m_l.pageFooter, row);
    }
    bool fits(double h) const { return m_y + h <= m_limit + 1e-6; }
    // Starts a new page first unless `h` millimetres fit on this one (or the
    // page holds nothing of its own yet).
    void keep(double h, const Value *row)
    {
        if (!fits(h) && m_y > m_pageTop + 1e-6)
            newPage(row);
    }
    void place(Band &b, const Value *row)
    {
        keep(b.height, row);
        put(b, row);
    }

private:
    void put(Band &b, const Value *row)
    {
        Page &page = m_out.pages.last();
        const double width = m_l.contentWidth();
        const QRectF box(b.boxWidth > 0 ? b.boxX : 0, m_y, b.boxWidth > 0 ? b.boxWidth : width, b.height);
        if (b.shade.isValid())
            page.marks.append(Mark{Mark::Fill, box, {}, {}, Align::Left, b.shade});
        if (b.frame)
            page.marks.append(Mark{Mark::Frame, box, {}, {}, Align::Left, kInk});
        if (b.ruleAbove)
            page.marks.append(Mark{Mark::Line, QRectF(QPointF(0, m_y), QPointF(width, m_y)), {}, {}, Align::Left, kInk});
        if (b.ruleBelow)
            page.marks.append(Mark{Mark::Line, QRectF(QPointF(0, m_y + b.height), QPointF(width, m_y + b.height)), {},
                                   {}, Align::Left, kInk});
        const Context ctx{row, int(m_out.pages.size())};
        for (Item &i : b.items) {
            const double h = i.height > 0 ? i.height : b.height - i.y;
            const QRectF r(i.x, m_y + i.y, i.width, h);
            const QString text = i.kind == Item::Label ? i.text : format(i, i.expr.evaluate(ctx), m_point);
            if (!text.isEmpty())
                page.marks.append(Mark{Mark::Text, r, text, i.font, i.align, kInk,
                                       i.kind != Item::Label && i.align == Align::Left});
            if (i.ruleLeft)
                page.marks.append(Mark{Mark::Line, QRectF(r.topLeft(), r.bottomLeft()), {}, {}, Align::Left, kInk});
            if (i.ruleRight)
                page.marks.append(Mark{Mark::Line, QRectF(r.topRight(), r.bottomRight()), {}, {}, Align::Left, kInk});
            if (i.reset)
                i.expr.reset();
        }
        m_y += b.height;
    }

    Layout &m_l;
    Prepared &m_out;
    QChar m_point;
    double m_y = 0;
    double m_pageTop = 0;
    double m_limit = 0;
};

double chainHeight(const Group &g)
{
    double h = g.header.height;
    for (const Band &c : g.headerChildren)
        h += c.height;
    return h;
}

} // namespace

QStringList Prepared::texts(int page) const
{
    QStringList out;
    if (page < 0 || page >= pages.size())
        return out;
    for (const Mark &m : pages[page].marks)
        if (m.kind == Mark::Text)
            out << m.text;
    return out;
}

Prepared Prepare(Layout &layout, const Dataset &data)
{
    Prepared out;
    out.name = layout.name;
    out.orientation = layout.orientation;
    out.margin = layout.margin;

    // Bind every expression to the query's fields once, and start every sum
    // from 0.
    const QStringList columns = data.fieldNames();
    QList<int> used;
    auto bind = [&](Expression &e) {
        if (!e.isValid())
            return;
        e.bind(columns);
        e.reset();
        for (const QString &f : e.fields()) {
            const int c = data.fieldIndex(f);
            if (c >= 0 && !used.contains(c))
                used << c;
        }
    };
    QList<Expression *> sums;
    layout.forEachBand([&](Band &b) {
        for (Item &i : b.items) {
            bind(i.expr);
            if (i.expr.hasSum())
                sums << &i.expr;
        }
    });
    QList<int> breaking;
    for (int g = 0; g < layout.groups.size(); ++g)
        if (layout.groups[g].hasBreak()) {
            bind(layout.groups[g].brk);
            breaking << g;
        }

    RowReader reader(data, used);
    QVector<Value> prev;
    QVector<Value> prevBreaks(layout.groups.size());
    QVector<Value> breaks(layout.groups.size());
    Paginator p(layout, out);
    p.newPage(nullptr);
    if (layout.title)
        p.place(*layout.title, nullptr);
    const int rows = data.isOpen() ? data.recordCount() : 0;
    const Value *first = rows > 0 ? reader.read(0) : nullptr;
    for (Group &g : layout.groups)
        if (!g.hasBreak() && !g.everyPage) {
            p.place(g.header, first);
            for (Band &c : g.headerChildren)
                p.place(c, first);
        }

    for (int r = 0; r < rows; ++r) {
        const Value *row = reader.read(r);
        const Context ctx{row, int(out.pages.size())};
        int changed = -1;
        for (int g : breaking) {
            breaks[g] = layout.groups[g].brk.evaluate(ctx);
            if (changed < 0 && (r == 0 || !(breaks[g] == prevBreaks[g])))
                changed = g;
        }
        if (changed >= 0) {
            if (r > 0)
                for (int k = int(breaking.size()) - 1; k >= 0 && breaking[k] >= changed; --k)
                    if (layout.groups[breaking[k]].footer)
                        p.place(*layout.groups[breaking[k]].footer, prev.data());
            // The opening group headers and the first row stay together.
            double need = layout.detail.height;
            for (int g : breaking)
                if (g >= changed)
                    need += chainHeight(layout.groups[g]);
            p.keep(need, row);
            for (int g : breaking)
                if (g >= changed) {
                    p.place(layout.groups[g].header, row);
                    for (Band &c : layout.groups[g].headerChildren)
                        p.place(c, row);
                }
        }
        for (Expression *e : sums)
            e->accumulate(ctx);
        p.place(layout.detail, row);
        prev = reader.m_row;
        prevBreaks = breaks;
    }
    const Value *last = rows > 0 ? prev.data() : nullptr;
    if (rows > 0)
        for (int k = int(breaking.size()) - 1; k >= 0; --k)
            if (layout.groups[breaking[k]].footer)
                p.place(*layout.groups[breaking[k]].footer, last);
    for (int g = int(layout.groups.size()) - 1; g >= 0; --g)
        if (!layout.groups[g].hasBreak() && layout.groups[g].footer)
            p.place(*layout.groups[g].footer, last);
    p.finishPage(last);
    return out;
}

QStringList FontFamilies()
{
    // A narrow face keeps the columns' texts inside their places.
    return {QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")};
}

struct PagePainter::State {
    const Prepared &report;
    QPaintDevice *device;
    double dpmm;
    QPen rule;
    QHash<quint32, QFont> fonts;
    QHash<quint32, QFontMetricsF> metrics;
    // Widths of the texts met so far, per face: report pages repeat most of
    // their texts (names, kinds, small numbers).
    QHash<quint32, QHash<QString, double>> widths;

    static quint32 keyOf(const Font &f) { return quint32(f.pt * 10) * 2 + (f.bold ? 1 : 0); }
    const QFont &fontFor(quint32 key, const Font &f)
    {
        auto it = fonts.find(key);
        if (it == fonts.end()) {
            QFont font;
            font.setFamilies(FontFamilies());
            font.setPointSizeF(f.pt);
            font.setBold(f.bold);
            it = fonts.insert(key, font);
        }
        return *it;
    }
    const QFontMetricsF &metricsFor(quint32 key, const QFont &font)
    {
        auto it = metrics.find(key);
        if (it == metrics.end())
            it = metrics.insert(key, QFontMetricsF(font, device));
        return *it;
    }
    double widthOf(quint32 key, const QFontMetricsF &fm, const QString &text)
    {
        QHash<QString, double> &w = widths[key];
        auto it = w.constFind(text);
        if (it != w.constEnd())
            return *it;
        const double v = fm.horizontalAdvance(text);
        w.insert(text, v);
        return v;
    }
};

PagePainter::PagePainter(const Prepared &report, QPaintDevice *device)
    : d(new State{report, device, device->logicalDpiX() / 25.4, QPen(kInk), {}, {}, {}})
{
    d->rule.setWidthF(kRuleMm * d->dpmm);
}

PagePainter::~PagePainter() = default;

void PagePainter::paint(QPainter &painter, int page)
{
    if (page < 0 || page >= d->report.pages.size())
        return;
    const double dpmm = d->dpmm;
    const double off = d->report.margin;
    auto px = [&](const QRectF &mm) {
        return QRectF((mm.x() + off) * dpmm, (mm.y() + off) * dpmm, mm.width() * dpmm, mm.height() * dpmm);
    };
    quint32 currentFont = ~0u;
    for (const Mark &m : d->report.pages[page].marks) {
        switch (m.kind) {
        case Mark::Fill:
            painter.fillRect(px(m.rect), m.color);
            break;
        case Mark::Frame:
            painter.setPen(d->rule);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(px(m.rect));
            break;
        case Mark::Line: {
            painter.setPen(d->rule);
            const QRectF r = px(m.rect);
            painter.drawLine(r.topLeft(), r.bottomRight());
            break;
        }
        case Mark::Text: {
            const quint32 key = State::keyOf(m.font);
            const QFont &font = d->fontFor(key, m.font);
            if (key != currentFont) {
                painter.setFont(font);
                currentFont = key;
            }
            painter.setPen(kInk);
            const QFontMetricsF &fm = d->metricsFor(key, font);
            const QRectF r = px(m.rect);
            QString text = m.text;
            double wide = d->widthOf(key, fm, text);
            double factor = 1;
            // A left-aligned text wider than its place is narrowed to fit
            // (down to three quarters of its width); a value longer than
            // that is cut with an ellipsis. Numbers are never touched.
            if (m.align == Align::Left && r.width() > 0) {
                const double room = r.width() - 0.4 * dpmm; // a hair of space before the next column
                if (wide > room) {
                    constexpr double kNarrowest = 0.75;
                    if (m.elide && wide * kNarrowest > room) {
                        text = fm.elidedText(text, Qt::ElideRight, room / kNarrowest);
                        wide = fm.horizontalAdvance(text);
                    }
                    factor = qMax(kNarrowest, room / wide);
                }
            }
            double x = r.left();
            if (m.align == Align::Center)
                x += (r.width() - wide) / 2;
            else if (m.align == Align::Right)
                x += r.width() - wide;
            const double baseline = r.top() + (r.height() - fm.height()) / 2 + fm.ascent();
            if (factor < 1) {
                painter.save();
                painter.translate(x, 0);
                painter.scale(factor, 1);
                painter.drawText(QPointF(0, baseline), text);
                painter.restore();
            } else {
                painter.drawText(QPointF(x, baseline), text);
            }
            break;
        }
        }
    }
}

void Render(const Prepared &report, QPrinter *printer)
{
    printer->setFullPage(true);
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setPageOrientation(report.orientation);
    QPainter painter;
    if (!painter.begin(printer))
        throw ReportError(QStringLiteral("Не удалось начать печать отчета"));
    PagePainter pages(report, printer);
    for (int i = 0; i < report.pages.size(); ++i) {
        if (i > 0)
            printer->newPage();
        pages.paint(painter, i);
    }
    painter.end();
}

void RenderToPdf(const Prepared &report, const QString &path)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setDocName(report.name);
    printer.setCreator(QStringLiteral("Tabel"));
    try {
        Render(report, &printer);
    } catch (const ReportError &) {
        throw ReportError(QStringLiteral("Не удалось сохранить файл «%1».").arg(QFileInfo(path).absoluteFilePath()));
    }
}

} // namespace Report
