// The spreadsheet export facility against real files, read back by openpyxl.
#include "export/SheetWriter.h"
#include "export/XlsExport.h"
#include "ui/Text.h"
#include "support/XlsxRead.h"
#include "ui/Msg.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class ExportTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void cellValues_data();
    void cellValues();
    void formatAndFontStayWithTheCell();
    void fittedWidths();
    void sheetsAndWriteFailures();
    void startFailures_data();
    void startFailures();
    void defaultFolder_data();
    void defaultFolder();
    void showSavesUnderAUniqueNameAndOpens();
    void showTellsWhereTheFileIsWhenNothingOpensIt();
    void showReportsAFailedSave();
    void unfinishedWorkbookIsDropped();
    void numberText_data();
    void numberText();
    void typedNumbers_data();
    void typedNumbers();
    void sheetLoopCellsWidthsAndProgress();

private:
    XlsxRead::Book finishAndRead(XlsExport &x);
    QTemporaryDir *m_dir = nullptr;
    QStringList m_opened;
};

void ExportTest::init()
{
    Msg::setRecording(true);
    Msg::clearShown();
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    m_dir = new QTemporaryDir();
    QVERIFY(m_dir->isValid());
    XlsExport::setFolder(m_dir->path());
    m_opened.clear();
    XlsExport::setOpener([this](const QString &path) {
        m_opened << path;
        return true;
    });
}

void ExportTest::cleanup()
{
    XlsExport::setFolder({});
    XlsExport::setOpener({});
    QLocale::setDefault(QLocale::c());
    delete m_dir;
    m_dir = nullptr;
}

XlsxRead::Book ExportTest::finishAndRead(XlsExport &x)
{
    if (!x.show())
        return {};
    return XlsxRead::read(x.fileName());
}

// Text written into one cell -> what the spreadsheet holds.
void ExportTest::cellValues_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("textFormat");
    QTest::addColumn<bool>("present");
    QTest::addColumn<bool>("number");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("ru decimal comma: number") << "ru" << "12,5" << false << true << true << QVariant(12.5);
    QTest::newRow("ru text format: text") << "ru" << "12,5" << true << true << false << QVariant("12,5");
    QTest::newRow("ru point is no separator") << "ru" << "12.5" << false << true << false << QVariant("12.5");
    QTest::newRow("C point: number") << "C" << "12.5" << false << true << true << QVariant(12.5);
    QTest::newRow("negative whole") << "ru" << "-3" << false << true << true << QVariant(-3.0);
    QTest::newRow("zero") << "ru" << "0" << false << true << true << QVariant(0.0);
    QTest::newRow("leading zeros as typed") << "ru" << "0012" << false << true << true << QVariant(12.0);
    QTest::newRow("leading zeros kept as text") << "ru" << "0012" << true << true << false << QVariant("0012");
    QTest::newRow("exponent") << "ru" << "1,5E3" << false << true << true << QVariant(1500.0);
    QTest::newRow("mark with letters") << "ru" << "СТ-1 белый" << false << true << false << QVariant("СТ-1 белый");
    QTest::newRow("formula-like text stays text") << "ru" << "=1+2" << false << true << false << QVariant("=1+2");
    QTest::newRow("blank before digits") << "ru" << " 12" << false << true << false << QVariant(" 12");
    QTest::newRow("only blanks") << "ru" << "  " << false << true << false << QVariant("  ");
    QTest::newRow("empty writes nothing") << "ru" << "" << false << false << false << QVariant();
    QTest::newRow("empty with text format") << "ru" << "" << true << false << false << QVariant();
}

