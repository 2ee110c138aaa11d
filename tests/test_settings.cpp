// Where the connection comes from: command line, the user's settings file,
// the system-wide one, the built-in values; files that cannot be used are
// passed over with a report naming them. And the answers to --help and
// --version. None of it needs a display or a database.
#include "app/CommandLine.h"
#include "app/Settings.h"
#include "data/Unit6.h"
#include "support/TestDb.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// Markers for a settings file's content in the tables below.
const QString kAbsent = QStringLiteral("<absent>");
const QString kFolder = QStringLiteral("<folder>");
const QString kShipped = QStringLiteral("<shipped>"); // the package's /etc/tabel/tabel.conf

const QString kUserGood = QStringLiteral("[database]\nname=user_db\nserver=10.0.0.1\n");
const QString kSystemGood = QStringLiteral("; the shop's server\n[database]\nname=shop\nserver=db.shop.local\n");
} // namespace

class SettingsTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString place(const QString &name, const QString &content)
    {
        const QString path = m_dir.filePath(name);
        QDir(path).removeRecursively();
        QFile::remove(path);
        if (content == kAbsent)
            return path;
        if (content == kFolder) {
            QDir().mkpath(path);
            return path;
        }
        if (content == kShipped) {
            QFile::copy(TestDb::sourcePath(QStringLiteral("packaging/tabel.conf")), path);
            return path;
        }
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        f.write(content.toUtf8());
        return path;
    }

