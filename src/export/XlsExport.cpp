#include "export/XlsExport.h"
#include "ui/Msg.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

#include <cmath>
#include <xlsxwriter.h>

namespace {

QString g_folder;
XlsExport::Opener g_opener;
XlsExport::Trace *g_trace = nullptr;

// A new workbook holds at most this many sheets.
constexpr int kMaxSheets = 255;
// Widest column a spreadsheet accepts, in character widths.
constexpr double kMaxWidth = 255;

bool defaultOpen(const QString &path)
{
    const QByteArray no = qgetenv("TABEL_NO_OPEN");
    if (!no.isEmpty() && no != "0")
        return true;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

// Characters a file name may not hold on the desktops the shop uses.
QString fileSafe(const QString &title)
{
    QString s = title.trimmed();
    static const QRegularExpression bad(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    s.replace(bad, QStringLiteral("_"));
    while (s.startsWith(u'.'))
        s.remove(0, 1);
    if (s.isEmpty())
        s = QStringLiteral("Книга");
    return s.left(100);
}

QString uniqueName(const QString &dir, const QString &base)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    const QString stem = QDir(dir).filePath(base + u' ' + stamp);
    QString name = stem + QStringLiteral(".xlsx");
    for (int n = 2; QFileInfo::exists(name) || QFileInfo::exists(name + QStringLiteral(".part")); ++n)
        name = stem + QStringLiteral(" (%1).xlsx").arg(n);
    return name;
}

quint64 cellKey(int sheet, int column, int row)
{
    return (quint64(sheet) << 48) | (quint64(row) << 16) | quint64(column);
}

} // namespace

XlsExport::XlsExport() = default;

XlsExport::~XlsExport()
{
    discard();
}

void XlsExport::setFolder(const QString &folder)
{
    g_folder = folder;
}

void XlsExport::setOpener(Opener opener)
{
    g_opener = std::move(opener);
}

void XlsExport::setTrace(Trace *trace)
{
    g_trace = trace;
}

bool XlsExport::typedNumber(const QString &text, double *value)
{
    // [+-] (digits [point digits] | point digits) [(e|E) [+-] digits], read
    // by hand: every cell of every export passes here.
    const QString point = QLocale().decimalPoint();
    const QChar *s = text.constData();
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto digits = [&]() {
        const qsizetype from = i;
        while (i < n && s[i] >= u'0' && s[i] <= u'9')
            ++i;
        return i - from;
    };
    auto atPoint = [&]() { return !point.isEmpty() && QStringView(text).mid(i).startsWith(point); };
    if (i < n && (s[i] == u'+' || s[i] == u'-'))
        ++i;
    QByteArray c; // the number in the C locale's form
    c.reserve(n);
    const qsizetype whole = digits();
    c.append(QStringView(text).mid(0, i).toLatin1());
    if (atPoint()) {
        i += point.size();
        c.append('.');
        const qsizetype fracFrom = i;
        const qsizetype frac = digits();
        if (whole == 0 && frac == 0)
            return false;
        c.append(QStringView(text).mid(fracFrom, frac).toLatin1());
    } else if (whole == 0) {
        return false;
    }
    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        const qsizetype expFrom = i++;
        if (i < n && (s[i] == u'+' || s[i] == u'-'))
            ++i;
        if (digits() == 0)
            return false;
        c.append(QStringView(text).mid(expFrom, i - expFrom).toLatin1());
    }
    if (i != n)
        return false;
    bool ok = false;
    const double d = c.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return false;
    if (value)
        *value = d;
    return true;
}

void XlsExport::discard()
{
    if (m_wb) {
        lxw_workbook_free(m_wb);
        m_wb = nullptr;
        QFile::remove(m_temp);
    }
    m_sheets.clear();
    m_cells.clear();
    for (auto &row : m_formats)
        for (auto &f : row)
            f = nullptr;
    m_visible = false;
}

