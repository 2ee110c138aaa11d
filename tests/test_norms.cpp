// The norms window: editing, adding and deleting an operation's norms, and
// the operations list following them.
#include "app/Startup.h"
#include "data/Unit6.h"
#include "journal/Unit1.h"
#include "reference/Unit10.h"
#include "reference/Unit22.h"
#include "reference/Unit4.h"
#include "support/JournalWindow.h"
#include "support/TestDb.h"
#include "ui/Msg.h"

#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

class NormsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void priceText_data();
    void priceText();
    void gridShowsPricePattern();
    void typedPriceAndEnterUpdateTheList_data();
    void typedPriceAndEnterUpdateTheList();
    void newRowIsStoredWithTheOperation_data();
    void newRowIsStoredWithTheOperation();
    void untouchedNewRowIsDropped();
    void deleteNeverRemovesTheLastNorm();
    void badNumberIsRefused();
    void editOfANormDeletedElsewhere();
    void closeButtonStoresNothingPending();
    void operationWithoutNormsStartsWithANewRow();

private:
    // Opens the norms of an operation; act runs while the window is shown.
    void showNorms(int operationId, const std::function<void()> &act);
    static int normCount(int operationId);
    static QLineEdit *openEditor(const QModelIndex &idx);
};

void NormsTest::initTestCase()
{
    TestDb::fresh();
    NewJournalWindow();
    CreateRemainingWindows();
}

// Operation 301 has norms at 20 (norma 10) and 15 (norma 20); operation 302
// a single norm at 12.5.
void NormsTest::init()
{
    TestDb::fresh();
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    TestDb::exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, id_msm_bs, massa) values "
                 "(2001, 'СТ-12', 6, 1), (2002, 'Стол', 6, 1)");
    TestDb::exec("insert into accounts_dep.vid_oper (id, vid) values (11, 'Сборка')");
    TestDb::exec("insert into accounts_dep.oper (id, vid, naimen, i_id, cena_new) values "
                 "(301, 11, 0, 2001, 0), (302, 11, 0, 2002, 0)");
    TestDb::exec("insert into accounts_dep.norm (o_id, norma, price, prize) values "
                 "(301, 20, 15, 5), (301, 10, 20, 0), (302, 1, 12.5, 0)");
    DataModule6->Oper.close();
    DataModule6->Oper.open();
}

void NormsTest::cleanup()
{
    Modal::setHandler({});
    Form22->hide();
    DataModule6->Oper.close();
    QLocale::setDefault(QLocale::c());
}

void NormsTest::showNorms(int operationId, const std::function<void()> &act)
{
    Modal::setHandler([&](QDialog *d) {
        if (d != Form22)
            return 0;
        d->show();
        act();
        const int r = d->result();
        d->hide();
        return r;
    });
    Form22->ShowNorms(operationId);
    Modal::setHandler({});
}

int NormsTest::normCount(int operationId)
{
    return TestDb::scalar("select count(*) from accounts_dep.norm where o_id=:o::integer", {{"o", operationId}}).toInt();
}

QLineEdit *NormsTest::openEditor(const QModelIndex &idx)
{
    Form22->DBGrid1->setCurrentIndex(idx);
    Form22->DBGrid1->edit(idx);
    auto *ed = Form22->DBGrid1->viewport()->findChild<QLineEdit *>();
    if (ed)
        ed->clear();
    return ed;
}

void NormsTest::priceText_data()
{
    QTest::addColumn<double>("price");
    QTest::addColumn<QString>("text");
    QTest::newRow("twelve and a half") << 12.5 << "12,50";
    QTest::newRow("four decimals round to three") << 12.3456 << "12,346";
    QTest::newRow("three decimals") << 12.345 << "12,345";
    QTest::newRow("whole") << 10.0 << "10,00";
    QTest::newRow("zero") << 0.0 << "0,00";
    QTest::newRow("no thousands separator") << 1234.5 << "1234,50";
    QTest::newRow("negative") << -1.5 << "-1,50";
    QTest::newRow("tiny negative") << -0.0001 << "0,00";
}

void NormsTest::priceText()
{
    QFETCH(double, price);
    QFETCH(QString, text);
    QCOMPARE(NormTable::priceText(price), text);
}

void NormsTest::gridShowsPricePattern()
{
    TestDb::exec("update accounts_dep.norm set price=12.3456 where o_id=301 and norma=20");
    showNorms(301, [] {
        QTableView *g = Form22->DBGrid1;
        QCOMPARE(g->model()->rowCount(), 2);
        QCOMPARE(g->model()->headerData(0, Qt::Horizontal).toString(), QString("Норматив"));
        QCOMPARE(g->model()->headerData(1, Qt::Horizontal).toString(), QString("Цена"));
        QCOMPARE(g->model()->headerData(2, Qt::Horizontal).toString(), QString("Премия, %"));
        // Ordered by norma.
        QCOMPARE(g->model()->index(0, 0).data().toString(), QString("10"));
        QCOMPARE(g->model()->index(0, 1).data().toString(), QString("20,00"));
        QCOMPARE(g->model()->index(1, 1).data().toString(), QString("12,346"));
        QCOMPARE(g->model()->index(1, 2).data().toString(), QString("5"));
        Form22->Button1Click();
    });
    showNorms(302, [] {
        QCOMPARE(Form22->DBGrid1->model()->index(0, 1).data().toString(), QString("12,50"));
        Form22->Button1Click();
    });
}

