// The entry editor against the real database: price rules, field checks,
// duplicates, the save with its timesheet upkeep, change mode.
#include "app/AppControl.h"
#include "data/DbError.h"
#include "data/Unit6.h"
#include "entry_shop.h"
#include "data/SqlText.h"
#include "journal/EntryPrice.h"
#include "ui/Text.h"
#include "journal/JournalOps.h"
#include "journal/Unit1.h"
#include "journal/Unit11.h"
#include "reference/Unit4.h"
#include "reference/Unit5.h"
#include "support/JournalWindow.h"
#include "support/TestDb.h"
#include "ui/Msg.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace Shop;

class EntryEditorTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void priceRules_data();
    void priceRules();
    void takesColour_data();
    void takesColour();

    void addStoresEntryAndTimesheet();
    void requiredFields_data();
    void requiredFields();
    void colourBoxFollowsOperation();
    void sumIgnoresRejectsAndEmptyBoxesBecomeZero();
    void digitOnlyBoxes();
    void valuesBeyondTheirColumnsAreRefused_data();
    void valuesBeyondTheirColumnsAreRefused();
    void readOnlyBoxesShowTheirBeginning();

    void duplicates();
    void changeFillsEditorAndKeepsPrice();
    void changeToAnotherOperationTakesItsPrice();
    void priceBasisKeptWithEntry_data();
    void priceBasisKeptWithEntry();
    void changeOnEmptyJournalDoesNothing();
    void changeWhenTheMarkNamesPaint();
    void cancelKeepsBoxes();
    void clickOnBoxesPicks();

    void timesheetUpkeep_data();
    void timesheetUpkeep();
    void saveIsOneTransaction();
    void storedWithJournalShift();
};

namespace {

const QDate kDay(2024, 3, 5); // a Tuesday

// What the user does in the worker list: search by the name's beginning and
// choose; 0 leaves the list with "Выход".
int g_chooseWorker = 0;

void workerList()
{
    QCOMPARE(Form5->Tag, 1);
    QCOMPARE(Form5->Button2->text(), QString("Выбрать"));
    QVERIFY(Form5->Button2->isDefault());
    QVERIFY(!Form5->Button1->isVisible());
    QVERIFY(!Form5->Button3->isVisible());
    QVERIFY(DataModule6->Workers.isOpen());
    if (!g_chooseWorker) {
        Form5->Button4->click();
        return;
    }
    const QString fio = TestDb::scalar("select fio from accounts_dep.person where id=:id::integer",
                                       {{"id", g_chooseWorker}})
                            .toString();
    Form5->Edit1->setText(fio.left(3));
    QVERIFY(DataModule6->Workers.locate("id", g_chooseWorker));
    Form5->Button2->click();
}

// What the user does in the operations list: choose the operation; 0 leaves
// the list with "Выход". g_operListRow: the operation the list stood on.
int g_chooseOper = 0;
int g_operListRow = 0;

void operationList()
{
    Dataset &oper = DataModule6->Oper;
    QCOMPARE(Form4->Tag, 1);
    QCOMPARE(Form4->Button2->text(), QString("Выбрать"));
    QVERIFY(Form4->Button2->isDefault());
    QVERIFY(oper.isOpen());
    g_operListRow = int(oper.asInt("id"));
    if (!g_chooseOper) {
        Form4->Button4->click();
        return;
    }
    QVERIFY(oper.locate("id", g_chooseOper));
    Form4->Button2->click();
}

// Runs `actions` on the editor while the journal window shows it; the lists
// it opens act as above.
void withEditor(const std::function<void(TForm11 *)> &actions)
{
    Modal::setHandler([actions](QDialog *d) {
        d->setResult(0);
        d->show();
        d->activateWindow();
        QApplication::processEvents();
        if (d == Form11)
            actions(Form11);
        else if (d == Form5)
            workerList();
        else if (d == Form4)
            operationList();
        const int r = d->result();
        d->hide();
        if (d != Form11 && Form11->isVisible()) {
            // Back to the editor, as when a list over it closes.
            Form11->activateWindow();
            QApplication::processEvents();
        }
        return r;
    });
}

// The worker picked in the worker list.
void pickWorker(int id)
{
    g_chooseWorker = id;
    Form11->Button3->click();
    QVERIFY(!DataModule6->Workers.isOpen());
}

// The operation picked in the operations list.
void pickOperation(int operId)
{
    g_chooseOper = operId;
    Form11->Button4->click();
    QVERIFY(!DataModule6->Oper.isOpen());
}

void type(QLineEdit *e, const QString &text)
{
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, text);
}

// Fills the editor for a new entry and presses "Запись".
void addEntry(int worker, int oper, const QString &qty, const QString &hours, const QString &colour = {},
              const QString &brak = "0")
{
    withEditor([&](TForm11 *f) {
        pickWorker(worker);
        pickOperation(oper);
        type(f->Edit3, qty);
        type(f->Edit6, hours);
        type(f->Edit4, brak);
        if (!colour.isEmpty())
            type(f->Edit5, colour);
        f->Button1->click();
    });
    Form1->Button1Click();
}

