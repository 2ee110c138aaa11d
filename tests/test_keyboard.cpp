// Every window from the keyboard: Tab and Shift+Tab go round every control
// once, in reading order, and out of every grid; the usual keys; the focus
// mark; and what the text and number fields refuse when typed.
#include "app/Startup.h"
#include "data/Unit6.h"
#include "entry_shop.h"
#include "journal/EntryHistory.h"
#include "journal/Unit1.h"
#include "journal/Unit11.h"
#include "maintenance/Unit24.h"
#include "maintenance/Unit25.h"
#include "reference/Unit10.h"
#include "reference/Unit2.h"
#include "reference/Unit22.h"
#include "reference/Unit26.h"
#include "reference/Unit3.h"
#include "reference/Unit4.h"
#include "reference/Unit5.h"
#include "reference/Unit7.h"
#include "reference/Unit8.h"
#include "reference/Unit9.h"
#include "reports/PayStatementWindow.h"
#include "reports/Unit18.h"
#include "timesheets/MonthCheck.h"
#include "timesheets/Unit19.h"
#include "timesheets/Unit27.h"
#include "data/Dataset.h"
#include "ui/DBGrid.h"
#include "ui/Msg.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

using namespace Shop;

class KeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void tabWalk_data();
    void tabWalk();
    void readingOrder_data();
    void readingOrder();
    void focusedButtonIsMarked();
    void deleteKeyInLists();
    void typedValuesRefused_data();
    void typedValuesRefused();
};

namespace {

// How a window is opened for the walk: through its opener where it has
// one, so that it is in the state a user meets (its mode, its buttons).
using Opener = std::function<void()>;

QMap<QString, Opener> &openers()
{
    static QMap<QString, Opener> m;
    if (m.isEmpty()) {
        auto direct = [](QDialog *d) { return [d] { Modal::exec(d); }; };
        m["Form1"] = [] { Modal::exec(Form1); };
        m["Form2"] = [] { Form5->Button1Click(); };
        m["Form3"] = [] { Form1->N_Products->trigger(); };
        m["Form4"] = [] { Form1->N_Prices->trigger(); };
        m["Form5"] = [] { Form1->N_Workers->trigger(); };
        m["Form5 picker"] = [] {
            DataModule6->Workers.open();
            Form5->PrepareSelection(1);
            Modal::exec(Form5);
            DataModule6->Workers.close();
        };
        m["Form7"] = [] { Form3->Button1Click(); };
        m["Form8"] = [] { Form1->N_OperKinds->trigger(); };
        m["Form9"] = [] { Form8->Button1Click(); };
        m["Form10"] = [] { Form4->Button1Click(); };
        m["Form11"] = [] { Form1->Button1->click(); };
        m["Form18"] = [] { Form1->N_Summary->trigger(); };
        m["Form19"] = [] { Form1->N_TabelShifts->trigger(); };
        m["Form22"] = [] { Form22->ShowNorms(Assembly); };
        m["Form24"] = [] { Form24->OpenForAdd(); };
        m["Form25"] = [] { Form1->Button5->click(); };
        m["Form26"] = direct(Form26);
        m["Form27 piecework"] = [] { Form1->N_TabelPiece->trigger(); };
        m["Form27 maintenance"] = [] { Form1->N_TabelMaint->trigger(); };
        m["Form27 average"] = [] { Form1->N_TabelAvg->trigger(); };
        m["Form27 general"] = [] { Form1->N_TabelGeneral->trigger(); };
        m["Month check"] = [] { MonthCheckForm->OpenFor(MonthPeriod::of(QDate::currentDate())); };
        m["Entry history"] = [] {
            EntryHistory->OpenFor(ChangeHistory::Source::Journal, 1, QDate::currentDate());
        };
        m["Pay statements"] = [] { Form1->N_Statements->trigger(); };
    }
    return m;
}

// The control a focused widget belongs to (a date box for its text).
QWidget *controlOf(QWidget *w, const QList<QWidget *> &controls)
{
    for (QWidget *x = w; x; x = x->parentWidget())
        if (controls.contains(x))
            return x;
    return w;
}

// What a keyboard user must be able to reach: every shown, enabled button,
// drop-down, list and grid, the tabs, and every text or date box one can
// type into.
QList<QWidget *> reachable(QWidget *window)
{
    QList<QWidget *> out;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->window() != window || !w->isVisible() || !w->isEnabled())
            continue;
        bool inner = false; // a part of another control
        for (QWidget *a = w->parentWidget(); a && a != window; a = a->parentWidget())
            if (qobject_cast<QComboBox *>(a) || qobject_cast<QAbstractSpinBox *>(a)
                || qobject_cast<QAbstractItemView *>(a))
                inner = true;
        if (inner)
            continue;
        if (auto *tabs = qobject_cast<QTabWidget *>(w)) {
            out << tabs;
            continue;
        }
        if (qobject_cast<QTabBar *>(w) && qobject_cast<QTabWidget *>(w->parentWidget()))
            continue; // the tab widget stands for it
        // Of a set of radio buttons Tab reaches the chosen one; the arrows
        // choose another.
        if (auto *r = qobject_cast<QRadioButton *>(w); r && r->autoExclusive() && !r->isChecked())
            continue;
        if (qobject_cast<QAbstractButton *>(w) || qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractItemView *>(w))
            out << w;
        else if (auto *e = qobject_cast<QLineEdit *>(w); e && !e->isReadOnly())
            out << w;
        else if (auto *s = qobject_cast<QAbstractSpinBox *>(w); s && !s->isReadOnly())
            out << w;
    }
    return out;
}