bool XlsExport::start(const QString &title)
{
    discard();
    m_final.clear();
    m_temp.clear();

    // The user's documents folder when there is one, else the temporary
    // folder; a folder set for the program is made when missing.
    QStringList folders;
    if (!g_folder.isEmpty()) {
        if (QDir().mkpath(g_folder))
            folders << g_folder;
    } else {
        const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (!docs.isEmpty() && QFileInfo(docs).isDir())
            folders << docs;
        folders << QDir::tempPath();
    }
    bool haveFolder = false;
    for (const QString &dir : folders) {
        if (!QFileInfo(dir).isDir())
            continue;
        haveFolder = true;
        const QString final = uniqueName(dir, fileSafe(title));
        const QString temp = final + QStringLiteral(".part");
        QFile probe(temp);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            continue;
        probe.close();
        m_final = final;
        m_temp = temp;
        break;
    }
    if (!haveFolder)
        Msg::error(QStringLiteral("Невозможно открыть Microsoft Excel."), QStringLiteral("Ошибка"));
    if (m_temp.isEmpty()) {
        Msg::error(QStringLiteral("Ошибка открытия файла Microsoft Excel."), QStringLiteral("Ошибка"));
        return false;
    }
    m_wb = workbook_new(QFile::encodeName(m_temp).constData());
    if (!m_wb) {
        QFile::remove(m_temp);
        m_temp.clear();
        Msg::error(QStringLiteral("Ошибка открытия файла Microsoft Excel."), QStringLiteral("Ошибка"));
        return false;
    }
    // Like a new workbook of a spreadsheet application: one sheet to start
    // with, more as they are written to.
    if (!sheetAt(1)) {
        discard();
        Msg::error(QStringLiteral("Ошибка открытия файла Microsoft Excel."), QStringLiteral("Ошибка"));
        return false;
    }
    m_visible = false;
    return true;
}

void XlsExport::hide()
{
    if (m_wb)
        m_visible = false;
}

bool XlsExport::show()
{
    if (!m_wb)
        return false;
    for (int i = 0; i < m_sheets.size(); ++i) {
        const SheetState &s = m_sheets[i];
        for (auto it = s.fitted.constBegin(); it != s.fitted.constEnd(); ++it) {
            worksheet_set_column(s.ws, lxw_col_t(it.key() - 1), lxw_col_t(it.key() - 1), it.value(), nullptr);
            if (g_trace)
                g_trace->widths.push_back({i + 1, it.key(), it.value()});
        }
    }
    const lxw_error err = workbook_close(m_wb); // frees the workbook whatever the outcome
    m_wb = nullptr;
    m_sheets.clear();
    m_cells.clear();
    if (err != LXW_NO_ERROR) {
        QFile::remove(m_temp);
        Msg::error(QStringLiteral("Не удалось сохранить книгу в файл %1 (%2).")
                       .arg(QDir::toNativeSeparators(m_final), QString::fromUtf8(lxw_strerror(err))),
                   QStringLiteral("Ошибка"));
        return false;
    }
    // The final name may have been taken meanwhile: never overwrite a file.
    if (!QFile::rename(m_temp, m_final)) {
        const QFileInfo fi(m_final);
        const QString again = uniqueName(fi.absolutePath(), fi.completeBaseName());
        if (!QFile::rename(m_temp, again)) {
            Msg::error(QStringLiteral("Не удалось сохранить книгу в файл %1.").arg(QDir::toNativeSeparators(m_final)),
                       QStringLiteral("Ошибка"));
            QFile::remove(m_temp);
            return false;
        }
        m_final = again;
    }
    m_visible = true;
    const bool opened = g_opener ? g_opener(m_final) : defaultOpen(m_final);
    if (!opened)
        Msg::information(QStringLiteral("Книга сохранена в файле\n%1\nПрограмма для работы с таблицами не найдена: "
                                        "откройте этот файл в ней сами.")
                             .arg(QDir::toNativeSeparators(m_final)),
                         QStringLiteral("Excel"));
    return true;
}