// Typing a new price into a norm and ending with the key -> the list shows
// the new lowest price, at the row it was on.
void NormsTest::typedPriceAndEnterUpdateTheList_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Esc saves too") << int(Qt::Key_Escape);
}

void NormsTest::typedPriceAndEnterUpdateTheList()
{
    QFETCH(int, key);
    Dataset &oper = DataModule6->Oper;
    QVERIFY(oper.locate("id", 301));
    const int recNo = oper.recNo();
    QCOMPARE(oper.asDouble("cena"), 15.0);
    bool closed = false;
    showNorms(301, [&] {
        QLineEdit *ed = openEditor(Form22->norm->index(0, NormTable::ColPrice));
        QVERIFY(ed);
        QTest::keyClicks(ed, "7,5");
        QTest::keyClick(ed, Qt::Key(key));
        closed = !Form22->isVisible();
    });
    QVERIFY(closed);
    QCOMPARE(TestDb::scalar("select price from accounts_dep.norm where o_id=301 and norma=10").toDouble(), 7.5);
    QVERIFY(oper.isOpen());
    QCOMPARE(oper.recNo(), recNo);
    QCOMPARE(oper.asInt("id"), qint64(301));
    QCOMPARE(oper.asDouble("cena"), 7.5);
    QVERIFY(Msg::shown().isEmpty());

    // Esc on the window itself (no cell being edited) saves as well.
    showNorms(301, [&] {
        Form22->norm->setData(Form22->norm->index(1, NormTable::ColPrice), "3", Qt::EditRole);
        QTest::keyClick(Form22, Qt::Key_Escape);
        closed = !Form22->isVisible();
    });
    QVERIFY(closed);
    QCOMPARE(oper.asDouble("cena"), 3.0);
}

// How the new row's editing ends -> it is stored with the operation's id.
void NormsTest::newRowIsStoredWithTheOperation_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("cell left") << "leave";
    QTest::newRow("Сохранить before any cell was left") << "save";
}

void NormsTest::newRowIsStoredWithTheOperation()
{
    QFETCH(QString, how);
    showNorms(301, [&] {
        QTableView *g = Form22->DBGrid1;
        NormTable *t = Form22->norm;
        // Down on the last row starts a new row.
        g->setCurrentIndex(t->index(1, NormTable::ColNorma));
        QTest::keyClick(g, Qt::Key_Down);
        QCOMPARE(t->rowCount(), 3);
        QCOMPARE(g->currentIndex().row(), 2);
        QVERIFY(Form22->NewRow);
        QCOMPARE(t->headerData(2, Qt::Vertical, Qt::DisplayRole).toString(), QString("*"));
        // A second Down does not start another one.
        QTest::keyClick(g, Qt::Key_Down);
        QCOMPARE(t->rowCount(), 3);
        QVERIFY(t->setData(t->index(2, NormTable::ColNorma), "5", Qt::EditRole));
        QVERIFY(t->setData(t->index(2, NormTable::ColPrice), "9.25", Qt::EditRole));
        if (how == "leave") {
            g->setCurrentIndex(t->index(2, NormTable::ColPrice));
            // Stored at once and shown in norma order: first now.
            QCOMPARE(normCount(301), 3);
            QCOMPARE(t->rowCount(), 3);
            QCOMPARE(t->index(0, NormTable::ColNorma).data().toString(), QString("5"));
            QCOMPARE(t->index(0, NormTable::ColPrice).data().toString(), QString("9,25"));
            // The stored row is the current one and is no longer new.
            QCOMPARE(g->currentIndex().row(), 0);
            QCOMPARE(g->currentIndex().column(), int(NormTable::ColPrice));
            QVERIFY(!Form22->NewRow);
        }
        Form22->Button1Click();
    });
    QCOMPARE(normCount(301), 3);
    QCOMPARE(TestDb::scalar("select count(*) from accounts_dep.norm where o_id is null").toInt(), 0);
    QCOMPARE(TestDb::scalar("select price from accounts_dep.norm where o_id=301 and norma=5").toDouble(), 9.25);
    QVERIFY(DataModule6->Oper.locate("id", 301));
    QCOMPARE(DataModule6->Oper.asInt("norma"), qint64(3));
    QCOMPARE(DataModule6->Oper.asDouble("cena"), 9.25);
}

void NormsTest::untouchedNewRowIsDropped()
{
    showNorms(301, [] {
        QTableView *g = Form22->DBGrid1;
        NormTable *t = Form22->norm;
        g->setCurrentIndex(t->index(1, 0));
        QTest::keyClick(g, Qt::Key_Insert);
        QCOMPARE(t->rowCount(), 3);
        g->setCurrentIndex(t->index(0, 0));
        QCOMPARE(t->rowCount(), 2);
        QVERIFY(!Form22->NewRow);
        Form22->Button1Click();
    });
    QCOMPARE(normCount(301), 2);
}

