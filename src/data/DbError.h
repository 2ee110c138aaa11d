#pragma once
#include <QString>
#include <stdexcept>

// A failed database statement or a failed conversion of a value read from the
// database. The text is what the general error display shows.
class DbError : public std::runtime_error {
public:
    DbError(const QString &text, const QString &sqlState = {})
        : std::runtime_error(text.toStdString()), m_text(text), m_sqlState(sqlState) {}
    const QString &text() const { return m_text; }
    // Five-character SQLSTATE of the server error ("23505", "08S01"), empty
    // when unknown.
    const QString &sqlState() const { return m_sqlState; }
    // The server cannot be reached: the connection was lost and could not be
    // opened again. Its text is the one message users see for every outage.
    bool isConnectionLost() const { return isConnectionLost(m_sqlState); }
    // Connection exceptions (class 08) and the server's own shutdown of the
    // session (57P01 admin shutdown, 57P02 crash shutdown, 57P03 cannot connect now).
    static bool isConnectionLost(const QString &state)
    {
        return state.startsWith(QLatin1String("08")) || state == QLatin1String("57P01")
            || state == QLatin1String("57P02") || state == QLatin1String("57P03");
    }
    // The ODBC driver reports a broken session as a general error (S1000 or
    // HY000) with one of these texts, e.g. "Error while preparing parameters"
    // for the first statement with parameters after a server restart.
    static bool isConnectionLost(const QString &state, const QString &text)
    {
        if (isConnectionLost(state))
            return true;
        if (state != QLatin1String("S1000") && state != QLatin1String("HY000") && !state.isEmpty())
            return false;
        static const char *const phrases[] = {
            "connection has been lost",     "connection lost",
            "server closed the connection", "terminating connection",
            "no connection to the server",  "could not send data to server",
            "could not receive data from server", "error while preparing parameters",
        };
        for (const char *p : phrases)
            if (text.contains(QLatin1String(p), Qt::CaseInsensitive))
                return true;
        return false;
    }
    static QString lostConnectionText()
    {
        return QStringLiteral("Нет связи с сервером базы данных. Повторите действие.");
    }
    // The error users see when the server cannot be reached.
    static DbError connectionLost() { return DbError(lostConnectionText(), QStringLiteral("08006")); }
    // A write into a closed month, refused by the database's triggers; the
    // text is the server's own: "Месяц Март 2024 закрыт. Изменения невозможны."
    static QString monthClosedState() { return QStringLiteral("TB001"); }
    bool isMonthClosed() const { return m_sqlState == monthClosedState(); }

private:
    QString m_text;
    QString m_sqlState;
};