void journalWindow(int shift, const QDate &day, bool dayOff)
{
    Form1->ShiftNumber = shift;
    Form1->DateT->setDate(day);
    Form1->CBox1->setChecked(dayOff);
    openJournals(day);
}

} // namespace

void EntryEditorTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    TestDb::fresh();
    NewJournalWindow();
    new TForm4();
    new TForm5();
    new TForm11();
}

void EntryEditorTest::init()
{
    TestDb::fresh();
    load();
    journalWindow(1, kDay, false);
    Form1->LoginCode = "61730482";
}

void EntryEditorTest::cleanup()
{
    Modal::setHandler({});
    if (Form11->isVisible())
        Form11->hide();
}

void EntryEditorTest::priceRules_data()
{
    QTest::addColumn<double>("base");
    QTest::addColumn<bool>("dayOff");
    QTest::addColumn<int>("shift");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("shift 1") << 10.0 << false << 1 << "10" << "10";
    QTest::newRow("shift 2 day off") << 10.0 << true << 2 << "20" << "20";
    QTest::newRow("shift 3") << 10.0 << false << 3 << "12" << "12";
    QTest::newRow("shift 3 day off: x2.4") << 10.0 << true << 3 << "24" << "24";
    QTest::newRow("shift 4 day off: x3") << 10.0 << true << 4 << "30" << "30";
    QTest::newRow("1.23456 in shift 4") << 1.23456 << false << 4 << "1.8518" << "1,8518";
    QTest::newRow("2.00004") << 2.00004 << false << 1 << "2" << "2";
    QTest::newRow("2.00006") << 2.00006 << false << 1 << "2.0001" << "2,0001";
    QTest::newRow("12,5") << 12.5 << false << 1 << "12.5" << "12,5";
    QTest::newRow("half to even, down") << 1.03125 << false << 1 << "1.0312" << "1,0312";
    QTest::newRow("half to even, up") << 1.09375 << false << 1 << "1.0938" << "1,0938";
    QTest::newRow("no thousands separator") << 123456.5 << false << 1 << "123456.5" << "123456,5";
    QTest::newRow("unknown shift: no factor") << 10.0 << false << 0 << "10" << "10";
    QTest::newRow("zero") << 0.0 << true << 4 << "0" << "0";
}

void EntryEditorTest::priceRules()
{
    QFETCH(double, base);
    QFETCH(bool, dayOff);
    QFETCH(int, shift);
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    const double p = EntryPrice::ApplyFactors(base, dayOff, shift);
    QCOMPARE(SqlText::Decimal(EntryPrice::Round4(p)), stored);
    QCOMPARE(Text::Number(EntryPrice::Round4(p)), shown);
}

void EntryEditorTest::takesColour_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("takes");
    QTest::newRow("upper") << "СТ-1; ПОКРАСКА; Заготовки" << true;
    QTest::newRow("lower") << "СТ-1; покраска; Заготовки" << true;
    QTest::newRow("mixed") << "СТ-1; ПоКрАсКа; Готовая продукция" << true;
    QTest::newRow("word alone") << "краска" << true;
    QTest::newRow("other") << "СТ-1; Сборка; Готовая продукция" << false;
    QTest::newRow("latin look-alike") << "KPACKA" << false;
    QTest::newRow("empty") << "" << false;
}

void EntryEditorTest::takesColour()
{
    QFETCH(QString, text);
    QFETCH(bool, takes);
    QCOMPARE(TForm11::TakesColour(text), takes);
}

