// The product list and the product editor against the real database.
#include "data/DbError.h"
#include "data/Unit6.h"
#include "reference/Unit3.h"
#include "reference/Unit7.h"
#include "support/ModalScript.h"
#include "support/TestDb.h"
#include "ui/DBGrid.h"
#include "ui/Msg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryFile>
#include <QtTest>

namespace {

void type(QWidget *w, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QVariant product(const QString &column, const QString &marka)
{
    return TestDb::scalar(QString("select %1::text from cmn_gds_and_srv.gds_and_srv where s_caption=:m").arg(column),
                          {{"m", marka}});
}

qint64 productId(const QString &marka) { return product("id", marka).toLongLong(); }

int productCount() { return TestDb::scalar("select count(*) from cmn_gds_and_srv.gds_and_srv").toInt(); }

int count(const QString &sql, qint64 id) { return TestDb::scalar(sql, {{"i", id}}).toInt(); }

QStringList listed()
{
    QStringList r;
    for (int i = 0; i < Form3->DBGrid1->model()->rowCount(); ++i)
        r << Form3->DBGrid1->cellText(i, 0);
    return r;
}

void checkError(const QString &text)
{
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(Msg::shown()[0].text, text);
    QCOMPARE(Msg::shown()[0].caption, QString("Ошибка"));
    QVERIFY(Msg::shown()[0].icon == Msg::Icon::Error);
}

const QStringList kAll{"СТ-1", "СТ-2", "Ср. сдельная", "Стол Д'Арк", "Хоз. работы", "ШК-1"};

} // namespace

class ProductsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void maintenanceOpening();
    void selection_data();
    void selection();
    void search_data();
    void search();
    void addProduct();
    void boxesKeyFilter();
    void refusals_data();
    void refusals();
    void boxesAtTheColumnsLimit();
    void reloadFailingAfterTheWrite();
    void change_data();
    void change();
    void addAfterChangeOffersThatGroup();
    void entriesBoundDate_data();
    void entriesBoundDate();
    void deleteCountsEntriesFromBound_data();
    void deleteCountsEntriesFromBound();
    void deleteAnswers_data();
    void deleteAnswers();
    void deleteRefusedKeepsEarlierSteps();
};

void ProductsTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); // as the program runs
    TestDb::fresh();
    new TForm3();
    new TForm7();
    ModalScript::Install();
}

void ProductsTest::init()
{
    TestDb::fresh();
    ModalScript::Reset();
    Form3->Today = [] { return QDate(2024, 3, 10); };
    TestDb::exec("insert into cmn_classifier.item (id, id_level, s_caption) values (500, 2, 'Стулья'), "
                 "(501, 2, 'Столы'), (502, 1, 'Мебель')");
    TestDb::exec("insert into cmn_gds_and_srv.gds_and_srv (s_caption, s_description, id_msm_bs, massa, id_class_item) "
                 "values ('СТ-1', '', 6, 1.5, 500), ('СТ-2', '', 6, 12, 500), (:m, '', 6, 2, 501), "
                 "('ШК-1', '', 6, 0.25, null)",
                 {{"m", "Стол Д'Арк"}});
}

void ProductsTest::cleanup()
{
    Form3->hide();
    Form7->hide();
    Form3->Tag = 0;
    Form3->Edit1->show();
    Form3->Edit1->clear();
    DataModule6->Izdel.close();
}

void ProductsTest::maintenanceOpening()
{
    // A picker use left a search behind and hid the box.
    Form3->PrepareSelection();
    Form3->Edit1->setText("ШК");
    Form3->Edit1->hide();
    bool checked = false;
    ModalScript::OnShow(Form3, [&] {
        QCOMPARE(Form3->windowTitle(), QString("Изделия (3)"));
        QCOMPARE(listed(), kAll); // no hidden search filters the list
        QAbstractItemModel *m = Form3->DBGrid1->model();
        QCOMPARE(Form3->DBGrid1->cellText(0, 1), QString("Стулья"));
        QCOMPARE(Form3->DBGrid1->cellText(0, 2), QString("1,5"));
        QCOMPARE(Form3->DBGrid1->cellText(1, 2), QString("12"));
        QVERIFY(Qt::Alignment(m->index(0, 2).data(Qt::TextAlignmentRole).toInt()) & Qt::AlignLeft);
        checked = true;
    });
    Form3->OpenForMaintenance();
    QVERIFY(checked);
}

