// "Расчетные листки" against the real database: the worker list of a month,
// the ticks, the statements' rows and totals as printed into a PDF, entries
// without a known base price, and on the demo shop the totals against the
// piecework and general timesheets, to the cent.
#include "app/AppControl.h"
#include "data/MonthPeriod.h"
#include "data/Unit6.h"
#include "reports/PayStatementReport.h"
#include "reports/PayStatementWindow.h"
#include "reports/engine/Decimal.h"
#include "support/PdfText.h"
#include "support/TestDb.h"
#include "timesheets/Unit27.h"
#include "ui/Msg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class PayStatementsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void workerListAndTicks();
    void statementsInPdf();
    void nothingTickedOrCancelledWritesNothing();
    void openingTakesTheCurrentMonth();
    void totalsMatchTheTimesheetsOnTheDemoShop();
};

namespace {

// February 2026. Иванов: a plain entry, a day-off entry in shift 3, an
// overtime entry written by another program (no base), and night
// maintenance works; Петров: one entry with a four-place price; Сидоров:
// only average piecework on a day off; Кузнецов: work in March only.
void statementShop()
{
    TestDb::exec(R"SQL(
insert into accounts_dep.person (id, fio, s_staffpos_hl) values
  (101, 'Иванов И.И.', 'Сборщик'), (102, 'Петров П.П.', 'Маляр'), (103, 'Сидоров С.С.', 'Сборщик'),
  (104, 'Кузнецов К.К.', 'Сборщик');
insert into cmn_classifier.item (id, id_level, s_caption) values (500, 2, 'Стулья');
insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, id_msm_bs, massa, id_class_item) values
  (2001, 'СТ-101', 6, 0.5, 500);
insert into accounts_dep.vid_oper (id, vid) values (11, 'Сборка');
insert into accounts_dep.oper (id, vid, naimen, i_id, cena_new) values (301, 11, 0, 2001, 0);
insert into accounts_dep.smena (w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok, prize,
                                base_cena, i_holiday) values
  (101, 2001, 301, 10, 1, '2026-02-02', 1, 12.5, 0, 8, 'ok', 0, 12.5, 0),
  (101, 2001, 301, 5, 0, '2026-02-07', 3, 30, 0, 6, 'ok', 0, 12.5, 1),
  (101, 2001, 301, 3, 0, '2026-02-10', 4, 18.75, 0, 2, 'ok', 0, null, null),
  (102, 2001, 301, 4, 0, '2026-02-28', 2, 10.005, 0, 8, 'ok', 0, 10.005, 0),
  (104, 2001, 301, 4, 0, '2026-03-01', 1, 10, 0, 8, 'ok', 0, 10, 0);
insert into accounts_dep.fatigue (id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, price, i_holiday,
                                  i_night) values
  (500, 7777, 101, '2026-02-12', 2, 2026, 1, 4, 180, 0, 1),
  (500, 7778, 103, '2026-02-14', 2, 2026, 1, 8, 200.5, 1, 0);
)SQL");
}

QString g_pdf;

QStringList listed()
{
    QStringList names;
    for (int i = 0; i < PayStatements->CheckListBox1->count(); ++i)
        names << PayStatements->CheckListBox1->item(i)->text();
    return names;
}

// The value printed right of a totals label: the totals close the statement
// (the kinds of work in the tables above have the same names).
QString totalOn(const Report::Prepared &p, const QString &label)
{
    for (int page = int(p.pages.size()) - 1; page >= 0; --page) {
        const QStringList t = p.texts(page);
        const int i = t.lastIndexOf(label);
        if (i >= 0 && i + 1 < t.size())
            return t[i + 1];
    }
    return QStringLiteral("(none)");
}

Decimal money(const QString &text)
{
    const auto d = Decimal::fromText(text.isEmpty() ? QStringLiteral("0") : text);
    return d ? *d : Decimal::fromInt(-999999);
}

} // namespace

void PayStatementsTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    TestDb::fresh();
    new TForm27();
    new TPayStatements();
    Msg::setRecording(true);
}

void PayStatementsTest::init()
{
    TestDb::fresh();
    Msg::clearShown();
    PayStatements->CBoxAll->setChecked(true);
}

void PayStatementsTest::cleanup()
{
    Modal::setHandler({});
    TPayStatements::setPathChooser({});
}

void PayStatementsTest::workerListAndTicks()
{
    statementShop();
    PayStatements->SelectPeriod(2, 2026);
    // Workers with journal or hourly entries of the month, by name.
    QCOMPARE(listed(), (QStringList{"Иванов И.И.", "Петров П.П.", "Сидоров С.С."}));
    QCOMPARE(PayStatements->CheckedWorkers(), (QList<int>{101, 102, 103}));

    // One worker unticked: "Все" goes off; ticked again: on.
    PayStatements->SetWorkerChecked(102, false);
    QVERIFY(!PayStatements->CBoxAll->isChecked());
    QCOMPARE(PayStatements->CheckedWorkers(), (QList<int>{101, 103}));
    PayStatements->SetWorkerChecked(102, true);
    QVERIFY(PayStatements->CBoxAll->isChecked());

    // "Все" by keyboard: Space unticks and ticks every worker.
    PayStatements->CBoxAll->setFocus();
    QTest::keyClick(PayStatements->CBoxAll, Qt::Key_Space);
    QVERIFY(PayStatements->CheckedWorkers().isEmpty());
    QTest::keyClick(PayStatements->CBoxAll, Qt::Key_Space);
    QCOMPARE(PayStatements->CheckedWorkers().size(), 3);

    // Another month lists its own workers.
    PayStatements->ComboBox1->setCurrentIndex(2); // March
    QCOMPARE(listed(), QStringList{"Кузнецов К.К."});
    PayStatements->ComboBox1->setCurrentIndex(0); // January: nobody
    QCOMPARE(listed(), QStringList{});
}

void PayStatementsTest::statementsInPdf()
{
    statementShop();
    QTemporaryDir dir;
    const QString pdf = dir.filePath("листки.pdf");
    QString proposed;
    TPayStatements::setPathChooser([&](QWidget *, const QString &p) {
        proposed = p;
        return pdf;
    });
    PayStatements->SelectPeriod(2, 2026);
    PayStatements->Button2->click();
    QVERIFY(Msg::shown().isEmpty());
    QVERIFY(proposed.endsWith("Расчетные листки за Февраль 2026.pdf"));
    // One statement per worker, each on its own page, in the list's order.
    QCOMPARE(PdfText::pages(pdf), 3);

    const QStringList ivanov = PdfText::lines(PdfText::text(pdf, 1));
    for (const QString line : {
             "Расчетный листок за февраль 2026",
             "Иванов И.И.",
             "Период: 01.02.2026 – 28.02.2026",
             "Работы по журналу",
             "Дата Смена Изделие Операция Кол-во Брак Цена Сумма Надбавка",
             "02.02.2026 1 СТ-101 Сборка 10 1 12,5 112,50 0,00",
             "07.02.2026 3 СТ-101 Сборка 5 0 30 150,00 87,50",
             // written without a base price: no premium known
             "10.02.2026 перер. СТ-101 Сборка 3 0 18,75 56,25 —",
             "Хоз. работы и средняя сдельная",
             "Дата Вид работ Отметки Часы Цена/час Сумма Надбавка",
             "12.02.2026 Хоз. работы ноч. 4 180 720,00 120,00",
             "Сдельно (по нормативу) 231,25",
             "Надбавки за выходные и смены 87,50",
             "Хоз. работы 720,00",
             "Ср. сдельная 0,00",
             "Итого к начислению 1038,75",
             "Отработано часов: 1 смена: 8; 2 смена: 0; 3 смена: 6; переработка: 2",
             "хоз. работы: 4; ср. сдельная: 0; всего: 20",
         })
        QVERIFY2(ivanov.contains(line), qPrintable(line + "\n--- page:\n" + ivanov.join('\n')));
    QVERIFY(ivanov.join('\n').contains("Позиций без базовой цены (—): 1"));

    const QStringList petrov = PdfText::lines(PdfText::text(pdf, 2));
    QVERIFY2(petrov.contains("28.02.2026 2 СТ-101 Сборка 4 0 10,005 40,02 0,00"), qPrintable(petrov.join('\n')));
    QVERIFY(petrov.contains("Итого к начислению 40,02"));
    QVERIFY(!petrov.contains("Хоз. работы и средняя сдельная"));
    QVERIFY(!petrov.join('\n').contains("без базовой цены"));

    const QStringList sidorov = PdfText::lines(PdfText::text(pdf, 3));
    QVERIFY(sidorov.contains("Сидоров С.С."));
    QVERIFY(!sidorov.contains("Работы по журналу"));
    QVERIFY2(sidorov.contains("14.02.2026 Ср. сдельная вых. 8 200,5 1604,00 802,00"), qPrintable(sidorov.join('\n')));
    QVERIFY(sidorov.contains("Ср. сдельная 1604,00"));
    QVERIFY(sidorov.contains("Итого к начислению 1604,00"));

    // Only the ticked workers.
    PayStatements->SetWorkerChecked(101, false);
    PayStatements->Button2->click();
    QCOMPARE(PdfText::pages(pdf), 2);
    QVERIFY(PdfText::lines(PdfText::text(pdf, 1)).contains("Петров П.П."));
    QVERIFY(!PdfText::text(pdf).contains("Иванов"));
}

