// The journal window: layout, loading the four journals, the date picker and
// the day-off rules, shift views, the "OK" colours, activation, exit, menu.
#include "app/AppControl.h"
#include "app/Unit23.h"
#include "data/Unit6.h"
#include "journal/Unit1.h"
#include "reports/Unit18.h"
#include "support/JournalWindow.h"
#include "support/TestDb.h"
#include "ui/Msg.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

namespace {

const QDate kMonday(2024, 3, 4);
const QDate kFriday(2024, 3, 1);
const QDate kSaturday(2024, 3, 2);
const QDate kSunday(2024, 3, 3);

// Three workers, two products with one operation each.
void shop()
{
    TestDb::exec("insert into cmn_classifier.item (id, id_level, s_caption) values (500, 2, 'Стулья')");
    TestDb::exec("insert into accounts_dep.person (id, fio, s_staffpos_hl) values (101, 'Иванов И.И.', 'Сборщик'), "
                 "(102, 'Петрова А.С.', 'Маляр'), (103, 'Сидоров П.П.', 'Сборщик')");
    TestDb::exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, id_msm_bs, massa, id_class_item) values "
                 "(2001, 'СТ-1', 6, 0.5, 500), (2002, 'ТБ-2', 6, 0.3, 500)");
    TestDb::exec("insert into accounts_dep.vid_oper (id, vid) values (11, 'Сборка'), (12, 'Покраска')");
    TestDb::exec("insert into accounts_dep.oper (id, vid, naimen, i_id, cena_new) values (301, 11, 0, 2001, 0), "
                 "(302, 12, 1, 2002, 0)");
}

void entry(const QDate &date, int shift, int worker, const QString &ok, int oper = 301, int kolVo = 10, int brak = 1)
{
    TestDb::exec("insert into accounts_dep.smena (w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok, "
                 "vvod, prize) values (:w::integer, (select i_id from accounts_dep.oper where id=:o::integer), "
                 ":o::integer, :k::integer, :b::integer, :d, :s::integer, 12.5, 0, 8, :ok, "
                 "'2024-03-01 10:15:00', 0)",
                 {{"w", worker}, {"o", oper}, {"k", kolVo}, {"b", brak}, {"d", date}, {"s", shift}, {"ok", ok}});
}

QDate loadedDate(int shift)
{
    return DataModule6->journal(shift).param("data").toDate();
}

QStringList column(const QString &field)
{
    QStringList out;
    const int c = Form1->DBGrid2->columnOf(field);
    for (int r = 0; r < Form1->DBGrid2->model()->rowCount(); ++r)
        out << Form1->DBGrid2->cellText(r, c);
    return out;
}

QColor background(QWidget *w) { return w->palette().color(w->backgroundRole()); }


// Picks a date the way the user does: the drop-down calendar, a day chosen
// with Enter, the calendar closing.
void pickInCalendar(const QDate &date)
{
    QDateEdit *d = Form1->DateT;
    QTest::mouseClick(d, Qt::LeftButton, {}, QPoint(d->width() - 6, d->height() / 2));
    QCalendarWidget *cal = d->calendarWidget();
    QVERIFY(cal->window()->isVisible());
    cal->setSelectedDate(date);
    QTest::keyClick(cal->findChild<QWidget *>("qt_calendar_calendarview"), Qt::Key_Return);
    QVERIFY(!cal->window()->isVisible());
    QCoreApplication::processEvents();
}

// Types a whole date into the picker, section by section, without Enter.
void typeDate(const QDate &date)
{
    QDateEdit *d = Form1->DateT;
    d->setFocus();
    d->setSelectedSection(QDateTimeEdit::DaySection);
    QTest::keyClicks(d, date.toString("dd"));
    d->setSelectedSection(QDateTimeEdit::MonthSection);
    QTest::keyClicks(d, date.toString("MM"));
    d->setSelectedSection(QDateTimeEdit::YearSection);
    QTest::keyClicks(d, date.toString("yyyy"));
    QCOMPARE(d->date(), date);
}