void ExportTest::cellValues()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(bool, textFormat);
    QFETCH(bool, present);
    QFETCH(bool, number);
    QFETCH(QVariant, value);
    QLocale::setDefault(locale == "ru" ? QLocale(QLocale::Russian, QLocale::Russia) : QLocale::c());

    XlsExport x;
    QVERIFY(x.start("Проверка"));
    QVERIFY(x.writeCell(1, 2, 3, text, textFormat, false, false));
    const XlsxRead::Book b = finishAndRead(x);
    QVERIFY2(b.ok, qPrintable(b.error));
    QVERIFY(Msg::shown().isEmpty());
    QCOMPARE(b.sheets.size(), 1);
    const XlsxRead::Sheet &s = b.sheets[0];
    QCOMPARE(s.has(3, 2), present);
    QCOMPARE(s.cells.size(), present ? 1 : 0);
    if (!present)
        return;
    const XlsxRead::Cell c = s.at(3, 2);
    QCOMPARE(c.number, number);
    if (number)
        QCOMPARE(c.value.toDouble(), value.toDouble());
    else
        QCOMPARE(c.value.toString(), value.toString());
    QCOMPARE(c.format, textFormat ? QString("@") : QString("General"));
    QVERIFY(!c.bold);
}

void ExportTest::formatAndFontStayWithTheCell()
{
    XlsExport x;
    QVERIFY(x.start());
    // Bold on, then off.
    QVERIFY(x.writeCell(1, 1, 1, "Итого", false, false, true));
    QVERIFY(x.writeCell(1, 1, 2, "Иванов", false, false, true));
    QVERIFY(x.writeCell(1, 1, 2, "Иванов", false, false, false));
    // A plain write leaves the font as it is.
    QVERIFY(x.writeCell(1, 2, 1, "1", false, false, true));
    QVERIFY(x.writeValue(1, 2, 1, "2"));
    // A cell once given text format keeps it: a later plain write stays text.
    QVERIFY(x.writeCell(1, 3, 1, "007", true, false, false));
    QVERIFY(x.writeValue(1, 3, 1, "008"));
    // Text format and bold together.
    QVERIFY(x.writeCell(1, 4, 1, "15", true, false, true));
    const XlsxRead::Book b = finishAndRead(x);
    QVERIFY2(b.ok, qPrintable(b.error));
    const XlsxRead::Sheet &s = b.sheets[0];
    QVERIFY(s.at(1, 1).bold);
    QVERIFY(!s.at(2, 1).bold);
    QVERIFY(s.at(1, 2).bold);
    QVERIFY(s.at(1, 2).number);
    QCOMPARE(s.at(1, 2).value.toDouble(), 2.0);
    QVERIFY(!s.at(1, 3).number);
    QCOMPARE(s.at(1, 3).value.toString(), QString("008"));
    QCOMPARE(s.at(1, 3).format, QString("@"));
    QVERIFY(s.at(1, 4).bold);
    QVERIFY(!s.at(1, 4).number);
    QCOMPARE(s.at(1, 4).format, QString("@"));
    QVERIFY(Msg::shown().isEmpty());
}

void ExportTest::fittedWidths()
{
    XlsExport x;
    QVERIFY(x.start());
    const QString longName = "Константинопольский К.К."; // 24 characters
    // A: fitted to its longest text, whatever the order of writing.
    QVERIFY(x.writeCell(1, 1, 1, "Фамилия И.О.", false, true, false));
    QVERIFY(x.writeCell(1, 1, 2, longName, false, true, false));
    QVERIFY(x.writeCell(1, 1, 3, "Ли", false, true, false));
    // B: never fitted.
    QVERIFY(x.writeCell(1, 2, 1, longName, false, false, false));
    // C: fitted while short; a longer text written later without fitting
    // does not widen it.
    QVERIFY(x.writeCell(1, 3, 1, "12", false, true, false));
    QVERIFY(x.writeCell(1, 3, 2, longName, false, false, false));
    // D: bold text needs more room than the same text plain (column A).
    QVERIFY(x.writeCell(1, 4, 1, longName, false, true, true));
    const XlsxRead::Book b = finishAndRead(x);
    QVERIFY2(b.ok, qPrintable(b.error));
    const XlsxRead::Sheet &s = b.sheets[0];
    QVERIFY(s.widths.contains("A"));
    const double a = s.widths["A"];
    QVERIFY2(a >= longName.size() && a <= longName.size() + 3, qPrintable(QString::number(a)));
    QVERIFY(!s.widths.contains("B"));
    QVERIFY(s.widths.contains("C"));
    QVERIFY2(s.widths["C"] >= 2 && s.widths["C"] <= 5, qPrintable(QString::number(s.widths["C"])));
    QVERIFY(s.widths["D"] > a);
}

