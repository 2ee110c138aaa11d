#pragma once
#include <QString>
#include <QStringList>

// Where the program's database connection comes from, first match wins:
//   1. the command line (argument 1 database, argument 2 server; used only
//      when argument 2 is given);
//   2. the user's settings file, UserSettingsFile();
//   3. the system-wide settings file, SystemSettingsFile();
//   4. the built-in values (mill_erp on the built-in server).
// A settings file is INI text:
//   [database]
//   name=mill_erp
//   server=192.168.10.5
// Everything here reads files only; it needs no display and no database.
struct ConnectionSettings {
    QString database;
    QString server;
    // Where they came from, in words for the administrator: "аргументы
    // командной строки", "файл <path>" or "встроенные значения".
    QString source;
    // One Russian line, naming the file's path, for each settings file that
    // exists but could not be used (unreadable, not INI, half-filled, a value
    // the connection cannot take).
    QStringList problems;
};

// $XDG_CONFIG_HOME/tabel/tabel.conf, by default ~/.config/tabel/tabel.conf.
QString UserSettingsFile();
// /etc/tabel/tabel.conf.
QString SystemSettingsFile();

// The choice from the arguments and the given settings files, in order of
// precedence. A file that does not exist, or holds no keys at all (such as
// the installed system file, whose values are commented out), is passed
// over quietly.
ConnectionSettings ChooseConnection(const QStringList &args, const QStringList &files);
// The same with the user's and the system-wide file.
ConnectionSettings ChooseConnection(const QStringList &args);

// "база данных «X», сервер «Y», порт 5432; настройки: <source>".
QString DescribeConnection(const ConnectionSettings &s);
