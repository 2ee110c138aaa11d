// The worker list and the worker editor against the real database.
#include "data/DbError.h"
#include "data/Unit6.h"
#include "reference/Unit2.h"
#include "reference/Unit5.h"
#include "support/ModalScript.h"
#include "support/TestDb.h"
#include "ui/DBGrid.h"
#include "ui/Msg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QWheelEvent>
#include <QtTest>

namespace {

// Acts on the windows the code under test shows modally: the action for that
// window runs instead of its modal loop.

int fio(const QString &name)
{
    return TestDb::scalar("select id from accounts_dep.person where fio=:f", {{"f", name}}).toInt();
}

QString position(int id)
{
    return TestDb::scalar("select s_staffpos_hl from accounts_dep.person where id=:i::integer", {{"i", id}}).toString();
}

int workerCount() { return TestDb::scalar("select count(*) from accounts_dep.person").toInt(); }

// Types text the way a keyboard does (any alphabet).
void type(QWidget *w, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void wheel(QWidget *over, int dy)
{
    QWheelEvent e(QPointF(5, 5), over->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, dy), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(over, &e);
}

} // namespace

class WorkersTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void maintenanceOpening();
    void selectionHandsOver_data();
    void selectionHandsOver();
    void selectionWithoutChoice_data();
    void selectionWithoutChoice();
    void search_data();
    void search();
    void searchBoxKeys();
    void addWorker();
    void addRefusesEmptyName();
    void changeKeepsOrSetsPosition_data();
    void changeKeepsOrSetsPosition();
    void changeReturnsToRowAndClosesList_data();
    void changeReturnsToRowAndClosesList();
    void changeOfVanishedWorkerKeepsEditorOpen();
    void deleteWorker_data();
    void deleteWorker();
    void dropDownsAndWheel();
};

void WorkersTest::initTestCase()
{
    TestDb::fresh();
    new TForm2();
    new TForm5();
    ModalScript::Install();
}

void WorkersTest::init()
{
    TestDb::fresh();
    ModalScript::Reset();
    TestDb::exec("insert into accounts_dep.person (fio, s_staffpos_hl) values ('Абрамов А.А.', 'Цех 1'), "
                 "('Иванов И.И.', 'Цех 2'), ('Иванова М.М.', 'Сборщик'), ('Яковлев Я.Я.', '')");
    TestDb::exec("insert into cmn_department.department (s_caption) values ('Цех 1'), ('Цех 2'), ('Склад')");
    TestDb::exec("insert into hrms_staffpos.staffpos (s_caption) values ('Сборщик'), ('Маляр'), ('Мастер')");
    TestDb::exec("insert into adm_role.roles (s_name, s_caption) values ('w', 'Рабочий'), ('m', 'Мастер')");
}

void WorkersTest::cleanup()
{
    Form2->hide();
    Form5->hide();
    Form5->Edit1->clear();
    Form5->Tag = 0;
    DataModule6->Workers.close();
}

void WorkersTest::maintenanceOpening()
{
    Form5->PrepareSelection(1); // as a picker left it
    bool checked = false;
    ModalScript::OnShow(Form5, [&] {
        QCOMPARE(Form5->windowTitle(), QString("Список рабочих"));
        QVERIFY(Form5->DBGrid1->model()->headerData(0, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());
        checked = true;
    });
    Form5->OpenForMaintenance();
    QVERIFY(checked);
}

void WorkersTest::selectionHandsOver_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("byDoubleClick");
    QTest::newRow("entry editor, Выбрать") << 1 << false;
    QTest::newRow("entry editor, double click") << 1 << true;
    QTest::newRow("maintenance dialog, Выбрать") << 24 << false;
}