void EntryEditorTest::addStoresEntryAndTimesheet()
{
    const QDate saturday(2024, 3, 9);
    journalWindow(3, saturday, true);
    bool shown = false;
    withEditor([&](TForm11 *f) {
        shown = true;
        QCOMPARE(f->windowTitle(), QString("Заведение новой позиции (11)"));
        QCOMPARE(f->Tag, 1);
        QCOMPARE(f->DTimeP->date(), saturday);
        QCOMPARE(f->Edit1->text(), QString());
        QCOMPARE(f->Edit3->text(), QString());
        QCOMPARE(f->Edit4->text(), QString("0"));
        QCOMPARE(f->Edit6->text(), QString("0"));
        QVERIFY(f->Edit1->isReadOnly());
        QVERIFY(f->Edit2->isReadOnly());
        pickWorker(Ivanov);
        QCOMPARE(f->Edit1->text(), QString("Иванов И.И."));
        pickOperation(Assembly); // 12.5 x 2 x 1.2
        QCOMPARE(f->Edit2->text(), QString("СТ-1; Сборка; Готовая продукция"));
        QCOMPARE(f->Edit7->text(), QString("30"));
        QCOMPARE(f->Edit8->text(), QString("12,5"));
        QVERIFY(!f->Edit5->isEnabled());
        type(f->Edit3, "7");
        type(f->Edit6, "8");
        f->Edit4->setFocus(); // leaving the hours box recomputes
        QApplication::processEvents();
        QCOMPARE(f->Edit9->text(), QString("210"));
        f->Button1->click();
    });
    Form1->Button1Click();
    QVERIFY(shown);
    QVERIFY(Msg::shown().isEmpty());
    QCOMPARE(entries(), 1);
    QSqlQuery q = DataModule6->ADO_DB.select(
        "select w_id, i_id, o_id, cena, kol_vo, brak, data, smena, color, time, vvod::date = current_date, ok, "
        "prize, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use from accounts_dep.smena");
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), int(Ivanov));
    QCOMPARE(q.value(1).toInt(), int(Chair));
    QCOMPARE(q.value(2).toInt(), int(Assembly));
    QCOMPARE(q.value(3).toDouble(), 30.0);
    QCOMPARE(q.value(4).toInt(), 7);
    QCOMPARE(q.value(5).toInt(), 0);
    QCOMPARE(q.value(6).toDate(), saturday);
    QCOMPARE(q.value(7).toInt(), 3);
    QCOMPARE(q.value(8).toInt(), 0);
    QCOMPARE(q.value(9).toInt(), 8);
    QCOMPARE(q.value(10).toString(), QString("1"));
    QCOMPARE(q.value(11).toString(), QString("no"));
    for (int i = 12; i <= 17; ++i)
        QCOMPARE(q.value(i).toDouble(), 0.0);
    // The timesheet row: only that day filled.
    QCOMPARE(tabelRows(Ivanov, 3, saturday), 1);
    QCOMPARE(cell(Ivanov, 3, saturday), QString("8"));
    QCOMPARE(TestDb::scalar("select coalesce(d1,0)+coalesce(d8,0)+coalesce(d10,0)+coalesce(d31,0) "
                            "from accounts_dep.h_tabel")
                 .toInt(),
             0);
    QCOMPARE(TestDb::scalar("select i_type from accounts_dep.h_tabel").toInt(), 0);
    // The shift's journal shows it; the editor is cleared.
    QCOMPARE(DataModule6->Smena3.recordCount(), 1);
    QCOMPARE(DataModule6->Smena3.text("fio"), QString("Иванов И.И."));
    QCOMPARE(Form11->Edit1->text(), QString());
    QCOMPARE(Form11->Edit7->text(), QString());
    QVERIFY(!Form11->isVisible());
}

void EntryEditorTest::requiredFields_data()
{
    QTest::addColumn<QString>("empty");
    QTest::newRow("worker") << "worker";
    QTest::newRow("operation") << "operation";
    QTest::newRow("quantity") << "Edit3";
    QTest::newRow("rejects") << "Edit4";
    QTest::newRow("hours") << "Edit6";
    QTest::newRow("colour of a painting operation") << "Edit5";
    QTest::newRow("nothing missing") << "";
}

void EntryEditorTest::requiredFields()
{
    QFETCH(QString, empty);
    bool stillOpen = false;
    withEditor([&](TForm11 *f) {
        if (empty != "worker")
            pickWorker(Ivanov);
        if (empty != "operation")
            pickOperation(Painting);
        type(f->Edit3, "5");
        type(f->Edit4, "1");
        type(f->Edit6, "4");
        if (f->Edit5->isEnabled())
            type(f->Edit5, "3");
        if (empty.startsWith("Edit"))
            f->findChild<QLineEdit *>(empty)->setText("  ");
        f->Button1->click();
        stillOpen = f->isVisible();
    });
    Form1->Button1Click();
    if (empty.isEmpty()) {
        QVERIFY(Msg::shown().isEmpty());
        QCOMPARE(entries(), 1);
        QCOMPARE(TestDb::scalar("select color from accounts_dep.smena").toInt(), 3);
        QVERIFY(!stillOpen);
        return;
    }
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(Msg::shown()[0].text, QString("Все поля должны быть заполнены!"));
    QCOMPARE(Msg::shown()[0].caption, QString("Ошибка"));
    QVERIFY(Msg::shown()[0].icon == Msg::Icon::Error);
    QVERIFY(stillOpen);
    QCOMPARE(entries(), 0);
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.h_tabel").toInt(), 0);
}

void EntryEditorTest::colourBoxFollowsOperation()
{
    withEditor([&](TForm11 *f) {
        pickWorker(Ivanov);
        pickOperation(Painting);
        QVERIFY(f->Edit5->isEnabled());
        QVERIFY(f->Label6->isEnabled());
        type(f->Edit5, "12");
        // Another operation without colour clears and disables the box.
        pickOperation(Assembly);
        QVERIFY(!f->Edit5->isEnabled());
        QVERIFY(!f->Label6->isEnabled());
        QCOMPARE(f->Edit5->text(), QString());
        type(f->Edit3, "3");
        type(f->Edit6, "2");
        f->Button1->click();
    });
    Form1->Button1Click();
    QCOMPARE(entries("color=0 and o_id=301"), 1);
}

