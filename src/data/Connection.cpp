#include "data/Connection.h"
#include "data/DbError.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlResult>
#include <QSet>
#include <QSysInfo>

#include <pwd.h>
#include <sql.h>
#include <unistd.h>
#include <sqlext.h>

namespace {

// SQLSTATE of the last diagnostic record on the statement handle of q; the
// error code Qt reports through ODBC is "1" for every server error.
QString sqlStateOf(const QSqlQuery &q)
{
    const QSqlResult *r = q.result();
    if (!r)
        return {};
    const QVariant h = r->handle();
    if (!h.isValid() || !h.data())
        return {};
    SQLHANDLE stmt = *static_cast<const SQLHANDLE *>(h.constData());
    if (!stmt)
        return {};
    SQLCHAR state[6] = {0};
    SQLINTEGER native = 0;
    SQLCHAR msg[16];
    SQLSMALLINT len = 0;
    if (SQL_SUCCEEDED(SQLGetDiagRecA(SQL_HANDLE_STMT, stmt, 1, state, &native, msg, sizeof msg, &len)))
        return QString::fromLatin1(reinterpret_cast<const char *>(state), 5);
    return {};
}

QString errorText(const QSqlError &e)
{
    QString t = e.databaseText().trimmed();
    if (t.isEmpty())
        t = e.driverText().trimmed();
    if (t.isEmpty())
        t = e.text().trimmed();
    return t;
}

// The server's own message without the driver's decoration ("ERROR:  ...;
// Error while executing the query").
QString serverMessage(QString t)
{
    static const QRegularExpression prefix(QStringLiteral("^\\s*(ERROR|ОШИБКА):\\s*"));
    t.remove(prefix);
    const qsizetype nl = t.indexOf(QLatin1Char('\n'));
    if (nl >= 0)
        t.truncate(nl);
    t = t.trimmed();
    if (t.endsWith(QLatin1Char(';')))
        t.chop(1);
    return t.trimmed();
}

// Placeholder names as the statement spells them, outside quoted text and
// ignoring ::casts.
QStringList placeholders(const QString &sql)
{
    QStringList names;
    QSet<QString> seen;
    const int n = sql.size();
    QChar quote;
    for (int i = 0; i < n; ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
            continue;
        }
        if (c != u':')
            continue;
        if (i + 1 < n && sql[i + 1] == u':') { // a cast
            ++i;
            continue;
        }
        if (i > 0 && (sql[i - 1].isLetterOrNumber() || sql[i - 1] == u'_'))
            continue;
        int j = i + 1;
        while (j < n && (sql[j].isLetterOrNumber() || sql[j] == u'_'))
            ++j;
        if (j > i + 1) {
            const QString name = sql.mid(i + 1, j - i - 1);
            if (!seen.contains(name.toLower())) {
                seen.insert(name.toLower());
                names << name;
            }
            i = j - 1;
        }
    }
    return names;
}

} // namespace

Connection::Connection(const QString &name) : m_name(name)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_name);
    db.setNumericalPrecisionPolicy(QSql::HighPrecision);
}

Connection::~Connection()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase Connection::database() const
{
    return QSqlDatabase::database(m_name, false);
}

void Connection::open()
{
    QSqlDatabase db = database();
    if (db.isOpen())
        db.close();
    db.setDatabaseName(m_connectionString);
    db.setNumericalPrecisionPolicy(QSql::HighPrecision);
    m_inTransaction = false;
    m_broken = true; // until the session settings are in place
    if (!db.open())
        throw DbError(errorText(db.lastError()), QStringLiteral("08001"));
    applySessionSettings();
    m_broken = false;
}

void Connection::applySessionSettings()
{
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("SET DateStyle = 'ISO, DMY'")))
        throw DbError(errorText(q.lastError()), sqlStateOf(q));
    // The windows' queries are short; compiling them (which the server's
    // cost estimate asks for on the timesheet queries) takes longer than
    // running them. Servers without the setting skip it.
    if (!q.exec(QStringLiteral("select set_config('jit', 'off', false) from pg_settings where name = 'jit'")))
        throw DbError(errorText(q.lastError()), sqlStateOf(q));
    applySessionIdentity(q);
}

