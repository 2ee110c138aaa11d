#pragma once
#include "reports/engine/Engine.h"

#include <QDialog>
#include <QString>
#include <functional>

class QAction;
class QLineEdit;
class QPrinter;
class QScrollArea;

namespace Report {

struct PreviewOptions {
    QString title;          // window caption
    QString pdfName;        // proposed file name without folder and extension
    bool wholePage = false; // zoom to the whole page instead of the page width
};

class PreviewPages;

// The print preview of a prepared report: its pages one under the other,
// each painted only when it comes into view (a long report opens on its
// first page at once), with a toolbar to fit the page width or the whole
// page, zoom, go from page to page, print through the system's print dialog
// and "Сохранить в PDF" (Ctrl+S).
class PreviewDialog : public QDialog {
    Q_OBJECT
public:
    enum ZoomMode { FitToWidth, FitInView, CustomZoom };

    PreviewDialog(const Prepared &report, const PreviewOptions &options, QWidget *parent = nullptr);
    ~PreviewDialog() override;

    int pageCount() const;
    // The page in view (from 1).
    int currentPage() const;
    void setCurrentPage(int page);
    ZoomMode zoomMode() const { return m_mode; }
    void setZoomMode(ZoomMode mode);
    // Pixels per millimetre of paper on the screen.
    double zoom() const { return m_zoom; }
    void setZoom(double pixelsPerMm);

    // Pages painted for the screen so far, counting each page once.
    int paintedPages() const;

    // Paints every page onto the printer, as printing does.
    void printTo(QPrinter *printer);

signals:
    // A page (from 1) was painted for the screen.
    void pagePainted(int page);

protected:
    void resizeEvent(QResizeEvent *e) override;
    void showEvent(QShowEvent *e) override;

private:
    void applyZoom();
    void updatePageField();
    void printReport();
    void saveAsPdf();

    const Prepared &m_report;
    PreviewOptions m_options;
    QScrollArea *m_scroll = nullptr;
    PreviewPages *m_pages = nullptr;
    QLineEdit *m_pageField = nullptr;
    ZoomMode m_mode = FitToWidth;
    double m_zoom = 3;
};

// Shows the prepared report in a maximised PreviewDialog (through
// Modal::exec).
void ShowPreview(const Prepared &report, const PreviewOptions &options, QWidget *parent = nullptr);

// Asks where to save the PDF, proposing `proposedPath`; empty when the user
// cancels. Tests replace it.
using SaveChooser = std::function<QString(QWidget *parent, const QString &proposedPath)>;
void setSaveChooser(SaveChooser chooser);

// "<name> 01.11.2026-01.12.2026.pdf" with characters no file name may hold
// replaced.
QString PdfFileName(const QString &text);

} // namespace Report