void EntryEditorTest::sumIgnoresRejectsAndEmptyBoxesBecomeZero()
{
    withEditor([&](TForm11 *f) {
        pickWorker(Ivanov);
        type(f->Edit3, "10");
        type(f->Edit4, "2");
        f->Edit6->clear();
        pickOperation(Painting); // price 3
        QCOMPARE(f->Edit9->text(), QString("30"));
        QCOMPARE(f->Edit6->text(), QString("0"));
        f->Edit3->clear();
        f->RecomputeBoxes();
        QCOMPARE(f->Edit3->text(), QString("0"));
        QCOMPARE(f->Edit9->text(), QString("0"));
        // "0" quantity and "0" hours are accepted (rejects cannot exceed
        // the quantity).
        type(f->Edit4, "0");
        type(f->Edit5, "1");
        f->Button1->click();
    });
    Form1->Button1Click();
    QVERIFY(Msg::shown().isEmpty());
    QCOMPARE(entries("kol_vo=0 and time=0 and brak=0"), 1);
    // No hours: the worker still has a timesheet row, with 0 on the day.
    QCOMPARE(tabelRows(Ivanov, 1, kDay), 1);
    QCOMPARE(cell(Ivanov, 1, kDay), QString("0"));
}

void EntryEditorTest::digitOnlyBoxes()
{
    for (QLineEdit *e : {Form11->Edit3, Form11->Edit4, Form11->Edit5, Form11->Edit6}) {
        e->setEnabled(true);
        e->clear();
        e->setFocus();
        QTest::keyClicks(e, "1a2,-3 .4");
        QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QString("б"), Qt::NoModifier);
        QTest::keyClick(e, Qt::Key_Backspace);
        QCOMPARE(e->text(), QString("123"));
        // Pasted text with other characters does not get in either.
        e->clear();
        e->insert("12x");
        QCOMPARE(e->text(), QString());
    }
}

// Quantity, rejects, hours and colour against their columns and bounds: a
// refused value is told by the editor, which stays open, and nothing reaches
// the journal or the timesheet.
void EntryEditorTest::valuesBeyondTheirColumnsAreRefused_data()
{
    QTest::addColumn<QString>("qty");
    QTest::addColumn<QString>("brak");
    QTest::addColumn<QString>("hours");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("message"); // empty: stored
    const QString hours = "Количество часов не может быть больше 24!";
    const QString integer = "Значение в поле «%1» должно быть от 0 до 2147483647!";
    QTest::newRow("24 hours, rejects = quantity") << "5" << "5" << "24" << "3" << "";
    QTest::newRow("25 hours") << "5" << "0" << "25" << "3" << hours;
    QTest::newRow("32768 hours") << "5" << "0" << "32768" << "3" << hours;
    QTest::newRow("rejects above quantity") << "5" << "6" << "8" << "3"
                                            << "Брак не может быть больше количества!";
    QTest::newRow("quantity beyond integer") << "2147483648" << "0" << "8" << "3" << integer.arg("Кол-во");
    QTest::newRow("rejects beyond integer") << "5" << "99999999999" << "8" << "3" << integer.arg("Брак");
    QTest::newRow("hours beyond integer") << "5" << "0" << "99999999999" << "3" << integer.arg("Время");
    QTest::newRow("colour beyond integer") << "5" << "0" << "4" << "99999999999" << integer.arg("Цвет");
}

void EntryEditorTest::valuesBeyondTheirColumnsAreRefused()
{
    QFETCH(QString, qty);
    QFETCH(QString, brak);
    QFETCH(QString, hours);
    QFETCH(QString, colour);
    QFETCH(QString, message);
    bool stillOpen = false;
    withEditor([&](TForm11 *f) {
        pickWorker(Ivanov);
        pickOperation(Painting);
        type(f->Edit3, qty);
        type(f->Edit4, brak);
        type(f->Edit6, hours);
        type(f->Edit5, colour);
        f->Button1->click();
        stillOpen = f->isVisible();
    });
    Form1->Button1Click();
    if (message.isEmpty()) {
        QVERIFY(Msg::shown().isEmpty());
        QVERIFY(!stillOpen);
        QCOMPARE(entries(QString("kol_vo=%1 and brak=%2 and time=%3").arg(qty, brak, hours)), 1);
        QCOMPARE(cell(Ivanov, 1, kDay), hours);
        return;
    }
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(Msg::shown()[0].text, message);
    QCOMPARE(Msg::shown()[0].caption, QString("Ошибка"));
    QVERIFY(Msg::shown()[0].icon == Msg::Icon::Error);
    QVERIFY(stillOpen);
    QCOMPARE(entries(), 0);
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.h_tabel").toInt(), 0);
}

