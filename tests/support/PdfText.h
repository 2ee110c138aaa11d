#pragma once
// Reads a PDF back through poppler's pdftotext / pdfinfo, as a person would
// read the printed pages.
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace PdfText {

inline QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of one page (1-based), or of all pages when page is 0, laid out
// as on paper.
inline QString text(const QString &pdf, int page = 0)
{
    QStringList args{QStringLiteral("-layout")};
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    args << pdf << QStringLiteral("-");
    return run(QStringLiteral("pdftotext"), args);
}

// Non-empty lines with runs of blanks squeezed to one.
inline QStringList lines(const QString &text)
{
    QStringList out;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (QString l : text.split(u'\n')) {
        l = l.replace(blanks, QStringLiteral(" ")).trimmed();
        if (!l.isEmpty())
            out << l;
    }
    return out;
}

inline int pages(const QString &pdf)
{
    static const QRegularExpression re(QStringLiteral("Pages:\\s+(\\d+)"));
    const auto m = re.match(run(QStringLiteral("pdfinfo"), {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

} // namespace PdfText
