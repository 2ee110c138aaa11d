// Soak: many clients at once saving, changing and deleting overlapping
// journal entries and maintenance-work entries through the program's own
// database steps, then counting what must never happen: duplicate entries,
// duplicate timesheet rows, timesheet cells that differ from the journal's
// sums, duplicate hourly-work rows, and hourly-work cells that differ from
// the maintenance entries' sums. Not run by CI.
//
//   soak --db NAME --server ADDR [--clients N] [--rounds R] [--seed S]
//   soak --db NAME --server ADDR --check     only counts the differences
//
// The database must be made from the schema template; the soak fills a small
// shop (three workers, two products, three operations) so that the clients
// keep colliding on the same entries, days and timesheet rows. Prints the
// figures and exits 1 on any difference, 2 on a bad command line.
#include "data/Connection.h"
#include "data/DbError.h"
#include "data/Unit6.h"
#include "journal/JournalOps.h"
#include "maintenance/MaintenanceOps.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

const QDate kFirstDay(2024, 3, 4);
const int kDays = 3;
const int kWorkers[] = {101, 102, 103};
const int kOperations[][2] = {{301, 2001}, {302, 2001}, {303, 2002}}; // operation, product
const int kNomenclature = 500;

struct Options {
    QString db, server;
    int clients = 8;
    int rounds = 400;
    quint32 seed = 1;
    int child = -1; // this process is client number `child`
    bool checkOnly = false;
};

// One kind of step a client takes; returns the outcome's name for the tally.
using Step = std::function<QString(Connection &, QRandomGenerator &)>;
struct StepKind {
    QString name;
    int weight; // relative frequency
    Step run;
};

JournalOps::Entry randomEntry(QRandomGenerator &rnd)
{
    JournalOps::Entry e;
    e.worker = kWorkers[rnd.bounded(3)];
    const auto &op = kOperations[rnd.bounded(3)];
    e.operation = op[0];
    e.product = op[1];
    e.shift = 1 + int(rnd.bounded(2));
    e.date = kFirstDay.addDays(rnd.bounded(kDays));
    e.color = 0;
    e.price = 12.5;
    e.quantity = 1 + int(rnd.bounded(20));
    e.rejects = 0;
    e.hours = 1 + int(rnd.bounded(8));
    return e;
}

int randomEntryId(Connection &c)
{
    return c.scalar(QStringLiteral("select id from accounts_dep.smena order by random() limit 1")).toInt();
}

// A maintenance-work entry on the same workers and days as the journal's,
// so that the clients collide on the same hourly-work rows and days.
MaintenanceOps::Entry randomMaintenance(QRandomGenerator &rnd)
{
    MaintenanceOps::Entry e;
    e.worker = kWorkers[rnd.bounded(3)];
    e.nomenclature = kNomenclature;
    e.kind = rnd.bounded(2) ? MaintenanceOps::Maintenance : MaintenanceOps::AveragePiecework;
    e.date = kFirstDay.addDays(rnd.bounded(kDays));
    e.shift = 1;
    e.hours = 1 + int(rnd.bounded(8));
    e.holiday = rnd.bounded(4) == 0;
    e.night = rnd.bounded(2) == 0;
    e.price = MaintenanceOps::HourlyPrice(150, e.holiday, e.night);
    return e;
}

int randomMaintenanceId(Connection &c)
{
    return c.scalar(QStringLiteral("select id from accounts_dep.fatigue order by random() limit 1")).toInt();
}