// Shows the journal and makes it the active window at once, as it becomes
// when the login window hands over to it.
void showJournal()
{
    Form1->show();
    QApplication::setActiveWindow(Form1);
    QVERIFY(QTest::qWaitForWindowActive(Form1));
    QCoreApplication::processEvents();
}

void pressEnter()
{
    QTest::keyClick(Form1->DateT, Qt::Key_Return);
}

} // namespace

class JournalTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void layoutAndColumns();
    void menuInOrder();
    void activationLoadsTodaysEntries();
    void dateChangeAndDayOff_data();
    void dateChangeAndDayOff();
    void typingAloneDoesNotReload();
    void activationDayOffRule_data();
    void activationDayOffRule();
    void activationBringsBackToday();
    void shiftSwitchReloadsNothing();
    void refreshReloads();
    void okColourRule_data();
    void okColourRule();
    void okColoursInGrid();
    void exitWays_data();
    void exitWays();
    void menuItemsWithoutAction();
    void summaryReportsPeriod_data();
    void summaryReportsPeriod();

private:
    QList<QDialog *> m_shown;
};

void JournalTest::initTestCase()
{
    TestDb::fresh();
    NewJournalWindow(true);
    new TForm18();
}

void JournalTest::init()
{
    TestDb::fresh();
    shop();
    Form1->FixedToday = kMonday;
    for (int s = 1; s <= 4; ++s) {
        DataModule6->journal(s).close();
        DataModule6->journal(s).setParam("ok", TDataModule6::HiddenMark()); // as the login sets it
    }
    Form1->RadioButton1->click();
    Form1->CBox1->setChecked(false);
    m_shown.clear();
    Modal::setHandler([this](QDialog *d) {
        m_shown.append(d);
        return int(QDialog::Rejected);
    });
}

void JournalTest::cleanup()
{
    Modal::setHandler({});
    Form1->hide();
    Form18->hide();
    // The next showing is a fresh activation, which tests wait for.
    QApplication::setActiveWindow(nullptr);
}

