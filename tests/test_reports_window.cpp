// The reports window: the period it opens with, the four report buttons
// with their titles and product-kind filter (previewed pages read back from
// PDF), the preview's "Сохранить в PDF", the spreadsheet by nomenclature
// group read back with openpyxl, and the role restrictions at work.
#include "app/Unit23.h"
#include "data/Unit6.h"
#include "journal/Unit1.h"
#include "report_shop.h"
#include "reports/Unit16.h"
#include "reports/Unit17.h"
#include "reports/Unit18.h"
#include "reports/Unit20.h"
#include "reports/Unit21.h"
#include "reports/engine/Preview.h"
#include "export/XlsExport.h"
#include "support/PdfText.h"
#include "support/TestDb.h"
#include "support/XlsxRead.h"
#include "ui/Msg.h"

#include <QAction>
#include <QDateEdit>
#include <QDir>
#include <QGroupBox>
#include <QLocale>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

class ReportsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void openingPeriodAndTitle_data();
    void openingPeriodAndTitle();
    void previewWindowAndSaveToPdf();
    void emptyPeriods_data();
    void emptyPeriods();
    void productKind_data();
    void productKind();
    void exportByNomenclatureGroup();
    void exportWithNothingSelected();
    void rolesKeepTheirRestrictions();

private:
    // Presses a report button; returns the previewed pages' lines.
    QStringList preview(QPushButton *button);
    QTemporaryDir m_dir;
    QList<QDialog *> m_shown;
    QString m_pdf;
    int m_previews = 0;
    std::function<void(Report::PreviewDialog *)> m_onPreview;
};

void ReportsWindowTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    TestDb::fresh();
    auto *f1 = new TForm1();
    f1->Timer1->stop();
    new TForm23();
    new TForm18();
    new TForm21();
    new TForm16();
    new TForm17();
    new TForm20();
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}

void ReportsWindowTest::init()
{
    TestDb::fresh();
    reportShop();
    Msg::setRecording(true);
    Msg::clearShown();
    for (QWidget *w : std::initializer_list<QWidget *>{Form18->Button1, Form18->Button2, Form18->Button3,
                                                      Form18->Button4, Form18->Button6, Form18->RadioGroup1})
        w->setEnabled(true);
    for (QRadioButton *b : Form18->RadioGroup1Items)
        b->setEnabled(true);
    Form18->SetRadioGroup1ItemIndex(0);
    Form18->DTPicker1->setDate(QDate(2026, 2, 1));
    Form18->DTPicker2->setDate(QDate(2026, 3, 1));
    m_shown.clear();
    m_previews = 0;
    m_onPreview = {};
    m_pdf = m_dir.filePath("preview.pdf");
    QFile::remove(m_pdf);
    // A preview is painted into a PDF instead of being shown.
    Modal::setHandler([this](QDialog *d) {
        m_shown.append(d);
        if (auto *p = qobject_cast<Report::PreviewDialog *>(d)) {
            ++m_previews;
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(m_pdf);
            p->printTo(&printer);
            if (m_onPreview)
                m_onPreview(p);
        }
        return int(QDialog::Rejected);
    });
    XlsExport::setFolder(m_dir.path());
    XlsExport::setOpener([](const QString &) { return true; });
}

void ReportsWindowTest::cleanup()
{
    Modal::setHandler({});
    Report::setSaveChooser({});
    XlsExport::setFolder({});
    XlsExport::setOpener({});
    for (const QString &f : QDir(m_dir.path()).entryList({"*.xlsx"}))
        QFile::remove(m_dir.filePath(f));
}

QStringList ReportsWindowTest::preview(QPushButton *button)
{
    const int before = m_previews;
    button->click();
    if (m_previews != before + 1)
        return {"<no preview>"};
    return PdfText::lines(PdfText::text(m_pdf));
}

static bool containsInOrder(const QStringList &lines, const QStringList &expected, QString *why)
{
    int at = 0;
    for (const QString &e : expected) {
        while (at < lines.size() && lines[at] != e)
            ++at;
        if (at == lines.size()) {
            *why = QString("missing or out of order: '%1'\n--- pages:\n%2").arg(e, lines.join('\n'));
            return false;
        }
        ++at;
    }
    return true;
}

#define EXPECT_LINES(lines, ...)                                                                                  \
    do {                                                                                                          \
        QString why;                                                                                              \
        QVERIFY2(containsInOrder(lines, __VA_ARGS__, &why), qPrintable(why));                                     \
    } while (0)