void ProductsTest::selection_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<int>("downs");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("two letters, Down, Выбрать") << "ст" << 1 << "Button2" << "СТ-2";
    QTest::newRow("double click, apostrophe") << "стол д'" << 0 << "dblclick" << "Стол Д'Арк";
    QTest::newRow("nothing matches") << "Ж" << 0 << "Button2" << "";
    QTest::newRow("Выход") << "" << 1 << "Button4" << "";
}

void ProductsTest::selection()
{
    QFETCH(QString, search);
    QFETCH(int, downs);
    QFETCH(QString, button);
    QFETCH(QString, chosen);
    Form3->Edit1->setText("Х");
    ModalScript::OnShow(Form3, [&] {
        QCOMPARE(Form3->Tag, 1);
        QCOMPARE(Form3->Button2->text(), QString("Выбрать"));
        QVERIFY(Form3->Button2->isDefault());
        QVERIFY(!Form3->Button1->isVisible());
        QVERIFY(!Form3->Button3->isVisible());
        QVERIFY(Form3->Edit1->isVisible());
        QCOMPARE(Form3->Edit1->text(), QString());
        QCOMPARE(listed(), kAll);
        Form3->Edit1->setText(search);
        for (int i = 0; i < downs; ++i)
            QTest::keyClick(Form3->Edit1, Qt::Key_Down);
        if (button == "dblclick")
            emit Form3->DBGrid1->DblClick();
        else
            QTest::mouseClick(button == "Button2" ? Form3->Button2 : Form3->Button4, Qt::LeftButton);
        QVERIFY(!Form3->isVisible());
    });
    const std::optional<PickedRow> row = Form3->Pick();
    QCOMPARE(row.has_value(), !chosen.isEmpty());
    if (row) {
        QCOMPARE(row->text, chosen);
        QCOMPARE(row->id, int(productId(chosen)));
    }
    QVERIFY(!Form3->Button2->isDefault());
    QVERIFY(Form3->Edit1->isHidden());
    QVERIFY(!DataModule6->Izdel.isOpen());
    QVERIFY(!DataModule6->Izdel.filtered());
}

void ProductsTest::search_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("two letters, any case") << "ст" << QStringList{"СТ-1", "СТ-2", "Стол Д'Арк"};
    QTest::newRow("prefix, not inside") << "Т-" << QStringList{};
    QTest::newRow("apostrophe") << "Стол Д'" << QStringList{"Стол Д'Арк"};
    QTest::newRow("cleared: all again") << "" << kAll;
}

void ProductsTest::search()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    DataModule6->Izdel.open();
    Form3->Edit1->setText("Ш");
    Form3->Edit1->setText(text);
    QCOMPARE(listed(), expected);
    // Only Up and Down are taken from the box; other keys edit it as usual.
    Form3->show();
    Form3->Edit1->setText("СТ-");
    QTest::keyClick(Form3->Edit1, Qt::Key_Down);
    QCOMPARE(DataModule6->Izdel.recNo(), 2);
    QTest::keyClick(Form3->Edit1, Qt::Key_Left);
    QTest::keyClick(Form3->Edit1, Qt::Key_Delete);
    QCOMPARE(Form3->Edit1->text(), QString("СТ"));
}

void ProductsTest::addProduct()
{
    Dataset &iz = DataModule6->Izdel;
    iz.open();
    iz.setRecNo(3);
    Form7->Edit1->setText("старое");
    Form7->Edit2->setText("9");
    ModalScript::OnShow(Form7, [&] {
        QCOMPARE(Form7->windowTitle(), QString("Заведение нового изделия (7)"));
        QCOMPARE(Form7->Tag, 1);
        QCOMPARE(Form7->Edit1->text(), QString());
        QCOMPARE(Form7->Edit2->text(), QString());
        QVERIFY(Form7->item.isOpen());
        QCOMPARE(Form7->cb_item->count(), 2); // level-2 groups only, by caption
        QCOMPARE(Form7->cb_item->itemText(0), QString("Столы"));
        Form7->Edit1->setText("  Д'Артаньян \"люкс\"  ");
        type(Form7->Edit2, "2,75");
        Form7->cb_item->setCurrentIndex(Form7->cb_item->findText("Стулья"));
        QTest::mouseClick(Form7->Button1, Qt::LeftButton);
        QVERIFY(!Form7->isVisible());
    });
    Form3->Button1Click();
    QVERIFY(!Form7->item.isOpen());
    const QString mark = "Д'Артаньян \"люкс\"";
    QCOMPARE(product("massa", mark).toString(), QString("2.75"));
    QCOMPARE(product("id_class_item", mark).toString(), QString("500"));
    QCOMPARE(product("id_msm_bs", mark).toString(), QString("6"));
    QCOMPARE(product("s_description", mark).toString(), QString(""));
    QCOMPARE(productCount(), 7);
    // Reloaded, and back at the remembered row number.
    QCOMPARE(iz.recordCount(), 7);
    QCOMPARE(iz.recNo(), 3);
    QVERIFY(iz.locate("marka", mark));
    QCOMPARE(iz.text("nom"), QString("Стулья"));

    // "Отмена" writes nothing; the group keeps its choice.
    ModalScript::OnShow(Form7, [&] {
        QCOMPARE(Form7->cb_item->currentText(), QString("Стулья"));
        Form7->Edit1->setText("Отменённое");
        Form7->Edit2->setText("1");
        QTest::mouseClick(Form7->Button2, Qt::LeftButton);
    });
    Form3->Button1Click();
    QCOMPARE(productCount(), 7);
}

