// The application shell: the general error display and the start-up path
// when the database cannot be reached.
#include "app/AppControl.h"
#include "app/Startup.h"
#include "app/Unit23.h"
#include "data/DbError.h"
#include "data/Unit6.h"
#include "journal/Unit1.h"
#include "support/TestDb.h"
#include "ui/Msg.h"

#include <QPushButton>
#include <QTimer>
#include <QtTest>

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
