// Login window and roles: codes, restrictions on the journal and reports
// windows, the login flow and the program's end.
#include "app/AppControl.h"
#include "app/Unit23.h"
#include "data/Unit6.h"
#include "journal/Unit1.h"
#include "reports/Unit18.h"
#include "support/JournalWindow.h"
#include "support/TestDb.h"
#include "ui/Msg.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

Q_DECLARE_METATYPE(Role)

namespace {

// Every control the restriction table speaks of, and those it leaves alone,
// by window and component name.
struct Control {
    QString key;
    std::function<bool()> enabled;
    std::function<void()> enable;
};

QList<Control> controls()
{
    QList<Control> list;
    auto widget = [&list](const QString &key, QWidget *w) {
        QVERIFY2(w, qPrintable(key));
        list.append({key, [w] { return w->isEnabled(); }, [w] { w->setEnabled(true); }});
    };
    auto menu = [&list](const QString &key, QMenu *m) {
        QVERIFY2(m, qPrintable(key));
        list.append({key, [m] { return m->menuAction()->isEnabled(); }, [m] { m->menuAction()->setEnabled(true); }});
    };
    auto action = [&list](const QString &key, QAction *a) {
        QVERIFY2(a, qPrintable(key));
        list.append({key, [a] { return a->isEnabled(); }, [a] { a->setEnabled(true); }});
    };
    for (const char *name : {"Button1", "Button2", "Button3", "RadioButton1", "RadioButton2", "RadioButton3",
                             "RadioButton4", "CBox1", "Button8", "DBGrid2", "DateT", "Button5", "Button4"})
        widget(QStringLiteral("journal.") + name, Form1->findChild<QWidget *>(name));
    menu("journal.Справочники", Form1->findChild<QMenu *>("N_Reference"));
    menu("journal.Табель", Form1->findChild<QMenu *>("N_Tabel"));
    menu("journal.Отчеты", Form1->findChild<QMenu *>("N_Reports"));
    action("journal.Расчетные листки", Form1->findChild<QAction *>("N_Statements"));
    action("journal.Выход", Form1->findChild<QAction *>("N_Exit"));
    action("journal.Структура БД", Form1->findChild<QAction *>("N_DbStructure"));
    for (const char *name : {"Button1", "Button2", "Button3", "Button4", "Button5", "Button6", "RadioGroup1"})
        widget(QStringLiteral("reports.") + name, Form18->findChild<QWidget *>(name));
    return list;
}

// The state a new run starts in (restrictions are never lifted by the
// program itself).
void unlockAll()
{
    for (const Control &c : controls())
        c.enable();
}

QStringList disabledControls()
{
    QStringList off;
    for (const Control &c : controls())
        if (!c.enabled())
            off << c.key;
    return off;
}

} // namespace

class LoginTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void codes_data();
    void codes();
    void restrictions_data();
    void restrictions();
    void wrongCodeThenForeman();
    void journalShowsTodayAfterWrongCodes();
    void refreshLoadsThePickersDate();
    void storekeeperGetsFinishedProducts_data();
    void storekeeperGetsFinishedProducts();
    void enterLogsInEscEnds();
    void cancelEndsProgram();
    void loginWindowLayout();
    void russianStandardButtons();

private:
    QList<QDialog *> m_shown;      // windows shown modally, in order
    bool m_loginVisibleAtShow = true;
};

void LoginTest::initTestCase()
{
    TestDb::fresh();
    NewJournalWindow(true);
    new TForm18();
}

void LoginTest::init()
{
    TestDb::fresh();
    ResetEndRequested();
    Form23->Timer1->stop();
    Form23->Edit1->clear();
    Form18->SetRadioGroup1ItemIndex(0);
    unlockAll();
    for (int s = 1; s <= 4; ++s)
        DataModule6->journal(s).setParam("ok", QVariant());
    m_shown.clear();
    m_loginVisibleAtShow = true;
    Modal::setHandler([this](QDialog *d) {
        m_shown.append(d);
        m_loginVisibleAtShow = Form23->isVisible();
        return int(QDialog::Rejected);
    });
}

void LoginTest::cleanup()
{
    Modal::setHandler({});
    Form23->hide();
}

