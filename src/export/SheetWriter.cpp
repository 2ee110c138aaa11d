#include "export/SheetWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {

// How often a running export shows its progress and lets the user interface
// catch up: often enough to look live, rarely enough that a caption's repaint
// does not cost more than the rows written between two of them.
constexpr qint64 kProgressMs = 50;

} // namespace

QString ExcelProgressCaption(int k, int n)
{
    return QStringLiteral("Excel (%1 из %2)").arg(k).arg(n);
}

int WriteSheet(XlsExport &xls, const QList<SheetColumn> &columns, int n, const SheetLoop &loop)
{
    auto write = [&](int column, int row, const QString &text, const SheetColumn &c, bool bold) {
        if (loop.plain)
            xls.writeValue(loop.sheet, column, row, text);
        else
            xls.writeCell(loop.sheet, column, row, text, c.textFormat, c.fitColumn, bold);
    };
    for (int c = 0; c < columns.size(); ++c)
        if (!columns[c].title.isEmpty())
            write(loop.firstColumn + c, loop.headingRow, columns[c].title, columns[c], loop.boldHeading);
    if (loop.progress)
        loop.progress(0, n);
    QElapsedTimer shown;
    shown.start();
    for (int r = 0; r < n; ++r) {
        const int row = loop.headingRow + 1 + r;
        for (int c = 0; c < columns.size(); ++c)
            if (columns[c].value)
                write(loop.firstColumn + c, row, columns[c].value(r), columns[c], false);
        // The first record, every kProgressMs and the last one.
        if (r == 0 || r + 1 == n || shown.hasExpired(kProgressMs)) {
            if (loop.progress)
                loop.progress(r + 1, n);
            QCoreApplication::processEvents();
            shown.restart();
        }
    }
    return n;
}