void ExportTest::sheetsAndWriteFailures()
{
    XlsExport x;
    QVERIFY(x.start());
    // Sheets come into being as they are written to.
    QVERIFY(x.writeCell(3, 1, 1, "на третьем", false, false, false));
    // A sheet that cannot be had.
    QVERIFY(!x.writeCell(0, 1, 1, "x", false, false, false));
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(Msg::shown()[0].text, QString("Ошибка при записи: лист 0, столбец 1, строка 1"));
    QCOMPARE(Msg::shown()[0].caption, QString("Ошибочный номер листа Microsoft Excel"));
    QVERIFY(Msg::shown()[0].icon == Msg::Icon::Error);
    // Other failures: a cell outside the sheet, a text too long for a cell.
    Msg::clearShown();
    QVERIFY(!x.writeCell(1, 2, 0, "x", false, false, false));
    QVERIFY(!x.writeCell(1, 16385, 5, "x", false, false, false));
    QVERIFY(!x.writeValue(1, 1, 7, QString(40000, u'я')));
    QCOMPARE(Msg::shown().size(), 3);
    QCOMPARE(Msg::shown()[0].text, QString("Ошибка при записи: лист 1, столбец 2, строка 0"));
    QCOMPARE(Msg::shown()[1].text, QString("Ошибка при записи: лист 1, столбец 16385, строка 5"));
    QCOMPARE(Msg::shown()[2].text, QString("Ошибка при записи: лист 1, столбец 1, строка 7"));
    for (const auto &m : Msg::shown())
        QCOMPARE(m.caption, QString("Ошибка Microsoft Excel"));
    // The export goes on with the next cell.
    QVERIFY(x.writeValue(1, 1, 8, "дальше"));
    const XlsxRead::Book b = finishAndRead(x);
    QVERIFY2(b.ok, qPrintable(b.error));
    QCOMPARE(b.sheets.size(), 3);
    QCOMPARE(b.sheets[0].name, QString("Лист1"));
    QCOMPARE(b.sheets[2].name, QString("Лист3"));
    QCOMPARE(b.sheets[2].at(1, 1).value.toString(), QString("на третьем"));
    QCOMPARE(b.sheets[0].cells.size(), 1);
    QCOMPARE(b.sheets[0].at(8, 1).value.toString(), QString("дальше"));
    // A write after the workbook was shown has no sheet to go to.
    Msg::clearShown();
    QVERIFY(!x.writeValue(1, 1, 1, "поздно"));
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(Msg::shown()[0].caption, QString("Ошибочный номер листа Microsoft Excel"));
}

// Folder for the workbook -> messages of a failed start.
void ExportTest::startFailures_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("messages");
    // A folder that cannot be made: a file stands where it would be.
    QTest::newRow("no folder") << "FILE/sub"
                               << QStringList{"Невозможно открыть Microsoft Excel.",
                                              "Ошибка открытия файла Microsoft Excel."};
    // A folder in which no file can be created.
    QTest::newRow("no file") << "/proc" << QStringList{"Ошибка открытия файла Microsoft Excel."};
}

