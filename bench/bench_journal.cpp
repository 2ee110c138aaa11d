// Times what a user waits for in the journal and the reference lists, through
// the program's own data module over ODBC: the journal of a date (the four
// shift datasets), each list, saving an entry and deleting it.
//
//   bench_journal --db NAME --server ADDR [--reps N] [--date YYYY-MM-DD]
//   bench_journal --db NAME --server ADDR [--date D] --counts
//       opens each journal and the operations and workers lists once and
//       prints "name=rows" lines (the demo check reads them)
//   bench_journal --db NAME --server ADDR [--date D] --sample
//       prints the sample entry's values as pgbench variables (name=value)
//   bench_journal --write-floors DIR
//       writes the floor files of the dataset queries (the program's own
//       query texts with pgbench variables) into DIR
//
// Output follows bench/BenchCommon.h.

#include "BenchCommon.h"
#include "data/DbError.h"
#include "data/Unit6.h"
#include "journal/JournalOps.h"

#include <QSqlQuery>

namespace {

// The nomenclature list and the norms of an operation are window queries.
const char *const kNomenclatureSql = "select * from cmn_classifier.item where id_level=2 order by s_caption";
const char *const kNormsSql = "select id, norma, price, prize from accounts_dep.norm where o_id=:o::integer "
                              "order by norma, id";

// The entry the benchmark saves and deletes: the first worker without
// entries that day, the first operation with norms, in the overtime shift.
struct Sample {
    int worker = 0, product = 0, operation = 0, entry = 0;
};

Sample sample(Connection &db, const QDate &date)
{
    Sample s;
    const SqlParams d{{QStringLiteral("d"), date}};
    s.worker = db.scalar(QStringLiteral("select min(p.id) from accounts_dep.person p where not exists (select 1 "
                                        "from accounts_dep.smena s where s.w_id=p.id and s.data=:d)"),
                         d)
                   .toInt();
    QSqlQuery q = db.select(QStringLiteral("select o.id, o.i_id from accounts_dep.oper o where o.vid not in "
                                           "(7777, 7778) and exists (select 1 from accounts_dep.norm n where "
                                           "n.o_id=o.id) order by o.id limit 1"));
    if (q.next()) {
        s.operation = q.value(0).toInt();
        s.product = q.value(1).toInt();
    }
    s.entry = db.scalar(QStringLiteral("select max(id) from accounts_dep.smena where data=:d"), d).toInt();
    if (!s.worker || !s.operation || !s.entry)
        throw DbError(QStringLiteral("the database has no sample worker, operation or entry for that date"));
    return s;
}

// A program query as a pgbench script: parameters become pgbench variables.
QString floorText(QString sql)
{
    sql.replace(QStringLiteral("=:data"), QStringLiteral("=':date'"));
    sql.replace(QStringLiteral("!=:ok"), QStringLiteral("!='ta'"));
    sql.replace(QStringLiteral("<>:ok"), QStringLiteral("<>'ta'"));
    sql.replace(QStringLiteral(":o::integer"), QStringLiteral(":operation"));
    return sql + QStringLiteral(";\n");
}

int writeFloors(const QString &dir)
{
    TDataModule6 dm;
    auto write = [&](const QString &file, const QString &text) {
        return Bench::writeFloor(dir, file, "bench_journal", text);
    };
    QString journals;
    for (int shift = 1; shift <= 4; ++shift)
        journals += floorText(TDataModule6::smenaSql(shift));
    bool ok = write(QStringLiteral("journal_open.sql"), journals);
    for (Dataset *d : {&dm.Workers, &dm.Izdel, &dm.Oper, &dm.Vid_oper})
        ok = ok && write(QStringLiteral("list_%1.sql").arg(d->name().toLower()), floorText(d->sql()));
    ok = ok && write(QStringLiteral("list_nomenclature.sql"), floorText(QString::fromLatin1(kNomenclatureSql)));
    ok = ok && write(QStringLiteral("list_norms.sql"), floorText(QString::fromLatin1(kNormsSql)));
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", ":/etc/localtime");
    QCoreApplication app(argc, argv);
    const QStringList argl = app.arguments();
    if (const QString dir = Bench::floorsDir(argl); !dir.isEmpty())
        return writeFloors(dir);

    Bench::Args a;
    if (!Bench::parse(argl, a) || a.rest.size() > 1
        || (!a.rest.isEmpty() && a.rest.first() != QLatin1String("--sample")
            && a.rest.first() != QLatin1String("--counts"))) {
        std::fprintf(stderr, "usage: bench_journal --db NAME --server ADDR [--reps N] [--date YYYY-MM-DD] "
                             "[--sample | --counts] | --write-floors DIR\n");
        return 2;
    }
    try {
        TDataModule6 dm;
        Connection &db = dm.ADO_DB;
        db.setConnectionString(ConnectionString(a.db, a.server));
        db.open();
        Dataset *journals[] = {&dm.Smena1, &dm.Smena2, &dm.Smena3, &dm.Smena4};
        for (Dataset *j : journals) {
            j->setParam(QStringLiteral("data"), a.date);
            j->setParam(QStringLiteral("ok"), QStringLiteral("ta"));
        }
        if (a.rest.contains(QStringLiteral("--counts"))) {
            for (Dataset *d : {&dm.Smena1, &dm.Smena2, &dm.Smena3, &dm.Smena4, &dm.Oper, &dm.Workers}) {
                d->reopen();
                std::printf("%s=%d\n", d->name().toUtf8().constData(), d->recordCount());
                d->close();
            }
            return 0;
        }
        const Sample s = sample(db, a.date);
        if (a.rest.contains(QStringLiteral("--sample"))) {
            std::printf("worker=%d\nproduct=%d\noperation=%d\nentry=%d\n", s.worker, s.product, s.operation,
                        s.entry);
            return 0;
        }

        Bench::measure(QStringLiteral("journal open (four datasets)"), QStringLiteral("floor/journal_open.sql"),
                       a.reps,
                       [&] {
                           for (Dataset *j : journals)
                               j->close();
                       },
                       [&] {
                           for (Dataset *j : journals)
                               j->open();
                       });

        for (Dataset *d : {&dm.Workers, &dm.Izdel, &dm.Oper, &dm.Vid_oper})
            Bench::measure(QStringLiteral("list %1").arg(d->name()),
                           QStringLiteral("floor/list_%1.sql").arg(d->name().toLower()), a.reps,
                           [d] { d->close(); }, [d] { d->open(); });
        Dataset nomenclature(db, QStringLiteral("item"), QString::fromLatin1(kNomenclatureSql));
        Bench::measure(QStringLiteral("list nomenclature"), QStringLiteral("floor/list_nomenclature.sql"), a.reps,
                       [&] { nomenclature.close(); }, [&] { nomenclature.open(); });
        Dataset norms(db, QStringLiteral("norms"), QString::fromLatin1(kNormsSql));
        norms.setParam(QStringLiteral("o"), s.operation);
        Bench::measure(QStringLiteral("list norms of an operation"), QStringLiteral("floor/list_norms.sql"), a.reps,
                       [&] { norms.close(); }, [&] { norms.open(); });

        JournalOps::Entry e;
        e.worker = s.worker;
        e.product = s.product;
        e.operation = s.operation;
        e.shift = 4;
        e.date = a.date;
        e.price = 12.5;
        e.quantity = 10;
        e.rejects = 0;
        e.hours = 8;
        // The worker has no other entry that day.
        const QString lastId = QStringLiteral(
            "select max(id) from accounts_dep.smena where w_id=:w::integer and data=:d and smena=4");
        const SqlParams w{{QStringLiteral("w"), s.worker}, {QStringLiteral("d"), a.date}};
        auto removeSaved = [&] {
            const int id = db.scalar(lastId, w).toInt();
            if (id && !JournalOps::RemoveEntry(db, id))
                throw DbError(QStringLiteral("the saved entry is gone"));
        };
        Bench::measure(QStringLiteral("entry save"), QStringLiteral("floor/entry_save.sql"), a.reps, removeSaved, [&] {
            if (JournalOps::StoreEntry(db, e, true) != JournalOps::StoreResult::Stored)
                throw DbError(QStringLiteral("the sample entry is a duplicate"));
        });
        // A change of the saved entry's quantity, and its acceptance toggle:
        // the writes whose history records old and new values.
        removeSaved();
        JournalOps::StoreEntry(db, e, true);
        JournalOps::Entry changed = e;
        changed.id = db.scalar(lastId, w).toInt();
        Bench::measure(QStringLiteral("entry change"), QString(), a.reps, [&] { ++changed.quantity; }, [&] {
            if (JournalOps::StoreEntry(db, changed, false) != JournalOps::StoreResult::Stored)
                throw DbError(QStringLiteral("the sample entry is a duplicate"));
        });
        QString mark = QStringLiteral("no");
        Bench::measure(QStringLiteral("entry acceptance"), QString(), a.reps,
                       [&] { mark = JournalOps::NextMark(mark); },
                       [&] { JournalOps::SetMark(db, changed.id, mark); });
        int savedId = 0;
        Bench::measure(
            QStringLiteral("entry deletion"), QStringLiteral("floor/entry_delete.sql"), a.reps,
            [&] {
                removeSaved();
                JournalOps::StoreEntry(db, e, true);
                savedId = db.scalar(lastId, w).toInt();
            },
            [&] { JournalOps::RemoveEntry(db, savedId); });
        removeSaved();
    } catch (const DbError &e) {
        std::fprintf(stderr, "bench_journal: %s\n", e.text().toUtf8().constData());
        return 1;
    }
    return 0;
}
