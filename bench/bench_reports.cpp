// Times what a user waits for in the reports window and the operations
// list, through the program's own windows and layouts over ODBC:
//  - each of the four summaries for the month of --date: its query opened,
//    the pages laid out and every page painted into a PDF file;
//  - the spreadsheet by nomenclature group ("Excel", XLS_Rep) for the year
//    of --date;
//  - the operations list's spreadsheet of every operation;
//  - their floors (bench/OutputFloors.h): the detailed report by workers'
//    pages drawn by a bare drawText loop into QPdfWriter, set against the
//    engine's PDF with the query; each workbook's cells written through
//    libxlsxwriter alone, set against the export (with its query where it
//    runs one);
//  - the preview of the detailed report by workers: from the prepared
//    pages to its first page on the screen.
//
//   bench_reports --db NAME --server ADDR [--reps N] [--date YYYY-MM-DD]
//   bench_reports --write-floors DIR
//       writes the floor files (the program's query texts with pgbench
//       variables) into DIR
//
// Output follows bench/BenchCommon.h; rows, pages and per-1000-row figures
// go to stderr.

#include "BenchCommon.h"
#include "OutputFloors.h"
#include "data/DbError.h"
#include "data/MonthPeriod.h"
#include "data/Unit6.h"
#include "export/XlsExport.h"
#include "reference/Unit4.h"
#include "reports/Unit16.h"
#include "reports/Unit17.h"
#include "reports/Unit18.h"
#include "reports/Unit20.h"
#include "reports/Unit21.h"
#include "reports/engine/Engine.h"
#include "reports/engine/Preview.h"
#include "ui/Msg.h"

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

// The summaries' period parameters as the month's pgbench variables.
QString monthFloor(const QString &sql)
{
    return Bench::floorText(sql, {{QStringLiteral(":data1"), QStringLiteral("':first'")},
                                  {QStringLiteral(":data2"), QStringLiteral("':next'")}});
}

struct Summary {
    const char *name;  // the BENCH row
    const char *floor; // file under bench/floor/
    const char *title; // the title label's text before the period
    SummaryReport *report;
    Dataset *query;
};

int writeFloors(const QString &dir)
{
    auto write = [&](const char *file, const QString &text) {
        return Bench::writeFloor(dir, QString::fromLatin1(file), "bench_reports", text);
    };
    bool ok = write("summary_workers.sql", monthFloor(TForm16::tReportSql()));
    ok = ok && write("summary_products.sql", monthFloor(TForm17::tReportSql()));
    ok = ok && write("summary_workers_detailed.sql", monthFloor(TForm20::wReportSql()));
    ok = ok && write("summary_products_detailed.sql", monthFloor(TForm21::iReportSql()));
    ok = ok
        && write("export_nomenclature_year.sql",
                 Bench::floorText(TForm18::xlsRepSql(), {{QStringLiteral(":data1"), QStringLiteral("':year-01-01'")},
                                                         {QStringLiteral(":data2"),
                                                          QStringLiteral("':nextyear-01-01'")}}));
    ok = ok && write("export_operations.sql", Bench::floorText(TForm4::xlsRepSql(), {}));
    return ok ? 0 : 1;
}

// Removes the workbooks an export left, so that each run starts alike.
void clearFolder(const QString &path)
{
    QDir d(path);
    for (const QString &f : d.entryList(QDir::Files))
        d.remove(f);
}

int rowsOf(const QPushButton *excel)
{
    const auto m = QRegularExpression(QStringLiteral("из (\\d+)")).match(excel->text());
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

} // namespace

