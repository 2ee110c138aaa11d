#include "support/TestDb.h"
#include "data/Unit6.h"
#include "ui/Msg.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QtTest>

namespace TestDb {

static QString clusterDir()
{
    const QByteArray d = qgetenv("TABEL_PGTEST");
    if (d.isEmpty())
        qFatal("TABEL_PGTEST is not set: run the tests through ctest");
    return QString::fromLocal8Bit(d);
}

QString server()
{
    QFile f(clusterDir() + QStringLiteral("/server"));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("test cluster is not running (no %s/server)", qPrintable(clusterDir()));
    return QString::fromLatin1(f.readAll()).trimmed();
}

QString databaseName()
{
    return QStringLiteral("t_") + QFileInfo(QCoreApplication::applicationFilePath()).baseName().toLower();
}

static void adminExec(const QString &sql)
{
    static Connection *admin = nullptr;
    if (!admin) {
        admin = new Connection(QStringLiteral("test_admin"));
        // The cluster's superuser: the program's login may not create databases.
        admin->setConnectionString(ConnectionString(QStringLiteral("postgres"), server())
                                       .replace(QStringLiteral("UID=sys;PWD=wompvlk"),
                                                QStringLiteral("UID=postgres;PWD=postgres")));
        admin->open();
    }
    admin->exec(sql);
}

void fresh()
{
    if (!DataModule6)
        new TDataModule6();
    Msg::setRecording(true);
    Msg::clearShown();
    DataModule6->ADO_DB.close();
    const QString db = databaseName();
    // An autovacuum worker busy in the old database cannot be terminated by
    // the program's role; it finishes soon, so try again for a while.
    for (int attempt = 1;; ++attempt) {
        try {
            adminExec(QStringLiteral("drop database if exists %1 with (force)").arg(db));
            break;
        } catch (const std::exception &) {
            if (attempt >= 50)
                throw;
            QThread::msleep(200);
        }
    }
    adminExec(QStringLiteral("create database %1 template tabel_tpl").arg(db));
    DataModule6->ADO_DB.setConnectionString(ConnectionString(db, server()));
    DataModule6->ADO_DB.open();
    DataModule6->DecimalDelimiter = QStringLiteral(".");
}

Connection *otherClient(const QString &name)
{
    auto *c = new Connection(name);
    c->setConnectionString(ConnectionString(databaseName(), server()));
    c->open();
    return c;
}

void exec(const QString &sql, const SqlParams &params)
{
    DataModule6->ADO_DB.exec(sql, params);
}

QVariant scalar(const QString &sql, const SqlParams &params)
{
    return DataModule6->ADO_DB.scalar(sql, params);
}

QString sourcePath(const QString &rel)
{
    return QStringLiteral(TABEL_SOURCE_DIR "/") + rel;
}

void loadScript(const QString &path)
{
    QProcess p;
    const QString bin = QStringLiteral("psql");
    QStringList args{QStringLiteral("-h"), server(), QStringLiteral("-p"), QStringLiteral("5432"),
                     QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("-d"), databaseName(),
                     QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-q"),
                     QStringLiteral("-f"), path};
    p.start(bin, args);
    p.waitForFinished(120000);
    if (p.exitCode() != 0)
        qFatal("psql failed on %s: %s", qPrintable(path), p.readAllStandardError().constData());
}

} // namespace TestDb
