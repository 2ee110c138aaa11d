// The operations list and the operation dialog against the real database.
#include "data/DbError.h"
#include "app/Startup.h"
#include "data/Unit6.h"
#include "export/XlsExport.h"
#include "journal/Unit1.h"
#include "reference/Unit10.h"
#include "reference/Unit3.h"
#include "reference/Unit8.h"
#include "reference/Unit22.h"
#include "reference/Unit4.h"
#include "support/JournalWindow.h"
#include "support/TestDb.h"
#include "support/XlsxRead.h"
#include "ui/DBGrid.h"
#include "ui/Msg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

class OperationsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void listShowsOperationsWithNorms();
    void search_data();
    void search();
    void searchBoxKeys();
    void addOperation();
    void picksFillTheDialog();
    void addKeepsANormTheDatabaseGave();
    void addNeedsBothPicks();
    void duplicateRefused_data();
    void duplicateRefused();
    void changeOfAnOperationDeletedElsewhere();
    void deleteAsks_data();
    void deleteAsks();
    void doubleClick_data();
    void doubleClick();
    void selectionHandsPriceAndText_data();
    void selectionHandsPriceAndText();
    void selectionClosedWithoutChoice();
    void exportAllOperations();
    void exportStopsWhenNoWorkbook();
    void windowsCentredOnTheMainWindow_data();
    void windowsCentredOnTheMainWindow();

private:
    // Windows shown modally during a call, in order; act (if any) runs on each.
    QList<QDialog *> m_shown;
    std::function<int(QDialog *)> m_act;
};

void OperationsTest::initTestCase()
{
    TestDb::fresh();
    NewJournalWindow();
    CreateRemainingWindows();
}

// Products 2001 "СТ-12", 2002 "Стол", 2003 "Б120", 2004 "Шкаф"; kinds 11
// "Сборка", 12 "Покраска"; operations 301 (СТ-12 Сборка, finished, lowest
// price 10 of two norms), 302 (Стол Покраска, blanks, 7.5), 303 (Б120 Сборка,
// finished, 4), 304 (Шкаф Сборка, no norm: not listed).
void OperationsTest::init()
{
    TestDb::fresh();
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    TestDb::exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, id_msm_bs, massa) values "
                 "(2001, 'СТ-12', 6, 1), (2002, 'Стол', 6, 1), (2003, 'Б120', 6, 1), (2004, 'Шкаф', 6, 1)");
    TestDb::exec("insert into accounts_dep.vid_oper (id, vid) values (11, 'Сборка'), (12, 'Покраска')");
    TestDb::exec("insert into accounts_dep.oper (id, vid, naimen, i_id, cena_new) values "
                 "(301, 11, 0, 2001, 0), (302, 12, 1, 2002, 2.5), (303, 11, 0, 2003, 0), (304, 11, 0, 2004, 0)");
    TestDb::exec("insert into accounts_dep.norm (o_id, norma, price, prize) values "
                 "(301, 10, 12, 0), (301, 20, 10, 0), (302, 1, 7.5, 0), (303, 1, 4, 0)");
    m_shown.clear();
    m_act = nullptr;
    Modal::setHandler([this](QDialog *d) {
        m_shown << d;
        return m_act ? m_act(d) : 0;
    });
    Form4->Tag = 0;
    Form4->CheckBox1->setChecked(false);
    Form4->Edit1->show();
    Form4->Edit1->clear();
    Form1->CBox1->setChecked(false);
    Form1->ShiftNumber = 1;
    DataModule6->Oper.clearFilter();
    DataModule6->Oper.close();
    DataModule6->Oper.open();
}

void OperationsTest::cleanup()
{
    Modal::setHandler({});
    XlsExport::setFolder({});
    XlsExport::setOpener({});
    DataModule6->Oper.clearFilter();
    DataModule6->Oper.close();
    QLocale::setDefault(QLocale::c());
}

