// Times the month's timesheet work users wait on, for the month of --date,
// through the program's own steps and windows over ODBC:
//  - "Перестроить" of the shift rows and of the hourly-work rows, each with
//    its one set-based statement (the same rows in one delete and one
//    insert, bench/floor/rebuild_*.sql) as the floor;
//  - opening the piecework timesheet window in each of its modes;
//  - the spreadsheet of the timesheet by shifts and of the piecework
//    timesheet (mode 9, exported from the open window: no query of its own);
//  - the printed monthly timesheet laid out and painted into a PDF file.
//
//   bench_timesheets --db NAME --server ADDR [--reps N] [--date YYYY-MM-DD]
//   bench_timesheets --write-floors DIR
//       writes the floor files of the window's queries (the program's query
//       texts with pgbench variables) into DIR
//
// The database needs the maintenance works of bench/gen_fatigue.sql besides
// the large shop. Output follows bench/BenchCommon.h; row counts go to
// stderr.

#include "BenchCommon.h"
#include "OutputFloors.h"
#include "data/DbError.h"
#include "data/MonthPeriod.h"
#include "data/Unit6.h"
#include "export/XlsExport.h"
#include "reports/Unit15.h"
#include "reports/engine/Engine.h"
#include "timesheets/MonthRebuild.h"
#include "timesheets/Unit19.h"
#include "timesheets/Unit27.h"
#include "ui/Msg.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTemporaryDir>

