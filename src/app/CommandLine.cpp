#include "app/CommandLine.h"
#include "app/Settings.h"
#include "data/Unit6.h"

QString UsageText()
{
    return QStringLiteral(
               "Использование: tabel [БАЗА СЕРВЕР]\n"
               "               tabel --help | --version\n"
               "\n"
               "Табель: сменный журнал, табели и сдельная оплата цеха.\n"
               "Программа работает с базой данных PostgreSQL через ODBC (драйвер\n"
               "«PostgreSQL UNICODE»), пользователь sys, порт 5432.\n"
               "\n"
               "Аргументы:\n"
               "  БАЗА      имя базы данных\n"
               "  СЕРВЕР    адрес сервера базы данных\n"
               "Аргументы действуют, только когда задан СЕРВЕР; одна БАЗА без СЕРВЕРА\n"
               "не учитывается.\n"
               "\n"
               "Без аргументов база и сервер берутся из первого найденного источника:\n"
               "  1. файл настроек пользователя %1\n"
               "     ($XDG_CONFIG_HOME/tabel/tabel.conf, обычно ~/.config/tabel/tabel.conf);\n"
               "  2. общий файл настроек %2;\n"
               "  3. встроенные значения: база %3, сервер %4.\n"
               "Файл настроек (формат INI):\n"
               "  [database]\n"
               "  name=%3\n"
               "  server=%4\n"
               "Файл, который не читается или заполнен не полностью, пропускается с\n"
               "сообщением. Если подключиться не удалось, программа пишет в стандартный\n"
               "поток ошибок базу, сервер и источник настроек.\n"
               "\n"
               "Коды входа для ролей перечислены в README, раздел «Logging in»\n"
               "(/usr/share/doc/tabel/README.md).\n"
               "\n"
               "Параметры:\n"
               "  -h, --help    показать эту справку и выйти\n"
               "  --version     показать версию и отметку сборки и выйти\n"
               "\n"
               "Подробнее: man tabel\n")
        .arg(UserSettingsFile(), SystemSettingsFile(), QStringLiteral("mill_erp"), QString::fromLatin1(kDefaultServer));
}

QString VersionText(const QString &version, int buildDate, int buildTime)
{
    return QStringLiteral("tabel %1 (build: %2.%3)\n").arg(version).arg(buildDate).arg(buildTime);
}

QString InfoOptionText(const QStringList &args, const QString &version, int buildDate, int buildTime)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--help") || args[i] == QLatin1String("-h"))
            return UsageText();
        if (args[i] == QLatin1String("--version"))
            return VersionText(version, buildDate, buildTime);
    }
    return {};
}
