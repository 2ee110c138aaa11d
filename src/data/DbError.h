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
    // Connection exceptions (class 08) and the server's own shutdown of the
    // session (57P01 admin shutdown, 57P02 crash shutdown, 57P03 cannot connect now).
    bool isConnectionLost() const { return isConnectionLost(m_sqlState); }
    static bool isConnectionLost(const QString &state)
    {
        return state.startsWith(QLatin1String("08")) || state == QLatin1String("57P01")
            || state == QLatin1String("57P02") || state == QLatin1String("57P03");
    }

private:
    QString m_text;
    QString m_sqlState;
};
