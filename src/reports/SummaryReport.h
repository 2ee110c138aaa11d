#pragma once
#include "data/Dataset.h"
#include "reports/engine/Engine.h"
#include "ui/Form.h"

// What the four journal summaries have in common: a layout whose title label
// QRLabel1 the reports window sets, prepared from the report's query once the
// caller has opened it, and shown in the preview.
class SummaryReport : public Form {
    Q_OBJECT
public:
    SummaryReport(const QString &objectName, Report::Layout layout, QWidget *parent = nullptr);

    Report::Layout QuickRep1;

    // Lays out the rows of the open query.
    Report::Prepared Prepare(const Dataset &query);
    // Prepares the report and shows its preview, zoomed to the page width;
    // `pdfName` is the proposed PDF file name without extension.
    void Preview(const Dataset &query, const QString &caption, const QString &pdfName);
};
