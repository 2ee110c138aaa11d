// The least a printed report or a workbook can take on this machine, measured
// on the very output the program made:
//  - a report: its prepared pages painted by a bare loop of
//    QPainter::drawText calls into QPdfWriter (each text at its place, no
//    measuring, aligning or rules), no engine around it;
//  - a workbook: the cells an export wrote (XlsExport::Trace), with their
//    number/text kind, formats and the column widths, written again through
//    libxlsxwriter alone, no dataset or window around it.
// A BENCH line whose floor was measured in the program itself carries it as
// "=<ms>" in the floor field (bench/run.sh prints it as it is).
#pragma once
#include "BenchCommon.h"
#include "export/XlsExport.h"
#include "reports/engine/Engine.h"

#include <QFont>
#include <QHash>
#include <QPainter>
#include <QPdfWriter>

#include <xlsxwriter.h>

namespace Bench {

// Paints the prepared pages' texts into a PDF file by a bare drawText loop.
inline void paintFloor(const Report::Prepared &report, const QString &path)
{
    QPdfWriter pdf(path);
    pdf.setResolution(1200); // as the engine's high-resolution printer
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageOrientation(report.orientation);
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&pdf);
    const double dpmm = pdf.resolution() / 25.4;
    const double off = report.margin;
    QHash<quint32, QFont> fonts;
    quint32 current = ~0u;
    for (int i = 0; i < report.pages.size(); ++i) {
        if (i > 0)
            pdf.newPage();
        for (const Report::Mark &m : report.pages[i].marks) {
            if (m.kind != Report::Mark::Text)
                continue;
            const quint32 key = quint32(m.font.pt * 10) * 2 + (m.font.bold ? 1 : 0);
            if (key != current) {
                auto it = fonts.find(key);
                if (it == fonts.end()) {
                    QFont f;
                    f.setFamilies(Report::FontFamilies());
                    f.setPointSizeF(m.font.pt);
                    f.setBold(m.font.bold);
                    it = fonts.insert(key, f);
                }
                painter.setFont(*it);
                current = key;
            }
            painter.drawText(QPointF((m.rect.x() + off) * dpmm, (m.rect.bottom() + off) * dpmm), m.text);
        }
    }
    painter.end();
}

// Writes the traced cells and widths into a new workbook at path.
inline bool xlsxFloor(const XlsExport::Trace &trace, const QString &path)
{
    lxw_workbook *wb = workbook_new(QFile::encodeName(path).constData());
    if (!wb)
        return false;
    std::vector<lxw_worksheet *> sheets;
    lxw_format *formats[2][2] = {{nullptr, nullptr}, {nullptr, nullptr}};
    auto sheet = [&](int n) {
        while (int(sheets.size()) < n)
            sheets.push_back(workbook_add_worksheet(
                wb, QStringLiteral("Лист%1").arg(sheets.size() + 1).toUtf8().constData()));
        return sheets[n - 1];
    };
    auto format = [&](bool text, bool bold) -> lxw_format * {
        if (!text && !bold)
            return nullptr;
        lxw_format *&f = formats[text][bold];
        if (!f) {
            f = workbook_add_format(wb);
            if (text)
                format_set_num_format(f, "@");
            if (bold)
                format_set_bold(f);
        }
        return f;
    };
    for (const XlsExport::Trace::Cell &c : trace.cells) {
        lxw_worksheet *ws = sheet(c.sheet);
        lxw_format *f = format(c.textFormat, c.bold);
        if (c.number)
            worksheet_write_number(ws, lxw_row_t(c.row - 1), lxw_col_t(c.column - 1), c.value, f);
        else
            worksheet_write_string(ws, lxw_row_t(c.row - 1), lxw_col_t(c.column - 1), c.utf8.constData(), f);
    }
    for (const XlsExport::Trace::Width &w : trace.widths)
        worksheet_set_column(sheet(w.sheet), lxw_col_t(w.column - 1), lxw_col_t(w.column - 1), w.width, nullptr);
    return workbook_close(wb) == LXW_NO_ERROR;
}

// Runs `exportOnce` with the trace on and returns what it wrote.
inline XlsExport::Trace traceOf(const std::function<void()> &exportOnce)
{
    XlsExport::Trace t;
    XlsExport::setTrace(&t);
    exportOnce();
    XlsExport::setTrace(nullptr);
    return t;
}

// The median ms of `op` over reps runs after one warm-up, printing nothing
// (a query timed apart from the work around it).
inline double quietMedian(int reps, const std::function<void()> &prepare, const std::function<void()> &op)
{
    std::vector<double> ms;
    for (int r = 0; r < reps + 1; ++r) {
        if (prepare)
            prepare();
        const double t = timeIt(op);
        if (r >= 1)
            ms.push_back(t);
    }
    return median(ms);
}

// Prints the floor's own line ("floor: <what>") and returns its median ms.
inline double measureFloor(const QString &what, int reps, const std::function<void()> &floor)
{
    return measure(QStringLiteral("floor: ") + what, QString(), reps, {}, floor);
}

// The program's line against an in-process floor.
inline void printAgainst(const QString &name, double ms, double floorMs)
{
    std::printf("BENCH\t%s\t%.3f\t=%.3f\n", name.toUtf8().constData(), ms, floorMs);
    std::fflush(stdout);
}

} // namespace Bench
