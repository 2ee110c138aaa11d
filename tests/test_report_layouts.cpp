// The five printed layouts, each prepared from a small shop, painted to PDF
// and read back with pdftotext as a person reads the paper: headings, group
// breaks and sums with their masks, page numbers, an empty period, and the
// timesheet's heading on every page.
// REPORT_PDF_DIR=<folder> keeps the PDFs for a look at the pages.
#include "data/Unit6.h"
#include "report_shop.h"
#include "reports/Unit15.h"
#include "reports/Unit16.h"
#include "reports/Unit17.h"
#include "reports/Unit20.h"
#include "reports/Unit21.h"
#include "reports/engine/Engine.h"
#include "support/PdfText.h"
#include "support/TestDb.h"

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QDate kFrom(2026, 2, 1);
const QDate kTo(2026, 3, 1);

} // namespace

class ReportLayoutsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void summaries_data();
    void summaries();
    void emptyPeriodStillPrintsAPage_data();
    void emptyPeriodStillPrintsAPage();
    void pageNumbersOnALongReport();
    void timesheetHeadingOnEveryPage();
    void headingLabelsLeftAligned_data();
    void headingLabelsLeftAligned();

private:
    QString render(SummaryReport *report, Dataset &q, const QString &title, const QDate &from, const QDate &to,
                   const QString &file);
    QTemporaryDir m_dir;
};

void ReportLayoutsTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    TestDb::fresh();
    new TForm15();
    new TForm16();
    new TForm17();
    new TForm20();
    new TForm21();
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}

void ReportLayoutsTest::init()
{
    TestDb::fresh();
    reportShop();
}

QString ReportLayoutsTest::render(SummaryReport *report, Dataset &q, const QString &title, const QDate &from,
                                  const QDate &to, const QString &file)
{
    q.close();
    q.setParam("data1", from);
    q.setParam("data2", to);
    q.open();
    report->QuickRep1.setText("QRLabel1", title + from.toString("dd.MM.yyyy") + " по " + to.toString("dd.MM.yyyy"));
    const Report::Prepared p = report->Prepare(q);
    q.close();
    QString path = m_dir.filePath(file);
    Report::RenderToPdf(p, path);
    const QString keep = qEnvironmentVariable("REPORT_PDF_DIR");
    if (!keep.isEmpty()) {
        QDir().mkpath(keep);
        QFile::remove(QDir(keep).filePath(file));
        QFile::copy(path, QDir(keep).filePath(file));
    }
    return path;
}

// Each expected line must appear, in this order, among the page's lines.
static void expectLines(const QStringList &lines, const QStringList &expected)
{
    int at = 0;
    for (const QString &e : expected) {
        while (at < lines.size() && lines[at] != e)
            ++at;
        QVERIFY2(at < lines.size(),
                 qPrintable(QString("missing or out of order: '%1'\n--- page:\n%2").arg(e, lines.join('\n'))));
        ++at;
    }
}

void ReportLayoutsTest::summaries_data()
{
    QTest::addColumn<int>("form");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("Отчет по рабочим") << 16 << QStringList{
        "Отчет по рабочим за период с 01.02.2026 по 01.03.2026",
        "Иванов И.И. Сумма с Р/К",
        "Столы",
        "Готовая продукция Сборка 3 30,015",
        "3 30,015 36,018", // the nom group: SUM(summa)*1.2 with three decimals
        "Стулья",
        "Готовая продукция Сборка 9 112,500",
        "Заготовки Покраска (грунт) 4 19,000",
        "Заготовки Покраска (RAL: 1013) 2 9,500",
        "15 141,000 169,200",
        "171,02 205,22", // the worker: two decimals
        "Петров П.П. Сумма с Р/К",
        "Стулья",
        "Готовая продукция Сборка 5 62,500",
        "5 62,500 75,000",
        "62,50 75,00",
        "Итого: 233,52 280,22", // SUM(summa*1.2)
        "1"};
    QTest::newRow("Отчет по продукции") << 17 << QStringList{
        "Отчет по продукции за период с 01.02.2026 по 01.03.2026",
        "Коробки Количество",
        "Столы",
        "Готовая продукция Сборка 3,75 3",
        "3,75 3",
        "Стулья",
        "Готовая продукция Сборка 7 14",
        "Заготовки Покраска (грунт) 2 4",
        "Заготовки Покраска (RAL: 1013) 1 2",
        "10 20",
        "Итого: 14 23", // boxes "#0": 13,75 -> 14
        "1"};
    QTest::newRow("Детальный отчет по рабочим") << 20 << QStringList{
        "Детальный отчет по рабочим за период с 01.02.2026 по 01.03.2026",
        "Брак Количество Сумма",
        "Иванов И.И.",
        "СТ-101 Покраска 1 Заготовки 0 4 19,00",
        "СТ-101 Покраска 1013 Заготовки 0 2 9,50",
        "СТ-101 Сборка 0 Готовая продукция 1 10 112,50",
        "СТЛ-5 Сборка 0 Готовая продукция 0 3 30,02",
        "1 19 171,02",
        "Петров П.П.",
        "СТ-101 Сборка 0 Готовая продукция 0 5 62,50",
        "0 5 62,50",
        "Итого: 1 24 233,52",
        "1"};
    QTest::newRow("Детальный отчет по продукции") << 21 << QStringList{
        "Детальный отчет по продукции за период с 01.02.2026 по 01.03.2026",
        "Брак Коробки Кол-во Сумма",
        "Столы",
        "СТЛ-5 Сборка 0 Готовая продукция 0 3,75 3 30,015",
        "0 3,75 3 30,02",
        "Стулья",
        "СТ-101 Покраска 1 Заготовки 0 2 4 19,000",
        "СТ-101 Покраска 1013 Заготовки 0 1 2 9,500",
        "СТ-101 Сборка 0 Готовая продукция 1 7,5 15 175,000",
        "1 10,50 21 203,50",
        "Итого: 1 14,25 24 233,52",
        "1"};
}

