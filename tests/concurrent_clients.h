// Two clients at the same moment: each client is a thread with its own
// connection; a gate on a third connection holds the lock their writes
// serialise on until all of them are seen waiting for it in pg_locks, then
// lets them go together.
#pragma once
#include "support/TestDb.h"

#include <QThread>
#include <QtTest>
#include <functional>
#include <memory>

namespace Concurrent {

// One client's work on a connection of its own, in its own thread; the
// work's result, or "error: <text>" when it threw.
class Client {
public:
    Client(const QString &name, std::function<QString(Connection &)> work)
    {
        m_thread.reset(QThread::create([this, name, work] {
            try {
                std::unique_ptr<Connection> c(TestDb::otherClient(name));
                m_result = work(*c);
            } catch (const std::exception &e) {
                m_result = QString("error: ") + e.what();
            }
        }));
        m_thread->start();
    }
    ~Client() { m_thread->wait(60000); }
    bool finish() { return m_thread->wait(60000); }
    QString result() const { return m_result; }

private:
    std::unique_ptr<QThread> m_thread;
    QString m_result;
};

inline int waitingAdvisoryLocks()
{
    return TestDb::scalar("select count(*) from pg_locks where locktype='advisory' and not granted").toInt();
}

// Holds `key` until `n` clients wait for it. Declare a guard that opens it
// after the clients, so a failed check does not leave them waiting.
class Gate {
public:
    explicit Gate(const QString &key) : m_conn(TestDb::otherClient("gate"))
    {
        m_conn->begin();
        m_conn->advisoryLock(key);
    }
    bool waitFor(int n) { return QTest::qWaitFor([n] { return waitingAdvisoryLocks() == n; }, 30000); }
    void open()
    {
        if (m_conn->inTransaction())
            m_conn->commit();
    }

private:
    std::unique_ptr<Connection> m_conn;
};

} // namespace Concurrent