void LoginTest::codes_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Role>("role");
    QTest::addColumn<QString>("code");
    QTest::newRow("full rights") << "61730482" << Role::FullRights << "61730482";
    QTest::newRow("second full-rights code") << "0583" << Role::FullRights << "0583";
    QTest::newRow("second code between blanks") << "   0583  " << Role::FullRights << "0583";
    QTest::newRow("tab, CR, LF around") << "\t0583\r\n" << Role::FullRights << "0583";
    QTest::newRow("planner") << "fidrax" << Role::Planner << "fidrax";
    QTest::newRow("planner, no-break blanks") << "\u00a0fidrax\u00a0" << Role::Planner << "fidrax";
    QTest::newRow("foreman") << "quorbel" << Role::Foreman << "quorbel";
    QTest::newRow("foreman, trailing blank") << "quorbel " << Role::Foreman << "quorbel";
    QTest::newRow("foreman in capitals") << "QUORBEL" << Role::None << "QUORBEL";
    QTest::newRow("storekeeper") << "tumpo" << Role::Storekeeper << "tumpo";
    QTest::newRow("storekeeper, control characters") << QString("\x01\x1btumpo\x7f\x1f") << Role::Storekeeper
                                                     << "tumpo";
    QTest::newRow("empty") << "" << Role::None << "";
    QTest::newRow("only blanks") << "  \t " << Role::None << "";
    QTest::newRow("blank inside") << "05 83" << Role::None << "05 83";
    QTest::newRow("code with a digit more") << "05830" << Role::None << "05830";
    QTest::newRow("full code cut short") << "6173048" << Role::None << "6173048";
}

void LoginTest::codes()
{
    QFETCH(QString, typed);
    QFETCH(Role, role);
    QFETCH(QString, code);
    QCOMPARE(RoleOfCode(TrimCode(typed)), role);

    Form1->ShiftNumber = 3;
    Form23->Edit1->setText(typed);
    Form23->Button1->click();
    QCOMPARE(Form1->LoginCode, code);
    QCOMPARE(Form1->ShiftNumber, 1);
    QCOMPARE(Form1->N_Tabel->menuAction()->isEnabled(), role == Role::FullRights);
    QCOMPARE(Form1->N_Statements->isEnabled(), role == Role::FullRights);
    // The session tells the change history the role chosen.
    static const QMap<Role, QString> roleNames{{Role::FullRights, "полные права"}, {Role::Planner, "планировщик"},
                                               {Role::Foreman, "мастер"}, {Role::Storekeeper, "кладовщик"}};
    if (role != Role::None)
        QCOMPARE(DataModule6->ADO_DB.scalar("select current_setting('tabel.role', true)").toString(),
                 roleNames.value(role));
    // Entries marked "ta" stay hidden for everyone.
    for (int s = 1; s <= 4; ++s)
        QCOMPARE(DataModule6->journal(s).param("ok").toString(), QString("ta"));
    if (role == Role::None) {
        QCOMPARE(Msg::shown().size(), 1);
        QCOMPARE(Msg::shown()[0].text, QString("Введены неверные данные."));
        QCOMPARE(Msg::shown()[0].caption, QString("Ошибка"));
        QVERIFY(Msg::shown()[0].icon == Msg::Icon::Error);
        QVERIFY(m_shown.isEmpty());
        QVERIFY(!EndRequested());
    } else {
        QVERIFY(Msg::shown().isEmpty());
        // The journal is shown modally once; when it closes the program ends.
        QCOMPARE(m_shown.size(), 1);
        QCOMPARE(m_shown[0], static_cast<QDialog *>(Form1));
        QVERIFY(EndRequested());
    }
}

void LoginTest::restrictions_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("off");
    const QStringList menus{"journal.Справочники", "journal.Табель", "journal.Расчетные листки"};
    const QStringList reports{"reports.Button1", "reports.Button2", "reports.Button4", "reports.Button6"};
    QTest::newRow("full rights") << "61730482" << QStringList{};
    QTest::newRow("full rights, second code") << "0583" << QStringList{};
    QTest::newRow("planner") << "fidrax"
                             << QStringList{"journal.Button1", "journal.Button2", "journal.Button3",
                                            "journal.RadioButton1", "journal.RadioButton2", "journal.RadioButton3",
                                            "journal.RadioButton4", "journal.CBox1", "journal.Button8",
                                            "journal.DBGrid2", "journal.DateT"}
                                    + menus;
    QTest::newRow("foreman") << "quorbel" << QStringList{"journal.Button2", "journal.Button3"} + menus + reports;
    QTest::newRow("storekeeper") << "tumpo"
                                 << QStringList{"journal.Button1", "journal.Button2", "journal.Button3"} + menus
                                        + reports + QStringList{"reports.RadioGroup1"};
}