// "Сводные отчеты" opened on a day of March covers February without 1 March;
// opened in January, December of the year before.
void ReportsWindowTest::openingPeriodAndTitle_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("total");
    QTest::newRow("March") << QDate(2026, 3, 15)
                           << "Детальный отчет по рабочим за период с 01.02.2026 по 01.03.2026"
                           << "Итого: 1 24 233,52";
    QTest::newRow("January") << QDate(2026, 1, 10)
                             << "Детальный отчет по рабочим за период с 01.12.2025 по 01.01.2026"
                             << "Итого: 0 7 87,50";
}

void ReportsWindowTest::openingPeriodAndTitle()
{
    QFETCH(QDate, today);
    QFETCH(QString, title);
    QFETCH(QString, total);
    TestDb::exec("insert into accounts_dep.smena (w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok) "
                 "values (102, 2001, 301, 7, 0, '2025-12-01', 1, 12.5, 0, 8, 'ok'), "
                 "(102, 2001, 301, 11, 0, '2026-01-01', 1, 12.5, 0, 8, 'ok')");
    Form1->FixedToday = today;
    Form1->N_Summary->trigger();
    QCOMPARE(m_shown.value(0), static_cast<QDialog *>(Form18));
    const QStringList lines = preview(Form18->Button1);
    EXPECT_LINES(lines, {title, total});
    QVERIFY(!Form20->w_Report.isOpen()); // closed after the preview
}

void ReportsWindowTest::previewWindowAndSaveToPdf()
{
    QString proposed;
    const QString saved = m_dir.filePath("сохранено.pdf");
    Report::setSaveChooser([&](QWidget *, const QString &p) {
        proposed = p;
        return saved;
    });
    bool maximised = false, fitWidth = false;
    QString buttonText;
    m_onPreview = [&](Report::PreviewDialog *dlg) {
        maximised = dlg->windowState() & Qt::WindowMaximized;
        fitWidth = dlg->zoomMode() == Report::PreviewDialog::FitToWidth;
        auto *save = dlg->findChild<QAction *>("SavePdf");
        QVERIFY(save);
        QVERIFY(dlg->findChild<QToolBar *>()->actions().contains(save));
        buttonText = save->text();
        save->trigger();
    };
    preview(Form18->Button4);
    QVERIFY(maximised);
    QVERIFY(fitWidth);
    QCOMPARE(buttonText, QString("Сохранить в PDF"));
    QCOMPARE(QFileInfo(proposed).fileName(), QString("Отчет по рабочим 01.02.2026-01.03.2026.pdf"));
    EXPECT_LINES(PdfText::lines(PdfText::text(saved)),
                 {"Отчет по рабочим за период с 01.02.2026 по 01.03.2026", "Итого: 233,52 280,22"});
    QVERIFY(Msg::shown().isEmpty());

    // A file that cannot be written is reported, not taken for saved.
    Report::setSaveChooser([&](QWidget *, const QString &) { return m_dir.filePath("нет/такой/папки/о.pdf"); });
    preview(Form18->Button4);
    QCOMPARE(Msg::shown().size(), 1);
    QVERIFY2(Msg::shown()[0].text.contains("Не удалось сохранить"), qPrintable(Msg::shown()[0].text));
}

void ReportsWindowTest::emptyPeriods_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::newRow("same day") << QDate(2026, 2, 2) << QDate(2026, 2, 2);
    QTest::newRow("start after end") << QDate(2026, 2, 28) << QDate(2026, 2, 1);
}

void ReportsWindowTest::emptyPeriods()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    Form18->DTPicker1->setDate(from);
    Form18->DTPicker2->setDate(to);
    const QStringList lines = preview(Form18->Button4);
    QCOMPARE(PdfText::pages(m_pdf), 1);
    EXPECT_LINES(lines, {QString("Отчет по рабочим за период с %1 по %2")
                             .arg(from.toString("dd.MM.yyyy"), to.toString("dd.MM.yyyy")),
                         "Итого: 0,00 0,00"});
}

void ReportsWindowTest::productKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("absent");
    QTest::newRow("Все") << 0 << QStringList{"Готовая продукция Сборка 3,75 3", "Заготовки Покраска (грунт) 2 4",
                                             "Итого: 14 23"} << "";
    QTest::newRow("Готовая продукция") << 1 << QStringList{"Готовая продукция Сборка 7 14", "Итого: 11 17"}
                                       << "Заготовки";
    QTest::newRow("Заготовки") << 2 << QStringList{"Заготовки Покраска (RAL: 1013) 1 2", "Итого: 3 6"}
                               << "Готовая продукция";
}

