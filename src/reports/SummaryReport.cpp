#include "reports/SummaryReport.h"
#include "reports/engine/Preview.h"
#include "ui/Text.h"

#include <QApplication>

SummaryReport::SummaryReport(const QString &objectName, Report::Layout layout, QWidget *parent)
    : Form(parent), QuickRep1(std::move(layout))
{
    setObjectName(objectName);
    setWindowTitle(QStringLiteral("Отчет"));
    QuickRep1.compile();
}

Report::Prepared SummaryReport::Prepare(const Dataset &query)
{
    return Report::Prepare(QuickRep1, query);
}

void SummaryReport::Preview(const Dataset &query, const QString &caption, const QString &pdfName)
{
    Report::Prepared prepared;
    {
        WaitCursor wait;
        prepared = Prepare(query);
    }
    Report::ShowPreview(prepared, {caption, pdfName, false}, QApplication::activeWindow());
}