void WorkersTest::selectionHandsOver()
{
    QFETCH(int, mode);
    QFETCH(bool, byDoubleClick);
    // Blanks around a stored name are not handed over.
    TestDb::exec("update accounts_dep.person set fio='  Иванов И.И.  ' where fio='Иванов И.И.'");
    Form5->Edit1->setText("Як"); // left from an earlier search
    ModalScript::OnShow(Form5, [&] {
        QCOMPARE(Form5->Tag, mode);
        QCOMPARE(Form5->Button2->text(), QString("Выбрать"));
        QVERIFY(Form5->Button2->isDefault());
        QVERIFY(Form5->Button2->isVisible());
        QVERIFY(!Form5->Button1->isVisible());
        QVERIFY(!Form5->Button3->isVisible());
        QVERIFY(Form5->Edit1->isVisible());
        QCOMPARE(Form5->Edit1->text(), QString());
        QCOMPARE(DataModule6->Workers.recordCount(), 4);
        Form5->Edit1->setText("  ив");
        QCOMPARE(DataModule6->Workers.recordCount(), 1);
        if (byDoubleClick)
            emit Form5->DBGrid1->DblClick();
        else
            QTest::mouseClick(Form5->Button2, Qt::LeftButton);
        QVERIFY(!Form5->isVisible());
    });
    const std::optional<PickedRow> row = Form5->Pick(mode);
    QVERIFY(row.has_value());
    QVERIFY(!DataModule6->Workers.isOpen());
    const int id = TestDb::scalar("select id from accounts_dep.person where fio like '%Иванов И.И.%'").toInt();
    QCOMPARE(row->id, id);
    QCOMPARE(row->text, QString("Иванов И.И."));
}

void WorkersTest::selectionWithoutChoice_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<bool>("exitButton");
    QTest::newRow("nobody matches, Выбрать") << "Ж" << false;
    QTest::newRow("empty table, Выбрать") << "" << false;
    QTest::newRow("Выход") << "" << true;
}

void WorkersTest::selectionWithoutChoice()
{
    QFETCH(QString, search);
    QFETCH(bool, exitButton);
    if (QString(QTest::currentDataTag()).startsWith("empty"))
        TestDb::exec("delete from accounts_dep.person");
    ModalScript::OnShow(Form5, [&] {
        Form5->Edit1->setText(search);
        if (!exitButton)
            QCOMPARE(Form5->DBGrid1->model()->rowCount(), 0);
        QTest::mouseClick(exitButton ? Form5->Button4 : Form5->Button2, Qt::LeftButton);
        QVERIFY(!Form5->isVisible());
    });
    QVERIFY(!Form5->Pick(1).has_value());
    QVERIFY(!DataModule6->Workers.isOpen());
}

void WorkersTest::search_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("lower case finds capitalised") << "иван" << QStringList{"Иванов И.И.", "Иванова М.М."};
    QTest::newRow("mixed case") << "иВАНОВА" << QStringList{"Иванова М.М."};
    QTest::newRow("capitals") << "ИВАНОВА" << QStringList{"Иванова М.М."};
    QTest::newRow("prefix only, not inside") << "ванов" << QStringList{};
    QTest::newRow("apostrophe") << "о'к" << QStringList{"О'Коннор Д."};
    QTest::newRow("quote marks") << "\"Ре" << QStringList{"\"Ремонт\" бригада"};
    QTest::newRow("empty text: all")
        << "" << QStringList{"\"Ремонт\" бригада", "Абрамов А.А.", "Иванов И.И.", "Иванова М.М.", "О'Коннор Д.",
                             "Яковлев Я.Я."};
    QTest::newRow("LIKE wildcard typed") << "%ков" << QStringList{"Яковлев Я.Я."};
}

void WorkersTest::search()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    TestDb::exec("insert into accounts_dep.person (fio) values (:a), (:b)",
                 {{"a", "О'Коннор Д."}, {"b", "\"Ремонт\" бригада"}});
    Dataset &w = DataModule6->Workers;
    w.open();
    Form5->Edit1->setText("Я");
    Form5->Edit1->setText(text);
    QStringList names;
    for (int r = 0; r < Form5->DBGrid1->model()->rowCount(); ++r)
        names << Form5->DBGrid1->cellText(r, 0);
    QCOMPARE(names, expected);
    // The search lives in the dataset: reopening keeps it.
    w.reopen();
    QCOMPARE(w.recordCount(), int(expected.size()));
}