// Read-only boxes show their text from its beginning, the whole of it in the
// tooltip; a large sum is written out, never in exponent form.
void EntryEditorTest::readOnlyBoxesShowTheirBeginning()
{
    TestDb::exec("update cmn_gds_and_srv.gds_and_srv set s_caption='КД-1 кроватка детская с ящиком и бортиком' "
                 "where id=2001");
    TestDb::exec("update accounts_dep.norm set price=4.5e18 where o_id=302");
    withEditor([&](TForm11 *f) {
        f->Edit2->setFixedWidth(120); // far narrower than the text
        pickWorker(Ivanov);
        pickOperation(Painting);
        const QString text = "КД-1 кроватка детская с ящиком и бортиком; ПоКрАсКа; Заготовки";
        QCOMPARE(f->Edit2->text(), text);
        QCOMPARE(f->Edit2->toolTip(), text);
        QCOMPARE(f->Edit2->cursorPosition(), 0);
        for (QLineEdit *e : {f->Edit1, f->Edit7, f->Edit8, f->Edit9}) {
            QCOMPARE(e->cursorPosition(), 0);
            QCOMPARE(e->toolTip(), e->text());
        }
        type(f->Edit3, "10000");
        f->RecomputeBoxes();
        QVERIFY2(!f->Edit9->text().contains('e', Qt::CaseInsensitive), qPrintable(f->Edit9->text()));
        QCOMPARE(f->Edit9->text().size(), 23); // 4,5e+22 written out
        QCOMPARE(f->Edit7->text(), QString("4500000000000000000"));
        f->Button2->click();
    });
    Form1->Button1Click();
}

void EntryEditorTest::duplicates()
{
    const int first = entry(Ivanov, Painting, kDay, 1, 4, "ok", 5);
    openJournals(kDay);
    // The same worker, operation, product, date, shift and colour: refused.
    addEntry(Ivanov, Painting, "3", "2", "5");
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(Msg::shown()[0].text, QString("Позиция с такими параметрами уже заведена!"));
    QCOMPARE(Msg::shown()[0].caption, QString("Ошибка"));
    QVERIFY(Msg::shown()[0].icon == Msg::Icon::Error);
    QCOMPARE(entries(), 1);
    QCOMPARE(tabelRows(Ivanov, 1, kDay), 0); // nothing of the refused save stays
    // Another colour: allowed.
    Msg::clearShown();
    addEntry(Ivanov, Painting, "3", "2", "6");
    QVERIFY(Msg::shown().isEmpty());
    QCOMPARE(entries(), 2);
    // The same entry in another shift: allowed.
    journalWindow(2, kDay, false);
    addEntry(Ivanov, Painting, "3", "2", "5");
    QCOMPARE(entries(), 3);
    // Changing an entry without altering anything passes.
    journalWindow(1, kDay, false);
    QVERIFY(DataModule6->Smena1.locate("id", first));
    withEditor([](TForm11 *f) { f->Button1->click(); });
    Form1->Button2Click();
    QVERIFY(Msg::shown().isEmpty());
    QCOMPARE(entries(), 3);
    QCOMPARE(entries("id=:id::integer and color=5 and ok='ok'", {{"id", first}}), 1);
    // Changing it into its colour-6 neighbour is refused.
    QVERIFY(DataModule6->Smena1.locate("id", first));
    withEditor([](TForm11 *f) {
        type(f->Edit5, "6");
        f->Button1->click();
        QVERIFY(f->isVisible());
    });
    Form1->Button2Click();
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(Msg::shown()[0].text, QString("Позиция с такими параметрами уже заведена!"));
    QCOMPARE(entries("color=5"), 2);
}

void EntryEditorTest::changeFillsEditorAndKeepsPrice()
{
    entry(Petrov, Assembly, kDay, 1, 3, "ok", 0, 4);
    const int id = entry(Ivanov, Painting, kDay, 1, 6, "ok", 7, 10, 2, 3.03125);
    openJournals(kDay);
    QVERIFY(DataModule6->Smena1.locate("id", id));
    const int rec = DataModule6->Smena1.recNo();
    withEditor([&](TForm11 *f) {
        QCOMPARE(f->windowTitle(), QString("Изменение данных о позиции (11)"));
        QCOMPARE(f->Tag, 2);
        QCOMPARE(f->DTimeP->date(), kDay);
        QCOMPARE(f->Edit1->text(), QString("Иванов И.И."));
        QCOMPARE(f->Edit2->text(), QString("СТ-1; ПоКрАсКа; Заготовки"));
        QCOMPARE(f->Edit3->text(), QString("10"));
        QCOMPARE(f->Edit4->text(), QString("2"));
        QCOMPARE(f->Edit6->text(), QString("6"));
        QVERIFY(f->Edit5->isEnabled());
        QCOMPARE(f->Edit5->text(), QString("7"));
        QCOMPARE(f->Edit7->text(), QString("3,0312"));  // 30312.5 to even
        QCOMPARE(f->Edit9->text(), QString("30,3125")); // quantity x price, rejects kept
        QCOMPARE(f->Edit8->text(), QString());
        QCOMPARE(f->WorkerId, int(Ivanov));
        QCOMPARE(f->OperId, int(Painting));
        QCOMPARE(f->ProductId, int(Chair));
        // Another worker and date; quantity and hours.
        pickWorker(Petrov);
        f->DTimeP->setDate(kDay.addDays(1));
        type(f->Edit3, "12");
        type(f->Edit6, "5");
        f->Button1->click();
    });
    Form1->Button2Click();
    QVERIFY(Msg::shown().isEmpty());
    QSqlQuery q = DataModule6->ADO_DB.select(
        "select w_id, data, kol_vo, time, cena, ok, color, vvod::date = current_date from accounts_dep.smena "
        "where id=:id::integer",
        {{"id", id}});
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), int(Petrov));
    QCOMPARE(q.value(1).toDate(), kDay.addDays(1));
    QCOMPARE(q.value(2).toInt(), 12);
    QCOMPARE(q.value(3).toInt(), 5);
    QCOMPARE(q.value(4).toString(), QString("3.0312")); // the stored price, rounded
    QCOMPARE(q.value(5).toString(), QString("ok"));     // the mark stays
    QCOMPARE(q.value(6).toInt(), 7);
    QCOMPARE(q.value(7).toString(), QString("1"));
    // The journal is back on the row it was on.
    QCOMPARE(DataModule6->Smena1.recNo(), rec);
}

