#include "app/Settings.h"
#include "data/Unit6.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

const char *const kDefaultDatabase = "mill_erp";

// A value goes into the ODBC connection string as DATABASE=...; and
// SERVER=...;: a semicolon or a brace would end it or start another option,
// and a control character is never part of a name. The database name is a
// PostgreSQL identifier (at most 63 bytes), the server a host name, an
// address or a socket folder (at most 253 characters, no blanks).
QString valueFault(const QString &key, const QString &value)
{
    if (value.isEmpty())
        return QStringLiteral("пустое значение");
    for (const QChar c : value) {
        if (c.category() == QChar::Other_Control || c == QLatin1Char(';') || c == QLatin1Char('{')
            || c == QLatin1Char('}'))
            return QStringLiteral("недопустимый символ (точка с запятой, фигурная скобка или управляющий)");
        if (key == QLatin1String("server") && c.isSpace())
            return QStringLiteral("пробел в адресе сервера");
    }
    if (key == QLatin1String("name") && value.toUtf8().size() > 63)
        return QStringLiteral("имя базы данных длиннее 63 байт");
    if (key == QLatin1String("server") && value.size() > 253)
        return QStringLiteral("адрес сервера длиннее 253 символов");
    return {};
}

enum class FileResult { Absent, Used, Problem };

FileResult readFile(const QString &path, ConnectionSettings &out)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return FileResult::Absent;
    const auto problem = [&](const QString &why) {
        out.problems << QStringLiteral("Файл настроек %1 не используется: %2.").arg(path, why);
        return FileResult::Problem;
    };
    if (info.isDir())
        return problem(QStringLiteral("это папка, а не файл"));
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly))
        return problem(QStringLiteral("файл не читается (%1)").arg(probe.errorString()));
    probe.close();

    QSettings s(path, QSettings::IniFormat);
    if (s.status() == QSettings::AccessError)
        return problem(QStringLiteral("файл не читается"));
    if (s.status() == QSettings::FormatError)
        return problem(QStringLiteral("это не текст в формате INI"));
    const QStringList keys = s.allKeys();
    if (keys.isEmpty())
        return FileResult::Absent; // only comments and blank lines

    QString values[2];
    const char *const names[2] = {"name", "server"};
    for (int i = 0; i < 2; ++i) {
        const QString key = QString::fromLatin1(names[i]);
        const QString full = QStringLiteral("database/") + key;
        if (!s.contains(full))
            return problem(QStringLiteral("в разделе [database] нет ключа %1 (нужны оба: name и server)").arg(key));
        const QVariant v = s.value(full);
        // An unquoted comma makes QSettings read a list.
        if (v.typeId() != QMetaType::QString)
            return problem(QStringLiteral("ключ %1 раздела [database]: запятая в значении").arg(key));
        values[i] = v.toString().trimmed();
        const QString fault = valueFault(key, values[i]);
        if (!fault.isEmpty())
            return problem(QStringLiteral("ключ %1 раздела [database]: %2").arg(key, fault));
    }
    out.database = values[0];
    out.server = values[1];
    out.source = QStringLiteral("файл ") + path;
    return FileResult::Used;
}

} // namespace

QString UserSettingsFile()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // XDG_CONFIG_HOME as the desktop conventions read it: a relative value is ignored.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/tabel/tabel.conf");
}

QString SystemSettingsFile() { return QStringLiteral("/etc/tabel/tabel.conf"); }

ConnectionSettings ChooseConnection(const QStringList &args, const QStringList &files)
{
    ConnectionSettings out;
    const QString server = args.size() > 2 ? args[2] : QString();
    if (!server.isEmpty()) {
        out.database = args[1];
        out.server = server;
        out.source = QStringLiteral("аргументы командной строки");
        return out;
    }
    for (const QString &path : files) {
        if (readFile(path, out) == FileResult::Used)
            return out;
    }
    out.database = QString::fromLatin1(kDefaultDatabase);
    out.server = QString::fromLatin1(kDefaultServer);
    out.source = QStringLiteral("встроенные значения");
    return out;
}

ConnectionSettings ChooseConnection(const QStringList &args)
{
    return ChooseConnection(args, {UserSettingsFile(), SystemSettingsFile()});
}

QString DescribeConnection(const ConnectionSettings &s)
{
    return QStringLiteral("база данных «%1», сервер «%2», порт 5432; настройки: %3")
        .arg(s.database, s.server, s.source);
}
