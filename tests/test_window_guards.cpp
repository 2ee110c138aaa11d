// The window base's two guards, through real windows against the real
// database: an error thrown by a handler is shown and stops at the slot, and
// a long job (an export, a month rebuild) keeps its window from starting
// anything else until it has ended.
#include "app/Startup.h"
#include "data/DbError.h"
#include "data/Unit6.h"
#include "export/XlsExport.h"
#include "journal/Unit1.h"
#include "reports/Unit15.h"
#include "support/XlsxRead.h"
#include "timesheet_shop.h"
#include "timesheets/Unit19.h"
#include "timesheets/Unit27.h"
#include "ui/DBGrid.h"
#include "ui/Form.h"
#include "ui/Msg.h"

#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include <stdexcept>

using namespace Shop;

namespace {

// A window with one handler of each shape connectGuarded takes.
class Probe : public Form {
public:
    QPushButton *go = nullptr;
    QComboBox *box = nullptr;
    std::function<void()> fail; // what the next handler call throws
    int calls = 0;
    int lastIndex = -1;
    bool activateRuns = false; // FormActivate counts as the handler

    Probe()
    {
        auto *lay = new QVBoxLayout(this);
        go = new QPushButton(QStringLiteral("Пуск"), this);
        box = new QComboBox(this);
        box->addItems({QStringLiteral("а"), QStringLiteral("б"), QStringLiteral("в")});
        lay->addWidget(go);
        lay->addWidget(box);
    }
    void run()
    {
        ++calls;
        if (fail)
            fail();
    }
    void GoClick() { run(); }
    void BoxChange(int index)
    {
        lastIndex = index;
        run();
    }
    void FormActivate() override
    {
        if (activateRuns)
            run();
    }
};

void throwKind(int kind)
{
    switch (kind) {
    case 1:
        throw DbError(QStringLiteral("ОШИБКА: отношение не существует"), QStringLiteral("42P01"));
    case 2:
        throw std::runtime_error("conversion failed");
    case 3:
        throw 7;
    default:
        break;
    }
}

// Every cell of a workbook's first sheet as "row:column=value", sorted.
QStringList dump(const QString &path)
{
    const XlsxRead::Book b = XlsxRead::read(path);
    if (!b.ok || b.sheets.isEmpty())
        return {QStringLiteral("unreadable: ") + b.error};
    QStringList out;
    const XlsxRead::Sheet &s = b.sheets[0];
    for (auto it = s.cells.begin(); it != s.cells.end(); ++it)
        out << QStringLiteral("%1:%2=%3%4")
                   .arg(it.key().first, 3)
                   .arg(it.key().second, 2)
                   .arg(it.value().value.toString(), it.value().number ? QStringLiteral(" #") : QString());
    out.sort();
    return out;
}

// The controls of a timesheet window the tests act on.
struct Controls {
    Form *window;
    QPushButton *excel, *refresh, *rebuild, *exit;
    QComboBox *month;
    QProgressBar *progress;
    DBGrid *grid;
};

Controls shifts()
{
    return {Form19, Form19->Button2, Form19->Button5, Form19->Button1, Form19->Button4, Form19->ComboBox1,
            Form19->PB, Form19->DBGrid1};
}

Controls piecework()
{
    return {Form27, Form27->Button2, Form27->Button5, Form27->Button3, Form27->Button1, Form27->ComboBox1,
            Form27->PB, Form27->DBGrid};
}

} // namespace

class WindowGuardsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void handlerErrorsStopAtTheSlot_data();
    void handlerErrorsStopAtTheSlot();
    void failedRebuildLeavesTheWindowUsable();
    void exportNotDisturbed_data();
    void exportNotDisturbed();
    void rebuildHoldsTheWindow_data();
    void rebuildHoldsTheWindow();

private:
    // Runs body with the timesheet window of `window` (19 or 27) open on
    // March 2024 and shown.
    void withWindow(int window, const std::function<void(const Controls &)> &body);
    std::function<void(QDialog *)> m_act;
};

void WindowGuardsTest::initTestCase()
{
    TestDb::fresh();
    auto *f1 = new TForm1();
    f1->Timer1->stop();
    CreateRemainingWindows();
}

