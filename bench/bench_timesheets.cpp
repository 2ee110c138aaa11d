// Times the month's timesheet work users wait on, on the large shop: the
// rebuild of the shift rows and of the hourly-work rows of a month (each
// beside its set-based floor, the same rows made by one delete and one
// insert, bench/sql/*_floor.sql), and opening the piecework timesheet window
// in each of its modes.
//
//   bench_timesheets --db NAME --server ADDR [--reps N] [--month YYYY-MM]
//
// Without --month the last complete month is used. Prints one line per
// operation: BENCH <tab> name <tab> median ms <tab> floor file or "-".

#include "data/DbError.h"
#include "data/Unit6.h"
#include "timesheets/MonthRebuild.h"
#include "timesheets/Unit27.h"
#include "ui/Msg.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

QTextStream out(stdout);
QTextStream err(stderr);

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double timeIt(const std::function<void()> &f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

// The statements of a floor file (comment lines dropped), split at ';'.
QStringList statements(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("cannot read %1").arg(path));
    QStringList lines;
    for (const QString &l : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n')))
        if (!l.trimmed().startsWith(QLatin1String("--")))
            lines << l;
    QStringList out;
    for (const QString &s : lines.join(QLatin1Char('\n')).split(QLatin1Char(';')))
        if (!s.trimmed().isEmpty())
            out << s.trimmed();
    return out;
}

void line(const QString &name, double ms, const QString &floor)
{
    out << "BENCH\t" << name << '\t' << QString::number(ms, 'f', 1) << '\t' << floor << '\n';
    out.flush();
}

int usage()
{
    err << "usage: bench_timesheets --db NAME --server ADDR [--reps N] [--month YYYY-MM]\n";
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", ":/etc/localtime");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QString db, server;
    int reps = 5;
    QDate today = QDate::currentDate();
    MonthPeriod month = MonthPeriod::of(today).previous();
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        auto value = [&]() -> QString { return i + 1 < args.size() ? args[++i] : QString(); };
        if (a == QLatin1String("--db"))
            db = value();
        else if (a == QLatin1String("--server"))
            server = value();
        else if (a == QLatin1String("--reps"))
            reps = value().toInt();
        else if (a == QLatin1String("--month")) {
            const QDate d = QDate::fromString(value() + QStringLiteral("-01"), Qt::ISODate);
            if (!d.isValid())
                return usage();
            month = MonthPeriod::of(d);
        } else
            return usage();
    }
    if (db.isEmpty() || server.isEmpty() || reps < 1)
        return usage();
    const QString benchDir = QStringLiteral(TABEL_SOURCE_DIR "/bench/");

    try {
        auto *dm = new TDataModule6(&app);
        dm->ADO_DB.close();
        dm->ADO_DB.setConnectionString(ConnectionString(db, server));
        dm->ADO_DB.open();
        Connection &c = dm->ADO_DB;
        const SqlParams mp{{QStringLiteral("m"), month.month},
                           {QStringLiteral("y"), month.year},
                           {QStringLiteral("d1"), month.first()},
                           {QStringLiteral("d2"), month.next()}};
        out << "database " << db << " on " << server << ", month " << month.month << '.' << month.year << ", "
            << reps << " repetitions; shift rows "
            << c.scalar(QStringLiteral("select count(*) from accounts_dep.h_tabel where smena>0 and "
                                       "month=:m::integer and year=:y::integer"),
                        mp)
                   .toString()
            << ", hourly-work rows "
            << c.scalar(QStringLiteral("select count(*) from accounts_dep.h_tabel where smena=0 and "
                                       "month=:m::integer and year=:y::integer"),
                        mp)
                   .toString()
            << ", journal entries "
            << c.scalar(QStringLiteral("select count(*) from accounts_dep.smena where data>=:d1::date and "
                                       "data<:d2::date"),
                        mp)
                   .toString()
            << '\n';

        struct Rebuild {
            QString name;
            QString floor;
            std::function<void()> run;
        };
        const Rebuild rebuilds[] = {
            {QStringLiteral("Перестроить by shifts"), QStringLiteral("sql/rebuild_shifts_floor.sql"),
             [&] { MonthRebuild::RebuildShifts(c, month); }},
            {QStringLiteral("Перестроить hourly work"), QStringLiteral("sql/rebuild_hourly_floor.sql"),
             [&] { MonthRebuild::RebuildHourly(c, month); }},
        };
        for (const Rebuild &r : rebuilds) {
            const QStringList floor = statements(benchDir + r.floor);
            std::vector<double> steps, floors;
            r.run(); // warm-up
            for (int i = 0; i < reps; ++i) {
                steps.push_back(timeIt(r.run));
                floors.push_back(timeIt([&] {
                    Transaction tr(c);
                    for (const QString &s : floor)
                        c.exec(s, mp);
                    tr.commit();
                }));
            }
            r.run(); // leave the program's own rows
            line(r.name, median(steps), r.floor);
            line(r.name + QStringLiteral(" (set-based floor)"), median(floors), QStringLiteral("-"));
        }

        // The piecework window, opened in each mode for the month.
        Msg::setRecording(true);
        Modal::setHandler([](QDialog *) { return 0; });
        auto *form = new TForm27();
        form->FixedToday = QDate(month.year, month.month, 15);
        for (const TimesheetMode &m : TForm27::Modes()) {
            std::vector<double> ms;
            form->Open(m.code); // warm-up
            for (int i = 0; i < std::max(reps, 5); ++i)
                ms.push_back(timeIt([&] { form->Open(m.code); }));
            line(QStringLiteral("open mode %1 (%2)").arg(m.code).arg(QString::fromUtf8(m.caption)), median(ms),
                 QStringLiteral("-"));
        }
    } catch (const DbError &e) {
        err << "bench_timesheets: " << e.text() << '\n';
        return 1;
    }
    return 0;
}
