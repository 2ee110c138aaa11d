// Times what a user waits for in the reports window on a large shop:
// "Детальный отчет по рабочим" for the last whole month (its query, the
// pages laid out, every page painted into a PDF), the query alone, and the
// spreadsheet by nomenclature group ("Excel") for the last whole year.
//
//   bench_reports --db NAME --server ADDR [--reps N]
//
// One line per operation: BENCH <tab> name <tab> median ms <tab> the SQL file
// (relative to bench/) that holds the same query for pgbench -n -f, or "-".
// Details (rows, pages, per-1000-row figures) go to stderr.

#include "data/DbError.h"
#include "data/Unit6.h"
#include "export/XlsExport.h"
#include "reports/Unit18.h"
#include "reports/Unit20.h"
#include "reports/engine/Engine.h"

#include <QApplication>
#include <QDate>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

QTextStream out(stdout);
QTextStream err(stderr);

double median(std::vector<double> v)
{
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

void line(const QString &name, const std::vector<double> &ms, const QString &floor)
{
    out << "BENCH\t" << name << '\t' << QString::number(median(ms), 'f', 1) << '\t' << floor << Qt::endl;
}

int usage()
{
    err << "usage: bench_reports --db NAME --server ADDR [--reps N]\n";
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", ":/etc/localtime");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TABEL_NO_OPEN", "1");
    QApplication app(argc, argv);
    QString db, server;
    int reps = 5;
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
        else
            return usage();
    }
    if (db.isEmpty() || server.isEmpty() || reps < 1)
        return usage();
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));

    try {
        TDataModule6 dm;
        dm.ADO_DB.close();
        dm.ADO_DB.setConnectionString(ConnectionString(db, server));
        dm.ADO_DB.open();
        QTemporaryDir dir;

        // The last whole month, as the window opens with.
        const QDate today = QDate::currentDate();
        const QDate monthEnd(today.year(), today.month(), 1);
        const QDate monthStart = monthEnd.addMonths(-1);

        Dataset w(dm.ADO_DB, QStringLiteral("w_Report"), TForm20::wReportSql());
        w.setParam(QStringLiteral("data1"), monthStart);
        w.setParam(QStringLiteral("data2"), monthEnd);
        Report::Layout layout = TForm20::BuildLayout();
        layout.compile();
        layout.setText(QStringLiteral("QRLabel1"), QStringLiteral("   Детальный отчет по рабочим за период с ")
                                                       + monthStart.toString(QStringLiteral("dd.MM.yyyy"))
                                                       + QStringLiteral(" по ")
                                                       + monthEnd.toString(QStringLiteral("dd.MM.yyyy")));
        std::vector<double> query, report, prepare, paint;
        int rows = 0, pages = 0;
        const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
        for (int r = 0; r < reps + 1; ++r) {
            w.close();
            const double q = timeIt([&] { w.open(); });
            w.close();
            double tp = 0, tr = 0;
            const double t = timeIt([&] {
                w.open();
                Report::Prepared p;
                tp = timeIt([&] { p = Report::Prepare(layout, w); });
                tr = timeIt([&] { Report::RenderToPdf(p, pdf); });
                pages = int(p.pages.size());
            });
            rows = w.recordCount();
            w.close();
            if (r > 0) { // the first run warms the server's caches
                query.push_back(q);
                report.push_back(t);
                prepare.push_back(tp);
                paint.push_back(tr);
            }
        }
        err << "w_Report " << monthStart.toString(Qt::ISODate) << ".." << monthEnd.toString(Qt::ISODate) << ": "
            << rows << " rows, " << pages << " pages; query " << median(query) << " ms, report "
            << median(report) << " ms (" << median(report) / qMax(1.0, median(query)) << "x the query; laying out "
            << median(prepare) << " ms, painting " << median(paint) << " ms)\n";
        line(QStringLiteral("Детальный отчет по рабочим, месяц: запрос, страницы, PDF"), report,
             QStringLiteral("sql/w_report_month.sql"));
        line(QStringLiteral("Детальный отчет по рабочим, месяц: только запрос"), query,
             QStringLiteral("sql/w_report_month.sql"));

        // The spreadsheet of the last whole year through the window's own button.
        TForm18 form;
        XlsExport::setFolder(dir.path());
        XlsExport::setOpener([](const QString &) { return true; });
        form.DTPicker1->setDate(QDate(today.year() - 1, 1, 1));
        form.DTPicker2->setDate(QDate(today.year(), 1, 1));
        std::vector<double> xls;
        for (int r = 0; r < reps + 1; ++r) {
            const double t = timeIt([&] { form.Button6->click(); });
            if (r > 0)
                xls.push_back(t);
        }
        const auto m = QRegularExpression(QStringLiteral("из (\\d+)")).match(form.Button6->text());
        const int n = m.hasMatch() ? m.captured(1).toInt() : 0;
        err << "XLS_Rep " << today.year() - 1 << ": " << n << " rows, " << median(xls) << " ms ("
            << (n ? median(xls) * 1000.0 / n : 0) << " ms per 1000 rows)\n";
        line(QStringLiteral("Excel по номенклатуре, год"), xls, QStringLiteral("sql/xls_rep_year.sql"));
    } catch (const std::exception &e) {
        err << "bench_reports: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