void ExportTest::startFailures()
{
    QFETCH(QString, folder);
    QFETCH(QStringList, messages);
    QFile blocker(m_dir->filePath("FILE"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    XlsExport::setFolder(folder.startsWith('/') ? folder : m_dir->filePath(folder));
    XlsExport x;
    QVERIFY(!x.start("Операции"));
    QVERIFY(!x.isStarted());
    QCOMPARE(Msg::shown().size(), messages.size());
    for (int i = 0; i < messages.size(); ++i) {
        QCOMPARE(Msg::shown()[i].text, messages[i]);
        QCOMPARE(Msg::shown()[i].caption, QString("Ошибка"));
        QVERIFY(Msg::shown()[i].icon == Msg::Icon::Error);
    }
    // Hiding and showing without a workbook do nothing.
    x.hide();
    QVERIFY(!x.show());
    QVERIFY(m_opened.isEmpty());
    QCOMPARE(Msg::shown().size(), messages.size());
}

// Whether the user has a documents folder -> where a workbook goes.
void ExportTest::defaultFolder_data()
{
    QTest::addColumn<bool>("documents");
    QTest::newRow("documents folder") << true;
    QTest::newRow("none: temporary folder") << false;
}

void ExportTest::defaultFolder()
{
    QFETCH(bool, documents);
    const QByteArray home = qgetenv("HOME"), tmp = qgetenv("TMPDIR"), config = qgetenv("XDG_CONFIG_HOME");
    QDir(m_dir->path()).mkpath("home");
    QDir(m_dir->path()).mkpath("tmp");
    if (documents)
        QDir(m_dir->path()).mkpath("home/Documents");
    qputenv("HOME", QFile::encodeName(m_dir->filePath("home")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath("home/.config")));
    qputenv("TMPDIR", QFile::encodeName(m_dir->filePath("tmp")));
    XlsExport::setFolder({});
    XlsExport x;
    const bool started = x.start("Табель");
    const bool shown = x.show();
    qputenv("HOME", home);
    tmp.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", tmp);
    config.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", config);
    QVERIFY(started);
    QVERIFY(shown);
    const QString expected = m_dir->filePath(documents ? "home/Documents" : "tmp");
    QCOMPARE(QFileInfo(x.fileName()).absolutePath(), QFileInfo(expected).absoluteFilePath());
    // No documents folder is made for the user.
    QCOMPARE(QFileInfo::exists(m_dir->filePath("home/Documents")), documents);
}

void ExportTest::showSavesUnderAUniqueNameAndOpens()
{
    XlsExport x, y;
    QVERIFY(x.start("Операции"));
    QVERIFY(!x.isVisible());
    QVERIFY(x.writeValue(1, 1, 1, "Марка"));
    // A second export started in the same second gets its own name.
    QVERIFY(y.start("Операции"));
    QVERIFY(y.fileName() != x.fileName());
    x.hide();
    QVERIFY(x.show());
    QVERIFY(x.isVisible());
    QVERIFY(y.show());
    QCOMPARE(m_opened, (QStringList{x.fileName(), y.fileName()}));
    for (const QString &f : m_opened) {
        QVERIFY(QFile::exists(f));
        QCOMPARE(QFileInfo(f).absolutePath(), QFileInfo(m_dir->path()).absoluteFilePath());
        QVERIFY(QFileInfo(f).fileName().startsWith("Операции "));
        QVERIFY(f.endsWith(".xlsx"));
    }
    // Only the two workbooks are left in the folder, no temporary files.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 2);
    const XlsxRead::Book b = XlsxRead::read(x.fileName());
    QVERIFY2(b.ok, qPrintable(b.error));
    QCOMPARE(b.sheets[0].at(1, 1).value.toString(), QString("Марка"));
    QVERIFY(XlsxRead::read(y.fileName()).ok);
    QVERIFY(Msg::shown().isEmpty());
    // Showing again does nothing: the workbook is complete.
    QVERIFY(!x.show());
    QCOMPARE(m_opened.size(), 2);
}

void ExportTest::showTellsWhereTheFileIsWhenNothingOpensIt()
{
    XlsExport::setOpener([](const QString &) { return false; });
    XlsExport x;
    QVERIFY(x.start("Табель"));
    QVERIFY(x.show());
    QVERIFY(QFile::exists(x.fileName()));
    QCOMPARE(Msg::shown().size(), 1);
    QVERIFY(Msg::shown()[0].icon == Msg::Icon::Information);
    QVERIFY(Msg::shown()[0].text.contains(QDir::toNativeSeparators(x.fileName())));
}

void ExportTest::showReportsAFailedSave()
{
    const QString folder = m_dir->filePath("gone");
    XlsExport::setFolder(folder);
    XlsExport x;
    QVERIFY(x.start());
    QVERIFY(x.writeValue(1, 1, 1, "1"));
    QVERIFY(QDir(folder).removeRecursively());
    QVERIFY(!x.show());
    QCOMPARE(Msg::shown().size(), 1);
    QCOMPARE(Msg::shown()[0].caption, QString("Ошибка"));
    QVERIFY(Msg::shown()[0].text.startsWith("Не удалось сохранить книгу в файл"));
    QVERIFY(m_opened.isEmpty());
    QVERIFY(!QFile::exists(x.fileName()));
}

void ExportTest::unfinishedWorkbookIsDropped()
{
    {
        XlsExport x;
        QVERIFY(x.start());
        QVERIFY(x.writeValue(1, 1, 1, "1"));
        // Starting anew drops the unfinished workbook...
        QVERIFY(x.start());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 1);
    }
    // ...and so does the end of the facility.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 0);
    QVERIFY(m_opened.isEmpty());
}

void ExportTest::numberText_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("half") << "ru" << 12.5 << "12,5";
    QTest::newRow("whole") << "ru" << 10.0 << "10";
    QTest::newRow("zero") << "ru" << 0.0 << "0";
    QTest::newRow("no group separators") << "ru" << 1234567.891 << "1234567,891";
    QTest::newRow("15 significant digits") << "ru" << 0.1 + 0.2 << "0,3";
    QTest::newRow("negative") << "ru" << -2.25 << "-2,25";
    QTest::newRow("C locale") << "C" << 12.5 << "12.5";
}

