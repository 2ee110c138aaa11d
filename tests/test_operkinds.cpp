// The operation kinds list and the kind dialog against the real database.
#include "data/Unit6.h"
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

int kinds(const QString &name)
{
    return TestDb::scalar("select count(*) from accounts_dep.vid_oper where vid=:v", {{"v", name}}).toInt();
}

int kindCount() { return TestDb::scalar("select count(*) from accounts_dep.vid_oper").toInt(); }

int kindId(const QString &name)
{
    return TestDb::scalar("select id from accounts_dep.vid_oper where vid=:v", {{"v", name}}).toInt();
}

QStringList listed()
{
    QStringList r;
    for (int i = 0; i < Form8->DBGrid1->model()->rowCount(); ++i)
        r << Form8->DBGrid1->cellText(i, 0);
    return r;
}

} // namespace

class OperKindsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void maintenanceOpening();
    void searchEndsWithSelection();
    void add_data();
    void add();
    void change_data();
    void change();
    void deleteKind_data();
    void deleteKind();
    void selection_data();
    void selection();
};

void OperKindsTest::initTestCase()
{
    TestDb::fresh();
    new TForm8();
    new TForm9();
    ModalScript::Install();
}

void OperKindsTest::init()
{
    TestDb::fresh();
    ModalScript::Reset();
    TestDb::exec("insert into accounts_dep.vid_oper (vid) values ('Сборка'), ('Покраска КРАСКА'), ('Полировка'), "
                 "('Резка')");
}

void OperKindsTest::cleanup()
{
    Form8->hide();
    Form9->hide();
    DataModule6->Vid_oper.close();
    DataModule6->Vid_oper.clearFilter();
}

void OperKindsTest::maintenanceOpening()
{
    // As a picker left it: filtered, search box hidden.
    DataModule6->Vid_oper.setFilter("vid", "По%");
    Form8->PrepareSelection();
    Form8->FinishSelection();
    bool checked = false;
    ModalScript::OnShow(Form8, [&] {
        QCOMPARE(Form8->windowTitle(), QString("Виды операций (8)"));
        QVERIFY(!DataModule6->Vid_oper.filtered());
        QCOMPARE(listed(), (QStringList{"Покраска КРАСКА", "Полировка", "Резка", "Сборка", "Ср. сдельная",
                                        "Хоз. работы"}));
        checked = true;
    });
    Form8->OpenForMaintenance();
    QVERIFY(checked);
}

void OperKindsTest::searchEndsWithSelection()
{
    // A search typed while picking, then the list closed without a choice:
    // nothing of it is left to hide kinds from the next user of Vid_oper.
    ModalScript::OnShow(Form8, [&] {
        Form8->Edit1->setText("Сб");
        QCOMPARE(listed(), (QStringList{"Сборка"}));
        Form8->close();
    });
    QVERIFY(!Form8->Pick().has_value());
    QVERIFY(Form8->Edit1->text().isEmpty());
    QVERIFY(!DataModule6->Vid_oper.filtered());
    DataModule6->Vid_oper.open();
    QCOMPARE(DataModule6->Vid_oper.recordCount(), 6);
    DataModule6->Vid_oper.close();
    QStringList shown;
    ModalScript::OnShow(Form8, [&] { shown = listed(); });
    Form8->OpenForMaintenance();
    QCOMPARE(shown.size(), 6);
}

void OperKindsTest::add_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored"); // empty: refused
    QTest::addColumn<QString>("message");
    QTest::newRow("new name, blanks trimmed") << "  Шлифовка  " << "Шлифовка" << "";
    QTest::newRow("apostrophe and quotes") << "Д'Арк \"люкс\"" << "Д'Арк \"люкс\"" << "";
    QTest::newRow("existing name in other case") << " сборка" << "" << "Такая операция уже заведена!";
    QTest::newRow("fixed kind in capitals") << "ХОЗ. РАБОТЫ" << "" << "Такая операция уже заведена!";
    QTest::newRow("blanks only") << "   " << "" << "Все поля должны быть заполнены!";
}

void OperKindsTest::add()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, message);
    Form9->Edit1->setText("от прошлого раза");
    ModalScript::OnShow(Form9, [&] {
        QCOMPARE(Form9->windowTitle(), QString("Заведение нового вида операций"));
        QCOMPARE(Form9->Tag, 1);
        QCOMPARE(Form9->Edit1->text(), QString());
        Form9->Edit1->setText(typed);
        QTest::mouseClick(Form9->Button1, Qt::LeftButton);
        QCOMPARE(Form9->isVisible(), stored.isEmpty()); // a refusal keeps the dialog open
    });
    DataModule6->Vid_oper.open();
    Form8->Button1Click();
    if (stored.isEmpty()) {
        QCOMPARE(Msg::shown().size(), 1);
        QCOMPARE(Msg::shown()[0].text, message);
        QCOMPARE(Msg::shown()[0].caption, QString("Ошибка"));
        QVERIFY(Msg::shown()[0].icon == Msg::Icon::Error);
        QCOMPARE(kindCount(), 6);
    } else {
        QVERIFY(Msg::shown().isEmpty());
        QCOMPARE(kinds(stored), 1);
        QCOMPARE(kindCount(), 7);
        QVERIFY(DataModule6->Vid_oper.locate("vid", stored)); // the list is reloaded
    }
}