lxw_worksheet *XlsExport::sheetAt(int sheet)
{
    if (!m_wb || sheet < 1 || sheet > kMaxSheets)
        return nullptr;
    while (m_sheets.size() < sheet) {
        const QByteArray name = QStringLiteral("Лист%1").arg(m_sheets.size() + 1).toUtf8();
        lxw_worksheet *ws = workbook_add_worksheet(m_wb, name.constData());
        if (!ws)
            return nullptr;
        SheetState s;
        s.ws = ws;
        m_sheets.append(s);
    }
    return m_sheets[sheet - 1].ws;
}

lxw_format *XlsExport::formatFor(bool text, bool bold)
{
    if (!text && !bold)
        return nullptr;
    lxw_format *&f = m_formats[text][bold];
    if (!f) {
        f = workbook_add_format(m_wb);
        if (text)
            format_set_num_format(f, "@");
        if (bold)
            format_set_bold(f);
    }
    return f;
}

bool XlsExport::writeFailed(int sheet, int column, int row, bool sheetProblem)
{
    Msg::error(QStringLiteral("Ошибка при записи: лист %1, столбец %2, строка %3").arg(sheet).arg(column).arg(row),
               sheetProblem ? QStringLiteral("Ошибочный номер листа Microsoft Excel")
                            : QStringLiteral("Ошибка Microsoft Excel"));
    return false;
}

bool XlsExport::writeCell(int sheet, int column, int row, const QString &text, bool textFormat, bool fitColumn,
                          bool bold)
{
    return writeCellImpl(sheet, column, row, text, textFormat, fitColumn, bold);
}

bool XlsExport::writeValue(int sheet, int column, int row, const QString &text)
{
    return writeCellImpl(sheet, column, row, text, false, false, std::nullopt);
}

bool XlsExport::writeCellImpl(int sheet, int column, int row, const QString &text, bool textFormat, bool fitColumn,
                              std::optional<bool> bold)
{
    if (text.isEmpty())
        return true;
    lxw_worksheet *ws = sheetAt(sheet);
    if (!ws)
        return writeFailed(sheet, column, row, true);
    if (row < 1 || row > LXW_ROW_MAX || column < 1 || column > LXW_COL_MAX)
        return writeFailed(sheet, column, row, false);

    // A cell keeps its number format and font until they are set again;
    // only cells that have either are remembered.
    const quint64 key = cellKey(sheet, column, row);
    const auto known = m_cells.constFind(key);
    const CellState before = known == m_cells.constEnd() ? CellState() : *known;
    CellState st = before;
    if (textFormat)
        st.text = true;
    if (bold)
        st.bold = *bold;
    lxw_format *fmt = formatFor(st.text, st.bold);
    double number = 0;
    const bool isNumber = !st.text && typedNumber(text, &number);
    QByteArray utf8;
    lxw_error err;
    if (isNumber) {
        err = worksheet_write_number(ws, lxw_row_t(row - 1), lxw_col_t(column - 1), number, fmt);
    } else {
        utf8 = text.toUtf8();
        err = worksheet_write_string(ws, lxw_row_t(row - 1), lxw_col_t(column - 1), utf8.constData(), fmt);
    }
    if (err != LXW_NO_ERROR)
        return writeFailed(sheet, column, row, false);
    if (st.text != before.text || st.bold != before.bold) {
        if (st.text || st.bold)
            m_cells.insert(key, st);
        else
            m_cells.remove(key);
    }
    if (g_trace)
        g_trace->cells.push_back({sheet, column, row, isNumber, number, utf8, st.text, st.bold});

    SheetState &s = m_sheets[sheet - 1];
    const double width = text.size() * (st.bold ? 1.1 : 1.0);
    if (s.longest.size() <= column)
        s.longest.resize(column + 1, 0.0);
    double &longest = s.longest[column];
    longest = qMax(longest, width);
    if (fitColumn)
        s.fitted[column] = qMin(kMaxWidth, std::ceil(longest) + 1.0);
    return true;
}