std::vector<StepKind> steps()
{
    std::vector<StepKind> s;
    s.push_back({QStringLiteral("journal save"), 9, [](Connection &c, QRandomGenerator &rnd) {
                     const auto r = JournalOps::StoreEntry(c, randomEntry(rnd), true);
                     return r == JournalOps::StoreResult::Stored ? QStringLiteral("stored")
                                                                 : QStringLiteral("duplicate refused");
                 }});
    s.push_back({QStringLiteral("journal change"), 7, [](Connection &c, QRandomGenerator &rnd) {
                     JournalOps::Entry e = randomEntry(rnd);
                     e.id = randomEntryId(c);
                     if (!e.id)
                         return QStringLiteral("nothing to change");
                     const auto r = JournalOps::StoreEntry(c, e, false);
                     return r == JournalOps::StoreResult::Stored ? QStringLiteral("changed")
                                                                 : QStringLiteral("duplicate refused");
                 }});
    s.push_back({QStringLiteral("journal delete"), 4, [](Connection &c, QRandomGenerator &) {
                     const int id = randomEntryId(c);
                     if (!id)
                         return QStringLiteral("nothing to delete");
                     return JournalOps::RemoveEntry(c, id) ? QStringLiteral("deleted")
                                                           : QStringLiteral("already gone");
                 }});
    s.push_back({QStringLiteral("maintenance save"), 5, [](Connection &c, QRandomGenerator &rnd) {
                     MaintenanceOps::StoreEntry(c, randomMaintenance(rnd), true);
                     return QStringLiteral("stored");
                 }});
    s.push_back({QStringLiteral("maintenance change"), 4, [](Connection &c, QRandomGenerator &rnd) {
                     MaintenanceOps::Entry e = randomMaintenance(rnd);
                     e.id = randomMaintenanceId(c);
                     if (!e.id)
                         return QStringLiteral("nothing to change");
                     MaintenanceOps::StoreEntry(c, e, false);
                     return QStringLiteral("changed");
                 }});
    s.push_back({QStringLiteral("maintenance delete"), 3, [](Connection &c, QRandomGenerator &) {
                     const int id = randomMaintenanceId(c);
                     if (!id)
                         return QStringLiteral("nothing to delete");
                     return MaintenanceOps::RemoveEntry(c, id) ? QStringLiteral("deleted")
                                                               : QStringLiteral("already gone");
                 }});
    return s;
}

int runClient(const Options &o)
{
    Connection c(QStringLiteral("soak"));
    c.setConnectionString(ConnectionString(o.db, o.server));
    c.open();
    QRandomGenerator rnd(o.seed * 1000 + quint32(o.child));
    const auto all = steps();
    int total = 0;
    for (const auto &k : all)
        total += k.weight;
    QMap<QString, int> tally;
    for (int r = 0; r < o.rounds; ++r) {
        int pick = int(rnd.bounded(total));
        size_t i = 0;
        while (pick >= all[i].weight)
            pick -= all[i++].weight;
        const QString &name = all[i].name;
        const Step &step = all[i].run;
        QString outcome;
        try {
            outcome = step(c, rnd);
        } catch (const DbError &e) {
            // An entry changed or deleted by another client in the meantime
            // is refused with a message; anything else is a failure.
            outcome = e.text().startsWith(QStringLiteral("Позиция не найдена")) ? QStringLiteral("vanished")
                                                                                 : QStringLiteral("ERROR ") + e.text();
        }
        ++tally[name + QStringLiteral(": ") + outcome];
    }
    for (auto it = tally.cbegin(); it != tally.cend(); ++it)
        std::printf("%d\t%s\n", it.value(), it.key().toUtf8().constData());
    return 0;
}

void fillShop(Connection &c)
{
    if (c.scalar(QStringLiteral("select count(*) from accounts_dep.person")).toInt() > 0)
        throw DbError(QStringLiteral("soak wants an empty database made from the schema template"));
    c.exec(QStringLiteral("insert into cmn_classifier.item (id, id_level, s_caption) values (500, 2, 'Стулья')"));
    c.exec(QStringLiteral("insert into accounts_dep.person (id, fio, s_staffpos_hl) values (101, 'Иванов И.И.', ''), "
                          "(102, 'Петров П.П.', ''), (103, 'Сидоров С.С.', '')"));
    c.exec(QStringLiteral("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, id_msm_bs, massa, id_class_item) "
                          "values (2001, 'СТ-1', 6, 0.5, 500), (2002, 'ШК-7', 6, 1, 500)"));
    c.exec(QStringLiteral("insert into accounts_dep.vid_oper (id, vid) values (11, 'Сборка'), (12, 'Покраска'), "
                          "(13, 'Резка')"));
    c.exec(QStringLiteral("insert into accounts_dep.oper (id, vid, naimen, i_id, cena_new) values "
                          "(301, 11, 0, 2001, 0), (302, 12, 1, 2001, 0), (303, 13, 0, 2002, 0)"));
    c.exec(QStringLiteral("insert into accounts_dep.norm (o_id, norma, price, prize) values (301, 10, 12.5, 0), "
                          "(302, 5, 3, 0), (303, 1, 10, 0)"));
}