private slots:
    // Which source wins, and which files are reported. `problem` is a part of
    // the one expected report ("" for none); `reported` says whose file.
    void precedence_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("source"); // args, user, system, builtin
        QTest::addColumn<QStringList>("problems"); // "user: part" / "system: part"

        const QString B = QStringLiteral("mill_erp");
        const QString S = QString::fromLatin1(kDefaultServer);
        const QStringList none;
        QTest::newRow("nothing: built-in") << QStringList{"tabel"} << kAbsent << kAbsent << B << S << "builtin" << none;
        QTest::newRow("shipped system file, values commented: built-in, quietly")
            << QStringList{"tabel"} << kAbsent << kShipped << B << S << "builtin" << none;
        QTest::newRow("arguments beat both files")
            << QStringList{"tabel", "cli_db", "10.9.9.9"} << kUserGood << kSystemGood << "cli_db" << "10.9.9.9"
            << "args" << none;
        QTest::newRow("arguments with an empty database still win")
            << QStringList{"tabel", "", "10.9.9.9"} << kUserGood << kSystemGood << "" << "10.9.9.9" << "args" << none;
        QTest::newRow("lone database argument is ignored: user file")
            << QStringList{"tabel", "cli_db"} << kUserGood << kSystemGood << "user_db" << "10.0.0.1" << "user" << none;
        QTest::newRow("empty server argument: user file")
            << QStringList{"tabel", "cli_db", ""} << kUserGood << kSystemGood << "user_db" << "10.0.0.1" << "user"
            << none;
        QTest::newRow("no user file: system file")
            << QStringList{"tabel"} << kAbsent << kSystemGood << "shop" << "db.shop.local" << "system" << none;
        QTest::newRow("user file of comments only: system file, quietly")
            << QStringList{"tabel"} << "# nothing here\n;name=x\n\n" << kSystemGood << "shop" << "db.shop.local"
            << "system" << none;
        QTest::newRow("names and blanks around them, Cyrillic database")
            << QStringList{"tabel"} << "[database]\nname =  цех_1  \nserver = 192.168.1.20 \n" << kAbsent << "цех_1"
            << "192.168.1.20" << "user" << none;
        QTest::newRow("half-filled user file: reported, system file used")
            << QStringList{"tabel"} << "[database]\nname=user_db\n" << kSystemGood << "shop" << "db.shop.local"
            << "system" << QStringList{"user: нет ключа server"};
        QTest::newRow("empty server value: reported")
            << QStringList{"tabel"} << "[database]\nname=user_db\nserver=\n" << kSystemGood << "shop"
            << "db.shop.local" << "system" << QStringList{"user: ключ server раздела [database]: пустое значение"};
        QTest::newRow("keys outside [database]: reported")
            << QStringList{"tabel"} << "name=user_db\nserver=10.0.0.1\n" << kSystemGood << "shop" << "db.shop.local"
            << "system" << QStringList{"user: нет ключа name"};
        QTest::newRow("user settings path is a folder: reported")
            << QStringList{"tabel"} << kFolder << kSystemGood << "shop" << "db.shop.local" << "system"
            << QStringList{"user: это папка"};
        QTest::newRow("option smuggled into the server: reported")
            << QStringList{"tabel"} << "[database]\nname=user_db\nserver=\"10.0.0.1;UID=postgres\"\n" << kSystemGood
            << "shop" << "db.shop.local" << "system" << QStringList{"user: ключ server раздела [database]: недопустимый символ"};
        QTest::newRow("brace in the database name: reported")
            << QStringList{"tabel"} << "[database]\nname=a}b\nserver=10.0.0.1\n" << kSystemGood << "shop"
            << "db.shop.local" << "system" << QStringList{"user: ключ name раздела [database]: недопустимый символ"};
        QTest::newRow("comma makes a list: reported")
            << QStringList{"tabel"} << "[database]\nname=user_db\nserver=10.0.0.1, 10.0.0.2\n" << kSystemGood
            << "shop" << "db.shop.local" << "system" << QStringList{"user: запятая"};
        QTest::newRow("blank in the server: reported")
            << QStringList{"tabel"} << "[database]\nname=user_db\nserver=\"db shop\"\n" << kSystemGood << "shop"
            << "db.shop.local" << "system" << QStringList{"user: пробел"};
        QTest::newRow("database name longer than PostgreSQL allows: reported")
            << QStringList{"tabel"} << "[database]\nname=" + QString(32, QChar(0x0446)) + "\nserver=10.0.0.1\n"
            << kSystemGood << "shop" << "db.shop.local" << "system" << QStringList{"user: длиннее 63 байт"};
        QTest::newRow("both files bad: both reported, built-in")
            << QStringList{"tabel"} << "[database]\nserver=10.0.0.1\n" << "[database]\nname=shop\n" << B << S
            << "builtin" << QStringList{"user: нет ключа name", "system: нет ключа server"};
    }

    void precedence()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, user);
        QFETCH(QString, system);
        QFETCH(QString, database);
        QFETCH(QString, server);
        QFETCH(QString, source);
        QFETCH(QStringList, problems);
        QVERIFY(m_dir.isValid());
        const QString userPath = place(QStringLiteral("user.conf"), user);
        const QString systemPath = place(QStringLiteral("system.conf"), system);

        const ConnectionSettings s = ChooseConnection(args, {userPath, systemPath});
        QCOMPARE(s.database, database);
        QCOMPARE(s.server, server);
        const QString expectedSource = source == "args"   ? QStringLiteral("аргументы командной строки")
                                       : source == "user" ? QStringLiteral("файл ") + userPath
                                       : source == "system" ? QStringLiteral("файл ") + systemPath
                                                            : QStringLiteral("встроенные значения");
        QCOMPARE(s.source, expectedSource);
        QCOMPARE(s.problems.size(), problems.size());
        for (int i = 0; i < problems.size(); ++i) {
            const QString whose = problems[i].section(QStringLiteral(": "), 0, 0);
            const QString part = problems[i].section(QStringLiteral(": "), 1);
            const QString path = whose == "user" ? userPath : systemPath;
            QVERIFY2(s.problems[i].startsWith(QStringLiteral("Файл настроек ") + path + QStringLiteral(" не используется: ")),
                     qPrintable(s.problems[i]));
            QVERIFY2(s.problems[i].contains(part), qPrintable(s.problems[i]));
        }
        // What the administrator reads on a failed connection.
        QCOMPARE(DescribeConnection(s), QStringLiteral("база данных «%1», сервер «%2», порт 5432; настройки: %3")
                                            .arg(database, server, expectedSource));
        // The values reach the connection string as they are.
        QVERIFY(ConnectionString(s.database, s.server)
                    .startsWith("DRIVER={PostgreSQL UNICODE};DATABASE=" + database + ";SERVER=" + server + ";PORT=5432;"));
    }

    // A file the program may not read is reported (as root every file reads).
    void unreadableFileIsReported()
    {
        const QString path = place(QStringLiteral("locked.conf"), kUserGood);
        QFile::setPermissions(path, QFileDevice::WriteOwner);
        QFile probe(path);
        if (probe.open(QIODevice::ReadOnly))
            QSKIP("this user reads files without read permission");
        const ConnectionSettings s = ChooseConnection({"tabel"}, {path});
        QCOMPARE(s.source, QStringLiteral("встроенные значения"));
        QCOMPARE(s.problems.size(), 1);
        QVERIFY2(s.problems[0].contains(path) && s.problems[0].contains("не читается"), qPrintable(s.problems[0]));
    }

    void userFileFollowsXdgConfigHome_data()
    {
        QTest::addColumn<QByteArray>("xdg");
        QTest::addColumn<QString>("expected");
        QTest::newRow("set") << QByteArray("/srv/cfg") << "/srv/cfg/tabel/tabel.conf";
        QTest::newRow("unset") << QByteArray() << QDir::homePath() + "/.config/tabel/tabel.conf";
        QTest::newRow("relative: ignored") << QByteArray("cfg") << QDir::homePath() + "/.config/tabel/tabel.conf";
    }

    void userFileFollowsXdgConfigHome()
    {
        QFETCH(QByteArray, xdg);
        QFETCH(QString, expected);
        const QByteArray old = qgetenv("XDG_CONFIG_HOME");
        if (xdg.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", xdg);
        const QString got = UserSettingsFile();
        if (old.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", old);
        QCOMPARE(got, expected);
        QCOMPARE(SystemSettingsFile(), QStringLiteral("/etc/tabel/tabel.conf"));
    }

    void infoOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected"); // "usage", "version" or "" (start as usual)
        QTest::newRow("--help") << QStringList{"tabel", "--help"} << "usage";
        QTest::newRow("-h") << QStringList{"tabel", "-h"} << "usage";
        QTest::newRow("--version") << QStringList{"tabel", "--version"} << "version";
        QTest::newRow("after the arguments") << QStringList{"tabel", "shop", "10.0.0.1", "--version"} << "version";
        QTest::newRow("no arguments") << QStringList{"tabel"} << "";
        QTest::newRow("database and server") << QStringList{"tabel", "shop", "10.0.0.1"} << "";
    }

    void infoOptions()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, expected);
        const QString text = InfoOptionText(args, "1.2.3", 20240305, 50829);
        if (expected.isEmpty()) {
            QVERIFY(text.isEmpty());
        } else if (expected == "version") {
            QCOMPARE(text, QStringLiteral("tabel 1.2.3 (build: 20240305.50829)\n"));
        } else {
            QVERIFY(text.startsWith(QStringLiteral("Использование: tabel [БАЗА СЕРВЕР]\n")));
            // The settings files in their order, the built-in values and the
            // place of the login codes.
            const qsizetype user = text.indexOf(UserSettingsFile());
            const qsizetype system = text.indexOf(QStringLiteral("/etc/tabel/tabel.conf"));
            QVERIFY(user > 0 && system > user);
            QVERIFY(text.contains(QStringLiteral("mill_erp")) && text.contains(QString::fromLatin1(kDefaultServer)));
            QVERIFY(text.contains(QStringLiteral("README")));
        }
    }
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "test_settings.moc"