void OperationsTest::listShowsOperationsWithNorms()
{
    DBGrid *g = Form4->DBGrid1;
    const QStringList titles{"Марка", "Опреция", "Цена (min)", "Вид", "Нормы (шт.)"};
    QCOMPARE(g->model()->columnCount(), titles.size());
    for (int c = 0; c < titles.size(); ++c)
        QCOMPARE(g->model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
    // Operations with norms (the fixed hourly ones have theirs), by mark.
    QCOMPARE(g->model()->rowCount(), 5);
    QCOMPARE(g->cellText(1, 0), QString("СТ-12"));
    QCOMPARE(g->cellText(1, 1), QString("Сборка"));
    QCOMPARE(g->cellText(1, 2), QString("10"));
    QCOMPARE(g->cellText(1, 3), QString("Готовая продукция"));
    QCOMPARE(g->cellText(1, 4), QString("2"));
    QCOMPARE(g->cellText(3, 2), QString("7,5"));
    QCOMPARE(g->cellText(3, 3), QString("Заготовки"));
}

void OperationsTest::search_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("marks");
    QTest::newRow("contains 12") << "12" << QStringList{"Б120", "СТ-12"};
    QTest::newRow("other letter case") << "ст" << QStringList{"СТ-12", "Стол"};
    QTest::newRow("spaces only: all") << "   " << QStringList{"Б120", "СТ-12", "Стол", "Ср. сдельная", "Хоз. работы"};
    QTest::newRow("nothing matches") << "Ж" << QStringList{};
}

void OperationsTest::search()
{
    QFETCH(QString, text);
    QFETCH(QStringList, marks);
    Form4->Edit1->setText(text);
    Dataset &o = DataModule6->Oper;
    QStringList got;
    for (int r = 0; r < o.recordCount(); ++r)
        got << Dataset::textOf(o.valueAt(r, "marka"));
    got.sort();
    marks.sort();
    QCOMPARE(got, marks);
    QCOMPARE(Form4->DBGrid1->model()->rowCount(), marks.size());
    Form4->Edit1->clear();
    QCOMPARE(o.recordCount(), 5);
}

void OperationsTest::searchBoxKeys()
{
    Dataset &o = DataModule6->Oper;
    QLineEdit *e = Form4->Edit1;
    // Typed characters reach the box (Cyrillic ones through their text).
    for (const QString &ch : {QString("с"), QString("т")})
        QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, ch, Qt::NoModifier);
    QCOMPARE(e->text(), QString("ст"));
    QCOMPARE(o.recordCount(), 2);
    QCOMPARE(o.recNo(), 1);
    QTest::keyClick(e, Qt::Key_Down);
    QCOMPARE(o.recNo(), 2);
    QTest::keyClick(e, Qt::Key_Up);
    QCOMPARE(o.recNo(), 1);
    // Left and Delete do nothing in the box; Backspace does.
    QTest::keyClick(e, Qt::Key_Left);
    QTest::keyClick(e, Qt::Key_Delete);
    QCOMPARE(e->text(), QString("ст"));
    QTest::keyClick(e, Qt::Key_Backspace);
    QCOMPARE(e->text(), QString("с"));
}