void ExportTest::numberText()
{
    QFETCH(QString, locale);
    QFETCH(double, value);
    QFETCH(QString, text);
    QLocale::setDefault(locale == "ru" ? QLocale(QLocale::Russian, QLocale::Russia) : QLocale::c());
    QCOMPARE(Text::Number(value), text);
    // What an export writes reads back as the same number.
    double back = 0;
    QVERIFY(XlsExport::typedNumber(text, &back));
    QCOMPARE(back, value);
}

// What a typed text reads as: a number (and which) or text.
void ExportTest::typedNumbers_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("number");
    QTest::addColumn<double>("value");
    QTest::newRow("comma") << "ru" << "12,5" << true << 12.5;
    QTest::newRow("only a fraction") << "ru" << ",5" << true << 0.5;
    QTest::newRow("trailing comma") << "ru" << "5," << true << 5.0;
    QTest::newRow("plus sign") << "ru" << "+3" << true << 3.0;
    QTest::newRow("negative fraction") << "ru" << "-0,25" << true << -0.25;
    QTest::newRow("exponent, sign") << "ru" << "1E-2" << true << 0.01;
    QTest::newRow("lower-case exponent") << "ru" << "2,5e2" << true << 250.0;
    QTest::newRow("C locale point") << "C" << "-7.75" << true << -7.75;
    QTest::newRow("comma alone") << "ru" << "," << false << 0.0;
    QTest::newRow("sign alone") << "ru" << "-" << false << 0.0;
    QTest::newRow("two signs") << "ru" << "--1" << false << 0.0;
    QTest::newRow("exponent without digits") << "ru" << "1e" << false << 0.0;
    QTest::newRow("exponent sign only") << "ru" << "1e+" << false << 0.0;
    QTest::newRow("exponent alone") << "ru" << "e5" << false << 0.0;
    QTest::newRow("two commas") << "ru" << "1,2,3" << false << 0.0;
    QTest::newRow("point in ru") << "ru" << "1.5" << false << 0.0;
    QTest::newRow("comma in C") << "C" << "1,5" << false << 0.0;
    QTest::newRow("trailing blank") << "ru" << "12 " << false << 0.0;
    QTest::newRow("trailing line break") << "ru" << "12\n" << false << 0.0;
    QTest::newRow("group separator") << "ru" << "1 000" << false << 0.0;
    QTest::newRow("other digits") << "ru" << QString::fromUtf8("\u0661\u0662") << false << 0.0;
    QTest::newRow("hexadecimal") << "C" << "0x10" << false << 0.0;
    QTest::newRow("infinity") << "C" << "inf" << false << 0.0;
    QTest::newRow("too large") << "ru" << "1e400" << false << 0.0;
}

