// What the product, worker and operation kinds lists have in common, as one
// table over the three windows; each list's own cases are in its own file.
#include "data/Unit6.h"
#include "reference/Unit2.h"
#include "reference/Unit3.h"
#include "reference/Unit5.h"
#include "reference/Unit7.h"
#include "reference/Unit8.h"
#include "reference/Unit9.h"
#include "support/ModalScript.h"
#include "support/TestDb.h"
#include "ui/DBGrid.h"
#include "ui/Msg.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

// One list window and how to reach its rows.
struct List {
    ListWindow *window = nullptr;
    Dataset *ds = nullptr;
    QString table;                   // the table its rows live in
    int rows = 0;                    // rows of the fixture (with the schema's own)
    QStringList headers;             // the grid's column titles
    bool searchShownInMaintenance = false; // after a pick hid it (the product list does not show it again)
    bool searchShownAfterPicking = false;
    std::function<void()> emptyIt;   // filters the open list down to nothing
    int deleteQuestions = 1;         // questions a delete may ask
};

List list(const QString &name)
{
    if (name == "products")
        return {Form3, &DataModule6->Izdel, "cmn_gds_and_srv.gds_and_srv", 6,
                {"Марка изделия", "Номенклатурная группа", "Коробки"}, false, false,
                [] { Form3->Edit1->setText("Ж"); }, 2};
    if (name == "workers")
        return {Form5, &DataModule6->Workers, "accounts_dep.person", 4, {"ФИО", "Должность"}, true, true,
                [] { Form5->Edit1->setText("Ж"); }, 1};
    return {Form8, &DataModule6->Vid_oper, "accounts_dep.vid_oper", 6, {"Операции"}, false, false,
            [] { DataModule6->Vid_oper.setFilter("vid", "Ж%"); }, 1};
}

int count(const List &l)
{
    return TestDb::scalar("select count(*) from " + l.table).toInt();
}

} // namespace

class ListWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void maintenanceLook_data();
    void maintenanceLook();
    void pickLookAndNoChoice_data();
    void pickLookAndNoChoice();
    void emptyListChangesAndDeletesNothing_data();
    void emptyListChangesAndDeletesNothing();

private:
    static void lists();
};

void ListWindowsTest::lists()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("products") << "products";
    QTest::newRow("workers") << "workers";
    QTest::newRow("operation kinds") << "kinds";
}

void ListWindowsTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); // as the program runs
    TestDb::fresh();
    new TForm2();
    new TForm3();
    new TForm5();
    new TForm7();
    new TForm8();
    new TForm9();
    ModalScript::Install();
}

void ListWindowsTest::init()
{
    TestDb::fresh();
    ModalScript::Reset();
    TestDb::exec("insert into accounts_dep.person (fio, s_staffpos_hl) values ('Абрамов А.А.', 'Цех 1'), "
                 "('Иванов И.И.', 'Цех 2'), ('Иванова М.М.', 'Сборщик'), ('Яковлев Я.Я.', '')");
    TestDb::exec("insert into cmn_classifier.item (id, id_level, s_caption) values (500, 2, 'Стулья'), "
                 "(501, 2, 'Столы'), (502, 1, 'Мебель')");
    TestDb::exec("insert into cmn_gds_and_srv.gds_and_srv (s_caption, s_description, id_msm_bs, massa, id_class_item) "
                 "values ('СТ-1', '', 6, 1.5, 500), ('СТ-2', '', 6, 12, 500), ('Стол', '', 6, 2, 501), "
                 "('ШК-1', '', 6, 0.25, null)");
    TestDb::exec("insert into accounts_dep.vid_oper (vid) values ('Сборка'), ('Покраска КРАСКА'), ('Полировка'), "
                 "('Резка')");
}