void PayStatementsTest::nothingTickedOrCancelledWritesNothing()
{
    statementShop();
    QTemporaryDir dir;
    const QString pdf = dir.filePath("x.pdf");
    int asked = 0;
    TPayStatements::setPathChooser([&](QWidget *, const QString &) {
        ++asked;
        return QString(); // cancelled
    });
    PayStatements->SelectPeriod(2, 2026);
    PayStatements->Button2->click();
    QCOMPARE(asked, 1);
    QVERIFY(Msg::shown().isEmpty());
    QVERIFY(!QFile::exists(pdf));

    TPayStatements::setPathChooser([&](QWidget *, const QString &) { ++asked; return pdf; });
    PayStatements->CBoxAll->setChecked(false);
    bool previewed = false;
    Modal::setHandler([&](QDialog *) { previewed = true; return 0; });
    PayStatements->Button1->click();
    PayStatements->Button2->click();
    QCOMPARE(asked, 1);
    QVERIFY(!previewed);
    QVERIFY(!QFile::exists(pdf));
    QCOMPARE(Msg::shown().size(), 2);
    QCOMPARE(Msg::shown()[0].text, QString("Не отмечен ни один работник."));
    QCOMPARE(Msg::shown()[0].caption, QString("Ошибка"));

    // A file that cannot be written is reported, not taken for saved.
    PayStatements->CBoxAll->setChecked(true);
    Msg::clearShown();
    TPayStatements::setPathChooser([&](QWidget *, const QString &) { return dir.filePath("нет/такой/папки.pdf"); });
    PayStatements->Button2->click();
    QCOMPARE(Msg::shown().size(), 1);
    QVERIFY(Msg::shown()[0].text.contains("Не удалось сохранить файл"));
}

