#include "data/Dataset.h"
#include "data/SqlText.h"
#include "data/DbError.h"

#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#include <sql.h>
#include <sqlext.h>

Dataset::Dataset(Connection &conn, const QString &name, const QString &sql, QObject *parent)
    : QObject(parent), m_conn(conn), m_name(name), m_sql(sql)
{
    setObjectName(name);
}

void Dataset::setSql(const QString &sql)
{
    close();
    m_sql = sql;
    m_params.clear();
}

void Dataset::setParam(const QString &name, const QVariant &value)
{
    for (auto &p : m_params) {
        if (p.first.compare(name, Qt::CaseInsensitive) == 0) {
            p.second = value;
            return;
        }
    }
    m_params.append({name, value});
}

QVariant Dataset::param(const QString &name) const
{
    for (const auto &p : m_params)
        if (p.first.compare(name, Qt::CaseInsensitive) == 0)
            return p.second;
    return {};
}

void Dataset::open()
{
    if (m_open)
        return;
    QSqlQuery q = m_conn.select(m_sql, m_params);
    QVector<QVector<QVariant>> rows;
    const QSqlRecord rec = q.record();
    QStringList fields;
    QVector<int> types, natives;
    for (int i = 0; i < rec.count(); ++i) {
        fields << rec.fieldName(i);
        types << rec.field(i).metaType().id();
        natives << rec.field(i).typeID();
    }
    const int n = rec.count();
    while (q.next()) {
        QVector<QVariant> row(n);
        for (int i = 0; i < n; ++i)
            row[i] = q.value(i);
        rows.append(std::move(row));
    }
    emit aboutToChange();
    m_fields = fields;
    m_types = types;
    m_nativeTypes = natives;
    m_rows = std::move(rows);
    m_open = true;
    rebuildVisible();
    emit changed();
    setCurrent(m_visible.isEmpty() ? -1 : 0);
}

void Dataset::close()
{
    if (!m_open)
        return;
    emit aboutToChange();
    m_open = false;
    m_rows.clear();
    m_visible.clear();
    emit changed();
    setCurrent(-1);
}

int Dataset::fieldIndex(const QString &field) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int Dataset::fieldIndexOrThrow(const QString &field) const
{
    const int i = fieldIndex(field);
    if (i < 0)
        throw DbError(QStringLiteral("%1: поле '%2' не найдено").arg(m_name, field));
    return i;
}

bool Dataset::isNumericField(int column) const
{
    if (column < 0 || column >= m_nativeTypes.size())
        return false;
    switch (m_nativeTypes[column]) {
    case SQL_NUMERIC: case SQL_DECIMAL: case SQL_INTEGER: case SQL_SMALLINT:
    case SQL_FLOAT: case SQL_REAL: case SQL_DOUBLE: case SQL_BIGINT: case SQL_TINYINT:
        return true;
    default:
        return false;
    }
}

bool Dataset::isDateField(int column) const
{
    if (column < 0 || column >= m_types.size())
        return false;
    return m_types[column] == QMetaType::QDate || m_types[column] == QMetaType::QDateTime;
}

void Dataset::rebuildVisible()
{
    m_visible.clear();
    const int col = m_filterOn ? fieldIndex(m_filterField) : -1;
    m_visible.reserve(m_rows.size());
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_filterOn && col >= 0 && !likeMatch(textOf(m_rows[i][col]), m_filterPattern, m_filterCi))
            continue;
        m_visible.append(i);
    }
}

void Dataset::setCurrent(int idx)
{
    if (m_visible.isEmpty())
        idx = -1;
    m_cur = idx;
    m_bof = m_eof = m_visible.isEmpty();
    emit currentChanged(recNo());
}

void Dataset::setRecNo(int recNo)
{
    if (m_visible.isEmpty())
        return setCurrent(-1);
    setCurrent(qBound(0, recNo - 1, int(m_visible.size()) - 1));
}

void Dataset::first()
{
    setCurrent(m_visible.isEmpty() ? -1 : 0);
}

void Dataset::last()
{
    setCurrent(int(m_visible.size()) - 1);
}

bool Dataset::next()
{
    if (m_visible.isEmpty() || m_cur + 1 >= m_visible.size()) {
        m_eof = true;
        return false;
    }
    setCurrent(m_cur + 1);
    return true;
}

bool Dataset::prior()
{
    if (m_visible.isEmpty() || m_cur <= 0) {
        m_bof = true;
        return false;
    }
    setCurrent(m_cur - 1);
    return true;
}

