// The application shell: the general error display and the start-up path
// when the database cannot be reached.
#include "app/AppControl.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "app/Unit23.h"
#include "data/DbError.h"
#include "data/Unit6.h"
#include "journal/Unit1.h"
#include "support/TestDb.h"
#include "ui/Msg.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

namespace {
// What the program writes on standard error while it lives.
class StderrCapture {
public:
    StderrCapture()
    {
        if (m_file.open()) {
            std::fflush(stderr);
            m_saved = dup(2);
            dup2(m_file.handle(), 2);
        }
    }
    QString text()
    {
        release();
        m_file.seek(0);
        return QString::fromUtf8(m_file.readAll());
    }
    ~StderrCapture() { release(); }

private:
    void release()
    {
        if (m_saved >= 0) {
            std::fflush(stderr);
            dup2(m_saved, 2);
            close(m_saved);
            m_saved = -1;
        }
    }
    QTemporaryFile m_file;
    int m_saved = -1;
};
} // namespace

class AppTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        Msg::setRecording(true);
        Msg::clearShown();
        ResetEndRequested();
    }

    // An exception escaping a handler is shown with its own text and the
    // program goes on handling events.
    void escapedErrorIsShownAndProgramGoesOn()
    {
        QPushButton b;
        int clicks = 0;
        QObject::connect(&b, &QPushButton::clicked, [&] {
            ++clicks;
            throw DbError("ERROR: relation \"accounts_dep.nothing\" does not exist", "42P01");
        });
        QTest::mouseClick(&b, Qt::LeftButton);
        QTest::mouseClick(&b, Qt::LeftButton);
        QCOMPARE(clicks, 2);
        QCOMPARE(Msg::shown().size(), 2);
        QCOMPARE(Msg::shown()[0].text, QString("ERROR: relation \"accounts_dep.nothing\" does not exist"));
        QCOMPARE(Msg::shown()[0].caption, QString("Ошибка"));
        QVERIFY(Msg::shown()[0].icon == Msg::Icon::Error);
        QVERIFY(!EndRequested());
    }

    // Nothing listens at the server address: the connection message, the end,
    // and no login window.
    void unreachableDatabaseEndsWithoutLogin()
    {
        const QStringList args{"tabel", "mill_erp", "127.0.0.254"};
        QVERIFY(!CreateWindows(args, 20240305, 50829));
        QCOMPARE(Msg::shown().size(), 1);
        QCOMPARE(Msg::shown()[0].text, QString("Подключение к БД отсутсвует!!!"));
        QCOMPARE(Msg::shown()[0].caption, QString("Ошибка!"));
        QVERIFY(Msg::shown()[0].icon == Msg::Icon::Error);
        QVERIFY(EndRequested());
        QVERIFY(Form23 == nullptr);
        QVERIFY(!Form1->isVisible());
    }

    // A failed start-up tells the administrator on standard error what was
    // tried: database, server, port and where the settings came from (the
    // command line or a settings file, here the user's).
    void failedStartUpSaysWhatWasTried_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("userFile");
        QTest::addColumn<QString>("source");
        QTest::newRow("arguments") << QStringList{"tabel", "shop_db", "127.0.0.254"} << false
                                   << "аргументы командной строки";
        QTest::newRow("user's settings file, no arguments") << QStringList{"tabel"} << true << "файл %1";
    }

    void failedStartUpSaysWhatWasTried()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, userFile);
        QFETCH(QString, source);
        QTemporaryDir home;
        const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
        const auto restore = qScopeGuard([&] {
            if (oldXdg.isEmpty())
                qunsetenv("XDG_CONFIG_HOME");
            else
                qputenv("XDG_CONFIG_HOME", oldXdg);
        });
        const QString conf = home.path() + "/tabel/tabel.conf";
        if (userFile) {
            QDir().mkpath(home.path() + "/tabel");
            QFile f(conf);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[database]\nname=shop_db\nserver=127.0.0.254\n");
            f.close();
            source = source.arg(conf);
        }
        StderrCapture err;
        QVERIFY(!CreateWindows(args, 20240305, 50829));
        const QString text = err.text();
        QVERIFY2(text.contains(QStringLiteral("tabel: нет подключения к БД: база данных «shop_db», сервер «127.0.0.254», "
                                              "порт 5432; настройки: ")
                               + source + "\n"),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("tabel: ответ драйвера: ")), qPrintable(text));
        // The message users see stays as it was.
        QCOMPARE(Msg::shown().size(), 1);
        QCOMPARE(Msg::shown()[0].text, QString("Подключение к БД отсутсвует!!!"));
        QVERIFY(EndRequested());
    }

    // A settings file that cannot be used is reported once, with its path,
    // on standard error and in a message box.
    void settingsProblemsAreReported()
    {
        ConnectionSettings s;
        s.problems << "Файл настроек /etc/tabel/tabel.conf не используется: в разделе [database] нет ключа server "
                      "(нужны оба: name и server).";
        StderrCapture err;
        ReportSettingsProblems(s);
        QCOMPARE(err.text(), "tabel: " + s.problems[0] + "\n");
        QCOMPARE(Msg::shown().size(), 1);
        QCOMPARE(Msg::shown()[0].text, s.problems[0]);
        QCOMPARE(Msg::shown()[0].caption, QString("Настройки подключения"));
        QVERIFY(Msg::shown()[0].icon == Msg::Icon::Warning);
    }

    // Against the test database: the login window exists, is shown, and the
    // journal window's version timer runs every 30 seconds.
    void startUpOpensLogin()
    {
        const QString db = TestDb::databaseName();
        TestDb::fresh(); // creates the database (and a data module we drop again)
        delete DataModule6;
        QVERIFY(CreateWindows({"tabel", db, TestDb::server()}, 20240305, 50829));
        QVERIFY(Form23 != nullptr);
        QVERIFY(Form23->isVisible());
        QVERIFY(Form1->Timer1->isActive());
        QCOMPARE(Form1->Timer1->interval(), 30000);
        QVERIFY(!Form23->Timer1->isActive());
        QCOMPARE(Form1->BuildDate, 20240305);
        Form23->FormActivate();
        QCOMPARE(Form23->windowTitle(), QString("Авторизация (build: 20240305.50829)"));
        QVERIFY(Msg::shown().isEmpty());
    }
};

int main(int argc, char **argv)
{
    Application app(argc, argv);
    InstallRussian(app);
    AppTest t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_app.moc"
