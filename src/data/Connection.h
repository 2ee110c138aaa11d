#pragma once
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QList>
#include <QPair>

// Named parameter values for a statement: name (without the colon) -> value.
using SqlParams = QList<QPair<QString, QVariant>>;

// The program's one database connection (QODBC over psqlODBC). Every
// statement goes through exec()/select(), which bind values as parameters,
// classify failures by SQLSTATE and throw DbError.
//
// Outages: a statement outside a transaction, and every begin(), first opens
// a connection that is closed or known to be lost. A statement that finds the
// connection lost (after a server restart or a network break) opens it again
// and runs once more, when it ran on its own or was the first of its
// transaction; otherwise, or when the server cannot be reached, it throws
// DbError::connectionLost() with the one message users see for outages.
class Connection {
public:
    explicit Connection(const QString &name = QStringLiteral("ADO_DB"));
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    void setConnectionString(const QString &s) { m_connectionString = s; }
    const QString &connectionString() const { return m_connectionString; }
    // Opens the connection and applies the session settings. Throws DbError.
    void open();
    void close();
    bool isOpen() const;

    // Runs a statement for its effect; returns the number of affected rows.
    int exec(const QString &sql, const SqlParams &params = {});
    // Runs a query and hands back its prepared, executed QSqlQuery positioned
    // before the first row.
    QSqlQuery select(const QString &sql, const SqlParams &params = {});
    // First column of the first row, or an invalid QVariant when no row.
    QVariant scalar(const QString &sql, const SqlParams &params = {});

    bool inTransaction() const { return m_inTransaction; }
    void begin();
    void commit();
    void rollback();
    // Serialises check-then-write on `key` until the current transaction ends.
    void advisoryLock(const QString &key);

    QSqlDatabase database() const;

    // Who this session is, as the database's change history records it:
    // the role chosen at login (its name, and a Latin key for
    // application_name), the operating-system user and the machine. Applied
    // at every opening; a change applies at once to an open connection.
    void setSessionRole(const QString &name, const QString &key);
    const QString &sessionRoleName() const { return m_roleName; }
    // application_name: "Tabel <key> <user>@<machine>", printable ASCII,
    // at most 63 characters.
    QString applicationName() const;
    static QString osUser();
    static QString machineName();

private:
    QSqlQuery run(const QString &sql, const SqlParams &params, bool forwardOnly);
    void applySessionSettings();
    void applySessionIdentity(QSqlQuery &q);
    // True when the driver has seen the session break (no round trip).
    bool driverSaysDead() const;
    // Opens the connection when it is closed or lost.
    void ensureOpen();
    // open(), with the outage message when the server cannot be reached.
    void reopen();
    QString m_name;
    QString m_connectionString;
    bool m_inTransaction = false;
    bool m_broken = false;  // lost; open it again before the next statement
    int m_txStatements = 0; // statements run in the current transaction
    QString m_roleName, m_roleKey;
};

// One user action's writes: commits on commit(), rolls back otherwise (also
// when an exception leaves the scope). Does not nest: inside an already open
// transaction it does nothing.
class Transaction {
public:
    explicit Transaction(Connection &c);
    ~Transaction();
    void commit();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    Connection &m_c;
    bool m_owner = false;
    bool m_done = false;
};
