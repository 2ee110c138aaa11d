// Times the month check ("Сверка с журналом") for the month of --date on
// the large shop: the window's list of differences between the timesheet
// and the journal and maintenance works, as the window opens it over ODBC.
// Its floor is the same query through libpq (bench/floor/month_check.sql).
//
//   bench_month_check --db NAME --server ADDR [--reps N] [--date YYYY-MM-DD]
//   bench_month_check --write-floors DIR
//
// The month is rebuilt once first (untimed), so the check compares the
// rows the program keeps. Output follows bench/BenchCommon.h; the number of
// lines found goes to stderr.

#include "BenchCommon.h"
#include "data/MonthPeriod.h"
#include "data/Unit6.h"
#include "timesheets/MonthCheck.h"
#include "timesheets/MonthRebuild.h"
#include "ui/Msg.h"

#include <QApplication>

namespace {

QString checkFloor(const QString &sql)
{
    return Bench::floorText(sql, {{QStringLiteral(":mnth"), QStringLiteral(":month")},
                                  {QStringLiteral(":yea"), QStringLiteral(":year")}});
}

} // namespace

int main(int argc, char **argv)
{
    Bench::windowEnvironment();
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QStringList argl = app.arguments();
    if (const QString dir = Bench::floorsDir(argl); !dir.isEmpty()) {
        TDataModule6 dm;
        TMonthCheckForm form;
        return Bench::writeFloor(dir, QStringLiteral("month_check.sql"), "bench_month_check",
                                 checkFloor(form.Differences.sql()))
            ? 0
            : 1;
    }

    Bench::Args a;
    if (!Bench::parse(argl, a) || !a.rest.isEmpty()) {
        std::fprintf(stderr, "usage: bench_month_check --db NAME --server ADDR [--reps N] [--date YYYY-MM-DD] | "
                             "--write-floors DIR\n");
        return 2;
    }
    try {
        auto *dm = new TDataModule6(&app);
        dm->ADO_DB.close();
        dm->ADO_DB.setConnectionString(ConnectionString(a.db, a.server));
        dm->ADO_DB.open();
        Msg::setRecording(true);
        const MonthPeriod month = MonthPeriod::of(a.date);
        MonthRebuild::RebuildMonth(dm->ADO_DB, month);

        TMonthCheckForm form;
        int lines = 0;
        Modal::setHandler([&](QDialog *) {
            lines = form.Differences.recordCount();
            return 0;
        });
        form.OpenFor(month);
        std::fprintf(stderr, "month check %d.%d: %d lines, %lld workers\n", month.month, month.year, lines,
                     dm->ADO_DB
                         .scalar(QStringLiteral("select count(distinct w_id) from accounts_dep.smena where "
                                                "data>=:d1::date and data<:d2::date"),
                                 {{QStringLiteral("d1"), month.first()}, {QStringLiteral("d2"), month.next()}})
                         .toLongLong());
        Bench::measure(QStringLiteral("month check, month"), QStringLiteral("floor/month_check.sql"), a.reps, {},
                       [&] { form.Check(); });
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench_month_check: %s\n", e.what());
        return 1;
    }
    return 0;
}
