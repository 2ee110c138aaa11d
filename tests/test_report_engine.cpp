// The report engine: expressions and number masks, the sums and their
// resets, and how bands fall on pages, on rows read from the real database.
#include "data/Dataset.h"
#include "data/Unit6.h"
#include "reports/engine/Decimal.h"
#include "reports/engine/Engine.h"
#include "reports/engine/Expression.h"
#include "reports/engine/Layout.h"
#include "reports/engine/Preview.h"
#include "reports/engine/ReportError.h"
#include "support/TestDb.h"

#include <QAction>
#include <QLineEdit>
#include <QLocale>
#include <QScrollArea>
#include <QSignalSpy>
#include <QtTest>

using namespace Report;

Q_DECLARE_METATYPE(QList<QStringList>)

namespace {

Value cell(const QString &text)
{
    if (text == u"NULL")
        return {};
    if (const auto d = Decimal::fromText(text); d && !text.startsWith(u'\''))
        return Value::number(*d);
    return Value::fromText(text.startsWith(u'\'') ? text.mid(1) : text);
}

} // namespace

class ReportEngineTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void expressions_data();
    void expressions();
    void sumsResetPerGroup();
    void masks_data();
    void masks();
    void malformedExpressions_data();
    void malformedExpressions();
    void unknownFieldIsNamed();

    void groupHeaderNeverAloneAtPageFoot_data();
    void groupHeaderNeverAloneAtPageFoot();
    void emptyQueryStillGivesAPage();
    void grandTotalEqualsSumOfGroupTotals();

    void previewPaintsPagesAsTheyAreShown();
    void previewZoomModes_data();
    void previewZoomModes();
};

void ReportEngineTest::initTestCase()
{
    TestDb::fresh();
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}

void ReportEngineTest::cleanup()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}

// An expression over rows of (summa, naimen, color, kolvo): each row is
// added to the sums, the result is read with the last row current.
void ReportEngineTest::expressions_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("expected");

    const QList<QStringList> money{{"10.005", "0", "0", "3"}, {"10.005", "0", "0", "3"}, {"10.005", "0", "0", "3"}};
    QTest::newRow("SUM(summa)*1.2") << "SUM(summa)*1.2" << money << "#0.000" << "36,018";
    QTest::newRow("SUM(summa*1.2)") << "SUM(summa*1.2)" << money << "#0.000" << "36,018";
    QTest::newRow("SUM(summa)*1.2 two decimals") << "SUM(summa)*1.2" << money << "#0.00" << "36,02";
    // Ten times 0.1 is exactly 1 (binary floating point gives 0.9999999999999999).
    QList<QStringList> tenths;
    for (int i = 0; i < 10; ++i)
        tenths << QStringList{"0.1", "0", "0", "1"};
    QTest::newRow("exact sum of tenths") << "SUM(summa)" << tenths << "#0.000" << "1,000";
    QTest::newRow("exact sum, general form") << "SUM(summa)" << tenths << "" << "1";
    QTest::newRow("sum of pieces") << "SUM(kolvo)" << money << "" << "9";
    QTest::newRow("finished products") << "IF(naimen=0,'Готовая продукция','Заготовки')"
                                       << QList<QStringList>{{"1", "0", "0", "1"}} << "" << "Готовая продукция";
    QTest::newRow("blanks") << "IF(naimen=0,'Готовая продукция','Заготовки')"
                            << QList<QStringList>{{"1", "1", "0", "1"}} << "" << "Заготовки";
    const QString colour = "if(color>0,if(color=1,' (грунт)',' (RAL: '+STR(color)+')'),' ')";
    QTest::newRow("colour 0") << colour << QList<QStringList>{{"1", "0", "0", "1"}} << "" << " ";
    QTest::newRow("colour 1") << colour << QList<QStringList>{{"1", "0", "1", "1"}} << "" << " (грунт)";
    QTest::newRow("colour 1013") << colour << QList<QStringList>{{"1", "0", "1013", "1"}} << "" << " (RAL: 1013)";
    QTest::newRow("colour NULL") << colour << QList<QStringList>{{"1", "0", "NULL", "1"}} << "" << " ";
    QTest::newRow("text joining") << "'№'+STR(kolvo)+' шт.'" << QList<QStringList>{{"1", "0", "0", "12"}} << ""
                                  << "№12 шт.";
    QTest::newRow("number sum, not joining") << "kolvo+color" << QList<QStringList>{{"1", "0", "2", "12"}} << ""
                                             << "14";
    QTest::newRow("NULL counts as 0 in a sum") << "0+kolvo+color" << QList<QStringList>{{"1", "0", "NULL", "5"}}
                                               << "" << "5";
    QTest::newRow("precedence") << "2+kolvo*3" << QList<QStringList>{{"1", "0", "0", "4"}} << "" << "14";
    QTest::newRow("parentheses and division") << "(2+kolvo)/4" << QList<QStringList>{{"1", "0", "0", "4"}} << ""
                                              << "1,5";
    QTest::newRow("comparison >") << "IF(kolvo>10,'много','мало')" << QList<QStringList>{{"1", "0", "0", "11"}}
                                  << "" << "много";
    QTest::newRow("text comparison") << "IF(naimen='x','да','нет')" << QList<QStringList>{{"1", "'x", "0", "1"}}
                                     << "" << "да";
    QTest::newRow("quote inside text") << "'it''s'" << QList<QStringList>{{"1", "0", "0", "1"}} << "" << "it's";
    QTest::newRow("dataset prefix") << "t_Report.kolvo" << QList<QStringList>{{"1", "0", "0", "7"}} << "" << "7";
    QTest::newRow("page number") << "PAGENUMBER" << QList<QStringList>{{"1", "0", "0", "7"}} << "" << "3";
    QTest::newRow("letter case of names") << "Sum(KOLVO)" << money << "#0" << "9";
}

