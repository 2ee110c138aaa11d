#pragma once
#include "reports/engine/Expression.h"

#include <QColor>
#include <QList>
#include <QPageLayout>
#include <QString>
#include <optional>

// A banded report layout, built in code. Positions and sizes are millimetres
// from the left margin and from the top of the band.
namespace Report {

enum class Align { Left, Center, Right };

struct Font {
    double pt = 9;
    bool bold = false;
};

struct Item {
    enum Kind { Label, Field, Expr, PageNumber };
    Kind kind = Label;
    QString name;   // component name of a label whose text callers set ("QRLabel1")
    QString text;   // label text, field name or expression
    double x = 0, width = 0;
    double y = 0, height = 0; // height 0: the band's height less y
    Align align = Align::Left;
    Font font;
    QString mask;       // "#0", "#0.00", "#0.000" or "" for the general form
    bool reset = false; // SUMs start again after the item is printed
    bool ruleLeft = false, ruleRight = false;

    Expression expr; // parsed by Layout::compile()

    Item &named(const QString &n) { name = n; return *this; }
    Item &masked(const QString &m) { mask = m; return *this; }
    Item &resets() { reset = true; return *this; }
    Item &at(Align a) { align = a; return *this; }
    Item &ruled() { ruleLeft = ruleRight = true; return *this; }
    Item &top(double yy, double h) { y = yy; height = h; return *this; }
};

Item label(double x, double width, const QString &text, Font font = {}, Align align = Align::Left);
Item field(double x, double width, const QString &field, Font font = {}, Align align = Align::Left);
Item expr(double x, double width, const QString &expression, Font font = {}, Align align = Align::Left);
Item pageNumber(double x, double width, Font font = {}, Align align = Align::Left);

struct Band {
    QString name;
    double height = 5;
    QColor shade;            // fill; invalid: none
    bool frame = false;      // a box around the shaded area
    double boxX = 0, boxWidth = 0; // shaded/framed area; width 0: the whole band
    bool ruleAbove = false, ruleBelow = false;
    QList<Item> items;

    Band() = default;
    Band(const QString &n, double h) : name(n), height(h) {}
    Band &add(const Item &i) { items.append(i); return *this; }
};

// A group: its header prints before the first row and whenever the break
// expression's value changes, its footer when the group ends. Without a
// break expression the header prints once at the start (or at the top of
// every page) and the footer once at the end. Child bands print right after
// their parent.
struct Group {
    QString breakExpr;
    Band header;
    QList<Band> headerChildren;
    std::optional<Band> footer;
    bool everyPage = false; // only for a group without break expression

    Expression brk;
    bool hasBreak() const { return !breakExpr.isEmpty(); }
};

struct Layout {
    QString name;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    double margin = 10; // all four sides, A4
    std::optional<Band> title;
    QList<Group> groups; // outer first
    Band detail;
    std::optional<Band> pageFooter;

    // Parses every expression (once per layout); throws ReportError naming
    // the faulty expression.
    void compile();
    // Width and height inside the margins.
    double contentWidth() const;
    double contentHeight() const;
    // The label with this component name, or nullptr.
    Item *item(const QString &name);
    void setText(const QString &name, const QString &text);
    QString text(const QString &name);

    template <typename F>
    void forEachBand(F f)
    {
        if (title)
            f(*title);
        for (Group &g : groups) {
            f(g.header);
            for (Band &c : g.headerChildren)
                f(c);
            if (g.footer)
                f(*g.footer);
        }
        f(detail);
        if (pageFooter)
            f(*pageFooter);
    }
};

} // namespace Report
