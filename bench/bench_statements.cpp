// Times the pay statements ("Расчетные листки") of the month of --date for
// the first 400 workers of the window's list (all of them when fewer), all
// into one PDF: the query opened, every statement laid out and every page
// painted, as "Сохранить в PDF" does.
//
//   bench_statements --db NAME --server ADDR [--reps N] [--date YYYY-MM-DD]
//   bench_statements --write-floors DIR
//       writes the floor file (the statements' query with pgbench variables)
//
// Output follows bench/BenchCommon.h; workers, rows and pages go to stderr.

#include "BenchCommon.h"
#include "data/DbError.h"
#include "data/MonthPeriod.h"
#include "data/Unit6.h"
#include "reports/PayStatementReport.h"
#include "reports/engine/Engine.h"

#include <QApplication>
#include <QTemporaryDir>

namespace {

QString monthFloor(const QString &sql)
{
    return Bench::floorText(sql, {{QStringLiteral(":date1"), QStringLiteral("':first'")},
                                  {QStringLiteral(":date2"), QStringLiteral("':next'")}});
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
    if (!Bench::parse(argl, a) || !a.rest.isEmpty()) {
        std::fprintf(stderr, "usage: bench_statements --db NAME --server ADDR [--reps N] [--date YYYY-MM-DD] | "
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
        int rows = 0, pages = 0;
        Bench::measure(QStringLiteral("pay statements, %1 workers -> PDF").arg(ids.size()),
                       QStringLiteral("floor/pay_statements.sql"), Bench::slowReps(a.reps), [&] { q.close(); },
                       [&] {
                           q.open();
                           Report::Layout layout = PayStatementReport::BuildLayout(
                               PayStatementReport::Heading(month.month, month.year),
                               PayStatementReport::PeriodText(month.month, month.year));
                           const Report::Prepared p = PayStatementReport::Prepare(layout, q, ids);
                           Report::RenderToPdf(p, pdf);
                           rows = q.recordCount();
                           pages = int(p.pages.size());
                       });
        q.close();
        std::fprintf(stderr, "pay statements: %lld workers, %d rows, %d pages\n", qlonglong(ids.size()), rows,
                     pages);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench_statements: %s\n", e.what());
        return 1;
    }
    return 0;
}