void WindowGuardsTest::init()
{
    TestDb::fresh();
    load();
    m_act = {};
    Modal::setHandler([this](QDialog *d) {
        if (m_act)
            m_act(d);
        return 0;
    });
    Form27->FixedToday = QDate(2024, 3, 20);
}

void WindowGuardsTest::cleanup()
{
    Modal::setHandler({});
    XlsExport::setFolder({});
    XlsExport::setOpener({});
    Form19->hide();
    for (int t = 1; t <= 3; ++t)
        TForm19::ShiftDataset(t).close();
}

void WindowGuardsTest::withWindow(int window, const std::function<void(const Controls &)> &body)
{
    // Three workers in March 2024 (the export has rows left after the
    // first), nothing in April.
    tabelRow(Ivanov, 1, 3, 2024, {{4, 6}, {5, 8}});
    tabelRow(Petrov, 1, 3, 2024, {{7, 8}});
    tabelRow(Ivanov, 2, 3, 2024, {{6, 4}});
    TestDb::exec("insert into accounts_dep.person (id, fio, s_staffpos_hl) values (103, 'Сидоров С.С.', 'Резчик')");
    tabelRow(103, 1, 3, 2024, {{11, 7}, {12, 9}});
    if (window == 19) {
        Form19->SelectPeriod(3, 2024);
        Form19->ApplyPeriod();
        Form19->show();
        body(shifts());
        return;
    }
    bool ran = false;
    m_act = [&](QDialog *d) {
        d->show();
        body(piecework());
        d->hide();
        ran = true;
    };
    Form27->Open(9);
    QVERIFY(ran);
}

// A handler of every shape (member function without arguments, one taking
// the signal's argument, a lambda, the window's activation) that throws: the
// error is shown with its own text, nothing leaves the slot (a mouse click
// goes through QApplication::notify like the user's), and the next call runs.
void WindowGuardsTest::handlerErrorsStopAtTheSlot_data()
{
    QTest::addColumn<int>("handler");
    QTest::addColumn<int>("thrown");
    QTest::addColumn<QString>("message");
    const QString db = "ОШИБКА: отношение не существует";
    QTest::newRow("member, database error") << 0 << 1 << db;
    QTest::newRow("member with argument, database error") << 1 << 1 << db;
    QTest::newRow("lambda, database error") << 2 << 1 << db;
    QTest::newRow("activation, database error") << 3 << 1 << db;
    QTest::newRow("member, conversion error") << 0 << 2 << "conversion failed";
    QTest::newRow("lambda, not a std::exception") << 2 << 3 << "Неизвестная ошибка";
    QTest::newRow("member, no error") << 0 << 0 << QString();
}

void WindowGuardsTest::handlerErrorsStopAtTheSlot()
{
    QFETCH(int, handler);
    QFETCH(int, thrown);
    QFETCH(QString, message);
    Probe w;
    w.connectGuarded(w.go, &QPushButton::clicked, &Probe::GoClick);
    w.connectGuarded(w.box, &QComboBox::currentIndexChanged, &Probe::BoxChange);
    int lambdaCalls = 0;
    if (handler == 2) {
        QObject::disconnect(w.go, nullptr, &w, nullptr);
        w.connectGuarded(w.go, &QPushButton::clicked, [&] {
            ++lambdaCalls;
            w.run();
        });
    }
    w.setActivateOnShow(handler == 3);
    w.activateRuns = handler == 3;
    auto fire = [&] {
        switch (handler) {
        case 1:
            w.box->setCurrentIndex((w.box->currentIndex() + 1) % w.box->count());
            break;
        case 3:
            w.hide();
            w.show();
            break;
        default:
            QTest::mouseClick(w.go, Qt::LeftButton);
            break;
        }
    };
    if (handler != 3)
        w.show();
    w.calls = 0;
    Msg::clearShown();
    w.fail = [thrown] { throwKind(thrown); };
    QVERIFY_THROWS_NO_EXCEPTION(fire());
    QCOMPARE(w.calls, 1);
    if (message.isEmpty()) {
        QVERIFY(Msg::shown().isEmpty());
    } else {
        QCOMPARE(Msg::shown().size(), 1);
        QCOMPARE(Msg::shown()[0].icon, Msg::Icon::Error);
        QCOMPARE(Msg::shown()[0].caption, QString("Ошибка"));
        QCOMPARE(Msg::shown()[0].text, message);
    }
    if (handler == 1)
        QCOMPARE(w.lastIndex, w.box->currentIndex());
    if (handler == 2)
        QCOMPARE(lambdaCalls, 1);
    // The window works on.
    w.fail = {};
    Msg::clearShown();
    QVERIFY_THROWS_NO_EXCEPTION(fire());
    QCOMPARE(w.calls, 2);
    QVERIFY(Msg::shown().isEmpty());
    QVERIFY(w.go->isEnabled());
}