void EntryEditorTest::changeToAnotherOperationTakesItsPrice()
{
    const int id = entry(Ivanov, Painting, kDay, 4, 6, "no", 7, 10, 0, 3);
    journalWindow(4, kDay, true);
    QVERIFY(DataModule6->Smena4.locate("id", id));
    withEditor([&](TForm11 *f) {
        pickOperation(Cutting); // 10 x 2 x 1.5
        QCOMPARE(g_operListRow, int(Painting)); // the list opened on the entry's operation
        QVERIFY(!f->Edit5->isEnabled());
        QCOMPARE(f->Edit7->text(), QString("30"));
        QCOMPARE(f->Edit8->text(), QString("10"));
        QCOMPARE(f->Edit9->text(), QString("300"));
        f->Button1->click();
    });
    Form1->Button2Click();
    QCOMPARE(entries("o_id=303 and i_id=2002 and cena=30 and color=0 and smena=4"), 1);
}

// The base price and the day-off flag the price was set from are stored with
// the entry when an operation is picked, and kept by a change without a pick
// (also when unknown), whatever the journal's boxes show then.
void EntryEditorTest::priceBasisKeptWithEntry_data()
{
    QTest::addColumn<int>("shift");
    QTest::addColumn<bool>("dayOff");
    QTest::addColumn<int>("oper");
    QTest::addColumn<QString>("cena");
    QTest::addColumn<QString>("base");
    QTest::newRow("shift 1") << 1 << false << int(Assembly) << "12.5" << "12.5";
    QTest::newRow("shift 3 day off") << 3 << true << int(Painting) << "7.2" << "3";
    QTest::newRow("overtime") << 4 << false << int(Cutting) << "15" << "10";
}

void EntryEditorTest::priceBasisKeptWithEntry()
{
    QFETCH(int, shift);
    QFETCH(bool, dayOff);
    QFETCH(int, oper);
    QFETCH(QString, cena);
    QFETCH(QString, base);
    const auto stored = [](const QString &where) {
        QSqlQuery q = DataModule6->ADO_DB.select(
            "select cena, coalesce(base_cena::text, 'NULL'), coalesce(i_holiday::text, 'NULL') "
            "from accounts_dep.smena where " + where);
        return q.next() ? QStringList{q.value(0).toString(), q.value(1).toString(), q.value(2).toString()}
                        : QStringList{};
    };
    journalWindow(shift, kDay, dayOff);
    addEntry(Ivanov, oper, "10", "4", oper == Painting ? "5" : QString());
    QVERIFY(Msg::shown().isEmpty());
    QCOMPARE(stored("true"), (QStringList{cena, base, dayOff ? "1" : "0"}));

    // A change without a pick keeps the basis, though "Выходной" flipped.
    const int id = int(TestDb::scalar("select id from accounts_dep.smena").toInt());
    journalWindow(shift, kDay, !dayOff);
    QVERIFY(Form1->CurrentJournal().locate("id", id));
    withEditor([&](TForm11 *f) {
        type(f->Edit3, "11");
        f->Button1->click();
    });
    Form1->Button2Click();
    QCOMPARE(stored("kol_vo=11"), (QStringList{cena, base, dayOff ? "1" : "0"}));

    // An older entry without a basis keeps none through such a change...
    TestDb::exec("update accounts_dep.smena set base_cena=null, i_holiday=null");
    journalWindow(shift, kDay, !dayOff);
    QVERIFY(Form1->CurrentJournal().locate("id", id));
    withEditor([&](TForm11 *f) {
        type(f->Edit3, "12");
        f->Button1->click();
    });
    Form1->Button2Click();
    QCOMPARE(stored("kol_vo=12"), (QStringList{cena, "NULL", "NULL"}));

    // ...and gets the new one when its operation is picked again.
    QVERIFY(Form1->CurrentJournal().locate("id", id));
    withEditor([&](TForm11 *f) {
        pickOperation(oper);
        f->Button1->click();
    });
    Form1->Button2Click();
    QVERIFY(Msg::shown().isEmpty());
    const QStringList now = stored("kol_vo=12");
    QCOMPARE(now.value(1), base);
    QCOMPARE(now.value(2), QString(dayOff ? "0" : "1"));
    QCOMPARE(now.value(0), SqlText::Decimal(EntryPrice::Round4(
                               EntryPrice::ApplyFactors(base.toDouble(), !dayOff, shift))));
}