void ProductsTest::boxesKeyFilter()
{
    Form7->Edit2->clear();
    Form7->show();
    type(Form7->Edit2, "1a,б5 ");
    QCOMPARE(Form7->Edit2->text(), QString("1.5"));
    QTest::keyClick(Form7->Edit2, Qt::Key_Backspace);
    type(Form7->Edit2, ".-2");
    QCOMPARE(Form7->Edit2->text(), QString("1..2"));
    QTest::keyClick(Form7->Edit2, Qt::Key_Home);
    QTest::keyClick(Form7->Edit2, Qt::Key_Delete);
    QCOMPARE(Form7->Edit2->text(), QString("..2"));
    // A number made of two points is refused with the text as typed.
    Form7->Edit1->setText("Новое");
    Form7->SelectGroup(500);
    Form7->OpenGroupList();
    Form7->Tag = 1;
    try {
        Form7->Button1Click();
        QFAIL("saved a number with two points");
    } catch (const DbError &e) {
        QCOMPARE(e.text(), QString("'..2' не является числом"));
    }
    Form7->CloseGroupList();
    QCOMPARE(productCount(), 6);
}

// Add (change = "") or change a product: refused with a message, nothing written.
void ProductsTest::refusals_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("mark");
    QTest::addColumn<QString>("boxes");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("message");
    const QString fill = "Все поля должны быть заполнены!";
    const QString dup = "Такая марка изделия уже заведена!";
    QTest::newRow("empty mark") << "" << "  " << "1" << "Столы" << fill;
    QTest::newRow("empty boxes") << "" << "Новое" << "" << "Столы" << fill;
    QTest::newRow("no group") << "" << "Новое" << "1" << "" << fill;
    QTest::newRow("add: mark in other case") << "" << " ст-1 " << "1" << "Столы" << dup;
    QTest::newRow("add: apostrophe mark in other case") << "" << "СТОЛ Д'АРК" << "1" << "Столы" << dup;
    QTest::newRow("change: another product's mark") << "СТ-2" << "ст-1" << "1" << "Стулья" << dup;
    QTest::newRow("change: product without group") << "ШК-1" << "ШК-1" << "0,25" << "" << fill;
    // Boxes per piece beyond numeric(28,6), which the list reads them as.
    const QString range = "Значение в поле «Расценка» должно быть от 0 до 9999999999999999999999,999999!";
    QTest::newRow("add: 23 integer digits") << "" << "Новое" << "99999999999999999999999,5" << "Столы" << range;
    QTest::newRow("change: rounds up past the limit")
        << "СТ-2" << "СТ-2" << "9999999999999999999999,9999995" << "Стулья" << range;
    // A mark with a control character is refused, never cut short.
    const QString control = "Поле «Марка» содержит недопустимые (управляющие) символы!";
    QTest::newRow("add: NUL in the mark") << "" << QString("КД-1") + QChar(0) + "кроватка" << "1" << "Столы"
                                          << control;
    QTest::newRow("change: line break in the mark") << "СТ-1" << "СТ-1\nстул" << "1" << "Стулья" << control;
}