QString nameOf(const QWidget *w)
{
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

// The round Tab (or Shift+Tab) makes from the focus the window opens with,
// as the controls' names, until it comes back or 60 presses.
QStringList walk(QWidget *window, const QList<QWidget *> &controls, bool backwards, QStringList *problems)
{
    QStringList seen;
    QWidget *start = controlOf(QApplication::focusWidget(), controls);
    if (!start || !window->isAncestorOf(start)) {
        *problems << "no focus in the window";
        return seen;
    }
    QWidget *at = start;
    for (int i = 0; i < 60; ++i) {
        QWidget *from = QApplication::focusWidget();
        QTest::keyClick(from, backwards ? Qt::Key_Backtab : Qt::Key_Tab, backwards ? Qt::ShiftModifier
                                                                                    : Qt::NoModifier);
        QWidget *now = controlOf(QApplication::focusWidget(), controls);
        if (!now || !window->isAncestorOf(now)) {
            *problems << "the focus left the window";
            break;
        }
        if (now == at) {
            *problems << QString("%1 kept the focus").arg(nameOf(now));
            break;
        }
        at = now;
        seen << nameOf(now);
        if (now == start)
            break;
    }
    if (at != start)
        *problems << "no way back to the start";
    return seen;
}

// Shows a window and makes it the active one (a window shown before and
// hidden again is activated by hand).
bool showActive(QDialog *d)
{
    d->show();
    d->raise();
    d->activateWindow();
    if (QTest::qWaitFor([d] { return QApplication::activeWindow() == d; }, 1000))
        return true;
    QApplication::setActiveWindow(d);
    return QTest::qWaitFor([d] { return QApplication::activeWindow() == d; });
}

struct WalkResult {
    QStringList forward, backward, expected, problems;
    QList<QRect> rects;
};

// Shows the window as a user gets it and walks it both ways.
WalkResult walkShown(QDialog *d)
{
    WalkResult r;
    if (!showActive(d)) {
        r.problems << "not active";
        return r;
    }
    const QList<QWidget *> controls = reachable(d);
    for (QWidget *w : controls)
        r.expected << nameOf(w);
    r.forward = walk(d, controls, false, &r.problems);
    r.backward = walk(d, controls, true, &r.problems);
    d->hide();
    return r;
}

} // namespace

