#include "reports/engine/Preview.h"
#include "reports/engine/ReportError.h"
#include "ui/Msg.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QStandardPaths>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>

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

// The desktop theme's icon, else the one Qt's own print preview shows.
QIcon toolIcon(const char *theme, const char *file)
{
    const QString own = QStringLiteral(":/qt-project.org/dialogs/qprintpreviewdialog/images/") + QLatin1String(file);
    return QIcon::fromTheme(QLatin1String(theme), QFile::exists(own) ? QIcon(own) : QIcon());
}

// Grey space around and between the pages on the screen, in pixels.
constexpr int kGap = 12;
// Page images kept for repainting without drawing the page again.
constexpr int kKeptImages = 6;
// Zoom limits, pixels per millimetre.
constexpr double kMinZoom = 0.3;
constexpr double kMaxZoom = 20;

} // namespace

// The pages of the report one under the other on a grey ground. A page is
// drawn, into an image at the screen's resolution, only when it is to be
// shown; the last few images are kept.
class PreviewPages : public QWidget {
public:
    PreviewPages(const Prepared &report, PreviewDialog *owner) : QWidget(), m_report(report), m_owner(owner)
    {
        setObjectName(QStringLiteral("PreviewPages"));
        setAutoFillBackground(false);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    // The paper in millimetres.
    QSizeF paper() const
    {
        const QSizeF a4 = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
        return m_report.orientation == QPageLayout::Landscape ? a4.transposed() : a4;
    }
    int count() const { return int(m_report.pages.size()); }
    QSize pageSize() const
    {
        return QSize(qRound(paper().width() * m_zoom), qRound(paper().height() * m_zoom));
    }
    // Page i (from 0) in the widget.
    QRect pageRect(int i) const
    {
        const QSize s = pageSize();
        return QRect(QPoint((width() - s.width()) / 2, kGap + i * (s.height() + kGap)), s);
    }
    // The page at height y (from 0), clamped to the pages there are.
    int pageAt(int y) const
    {
        const int step = pageSize().height() + kGap;
        return step > 0 ? qBound(0, (y - kGap / 2) / step, qMax(0, count() - 1)) : 0;
    }
    void setZoom(double pixelsPerMm)
    {
        if (pixelsPerMm == m_zoom && m_device)
            return;
        m_zoom = pixelsPerMm;
        m_images.clear();
        m_painter.reset();
        m_device.reset();
        const QSize s = pageSize();
        resize(qMax(s.width() + 2 * kGap, m_minWidth), kGap + qMax(1, count()) * (s.height() + kGap));
        update();
    }
    void setMinimumPaneWidth(int w)
    {
        m_minWidth = w;
        const QSize s = pageSize();
        resize(qMax(s.width() + 2 * kGap, m_minWidth), height());
    }
    int painted() const { return int(m_painted.size()); }

protected:
    void paintEvent(QPaintEvent *e) override
    {
        QPainter p(this);
        p.fillRect(e->rect(), palette().color(QPalette::Dark));
        if (count() == 0)
            return;
        const int first = pageAt(e->rect().top());
        const int last = pageAt(e->rect().bottom());
        for (int i = first; i <= last; ++i) {
            const QRect r = pageRect(i);
            if (!r.intersects(e->rect()))
                continue;
            p.fillRect(r.translated(2, 2), palette().color(QPalette::Shadow));
            p.drawImage(QRectF(r), image(i));
        }
    }

private:
    const QImage &image(int i)
    {
        for (int k = 0; k < m_images.size(); ++k)
            if (m_images[k].first == i) {
                m_images.move(k, 0);
                return m_images[0].second;
            }
        // The page at the screen's pixels (a whole number of dots per inch,
        // as images keep their resolution).
        const double ratio = devicePixelRatioF();
        const double inches = paper().width() / 25.4;
        const int dpi = qMax(10, int(std::lround(pageSize().width() * ratio / inches)));
        const double dpm = dpi / 0.0254;
        if (!m_device) {
            m_device = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
            m_device->setDotsPerMeterX(qRound(dpm));
            m_device->setDotsPerMeterY(qRound(dpm));
            m_painter = std::make_unique<PagePainter>(m_report, m_device.get());
        }
        QImage img(qRound(paper().width() / 25.4 * dpi), qRound(paper().height() / 25.4 * dpi),
                   QImage::Format_RGB32);
        img.setDotsPerMeterX(qRound(dpm));
        img.setDotsPerMeterY(qRound(dpm));
        img.fill(Qt::white);
        {
            QPainter p(&img);
            p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
            m_painter->paint(p, i);
        }
        if (m_images.size() >= kKeptImages)
            m_images.removeLast();
        m_images.prepend({i, img});
        m_painted.insert(i);
        emit m_owner->pagePainted(i + 1);
        return m_images[0].second;
    }

    const Prepared &m_report;
    PreviewDialog *m_owner;
    double m_zoom = 3;
    int m_minWidth = 0;
    std::unique_ptr<QImage> m_device;        // the resolution the page painter measures at
    std::unique_ptr<PagePainter> m_painter;  // faces and widths at the current zoom
    QList<QPair<int, QImage>> m_images;      // most recently shown first
    QSet<int> m_painted;
};

PreviewDialog::PreviewDialog(const Prepared &report, const PreviewOptions &options, QWidget *parent)
    : QDialog(parent), m_report(report), m_options(options),
      m_mode(options.wholePage ? FitInView : FitToWidth)
{
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(options.title);
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);

    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("PreviewToolBar"));
    auto action = [&](const char *name, const QString &text, const QIcon &icon, auto slot) {
        auto *a = new QAction(icon, text, this);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, slot);
        bar->addAction(a);
        return a;
    };
    QAction *fitWidth = action("fitWidthAction", QStringLiteral("По ширине страницы"),
                               toolIcon("zoom-fit-width", "fit-width-24.png"), [this] { setZoomMode(FitToWidth); });
    QAction *fitPage = action("fitPageAction", QStringLiteral("Страница целиком"),
                              toolIcon("zoom-fit-best", "fit-page-24.png"), [this] { setZoomMode(FitInView); });
    fitWidth->setCheckable(true);
    fitPage->setCheckable(true);
    action("zoomInAction", QStringLiteral("Увеличить"), toolIcon("zoom-in", "zoom-in-24.png"),
           [this] { setZoom(m_zoom * 1.25); })
        ->setShortcut(QKeySequence::ZoomIn);
    action("zoomOutAction", QStringLiteral("Уменьшить"), toolIcon("zoom-out", "zoom-out-24.png"),
           [this] { setZoom(m_zoom / 1.25); })
        ->setShortcut(QKeySequence::ZoomOut);
    bar->addSeparator();
    action("firstPageAction", QStringLiteral("Первая страница"), toolIcon("go-first", "go-first-24.png"),
           [this] { setCurrentPage(1); });
    action("prevPageAction", QStringLiteral("Предыдущая страница"), toolIcon("go-previous", "go-previous-24.png"),
           [this] { setCurrentPage(currentPage() - 1); });
    m_pageField = new QLineEdit(this);
    m_pageField->setObjectName(QStringLiteral("PageNumber"));
    m_pageField->setAccessibleName(QStringLiteral("Страница"));
    m_pageField->setAlignment(Qt::AlignRight);
    m_pageField->setValidator(new QIntValidator(1, qMax(1, int(report.pages.size())), m_pageField));
    m_pageField->setFixedWidth(m_pageField->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    connect(m_pageField, &QLineEdit::editingFinished, this,
            [this] { setCurrentPage(m_pageField->text().toInt()); });
    bar->addWidget(m_pageField);
    auto *of = new QLabel(QStringLiteral(" / %1 ").arg(report.pages.size()), this);
    of->setObjectName(QStringLiteral("PageCount"));
    bar->addWidget(of);
    action("nextPageAction", QStringLiteral("Следующая страница"), toolIcon("go-next", "go-next-24.png"),
           [this] { setCurrentPage(currentPage() + 1); });
    action("lastPageAction", QStringLiteral("Последняя страница"), toolIcon("go-last", "go-last-24.png"),
           [this] { setCurrentPage(pageCount()); });
    bar->addSeparator();
    action("printAction", QStringLiteral("Печать"), toolIcon("document-print", "print-24.png"),
           [this] { printReport(); })
        ->setShortcut(QKeySequence::Print);
    bar->addSeparator();
    QAction *save = action("SavePdf", QStringLiteral("Сохранить в PDF"), QIcon(), [this] { saveAsPdf(); });
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    save->setToolTip(QStringLiteral("Сохранить в PDF (Ctrl+S)"));

    m_pages = new PreviewPages(report, this);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("PreviewArea"));
    m_scroll->setAccessibleName(QStringLiteral("Страницы отчета"));
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_scroll->setWidget(m_pages);
    m_scroll->verticalScrollBar()->setSingleStep(40);
    connect(m_scroll->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { updatePageField(); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_scroll, 1);
    applyZoom();
    updatePageField();
    fitWidth->setChecked(m_mode == FitToWidth);
    fitPage->setChecked(m_mode == FitInView);
    m_scroll->setFocus();
}

