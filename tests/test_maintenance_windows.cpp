// The maintenance-works journal and its entry dialog, driven by their
// controls against the real database: the date rules, the pickers, the
// price rules, the field checks, change, delete and the price recompute.
#include "data/DbError.h"
#include "data/Unit6.h"
#include "journal/Unit1.h"
#include "maintenance/Unit24.h"
#include "maintenance/Unit25.h"
#include "maintenance_shop.h"
#include "reference/Unit26.h"
#include "reference/Unit5.h"
#include "support/TestDb.h"
#include "ui/DBGrid.h"
#include "ui/Msg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace MaintShop;

class MaintenanceWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void openedFromJournalOnItsDate();
    void datePickRules_data();
    void datePickRules();
    void addThroughPickers();
    void priceRules_data();
    void priceRules();
    void fieldChecks_data();
    void fieldChecks();
    void changeFillsDialogAndRewritesDay();
    void doubleClickChangesAndEmptyListDoesNothing();
    void deleteAsksFirst();
    void recomputeShowsNewPrices();
};

namespace {

const QDate kDay(2024, 3, 5); // a Tuesday

// What the user does in the lists: the worker and the group to choose (0
// leaves the list with "Выход").
int g_worker = 0;
int g_group = 0;
std::function<void(TForm24 *)> g_dialog;

void workerList()
{
    QCOMPARE(Form5->Tag, 24);
    QCOMPARE(Form5->Button2->text(), QString("Выбрать"));
    QVERIFY(Form5->Button2->isDefault());
    QVERIFY(!Form5->Button1->isVisible());
    QVERIFY(!Form5->Button3->isVisible());
    if (!g_worker) {
        Form5->Button4->click();
        return;
    }
    QVERIFY(DataModule6->Workers.locate("id", g_worker));
    Form5->Button2->click();
}

void groupList()
{
    if (!g_group) {
        Form26->Button4->click();
        return;
    }
    QVERIFY(Form26->item.locate("id", g_group));
    Form26->Button1->click();
}

// Every window the test opens acts at once instead of waiting for a user:
// the dialog runs g_dialog, the lists choose as above, the journal window of
// maintenance works just shows.
void installHandler()
{
    Modal::setHandler([](QDialog *d) {
        d->setResult(0);
        d->show();
        QApplication::processEvents();
        if (d == Form24 && g_dialog)
            g_dialog(Form24);
        else if (d == Form5)
            workerList();
        else if (d == Form26)
            groupList();
        const int r = d->result();
        if (d != Form25)
            d->hide();
        return r;
    });
}

void type(QLineEdit *e, const QString &text)
{
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, text);
}

// The dialog in add mode on the journal's date: picks, hours, night, save.
void addEntry(int worker, int group, const QString &hours, bool night = false, int kind = Maint)
{
    g_dialog = [=](TForm24 *f) {
        g_worker = worker;
        f->Button3->click();
        g_group = group;
        f->Button4->click();
        f->cb_type_work->setCurrentIndex(f->cb_type_work->findData(kind));
        type(f->Edit6, hours);
        f->CBox1->setChecked(night);
        f->Button1->click();
    };
    Form25->Button5->click();
}

QStringList gridRow(int row)
{
    QStringList cells;
    for (int c = 0; c < Form25->DBGrid1->datasetModel()->columnCount(); ++c)
        cells << Form25->DBGrid1->cellText(row, c);
    return cells;
}

} // namespace

void MaintenanceWindowsTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    TestDb::fresh();
    auto *f1 = new TForm1();
    f1->Timer1->stop();
    new TForm5();
    new TForm24();
    new TForm25();
    new TForm26();
    Msg::setRecording(true);
}

void MaintenanceWindowsTest::init()
{
    TestDb::fresh();
    load();
    Msg::clearShown();
    g_worker = g_group = 0;
    g_dialog = {};
    installHandler();
    Form25->CBox1->setChecked(false);
    Form25->SetDate(kDay);
    Form25->Reread(false);
}

void MaintenanceWindowsTest::cleanup()
{
    Modal::setHandler({});
    for (QWidget *w : {static_cast<QWidget *>(Form24), static_cast<QWidget *>(Form25)})
        w->hide();
}

