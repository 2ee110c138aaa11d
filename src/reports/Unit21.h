#pragma once
#include "reports/SummaryReport.h"

// "Детальный отчет по продукции": per nomenclature group every product mark,
// operation kind, colour and product kind with rejects, boxes, all pieces
// and the sum.
class TForm21 : public SummaryReport {
    Q_OBJECT
public:
    explicit TForm21(QWidget *parent = nullptr);
    // Parameters data1 (first day, included) and data2 (end day, excluded).
    Dataset i_Report;
    static QString iReportSql();
    static Report::Layout BuildLayout();
};

extern TForm21 *Form21;