void ExportTest::typedNumbers()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(bool, number);
    QFETCH(double, value);
    QLocale::setDefault(locale == "ru" ? QLocale(QLocale::Russian, QLocale::Russia) : QLocale::c());
    double got = -1;
    QCOMPARE(XlsExport::typedNumber(text, &got), number);
    if (number)
        QCOMPARE(got, value);
}

// The shared sheet loop: heading and records where they belong, with their
// formats and fitted widths; the progress from 0 to n, first and last
// record included, with the pending events processed while it runs.
void ExportTest::sheetLoopCellsWidthsAndProgress()
{
    const int n = 2000;
    XlsExport x;
    QVERIFY(x.start("Цикл"));
    const QList<SheetColumn> columns{
        {"Фамилия И.О.", [](int r) { return QString("Работник %1").arg(r + 1); }, true, true},
        {"", {}, false, false}, // an empty column keeps its place
        {"Сумма", [](int r) { return QString("%1,5").arg(r); }, false, true},
    };
    QList<int> ks;
    bool eventSeen = false, seenBeforeEnd = false;
    SheetLoop loop;
    loop.headingRow = 2;
    loop.progress = [&](int k, int total) {
        QCOMPARE(total, n);
        ks << k;
        if (k == 0)
            QTimer::singleShot(0, [&] { eventSeen = true; });
        if (k < n && eventSeen)
            seenBeforeEnd = true;
    };
    QCOMPARE(WriteSheet(x, columns, n, loop), n);
    QVERIFY(ks.size() >= 3);
    QCOMPARE(ks.mid(0, 2), (QList<int>{0, 1}));
    QCOMPARE(ks.last(), n);
    QVERIFY(std::is_sorted(ks.begin(), ks.end()));
    QVERIFY(eventSeen);
    QVERIFY(seenBeforeEnd || ks.size() == 3);

    const XlsxRead::Book b = finishAndRead(x);
    QVERIFY2(b.ok, qPrintable(b.error));
    const XlsxRead::Sheet &s = b.sheets[0];
    QCOMPARE(s.cells.size(), 2 + 2 * n);
    QVERIFY(s.at(2, 1).bold);
    QCOMPARE(s.at(2, 1).value.toString(), QString("Фамилия И.О."));
    QVERIFY(!s.has(2, 2));
    for (int r : {0, 1, n / 2, n - 1}) {
        const XlsxRead::Cell name = s.at(3 + r, 1);
        QCOMPARE(name.value.toString(), QString("Работник %1").arg(r + 1));
        QCOMPARE(name.format, QString("@"));
        QVERIFY(!name.bold);
        const XlsxRead::Cell sum = s.at(3 + r, 3);
        QVERIFY(sum.number);
        QCOMPARE(sum.value.toDouble(), r + 0.5);
    }
    // Widths follow the widest text, rounded up, plus a character: in A the
    // bold heading (12 characters at 1.1) outweighs "Работник 2000" (13),
    // in C "1999,5" (6) the bold "Сумма" (5.5). The file keeps a width a
    // little wider than the one set (whole pixels with padding).
    QCOMPARE(int(s.widths.value("A")), 15);
    QCOMPARE(int(s.widths.value("C")), 7);
    QVERIFY(!s.widths.contains("B"));
    QVERIFY(Msg::shown().isEmpty());
}

QTEST_MAIN(ExportTest)
#include "test_export.moc"