void ReportsWindowTest::productKind()
{
    QFETCH(int, kind);
    QFETCH(QStringList, expected);
    QFETCH(QString, absent);
    Form18->RadioGroup1Items[kind]->click();
    const QStringList lines = preview(Form18->Button2);
    EXPECT_LINES(lines, expected);
    if (!absent.isEmpty())
        QVERIFY(!lines.join('\n').contains(absent));
}

void ReportsWindowTest::exportByNomenclatureGroup()
{
    Form18->Button6->click();
    QCOMPARE(Form18->Button6->text(), QString("Excel (4 из 4)"));
    QVERIFY(!Form18->XLS_Rep.isOpen());
    const QStringList files = QDir(m_dir.path()).entryList({"*.xlsx"});
    QCOMPARE(files.size(), 1);
    const XlsxRead::Book b = XlsxRead::read(m_dir.filePath(files[0]));
    QVERIFY2(b.ok, qPrintable(b.error));
    const XlsxRead::Sheet &s = b.sheets[0];
    const QStringList heading{"Наименование", "Операция", "Вид продукции", "Коробки", "Кол-во"};
    for (int c = 1; c <= 5; ++c)
        QCOMPARE(s.at(1, c).value.toString(), heading[c - 1]);
    struct Row {
        QString nom, vid, kind;
        double mass, kolvo;
    };
    const QList<Row> rows{{"Столы", "Сборка", "Готовая продукция", 3.75, 3},
                          {"Стулья", "Покраска (грунт)", "Заготовки", 2, 4},
                          {"Стулья", "Покраска (цвет: 1013)", "Заготовки", 1, 2},
                          {"Стулья", "Сборка", "Готовая продукция", 7, 14}};
    for (int r = 0; r < rows.size(); ++r) {
        QCOMPARE(s.at(r + 2, 1).value.toString(), rows[r].nom);
        QCOMPARE(s.at(r + 2, 2).value.toString(), rows[r].vid);
        QCOMPARE(s.at(r + 2, 3).value.toString(), rows[r].kind);
        QVERIFY(s.at(r + 2, 4).number);
        QCOMPARE(s.at(r + 2, 4).value.toDouble(), rows[r].mass);
        QVERIFY(s.at(r + 2, 5).number);
        QCOMPARE(s.at(r + 2, 5).value.toDouble(), rows[r].kolvo);
    }
    QCOMPARE(s.cells.size(), 5 * 5);
}

void ReportsWindowTest::exportWithNothingSelected()
{
    // From 10 February only finished products were made.
    Form18->DTPicker1->setDate(QDate(2026, 2, 10));
    Form18->RadioGroup1Items[2]->click();
    Form18->Button6->click();
    QCOMPARE(Form18->Button6->text(), QString("Excel (0 из 0)"));
    const QStringList files = QDir(m_dir.path()).entryList({"*.xlsx"});
    QCOMPARE(files.size(), 1);
    const XlsxRead::Book b = XlsxRead::read(m_dir.filePath(files[0]));
    QVERIFY2(b.ok, qPrintable(b.error));
    QCOMPARE(b.sheets[0].cells.size(), 5); // the heading row only
    QCOMPARE(b.sheets[0].at(1, 5).value.toString(), QString("Кол-во"));
}

void ReportsWindowTest::rolesKeepTheirRestrictions()
{
    TForm23::ApplyRole(Role::Storekeeper);
    for (QPushButton *b : {Form18->Button1, Form18->Button2, Form18->Button4, Form18->Button6})
        QVERIFY(!b->isEnabled());
    QVERIFY(Form18->Button3->isEnabled());
    QVERIFY(!Form18->RadioGroup1->isEnabled());
    QCOMPARE(Form18->RadioGroup1ItemIndex(), 1);
    // The one report left prints finished products only.
    const QStringList lines = preview(Form18->Button3);
    EXPECT_LINES(lines, {"Детальный отчет по продукции за период с 01.02.2026 по 01.03.2026",
                         "СТ-101 Сборка 0 Готовая продукция 1 7,5 15 175,000", "Итого: 1 11,25 18 205,02"});
    QVERIFY(!lines.join('\n').contains("Заготовки"));
}

QTEST_MAIN(ReportsWindowTest)
#include "test_reports_window.moc"