void OperKindsTest::change_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored"); // empty: refused
    QTest::newRow("own name in other case") << "Сборка" << "СБОРКА" << "СБОРКА";
    QTest::newRow("new name, trimmed") << "Резка" << " Резка лазером " << "Резка лазером";
    QTest::newRow("another kind's name in other case") << "Резка" << "полировка" << "";
}

void OperKindsTest::change()
{
    QFETCH(QString, kind);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    const int id = kindId(kind);
    Dataset &v = DataModule6->Vid_oper;
    v.open();
    QVERIFY(v.locate("vid", kind));
    Form8->Tag = 0;
    ModalScript::OnShow(Form9, [&] {
        QCOMPARE(Form9->windowTitle(), QString("Изменение данных вида операции"));
        QCOMPARE(Form9->Tag, 2);
        QCOMPARE(Form9->Edit1->text(), kind);
        Form9->Edit1->setText(typed);
        Form9->Button1Click();
    });
    emit Form8->DBGrid1->DblClick(); // as "Изменить"
    QCOMPARE(int(ModalScript::Shown().size()), 1);
    const QString now =
        TestDb::scalar("select vid::text from accounts_dep.vid_oper where id=:i::integer", {{"i", id}}).toString();
    QCOMPARE(now, stored.isEmpty() ? kind : stored);
    QCOMPARE(kindCount(), 6);
    if (stored.isEmpty()) {
        QCOMPARE(Msg::shown().size(), 1);
        QCOMPARE(Msg::shown()[0].text, QString("Такая операция уже заведена!"));
        QVERIFY(Form9->isVisible());
    }
}

void OperKindsTest::deleteKind_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("Да") << true;
    QTest::newRow("Нет") << false;
}

void OperKindsTest::deleteKind()
{
    QFETCH(bool, yes);
    Dataset &v = DataModule6->Vid_oper;
    v.open();
    QVERIFY(v.locate("vid", "Полировка"));
    Msg::answer(yes);
    Form8->Button3Click();
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(Msg::shown()[0].text, QString("Удалить вид операции?"));
    QCOMPARE(Msg::shown()[0].caption, QString("Удаление"));
    QVERIFY(Msg::shown()[0].icon == Msg::Icon::Question);
    QCOMPARE(kinds("Полировка"), yes ? 0 : 1);
    QCOMPARE(kindCount(), yes ? 5 : 6);
    QCOMPARE(v.recordCount(), yes ? 5 : 6);
}

void OperKindsTest::selection_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<int>("downs");
    QTest::addColumn<QString>("button"); // Button2, Button4 or dblclick
    QTest::addColumn<QString>("chosen"); // empty: nothing handed over
    QTest::newRow("two letters, lower case") << "по" << QStringList{"Покраска КРАСКА", "Полировка"} << 1 << "Button2"
                                             << "Полировка";
    QTest::newRow("double click") << "РЕ" << QStringList{"Резка"} << 0 << "dblclick" << "Резка";
    QTest::newRow("nothing matches") << "Ж" << QStringList{} << 0 << "Button2" << "";
    QTest::newRow("Выход") << "" << QStringList{} << 2 << "Button4" << "";
}

void OperKindsTest::selection()
{
    QFETCH(QString, search);
    QFETCH(QStringList, shown);
    QFETCH(int, downs);
    QFETCH(QString, button);
    QFETCH(QString, chosen);
    Form8->Edit1->setText("Сб"); // left from an earlier use
    ModalScript::OnShow(Form8, [&] {
        QCOMPARE(Form8->Tag, 1);
        QVERIFY(DataModule6->Vid_oper.isOpen());
        QCOMPARE(Form8->Button2->text(), QString("Выбрать"));
        QVERIFY(Form8->Button2->isDefault());
        QVERIFY(!Form8->Button1->isVisible());
        QVERIFY(!Form8->Button3->isVisible());
        QVERIFY(Form8->Edit1->isVisible());
        QCOMPARE(Form8->Edit1->text(), QString());
        QCOMPARE(listed().size(), 6);
        Form8->Edit1->setText(search);
        if (!search.isEmpty())
            QCOMPARE(listed(), shown);
        for (int i = 0; i < downs; ++i)
            QTest::keyClick(Form8->Edit1, Qt::Key_Down);
        if (button == "dblclick")
            emit Form8->DBGrid1->DblClick();
        else
            QTest::mouseClick(button == "Button2" ? Form8->Button2 : Form8->Button4, Qt::LeftButton);
        QVERIFY(!Form8->isVisible());
    });
    const std::optional<PickedRow> row = Form8->Pick();
    QCOMPARE(row.has_value(), !chosen.isEmpty());
    if (row) {
        QCOMPARE(row->text, chosen); // trimmed: the column is fixed-width
        QCOMPARE(row->id, kindId(chosen));
    }
    // After the picker: Button2 no longer default, search box hidden, list closed.
    QVERIFY(!Form8->Button2->isDefault());
    QVERIFY(Form8->Button1->isDefault());
    QVERIFY(Form8->Edit1->isHidden());
    QVERIFY(!DataModule6->Vid_oper.isOpen());
    QVERIFY(!DataModule6->Vid_oper.filtered());
}

QTEST_MAIN(OperKindsTest)
#include "test_operkinds.moc"