void ReportEngineTest::expressions()
{
    QFETCH(QString, source);
    QFETCH(QList<QStringList>, rows);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    Expression e = Expression::parse(source);
    e.bind({"summa", "naimen", "color", "kolvo"});
    QVector<Value> row(4);
    for (const QStringList &r : rows) {
        for (int i = 0; i < 4; ++i)
            row[i] = cell(r[i]);
        e.accumulate({row.data(), 3});
    }
    QCOMPARE(FormatValue(e.evaluate({row.data(), 3}), mask), expected);
}

void ReportEngineTest::sumsResetPerGroup()
{
    Expression group = Expression::parse("SUM(summa)");
    Expression grand = Expression::parse("SUM(summa)");
    group.bind({"summa"});
    grand.bind({"summa"});
    const QList<QList<QString>> groups{{"1.10", "2.20"}, {"5"}, {"0.01", "0.02", "0.03"}};
    const QStringList expected{"3,30", "5,00", "0,06"};
    for (int g = 0; g < groups.size(); ++g) {
        for (const QString &v : groups[g]) {
            Value row = Value::number(*Decimal::fromText(v));
            group.accumulate({&row, 1});
            grand.accumulate({&row, 1});
        }
        QCOMPARE(FormatValue(group.evaluate({}), "#0.00"), expected[g]);
        group.reset();
    }
    QCOMPARE(FormatValue(grand.evaluate({}), "#0.00"), QString("8,36"));
}

void ReportEngineTest::masks_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("expected");
    QTest::newRow("#0.000 rounds half up") << "ru" << "1.0005" << "#0.000" << "1,001";
    QTest::newRow("#0.000 rounds down") << "ru" << "1.00049" << "#0.000" << "1,000";
    QTest::newRow("#0.000 negative half away from zero") << "ru" << "-1.0005" << "#0.000" << "-1,001";
    QTest::newRow("#0.000 pads") << "ru" << "7" << "#0.000" << "7,000";
    QTest::newRow("#0.00 exact half cent") << "ru" << "2.675" << "#0.00" << "2,68";
    QTest::newRow("#0.00 leading zero") << "ru" << "0.5" << "#0.00" << "0,50";
    QTest::newRow("#0.00 no thousands separator") << "ru" << "1234567.891" << "#0.00" << "1234567,89";
    QTest::newRow("#0 rounds") << "ru" << "2.5" << "#0" << "3";
    QTest::newRow("#0 zero") << "ru" << "0.4" << "#0" << "0";
    QTest::newRow("#0 small negative is 0") << "ru" << "-0.4" << "#0" << "0";
    QTest::newRow("general drops zeros") << "ru" << "12.500000" << "" << "12,5";
    QTest::newRow("general whole") << "ru" << "120" << "" << "120";
    QTest::newRow("C locale point") << "C" << "1.0005" << "#0.000" << "1.001";
    QTest::newRow("C locale general") << "C" << "12.50" << "" << "12.5";
    QTest::newRow("mask on NULL prints nothing") << "ru" << "NULL" << "#0.00" << "";
}