void MaintenanceWindowsTest::openedFromJournalOnItsDate()
{
    const QDate saturday(2024, 3, 9);
    fatigue(Petrov, Maint, saturday, 6, 1, Cabinets, 360, 1);
    fatigue(Ivanov, Avg, saturday, 8, 0, Chairs, 33.891);
    fatigue(Ivanov, Maint, kDay, 2);
    Form1->DateT->setDate(saturday);
    Form1->Button5->click();
    QVERIFY(Form25->isVisible());
    QCOMPARE(Form25->windowTitle(), QString("Хоз. работы (25)"));
    QCOMPARE(Form25->Date(), saturday);
    QVERIFY(!Form25->DayOff()); // the date set by the opener leaves the box alone
    QCOMPARE(Form25->fatigue.recordCount(), 2);
    const auto *model = Form25->DBGrid1->datasetModel();
    QStringList titles;
    for (int c = 0; c < model->columnCount(); ++c)
        titles << model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    QCOMPARE(titles, QStringList({"ФИО", "Номенклатура", "Работа", "Цена", "Кол-во", "Итого", "Вых.", "Ноч."}));
    QCOMPARE(gridRow(0), QStringList({"Иванов И.И.", "Стулья", "Ср. сдельная", "33,891", "8", "271,128", "", ""}));
    QCOMPARE(gridRow(1), QStringList({"Петров П.П.", "Шкафы", "Хоз. работы", "360,00", "6", "2160,00", "+", "+"}));
}

void MaintenanceWindowsTest::datePickRules_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<bool>("tickedBefore");
    QTest::addColumn<bool>("dayOff");
    QTest::newRow("saturday") << QDate(2024, 3, 9) << false << true;
    QTest::newRow("sunday") << QDate(2024, 3, 10) << false << true;
    QTest::newRow("monday clears a ticked box") << QDate(2024, 3, 11) << true << false;
}

void MaintenanceWindowsTest::datePickRules()
{
    QFETCH(QDate, date);
    QFETCH(bool, tickedBefore);
    QFETCH(bool, dayOff);
    fatigue(Ivanov, Maint, date, 3);
    Form25->CBox1->setChecked(tickedBefore);
    Form25->DTPcker1->setFocus();
    Form25->DTPcker1->setDate(date); // as the user picks it
    QCOMPARE(Form25->DayOff(), dayOff);
    QCOMPARE(Form25->CBox1->font().bold(), dayOff);
    QCOMPARE(Form25->CBox1->palette().color(QPalette::Window) == QColor(255, 0, 0), dayOff);
    QCOMPARE(Form25->fatigue.recordCount(), 1); // the list of the new date
}

void MaintenanceWindowsTest::addThroughPickers()
{
    addEntry(Ivanov, Cabinets, "8");
    QVERIFY(!Form24->isVisible());
    QVERIFY(!DataModule6->Workers.isOpen());
    QVERIFY(!Form26->item.isOpen());
    QVERIFY(!Form24->type_work.isOpen());
    QCOMPARE(TestDb::scalar("select id_nom || '|' || id_o || '|' || id_p || '|' || d_date || '|' || i_mnth || '|' "
                            "|| i_year || '|' || i_smena || '|' || cnt || '|' || trim_scale(price) || '|' || "
                            "i_holiday || '|' || i_night from accounts_dep.fatigue")
                 .toString(),
             QString("501|7777|101|2024-03-05|3|2024|1|8|150|0|0"));
    QCOMPARE(hourlyCell(Ivanov, Maint, 0, kDay), QString("8"));
    // The list shows it.
    QCOMPARE(Form25->fatigue.recordCount(), 1);
    QCOMPARE(gridRow(0).mid(0, 3), QStringList({"Иванов И.И.", "Шкафы", "Хоз. работы"}));

    // A second entry of the day adds to the day's hours; the dialog starts
    // empty again, with maintenance works chosen.
    g_dialog = [](TForm24 *f) {
        QCOMPARE(f->Edit1->text(), QString());
        QCOMPARE(f->Edit2->text(), QString());
        QCOMPARE(f->Edit6->text(), QString("0"));
        QCOMPARE(f->KindId(), int(Maint));
        QCOMPARE(f->DBEdit1->text(), QString("150,00"));
        QVERIFY(f->CBox1->isEnabled());
        g_worker = Ivanov;
        f->Button3->click();
        QCOMPARE(f->Edit1->text(), QString("Иванов И.И."));
        g_group = Chairs;
        f->Button4->click();
        QCOMPARE(f->Edit2->text(), QString("Стулья"));
        // The sum follows the hours typed.
        type(f->Edit6, "3");
        QCOMPARE(f->DBEdit2->text(), QString("450,00"));
        // Closing a list without a choice keeps the one made.
        g_worker = 0;
        f->Button3->click();
        QCOMPARE(f->WorkerId, int(Ivanov));
        f->Button1->click();
    };
    Form25->Button5->click();
    QCOMPARE(hourlyCell(Ivanov, Maint, 0, kDay), QString("11"));
    QCOMPARE(Form25->fatigue.recordCount(), 2);
    QVERIFY(Msg::shown().isEmpty());
}

