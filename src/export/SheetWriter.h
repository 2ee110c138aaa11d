#pragma once
#include "export/XlsExport.h"

#include <QList>
#include <QString>
#include <functional>

// The spreadsheet loop every list export shares: a heading row, then one row
// per record, the caller's progress caption "Excel (k из N)" updated and the
// user interface's pending events processed after the first record, then at
// most every few hundredths of a second, and after the last one.
//
// The writer knows no database: each column reads its value for a row index
// (0-based) from the caller, which reads its dataset by row number without
// moving the current record, so a grid over it does not follow the loop.
struct SheetColumn {
    QString title;                          // heading text ("" writes nothing)
    std::function<QString(int row)> value;  // cell text of a record
    bool textFormat = false;                // cells get the text format "@"
    bool fitColumn = false;                 // the column's width follows its texts
};

struct SheetLoop {
    int sheet = 1;
    int headingRow = 1;      // records start on the row after it
    int firstColumn = 1;
    bool boldHeading = true; // heading cells bold (through writeCell)
    // Plain writes (no text format, no fitting, the font untouched), as the
    // reports and the operations list write; otherwise writeCell with the
    // column's switches (records not bold).
    bool plain = false;
    // Called with (k, n) before the first record (k = 0), after the first
    // and the last one, and after the records in between as often as the
    // loop shows its progress; the pending events are processed after each
    // call.
    std::function<void(int k, int n)> progress;
};

// "Excel (k из N)".
QString ExcelProgressCaption(int k, int n);

// Writes the heading row and n records; returns the number of records written.
int WriteSheet(XlsExport &xls, const QList<SheetColumn> &columns, int n, const SheetLoop &loop = {});