void ReportLayoutsTest::summaries()
{
    QFETCH(int, form);
    QFETCH(QStringList, expected);
    QString pdf;
    const QString title = "   " + QString(QTest::currentDataTag()) + " за период с ";
    switch (form) {
    case 16: pdf = render(Form16, Form16->t_Report, title, kFrom, kTo, "t16.pdf"); break;
    case 17: pdf = render(Form17, Form17->t_Report, title, kFrom, kTo, "t17.pdf"); break;
    case 20: pdf = render(Form20, Form20->w_Report, title, kFrom, kTo, "t20.pdf"); break;
    case 21: pdf = render(Form21, Form21->i_Report, title, kFrom, kTo, "t21.pdf"); break;
    }
    QCOMPARE(PdfText::pages(pdf), 1);
    const QStringList lines = PdfText::lines(PdfText::text(pdf));
    // The entries of 31 January and 1 March (100 and 200 pieces) are outside
    // the period: the totals show without them.
    expectLines(lines, expected);
}

void ReportLayoutsTest::emptyPeriodStillPrintsAPage_data()
{
    QTest::addColumn<int>("form");
    QTest::addColumn<QString>("total");
    QTest::newRow("16") << 16 << "Итого: 0,00 0,00";
    QTest::newRow("17") << 17 << "Итого: 0 0";
    QTest::newRow("20") << 20 << "Итого: 0 0 0,00";
    QTest::newRow("21") << 21 << "Итого: 0 0 0 0,00";
}

void ReportLayoutsTest::emptyPeriodStillPrintsAPage()
{
    QFETCH(int, form);
    QFETCH(QString, total);
    const QDate day(2026, 2, 10); // start and end on the same day select nothing
    QString pdf;
    switch (form) {
    case 16: pdf = render(Form16, Form16->t_Report, "   Пусто с ", day, day, "e16.pdf"); break;
    case 17: pdf = render(Form17, Form17->t_Report, "   Пусто с ", day, day, "e17.pdf"); break;
    case 20: pdf = render(Form20, Form20->w_Report, "   Пусто с ", day, day, "e20.pdf"); break;
    case 21: pdf = render(Form21, Form21->i_Report, "   Пусто с ", day, day, "e21.pdf"); break;
    }
    QCOMPARE(PdfText::pages(pdf), 1);
    expectLines(PdfText::lines(PdfText::text(pdf)), {"Пусто с 10.02.2026 по 10.02.2026", total, "1"});
}

void ReportLayoutsTest::pageNumbersOnALongReport()
{
    // 150 product marks of one worker: the detailed worker report runs over
    // three pages; the heading prints on the first only.
    TestDb::exec(R"SQL(
insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, id_msm_bs, massa, id_class_item)
  select 3000 + i, 'М-' || lpad(i::text, 3, '0'), 6, 1, 500 from generate_series(1, 150) i;
insert into accounts_dep.oper (id, vid, naimen, i_id, cena_new)
  select 4000 + i, 11, 0, 3000 + i, 0 from generate_series(1, 150) i;
delete from accounts_dep.smena;
insert into accounts_dep.smena (w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok, prize)
  select 101, 3000 + i, 4000 + i, 1, 0, '2026-02-05', 1, 1.01, 0, 1, 'ok', 0 from generate_series(1, 150) i;
)SQL");
    const QString pdf = render(Form20, Form20->w_Report, "   Детальный отчет по рабочим за период с ", kFrom, kTo,
                               "long20.pdf");
    QCOMPARE(PdfText::pages(pdf), 3);
    for (int page = 1; page <= 3; ++page) {
        const QStringList lines = PdfText::lines(PdfText::text(pdf, page));
        QCOMPARE(lines.last(), QString::number(page));
        QCOMPARE(lines.first().startsWith("Детальный отчет по рабочим"), page == 1);
    }
    const QStringList last = PdfText::lines(PdfText::text(pdf, 3));
    expectLines(last, {"М-150 Сборка 0 Готовая продукция 0 1 1,01", "0 150 151,50", "Итого: 0 150 151,50", "3"});
}