void LoginTest::restrictions()
{
    QFETCH(QString, code);
    QFETCH(QStringList, off);
    QVERIFY(disabledControls().isEmpty());
    Form23->Edit1->setText(code);
    Form23->Button1Click();
    QCOMPARE(m_shown.size(), 1);
    QStringList actual = disabledControls();
    actual.sort();
    off.sort();
    QCOMPARE(actual, off);
}

void LoginTest::wrongCodeThenForeman()
{
    Form23->Edit1->setText("QUORBEL");
    Form23->Button1Click();
    QCOMPARE(Msg::shown().size(), 1);
    QVERIFY(m_shown.isEmpty());
    // A wrong try takes away the timesheet menu and the pay statements only
    // until the next try.
    QCOMPARE(disabledControls(), (QStringList{"journal.Табель", "journal.Расчетные листки"}));
    Form23->Edit1->setText("quorbel");
    Form23->Button1Click();
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(Form1->LoginCode, QString("quorbel"));
    QStringList actual = disabledControls();
    actual.sort();
    QStringList expected{"journal.Button2",  "journal.Button3",  "journal.Справочники", "journal.Табель",
                         "journal.Расчетные листки", "reports.Button1", "reports.Button2", "reports.Button4",
                         "reports.Button6"};
    expected.sort();
    QCOMPARE(actual, expected);
    QCOMPARE(Form18->RadioGroup1ItemIndex(), 0);
}

namespace {
const QDate kToday(2024, 3, 5);

// Two entries today (shifts 1 and 2) and one the day before (shift 1).
void entriesAroundToday()
{
    TestDb::exec("insert into cmn_classifier.item (id, id_level, s_caption) values (500, 2, 'Стулья')");
    TestDb::exec("insert into accounts_dep.person (id, fio, s_staffpos_hl) values (101, 'Иванов И.И.', 'Сборщик')");
    TestDb::exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, id_msm_bs, massa, id_class_item) values "
                 "(2001, 'СТ-1', 6, 0.5, 500)");
    TestDb::exec("insert into accounts_dep.vid_oper (id, vid) values (11, 'Сборка')");
    TestDb::exec("insert into accounts_dep.oper (id, vid, naimen, i_id, cena_new) values (301, 11, 0, 2001, 0)");
    TestDb::exec("insert into accounts_dep.smena (w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, "
                 "ok, vvod, prize) values "
                 "(101, 2001, 301, 40, 1, '2024-03-05', 1, 12.5, 0, 8, 'ok', '2024-03-05', 0), "
                 "(101, 2001, 301, 20, 0, '2024-03-05', 2, 12.5, 0, 4, 'no', '2024-03-05', 0), "
                 "(101, 2001, 301, 10, 0, '2024-03-04', 1, 12.5, 0, 2, 'no', '2024-03-04', 0)");
}

QList<int> journalCounts()
{
    QList<int> n;
    for (int s = 1; s <= 4; ++s) {
        const Dataset &j = DataModule6->journal(s);
        n << (j.isOpen() ? j.recordCount() : -1);
    }
    return n;
}
} // namespace

// Wrong codes and then the right one: the journal shows today's entries as
// soon as it is shown, whether or not the window system's activation follows.
void LoginTest::journalShowsTodayAfterWrongCodes()
{
    entriesAroundToday();
    Form1->FixedToday = kToday;
    Form1->DateT->setDate(kToday.addDays(-20));
    for (int s = 1; s <= 4; ++s) {
        DataModule6->journal(s).close();
        DataModule6->journal(s).setParam("data", QVariant());
    }
    QList<int> atShow;
    QDate dateAtShow;
    Modal::setHandler([&](QDialog *d) {
        d->show(); // only the showing: no event is processed before the look
        atShow = journalCounts();
        dateAtShow = Form1->DateT->date();
        QApplication::processEvents();
        d->hide();
        return int(QDialog::Rejected);
    });
    for (const char *wrong : {"1", "fidra", "QUORBEL"}) {
        Form23->Edit1->setText(wrong);
        Form23->Button1Click();
    }
    QCOMPARE(Msg::shown().size(), 3);
    Form23->Edit1->setText("61730482");
    Form23->Button1Click();
    Form1->FixedToday = QDate();
    QCOMPARE(dateAtShow, kToday);
    QCOMPARE(atShow, (QList<int>{1, 1, 0, 0}));
    for (int s = 1; s <= 4; ++s)
        QCOMPARE(DataModule6->journal(s).param("data").toDate(), kToday);
}

