// Outages: the database server stopped, restarted or crashed under a connected
// client. The client comes back by itself: the next refresh, save and
// deletion work, a lost server gets one clear message, and the version check
// keeps running, so a newer build's claim still ends the client.
//
// These tests stop and start a cluster of their own (tests/pg_cluster.sh in a
// folder next to the shared test cluster), never the one other tests use.
#include "app/AppControl.h"
#include "data/DbError.h"
#include "data/Unit6.h"
#include "entry_shop.h"
#include "journal/JournalOps.h"
#include "journal/Unit1.h"
#include "support/TestDb.h"
#include "ui/DBGrid.h"
#include "ui/Msg.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QDateEdit>
#include <QtTest>

#include <unistd.h>

using namespace Shop;

namespace {

const QDate kDay(2024, 3, 5);
const QString kLost = QStringLiteral("Нет связи с сервером базы данных. Повторите действие.");
const QString kVersion = QStringLiteral("Версия программы не соответсвует БД! Запустите программу через 5 мин.");
const int kBuildDate = 20240305;
const int kBuildTime = 50829;

// The private cluster: its folder, address and the server's start options.
struct Cluster {
    QString dir;
    QString addr;
    QString bin;
    QStringList options; // postgres options as the first start used them

    // Runs a PostgreSQL tool as the cluster's owner.
    int tool(const QString &name, const QStringList &args, QString *out = nullptr) const
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        if (geteuid() == 0)
            p.start(QStringLiteral("runuser"), QStringList{"-u", "postgres", "--", bin + "/" + name} + args);
        else
            p.start(bin + "/" + name, args);
        p.waitForFinished(120000);
        if (out)
            *out = QString::fromLocal8Bit(p.readAll());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    void stop(const QString &mode) const
    {
        QString out;
        if (tool("pg_ctl", {"-D", dir + "/data", "-w", "-t", "60", "stop", "-m", mode}, &out) != 0)
            qFatal("pg_ctl stop failed: %s", qPrintable(out));
    }
    void start() const
    {
        QString out;
        if (tool("pg_ctl", {"-D", dir + "/data", "-l", dir + "/server.log", "-w", "-t", "60", "start", "-o",
                            options.join(' ')},
                 &out)
            != 0)
            qFatal("pg_ctl start failed: %s", qPrintable(out));
    }
    void psql(const QString &db, const QString &sql) const
    {
        QString out;
        if (tool("psql", {"-h", addr, "-p", "5432", "-U", "postgres", "-d", db, "-v", "ON_ERROR_STOP=1", "-q",
                          "-c", sql},
                 &out)
            != 0)
            qFatal("psql failed: %s", qPrintable(out));
    }
};

Cluster g_cluster;
const QString kDb = QStringLiteral("t_outage");

// How the server goes away and comes back.
enum class Outage { FastRestart, CrashRestart, StopAcrossTicks };

void runScript(const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("bash"), args);
    p.waitForFinished(300000);
    if (p.exitCode() != 0)
        qFatal("%s failed: %s", qPrintable(args.join(' ')), p.readAll().constData());
}

JournalOps::Entry newEntry(int worker, int hours)
{
    JournalOps::Entry e;
    e.worker = worker;
    e.product = Chair;
    e.operation = Assembly;
    e.shift = 1;
    e.date = kDay;
    e.price = 12.5;
    e.quantity = 10;
    e.rejects = 0;
    e.hours = hours;
    return e;
}


// Another client: a connection of its own to the private cluster.
std::unique_ptr<Connection> otherClient()
{
    auto c = std::make_unique<Connection>(QStringLiteral("other_client"));
    c->setConnectionString(ConnectionString(kDb, g_cluster.addr));
    c->open();
    return c;
}

QStringList shownTexts()
{
    QStringList out;
    for (const auto &m : Msg::shown())
        out << m.text;
    return out;
}

} // namespace

class OutageTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void clientComesBack_data();
    void clientComesBack();
    void actionDuringOutageGetsOneClearMessage();
    void lostInsideTransactionSavesNothing();
    void otherErrorsKeepTheirText_data();
    void otherErrorsKeepTheirText();

private:
    void outage(Outage kind);
    int m_ticks = 0;
};