void ProductsTest::refusals()
{
    QFETCH(QString, change);
    QFETCH(QString, mark);
    QFETCH(QString, boxes);
    QFETCH(QString, group);
    QFETCH(QString, message);
    const QString before = TestDb::scalar("select string_agg(s_caption||massa||coalesce(id_class_item,0), ',' "
                                          "order by id) from cmn_gds_and_srv.gds_and_srv")
                               .toString();
    Dataset &iz = DataModule6->Izdel;
    iz.open();
    Form7->SelectGroup(0);
    ModalScript::OnShow(Form7, [&] {
        Form7->Edit1->setText(mark);
        Form7->Edit2->setText(boxes);
        if (!group.isEmpty() || change.isEmpty())
            Form7->cb_item->setCurrentIndex(Form7->cb_item->findText(group));
        Form7->Button1Click();
        QVERIFY(Form7->isVisible()); // the editor stays open
        checkError(message);
    });
    if (change.isEmpty()) {
        Form3->Button1Click();
    } else {
        QVERIFY(iz.locate("marka", change));
        Form3->Button2Click();
    }
    QCOMPARE(int(ModalScript::Shown().size()), 1);
    QCOMPARE(TestDb::scalar("select string_agg(s_caption||massa||coalesce(id_class_item,0), ',' order by id) from "
                            "cmn_gds_and_srv.gds_and_srv")
                 .toString(),
             before);
}

// The largest number the list reads back is stored and listed.
void ProductsTest::boxesAtTheColumnsLimit()
{
    Dataset &iz = DataModule6->Izdel;
    iz.open();
    Form7->SelectGroup(500);
    ModalScript::OnShow(Form7, [&] {
        Form7->Edit1->setText("Крупное");
        Form7->Edit2->setText("9999999999999999999999,999999");
        Form7->Button1Click();
        QVERIFY(!Form7->isVisible());
    });
    Form3->Button1Click();
    QVERIFY(Msg::shown().isEmpty());
    QCOMPARE(product("massa", "Крупное").toString(), QString("9999999999999999999999.999999"));
    QVERIFY(iz.locate("marka", "Крупное"));
}

// A product stored while the list cannot be read (another client's bad row)
// is told as stored: the editor closes and the message says the write is done.
void ProductsTest::reloadFailingAfterTheWrite()
{
    Dataset &iz = DataModule6->Izdel;
    iz.open();
    TestDb::exec("insert into cmn_gds_and_srv.gds_and_srv (s_caption, s_description, id_msm_bs, massa, "
                 "id_class_item) values ('Испорченное', '', 6, 99999999999999999999999.5, 500)");
    Form7->SelectGroup(500);
    ModalScript::OnShow(Form7, [&] {
        Form7->Edit1->setText("Новое");
        Form7->Edit2->setText("1,5");
        Form7->Button1Click();
        QVERIFY(!Form7->isVisible());
    });
    Form3->Button1Click();
    QCOMPARE(product("massa", "Новое").toString(), QString("1.5"));
    QVERIFY(!Msg::shown().isEmpty());
    QVERIFY2(Msg::shown()[0].text.startsWith("Изменения записаны, но список не удалось обновить:"),
             qPrintable(Msg::shown()[0].text));
    QCOMPARE(Msg::shown()[0].caption, QString("Ошибка"));
}

void ProductsTest::change_data()
{
    QTest::addColumn<QString>("mark");
    QTest::addColumn<QString>("shownBoxes");
    QTest::addColumn<QString>("shownGroup");
    QTest::addColumn<QString>("newMark"); // empty: keep
    QTest::addColumn<QString>("storedBoxes");
    QTest::newRow("1,5 stores 1.5") << "СТ-1" << "1,5" << "Стулья" << "" << "1.5";
    QTest::newRow("12 stores 12") << "СТ-2" << "12" << "Стулья" << "" << "12";
    QTest::newRow("own mark in other case") << "СТ-2" << "12" << "Стулья" << " ст-2 " << "12";
    QTest::newRow("new mark with apostrophe") << "Стол Д'Арк" << "2" << "Столы" << "Стол Д'Арк-2" << "2";
}