PreviewDialog::~PreviewDialog() = default;

int PreviewDialog::pageCount() const
{
    return int(m_report.pages.size());
}

int PreviewDialog::currentPage() const
{
    if (pageCount() == 0)
        return 0;
    // The page a third down the view, or the one whose upper half is at
    // its top when the pages are smaller than that.
    const int y = m_scroll->verticalScrollBar()->value() + kGap
        + qMin(m_scroll->viewport()->height() / 3, m_pages->pageSize().height() / 2);
    return m_pages->pageAt(y) + 1;
}

void PreviewDialog::setCurrentPage(int page)
{
    if (pageCount() == 0)
        return;
    page = qBound(1, page, pageCount());
    m_scroll->verticalScrollBar()->setValue(m_pages->pageRect(page - 1).top() - kGap);
    updatePageField();
}

void PreviewDialog::setZoomMode(ZoomMode mode)
{
    m_mode = mode;
    applyZoom();
}

void PreviewDialog::setZoom(double pixelsPerMm)
{
    const int page = currentPage();
    m_mode = CustomZoom;
    m_zoom = qBound(kMinZoom, pixelsPerMm, kMaxZoom);
    m_pages->setZoom(m_zoom);
    setCurrentPage(page);
    if (auto *a = findChild<QAction *>(QStringLiteral("fitWidthAction")))
        a->setChecked(false);
    if (auto *a = findChild<QAction *>(QStringLiteral("fitPageAction")))
        a->setChecked(false);
}