void KeyboardTest::initTestCase()
{
    TestDb::fresh();
    NewJournalWindow();
    CreateRemainingWindows();
}

void KeyboardTest::init()
{
    TestDb::fresh();
    load();
    entry(Ivanov, Assembly, QDate(2024, 3, 5), 1, 8);
    Msg::setRecording(true);
    Msg::clearShown();
    Form1->DateT->setDate(QDate(2024, 3, 5));
}

void KeyboardTest::cleanup()
{
    Modal::setHandler({});
    Msg::setRecording(false);
}

void KeyboardTest::tabWalk_data()
{
    QTest::addColumn<QString>("opener");
    QTest::addColumn<QString>("window");
    // The report layouts (Form15-17, 20, 21) are never shown as windows:
    // their pages go to the standard print preview.
    const QList<QPair<QString, QString>> rows{
        {"Form1", "Form1"},   {"Form2", "Form2"},   {"Form3", "Form3"},
        {"Form4", "Form4"},   {"Form5", "Form5"},   {"Form5 picker", "Form5"},
        {"Form7", "Form7"},   {"Form8", "Form8"},   {"Form9", "Form9"},
        {"Form10", "Form10"}, {"Form11", "Form11"}, {"Form18", "Form18"},
        {"Form19", "Form19"}, {"Form22", "Form22"}, {"Form24", "Form24"},
        {"Form25", "Form25"}, {"Form26", "Form26"}, {"Form27 piecework", "Form27"},
        {"Form27 maintenance", "Form27"}, {"Form27 average", "Form27"}, {"Form27 general", "Form27"},
        {"Month check", "MonthCheckForm"}, {"Entry history", "EntryHistory"},
        {"Pay statements", "PayStatements"},
    };
    for (const auto &[opener, window] : rows)
        QTest::newRow(qPrintable(opener)) << opener << window;
}

// Opened as a user opens it, each window lets Tab reach every button, box
// and list exactly once per round, Shift+Tab make the same round backwards,
// and neither stay in a grid.
void KeyboardTest::tabWalk()
{
    QFETCH(QString, opener);
    QFETCH(QString, window);
    QVERIFY(openers().contains(opener));
    bool walked = false;
    WalkResult r;
    Modal::setHandler([&](QDialog *d) {
        if (d->objectName() == window && !walked) {
            walked = true;
            r = walkShown(d);
        }
        return 0;
    });
    openers()[opener]();
    QVERIFY2(walked, "the window was not opened");
    QVERIFY2(r.problems.isEmpty(), qPrintable(r.problems.join("; ") + " | forward: " + r.forward.join(", ")));
    QStringList once = r.forward;
    std::sort(once.begin(), once.end());
    QStringList expected = r.expected;
    std::sort(expected.begin(), expected.end());
    QCOMPARE(once, expected);
    // Backwards is the same round the other way.
    QStringList back = r.backward;
    std::reverse(back.begin(), back.end());
    back.removeFirst();
    back << r.backward.last();
    QCOMPARE(back, r.forward);
}

void KeyboardTest::readingOrder_data()
{
    QTest::addColumn<QString>("opener");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("timesheet by shifts")
        << "Form19" << "Form19"
        << QStringList{"PageControl1", "DBGrid1", "Button2", "Button1", "ComboBox1", "ComboBox2", "Button5",
                       "Button6", "BtnCheck", "Button4"};
    QTest::newRow("maintenance works")
        << "Form25" << "Form25"
        << QStringList{"DBGrid1", "Button5", "Button6", "Button7", "Button9", "Button1", "DTPcker1", "CBox1", "Button8"};
    QTest::newRow("maintenance entry")
        << "Form24" << "Form24"
        << QStringList{"Button3", "Button4", "cb_type_work", "Edit6", "CBox1", "Button1", "Button6"};
    QTest::newRow("operation price")
        << "Form10" << "Form10" << QStringList{"Button3", "Button4", "ComboBox1", "Button1", "Button2"};
    // The colour box is off until an operation that takes a colour is chosen.
    QTest::newRow("entry editor")
        << "Form11" << "Form11"
        << QStringList{"Button3", "Button4", "Edit3", "Edit6", "DTimeP", "Edit4", "Button1", "Button2"};
}