void EntryEditorTest::changeOnEmptyJournalDoesNothing()
{
    entry(Ivanov, Assembly, kDay, 1, 3);
    journalWindow(2, kDay, false);
    bool shown = false;
    withEditor([&](TForm11 *) { shown = true; });
    Form1->Button2Click();
    QVERIFY(!shown);
    QVERIFY(Msg::shown().isEmpty());
}

// The colour rule reads the whole operation text in change mode too, so an
// entry whose product mark names paint can be changed and saved.
void EntryEditorTest::changeWhenTheMarkNamesPaint()
{
    TestDb::exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, id_msm_bs, massa) "
                 "values (2003, 'Краска-1', 6, 1)");
    TestDb::exec("insert into accounts_dep.oper (id, vid, naimen, i_id, cena_new) values (304, 11, 0, 2003, 0)");
    TestDb::exec("insert into accounts_dep.norm (o_id, norma, price, prize) values (304, 1, 2, 0)");
    const int id = TestDb::scalar("insert into accounts_dep.smena (w_id, i_id, o_id, kol_vo, brak, data, smena, "
                                  "cena, color, time, ok, vvod, prize) values (101, 2003, 304, 5, 0, "
                                  "'2024-03-05', 1, 2, 4, 3, 'no', now(), 0) returning id")
                       .toInt();
    openJournals(kDay);
    QVERIFY(DataModule6->Smena1.locate("id", id));
    withEditor([&](TForm11 *f) {
        QCOMPARE(f->Edit2->text(), QString("Краска-1; Сборка; Готовая продукция"));
        QVERIFY(f->Edit5->isEnabled());
        QCOMPARE(f->Edit5->text(), QString("4"));
        type(f->Edit3, "6");
        f->Button1->click();
    });
    Form1->Button2Click();
    QVERIFY(Msg::shown().isEmpty());
    QCOMPARE(entries("id=:id::integer and kol_vo=6 and color=4", {{"id", id}}), 1);
}

void EntryEditorTest::cancelKeepsBoxes()
{
    withEditor([&](TForm11 *f) {
        pickWorker(Ivanov);
        pickOperation(Assembly);
        type(f->Edit3, "9");
        f->Button2->click();
    });
    Form1->Button1Click();
    QCOMPARE(entries(), 0);
    QCOMPARE(Form11->Edit1->text(), QString("Иванов И.И."));
    QCOMPARE(Form11->Edit3->text(), QString("9"));
}

void EntryEditorTest::clickOnBoxesPicks()
{
    withEditor([&](TForm11 *f) {
        g_chooseWorker = Petrov;
        QTest::mouseClick(f->Edit1, Qt::LeftButton);
        QCOMPARE(f->Edit1->text(), QString("Петров П.П."));
        QCOMPARE(f->WorkerId, int(Petrov));
        // Leaving the list without a choice changes nothing.
        g_chooseWorker = 0;
        QTest::mouseClick(f->Edit1, Qt::LeftButton);
        QCOMPARE(f->Edit1->text(), QString("Петров П.П."));
        QCOMPARE(f->WorkerId, int(Petrov));
        QVERIFY(!DataModule6->Workers.isOpen());
        // The operation's box likewise; for a new entry the list stands on its
        // first row (ordered by mark, kind, product kind), not on the last pick.
        g_chooseOper = Cutting;
        QTest::mouseClick(f->Edit2, Qt::LeftButton);
        QCOMPARE(f->OperId, int(Cutting));
        g_chooseOper = Painting;
        QTest::mouseClick(f->Edit2, Qt::LeftButton);
        QCOMPARE(g_operListRow, int(Painting));
        QCOMPARE(f->Edit2->text(), QString("СТ-1; ПоКрАсКа; Заготовки"));
        QVERIFY(f->Edit5->isEnabled());
        g_chooseOper = 0;
        QTest::mouseClick(f->Edit2, Qt::LeftButton);
        QCOMPARE(f->Edit2->text(), QString("СТ-1; ПоКрАсКа; Заготовки"));
        QCOMPARE(f->OperId, int(Painting));
        QCOMPARE(f->Edit7->text(), QString("3"));
        QCOMPARE(f->Edit8->text(), QString("3"));
        f->Button2->click();
    });
    Form1->Button1Click();
}

// What a save does to the timesheet cells around it.
void EntryEditorTest::timesheetUpkeep_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::newRow("first entry creates the row with one day") << "first";
    QTest::newRow("second entry on the same day sums") << "second";
    QTest::newRow("changing the worker fixes both cells") << "worker";
    QTest::newRow("changing the date fixes both cells") << "date";
    QTest::newRow("changing the date into the next month") << "month";
    QTest::newRow("an existing row keeps its other days") << "existing";
}