void WorkersTest::searchBoxKeys()
{
    Dataset &w = DataModule6->Workers;
    w.open();
    Form5->show();
    QLineEdit *e = Form5->Edit1;
    type(e, "и");
    QCOMPARE(w.recordCount(), 2);
    QCOMPARE(w.recNo(), 1);
    QTest::keyClick(e, Qt::Key_Down);
    QCOMPARE(w.recNo(), 2);
    QCOMPARE(w.text("fio"), QString("Иванова М.М."));
    QTest::keyClick(e, Qt::Key_Down); // stays on the last row
    QCOMPARE(w.recNo(), 2);
    QTest::keyClick(e, Qt::Key_Up);
    QCOMPARE(w.recNo(), 1);
    QCOMPARE(e->text(), QString("и"));
    // Cursor keys and Delete do not reach the box; typing and Backspace do.
    QTest::keyClick(e, Qt::Key_Left);
    QTest::keyClick(e, Qt::Key_Home);
    QTest::keyClick(e, Qt::Key_Delete);
    QCOMPARE(e->text(), QString("и"));
    QCOMPARE(e->cursorPosition(), 1);
    type(e, "ванова");
    QCOMPARE(w.recordCount(), 1);
    QTest::keyClick(e, Qt::Key_Backspace);
    QCOMPARE(e->text(), QString("иванов"));
    QCOMPARE(w.recordCount(), 2);
}

void WorkersTest::addWorker()
{
    Dataset &w = DataModule6->Workers;
    w.open();
    w.setRecNo(3);
    Form2->Edit1->setText("старый текст");
    ModalScript::OnShow(Form2, [&] {
        QCOMPARE(Form2->windowTitle(), QString("Заведение данных нового работника"));
        QCOMPARE(Form2->Tag, 1);
        QCOMPARE(Form2->Edit1->text(), QString());
        QCOMPARE(Form2->LCB_department->count(), 3);
        QCOMPARE(Form2->LCB_staffpos->count(), 3);
        QCOMPARE(Form2->LCB_roles->count(), 2);
        Form2->Edit1->setText("  О'Коннор Д.  ");
        Form2->LCB_department->setCurrentIndex(Form2->LCB_department->findText("Склад"));
        Form2->LCB_staffpos->setCurrentIndex(1);
        QTest::mouseClick(Form2->Button1, Qt::LeftButton);
        QVERIFY(!Form2->isVisible());
    });
    Form5->Button1Click();
    const int id = fio("О'Коннор Д.");
    QVERIFY(id > 0);
    QCOMPARE(position(id), QString("Склад")); // the department's caption, not the position's
    QCOMPARE(workerCount(), 5);
    // The list is reloaded and at its first row; the new worker is in it.
    QCOMPARE(w.recordCount(), 5);
    QCOMPARE(w.recNo(), 1);
    QVERIFY(w.locate("fio", "О'Коннор Д."));
    // The journal finds the worker under the same id.
    QCOMPARE(TestDb::scalar("select s_caption from cmn_contractor.person where s_code=:c", {{"c", QString::number(id)}})
                 .toString(),
             QString("О'Коннор Д."));

    // The drop-downs keep their choice for the next worker.
    ModalScript::OnShow(Form2, [&] {
        QCOMPARE(Form2->LCB_department->currentText(), QString("Склад"));
        Form2->Edit1->setText("Новиков Н.Н.");
        Form2->Button1Click();
    });
    Form5->Button1Click();
    QCOMPARE(position(fio("Новиков Н.Н.")), QString("Склад"));

    // "Отмена" writes nothing.
    ModalScript::OnShow(Form2, [&] {
        Form2->Edit1->setText("Отменённый");
        QTest::mouseClick(Form2->Button2, Qt::LeftButton);
    });
    Form5->Button1Click();
    QCOMPARE(fio("Отменённый"), 0);
    QCOMPARE(workerCount(), 6);
}

void WorkersTest::addRefusesEmptyName()
{
    DataModule6->Workers.open();
    ModalScript::OnShow(Form2, [&] {
        Form2->Edit1->setText("   ");
        Form2->Button1Click();
        QVERIFY(Form2->isVisible()); // the editor stays open
        QCOMPARE(Msg::shown().size(), 1);
        QCOMPARE(Msg::shown()[0].text, QString("ФИО нужно заполнить!"));
        QCOMPARE(Msg::shown()[0].caption, QString("Ошибка"));
        QVERIFY(Msg::shown()[0].icon == Msg::Icon::Error);
        Form2->close();
    });
    Form5->Button1Click();
    QCOMPARE(workerCount(), 4);
}