int main(int argc, char **argv)
{
    Bench::windowEnvironment();
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QStringList argl = app.arguments();
    if (const QString dir = Bench::floorsDir(argl); !dir.isEmpty())
        return writeFloors(dir);

    Bench::Args a;
    if (!Bench::parse(argl, a) || !a.rest.isEmpty()) {
        std::fprintf(stderr, "usage: bench_reports --db NAME --server ADDR [--reps N] [--date YYYY-MM-DD] | "
                             "--write-floors DIR\n");
        return 2;
    }
    try {
        TDataModule6 dm;
        dm.ADO_DB.close();
        dm.ADO_DB.setConnectionString(ConnectionString(a.db, a.server));
        dm.ADO_DB.open();
        QTemporaryDir dir;
        XlsExport::setFolder(dir.path());
        XlsExport::setOpener([](const QString &) { return true; });
        const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
        const int slow = Bench::slowReps(a.reps);

        const MonthPeriod month = MonthPeriod::of(a.date);
        const QString period = month.first().toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral(" по ")
            + month.next().toString(QStringLiteral("dd.MM.yyyy"));
        TForm16 f16;
        TForm17 f17;
        TForm20 f20;
        TForm21 f21;
        const Summary summaries[] = {
            {"summary by workers, month -> PDF", "summary_workers.sql", "   Отчет по рабочим за период с ", &f16,
             &f16.t_Report},
            {"summary by products, month -> PDF", "summary_products.sql", "   Отчет по продукции за период с ",
             &f17, &f17.t_Report},
            {"detailed by workers, month -> PDF", "summary_workers_detailed.sql",
             "   Детальный отчет по рабочим за период с ", &f20, &f20.w_Report},
            {"detailed by products, month -> PDF", "summary_products_detailed.sql",
             "   Детальный отчет по продукции за период с ", &f21, &f21.i_Report},
        };
        for (const Summary &s : summaries) {
            Dataset &q = *s.query;
            q.setParam(QStringLiteral("data1"), month.first());
            q.setParam(QStringLiteral("data2"), month.next());
            s.report->QuickRep1.setText(QStringLiteral("QRLabel1"), QString::fromUtf8(s.title) + period);
            int rows = 0, pages = 0;
            Report::Prepared prepared;
            const double ms = Bench::measure(
                QString::fromLatin1(s.name), QStringLiteral("floor/") + QLatin1String(s.floor), slow,
                [&] { q.close(); },
                [&] {
                    q.open();
                    prepared = s.report->Prepare(q);
                    Report::RenderToPdf(prepared, pdf);
                    rows = q.recordCount();
                    pages = int(prepared.pages.size());
                });
            q.close();
            std::fprintf(stderr, "%s: %d rows, %d pages\n", s.name, rows, pages);
            if (s.report != &f20)
                continue;
            // The same pages painted with nothing around the writer, and the
            // query alone.
            const double query = Bench::quietMedian(slow, [&] { q.close(); }, [&] { q.open(); });
            q.close();
            const QString bare = dir.filePath(QStringLiteral("floor.pdf"));
            const double paint = Bench::measureFloor(QStringLiteral("drawText->PDF, detailed workers"),
                                                     slow, [&] { Bench::paintFloor(prepared, bare); });
            Bench::printAgainst(QStringLiteral("detailed workers PDF / query+drawText"), ms,
                                query + paint);
            std::fprintf(stderr, "detailed by workers: query %.1f ms, drawText floor %.1f ms, engine PDF %.1f ms\n",
                         query, paint, ms);

            // The preview shown and its first page painted; it closes again
            // as soon as that page is there.
            int paintedAtOpen = 0;
            Modal::setHandler([&](QDialog *d) {
                auto *dlg = qobject_cast<Report::PreviewDialog *>(d);
                if (!dlg)
                    return int(QDialog::Rejected);
                dlg->show();
                QElapsedTimer wait;
                wait.start();
                while (dlg->paintedPages() == 0 && !wait.hasExpired(10000))
                    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
                if (dlg->paintedPages() == 0)
                    dlg->grab();
                paintedAtOpen = dlg->paintedPages();
                dlg->hide();
                return int(QDialog::Rejected);
            });
            Bench::measure(QStringLiteral("preview first page, detailed workers"), QString(), slow, {},
                           [&] { Report::ShowPreview(prepared, {QStringLiteral("Детальный отчет по рабочим"),
                                                                QStringLiteral("Детальный отчет"), false}); });
            Modal::setHandler({});
            std::fprintf(stderr, "preview of %d pages: %d painted when the first was shown\n", pages,
                         paintedAtOpen);
        }

        // The spreadsheet of the year through the window's own button.
        TForm18 f18;
        f18.DTPicker1->setDate(QDate(a.date.year(), 1, 1));
        f18.DTPicker2->setDate(QDate(a.date.year() + 1, 1, 1));
        const double xlsRep =
            Bench::measure(QStringLiteral("export XLS_Rep, year"), QStringLiteral("floor/export_nomenclature_year.sql"),
                           slow, [&] { clearFolder(dir.path()); }, [&] { f18.Button6->click(); });
        std::fprintf(stderr, "export XLS_Rep %d: %d rows\n", a.date.year(), rowsOf(f18.Button6));
        const QString floorBook = dir.filePath(QStringLiteral("floor.xlsx"));
        // The export's own query, then the cells it wrote through the library
        // alone.
        auto againstFloor = [&](const QString &name, double ms, int reps, Dataset &query,
                                const std::function<void()> &setParams, const std::function<void()> &exportOnce) {
            const double q = Bench::quietMedian(reps, [&] { query.close(); setParams(); }, [&] { query.open(); });
            query.close();
            clearFolder(dir.path());
            const XlsExport::Trace trace = Bench::traceOf(exportOnce);
            const double floor = Bench::measureFloor(QStringLiteral("libxlsxwriter ") + name, reps,
                                                     [&] { Bench::xlsxFloor(trace, floorBook); });
            Bench::printAgainst(QStringLiteral("export ") + name + QStringLiteral(" / query+xlsx"), ms, q + floor);
            std::fprintf(stderr, "%s: %zu cells, query %.1f ms, libxlsxwriter %.1f ms, export %.1f ms\n",
                         name.toUtf8().constData(), trace.cells.size(), q, floor, ms);
        };
        againstFloor(
            QStringLiteral("XLS_Rep, year"), xlsRep, slow, f18.XLS_Rep,
            [&] {
                f18.XLS_Rep.setParam(QStringLiteral("data1"), f18.DTPicker1->date());
                f18.XLS_Rep.setParam(QStringLiteral("data2"), f18.DTPicker2->date());
            },
            [&] { f18.Button6->click(); });

        TForm4 f4;
        const double operations =
            Bench::measure(QStringLiteral("export operations list"), QStringLiteral("floor/export_operations.sql"),
                           a.reps, [&] { clearFolder(dir.path()); }, [&] { f4.Button5Click(); });
        againstFloor(QStringLiteral("operations list"), operations, a.reps, f4.XLS_Rep, [] {},
                     [&] { f4.Button5Click(); });
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench_reports: %s\n", e.what());
        return 1;
    }
    return 0;
}