void ReportEngineTest::masks()
{
    QFETCH(QString, locale);
    QFETCH(QString, value);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    QLocale::setDefault(locale == "ru" ? QLocale(QLocale::Russian, QLocale::Russia) : QLocale::c());
    QCOMPARE(FormatValue(cell(value), mask), expected);
}

void ReportEngineTest::malformedExpressions_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("message");
    QTest::newRow("unclosed call") << "IF(naimen=0,'a','b'" << "выражение оборвано";
    QTest::newRow("missing argument") << "IF(naimen=0,'a')" << "ожидался знак «,»";
    QTest::newRow("two operators") << "summa +* 2" << "неожиданный знак «*»";
    QTest::newRow("unclosed text") << "'abc" << "текст не закрыт";
    QTest::newRow("unknown function") << "ROUND(summa)" << "неизвестная функция «ROUND»";
    QTest::newRow("sum of a sum") << "SUM(SUM(summa))" << "SUM внутри SUM";
    QTest::newRow("trailing text") << "summa summa" << "лишний знак";
    QTest::newRow("empty") << "  " << "Пустое выражение";
}

void ReportEngineTest::malformedExpressions()
{
    QFETCH(QString, source);
    QFETCH(QString, message);
    // The fault shows when the layout is built, before any row is read.
    Layout l;
    l.detail.add(expr(0, 50, source));
    try {
        l.compile();
        QFAIL("no error");
    } catch (const ReportError &e) {
        QVERIFY2(e.text().contains(message), qPrintable(e.text()));
        if (!source.trimmed().isEmpty())
            QVERIFY2(e.text().contains(source), qPrintable(e.text())); // names the expression
    }
}

void ReportEngineTest::unknownFieldIsNamed()
{
    Layout l;
    l.detail.add(expr(0, 50, "SUM(sumaa)*1.2"));
    l.compile();
    Dataset q(DataModule6->ADO_DB, "q", "select 1::numeric as summa");
    q.open();
    try {
        Prepare(l, q);
        QFAIL("no error");
    } catch (const ReportError &e) {
        QVERIFY2(e.text().contains("sumaa"), qPrintable(e.text()));
    }
}

// Groups of n rows each over many pages: every page's last band before the
// footer is a detail line or a group footer, never a group header.
void ReportEngineTest::groupHeaderNeverAloneAtPageFoot_data()
{
    QTest::addColumn<int>("perGroup");
    for (int n : {1, 2, 3, 5, 7})
        QTest::newRow(qPrintable(QString("%1 rows a group").arg(n))) << n;
}

void ReportEngineTest::groupHeaderNeverAloneAtPageFoot()
{
    QFETCH(int, perGroup);
    Layout l;
    Group g;
    g.breakExpr = "grp";
    g.header = Band("header", 7);
    g.header.add(expr(0, 100, "'G:'+STR(grp)"));
    Band footer("footer", 5);
    footer.add(expr(0, 100, "'F:'+STR(SUM(v))").resets());
    g.footer = footer;
    l.groups.append(g);
    l.detail = Band("detail", 4.5);
    l.detail.add(expr(0, 100, "'D:'+STR(v)"));
    Band pf("pageFooter", 6);
    pf.add(expr(0, 50, "'P:'+STR(PAGENUMBER)"));
    l.pageFooter = pf;
    l.compile();

    Dataset q(DataModule6->ADO_DB, "q",
              "select (i / :n::integer) as grp, i as v from generate_series(0, 299) i order by i");
    q.setParam("n", perGroup);
    q.open();
    const Prepared p = Prepare(l, q);
    QVERIFY(p.pages.size() > 3);
    int details = 0, headers = 0;
    for (int i = 0; i < p.pages.size(); ++i) {
        QStringList t = p.texts(i);
        QCOMPARE(t.last(), QString("P:%1").arg(i + 1));
        t.removeLast();
        QVERIFY2(!t.last().startsWith("G:"), qPrintable(QString("page %1 ends with %2").arg(i + 1).arg(t.last())));
        for (const QString &s : t) {
            details += s.startsWith("D:");
            headers += s.startsWith("G:");
        }
    }
    QCOMPARE(details, 300);
    QCOMPARE(headers, (300 + perGroup - 1) / perGroup);
}