void ProductsTest::change()
{
    QFETCH(QString, mark);
    QFETCH(QString, shownBoxes);
    QFETCH(QString, shownGroup);
    QFETCH(QString, newMark);
    QFETCH(QString, storedBoxes);
    const qint64 id = productId(mark);
    Dataset &iz = DataModule6->Izdel;
    iz.open();
    QVERIFY(iz.locate("marka", mark));
    const int rec = iz.recNo();
    ModalScript::OnShow(Form7, [&] {
        QCOMPARE(Form7->windowTitle(), QString("Изменение данных изделия (7)"));
        QCOMPARE(Form7->Tag, 2);
        QCOMPARE(Form7->Edit1->text(), mark);
        QCOMPARE(Form7->Edit2->text(), shownBoxes);
        QCOMPARE(Form7->cb_item->currentText(), shownGroup);
        if (!newMark.isEmpty())
            Form7->Edit1->setText(newMark);
        Form7->Button1Click();
        QVERIFY(Msg::shown().isEmpty());
        QVERIFY(!Form7->isVisible());
    });
    emit Form3->DBGrid1->DblClick(); // as "Изменить"
    const QString stored = newMark.isEmpty() ? mark : newMark.trimmed();
    QCOMPARE(TestDb::scalar("select s_caption from cmn_gds_and_srv.gds_and_srv where id=:i::numeric", {{"i", id}})
                 .toString(),
             stored);
    QCOMPARE(TestDb::scalar("select massa::text from cmn_gds_and_srv.gds_and_srv where id=:i::numeric", {{"i", id}})
                 .toString(),
             storedBoxes);
    QCOMPARE(productCount(), 6);
    QCOMPARE(iz.recNo(), rec);
    QVERIFY(!Form7->item.isOpen());
}

void ProductsTest::addAfterChangeOffersThatGroup()
{
    Dataset &iz = DataModule6->Izdel;
    iz.open();
    QVERIFY(iz.locate("marka", "Стол Д'Арк"));
    ModalScript::OnShow(Form7, [&] { Form7->close(); });
    Form3->Button2Click();
    ModalScript::OnShow(Form7, [&] {
        QCOMPARE(Form7->cb_item->currentText(), QString("Столы"));
        Form7->Edit1->setText("Стол-2");
        Form7->Edit2->setText("3");
        Form7->Button1Click();
    });
    Form3->Button1Click();
    QCOMPARE(product("id_class_item", "Стол-2").toString(), QString("501"));
}

void ProductsTest::entriesBoundDate_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("bound");
    QTest::newRow("January") << QDate(2024, 1, 15) << QDate(2000, 12, 1);
    QTest::newRow("March") << QDate(2024, 3, 31) << QDate(2000, 2, 1);
    QTest::newRow("December") << QDate(2023, 12, 1) << QDate(2000, 11, 1);
}

void ProductsTest::entriesBoundDate()
{
    QFETCH(QDate, today);
    QFETCH(QDate, bound);
    QCOMPARE(TForm3::EntriesBoundDate(today), bound);
}

// Which question the deletion asks depends on the entries from the bound date on.
void ProductsTest::deleteCountsEntriesFromBound_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("counted");
    QTest::newRow("January, entry on 1 December 2000") << QDate(2024, 1, 15) << "01.12.2000" << true;
    QTest::newRow("January, entry on 30 November 2000") << QDate(2024, 1, 15) << "30.11.2000" << false;
    QTest::newRow("March, entry on 1 February 2000") << QDate(2024, 3, 10) << "01.02.2000" << true;
    QTest::newRow("March, entry on 31 January 2000") << QDate(2024, 3, 10) << "31.01.2000" << false;
    QTest::newRow("March, entry this month") << QDate(2024, 3, 10) << "05.03.2024" << true;
}

void ProductsTest::deleteCountsEntriesFromBound()
{
    QFETCH(QDate, today);
    QFETCH(QString, entry);
    QFETCH(bool, counted);
    const qint64 id = productId("СТ-2");
    TestDb::exec("insert into accounts_dep.smena (w_id, i_id, o_id, kol_vo, brak, data, smena, cena, ok) "
                 "values (1, :i::integer, 1, 1, 0, to_date(:d, 'DD.MM.YYYY'), 1, 1, 'no')",
                 {{"i", id}, {"d", entry}});
    Form3->Today = [today] { return today; };
    Dataset &iz = DataModule6->Izdel;
    iz.open();
    QVERIFY(iz.locate("marka", "СТ-2"));
    Msg::answer(false);
    Form3->Button3Click();
    QCOMPARE(Msg::shown().size(), 1); // no operations: no price question
    QCOMPARE(Msg::shown()[0].text,
             counted ? QString("По изделию есть операции в текущем, предыдущем месяцах и ранее, они будут удалены. "
                               "Удалить изделие? ")
                     : QString("Удалить изделие? "));
    QCOMPARE(Msg::shown()[0].caption, QString("Удаление"));
    QVERIFY(Msg::shown()[0].icon == Msg::Icon::Question);
    QCOMPARE(productCount(), 6);
}

void ProductsTest::deleteAnswers_data()
{
    QTest::addColumn<bool>("prices");
    QTest::addColumn<bool>("product");
    QTest::newRow("both confirmed") << true << true;
    QTest::newRow("prices declined, product confirmed") << false << true;
    QTest::newRow("prices confirmed, product declined") << true << false;
    QTest::newRow("both declined") << false << false;
}