void PayStatementsTest::openingTakesTheCurrentMonth()
{
    const QDate today = QDate::currentDate();
    TestDb::exec("insert into accounts_dep.person (id, fio, s_staffpos_hl) values (101, 'Иванов И.И.', 'Сборщик');"
                 "insert into accounts_dep.fatigue (id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, "
                 "price, i_holiday, i_night) values (0, 7777, 101, current_date, 1, 2000, 1, 2, 150, 0, 0)");
    QString title;
    int month = 0, year = 0;
    QStringList names;
    bool preview = false;
    Modal::setHandler([&](QDialog *d) {
        if (d == PayStatements) {
            title = d->windowTitle();
            month = PayStatements->SelectedMonth();
            year = PayStatements->SelectedYear();
            names = listed();
            PayStatements->Button1->click(); // "Просмотр"
        } else if (d->objectName() == "ReportPreview") {
            preview = d->windowTitle() == PayStatements->windowTitle() + " за " + PayStatements->ComboBox1->currentText()
                                              + " " + QString::number(today.year());
        }
        return 0;
    });
    PayStatements->Open();
    QCOMPARE(title, QString("Расчетные листки"));
    QCOMPARE(month, today.month());
    QCOMPARE(year, today.year());
    QCOMPARE(names, QStringList{"Иванов И.И."});
    QVERIFY(preview);
    QVERIFY(!PayStatements->Workers.isOpen());
}

void PayStatementsTest::totalsMatchTheTimesheetsOnTheDemoShop()
{
    TestDb::loadScript(TestDb::sourcePath("db/demo.sql"));
    // The last whole month of the demo journal.
    const MonthPeriod month = MonthPeriod::of(QDate::currentDate()).previous();

    // Each timesheet mode's pay per worker, as its window shows it.
    const auto timesheet = [&](int mode) {
        QHash<int, Decimal> pay;
        Form27->FixedToday = month.first();
        Modal::setHandler([&](QDialog *) {
            Dataset &ds = *Form27->Current;
            for (int r = 0; r < ds.recordCount(); ++r)
                pay[Dataset::textOf(ds.valueAt(r, "id")).toInt()] +=
                    money(Dataset::textOf(ds.valueAt(r, "f_price")));
            return 0;
        });
        Form27->Open(mode);
        return pay;
    };
    const QHash<int, Decimal> piece = timesheet(9), maint = timesheet(14), avg = timesheet(15),
                              general = timesheet(17);
    QVERIFY(general.size() > 10);

    PayStatements->SelectPeriod(month.month, month.year);
    const QList<int> workers = PayStatements->CheckedWorkers();
    QVERIFY(workers.size() > 10);
    Dataset &data = PayStatements->Statements;
    data.close();
    data.setParam("date1", month.first());
    data.setParam("date2", month.next());
    Report::Layout layout = PayStatementReport::BuildLayout("", "");
    int premiums = 0;
    for (int id : workers) {
        const Report::Prepared p = PayStatementReport::Prepare(layout, data, {id});
        const QString who = QString::number(id);
        const Decimal base = money(totalOn(p, "Сдельно (по нормативу)")),
                      prem = money(totalOn(p, "Надбавки за выходные и смены")),
                      m = money(totalOn(p, "Хоз. работы")), a = money(totalOn(p, "Ср. сдельная")),
                      all = money(totalOn(p, "Итого к начислению"));
        QVERIFY2(general.contains(id), qPrintable(who));
        QVERIFY2(all == general.value(id), qPrintable(who + ": " + totalOn(p, "Итого к начислению")));
        QVERIFY2(base + prem == piece.value(id), qPrintable(who));
        QVERIFY2(m == maint.value(id), qPrintable(who + ": " + m.general('.') + " vs " + maint.value(id).general('.')));
        QVERIFY2(a == avg.value(id), qPrintable(who + ": " + a.general('.') + " vs " + avg.value(id).general('.')));
        QVERIFY2(base + prem + m + a == all, qPrintable(who));
        if (!prem.isZero())
            ++premiums;
    }
    // Every worker with pay in the general timesheet has a statement, and the
    // demo shows premiums.
    for (auto it = general.begin(); it != general.end(); ++it)
        QVERIFY2(it.value().isZero() || workers.contains(it.key()), qPrintable(QString::number(it.key())));
    QVERIFY(premiums > 0);
}

QTEST_MAIN(PayStatementsTest)
#include "test_pay_statements.moc"