void MaintenanceWindowsTest::priceRules_data()
{
    QTest::addColumn<bool>("dayOff");
    QTest::addColumn<bool>("night");
    QTest::addColumn<QString>("price");
    QTest::newRow("norm") << false << false << "150";
    QTest::newRow("day off") << true << false << "300";
    QTest::newRow("night") << false << true << "180";
    QTest::newRow("day off and night") << true << true << "360";
}

void MaintenanceWindowsTest::priceRules()
{
    QFETCH(bool, dayOff);
    QFETCH(bool, night);
    QFETCH(QString, price);
    Form25->CBox1->setChecked(dayOff);
    addEntry(Petrov, Chairs, "4", night);
    QCOMPARE(TestDb::scalar("select trim_scale(price) || '|' || i_holiday || '|' || i_night from "
                            "accounts_dep.fatigue")
                 .toString(),
             QString("%1|%2|%3").arg(price).arg(dayOff ? 1 : 0).arg(night ? 1 : 0));
    QCOMPARE(hourlyCell(Petrov, Maint, night ? 1 : 0, kDay), QString("4"));
}

void MaintenanceWindowsTest::fieldChecks_data()
{
    QTest::addColumn<int>("worker");
    QTest::addColumn<int>("group");
    QTest::addColumn<QString>("hours");
    QTest::addColumn<QString>("message"); // empty: the general error display
    QTest::addColumn<double>("normPrice");  // of the maintenance kind; 0 keeps the schema's
    QTest::newRow("no worker") << 0 << int(Chairs) << "8" << "Все поля должны быть заполнены!" << 0.0;
    QTest::newRow("no group") << int(Ivanov) << 0 << "8" << "Все поля должны быть заполнены!" << 0.0;
    QTest::newRow("0 hours") << int(Ivanov) << int(Chairs) << "0" << "Нужно завести количество!" << 0.0;
    QTest::newRow("25 hours") << int(Ivanov) << int(Chairs) << "25" << "Количество часов не может быть больше 24!"
                              << 0.0;
    QTest::newRow("9999 hours") << int(Ivanov) << int(Chairs) << "9999"
                                << "Количество часов не может быть больше 24!" << 0.0;
    QTest::newRow("empty hours") << int(Ivanov) << int(Chairs) << "" << "" << 0.0;
    // The hourly price goes into numeric(15,4).
    QTest::newRow("price beyond the price column")
        << int(Ivanov) << int(Chairs) << "8"
        << "Значение в поле «Цена» должно быть от -99999999999,9999 до 99999999999,9999!" << 1e11;
}

void MaintenanceWindowsTest::fieldChecks()
{
    QFETCH(int, worker);
    QFETCH(int, group);
    QFETCH(QString, hours);
    QFETCH(QString, message);
    QFETCH(double, normPrice);
    if (normPrice != 0)
        TestDb::exec("update accounts_dep.norm set price=:p::double precision where o_id=7777", {{"p", normPrice}});
    bool threw = false;
    g_dialog = [&](TForm24 *f) {
        g_worker = worker;
        f->Button3->click();
        g_group = group;
        f->Button4->click();
        f->Edit6->clear();
        type(f->Edit6, hours);
        try {
            f->Button1Click();
        } catch (const DbError &) {
            threw = true;
        }
        QVERIFY(f->isVisible()); // the dialog stays open
    };
    Form25->Button5->click();
    if (message.isEmpty()) {
        QVERIFY(threw);
        QVERIFY(Msg::shown().isEmpty());
    } else {
        QVERIFY(!threw);
        QCOMPARE(Msg::shown().size(), 1);
        QCOMPARE(Msg::shown()[0].text, message);
        QCOMPARE(Msg::shown()[0].caption, QString("Ошибка"));
        QVERIFY(Msg::shown()[0].icon == Msg::Icon::Error);
    }
    QCOMPARE(fatigueCount(), 0);
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.h_tabel").toInt(), 0);
}

