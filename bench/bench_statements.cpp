// Times the pay statements ("Расчетные листки") of the month of --date for
// the first 400 workers of the window's list (all of them when fewer), all
// into one PDF: the query opened, every statement laid out and every page
// painted, as "Сохранить в PDF" does.
//
//   bench_statements --db NAME --server ADDR [--reps N] [--date YYYY-MM-DD] [--pdf FILE]
//       --pdf keeps the last run's PDF in FILE (to look at the pages)
//   bench_statements --write-floors DIR
//       writes the floor file (the statements' query with pgbench variables)
//
// Output follows bench/BenchCommon.h; workers, pages and where the time goes
// go to stderr.

#include "BenchCommon.h"
#include "data/DbError.h"
#include "data/MonthPeriod.h"
#include "data/Unit6.h"
#include "reports/PayStatementReport.h"
#include "reports/engine/Engine.h"

#include <QApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

namespace {

QString monthFloor(const QString &sql)
{
    // The program asks for 25 workers at a time; the floor for all at once.
    return Bench::floorText(sql, {{QStringLiteral(":date1"), QStringLiteral("':first'")},
                                  {QStringLiteral(":date2"), QStringLiteral("':next'")},
                                  {QStringLiteral(":ids"),
                                   QStringLiteral("(select array_agg(id)::text from cmn_contractor.person)")}});
}

} // namespace

int main(int argc, char **argv)
{
    Bench::windowEnvironment();
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QStringList argl = app.arguments();
    if (const QString dir = Bench::floorsDir(argl); !dir.isEmpty())
        return Bench::writeFloor(dir, QStringLiteral("pay_statements.sql"), "bench_statements",
                                 monthFloor(PayStatementReport::Sql()))
            ? 0
            : 1;

    Bench::Args a;
    const bool parsed = Bench::parse(argl, a);
    QString keep;
    if (a.rest.size() == 2 && a.rest[0] == QLatin1String("--pdf")) {
        keep = a.rest[1];
        a.rest.clear();
    }
    if (!parsed || !a.rest.isEmpty()) {
        std::fprintf(stderr, "usage: bench_statements --db NAME --server ADDR [--reps N] [--date YYYY-MM-DD] "
                             "[--pdf FILE] | "
                             "--write-floors DIR\n");
        return 2;
    }
    try {
        TDataModule6 dm;
        dm.ADO_DB.close();
        dm.ADO_DB.setConnectionString(ConnectionString(a.db, a.server));
        dm.ADO_DB.open();
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("statements.pdf"));
        const MonthPeriod month = MonthPeriod::of(a.date);

        Dataset workers(dm.ADO_DB, QStringLiteral("Workers"), PayStatementReport::WorkersSql());
        workers.setParam(QStringLiteral("date1"), month.first());
        workers.setParam(QStringLiteral("date2"), month.next());
        workers.open();
        QList<int> ids;
        for (int r = 0; r < workers.recordCount() && ids.size() < 400; ++r)
            ids << Dataset::textOf(workers.valueAt(r, QStringLiteral("id"))).toInt();
        workers.close();

        Dataset q(dm.ADO_DB, QStringLiteral("Statements"), PayStatementReport::Sql());
        q.setParam(QStringLiteral("date1"), month.first());
        q.setParam(QStringLiteral("date2"), month.next());
        int pages = 0;
        Bench::measure(QStringLiteral("pay statements, %1 workers -> PDF").arg(ids.size()),
                       QStringLiteral("floor/pay_statements.sql"), Bench::slowReps(a.reps), [&] { q.close(); },
                       [&] {
                           Report::Layout layout = PayStatementReport::BuildLayout(
                               PayStatementReport::Heading(month.month, month.year),
                               PayStatementReport::PeriodText(month.month, month.year));
                           const Report::Prepared p = PayStatementReport::Prepare(layout, q, ids);
                           Report::RenderToPdf(p, pdf);
                           pages = int(p.pages.size());
                       });
        q.close();
        // Where the time goes, once: the queries with the laying out, and
        // the painting.
        {
            QElapsedTimer t;
            t.start();
            Report::Layout layout = PayStatementReport::BuildLayout(
                PayStatementReport::Heading(month.month, month.year),
                PayStatementReport::PeriodText(month.month, month.year));
            const Report::Prepared p = PayStatementReport::Prepare(layout, q, ids);
            const qint64 laid = t.restart();
            Report::RenderToPdf(p, pdf);
            const qint64 painted = t.restart();
            // The writer's own floor: the same texts drawn by a bare loop,
            // one font, no engine around it.
            int texts = 0;
            {
                QPdfWriter w(dir.filePath(QStringLiteral("floor.pdf")));
                w.setPageSize(QPageSize(QPageSize::A4));
                w.setResolution(1200);
                QPainter painter(&w);
                QFont font(Report::FontFamilies().first());
                font.setPointSizeF(8);
                painter.setFont(font);
                const double dpmm = w.resolution() / 25.4;
                for (int i = 0; i < p.pages.size(); ++i) {
                    if (i > 0)
                        w.newPage();
                    for (const Report::Mark &m : p.pages[i].marks)
                        if (m.kind == Report::Mark::Text) {
                            painter.drawText(QPointF((m.rect.x() + 10) * dpmm, (m.rect.bottom() + 10) * dpmm), m.text);
                            ++texts;
                        }
                }
            }
            std::fprintf(stderr,
                         "pay statements: queries and layout %lld ms, painting %lld ms; "
                         "bare drawText of the same %d texts %lld ms\n",
                         laid, painted, texts, qlonglong(t.elapsed()));
        }
        if (!keep.isEmpty()) {
            QFile::remove(keep);
            if (!QFile::copy(pdf, keep))
                std::fprintf(stderr, "bench_statements: cannot write %s\n", keep.toUtf8().constData());
        }
        std::fprintf(stderr, "pay statements: %lld workers, %d pages\n", qlonglong(ids.size()), pages);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench_statements: %s\n", e.what());
        return 1;
    }
    return 0;
}