void OperationsTest::addOperation()
{
    m_act = [](QDialog *d) {
        if (d != Form10)
            return 0;
        // The add opener's state.
        [&] {
            QCOMPARE(Form10->windowTitle(), QString("Заведение новой цены за операцию"));
            QCOMPARE(Form10->Tag, 1);
            QVERIFY(Form10->Edit1->text().isEmpty());
            QVERIFY(Form10->Edit2->text().isEmpty());
            QCOMPARE(Form10->ComboBox1->currentIndex(), 0);
        }();
        // What the two picks leave behind.
        Form10->IzdelId = 2004;
        Form10->Edit1->setText("Шкаф");
        Form10->VidId = 12;
        Form10->Edit2->setText("Покраска");
        Form10->ComboBox1->setCurrentIndex(1);
        d->show();
        Form10->Button1Click();
        return d->result();
    };
    Form4->Button1Click();
    QCOMPARE(m_shown, (QList<QDialog *>{Form10}));
    QVERIFY(!Form10->isVisible());
    QVERIFY(Msg::shown().isEmpty());
    const int id = TestDb::scalar("select id from accounts_dep.oper where i_id=2004 and vid=12 and naimen=1").toInt();
    QVERIFY(id > 0);
    QCOMPARE(TestDb::scalar("select cena_new from accounts_dep.oper where id=:i::integer", {{"i", id}}).toDouble(), 0.0);
    // Its first norm: norm 0, price 0, bonus 0, so that it is listed.
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.norm where o_id=:i::integer and norma=0 and price=0 "
                            "and prize=0",
                            {{"i", id}})
                 .toInt(),
             1);
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.norm where o_id=:i::integer", {{"i", id}}).toInt(), 1);
    Dataset &o = DataModule6->Oper;
    QVERIFY(o.isOpen());
    QVERIFY(o.locate("id", id));
    QCOMPARE(o.text("nmn"), QString("Заготовки"));
    QCOMPARE(o.asDouble("cena"), 0.0);
}

void OperationsTest::picksFillTheDialog()
{
    Form10->Edit1->clear();
    Form10->Edit2->clear();
    Form10->IzdelId = 0;
    Form10->VidId = 0;
    bool choose = true;
    m_act = [&](QDialog *d) {
        if (d == Form3) {
            [&] {
                QCOMPARE(Form3->Tag, 1);
                QVERIFY(DataModule6->Izdel.isOpen());
                QVERIFY(DataModule6->Izdel.locate("marka", "Шкаф"));
            }();
            if (choose)
                Form3->Button2Click();
        } else if (d == Form8) {
            [&] {
                QCOMPARE(Form8->Tag, 1);
                QVERIFY(DataModule6->Vid_oper.locate("id", 12));
            }();
            if (choose)
                Form8->Button2Click();
        }
        return 0;
    };
    Form10->Button3Click();
    Form10->Button4Click();
    QCOMPARE(Form10->Edit1->text(), QString("Шкаф"));
    QCOMPARE(Form10->IzdelId, 2004);
    QCOMPARE(Form10->Edit2->text(), QString("Покраска"));
    QCOMPARE(Form10->VidId, 12);
    QVERIFY(!DataModule6->Izdel.isOpen());
    QVERIFY(!DataModule6->Vid_oper.isOpen());
    // Closing a list without a choice leaves the boxes as they were.
    choose = false;
    Form10->Button3Click();
    Form10->Button4Click();
    QCOMPARE(Form10->Edit1->text(), QString("Шкаф"));
    QCOMPARE(Form10->Edit2->text(), QString("Покраска"));
    // The picked operation can be written.
    Form10->Tag = 1;
    Form10->ComboBox1->setCurrentIndex(0);
    Form10->Button1Click();
    QVERIFY(Msg::shown().isEmpty());
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.oper where i_id=2004 and vid=12 and naimen=0").toInt(), 1);
}

void OperationsTest::addKeepsANormTheDatabaseGave()
{
    // A database that gives every new operation a norm of its own.
    QTemporaryFile sql;
    QVERIFY(sql.open());
    sql.write("create function accounts_dep.first_norm() returns trigger language plpgsql as $$ begin "
              "insert into accounts_dep.norm (o_id, norma, price, prize) values (new.id, 1, 3, 0); return new; "
              "end $$;\n"
              "create trigger oper_first_norm after insert on accounts_dep.oper for each row execute function "
              "accounts_dep.first_norm();\n");
    sql.close();
    TestDb::loadScript(sql.fileName());
    Form10->Tag = 1;
    Form10->IzdelId = 2004;
    Form10->Edit1->setText("Шкаф");
    Form10->VidId = 12;
    Form10->Edit2->setText("Покраска");
    Form10->ComboBox1->setCurrentIndex(0);
    Form10->Button1Click();
    const int id = TestDb::scalar("select id from accounts_dep.oper where i_id=2004 and vid=12").toInt();
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.norm where o_id=:i::integer", {{"i", id}}).toInt(), 1);
    QCOMPARE(TestDb::scalar("select price from accounts_dep.norm where o_id=:i::integer", {{"i", id}}).toDouble(), 3.0);
}