void ProductsTest::deleteAnswers()
{
    QFETCH(bool, prices);
    QFETCH(bool, product);
    const qint64 id = productId("СТ-2");
    TestDb::exec("insert into accounts_dep.vid_oper (id, vid) values (11, 'Сборка')");
    TestDb::exec("insert into accounts_dep.oper (vid, naimen, i_id, cena_new) values (11, 0, :i::integer, 0), "
                 "(11, 1, :i::integer, 0)",
                 {{"i", id}});
    // One entry this month, one before the bound date: both go with the product.
    TestDb::exec("insert into accounts_dep.smena (w_id, i_id, o_id, kol_vo, brak, data, smena, cena, ok) values "
                 "(1, :i::integer, 1, 1, 0, '05.03.2024', 1, 1, 'no'), (1, :i::integer, 1, 1, 0, '05.03.1999', 1, 1, "
                 "'no')",
                 {{"i", id}});
    Dataset &iz = DataModule6->Izdel;
    iz.open();
    QVERIFY(iz.locate("marka", "СТ-2"));
    QVERIFY(iz.recNo() > 1);
    Msg::answer(prices);
    Msg::answer(product);
    Form3->Button3Click();
    QCOMPARE(Msg::shown().size(), 2);
    QCOMPARE(Msg::shown()[0].text, QString("По изделию есть расценки они будут удалены!!!"));
    QCOMPARE(Msg::shown()[0].caption, QString("Удаление"));
    QCOMPARE(Msg::shown()[1].text,
             QString("По изделию есть операции в текущем, предыдущем месяцах и ранее, они будут удалены. "
                     "Удалить изделие? "));
    QCOMPARE(count("select count(*) from accounts_dep.oper where i_id=:i::integer", id), prices ? 0 : 2);
    QCOMPARE(count("select count(*) from accounts_dep.smena where i_id=:i::integer", id), product ? 0 : 2);
    QCOMPARE(count("select count(*) from cmn_gds_and_srv.gds_and_srv where id=:i::numeric", id), product ? 0 : 1);
    // Other products keep everything.
    QCOMPARE(productCount(), product ? 5 : 6);
    // The list is reloaded and at its first row.
    QCOMPARE(iz.recordCount(), product ? 5 : 6);
    QCOMPARE(iz.recNo(), 1);
}

void ProductsTest::deleteRefusedKeepsEarlierSteps()
{
    const qint64 id = productId("СТ-1");
    TestDb::exec("insert into accounts_dep.oper (vid, naimen, i_id, cena_new) values (11, 0, :i::integer, 0)",
                 {{"i", id}});
    TestDb::exec("insert into accounts_dep.smena (w_id, i_id, o_id, kol_vo, brak, data, smena, cena, ok) "
                 "values (1, :i::integer, 1, 1, 0, '05.03.2024', 1, 1, 'no')",
                 {{"i", id}});
    // Another program of the enterprise refuses to lose its catalogue records.
    QTemporaryFile script;
    QVERIFY(script.open());
    script.write("create function cmn_gds_and_srv.keep() returns trigger language plpgsql as $$ begin "
                 "raise exception 'Запись каталога используется складом'; end $$;\n"
                 "create trigger keep before delete on cmn_gds_and_srv.gds_and_srv "
                 "for each row execute function cmn_gds_and_srv.keep();\n");
    script.close();
    TestDb::loadScript(script.fileName());
    Dataset &iz = DataModule6->Izdel;
    iz.open();
    QVERIFY(iz.locate("marka", "СТ-1"));
    Msg::answer(true);
    Msg::answer(true);
    try {
        Form3->Button3Click();
        QFAIL("the refusal was not reported");
    } catch (const DbError &e) {
        QVERIFY2(e.text().contains("Запись каталога используется складом"), qPrintable(e.text()));
    }
    // The confirmed price step stays done; the product step is undone whole.
    QCOMPARE(count("select count(*) from accounts_dep.oper where i_id=:i::integer", id), 0);
    QCOMPARE(count("select count(*) from accounts_dep.smena where i_id=:i::integer", id), 1);
    QCOMPARE(count("select count(*) from cmn_gds_and_srv.gds_and_srv where id=:i::numeric", id), 1);
    QVERIFY(!DataModule6->ADO_DB.inTransaction());
}

QTEST_MAIN(ProductsTest)
#include "test_products.moc"
