#pragma once
// Reads a saved workbook back through an independent reader (openpyxl, run
// as tests/xlsx_check.py in a child process) for tests of the exports.
#include "support/TestDb.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QVariant>

namespace XlsxRead {

struct Cell {
    QVariant value;      // double for numeric cells, QString for text
    bool number = false; // stored as a number
    QString format;      // number format ("General", "@")
    bool bold = false;
};

struct Sheet {
    QString name;
    QHash<QPair<int, int>, Cell> cells; // (row, column) from 1 -> cell
    QHash<QString, double> widths;      // column letter -> width set on it
    bool has(int row, int column) const { return cells.contains({row, column}); }
    Cell at(int row, int column) const { return cells.value({row, column}); }
};

struct Book {
    bool ok = false;
    QString error;
    QList<Sheet> sheets;
};

// A python with openpyxl: Debian's own first (a user-installed python3 on the
// PATH may lack the module).
inline QString python()
{
    for (const QString &p : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess q;
        q.start(p, {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
        if (q.waitForFinished(60000) && q.exitStatus() == QProcess::NormalExit && q.exitCode() == 0)
            return p;
    }
    return {};
}

inline Book read(const QString &path)
{
    Book b;
    static const QString py = python();
    if (py.isEmpty()) {
        b.error = QStringLiteral("no python3 with openpyxl (Debian package python3-openpyxl)");
        return b;
    }
    QProcess p;
    p.start(py, {TestDb::sourcePath(QStringLiteral("tests/xlsx_check.py")), path});
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished(5000);
        b.error = QStringLiteral("xlsx_check.py did not finish");
        return b;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        b.error = QStringLiteral("xlsx_check.py failed (%1): %2")
                      .arg(p.exitCode())
                      .arg(QString::fromUtf8(p.readAllStandardError()));
        return b;
    }
    const QJsonDocument doc = QJsonDocument::fromJson(p.readAllStandardOutput());
    for (const QJsonValue &sv : doc.object().value(QStringLiteral("sheets")).toArray()) {
        const QJsonObject so = sv.toObject();
        Sheet s;
        s.name = so.value(QStringLiteral("name")).toString();
        for (const QJsonValue &cv : so.value(QStringLiteral("cells")).toArray()) {
            const QJsonObject co = cv.toObject();
            Cell c;
            c.number = co.value(QStringLiteral("number")).toBool();
            const QJsonValue v = co.value(QStringLiteral("value"));
            c.value = v.isDouble() ? QVariant(v.toDouble()) : QVariant(v.toString());
            c.format = co.value(QStringLiteral("format")).toString();
            c.bold = co.value(QStringLiteral("bold")).toBool();
            s.cells.insert({co.value(QStringLiteral("row")).toInt(), co.value(QStringLiteral("column")).toInt()}, c);
        }
        const QJsonObject wo = so.value(QStringLiteral("widths")).toObject();
        for (auto it = wo.begin(); it != wo.end(); ++it)
            s.widths.insert(it.key(), it.value().toDouble());
        b.sheets.append(s);
    }
    b.ok = true;
    return b;
}

} // namespace XlsxRead