void OperationsTest::addNeedsBothPicks()
{
    const int before = TestDb::scalar("select count(*) from accounts_dep.oper").toInt();
    m_act = [](QDialog *d) {
        if (d == Form10) {
            // The ids of an earlier pick are still there, but the boxes were cleared.
            Form10->IzdelId = 2004;
            Form10->VidId = 12;
            Form10->Edit1->setText("Шкаф");
            Form10->Button1Click();
        }
        return 0;
    };
    Form4->Button1Click();
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(Msg::shown()[0].text, QString("Все поля должны быть заполнены!"));
    QCOMPARE(Msg::shown()[0].caption, QString("Ошибка"));
    QVERIFY(Msg::shown()[0].icon == Msg::Icon::Error);
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.oper").toInt(), before);
}

// Mode, operation changed (change mode), product, kind, product kind ->
// refused as a duplicate?
void OperationsTest::duplicateRefused_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("operation");
    QTest::addColumn<int>("product");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("naimen");
    QTest::addColumn<bool>("refused");
    QTest::newRow("add an existing one") << 1 << 0 << 2001 << 11 << 0 << true;
    QTest::newRow("add: other product kind") << 1 << 0 << 2001 << 11 << 1 << false;
    QTest::newRow("change to itself") << 2 << 301 << 2001 << 11 << 0 << false;
    QTest::newRow("change into another one") << 2 << 303 << 2001 << 11 << 0 << true;
    QTest::newRow("change to something new") << 2 << 303 << 2003 << 12 << 0 << false;
}

void OperationsTest::duplicateRefused()
{
    QFETCH(int, mode);
    QFETCH(int, operation);
    QFETCH(int, product);
    QFETCH(int, kind);
    QFETCH(int, naimen);
    QFETCH(bool, refused);
    const QString before =
        TestDb::scalar("select string_agg(id||':'||vid||':'||naimen||':'||i_id, ',' order by id) from accounts_dep.oper")
            .toString();
    bool stillOpen = false;
    m_act = [&](QDialog *d) {
        if (d != Form10)
            return 0;
        d->show();
        Form10->IzdelId = product;
        Form10->VidId = kind;
        Form10->Edit1->setText("изделие");
        Form10->Edit2->setText("операция");
        Form10->ComboBox1->setCurrentIndex(naimen);
        Form10->Button1Click();
        stillOpen = Form10->isVisible();
        d->hide();
        return 0;
    };
    if (mode == 1) {
        Form4->Button1Click();
    } else {
        QVERIFY(DataModule6->Oper.locate("id", operation));
        Form4->Button2Click();
        QCOMPARE(Form10->windowTitle(), QString("Изменение данных о цене за операцию"));
    }
    QCOMPARE(stillOpen, refused);
    const QString after =
        TestDb::scalar("select string_agg(id||':'||vid||':'||naimen||':'||i_id, ',' order by id) from accounts_dep.oper")
            .toString();
    if (refused) {
        QCOMPARE(Msg::shown().size(), 1);
        QCOMPARE(Msg::shown()[0].text, QString("Операция с такими параметрами уже заведена!"));
        QCOMPARE(Msg::shown()[0].caption, QString("Ошибка"));
        QCOMPARE(after, before);
    } else {
        QVERIFY(Msg::shown().isEmpty());
        if (mode == 2)
            QCOMPARE(TestDb::scalar("select vid||':'||naimen||':'||i_id||':'||cena_new from accounts_dep.oper where "
                                    "id=:i::integer",
                                    {{"i", operation}})
                         .toString(),
                     QString("%1:%2:%3:0").arg(kind).arg(naimen).arg(product));
        else
            QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.oper").toInt(), 6 + 1);
    }
}