void ReportEngineTest::emptyQueryStillGivesAPage()
{
    Layout l;
    Group heading;
    heading.header = Band("heading", 6);
    heading.header.add(label(0, 100, "Заголовок"));
    Band total("total", 6);
    total.add(label(0, 30, "Итого:"));
    total.add(expr(30, 30, "SUM(v)").masked("#0.00"));
    heading.footer = total;
    l.groups.append(heading);
    Group g;
    g.breakExpr = "v";
    g.header = Band("header", 6);
    g.header.add(field(0, 30, "v"));
    l.groups.append(g);
    l.detail.add(field(0, 30, "v"));
    l.pageFooter = Band("pf", 6);
    l.pageFooter->add(pageNumber(176, 14));
    l.compile();
    Dataset q(DataModule6->ADO_DB, "q", "select 1 as v where false");
    q.open();
    const Prepared p = Prepare(l, q);
    QCOMPARE(p.pages.size(), 1);
    QCOMPARE(p.texts(0), (QStringList{"Заголовок", "Итого:", "0,00", "1"}));
}

// Sums of numeric text: the grand total is the exact sum of the rows, equal
// to the sum of the printed group totals.
void ReportEngineTest::grandTotalEqualsSumOfGroupTotals()
{
    Layout l;
    Group all;
    all.header = Band("h", 5);
    Band total("total", 5);
    total.add(expr(0, 50, "SUM(summa)").masked("#0.00"));
    all.footer = total;
    l.groups.append(all);
    Group g;
    g.breakExpr = "grp";
    g.header = Band("gh", 5);
    Band gf("gf", 5);
    gf.add(expr(0, 50, "SUM(summa)").masked("#0.00").resets());
    g.footer = gf;
    l.groups.append(g);
    l.detail = Band("d", 0);
    l.compile();
    // 3000 rows of 0.01 .. in 30 groups: each group total is a whole number
    // of cents, so the printed totals add up exactly.
    Dataset q(DataModule6->ADO_DB, "q",
              "select i / 100 as grp, (0.01 + (i % 7) * 0.1)::numeric(10,2) as summa "
              "from generate_series(0, 2999) i order by i");
    q.open();
    const Prepared p = Prepare(l, q);
    QStringList texts;
    for (int i = 0; i < p.pages.size(); ++i)
        texts << p.texts(i);
    QCOMPARE(texts.size(), 31);
    Decimal sum;
    for (int i = 0; i < 30; ++i)
        sum += *Decimal::fromText(texts[i]);
    QCOMPARE(texts.last(), sum.fixed(2, u','));
    const QString exact = TestDb::scalar("select sum((0.01 + (i % 7) * 0.1)::numeric(10,2)) "
                                         "from generate_series(0, 2999) i").toString();
    QCOMPARE(texts.last(), Decimal::fromText(exact)->fixed(2, u','));
}

// 600 numbered lines with a page number under each page.
static Prepared numberedLines(QPageLayout::Orientation orientation)
{
    Layout l;
    l.orientation = orientation;
    l.detail = Band("detail", 5);
    l.detail.add(expr(0, 100, "'D:'+STR(v)"));
    l.pageFooter = Band("pf", 6);
    l.pageFooter->add(pageNumber(150, 14));
    l.compile();
    Dataset q(DataModule6->ADO_DB, "q", "select i as v from generate_series(1, 600) i order by i");
    q.open();
    return Prepare(l, q);
}

