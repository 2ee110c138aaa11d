#pragma once
#include "reports/engine/Layout.h"

#include <QColor>
#include <QRectF>
#include <QVector>

#include <memory>

class Dataset;
class QPainter;
class QPaintDevice;
class QPrinter;

namespace Report {

// One mark on a prepared page, in millimetres from the top left corner
// inside the margins.
struct Mark {
    enum Kind { Text, Fill, Frame, Line };
    Kind kind = Text;
    QRectF rect; // Line: from the top left to the bottom right corner
    QString text;
    Font font;
    Align align = Align::Left;
    QColor color;
    bool elide = false; // a left-aligned value cut with "…" at its column's end
};

struct Page {
    QVector<Mark> marks;
};

// A report laid out on pages, ready to be painted any number of times
// (preview, printer, PDF).
struct Prepared {
    QString name;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    double margin = 10;
    QVector<Page> pages;

    // Texts of one page, top to bottom (tests and diagnostics).
    QStringList texts(int page) const;
};

// Walks the dataset's visible rows in order and lays the bands out on A4
// pages. The layout must be compiled; its expressions are bound to the
// dataset's fields here, once. A dataset without rows still gives a page.
Prepared Prepare(Layout &layout, const Dataset &data);

// Paints the pages of a prepared report one at a time onto a painter open on
// `device` (a printer, or an image as big as the page), at the device's
// resolution, the page's top left corner at the device's origin. Faces,
// their metrics and the widths of texts met are kept from page to page.
class PagePainter {
public:
    PagePainter(const Prepared &report, QPaintDevice *device);
    ~PagePainter();
    PagePainter(const PagePainter &) = delete;
    PagePainter &operator=(const PagePainter &) = delete;

    void paint(QPainter &painter, int page);

private:
    struct State;
    std::unique_ptr<State> d;
};

// Paints a prepared report onto the printer: A4 in the report's orientation,
// one printer page per report page.
void Render(const Prepared &report, QPrinter *printer);

// Paints the report into a PDF file. Throws ReportError when the file cannot
// be written.
void RenderToPdf(const Prepared &report, const QString &path);

// An item's text for a value: with a mask "#0", "#0.00", "#0.000" the number
// rounded to that many decimals, otherwise the general form; the user's
// decimal separator either way.
QString FormatValue(const Value &v, const QString &mask);
QString FormatValue(const Value &v, const QString &mask, QChar point);

// The family list every report text is set in.
QStringList FontFamilies();

} // namespace Report
