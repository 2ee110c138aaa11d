// The nomenclature picker against the real database.
#include "data/Unit6.h"
#include "reference/Unit26.h"
#include "support/ModalScript.h"
#include "support/TestDb.h"
#include "ui/DBGrid.h"
#include "ui/Msg.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {


QStringList listed()
{
    QStringList r;
    for (int i = 0; i < Form26->DBGrid1->model()->rowCount(); ++i)
        r << Form26->DBGrid1->cellText(i, 0);
    return r;
}

} // namespace

class NomenclatureTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void listAndLook();
    void choose_data();
    void choose();
    void searchPersistsBetweenOpenings();
};

void NomenclatureTest::initTestCase()
{
    TestDb::fresh();
    new TForm26();
    ModalScript::Install();
}

void NomenclatureTest::init()
{
    TestDb::fresh();
    ModalScript::Reset();
    TestDb::exec("insert into cmn_classifier.item (id, id_level, s_caption) values (500, 2, 'Стулья'), "
                 "(501, 2, 'Столы'), (502, 1, 'Мебель'), (503, 2, 'Шкафы'), (504, 3, 'Стулья детские'), "
                 "(505, 2, :c)",
                 {{"c", "Д'Артаньян  "}});
}

void NomenclatureTest::cleanup()
{
    Form26->hide();
    Form26->Edit1->clear();
    Form26->item.close();
}

void NomenclatureTest::listAndLook()
{
    bool checked = false;
    ModalScript::OnShow(Form26, [&] {
        QVERIFY(Form26->item.isOpen());
        // Level-2 items only, by caption.
        QCOMPARE(listed(), (QStringList{"Д'Артаньян", "Столы", "Стулья", "Шкафы"}));
        QCOMPARE(Form26->windowTitle(), QString("Номенклатура (26)"));
        QCOMPARE(Form26->DBGrid1->model()->headerData(0, Qt::Horizontal).toString(), QString("Наименование"));
        QVERIFY(!(Form26->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(Form26->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(Form26->minimumSize(), Form26->maximumSize());
        checked = true;
        Form26->close();
    });
    QVERIFY(!Form26->Pick().has_value());
    QVERIFY(checked);
    QVERIFY(!Form26->item.isOpen());
}

void NomenclatureTest::choose_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<int>("downs");
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Выбрать after Down") << "ст" << 1 << "Button1" << true << 500 << "Стулья";
    QTest::newRow("double click, apostrophe, caption trimmed")
        << "д'" << 0 << "dblclick" << true << 505 << "Д'Артаньян";
    QTest::newRow("empty list hands over 0 and nothing") << "Ж" << 0 << "Button1" << true << 0 << "";
    QTest::newRow("Выход") << "" << 0 << "Button4" << false << -1 << "-";
}

void NomenclatureTest::choose()
{
    QFETCH(QString, search);
    QFETCH(int, downs);
    QFETCH(QString, how);
    QFETCH(bool, chosen);
    QFETCH(int, id);
    QFETCH(QString, caption);
    ModalScript::OnShow(Form26, [&] {
        Form26->Edit1->setText(search);
        for (int i = 0; i < downs; ++i)
            QTest::keyClick(Form26->Edit1, Qt::Key_Down);
        if (how == "dblclick")
            emit Form26->DBGrid1->DblClick();
        else
            QTest::mouseClick(how == "Button1" ? Form26->Button1 : Form26->Button4, Qt::LeftButton);
        QVERIFY(!Form26->isVisible());
    });
    const std::optional<PickedRow> row = Form26->Pick();
    QCOMPARE(row.has_value(), chosen);
    if (row) {
        QCOMPARE(row->id, id);
        QCOMPARE(row->text, caption);
    }
    QVERIFY(!Form26->item.isOpen());
}

void NomenclatureTest::searchPersistsBetweenOpenings()
{
    ModalScript::OnShow(Form26, [&] {
        Form26->Edit1->setText("СТ");
        QCOMPARE(listed(), (QStringList{"Столы", "Стулья"}));
        Form26->close();
    });
    Form26->Pick();
    TestDb::exec("insert into cmn_classifier.item (id, id_level, s_caption) values (506, 2, 'Стеллажи')");
    QStringList shown;
    QString text;
    ModalScript::OnShow(Form26, [&] {
        text = Form26->Edit1->text();
        shown = listed();
        Form26->close();
    });
    Form26->Pick();
    QCOMPARE(text, QString("СТ"));
    QCOMPARE(shown, (QStringList{"Стеллажи", "Столы", "Стулья"}));
    QCOMPARE(int(ModalScript::Shown().size()), 2);
}

QTEST_MAIN(NomenclatureTest)
#include "test_nomenclature.moc"