// The round goes row by row from the top, left to right.
void KeyboardTest::readingOrder()
{
    QFETCH(QString, opener);
    QFETCH(QString, window);
    QFETCH(QStringList, order);
    QStringList seen;
    Modal::setHandler([&](QDialog *d) {
        if (d->objectName() != window || !seen.isEmpty())
            return 0;
        if (!showActive(d))
            return 0;
        // From the first control round to it again.
        QWidget *first = d->findChild<QWidget *>(order.first());
        first->setFocus(Qt::TabFocusReason);
        const QList<QWidget *> controls = reachable(d);
        for (int i = 0; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << nameOf(controlOf(QApplication::focusWidget(), controls));
        }
        d->hide();
        return 0;
    });
    openers()[opener]();
    QStringList expected = order.mid(1);
    expected << order.first();
    QCOMPARE(seen, expected);
}

// A focused button looks different from the same button without the focus,
// in the style in use, whether Tab or the window put the focus there.
void KeyboardTest::focusedButtonIsMarked()
{
    QImage plain, focused, given;
    Modal::setHandler([&](QDialog *d) {
        if (d != Form19)
            return 0;
        if (!showActive(d))
            return 0;
        Form19->ComboBox1->setFocus(Qt::TabFocusReason);
        plain = Form19->Button5->grab().toImage();
        // Given the focus by the program, as windows do when they open.
        Form19->Button5->setFocus(Qt::OtherFocusReason);
        given = Form19->Button5->grab().toImage();
        Form19->ComboBox1->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (QApplication::focusWidget() == Form19->Button5)
            focused = Form19->Button5->grab().toImage();
        d->hide();
        return 0;
    });
    Form1->N_TabelShifts->trigger();
    QVERIFY(!plain.isNull());
    QVERIFY2(!focused.isNull(), "Tab did not reach the button");
    QVERIFY(plain != focused);
    QVERIFY(plain != given);
}

// Del in a list's grid is its "Удалить"; in a list opened for a choice,
// where "Удалить" is hidden, it does nothing.
void KeyboardTest::deleteKeyInLists()
{
    TestDb::exec("insert into accounts_dep.vid_oper (id, vid) values (14, 'Шлифовка')");
    int shown = 0;
    bool located = false;
    Modal::setHandler([&](QDialog *d) {
        if (d != Form8)
            return 0;
        ++shown;
        showActive(d);
        located = DataModule6->Vid_oper.locate("vid", "Шлифовка");
        Form8->DBGrid1->setFocus();
        Msg::answer(true);
        QTest::keyClick(Form8->DBGrid1, Qt::Key_Delete);
        d->hide();
        return 0;
    });
    Form1->N_OperKinds->trigger();
    QCOMPARE(shown, 1);
    QVERIFY(located);
    QCOMPARE(Msg::shown().size(), 1); // asked first
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.vid_oper where id=14").toInt(), 0);
}