void OperationsTest::changeOfAnOperationDeletedElsewhere()
{
    QVERIFY(DataModule6->Oper.locate("id", 303));
    Form10->Tag = 2;
    Form10->IzdelId = 2004;
    Form10->VidId = 12;
    Form10->Edit1->setText("Шкаф");
    Form10->Edit2->setText("Покраска");
    TestDb::exec("delete from accounts_dep.oper where id=303");
    const int before = TestDb::scalar("select count(*) from accounts_dep.oper").toInt();
    QVERIFY_THROWS_EXCEPTION(DbError, Form10->Button1Click());
    QVERIFY(!DataModule6->ADO_DB.inTransaction());
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.oper").toInt(), before);
}

void OperationsTest::deleteAsks_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes deletes") << true;
    QTest::newRow("No keeps") << false;
}

void OperationsTest::deleteAsks()
{
    QFETCH(bool, yes);
    Dataset &o = DataModule6->Oper;
    QVERIFY(o.locate("id", 302));
    Msg::answer(yes);
    Form4->Button3Click();
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(Msg::shown()[0].text, QString("Удалить операцию?"));
    QCOMPARE(Msg::shown()[0].caption, QString("Удаление"));
    QVERIFY(Msg::shown()[0].icon == Msg::Icon::Question);
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.oper where id=302").toInt(), yes ? 0 : 1);
    QCOMPARE(o.recordCount(), yes ? 4 : 5);
    if (yes)
        QCOMPARE(o.recNo(), 1);
    else
        QCOMPARE(o.asInt("id"), qint64(302));
}

// "Цены" ticked, mode -> what a double click opens.
void OperationsTest::doubleClick_data()
{
    QTest::addColumn<bool>("prices");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("opens");
    QTest::newRow("not ticked: change dialog") << false << 0 << "Form10";
    QTest::newRow("ticked: norms") << true << 0 << "Form22";
    QTest::newRow("selection mode: chooses") << true << 1 << "choice";
}

void OperationsTest::doubleClick()
{
    QFETCH(bool, prices);
    QFETCH(int, mode);
    QFETCH(QString, opens);
    Form4->CheckBox1->setChecked(prices);
    auto doubleClickOn302 = [] {
        Dataset &o = DataModule6->Oper;
        int row = -1;
        for (int r = 0; r < o.recordCount(); ++r)
            if (o.valueAt(r, "id").toInt() == 302)
                row = r;
        DBGrid *g = Form4->DBGrid1;
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(row, 0)).center());
    };
    int normsOf = 0;
    m_act = [&](QDialog *d) {
        if (d == Form4) {
            d->show();
            doubleClickOn302();
            d->hide();
        } else if (d == Form22) {
            normsOf = Form22->norm->operationId();
        }
        return d->result();
    };
    if (mode == 1) {
        const std::optional<OperationChoice> c = Form4->SelectOperation();
        QCOMPARE(m_shown.size(), 1);
        QVERIFY(c.has_value());
        QCOMPARE(c->operationId, 302);
        return;
    }
    DataModule6->Oper.first();
    Form4->show();
    doubleClickOn302();
    Form4->hide();
    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(m_shown[0]->objectName(), opens);
    if (opens == "Form10") {
        QCOMPARE(Form10->Tag, 2);
        QCOMPARE(Form10->Edit1->text(), QString("Стол"));
        QCOMPARE(Form10->Edit2->text(), QString("Покраска"));
        QCOMPARE(Form10->ComboBox1->currentIndex(), 1);
        QCOMPARE(Form10->IzdelId, 2002);
        QCOMPARE(Form10->VidId, 12);
    } else {
        QCOMPARE(normsOf, 302);
    }
}

// Journal window's day off and shift, lowest norm price -> price handed over.
void OperationsTest::selectionHandsPriceAndText_data()
{
    QTest::addColumn<bool>("dayOff");
    QTest::addColumn<int>("shift");
    QTest::addColumn<double>("price");
    QTest::newRow("shift 1") << false << 1 << 10.0;
    QTest::newRow("shift 2") << false << 2 << 10.0;
    QTest::newRow("shift 3") << false << 3 << 12.0;
    QTest::newRow("overtime") << false << 4 << 15.0;
    QTest::newRow("day off") << true << 1 << 20.0;
    QTest::newRow("day off, shift 3") << true << 3 << 24.0;
    QTest::newRow("day off, overtime") << true << 4 << 30.0;
}