// A long report opens on its first page having painted only what is in
// view; going to a page paints that page, and its number is shown.
void ReportEngineTest::previewPaintsPagesAsTheyAreShown()
{
    const Prepared p = numberedLines(QPageLayout::Portrait);
    QVERIFY(p.pages.size() > 10);
    PreviewDialog dlg(p, {"Проба", "Проба", false});
    QSignalSpy painted(&dlg, &PreviewDialog::pagePainted);
    dlg.resize(900, 700);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.grab();
    QCOMPARE(dlg.pageCount(), int(p.pages.size()));
    QCOMPARE(dlg.currentPage(), 1);
    QVERIFY(!painted.isEmpty());
    QCOMPARE(painted.first().first().toInt(), 1);
    QVERIFY2(dlg.paintedPages() <= 2, qPrintable(QString::number(dlg.paintedPages())));
    auto *field = dlg.findChild<QLineEdit *>("PageNumber");
    QVERIFY(field);
    QCOMPARE(field->text(), QString("1"));

    const int last = dlg.pageCount();
    for (const auto &[action, page] : {std::pair{"lastPageAction", last}, std::pair{"prevPageAction", last - 1},
                                       std::pair{"firstPageAction", 1}, std::pair{"nextPageAction", 2}}) {
        painted.clear();
        dlg.findChild<QAction *>(action)->trigger();
        dlg.grab();
        QCOMPARE(dlg.currentPage(), page);
        QCOMPARE(field->text(), QString::number(page));
        QList<int> pages;
        for (const QList<QVariant> &args : painted)
            pages << args.first().toInt();
        QVERIFY2(pages.contains(page) || dlg.paintedPages() <= 6, qPrintable(action));
    }
    // The page typed into the field.
    field->setText(QString::number(last / 2));
    emit field->editingFinished();
    dlg.grab();
    QCOMPARE(dlg.currentPage(), last / 2);
    QVERIFY2(dlg.paintedPages() <= 8, qPrintable(QString::number(dlg.paintedPages())));
}

void ReportEngineTest::previewZoomModes_data()
{
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<bool>("wholePage");
    QTest::newRow("portrait, page width") << false << false;
    QTest::newRow("portrait, whole page") << false << true;
    QTest::newRow("landscape, page width") << true << false;
    QTest::newRow("landscape, whole page") << true << true;
}

// Page width: the paper fills the view's width; whole page: all of the page
// is in view. Through the toolbar as through the options.
void ReportEngineTest::previewZoomModes()
{
    QFETCH(bool, landscape);
    QFETCH(bool, wholePage);
    const Prepared p = numberedLines(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    PreviewDialog dlg(p, {"Проба", "Проба", wholePage});
    dlg.resize(1000, 700);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const QSize view = dlg.findChild<QScrollArea *>("PreviewArea")->viewport()->size();
    const double paperW = landscape ? 297 : 210, paperH = landscape ? 210 : 297;
    auto check = [&](bool whole) {
        QCOMPARE(dlg.zoomMode(), whole ? PreviewDialog::FitInView : PreviewDialog::FitToWidth);
        const double w = paperW * dlg.zoom(), h = paperH * dlg.zoom();
        const QString why = QString("%1x%2 in %3x%4").arg(w).arg(h).arg(view.width()).arg(view.height());
        QVERIFY2(w <= view.width(), qPrintable(why));
        if (whole)
            QVERIFY2(h <= view.height() && (h > view.height() - 40 || w > view.width() - 40), qPrintable(why));
        else
            QVERIFY2(w > view.width() - 40, qPrintable(why));
    };
    check(wholePage);
    dlg.findChild<QAction *>(wholePage ? "fitWidthAction" : "fitPageAction")->trigger();
    check(!wholePage);
    const double before = dlg.zoom();
    dlg.findChild<QAction *>("zoomInAction")->trigger();
    QVERIFY(dlg.zoom() > before);
    QCOMPARE(dlg.zoomMode(), PreviewDialog::CustomZoom);
}

QTEST_MAIN(ReportEngineTest)
#include "test_report_engine.moc"
