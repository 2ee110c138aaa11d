#pragma once
#include "reports/SummaryReport.h"

// "Отчет по рабочим": per worker and nomenclature group the good pieces and
// their sum, with the sum raised by the regional factor 1.2.
class TForm16 : public SummaryReport {
    Q_OBJECT
public:
    explicit TForm16(QWidget *parent = nullptr);
    // Parameters data1 (first day, included) and data2 (end day, excluded).
    Dataset t_Report;
    static QString tReportSql();
    static Report::Layout BuildLayout();
};

extern TForm16 *Form16;
