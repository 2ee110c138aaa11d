#pragma once
#include "reports/SummaryReport.h"

// "Детальный отчет по рабочим": per worker every product mark, operation
// kind, colour and product kind with all pieces, rejects and the sum.
class TForm20 : public SummaryReport {
    Q_OBJECT
public:
    explicit TForm20(QWidget *parent = nullptr);
    // Parameters data1 (first day, included) and data2 (end day, excluded).
    Dataset w_Report;
    static QString wReportSql();
    static Report::Layout BuildLayout();
};

extern TForm20 *Form20;