// Changing a worker: which position text is stored after a rename.
void WorkersTest::changeKeepsOrSetsPosition_data()
{
    QTest::addColumn<QString>("worker");
    QTest::addColumn<QString>("lastDepartment"); // chosen for someone else before
    QTest::addColumn<QString>("shown");          // department shown on opening
    QTest::addColumn<QString>("pick");           // department the user picks, or none
    QTest::addColumn<QString>("stored");
    QTest::newRow("department caption preselected") << "Иванов И.И." << "Склад" << "Цех 2" << "" << "Цех 2";
    QTest::newRow("no matching department: text kept") << "Иванова М.М." << "Склад" << "" << "" << "Сборщик";
    QTest::newRow("empty stays empty") << "Яковлев Я.Я." << "Цех 1" << "" << "" << "";
    QTest::newRow("picked department is stored") << "Иванова М.М." << "" << "" << "Цех 1" << "Цех 1";
}

void WorkersTest::changeKeepsOrSetsPosition()
{
    QFETCH(QString, worker);
    QFETCH(QString, lastDepartment);
    QFETCH(QString, shown);
    QFETCH(QString, pick);
    QFETCH(QString, stored);
    Form2->ReopenTables();
    Form2->LCB_department->setCurrentIndex(Form2->LCB_department->findText(lastDepartment));
    Dataset &w = DataModule6->Workers;
    w.open();
    QVERIFY(w.locate("fio", worker));
    const int id = int(w.asInt("id"));
    ModalScript::OnShow(Form2, [&] {
        QCOMPARE(Form2->windowTitle(), QString("Изменение данных работника"));
        QCOMPARE(Form2->Tag, 2);
        QCOMPARE(Form2->Edit1->text(), worker);
        QCOMPARE(Form2->LCB_department->currentText(), shown);
        if (!pick.isEmpty())
            Form2->LCB_department->setCurrentIndex(Form2->LCB_department->findText(pick));
        Form2->Edit1->setText(worker + " (изм.)");
        Form2->Button1Click();
    });
    Form5->Button2Click();
    QCOMPARE(TestDb::scalar("select fio from accounts_dep.person where id=:i::integer", {{"i", id}}).toString(),
             worker + " (изм.)");
    QCOMPARE(position(id), stored);
    QCOMPARE(workerCount(), 4);
}

void WorkersTest::changeReturnsToRowAndClosesList_data()
{
    QTest::addColumn<bool>("save");
    QTest::newRow("Записать") << true;
    QTest::newRow("Отмена") << false;
}

void WorkersTest::changeReturnsToRowAndClosesList()
{
    QFETCH(bool, save);
    Dataset &w = DataModule6->Workers;
    ModalScript::OnShow(Form2, [&] {
        QCOMPARE(Form2->Edit1->text(), QString("Иванова М.М."));
        // Another client adds a worker meanwhile.
        TestDb::exec("insert into accounts_dep.person (fio) values ('Борисов Б.Б.')");
        if (save)
            Form2->Button1Click();
        else
            QTest::mouseClick(Form2->Button2, Qt::LeftButton);
    });
    ModalScript::OnShow(Form5, [&] {
        w.setRecNo(3);
        emit Form5->DBGrid1->DblClick(); // as "Изменить"
        QVERIFY(!Form5->isVisible());    // the list closes with the editor
        // Reloaded and back at row 3 (the same position, now another worker).
        QCOMPARE(w.recordCount(), 5);
        QCOMPARE(w.recNo(), 3);
        QCOMPARE(w.text("fio"), QString("Иванов И.И."));
    });
    Form5->OpenForMaintenance();
    QCOMPARE(ModalScript::Shown(), (QList<QDialog *>{Form5, Form2}));
    QVERIFY(!w.isOpen());
}

