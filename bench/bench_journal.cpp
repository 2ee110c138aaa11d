// Times what a user waits for when the journal window opens a date: the four
// shift journals Smena1..Smena4 and the operations and workers lists, opened
// through the program's own data module over ODBC, many times over.
//
//   bench_journal --db NAME --server ADDR [--date YYYY-MM-DD] [--reps N] [--warmup N]
//   bench_journal --db NAME --server ADDR --date YYYY-MM-DD --counts
//
// Without --date the latest working day (Monday to Friday) up to today is
// used. --counts opens each dataset once and prints "name=rows" lines.

#include "data/DbError.h"
#include "data/Unit6.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

QTextStream out(stdout);
QTextStream err(stderr);

struct Series {
    QString name;
    std::vector<double> ms;
};

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    // nearest rank
    size_t rank = size_t(std::ceil(p / 100.0 * double(v.size())));
    rank = std::clamp<size_t>(rank, 1, v.size());
    return v[rank - 1];
}

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

int usage()
{
    err << "usage: bench_journal --db NAME --server ADDR [--date YYYY-MM-DD] [--reps N] [--warmup N] [--counts]\n";
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString db, server;
    QDate date;
    int reps = 50, warmup = 5;
    bool counts = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        auto value = [&]() -> QString { return i + 1 < args.size() ? args[++i] : QString(); };
        if (a == QLatin1String("--db"))
            db = value();
        else if (a == QLatin1String("--server"))
            server = value();
        else if (a == QLatin1String("--date")) {
            date = QDate::fromString(value(), Qt::ISODate);
            if (!date.isValid())
                return usage();
        } else if (a == QLatin1String("--reps"))
            reps = value().toInt();
        else if (a == QLatin1String("--warmup"))
            warmup = value().toInt();
        else if (a == QLatin1String("--counts"))
            counts = true;
        else
            return usage();
    }
    if (db.isEmpty() || server.isEmpty() || reps < 1 || warmup < 0)
        return usage();
    if (!date.isValid()) {
        date = QDate::currentDate();
        while (date.dayOfWeek() > 5)
            date = date.addDays(-1);
    }

    try {
        TDataModule6 dm;
        dm.ADO_DB.close();
        dm.ADO_DB.setConnectionString(ConnectionString(db, server));
        dm.ADO_DB.open();

        Dataset *journals[] = {&dm.Smena1, &dm.Smena2, &dm.Smena3, &dm.Smena4};
        for (Dataset *j : journals) {
            j->setParam(QStringLiteral("data"), date);
            j->setParam(QStringLiteral("ok"), QStringLiteral("ta"));
        }
        Dataset *lists[] = {&dm.Oper, &dm.Workers};

        if (counts) {
            for (Dataset *d : journals) {
                d->reopen();
                out << d->name() << '=' << d->recordCount() << '\n';
                d->close();
            }
            for (Dataset *d : lists) {
                d->reopen();
                out << d->name() << '=' << d->recordCount() << '\n';
                d->close();
            }
            return 0;
        }

        std::vector<Series> series;
        for (Dataset *d : journals)
            series.push_back({d->name(), {}});
        series.push_back({QStringLiteral("Smena1..4 together"), {}});
        for (Dataset *d : lists)
            series.push_back({d->name(), {}});

        for (int rep = 0; rep < warmup + reps; ++rep) {
            const bool keep = rep >= warmup;
            double together = 0;
            size_t k = 0;
            for (Dataset *d : journals) {
                d->close();
                const double ms = timeIt([d] { d->open(); });
                together += ms;
                if (keep)
                    series[k].ms.push_back(ms);
                ++k;
            }
            if (keep)
                series[k].ms.push_back(together);
            ++k;
            for (Dataset *d : lists) {
                d->close();
                const double ms = timeIt([d] { d->open(); });
                if (keep)
                    series[k].ms.push_back(ms);
                ++k;
            }
        }

        out << "database " << db << " on " << server << ", date " << date.toString(Qt::ISODate) << ", "
            << reps << " repetitions after " << warmup << " warm-up runs\n";
        out << "rows:";
        for (Dataset *d : journals)
            out << ' ' << d->name() << '=' << d->recordCount();
        for (Dataset *d : lists)
            out << ' ' << d->name() << '=' << d->recordCount();
        out << '\n';
        out << QStringLiteral("%1 %2 %3 %4\n")
                   .arg(QString(), -22)
                   .arg(QStringLiteral("median ms"), 10)
                   .arg(QStringLiteral("p95 ms"), 10)
                   .arg(QStringLiteral("min ms"), 10);
        for (const Series &s : series)
            out << QStringLiteral("%1 %2 %3 %4\n")
                       .arg(s.name, -22)
                       .arg(median(s.ms), 10, 'f', 2)
                       .arg(percentile(s.ms, 95), 10, 'f', 2)
                       .arg(*std::min_element(s.ms.begin(), s.ms.end()), 10, 'f', 2);
        out.flush();
    } catch (const DbError &e) {
        err << "bench_journal: " << e.text() << '\n';
        return 1;
    }
    return 0;
}
