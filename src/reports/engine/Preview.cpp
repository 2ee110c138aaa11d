#include "reports/engine/Preview.h"
#include "reports/engine/ReportError.h"
#include "ui/Msg.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QStandardPaths>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QToolBar>

namespace Report {

namespace {

SaveChooser &chooser()
{
    static SaveChooser c;
    return c;
}

QString askFileName(QWidget *parent, const QString &proposed)
{
    if (chooser())
        return chooser()(parent, proposed);
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Сохранить в PDF"), proposed,
                                        QStringLiteral("PDF (*.pdf)"));
}

QString documentsFolder()
{
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!docs.isEmpty() && QDir(docs).exists())
        return docs;
    return QDir::homePath();
}

} // namespace

void setSaveChooser(SaveChooser c)
{
    chooser() = std::move(c);
}

QString PdfFileName(const QString &text)
{
    QString name = text.trimmed();
    for (QChar &c : name)
        if (c == u'/' || c == u'\\' || c == u':' || c == u'*' || c == u'?' || c == u'"' || c == u'<' || c == u'>'
            || c == u'|' || c.category() == QChar::Other_Control)
            c = u'_';
    if (name.isEmpty())
        name = QStringLiteral("Отчет");
    return name + QStringLiteral(".pdf");
}

void ShowPreview(const Prepared &report, const PreviewOptions &options, QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(report.orientation);
    printer.setFullPage(true);
    printer.setDocName(options.title);

    QPrintPreviewDialog dlg(&printer, parent);
    dlg.setObjectName(QStringLiteral("ReportPreview"));
    dlg.setWindowTitle(options.title);
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, &dlg, [&report](QPrinter *p) {
        Render(report, p);
    });
    // The zoom through the dialog's own buttons, so that they show it; once
    // more when the dialog is up, which otherwise starts at its own zoom.
    auto zoom = [&dlg, whole = options.wholePage]() {
        if (QAction *a = dlg.findChild<QAction *>(whole ? QStringLiteral("fitPageAction")
                                                        : QStringLiteral("fitWidthAction")))
            a->trigger();
        if (auto *w = dlg.findChild<QPrintPreviewWidget *>())
            w->setZoomMode(whole ? QPrintPreviewWidget::FitInView : QPrintPreviewWidget::FitToWidth);
    };
    zoom();
    QTimer::singleShot(0, &dlg, zoom);

    auto *save = new QAction(QStringLiteral("Сохранить в PDF"), &dlg);
    save->setObjectName(QStringLiteral("SavePdf"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    save->setToolTip(QStringLiteral("Сохранить в PDF (Ctrl+S)"));
    if (auto *bar = dlg.findChild<QToolBar *>()) {
        bar->addSeparator();
        bar->addAction(save);
    } else {
        dlg.addAction(save);
    }
    QObject::connect(save, &QAction::triggered, &dlg, [&]() {
        const QString path =
            askFileName(&dlg, QDir(documentsFolder()).filePath(PdfFileName(options.pdfName)));
        if (path.isEmpty())
            return;
        try {
            RenderToPdf(report, path);
        } catch (const ReportError &e) {
            Msg::error(e.text());
        }
    });

    // Maximised; the size of the screen's free area also where no window
    // manager maximises it.
    if (QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        dlg.resize(screen->availableGeometry().size());
    dlg.setWindowState(dlg.windowState() | Qt::WindowMaximized);
    Modal::exec(&dlg);
}

} // namespace Report