void NormsTest::deleteNeverRemovesTheLastNorm()
{
    // A single norm stays, without a message.
    showNorms(302, [] {
        Form22->Button2Click();
        QCOMPARE(Form22->norm->rowCount(), 1);
        Form22->Button1Click();
    });
    QCOMPARE(normCount(302), 1);
    QVERIFY(Msg::shown().isEmpty());
    // Of two, the current one goes; then the other is the last.
    showNorms(301, [] {
        Form22->DBGrid1->setCurrentIndex(Form22->norm->index(1, 0));
        Form22->Button2Click();
        QCOMPARE(Form22->norm->rowCount(), 1);
        QCOMPARE(Form22->norm->index(0, NormTable::ColPrice).data().toString(), QString("20,00"));
        Form22->Button2Click();
        QCOMPARE(Form22->norm->rowCount(), 1);
        Form22->Button1Click();
    });
    QCOMPARE(normCount(301), 1);
    QCOMPARE(TestDb::scalar("select price from accounts_dep.norm where o_id=301").toDouble(), 20.0);
    QVERIFY(Msg::shown().isEmpty());
    // An edit pending on the last norm is stored by the refresh that follows.
    showNorms(302, [] {
        Form22->norm->setData(Form22->norm->index(0, NormTable::ColPrice), "11", Qt::EditRole);
        Form22->Button2Click();
        QCOMPARE(Form22->norm->index(0, NormTable::ColPrice).data().toString(), QString("11,00"));
        Form22->hide();
    });
    QCOMPARE(TestDb::scalar("select price from accounts_dep.norm where o_id=302").toDouble(), 11.0);
}

void NormsTest::badNumberIsRefused()
{
    showNorms(302, [] {
        NormTable *t = Form22->norm;
        QVERIFY(!t->setData(t->index(0, NormTable::ColPrice), "12,5р", Qt::EditRole));
        QVERIFY(!t->setData(t->index(0, NormTable::ColNorma), "1,5", Qt::EditRole));
        QVERIFY(!t->setData(t->index(0, NormTable::ColPrize), "99999999999", Qt::EditRole));
        QVERIFY(!t->isDirty(0));
        Form22->Button1Click();
    });
    QCOMPARE(Msg::shown().size(), 3);
    QCOMPARE(Msg::shown()[0].text, QString("'12,5р' не является числом"));
    QCOMPARE(Msg::shown()[1].text, QString("'1,5' не является целым числом"));
    QCOMPARE(Msg::shown()[0].caption, QString("Ошибка"));
    QCOMPARE(TestDb::scalar("select price from accounts_dep.norm where o_id=302").toDouble(), 12.5);
}

void NormsTest::editOfANormDeletedElsewhere()
{
    showNorms(301, [] {
        NormTable *t = Form22->norm;
        Form22->DBGrid1->setCurrentIndex(t->index(0, NormTable::ColPrice));
        QVERIFY(t->setData(t->index(0, NormTable::ColPrice), "1", Qt::EditRole));
        TestDb::exec("delete from accounts_dep.norm where o_id=301 and norma=10");
        Form22->DBGrid1->setCurrentIndex(t->index(1, NormTable::ColPrice));
        QCOMPARE(t->rowCount(), 1);
        QCOMPARE(Form22->DBGrid1->currentIndex().row(), 0);
        Form22->Button1Click();
    });
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(Msg::shown()[0].text, QString("Норматив не найден: возможно, его удалили с другого рабочего места."));
    QCOMPARE(normCount(301), 1);
    QCOMPARE(TestDb::scalar("select price from accounts_dep.norm where o_id=301").toDouble(), 15.0);
}

void NormsTest::closeButtonStoresNothingPending()
{
    Dataset &oper = DataModule6->Oper;
    QVERIFY(oper.locate("id", 302));
    showNorms(302, [] {
        Form22->norm->setData(Form22->norm->index(0, NormTable::ColPrice), "1", Qt::EditRole);
        Form22->close();
    });
    QCOMPARE(TestDb::scalar("select price from accounts_dep.norm where o_id=302").toDouble(), 12.5);
    // The list was not reloaded either.
    QCOMPARE(oper.asInt("id"), qint64(302));
}

void NormsTest::operationWithoutNormsStartsWithANewRow()
{
    TestDb::exec("insert into accounts_dep.oper (id, vid, naimen, i_id, cena_new) values (303, 11, 1, 2002, 0)");
    showNorms(303, [] {
        QCOMPARE(Form22->norm->rowCount(), 1);
        QVERIFY(Form22->NewRow);
        Form22->norm->setData(Form22->norm->index(0, NormTable::ColPrice), "4", Qt::EditRole);
        QTest::keyClick(Form22, Qt::Key_Return);
    });
    QCOMPARE(normCount(303), 1);
    QVERIFY(DataModule6->Oper.locate("id", 303));
    QCOMPARE(DataModule6->Oper.asDouble("cena"), 4.0);
}

QTEST_MAIN(NormsTest)
#include "test_norms.moc"
