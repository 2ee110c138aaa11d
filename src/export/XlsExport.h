#pragma once
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QVector>
#include <functional>
#include <optional>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

// The one spreadsheet export facility: every export starts a new workbook,
// fills it cell by cell and shows it to the user.
//
// The workbook is a new .xlsx file in the user's documents folder (the
// temporary folder when there is none), named after the export and the moment
// it was started, made unique with " (2)", " (3)", ... It is written to a
// temporary name beside its final one and renamed when it is complete, so an
// unfinished or failed export never leaves a half-written workbook under the
// final name.
//
// Usage:
//     XlsExport xls;
//     if (!xls.start(QStringLiteral("Операции"))) return; // messages shown
//     xls.writeCell(1, 1, 1, QStringLiteral("Марка"), false, true, true);
//     ...
//     xls.show();                                          // saves and opens it
//
// Cells follow typed input: a text written into a cell without text format
// that reads as a number in the user's locale ("12,5" in the Russian locale,
// "-3", "1,5E3") becomes a numeric cell; everything else, and every value in
// a cell once given text format, stays text. Texts are never read as
// formulas.
class XlsExport {
public:
    XlsExport();
    ~XlsExport();
    XlsExport(const XlsExport &) = delete;
    XlsExport &operator=(const XlsExport &) = delete;

    // Starts a new, empty workbook (an unfinished previous one is dropped).
    // On failure shows the messages "Невозможно открыть Microsoft Excel."
    // (no folder for the workbook can be had) and/or "Ошибка открытия файла
    // Microsoft Excel." (the file cannot be created), both with the caption
    // "Ошибка", and returns false; the caller ends its export.
    bool start(const QString &title = QStringLiteral("Книга"));

    // Hide: the workbook is being filled and is not shown yet.
    void hide();
    // Show: saves the workbook under its final name and opens it in the
    // desktop's spreadsheet application. When no application can open it the
    // user is told where the file is. Nothing happens when no workbook was
    // started. Returns true when the workbook was saved. The workbook is
    // complete afterwards: further writes fail until the next start().
    bool show();

    // Writes text into a cell (sheet, column, row all from 1). An empty text
    // writes nothing and is no failure. textFormat gives the cell the text
    // number format "@" first; fitColumn fits the column's width to the
    // longest text written into it so far; bold sets the cell's font bold or
    // not bold. On failure shows "Ошибка при записи: лист S, столбец C,
    // строка R" (caption "Ошибочный номер листа Microsoft Excel" when the
    // sheet cannot be had, "Ошибка Microsoft Excel" otherwise) and returns
    // false; the caller may go on with the next cell.
    bool writeCell(int sheet, int column, int row, const QString &text, bool textFormat, bool fitColumn,
                   bool bold);
    // The plain write of the reports and the operations list: no text format,
    // no fitting, the cell's font left as it is.
    bool writeValue(int sheet, int column, int row, const QString &text);

    bool isStarted() const { return m_wb != nullptr; }
    bool isVisible() const { return m_visible; }
    // Final path of the workbook of the last start() (empty before one).
    const QString &fileName() const { return m_final; }

    // Reads text the way a spreadsheet reads typed input as a number: an
    // optional sign, digits with the locale's decimal separator, an optional
    // exponent. False for anything else.
    static bool typedNumber(const QString &text, double *value);

    // --- test and platform hooks
    // Folder for new workbooks instead of the documents folder (empty: the
    // default choice).
    static void setFolder(const QString &folder);
    // Opens a saved workbook; returns false when nothing could open it. The
    // default asks the desktop, or does nothing when the environment sets
    // TABEL_NO_OPEN=1 (tests, headless runs).
    using Opener = std::function<bool(const QString &path)>;
    static void setOpener(Opener opener);

    // What reached the workbook, cell by cell, in the order written, and the
    // column widths set when it was saved: the benchmarks replay it through
    // the writing library alone to know the least an export can take.
    struct Trace {
        struct Cell {
            int sheet, column, row; // from 1
            bool number;            // written as a number (value), else as text (utf8)
            double value;
            QByteArray utf8;
            bool textFormat, bold;  // the cell's format
        };
        struct Width {
            int sheet, column;
            double width;
        };
        std::vector<Cell> cells;
        std::vector<Width> widths;
    };
    // Records every following write into `trace` (nullptr: stop recording).
    static void setTrace(Trace *trace);

private:
    struct CellState {
        bool text = false;
        bool bold = false;
    };
    struct SheetState {
        lxw_worksheet *ws = nullptr;
        QVector<double> longest;   // [column] widest text written (in character widths)
        QHash<int, double> fitted; // column -> width set by the last fit
    };

    void discard();
    lxw_worksheet *sheetAt(int sheet);
    lxw_format *formatFor(bool text, bool bold);
    bool writeFailed(int sheet, int column, int row, bool sheetProblem);
    bool writeCellImpl(int sheet, int column, int row, const QString &text, bool textFormat, bool fitColumn,
                       std::optional<bool> bold);

    lxw_workbook *m_wb = nullptr;
    QString m_final;
    QString m_temp;
    bool m_visible = false;
    QList<SheetState> m_sheets;
    // Cells given the text format or a bold font; every other cell has
    // neither.
    QHash<quint64, CellState> m_cells;
    lxw_format *m_formats[2][2] = {{nullptr, nullptr}, {nullptr, nullptr}};
};