// "Обновить" reloads the four journals for the date the picker shows, also a
// date typed without Enter.
void LoginTest::refreshLoadsThePickersDate()
{
    entriesAroundToday();
    for (int s = 1; s <= 4; ++s) {
        DataModule6->journal(s).close();
        DataModule6->journal(s).setParam("data", QVariant());
        DataModule6->journal(s).setParam("ok", "ta"); // as after a login
    }
    for (const QDate &day : {kToday, kToday.addDays(-1), kToday.addDays(-2)}) {
        Form1->DateT->setDate(day);
        Form1->Button8->click();
        for (int s = 1; s <= 4; ++s)
            QCOMPARE(DataModule6->journal(s).param("data").toDate(), day);
        const QList<int> expected = day == kToday ? QList<int>{1, 1, 0, 0}
            : day == kToday.addDays(-1)           ? QList<int>{1, 0, 0, 0}
                                                  : QList<int>{0, 0, 0, 0};
        QCOMPARE(journalCounts(), expected);
    }
}

void LoginTest::storekeeperGetsFinishedProducts_data()
{
    QTest::addColumn<int>("before");
    QTest::newRow("from Все") << 0;
    QTest::newRow("from Заготовки") << 2;
}

void LoginTest::storekeeperGetsFinishedProducts()
{
    QFETCH(int, before);
    Form18->SetRadioGroup1ItemIndex(before);
    Form23->Edit1->setText("tumpo");
    Form23->Button1Click();
    QCOMPARE(Form18->RadioGroup1ItemIndex(), 1);
    QVERIFY(Form18->RadioGroup1Items[1]->isChecked());
    QCOMPARE(Form18->RadioGroup1Items[1]->text(), QString("Готовая продукция"));
    QVERIFY(!Form18->RadioGroup1->isEnabled());
    QVERIFY(!Form18->RadioGroup1Items[0]->isEnabled());
    QVERIFY(!Form18->RadioGroup1Items[2]->isEnabled());
    // Of the reports only the detailed report by product is left.
    QVERIFY(Form18->Button3->isEnabled());
    QVERIFY(!Form18->Button1->isEnabled());
}

void LoginTest::enterLogsInEscEnds()
{
    Form23->show();
    Form23->Edit1->setFocus();
    QTest::keyClicks(Form23->Edit1, " 0583 ");
    QTest::keyClick(Form23->Edit1, Qt::Key_Return);
    QCOMPARE(m_shown.size(), 1);
    QVERIFY(!m_loginVisibleAtShow); // the login window hides before the journal shows
    QCOMPARE(Form1->LoginCode, QString("0583"));
    QVERIFY(!Form23->isVisible());
    QVERIFY(EndRequested());

    ResetEndRequested();
    Form23->show();
    QTest::keyClick(Form23->Edit1, Qt::Key_Escape);
    QVERIFY(!Form23->isVisible());
    QVERIFY(EndRequested());
}

void LoginTest::cancelEndsProgram()
{
    Form23->show();
    QTest::mouseClick(Form23->Button2, Qt::LeftButton);
    QVERIFY(!Form23->isVisible());
    QVERIFY(EndRequested());
    QVERIFY(m_shown.isEmpty());
}

void LoginTest::loginWindowLayout()
{
    QCOMPARE(Form23->size(), QSize(330, 44));
    QVERIFY(Form23->windowTitle().startsWith("Авторизация"));
    QCOMPARE(Form23->Button1->text(), QString("Вход"));
    QCOMPARE(Form23->Button2->text(), QString("Отмена"));
    QVERIFY(Form23->Button1->isDefault());
    QVERIFY(!Form23->Button2->isDefault());
    Form23->Edit1->setText("tumpo");
    QCOMPARE(Form23->Edit1->echoMode(), QLineEdit::Password);
    Form23->Edit1->ensurePolished();
    QCOMPARE(Form23->Edit1->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, Form23->Edit1),
             int('*'));
    QCOMPARE(Form23->Timer1->interval(), 5000);
    QVERIFY(!Form23->Timer1->isActive());
}

void LoginTest::russianStandardButtons()
{
    InstallRussian(*qApp);
    QMessageBox box(QMessageBox::Question, "Удаление", "?", QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.button(QMessageBox::Yes)->text().remove('&'), QString("Да"));
    QCOMPARE(box.button(QMessageBox::No)->text().remove('&'), QString("Нет"));
}

QTEST_MAIN(LoginTest)
#include "test_login.moc"
