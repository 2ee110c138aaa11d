#pragma once
#include "data/Connection.h"

#include <QDate>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <QVector>

// A query text with named parameters, opened into a client-side snapshot of
// all its rows. The snapshot can be counted, scrolled both ways, positioned by
// row number, searched by field value and filtered on a text column without
// going back to the server. Row numbers are 1-based like the windows use them
// (0 = no current row).
class Dataset : public QObject {
    Q_OBJECT
public:
    Dataset(Connection &conn, const QString &name, const QString &sql = {}, QObject *parent = nullptr);

    // --- definition
    void setSql(const QString &sql); // closes the dataset and clears its parameters
    const QString &sql() const { return m_sql; }
    void setParam(const QString &name, const QVariant &value); // case-insensitive names
    QVariant param(const QString &name) const;
    const SqlParams &params() const { return m_params; }

    // --- lifecycle
    void open();              // runs the query; no-op when already open
    void close();
    void reopen() { close(); open(); }
    bool isOpen() const { return m_open; }

    // --- fields
    const QStringList &fieldNames() const { return m_fields; }
    int fieldIndex(const QString &field) const; // case-insensitive; -1 when absent
    bool isNumericField(int column) const;
    bool isDateField(int column) const;

    // --- navigation over the visible (filtered) rows
    int recordCount() const { return int(m_visible.size()); }
    bool isEmpty() const { return m_visible.isEmpty(); }
    int recNo() const { return m_cur < 0 ? 0 : m_cur + 1; }
    void setRecNo(int recNo); // clamps into range
    void first();
    void last();
    bool next();  // false at the end (eof)
    bool prior(); // false at the start (bof)
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    // Moves to the first row whose field equals value (texts compared after
    // trimming trailing blanks; optionally without letter case). Keeps the
    // position when nothing matches.
    bool locate(const QString &field, const QVariant &value, bool caseInsensitive = false);

    // --- values of the current row (invalid QVariant when there is none)
    QVariant value(const QString &field) const;
    QVariant valueAt(int row, int column) const; // row: 0-based visible row
    QVariant valueAt(int row, const QString &field) const;
    // Text of a value: "" for NULL, trailing blanks of fixed-width text dropped.
    QString text(const QString &field) const;
    static QString textOf(const QVariant &v);
    // Integer / decimal of the current row's field; NULL reads as 0. Throws
    // DbError when the stored text is not a number.
    qint64 asInt(const QString &field) const;
    double asDouble(const QString &field) const;
    QDate asDate(const QString &field) const;
    bool isNull(const QString &field) const;

    // --- filter: rows whose text field matches a LIKE pattern (% and _)
    void setFilter(const QString &field, const QString &likePattern, bool caseInsensitive = true);
    void clearFilter();
    bool filtered() const { return m_filterOn; }
    // A search box's filter: rows whose field begins with text (or contains
    // it), regardless of letter case; an empty text switches the filter off.
    void setSearch(const QString &field, const QString &text, bool contains = false);
    static bool likeMatch(const QString &text, const QString &pattern, bool caseInsensitive);

    const QString &name() const { return m_name; }
    Connection &connection() const { return m_conn; }

signals:
    void aboutToChange(); // rows about to be replaced (open, close, filter)
    void changed();       // rows replaced
    void currentChanged(int recNo);

private:
    int fieldIndexOrThrow(const QString &field) const;
    void rebuildVisible();
    void setCurrent(int idx);

    Connection &m_conn;
    QString m_name;
    QString m_sql;
    SqlParams m_params;
    bool m_open = false;
    QStringList m_fields;
    QVector<int> m_types;        // QMetaType ids
    QVector<int> m_nativeTypes;  // ODBC SQL types
    QVector<QVector<QVariant>> m_rows;
    QVector<int> m_visible;      // indexes into m_rows
    int m_cur = -1;              // index into m_visible
    bool m_eof = true;
    bool m_bof = true;
    bool m_filterOn = false;
    QString m_filterField;
    QString m_filterPattern;
    bool m_filterCi = true;
};