void EntryEditorTest::timesheetUpkeep()
{
    QFETCH(QString, scenario);
    const QDate next = kDay.addDays(1);
    if (scenario == "first") {
        addEntry(Ivanov, Assembly, "5", "6");
        QCOMPARE(tabelRows(Ivanov, 1, kDay), 1);
        QCOMPARE(cell(Ivanov, 1, kDay), QString("6"));
        QCOMPARE(cell(Ivanov, 1, next), QString("null"));
    } else if (scenario == "second") {
        addEntry(Ivanov, Assembly, "5", "6");
        openJournals(kDay);
        addEntry(Ivanov, Cutting, "5", "2");
        QCOMPARE(tabelRows(Ivanov, 1, kDay), 1);
        QCOMPARE(cell(Ivanov, 1, kDay), QString("8"));
        QCOMPARE(tabelRows(Ivanov, 2, kDay), 0);
    } else if (scenario == "worker" || scenario == "date" || scenario == "month") {
        addEntry(Ivanov, Assembly, "5", "6");
        addEntry(Ivanov, Cutting, "5", "2");
        // Ivanov also worked the day after, so his row stays.
        entry(Ivanov, Assembly, next, 1, 7);
        tabelRow(Petrov, 1, 3, 2024, {}); // Petrov's row exists, still without hours
        TestDb::exec("update accounts_dep.h_tabel set d6=7 where w_id=101");
        openJournals(kDay);
        QVERIFY(DataModule6->Smena1.locate("o_id", int(Cutting)));
        const QDate target = scenario == "month" ? QDate(2024, 4, 2) : scenario == "date" ? next : kDay;
        withEditor([&](TForm11 *f) {
            if (scenario == "worker")
                pickWorker(Petrov);
            else
                f->DTimeP->setDate(target);
            f->Button1->click();
        });
        Form1->Button2Click();
        QVERIFY(Msg::shown().isEmpty());
        // The cell the entry left holds the remaining entry's hours.
        QCOMPARE(cell(Ivanov, 1, kDay), QString("6"));
        if (scenario == "worker") {
            QCOMPARE(cell(Petrov, 1, kDay), QString("2"));
            QCOMPARE(cell(Ivanov, 1, next), QString("7"));
        } else {
            QCOMPARE(cell(Ivanov, 1, target), QString(scenario == "date" ? "9" : "2"));
        }
        QCOMPARE(tabelRows(Ivanov, 1, kDay), 1);
        if (scenario == "month")
            QCOMPARE(tabelRows(Ivanov, 1, target), 1);
    } else if (scenario == "existing") {
        tabelRow(Ivanov, 1, 3, 2024, {{1, 8}, {5, 3}, {31, 4}});
        addEntry(Ivanov, Assembly, "5", "6");
        QCOMPARE(tabelRows(Ivanov, 1, kDay), 1);
        QCOMPARE(cell(Ivanov, 1, kDay), QString("6")); // the journal's sum, not 3 + 6
        QCOMPARE(cell(Ivanov, 1, QDate(2024, 3, 1)), QString("8"));
        QCOMPARE(cell(Ivanov, 1, QDate(2024, 3, 31)), QString("4"));
    }
}

void EntryEditorTest::saveIsOneTransaction()
{
    // The day's hours would not fit the timesheet cell: the save fails at its
    // timesheet step and the entry must not stay behind.
    entry(Ivanov, Cutting, kDay, 1, 32750);
    tabelRow(Ivanov, 1, 3, 2024, {{5, 32750}});
    openJournals(kDay);
    withEditor([&](TForm11 *f) {
        pickWorker(Ivanov);
        pickOperation(Assembly);
        type(f->Edit3, "5");
        type(f->Edit6, "24");
        try {
            f->Button1Click();
            QFAIL("the save should fail");
        } catch (const DbError &) {
        }
        QVERIFY(f->isVisible());
    });
    Form1->Button1Click();
    QCOMPARE(entries(), 1);
    QCOMPARE(cell(Ivanov, 1, kDay), QString("32750"));
    QVERIFY(!DataModule6->ADO_DB.inTransaction());
    // The connection goes on working.
    addEntry(Ivanov, Assembly, "5", "8");
    QCOMPARE(entries(), 2);
    QCOMPARE(cell(Ivanov, 1, kDay), QString("32758"));
}

void EntryEditorTest::storedWithJournalShift()
{
    // The journal shows shift 2 of one date; the editor's date is another one.
    journalWindow(2, kDay, false);
    withEditor([&](TForm11 *f) {
        pickWorker(Ivanov);
        pickOperation(Assembly);
        f->DTimeP->setDate(QDate(2024, 2, 29));
        type(f->Edit3, "5");
        type(f->Edit6, "4");
        f->Button1->click();
    });
    Form1->Button1Click();
    QCOMPARE(entries("smena=2 and data='2024-02-29'::date"), 1);
    QCOMPARE(cell(Ivanov, 2, QDate(2024, 2, 29)), QString("4"));
}

QTEST_MAIN(EntryEditorTest)
#include "test_entry_editor.moc"