void ReportLayoutsTest::timesheetHeadingOnEveryPage()
{
    // Иванов: shift 1 on days 1 and 3, shift 2 on day 1; 60 more workers
    // with 7 hours on day 5 fill a second landscape page.
    TestDb::exec(R"SQL(
insert into accounts_dep.h_tabel (w_id, month, year, smena, d1, d3) values (101, 3, 2021, 1, 8, 4);
insert into accounts_dep.h_tabel (w_id, month, year, smena, d1) values (101, 3, 2021, 2, 2);
insert into accounts_dep.h_tabel (w_id, month, year, smena, d31) values (101, 4, 2021, 1, 9);
insert into accounts_dep.person (id, fio, s_staffpos_hl)
  select 1000 + i, 'Работник ' || lpad(i::text, 2, '0'), 'Сборщик' from generate_series(1, 60) i;
insert into accounts_dep.h_tabel (w_id, month, year, smena, d5)
  select 1000 + i, 3, 2021, 1, 7 from generate_series(1, 60) i;
)SQL");
    const Report::Prepared p = Form15->Prepare(3, 2021, "Март 2021");
    QVERIFY(!Form15->H_Tabel.isOpen()); // closed again for the next caller
    const QString pdf = m_dir.filePath("tabel.pdf");
    Report::RenderToPdf(p, pdf);
    if (!qEnvironmentVariable("REPORT_PDF_DIR").isEmpty()) {
        const QString keep = QDir(qEnvironmentVariable("REPORT_PDF_DIR")).filePath("tabel.pdf");
        QFile::remove(keep);
        QFile::copy(pdf, keep);
    }
    QCOMPARE(PdfText::pages(pdf), 2);
    QStringList days;
    for (int d = 1; d <= 31; ++d)
        days << QString::number(d);
    const QString heading = "Март 2021 г. " + days.join(' ') + " Итого";
    for (int page = 1; page <= 2; ++page) {
        const QStringList lines = PdfText::lines(PdfText::text(pdf, page));
        QCOMPARE(lines.first(), heading);
        QCOMPARE(lines.last(), QString::number(page));
    }
    const QStringList first = PdfText::lines(PdfText::text(pdf, 1));
    // The day sums of all the worker's rows and their total; April is not in it.
    expectLines(first, {"Иванов И.И. 10 4 14", "Работник 01 7 7"});
    expectLines(PdfText::lines(PdfText::text(pdf, 2)), {"Работник 60 7 7"});
}

// Texts that are no numbers stand at the left of their places, as the rest.
void ReportLayoutsTest::headingLabelsLeftAligned_data()
{
    QTest::addColumn<int>("form");
    QTest::addColumn<QString>("label");
    QTest::newRow("summary by workers") << 16 << "Сумма с Р/К";
    QTest::newRow("timesheet print") << 15 << "Итого";
}

void ReportLayoutsTest::headingLabelsLeftAligned()
{
    QFETCH(int, form);
    QFETCH(QString, label);
    TestDb::exec("insert into accounts_dep.h_tabel (w_id, month, year, smena, d1) values (101, 2, 2026, 1, 8)");
    Report::Prepared p;
    if (form == 15) {
        p = Form15->Prepare(2, 2026, "Февраль 2026");
    } else {
        Dataset &q = Form16->t_Report;
        q.close();
        q.setParam("data1", kFrom);
        q.setParam("data2", kTo);
        q.open();
        p = Form16->Prepare(q);
        q.close();
    }
    int found = 0;
    for (const Report::Page &page : p.pages)
        for (const Report::Mark &m : page.marks)
            if (m.kind == Report::Mark::Text && m.text == label) {
                ++found;
                QVERIFY(m.align == Report::Align::Left);
            }
    QVERIFY(found > 0);
}

QTEST_MAIN(ReportLayoutsTest)
#include "test_report_layouts.moc"