void OperationsTest::selectionHandsPriceAndText()
{
    QFETCH(bool, dayOff);
    QFETCH(int, shift);
    QFETCH(double, price);
    Form1->CBox1->setChecked(dayOff);
    Form1->ShiftNumber = shift;
    m_act = [](QDialog *d) {
        [&] {
            QCOMPARE(d, static_cast<QDialog *>(Form4));
            QCOMPARE(Form4->Tag, 1);
            QCOMPARE(Form4->Button2->text(), QString("Выбрать"));
            QVERIFY(Form4->Button2->isDefault());
            QVERIFY(Form4->Button1->isHidden());
            QVERIFY(Form4->Button3->isHidden());
            QVERIFY(!Form4->Edit1->isHidden());
            // Positioned on the entry's operation.
            QCOMPARE(DataModule6->Oper.asInt("id"), qint64(301));
        }();
        Form4->Button2Click();
        return d->result();
    };
    Form4->Edit1->setText("СТ");
    // The entry editor's price rule: the journal window's day-off box and
    // shift at the moment of the choice.
    const std::optional<OperationChoice> c =
        Form4->SelectOperation(301, [](double base) { return Form1->EntryPriceOf(base); });
    QVERIFY(c.has_value());
    QCOMPARE(c->operationId, 301);
    QCOMPARE(c->productId, 2001);
    QCOMPARE(c->basePrice, 10.0);
    QCOMPARE(c->price, price);
    QCOMPARE(c->text, QString("СТ-12; Сборка; Готовая продукция"));
    // Afterwards: no default, search box hidden and cleared, filter off.
    QVERIFY(!Form4->Button2->isDefault());
    QVERIFY(Form4->Edit1->isHidden());
    QVERIFY(Form4->Edit1->text().isEmpty());
    QVERIFY(!DataModule6->Oper.filtered());
    QVERIFY(Msg::shown().isEmpty());

    // The maintenance list opened next shows no search box, but its buttons.
    m_act = [](QDialog *) {
        [&] {
            QCOMPARE(Form4->Tag, 0);
            QCOMPARE(Form4->Button2->text(), QString("Изменить"));
            QVERIFY(!Form4->Button2->isDefault());
            QVERIFY(!Form4->Button1->isHidden());
            QVERIFY(!Form4->Button3->isHidden());
            QVERIFY(Form4->Edit1->isHidden());
            QVERIFY(DataModule6->Oper.isOpen());
        }();
        return 0;
    };
    Form4->OpenForMaintenance();
    QVERIFY(!DataModule6->Oper.isOpen());
}

void OperationsTest::selectionClosedWithoutChoice()
{
    m_act = [](QDialog *d) {
        Form4->Button4Click();
        return d->result();
    };
    // An id no longer listed: the first row.
    QVERIFY(!Form4->SelectOperation(304).has_value());
    QCOMPARE(DataModule6->Oper.recNo(), 1);
    QVERIFY(Form4->Edit1->isHidden());
}