void OutageTest::initTestCase()
{
    const QString shared = QString::fromLocal8Bit(qgetenv("TABEL_PGTEST"));
    QVERIFY2(!shared.isEmpty(), "run through ctest");
    g_cluster.dir = QDir::cleanPath(shared + QStringLiteral("_outage"));
    runScript({TestDb::sourcePath("tests/pg_cluster.sh"), "start", g_cluster.dir, TestDb::sourcePath("db/schema.sql")});
    QFile f(g_cluster.dir + "/server");
    QVERIFY(f.open(QIODevice::ReadOnly));
    g_cluster.addr = QString::fromLatin1(f.readAll()).trimmed();
    // The options the server was started with, for starting it again.
    QFile opts(g_cluster.dir + "/data/postmaster.opts");
    QVERIFY(opts.open(QIODevice::ReadOnly));
    const QString line = QString::fromLocal8Bit(opts.readAll()).trimmed();
    QStringList words;
    for (const auto &m : QRegularExpression(QStringLiteral("\"([^\"]*)\"")).globalMatch(line))
        words << m.captured(1);
    for (int i = 0; i < words.size(); ++i) {
        if (words[i] == "-D") {
            ++i;
            continue;
        }
        g_cluster.options << words[i];
    }
    QVERIFY(g_cluster.options.contains("listen_addresses=" + g_cluster.addr));
    g_cluster.bin = QFileInfo(line.section(' ', 0, 0)).path();
    // A crash must not take committed work with it: commits wait for their
    // log record here (the shared cluster trades that for speed).
    g_cluster.options.replaceInStrings(QStringLiteral("synchronous_commit=off"), QStringLiteral("synchronous_commit=on"));
    g_cluster.stop("fast");
    g_cluster.start();

    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    new TDataModule6();
    auto *f1 = new TForm1();
    f1->BuildDate = kBuildDate;
    f1->BuildTime = kBuildTime;
    // The version check ticks often here, so that ticks fall inside a short
    // outage.
    f1->Timer1->setInterval(50);
    f1->Timer1->stop();
    connect(f1->Timer1, &QTimer::timeout, this, [this] {
        ++m_ticks;
        // The program ends after the first version message; here the timer
        // stops instead.
        if (EndRequested())
            Form1->Timer1->stop();
    });
}

void OutageTest::cleanupTestCase()
{
    if (DataModule6)
        DataModule6->ADO_DB.close();
    if (!g_cluster.dir.isEmpty())
        runScript({TestDb::sourcePath("tests/pg_cluster.sh"), "stop", g_cluster.dir});
}

void OutageTest::init()
{
    Msg::setRecording(true);
    Msg::clearShown();
    ResetEndRequested();
    Form1->Timer1->stop();
    DataModule6->ADO_DB.close();
    g_cluster.psql("postgres", QStringLiteral("drop database if exists %1 with (force)").arg(kDb));
    g_cluster.psql("postgres", QStringLiteral("create database %1 template tabel_tpl owner sys").arg(kDb));
    DataModule6->ADO_DB.setConnectionString(ConnectionString(kDb, g_cluster.addr));
    DataModule6->ADO_DB.open();
    DataModule6->DecimalDelimiter = QStringLiteral(".");
    load();
    Form1->CheckVersion(); // this build claims the database
    QVERIFY(Msg::shown().isEmpty());
}

void OutageTest::outage(Outage kind)
{
    switch (kind) {
    case Outage::FastRestart:
        g_cluster.stop("fast");
        g_cluster.start();
        break;
    case Outage::CrashRestart:
        g_cluster.stop("immediate");
        g_cluster.start();
        break;
    case Outage::StopAcrossTicks: {
        Form1->Timer1->start();
        g_cluster.stop("fast");
        // Version checks run while the server is away; they stay quiet.
        m_ticks = 0;
        QTRY_VERIFY_WITH_TIMEOUT(m_ticks >= 3, 20000);
        Form1->Timer1->stop();
        QCOMPARE(shownTexts(), QStringList());
        QVERIFY(!EndRequested());
        g_cluster.start();
        break;
    }
    }
}

void OutageTest::clientComesBack_data()
{
    QTest::addColumn<Outage>("kind");
    QTest::addColumn<QString>("first"); // the first thing the client does afterwards
    const std::pair<const char *, Outage> kinds[] = {{"fast restart", Outage::FastRestart},
                                                     {"crash restart", Outage::CrashRestart},
                                                     {"stop across version ticks", Outage::StopAcrossTicks}};
    for (const auto &[name, kind] : kinds)
        for (const char *first : {"refresh", "save", "delete", "version tick"})
            QTest::addRow("%s, then %s", name, first) << kind << QString::fromLatin1(first);
}

void OutageTest::clientComesBack()
{
    QFETCH(Outage, kind);
    QFETCH(QString, first);
    Connection &db = DataModule6->ADO_DB;
    const int kept = entry(Ivanov, Assembly, kDay, 1, 4);
    const int doomed = entry(Petrov, Assembly, kDay, 1, 3);
    openJournals(kDay);
    Form1->DateT->setDate(kDay); // "Обновить" reloads the picker's date
    Form1->DBGrid2->setDataset(&DataModule6->journal(1));
    QCOMPARE(Form1->DBGrid2->model()->rowCount(), 2);

    outage(kind);

    const auto refresh = [&] {
        QTest::mouseClick(Form1->Button8, Qt::LeftButton);
        QCOMPARE(shownTexts(), QStringList());
        QCOMPARE(Form1->DBGrid2->model()->rowCount(), entries());
    };
    const auto save = [&] {
        JournalOps::Entry e = newEntry(Ivanov, 2);
        e.operation = Painting;
        QVERIFY(JournalOps::StoreEntry(db, e, true) == JournalOps::StoreResult::Stored);
        QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.smena where o_id=:o::integer",
                                {{"o", int(Painting)}})
                     .toInt(),
                 1);
        QCOMPARE(cell(Ivanov, 1, kDay), QString("6"));
    };
    const auto remove = [&] {
        QVERIFY(JournalOps::RemoveEntry(db, doomed));
        QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.smena where id=:i::integer", {{"i", doomed}})
                     .toInt(),
                 0);
    };
    // Another client, started after the outage, claims the database for a
    // newer build; the next tick ends this one.
    const auto newerBuildEndsClient = [&] {
        std::unique_ptr<Connection> other = otherClient();
        other->exec("update accounts_dep.ver set d=:d::integer, t=:t::integer",
                    {{"d", kBuildDate}, {"t", kBuildTime + 1}});
        Form1->Timer1->start();
        QTRY_VERIFY_WITH_TIMEOUT(EndRequested(), 20000);
        Form1->Timer1->stop();
        QCOMPARE(shownTexts(), QStringList{kVersion});
    };

    if (first == "refresh") {
        refresh();
        save();
        remove();
    } else if (first == "save") {
        save();
        remove();
        refresh();
    } else if (first == "delete") {
        remove();
        save();
        refresh();
    }
    newerBuildEndsClient();
    QVERIFY(TestDb::scalar("select count(*) from accounts_dep.smena where id=:i::integer", {{"i", kept}}).toInt() == 1);
}