// The figures that must all be 0, by name.
QList<QPair<QString, qlonglong>> figures(Connection &c)
{
    QStringList days;
    for (int d = 1; d <= 31; ++d)
        days << QStringLiteral("d%1").arg(d);
    const QString cells = QStringLiteral(
        "with j as (select w_id, smena, data, sum(time) as h from accounts_dep.smena group by w_id, smena, data), "
        "c as (select t.w_id, t.smena, make_date(t.year, t.month, g.d) as data, (array[%1])[g.d] as v "
        "      from accounts_dep.h_tabel t cross join generate_series(1, 31) g(d) "
        "      where t.smena between 1 and 4 "
        "        and g.d <= extract(day from make_date(t.year, t.month, 1) + interval '1 month - 1 day')) "
        "select count(*) from c full join j on c.w_id = j.w_id and c.smena = j.smena and c.data = j.data "
        "where coalesce(c.v, 0) <> coalesce(j.h, 0)")
                              .arg(days.join(QStringLiteral(", ")));
    const QString hourlyCells = QStringLiteral(
        "with f as (select id_p::integer as w_id, id_o::integer as kind, coalesce(i_night, 0) as night, d_date, "
        "           sum(cnt) as h from accounts_dep.fatigue group by 1, 2, 3, 4), "
        "c as (select t.w_id, t.i_type as kind, coalesce(t.i_night, 0) as night, "
        "             make_date(t.year, t.month, g.d) as d_date, (array[%1])[g.d] as v "
        "      from accounts_dep.h_tabel t cross join generate_series(1, 31) g(d) "
        "      where t.smena = 0 "
        "        and g.d <= extract(day from make_date(t.year, t.month, 1) + interval '1 month - 1 day')) "
        "select count(*) from c full join f on c.w_id = f.w_id and c.kind = f.kind and c.night = f.night "
        "and c.d_date = f.d_date where coalesce(c.v, 0) <> coalesce(f.h, 0)")
                                  .arg(days.join(QStringLiteral(", ")));
    return {
        {QStringLiteral("duplicate journal entries"),
         c.scalar(QStringLiteral("select coalesce(sum(n - 1), 0) from (select count(*) as n from accounts_dep.smena "
                                 "group by w_id, o_id, i_id, data, smena, color having count(*) > 1) x"))
             .toLongLong()},
        {QStringLiteral("duplicate timesheet rows"),
         c.scalar(QStringLiteral("select coalesce(sum(n - 1), 0) from (select count(*) as n from accounts_dep.h_tabel "
                                 "group by w_id, smena, month, year, coalesce(i_type, 0), coalesce(i_night, 0) "
                                 "having count(*) > 1) x"))
             .toLongLong()},
        {QStringLiteral("timesheet cells off the journal's sums"), c.scalar(cells).toLongLong()},
        {QStringLiteral("duplicate hourly-work rows"),
         c.scalar(QStringLiteral("select coalesce(sum(n - 1), 0) from (select count(*) as n from accounts_dep.h_tabel "
                                 "where smena = 0 group by w_id, month, year, i_type, coalesce(i_night, 0) "
                                 "having count(*) > 1) x"))
             .toLongLong()},
        {QStringLiteral("hourly-work cells off the maintenance entries' sums"), c.scalar(hourlyCells).toLongLong()},
    };
}

int report(Connection &c, int failedClients, int rounds, const QMap<QString, int> &tally);