// "Перестроить" pressed while the database refuses the rebuild: the server's
// error is shown, the month stays as it was, the window is free again, and
// the next press (the fault gone) rebuilds.
void WindowGuardsTest::failedRebuildLeavesTheWindowUsable()
{
    entry(Ivanov, Assembly, QDate(2024, 3, 5), 1, 5);
    tabelRow(Ivanov, 1, 3, 2024, {{5, 2}});
    QTemporaryFile f;
    QVERIFY(f.open());
    f.write("create function public.no_rows() returns trigger language plpgsql as "
            "$$ begin raise exception 'injected failure'; end $$;\n"
            "create trigger no_rows before insert on accounts_dep.h_tabel "
            "for each row execute function public.no_rows();\n");
    f.flush();
    TestDb::loadScript(f.fileName());
    Form19->SelectPeriod(3, 2024);
    Form19->ApplyPeriod();
    Form19->show();
    const QStringList before = tabelDump();
    QVERIFY_THROWS_NO_EXCEPTION(QTest::mouseClick(Form19->Button1, Qt::LeftButton));
    QCOMPARE(Msg::shown().size(), 1);
    QVERIFY2(Msg::shown()[0].text.contains("injected failure"), qPrintable(Msg::shown()[0].text));
    QCOMPARE(tabelDump(), before);
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(Form19->isVisible());
    for (QWidget *w : std::initializer_list<QWidget *>{Form19->Button1, Form19->Button2, Form19->Button5,
                                                        Form19->ComboBox1, Form19->DBGrid1})
        QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
    QCOMPARE(Form19->DBGrid1->cellText(0, Form19->DBGrid1->columnOf("d5")), QString("2"));

    QTemporaryFile g;
    QVERIFY(g.open());
    g.write("drop trigger no_rows on accounts_dep.h_tabel;\n");
    g.flush();
    TestDb::loadScript(g.fileName());
    Msg::clearShown();
    QTest::mouseClick(Form19->Button1, Qt::LeftButton);
    QVERIFY(Msg::shown().isEmpty());
    QCOMPARE(cell(Ivanov, 1, QDate(2024, 3, 5)), QString("5"));
    QCOMPARE(Form19->DBGrid1->cellText(0, Form19->DBGrid1->columnOf("d5")), QString("5"));
}

// The user acts on the window while its export runs (the events come in
// between two rows): nothing starts, the workbook is the same as one written
// undisturbed, and a close request is carried out once the export is done.
void WindowGuardsTest::exportNotDisturbed_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("closes");
    for (int window : {19, 27}) {
        const QByteArray w = window == 19 ? "shifts, " : "piecework, ";
        QTest::newRow(w + "Excel again") << window << "excel" << false;
        QTest::newRow(w + "Обновить") << window << "refresh" << false;
        QTest::newRow(w + "Перестроить") << window << "rebuild" << false;
        QTest::newRow(w + "next month by keyboard") << window << "month" << false;
        QTest::newRow(w + "Выход") << window << "exit" << false;
        QTest::newRow(w + "Esc") << window << "esc" << true;
        QTest::newRow(w + "window closed") << window << "close" << true;
    }
}