void WorkersTest::changeOfVanishedWorkerKeepsEditorOpen()
{
    Dataset &w = DataModule6->Workers;
    w.open();
    QVERIFY(w.locate("fio", "Яковлев Я.Я."));
    const int id = int(w.asInt("id"));
    ModalScript::OnShow(Form2, [&] {
        std::unique_ptr<Connection> other(TestDb::otherClient("other"));
        other->exec("delete from accounts_dep.person where id=:i::integer", {{"i", id}});
        Form2->Edit1->setText("Яковлев Я.С.");
        QVERIFY_THROWS_EXCEPTION(DbError, Form2->Button1Click());
        QVERIFY(Form2->isVisible());
        Form2->close();
    });
    Form5->Button2Click();
    QCOMPARE(workerCount(), 3);
}

void WorkersTest::deleteWorker_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("Да") << true;
    QTest::newRow("Нет") << false;
}

void WorkersTest::deleteWorker()
{
    QFETCH(bool, yes);
    Dataset &w = DataModule6->Workers;
    w.open();
    w.setRecNo(2);
    const int id = int(w.asInt("id"));
    Msg::answer(yes);
    Form5->Button3Click();
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(Msg::shown()[0].text, QString("Удалить работника?"));
    QCOMPARE(Msg::shown()[0].caption, QString("Удаление"));
    QVERIFY(Msg::shown()[0].icon == Msg::Icon::Question);
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.person where id=:i::integer", {{"i", id}}).toInt(),
             yes ? 0 : 1);
    QCOMPARE(TestDb::scalar("select count(*) from cmn_contractor.person where id=:i::integer", {{"i", id}}).toInt(),
             yes ? 0 : 1);
    QCOMPARE(w.recordCount(), yes ? 3 : 4);
    QCOMPARE(w.recNo(), 2); // back at the same row number
    QCOMPARE(w.text("fio"), QString(yes ? "Иванова М.М." : "Иванов И.И."));
}

void WorkersTest::dropDownsAndWheel()
{
    Form2->ReopenTables();
    for (QComboBox *box : {Form2->LCB_department, Form2->LCB_staffpos, Form2->LCB_roles})
        QCOMPARE(box->maxVisibleItems(), 10);
    // Table order, shown by caption.
    QCOMPARE(Form2->LCB_staffpos->itemText(0), QString("Сборщик"));
    QCOMPARE(Form2->LCB_staffpos->itemText(2), QString("Мастер"));
    Form2->show();
    Form2->LCB_staffpos->setCurrentIndex(0);
    Form2->LCB_department->setCurrentIndex(0);
    Form2->LCB_staffpos->setFocus();
    QCOMPARE(Form2->focusWidget(), Form2->LCB_staffpos);
    // Wheel down over the name box moves the focused drop-down down.
    wheel(Form2->Edit1, -120);
    QCOMPARE(Form2->LCB_staffpos->currentIndex(), 1);
    // Over another drop-down it still moves the focused one.
    wheel(Form2->LCB_department, -120);
    QCOMPARE(Form2->LCB_staffpos->currentIndex(), 2);
    QCOMPARE(Form2->LCB_department->currentIndex(), 0);
    wheel(Form2->LCB_staffpos, -120); // at the last item
    QCOMPARE(Form2->LCB_staffpos->currentIndex(), 2);
    wheel(Form2, 120);
    QCOMPARE(Form2->LCB_staffpos->currentIndex(), 1);
    // With the name box focused the wheel turns no drop-down.
    Form2->Edit1->setFocus();
    wheel(Form2->LCB_roles, -120);
    QCOMPARE(Form2->LCB_staffpos->currentIndex(), 1);
    QCOMPARE(Form2->LCB_department->currentIndex(), 0);
    // A choice survives reopening the tables; a removed row leaves none.
    Form2->LCB_roles->setCurrentIndex(1);
    TestDb::exec("delete from cmn_department.department where s_caption='Цех 1'");
    Form2->ReopenTables();
    QCOMPARE(Form2->LCB_staffpos->currentText(), QString("Маляр"));
    QCOMPARE(Form2->LCB_roles->currentText(), QString("Мастер"));
    QCOMPARE(Form2->LCB_department->currentIndex(), -1);
    QCOMPARE(Form2->LCB_department->count(), 2);
}

QTEST_MAIN(WorkersTest)
#include "test_workers.moc"