int runSoak(const Options &o)
{
    Connection c(QStringLiteral("soak_main"));
    c.setConnectionString(ConnectionString(o.db, o.server));
    c.open();
    if (o.checkOnly)
        return report(c, 0, 0, {});
    fillShop(c);

    QElapsedTimer t;
    t.start();
    std::vector<std::unique_ptr<QProcess>> procs;
    for (int k = 0; k < o.clients; ++k) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--db"), o.db, QStringLiteral("--server"), o.server, QStringLiteral("--rounds"),
                  QString::number(o.rounds), QStringLiteral("--seed"), QString::number(o.seed),
                  QStringLiteral("--child"), QString::number(k)});
        procs.push_back(std::move(p));
    }
    QMap<QString, int> tally;
    int failedClients = 0;
    for (auto &p : procs) {
        p->waitForFinished(-1);
        if (p->exitStatus() != QProcess::NormalExit || p->exitCode() != 0)
            ++failedClients;
        for (const QByteArray &line : p->readAllStandardOutput().split('\n')) {
            const int tab = line.indexOf('\t');
            if (tab > 0)
                tally[QString::fromUtf8(line.mid(tab + 1))] += line.left(tab).toInt();
        }
    }
    std::printf("%d clients x %d steps in %.1f s\n", o.clients, o.rounds, double(t.elapsed()) / 1000.0);
    return report(c, failedClients, o.rounds, tally);
}

int report(Connection &c, int failedClients, int rounds, const QMap<QString, int> &tally)
{
    Q_UNUSED(rounds);
    int errors = 0;
    for (auto it = tally.cbegin(); it != tally.cend(); ++it) {
        std::printf("  %6d  %s\n", it.value(), it.key().toUtf8().constData());
        if (it.key().contains(QStringLiteral(": ERROR ")))
            errors += it.value();
    }
    std::printf("journal entries left %lld, maintenance entries left %lld, timesheet rows %lld (hourly-work %lld)\n",
                c.scalar(QStringLiteral("select count(*) from accounts_dep.smena")).toLongLong(),
                c.scalar(QStringLiteral("select count(*) from accounts_dep.fatigue")).toLongLong(),
                c.scalar(QStringLiteral("select count(*) from accounts_dep.h_tabel")).toLongLong(),
                c.scalar(QStringLiteral("select count(*) from accounts_dep.h_tabel where smena = 0")).toLongLong());
    bool bad = failedClients > 0 || errors > 0;
    std::printf("failed clients %d, failed steps %d\n", failedClients, errors);
    for (const auto &f : figures(c)) {
        std::printf("%s: %lld\n", f.first.toUtf8().constData(), f.second);
        bad = bad || f.second != 0;
    }
    std::printf("%s\n", bad ? "DIFFERENCES FOUND" : "no differences");
    return bad ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Options o;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        auto value = [&]() -> QString { return i + 1 < args.size() ? args[++i] : QString(); };
        const QString &a = args[i];
        if (a == QLatin1String("--db"))
            o.db = value();
        else if (a == QLatin1String("--server"))
            o.server = value();
        else if (a == QLatin1String("--clients"))
            o.clients = value().toInt();
        else if (a == QLatin1String("--rounds"))
            o.rounds = value().toInt();
        else if (a == QLatin1String("--seed"))
            o.seed = value().toUInt();
        else if (a == QLatin1String("--check"))
            o.checkOnly = true;
        else if (a == QLatin1String("--child"))
            o.child = value().toInt();
        else {
            std::fprintf(stderr, "soak: unknown option %s\n", qPrintable(a));
            return 2;
        }
    }
    if (o.db.isEmpty() || o.server.isEmpty() || o.clients < 1 || o.rounds < 1) {
        std::fprintf(stderr, "usage: soak --db NAME --server ADDR [--clients N] [--rounds R] [--seed S]\n");
        return 2;
    }
    try {
        return o.child >= 0 ? runClient(o) : runSoak(o);
    } catch (const DbError &e) {
        std::fprintf(stderr, "soak: %s\n", e.text().toUtf8().constData());
        return 1;
    }
}
