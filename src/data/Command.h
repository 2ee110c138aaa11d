#pragma once
#include "data/Connection.h"

// A statement text run once for its effect, with optional named parameters.
class Command {
public:
    Command(Connection &conn, const QString &name, const QString &text = {})
        : m_conn(conn), m_name(name), m_text(text) {}
    void setText(const QString &text)
    {
        m_text = text;
        m_params.clear();
    }
    const QString &text() const { return m_text; }
    void setParam(const QString &name, const QVariant &value)
    {
        for (auto &p : m_params)
            if (p.first.compare(name, Qt::CaseInsensitive) == 0) {
                p.second = value;
                return;
            }
        m_params.append({name, value});
    }
    // Runs the statement; returns the number of affected rows.
    int execute() { return m_conn.exec(m_text, m_params); }
    // Sets the text and parameters and runs it.
    int execute(const QString &text, const SqlParams &params = {})
    {
        m_text = text;
        m_params = params;
        return execute();
    }
    const QString &name() const { return m_name; }

private:
    Connection &m_conn;
    QString m_name;
    QString m_text;
    SqlParams m_params;
};