void JournalTest::layoutAndColumns()
{
    showJournal();
    QCOMPARE(Form1->windowTitle(), QString("Табель"));
    QCOMPARE(Form1->size(), QSize(1281, 585));
    QCOMPARE(Form1->RadioButton1->text(), QString("Смена №1"));
    QCOMPARE(Form1->RadioButton4->text(), QString("Переработка"));
    QCOMPARE(Form1->CBox1->text(), QString("Выходной"));
    const QStringList captions{"Добавить", "Изменить", "Удалить", "Обновить", "Ср.сд./хоз. работы", "Выход"};
    QPushButton *buttons[] = {Form1->Button1, Form1->Button2, Form1->Button3,
                              Form1->Button8, Form1->Button5, Form1->Button4};
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(buttons[i]->text(), captions[i]);
        QVERIFY(!buttons[i]->autoDefault()); // Enter belongs to the date picker
        if (i > 0) // bottom row, left to right
            QVERIFY(buttons[i]->geometry().left() > buttons[i - 1]->geometry().right());
    }

    struct Col {
        const char *field, *title;
        int width;
        Qt::Alignment align;
        bool visible;
    };
    const auto l = Qt::AlignLeft | Qt::AlignVCenter, r = Qt::AlignRight | Qt::AlignVCenter;
    const Qt::Alignment c = Qt::AlignCenter;
    const int std = Form1->DBGrid2->horizontalHeader()->defaultSectionSize();
    const Col expected[] = {
        {"fio", "Фамилия И.О.", 250, l, true},   {"marka", "Марка изделия", 260, l, true},
        {"vid", "Операция", 155, l, true},       {"nmn", "Вид", 157, l, true},
        {"color", "Цвет", std, c, true},         {"time", "Часы", std, r, true},
        {"kol_vo", "Кол-во", 57, r, true},       {"brak", "Брак", 49, r, true},
        {"summa", "Итого (р.)", 78, r, true},    {"prize", "Премия (%)", std, r, false},
        {"ok", "OK", 37, c, true},               {"vvod", "Заведен", 72, c, true},
    };
    DBGrid *g = Form1->DBGrid2;
    const auto &cols = g->datasetModel()->columns();
    QCOMPARE(cols.size(), qsizetype(std::size(expected)));
    for (int i = 0; i < cols.size(); ++i) {
        const Col &e = expected[i];
        QCOMPARE(cols[i].field, QString(e.field));
        QCOMPARE(g->model()->headerData(i, Qt::Horizontal).toString(), QString(e.title));
        QVERIFY(g->model()->headerData(i, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());
        QCOMPARE(g->model()->headerData(i, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::Alignment(Qt::AlignCenter));
        QCOMPARE(g->isColumnHidden(i), !e.visible);
        if (e.visible)
            QCOMPARE(g->columnWidth(i), e.width);
        QCOMPARE(cols[i].align, e.align);
    }
    QCOMPARE(g->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(g->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(g->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
}

void JournalTest::menuInOrder()
{
    auto texts = [](const QList<QAction *> &actions) {
        QStringList t;
        for (QAction *a : actions)
            t << a->text();
        return t;
    };
    QMenuBar *bar = Form1->findChild<QMenuBar *>("MainMenu");
    QCOMPARE(texts(bar->actions()), (QStringList{"Справочники", "Табель", "Отчеты", "Выход", "Структура БД"}));
    QCOMPARE(texts(Form1->findChild<QMenu *>("N_Reference")->actions()),
             (QStringList{"Рабочие", "Изделия", "Цены", "Операции", "Внеурочное"}));
    QCOMPARE(texts(Form1->findChild<QMenu *>("N_Tabel")->actions()),
             (QStringList{"Табель сделка", "Табель по сменам", "Табель хоз. работ", "Табель ср. сдельная",
                          "Общий табель"}));
    QCOMPARE(texts(Form1->findChild<QMenu *>("N_Reports")->actions()), (QStringList{"Сводные отчеты", "Расчетные листки"}));
    for (const char *name : {"N_Workers", "N_Products", "N_Prices", "N_OperKinds", "N_Overtime", "N_TabelPiece",
                             "N_TabelShifts", "N_TabelMaint", "N_TabelAvg", "N_TabelGeneral", "N_Summary", "N_Statements", "N_Exit",
                             "N_DbStructure"})
        QVERIFY2(Form1->findChild<QAction *>(name), name);
}

void JournalTest::activationLoadsTodaysEntries()
{
    entry(kMonday, 1, 103, "да");
    entry(kMonday, 1, 101, "ok", 301, 10, 1);
    entry(kMonday, 1, 102, "no", 302, 7, 0);
    entry(kMonday, 1, 102, "ta");          // hidden mark
    entry(kMonday, 2, 101, "no");
    entry(kMonday, 4, 102, "no");
    entry(kMonday.addDays(-1), 1, 101, "ok"); // another day
    Form1->FormActivate();
    QCOMPARE(Form1->DateT->date(), kMonday);
    for (int s = 1; s <= 4; ++s) {
        QVERIFY(DataModule6->journal(s).isOpen());
        QCOMPARE(loadedDate(s), kMonday);
    }
    QCOMPARE(Form1->DBGrid2->dataset(), &DataModule6->Smena1);
    QCOMPARE(column("fio"), (QStringList{"Иванов И.И.", "Петрова А.С.", "Сидоров П.П."}));
    QCOMPARE(column("marka"), (QStringList{"СТ-1", "ТБ-2", "СТ-1"}));
    QCOMPARE(column("vid"), (QStringList{"Сборка", "Покраска", "Сборка"}));
    QCOMPARE(column("nmn"), (QStringList{"Готовая продукция", "Заготовки", "Готовая продукция"}));
    QCOMPARE(column("kol_vo"), (QStringList{"10", "7", "10"}));
    QCOMPARE(column("ok"), (QStringList{"ok", "no", "да"}));
    QCOMPARE(column("vvod"), (QStringList{"01.03.2024", "01.03.2024", "01.03.2024"}));
    QCOMPARE(DataModule6->Smena2.recordCount(), 1);
    QCOMPARE(DataModule6->Smena3.recordCount(), 0);
    QCOMPARE(DataModule6->Smena4.recordCount(), 1);
}

// Picked date (by calendar or Enter), box before -> box after.
void JournalTest::dateChangeAndDayOff_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<bool>("byCalendar");
    QTest::addColumn<bool>("boxBefore");
    QTest::addColumn<bool>("boxAfter");
    QTest::newRow("Saturday in the calendar") << kSaturday << true << false << true;
    QTest::newRow("Sunday with Enter") << kSunday << false << false << true;
    QTest::newRow("Monday in the calendar, box ticked by hand") << kMonday << true << true << false;
    QTest::newRow("Friday with Enter, box ticked by hand") << kFriday << false << true << false;
}

void JournalTest::dateChangeAndDayOff()
{
    QFETCH(QDate, date);
    QFETCH(bool, byCalendar);
    QFETCH(bool, boxBefore);
    QFETCH(bool, boxAfter);
    entry(date, 1, 101, "ok");
    entry(date, 3, 102, "no");
    Form1->FixedToday = QDate(2024, 2, 14);
    showJournal();
    Form1->FormActivate();
    QCOMPARE(DataModule6->Smena1.recordCount(), 0);
    Form1->CBox1->setChecked(boxBefore);
    if (byCalendar) {
        pickInCalendar(date);
    } else {
        typeDate(date);
        pressEnter();
    }
    QCOMPARE(Form1->DateT->date(), date);
    for (int s = 1; s <= 4; ++s)
        QCOMPARE(loadedDate(s), date);
    QCOMPARE(DataModule6->Smena1.recordCount(), 1);
    QCOMPARE(DataModule6->Smena3.recordCount(), 1);
    QCOMPARE(Form1->CBox1->isChecked(), boxAfter);
    // A day off reads bold on red; a working day regular on the button face.
    QCOMPARE(Form1->CBox1->font().bold(), boxAfter);
    QCOMPARE(background(Form1->CBox1) == QColor(255, 0, 0), boxAfter);
    QVERIFY(Form1->DBGrid2->hasFocus() || !Form1->isActiveWindow());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void JournalTest::typingAloneDoesNotReload()
{
    entry(kSaturday, 1, 101, "ok");
    showJournal();
    Form1->FormActivate();
    typeDate(kSaturday);
    QTest::keyClick(Form1->DateT, Qt::Key_Tab);
    QCoreApplication::processEvents();
    for (int s = 1; s <= 4; ++s)
        QCOMPARE(loadedDate(s), kMonday);
    QCOMPARE(DataModule6->Smena1.recordCount(), 0);
    QVERIFY(!Form1->CBox1->isChecked());
    // Enter then loads the typed date.
    Form1->DateT->setFocus();
    pressEnter();
    QCOMPARE(loadedDate(1), kSaturday);
    QCOMPARE(DataModule6->Smena1.recordCount(), 1);
    QVERIFY(Form1->isVisible()); // Enter does not reach a button of the window
}

void JournalTest::activationDayOffRule_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<bool>("boxBefore");
    QTest::addColumn<bool>("boxAfter");
    QTest::newRow("weekday leaves a ticked box ticked") << kMonday << true << true;
    QTest::newRow("weekday leaves a clear box clear") << kFriday << false << false;
    QTest::newRow("Saturday ticks the box") << kSaturday << false << true;
    QTest::newRow("Sunday keeps it ticked") << kSunday << true << true;
}

void JournalTest::activationDayOffRule()
{
    QFETCH(QDate, today);
    QFETCH(bool, boxBefore);
    QFETCH(bool, boxAfter);
    Form1->FixedToday = today;
    Form1->CBox1->setChecked(boxBefore);
    Form1->FormActivate();
    QCOMPARE(Form1->CBox1->isChecked(), boxAfter);
    QCOMPARE(Form1->CBox1->font().bold(), boxAfter);
}

// Activation comes from the window system: another window of the program
// closing over the journal brings back today's date; the user returning from
// another program, or the drop-down calendar closing, does not.
void JournalTest::activationBringsBackToday()
{
    entry(kMonday, 1, 101, "ok");
    entry(kSaturday, 1, 102, "no");
    entry(kSaturday, 1, 103, "no");
    Form1->show();
    QApplication::setActiveWindow(Form1);
    QCOMPARE(Form1->DateT->date(), kMonday);
    pickInCalendar(kSaturday);
    QCOMPARE(Form1->DateT->date(), kSaturday); // the calendar's closing is no activation
    QCOMPARE(DataModule6->Smena1.recordCount(), 2);

    // The user goes to another program and comes back.
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(Form1);
    QCOMPARE(Form1->DateT->date(), kSaturday);
    QCOMPARE(DataModule6->Smena1.recordCount(), 2);

    // Another window of the program shown over the journal closes.
    Form18->show();
    QApplication::setActiveWindow(Form18);
    Form18->hide();
    QApplication::setActiveWindow(Form1);
    QCOMPARE(Form1->DateT->date(), kMonday);
    for (int s = 1; s <= 4; ++s)
        QCOMPARE(loadedDate(s), kMonday);
    QCOMPARE(DataModule6->Smena1.recordCount(), 1);
    QVERIFY(Form1->CBox1->isChecked()); // a weekday leaves Saturday's tick in place
}

void JournalTest::shiftSwitchReloadsNothing()
{
    entry(kMonday, 1, 101, "ok");
    entry(kMonday, 2, 102, "no");
    Form1->FormActivate();
    // Written by another client after the journals were loaded.
    entry(kMonday, 2, 103, "no");
    entry(kMonday, 4, 103, "no");

    QRadioButton *rb[] = {Form1->RadioButton1, Form1->RadioButton2, Form1->RadioButton3, Form1->RadioButton4};
    const int counts[] = {1, 1, 0, 0};
    for (int n : {2, 4, 3, 1}) {
        QTest::mouseClick(rb[n - 1], Qt::LeftButton);
        QCOMPARE(Form1->ShiftNumber, n);
        QCOMPARE(&Form1->CurrentJournal(), &DataModule6->journal(n));
        QCOMPARE(Form1->DBGrid2->dataset(), &DataModule6->journal(n));
        QCOMPARE(Form1->DBGrid2->model()->rowCount(), counts[n - 1]);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(rb[i]->font().bold(), i == n - 1);
            QCOMPARE(background(rb[i]) == QColor(0, 128, 0), i == n - 1);
        }
    }
    // Nothing was reopened by the switching.
    QCOMPARE(DataModule6->Smena2.recordCount(), 1);
    QCOMPARE(DataModule6->Smena4.recordCount(), 0);
}

void JournalTest::refreshReloads()
{
    entry(kSaturday, 2, 101, "ok");
    Form1->FormActivate();
    Form1->DateT->setDate(kSaturday);
    Form1->DateTChange();
    Form1->RadioButton2->click();
    QCOMPARE(Form1->DBGrid2->model()->rowCount(), 1);
    entry(kSaturday, 2, 102, "no");
    entry(kSaturday, 1, 103, "no");
    QTest::mouseClick(Form1->Button8, Qt::LeftButton);
    // Same date, same shift view, the new entries listed.
    QCOMPARE(loadedDate(1), kSaturday);
    QCOMPARE(Form1->DBGrid2->dataset(), &DataModule6->Smena2);
    QCOMPARE(Form1->DBGrid2->model()->rowCount(), 2);
    QCOMPARE(DataModule6->Smena1.recordCount(), 1);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void JournalTest::okColourRule_data()
{
    QTest::addColumn<QVariant>("mark");
    QTest::addColumn<bool>("green");
    QTest::newRow("ok") << QVariant("ok") << true;
    QTest::newRow("да") << QVariant("да") << true;
    QTest::newRow("OK in capitals") << QVariant("OK") << false;
    QTest::newRow("Да in capital") << QVariant("Да") << false;
    QTest::newRow("leading blank") << QVariant(" ok") << false;
    QTest::newRow("trailing blank") << QVariant("ok ") << false;
    QTest::newRow("no") << QVariant("no") << false;
    QTest::newRow("NULL") << QVariant(QMetaType(QMetaType::QString)) << false;
}

void JournalTest::okColourRule()
{
    QFETCH(QVariant, mark);
    QFETCH(bool, green);
    const CellLook look = TForm1::OkLook(mark);
    QVERIFY(look.foreground.has_value());
    QCOMPARE(*look.foreground, green ? QColor(0, 128, 0) : QColor(255, 0, 0));
    QCOMPARE(look.bold, std::optional<bool>(true));
}

void JournalTest::okColoursInGrid()
{
    entry(kMonday, 1, 101, "ok");
    entry(kMonday, 1, 102, "OK");
    entry(kMonday, 1, 103, "да");
    entry(kMonday, 1, 103, "no", 302);
    Form1->FormActivate();
    const QAbstractItemModel *m = Form1->DBGrid2->model();
    const int okCol = Form1->DBGrid2->columnOf("ok");
    const QColor expected[] = {QColor(0, 128, 0), QColor(255, 0, 0), QColor(0, 128, 0), QColor(255, 0, 0)};
    QCOMPARE(m->rowCount(), 4);
    for (int r = 0; r < 4; ++r) {
        QCOMPARE(m->index(r, okCol).data(Qt::ForegroundRole).value<QColor>(), expected[r]);
        QVERIFY(m->index(r, okCol).data(Qt::FontRole).value<QFont>().bold());
        // Other columns are drawn the standard way.
        QVERIFY(!m->index(r, 0).data(Qt::ForegroundRole).isValid());
        QVERIFY(!m->index(r, 0).data(Qt::FontRole).isValid());
    }
}

void JournalTest::exitWays_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("Выход button") << "button";
    QTest::newRow("Esc key") << "esc";
    QTest::newRow("Выход menu") << "menu";
}

void JournalTest::exitWays()
{
    QFETCH(QString, way);
    showJournal();
    if (way == "button")
        QTest::mouseClick(Form1->Button4, Qt::LeftButton);
    else if (way == "esc")
        QTest::keyClick(Form1->DBGrid2, Qt::Key_Escape);
    else
        Form1->N_Exit->trigger();
    QVERIFY(!Form1->isVisible());
}

void JournalTest::menuItemsWithoutAction()
{
    entry(kMonday, 1, 101, "ok");
    Form1->FormActivate();
    Form1->show();
    Form1->N_Overtime->trigger();
    Form1->N_DbStructure->trigger();
    QCoreApplication::processEvents();
    QVERIFY(m_shown.isEmpty());
    QVERIFY(Msg::shown().isEmpty());
    QVERIFY(Form1->isVisible());
    QCOMPARE(DataModule6->Smena1.recordCount(), 1);
}

void JournalTest::summaryReportsPeriod_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::newRow("March") << QDate(2024, 3, 31) << QDate(2024, 2, 1) << QDate(2024, 3, 1);
    QTest::newRow("January") << QDate(2024, 1, 10) << QDate(2023, 12, 1) << QDate(2024, 1, 1);
}

void JournalTest::summaryReportsPeriod()
{
    QFETCH(QDate, today);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    Form1->FixedToday = today;
    Form18->SetRadioGroup1ItemIndex(2);
    Form1->N_Summary->trigger();
    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(m_shown[0], static_cast<QDialog *>(Form18));
    QCOMPARE(Form18->DTPicker1->date(), from);
    QCOMPARE(Form18->DTPicker2->date(), to);
    QCOMPARE(Form18->RadioGroup1ItemIndex(), 2); // the product kind is kept
    QCOMPARE(Form18->windowTitle(), QString("Отчеты (8)"));
}

QTEST_MAIN(JournalTest)
#include "test_journal.moc"