void OperationsTest::exportAllOperations()
{
    QTemporaryDir dir;
    XlsExport::setFolder(dir.path());
    QStringList opened;
    XlsExport::setOpener([&](const QString &p) {
        opened << p;
        return true;
    });
    // A new operation, added through the dialog.
    Form10->Tag = 1;
    Form10->IzdelId = 2004;
    Form10->Edit1->setText("Шкаф");
    Form10->VidId = 12;
    Form10->Edit2->setText("Покраска");
    Form10->ComboBox1->setCurrentIndex(1);
    Form10->Button1Click();
    QVERIFY(Msg::shown().isEmpty());

    Form4->Button5Click();
    QVERIFY(Msg::shown().isEmpty());
    QCOMPARE(opened.size(), 1);
    QVERIFY(!Form4->XLS_Rep.isOpen());
    QVERIFY(!QApplication::overrideCursor());
    const XlsxRead::Book b = XlsxRead::read(opened[0]);
    QVERIFY2(b.ok, qPrintable(b.error));
    QCOMPARE(b.sheets.size(), 1);
    const XlsxRead::Sheet &s = b.sheets[0];
    const QStringList headings{"Марка", "Операция", "Цена", "Вид"};
    for (int c = 0; c < 4; ++c) {
        QCOMPARE(s.at(1, c + 1).value.toString(), headings[c]);
        QVERIFY(!s.at(1, c + 1).bold);
    }
    // Every operation, with or without norms, by mark, kind, product kind:
    // Б120, СТ-12, Ср. сдельная, Стол, Хоз. работы, Шкаф Покраска (new), Шкаф Сборка.
    struct Expect {
        QString marka, vid;
        double price;
        QString kind;
    };
    const QList<Expect> rows{
        {"Б120", "Сборка", 0, "Готовая продукция"},
        {"СТ-12", "Сборка", 0, "Готовая продукция"},
        {"Ср. сдельная", "Ср. сдельная", 0, "Готовая продукция"},
        {"Стол", "Покраска", 2.5, "Заготовки"},
        {"Хоз. работы", "Хоз. работы", 0, "Готовая продукция"},
        {"Шкаф", "Покраска", 0, "Заготовки"},
        {"Шкаф", "Сборка", 0, "Готовая продукция"},
    };
    QCOMPARE(s.cells.size(), 4 * (rows.size() + 1));
    for (int i = 0; i < rows.size(); ++i) {
        const int r = i + 2;
        QCOMPARE(s.at(r, 1).value.toString(), rows[i].marka);
        QCOMPARE(s.at(r, 2).value.toString(), rows[i].vid);
        QVERIFY2(s.at(r, 3).number, qPrintable(QString("row %1").arg(r)));
        QCOMPARE(s.at(r, 3).value.toDouble(), rows[i].price);
        QCOMPARE(s.at(r, 4).value.toString(), rows[i].kind);
    }
    // No widths set.
    QVERIFY(s.widths.isEmpty());
}

void OperationsTest::exportStopsWhenNoWorkbook()
{
    XlsExport::setFolder("/proc/no/such/folder");
    bool opened = false;
    XlsExport::setOpener([&](const QString &) { return opened = true; });
    Form4->Button5Click();
    QCOMPARE(Msg::shown().size(), 2);
    QCOMPARE(Msg::shown()[0].text, QString("Невозможно открыть Microsoft Excel."));
    QCOMPARE(Msg::shown()[1].text, QString("Ошибка открытия файла Microsoft Excel."));
    QVERIFY(!opened);
    QVERIFY(!Form4->XLS_Rep.isOpen());
    QVERIFY(!QApplication::overrideCursor());
}

// The operations list, the operation dialog and the norms window open
// centred on the journal window, wherever the user has moved it.
void OperationsTest::windowsCentredOnTheMainWindow_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("operations list") << "Form4";
    QTest::newRow("operation dialog") << "Form10";
    QTest::newRow("norms") << "Form22";
}

void OperationsTest::windowsCentredOnTheMainWindow()
{
    QFETCH(QString, window);
    QDialog *dlg = window == "Form4" ? static_cast<QDialog *>(Form4)
        : window == "Form10"         ? static_cast<QDialog *>(Form10)
                                     : static_cast<QDialog *>(Form22);
    Form1->show();
    Form1->move(40, 30);
    QCoreApplication::processEvents();
    dlg->show();
    const QPoint want = Form1->frameGeometry().center();
    const QPoint got = dlg->frameGeometry().center();
    dlg->hide();
    Form1->hide();
    QVERIFY2((got - want).manhattanLength() <= 2,
             qPrintable(QString("centre %1,%2, journal's %3,%4").arg(got.x()).arg(got.y()).arg(want.x()).arg(want.y())));
}

QTEST_MAIN(OperationsTest)
#include "test_operations.moc"
