#pragma once
#include "reports/engine/Engine.h"

#include <QString>
#include <functional>

class QWidget;

namespace Report {

struct PreviewOptions {
    QString title;          // window caption
    QString pdfName;        // proposed file name without folder and extension
    bool wholePage = false; // zoom to the whole page instead of the page width
};

// Shows the prepared report in a maximised print preview (through
// Modal::exec) with the system's print dialog behind its print button and an
// added toolbar button "Сохранить в PDF" (Ctrl+S) that asks for a file name
// and writes the report there.
void ShowPreview(const Prepared &report, const PreviewOptions &options, QWidget *parent = nullptr);

// Asks where to save the PDF, proposing `proposedPath`; empty when the user
// cancels. Tests replace it.
using SaveChooser = std::function<QString(QWidget *parent, const QString &proposedPath)>;
void setSaveChooser(SaveChooser chooser);

// "<name> 01.11.2026-01.12.2026.pdf" with characters no file name may hold
// replaced.
QString PdfFileName(const QString &text);

} // namespace Report