void KeyboardTest::typedValuesRefused_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message"); // empty: taken and stored
    const QString control = "Поле «%1» содержит недопустимые (управляющие) символы!";
    QTest::newRow("name with a tab") << "ФИО" << "Сидоров\tС.С." << control.arg("ФИО");
    QTest::newRow("name with a line break") << "ФИО" << "Сидоров\nС.С." << control.arg("ФИО");
    QTest::newRow("kind with a tab") << "Операция" << "Шлифовка\tчистовая" << control.arg("Операция");
    QTest::newRow("mark with a tab") << "Марка" << "КД-1\tкроватка" << control.arg("Марка");
    QTest::newRow("mark with escape") << "Марка" << "КД-1\x1b" << control.arg("Марка");
    QTest::newRow("plain mark") << "Марка" << "КД-1 кроватка" << "";
    const QString norm = "Значение в поле «Норматив» должно быть от 0 до 2147483647!";
    QTest::newRow("norm below 0") << "Норматив" << "-7" << norm;
    QTest::newRow("norm far below 0") << "Норматив" << "-2147483649" << norm;
    QTest::newRow("norm 0") << "Норматив" << "0" << "";
    QTest::newRow("price below 0") << "Цена" << "-1,5" << "Значение в поле «Цена» не может быть меньше 0!";
    QTest::newRow("price 0") << "Цена" << "0" << "";
    QTest::newRow("bonus below 0 keeps its sign") << "Премия, %" << "-5" << "";
}

// Texts that go into the database refuse every control character, a tab as
// a line break, and norms and their prices refuse values below 0, each with
// the window's error box; nothing of a refused value is stored.
void KeyboardTest::typedValuesRefused()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QString stored; // how many rows hold the typed value afterwards
    if (field == "ФИО") {
        Modal::setHandler([&](QDialog *d) {
            if (d == Form2) {
                Form2->Edit1->setText(typed);
                Form2->Button1Click();
            }
            return 0;
        });
        Form5->Button1Click();
        stored = "select count(*) from accounts_dep.person where fio=:t";
    } else if (field == "Операция") {
        Modal::setHandler([&](QDialog *d) {
            if (d == Form9) {
                Form9->Edit1->setText(typed);
                Form9->Button1Click();
            }
            return 0;
        });
        DataModule6->Vid_oper.open();
        Form8->Button1Click();
        DataModule6->Vid_oper.close();
        stored = "select count(*) from accounts_dep.vid_oper where vid=:t";
    } else if (field == "Марка") {
        Modal::setHandler([&](QDialog *d) {
            if (d == Form7) {
                Form7->Edit1->setText(typed);
                Form7->Edit2->setText("2");
                Form7->cb_item->setCurrentIndex(0);
                Form7->Button1Click();
            }
            return 0;
        });
        DataModule6->Izdel.open();
        Form3->Button1Click();
        DataModule6->Izdel.close();
        stored = "select count(*) from accounts_dep.izdel where marka=:t";
    } else {
        const int column = field == "Норматив" ? NormTable::ColNorma
                         : field == "Цена"     ? NormTable::ColPrice
                                               : NormTable::ColPrize;
        bool taken = false;
        Modal::setHandler([&](QDialog *d) {
            if (d == Form22) {
                taken = Form22->norm->setData(Form22->norm->index(0, column), typed, Qt::EditRole);
                Form22->Button1Click();
            }
            return 0;
        });
        DataModule6->Oper.open();
        Form22->ShowNorms(Assembly);
        DataModule6->Oper.close();
        QCOMPARE(taken, message.isEmpty());
        const QString col = column == NormTable::ColNorma ? "norma" : column == NormTable::ColPrice ? "price" : "prize";
        stored = QString("select count(*) from accounts_dep.norm where o_id=%1 and %2=replace(:t, ',', '.')::numeric")
                     .arg(int(Assembly))
                     .arg(col);
    }
    if (message.isEmpty()) {
        QVERIFY2(Msg::shown().isEmpty(), qPrintable(Msg::shown().value(0).text));
    } else {
        QCOMPARE(Msg::shown().size(), 1);
        QCOMPARE(Msg::shown()[0].text, message);
        QCOMPARE(Msg::shown()[0].caption, QString("Ошибка"));
    }
    const qlonglong rows = TestDb::scalar(stored, {{"t", typed}}).toLongLong();
    QCOMPARE(rows, message.isEmpty() ? 1 : 0);
}

QTEST_MAIN(KeyboardTest)
#include "test_keyboard.moc"
