#include "journal/ChangeHistory.h"
#include "data/SqlText.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLocale>
#include <QSqlQuery>

namespace ChangeHistory {

namespace {

enum class Kind { Number, Person, Product, Operation, Nomenclature, WorkKind, Date, Mark, Flag };

struct Column {
    const char *name;
    const char *label;
    Kind kind;
    bool summary; // listed for an added or deleted entry
};

// The journal's columns in the order the history lists them.
const QList<Column> &journalColumns()
{
    static const QList<Column> c{
        {"w_id", "Рабочий", Kind::Person, true},
        {"i_id", "Изделие", Kind::Product, true},
        {"o_id", "Операция", Kind::Operation, true},
        {"data", "Дата", Kind::Date, true},
        {"smena", "Смена", Kind::Number, true},
        {"kol_vo", "Кол-во", Kind::Number, true},
        {"brak", "Брак", Kind::Number, true},
        {"time", "Часы", Kind::Number, true},
        {"cena", "Цена", Kind::Number, true},
        {"base_cena", "Цена база", Kind::Number, false},
        {"i_holiday", "Выходной", Kind::Flag, false},
        {"color", "Цвет", Kind::Number, true},
        {"ok", "ОК", Kind::Mark, true},
        {"vvod", "Заведен", Kind::Date, false},
        {"prize", "Премия (%)", Kind::Number, false},
    };
    return c;
}

const QList<Column> &maintenanceColumns()
{
    static const QList<Column> c{
        {"id_p", "Рабочий", Kind::Person, true},
        {"id_nom", "Номенклатура", Kind::Nomenclature, true},
        {"id_o", "Работа", Kind::WorkKind, true},
        {"d_date", "Дата", Kind::Date, true},
        {"i_smena", "Смена", Kind::Number, true},
        {"cnt", "Кол-во", Kind::Number, true},
        {"price", "Цена", Kind::Number, true},
        {"i_holiday", "Вых.", Kind::Flag, true},
        {"i_night", "Ноч.", Kind::Flag, true},
    };
    return c;
}

// Columns kept by the program but never shown: ids, document links, and the
// month and year that follow the date.
bool hidden(const QString &name)
{
    static const QStringList names{QStringLiteral("id"),          QStringLiteral("id_doc"),
                                   QStringLiteral("id_doc_item"), QStringLiteral("f_gds_qty_use"),
                                   QStringLiteral("id_gds_use"),  QStringLiteral("id_cons_use"),
                                   QStringLiteral("i_mnth"),      QStringLiteral("i_year")};
    return names.contains(name);
}

QString tableOf(Source s)
{
    return s == Source::Journal ? QStringLiteral("smena") : QStringLiteral("fatigue");
}

QString numberText(const QJsonValue &v)
{
    if (v.isDouble()) {
        QString t = QString::number(v.toDouble(), 'f', 4);
        if (t.contains(QLatin1Char('.'))) {
            while (t.endsWith(QLatin1Char('0')))
                t.chop(1);
            if (t.endsWith(QLatin1Char('.')))
                t.chop(1);
        }
        return t.replace(QLatin1Char('.'), QLocale().decimalPoint());
    }
    return v.toVariant().toString().trimmed();
}

// Names of referenced rows, each read once per history.
class Names {
public:
    explicit Names(Connection &conn) : m_conn(conn) {}
    QString of(Kind kind, const QJsonValue &v)
    {
        if (v.isNull() || v.isUndefined())
            return QString();
        const qlonglong id = qlonglong(v.toDouble());
        const QString key = QString::number(int(kind)) + QLatin1Char(':') + QString::number(id);
        auto it = m_cache.constFind(key);
        if (it != m_cache.constEnd())
            return *it;
        QString sql;
        switch (kind) {
        case Kind::Person:
            sql = QStringLiteral("select coalesce((select fio from accounts_dep.person where id=:id::integer), "
                                 "(select s_caption from cmn_contractor.person where id=:id::integer))");
            break;
        case Kind::Product:
            sql = QStringLiteral("select marka from accounts_dep.izdel where id=:id::numeric");
            break;
        case Kind::Operation:
            sql = QStringLiteral("select vo.vid from accounts_dep.oper o join accounts_dep.vid_oper vo on "
                                 "vo.id=o.vid where o.id=:id::integer");
            break;
        case Kind::Nomenclature:
            sql = QStringLiteral("select s_caption from cmn_classifier.item where id=:id::numeric");
            break;
        case Kind::WorkKind:
            sql = QStringLiteral("select vid from accounts_dep.vid_oper where id=:id::integer");
            break;
        default:
            return numberText(v);
        }
        const QVariant name = m_conn.scalar(sql, {{QStringLiteral("id"), id}});
        QString text = name.isNull() || !name.isValid() ? QString() : name.toString().trimmed();
        if (text.isEmpty())
            text = QStringLiteral("№%1").arg(id);
        m_cache.insert(key, text);
        return text;
    }

private:
    Connection &m_conn;
    QHash<QString, QString> m_cache;
};

QString valueText(Names &names, const Column *c, const QJsonValue &v)
{
    const Kind kind = c ? c->kind : Kind::Number;
    switch (kind) {
    case Kind::Mark: {
        const QString m = v.toString().trimmed();
        return m == QLatin1String("ok") || m == QStringLiteral("да") ? QStringLiteral("да") : QStringLiteral("нет");
    }
    case Kind::Flag:
        return v.isNull() || v.isUndefined() || v.toDouble() == 0 ? QStringLiteral("нет") : QStringLiteral("да");
    case Kind::Date: {
        if (v.isNull() || v.isUndefined())
            return QString();
        const QString s = v.toString();
        const QDate d = QDate::fromString(s.left(10), QStringLiteral("yyyy-MM-dd"));
        return d.isValid() ? SqlText::Date(d) : s;
    }
    case Kind::Number:
        return v.isNull() || v.isUndefined() ? QString() : numberText(v);
    default:
        return names.of(kind, v);
    }
}

const Column *columnOf(const QList<Column> &cols, const QString &name)
{
    for (const Column &c : cols)
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

QJsonObject objectOf(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return {};
    return QJsonDocument::fromJson(v.toString().toUtf8()).object();
}

// The columns in the history's order: known ones first, then any other
// column the table has gained, by its own name.
QStringList orderedKeys(const QList<Column> &cols, const QJsonObject &a, const QJsonObject &b)
{
    QStringList keys;
    for (const Column &c : cols)
        if (a.contains(QLatin1String(c.name)) || b.contains(QLatin1String(c.name)))
            keys << QString::fromLatin1(c.name);
    QStringList rest;
    for (const QJsonObject *o : {&a, &b})
        for (const QString &k : o->keys())
            if (!columnOf(cols, k) && !hidden(k) && !rest.contains(k))
                rest << k;
    rest.sort();
    return keys + rest;
}

QString labelOf(const Column *c, const QString &key)
{
    return c ? QString::fromUtf8(c->label) : key;
}

QString changesText(Names &names, const QList<Column> &cols, const QString &action, const QJsonObject &oldV,
                    const QJsonObject &newV)
{
    QStringList parts;
    if (action == QLatin1String("update")) {
        for (const QString &k : orderedKeys(cols, oldV, newV)) {
            const Column *c = columnOf(cols, k);
            const QString a = valueText(names, c, oldV.value(k)), b = valueText(names, c, newV.value(k));
            if (a != b)
                parts << QStringLiteral("%1: %2 → %3").arg(labelOf(c, k), a.isEmpty() ? QStringLiteral("—") : a,
                                                           b.isEmpty() ? QStringLiteral("—") : b);
        }
    } else {
        const QJsonObject &v = action == QLatin1String("delete") ? oldV : newV;
        for (const Column &c : cols)
            if (c.summary && v.contains(QLatin1String(c.name)))
                parts << QStringLiteral("%1: %2").arg(QString::fromUtf8(c.label),
                                                      valueText(names, &c, v.value(QLatin1String(c.name))));
    }
    return parts.join(QStringLiteral("; "));
}

QString actionText(const QString &a)
{
    if (a == QLatin1String("insert"))
        return QStringLiteral("Добавление");
    if (a == QLatin1String("update"))
        return QStringLiteral("Изменение");
    if (a == QLatin1String("delete"))
        return QStringLiteral("Удаление");
    return a;
}

QString textOf(const QVariant &v)
{
    return v.isNull() || !v.isValid() ? QString() : v.toString().trimmed();
}

} // namespace

QList<Line> Read(Connection &conn, Source source, int entryId)
{
    const QList<Column> &cols = source == Source::Journal ? journalColumns() : maintenanceColumns();
    QSqlQuery q = conn.select(
        QStringLiteral("select to_char(changed_at, 'DD.MM.YYYY HH24:MI:SS'), action, old_values::text, "
                       "new_values::text, db_role, app_role, os_user, host, application_name, "
                       "host(client_addr) from accounts_dep.change_log where table_name=:t and "
                       "row_id=:id::integer order by id desc"),
        {{QStringLiteral("t"), tableOf(source)}, {QStringLiteral("id"), entryId}});
    struct Raw {
        QString when, action, dbRole, appRole, osUser, host, appName, addr;
        QJsonObject oldV, newV;
    };
    QList<Raw> raws;
    while (q.next())
        raws << Raw{textOf(q.value(0)), textOf(q.value(1)), textOf(q.value(4)), textOf(q.value(5)),
                    textOf(q.value(6)),  textOf(q.value(7)), textOf(q.value(8)), textOf(q.value(9)),
                    objectOf(q.value(2)), objectOf(q.value(3))};
    Names names(conn);
    QList<Line> lines;
    for (const Raw &r : raws) {
        Line l;
        l.when = r.when;
        if (!r.osUser.isEmpty()) {
            QStringList how;
            if (!r.appRole.isEmpty())
                how << r.appRole;
            how << r.dbRole;
            l.who = QStringLiteral("%1 (%2)").arg(r.osUser, how.join(QStringLiteral(", ")));
        } else {
            l.who = r.appName.isEmpty() ? r.dbRole : QStringLiteral("%1 (%2)").arg(r.dbRole, r.appName);
        }
        l.computer = r.host.isEmpty() ? r.addr : r.host;
        l.action = actionText(r.action);
        l.changes = changesText(names, cols, r.action, r.oldV, r.newV);
        lines << l;
    }
    return lines;
}

QList<DeletedEntry> DeletedOn(Connection &conn, Source source, const QDate &day)
{
    const QString table = tableOf(source);
    QSqlQuery q = conn.select(
        QStringLiteral("select l.row_id, l.old_values::text from accounts_dep.change_log l where l.table_name=:t "
                       "and l.action='delete' and l.entry_date=:d::date and not exists (select 1 from "
                       "accounts_dep.%1 e where e.id=l.row_id) order by l.id desc")
            .arg(table),
        {{QStringLiteral("t"), table}, {QStringLiteral("d"), day}});
    QList<QPair<int, QJsonObject>> rows;
    while (q.next())
        rows << qMakePair(q.value(0).toInt(), objectOf(q.value(1)));
    Names names(conn);
    QList<DeletedEntry> out;
    for (const auto &[id, v] : rows) {
        QStringList what;
        QString who;
        if (source == Source::Journal) {
            who = names.of(Kind::Person, v.value(QStringLiteral("w_id")));
            what << names.of(Kind::Product, v.value(QStringLiteral("i_id")))
                 << names.of(Kind::Operation, v.value(QStringLiteral("o_id")))
                 << QStringLiteral("Кол-во %1").arg(numberText(v.value(QStringLiteral("kol_vo"))));
        } else {
            who = names.of(Kind::Person, v.value(QStringLiteral("id_p")));
            what << names.of(Kind::Nomenclature, v.value(QStringLiteral("id_nom")))
                 << names.of(Kind::WorkKind, v.value(QStringLiteral("id_o")))
                 << QStringLiteral("Кол-во %1").arg(numberText(v.value(QStringLiteral("cnt"))));
        }
        what.removeAll(QString());
        out << DeletedEntry{id, QStringLiteral("%1: %2").arg(who, what.join(QStringLiteral(", ")))};
    }
    return out;
}

} // namespace ChangeHistory