void ListWindowsTest::cleanup()
{
    for (ListWindow *w : {static_cast<ListWindow *>(Form3), static_cast<ListWindow *>(Form5),
                          static_cast<ListWindow *>(Form8)}) {
        w->hide();
        w->Tag = 0;
        w->Edit1->clear();
    }
    Form3->Edit1->show();
    Form8->Edit1->hide();
    Form2->hide();
    Form7->hide();
    Form9->hide();
    for (Dataset *ds : {&DataModule6->Izdel, &DataModule6->Workers, &DataModule6->Vid_oper}) {
        ds->close();
        ds->clearFilter();
    }
}

void ListWindowsTest::maintenanceLook_data() { lists(); }

// Opened from the journal's menu after a picker used it: maintenance mode,
// the dataset open while shown and closed afterwards, "Изменить" not the
// default, "Добавить" (the default) and "Удалить" shown.
void ListWindowsTest::maintenanceLook()
{
    QFETCH(QString, name);
    const List l = list(name);
    l.window->Pick(1); // as a picker left it
    bool checked = false;
    ModalScript::OnShow(l.window, [&] {
        QCOMPARE(l.window->Tag, 0);
        QVERIFY(l.ds->isOpen());
        QCOMPARE(l.window->DBGrid1->model()->rowCount(), l.rows);
        for (int i = 0; i < l.headers.size(); ++i)
            QCOMPARE(l.window->DBGrid1->model()->headerData(i, Qt::Horizontal).toString(), l.headers[i]);
        QCOMPARE(l.window->Button2->text(), QString("Изменить"));
        QVERIFY(!l.window->Button2->isDefault());
        QVERIFY(l.window->Button1->isDefault());
        QVERIFY(l.window->Button1->isVisible());
        QVERIFY(l.window->Button3->isVisible());
        QCOMPARE(l.window->Edit1->isVisible(), l.searchShownInMaintenance);
        QCOMPARE(l.window->Edit1->placeholderText(), QString("Поиск"));
        checked = true;
    });
    l.window->OpenForMaintenance();
    QVERIFY(checked);
    QVERIFY(!l.ds->isOpen());
}

void ListWindowsTest::pickLookAndNoChoice_data() { lists(); }

// Through the picker type: the selection look while shown; "Выход" hands
// back nothing; afterwards the search is empty, the filter off and the
// dataset closed.
void ListWindowsTest::pickLookAndNoChoice()
{
    QFETCH(QString, name);
    const List l = list(name);
    Picker *picker = l.window;
    bool checked = false;
    ModalScript::OnShow(l.window, [&] {
        QVERIFY(l.ds->isOpen());
        QCOMPARE(l.window->Button2->text(), QString("Выбрать"));
        QVERIFY(l.window->Button2->isDefault());
        QVERIFY(l.window->Button2->isVisible());
        QVERIFY(!l.window->Button1->isVisible());
        QVERIFY(!l.window->Button3->isVisible());
        QVERIFY(l.window->Edit1->isVisible());
        l.window->Edit1->setText("С");
        QTest::mouseClick(l.window->Button4, Qt::LeftButton);
        QVERIFY(!l.window->isVisible());
        checked = true;
    });
    QVERIFY(!picker->Pick(1));
    QVERIFY(checked);
    QVERIFY(l.window->Edit1->text().isEmpty());
    QVERIFY(!l.ds->filtered());
    QVERIFY(!l.ds->isOpen());
    QCOMPARE(l.window->Edit1->isVisibleTo(l.window), l.searchShownAfterPicking);
}

void ListWindowsTest::emptyListChangesAndDeletesNothing_data() { lists(); }

// With no row, "Удалить" asks nothing and deletes nothing, "Изменить" opens
// no editor.
void ListWindowsTest::emptyListChangesAndDeletesNothing()
{
    QFETCH(QString, name);
    const List l = list(name);
    l.ds->open();
    l.window->Tag = 0;
    l.emptyIt();
    for (int i = 0; i < l.deleteQuestions; ++i)
        Msg::answer(true);
    l.window->Button3Click();
    l.window->Button2Click();
    QVERIFY(Msg::shown().isEmpty());
    QVERIFY(ModalScript::Shown().isEmpty());
    QCOMPARE(count(l), l.rows);
}

QTEST_MAIN(ListWindowsTest)
#include "test_list_windows.moc"