namespace {

// The window's parameters as the month's pgbench variables: the odd
// d_dateN are the month's end bound, the even ones its first day.
QString windowFloor(const QString &sql)
{
    std::vector<std::pair<QString, QString>> vars{{QStringLiteral(":i_month"), QStringLiteral(":month")},
                                                  {QStringLiteral(":i_year"), QStringLiteral(":year")}};
    for (int n = 1; n <= 8; ++n)
        vars.emplace_back(QStringLiteral(":d_date%1").arg(n),
                          n % 2 ? QStringLiteral("':next'") : QStringLiteral("':first'"));
    return Bench::floorText(sql, vars);
}

QString modeFloorFile(int code)
{
    return QStringLiteral("timesheet_mode_%1.sql").arg(code);
}

int writeFloors(const QString &dir)
{
    TDataModule6 dm;
    TForm27 form;
    bool ok = true;
    for (const TimesheetMode &m : TForm27::Modes()) {
        // What opening the window runs: the years, the mode's rows, the
        // four footer totals.
        QString text = Bench::floorText(form.q_year.sql(), {}) + windowFloor(TForm27::modeSql(m.code));
        for (Dataset *t : {&form.price8, &form.price7, &form.price, &form.all_price})
            text += windowFloor(t->sql());
        ok = ok && Bench::writeFloor(dir, modeFloorFile(m.code), "bench_timesheets", text);
    }
    ok = ok
        && Bench::writeFloor(dir, QStringLiteral("timesheet_month.sql"), "bench_timesheets",
                             Bench::floorText(TForm15::hTabelSql(), {{QStringLiteral(":mnth"), QStringLiteral(":month")},
                                                                     {QStringLiteral(":yea"), QStringLiteral(":year")}}));
    return ok ? 0 : 1;
}

void clearFolder(const QString &path)
{
    QDir d(path);
    for (const QString &f : d.entryList(QDir::Files))
        d.remove(f);
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
        std::fprintf(stderr, "usage: bench_timesheets --db NAME --server ADDR [--reps N] [--date YYYY-MM-DD] | "
                             "--write-floors DIR\n");
        return 2;
    }
    try {
        auto *dm = new TDataModule6(&app);
        dm->ADO_DB.close();
        dm->ADO_DB.setConnectionString(ConnectionString(a.db, a.server));
        dm->ADO_DB.open();
        Connection &c = dm->ADO_DB;
        QTemporaryDir dir;
        XlsExport::setFolder(dir.path());
        XlsExport::setOpener([](const QString &) { return true; });
        Msg::setRecording(true);
        Modal::setHandler([](QDialog *) { return 0; });
        const int slow = Bench::slowReps(a.reps);

        const MonthPeriod month = MonthPeriod::of(a.date);
        const SqlParams mp{{QStringLiteral("m"), month.month},
                           {QStringLiteral("y"), month.year},
                           {QStringLiteral("d1"), month.first()},
                           {QStringLiteral("d2"), month.next()}};
        auto count = [&](const char *sql) { return c.scalar(QString::fromLatin1(sql), mp).toLongLong(); };
        std::fprintf(stderr, "month %d.%d: shift rows %lld, hourly-work rows %lld, journal entries %lld, "
                             "maintenance entries %lld\n",
                     month.month, month.year,
                     count("select count(*) from accounts_dep.h_tabel where smena>0 and month=:m::integer and "
                           "year=:y::integer"),
                     count("select count(*) from accounts_dep.h_tabel where smena=0 and month=:m::integer and "
                           "year=:y::integer"),
                     count("select count(*) from accounts_dep.smena where data>=:d1::date and data<:d2::date"),
                     count("select count(*) from accounts_dep.fatigue where d_date>=:d1::date and "
                           "d_date<:d2::date"));

        // Each run rebuilds the rows the previous one made; the last leaves
        // the program's own rows for the window below.
        Bench::measure(QStringLiteral("rebuild shift rows, month"), QStringLiteral("floor/rebuild_shifts.sql"), slow,
                       {}, [&] { MonthRebuild::RebuildShifts(c, month); });
        Bench::measure(QStringLiteral("rebuild hourly-work rows, month"), QStringLiteral("floor/rebuild_hourly.sql"),
                       slow, {}, [&] { MonthRebuild::RebuildHourly(c, month); });

        TForm15 f15;
        TForm27 f27;
        f27.FixedToday = QDate(month.year, month.month, 15);
        for (const TimesheetMode &m : TForm27::Modes())
            Bench::measure(QStringLiteral("timesheet window, mode %1").arg(m.code),
                           QStringLiteral("floor/") + modeFloorFile(m.code), a.reps, {}, [&] { f27.Open(m.code); });

        // The piecework export from the open window (mode 9).
        const QString floorBook = dir.filePath(QStringLiteral("floor.xlsx"));
        // The cells an export wrote, through the library alone; `query` the
        // median ms of the export's own query (0 when it has none).
        auto againstFloor = [&](const QString &name, double ms, double query, const std::function<void()> &exportOnce) {
            clearFolder(dir.path());
            const XlsExport::Trace trace = Bench::traceOf(exportOnce);
            const double floor = Bench::measureFloor(QStringLiteral("libxlsxwriter ") + name, a.reps,
                                                     [&] { Bench::xlsxFloor(trace, floorBook); });
            Bench::printAgainst(QStringLiteral("export ") + name
                                    + (query > 0 ? QStringLiteral(" / query+xlsx") : QStringLiteral(" / xlsx")),
                                ms, query + floor);
            std::fprintf(stderr, "%s: %zu cells, query %.1f ms, libxlsxwriter %.1f ms, export %.1f ms\n",
                         name.toUtf8().constData(), trace.cells.size(), query, floor, ms);
        };
        Modal::setHandler([&](QDialog *) {
            const QString name = QStringLiteral("export piecework timesheet, month");
            const double ms = Bench::measure(name, QString(), a.reps, [&] { clearFolder(dir.path()); },
                                             [&] { f27.Button2Click(); });
            std::fprintf(stderr, "piecework timesheet %d.%d: %d rows\n", month.month, month.year,
                         f27.Current->recordCount());
            againstFloor(QStringLiteral("piecework timesheet"), ms, 0, [&] { f27.Button2Click(); });
            return 0;
        });
        f27.Open(9);
        Modal::setHandler([](QDialog *) { return 0; });

        TForm19 f19;
        f19.SelectPeriod(month.month, month.year);
        {
            const QString name = QStringLiteral("export timesheet by shifts, month");
            const double ms = Bench::measure(name, QStringLiteral("floor/timesheet_month.sql"), a.reps,
                                             [&] { clearFolder(dir.path()); }, [&] { f19.Button2Click(); });
            Dataset &rep = f15.H_Tabel;
            const double query = Bench::quietMedian(
                a.reps,
                [&] {
                    rep.close();
                    rep.setParam(QStringLiteral("mnth"), month.month);
                    rep.setParam(QStringLiteral("yea"), month.year);
                },
                [&] { rep.open(); });
            rep.close();
            againstFloor(QStringLiteral("timesheet by shifts"), ms, query, [&] { f19.Button2Click(); });
        }

        const QString pdf = dir.filePath(QStringLiteral("timesheet.pdf"));
        const QString periodText = f19.ComboBox1->currentText() + QLatin1Char(' ') + f19.ComboBox2->currentText();
        int pages = 0;
        Bench::measure(QStringLiteral("timesheet print, month -> PDF"), QStringLiteral("floor/timesheet_month.sql"),
                       a.reps, {}, [&] {
                           const Report::Prepared p = f15.Prepare(month.month, month.year, periodText);
                           Report::RenderToPdf(p, pdf);
                           pages = int(p.pages.size());
                       });
        std::fprintf(stderr, "timesheet print %d.%d: %d pages\n", month.month, month.year, pages);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench_timesheets: %s\n", e.what());
        return 1;
    }
    return 0;
}