void MaintenanceWindowsTest::changeFillsDialogAndRewritesDay()
{
    fatigue(Ivanov, Maint, kDay, 2);
    const int night = fatigue(Petrov, Avg, kDay, 8, 1, Cabinets, 0);
    hourlyRow(Petrov, Avg, 1, 3, 2024, {{5, 8}});
    Form25->Reread(false);
    Form25->fatigue.setRecNo(2);
    g_dialog = [](TForm24 *f) {
        QCOMPARE(f->Tag, 1);
        QCOMPARE(f->Edit1->text(), QString("Петров П.П."));
        QCOMPARE(f->Edit2->text(), QString("Шкафы"));
        QCOMPARE(f->Edit6->text(), QString("8"));
        QCOMPARE(f->KindId(), int(Avg));
        QVERIFY(f->CBox1->isChecked());
        QVERIFY(!f->CBox1->isEnabled()); // the night flag stays
        type(f->Edit6, "6");
        f->Button1->click();
    };
    Form25->Button6->click();
    QCOMPARE(TestDb::scalar("select cnt || '|' || id_p || '|' || i_night from accounts_dep.fatigue where "
                            "id=:id::integer",
                            {{"id", night}})
                 .toString(),
             QString("6|102|1"));
    QCOMPARE(hourlyCell(Petrov, Avg, 1, kDay), QString("6"));
    QCOMPARE(Form25->fatigue.recNo(), 2); // back on the changed row
    Form25->FormActivate();                 // as when the dialog has closed
    QCOMPARE(Form25->fatigue.recNo(), 2);
    QCOMPARE(fatigueCount(), 2);
}

void MaintenanceWindowsTest::doubleClickChangesAndEmptyListDoesNothing()
{
    bool opened = false;
    g_dialog = [&](TForm24 *f) {
        opened = true;
        f->Button6->click(); // "Выход": nothing saved
    };
    emit Form25->DBGrid1->DblClick();
    Form25->Button6->click();
    Form25->Button7->click();
    QVERIFY(!opened);
    QVERIFY(Msg::shown().isEmpty());

    fatigue(Ivanov, Maint, kDay, 2);
    Form25->Reread(false);
    emit Form25->DBGrid1->DblClick();
    QVERIFY(opened);
    QCOMPARE(TestDb::scalar("select cnt from accounts_dep.fatigue").toInt(), 2);
}

void MaintenanceWindowsTest::deleteAsksFirst()
{
    const QDate day3(2024, 3, 3);
    fatigue(Ivanov, Maint, kDay, 4);
    fatigue(Ivanov, Maint, kDay, 3);
    fatigue(Ivanov, Maint, day3, 6);
    hourlyRow(Ivanov, Maint, 0, 3, 2024, {{3, 6}, {5, 7}});
    Form25->Reread(false);
    Form25->fatigue.setRecNo(1);

    Msg::answer(false);
    Form25->Button7->click();
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(Msg::shown()[0].text, QString("Удалить позицию из списка?"));
    QCOMPARE(Msg::shown()[0].caption, QString("Удаление"));
    QVERIFY(Msg::shown()[0].icon == Msg::Icon::Question);
    QCOMPARE(fatigueCount(), 3);

    Msg::answer(true);
    Form25->Button7->click();
    QCOMPARE(fatigueCount(), 2);
    QCOMPARE(hourlyCell(Ivanov, Maint, 0, kDay), QString("3"));
    QCOMPARE(Form25->fatigue.recordCount(), 1);

    Msg::answer(true);
    Form25->Button7->click();
    QCOMPARE(hourlyCell(Ivanov, Maint, 0, kDay), QString("null"));
    QCOMPARE(hourlyCell(Ivanov, Maint, 0, day3), QString("6"));
    QVERIFY(Form25->fatigue.isEmpty());
}

void MaintenanceWindowsTest::recomputeShowsNewPrices()
{
    journal(Ivanov, Assembly, QDate(2024, 3, 1), 10, 0, 12.5, 4); // 125 in 4 h
    fatigue(Ivanov, Avg, kDay, 8, 0, Chairs, 0);
    const int other = fatigue(Ivanov, Maint, kDay, 8, 0, Chairs, 150);
    Form25->Reread(false);
    Form25->fatigue.setRecNo(2);
    Form25->Button1->click();
    QCOMPARE(Form25->fatigue.recNo(), 2);
    Form25->fatigue.setRecNo(1);
    QCOMPARE(Form25->fatigue.text("price").toDouble(), 31.25);
    QCOMPARE(priceOf(other), QString("150"));
}

QTEST_MAIN(MaintenanceWindowsTest)
#include "test_maintenance_windows.moc"