void Connection::applySessionIdentity(QSqlQuery &q)
{
    // The change history's triggers read these settings.
    if (!q.prepare(QStringLiteral("select set_config('application_name', ?, false), set_config('tabel.role', ?, "
                                  "false), set_config('tabel.os_user', ?, false), set_config('tabel.host', ?, "
                                  "false)")))
        throw DbError(errorText(q.lastError()), sqlStateOf(q));
    q.addBindValue(applicationName());
    q.addBindValue(m_roleName);
    q.addBindValue(osUser());
    q.addBindValue(machineName());
    if (!q.exec())
        throw DbError(errorText(q.lastError()), sqlStateOf(q));
}

void Connection::setSessionRole(const QString &name, const QString &key)
{
    m_roleName = name;
    m_roleKey = key;
    if (!isOpen() || m_broken)
        return; // applied when the connection opens
    QSqlQuery q(database());
    try {
        applySessionIdentity(q);
    } catch (const DbError &e) {
        if (DbError::isConnectionLost(e.sqlState(), e.text()) || driverSaysDead()) {
            m_broken = true; // the next statement opens it again, identity included
            return;
        }
        throw;
    }
}

QString Connection::osUser()
{
    for (const char *var : {"USER", "LOGNAME", "USERNAME"}) {
        const QString v = qEnvironmentVariable(var).trimmed();
        if (!v.isEmpty())
            return v;
    }
    // Started without a login environment: the account's own name.
    if (const passwd *pw = getpwuid(geteuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return {};
}

QString Connection::machineName()
{
    return QSysInfo::machineHostName();
}

QString Connection::applicationName() const
{
    QString name = QStringLiteral("Tabel");
    if (!m_roleKey.isEmpty())
        name += QLatin1Char(' ') + m_roleKey;
    name += QLatin1Char(' ') + osUser() + QLatin1Char('@') + machineName();
    for (QChar &c : name)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            c = QLatin1Char('?');
    return name.left(63);
}

void Connection::close()
{
    QSqlDatabase db = database();
    if (db.isOpen())
        db.close();
    m_inTransaction = false;
}

bool Connection::isOpen() const
{
    return database().isOpen();
}

bool Connection::driverSaysDead() const
{
    // psqlODBC answers SQL_ATTR_CONNECTION_DEAD from what it saw on the
    // socket; it asks the server nothing.
    QSqlDatabase db = database();
    if (!db.isOpen() || !db.driver())
        return true;
    const QVariant h = db.driver()->handle();
    if (!h.isValid() || !h.data())
        return false;
    SQLHANDLE dbc = *static_cast<const SQLHANDLE *>(h.constData());
    if (!dbc)
        return true;
    SQLUINTEGER dead = SQL_CD_FALSE;
    if (!SQL_SUCCEEDED(SQLGetConnectAttr(dbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)))
        return false;
    return dead == SQL_CD_TRUE;
}

void Connection::ensureOpen()
{
    if (database().isOpen() && !m_broken && !driverSaysDead())
        return;
    reopen();
}

void Connection::reopen()
{
    try {
        open();
    } catch (const DbError &) {
        close();
        throw DbError::connectionLost();
    }
}

QSqlQuery Connection::run(const QString &sql, const SqlParams &params, bool forwardOnly)
{
    for (int attempt = 0;; ++attempt) {
        if (!m_inTransaction) {
            // A connection closed or lost earlier is opened again here, so
            // the program comes back by itself once the server is back.
            ensureOpen();
        } else if (!database().isOpen()) {
            rollback();
            throw DbError::connectionLost();
        }
        QString state, text;
        bool lost = false;
        {
            QSqlQuery q(database());
            q.setForwardOnly(forwardOnly);
            q.setNumericalPrecisionPolicy(QSql::HighPrecision);
            bool ok;
            if (params.isEmpty()) {
                ok = q.exec(sql);
            } else {
                ok = q.prepare(sql);
                if (ok) {
                    for (const QString &name : placeholders(sql)) {
                        bool found = false;
                        for (const auto &p : params) {
                            if (p.first.compare(name, Qt::CaseInsensitive) == 0) {
                                q.bindValue(QLatin1Char(':') + name, p.second);
                                found = true;
                                break;
                            }
                        }
                        if (!found)
                            q.bindValue(QLatin1Char(':') + name, QVariant());
                    }
                    ok = q.exec();
                }
            }
            if (ok) {
                if (m_inTransaction)
                    ++m_txStatements;
                return q;
            }
            state = sqlStateOf(q);
            text = errorText(q.lastError());
            lost = DbError::isConnectionLost(state, text) || driverSaysDead();
        } // the failed statement's handle is freed before any reopen
        if (lost) {
            m_broken = true;
            // Nothing of a statement that ran on its own, or of a transaction
            // whose first statement this was, reached the server: open the
            // connection again and repeat it once.
            if (attempt == 0 && (!m_inTransaction || m_txStatements == 0)) {
                const bool wasInTransaction = m_inTransaction;
                m_inTransaction = false;
                reopen(); // throws the outage message when the server is away
                if (wasInTransaction)
                    begin();
                continue;
            }
            rollback();
            throw DbError::connectionLost();
        }
        if (m_inTransaction) {
            // psqlODBC would undo only this statement and let a later commit
            // save the others: undo the whole transaction at once.
            rollback();
        }
        if (state == DbError::monthClosedState())
            text = serverMessage(text);
        throw DbError(text, state);
    }
}

int Connection::exec(const QString &sql, const SqlParams &params)
{
    QSqlQuery q = run(sql, params, true);
    return q.numRowsAffected();
}

QSqlQuery Connection::select(const QString &sql, const SqlParams &params)
{
    return run(sql, params, true);
}

QVariant Connection::scalar(const QString &sql, const SqlParams &params)
{
    QSqlQuery q = run(sql, params, true);
    if (q.next())
        return q.value(0);
    return {};
}

void Connection::begin()
{
    if (m_inTransaction)
        return;
    // A transaction never starts on a connection known to be closed or lost;
    // one lost unnoticed is opened again at its first statement (run()).
    ensureOpen();
    QSqlDatabase db = database();
    if (!db.transaction()) {
        if (!driverSaysDead())
            throw DbError(errorText(db.lastError()));
        reopen();
        db = database();
        if (!db.transaction())
            throw DbError::connectionLost();
    }
    m_inTransaction = true;
    m_txStatements = 0;
}

void Connection::commit()
{
    if (!m_inTransaction)
        throw DbError(QStringLiteral("Транзакция уже завершена."));
    QSqlDatabase db = database();
    m_inTransaction = false;
    if (!db.commit()) {
        const QString text = errorText(db.lastError());
        const bool lost = DbError::isConnectionLost(QString(), text) || driverSaysDead();
        db.rollback();
        if (lost) {
            m_broken = true;
            throw DbError::connectionLost();
        }
        throw DbError(text);
    }
}

void Connection::rollback()
{
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    if (!database().rollback() && driverSaysDead())
        m_broken = true;
}

void Connection::advisoryLock(const QString &key)
{
    exec(QStringLiteral("select pg_advisory_xact_lock(hashtext(:lock_key))"),
         {{QStringLiteral("lock_key"), key}});
}

Transaction::Transaction(Connection &c) : m_c(c)
{
    if (!c.inTransaction()) {
        c.begin();
        m_owner = true;
    }
}

Transaction::~Transaction()
{
    if (m_owner && !m_done)
        m_c.rollback();
}

void Transaction::commit()
{
    if (!m_owner || m_done)
        return;
    m_done = true;
    if (!m_c.inTransaction())
        throw DbError(QStringLiteral("Изменения не сохранены: транзакция была отменена."));
    m_c.commit();
}