void WindowGuardsTest::exportNotDisturbed()
{
    QFETCH(int, window);
    QFETCH(QString, action);
    QFETCH(bool, closes);
    QTemporaryDir dir;
    XlsExport::setFolder(dir.path());
    QStringList opened;
    XlsExport::setOpener([&](const QString &p) {
        opened << p;
        return true;
    });
    withWindow(window, [&](const Controls &c) {
        QTest::mouseClick(c.excel, Qt::LeftButton);
        QCOMPARE(opened.size(), 1);
        const QStringList reference = dump(opened[0]);
        QVERIFY(reference.join('\n').contains("Сидоров С.С."));
        const int gridRows = c.grid->dataset()->recordCount();
        // The export's own row count, from its finished caption.
        const QString finished = c.excel->text();
        QVERIFY(finished.startsWith("Excel ("));
        const int rows = finished.section(' ', -1).chopped(1).toInt();
        QCOMPARE(rows, 3);
        const int monthBefore = c.month->currentIndex();

        QString caption;
        QStringList enabled;
        bool acted = false;
        QTimer::singleShot(0, c.window, [&] {
            acted = true;
            caption = c.excel->text();
            for (QWidget *w : std::initializer_list<QWidget *>{c.excel, c.refresh, c.rebuild, c.exit, c.month,
                                                                c.grid})
                if (w->isEnabled())
                    enabled << w->objectName();
            if (action == "excel")
                c.excel->click();
            else if (action == "refresh")
                c.refresh->click();
            else if (action == "rebuild")
                c.rebuild->click();
            else if (action == "exit")
                c.exit->click();
            else if (action == "month")
                QTest::keyClick(c.month, Qt::Key_Down);
            else if (action == "esc")
                QTest::keyClick(c.window, Qt::Key_Escape);
            else if (action == "close")
                c.window->close();
            // Still running: the request waits.
            QVERIFY(c.window->isVisible());
        });
        QTest::mouseClick(c.excel, Qt::LeftButton);
        QVERIFY(acted);
        QCOMPARE(caption, QString("Excel (1 из %1)").arg(rows));
        QVERIFY2(Msg::shown().isEmpty(), qPrintable(Msg::shown().isEmpty() ? QString() : Msg::shown()[0].text));
        // The export that ran is complete (a second one would have been
        // written before it ended).
        QCOMPARE(dump(opened.last()), reference);
        QCOMPARE(opened.size(), 2);
        QVERIFY2(enabled.isEmpty(), qPrintable(enabled.join(", ")));
        QCOMPARE(c.excel->text(), QString("Excel (%1 из %1)").arg(rows));
        QCOMPARE(c.window->isVisible(), !closes);
        QCOMPARE(c.month->currentIndex(), monthBefore);
        QVERIFY(c.grid->dataset()->isOpen());
        QCOMPARE(c.grid->dataset()->recordCount(), gridRows);
        for (QWidget *w : std::initializer_list<QWidget *>{c.excel, c.refresh, c.rebuild, c.exit, c.month,
                                                            c.grid})
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(!QApplication::overrideCursor());
    });
    if (window == 19)
        QVERIFY(!Form15->H_Tabel.isOpen());
}

// While a month rebuild runs its window's controls are disabled and a close
// request waits; afterwards the controls are back, except one that was
// disabled before (as the user's rights do), and the window closes.
void WindowGuardsTest::rebuildHoldsTheWindow_data()
{
    QTest::addColumn<int>("window");
    QTest::newRow("shifts") << 19;
    QTest::newRow("piecework") << 27;
}

void WindowGuardsTest::rebuildHoldsTheWindow()
{
    QFETCH(int, window);
    withWindow(window, [&](const Controls &c) {
        c.refresh->setEnabled(false);
        QStringList enabled;
        int steps = 0;
        QMetaObject::Connection watch = connect(c.progress, &QProgressBar::valueChanged, c.window, [&] {
            if (steps++)
                return;
            for (QWidget *w : std::initializer_list<QWidget *>{c.excel, c.rebuild, c.exit, c.month, c.grid})
                if (w->isEnabled())
                    enabled << w->objectName();
            c.window->close();
            QVERIFY(c.window->isVisible());
        });
        QTest::mouseClick(c.rebuild, Qt::LeftButton);
        disconnect(watch);
        QVERIFY(steps > 1);
        QVERIFY2(enabled.isEmpty(), qPrintable(enabled.join(", ")));
        QVERIFY(Msg::shown().isEmpty());
        QVERIFY(!c.window->isVisible());
        for (QWidget *w : std::initializer_list<QWidget *>{c.excel, c.rebuild, c.exit, c.month, c.grid})
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(!c.refresh->isEnabled());
        c.refresh->setEnabled(true);
    });
}

QTEST_MAIN(WindowGuardsTest)
#include "test_window_guards.moc"