void OutageTest::actionDuringOutageGetsOneClearMessage()
{
    const int id = entry(Ivanov, Assembly, kDay, 1, 4);
    openJournals(kDay);
    Form1->DateT->setDate(kDay);
    g_cluster.stop("fast");
    // "Обновить" while the server is away: the one outage message, twice
    // (nothing stays stuck between the attempts).
    QTest::mouseClick(Form1->Button8, Qt::LeftButton);
    QTest::mouseClick(Form1->Button8, Qt::LeftButton);
    QCOMPARE(shownTexts(), QStringList({kLost, kLost}));
    // A save and a deletion throw the same message and write nothing.
    try {
        JournalOps::StoreEntry(DataModule6->ADO_DB, newEntry(Petrov, 2), true);
        QFAIL("saved without a server");
    } catch (const DbError &e) {
        QCOMPARE(e.text(), kLost);
    }
    try {
        JournalOps::RemoveEntry(DataModule6->ADO_DB, id);
        QFAIL("deleted without a server");
    } catch (const DbError &e) {
        QCOMPARE(e.text(), kLost);
    }
    g_cluster.start();
    Msg::clearShown();
    QTest::mouseClick(Form1->Button8, Qt::LeftButton);
    QCOMPARE(shownTexts(), QStringList());
    QCOMPARE(DataModule6->journal(1).recordCount(), 1);
    QCOMPARE(entries(), 1);
}

void OutageTest::lostInsideTransactionSavesNothing()
{
    Connection &db = DataModule6->ADO_DB;
    {
        Transaction t(db);
        db.exec("insert into accounts_dep.vid_oper (vid) values ('Первая')");
        g_cluster.stop("fast");
        g_cluster.start();
        // The transaction's first statement reached the server: its second
        // is not repeated on a new session, and nothing is committed.
        try {
            db.exec("insert into accounts_dep.vid_oper (vid) values ('Вторая')");
            QFAIL("a statement ran on a lost transaction");
        } catch (const DbError &e) {
            QCOMPARE(e.text(), kLost);
        }
        QVERIFY(!db.inTransaction());
        QVERIFY_THROWS_EXCEPTION(DbError, t.commit());
    }
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.vid_oper where vid in ('Первая', 'Вторая')").toInt(),
             0);
    // The next transaction runs on a new session.
    {
        Transaction t(db);
        db.exec("insert into accounts_dep.vid_oper (vid) values ('Третья')");
        t.commit();
    }
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.vid_oper where vid='Третья'").toInt(), 1);
}

void OutageTest::otherErrorsKeepTheirText_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("part"); // part of the server's own text
    QTest::newRow("division by zero") << "select 1/(select count(*) from accounts_dep.ver where d < 0)"
                                      << "division by zero";
    QTest::newRow("unknown table") << "select * from accounts_dep.nothing_here" << "nothing_here";
    QTest::newRow("out of range") << "select 99999::smallint" << "out of range";
}

void OutageTest::otherErrorsKeepTheirText()
{
    QFETCH(QString, sql);
    QFETCH(QString, part);
    Connection &db = DataModule6->ADO_DB;
    const int pid = db.scalar("select pg_backend_pid()").toInt();
    for (bool withParams : {false, true}) {
        try {
            if (withParams)
                db.scalar(sql + " where :x::integer = 1", {{"x", 1}});
            else
                db.scalar(sql);
            QFAIL("no error");
        } catch (const DbError &e) {
            QVERIFY2(e.text().contains(part), qPrintable(e.text()));
            QVERIFY(!e.isConnectionLost());
        }
    }
    // Not taken for an outage: the session is the same.
    QCOMPARE(db.scalar("select pg_backend_pid()").toInt(), pid);
}

int main(int argc, char **argv)
{
    // The program's application object: an error escaping a handler reaches
    // the general error display, as in the program.
    Application app(argc, argv);
    InstallRussian(app);
    OutageTest t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_outage.moc"