bool Dataset::locate(const QString &field, const QVariant &value, bool caseInsensitive)
{
    const int col = fieldIndex(field);
    if (col < 0)
        return false;
    const QString want = textOf(value);
    for (int i = 0; i < m_visible.size(); ++i) {
        const QVariant &v = m_rows[m_visible[i]][col];
        bool eq;
        if (isNumericField(col) && !v.isNull() && !value.isNull()) {
            bool ok1 = false, ok2 = false;
            const double a = textOf(v).toDouble(&ok1);
            const double b = want.toDouble(&ok2);
            eq = ok1 && ok2 ? a == b : textOf(v) == want;
        } else {
            eq = textOf(v).compare(want, caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
        }
        if (eq) {
            setCurrent(i);
            return true;
        }
    }
    return false;
}

QVariant Dataset::value(const QString &field) const
{
    const int col = fieldIndexOrThrow(field);
    if (m_cur < 0)
        return {};
    return m_rows[m_visible[m_cur]][col];
}

QVariant Dataset::valueAt(int row, int column) const
{
    if (row < 0 || row >= m_visible.size() || column < 0 || column >= m_fields.size())
        return {};
    return m_rows[m_visible[row]][column];
}

QVariant Dataset::valueAt(int row, const QString &field) const
{
    return valueAt(row, fieldIndex(field));
}

QString Dataset::textOf(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return {};
    if (v.metaType().id() == QMetaType::QDate)
        return SqlText::Date(v.toDate());
    QString s = v.toString();
    int end = s.size();
    while (end > 0 && s[end - 1] == u' ')
        --end;
    s.truncate(end);
    return s;
}

QString Dataset::text(const QString &field) const
{
    return textOf(value(field));
}

bool Dataset::isNull(const QString &field) const
{
    const QVariant v = value(field);
    return v.isNull() || !v.isValid();
}

qint64 Dataset::asInt(const QString &field) const
{
    const QString s = text(field).trimmed();
    if (s.isEmpty())
        return 0;
    bool ok = false;
    qint64 r = s.toLongLong(&ok);
    if (!ok) {
        const double d = s.toDouble(&ok);
        r = qint64(d);
        if (ok && double(r) != d)
            ok = false;
    }
    if (!ok)
        throw DbError(QStringLiteral("'%1' не является целым числом").arg(s));
    return r;
}

double Dataset::asDouble(const QString &field) const
{
    const QString s = text(field).trimmed();
    if (s.isEmpty())
        return 0;
    bool ok = false;
    const double r = s.toDouble(&ok);
    if (!ok)
        throw DbError(QStringLiteral("'%1' не является числом").arg(s));
    return r;
}

QDate Dataset::asDate(const QString &field) const
{
    const QVariant v = value(field);
    if (v.metaType().id() == QMetaType::QDateTime)
        return v.toDateTime().date();
    return v.toDate();
}

void Dataset::setFilter(const QString &field, const QString &likePattern, bool caseInsensitive)
{
    emit aboutToChange();
    m_filterOn = true;
    m_filterField = field;
    m_filterPattern = likePattern;
    m_filterCi = caseInsensitive;
    rebuildVisible();
    emit changed();
    setCurrent(m_visible.isEmpty() ? -1 : 0);
}

void Dataset::setSearch(const QString &field, const QString &text, bool contains)
{
    if (text.isEmpty())
        return clearFilter();
    setFilter(field, (contains ? QStringLiteral("%") : QString()) + text + QLatin1Char('%'), true);
}

void Dataset::clearFilter()
{
    if (!m_filterOn)
        return;
    emit aboutToChange();
    m_filterOn = false;
    rebuildVisible();
    emit changed();
    setCurrent(m_visible.isEmpty() ? -1 : 0);
}

bool Dataset::likeMatch(const QString &text, const QString &pattern, bool caseInsensitive)
{
    const QString t = caseInsensitive ? text.toLower() : text;
    const QString p = caseInsensitive ? pattern.toLower() : pattern;
    // Iterative wildcard match: % any run, _ one character.
    int ti = 0, pi = 0, starP = -1, starT = 0;
    const int tn = t.size(), pn = p.size();
    while (ti < tn) {
        if (pi < pn && (p[pi] == u'_' || p[pi] == t[ti])) {
            ++ti;
            ++pi;
        } else if (pi < pn && p[pi] == u'%') {
            starP = pi++;
            starT = ti;
        } else if (starP >= 0) {
            pi = starP + 1;
            ti = ++starT;
        } else {
            return false;
        }
    }
    while (pi < pn && p[pi] == u'%')
        ++pi;
    return pi == pn;
}
