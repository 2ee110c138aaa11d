#pragma once
#include "reports/SummaryReport.h"

// "Отчет по продукции": per nomenclature group the boxes and good pieces of
// each operation kind, product kind and colour.
class TForm17 : public SummaryReport {
    Q_OBJECT
public:
    explicit TForm17(QWidget *parent = nullptr);
    // Parameters data1 (first day, included) and data2 (end day, excluded).
    Dataset t_Report;
    static QString tReportSql();
    static Report::Layout BuildLayout();
};

extern TForm17 *Form17;