int PreviewDialog::paintedPages() const
{
    return m_pages->painted();
}

void PreviewDialog::printTo(QPrinter *printer)
{
    Render(m_report, printer);
}

void PreviewDialog::applyZoom()
{
    const int page = currentPage();
    const QSize view = m_scroll->viewport()->size();
    const QSizeF paper = m_pages->paper();
    const double byWidth = (view.width() - 2.0 * kGap) / paper.width();
    const double byHeight = (view.height() - 2.0 * kGap) / paper.height();
    if (m_mode == FitToWidth)
        m_zoom = byWidth;
    else if (m_mode == FitInView)
        m_zoom = qMin(byWidth, byHeight);
    m_zoom = qBound(kMinZoom, m_zoom, kMaxZoom);
    m_pages->setMinimumPaneWidth(view.width());
    m_pages->setZoom(m_zoom);
    if (page > 0)
        setCurrentPage(page);
    if (auto *a = findChild<QAction *>(QStringLiteral("fitWidthAction")))
        a->setChecked(m_mode == FitToWidth);
    if (auto *a = findChild<QAction *>(QStringLiteral("fitPageAction")))
        a->setChecked(m_mode == FitInView);
}

void PreviewDialog::updatePageField()
{
    if (!m_pageField->hasFocus())
        m_pageField->setText(QString::number(currentPage()));
}

void PreviewDialog::resizeEvent(QResizeEvent *e)
{
    QDialog::resizeEvent(e);
    applyZoom();
}

void PreviewDialog::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    applyZoom();
}

void PreviewDialog::printReport()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(m_report.orientation);
    printer.setFullPage(true);
    printer.setDocName(m_options.title);
    QPrintDialog dlg(&printer, this);
    if (Modal::exec(&dlg) != QDialog::Accepted)
        return;
    try {
        printTo(&printer);
    } catch (const ReportError &e) {
        Msg::error(e.text());
    }
}

void PreviewDialog::saveAsPdf()
{
    const QString path = askFileName(this, QDir(documentsFolder()).filePath(PdfFileName(m_options.pdfName)));
    if (path.isEmpty())
        return;
    try {
        RenderToPdf(m_report, path);
    } catch (const ReportError &e) {
        Msg::error(e.text());
    }
}

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
    PreviewDialog dlg(report, options, parent);
    // Maximised; the size of the screen's free area also where no window
    // manager maximises it.
    if (QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        dlg.resize(screen->availableGeometry().size());
    dlg.setWindowState(dlg.windowState() | Qt::WindowMaximized);
    Modal::exec(&dlg);
}

} // namespace Report
