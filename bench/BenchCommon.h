// What every bench/bench_<area> program shares.
//
// Command line: --db NAME --server ADDR [--reps N] [--date YYYY-MM-DD] and
// whatever the program adds. bench/run.sh passes all four to every program;
// --date is the working day the benchmark measures (its month for monthly
// work).
//
// Output: one line per operation,
//     BENCH<TAB>operation name<TAB>median ms<TAB>floor file
// where the floor file (relative to bench/, or "-") holds the same queries
// for `pgbench -n -f`; run.sh sets these pgbench variables for it:
//     date (YYYY-MM-DD), dmy (DD.MM.YYYY), month, year, first (first day of
//     the month), next (first day of the next month), worker, product,
//     operation (the journal's sample entry, see BenchSample), entry (an
//     entry id of that date).
// Anything else a program prints goes to stderr.
#pragma once
#include "data/Connection.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace Bench {

struct Args {
    QString db, server;
    int reps = 20;
    QDate date;
    QStringList rest; // options the common parser does not know
};

// Parses the common options; the program reads its own from rest.
inline bool parse(const QStringList &args, Args &a)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString &o = args[i];
        auto value = [&]() -> QString { return i + 1 < args.size() ? args[++i] : QString(); };
        if (o == QLatin1String("--db"))
            a.db = value();
        else if (o == QLatin1String("--server"))
            a.server = value();
        else if (o == QLatin1String("--reps"))
            a.reps = value().toInt();
        else if (o == QLatin1String("--date"))
            a.date = QDate::fromString(value(), Qt::ISODate);
        else
            a.rest << o;
    }
    if (!a.date.isValid()) {
        a.date = QDate::currentDate();
        while (a.date.dayOfWeek() > 5)
            a.date = a.date.addDays(-1);
    }
    return !a.db.isEmpty() && !a.server.isEmpty() && a.reps > 0;
}

inline double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

inline double timeIt(const std::function<void()> &f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

// Runs `prepare` (untimed) and `op` (timed) reps times after two warm-up
// runs and prints the BENCH line with the median.
inline void measure(const QString &name, const QString &floorFile, int reps, const std::function<void()> &prepare,
                    const std::function<void()> &op)
{
    std::vector<double> ms;
    for (int r = 0; r < reps + 2; ++r) {
        if (prepare)
            prepare();
        const double t = timeIt(op);
        if (r >= 2)
            ms.push_back(t);
    }
    std::printf("BENCH\t%s\t%.3f\t%s\n", name.toUtf8().constData(), median(ms),
                floorFile.isEmpty() ? "-" : floorFile.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace Bench
